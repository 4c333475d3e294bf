// DbConnection: one open database file, the statements run on it and the cursors
// bound to it. The file's real format is found from its first bytes: a SQLite file is
// opened by SQLite itself, an Access file by our engine, whose tables SQLite then sees
// as virtual tables. Statements are written in the Access dialect and translated.
// Layer: database access. Callers above never see SQLite.
#pragma once

#include "db/Value.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

class RecordCursor;

// What Execute hands back: the first row of the statement's result, if any.
class QueryResult {
public:
    QStringList columns;
    std::vector<Value> firstRow;
    bool HasRow() const { return !firstRow.empty(); }
    // The value of column i of the first row; NULL when there is none.
    Value Column(int i) const;
};

struct ResultColumns {
    QStringList names;
    std::vector<ColumnKind> kinds;
};

enum class DatabaseFormat { None, SQLite, Access };

// What Scrub did. Access files: pages and bytes zeroed in place; SQLite files are rebuilt
// whole (VACUUM), which the counts do not describe.
struct ScrubResult {
    quint64 bytesZeroed = 0;
    quint32 pagesChanged = 0;
    quint32 freePagesZeroed = 0;
    quint32 pagesLeft = 0;  // Access pages neither in use nor free, left as they were
    QStringList notes;      // what was left because it could not be accounted for
};

// A relationship whose integrity the engine enforces: deleting rows of `parent` deletes
// (cascadeDeletes) or empties the reference of (cascadeSetNull) rows of `child`.
struct EnforcedRelationship {
    QString name;
    QString parent;
    QString child;
    QStringList parentColumns;  // in key order
    QStringList childColumns;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeSetNull = false;
};

class DbConnection {
public:
    explicit DbConnection(const QString& name = QString());
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    const QString& Name() const { return m_name; }
    const QString& ConnectionString() const { return m_connectionString; }
    // Only while closed.
    void SetConnectionString(const QString& text);
    bool Connected() const { return m_db != nullptr; }
    // Opening fails with a German message (missing, locked or foreign file, wrong
    // password); closing closes every cursor still open on the connection.
    void SetConnected(bool connected);
    bool LoginPrompt() const { return m_loginPrompt; }
    void SetLoginPrompt(bool prompt) { m_loginPrompt = prompt; }
    // Flush every statement to the disk before it returns (fsync): then even a power failure
    // keeps every finished statement. Without it a crash of the program loses nothing and a
    // crash of the operating system may lose the last statements. Takes effect at the next
    // open.
    void SetSyncEachStatement(bool sync) { m_syncEachStatement = sync; }
    bool SyncEachStatement() const { return m_syncEachStatement; }

    // Runs one statement (opening the connection first if needed). Outside a unit each
    // statement is in the file when this returns.
    QueryResult Execute(const QString& sql);

    // A unit: statements and row writes that reach the file together or not at all,
    // also when the program is killed meanwhile (a SQLite savepoint; on an Access file
    // the engine's journal). Outside a unit every statement is final when it returns.
    // Units nest: CommitUnit and RollbackUnit end the innermost one; a committed inner
    // unit is final only with its outermost unit. RollbackUnit puts back every row the
    // unit changed and makes the cursors read their current row again; with no unit
    // open it does nothing. A statement that SQLite stops mid-way (interrupt, full
    // disk) may take the whole unit with it: CommitUnit then fails.
    void BeginUnit();
    void CommitUnit();
    void RollbackUnit();
    int UnitDepth() const { return m_unitDepth; }

    // While *flag is true, every statement stops within a few engine steps and raises
    // Interrupted: a long statement ends soon after Ctrl+C, and so does every following
    // one. The unit statements and the closing of the file are not stopped. The flag
    // must outlive the connection; null turns the check off.
    void SetInterruptFlag(const std::atomic<bool>* flag);

    // Runs one statement and hands every result row to onRow; for tools that print
    // whole results. Returns the result's columns.
    using RowHandler = std::function<void(const ResultColumns&, const std::vector<Value>&)>;
    ResultColumns Query(const QString& sql, const RowHandler& onRow);
    // The same, reading only the columns `wanted` picks (from the result's columns, before
    // the first row) into each row; the others stay NULL there.
    using ColumnFilter = std::function<std::vector<int>(const ResultColumns&)>;
    ResultColumns Query(const QString& sql, const RowHandler& onRow, const ColumnFilter& wanted);

    // Overwrites every byte of the file that no live data uses, so that deleted and
    // replaced values are gone from it: an Access file is scrubbed in place in one unit of
    // its journal, a SQLite file is rebuilt (VACUUM) and its write-ahead log emptied.
    // Closes the cursors first; not inside a unit. Ctrl+C raises Interrupted and leaves
    // the file as before. progress(done, total) is called now and then.
    using ScrubProgressHandler = std::function<void(quint64 done, quint64 total)>;
    ScrubResult Scrub(const ScrubProgressHandler& progress = {});

    // User tables of the open database, in the database's own order.
    QStringList TableNames();
    // The Access engine's check of the whole file: the errors it finds, one line each
    // (German); empty when all is well. What it could not verify goes to `notes`. A SQLite
    // file is checked by SQLite's integrity check.
    QStringList CheckFile(QStringList* notes = nullptr);
    // The relationships the engine enforces on this database: an Access file's with
    // enforced integrity; none for a SQLite file (its connection does not enforce foreign keys).
    QList<EnforcedRelationship> Relationships();
    DatabaseFormat Format() const { return m_format; }
    // The real file behind the name the connection string gave (links followed).
    QString FilePath() const { return m_filePath; }
    // Writes out what the engine still holds back and makes sure the file written is still
    // the one under its name (not renamed, replaced or deleted meanwhile); throws DbError
    // (German) otherwise. A run calls this before it reports its end.
    void FinishWrites();

    // For the cursors of this layer: the SQLite handle, opening the connection if needed
    // (raises Interrupted while the interrupt flag is up), and the preparation of the
    // file for the first write.
    sqlite3* handle();
    void prepareWrite();
    void attachCursor(RecordCursor* cursor) { m_cursors.insert(cursor); }
    void detachCursor(RecordCursor* cursor) { m_cursors.remove(cursor); }

    // Called from SQLite's progress handler.
    bool interruptRequested() const;

private:
    void open();
    void close();
    void installInterruptCheck();
    // Runs a statement of the layer's own (unit control, pragmas) that no interrupt stops.
    int execUninterrupted(const char* sql);

    struct Backing;
    QString m_name;
    QString m_connectionString;
    bool m_loginPrompt = false;
    bool m_syncEachStatement = false;
    sqlite3* m_db = nullptr;
    std::unique_ptr<Backing> m_backing;
    DatabaseFormat m_format = DatabaseFormat::None;
    bool m_walCandidate = false;
    bool m_walMode = false;
    QString m_filePath;
    QSet<RecordCursor*> m_cursors;
    int m_unitDepth = 0;
    const std::atomic<bool>* m_interruptFlag = nullptr;
    int m_interruptHeld = 0;
};

// A unit that rolls back unless committed: Commit() at the end of the work, and any way
// out before it (an error, an interrupt) puts the file back as the unit found it.
class DbUnit {
public:
    explicit DbUnit(DbConnection& connection) : m_connection(connection) { connection.BeginUnit(); }
    ~DbUnit();
    DbUnit(const DbUnit&) = delete;
    DbUnit& operator=(const DbUnit&) = delete;
    void Commit();
    void Rollback();
    bool Open() const { return m_open; }

private:
    DbConnection& m_connection;
    bool m_open = true;
};

// Prepares one translated statement; fails when more than one statement is given.
struct sqlite3_stmt_deleter {
    void operator()(::sqlite3_stmt* s) const;
};
using StatementPtr = std::unique_ptr<::sqlite3_stmt, sqlite3_stmt_deleter>;
StatementPtr prepareStatement(sqlite3* db, const QString& sqliteSql);
Value columnValue(::sqlite3_stmt* stmt, int column);
void bindValue(::sqlite3_stmt* stmt, int index, const Value& value);

}  // namespace db
