// Helpers for the engine tests: temporary copies of the real Access files, a SQLite
// connection with an Access file attached, and query results as text.
#pragma once

#include "db/jet/Database.h"
#include "db/jet/JetSqlite.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jettest {

namespace fs = std::filesystem;

// The real Access files live beside the project, not in it: a clone elsewhere has none,
// and the tests that read them say so and skip.
#define EDVARA_REQUIRE_ACCESS_FIXTURES()                                                          \
    do {                                                                                          \
        if (!std::filesystem::is_directory(EDVARA_ACCESS_FIXTURES))                               \
            GTEST_SKIP() << "Access-Testdateien nicht gefunden (" EDVARA_ACCESS_FIXTURES          \
                            "); die Tests mit echten Access-Dateien werden übersprungen.";        \
    } while (false)

// Access-made files of structures the engine learned later lie in a second folder beside
// the first; every fixture loop takes both.
inline std::vector<fs::path> fixtureFolders()
{
    const fs::path first(EDVARA_ACCESS_FIXTURES);
    return {first, first.parent_path() / "access-more"};
}

inline fs::path fixture(const std::string& name)
{
    for (const fs::path& folder : fixtureFolders())
        if (fs::exists(folder / name))
            return folder / name;
    return fs::path(EDVARA_ACCESS_FIXTURES) / name;
}

inline std::string repeat(const std::string& s, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += s;
    return out;
}

inline std::vector<std::string> fixtureNames()
{
    std::vector<std::string> names;
    for (const fs::path& folder : fixtureFolders()) {
        if (!fs::is_directory(folder))
            continue;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string ext = e.path().extension().string();
            if (ext == ".mdb" || ext == ".accdb")
                names.push_back(e.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string passwordOf(const std::string& fixtureName)
{
    return fixtureName.find("password") != std::string::npos ? "password" : "";
}

inline std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "jettest-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }
    // A writable copy of a fixture.
    fs::path copy(const std::string& name) const
    {
        const fs::path to = m_path / name;
        fs::copy_file(fixture(name), to, fs::copy_options::overwrite_existing);
        fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write);
        return to;
    }

private:
    fs::path m_path;
};

// An in-memory SQLite connection; the attached file goes away with it.
class Connection {
public:
    Connection() { sqlite3_open(":memory:", &m_db); }
    ~Connection()
    {
        sqlite3_close_v2(m_db);
        m_attached.reset();
    }
    sqlite3* db() const { return m_db; }

    void attach(const fs::path& file, const std::string& password = "",
                db::jet::AccessMode mode = db::jet::AccessMode::ReadShared)
    {
        m_attached = db::jet::attachAccessFile(m_db, file.string(), password, mode);
    }
    db::jet::AttachedDatabase& attached() { return *m_attached; }

    // Rows of a query, each value as text ("<NULL>" for NULL); on failure `error` is set.
    std::vector<std::vector<std::string>> rows(const std::string& sql, std::string* error = nullptr)
    {
        std::vector<std::vector<std::string>> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            if (error)
                *error = sqlite3_errmsg(m_db);
            else
                ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
            return out;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row.push_back(sqlite3_column_type(st, i) == SQLITE_NULL
                                  ? "<NULL>"
                                  : std::string(t, static_cast<size_t>(sqlite3_column_bytes(st, i))));
            }
            out.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) {
            if (error)
                *error = sqlite3_errmsg(m_db);
            else
                ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
        }
        sqlite3_finalize(st);
        return out;
    }

    std::string one(const std::string& sql)
    {
        const auto r = rows(sql);
        return r.empty() || r[0].empty() ? "<NOROW>" : r[0][0];
    }

    // The error message of a statement that is expected to fail ("" if it succeeded).
    std::string failure(const std::string& sql)
    {
        char* err = nullptr;
        const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &err);
        std::string message = err ? err : "";
        sqlite3_free(err);
        return rc == SQLITE_OK ? std::string() : (message.empty() ? "error" : message);
    }

private:
    sqlite3* m_db = nullptr;
    std::unique_ptr<db::jet::AttachedDatabase> m_attached;
};

// The user table called `name` of `db`; throws when there is none.
inline db::jet::Table& tableNamed(db::jet::Database& db, const std::string& name)
{
    for (const db::jet::CatalogEntry& e : db.userTables())
        if (e.name == name)
            return db.table(e);
    throw std::runtime_error("no table " + name);
}

// The rows an index B-tree finds for `value` (Table::indexLookup; in texts without the
// rare case variants it may miss, all of them).
inline std::optional<std::vector<uint64_t>> indexLookup(db::jet::Table& t, size_t position,
                                                        const db::jet::Value& value)
{
    bool complete = true;
    return t.indexLookup(position, value, complete);
}

// The message of the JetError that `f` throws ("" if none).
template <typename F>
std::string jetErrorOf(F&& f)
{
    try {
        f();
    } catch (const db::jet::JetError& e) {
        return e.what();
    }
    return "";
}

}  // namespace jettest
