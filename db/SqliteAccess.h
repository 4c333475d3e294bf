// What makes SQLite behave like the Access engine on one connection: text that
// compares without regard to letter case (Unicode, not ASCII only), LIKE with the
// Access wildcards, and the Access functions (Nz, UCase, Left, Mid, Now, ...).
// Layer: database access. Every connection the system opens, and every program that
// writes a SQLite file the system will read, installs this before touching data.
#pragma once

struct sqlite3;

namespace db {

// Replaces the built-in NOCASE collation by a Unicode-aware one (ASCII order is
// unchanged, so indexes built by other SQLite tools on ASCII text stay valid),
// replaces like() and registers the jet_* functions that the dialect translation uses.
// Text columns compare like Access text when they are declared COLLATE NOCASE.
void installAccessSemantics(sqlite3* db);

// The canonical text form of a date-time in SQLite files and in the Access virtual
// tables: "YYYY-MM-DD HH:MM:SS".
inline constexpr const char* kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

}  // namespace db
