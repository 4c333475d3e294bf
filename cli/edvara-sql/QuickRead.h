// The quick read of edvara-sql: a whole table of an Access file ("select * from T"), or
// the list of its tables, read with the Access engine and SQLite alone. Scripts call the
// tool once per table, as they call mdb-export; for them the start of the process is
// most of the work, so this path loads neither Qt nor ICU.
// Layer: command-line tool over the Access engine's seam (db/jet/JetSqlite.h). It never
// writes, and whatever it cannot do exactly as the full tool does, it leaves to the full
// tool.
#pragma once

#include "cli/edvara-sql/SqlOptions.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// The table of a statement of exactly the form "select * from NAME" (any letter case,
// blanks between the words, an optional ";" at the end), NAME in brackets or a plain
// name the dialect passes unchanged; nothing for any other statement.
std::optional<std::string> wholeTableStatement(std::string_view sql);

// Runs the request if it is a whole-table read or --tables on an Access file, writing
// exactly what the full tool writes, and returns the exit status. Returns nothing, having
// written nothing, when the full tool must run instead: another kind of statement,
// standard input, a SQLite file, or any failure before the table's first row was read.
// A failure after that ends the output as the full tool's would (exit status 2).
std::optional<int> runQuickRead(const SqlOptions& options, std::ostream& out, std::ostream& err);

}  // namespace cli
