// Parsing table definitions.
#include "db/jet/TableDef.h"

#include "db/jet/Text.h"

#include <algorithm>
#include <unordered_set>

namespace db::jet {

namespace {

// Definitions beyond this are not something Access writes (255 columns, 32 indexes).
constexpr size_t kMaxTableDefBytes = 1u << 20;

}  // namespace

bool isKnownColumnType(ColumnType type)
{
    switch (type) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::Binary:
    case ColumnType::Text:
    case ColumnType::Ole:
    case ColumnType::Memo:
    case ColumnType::Guid:
    case ColumnType::Numeric:
    case ColumnType::Complex:
    case ColumnType::BigInt:
    case ColumnType::DateTimeExtended:
        return true;
    }
    return false;
}

namespace {

class NameReader {
public:
    NameReader(ByteView def, const Format& f, uint16_t codePage) : m_def(def), m_format(f), m_codePage(codePage) {}

    std::string read(size_t& pos, const char* field) const
    {
        const size_t len = m_format.nameLengthSize == 1 ? m_def.u8(pos, field) : m_def.u16(pos, field);
        pos += m_format.nameLengthSize;
        const ByteView bytes = m_def.sub(pos, len, field);
        pos += len;
        return m_format.jet3 ? decodeCodePageText(bytes, m_codePage) : decodeJet4Text(bytes);
    }

private:
    ByteView m_def;
    const Format& m_format;
    uint16_t m_codePage;
};

}  // namespace

const ColumnDef* TableDef::findColumn(uint16_t number) const
{
    for (const ColumnDef& c : columns)
        if (c.number == number)
            return &c;
    return nullptr;
}

std::vector<uint8_t> readTableDefChain(PageFile& file, const Format& format, uint32_t page)
{
    std::vector<uint8_t> def;
    std::unordered_set<uint32_t> seen;
    uint32_t next = page;
    bool first = true;
    while (next != 0 || first) {
        if (!seen.insert(next).second)
            JET_CORRUPT(next, "Tabellendefinition", "die Kette der Definitionsseiten bildet eine Schleife");
        const PageRef p = file.page(next, "Verweis auf Tabellendefinition");
        const ByteView v = p->view();
        if (v.u8(0, "Seitentyp") != kPageTableDef)
            JET_CORRUPT(next, "Seitentyp",
                        "Tabellendefinition erwartet, gefunden Typ " + std::to_string(p->type()));
        const size_t from = first ? 0 : format.tableDefChainHeader;
        if (def.size() + (v.size() - from) > kMaxTableDefBytes)
            JET_CORRUPT(page, "Tabellendefinition", "die Definition ist unplausibel lang");
        def.insert(def.end(), p->bytes.begin() + static_cast<std::ptrdiff_t>(from), p->bytes.end());
        next = v.u32(4, "nächste Definitionsseite");
        first = false;
    }
    return def;
}

TableDef readTableDef(PageFile& file, const Format& f, uint32_t page, uint16_t codePage)
{
    const std::vector<uint8_t> bytes = readTableDefChain(file, f, page);
    // Offsets are reported against the first page; the reassembled definition has no
    // page of its own beyond that.
    const ByteView def(bytes.data(), bytes.size(), page);
    const TableDefLayout& L = f.tdef;

    TableDef t;
    t.page = page;
    t.rowCount = def.u32(L.rowCount, "Zeilenanzahl");
    t.lastAutoNumber = def.u32(L.autoNumber, "Autowert");
    t.tableType = def.u8(L.tableType, "Tabellentyp");
    t.maxColumns = def.u16(L.maxColumns, "höchste Spaltennummer");
    t.varColumns = def.u16(L.varColumns, "Anzahl variabler Spalten");
    const uint16_t columnCount = def.u16(L.columnCount, "Spaltenanzahl");
    const uint32_t logicalCount = def.u32(L.logicalIndexCount, "Anzahl Indizes");
    const uint32_t realCount = def.u32(L.realIndexCount, "Anzahl Indexdaten");
    t.ownedPagesMap = def.u32(L.ownedPagesMap, "Belegungsliste");
    t.freePagesMap = def.u32(L.freePagesMap, "Freiliste");
    if (columnCount > 255 || logicalCount > 255 || realCount > 255 || realCount > logicalCount + 64)
        JET_CORRUPT(page, "Tabellendefinition",
                    "unplausible Anzahl von Spalten (" + std::to_string(columnCount) + ") oder Indizes ("
                        + std::to_string(logicalCount) + "/" + std::to_string(realCount) + ")");

    size_t pos = L.body + static_cast<size_t>(realCount) * L.realIndexStatSize;
    const ColumnLayout& C = f.column;
    def.need(pos, static_cast<size_t>(columnCount) * C.size, "Spaltenbeschreibungen");
    for (uint16_t i = 0; i < columnCount; ++i) {
        const ByteView d = def.sub(pos, C.size, "Spaltenbeschreibung");
        pos += C.size;
        ColumnDef c;
        // An unknown type is kept as it is (ColumnDef::isUnknownType): its bytes are
        // located by the fixed flag like any other column's.
        c.type = static_cast<ColumnType>(d.u8(0, "Spaltentyp"));
        c.number = d.u16(C.number, "Spaltennummer");
        c.varIndex = d.u16(C.varIndex, "Spaltenindex");
        c.precision = d.u8(C.precision, "Genauigkeit");
        c.scale = d.u8(C.scale, "Dezimalstellen");
        c.flags = d.u8(C.flags, "Spaltenmerkmale");
        c.extFlags = C.extFlags ? d.u8(C.extFlags, "Spaltenmerkmale") : 0;
        c.fixedOffset = d.u16(C.fixedOffset, "Spaltenposition");
        c.length = d.u16(C.length, "Spaltenlänge");
        if (c.number >= t.maxColumns)
            JET_CORRUPT(page, "Spaltennummer",
                        "Spalte " + std::to_string(c.number) + " bei höchstens " + std::to_string(t.maxColumns));
        if (!c.isFixed() && c.type != ColumnType::Boolean && c.varIndex >= t.varColumns)
            JET_CORRUPT(page, "Spaltenindex",
                        "variable Spalte " + std::to_string(c.varIndex) + " bei höchstens "
                            + std::to_string(t.varColumns));
        // Fixed data of a known width is read at its true width, whatever the descriptor says.
        if (c.isFixed() && fixedColumnWidth(c.type) != 0)
            c.length = fixedColumnWidth(c.type);
        t.columns.push_back(c);
    }
    const NameReader names(def, f, codePage);
    for (ColumnDef& c : t.columns)
        c.name = names.read(pos, "Spaltenname");

    for (size_t a = 0; a < t.columns.size(); ++a)
        for (size_t b = a + 1; b < t.columns.size(); ++b)
            if (t.columns[a].number == t.columns[b].number)
                JET_CORRUPT(page, "Spaltennummer",
                            "Spaltennummer " + std::to_string(t.columns[a].number) + " doppelt vergeben");
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& b) { return a.number < b.number; });

    // Real indexes, then logical indexes and their names.
    const IndexLayout& I = f.index;
    struct Real {
        std::vector<IndexColumn> columns;
        uint32_t usageMap, firstPage;
        uint8_t flags;
    };
    std::vector<Real> reals;
    def.need(pos, static_cast<size_t>(realCount) * I.realSize, "Indexdaten");
    for (uint32_t i = 0; i < realCount; ++i) {
        const ByteView d = def.sub(pos, I.realSize, "Indexdaten");
        pos += I.realSize;
        Real r;
        for (unsigned k = 0; k < kIndexMaxColumns; ++k) {
            const uint16_t col = d.u16(I.realColumns + 3 * k, "Indexspalte");
            if (col == 0xFFFF)
                continue;
            r.columns.push_back({col, d.u8(I.realColumns + 3 * k + 2, "Indexspalte") == 1});
        }
        r.usageMap = d.u32(I.realUsageMap, "Index-Belegungsliste");
        r.firstPage = d.u32(I.realFirstPage, "Indexwurzel");
        r.flags = d.u8(I.realFlags, "Indexmerkmale");
        reals.push_back(std::move(r));
    }
    def.need(pos, static_cast<size_t>(logicalCount) * I.logicalSize, "Indizes");
    for (uint32_t i = 0; i < logicalCount; ++i) {
        const ByteView d = def.sub(pos, I.logicalSize, "Index");
        pos += I.logicalSize;
        IndexDef x;
        x.number = d.u32(I.logicalNumber, "Indexnummer");
        x.realIndex = d.u32(I.logicalRealIndex, "Indexdaten-Nummer");
        x.relatedTablePage = d.u32(I.logicalRelatedTable, "Bezugstabelle");
        x.type = d.u8(I.logicalType, "Indextyp");
        if (x.realIndex >= reals.size())
            JET_CORRUPT(page, "Indexdaten-Nummer",
                        "Index verweist auf Indexdaten " + std::to_string(x.realIndex) + " von "
                            + std::to_string(reals.size()));
        const Real& r = reals[x.realIndex];
        x.columns = r.columns;
        x.rootPage = r.firstPage;
        x.usageMap = r.usageMap;
        x.flags = r.flags;
        t.indexes.push_back(std::move(x));
    }
    for (IndexDef& x : t.indexes)
        x.name = names.read(pos, "Indexname");
    return t;
}

}  // namespace db::jet
