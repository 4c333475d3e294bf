// A new file's system catalog compared, structure by structure, with testV2000.mdb, a
// database Access made: the system tables with their columns, types, flags and indexes,
// the catalog's containers and database objects, the rights, the header's constant bytes,
// page 1 and the constants of every definition; Jackcess reads the new file as sound.
// Skips when the Access files are absent.
#include "JetTestSupport.h"
#include "tests/support/Judge.h"

#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Rc4.h"
#include "db/jet/Table.h"
#include "db/jet/TableDef.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

using namespace jettest;
using namespace db::jet;

namespace {

const std::vector<std::string> kSystemTables = {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"};

// A new file as the sample writes one: autonumber ID as primary key, an index, a memo.
fs::path writeNewFile(const fs::path& dir)
{
    NewDatabaseFile out({"", 0, 45731.0});
    const size_t t = out.addTable("Schueler",
                                  {{"ID", ColumnType::Long, 0, true},
                                   {"Name", ColumnType::Text, 40},
                                   {"Bemerkung", ColumnType::Memo, 0}},
                                  {{"PrimaryKey", {"ID"}, true, false}, {"Name", {"Name"}, false, false}});
    for (int i = 1; i <= 30; ++i)
        out.addRow(t, {Value::ofInteger(i * 2), Value::ofText("Name " + std::to_string(i)),
                       Value::ofText(std::string(static_cast<size_t>(i) * 100, 'x'))});
    const fs::path file = dir / "neu.mdb";
    out.write(file.string());
    return file;
}

struct CatalogObject {
    int64_t id = 0;
    int64_t parent = 0;
    int64_t type = 0;
    int64_t flags = 0;
    std::string owner;
};

std::map<std::string, CatalogObject> catalogObjects(Database& db)
{
    Table& catalog = db.catalogTable();
    std::map<std::string, size_t> column;
    for (size_t i = 0; i < catalog.def().columns.size(); ++i)
        column[catalog.def().columns[i].name] = i;
    std::map<std::string, CatalogObject> out;
    Table::ScanState scan;
    Table::Row row;
    while (catalog.next(scan, row)) {
        CatalogObject o;
        o.id = catalog.value(row, column.at("Id")).integer;
        o.parent = catalog.value(row, column.at("ParentId")).integer;
        o.type = catalog.value(row, column.at("Type")).integer;
        o.flags = catalog.value(row, column.at("Flags")).integer;
        o.owner = catalog.value(row, column.at("Owner")).bytes;
        out[catalog.value(row, column.at("Name")).bytes] = o;
    }
    return out;
}

// A definition in words: every column (by number) and every index (by name).
std::vector<std::string> describe(const TableDef& def)
{
    std::vector<std::string> out;
    out.push_back("type " + std::to_string(def.tableType) + ", columns " + std::to_string(def.columns.size())
                  + ", variable " + std::to_string(def.varColumns));
    for (const ColumnDef& c : def.columns) {
        std::string s = "column " + std::to_string(c.number) + " " + c.name + " type "
                        + std::to_string(static_cast<int>(c.type)) + " flags " + std::to_string(c.flags) + " ext "
                        + std::to_string(c.extFlags) + " length " + std::to_string(c.length) + " var "
                        + std::to_string(c.varIndex) + " position " + std::to_string(c.position);
        if (c.isFixed() && c.type != ColumnType::Boolean)
            s += " at " + std::to_string(c.fixedOffset);
        out.push_back(s);
    }
    std::vector<IndexDef> indexes = def.indexes;
    std::sort(indexes.begin(), indexes.end(), [](const IndexDef& a, const IndexDef& b) { return a.name < b.name; });
    for (const IndexDef& x : indexes) {
        std::string s = "index " + x.name + " number " + std::to_string(x.number) + " real "
                        + std::to_string(x.realIndex) + " flags " + std::to_string(x.flags) + " type "
                        + std::to_string(x.type) + " on";
        for (const IndexColumn& c : x.columns)
            s += " " + def.findColumn(c.columnNumber)->name + (c.ascending ? "" : " desc");
        out.push_back(s);
    }
    out.push_back("long-value maps " + std::to_string(def.longValueMaps.size()));
    return out;
}

// Where a system table's maps and index roots lie: Access's new database puts them at
// fixed places (page 6 and pages 7 to 13), and so must we.
std::vector<std::string> placement(const TableDef& def)
{
    auto hex = [](uint32_t v) {
        char b[16];
        std::snprintf(b, sizeof b, "0x%x", v);
        return std::string(b);
    };
    std::vector<std::string> out = {"maps " + hex(def.ownedPagesMap) + " " + hex(def.freePagesMap)};
    for (const LongValueMaps& m : def.longValueMaps)
        out.push_back("column " + std::to_string(m.column) + " maps " + hex(m.ownedPages) + " " + hex(m.freePages));
    for (const IndexDef& x : def.indexes)
        out.push_back("index " + x.name + " map " + hex(x.usageMap) + " root " + std::to_string(x.rootPage));
    return out;
}

std::vector<uint8_t> unmaskedHeader(const fs::path& file)
{
    const std::string bytes = readFile(file);
    std::vector<uint8_t> p(bytes.begin(), bytes.begin() + 4096);
    Rc4 mask(kHeaderMaskKey, sizeof kHeaderMaskKey);
    mask.apply(p.data() + kHeaderMaskedOffset, kHeaderMaskedSizeJet4);
    return p;
}

std::vector<uint8_t> page(const fs::path& file, uint32_t number)
{
    const std::string bytes = readFile(file);
    return std::vector<uint8_t>(bytes.begin() + number * 4096, bytes.begin() + (number + 1) * 4096);
}

uint32_t u32(const std::vector<uint8_t>& p, size_t at)
{
    return p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
}

class NewFileCatalog : public ::testing::Test {
protected:
    void SetUp() override
    {
        EDVARA_REQUIRE_ACCESS_FIXTURES();
        ours = writeNewFile(dir.path());
        access = fixture("testV2000.mdb");
        ourDb = Database::open(ours.string(), "", AccessMode::ReadShared);
        accessDb = Database::open(access.string(), "", AccessMode::ReadShared);
    }

    TempDir dir;
    fs::path ours, access;
    std::unique_ptr<Database> ourDb, accessDb;
};

}  // namespace

TEST_F(NewFileCatalog, SystemTablesHaveAccessColumnsTypesFlagsAndIndexes)
{
    const auto ourObjects = catalogObjects(*ourDb);
    const auto accessObjects = catalogObjects(*accessDb);
    for (const std::string& name : kSystemTables) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(ourObjects.count(name));
        const uint32_t ourPage = static_cast<uint32_t>(ourObjects.at(name).id);
        const uint32_t accessPage = static_cast<uint32_t>(accessObjects.at(name).id);
        EXPECT_EQ(ourPage, accessPage);  // pages 2 to 5
        const TableDef ourDef = readTableDef(ourDb->file(), ourDb->format(), ourPage, kCodePage1252);
        const TableDef accessDef = readTableDef(accessDb->file(), accessDb->format(), accessPage, kCodePage1252);
        EXPECT_EQ(describe(ourDef), describe(accessDef));
        EXPECT_EQ(placement(ourDef), placement(accessDef));
    }
}

TEST_F(NewFileCatalog, ContainersAndDatabaseObjectsAreAccess)
{
    const auto ourObjects = catalogObjects(*ourDb);
    const auto accessObjects = catalogObjects(*accessDb);
    // The file's own user id is the owner of MSysDb; every other id relates to it alike.
    const std::string ourAdmin = ourObjects.at("MSysDb").owner;
    const std::string accessAdmin = accessObjects.at("MSysDb").owner;
    auto relative = [](const std::string& sid, const std::string& admin) {
        std::string out = sid;
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<char>(out[i] ^ admin[i % admin.size()]);
        return out;
    };
    size_t compared = 0;
    for (const auto& [name, a] : accessObjects) {
        if (a.parent == 0x0F000001 && a.type == 1 && (a.flags & 0x80000000) == 0)
            continue;  // the fixture's own tables (and MSysAccessObjects, not written)
        if (name == "AccessLayout")
            continue;  // made by Access's own forms, not the engine
        SCOPED_TRACE(name);
        ASSERT_TRUE(ourObjects.count(name));
        const CatalogObject& o = ourObjects.at(name);
        // Access numbers its own objects from 0x80000000 in the order it made them.
        if (a.id < 0)
            EXPECT_LT(o.id, 0);
        else
            EXPECT_EQ(o.id, a.id);
        EXPECT_EQ(o.parent, a.parent);
        EXPECT_EQ(o.type, a.type);
        EXPECT_EQ(o.flags, a.flags);
        EXPECT_EQ(relative(o.owner, ourAdmin), relative(a.owner, accessAdmin));
        ++compared;
    }
    EXPECT_EQ(compared, 16u);  // 3 + 6 containers, MSysDb, SummaryInfo, UserDefined, 4 tables
    const CatalogObject& table = ourObjects.at("Schueler");
    EXPECT_EQ(table.parent, 0x0F000001);
    EXPECT_EQ(table.flags, 0);
    EXPECT_EQ(table.owner, ourAdmin);
}

TEST_F(NewFileCatalog, RightsAreThoseAccessGrants)
{
    // Every right we grant, Access grants too: the same object, the same id relative to
    // the file's own, the same rights and inheritance.
    auto rights = [](Database& db) {
        std::map<int64_t, std::string> names;
        for (const auto& [name, o] : catalogObjects(db))
            names[o.id] = (o.parent == 0x0F000001 && (o.flags & 0x80000002) == 0) ? "a user table" : name;
        const std::string admin = catalogObjects(db).at("MSysDb").owner;
        const uint32_t acesPage = static_cast<uint32_t>(catalogObjects(db).at("MSysACEs").id);
        Table aces(db.file(), db.header(), db.space(), "MSysACEs",
                   readTableDef(db.file(), db.format(), acesPage, kCodePage1252));
        std::set<std::string> out;
        Table::ScanState scan;
        Table::Row row;
        while (aces.next(scan, row)) {
            std::string sid = aces.value(row, 1).bytes;
            if (sid.size() != admin.size())
                continue;  // the Admins group, whose long id we do not write
            for (size_t i = 0; i < sid.size(); ++i)
                sid[i] = static_cast<char>(sid[i] ^ admin[i]);
            out.insert(names[aces.value(row, 0).integer] + " " + std::to_string(static_cast<uint8_t>(sid[0])) + "."
                       + std::to_string(static_cast<uint8_t>(sid[1])) + " " + std::to_string(aces.value(row, 2).integer)
                       + " " + std::to_string(aces.value(row, 3).integer));
        }
        return out;
    };
    const std::set<std::string> ours = rights(*ourDb);
    const std::set<std::string> access = rights(*accessDb);
    EXPECT_EQ(ours.size(), 38u);
    for (const std::string& r : ours)
        EXPECT_TRUE(access.count(r)) << r;
    // And every right Access grants to the short ids, we grant.
    for (const std::string& r : access) {
        if (r.rfind("MSysAccessObjects ", 0) != 0) {  // not written
            EXPECT_TRUE(ours.count(r)) << r;
        }
    }
}

TEST_F(NewFileCatalog, HeaderPageOneAndDefinitionConstantsAreAccess)
{
    const std::vector<uint8_t> ourHeader = unmaskedHeader(ours);
    const std::vector<uint8_t> accessHeader = unmaskedHeader(access);
    EXPECT_EQ(std::vector<uint8_t>(ourHeader.begin() + 0x18, ourHeader.begin() + 0x30),
              std::vector<uint8_t>(accessHeader.begin() + 0x18, accessHeader.begin() + 0x30));
    EXPECT_EQ(std::vector<uint8_t>(ourHeader.begin() + 0x98, ourHeader.begin() + 0xA0),
              std::vector<uint8_t>(accessHeader.begin() + 0x98, accessHeader.begin() + 0xA0));
    EXPECT_EQ(ourHeader[0x6A] | (ourHeader[0x6B] << 8), accessHeader[0x6A] | (accessHeader[0x6B] << 8));

    // Page 1: owner 1, the free-page map and an empty second map.
    const std::vector<uint8_t> ourFree = page(ours, 1);
    const std::vector<uint8_t> accessFree = page(access, 1);
    EXPECT_EQ(u32(ourFree, 4), u32(accessFree, 4));
    EXPECT_EQ(ourFree[12], 2);
    EXPECT_EQ(accessFree[12], 2);
    const uint16_t secondRow = static_cast<uint16_t>(ourFree[16] | (ourFree[17] << 8));
    EXPECT_EQ(std::vector<uint8_t>(ourFree.begin() + secondRow, ourFree.begin() + secondRow + 69),
              std::vector<uint8_t>(69, 0));

    // Every definition: 0x0659 at 12 and in each column descriptor; its length at 8, and
    // 8 bytes more counted as used than it fills.
    std::vector<uint32_t> definitions = {2, 3, 4, 5};
    for (const CatalogEntry& e : ourDb->userTables())
        definitions.push_back(e.tableDefPage);
    for (uint32_t number : definitions) {
        SCOPED_TRACE(number);
        const std::vector<uint8_t> p = page(ours, number);
        EXPECT_EQ(u32(p, 12), u32(page(access, number < 6 ? number : 24), 12));
        EXPECT_EQ(u32(p, 12), 0x0659u);
        const size_t length = u32(p, 8);
        EXPECT_EQ(readTableDefChain(ourDb->file(), ourDb->format(), number).size() >= length, true);
        EXPECT_EQ(p[length - 2] | (p[length - 1] << 8), 0xFFFF);  // ends after its long-value maps
        EXPECT_EQ(p[2] | (p[3] << 8), static_cast<int>(4096 - length - 8));
        const TableDef def = readTableDef(ourDb->file(), ourDb->format(), number, kCodePage1252);
        const size_t descriptors = 63 + 12 * def.realIndexCount;
        for (size_t i = 0; i < def.columns.size(); ++i)
            EXPECT_EQ(u32(p, descriptors + 25 * i + 1), 0x0659u);
    }
}

TEST_F(NewFileCatalog, UserTablesHaveAutonumbersAndPassTheCheck)
{
    ASSERT_EQ(ourDb->userTables().size(), 1u);  // the system tables stay out of the user's view
    Table& t = ourDb->table(ourDb->userTables()[0]);
    EXPECT_TRUE(t.def().columns[0].isAutoNumber());
    EXPECT_EQ(t.def().lastAutoNumber, 60u);  // the highest ID given
    EXPECT_EQ(t.def().columns[0].position, 1);  // as testV2000.mdb's Table3
    EXPECT_EQ(t.def().longValueMaps.size(), 1u);
    EXPECT_TRUE(checkErrors(checkDatabase(*ourDb)).empty());
    EDVARA_EXPECT_JUDGE_ACCEPTS(ours.string());
}

TEST(NewFileCatalogRules, AutonumbersOnlyOnOneLongColumn)
{
    NewDatabaseFile out({});
    EXPECT_NE(jetErrorOf([&] { out.addTable("A", {{"ID", ColumnType::Text, 10, true}}); }).find("Autowerte"),
              std::string::npos);
    EXPECT_NE(jetErrorOf([&] {
                  out.addTable("B", {{"ID", ColumnType::Long, 0, true}, {"Nr", ColumnType::Long, 0, true}});
              }).find("höchstens eine"),
              std::string::npos);
    // The system tables are Access's: no rows of ours go into them.
    EXPECT_NE(jetErrorOf([&] { out.addRow(1, {Value::ofInteger(1)}); }).find("Unbekannte Tabelle"), std::string::npos);
    EXPECT_NE(jetErrorOf([&] { out.addTable("MSysACEs", {{"X", ColumnType::Long}}); }).find("gibt es schon"),
              std::string::npos);
}

TEST(NewFileCatalogRules, RequiredColumnsAreKeptAsAccessKeepsThem)
{
    TempDir dir;
    NewDatabaseFile out({});
    const size_t t = out.addTable("Orte", {{"ID", ColumnType::Long, 0, true, true}, {"Name", ColumnType::Text, 40, false, true},
                                           {"Zusatz", ColumnType::Text, 40}});
    out.addRow(t, {Value::ofInteger(1), Value::ofText("Köln"), Value::null()});
    // A NULL in a required column is refused, and the table stays as it was.
    EXPECT_NE(jetErrorOf([&] { out.addRow(t, {Value::ofInteger(2), Value::null(), Value::ofText("x")}); }), "");
    const fs::path file = dir.path() / "orte.mdb";
    out.write(file.string());

    const auto db = Database::open(file.string(), "", AccessMode::ReadShared);
    ASSERT_EQ(db->userTables().size(), 1u);
    EXPECT_EQ(db->userTables()[0].rules.requiredColumns(), (std::set<std::string>{"ID", "Name"}));
    EXPECT_EQ(db->userTables()[0].flags, 0u);
    Table& orte = db->table(db->userTables()[0]);
    Table::ScanState scan;
    Table::Row row;
    size_t rows = 0;
    while (orte.next(scan, row))
        ++rows;
    EXPECT_EQ(rows, 1u);
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}
