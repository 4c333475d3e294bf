// The seam between the database layer and the native Access engine: open an Access
// file and show each of its user tables to a SQLite connection as a virtual table.
// Layer: engine entry point. The database layer includes only this header of db/jet/.
#pragma once

#include "db/jet/JetError.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace db::jet {

enum class AccessMode {
    ReadWriteExclusive,  // the target: read and write, nobody else may open it
    ReadShared,          // the school directory: read only, others may read, nobody may write
};

// An opened Access file whose tables are visible in one SQLite connection. Keeps the
// file open and locked; destroy it only after the SQLite connection is closed.
class AttachedDatabase {
public:
    virtual ~AttachedDatabase() = default;
    // Names of the user tables, in catalog order.
    virtual std::vector<std::string> tableNames() const = 0;
};

// Opens the Access file at path (UTF-8), checks the database password and creates one
// virtual table per user table, named as in Access, in the main schema of `sqlite` (a
// fresh in-memory connection on which installAccessSemantics has run).
// Throws JetError with a German message on every failure.
std::unique_ptr<AttachedDatabase> attachAccessFile(sqlite3* sqlite, const std::string& path,
                                                   const std::string& password, AccessMode mode);

}  // namespace db::jet
