// The engine seen through SQLite: tables, declared types, values, row ids, lookups,
// refused writes, locks and passwords, on the real Access files.
#include "JetTestSupport.h"

#include "db/jet/NewDatabaseFile.h"

#include <algorithm>
#include <map>

using namespace jettest;
using db::jet::AccessMode;

namespace {

// Declared type of each column, with " COLLATE x" for columns that declare a collation.
std::vector<std::string> declaredTypes(Connection& c, const std::string& table)
{
    std::vector<std::string> types;
    for (const auto& row : c.rows("SELECT name, type FROM pragma_table_info('" + table + "')")) {
        const char* type = nullptr;
        const char* collation = nullptr;
        sqlite3_table_column_metadata(c.db(), "main", table.c_str(), row[0].c_str(), &type, &collation, nullptr,
                                      nullptr, nullptr);
        const std::string coll = collation ? collation : "BINARY";
        types.push_back(row[1] + (coll == "BINARY" ? "" : " COLLATE " + coll));
    }
    return types;
}

}  // namespace

TEST(JetTables, ListsUserTablesInCatalogOrderForEveryFormat)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    for (const char* name : {"testV1997.mdb", "testV2000.mdb", "testV2010.accdb"}) {
        Connection c;
        c.attach(fixture(name));
        EXPECT_EQ(c.attached().tableNames(), (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"})) << name;
        for (const std::string& t : c.attached().tableNames())
            EXPECT_NE(c.one("SELECT count(*) FROM [" + t + "]"), "<NOROW>") << name << " " << t;
    }
}

TEST(JetTables, DeclaresTheColumnTypesTheDatabaseLayerMaps)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("testV2000.mdb"));
    EXPECT_EQ(declaredTypes(c, "Table1"), (std::vector<std::string>{"VARCHAR(50)", "VARCHAR(100)", "BYTE", "SMALLINT",
                                                                    "INTEGER", "DOUBLE", "DATETIME", "CURRENCY",
                                                                    "BOOLEAN"}));
    EXPECT_EQ(declaredTypes(c, "Table3"), (std::vector<std::string>{"COUNTER", "VARCHAR(50)"}));
    EXPECT_EQ(declaredTypes(c, "Table4"), (std::vector<std::string>{"VARCHAR(50)", "GUID"}));
    // Texts are declared COLLATE NOCASE, which SQLite keeps out of the type it reports.
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE A = 'ABCDEFG'"), "1");
    EXPECT_EQ(c.one("SELECT group_concat(A, ',') FROM (SELECT A FROM Table1 ORDER BY A DESC)"), "abcdefg,a");

    Connection n;
    n.attach(fixture("fixedNumericTestV2000.mdb"));
    EXPECT_EQ(declaredTypes(n, "test")[0], "LONGTEXT");
    EXPECT_EQ(declaredTypes(n, "test")[1], "DECIMAL(18,0)");

    Connection o;
    o.attach(fixture("test2V2000.mdb"));
    EXPECT_EQ(declaredTypes(o, "MSP_PROJECTS").back(), "LONGBINARY");
}

TEST(JetTables, DeclaresColumnsWithTheRequiredPropertyNotNull)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("fixedTextTestV2000.mdb"));
    EXPECT_EQ(c.one("SELECT count(*) || '/' || sum(\"notnull\") FROM pragma_table_info('users')"), "10/10");
    Connection plain;
    plain.attach(fixture("testV2000.mdb"));
    EXPECT_EQ(plain.one("SELECT sum(\"notnull\") FROM pragma_table_info('Table1')"), "0");
    Connection jet3;
    jet3.attach(fixture("testV1997.mdb"));
    EXPECT_EQ(jet3.one("SELECT sum(\"notnull\") FROM pragma_table_info('Table1')"), "0");
}

TEST(JetValues, ReadsEveryScalarTypeWithItsSqlStorageClass)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("testV2000.mdb"));
    const auto r = c.rows("SELECT A, B, C, D, E, F, G, H, I, typeof(F), typeof(G), typeof(H), typeof(I) "
                          "FROM Table1 ORDER BY A");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1], (std::vector<std::string>{"abcdefg", "hijklmnop", "2", "222", "333333333", "444.555",
                                              "1974-09-21 00:00:00", "3.5", "1", "real", "text", "real",
                                              "integer"}));
    EXPECT_EQ(r[0][6], "1981-12-12 00:00:00");
    EXPECT_EQ(r[0][8], "0");

    Connection n;
    n.attach(fixture("fixedNumericTestV2000.mdb"));
    EXPECT_EQ(n.rows("SELECT col2, col5, col6, typeof(col6) FROM test")[0],
              (std::vector<std::string>{"1", "4", "-1", "text"}));
}

TEST(JetValues, TextComparesWithoutRegardToCase)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("testV2000.mdb"));
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE A = 'ABCDEFG'"), "1");
    EXPECT_EQ(c.one("SELECT B FROM Table1 WHERE A = 'AbCdEfG'"), "hijklmnop");
}

TEST(JetRowIds, AreThePageAndSlotOfTheRowAndFetchDirectly)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("overflowTestV2000.mdb"));
    const auto all = c.rows("SELECT rowid, data1, data3 FROM Table1");
    ASSERT_EQ(all.size(), 7u);
    for (const auto& row : all) {
        const long long id = std::stoll(row[0]);
        // Moved rows keep the id of their home slot on the table's page.
        EXPECT_EQ(id >> 8, 27) << row[1];
        EXPECT_EQ(c.rows("SELECT data1, data3 FROM Table1 WHERE rowid = " + row[0]),
                  (std::vector<std::vector<std::string>>{{row[1], row[2]}}));
    }
    const std::string plan = c.rows("EXPLAIN QUERY PLAN SELECT * FROM Table1 WHERE rowid = 6914")[0][3];
    EXPECT_NE(plan.find("INDEX 1"), std::string::npos) << plan;
    EXPECT_EQ(c.one("SELECT data1 FROM Table1 WHERE rowid = 6912.0"), "row1col1");
    EXPECT_EQ(c.one("SELECT data1 FROM Table1 WHERE rowid = '6912'"), "row1col1");
    for (const char* id : {"0", "-1", "6919", "6911", "255", "1099511627775", "9223372036854775807", "'x'", "6912.5",
                           "1e300", "NULL"})
        EXPECT_EQ(c.one(std::string("SELECT count(*) FROM Table1 WHERE rowid = ") + id), "0") << id;
}

TEST(JetLookups, EqualityOnAColumnFindsExactlyTheRowsAScanFinds)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("compIndexTestV2000.mdb"));
    std::map<std::string, int> scanCounts;
    for (const auto& row : c.rows("SELECT +CD_AGENTE, count(*) FROM Table1 GROUP BY 1"))
        scanCounts[row[0]] = std::stoi(row[1]);
    ASSERT_GT(scanCounts.size(), 100u);
    for (const auto& [value, count] : scanCounts) {
        if (value == "<NULL>")
            continue;
        EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE CD_AGENTE = " + value), std::to_string(count));
    }
    const std::string plan = c.rows("EXPLAIN QUERY PLAN SELECT * FROM Table1 WHERE CD_AGENTE = 5")[0][3];
    EXPECT_NE(plan.find("INDEX 2"), std::string::npos) << plan;

    // Text lookups ignore case like the scan does; other value types fall back safely.
    const std::string some = c.one("SELECT RS_AGENTE FROM Table1 WHERE RS_AGENTE IS NOT NULL LIMIT 1");
    const std::string scan = c.one("SELECT count(*) FROM Table1 WHERE +RS_AGENTE = '" + some + "'");
    std::string upper = some;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char ch) { return std::toupper(ch); });
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE RS_AGENTE = '" + upper + "'"), scan);
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE CD_AGENTE = '5'"),
              c.one("SELECT count(*) FROM Table1 WHERE +CD_AGENTE = '5'"));
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE CD_AGENTE = 5.5"), "0");
    EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE CD_AGENTE = NULL"), "0");
}

TEST(JetLookups, NumbersAgainstWholeNumberColumnsFindWhatTheScanFinds)
{
    // One rule for a number against a whole-number column, whether Access's B-tree (Indiziert)
    // or keys kept in memory (Frei) answer: a fraction equals nothing, a range's fractional
    // bounds round inwards, a number too large to tell apart is left to the scan.
    TempDir dir;
    const fs::path file = dir.path() / "zahlen.mdb";
    {
        db::jet::NewDatabaseFile out({"", 0, 45000});
        const size_t t = out.addTable("Z",
                                      {{"ID", db::jet::ColumnType::Long, 0},
                                       {"Indiziert", db::jet::ColumnType::Long, 0},
                                       {"Frei", db::jet::ColumnType::Long, 0}},
                                      {{"ByIndiziert", {"Indiziert"}, false, false}});
        for (int i = 0; i < 40; ++i)
            out.addRow(t, {db::jet::Value::ofInteger(i), db::jet::Value::ofInteger(i % 9 - 4),
                           db::jet::Value::ofInteger(i % 7 - 3)});
        out.write(file.string());
    }
    Connection c;
    c.attach(file);
    for (const char* column : {"Indiziert", "Frei"}) {
        const std::string col = column;
        for (const std::string& cond : std::vector<std::string>{" = 2", " = 2.0", " = 2.5", " = -3", " = NULL", " = 1e19", " = 2147483648", " = -1e19", " BETWEEN 0.5 AND 2.5", " > -1.5", " < 1.5", " >= 1e19", " <= -1e300",
              " > 2 AND " + col + " < 3"}) {
            const std::string looked = c.one("SELECT group_concat(ID) FROM (SELECT ID FROM Z WHERE " + col + cond
                                             + " ORDER BY ID)");
            const std::string scanned = c.one("SELECT group_concat(ID) FROM (SELECT ID FROM Z WHERE +" + col + cond
                                              + " ORDER BY ID)");
            EXPECT_EQ(looked, scanned) << col << cond;
        }
    }
}

TEST(JetLookups, UnicodeTextMatchesAcrossLetterCase)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    Connection c;
    c.attach(fixture("testUnicodeCompV2003.mdb"));
    for (const auto& row : c.rows("SELECT ID, Unicode FROM [Table] WHERE Unicode IS NOT NULL")) {
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(c.db(), "SELECT count(*) FROM [Table] WHERE Unicode = ? AND ID = ?", -1, &st,
                                     nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(st, 1, row[1].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, row[0].c_str(), -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(st, 0), 1) << row[1];
        sqlite3_finalize(st);
    }
}

TEST(JetWrites, SchemaStatementsAreRefusedAndChangeNothing)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const auto file = dir.copy("testV2000.mdb");
    const std::string before = readFile(file);
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        // A table of SQLite's own would hide the Access table of the same name.
        for (const char* sql : {"CREATE TABLE Table1 (A text)", "CREATE TEMP TABLE T (A)", "CREATE VIEW V AS SELECT 1",
                                "DROP TABLE Table1", "ATTACH ':memory:' AS x"})
            EXPECT_EQ(c.failure(sql), "not authorized") << sql;
        // SQLite refuses these itself, before anything is asked.
        EXPECT_EQ(c.failure("ALTER TABLE Table1 RENAME TO T9"), "table Table1 may not be altered");
        EXPECT_EQ(c.failure("CREATE INDEX i ON Table1(A)"), "virtual tables may not be indexed");
        EXPECT_EQ(c.one("SELECT count(*) FROM Table1"), "2");
    }
    EXPECT_EQ(readFile(file), before);
}

TEST(JetFiles, LocksTheTargetExclusivelyAndTheDirectoryForSharedReading)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const auto file = dir.copy("testV2000.mdb");
    const std::string busy =
        "Die Datei " + file.string() + " ist gesperrt: Sie wird bereits von einem anderen Programm verwendet.";
    {
        Connection target;
        target.attach(file, "", AccessMode::ReadWriteExclusive);
        Connection second;
        EXPECT_EQ(jetErrorOf([&] { second.attach(file, "", AccessMode::ReadWriteExclusive); }), busy);
        EXPECT_EQ(jetErrorOf([&] { second.attach(file, "", AccessMode::ReadShared); }), busy);
    }
    {
        Connection reader1, reader2, writer;
        reader1.attach(file);
        EXPECT_EQ(jetErrorOf([&] { reader2.attach(file); }), "");
        EXPECT_EQ(jetErrorOf([&] { writer.attach(file, "", AccessMode::ReadWriteExclusive); }), busy);
    }
    Connection again;
    EXPECT_EQ(jetErrorOf([&] { again.attach(file, "", AccessMode::ReadWriteExclusive); }), "");
}

TEST(JetFiles, PasswordOpensOnlyWithTheRightOneAndPlainFilesWithAny)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    const auto file = fixture("passwordV2000.mdb");
    const std::string wrong = "Das Kennwort für die Datenbank " + file.string() + " ist falsch.";
    for (const char* pw : {"", "tulvan", "Password", "password "}) {
        Connection c;
        EXPECT_EQ(jetErrorOf([&] { c.attach(file, pw); }), wrong) << pw;
    }
    Connection right;
    right.attach(file, "password");
    EXPECT_EQ(right.one("SELECT Data FROM Table1 WHERE ID = 2"), "Two");

    Connection plain;
    EXPECT_EQ(jetErrorOf([&] { plain.attach(fixture("testV1997.mdb"), "tulvan"); }), "");
    Connection encoded;
    encoded.attach(fixture("encryptedV2000.mdb"), "irgendwas");
    EXPECT_EQ(encoded.one("SELECT count(*) FROM Table1"), "2");
}

TEST(JetFiles, RefusesWhatIsNotAnAccessFileWithAClearMessage)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const auto text = dir.path() / "notes.mdb";
    writeFile(text, std::string(5000, 'x'));
    const auto empty = dir.path() / "empty.mdb";
    writeFile(empty, "");
    const auto shortFile = dir.path() / "short.mdb";
    writeFile(shortFile, readFile(fixture("testV2000.mdb")).substr(0, 4096 * 2));
    Connection c;
    EXPECT_EQ(jetErrorOf([&] { c.attach(dir.path() / "fehlt.mdb"); }),
              "Die Datei " + (dir.path() / "fehlt.mdb").string() + " wurde nicht gefunden.");
    EXPECT_EQ(jetErrorOf([&] { c.attach(text); }), "Die Datei " + text.string() + " ist keine Access-Datenbank.");
    EXPECT_EQ(jetErrorOf([&] { c.attach(empty); }), "Die Datei " + empty.string() + " ist keine Access-Datenbank.");
    EXPECT_EQ(jetErrorOf([&] { c.attach(shortFile); }),
              "Die Datei " + shortFile.string() + " ist zu kurz für eine Access-Datenbank.");
}
