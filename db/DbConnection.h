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

    // Runs one statement (opening the connection first if needed). Each statement is
    // in the file when this returns; there is no transaction.
    QueryResult Execute(const QString& sql);

    // Runs one statement and hands every result row to onRow; for tools that print
    // whole results. Returns the result's columns.
    using RowHandler = std::function<void(const ResultColumns&, const std::vector<Value>&)>;
    ResultColumns Query(const QString& sql, const RowHandler& onRow);

    // User tables of the open database, in the database's own order.
    QStringList TableNames();
    // The Access engine's check of the whole file: the errors it finds, one line each
    // (German); empty when all is well. What it could not verify goes to `notes`. A SQLite
    // file is checked by SQLite's integrity check.
    QStringList CheckFile(QStringList* notes = nullptr);
    DatabaseFormat Format() const { return m_format; }
    QString FilePath() const { return m_filePath; }

    // For the cursors of this layer: the SQLite handle, opening the connection if needed,
    // and the preparation of the file for the first write.
    sqlite3* handle();
    void prepareWrite();
    void attachCursor(RecordCursor* cursor) { m_cursors.insert(cursor); }
    void detachCursor(RecordCursor* cursor) { m_cursors.remove(cursor); }

private:
    void open();
    void close();

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
