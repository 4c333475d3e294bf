// A column value as the database layer holds it, and the kinds of columns it knows.
// Layer: database access.
#pragma once

#include "db/ColumnKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <variant>

namespace db {

// A value as SQLite hands it over: NULL, integer, floating number, text or bytes.
using Value = std::variant<std::monostate, qint64, double, QString, QByteArray>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// The kind of a column from its declared type (db/ColumnKind.h).
ColumnKind columnKindFromDeclaredType(const QString& declared);

// Date-times are day counts since 30 December 1899, the fraction being the time of day.
double dateTimeToDays(const QDateTime& dt);
QDateTime daysToDateTime(double days);
// The canonical text "YYYY-MM-DD HH:MM:SS" of a day count, and back (false if unreadable).
QString daysToCanonicalText(double days);
bool canonicalTextToDays(const QString& text, double& days);

}  // namespace db
