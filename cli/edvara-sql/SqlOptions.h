// The command line of edvara-sql: its options, their parsing and the usage text. Free of
// Qt, so that the quick read and the full tool understand the same command line.
// Layer: command-line tool.
#pragma once

#include "db/TargetPassword.h"

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

inline constexpr const char* kSqlTool = "edvara-sql";

inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFailed = 1;  // --check found something wrong
inline constexpr int kExitUsage = 2;
inline constexpr int kExitError = 2;

struct SqlOptions {
    bool tables = false;
    bool check = false;
    bool scrub = false;
    bool readOnly = false;
    bool help = false;
    std::string password = db::kTargetPassword;
    std::vector<std::string> positional;  // DATABASE [STATEMENT]
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws UsageError with a German message for an unknown option, a missing value or a
// wrong number of arguments.
SqlOptions parseSqlOptions(const std::vector<std::string>& args);

void writeSqlUsage(std::ostream& out);

// What a usage error prints on standard error; returns kExitUsage.
int reportUsageError(const UsageError& e, std::ostream& err);

}  // namespace cli
