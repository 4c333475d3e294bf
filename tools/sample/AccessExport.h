// The sample databases in the product's own format: a finished SQLite sample copied
// table by table into a new Access file (Jet 4), rows in the order they were written.
// Layer: sample tool; the Access side is the engine's NewDatabaseFile. Every ID becomes
// the primary key, and the sample's indexes become Access indexes of the same columns.
#pragma once

#include "tools/sample/Schema.h"

#include <QString>

#include <string>
#include <vector>

namespace sample {

class SqliteFile;

// Access's own day number of 2025-03-15, the creation date the samples carry, so that
// one seed always gives the same bytes.
inline constexpr double kSampleCreationDate = 45731.0;

// Writes `tables` of `from` into the new file `path` (which must not exist), protected by
// `password` when it is not empty. Raises util::Error with a German message naming the
// file, and leaves no file behind then.
void exportToAccess(SqliteFile& from, const std::vector<TableDef>& tables, const QString& path,
                    const std::string& password);

}  // namespace sample
