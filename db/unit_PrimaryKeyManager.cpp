#include "db/unit_PrimaryKeyManager.h"

namespace db {

TPrimaryKeyManager::TPrimaryKeyManager() = default;
TPrimaryKeyManager::~TPrimaryKeyManager() = default;

void TPrimaryKeyManager::SetConnection(DbConnection* connection)
{
    CurrentConnection = connection;
}

qint32 TPrimaryKeyManager::GetNextID(const QString&, const QString&)
{
    return 1;
}

qint32 TPrimaryKeyManager::RegisterTable(const QString&, const QString&)
{
    return -1;
}

TPrimaryKeyManager& PrimaryKeyManager()
{
    static TPrimaryKeyManager manager;
    return manager;
}

qint64 GetNewID(DbConnection& connection, const QString& table, const QString& column)
{
    PrimaryKeyManager().SetConnection(&connection);
    return PrimaryKeyManager().GetNextID(table, column);
}

}  // namespace db
