// What makes SQLite behave like the Access engine on one connection: a collation that
// compares text without regard to letter case for every letter (not ASCII only), LIKE
// with the Access wildcards, and the Access functions (Nz, UCase, Left, Mid, Now, ...).
// Layer: database access. Must never redefine a collation SQLite or other programs
// know: files we write are read and indexed by stock SQLite tools as well.
#pragma once

struct sqlite3;

namespace db {

// The name of the collation that compares text as Access does. Unknown to every other
// program, so it never appears in a SQLite file's schema: the dialect translation puts
// it into statements, and the Access engine's tables (which live only on our
// connection) declare it for their text columns.
inline constexpr const char* kAccessCollation = "JET_NOCASE";

// Registers kAccessCollation, replaces like() and registers the jet_* functions that
// the dialect translation uses. SQLite's own NOCASE (ASCII letters only) stays as it
// is, so indexes on NOCASE columns agree with stock SQLite in both directions.
//
// JET_NOCASE orders by Unicode simple case folding, except that a letter beyond ASCII
// never folds to an ASCII one (the Kelvin sign stays itself). For ASCII text it is
// exactly NOCASE, and a lone ASCII literal compares the same under both, which lets
// the translation keep NOCASE (and the indexes) for such literals.
void installAccessSemantics(sqlite3* db);

// The canonical text form of a date-time in SQLite files and in the Access virtual
// tables: "YYYY-MM-DD HH:MM:SS".
inline constexpr const char* kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

}  // namespace db
