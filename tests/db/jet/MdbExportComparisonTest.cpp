// edvara-sql against an independent reader: every table of every real Access file reads
// the same through our engine as through Debian's mdb-export. Also the tool's own
// contract: CSV forms, exit status, messages.
#include "JetTestSupport.h"

#include "cli/edvara-sql/EdvaraSql.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

using namespace jettest;

namespace {

struct Output {
    std::string out;
    int status = -1;
};

std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char ch : s)
        q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

Output run(const std::vector<std::string>& args)
{
    std::string cmd;
    for (const std::string& a : args)
        cmd += shellQuote(a) + " ";
    cmd += "2>/dev/null";
    Output o;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return o;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        o.out.append(buf, n);
    const int st = ::pclose(p);
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return o;
}

struct Field {
    bool quoted = false;
    std::string text;
};
using CsvRow = std::vector<Field>;

std::vector<CsvRow> parseCsv(const std::string& s)
{
    std::vector<CsvRow> rows;
    CsvRow row;
    size_t i = 0;
    while (i < s.size()) {
        Field f;
        if (s[i] == '"') {
            f.quoted = true;
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        f.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                f.text += s[i++];
            }
        } else {
            while (i < s.size() && s[i] != ',' && s[i] != '\n')
                f.text += s[i++];
        }
        row.push_back(f);
        if (i < s.size() && s[i] == ',') {
            ++i;
            continue;
        }
        if (i < s.size() && s[i] == '\n')
            ++i;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}

// One value in a form both readers agree on: NULL, a number (rounded to 12 significant
// digits, since mdb-export prints fewer digits than a double holds), or text; binary
// values as bare upper-case hex.
std::string normalise(const Field& f)
{
    if (!f.quoted && f.text.empty())
        return "<NULL>";
    std::string t = f.text;
    if (!f.quoted && t.rfind("0x", 0) == 0)
        t = t.substr(2);
    char* end = nullptr;
    const double d = std::strtod(t.c_str(), &end);
    if (!t.empty() && end == t.c_str() + t.size() && std::isfinite(d) && t.find_first_of("xX") == std::string::npos) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.12g", d == 0 ? 0.0 : d);
        return std::string("#") + buf;
    }
    return "'" + t;
}

std::vector<std::string> normaliseRows(const std::vector<CsvRow>& rows)
{
    std::vector<std::string> out;
    for (size_t r = 1; r < rows.size(); ++r) {
        std::string line;
        for (const Field& f : rows[r])
            line += normalise(f) + "\x1F";
        out.push_back(line);
    }
    // Row order is the engine's choice (mdbtools lists moved rows where they now live).
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> header(const std::vector<CsvRow>& rows)
{
    std::vector<std::string> h;
    if (!rows.empty())
        for (const Field& f : rows[0])
            h.push_back(f.text);
    return h;
}

const std::string kTool = std::string(EDVARA_BIN_DIR) + "/edvara-sql";

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
    for (const std::string& name : fixtureNames()) {
        const std::string path = fixture(name).string();
        std::vector<std::string> args = {kTool, "--read-only"};
        if (!passwordOf(name).empty())
            args.insert(args.end(), {"--password", passwordOf(name)});
        const Output list = run({"mdb-tables", "-1", path});
        std::istringstream names(list.out);
        std::string table;
        while (std::getline(names, table)) {
            if (table.empty())
                continue;
            ++tables;
            const Output theirs = run({"mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", "-b",
                                       "hex", path, table});
            std::vector<std::string> ours = args;
            ours.insert(ours.end(), {path, "select * from [" + table + "]"});
            const Output mine = run(ours);
            ASSERT_EQ(mine.status, 0) << name << " " << table;
            const auto a = parseCsv(theirs.out), b = parseCsv(mine.out);
            EXPECT_EQ(header(b), header(a)) << name << " " << table;
            EXPECT_EQ(normaliseRows(b), normaliseRows(a)) << name << " " << table;
        }
    }
    EXPECT_GE(tables, 27);
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
    EXPECT_EQ(runTool({copy.string(), "delete from Table1"}, out, err), cli::kExitError);
    EXPECT_NE(err.find("schreibgeschützt"), std::string::npos) << err;
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
