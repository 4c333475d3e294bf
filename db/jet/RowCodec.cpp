// Locating column data inside a row, and laying out new rows.
#include "db/jet/RowCodec.h"

namespace db::jet {

RowCodec::RowCodec(const TableDef& def, const Format& format) : m_def(def), m_format(format)
{
    for (const ColumnDef& c : def.columns)
        if (!c.isFixed() && (c.type != ColumnType::Boolean || c.isCalculated()))
            m_hasVariable = true;
    m_hasVariable = m_hasVariable || def.varColumns > 0;
}

void RowCodec::variableOffsets(ByteView row, uint32_t nullMaskSize, std::vector<uint32_t>& offsets) const
{
    offsets.clear();
    const size_t n = row.size();
    const uint32_t w = m_format.rowCountSize;
    if (n < nullMaskSize + w)
        JET_CORRUPT(row.page(), "Zeile", "zu kurz für die Zahl der variablen Spalten");
    const size_t countPos = n - nullMaskSize - w;
    const uint32_t varCount = w == 1 ? row.u8(countPos, "Zahl variabler Spalten")
                                     : row.u16(countPos, "Zahl variabler Spalten");
    if (!m_format.jet3) {
        // varCount + 1 entries below the count, the first variable column nearest to it.
        const size_t tableSize = (static_cast<size_t>(varCount) + 1) * 2;
        if (countPos < tableSize)
            JET_CORRUPT(row.page(), "Zeile", "Tabelle der variablen Spalten passt nicht in die Zeile");
        for (uint32_t i = 0; i <= varCount; ++i)
            offsets.push_back(row.u16(countPos - 2 * (i + 1), "Position variabler Spalte"));
        return;
    }
    // Jet 3: one byte per offset, plus one jump-table byte per 256 bytes of row.
    const size_t jumpSlots = (n - 1) / 256;
    const size_t tableSize = static_cast<size_t>(varCount) + 1;
    if (countPos < jumpSlots + tableSize)
        JET_CORRUPT(row.page(), "Zeile", "Tabelle der variablen Spalten passt nicht in die Zeile");
    const size_t tableTop = countPos - jumpSlots;  // one past the first entry
    for (uint32_t i = 0; i <= varCount; ++i) {
        uint32_t high = 0;
        for (size_t j = 0; j < jumpSlots; ++j) {
            // Entry j holds the first table index at or past the boundary 256 * (j + 1);
            // a boundary the row's data never reaches holds a value past the table.
            const uint8_t first = row.u8(countPos - 1 - j, "Sprungtabelle");
            if (first <= i)
                ++high;
        }
        offsets.push_back(row.u8(tableTop - 1 - i, "Position variabler Spalte") + 256 * high);
    }
}

void RowCodec::crack(ByteView row, std::vector<FieldSpan>& out) const
{
    const uint32_t w = m_format.rowCountSize;
    const uint32_t colCount = w == 1 ? row.u8(0, "Spaltenzahl der Zeile") : row.u16(0, "Spaltenzahl der Zeile");
    const uint32_t nullMaskSize = (colCount + 7) / 8;
    if (row.size() < w + nullMaskSize)
        JET_CORRUPT(row.page(), "Zeile", "zu kurz für ihre Nullmaske");
    const size_t nullMaskPos = row.size() - nullMaskSize;
    size_t fixedEnd = nullMaskPos;  // bytes available to fixed data
    // A row written before the table had variable columns carries no variable part.
    bool rowHasVariable = false;
    if (m_hasVariable)
        for (const ColumnDef& c : m_def.columns)
            if (!c.isFixed() && (c.type != ColumnType::Boolean || c.isCalculated()) && c.number < colCount)
                rowHasVariable = true;
    if (rowHasVariable) {
        variableOffsets(row, nullMaskSize, m_offsets);
        // Variable data lies between the fixed data and the offset table.
        fixedEnd = m_offsets.empty() ? nullMaskPos : m_offsets.front();
        if (fixedEnd > nullMaskPos)
            fixedEnd = nullMaskPos;
    } else {
        m_offsets.clear();
    }
    const size_t varLimit = row.size() - nullMaskSize - w
                            - (m_offsets.empty() ? 0 : (m_offsets.size()) * (m_format.jet3 ? 1 : 2));

    out.assign(m_def.columns.size(), FieldSpan{});
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        FieldSpan& f = out[i];
        if (c.number >= colCount)
            continue;  // column added after the row was written
        const bool bit = (row.data()[nullMaskPos + c.number / 8] >> (c.number % 8)) & 1;
        // A calculated Yes/No column keeps its result in the row's data like any other
        // calculated column; the bit is then its NULL flag.
        if (c.type == ColumnType::Boolean && !c.isCalculated()) {
            f.present = bit;
            continue;
        }
        if (!bit)
            continue;
        if (c.isFixed()) {
            const size_t start = w + static_cast<size_t>(c.fixedOffset);
            if (start + c.length > fixedEnd)
                JET_CORRUPT(row.page(), "Spalte " + c.name,
                            "feste Daten bei Byte " + std::to_string(start) + " ragen über die Zeile hinaus");
            f = {true, static_cast<uint32_t>(start), c.length};
        } else {
            if (c.varIndex + 1u >= m_offsets.size()) {
                // The row's null mask covers the column and marks it present, but its
                // table of variable columns ends before it: Access leaves trailing empty
                // values out, so this is an empty value (mdb-export reads it so), not NULL.
                f = {true, w, 0};
                continue;
            }
            const uint32_t start = m_offsets[c.varIndex];
            const uint32_t end = m_offsets[c.varIndex + 1u];
            if (start > end || end > varLimit || start < w)
                JET_CORRUPT(row.page(), "Spalte " + c.name,
                            "variable Daten bei Byte " + std::to_string(start) + " bis " + std::to_string(end)
                                + " liegen außerhalb der Zeile");
            f = {true, start, end - start};
        }
    }
}

size_t RowCodec::baseSize() const
{
    size_t size = 2 + m_def.fixedDataSize() + (m_def.maxColumns + 7u) / 8;
    if (m_hasVariable)
        size += 2 * (static_cast<size_t>(m_def.varColumns) + 1) + 2;
    return size;
}

size_t RowCodec::encodedSize(const std::vector<EncodedValue>& values) const
{
    size_t size = baseSize();
    if (m_hasVariable) {
        for (size_t i = 0; i < m_def.columns.size(); ++i)
            if (!m_def.columns[i].isFixed() && m_def.columns[i].type != ColumnType::Boolean && values[i].present)
                size += values[i].bytes.size();
    }
    return size;
}

std::vector<uint8_t> RowCodec::encode(const std::vector<EncodedValue>& values) const
{
    if (m_format.jet3)
        throw JetError("Zeilen im Format von Access 97 werden nicht geschrieben.");
    const uint32_t colCount = m_def.maxColumns;
    const uint32_t fixedSize = m_def.fixedDataSize();
    const size_t maskSize = (colCount + 7) / 8;
    // The row is laid out in one buffer of its final size; the null mask comes last.
    std::vector<uint8_t> row(encodedSize(values), 0);
    const ByteSpan out(row);
    out.put16(0, colCount, "Spaltenzahl");
    uint8_t* const mask = row.data() + row.size() - maskSize;
    std::vector<const std::vector<uint8_t>*>& variable = m_variable;
    variable.assign(m_def.varColumns, nullptr);
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        const EncodedValue& v = values.at(i);
        if (!v.present)
            continue;
        mask[c.number / 8] = static_cast<uint8_t>(mask[c.number / 8] | (1u << (c.number % 8)));
        if (c.type == ColumnType::Boolean)
            continue;
        if (c.isFixed()) {
            if (v.bytes.size() != c.length)
                throw JetError("Interner Fehler: Feld \"" + c.name + "\" hat " + std::to_string(v.bytes.size())
                               + " statt " + std::to_string(c.length) + " Bytes.");
            std::copy(v.bytes.begin(), v.bytes.end(), row.begin() + 2 + c.fixedOffset);
        } else {
            variable.at(c.varIndex) = &v.bytes;
        }
    }
    if (m_hasVariable) {
        // Data in column order, then the offsets from the last (the end of the data) to
        // the first, then the count of variable columns.
        size_t at = 2 + fixedSize;
        size_t offsetAt = row.size() - maskSize - 2;
        out.put16(offsetAt, m_def.varColumns, "Anzahl variabler Spalten");
        for (const std::vector<uint8_t>* data : variable) {
            offsetAt -= 2;
            out.put16(offsetAt, static_cast<uint32_t>(at), "Spaltenanfang");
            if (data) {
                std::copy(data->begin(), data->end(), row.begin() + static_cast<std::ptrdiff_t>(at));
                at += data->size();
            }
        }
        out.put16(offsetAt - 2, static_cast<uint32_t>(at), "Spaltenende");
    }
    return row;
}

}  // namespace db::jet
