// Reading the row offset table of a data page.
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

}  // namespace db::jet
