// Laying out a new Jet 4 file: the schema decisions (column numbers, offsets, flags) are
// made here; every structure is written by the layer that reads it, through the same code
// that changes existing files.
#include "db/jet/NewDatabaseFile.h"

#include "db/jet/DataPage.h"
#include "db/jet/Database.h"
#include "db/jet/DatabaseHeader.h"
#include "db/jet/Index.h"
#include "db/jet/IndexKey.h"
#include "db/jet/JetError.h"
#include "db/jet/PageFile.h"
#include "db/jet/Rc4.h"
#include "db/jet/Space.h"
#include "db/jet/Table.h"
#include "db/jet/TableDef.h"
#include "db/jet/Text.h"

#include <algorithm>
#include <cstring>

namespace db::jet {

namespace {

const Format& F = Format::jet4Format();

// The "Tables" container of MSysObjects, the parent of every table in Access's files.
constexpr int32_t kTablesContainer = 0x0F000001;

bool writableType(ColumnType t)
{
    switch (t) {
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
    case ColumnType::Memo: return true;
    default: return false;
    }
}

// Access allows 32 indexes per table.
constexpr size_t kMaxIndexes = 32;

bool validName(const std::string& name)
{
    std::u16string units;
    return !name.empty() && utf8ToUtf16(name, units) && units.size() <= 64;
}

}  // namespace

struct NewDatabaseFile::Impl {
    NewFileOptions options;
    DatabaseHeader header;
    std::unique_ptr<PageFile> file;
    std::unique_ptr<Space> space;
    std::vector<std::unique_ptr<Table>> tables;  // [0] is the catalog
    uint32_t mapPage = 0;                        // the page the next usage-map rows go to
    bool written = false;

    // A new usage map row (inline, empty), on a page of map rows.
    uint32_t newUsageMap()
    {
        std::vector<uint8_t> row(kUsageMapRowSize, 0);
        row[0] = kUsageMapInline;
        if (mapPage) {
            DataPageWriter page(file->edit(mapPage), F);
            const int slot = page.addRow(ByteView(row.data(), row.size()));
            if (slot >= 0)
                return RowPointer{mapPage, static_cast<uint8_t>(slot)}.toU32();
        }
        const PageEdit fresh = space->allocate();
        DataPageWriter::initialize(*fresh, F, 0);
        mapPage = fresh->number;
        DataPageWriter page(fresh, F);
        return RowPointer{mapPage, static_cast<uint8_t>(page.addRow(ByteView(row.data(), row.size())))}.toU32();
    }

    void writeHeader();
};

NewDatabaseFile::NewDatabaseFile(NewFileOptions options) : m(std::make_unique<Impl>())
{
    std::u16string units;
    if (!utf8ToUtf16(options.password, units) || units.size() * 2 > kHeaderPasswordSizeJet4)
        throw JetError("Das Kennwort einer Access-Datenbank hat höchstens 20 Zeichen.");
    m->options = std::move(options);
    m->header.version = kVersionJet4;
    m->header.pageSize = F.pageSize;
    m->header.codePage = kCodePage1252;
    m->header.sortLanguage = kGeneralSortOrder;
    m->header.databaseKey = m->options.pageKey;
    m->header.creationDate = m->options.creationDate;
    m->file = PageFile::inMemory(F.pageSize, m->options.pageKey ? std::make_unique<Rc4PageCodec>(m->options.pageKey)
                                                                : nullptr);
    PageFile& file = *m->file;
    file.appendPage();  // page 0: the header, written last
    // Page 1: the map of free pages, every page past the end of the file free.
    const PageEdit freeMap = file.appendPage();
    DataPageWriter::initialize(*freeMap, F, 0);
    std::vector<uint8_t> row(kUsageMapRowSize, 0);
    for (uint32_t p = file.pageCount(); p < kUsageMapInlineBytes * 8; ++p)
        row[kUsageMapBitmap + p / 8] = static_cast<uint8_t>(row[kUsageMapBitmap + p / 8] | (1u << (p % 8)));
    DataPageWriter(freeMap, F).addRow(ByteView(row.data(), row.size()));
    m->space = std::make_unique<Space>(file, F);

    const std::vector<NewColumn> catalog = {
        {"Id", ColumnType::Long, 0},           {"ParentId", ColumnType::Long, 0},
        {"Name", ColumnType::Text, 255},       {"Type", ColumnType::Integer, 0},
        {"Flags", ColumnType::Long, 0},        {"DateCreate", ColumnType::DateTime, 0},
        {"DateUpdate", ColumnType::DateTime, 0}, {"Owner", ColumnType::Binary, 255},
        {"Connect", ColumnType::Memo, 0},      {"Database", ColumnType::Memo, 0},
        {"ForeignName", ColumnType::Memo, 0},  {"LvProp", ColumnType::Ole, 0},
    };
    addTable("MSysObjects", catalog);
    if (m->tables[0]->def().page != kCatalogPage)
        throw JetError("Interner Fehler: Der Katalog liegt nicht auf Seite 2.");
}

NewDatabaseFile::~NewDatabaseFile() = default;

size_t NewDatabaseFile::addTable(const std::string& name, const std::vector<NewColumn>& columns,
                                 const std::vector<NewIndex>& indexes)
{
    if (!validName(name))
        throw JetError("Der Tabellenname \"" + name + "\" ist leer, zu lang oder kein gültiger Text.");
    for (const auto& t : m->tables)
        if (t->name() == name)
            throw JetError("Die Tabelle " + name + " gibt es schon.");
    if (columns.empty() || columns.size() > 255)
        throw JetError("Tabelle " + name + ": eine Tabelle hat 1 bis 255 Spalten.");
    TableDef def;
    def.tableType = m->tables.empty() ? kTableTypeSystem : kTableTypeUser;
    uint16_t fixedOffset = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const NewColumn& spec = columns[i];
        const std::string where = "Tabelle " + name + ", Spalte " + spec.name;
        if (!validName(spec.name))
            throw JetError(where + ": der Spaltenname ist leer, zu lang oder kein gültiger Text.");
        for (size_t k = 0; k < i; ++k)
            if (columns[k].name == spec.name)
                throw JetError(where + ": die Spalte gibt es zweimal.");
        if (!writableType(spec.type))
            throw JetError(where + ": dieser Spaltentyp kann nicht geschrieben werden.");
        ColumnDef c;
        c.name = spec.name;
        c.type = spec.type;
        c.number = static_cast<uint16_t>(i);
        c.flags = kColumnNullable;
        switch (spec.type) {
        case ColumnType::Text:
        case ColumnType::Binary:
            if (spec.textLength < 1 || spec.textLength > 255)
                throw JetError(where + ": die Länge muss zwischen 1 und 255 liegen.");
            c.length = static_cast<uint16_t>(spec.type == ColumnType::Text ? 2 * spec.textLength : spec.textLength);
            c.varIndex = def.varColumns++;
            break;
        case ColumnType::Memo:
        case ColumnType::Ole:
            c.varIndex = def.varColumns++;
            break;
        case ColumnType::Boolean:
            c.flags |= kColumnFixed;
            c.length = 1;  // the value lives in the null mask
            break;
        default:
            c.flags |= kColumnFixed;
            c.length = fixedColumnWidth(spec.type);
            c.fixedOffset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + c.length);
        }
        if (spec.type == ColumnType::Text || spec.type == ColumnType::Memo)
            c.extFlags = kColumnCompressedUnicode;
        def.columns.push_back(c);
    }
    def.maxColumns = static_cast<uint16_t>(columns.size());
    if (indexes.size() > kMaxIndexes)
        throw JetError("Tabelle " + name + ": höchstens " + std::to_string(kMaxIndexes) + " Indizes.");
    bool primary = false;
    for (size_t i = 0; i < indexes.size(); ++i) {
        const NewIndex& spec = indexes[i];
        const std::string where = "Tabelle " + name + ", Index " + spec.name;
        if (!validName(spec.name))
            throw JetError(where + ": der Indexname ist leer, zu lang oder kein gültiger Text.");
        for (size_t k = 0; k < i; ++k)
            if (indexes[k].name == spec.name)
                throw JetError(where + ": den Index gibt es zweimal.");
        if (spec.columns.empty() || spec.columns.size() > kIndexMaxColumns)
            throw JetError(where + ": ein Index hat 1 bis " + std::to_string(kIndexMaxColumns) + " Spalten.");
        if (spec.primaryKey && primary)
            throw JetError(where + ": eine Tabelle hat höchstens einen Primärschlüssel.");
        primary = primary || spec.primaryKey;
        IndexDef x;
        x.name = spec.name;
        x.number = static_cast<uint32_t>(i);
        x.realIndex = static_cast<uint32_t>(i);
        x.type = spec.primaryKey ? kIndexTypePrimary : 0;
        // Primary keys 0x89 and unique indexes 0x81 (testV2000.mdb, bigIndexTestV2000.mdb).
        x.flags = static_cast<uint8_t>(kIndexFlagJet4 | (spec.primaryKey || spec.unique ? kIndexUnique : 0)
                                       | (spec.primaryKey ? kIndexRequired : 0));
        for (const std::string& column : spec.columns) {
            const auto c = std::find_if(def.columns.begin(), def.columns.end(),
                                        [&](const ColumnDef& d) { return d.name == column; });
            if (c == def.columns.end())
                throw JetError(where + ": die Spalte " + column + " gibt es nicht.");
            if (!keyEncodingConfirmed(c->type))
                throw JetError(where + ": Spalten vom Typ der Spalte " + column
                               + " werden nicht indiziert (ihre Schlüssel zeigt keine Access-Datei).");
            x.columns.push_back({c->number, true, kGeneralSortOrder, 0});
        }
        def.indexes.push_back(std::move(x));
    }
    def.realIndexCount = static_cast<uint32_t>(def.indexes.size());

    PageFile& file = *m->file;
    const size_t pageCount = tableDefPageCount(encodeTableDef(def, F).size(), F);
    std::vector<uint32_t> pages;
    for (size_t i = 0; i < pageCount; ++i) {
        const PageEdit p = m->space->allocate();
        p->bytes[0] = kPageTableDef;  // claimed before the maps take their page
        pages.push_back(p->number);
    }
    def.page = pages.front();
    def.ownedPagesMap = m->newUsageMap();
    def.freePagesMap = m->newUsageMap();
    // Each index: its usage map beside the table's, and an empty leaf as its root.
    for (IndexDef& x : def.indexes) {
        x.usageMap = m->newUsageMap();
        const PageEdit root = m->space->allocate();
        IndexPageData empty;
        encodeIndexPage(*root, F, def.page, empty);
        x.rootPage = root->number;
        UsageMap(file, F, x.usageMap).add(root->number, [&] { return m->space->allocate()->number; });
    }
    writeTableDef(file, F, pages, encodeTableDef(def, F));
    m->tables.push_back(std::make_unique<Table>(file, m->header, *m->space, name,
                                                readTableDef(file, F, def.page, kCodePage1252)));
    m->tables.back()->setAppendOnly(true);
    // A failed file is thrown away whole; rows need no marks of their own, and the index
    // pages are laid out once, when the file is written.
    m->tables.back()->setAtomicRows(false);
    m->tables.back()->setDeferredIndexWrites(true);
    return m->tables.size() - 1;
}

void NewDatabaseFile::addRow(size_t table, const std::vector<Value>& values)
{
    if (table == 0 || table >= m->tables.size())
        throw JetError("Unbekannte Tabelle " + std::to_string(table) + ".");
    Table& t = *m->tables[table];
    if (values.size() != t.def().columns.size())
        throw JetError("Tabelle " + t.name() + ": " + std::to_string(values.size()) + " Werte für "
                       + std::to_string(t.def().columns.size()) + " Spalten.");
    t.insert(values);
}

void NewDatabaseFile::Impl::writeHeader()
{
    const PageEdit page = file->edit(0);
    std::vector<uint8_t>& p = page->bytes;
    std::fill(p.begin(), p.end(), 0);
    const ByteSpan s = page->span();
    s.put8(0, kPageDatabase, "Seitentyp");
    s.put8(1, kPageMarker, "Seitentyp");
    std::memcpy(p.data() + kHeaderSignatureOffset, kHeaderSignatureJet, kHeaderSignatureSize);
    s.put8(kHeaderVersionOffset, kVersionJet4, "Version");
    s.put16(kHeaderCodePage, kCodePage1252, "Codepage");
    s.put32(kHeaderDatabaseKey, options.pageKey, "Datenbankschlüssel");
    s.put16(kHeaderSortOrderJet4, kGeneralSortOrder, "Sortierfolge");
    s.putF64(kHeaderCreationDate, options.creationDate, "Erstellungsdatum");
    // The password, UTF-16LE, masked with the whole days of the creation date.
    std::u16string units;
    utf8ToUtf16(options.password, units);
    std::vector<uint8_t> pw = utf16Bytes(units);
    pw.resize(kHeaderPasswordSizeJet4, 0);
    const uint32_t dayMask = passwordMask(options.creationDate);
    for (uint32_t i = 0; i < kHeaderPasswordSizeJet4; ++i)
        p[kHeaderPassword + i] = pw[i] ^ static_cast<uint8_t>(dayMask >> (8 * (i % 4)));
    Rc4 mask(kHeaderMaskKey, sizeof kHeaderMaskKey);
    mask.apply(p.data() + kHeaderMaskedOffset, kHeaderMaskedSizeJet4);
}

void NewDatabaseFile::write(const std::string& path)
{
    if (m->written)
        throw JetError("Die Datei " + path + " wurde schon geschrieben.");
    m->written = true;
    for (const auto& t : m->tables)
        t->writeIndexPages();
    // The catalog: itself, then every user table.
    Table& catalog = *m->tables[0];
    for (const auto& t : m->tables) {
        const bool system = t.get() == &catalog;
        catalog.insert({
            Value::ofInteger(t->def().page),
            Value::ofInteger(kTablesContainer),
            Value::ofText(t->name()),
            Value::ofInteger(kObjectTypeTable),
            Value::ofInteger(system ? static_cast<int32_t>(kObjectFlagsSystem) : 0),
            Value::ofReal(m->options.creationDate),
            Value::ofReal(m->options.creationDate),
            Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
        });
    }
    m->writeHeader();
    m->file->saveAs(path);
}

}  // namespace db::jet
