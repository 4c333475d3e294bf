// Writes the two sample databases into a folder: the Edvara target and the school
// directory "Schulver.mdb" (table DBS). By default both are SQLite files ("Edvara.sqlite"),
// which the anonymisation can rewrite; the system tells the formats apart by their first
// bytes, so the directory keeps its product name. On request both are Access files
// ("Edvara.mdb" with the product's database password), as schools keep them.
// Layer: sample tool. Each file is written under a temporary name and renamed into
// place only when complete; on failure no file under a final name has been touched.
#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <string>

namespace sample {

inline constexpr std::uint64_t kDefaultSeed = 20250315;
inline constexpr const char* kTargetFileName = "Edvara.sqlite";
inline constexpr const char* kAccessTargetFileName = "Edvara.mdb";
inline constexpr const char* kDirectoryFileName = "Schulver.mdb";
// Bounds of SampleOptions::size: twenty times the large sample is about 360 MB as an
// Access file, well inside the 2 GB a Jet 4 file can hold.
inline constexpr int kMinSize = 1;
inline constexpr int kMaxSize = 20;

struct SampleOptions {
    QString outDir;
    bool large = false;
    bool access = false;  // Access files instead of SQLite files
    int size = 1;         // the sample this many times over (kMinSize to kMaxSize)
    std::uint64_t seed = kDefaultSeed;
};

struct SampleSummary {
    QString targetPath;
    QString directoryPath;
    std::map<std::string, std::int64_t> targetRows;  // rows of the main tables
    int targetTables = 0;
    std::int64_t directorySchools = 0;
};

// Raises util::Error with a German message when the folder cannot be made or written.
SampleSummary writeSampleDatabases(const SampleOptions& options);

}  // namespace sample
