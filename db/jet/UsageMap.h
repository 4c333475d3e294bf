// Usage maps: which pages a table (or an index, or a long-value column) owns or has room
// on, and the file's own map of free pages on page 1; reading them and changing them.
// Layer: space; knows map rows and bitmap pages, not what the mapped pages hold.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/PageFile.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace db::jet {

// Bit i % 8 of byte i / 8, the layout of every page bitmap of the format; the vector grows
// to take a bit that is set.
void setBit(std::vector<uint8_t>& bits, uint64_t i, bool on);

struct Format;

// The pages marked in the usage map that `pointer` (row in the low byte, page above)
// names, ascending. Pages past the end of the file are listed too: the caller that reads
// them reports the damage.
std::vector<uint32_t> readUsageMap(PageFile& file, const Format& format, uint32_t pointer);

// One usage map, read whole; changes go to its row (inline maps) or its bitmap pages
// (reference maps) inside the current unit.
class UsageMap {
public:
    // Supplies a fresh page for a bitmap page when an inline map has to become a
    // reference map or a reference map needs another bitmap page.
    using Allocate = std::function<uint32_t()>;

    UsageMap(PageFile& file, const Format& format, uint32_t pointer);

    uint32_t pointer() const { return m_pointer; }
    bool isInline() const { return m_type == kUsageMapInline; }
    bool contains(uint32_t page) const;
    // Marked pages, ascending.
    std::vector<uint32_t> pages() const;
    // A reference map's bitmap pages, one per slot (0 = none yet); empty for inline maps.
    const std::vector<uint32_t>& bitmapPages() const { return m_bitmapPages; }
    // Whether the file still holds the map as this object knows it (nobody else changed
    // the page of its row or its bitmap pages since); otherwise it is to be read again.
    bool current() const { return m_stamps.current(m_file); }
    // Reads the map again unless it is current.
    void refresh();
    const PageStamps& stamps() const { return m_stamps; }

    // Marks `page`; an inline map moves its start page or becomes a reference map when
    // the page lies outside its range. Marking a marked page does nothing.
    void add(uint32_t page, const Allocate& allocate);
    // Unmarks `page`; unmarking a page that is not marked does nothing.
    void remove(uint32_t page);

private:
    void set(uint32_t page, bool on);
    bool inRange(uint32_t page) const;
    void writeInline();
    void becomeReference(const Allocate& allocate);
    void writeReferenceBit(uint32_t page, bool on, const Allocate& allocate);

    PageFile& m_file;
    const Format& m_format;
    uint32_t m_pointer;
    uint8_t m_type = kUsageMapInline;
    size_t m_rowSize = 0;
    uint32_t m_start = 0;                  // inline: first page the bitmap covers
    uint32_t m_inlinePages = 0;            // inline: pages the bitmap covers
    std::vector<uint32_t> m_bitmapPages;   // reference: one per slot, 0 = none yet
    std::vector<uint8_t> m_bits;           // bit p = page p, for every page
    PageStamps m_stamps;                   // of the row's page and the bitmap pages
    void load();
    void rememberPages();
};

// The file's map of free pages (page 1, row 0); a set bit is a free page. Access writes it
// in three forms, all read and kept in their form:
// - inline from page 0, pages past the end of the file marked free; Access widens the
//   row as the file grows;
// - inline with a window of fixed size starting elsewhere, as a second long-used writer
//   leaves files that Access reads: the window slides forward when the file grows past it;
// - a reference map, whose bits lie on bitmap pages, as Access writes it for large files.
// A page the map does not cover (below a window, in a slot with no bitmap page) is not
// free: it is never handed out, and a page given back there stays unrecorded, as Access
// leaves such pages until the file is compacted.
// Allocation takes the lowest free page inside the file, else grows the file.
class FreePageMap {
public:
    // Throws JetError when the map has none of these forms, so that nothing is written to
    // a file whose free pages the engine cannot tell.
    FreePageMap(PageFile& file, const Format& format);

    bool isFree(uint32_t page) const;
    // The bitmap pages of a reference map; empty for the inline forms.
    std::vector<uint32_t> mapPages() const;
    // A page for new use: the lowest free page inside the file that `usable` accepts,
    // else a new page at the end. The page's bytes are zeroed; the map is updated. Pages
    // whose bit is set in `excluded` (bit page % 8 of byte page / 8) are passed over
    // without asking `usable`.
    PageEdit allocate(const std::function<bool(uint32_t)>& usable, const std::vector<uint8_t>* excluded = nullptr);
    // Gives `page` back: zeroes it and marks it free where the map covers it.
    void release(uint32_t page);
    // Whether the file still holds the map as this object knows it (see UsageMap).
    bool current() const { return m_stamps.current(m_file); }

private:
    enum class Form { InlineFromZero, InlineWindow, Reference };

    void mark(uint32_t page, bool free);
    void cover(uint32_t page);
    void slideWindow(uint32_t page);
    void writeRow();
    void writeBitmapBit(uint32_t page, bool free);
    bool covers(uint32_t page) const;

    PageFile& m_file;
    const Format& m_format;
    Form m_form = Form::InlineFromZero;
    uint32_t m_start = 0;              // inline: first page of the window
    uint32_t m_windowPages = 0;        // inline window: pages it covers
    std::vector<uint32_t> m_slots;     // reference: bitmap page per slot, 0 = none
    std::vector<uint8_t> m_bitmap;     // bit p = page p, set = free
    PageStamps m_stamps;               // of page 1 and the bitmap pages
    void rememberPages();
};

}  // namespace db::jet
