// German messages for the failures SQLite reports, so that every error a user sees
// reads in one language. Messages that our own functions and the Access engine raise
// are German already and pass unchanged.
// Layer: database access.
#pragma once

#include <QString>

struct sqlite3;

namespace db {

QString germanSqliteMessage(const QString& message, int resultCode);
// The message of the last failure on a connection.
QString lastSqliteError(sqlite3* db, int resultCode);
// Raises the last failure as DbError; an interrupted statement raises Interrupted.
[[noreturn]] void throwSqliteError(sqlite3* db, int resultCode);

}  // namespace db
