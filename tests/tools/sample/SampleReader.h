// Test support: reading a generated sample file through SQLite with the Access
// semantics installed, as the system itself reads it.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct sqlite3;

namespace sampletest {

class SampleReader {
public:
    explicit SampleReader(const QString& path);
    ~SampleReader();
    SampleReader(const SampleReader&) = delete;
    SampleReader& operator=(const SampleReader&) = delete;

    bool hasTable(const std::string& table);
    // Column names in lower case.
    std::set<std::string> columns(const std::string& table);
    std::int64_t count(const std::string& sql);
    // First column of every row, NULL as "<NULL>".
    std::vector<std::string> texts(const std::string& sql);
    // Runs a statement; returns the engine's error text, empty on success.
    std::string exec(const std::string& sql);

private:
    sqlite3* m_db = nullptr;
};

// A sample written once per test program into its own temporary folder.
struct SharedSample {
    QTemporaryDir dir;
    QString target() const { return dir.filePath(QStringLiteral("Edvara.sqlite")); }
    QString directory() const { return dir.filePath(QStringLiteral("Schulver.mdb")); }
};
const SharedSample& defaultSample();

// Writes a sample into dir with the tool's generator; fails the test on error.
void writeSample(const QString& dir, bool large = false, std::uint64_t seed = 20250315);

QStringList nameList(const QString& fileName);  // from the source tree's data folder

}  // namespace sampletest
