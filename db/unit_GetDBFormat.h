// Names the kind of database engine behind a connection string by the provider it
// names: "MSACCESS", "MSSQL", "FIREBIRD", "ORACLE", "MSSQLCE", "MYSQL" or empty.
// Layer: database access; a pure function.
#pragma once

#include <QString>

namespace db {

QString GetDBFormat(const QString& connectionString);

}  // namespace db
