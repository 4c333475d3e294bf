// Every page keeps one owner while statements run in one connection. Two accounts of the
// file's pages are kept independently: the free-page map, which every write changes as it
// takes and gives back pages, and the walk of every structure from the catalog down. After
// each statement (committed, refused, rolled back to a mark) they must agree: a page the
// walk reaches is not marked free, a page nothing reaches is free (or was already
// unrecorded before the first statement, as Access leaves such pages until it compacts),
// and no page is reached in two roles.
#include "JetTestSupport.h"
#include "tests/support/Judge.h"

#include "db/jet/Check.h"

#include "db/jet/Database.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Scrub.h"
#include "db/jet/UsageMap.h"

#include <random>
#include <set>

using namespace jettest;
using namespace db::jet;

namespace {

struct Accounts {
    std::set<uint32_t> reachedButFree;
    std::set<uint32_t> unrecorded;  // neither reached nor free
    std::vector<std::string> conflicts;
};

Accounts accounts(Database& db)
{
    const PageWalk walk = walkPages(db);
    const FreePageMap map(db.file(), db.format());
    Accounts out;
    out.conflicts = walk.conflicts;
    for (uint32_t page = 1; page < db.file().pageCount(); ++page) {
        const bool reached = page < walk.used.size() && walk.used[page];
        if (reached && map.isFree(page))
            out.reachedButFree.insert(page);
        if (!reached && !map.isFree(page))
            out.unrecorded.insert(page);
    }
    return out;
}

std::optional<uint64_t> rowWithId(Table& t, size_t column, int64_t id)
{
    Table::ScanState scan;
    Table::Row row;
    while (t.next(scan, row)) {
        const Value v = t.value(row, column);
        if (v.kind == Value::Kind::Integer && v.integer == id)
            return row.rowId;
    }
    return std::nullopt;
}

std::string randomText(std::mt19937& rng, size_t most)
{
    static const std::vector<std::string> parts = {"Müller", "Weiß", "Öztürk", "van der Berg", "Straße", "A", "b"};
    std::string s;
    const size_t n = 1 + rng() % most;
    while (s.size() < n)
        s += parts[rng() % parts.size()];
    return s;
}

// Runs random inserts, updates (rows that grow, shrink and move, long values taken on and
// given up), deletes and refused duplicates on `table` through one opened file, some
// inside marks that are rolled back, and compares the two accounts after every statement.
void runAndCompare(const fs::path& file, const std::string& tableName, size_t idColumn, size_t textColumn,
                   std::optional<size_t> memoColumn, int statements, uint32_t seed)
{
    auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
    const Accounts before = accounts(*db);
    ASSERT_EQ(before.conflicts, std::vector<std::string>{});
    ASSERT_EQ(before.reachedButFree, std::set<uint32_t>{});
    Table& t = tableNamed(*db, tableName);
    const size_t width = t.def().columns.size();
    std::mt19937 rng(seed);
    std::vector<int64_t> ids;
    int64_t nextId = 100000;
    for (int n = 0; n < statements; ++n) {
        // The first half mostly grows the table, the second mostly empties it again, so
        // that data, long-value and index pages are given back and taken anew.
        const int kind = n < statements / 2 ? static_cast<int>(rng() % 10) : (rng() % 4 ? 9 : 6);
        const bool undo = rng() % 8 == 0;
        db->file().beginUnit();
        db->file().savepoint(0);
        try {
            if (kind < 5 || ids.empty()) {
                std::vector<Value> row(width, Value::null());
                const bool duplicate = !ids.empty() && rng() % 6 == 0;
                const int64_t id = duplicate ? ids[rng() % ids.size()] : nextId++;
                row[idColumn] = Value::ofInteger(id);
                row[textColumn] = Value::ofText(randomText(rng, 40));
                if (memoColumn)
                    row[*memoColumn] = Value::ofText(repeat(randomText(rng, 30), 1 + rng() % 200));
                t.insert(row);
                if (!undo)
                    ids.push_back(id);
            } else {
                const size_t at = rng() % ids.size();
                const std::optional<uint64_t> found = rowWithId(t, idColumn, ids[at]);
                ASSERT_TRUE(found) << ids[at];
                if (kind < 8) {
                    std::vector<std::optional<Value>> change(width);
                    change[textColumn] = Value::ofText(randomText(rng, rng() % 2 ? 4 : 200));
                    if (memoColumn)
                        change[*memoColumn] = rng() % 3 ? Value::null() : Value::ofText(repeat("Notiz ", rng() % 900));
                    t.update(*found, change);
                } else {
                    t.remove(*found);
                    if (!undo)
                        ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(at));
                }
            }
            if (undo)
                db->file().rollbackTo(0);
            db->file().release(0);
            db->file().commitUnit();
        } catch (const JetError&) {
            db->file().rollbackUnit();  // a refused duplicate: as if it had not run
        }
        const Accounts now = accounts(*db);
        ASSERT_EQ(now.conflicts, std::vector<std::string>{}) << "statement " << n;
        ASSERT_EQ(now.reachedButFree, std::set<uint32_t>{}) << "statement " << n;
        for (uint32_t page : now.unrecorded)
            ASSERT_TRUE(before.unrecorded.count(page)) << "page " << page << " left unrecorded by statement " << n;
    }
    db.reset();
    const auto reader = Database::open(file.string(), "", AccessMode::ReadShared);
    EXPECT_EQ(checkErrors(checkDatabase(*reader)), std::vector<std::string>{});
    EXPECT_TRUE(testsupport::judgeAccepts(file.string()));
}

}  // namespace

TEST(PageOwnership, TheWalkAndTheFreePageMapAgreeAfterEveryStatementOfANewFile)
{
    TempDir dir;
    const fs::path file = dir.path() / "besitz.mdb";
    {
        NewDatabaseFile out({"", 0, 45000});
        out.addTable("Personen",
                     {{"ID", ColumnType::Long, 0}, {"Name", ColumnType::Text, 255}, {"Notiz", ColumnType::Memo, 0}},
                     {{"PrimaryKey", {"ID"}, true, false}, {"Name", {"Name"}, false, false}});
        out.write(file.string());
    }
    runAndCompare(file, "Personen", 0, 1, 2, 900, 11);
    EDVARA_SKIP_WITHOUT_JUDGE();
}

TEST(PageOwnership, TheWalkAndTheFreePageMapAgreeAfterEveryStatementOfAnAccessFile)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    // Access's own file: pages it never recorded stay as they are, and none joins them.
    const fs::path file = dir.path() / "compIndexTestV2000.mdb";
    fs::copy_file(fixture("compIndexTestV2000.mdb"), file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    auto probe = Database::open(file.string(), "", AccessMode::ReadShared);
    const TableDef def = tableNamed(*probe, "Table1").def();
    probe.reset();
    std::optional<size_t> id, text, memo;
    for (size_t i = 0; i < def.columns.size(); ++i) {
        if (!id && def.columns[i].type == ColumnType::Long)
            id = i;
        else if (!text && def.columns[i].type == ColumnType::Text)
            text = i;
        else if (!memo && def.columns[i].type == ColumnType::Memo)
            memo = i;
    }
    ASSERT_TRUE(id && text);
    runAndCompare(file, "Table1", *id, *text, memo, 400, 12);
    EDVARA_SKIP_WITHOUT_JUDGE();
}
