// libFuzzer target: reads every table of the input as an Access file and checks every index
// against its table, then changes a copy opened for writing (a row grown and shrunk again, a
// delete, an insert with long values). A crash, hang or runaway allocation is an engine bug, and
// so is a failed statement that changed the copy or a journal that outlives the connection
// (both abort()). A JetError, an SQLite error or a finding of the check is the expected answer.
#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/JetSqlite.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Tables changed per input, and rows per change: enough to reach every write path of a
// table, few enough to keep an input well inside libFuzzer's time limit.
constexpr int kMaxTablesChanged = 6;
constexpr int kRowsPerChange = 2;
// A memo this long is a chain of long-value pages, an OLE value this long as well.
constexpr int kLongMemoCharacters = 5000;
constexpr int kLongBlobBytes = 9000;

std::string scratchPath(const char* suffix)
{
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/fuzz-jet-" + std::to_string(::getpid()) + suffix;
}

const std::string& inputPath()
{
    static const std::string path = scratchPath(".mdb");
    return path;
}

// FUZZ_JET_COPY names the copy instead: run-fuzz.sh runs the target on each seed alone and
// has the independent judge read what the changes left.
const std::string& copyPath()
{
    static const std::string path = [] {
        const char* given = std::getenv("FUZZ_JET_COPY");
        return given && *given ? std::string(given) : scratchPath("-copy.mdb");
    }();
    return path;
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string quoteName(const std::string& name)
{
    std::string q = "\"";
    for (const char ch : name)
        q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return q + "\"";
}

void readTable(sqlite3* db, const std::string& table)
{
    const std::string quoted = quoteName(table);
    for (const std::string& sql : {"SELECT rowid, * FROM " + quoted, "SELECT * FROM " + quoted + " WHERE rowid = 2816"}) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            continue;
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW && ++rows < 10000)
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                sqlite3_column_bytes(st, i);
        sqlite3_finalize(st);
    }
}

struct Column {
    std::string name;
    std::string type;  // as declared, e.g. "VARCHAR(50)"
};

std::vector<Column> columnsOf(sqlite3* db, const std::string& table)
{
    std::vector<Column> columns;
    sqlite3_stmt* st = nullptr;
    const std::string sql = "PRAGMA table_info(" + quoteName(table) + ")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return columns;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        columns.push_back({name ? name : "", type ? type : ""});
    }
    sqlite3_finalize(st);
    return columns;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The n of "VARCHAR(n)" (at most 255), else 0.
int textLength(const Column& c)
{
    if (!startsWith(c.type, "VARCHAR("))
        return 0;
    const int n = std::atoi(c.type.c_str() + 8);
    return n > 0 && n <= 255 ? n : 0;
}

// A text of n characters that Access stores as UTF-16 (the Greek letter does not fit the
// compressed form), so that it takes the most room the column allows.
std::string longText(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += i % 2 ? "x" : "\xCE\xA9";
    return "'" + s + "'";
}

// A literal that the column takes, or "" for a column to leave out (autonumber and the
// types the engine does not write).
std::string valueFor(const Column& c)
{
    const std::string& t = c.type;
    if (const int n = textLength(c))
        return longText(n);
    if (startsWith(t, "LONGTEXT"))
        return "'" + std::string(kLongMemoCharacters, 'm') + "'";
    if (t == "LONGBINARY")
        return "zeroblob(" + std::to_string(kLongBlobBytes) + ")";
    if (startsWith(t, "VARBINARY("))
        return "x'0102'";
    if (t == "BYTE" || t == "SMALLINT" || t == "INTEGER" || t == "BIGINT" || t == "BOOLEAN")
        return "1";
    if (t == "CURRENCY" || t == "REAL" || t == "DOUBLE")
        return "1.5";
    if (t == "DATETIME")
        return "'2001-02-03 04:05:06'";
    if (t == "GUID")
        return "'{12345678-1234-1234-1234-123456789ABC}'";
    if (startsWith(t, "DECIMAL("))
        return "'1'";
    return "";
}

// FUZZ_JET_TRACE=1 prints every change and its outcome (run the target on one file to
// see which changes an input lets through).
bool tracing()
{
    static const bool on = [] {
        const char* v = std::getenv("FUZZ_JET_TRACE");
        return v && *v == '1';
    }();
    return on;
}

bool checkingWrites()
{
    static const bool on = [] {
        const char* v = std::getenv("FUZZ_JET_CHECK_WRITES");
        return v && *v == '1';
    }();
    return on;
}

// Runs one change. When it fails, the copy must be byte for byte as before.
void change(sqlite3* db, const std::string& sql)
{
    const std::vector<uint8_t> before = fileBytes(copyPath());
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    if (tracing())
        std::fprintf(stderr, "fuzz-jet: %s -> %s\n", sql.substr(0, 160).c_str(),
                     rc == SQLITE_OK ? "ok" : (message ? message : "error"));
    if (rc == SQLITE_OK)
        return;
    if (fileBytes(copyPath()) != before) {
        std::fprintf(stderr, "fuzz-jet: failed statement changed the file: %s\n  error: %s\n", sql.substr(0, 300).c_str(),
                     message ? message : "");
        std::abort();
    }
    sqlite3_free(message);
}

void changeTable(sqlite3* db, const std::string& table)
{
    const std::vector<Column> columns = columnsOf(db, table);
    if (columns.empty())
        return;
    const std::string quoted = quoteName(table);
    const std::string someRows = " WHERE rowid IN (SELECT rowid FROM " + quoted + " LIMIT " + std::to_string(kRowsPerChange);

    // A row that grows: the first text column (else the first memo) to its longest value;
    // then back to a short one, so that a moved row may come home.
    for (const Column& c : columns) {
        if (textLength(c) || startsWith(c.type, "LONGTEXT")) {
            change(db, "UPDATE " + quoted + " SET " + quoteName(c.name) + " = " + valueFor(c) + someRows + ")");
            change(db, "UPDATE " + quoted + " SET " + quoteName(c.name) + " = 'k'" + someRows + ")");
            break;
        }
    }
    change(db, "DELETE FROM " + quoted + someRows + " OFFSET 1)");

    std::string names, values;
    for (const Column& c : columns) {
        const std::string v = valueFor(c);
        if (v.empty() || c.type == "COUNTER")
            continue;
        names += (names.empty() ? "" : ", ") + quoteName(c.name);
        values += (values.empty() ? "" : ", ") + v;
    }
    if (!names.empty())
        change(db, "INSERT INTO " + quoted + " (" + names + ") VALUES (" + values + ")");
}

// The changes, on a copy of the input opened for writing.
void writePass(const uint8_t* data, size_t size)
{
    const std::string journal = copyPath() + "-journal";
    std::remove(journal.c_str());
    if (!writeFile(copyPath(), data, size))
        return;
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    try {
        auto attached = db::jet::attachAccessFile(db, copyPath(), "", db::jet::AccessMode::ReadWriteExclusive);
        // FUZZ_JET_CHECK_WRITES=1: a file that the engine's own check finds sound must stay
        // sound through changes that succeed. Off by default: the check reads the whole file
        // twice per input.
        const bool checked = checkingWrites() && db::jet::checkErrors(attached->check()).empty();
        int changed = 0;
        for (const std::string& t : attached->tableNames()) {
            if (++changed > kMaxTablesChanged)
                break;
            changeTable(db, t);
        }
        for (const std::string& t : attached->tableNames())
            readTable(db, t);
        if (checked) {
            const std::vector<std::string> findings = db::jet::checkErrors(attached->check());
            if (!findings.empty()) {
                std::fprintf(stderr, "fuzz-jet: the changes damaged a sound file: %s\n", findings.front().c_str());
                std::abort();
            }
        }
    } catch (const db::jet::JetError&) {
    }
    sqlite3_close_v2(db);
    if (exists(journal)) {
        std::fprintf(stderr, "fuzz-jet: the journal %s outlived the connection\n", journal.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!writeFile(inputPath(), data, size))
        return 0;
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    try {
        auto attached = db::jet::attachAccessFile(db, inputPath(), "", db::jet::AccessMode::ReadShared);
        for (const std::string& t : attached->tableNames())
            readTable(db, t);
    } catch (const db::jet::JetError&) {
    }
    sqlite3_close_v2(db);
    try {
        // The whole check: every table, the walk that gives each page one owner, every index.
        auto database = db::jet::Database::open(inputPath(), "", db::jet::AccessMode::ReadShared);
        db::jet::checkDatabase(*database);
    } catch (const db::jet::JetError&) {
    }
    writePass(data, size);
    return 0;
}
