// libFuzzer target: opens the input as an Access file and reads every row of every table,
// by scan and by row id, then checks every index against its table. Any crash, hang or
// runaway allocation is a bug in the engine; a JetError, an SQLite error or a finding of
// the check is the expected answer to a bad file.
#include "db/jet/Database.h"
#include "db/jet/IndexCheck.h"
#include "db/jet/JetSqlite.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const std::string& inputPath()
{
    static const std::string path = [] {
        const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/fuzz-jet-" + std::to_string(::getpid()) + ".mdb";
    }();
    return path;
}

void readTable(sqlite3* db, const std::string& table)
{
    std::string quoted = "\"";
    for (const char ch : table)
        quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    quoted += "\"";
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(inputPath().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
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
        auto database = db::jet::Database::open(inputPath(), "", db::jet::AccessMode::ReadShared);
        db::jet::checkIndexes(*database);
    } catch (const db::jet::JetError&) {
    }
    return 0;
}
