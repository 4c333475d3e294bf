// The key allocator: the largest key plus one, asked afresh every time; on Microsoft SQL
// Server a probe for identity columns first, once per table name. The server is stood in
// for by a SQLite file whose connection string names the server's provider and which
// carries a catalog table and object_id() of its own.
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/unit_PrimaryKeyManager.h"
#include "tests/support/TestDatabase.h"

#include <sqlite3.h>

using namespace db;

namespace {

class KeyAllocator : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.path(QStringLiteral("ziel.sqlite"));
        testsupport::runSql(m_path, QStringLiteral("CREATE TABLE K_Schule (ID INTEGER PRIMARY KEY, Name TEXT);"
                                                   "CREATE TABLE K_Lehrer (ID INTEGER PRIMARY KEY, Kuerzel TEXT);"
                                                   "INSERT INTO K_Lehrer VALUES (7, 'A'), (41, 'B'), (3, 'C');"));
    }

    void connect(DbConnection& con, const QString& provider)
    {
        con.SetConnectionString(QStringLiteral("Provider=%1;Data Source=%2;Mode=Share Deny None")
                                    .arg(provider, connectionValue(m_path)));
    }

    // A catalog that says which key columns the server assigns itself.
    void serverCatalog(DbConnection& con, const QString& identityTable)
    {
        sqlite3* db = con.handle();
        sqlite3_create_function(
            db, "object_id", 1, SQLITE_UTF8, nullptr,
            [](sqlite3_context* ctx, int, sqlite3_value** argv) {
                sqlite3_result_text(ctx, reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), -1,
                                    SQLITE_TRANSIENT);
            },
            nullptr, nullptr);
        const QByteArray sql = QStringLiteral("ATTACH ':memory:' AS sys;"
                                              "CREATE TABLE sys.columns (object_id TEXT, name TEXT, is_identity INT);"
                                              "INSERT INTO sys.columns VALUES ('%1', 'ID', 1), ('K_Lehrer', 'ID', 0);")
                                   .arg(identityTable)
                                   .toUtf8();
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }

    // The process-wide allocator keeps what it learnt; each test starts it afresh.
    static TPrimaryKeyManager& freshProcessAllocator()
    {
        TPrimaryKeyManager& keys = PrimaryKeyManager();
        keys.DBFormat.clear();
        keys.KnownTables.Clear();
        keys.IdentityFlags.Clear();
        keys.LastIndex = -1;
        return keys;
    }

    testsupport::TempFolder m_dir;
    QString m_path;
};

TEST_F(KeyAllocator, AccessAnswersLargestKeyPlusOneWithoutCachingOrProbing)
{
    DbConnection con;
    connect(con, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    TPrimaryKeyManager keys;
    keys.SetConnection(&con);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Schule"), QStringLiteral("ID")), 1);
    con.Execute(QStringLiteral("insert into K_Lehrer (ID, Kuerzel) values (42, 'D')"));
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 43);
    EXPECT_EQ(keys.DBFormat, QStringLiteral("MSACCESS"));
    EXPECT_EQ(keys.KnownTables.Count(), 0);
}

TEST_F(KeyAllocator, GetNewIdUsesTheProcessWideAllocatorOnTheGivenConnection)
{
    DbConnection con;
    connect(con, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    TPrimaryKeyManager& keys = freshProcessAllocator();
    EXPECT_EQ(GetNewID(con, QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    EXPECT_EQ(keys.CurrentConnection, &con);
    EXPECT_EQ(keys.DBFormat, QStringLiteral("MSACCESS"));
}

TEST_F(KeyAllocator, ConnectionThatWentAwayIsNotMistakenForANewOne)
{
    TPrimaryKeyManager keys;
    {
        DbConnection first;
        connect(first, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        keys.SetConnection(&first);
        EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    }
    auto second = std::make_unique<DbConnection>();
    connect(*second, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    keys.SetConnection(second.get());
    // Through the probe cursor, which must be bound to the living connection.
    EXPECT_EQ(keys.ProbeCursor->Connection(), second.get());
    EXPECT_THROW(keys.GetNextID(QStringLiteral("K_Gibtsnicht"), QStringLiteral("ID")), DbError);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
}

TEST_F(KeyAllocator, ServerIdentityColumnAnswersMinusOneAndIsProbedOncePerTableName)
{
    DbConnection con;
    connect(con, QStringLiteral("SQLOLEDB.1"));
    serverCatalog(con, QStringLiteral("K_Schule"));
    TPrimaryKeyManager keys;
    keys.SetConnection(&con);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Schule"), QStringLiteral("ID")), -1);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("k_schule"), QStringLiteral("ID")), -1);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    EXPECT_EQ(keys.DBFormat, QStringLiteral("MSSQL"));
    EXPECT_EQ(keys.KnownTables.items(), QStringList({"K_Schule", "K_Lehrer"}));
    EXPECT_EQ(keys.IdentityFlags.items(), QStringList({"+", "-"}));
    EXPECT_EQ(keys.LastIndex, 1);

    // The flag is remembered: a catalog changed later is not asked again.
    sqlite3_exec(con.handle(), "UPDATE sys.columns SET is_identity=0", nullptr, nullptr, nullptr);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_SCHULE"), QStringLiteral("Name")), -1);
    EXPECT_EQ(keys.LastIndex, 0);
}

TEST_F(KeyAllocator, GetNewIdWidensTheServersMinusOne)
{
    DbConnection con;
    connect(con, QStringLiteral("SQLNCLI11"));
    serverCatalog(con, QStringLiteral("K_Schule"));
    freshProcessAllocator();
    EXPECT_EQ(GetNewID(con, QStringLiteral("K_Schule"), QStringLiteral("ID")), qint64(-1));
    freshProcessAllocator();
}

TEST_F(KeyAllocator, ServerThatCannotAnswerTheProbeCountsAsWithoutIdentity)
{
    DbConnection con;
    connect(con, QStringLiteral("SQLOLEDB"));
    TPrimaryKeyManager keys;
    keys.SetConnection(&con);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    // A table that does not exist: the probe fails silently, the maximum query and its
    // fallback do not.
    EXPECT_THROW(keys.GetNextID(QStringLiteral("K_Gibtsnicht"), QStringLiteral("ID")), DbError);
    EXPECT_EQ(keys.KnownTables.items(), QStringList({"K_Lehrer", "K_Gibtsnicht"}));
    EXPECT_EQ(keys.IdentityFlags.items(), QStringList({"-", "-"}));
}

TEST_F(KeyAllocator, KindFoundOnFirstRequestStaysForLaterConnections)
{
    DbConnection server;
    connect(server, QStringLiteral("SQLOLEDB"));
    DbConnection access;
    connect(access, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    TPrimaryKeyManager keys;
    keys.SetConnection(&server);
    keys.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID"));
    keys.SetConnection(&access);
    EXPECT_EQ(keys.GetNextID(QStringLiteral("K_Schule"), QStringLiteral("ID")), 1);
    EXPECT_EQ(keys.DBFormat, QStringLiteral("MSSQL"));
    EXPECT_EQ(keys.KnownTables.Count(), 2);

    // No kind found: asked again on the next request.
    TPrimaryKeyManager unnamed;
    DbConnection plain;
    plain.SetConnectionString(QStringLiteral("Data Source=") + connectionValue(m_path)
                              + QStringLiteral(";Mode=Share Deny None"));
    unnamed.SetConnection(&plain);
    EXPECT_EQ(unnamed.GetNextID(QStringLiteral("K_Lehrer"), QStringLiteral("ID")), 42);
    EXPECT_TRUE(unnamed.DBFormat.isEmpty());
}

TEST_F(KeyAllocator, KeyAtTheLargestIntegerHasNoSuccessor)
{
    testsupport::runSql(m_path, QStringLiteral("INSERT INTO K_Schule VALUES (2147483647, 'x');"));
    DbConnection con;
    connect(con, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    TPrimaryKeyManager keys;
    keys.SetConnection(&con);
    EXPECT_THROW(keys.GetNextID(QStringLiteral("K_Schule"), QStringLiteral("ID")), DbError);
}

}  // namespace
