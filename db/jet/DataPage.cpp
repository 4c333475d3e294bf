// Reading the row offset table of a data page, and changing one row at a time.
#include "db/jet/DataPage.h"

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
    const DataPage reader(m_page, format);  // type, count and table size
    uint32_t previous = format.pageSize;
    for (unsigned i = 0; i < reader.rowCount(); ++i) {
        const RowSlot s = reader.slot(i);
        if (s.end != previous)
            JET_CORRUPT(m_page->number, "Zeilentabelle", "Zeile " + std::to_string(i) + " liegt nicht in Slot-Reihenfolge");
        const uint16_t raw = m_page->view().u16(format.dataRowTable + 2u * i, "Zeilentabelle");
        m_slots.push_back({static_cast<uint16_t>(raw & ~kRowOffsetMask), s.start, s.end});
        previous = s.start;
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
    const size_t old = m_slots[slot].end - m_slots[slot].start;
    if (row.size() > old && row.size() - old > freeSpace())
        return false;
    const std::vector<uint8_t> bytes(row.data(), row.data() + row.size());
    relayout(slot, &bytes, flags);
    return true;
}

void DataPageWriter::removeRow(unsigned slot)
{
    checkSlot(slot);
    const std::vector<uint8_t> none;
    relayout(slot, &none, kRowRemoved);
}

void DataPageWriter::relayout(unsigned slot, const std::vector<uint8_t>* bytes, uint16_t flags)
{
    std::vector<std::vector<uint8_t>> rows(m_slots.size());
    for (unsigned i = 0; i < m_slots.size(); ++i) {
        if (i == slot && bytes) {
            rows[i] = *bytes;
            m_slots[i].flags = flags;
        } else if ((m_slots[i].flags & kRowRemoved) == kRowRemoved) {
            // A removed row's bytes (Access sometimes leaves them) are given back too.
        } else {
            const ByteView b = rowBytes(i);
            rows[i].assign(b.data(), b.data() + b.size());
        }
    }
    const ByteSpan p = m_page->span();
    const uint32_t tableEnd = m_format.dataRowTable + 2u * static_cast<uint32_t>(m_slots.size());
    p.fill(tableEnd, m_format.pageSize - tableEnd, 0, "Zeilen");
    uint32_t end = m_format.pageSize;
    for (unsigned i = 0; i < m_slots.size(); ++i) {
        const uint32_t start = end - static_cast<uint32_t>(rows[i].size());
        p.copy(start, ByteView(rows[i].data(), rows[i].size()), "Zeile");
        m_slots[i].start = static_cast<uint16_t>(start);
        m_slots[i].end = static_cast<uint16_t>(end);
        p.put16(m_format.dataRowTable + 2u * i, start | m_slots[i].flags, "Zeilentabelle");
        end = start;
    }
    p.put16(kDataFreeSpace, freeSpace(), "freier Platz");
}

}  // namespace db::jet
