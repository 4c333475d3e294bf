// Opening files by their real format, the connection strings, locks and Execute.
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/jet/NewDatabaseFile.h"
#include "tests/support/Judge.h"
#include "tests/support/TestDatabase.h"

#include <QFile>

#include <cstdio>

using namespace db;
using testsupport::TempFolder;

namespace {

QString openError(const QString& connectionString)
{
    DbConnection con;
    con.SetConnectionString(connectionString);
    try {
        con.SetConnected(true);
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}

// The message of a statement that Execute refuses ("" if it ran).
QString executeError(DbConnection& con, const char* sql)
{
    try {
        con.Execute(QString::fromUtf8(sql));
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(ConnectionString, ParsesQuotedValuesAndIgnoresKeyCase)
{
    const auto cs = ConnectionString::parse(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; data source = \"C:\\a;b \"\"x\"\".mdb\" ;"
                       "Jet OLEDB:Database Password='it''s';Mode=Share Deny Write"));
    EXPECT_EQ(cs.value(QStringLiteral("Data Source")), QStringLiteral("C:\\a;b \"x\".mdb"));
    EXPECT_EQ(cs.value(QStringLiteral("JET OLEDB:DATABASE PASSWORD")), QStringLiteral("it's"));
    EXPECT_EQ(cs.value(QStringLiteral("mode")), QStringLiteral("Share Deny Write"));
    EXPECT_FALSE(cs.contains(QStringLiteral("User ID")));
    EXPECT_THROW(ConnectionString::parse(QStringLiteral("Data Source=\"offen")), DbError);
}

TEST(ConnectionString, PathWithSemicolonCannotInjectOptions)
{
    const QString path = QStringLiteral("/tmp/ziel;Mode=Read;Jet OLEDB:Database Password=x.mdb");
    const auto cs = ConnectionString::parse(TargetConnectionString(path));
    EXPECT_EQ(cs.value(QStringLiteral("Data Source")), path);
    EXPECT_EQ(cs.value(QStringLiteral("Mode")), QString());
    EXPECT_EQ(cs.value(QStringLiteral("Jet OLEDB:Database Password")), QStringLiteral("tulvan"));
    // A plain path stays as the original connection string had it.
    EXPECT_EQ(TargetConnectionString(QStringLiteral("/d/x.mdb")),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/x.mdb;Persist Security Info=False;"
                             "Jet OLEDB:Database Password=tulvan"));
}

TEST(Connection, OpensAndWritesTargetWhosePathHoldsSemicolons)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel;Mode=Read;x.sqlite"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE t(a INTEGER)"));
    DbConnection con;
    con.SetConnectionString(TargetConnectionString(path));
    con.Execute(QStringLiteral("insert into t values (7)"));
    con.SetConnected(false);
    EXPECT_EQ(testsupport::queryText(path, QStringLiteral("select a from t")), QStringLiteral("7"));
    // After the connection closes the file stands alone again: no log beside it, and
    // the header names the ordinary rollback journal.
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    EXPECT_EQ(testsupport::fileBytes(path).mid(18, 2), QByteArray("\x01\x01", 2));
}

TEST(Connection, RefusesWhatIsNoDatabaseAndCreatesNothing)
{
    TempFolder dir;
    const QString missing = dir.path(QStringLiteral("fehlt.mdb"));
    EXPECT_TRUE(openError(TargetConnectionString(missing)).contains(QStringLiteral("wurde nicht gefunden")));
    EXPECT_FALSE(QFile::exists(missing));
    // A name given in bytes that are not UTF-8 arrives with those bytes replaced: the
    // message says so instead of "nicht gefunden".
    const QByteArray latin1 = QFile::encodeName(dir.path(QStringLiteral("Sch"))) + QByteArray("\xfc") + ".mdb";
    std::FILE* raw = std::fopen(latin1.constData(), "wb");  // the file exists under its bytes
    ASSERT_NE(raw, nullptr);
    std::fclose(raw);
    const QString garbled = QString::fromLocal8Bit(latin1);
    ASSERT_TRUE(garbled.contains(QChar::ReplacementCharacter));
    const QString why = openError(TargetConnectionString(garbled));
    EXPECT_TRUE(why.contains(QStringLiteral("nicht in UTF-8 geschrieben"))) << why.toStdString();

    const QString text = dir.path(QStringLiteral("notiz.mdb"));
    writeFile(text, "Dies ist keine Datenbank, nur ein Text.\n");
    EXPECT_TRUE(openError(TargetConnectionString(text)).contains(QStringLiteral("ist keine Datenbank")));

    const QString empty = dir.path(QStringLiteral("leer.sqlite"));
    writeFile(empty, QByteArray());
    EXPECT_TRUE(openError(TargetConnectionString(empty)).contains(QStringLiteral("ist keine Datenbank")));
    EXPECT_EQ(QFile(empty).size(), 0);

    // A SQLite header over garbage: recognised, then refused as damaged.
    const QString broken = dir.path(QStringLiteral("kaputt.sqlite"));
    writeFile(broken, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
    const QByteArray before = testsupport::fileBytes(broken);
    EXPECT_FALSE(openError(TargetConnectionString(broken)).isEmpty());
    EXPECT_EQ(testsupport::fileBytes(broken), before);

    EXPECT_TRUE(openError(TargetConnectionString(dir.root())).contains(QStringLiteral("Ordner")));
    EXPECT_FALSE(openError(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0")).isEmpty());
}

TEST(Connection, SecondWriterOnTheSameTargetIsRefused)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel.sqlite"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE t(a)"));
    DbConnection first;
    first.SetConnectionString(TargetConnectionString(path));
    first.SetConnected(true);
    EXPECT_TRUE(openError(TargetConnectionString(path)).contains(QStringLiteral("bereits von einem anderen")));
    first.SetConnected(false);
    EXPECT_TRUE(openError(TargetConnectionString(path)).isEmpty());
}

TEST(Connection, FileLockedByAnotherSqliteProgramIsReportedAsLockedNotDamaged)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel.sqlite"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE t(a); INSERT INTO t VALUES (1)"));
    // Another program (the sqlite3 shell, say) holds SQLite's own lock on the file.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString message = openError(TargetConnectionString(path));
    EXPECT_TRUE(message.contains(QStringLiteral("gesperrt"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("beschädigt"))) << message.toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(openError(TargetConnectionString(path)).isEmpty());

    // A second run of our own on the same file.
    DbConnection first;
    first.SetConnectionString(TargetConnectionString(path));
    first.SetConnected(true);
    EXPECT_TRUE(openError(TargetConnectionString(path)).contains(QStringLiteral("gesperrt")));
}

TEST(Connection, DirectoryIsOpenedForReadingOnlyAndShared)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("Schulver.mdb"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE DBS(Schulnr TEXT); INSERT INTO DBS VALUES ('100001')"));
    DbConnection a;
    DbConnection b;
    a.SetConnectionString(DirectoryConnectionString(path));
    b.SetConnectionString(DirectoryConnectionString(path));
    a.SetConnected(true);
    b.SetConnected(true);
    EXPECT_EQ(std::get<QString>(b.Execute(QStringLiteral("select Schulnr from DBS")).Column(0)),
              QStringLiteral("100001"));
    EXPECT_THROW(a.Execute(QStringLiteral("delete from DBS")), DbError);
    // Nobody may open it for writing while it is read.
    EXPECT_TRUE(openError(TargetConnectionString(path)).contains(QStringLiteral("bereits von einem anderen")));
}

TEST(Connection, ExecuteHandsBackTheFirstRowAndRejectsBadStatements)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel.sqlite"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE K_Lehrer(ID INTEGER PRIMARY KEY); "
                                             "INSERT INTO K_Lehrer VALUES (41)"));
    DbConnection con;
    con.SetConnectionString(TargetConnectionString(path));
    const QueryResult r = con.Execute(QStringLiteral("select Max(ID) as MaxID from K_Lehrer;"));
    ASSERT_TRUE(r.HasRow());
    EXPECT_EQ(std::get<qint64>(r.Column(0)), 41);
    EXPECT_FALSE(con.Execute(QStringLiteral("delete from K_Lehrer where ID=1")).HasRow());

    auto message = [&](const char* sql) { return executeError(con, sql); };
    EXPECT_EQ(message("select * from Fehlt"), QStringLiteral("Die Tabelle oder Abfrage 'Fehlt' wurde nicht gefunden."));
    EXPECT_EQ(message("select Gibtsnicht from K_Lehrer"), QStringLiteral("Unbekannter Feldname: 'Gibtsnicht'."));
    EXPECT_TRUE(message("selec * from K_Lehrer").startsWith(QStringLiteral("Syntaxfehler")));
    EXPECT_TRUE(message("  ").startsWith(QStringLiteral("Ungültige SQL-Anweisung")));
    EXPECT_FALSE(message("delete from K_Lehrer; delete from K_Lehrer").isEmpty());
    EXPECT_FALSE(message("delete from K_Lehrer where ID=:ID").isEmpty());
    // Neither rejected statement touched the table.
    con.SetConnected(false);
    EXPECT_EQ(testsupport::queryText(path, QStringLiteral("select count(*) from K_Lehrer")), QStringLiteral("1"));
}

TEST(Connection, QueryWithAColumnFilterReadsOnlyThePickedColumnsOfEveryRow)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel.sqlite"));
    testsupport::runSql(path, QStringLiteral("CREATE TABLE T(ID INTEGER PRIMARY KEY, a TEXT, b TEXT); "
                                             "INSERT INTO T VALUES (1,'x','y'),(2,NULL,'z')"));
    DbConnection con;
    con.SetConnectionString(TargetConnectionString(path));
    QStringList seen;
    QStringList offered;
    const auto text = [](const Value& v) {
        const auto* s = std::get_if<QString>(&v);
        return s ? *s : isNull(v) ? QStringLiteral("NULL") : QStringLiteral("?");
    };
    const ResultColumns cols = con.Query(
        QStringLiteral("select * from T order by ID"),
        [&](const ResultColumns& c, const std::vector<Value>& row) {
            EXPECT_EQ(row.size(), static_cast<size_t>(c.names.size()));
            seen << text(row[1]) + QLatin1Char('/') + text(row[2]);
        },
        [&](const ResultColumns& c) {
            offered = c.names;
            return std::vector<int>{2, 7};  // a column the result does not have is passed over
        });
    EXPECT_EQ(offered, QStringList({"ID", "a", "b"}));
    EXPECT_EQ(cols.names, offered);
    EXPECT_EQ(seen, QStringList({"NULL/y", "NULL/z"}));
}

TEST(Connection, AccessFileIsRecognisedByItsBytesNotItsName)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("ziel.sqlite"));
    QByteArray page(4096, '\0');
    page.replace(4, 16, QByteArray("Standard Jet DB\0", 16));
    writeFile(path, page);
    const QString message = openError(TargetConnectionString(path));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(message.contains(QStringLiteral("keine Datenbank (weder")));
    EXPECT_EQ(testsupport::fileBytes(path), page);
}

TEST(Connection, AccessTargetIsChangedInPlaceAndSchemaChangesAreRefusedInGerman)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("Edvara.mdb"));
    {
        jet::NewDatabaseFile file({kTargetPassword, 0, 45000});
        const size_t t = file.addTable("K_Lehrer", {{"ID", jet::ColumnType::Long, 0}, {"Kuerzel", jet::ColumnType::Text, 10}});
        file.addRow(t, {jet::Value::ofInteger(41), jet::Value::ofText("Abc")});
        file.write(QFile::encodeName(path).toStdString());
    }
    const QByteArray before = testsupport::fileBytes(path);
    {
        DbConnection con;
        con.SetConnectionString(TargetConnectionString(path));
        EXPECT_EQ(con.TableNames(), QStringList({"K_Lehrer"}));
        const QueryResult r = con.Execute(QStringLiteral("select ID from K_Lehrer where Kuerzel = 'ABC'"));
        ASSERT_TRUE(r.HasRow());
        EXPECT_EQ(std::get<qint64>(r.Column(0)), 41);
        auto message = [&](const char* sql) { return executeError(con, sql); };
        const QString schema = QStringLiteral(
            "Tabellen, Sichten und Indizes einer Access-Datei können nicht angelegt, geändert oder gelöscht werden.");
        for (const char* sql : {"drop table K_Lehrer", "create table K_Lehrer (A text)", "create view V as select 1"})
            EXPECT_EQ(message(sql), schema) << sql;
        EXPECT_EQ(message("alter table K_Lehrer add column X int"),
                  QStringLiteral("Tabellen einer Access-Datei können nicht geändert werden."));
        EXPECT_EQ(message("alter table K_Lehrer rename to L"),
                  QStringLiteral("Die Tabelle 'K_Lehrer' kann nicht geändert werden."));
        EXPECT_EQ(message("create index i on K_Lehrer (ID)"),
                  QStringLiteral("Für Tabellen einer Access-Datei kann kein Index angelegt werden."));
        EXPECT_EQ(message("update K_Lehrer set Kuerzel = 'Zu lang für zehn'"),
                  QStringLiteral("Tabelle K_Lehrer, Spalte Kuerzel: der Text ist länger als 10 Zeichen."));
        EXPECT_EQ(testsupport::fileBytes(path), before);
        con.Execute(QStringLiteral("update K_Lehrer set Kuerzel = 'Xyz'"));
        con.Execute(QStringLiteral("insert into K_Lehrer (ID, Kuerzel) values (42, 'Neu')"));
        EXPECT_EQ(std::get<qint64>(con.Execute(QStringLiteral("select count(*) from K_Lehrer where Kuerzel = 'XYZ'"))
                                       .Column(0)),
                  1);
    }
    EXPECT_NE(testsupport::fileBytes(path), before);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
    {
        DbConnection again;
        again.SetConnectionString(TargetConnectionString(path));
        EXPECT_EQ(std::get<qint64>(again.Execute(QStringLiteral("select sum(ID) from K_Lehrer")).Column(0)), 83);
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(QFile::encodeName(path).toStdString());
}
