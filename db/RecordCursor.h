// RecordCursor: one SELECT statement on a connection, walked one row at a time.
// The row set is fixed when the cursor opens: the keys of the rows are captured in
// order, and a row's values are read when it becomes current, so a table of any size
// is walked with one row of values in memory. Edits post exactly the changed columns.
// Layer: database access. Row identity is the engine's rowid (SQLite's own, or the
// Access engine's row address), reached only through the statements built here.
#pragma once

#include "db/Value.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace db {

class DbConnection;
class RecordCursor;

enum CursorLocationType { clUseServer, clUseClient };

// Access to one column of the cursor's current row.
class Field {
public:
    const QString& Name() const { return m_name; }
    ColumnKind Kind() const { return m_kind; }

    QString GetText() const;
    qint32 GetInteger() const;
    double GetDateTime() const;
    bool GetBoolean() const;
    bool IsNull() const;
    Value value() const;

    // Only while the cursor is editing; each adds the column to the changed columns.
    void SetText(const QString& text);
    void SetDateTime(double days);
    void SetNull();
    void setValue(const Value& value);

private:
    friend class RecordCursor;
    RecordCursor* m_cursor = nullptr;
    int m_index = 0;
    QString m_name;
    ColumnKind m_kind = ColumnKind::Other;
    QString m_table;         // table the column comes from, empty for expressions
    QString m_originName;    // the column's name in that table
    bool m_notNull = false;
    bool m_readOnly = true;
    bool m_primaryKey = false;
};

class RecordCursor {
public:
    enum class State { Closed, Browsing, Editing };

    explicit RecordCursor(DbConnection* connection = nullptr, const QString& name = QString(),
                          CursorLocationType location = clUseServer);
    ~RecordCursor();
    RecordCursor(const RecordCursor&) = delete;
    RecordCursor& operator=(const RecordCursor&) = delete;

    const QString& Name() const { return m_name; }
    DbConnection* Connection() const { return m_connection; }
    void SetConnection(DbConnection* connection);
    const QString& CommandText() const { return m_commandText; }
    // Only while closed; the next Open runs the new text.
    void SetCommandText(const QString& text);
    CursorLocationType CursorLocation() const { return m_location; }
    void SetCursorLocation(CursorLocationType location);
    // The value of the parameter ":ID"; the next Open uses it.
    void SetParam(qint32 id);

    void Open();
    void Close();
    bool Active() const { return m_state != State::Closed; }
    State state() const { return m_state; }

    void First();
    void Next();
    bool Eof() const { return m_eof; }
    int RecordCount() const;
    // Makes row n (1-based) current.
    void MoveToRow(int n);

    void Edit();
    void Post();
    void Cancel();
    void Delete();

    Field& FieldByName(const QString& name);
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    Field& Fields(int index);

    // Called by the connection when it goes away before the cursor.
    void connectionDestroyed();
    // Called by the connection when a unit was rolled back: the current row is read
    // again before its next use.
    void unitRolledBack();
    // Called by the connection before it closes or rewrites the file: the statements the
    // cursor keeps for its next Open go (Close keeps them).
    void releaseStatements();

private:
    friend class Field;
    struct Statements;

    QString named(const QString& text) const;
    [[noreturn]] void namedError(const QString& text) const;
    void requireOpen() const;
    void requireEditing() const;
    bool keyed() const { return m_keyed; }
    const Value& currentValue(int index);
    void loadCurrent();
    void analyse(sqlite3_stmt* stmt, const QString& sqliteSql);
    void materialise(sqlite3_stmt* stmt);
    void prepareKeyed(const QString& sqliteSql);
    void collectKeys();
    void bindParameters(sqlite3_stmt* stmt, int count);
    QString qualifiedTable() const;
    void markChanged(int index);

    DbConnection* m_connection = nullptr;
    QString m_name;
    QString m_commandText;
    CursorLocationType m_location = clUseServer;
    qint32 m_param = 0;
    bool m_paramSet = false;

    State m_state = State::Closed;
    std::vector<Field> m_fields;
    QHash<QString, int> m_fieldIndex;  // names FieldByName found since Open
    bool m_keyed = false;
    QString m_tableSchema;
    QString m_tableName;
    std::vector<qint64> m_keys;                    // keyed cursors: row keys in result order
    std::vector<std::vector<Value>> m_rows;        // other cursors: the whole result
    int m_index = 0;                               // current row, 0-based
    bool m_eof = true;
    int m_loadedIndex = -1;                        // row whose values m_current holds
    bool m_rowMissing = false;
    std::vector<Value> m_current;
    std::vector<Value> m_edit;
    std::vector<int> m_changed;
    std::unique_ptr<Statements> m_statements;
};

}  // namespace db
