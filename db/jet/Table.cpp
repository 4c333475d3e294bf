// Row access and value decoding.
#include "db/jet/Table.h"

#include "db/jet/DatabaseHeader.h"
#include "db/jet/LongValue.h"
#include "db/jet/Text.h"
#include "db/jet/UsageMap.h"
#include "db/jet/ValueFormat.h"

namespace db::jet {

Table::Table(PageFile& file, const DatabaseHeader& header, std::string name, TableDef def)
    : m_file(file),
      m_header(header),
      m_format(header.format()),
      m_name(std::move(name)),
      m_def(std::move(def)),
      m_codec(m_def, m_format)
{
}

const std::vector<uint32_t>& Table::dataPages()
{
    if (!m_pages)
        m_pages = readUsageMap(m_file, m_format, m_def.ownedPagesMap);
    return *m_pages;
}

bool Table::resolve(const DataPage& page, unsigned slot, Row& row)
{
    const RowSlot s = page.slot(slot);
    if (s.deleted)
        return false;
    row.rowId = makeRowId(page.number(), slot);
    if (!s.overflow) {
        row.page = page.page();
        row.bytes = page.rowBytes(slot);
    } else {
        const RowPointer to = RowPointer::fromU32(page.rowBytes(slot).u32(0, "Verweis auf verschobene Zeile"));
        const DataPage target(m_file.page(to.page, "Verweis auf verschobene Zeile"), m_format);
        if (target.owner() != m_def.page)
            JET_CORRUPT(to.page, "Besitzer", "verschobene Zeile liegt auf einer Seite einer anderen Tabelle");
        if (target.slot(to.row).overflow)
            JET_CORRUPT(to.page, "Zeilentabelle", "verschobene Zeile verweist weiter");
        row.page = target.page();
        row.bytes = target.rowBytes(to.row);
    }
    m_codec.crack(row.bytes, row.fields);
    return true;
}

bool Table::next(ScanState& st, Row& row)
{
    const std::vector<uint32_t>& pages = dataPages();
    for (;;) {
        if (!st.page) {
            // Skip pages of the map that are not (or no longer) this table's data pages.
            while (st.pageIndex < pages.size()) {
                const PageRef p = m_file.page(pages[st.pageIndex]);
                if (p->type() == kPageData && p->view().u32(kDataOwner, "Besitzer") == m_def.page) {
                    st.page = std::make_unique<DataPage>(p, m_format);
                    st.slot = 0;
                    break;
                }
                ++st.pageIndex;
            }
            if (!st.page)
                return false;
        }
        while (st.slot < st.page->rowCount()) {
            const unsigned slot = st.slot++;
            if (resolve(*st.page, slot, row))
                return true;
        }
        st.page.reset();
        ++st.pageIndex;
    }
}

bool Table::fetch(uint64_t rowId, Row& row)
{
    const uint32_t pageNo = rowIdPage(rowId);
    if (rowId >> 32 || !m_file.hasPage(pageNo) || pageNo == 0)
        return false;
    const PageRef p = m_file.page(pageNo);
    if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_def.page)
        return false;
    const DataPage page(p, m_format);
    if (rowIdSlot(rowId) >= page.rowCount())
        return false;
    return resolve(page, rowIdSlot(rowId), row);
}

void Table::unsupported(const ColumnDef& c, const std::string& what) const
{
    throw JetError("Die Spalte \"" + c.name + "\" der Tabelle \"" + m_name + "\" ist " + what
                   + ". Solche Felder werden nicht unterstützt.");
}

Value Table::value(const Row& row, size_t index)
{
    const ColumnDef& c = m_def.columns.at(index);
    const FieldSpan& f = row.fields.at(index);
    if (c.type == ColumnType::Boolean)
        return Value::ofInteger(f.present ? 1 : 0);
    if (c.isUnknownType()) {
        // Whatever the type means, its bytes are all we can give without guessing.
        if (!f.present)
            return Value::null();
        const ByteView d = row.bytes.sub(f.offset, f.length, "Spaltendaten");
        return Value::ofBlob(std::string(reinterpret_cast<const char*>(d.data()), d.size()));
    }
    if (c.type == ColumnType::Complex)
        unsupported(c, "ein mehrwertiges Feld oder eine Anlage");
    if (c.type == ColumnType::DateTimeExtended)
        unsupported(c, "vom Typ \"Datum/Uhrzeit erweitert\"");
    if (c.isCalculated())
        unsupported(c, "ein berechnetes Feld");
    if (!f.present)
        return Value::null();
    const ByteView d = row.bytes.sub(f.offset, f.length, "Spaltendaten");
    auto need = [&](size_t n) {
        if (d.size() < n)
            JET_CORRUPT(row.bytes.page(), "Spalte " + c.name,
                        std::to_string(d.size()) + " Bytes statt " + std::to_string(n));
    };
    switch (c.type) {
    case ColumnType::Byte: need(1); return Value::ofInteger(d.u8(0, "Byte"));
    case ColumnType::Integer: need(2); return Value::ofInteger(d.i16(0, "Integer"));
    case ColumnType::Long: need(4); return Value::ofInteger(d.i32(0, "Long"));
    case ColumnType::BigInt: need(8); return Value::ofInteger(d.i64(0, "BigInt"));
    case ColumnType::Currency: need(8); return Value::ofReal(static_cast<double>(d.i64(0, "Währung")) / 10000.0);
    case ColumnType::Single: need(4); return Value::ofReal(d.f32(0, "Single"));
    case ColumnType::Double: need(8); return Value::ofReal(d.f64(0, "Double"));
    case ColumnType::DateTime: {
        need(8);
        const double days = d.f64(0, "Datum");
        std::optional<std::string> text = formatDateTime(days);
        if (!text)
            JET_CORRUPT(row.bytes.page(), "Spalte " + c.name,
                        "Datumswert " + std::to_string(days) + " liegt außerhalb der Jahre 100 bis 9999");
        return Value::ofText(std::move(*text));
    }
    case ColumnType::Guid: need(16); return Value::ofText(formatGuid(d.data()));
    case ColumnType::Numeric: need(17); return Value::ofText(formatDecimal(d.data(), c.scale));
    case ColumnType::Binary:
        return Value::ofBlob(std::string(reinterpret_cast<const char*>(d.data()), d.size()));
    case ColumnType::Text:
        return Value::ofText(m_format.jet3 ? decodeCodePageText(d, m_header.codePage) : decodeJet4Text(d));
    case ColumnType::Ole:
        return Value::ofBlob(readLongValue(m_file, m_format, d));
    case ColumnType::Memo: {
        const std::string raw = readLongValue(m_file, m_format, d);
        const ByteView v(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), row.bytes.page());
        return Value::ofText(m_format.jet3 ? decodeCodePageText(v, m_header.codePage) : decodeJet4Text(v));
    }
    default: break;
    }
    return Value::null();
}

}  // namespace db::jet
