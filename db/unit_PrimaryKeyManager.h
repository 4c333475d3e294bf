// The next free value of a table's integer key column, asked of the database afresh on
// every call (nothing is reserved or cached); on Microsoft SQL Server an identity
// column answers -1.
// Layer: database access.
#pragma once

#include "db/DbConnection.h"
#include "db/RecordCursor.h"
#include "util/StringList.h"

#include <QString>
#include <memory>

namespace db {

class TPrimaryKeyManager {
public:
    TPrimaryKeyManager();
    virtual ~TPrimaryKeyManager();

    void SetConnection(DbConnection* connection);
    qint32 GetNextID(const QString& table, const QString& column);
    qint32 RegisterTable(const QString& table, const QString& column);

    DbConnection* CurrentConnection = nullptr;
    std::unique_ptr<RecordCursor> ProbeCursor;
    util::StringList KnownTables;
    util::StringList IdentityFlags;
    QString DBFormat;
    qint32 LastIndex = -1;
};

// The one process-wide allocator; created before the main window, released after it.
TPrimaryKeyManager& PrimaryKeyManager();

qint64 GetNewID(DbConnection& connection, const QString& table, const QString& column);

}  // namespace db
