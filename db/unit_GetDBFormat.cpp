// The provider markers, tested in a fixed order: a connection string may name more
// than one of them (a Jet file whose path happens to contain "sqloledb"), and the
// earlier row wins.
#include "db/unit_GetDBFormat.h"

namespace db {

namespace {

struct Marker {
    const char* text;
    const char* kind;
};

// "MSDASQL.1" is the ODBC bridge, which this product only ever met in front of MySQL;
// without the suffix it is left unnamed on purpose.
constexpr Marker kMarkers[] = {
    {"Microsoft.Jet.OLEDB", "MSACCESS"}, {"Microsoft.ACE.OLEDB", "MSACCESS"}, {"sqloledb", "MSSQL"},
    {"sqlncli", "MSSQL"},                {"msoledbsql", "MSSQL"},             {"ibole", "FIREBIRD"},
    {"MSDAORA", "ORACLE"},               {"OraOLEDB", "ORACLE"},              {"SQLSERVER.CE.OLEDB", "MSSQLCE"},
    {"MSDASQL.1", "MYSQL"},
};

}  // namespace

QString GetDBFormat(const QString& connectionString)
{
    const QString upper = connectionString.toUpper();
    for (const Marker& m : kMarkers)
        if (upper.contains(QString::fromLatin1(m.text).toUpper()))
            return QString::fromLatin1(m.kind);
    return QString();
}

}  // namespace db
