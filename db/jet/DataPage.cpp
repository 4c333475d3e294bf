// Reading the row offset table of a data page, and changing one row at a time.
#include "db/jet/DataPage.h"

#include <cstring>

namespace db::jet {

DataPage::DataPage(PageRef page, const Format& format) : m_page(std::move(page)), m_format(format)
{
    const ByteView v = m_page->view();
    if (v.u8(0, "Seitentyp") != kPageData)
        JET_CORRUPT(m_page->number, "Seitentyp",
                    "Datenseite erwartet, gefunden Typ " + std::to_string(m_page->type()));
    m_owner = v.u32(kDataOwner, "Besitzer");
    m_rowCount = v.u16(format.dataRowCount, "Zeilenanzahl");
    if (m_rowCount > kMaxRowsPerPage)
        JET_CORRUPT(m_page->number, "Zeilenanzahl", std::to_string(m_rowCount) + " Zeilen auf einer Seite");
    v.need(format.dataRowTable, 2u * m_rowCount, "Zeilentabelle");
}

uint16_t DataPage::rawOffset(unsigned index) const
{
    return m_page->view().u16(m_format.dataRowTable + 2u * index, "Zeilentabelle");
}

RowSlot DataPage::slot(unsigned index) const
{
    if (index >= m_rowCount)
        JET_CORRUPT(m_page->number, "Zeilennummer",
                    "Zeile " + std::to_string(index) + " gibt es nicht (" + std::to_string(m_rowCount)
                        + " Zeilen)");
    const uint16_t raw = rawOffset(index);
    RowSlot s;
    s.deleted = (raw & kRowFlagDeleted) != 0;
    s.overflow = (raw & kRowFlagOverflow) != 0;
    s.start = raw & kRowOffsetMask;
    s.end = index == 0 ? static_cast<uint16_t>(m_format.pageSize) : (rawOffset(index - 1) & kRowOffsetMask);
    const uint32_t tableEnd = m_format.dataRowTable + 2u * m_rowCount;
    if (s.start < tableEnd || s.start > s.end || s.end > m_format.pageSize)
        JET_CORRUPT(m_page->number, "Zeilentabelle",
                    "Zeile " + std::to_string(index) + " liegt bei Byte " + std::to_string(s.start) + " bis "
                        + std::to_string(s.end) + " außerhalb ihres Bereichs");
    return s;
}

ByteView DataPage::rowBytes(unsigned index) const
{
    const RowSlot s = slot(index);
    return m_page->view().sub(s.start, static_cast<size_t>(s.end - s.start), "Zeile");
}

// --- Write half --------------------------------------------------------------------------

DataPageWriter::DataPageWriter(PageEdit page, const Format& format) : m_page(std::move(page)), m_format(format)
{
    const ByteView v = m_page->view();
    if (v.u8(0, "Seitentyp") != kPageData)
        JET_CORRUPT(m_page->number, "Seitentyp", "Datenseite erwartet, gefunden Typ " + std::to_string(m_page->type()));
    const unsigned count = v.u16(format.dataRowCount, "Zeilenanzahl");
    if (count > kMaxRowsPerPage)
        JET_CORRUPT(m_page->number, "Zeilenanzahl", std::to_string(count) + " Zeilen auf einer Seite");
    const uint32_t tableEnd = format.dataRowTable + 2u * count;
    v.need(format.dataRowTable, 2u * count, "Zeilentabelle");
    // One pass over the whole slot table: a damaged page is refused before any change.
    m_slots.reserve(count + 1);
    uint32_t previous = format.pageSize;
    for (unsigned i = 0; i < count; ++i) {
        const uint16_t raw = v.u16(format.dataRowTable + 2u * i, "Zeilentabelle");
        const uint32_t start = raw & kRowOffsetMask;
        if (start < tableEnd || start > previous)
            JET_CORRUPT(m_page->number, "Zeilentabelle",
                        "Zeile " + std::to_string(i) + " liegt bei Byte " + std::to_string(start) + " bis "
                            + std::to_string(previous) + " außerhalb ihres Bereichs");
        m_slots.push_back({static_cast<uint16_t>(raw & ~kRowOffsetMask), static_cast<uint16_t>(start),
                           static_cast<uint16_t>(previous)});
        previous = start;
    }
}

void DataPageWriter::initialize(Page& page, const Format& format, uint32_t owner)
{
    std::fill(page.bytes.begin(), page.bytes.end(), 0);
    const ByteSpan p = page.span();
    p.put8(0, kPageData, "Seitentyp");
    p.put8(1, kPageMarker, "Seitentyp");
    p.put16(kDataFreeSpace, format.pageSize - format.dataRowTable, "freier Platz");
    p.put32(kDataOwner, owner, "Besitzer");
}

uint32_t DataPageWriter::owner() const { return m_page->view().u32(kDataOwner, "Besitzer"); }

uint16_t DataPageWriter::freeSpace() const
{
    const uint32_t lowest = m_slots.empty() ? m_format.pageSize : m_slots.back().start;
    return static_cast<uint16_t>(lowest - (m_format.dataRowTable + 2u * m_slots.size()));
}

void DataPageWriter::checkSlot(unsigned slot) const
{
    if (slot >= m_slots.size())
        JET_CORRUPT(m_page->number, "Zeilennummer",
                    "Zeile " + std::to_string(slot) + " gibt es nicht (" + std::to_string(m_slots.size()) + " Zeilen)");
}

uint16_t DataPageWriter::flags(unsigned slot) const
{
    checkSlot(slot);
    return m_slots[slot].flags;
}

ByteView DataPageWriter::rowBytes(unsigned slot) const
{
    checkSlot(slot);
    const Slot& s = m_slots[slot];
    return m_page->view().sub(s.start, static_cast<size_t>(s.end - s.start), "Zeile");
}

bool DataPageWriter::hasLiveRows() const
{
    // A slot flagged only 0x8000 holds the bytes of a row that moved here: alive.
    for (const Slot& s : m_slots)
        if ((s.flags & kRowRemoved) != kRowRemoved)
            return true;
    return false;
}

bool DataPageWriter::fits(size_t length) const
{
    return m_slots.size() < kMaxRowsWritten && length + 2 <= freeSpace();
}

int DataPageWriter::addRow(ByteView row, uint16_t flags)
{
    if (!fits(row.size()))
        return -1;
    const uint16_t end = m_slots.empty() ? static_cast<uint16_t>(m_format.pageSize) : m_slots.back().start;
    const uint16_t start = static_cast<uint16_t>(end - row.size());
    const ByteSpan p = m_page->span();
    p.copy(start, row, "Zeile");
    const unsigned slot = static_cast<unsigned>(m_slots.size());
    m_slots.push_back({flags, start, end});
    p.put16(m_format.dataRowTable + 2u * slot, start | flags, "Zeilentabelle");
    p.put16(m_format.dataRowCount, static_cast<uint32_t>(m_slots.size()), "Zeilenanzahl");
    p.put16(kDataFreeSpace, freeSpace(), "freier Platz");
    return static_cast<int>(slot);
}

bool DataPageWriter::replaceRow(unsigned slot, ByteView row, uint16_t flags)
{
    checkSlot(slot);
    Slot& target = m_slots[slot];
    const size_t old = target.end - target.start;
    if (row.size() > old && row.size() - old > freeSpace())
        return false;
    // The rows below this one (higher slots) move by the difference; their bytes keep
    // their order, so only offsets change.
    const ByteSpan p = m_page->span();
    const uint32_t lowest = m_slots.back().start;
    const int64_t delta = static_cast<int64_t>(row.size()) - static_cast<int64_t>(old);
    const uint32_t below = target.start - lowest;
    if (below > 0 && delta != 0)
        std::memmove(p.data() + lowest - delta, p.data() + lowest, below);
    if (delta < 0)
        p.fill(lowest, static_cast<size_t>(-delta), 0, "Zeilen");  // the bytes given back
    target.start = static_cast<uint16_t>(target.start - delta);
    target.flags = flags;
    p.copy(target.start, row, "Zeile");
    p.put16(m_format.dataRowTable + 2u * slot, target.start | flags, "Zeilentabelle");
    for (unsigned k = slot + 1; k < m_slots.size(); ++k) {
        m_slots[k].start = static_cast<uint16_t>(m_slots[k].start - delta);
        m_slots[k].end = static_cast<uint16_t>(m_slots[k].end - delta);
        p.put16(m_format.dataRowTable + 2u * k, m_slots[k].start | m_slots[k].flags, "Zeilentabelle");
    }
    p.put16(kDataFreeSpace, freeSpace(), "freier Platz");
    return true;
}

void DataPageWriter::removeRow(unsigned slot)
{
    replaceRow(slot, ByteView(), kRowRemoved);
}

}  // namespace db::jet
