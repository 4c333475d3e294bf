// The key allocator: the largest key plus one, asked afresh on every call. Only on
// Microsoft SQL Server is a key column first probed for being an identity column,
// once per table name for the life of the process.
#include "db/unit_PrimaryKeyManager.h"
#include "db/DbError.h"
#include "db/unit_GetDBFormat.h"
#include "util/ListHelpers.h"

#include <limits>

namespace db {

namespace {

// The largest key plus one. A table whose key already stands at the largest 32-bit
// value has no next key; wrapping round would hand out a negative one.
qint32 successor(qint64 maximum, const QString& table)
{
    if (maximum >= std::numeric_limits<qint32>::max())
        throw DbError(QStringLiteral("Die Tabelle %1 hat keinen freien Schlüsselwert mehr.").arg(table));
    return static_cast<qint32>(maximum + 1);
}

// The maximum as the engine hands it back; NULL (an empty table) gives 1.
qint32 successorOf(const Value& value, const QString& table)
{
    if (isNull(value))
        return 1;
    if (const auto* i = std::get_if<qint64>(&value))
        return successor(*i, table);
    if (const auto* d = std::get_if<double>(&value))
        return successor(static_cast<qint64>(*d), table);
    if (const auto* s = std::get_if<QString>(&value)) {
        bool ok = false;
        const qint64 n = s->trimmed().toLongLong(&ok);
        if (ok)
            return successor(n, table);
    }
    throw DbError(QStringLiteral("Der größte Schlüsselwert der Tabelle %1 ist keine Zahl.").arg(table));
}

}  // namespace

TPrimaryKeyManager::TPrimaryKeyManager() = default;
TPrimaryKeyManager::~TPrimaryKeyManager() = default;

void TPrimaryKeyManager::SetConnection(DbConnection* connection)
{
    if (!ProbeCursor)
        ProbeCursor = std::make_unique<RecordCursor>(nullptr, QString(), clUseClient);
    // A connection that went away detaches the probe cursor; a new connection that
    // happens to take its address must not count as the same one.
    if (CurrentConnection && CurrentConnection == connection && ProbeCursor->Connection() == connection)
        return;
    ProbeCursor->Close();
    CurrentConnection = connection;
    ProbeCursor->SetConnection(connection);
}

qint32 TPrimaryKeyManager::GetNextID(const QString& table, const QString& column)
{
    if (!CurrentConnection)
        throw DbError(QStringLiteral("Der Schlüsselvergabe ist keine Verbindung zugeordnet."));
    if (DBFormat.isEmpty())
        DBFormat = GetDBFormat(CurrentConnection->ConnectionString());

    if (DBFormat == QLatin1String("MSSQL")) {
        int index = -1;
        if (LastIndex >= 0 && LastIndex < KnownTables.Count()
            && util::equalsIgnoreCase(KnownTables.Get(LastIndex), table))
            index = LastIndex;
        else
            index = KnownTables.IndexOf(table);
        if (index < 0)
            index = RegisterTable(table, column);
        LastIndex = index;
        if (IdentityFlags.Get(index) == QLatin1String("+"))
            return -1;
    }

    const QString maxQuery = QStringLiteral("select Max(%1) as MaxID from %2").arg(column, table);
    try {
        const QueryResult result = CurrentConnection->Execute(maxQuery + QLatin1Char(';'));
        return successorOf(result.Column(0), table);
    } catch (const util::Error&) {
        // Some engines refuse the statement on the connection but answer it through a
        // cursor; the cursor's error, if any, is the one the caller gets.
    }
    ProbeCursor->Close();
    if (ProbeCursor->CommandText() != maxQuery)
        ProbeCursor->SetCommandText(maxQuery);
    ProbeCursor->Open();
    const Field& maxId = ProbeCursor->FieldByName(QStringLiteral("MaxID"));
    const qint32 next = maxId.IsNull() ? 1 : successor(maxId.GetInteger(), table);
    ProbeCursor->Close();
    return next;
}

qint32 TPrimaryKeyManager::RegisterTable(const QString& table, const QString& column)
{
    const QString probe =
        QStringLiteral("SELECT name, is_identity FROM sys.columns WHERE [object_id] = object_id(%1) and [name]=%2")
            .arg(util::sqlQuote(table), util::sqlQuote(column));
    bool identity = false;
    try {
        ProbeCursor->Close();
        ProbeCursor->SetCommandText(probe);
        ProbeCursor->Open();
        identity = ProbeCursor->FieldByName(QStringLiteral("is_identity")).GetBoolean();
        ProbeCursor->Close();
    } catch (const util::Error&) {
        // A server that cannot answer the probe is taken to assign no keys itself; the
        // maximum query then decides.
        ProbeCursor->Close();
    }
    KnownTables.Add(table);
    IdentityFlags.Add(identity ? QStringLiteral("+") : QStringLiteral("-"));
    LastIndex = KnownTables.Count() - 1;
    return LastIndex;
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
