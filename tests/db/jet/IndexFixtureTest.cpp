// Access's own indexes in the real files: every entry's key recomputed from its row, the
// index definitions, searches against table scans, and the check passing on every file.
#include "JetTestSupport.h"

#include "db/jet/Database.h"
#include "db/jet/Index.h"
#include "db/jet/IndexCheck.h"
#include "db/jet/IndexKey.h"

#include <map>
#include <set>

using namespace jettest;
using namespace db::jet;

namespace {

std::unique_ptr<Database> open(const std::string& name)
{
    return Database::open(fixture(name).string(), passwordOf(name), AccessMode::ReadShared);
}

// Every table of the catalog, system tables included, as (name, TDEF page), but for the
// system tables whose definitions the engine cannot read (MSysAccessObjects has a column
// of type 0x11).
std::vector<CatalogEntry> allTables(Database& db)
{
    std::vector<CatalogEntry> out;
    Table& cat = db.catalogTable();
    size_t name = 0, id = 0, type = 0;
    for (size_t i = 0; i < cat.def().columns.size(); ++i) {
        const std::string& n = cat.def().columns[i].name;
        if (n == "Name")
            name = i;
        if (n == "Id")
            id = i;
        if (n == "Type")
            type = i;
    }
    std::set<uint32_t> seen;
    Table::ScanState s;
    Table::Row r;
    while (cat.next(s, r))
        if (cat.value(r, type).integer == kObjectTypeTable) {
            const uint32_t page = static_cast<uint32_t>(cat.value(r, id).integer) & 0xFFFFFF;
            if (!seen.insert(page).second)
                continue;
            CatalogEntry e{cat.value(r, name).bytes, page, 0, {}};
            try {
                if (page != kCatalogPage)
                    db.table(e);
            } catch (const JetError&) {
                EXPECT_EQ(e.name, "MSysAccessObjects");
                continue;
            }
            out.push_back(e);
        }
    return out;
}

Table& tableOf(Database& db, const CatalogEntry& e)
{
    return e.tableDefPage == kCatalogPage ? db.catalogTable() : db.table(e);
}

// One index at a time: its entries and each row's recomputed key.
struct IndexRows {
    std::vector<IndexEntry> entries;
    std::map<uint64_t, std::vector<KeyValue>> values;  // row id -> key values
};

IndexRows indexRows(Database& db, Table& t, const IndexDef& x)
{
    IndexRows out;
    IndexReader reader(db.file(), db.format(), x, t.def().page);
    IndexReader::Cursor c = reader.begin();
    IndexEntry e;
    while (c.next(e))
        out.entries.push_back(e);
    IndexKeyEncoder enc(t.name(), t.def(), x, db.header());
    Table::ScanState s;
    Table::Row r;
    while (t.next(s, r)) {
        std::vector<KeyValue> v;
        for (size_t i = 0; i < enc.columnCount(); ++i) {
            const size_t at = static_cast<size_t>(&enc.column(i) - t.def().columns.data());
            const FieldSpan& f = r.fields[at];
            v.push_back(keyValueOfField(db.file(), db.format(), db.header().codePage, enc.column(i), f.present,
                                        f.present ? r.bytes.sub(f.offset, f.length, "") : ByteView()));
        }
        out.values[r.rowId] = std::move(v);
    }
    return out;
}

}  // namespace

TEST(IndexFixtures, EveryEntryHasTheKeyBytesAccessWrote)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    size_t compared = 0, uncertain = 0, text = 0;
    for (const std::string& file : fixtureNames()) {
        auto db = open(file);
        for (const CatalogEntry& te : allTables(*db)) {
            Table& t = tableOf(*db, te);
            std::set<uint32_t> reals;
            for (const IndexDef& x : t.def().indexes) {
                if (!reals.insert(x.realIndex).second)
                    continue;
                const IndexRows ir = indexRows(*db, t, x);
                IndexKeyEncoder enc(t.name(), t.def(), x, db->header());
                for (const IndexEntry& e : ir.entries) {
                    const auto row = ir.values.find(e.rowId());
                    ASSERT_NE(row, ir.values.end()) << file << " " << t.name() << "." << x.name << ": entry for no row";
                    const EncodedKey key = enc.encode(row->second, KeyMode::Lenient);
                    EXPECT_EQ(hexBytes(key.bytes), hexBytes(e.key))
                        << file << ", table " << t.name() << ", index " << x.name << ", row " << e.dataPage << ":"
                        << int(e.dataRow) << " (computed vs stored)";
                    ++compared;
                    uncertain += key.certain ? 0 : 1;
                    for (const KeyValue& v : row->second)
                        text += v.kind == KeyValue::Kind::Text ? 1 : 0;
                }
            }
        }
    }
    // The files hold 2,691 entries the engine can read, 455 of them with text; only the
    // one Japanese value needs codes that are not certain one by one.
    EXPECT_GE(compared, 2691u);
    EXPECT_GE(text, 455u);
    EXPECT_EQ(uncertain, 1u);
}

TEST(IndexFixtures, CheckFindsNothingInAnyFile)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    for (const std::string& file : fixtureNames()) {
        auto db = open(file);
        for (const IndexFinding& f : checkIndexes(*db))
            if (f.severity == IndexFinding::Severity::Error || f.table != "MSysAccessObjects")
                ADD_FAILURE() << file << ": " << describeFinding(f);
    }
}

TEST(IndexFixtures, ReadsDefinitionsAsAccessStoresThem)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    auto db = open("indexTestV2000.mdb");
    std::map<std::string, IndexDef> t1, t2;
    for (const IndexDef& x : db->table(db->userTables()[0]).def().indexes)
        t1[x.name] = x;
    for (const IndexDef& x : db->table(db->userTables()[1]).def().indexes)
        t2[x.name] = x;
    const IndexDef& pk = t1.at("PrimaryKey");
    EXPECT_TRUE(pk.isPrimaryKey() && pk.isUnique() && pk.isRequired() && !pk.ignoresNulls());
    EXPECT_EQ(pk.rootPage, 28u);
    EXPECT_FALSE(t1.at("id").isUnique());
    // Table1.otherfk1 refers to Table2.id, deletes cascade; otherfk2 to Table3.id, updates cascade.
    const IndexDef& fk1 = t1.at("Table2Table1");
    EXPECT_TRUE(fk1.isForeignKey() && fk1.isReferencing());
    EXPECT_EQ(fk1.relatedTablePage, 27u);
    EXPECT_TRUE(fk1.cascadeDeletes);
    EXPECT_FALSE(fk1.cascadeUpdates);
    EXPECT_TRUE(t1.at("Table3Table1").cascadeUpdates);
    EXPECT_EQ(t2.at(".rC").relatedSide, kIndexRelatedReferenced);
    EXPECT_EQ(t2.at(".rC").relatedTablePage, 24u);
    // The referenced side shares the primary key's B-tree.
    EXPECT_EQ(t2.at(".rC").realIndex, t2.at("PrimaryKey").realIndex);

    auto comp = open("compIndexTestV2000.mdb");
    const IndexDef& agent = comp->table(comp->userTables()[0]).def().indexes.at(0);
    ASSERT_EQ(agent.columns.size(), 1u);
    EXPECT_FALSE(agent.columns[0].ascending);

    // Ignore-nulls on the system table of relationships; text sort orders per format.
    auto rel = open("indexTestV2000.mdb");
    for (const CatalogEntry& e : allTables(*rel)) {
        if (e.name == "MSysRelationships") {
            for (const IndexDef& x : rel->table(e).def().indexes)
                EXPECT_TRUE(x.ignoresNulls()) << x.name;
        }
    }
    const std::pair<const char*, TextOrder> orders[] = {{"testV1997.mdb", TextOrder::General97},
                                                        {"testV2000.mdb", TextOrder::GeneralLegacy},
                                                        {"testV2010.accdb", TextOrder::General}};
    for (const auto& [file, order] : orders) {
        auto d = open(file);
        const IndexDef& x = d->table(d->userTables()[0]).def().indexes.at(0);
        EXPECT_EQ(textOrderOf(x.columns.at(0), d->format()), order) << file;
    }
}

TEST(IndexFixtures, SearchesFindTheRowsATableScanFinds)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    size_t searched = 0;
    for (const std::string& file : fixtureNames()) {
        auto db = open(file);
        for (const CatalogEntry& te : allTables(*db)) {
            Table& t = tableOf(*db, te);
            for (const IndexDef& x : t.def().indexes) {
                const IndexRows ir = indexRows(*db, t, x);
                IndexReader reader(db->file(), db->format(), x, t.def().page);
                IndexKeyEncoder enc(t.name(), t.def(), x, db->header());
                // Expected: rows by their whole key, and by the key of their first column.
                std::map<std::vector<uint8_t>, std::set<uint64_t>> byKey, byFirst;
                for (const auto& [rowId, values] : ir.values) {
                    bool complete = true;
                    const auto key = enc.tryEncodePrefix(values, complete);
                    const auto first = enc.tryEncodePrefix({values.front()}, complete);
                    if (key && !(x.ignoresNulls() && values.front().isNull() && values.size() == 1))
                        byKey[*key].insert(rowId);
                    if (first && values.size() > 1)
                        byFirst[*first].insert(rowId);
                }
                for (const auto& [key, rows] : byKey) {
                    const auto found = reader.rowsWithKey(key);
                    EXPECT_EQ(std::set<uint64_t>(found.begin(), found.end()), rows)
                        << file << " " << t.name() << "." << x.name << " " << hexBytes(key);
                    ++searched;
                }
                for (const auto& [prefix, rows] : byFirst) {
                    const auto found = reader.rowsWithPrefix(prefix);
                    EXPECT_EQ(std::set<uint64_t>(found.begin(), found.end()), rows)
                        << file << " " << t.name() << "." << x.name << " prefix " << hexBytes(prefix);
                }
                // A range between two keys holds exactly the entries between them.
                if (ir.entries.size() >= 4) {
                    const std::vector<uint8_t>& lo = ir.entries[1].key;
                    const std::vector<uint8_t>& hi = ir.entries[ir.entries.size() - 2].key;
                    std::set<uint64_t> expect;
                    for (const IndexEntry& e : ir.entries)
                        if (compareKeys(e.key, lo) > 0 && compareKeys(e.key, hi) <= 0)
                            expect.insert(e.rowId());
                    const auto found = reader.rowsInRange(KeyBound{lo, false}, KeyBound{hi, true});
                    EXPECT_EQ(std::set<uint64_t>(found.begin(), found.end()), expect)
                        << file << " " << t.name() << "." << x.name;
                }
            }
        }
    }
    EXPECT_GT(searched, 1000u);
}

TEST(IndexFixtures, DescendingIndexOverTwoLevelsFindsEveryValue)
{
    // compIndexTestV2000: 512 rows, a node page over two leaves (the second one the tail),
    // the leaves sharing a 3-byte prefix; NULLs sort last when descending.
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    auto db = open("compIndexTestV2000.mdb");
    Table& t = db->table(db->userTables()[0]);
    const IndexDef& x = t.def().indexes.at(0);
    IndexReader reader(db->file(), db->format(), x, t.def().page);
    EXPECT_FALSE(reader.page(x.rootPage)->leaf);
    EXPECT_EQ(reader.page(32)->prefixLength, 3);
    IndexKeyEncoder enc(t.name(), t.def(), x, db->header());
    const auto key = [&](int64_t v) { return enc.encode({KeyValue::ofInteger(v)}).bytes; };
    // Values on either side of the node's separating entry, and in the tail page.
    for (int64_t v : {4813, 27, 19})
        EXPECT_EQ(reader.rowsWithKey(key(v)).size(), 1u) << v;
    const auto nulls = reader.rowsWithKey({kKeyDescendingNull});
    EXPECT_EQ(nulls.size(), 2u);
    // Descending: the range from 100 down to 10 lies between key(100) and key(10).
    const auto range = reader.rowsInRange(KeyBound{key(100), true}, KeyBound{key(10), true});
    size_t expect = 0;
    Table::ScanState s;
    Table::Row r;
    while (t.next(s, r)) {
        const Value v = t.value(r, 0);
        expect += v.kind == Value::Kind::Integer && v.integer >= 10 && v.integer <= 100 ? 1 : 0;
    }
    EXPECT_EQ(range.size(), expect);
    EXPECT_GT(expect, 0u);
}

TEST(IndexFixtures, LookupsBySqlValueFindEveryRowWithThatValue)
{
    // What the virtual table will do: the SQL value of a row, turned into a key, must find
    // that row; where the index cannot answer exactly it must decline, not miss.
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    size_t found = 0, declined = 0;
    for (const std::string& file : fixtureNames()) {
        auto db = open(file);
        for (const CatalogEntry& te : allTables(*db)) {
            Table& t = tableOf(*db, te);
            for (const IndexDef& x : t.def().indexes) {
                IndexReader reader(db->file(), db->format(), x, t.def().page);
                IndexKeyEncoder enc(t.name(), t.def(), x, db->header());
                const size_t at = static_cast<size_t>(&enc.column(0) - t.def().columns.data());
                Table::ScanState s;
                Table::Row r;
                while (t.next(s, r)) {
                    const Value v = t.value(r, at);
                    const std::optional<KeyValue> kv = keyValueForLookup(enc.column(0), v);
                    bool complete = true;
                    const std::optional<std::vector<uint8_t>> prefix =
                        kv ? enc.tryEncodePrefix({*kv}, complete) : std::nullopt;
                    if (!prefix) {
                        ++declined;
                        continue;
                    }
                    const auto rows = reader.rowsWithPrefix(*prefix);
                    EXPECT_NE(std::find(rows.begin(), rows.end(), r.rowId), rows.end())
                        << file << " " << t.name() << "." << x.name << " " << hexBytes(*prefix);
                    ++found;
                }
            }
        }
    }
    EXPECT_GT(found, 2000u);
    EXPECT_GT(declined, 0u);  // NULLs, dates, and names with k or s
}
