// edvara-sql DATABASE [STATEMENT]: runs statements through the product's database layer
// on an Access or SQLite file and prints the results as CSV. For administrators and for
// comparing our Access engine with other readers.
// Layer: command-line tool over db::DbConnection; no engine internals.
#pragma once

#include "cli/edvara-sql/SqlOptions.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Runs the tool with `args` (without the program name). Standard input is read only when
// no STATEMENT is given.
int runEdvaraSql(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace cli
