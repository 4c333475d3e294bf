// Parsing table definitions, and laying out new ones.
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

const LongValueMaps* TableDef::longValueMapsOf(uint16_t column) const
{
    for (const LongValueMaps& m : longValueMaps)
        if (m.column == column)
            return &m;
    return nullptr;
}

uint32_t TableDef::fixedDataSize() const
{
    uint32_t size = 0;
    for (const ColumnDef& c : columns)
        if (c.isFixed() && c.type != ColumnType::Boolean)
            size = std::max<uint32_t>(size, static_cast<uint32_t>(c.fixedOffset) + c.length);
    return size;
}

std::vector<uint8_t> encodeTableDef(const TableDef& def, const Format& f)
{
    if (f.jet3)
        throw JetError("Tabellendefinitionen im Format von Access 97 werden nicht geschrieben.");
    const TableDefLayout& L = f.tdef;
    std::vector<uint8_t> bytes(L.body, 0);
    const ByteSpan head(bytes);
    head.put8(0, kPageTableDef, "Seitentyp");
    head.put8(1, kPageMarker, "Seitentyp");
    head.put32(L.rowCount, def.rowCount, "Zeilenanzahl");
    head.put32(L.autoNumber, def.lastAutoNumber, "Autowert");
    head.put32(kTableDefJet4Offset18, 1, "Autowert");  // as in every table of the fixtures
    head.put8(L.tableType, def.tableType, "Tabellentyp");
    head.put16(L.maxColumns, def.maxColumns, "höchste Spaltennummer");
    head.put16(L.varColumns, def.varColumns, "Anzahl variabler Spalten");
    head.put16(L.columnCount, static_cast<uint32_t>(def.columns.size()), "Spaltenanzahl");
    head.put32(L.ownedPagesMap, def.ownedPagesMap, "Belegungsliste");
    head.put32(L.freePagesMap, def.freePagesMap, "Freiliste");
    // The real indexes: the first logical index on each names its columns and pages.
    std::vector<const IndexDef*> reals;
    for (const IndexDef& x : def.indexes) {
        if (x.realIndex > reals.size() || x.realIndex > 255)
            throw JetError("Interner Fehler: Indexdaten " + std::to_string(x.realIndex) + " ohne Vorgänger.");
        if (x.realIndex == reals.size())
            reals.push_back(&x);
    }
    head.put32(L.logicalIndexCount, static_cast<uint32_t>(def.indexes.size()), "Anzahl Indizes");
    head.put32(L.realIndexCount, static_cast<uint32_t>(reals.size()), "Anzahl Indexdaten");
    ByteBuilder body;
    body.append(bytes);
    // Statistics: a new index has counted nothing yet (bigIndexTestV2000.mdb, empty table).
    for (const IndexDef* r : reals) {
        body.u32(0);
        body.u32(r->uniqueEntryCount);
        body.u32(0);
    }
    const ColumnLayout& C = f.column;
    for (const ColumnDef& c : def.columns) {
        std::vector<uint8_t> d(C.size, 0);
        const ByteSpan s(d);
        s.put8(0, static_cast<uint8_t>(c.type), "Spaltentyp");
        s.put16(C.number, c.number, "Spaltennummer");
        s.put16(C.varIndex, c.varIndex, "Spaltenindex");
        s.put16(C.position, c.number, "Spaltenposition");
        if (c.type == ColumnType::Numeric) {
            s.put8(C.precision, c.precision, "Genauigkeit");
            s.put8(C.scale, c.scale, "Dezimalstellen");
        } else {
            s.put16(C.precision, kGeneralSortOrder, "Sortierfolge");
        }
        s.put8(C.flags, c.flags, "Spaltenmerkmale");
        s.put8(C.extFlags, c.extFlags, "Spaltenmerkmale");
        s.put16(C.fixedOffset, c.fixedOffset, "Spaltenposition");
        s.put16(C.length, c.length, "Spaltenlänge");
        body.append(d);
    }
    for (const ColumnDef& c : def.columns) {
        std::u16string units;
        if (!utf8ToUtf16(c.name, units))
            throw JetError("Der Spaltenname \"" + c.name + "\" ist kein gültiger Text.");
        body.u16(static_cast<uint32_t>(units.size() * 2));
        body.append(utf16Bytes(units));
    }
    const IndexLayout& I = f.index;
    for (const IndexDef* r : reals) {
        std::vector<uint8_t> d(I.realSize, 0);
        const ByteSpan s(d);
        s.put32(0, kRealIndexMagic, "Indexdaten");
        for (unsigned k = 0; k < kIndexMaxColumns; ++k) {
            const bool used = k < r->columns.size();
            s.put16(I.realColumns + 3 * k, used ? r->columns[k].columnNumber : 0xFFFF, "Indexspalte");
            s.put8(I.realColumns + 3 * k + 2, used && r->columns[k].ascending ? 1 : 0, "Indexspalte");
        }
        s.put32(I.realUsageMap, r->usageMap, "Index-Belegungsliste");
        s.put32(I.realFirstPage, r->rootPage, "Indexwurzel");
        s.put8(I.realFlags, r->flags, "Indexmerkmale");
        body.append(d);
    }
    for (const IndexDef& x : def.indexes) {
        std::vector<uint8_t> d(I.logicalSize, 0);
        const ByteSpan s(d);
        s.put32(0, kLogicalIndexMagic, "Index");
        s.put32(I.logicalNumber, x.number, "Indexnummer");
        s.put32(I.logicalRealIndex, x.realIndex, "Indexdaten-Nummer");
        s.put32(I.logicalRelatedIndex, 0xFFFFFFFF, "Bezugsindex");
        // Every index without a relationship in the fixtures has 4 in both cascade bytes.
        s.put8(I.logicalCascadeUpdates, kIndexNoRelationship, "Aktualisierungsweitergabe");
        s.put8(I.logicalCascadeDeletes, kIndexNoRelationship, "Löschweitergabe");
        s.put8(I.logicalType, x.type, "Indextyp");
        body.append(d);
    }
    for (const IndexDef& x : def.indexes) {
        std::u16string units;
        if (!utf8ToUtf16(x.name, units))
            throw JetError("Der Indexname \"" + x.name + "\" ist kein gültiger Text.");
        body.u16(static_cast<uint32_t>(units.size() * 2));
        body.append(utf16Bytes(units));
    }
    body.u16(kLongValueMapsEnd);
    return std::move(body.bytes());
}

size_t tableDefPageCount(size_t size, const Format& f)
{
    const size_t perPage = f.pageSize - f.tableDefChainHeader;
    return size <= f.pageSize ? 1 : 1 + (size - f.pageSize + perPage - 1) / perPage;
}

void writeTableDef(PageFile& file, const Format& f, const std::vector<uint32_t>& pages,
                   const std::vector<uint8_t>& definition)
{
    if (pages.size() != tableDefPageCount(definition.size(), f))
        throw JetError("Interner Fehler: falsche Seitenzahl für eine Tabellendefinition.");
    size_t from = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageEdit p = file.edit(pages[i]);
        std::fill(p->bytes.begin(), p->bytes.end(), 0);
        const size_t start = i == 0 ? 0 : f.tableDefChainHeader;
        const size_t take = std::min(definition.size() - from, static_cast<size_t>(f.pageSize) - start);
        std::copy_n(definition.begin() + static_cast<std::ptrdiff_t>(from), take,
                    p->bytes.begin() + static_cast<std::ptrdiff_t>(start));
        from += take;
        const ByteSpan s = p->span();
        s.put8(0, kPageTableDef, "Seitentyp");
        s.put8(1, kPageMarker, "Seitentyp");
        s.put16(kTableDefFreeSpace, static_cast<uint32_t>(f.pageSize - start - take), "freier Platz");
        s.put32(kTableDefNextPage, i + 1 < pages.size() ? pages[i + 1] : 0, "nächste Definitionsseite");
        if (i == 0)
            s.put32(kTableDefLength, static_cast<uint32_t>(definition.size() - 8), "Länge der Definition");
    }
}

void writeTableDefCounters(PageFile& file, const Format& format, const TableDef& def)
{
    const PageEdit p = file.edit(def.page, "Verweis auf Tabellendefinition");
    if (p->type() != kPageTableDef)
        JET_CORRUPT(def.page, "Seitentyp", "Tabellendefinition erwartet, gefunden Typ " + std::to_string(p->type()));
    const ByteSpan s = p->span();
    s.put32(format.tdef.rowCount, def.rowCount, "Zeilenanzahl");
    s.put32(format.tdef.autoNumber, def.lastAutoNumber, "Autowert");
}

void writeIndexUniqueCount(PageFile& file, const Format& format, uint32_t tableDefPage, uint32_t realIndex,
                           uint32_t count)
{
    const PageEdit p = file.edit(tableDefPage, "Verweis auf Tabellendefinition");
    if (p->type() != kPageTableDef)
        JET_CORRUPT(tableDefPage, "Seitentyp",
                    "Tabellendefinition erwartet, gefunden Typ " + std::to_string(p->type()));
    const size_t at = format.tdef.body + static_cast<size_t>(realIndex) * format.tdef.realIndexStatSize
                      + kIndexStatUniqueCount;
    p->span().put32(at, count, "Indexstatistik");
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
    t.realIndexCount = realCount;
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
        uint32_t usageMap, firstPage, uniqueEntryCount;
        uint8_t flags;
    };
    // A text column's sort order lives in its descriptor; the index keys follow it.
    const size_t descriptorsAt = L.body + static_cast<size_t>(realCount) * L.realIndexStatSize;
    auto readSortOrder = [&](IndexColumn& ic) {
        for (uint16_t i = 0; i < columnCount; ++i) {
            const ByteView d = def.sub(descriptorsAt + static_cast<size_t>(i) * C.size, C.size, "Spaltenbeschreibung");
            if (d.u16(C.number, "Spaltennummer") != ic.columnNumber)
                continue;
            ic.sortLanguage = d.u16(f.jet3 ? kColumnSortOrderJet3 : kColumnSortOrderJet4, "Sortierfolge");
            ic.sortVersion = f.jet3 ? 0 : d.u8(kColumnSortVersionJet4, "Sortierfolge");
            return true;
        }
        return false;
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
            IndexColumn ic{col, d.u8(I.realColumns + 3 * k + 2, "Indexspalte") == 1, 0, 0};
            if (!readSortOrder(ic))
                JET_CORRUPT(page, "Indexspalte",
                            "Index " + std::to_string(i) + " nennt die fehlende Spalte " + std::to_string(col));
            r.columns.push_back(ic);
        }
        r.usageMap = d.u32(I.realUsageMap, "Index-Belegungsliste");
        r.firstPage = d.u32(I.realFirstPage, "Indexwurzel");
        r.flags = d.u8(I.realFlags, "Indexmerkmale");
        r.uniqueEntryCount =
            def.u32(L.body + static_cast<size_t>(i) * L.realIndexStatSize + kIndexStatUniqueCount, "Indexstatistik");
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
        if (x.isForeignKey()) {
            x.relatedSide = d.u8(I.logicalRelatedSide, "Beziehungsseite");
            x.relatedIndex = d.i32(I.logicalRelatedIndex, "Bezugsindex");
            x.cascadeUpdates = (d.u8(I.logicalCascadeUpdates, "Aktualisierungsweitergabe") & 1) != 0;
            const uint8_t deletes = d.u8(I.logicalCascadeDeletes, "Löschweitergabe");
            x.cascadeDeletes = (deletes & kIndexCascadeDelete) != 0;
            x.cascadeSetNull = (deletes & kIndexCascadeSetNull) != 0;
        }
        if (x.realIndex >= reals.size())
            JET_CORRUPT(page, "Indexdaten-Nummer",
                        "Index verweist auf Indexdaten " + std::to_string(x.realIndex) + " von "
                            + std::to_string(reals.size()));
        const Real& r = reals[x.realIndex];
        x.columns = r.columns;
        x.rootPage = r.firstPage;
        x.usageMap = r.usageMap;
        x.flags = r.flags;
        x.uniqueEntryCount = r.uniqueEntryCount;
        t.indexes.push_back(std::move(x));
    }
    for (IndexDef& x : t.indexes)
        x.name = names.read(pos, "Indexname");

    // The usage maps of the long-value columns close the definition. Reading rows does not
    // need them, so a damaged list only keeps the writer away from long values.
    while (true) {
        if (!def.contains(pos, 2)) {
            t.longValueMapsReadable = false;
            break;
        }
        const uint16_t column = def.u16(pos, "Langwert-Belegungslisten");
        if (column == kLongValueMapsEnd)
            break;
        if (!def.contains(pos, kLongValueMapEntrySize) || !t.findColumn(column)
            || !t.findColumn(column)->isLongValue() || t.longValueMapsOf(column)) {
            t.longValueMapsReadable = false;
            break;
        }
        t.longValueMaps.push_back({column, def.u32(pos + 2, "Langwert-Belegungsliste"),
                                   def.u32(pos + 6, "Langwert-Freiliste")});
        pos += kLongValueMapEntrySize;
    }
    return t;
}

}  // namespace db::jet
