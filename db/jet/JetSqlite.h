// The seam between the database layer and the native Access engine: open an Access
// file and show each of its user tables to a SQLite connection as a virtual table.
// Layer: engine entry point. The database layer includes only this header of db/jet/.
#pragma once

#include "db/jet/Check.h"
#include "db/jet/JetError.h"
#include "db/jet/PageFile.h"
#include "db/jet/Scrub.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace db::jet {

// An opened Access file whose tables are visible in one SQLite connection. Keeps the
// file open and locked. The connection holds its own reference to the file, so the file
// stays open (and locked) until both this object and the connection are gone.
// A relationship with enforced integrity, as the referenced ("one") side's definition
// carries it.
struct Relationship {
    std::string name;
    std::string parent;  // the referenced table
    std::string child;   // the referencing table
    std::vector<std::string> parentColumns;  // in key order; empty where a table is not a user table
    std::vector<std::string> childColumns;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeSetNull = false;
};

class AttachedDatabase {
public:
    virtual ~AttachedDatabase() = default;
    // The file's relationships with enforced integrity, between user tables.
    virtual std::vector<Relationship> relationships() = 0;
    // Names of the user tables, in catalog order.
    virtual std::vector<std::string> tableNames() const = 0;
    // How each statement's changes reach the disk (Durability::Normal unless set).
    virtual void setDurability(Durability durability) = 0;
    // What the engine's own check of the whole file finds (German, one finding each).
    virtual std::vector<CheckFinding> check() = 0;
    // Zeroes every byte of the file that no live structure uses (see Scrub.h); only
    // between statements.
    virtual ScrubReport scrub(const ScrubProgress& progress) = 0;
    // Writes out whatever the file still holds back (see Durability) and makes sure the
    // file written is still the one under its name; throws JetError (German) otherwise.
    virtual void finishWrites() = 0;
};

// Opens the Access file at path (UTF-8), checks the database password and makes every
// user table a virtual table, named as in Access, in the main schema of `sqlite` (a fresh
// in-memory connection on which installAccessSemantics has run). The tables are eponymous:
// SQLite connects one when a statement first names it, and sqlite_master lists none of
// them (tableNames() does).
//
// Files: ReadWriteExclusive opens O_RDWR with flock(LOCK_EX | LOCK_NB), ReadShared opens
// O_RDONLY with flock(LOCK_SH | LOCK_NB); a conflict gives "Die Datei <path> wird bereits
// von einem anderen Programm verwendet." A file with a database password opens only with
// exactly that password ("Das Kennwort für die Datenbank <path> ist falsch."); a file
// without one opens whatever password is given.
//
// Columns are declared as: Text "VARCHAR(n) COLLATE NOCASE" (n characters), Memo
// "LONGTEXT COLLATE NOCASE", Byte "BYTE", Integer "SMALLINT", Long "INTEGER" (autonumber
// "COUNTER"), BigInt "BIGINT", Boolean "BOOLEAN" (1/0), Currency "CURRENCY" and Single
// "REAL" (REAL values), Double "DOUBLE", Date/Time "DATETIME" (TEXT "YYYY-MM-DD HH:MM:SS",
// rounded to the nearest second), Binary "VARBINARY(n)" and OLE "LONGBINARY" (BLOB), GUID
// "GUID" (TEXT "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"), Decimal "DECIMAL(p,s)" (TEXT,
// exact). Columns whose Access property "Required" is set are declared NOT NULL.
// Attachment and multi-value columns ("COMPLEX") fail with a German message when
// read. The rowid is (page << 8) | slot of the row's home slot; `rowid = ?` fetches that
// row directly, `column = ?` and ranges go to Access's index B-trees or, for a column no index
// starts with, to keys of the column kept in memory from its first lookup (RowLookup.h).
//
// INSERT, UPDATE and DELETE change the file in place (Jet 4 files opened
// ReadWriteExclusive). Each SQLite transaction is one unit of the file's rollback
// journal: a statement on its own is atomic, and so are the statements between SAVEPOINT
// and RELEASE (ROLLBACK TO undoes them); a failed statement changes nothing. Statements
// that would change the schema (CREATE, DROP, ALTER) are refused. Throws JetError with a
// German message on every failure to open.
//
// With `fd` >= 0 the engine takes over that descriptor, opened by the caller on `path`
// (O_RDWR for ReadWriteExclusive), instead of opening the file a second time.
std::unique_ptr<AttachedDatabase> attachAccessFile(sqlite3* sqlite, const std::string& path,
                                                   const std::string& password, AccessMode mode, int fd = -1);

}  // namespace db::jet
