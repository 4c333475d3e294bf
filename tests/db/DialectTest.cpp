// Statements written for the Access engine give the results Access gives.
#include "db/AccessDialect.h"
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "tests/support/TestDatabase.h"

#include <QDate>

using namespace db;

namespace {

class Dialect : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir.path(QStringLiteral("ziel.sqlite"));
        testsupport::runSql(m_path, QStringLiteral(
            "CREATE TABLE Users(ID INTEGER PRIMARY KEY, US_LoginName VARCHAR(20) COLLATE NOCASE, "
            "  US_Password VARCHAR(20) COLLATE NOCASE);"
            "INSERT INTO Users VALUES (1,'Admin','x'),(2,'ärger','y'),(3,'Bär',NULL),(4,NULL,'z');"
            "CREATE TABLE [Mit Blank](ID INTEGER, Geburtsdatum DATETIME, Flag BOOLEAN);"
            "INSERT INTO [Mit Blank] VALUES (1,'2020-01-31 00:00:00',1),(2,'1999-12-31 22:30:00',0),"
            "  (3,NULL,0);"));
        m_con.SetConnectionString(TargetConnectionString(m_path));
    }

    QString text(const QString& sql)
    {
        const Value v = m_con.Execute(sql).Column(0);
        if (const auto* s = std::get_if<QString>(&v))
            return *s;
        if (const auto* i = std::get_if<qint64>(&v))
            return QString::number(*i);
        if (const auto* d = std::get_if<double>(&v))
            return QString::number(*d);
        return QStringLiteral("<NULL>");
    }

    testsupport::TempFolder m_dir;
    QString m_path;
    DbConnection m_con;
};

}  // namespace

TEST_F(Dialect, AccessStatementsGiveAccessResults)
{
    struct Case { const char* sql; const char* result; };
    const Case cases[] = {
        {"select count(*) from Users where US_LoginName='ADMIN'", "1"},
        {"select count(*) from Users where US_LoginName<>'admin'", "2"},  // NULL is neither
        {"select count(*) from Users where US_LoginName in ('ÄRGER','bär')", "2"},
        {"select count(*) from Users where US_LoginName between 'a' and 'AZ'", "1"},
        {"select US_LoginName from Users where not isnull(US_LoginName) order by US_LoginName", "Admin"},
        {"select count(*) from Users where US_LoginName like 'Ä*'", "1"},
        {"select count(*) from Users where US_LoginName like '?är'", "1"},
        {"select count(*) from Users where US_LoginName like 'b[aä]r'", "1"},
        {"select count(*) from Users where ISNULL(US_LoginName)", "1"},
        {"select count(*) from [Mit Blank] where Geburtsdatum = #2020-01-31#", "1"},
        {"select count(*) from [Mit Blank] where Geburtsdatum < #01/01/2000#", "1"},
        {"select count(*) from [Mit Blank] where Geburtsdatum = #12/31/1999 10:30:00 PM#", "1"},
        {"select count(*) from [Mit Blank] where Flag = True", "1"},
        {"select count(*) from [Mit Blank] where Flag = False;", "2"},
        {"select 'a' & US_LoginName & 'b' from Users where ID=1", "aAdminb"},
        {"select IIf(ID > 1, 'viel', 'wenig') from Users where ID=1", "wenig"},
        {"select Nz(US_Password, 'leer') from Users where ID=3", "leer"},
        {"select UCase('straße äöü') from Users where ID=1", "STRASSE ÄÖÜ"},
        {"select LCase('ÄÖÜ') from Users where ID=1", "äöü"},
        {"select Len('Müller') from Users where ID=1", "6"},
        {"select Left('Müller', 2) & Right('Müller', 2) & Mid('Müller', 3, 2) & Mid('ab', 2)", "Müerllb"},
        {"select '[' & Trim('  x  ') & ']'", "[x]"},
        {"select 7 Mod 3", "1"},
        {"select TOP 1 ID from Users order by ID desc", "4"},
        {"select \"Text in \"\"Anführung\"\"\"", "Text in \"Anführung\""},
        // Nothing inside a literal is translated.
        {"select 'DELETE * FROM t & True [x] #2020-01-01# :ID ISNULL(x);'",
         "DELETE * FROM t & True [x] #2020-01-01# :ID ISNULL(x);"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(QString::fromUtf8(c.sql)), QString::fromUtf8(c.result)) << c.sql;
}

TEST_F(Dialect, DeleteStarAndClockFunctions)
{
    m_con.Execute(QStringLiteral("DELETE * FROM Users WHERE ID=4"));
    m_con.Execute(QStringLiteral("Delete Users.* From Users Where ID=3;"));
    EXPECT_EQ(text(QStringLiteral("select count(*) from Users")), QStringLiteral("2"));
    EXPECT_EQ(text(QStringLiteral("select Date()")),
              QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"));
    EXPECT_TRUE(text(QStringLiteral("select Now()")).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy"))));
}

TEST_F(Dialect, UnreadableDateLiteralIsAnError)
{
    try {
        m_con.Execute(QStringLiteral("select * from Users where US_LoginName = #31.02.2020#"));
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Syntaxfehler in Datum in Abfrageausdruck '#31.02.2020#'."));
    }
}

TEST(DialectTranslation, ParametersOnlyWhenAsked)
{
    const auto withParams = translateAccessSql(QStringLiteral("select * from t where a=:ID and b=':ID'"), true);
    EXPECT_EQ(withParams.sql, QStringLiteral("select * from t where a=? and b=':ID' COLLATE NOCASE"));
    EXPECT_EQ(withParams.parameterCount, 1);
    EXPECT_EQ(translateAccessSql(QStringLiteral("select :ID"), false).sql, QStringLiteral("select :ID"));
}

TEST(DialectTranslation, DateLiterals)
{
    EXPECT_EQ(parseAccessDateLiteral(QStringLiteral("2024-02-29")), QStringLiteral("2024-02-29 00:00:00"));
    EXPECT_EQ(parseAccessDateLiteral(QStringLiteral("2/3/2024")), QStringLiteral("2024-02-03 00:00:00"));
    EXPECT_EQ(parseAccessDateLiteral(QStringLiteral("12:00 AM")), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(parseAccessDateLiteral(QStringLiteral("2023-02-29")), QString());
    EXPECT_EQ(parseAccessDateLiteral(QStringLiteral("13/13/2020")), QString());
}
