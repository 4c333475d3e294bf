// The quick read of edvara-sql (a whole Access table without Qt) against the full tool:
// byte for byte the same output wherever it answers, and everything else left to the
// full tool, which the program loads as a module.
#include "JetTestSupport.h"

#include "MdbExport.h"

#include "cli/edvara-sql/EdvaraSql.h"
#include "cli/edvara-sql/QuickRead.h"

#include <sstream>

using namespace jettest;

namespace {

struct Result {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Result quick(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    Result r;
    r.status = cli::runQuickRead(cli::parseSqlOptions(args), out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

Result full(const std::vector<std::string>& args)
{
    std::istringstream in;
    std::ostringstream out, err;
    Result r;
    r.status = cli::runEdvaraSql(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace

TEST(QuickRead, EveryFixtureTableReadsExactlyAsTheFullToolReadsIt)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    int tables = 0;
    for (const std::string& name : fixtureNames()) {
        const std::string path = fixture(name).string();
        const std::vector<std::string> open = {"--read-only", "--password", passwordOf(name), path};
        std::vector<std::string> list = open;
        list.push_back("--tables");
        const Result names = full(list);
        ASSERT_EQ(names.status, 0) << name << names.err;
        const Result quickNames = quick(list);
        EXPECT_EQ(quickNames.status, 0) << name;
        EXPECT_EQ(quickNames.out, names.out) << name;
        std::istringstream lines(names.out);
        std::string table;
        while (std::getline(lines, table)) {
            ++tables;
            // Both spellings a script would use.
            for (const std::string& sql : {"select * from [" + table + "]", "SELECT * FROM [" + table + "];"}) {
                std::vector<std::string> args = open;
                args.push_back(sql);
                const Result expected = full(args);
                const Result got = quick(args);
                if (expected.status != 0) {
                    // A table the engine refuses (multi-value fields): the full tool says why.
                    EXPECT_FALSE(got.status) << name << " " << table;
                    EXPECT_TRUE(got.out.empty() && got.err.empty()) << name << " " << table;
                    continue;
                }
                ASSERT_EQ(got.status, 0) << name << " " << table;
                EXPECT_EQ(got.out, expected.out) << name << " " << sql;
            }
        }
    }
    EXPECT_GE(tables, 27);
}

TEST(QuickRead, AnswersOnlyStatementsThatReadATableWhole)
{
    const std::pair<const char*, const char*> accepted[] = {
        {"select * from [Table 1]", "Table 1"},
        {"SELECT*FROM[x]", "x"},
        {"  Select *\tfrom  Schueler ;; ", "Schueler"},
        {"select * from K_Ort$1", "K_Ort$1"},
        {"select * from [Schüler \"alt\"]", "Schüler \"alt\""},
    };
    for (const auto& [sql, table] : accepted)
        EXPECT_EQ(cli::wholeTableStatement(sql), std::optional<std::string>(table)) << sql;
    for (const char* sql : {"select * from Table1 where A = 1", "select A from Table1", "select * from [Table1",
                            "select * from []", "select * from true", "select * from order", "select * from Schüler",
                            "select * from Table1 -- alle", "select * from a.b", "select * from Table1, Table2",
                            "selectx * from T", "select top 5 * from T", "delete * from T", "select * from \"T\""})
        EXPECT_FALSE(cli::wholeTableStatement(sql)) << sql;
}

TEST(QuickRead, LeavesEveryOtherCaseToTheFullTool)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const std::string access = fixture("testV2000.mdb").string();
    const fs::path sqlite = dir.path() / "d.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(sqlite.string().c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE t(a INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::vector<std::vector<std::string>> declined = {
        {"--read-only", access, "select count(*) from Table1"},
        {"--read-only", access},  // statements from standard input
        {"--read-only", access, "select * from Fehlt"},
        {"--read-only", sqlite.string(), "select * from t"},
        {"--read-only", (dir.path() / "fehlt.mdb").string(), "select * from t"},
        {"--read-only", "--password", "falsch", fixture("passwordV2000.mdb").string(), "select * from Table1"},
    };
    for (const auto& args : declined) {
        const Result r = quick(args);
        EXPECT_FALSE(r.status) << args.back();
        EXPECT_TRUE(r.out.empty() && r.err.empty()) << args.back();
    }
}

TEST(QuickRead, TheProgramLoadsTheFullToolForEverythingElse)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    using mdbexport::run;
    const std::string access = fixture("testV2000.mdb").string();
    // Quick read and full tool in one program: the same file through both.
    EXPECT_EQ(run({mdbexport::kTool, "--read-only", access, "select * from Table3"}).out, "a,b\n");
    const auto counted = run({mdbexport::kTool, "--read-only", access, "select count(*) as n from Table1"});
    EXPECT_EQ(counted.status, 0);
    EXPECT_EQ(counted.out, "n\n2\n");
    // The full tool's German message for a table that is not there.
    const std::string missing = "'" + mdbexport::kTool + "' --read-only '" + access + "' 'select * from Fehlt' 2>&1";
    FILE* p = ::popen(missing.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, p);
    const int status = ::pclose(p);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(std::string(buf, n), "edvara-sql: Die Tabelle oder Abfrage 'Fehlt' wurde nicht gefunden.\n");
}

TEST(QuickRead, AProgramWithoutItsModuleStillReadsTablesAndSaysWhatIsMissing)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const fs::path program = dir.path() / "edvara-sql";
    fs::copy_file(mdbexport::kTool, program);
    const std::string access = fixture("testV2000.mdb").string();
    EXPECT_EQ(mdbexport::run({program.string(), "--read-only", access, "select * from Table3"}).out, "a,b\n");
    const std::string command =
        "'" + program.string() + "' --read-only '" + access + "' 'select count(*) from Table1' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[1024] = {};
    const std::string said(buf, std::fread(buf, 1, sizeof buf - 1, p));
    EXPECT_EQ(WEXITSTATUS(::pclose(p)), 2);
    EXPECT_EQ(said.rfind("edvara-sql: Der Programmteil ", 0), 0u) << said;
    EXPECT_NE(said.find("edvara-sql-full.so für SQL-Anweisungen kann nicht geladen werden"), std::string::npos) << said;
}
