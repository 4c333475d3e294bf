// Laying out a new Jet 4 file: the schema decisions (column numbers, offsets, flags) and
// Access's system catalog, as Access lays it out in a new database, are made here; every
// structure is written by the layer that reads it, through the same code that changes
// existing files. Nothing here reads or changes an existing file.
#include "db/jet/NewDatabaseFile.h"

#include "db/jet/DataPage.h"
#include "db/jet/Database.h"
#include "db/jet/DatabaseHeader.h"
#include "db/jet/Index.h"
#include "db/jet/IndexKey.h"
#include "db/jet/JetError.h"
#include "db/jet/PageFile.h"
#include "db/jet/Properties.h"
#include "db/jet/Rc4.h"
#include "db/jet/Space.h"
#include "db/jet/Table.h"
#include "db/jet/TableDef.h"
#include "db/jet/Text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>

namespace db::jet {

namespace {

const Format& F = Format::jet4Format();

// Objects of MSysObjects as every Jet 4 fixture has them (testV2000.mdb): the root, parent
// of the containers; the containers Tables, Databases and Relationships; MSysDb, the
// database itself; and the objects Access numbers from 0x80000000 on in the order it made
// them (testV2000.mdb's order below).
constexpr int32_t kRootObject = 0x0F000000;
constexpr int32_t kTablesContainer = 0x0F000001;
constexpr int32_t kDatabasesContainer = 0x0F000002;
constexpr int32_t kRelationshipsContainer = 0x0F000003;
constexpr int32_t kDatabaseObject = 0x10000000;
constexpr int32_t kAccessObjects = static_cast<int32_t>(0x80000000u);
constexpr int32_t kTypeDatabase = 2;
constexpr int32_t kTypeContainer = 3;
constexpr int32_t kTypeDatabaseProperties = -32757;  // 0x800B: SummaryInfo, UserDefined
// Flags: 0x80000000 on the engine's own objects (containers Tables, Databases,
// Relationships, MSysDb and the four system tables), 0 on everything Access adds.
constexpr int32_t kFlagsEngine = static_cast<int32_t>(0x80000000u);
constexpr char kAccessVersion[] = "08.50";  // MSysDb's AccessVersion in every Jet 4 fixture
// The binary columns of system tables are 510 bytes long (testV2000.mdb: Owner, SID,
// Order, RmtInfoShort), as long as their text columns of 255 characters.
constexpr uint16_t kSystemBinaryLength = 510;

// User and group ids (MSysObjects.Owner, MSysACEs.SID): two bytes each, different in
// every file but always related the same way to the id of the user who made the file
// (XOR 01 02 the engine, 01 00 and 01 05 the two groups with rights on every container);
// these are bigIndexTestV2000.mdb's. A third group, Admins, has a long id derived from
// the workgroup; it is left out. How Access derives a file's ids is not known.
const std::string kSidAdmin("\xA6\x33", 2);
const std::string kSidEngine("\xA7\x31", 2);
const std::string kSidUsers("\xA7\x33", 2);
const std::string kSidCreator("\xA7\x36", 2);

// Rights (MSysACEs.ACM) as testV2000.mdb grants them.
constexpr int32_t kAcmRead = 393216;             // Admin on MSysObjects, MSysACEs, MSysQueries, Databases
constexpr int32_t kAcmRelationshipsTable = 917504;  // Admin on MSysRelationships
constexpr int32_t kAcmUsersSystemTable = 20;      // Users on MSysObjects, MSysQueries, MSysRelationships
constexpr int32_t kAcmCreatorContainer = 983294;  // Creator on Tables and Relationships
constexpr int32_t kAcmTable = 1048319;            // on Tables and every table
constexpr int32_t kAcmFull = 1048575;
constexpr int32_t kAcmAdminRelationships = 393217;
constexpr int32_t kAcmAdminDatabase = 393230;
constexpr int32_t kAcmUsersDatabase = 14;
constexpr int32_t kAcmUsersProperties = 65536;

// The containers Access makes for its own objects (type 3 under the root, Flags 0).
const char* const kAccessContainers[] = {"Forms", "Reports", "Scripts", "Modules", "SysRel", "DataAccessPages"};

// A column of a table this writer lays out; system tables add flags Access sets on them.
struct ColumnPlan {
    NewColumn spec;
    uint8_t extraFlags = 0;
};

// An index with the flags and type of its definition.
struct IndexPlan {
    std::string name;
    std::vector<std::string> columns;
    uint8_t flags = kIndexFlagJet4;
    uint8_t type = 0;
};

struct TablePlan {
    std::string name;
    std::vector<ColumnPlan> columns;
    std::vector<IndexPlan> indexes;
    bool system = false;
};

// Access's system tables, their columns (numbered in this order) and indexes (numbered
// in this order), as testV2000.mdb and every other Jet 4 fixture has them.
TablePlan catalogPlan()
{
    using T = ColumnType;
    return {"MSysObjects",
            {{{"Id", T::Long}},
             {{"ParentId", T::Long}},
             {{"Name", T::Text, 255}},
             {{"Type", T::Integer}},
             {{"DateCreate", T::DateTime}},
             {{"DateUpdate", T::DateTime}},
             {{"Owner", T::Binary, kSystemBinaryLength}, kColumnSystemSid},
             {{"Flags", T::Long}},
             {{"Database", T::Memo}},
             {{"Connect", T::Memo}},
             {{"ForeignName", T::Text, 255}},
             {{"RmtInfoShort", T::Binary, kSystemBinaryLength}},
             {{"RmtInfoLong", T::Ole}},
             {{"Lv", T::Ole}},
             {{"LvProp", T::Ole}},
             {{"LvModule", T::Ole}},
             {{"LvExtra", T::Ole}}},
            {{"ParentIdName", {"ParentId", "Name"}, kIndexFlagJet4 | kIndexUnique, 0},
             {"Id", {"Id"}, kIndexFlagJet4 | kIndexUnique, kIndexTypePrimary}},
            true};
}

std::vector<TablePlan> systemTablePlans()
{
    using T = ColumnType;
    return {
        {"MSysACEs",
         {{{"ObjectId", T::Long}}, {{"SID", T::Binary, kSystemBinaryLength}, kColumnSystemSid}, {{"ACM", T::Long}},
          {{"FInheritable", T::Boolean}}},
         {{"ObjectId", {"ObjectId"}, kIndexFlagJet4 | kIndexRequired, 0}},
         true},
        {"MSysQueries",
         {{{"ObjectId", T::Long}},
          {{"Attribute", T::Byte}},
          {{"Order", T::Binary, kSystemBinaryLength}},
          {{"Name1", T::Text, 255}},
          {{"Name2", T::Text, 255}},
          {{"Expression", T::Memo}},
          {{"Flag", T::Integer}},
          {{"LvExtra", T::Long}}},
         {{"ObjectIdAttribute", {"ObjectId", "Attribute", "Order"}, kIndexFlagJet4 | kIndexUnique, kIndexTypePrimary}},
         true},
        {"MSysRelationships",
         {{{"szRelationship", T::Text, 255}},
          {{"grbit", T::Long}},
          {{"ccolumn", T::Long}},
          {{"icolumn", T::Long}},
          {{"szObject", T::Text, 255}},
          {{"szColumn", T::Text, 255}},
          {{"szReferencedObject", T::Text, 255}},
          {{"szReferencedColumn", T::Text, 255}}},
         {{"szRelationship", {"szRelationship"}, kIndexFlagJet4 | kIndexIgnoreNulls, 0},
          {"szObject", {"szObject"}, kIndexFlagJet4 | kIndexIgnoreNulls, 0},
          {"szReferencedObject", {"szReferencedObject"}, kIndexFlagJet4 | kIndexIgnoreNulls, 0}},
         true},
    };
}

// Letter case aside, as Access orders a system table's column descriptors.
bool nameBefore(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

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
    std::vector<std::unique_ptr<Table>> tables;  // [0] the catalog, then the other system tables
    std::vector<std::string> properties;         // per table: its catalog row's LvProp, or empty
    size_t firstUserTable = 0;
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

    // Lays out the definition of `plan` (names and types already checked) on `firstPage`
    // when given (the system tables take pages 2 to 5, as in Access's files), else on new
    // pages.
    size_t addTable(const TablePlan& plan, uint32_t firstPage);
    void addCatalogRows(const std::string& path);
    void addAccessRights();
    void writeHeader();
};

size_t NewDatabaseFile::Impl::addTable(const TablePlan& plan, uint32_t firstPage)
{
    TableDef def;
    def.tableType = plan.system ? kTableTypeSystem : kTableTypeUser;
    uint16_t fixedOffset = 0;
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        const NewColumn& spec = plan.columns[i].spec;
        ColumnDef c;
        c.name = spec.name;
        c.type = spec.type;
        c.number = static_cast<uint16_t>(i);
        c.position = plan.system ? 0 : static_cast<uint16_t>(i + 1);
        c.flags = static_cast<uint8_t>(kColumnNullable | plan.columns[i].extraFlags | (plan.system ? kColumnSystem : 0));
        switch (spec.type) {
        case ColumnType::Text:
        case ColumnType::Binary:
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
            c.varIndex = def.varColumns;
            break;
        default:
            c.flags |= kColumnFixed;
            c.length = fixedColumnWidth(spec.type);
            c.fixedOffset = fixedOffset;
            // Access puts the count of variable columns before it here (testV2000.mdb).
            c.varIndex = def.varColumns;
            fixedOffset = static_cast<uint16_t>(fixedOffset + c.length);
        }
        if (spec.autoNumber)
            c.flags |= kColumnAutoLong;
        // Access compresses the text of user tables only (testV2000.mdb: Table3.b; no
        // system table column carries the flag).
        if (!plan.system && (spec.type == ColumnType::Text || spec.type == ColumnType::Memo))
            c.extFlags = kColumnCompressedUnicode;
        def.columns.push_back(c);
    }
    def.maxColumns = static_cast<uint16_t>(plan.columns.size());
    for (size_t i = 0; i < plan.indexes.size(); ++i) {
        const IndexPlan& spec = plan.indexes[i];
        IndexDef x;
        x.name = spec.name;
        x.number = static_cast<uint32_t>(i);
        x.realIndex = static_cast<uint32_t>(i);
        x.type = spec.type;
        x.flags = spec.flags;
        for (const std::string& column : spec.columns) {
            const auto c = std::find_if(def.columns.begin(), def.columns.end(),
                                        [&](const ColumnDef& d) { return d.name == column; });
            x.columns.push_back({c->number, true, kGeneralSortOrder, 0});
        }
        def.indexes.push_back(std::move(x));
    }
    def.realIndexCount = static_cast<uint32_t>(def.indexes.size());
    // Access lists a system table's column descriptors by name (testV2000.mdb pages 2-5).
    TableDef laidOut = def;
    if (plan.system)
        std::stable_sort(laidOut.columns.begin(), laidOut.columns.end(),
                         [](const ColumnDef& a, const ColumnDef& b) { return nameBefore(a.name, b.name); });
    // Every table lists its logical indexes by name, letter case aside, whatever their
    // numbers (testV2000.mdb: "B" 1 before "PrimaryKey" 0; "column10" 2 before "id" 0).
    std::stable_sort(laidOut.indexes.begin(), laidOut.indexes.end(),
                     [](const IndexDef& a, const IndexDef& b) { return nameBefore(a.name, b.name); });

    // Every memo and OLE column has its own two maps, listed after the index names.
    for (const ColumnDef& c : laidOut.columns)
        if (c.isLongValue())
            laidOut.longValueMaps.push_back({c.number, 0, 0});
    const size_t pageCount = tableDefPageCount(encodeTableDef(laidOut, F).size(), F);
    std::vector<uint32_t> pages;
    for (size_t i = 0; i < pageCount; ++i) {
        const PageEdit p = i == 0 && firstPage ? file->edit(firstPage) : space->allocate();
        p->bytes[0] = kPageTableDef;  // claimed before the maps take their page
        pages.push_back(p->number);
    }
    laidOut.page = pages.front();
    // The maps in Access's order: the table's, its long-value columns', its indexes'.
    laidOut.ownedPagesMap = newUsageMap();
    laidOut.freePagesMap = newUsageMap();
    // Made in column order, listed in descriptor order (testV2000.mdb: Database, column 8,
    // has 0x602 and 0x603, Connect, column 9, the next two, listed first).
    for (const ColumnDef& c : def.columns)
        if (c.isLongValue()) {
            LongValueMaps& m = *std::find_if(laidOut.longValueMaps.begin(), laidOut.longValueMaps.end(),
                                             [&](const LongValueMaps& x) { return x.column == c.number; });
            m.ownedPages = newUsageMap();
            m.freePages = newUsageMap();
        }
    // The indexes' maps and roots in the order of their numbers (testV2000.mdb: MSysObjects'
    // real index 0 has map 0x610 and root 7, real index 1 map 0x611 and root 8).
    std::vector<IndexDef*> byNumber;
    for (IndexDef& x : laidOut.indexes)
        byNumber.push_back(&x);
    std::sort(byNumber.begin(), byNumber.end(), [](const IndexDef* a, const IndexDef* b) { return a->realIndex < b->realIndex; });
    for (IndexDef* x : byNumber)
        x->usageMap = newUsageMap();
    // Each index's root: an empty leaf allocated with the table.
    for (IndexDef* x : byNumber) {
        const PageEdit root = space->allocate();
        IndexPageData empty;
        encodeIndexPage(*root, F, laidOut.page, empty);
        x->rootPage = root->number;
        UsageMap(*file, F, x->usageMap).add(root->number, [&] { return space->allocate()->number; });
    }
    writeTableDef(*file, F, pages, encodeTableDef(laidOut, F));
    // "Required" lives in the catalog row's properties (fixedTextTestV2000.mdb: DDL flag 1).
    std::vector<PropertyBlock> blocks;
    for (const ColumnPlan& c : plan.columns)
        if (c.spec.required)
            blocks.push_back({c.spec.name, {{"Required", ColumnType::Boolean, 1, {}, true}}});
    properties.push_back(blocks.empty() ? std::string() : encodeProperties(blocks));
    tables.push_back(std::make_unique<Table>(*file, header, *space, plan.name,
                                             readTableDef(*file, F, laidOut.page, kCodePage1252), ColumnRules(blocks)));
    tables.back()->setAppendOnly(true);
    // A failed file is thrown away whole; rows need no marks of their own, and the index
    // pages are laid out once, when the file is written.
    tables.back()->setAtomicRows(false);
    tables.back()->setDeferredIndexWrites(true);
    return tables.size() - 1;
}

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
    // Page 1: the map of free pages, every page past the end of the file free, and a
    // second, empty map. In every Jet 4 fixture the page names page 1 as its owner and
    // holds these two rows.
    const PageEdit freeMap = file.appendPage();
    DataPageWriter::initialize(*freeMap, F, kFreePageMapPage);
    std::vector<uint8_t> row(kUsageMapRowSize, 0);
    for (uint32_t p = file.pageCount(); p < kUsageMapInlineBytes * 8; ++p)
        row[kUsageMapBitmap + p / 8] = static_cast<uint8_t>(row[kUsageMapBitmap + p / 8] | (1u << (p % 8)));
    DataPageWriter(freeMap, F).addRow(ByteView(row.data(), row.size()));
    const std::vector<uint8_t> empty(kUsageMapRowSize, 0);
    DataPageWriter(freeMap, F).addRow(ByteView(empty.data(), empty.size()));
    m->space = std::make_unique<Space>(file, F);

    // The four system tables' definitions on pages 2 to 5, their maps and index roots
    // after them, as Access lays out a new database (testV2000.mdb).
    std::vector<uint32_t> definitionPages;
    for (int i = 0; i < 4; ++i) {
        const PageEdit p = m->space->allocate();
        p->bytes[0] = kPageTableDef;
        definitionPages.push_back(p->number);
    }
    m->addTable(catalogPlan(), definitionPages[0]);
    if (m->tables[0]->def().page != kCatalogPage)
        throw JetError("Interner Fehler: Der Katalog liegt nicht auf Seite 2.");
    const std::vector<TablePlan> system = systemTablePlans();
    for (size_t i = 0; i < system.size(); ++i)
        m->addTable(system[i], definitionPages[i + 1]);
    m->firstUserTable = m->tables.size();
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
    TablePlan plan;
    plan.name = name;
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
        if ((spec.type == ColumnType::Text || spec.type == ColumnType::Binary)
            && (spec.textLength < 1 || spec.textLength > 255))
            throw JetError(where + ": die Länge muss zwischen 1 und 255 liegen.");
        if (spec.autoNumber && spec.type != ColumnType::Long)
            throw JetError(where + ": nur Spalten vom Typ Long können Autowerte haben.");
        plan.columns.push_back({spec, 0});
    }
    if (std::count_if(columns.begin(), columns.end(), [](const NewColumn& c) { return c.autoNumber; }) > 1)
        throw JetError("Tabelle " + name + ": eine Tabelle hat höchstens eine Spalte mit Autowerten.");
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
        for (const std::string& column : spec.columns) {
            const auto c = std::find_if(columns.begin(), columns.end(),
                                        [&](const NewColumn& d) { return d.name == column; });
            if (c == columns.end())
                throw JetError(where + ": die Spalte " + column + " gibt es nicht.");
            if (!keyTypeCertain(c->type, true, false))
                throw JetError(where + ": Spalten vom Typ der Spalte " + column
                               + " werden nicht indiziert (welche Schlüssel Access dafür schreibt, ist nicht sicher "
                                 "bekannt).");
        }
        // Primary keys 0x89 and unique indexes 0x81 (testV2000.mdb, bigIndexTestV2000.mdb).
        const uint8_t flags = static_cast<uint8_t>(kIndexFlagJet4
                                                   | (spec.primaryKey || spec.unique ? kIndexUnique : 0)
                                                   | (spec.primaryKey ? kIndexRequired : 0));
        plan.indexes.push_back({spec.name, spec.columns, flags, spec.primaryKey ? kIndexTypePrimary : uint8_t{0}});
    }
    return m->addTable(plan, 0);
}

void NewDatabaseFile::addRow(size_t table, const std::vector<Value>& values)
{
    if (table < m->firstUserTable || table >= m->tables.size())
        throw JetError("Unbekannte Tabelle " + std::to_string(table) + ".");
    Table& t = *m->tables[table];
    if (values.size() != t.def().columns.size())
        throw JetError("Tabelle " + t.name() + ": " + std::to_string(values.size()) + " Werte für "
                       + std::to_string(t.def().columns.size()) + " Spalten.");
    t.insert(values);
}

// The catalog's rows in the order Access enters them in a new database (testV2000.mdb),
// then one per user table.
void NewDatabaseFile::Impl::addCatalogRows(const std::string& path)
{
    Table& catalog = *tables[0];
    const double date = options.creationDate;
    auto add = [&](int32_t id, int32_t parent, const std::string& name, int32_t type, const std::string& owner,
                   int32_t flags, const std::string& properties) {
        std::vector<Value> row(catalog.def().columns.size(), Value::null());
        row[0] = Value::ofInteger(id);
        row[1] = Value::ofInteger(parent);
        row[2] = Value::ofText(name);
        row[3] = Value::ofInteger(type);
        row[4] = Value::ofReal(date);
        row[5] = Value::ofReal(date);
        row[6] = Value::ofBlob(owner);
        row[7] = Value::ofInteger(flags);
        if (!properties.empty())
            row[14] = Value::ofBlob(properties);
        catalog.insert(row);
    };
    add(kTablesContainer, kRootObject, "Tables", kTypeContainer, kSidEngine, kFlagsEngine, {});
    add(kDatabasesContainer, kRootObject, "Databases", kTypeContainer, kSidEngine, kFlagsEngine, {});
    add(kRelationshipsContainer, kRootObject, "Relationships", kTypeContainer, kSidEngine, kFlagsEngine, {});
    add(kDatabaseObject, kDatabasesContainer, "MSysDb", kTypeDatabase, kSidAdmin, kFlagsEngine,
        encodeProperties({{"", {{"AccessVersion", ColumnType::Text, 0, kAccessVersion}}}}));
    for (size_t i = 0; i < firstUserTable; ++i)
        add(static_cast<int32_t>(tables[i]->def().page), kTablesContainer, tables[i]->name(), kObjectTypeTable,
            kSidEngine, kFlagsEngine, {});
    // Access titles a new database after its file (delTestV2000.mdb: "delTest"); author
    // and company come from the Windows installation and are left out.
    int32_t next = kAccessObjects;
    add(next++, kDatabasesContainer, "SummaryInfo", kTypeDatabaseProperties, kSidAdmin, 0,
        encodeProperties({{"", {{"Title", ColumnType::Text, 0, std::filesystem::path(path).stem().string()}}}}));
    add(next++, kDatabasesContainer, "UserDefined", kTypeDatabaseProperties, kSidAdmin, 0,
        encodeProperties({{"", {{"ReplicateProject", ColumnType::Boolean, 1, {}}}}}));
    for (const char* container : kAccessContainers)
        add(next++, kRootObject, container, kTypeContainer, kSidAdmin, 0, {});
    for (size_t i = firstUserTable; i < tables.size(); ++i)
        add(static_cast<int32_t>(tables[i]->def().page), kTablesContainer, tables[i]->name(), kObjectTypeTable,
            kSidAdmin, 0, properties[i]);
}

// The rights on every object, as testV2000.mdb grants them, without the Admins group.
void NewDatabaseFile::Impl::addAccessRights()
{
    Table& aces = *tables[1];
    auto grant = [&](int32_t object, const std::string& sid, int32_t acm, bool inheritable) {
        aces.insert({Value::ofInteger(object), Value::ofBlob(sid), Value::ofInteger(acm),
                     Value::ofInteger(inheritable ? 1 : 0)});
    };
    const auto page = [&](size_t i) { return static_cast<int32_t>(tables[i]->def().page); };
    grant(page(0), kSidAdmin, kAcmRead, false);
    grant(page(0), kSidUsers, kAcmUsersSystemTable, false);
    grant(page(1), kSidAdmin, kAcmRead, false);
    grant(page(2), kSidAdmin, kAcmRead, false);
    grant(page(2), kSidUsers, kAcmUsersSystemTable, false);
    grant(page(3), kSidAdmin, kAcmRelationshipsTable, false);
    grant(page(3), kSidUsers, kAcmUsersSystemTable, false);
    grant(kTablesContainer, kSidCreator, kAcmCreatorContainer, true);
    grant(kTablesContainer, kSidAdmin, kAcmTable, true);
    grant(kTablesContainer, kSidUsers, kAcmTable, true);
    grant(kRelationshipsContainer, kSidCreator, kAcmCreatorContainer, true);
    grant(kRelationshipsContainer, kSidAdmin, kAcmAdminRelationships, false);
    grant(kRelationshipsContainer, kSidUsers, kAcmFull, true);
    grant(kDatabasesContainer, kSidAdmin, kAcmRead, false);
    grant(kDatabaseObject, kSidAdmin, kAcmAdminDatabase, false);
    grant(kDatabaseObject, kSidUsers, kAcmUsersDatabase, false);
    int32_t next = kAccessObjects;
    grant(next++, kSidUsers, kAcmUsersProperties, false);  // SummaryInfo
    grant(next++, kSidUsers, kAcmUsersProperties, false);  // UserDefined
    for (size_t i = 0; i < std::size(kAccessContainers); ++i, ++next) {
        grant(next, kSidUsers, kAcmFull, true);
        grant(next, kSidAdmin, kAcmFull, true);
        grant(next, kSidCreator, kAcmFull, true);
    }
    // Each table: the rights the Tables container hands down, to all but the creator.
    for (size_t i = firstUserTable; i < tables.size(); ++i) {
        grant(page(i), kSidAdmin, kAcmTable, false);
        grant(page(i), kSidUsers, kAcmTable, false);
    }
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
    for (size_t i = 0; i < std::size(kHeaderEngineSlotValues); ++i)
        s.put32(kHeaderEngineSlots + 4 * static_cast<uint32_t>(i), kHeaderEngineSlotValues[i], "Kopf");
    s.put16(kHeaderCodePage, kCodePage1252, "Codepage");
    s.put32(kHeaderDatabaseKey, options.pageKey, "Datenbankschlüssel");
    s.put16(kHeaderEngineBuild, kEngineBuildWritten, "Kopf");
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
    // Past the masked region, in plain bytes.
    s.put32(kHeaderPlain98, kHeaderPlain98Value, "Kopf");
    std::memcpy(p.data() + kHeaderEngineVersionText, kEngineVersionText, sizeof kEngineVersionText);
}

void NewDatabaseFile::write(const std::string& path)
{
    if (m->written)
        throw JetError("Die Datei " + path + " wurde schon geschrieben.");
    m->written = true;
    m->addCatalogRows(path);
    m->addAccessRights();
    for (const auto& t : m->tables)
        t->writeIndexPages();
    m->writeHeader();
    m->file->saveAs(path);
}

}  // namespace db::jet
