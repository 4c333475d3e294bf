// edvara-sql DATABASE [STATEMENT]: runs statements through the product's database layer
// on an Access or SQLite file and prints the results as CSV. For administrators and for
// comparing our Access engine with other readers. `--check` checks an Access file's
// indexes against its tables.
// Layer: command-line tool over db::DbConnection; only --check calls the Access engine
// itself (its index check), since it looks at what SQL cannot see.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFailed = 1;  // --check found something wrong
inline constexpr int kExitUsage = 2;
inline constexpr int kExitError = 2;

// Runs the tool with `args` (without the program name). Standard input is read only when
// no STATEMENT is given.
int runEdvaraSql(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace cli
