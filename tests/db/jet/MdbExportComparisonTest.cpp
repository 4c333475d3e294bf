// edvara-sql against an independent reader: every table of every real Access file reads
// the same through our engine as through Debian's mdb-export. Also the tool's own
// contract: CSV forms, exit status, messages.
#include "JetTestSupport.h"

#include "MdbExport.h"

#include "cli/edvara-sql/EdvaraSql.h"
#include "db/jet/Database.h"
#include "db/jet/Table.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

using namespace jettest;

namespace {

using namespace mdbexport;

const std::string kCalculatedFixture = "calcFieldTestV2010.accdb";

int runTool(const std::vector<std::string>& args, std::string& out, std::string& err, const std::string& input = "")
{
    std::istringstream in(input);
    std::ostringstream o, e;
    const int status = cli::runEdvaraSql(args, in, o, e);
    out = o.str();
    err = e.str();
    return status;
}

}  // namespace

TEST(EdvaraSqlAgainstMdbExport, EveryTableOfEveryFixtureReadsTheSame)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    ASSERT_EQ(run({"mdb-export", "--version"}).status, 0) << "mdbtools (mdb-export) must be installed";
    int tables = 0;
    for (const std::string& name : fixtureNames())
        if (name != kCalculatedFixture)  // compared without its calculated columns below
            tables += expectSameAsMdbExport(fixture(name).string(), passwordOf(name));
    EXPECT_GE(tables, 27);
}

// mdb-export prints an empty binary value as "0x", a NULL as nothing: the table of binary
// keys holds both, and reads as mdb-export reads it.
TEST(EdvaraSqlAgainstMdbExport, AnEmptyBinaryValueOfAnAccdbFileReadsEmpty)
{
    const fs::path path = fixture("binIdxTestV2010.accdb");
    if (!fs::exists(path))
        GTEST_SKIP() << "Access-Testdatei " << path << " nicht gefunden; der Vergleich wird übersprungen.";
    EXPECT_GT(expectSameAsMdbExport(path.string(), ""), 0);
}

// A calculated column does not refuse its table: the other columns read as mdb-export reads
// them (mdbtools does not know the calculated form and prints the stored bytes), the
// calculated one as the result Access stored, without the bytes around it.
TEST(EdvaraSqlAgainstMdbExport, ACalculatedColumnLeavesTheRestOfItsTableReadable)
{
    const fs::path path = fixture(kCalculatedFixture);
    if (!fs::exists(path))
        GTEST_SKIP() << "Access-Testdatei " << path << " nicht gefunden; der Vergleich wird übersprungen.";
    auto database = db::jet::Database::open(path.string(), "", db::jet::AccessMode::ReadShared);
    int calculatedColumns = 0;
    for (const auto& table : database->userTables()) {
        const db::jet::TableDef def = database->table(table).def();
        std::vector<std::string> plain, calculated;
        for (const db::jet::ColumnDef& c : def.columns)
            (c.isCalculated() ? calculated : plain).push_back("[" + c.name + "]");
        calculatedColumns += static_cast<int>(calculated.size());
        std::string list;
        for (const std::string& c : plain)
            list += (list.empty() ? "" : ",") + c;
        std::string out, err;
        ASSERT_EQ(runTool({"--read-only", path.string(), "select " + list + " from [" + table.name + "]"}, out, err), 0)
            << table.name << ": " << err;
        const Output theirs = run({"mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", "-b", "hex",
                                   path.string(), table.name});
        // mdb-export's columns, without the calculated ones.
        std::vector<CsvRow> rows = parseCsv(theirs.out);
        const std::vector<std::string> names = header(rows);
        for (CsvRow& row : rows) {
            CsvRow kept;
            for (size_t i = 0; i < row.size() && i < names.size(); ++i)
                if (std::find(plain.begin(), plain.end(), "[" + names[i] + "]") != plain.end())
                    kept.push_back(row[i]);
            row = kept;
        }
        EXPECT_EQ(normaliseRows(parseCsv(out)), normaliseRows(rows)) << table.name;
        for (const std::string& c : calculated) {
            ASSERT_EQ(runTool({"--read-only", path.string(), "select " + c + " from [" + table.name + "]"}, out, err),
                      0)
                << table.name << "." << c << ": " << err;
            // The header bytes of the stored form would show as control characters.
            EXPECT_EQ(out.find_first_of(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F", 14)),
                      std::string::npos)
                << table.name << "." << c << ": " << out;
        }
    }
    EXPECT_GT(calculatedColumns, 0);
}

TEST(EdvaraSqlAgainstMdbExport, PasswordFileIsRefusedWithoutItsPassword)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    const std::string path = fixture("passwordV2000.mdb").string();
    std::string out, err;
    EXPECT_EQ(runTool({"--read-only", path, "select * from Table1"}, out, err), cli::kExitError);
    EXPECT_EQ(err.rfind("edvara-sql: Das Kennwort für die Datenbank ", 0), 0u) << err;
    EXPECT_NE(err.find("passwordV2000.mdb ist falsch.\n"), std::string::npos) << err;
    EXPECT_EQ(run({kTool, "--read-only", path, "select count(*) from Table1"}).status, 2);
    EXPECT_EQ(runTool({"--read-only", "--password", "password", path, "select count(*) as n from Table1"}, out, err),
              cli::kExitOk);
    EXPECT_EQ(out, "n\n3\n");
}

TEST(EdvaraSql, ListsTablesAndReadsStatementsFromStandardInput)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    std::string out, err;
    ASSERT_EQ(runTool({"--read-only", "--tables", fixture("testV1997.mdb").string()}, out, err), 0) << err;
    EXPECT_EQ(out, "Table1\nTable2\nTable3\nTable4\n");
    ASSERT_EQ(runTool({"--read-only", fixture("testV2000.mdb").string()}, out, err,
                      "select A, I from Table1 where C = 2\n\nselect count(*) as n from Table3\n"),
              0)
        << err;
    EXPECT_EQ(out, "A,I\n\"abcdefg\",1\nn\n0\n");
}

TEST(EdvaraSql, WritesValuesInTheAgreedCsvForms)
{
    TempDir dir;
    const fs::path file = dir.path() / "werte.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE t(name VARCHAR(20), n INTEGER, x DOUBLE, d DATETIME, b BOOLEAN, "
                           "bin LONGBINARY);"
                           "INSERT INTO t VALUES('Er sagte \"ja\", dann', 7, 0.1, 27293.5, -1, x'01ff');"
                           "INSERT INTO t VALUES(NULL, NULL, NULL, '2001-02-03 04:05:06', 0, NULL);"
                           "INSERT INTO t VALUES('', -3, 2.5e-7, NULL, NULL, x'');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    std::string out, err;
    ASSERT_EQ(runTool({file.string(), "select * from t"}, out, err), 0) << err;
    EXPECT_EQ(out,
              "name,n,x,d,b,bin\n"
              "\"Er sagte \"\"ja\"\", dann\",7,0.1,1974-09-21 12:00:00,1,0x01FF\n"
              ",,,2001-02-03 04:05:06,0,\n"
              "\"\",-3,2.5e-07,,,0x\n");
}

TEST(EdvaraSql, FailsWithExitStatusTwoAndOneGermanLine)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const fs::path copy = dir.copy("testV2000.mdb");
    const std::string before = readFile(copy);
    std::string out, err;
    // ẞ (capital sharp s) has no key Access is known to write: the row is refused, the file stays.
    EXPECT_EQ(runTool({copy.string(), "insert into Table1 (A, B, I) values ('x', 'GROẞ', 0)"}, out, err),
              cli::kExitError);
    EXPECT_NE(err.find("\"ẞ\" (U+1E9E)"), std::string::npos) << err;
    EXPECT_NE(err.find("Index \"B\""), std::string::npos) << err;
    EXPECT_EQ(readFile(copy), before);
    EXPECT_EQ(runTool({(dir.path() / "fehlt.mdb").string(), "select 1"}, out, err), cli::kExitError);
    EXPECT_EQ(err.rfind("edvara-sql: ", 0), 0u);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_EQ(runTool({copy.string(), "select * from Fehlt"}, out, err), cli::kExitError);
    EXPECT_EQ(runTool({}, out, err), cli::kExitUsage);
    EXPECT_EQ(runTool({"--unbekannt", copy.string()}, out, err), cli::kExitUsage);
    EXPECT_EQ(runTool({"--help"}, out, err), cli::kExitOk);
    EXPECT_NE(out.find("--password"), std::string::npos);
}

TEST(EdvaraSql, CheckPassesOnEveryFixtureAndNamesDamage)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    std::string out, err;
    for (const std::string& name : fixtureNames()) {
        std::vector<std::string> args = {"--check", fixture(name).string()};
        if (!passwordOf(name).empty())
            args = {"--check", "--password", passwordOf(name), fixture(name).string()};
        EXPECT_EQ(runTool(args, out, err), cli::kExitOk) << name << "\n" << out << err;
        EXPECT_NE(out.find("Die Datei ist in Ordnung."), std::string::npos) << name;
    }
    // testV2000.mdb with the key of "a" in the index of column A (page 28) changed.
    TempDir dir;
    const fs::path copy = dir.copy("testV2000.mdb");
    std::string bytes = readFile(copy);
    bytes[28 * 4096 + 0x1E0 + 1] = 0x4C;
    writeFile(copy, bytes);
    EXPECT_EQ(runTool({"--check", copy.string()}, out, err), cli::kExitCheckFailed);
    EXPECT_NE(out.find("Tabelle \"Table1\", Index \"PrimaryKey\": falscher Schlüssel"), std::string::npos) << out;
    EXPECT_EQ(err, "edvara-sql: 2 Fehler in " + copy.string() + " gefunden.\n");
    EXPECT_EQ(runTool({"--check", copy.string(), "select 1"}, out, err), cli::kExitUsage);
}
