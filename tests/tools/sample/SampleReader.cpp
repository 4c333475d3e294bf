#include "SampleReader.h"

#include "db/SqliteAccess.h"
#include "tools/sample/SampleGenerator.h"
#include "util/TextFile.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace sampletest {

SampleReader::SampleReader(const QString& path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        ADD_FAILURE() << "cannot open " << path.toStdString();
    db::installAccessSemantics(m_db);
    // The tests change copies only; waiting for the disk would make them slow.
    sqlite3_exec(m_db, "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY", nullptr, nullptr, nullptr);
}

SampleReader::~SampleReader() { sqlite3_close_v2(m_db); }

bool SampleReader::hasTable(const std::string& table)
{
    return count("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='" + table + "' COLLATE NOCASE") == 1;
}

std::set<std::string> SampleReader::columns(const std::string& table)
{
    std::set<std::string> out;
    for (const std::string& name : texts("SELECT name FROM pragma_table_info('" + table + "')")) {
        std::string lowered = name;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
        out.insert(lowered);
    }
    return out;
}

std::int64_t SampleReader::count(const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
        return -1;
    }
    const std::int64_t v = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return v;
}

std::vector<std::string> SampleReader::texts(const std::string& sql)
{
    std::vector<std::string> out;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_db);
        return out;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* t = sqlite3_column_text(stmt, 0);
        out.push_back(t ? reinterpret_cast<const char*>(t) : "<NULL>");
    }
    sqlite3_finalize(stmt);
    return out;
}

std::string SampleReader::exec(const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    std::string text = message ? message : "error";
    sqlite3_free(message);
    return text;
}

const SharedSample& defaultSample()
{
    static std::unique_ptr<SharedSample> sample = [] {
        auto s = std::make_unique<SharedSample>();
        writeSample(s->dir.path());
        return s;
    }();
    return *sample;
}

void writeSample(const QString& dir, bool large, std::uint64_t seed)
{
    sample::SampleOptions options;
    options.outDir = dir;
    options.large = large;
    options.seed = seed;
    try {
        sample::writeSampleDatabases(options);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
}

QStringList nameList(const QString& fileName)
{
    QFile f(QStringLiteral(EDVARA_SOURCE_DIR "/data/") + fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return util::splitLines(util::decodeText(f.readAll()));
}

}  // namespace sampletest
