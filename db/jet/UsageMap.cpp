// Decoding and changing inline and reference usage maps, and the file's free-page map.
#include "db/jet/UsageMap.h"

#include "db/jet/DataPage.h"

#include <algorithm>

namespace db::jet {

namespace {

bool bit(const std::vector<uint8_t>& bits, uint64_t i)
{
    return i / 8 < bits.size() && (bits[i / 8] >> (i % 8)) & 1;
}

uint32_t pagesPerBitmap(const Format& f) { return (f.pageSize - kUsageBitmapPageData) * 8; }

// The map row and the writer of the page that holds it.
struct MapRow {
    DataPageWriter holder;
    unsigned slot;
    std::vector<uint8_t> bytes;
};

MapRow loadRow(PageFile& file, const Format& format, uint32_t pointer)
{
    const RowPointer ptr = RowPointer::fromU32(pointer);
    DataPageWriter holder(file.edit(ptr.page, "Verweis auf Belegungsliste"), format);
    if (holder.flags(ptr.row) & kRowFlagDeleted)
        JET_CORRUPT(ptr.page, "Belegungsliste", "Zeile " + std::to_string(ptr.row) + " ist gelöscht");
    const ByteView row = holder.rowBytes(ptr.row);
    return {std::move(holder), ptr.row, std::vector<uint8_t>(row.data(), row.data() + row.size())};
}

void storeRow(MapRow& r, const char* what)
{
    if (!r.holder.replaceRow(r.slot, ByteView(r.bytes.data(), r.bytes.size()), 0))
        throw JetError(std::string("Die ") + what + " passt nicht mehr auf ihre Seite "
                       + std::to_string(r.holder.number()) + ": Die Datei wird zu groß für eine Access-Datenbank.");
}

}  // namespace

void setBit(std::vector<uint8_t>& bits, uint64_t i, bool on)
{
    if (i / 8 >= bits.size()) {
        if (!on)
            return;
        bits.resize(i / 8 + 1, 0);
    }
    if (on)
        bits[i / 8] = static_cast<uint8_t>(bits[i / 8] | (1u << (i % 8)));
    else
        bits[i / 8] = static_cast<uint8_t>(bits[i / 8] & ~(1u << (i % 8)));
}

std::vector<uint32_t> readUsageMap(PageFile& file, const Format& format, uint32_t pointer)
{
    return UsageMap(file, format, pointer).pages();
}

UsageMap::UsageMap(PageFile& file, const Format& format, uint32_t pointer)
    : m_file(file), m_format(format), m_pointer(pointer)
{
    load();
}

void UsageMap::refresh()
{
    if (current())
        return;
    m_type = kUsageMapInline;
    m_rowSize = 0;
    m_start = 0;
    m_inlinePages = 0;
    m_bitmapPages.clear();
    m_bits.clear();
    load();
}

void UsageMap::load()
{
    PageFile& file = m_file;
    const Format& format = m_format;
    const RowPointer ptr = RowPointer::fromU32(m_pointer);
    const DataPage holder(file.page(ptr.page, "Verweis auf Belegungsliste"), format);
    if (holder.slot(ptr.row).deleted)
        JET_CORRUPT(ptr.page, "Belegungsliste", "Zeile " + std::to_string(ptr.row) + " ist gelöscht");
    const ByteView row = holder.rowBytes(ptr.row);
    m_rowSize = row.size();
    m_type = row.u8(0, "Belegungsliste: Typ");
    if (m_type == kUsageMapInline) {
        m_start = row.u32(kUsageMapStartPage, "Belegungsliste: erste Seite");
        const ByteView bitmap = row.sub(kUsageMapBitmap, row.size() - kUsageMapBitmap, "Belegungsliste");
        m_inlinePages = static_cast<uint32_t>(bitmap.size() * 8);
        for (size_t i = 0; i < bitmap.size(); ++i)
            for (unsigned b = 0; b < 8; ++b)
                if ((bitmap.data()[i] >> b) & 1) {
                    const uint64_t page = static_cast<uint64_t>(m_start) + i * 8 + b;
                    if (page > 0xFFFFFF)
                        JET_CORRUPT(ptr.page, "Belegungsliste", "Seite " + std::to_string(page) + " ist unmöglich");
                    setBit(m_bits, page, true);
                }
    } else if (m_type == kUsageMapReference) {
        const uint64_t perBitmap = pagesPerBitmap(format);
        for (size_t k = 0; 1 + 4 * (k + 1) <= row.size(); ++k) {
            const uint32_t bitmapPage = row.u32(1 + 4 * k, "Belegungsliste: Verweis");
            m_bitmapPages.push_back(bitmapPage);
            if (bitmapPage == 0)
                continue;
            const PageRef bitmap = file.page(bitmapPage, "Belegungsliste: Verweis");
            if (bitmap->type() != kPageUsageBitmap)
                JET_CORRUPT(bitmapPage, "Seitentyp",
                            "Belegungsseite erwartet, gefunden Typ " + std::to_string(bitmap->type()));
            const ByteView v = bitmap->view();
            for (size_t i = kUsageBitmapPageData; i < v.size(); ++i) {
                const uint8_t b = v.data()[i];
                if (b == 0)
                    continue;
                for (unsigned j = 0; j < 8; ++j)
                    if ((b >> j) & 1) {
                        const uint64_t page = k * perBitmap + (i - kUsageBitmapPageData) * 8 + j;
                        if (page <= 0xFFFFFF)
                            setBit(m_bits, page, true);
                    }
            }
        }
    } else {
        JET_CORRUPT(ptr.page, "Belegungsliste: Typ", "unbekannter Typ " + std::to_string(m_type));
    }
    rememberPages();
}

void UsageMap::rememberPages()
{
    std::vector<uint32_t> pages{RowPointer::fromU32(m_pointer).page};
    for (uint32_t bitmap : m_bitmapPages)
        if (bitmap != 0)
            pages.push_back(bitmap);
    m_stamps.remember(m_file, pages);
}

bool UsageMap::contains(uint32_t page) const { return bit(m_bits, page); }

std::vector<uint32_t> UsageMap::pages() const
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < m_bits.size(); ++i) {
        if (m_bits[i] == 0)
            continue;
        for (unsigned b = 0; b < 8; ++b)
            if ((m_bits[i] >> b) & 1)
                out.push_back(static_cast<uint32_t>(i * 8 + b));
    }
    return out;
}

bool UsageMap::inRange(uint32_t page) const
{
    return page >= m_start && static_cast<uint64_t>(page) < static_cast<uint64_t>(m_start) + m_inlinePages;
}

void UsageMap::writeInline()
{
    MapRow r = loadRow(m_file, m_format, m_pointer);
    std::vector<uint8_t>& b = r.bytes;
    std::fill(b.begin() + kUsageMapStartPage, b.end(), 0);
    ByteSpan(b).put32(kUsageMapStartPage, m_start, "Belegungsliste: erste Seite");
    for (uint32_t i = 0; i < m_inlinePages; ++i)
        if (bit(m_bits, static_cast<uint64_t>(m_start) + i))
            b[kUsageMapBitmap + i / 8] = static_cast<uint8_t>(b[kUsageMapBitmap + i / 8] | (1u << (i % 8)));
    storeRow(r, "Belegungsliste");
}

void UsageMap::becomeReference(const Allocate& allocate)
{
    MapRow r = loadRow(m_file, m_format, m_pointer);
    std::fill(r.bytes.begin(), r.bytes.end(), 0);
    r.bytes[0] = kUsageMapReference;
    storeRow(r, "Belegungsliste");
    m_type = kUsageMapReference;
    m_bitmapPages.assign((m_rowSize - 1) / 4, 0);
    for (uint32_t page : pages())
        writeReferenceBit(page, true, allocate);
}

void UsageMap::writeReferenceBit(uint32_t page, bool on, const Allocate& allocate)
{
    const uint32_t perBitmap = pagesPerBitmap(m_format);
    const size_t k = page / perBitmap;
    if (k >= m_bitmapPages.size()) {
        if (!on)
            return;
        throw JetError("Die Datei wird zu groß für eine Access-Datenbank (Seite " + std::to_string(page) + ").");
    }
    if (m_bitmapPages[k] == 0) {
        if (!on)
            return;
        const uint32_t bitmapPage = allocate();
        const PageEdit p = m_file.edit(bitmapPage);
        std::fill(p->bytes.begin(), p->bytes.end(), 0);
        p->bytes[0] = kPageUsageBitmap;
        p->bytes[1] = kPageMarker;
        m_bitmapPages[k] = bitmapPage;
        MapRow r = loadRow(m_file, m_format, m_pointer);
        ByteSpan(r.bytes).put32(1 + 4 * k, bitmapPage, "Belegungsliste: Verweis");
        storeRow(r, "Belegungsliste");
    }
    const PageEdit p = m_file.edit(m_bitmapPages[k], "Belegungsliste: Verweis");
    if (p->type() != kPageUsageBitmap)
        JET_CORRUPT(p->number, "Seitentyp", "Belegungsseite erwartet, gefunden Typ " + std::to_string(p->type()));
    const uint32_t i = page % perBitmap;
    uint8_t& byte = p->bytes[kUsageBitmapPageData + i / 8];
    byte = on ? static_cast<uint8_t>(byte | (1u << (i % 8))) : static_cast<uint8_t>(byte & ~(1u << (i % 8)));
}

void UsageMap::set(uint32_t page, bool on) { setBit(m_bits, page, on); }

void UsageMap::add(uint32_t page, const Allocate& allocate)
{
    if (contains(page))
        return;
    set(page, true);
    if (m_type == kUsageMapReference) {
        writeReferenceBit(page, true, allocate);
    } else if (inRange(page)) {
        writeInline();
    } else {
        // Outside the bitmap: move its start if every marked page still fits, as Access
        // keeps small maps inline; otherwise it becomes a map of bitmap pages.
        const std::vector<uint32_t> marked = pages();
        if (m_inlinePages > 0 && marked.back() - marked.front() < m_inlinePages) {
            m_start = marked.front();
            writeInline();
        } else {
            becomeReference(allocate);
        }
    }
    rememberPages();
}

void UsageMap::remove(uint32_t page)
{
    if (!contains(page))
        return;
    set(page, false);
    if (m_type == kUsageMapReference)
        writeReferenceBit(page, false, nullptr);
    else
        writeInline();
    rememberPages();
}

// --- The free-page map ---------------------------------------------------------------

FreePageMap::FreePageMap(PageFile& file, const Format& format) : m_file(file), m_format(format)
{
    const DataPage holder(file.page(kFreePageMapPage, "Freiseitenliste"), format);
    const auto refuse = [&](const std::string& why) {
        throw JetError("Die Liste der freien Seiten der Datei " + file.path() + " hat eine unbekannte Form (" + why
                       + "); in diese Datei wird nicht geschrieben.");
    };
    if (holder.rowCount() == 0 || holder.slot(0).deleted || holder.slot(0).overflow)
        refuse("keine Zeile 0 auf Seite 1");
    const ByteView row = holder.rowBytes(0);
    if (row.size() <= kUsageMapBitmap)
        refuse("Zeile 0 auf Seite 1 ist zu kurz");
    const uint8_t type = row.u8(0, "Freiseitenliste");
    if (type == kUsageMapInline) {
        m_start = row.u32(kUsageMapStartPage, "Freiseitenliste");
        const ByteView bitmap = row.sub(kUsageMapBitmap, row.size() - kUsageMapBitmap, "Freiseitenliste");
        if (m_start == 0) {
            m_bitmap.assign(bitmap.data(), bitmap.data() + bitmap.size());
        } else {
            m_form = Form::InlineWindow;
            m_windowPages = static_cast<uint32_t>(bitmap.size() * 8);
            if (static_cast<uint64_t>(m_start) + m_windowPages > kMaxPages)
                refuse("sie reicht über Seite " + std::to_string(kMaxPages - 1) + " hinaus");
            for (uint32_t i = 0; i < m_windowPages; ++i)
                if ((bitmap.data()[i / 8] >> (i % 8)) & 1)
                    setBit(m_bitmap, m_start + i, true);
        }
    } else if (type == kUsageMapReference) {
        m_form = Form::Reference;
        const uint32_t perBitmap = pagesPerBitmap(format);
        for (size_t k = 0; 1 + 4 * (k + 1) <= row.size(); ++k) {
            uint32_t bitmapPage = row.u32(1 + 4 * k, "Freiseitenliste: Verweis");
            // Access leaves values past the largest page number in slots it does not use
            // (0xFFFFFF80 in the last slot of an Access-made file); they name no page.
            if (bitmapPage >= kMaxPages)
                bitmapPage = 0;
            m_slots.push_back(bitmapPage);
            if (bitmapPage == 0)
                continue;
            if (bitmapPage <= kFreePageMapPage || bitmapPage >= file.pageCount())
                refuse("sie verweist auf Seite " + std::to_string(bitmapPage));
            const PageRef bitmap = file.page(bitmapPage, "Freiseitenliste: Verweis");
            if (bitmap->type() != kPageUsageBitmap)
                refuse("Seite " + std::to_string(bitmapPage) + " ist keine Belegungsseite");
            const ByteView v = bitmap->view();
            for (size_t i = kUsageBitmapPageData; i < v.size(); ++i)
                for (unsigned j = 0; j < 8; ++j)
                    if ((v.data()[i] >> j) & 1) {
                        const uint64_t page = k * uint64_t{perBitmap} + (i - kUsageBitmapPageData) * 8 + j;
                        if (page < kMaxPages)
                            setBit(m_bitmap, page, true);
                    }
        }
    } else {
        refuse("unbekannter Typ " + std::to_string(type));
    }
    if (bit(m_bitmap, 0) || bit(m_bitmap, kFreePageMapPage))
        refuse("Seite 0 oder 1 ist als frei markiert");
    for (uint32_t page : mapPages())
        if (bit(m_bitmap, page))
            refuse("ihre eigene Seite " + std::to_string(page) + " ist als frei markiert");
    rememberPages();
}

void FreePageMap::rememberPages()
{
    std::vector<uint32_t> pages = mapPages();
    pages.push_back(kFreePageMapPage);
    m_stamps.remember(m_file, pages);
}

bool FreePageMap::isFree(uint32_t page) const { return bit(m_bitmap, page); }

std::vector<uint32_t> FreePageMap::mapPages() const
{
    std::vector<uint32_t> out;
    for (uint32_t page : m_slots)
        if (page != 0)
            out.push_back(page);
    return out;
}

bool FreePageMap::covers(uint32_t page) const
{
    switch (m_form) {
    case Form::InlineFromZero:
        return true;
    case Form::InlineWindow:
        return page >= m_start && page - m_start < m_windowPages;
    case Form::Reference: {
        const size_t k = page / pagesPerBitmap(m_format);
        return k < m_slots.size() && m_slots[k] != 0;
    }
    }
    return false;
}

void FreePageMap::cover(uint32_t page)
{
    if (page / 8 < m_bitmap.size())
        return;
    // Widened in steps of 64 bytes (512 pages); the new bits past the end of the file are
    // free, as Access marks them.
    const size_t bytes = (page / 8 / kUsageMapInlineBytes + 1) * kUsageMapInlineBytes;
    const size_t old = m_bitmap.size() * 8;
    m_bitmap.resize(bytes, 0);
    for (size_t i = old; i < bytes * 8; ++i)
        if (i >= m_file.pageCount())
            setBit(m_bitmap, i, true);
}

// `page`, just taken at the end of the file, lies past the window. The window moves on as
// the files of that form show it: to start at the page when nothing in the old window is
// free, else half a window before it; the old window's pages before the new start leave
// the map (they stay unrecorded), and the new pages past the end of the file are free.
void FreePageMap::slideWindow(uint32_t page)
{
    bool anyFree = false;
    for (uint32_t i = 0; i < m_windowPages && !anyFree; ++i)
        anyFree = bit(m_bitmap, m_start + i);
    const uint32_t oldEnd = m_start + m_windowPages;
    const uint32_t start = anyFree ? page - m_windowPages / 2 : page;
    if (static_cast<uint64_t>(start) + m_windowPages > kMaxPages)
        throw JetError("Die Datei " + m_file.path() + " wird zu groß für eine Access-Datenbank.");
    for (uint32_t p = m_start; p < start; ++p)
        setBit(m_bitmap, p, false);
    for (uint32_t p = std::max(oldEnd, start); p < start + m_windowPages; ++p)
        if (p > page && p >= m_file.pageCount())
            setBit(m_bitmap, p, true);
    m_start = start;
    setBit(m_bitmap, page, false);
    writeRow();
}

void FreePageMap::writeRow()
{
    std::vector<uint8_t> row(kUsageMapBitmap, 0);
    row[0] = kUsageMapInline;
    ByteSpan(row).put32(kUsageMapStartPage, m_start, "Freiseitenliste");
    if (m_form == Form::InlineFromZero) {
        row.insert(row.end(), m_bitmap.begin(), m_bitmap.end());
    } else {
        row.resize(kUsageMapBitmap + m_windowPages / 8, 0);
        for (uint32_t i = 0; i < m_windowPages; ++i)
            if (bit(m_bitmap, m_start + i))
                row[kUsageMapBitmap + i / 8] = static_cast<uint8_t>(row[kUsageMapBitmap + i / 8] | (1u << (i % 8)));
    }
    DataPageWriter holder(m_file.edit(kFreePageMapPage, "Freiseitenliste"), m_format);
    if (!holder.replaceRow(0, ByteView(row.data(), row.size()), 0))
        throw JetError("Die Liste der freien Seiten passt nicht mehr auf Seite 1: Die Datei " + m_file.path()
                       + " wird zu groß für eine Access-Datenbank.");
}

void FreePageMap::writeBitmapBit(uint32_t page, bool free)
{
    const uint32_t perBitmap = pagesPerBitmap(m_format);
    const PageEdit p = m_file.edit(m_slots[page / perBitmap], "Freiseitenliste: Verweis");
    if (p->type() != kPageUsageBitmap)
        JET_CORRUPT(p->number, "Seitentyp", "Belegungsseite erwartet, gefunden Typ " + std::to_string(p->type()));
    const uint32_t i = page % perBitmap;
    uint8_t& byte = p->bytes[kUsageBitmapPageData + i / 8];
    byte = free ? static_cast<uint8_t>(byte | (1u << (i % 8))) : static_cast<uint8_t>(byte & ~(1u << (i % 8)));
}

void FreePageMap::mark(uint32_t page, bool free)
{
    if (!covers(page)) {
        // Only a page taken past a window changes the map; a page outside it that is
        // given back stays unrecorded.
        if (m_form == Form::InlineWindow && !free && page >= m_start + m_windowPages)
            slideWindow(page);
        return;
    }
    if (m_form == Form::InlineFromZero && free)
        cover(page);
    if (bit(m_bitmap, page) == free && m_form != Form::InlineFromZero)
        return;
    setBit(m_bitmap, page, free);
    if (m_form == Form::Reference)
        writeBitmapBit(page, free);
    else
        writeRow();
}

PageEdit FreePageMap::allocate(const std::function<bool(uint32_t)>& usable, const std::vector<uint8_t>* excluded)
{
    const uint32_t count = m_file.pageCount();
    const std::vector<uint32_t> own = mapPages();
    for (size_t byte = 0; byte < m_bitmap.size() && byte * 8 < count; ++byte) {
        uint8_t bits = m_bitmap[byte];
        if (excluded && byte < excluded->size())
            bits &= static_cast<uint8_t>(~(*excluded)[byte]);
        if (bits == 0)
            continue;
        for (unsigned b = 0; b < 8; ++b) {
            const uint32_t page = static_cast<uint32_t>(byte * 8 + b);
            if (page >= count)
                break;
            if (!((bits >> b) & 1) || page <= kFreePageMapPage || (usable && !usable(page))
                || std::find(own.begin(), own.end(), page) != own.end())
                continue;
            mark(page, false);
            rememberPages();
            const PageEdit p = m_file.edit(page);
            std::fill(p->bytes.begin(), p->bytes.end(), 0);
            return p;
        }
    }
    const PageEdit p = m_file.appendPage();
    if (m_form == Form::InlineFromZero)
        cover(p->number);
    mark(p->number, false);
    rememberPages();
    return p;
}

void FreePageMap::release(uint32_t page)
{
    const PageEdit p = m_file.edit(page);
    std::fill(p->bytes.begin(), p->bytes.end(), 0);
    mark(page, true);
    rememberPages();
}

}  // namespace db::jet
