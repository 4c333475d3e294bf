// The full tool lives in a module of its own (edvara-sql-full.so, with the database layer
// and Qt) that edvara-sql loads only for what the quick read leaves to it, so that a
// process reading one table never loads Qt.
// Layer: command-line tool; process plumbing only.
#pragma once

namespace cli {

// Name of the function the module exports: int(int argc, char** argv), as main.
inline constexpr const char* kFullToolEntry = "edvara_sql_full";

// Loads the module beside the program (EDVARA_SQL_MODULE, relative to the program's
// folder) and runs the full tool with the program's arguments; a module that cannot be
// loaded is reported in German with exit status 2.
int runFullTool(int argc, char** argv);

}  // namespace cli
