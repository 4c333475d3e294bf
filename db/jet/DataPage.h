// One data page: its owner, the row offset table with its flags, and the bytes of a row;
// and the write half, which places, replaces and removes one row's bytes.
// Layer: data page; knows row slots and free space, not columns.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/PageFile.h"

namespace db::jet {

struct RowSlot {
    uint16_t start = 0;  // offset of the row's first byte in the page
    uint16_t end = 0;    // one past its last byte
    bool deleted = false;
    bool overflow = false;  // the row holds a pointer to where its bytes live now
};

class DataPage {
public:
    // Throws CorruptError when the page is not a data page or its slot table does not fit.
    DataPage(PageRef page, const Format& format);

    uint32_t number() const { return m_page->number; }
    uint32_t owner() const { return m_owner; }
    bool isLongValuePage() const { return m_owner == kLongValueOwner; }
    unsigned rowCount() const { return m_rowCount; }

    RowSlot slot(unsigned index) const;
    ByteView rowBytes(unsigned index) const;
    const PageRef& page() const { return m_page; }

private:
    uint16_t rawOffset(unsigned index) const;

    PageRef m_page;
    const Format& m_format;
    uint32_t m_owner = 0;
    unsigned m_rowCount = 0;
};

// A 4-byte row pointer as the format stores it: row in the low byte, page above.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    static RowPointer fromU32(uint32_t v) { return {v >> 8, static_cast<uint8_t>(v & 0xFF)}; }
    uint32_t toU32() const { return static_cast<uint32_t>(makeRowId(page, row)); }
};

// Changes one data page inside a unit. Rows lie from the end of the page down in slot
// order, as Access lays them out; after every change the free-space field holds the gap
// between the offset table and the lowest row, and every byte a change gives back is zero.
// Slots
// keep their numbers for good (a row id names one), so a removed row leaves its slot
// behind, flagged as Access flags it.
class DataPageWriter {
public:
    // Checks the whole slot table first: a damaged page is refused before any change.
    DataPageWriter(PageEdit page, const Format& format);
    // Turns `page` into an empty data page of `owner`.
    static void initialize(Page& page, const Format& format, uint32_t owner);

    uint32_t number() const { return m_page->number; }
    uint32_t owner() const;
    unsigned rowCount() const { return static_cast<unsigned>(m_slots.size()); }
    uint16_t freeSpace() const;
    uint16_t flags(unsigned slot) const;
    ByteView rowBytes(unsigned slot) const;
    // Whether any slot holds a row (at home or moved here) rather than a removed one.
    bool hasLiveRows() const;

    // Whether a new row of `length` bytes fits (free space and the slot limit).
    bool fits(size_t length) const;
    // Adds a row in a new slot; -1 when it does not fit (the page is unchanged).
    int addRow(ByteView row, uint16_t flags = 0);
    // Gives slot `slot` new bytes and flags; false when they do not fit (page unchanged).
    bool replaceRow(unsigned slot, ByteView row, uint16_t flags);
    // Marks the slot removed (0xC000) and gives its bytes back, zeroed.
    void removeRow(unsigned slot);

private:
    struct Slot {
        uint16_t flags;
        uint16_t start;
        uint16_t end;
    };
    void checkSlot(unsigned slot) const;

    PageEdit m_page;
    const Format& m_format;
    std::vector<Slot> m_slots;
};

}  // namespace db::jet
