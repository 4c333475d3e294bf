// The database kind named by a connection string's provider.
#include "db/ConnectionString.h"
#include "db/unit_GetDBFormat.h"

#include <gtest/gtest.h>

using db::GetDBFormat;

TEST(GetDBFormat, EveryProviderMarkerNamesItsKindWhateverTheLetterCase)
{
    struct Case {
        const char* connectionString;
        const char* kind;
    };
    const Case cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb", "MSACCESS"},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=a.accdb", "MSACCESS"},
        {"Provider=SQLOLEDB.1;Data Source=server", "MSSQL"},
        {"Provider=SQLNCLI11;Server=server", "MSSQL"},
        {"Provider=MSOLEDBSQL;Server=server", "MSSQL"},
        {"Provider=LCPI.IBProvider;ibole=1", "FIREBIRD"},
        {"Provider=msdaora;Data Source=orcl", "ORACLE"},
        {"Provider=OraOLEDB.Oracle;Data Source=orcl", "ORACLE"},
        {"Provider=Microsoft.SQLSERVER.CE.OLEDB.3.5;Data Source=a.sdf", "MSSQLCE"},
        {"provider=msdasql.1;DSN=mysql", "MYSQL"},
        {"PROVIDER=MICROSOFT.JET.OLEDB.4.0", "MSACCESS"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDBFormat(QString::fromLatin1(c.connectionString)), QString::fromLatin1(c.kind))
            << c.connectionString;
}

TEST(GetDBFormat, SystemsOwnConnectionStringsAreAccess)
{
    EXPECT_EQ(GetDBFormat(db::TargetConnectionString(QStringLiteral("/tmp/ziel.mdb"))), QStringLiteral("MSACCESS"));
    EXPECT_EQ(GetDBFormat(db::DirectoryConnectionString(QStringLiteral("/opt/edvara/Schulver.mdb"))),
              QStringLiteral("MSACCESS"));
}

TEST(GetDBFormat, EarlierMarkerWinsWhenTwoOccur)
{
    EXPECT_EQ(GetDBFormat(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/daten/sqloledb/a.mdb")),
              QStringLiteral("MSACCESS"));
    EXPECT_EQ(GetDBFormat(QStringLiteral("Provider=OraOLEDB;Data Source=sqlncli")), QStringLiteral("MSSQL"));
}

TEST(GetDBFormat, UnknownProviderGivesEmptyText)
{
    EXPECT_EQ(GetDBFormat(QStringLiteral("Provider=MSDASQL;DSN=mysql")), QString());
    EXPECT_EQ(GetDBFormat(QString()), QString());
    EXPECT_EQ(GetDBFormat(QStringLiteral("Data Source=ziel.sqlite")), QString());
}
