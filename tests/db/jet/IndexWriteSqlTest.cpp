// Indexed tables written through SQL, judged by Debian's mdb-export, our own check and
// Jackcess (which recomputes every key and then writes to the file itself): thousands of
// random statements on copies of Access's index fixtures and on a new file with indexes,
// with keys that split and empty pages and texts of every kind a school database holds.
// What a rule of Access forbids is refused with Access's text.
#include "JetTestSupport.h"
#include "MdbExport.h"
#include "tests/support/Judge.h"

#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Text.h"

#include <random>

using namespace jettest;
using namespace db::jet;

namespace {

std::string sqlText(const std::string& s)
{
    std::string q = "'";
    for (char ch : s)
        q += ch == '\'' ? std::string("''") : std::string(1, ch);
    return q + "'";
}

// A random text as school data has it, `width` characters at most; now and then a
// character without a certain Access key, which the statement must refuse.
std::string randomRaw(std::mt19937& rng, size_t width, int parts = 6)
{
    static const std::vector<std::string> words = {
        "Müller", "Schäfer", "Weiß", "Groß", "Öztürk", "Jäger", "Böhm", "Straße", "Zoë", "José", "Renée",
        "Çelik", "d'Artagnan", "van der Berg", "O'Neill", "Meier-Lüdenscheid", "ÆØÅ", "ß", "SS", "ss", "a", "A",
        "1", "22", "3. Klasse", "(x)", " ", "Ärger", "über", "ÖL", "œuvre", "Łódź", "İstanbul", "ğ"};
    std::string s;
    const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(parts));
    for (int i = 0; i < n; ++i)
        s += words[rng() % words.size()];
    if (rng() % 4 == 0)
        s += std::to_string(rng() % 100000);
    std::u16string units;
    utf8ToUtf16(s, units);
    if (units.size() > width) {
        units.resize(width);
        s.clear();
        for (char16_t c : units)
            appendUtf8(s, c);
    }
    return s;
}

// The same as SQL, often NULL.
std::string randomText(std::mt19937& rng, size_t width, int parts = 6)
{
    if (rng() % 12 == 0)
        return "NULL";
    return sqlText(randomRaw(rng, width, parts));
}

struct Target {
    std::string table;
    // Returns the column list and the values of a new row, or the SET list of an update.
    std::function<std::string(std::mt19937&)> insert;
    std::function<std::string(std::mt19937&)> update;
};

// Runs `statements` random statements against `table`; each either succeeds or is refused
// for a reason Access gives. Returns how many succeeded.
int randomStatements(Connection& c, const Target& t, std::mt19937& rng, int statements)
{
    static const std::vector<std::string> refusals = {"mehrfach vorkommende Werte", "kann nicht in den Index",
                                                      "in Beziehung stehen muss", "in Beziehung stehende Datensätze",
                                                      "keinen Nullwert"};
    int done = 0;
    for (int i = 0; i < statements; ++i) {
        const int kind = static_cast<int>(rng() % 10);
        const std::string count = c.one("SELECT count(*) FROM [" + t.table + "]");
        const std::string pick = "(SELECT rowid FROM [" + t.table + "] LIMIT 1 OFFSET "
                                 + std::to_string(rng() % std::max(1, std::stoi(count))) + ")";
        std::string sql;
        if (kind < 5 || count == "0")
            sql = "INSERT INTO [" + t.table + "] " + t.insert(rng);
        else if (kind < 8)
            sql = "UPDATE [" + t.table + "] SET " + t.update(rng) + " WHERE rowid = " + pick;
        else
            sql = "DELETE FROM [" + t.table + "] WHERE rowid = " + pick;
        const std::string error = c.failure(sql);
        if (error.empty()) {
            ++done;
            continue;
        }
        const bool known = std::any_of(refusals.begin(), refusals.end(),
                                       [&](const std::string& r) { return error.find(r) != std::string::npos; });
        EXPECT_TRUE(known) << sql << ": " << error;
    }
    return done;
}

}  // namespace

TEST(IndexWriteSql, RandomStatementsOnIndexFixturesAndNewFilesReadLikeMdbExport)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    ASSERT_EQ(mdbexport::run({"mdb-export", "--version"}).status, 0) << "mdbtools (mdb-export) must be installed";
    TempDir dir;
    std::mt19937 rng(20250315);
    const auto number = [](std::mt19937& r, int range) { return std::to_string(static_cast<int>(r() % range)); };
    struct Case {
        fs::path file;
        Target target;
    };
    const fs::path fresh = dir.path() / "neu.mdb";
    {
        NewDatabaseFile out({"", 0, 45000});
        out.addTable("Personen",
                     {{"ID", ColumnType::Long, 0}, {"Name", ColumnType::Text, 120}, {"Vorname", ColumnType::Text, 80},
                      {"Ort_ID", ColumnType::Long, 0}, {"Kuerzel", ColumnType::Text, 10}},
                     {{"PrimaryKey", {"ID"}, true, false},
                      {"Name_Vorname", {"Name", "Vorname"}, false, false},
                      {"Ort_ID", {"Ort_ID"}, false, false},
                      {"Kuerzel", {"Kuerzel"}, false, true}});
        out.write(fresh.string());
    }
    int nextId = 1;
    const std::vector<Case> cases = {
        // A descending index on a number, two text columns.
        {dir.copy("compIndexTestV2000.mdb"),
         {"Table1",
          [&](std::mt19937& r) {
              return "(CD_AGENTE, RS_AGENTE, DC_AGENTE) VALUES (" + (r() % 10 ? number(r, 100000) : "NULL") + ", "
                     + randomText(r, 55) + ", " + randomText(r, 55) + ")";
          },
          [&](std::mt19937& r) { return "CD_AGENTE = " + number(r, 100000); }}},
        // An index over long texts: many levels, pages emptied by deletes.
        {dir.copy("bigIndexTestV2000.mdb"),
         {"Table1",
          [&](std::mt19937& r) {
              return "(col1, col2) VALUES (" + randomText(r, 255, 30) + ", " + randomText(r, 255) + ")";
          },
          [&](std::mt19937& r) { return "col1 = " + randomText(r, 255, 30); }}},
        // A text primary key and an index on B.
        {dir.copy("testV2000.mdb"),
         {"Table1",
          [&](std::mt19937& r) {
              return "(A, B, E, I) VALUES (" + randomText(r, 50) + ", " + randomText(r, 100) + ", " + number(r, 1000)
                     + ", 0)";
          },
          [&](std::mt19937& r) { return "B = " + randomText(r, 100) + ", A = " + randomText(r, 50); }}},
        // Relationships: references to Table2 (0..2) and Table3 (10..13), some missing.
        {dir.copy("indexTestV2000.mdb"),
         {"Table1",
          [&](std::mt19937& r) {
              return "(id, otherfk1, otherfk2, data, otherfk3) VALUES (" + std::to_string(100 + nextId++) + ", "
                     + (r() % 5 ? number(r, 4) : "NULL") + ", " + std::to_string(10 + r() % 5) + ", "
                     + randomText(r, 50) + ", 0)";
          },
          [&](std::mt19937& r) { return "otherfk1 = " + number(r, 4) + ", data = " + randomText(r, 50); }}},
        {fresh,
         {"Personen",
          [&](std::mt19937& r) {
              return "(ID, Name, Vorname, Ort_ID, Kuerzel) VALUES (" + std::to_string(nextId++) + ", "
                     + randomText(r, 120) + ", " + randomText(r, 80) + ", " + number(r, 50) + ", "
                     + randomText(r, 10) + ")";
          },
          [&](std::mt19937& r) {
              return "Name = " + randomText(r, 120) + ", Vorname = " + randomText(r, 80) + ", Kuerzel = "
                     + randomText(r, 10);
          }}},
    };
    for (const Case& k : cases) {
        int done = 0;
        for (int batch = 0; batch < 3; ++batch) {
            {
                Connection c;
                c.attach(k.file, "", AccessMode::ReadWriteExclusive);
                done += randomStatements(c, k.target, rng, 400);
            }
            const auto db = Database::open(k.file.string(), "", AccessMode::ReadShared);
            ASSERT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{}) << k.file << " batch " << batch;
        }
        EXPECT_GT(done, 350) << k.file;
        EXPECT_GT(mdbexport::expectSameAsMdbExport(k.file.string(), ""), 0) << k.file;
        // A second writer trusts our trees, and we trust its.
        EXPECT_TRUE(testsupport::judgeAccepts(k.file.string())) << k.file;
        EXPECT_TRUE(testsupport::judgeMutates(k.file.string())) << k.file;
        EXPECT_TRUE(testsupport::judgeAccepts(k.file.string())) << k.file;
        const auto db = Database::open(k.file.string(), "", AccessMode::ReadShared);
        EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{}) << k.file << " after Jackcess wrote";
    }
    EDVARA_SKIP_WITHOUT_JUDGE();
}
