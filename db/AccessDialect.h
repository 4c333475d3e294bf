// Translation of statements written for the Access engine into SQLite's dialect. Works
// on tokens, so nothing inside a string literal is ever changed; anything it does not
// know passes unchanged.
// Layer: database access; pure text work, no engine calls.
#pragma once

#include <QString>
#include <vector>

namespace db {

struct SqlToken {
    enum Kind { Space, Word, QuotedName, String, Number, DateLiteral, Parameter, Symbol, Comment };
    Kind kind;
    QString text;
};

// A name as SQLite quotes it: in double quotes, inner double quotes doubled.
QString quoteSqliteName(const QString& name);

// Splits a statement into tokens; string literals, names in brackets or quotes, date
// literals between "#" and comments are single tokens.
std::vector<SqlToken> tokenizeSql(const QString& sql);

struct TranslatedSql {
    QString sql;
    int parameterCount = 0;  // placeholders ":name" replaced by "?" (only withParameters)
};

// Access to SQLite: DELETE * FROM, ISNULL(x), trailing ";", [names], #dates#, "&",
// True/False, Mod, TOP n, double-quoted texts, the Access functions (IIf, Nz, UCase,
// LCase, Len, Left, Right, Mid, Trim, Now, Date, InStr, Year, Month, Day, CStr, CLng,
// CInt, Int, Val). LIKE keeps its pattern: the connection's like() knows "*" and "?".
// Comparisons with text literals get the collation that compares as Access does; where
// an UPDATE or DELETE compares a column with text beyond ASCII, the literal's ASCII start
// is given as a range too, so that SQLite's index of the column finds the rows.
// Fails with a DbError for a date literal it cannot read.
TranslatedSql translateAccessSql(const QString& sql, bool withParameters = false);

// "#...#" (without the marks) to the canonical "YYYY-MM-DD HH:MM:SS"; empty when invalid.
// Accepts yyyy-mm-dd and the US form mm/dd/yyyy, each with an optional time
// (hh:mm[:ss] with optional AM/PM), and a time alone.
QString parseAccessDateLiteral(const QString& inner);

}  // namespace db
