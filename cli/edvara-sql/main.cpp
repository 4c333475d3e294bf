// Entry point of edvara-sql: the command line, then the quick read of a whole Access
// table, and only for everything else the full tool (which loads Qt).
#include "cli/edvara-sql/FullTool.h"
#include "cli/edvara-sql/QuickRead.h"
#include "cli/edvara-sql/SqlOptions.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::SqlOptions options;
    try {
        options = cli::parseSqlOptions(args);
    } catch (const cli::UsageError& e) {
        return cli::reportUsageError(e, std::cerr);
    }
    if (options.help) {
        cli::writeSqlUsage(std::cout);
        return cli::kExitOk;
    }
    if (const std::optional<int> status = cli::runQuickRead(options, std::cout, std::cerr))
        return *status;
    return cli::runFullTool(argc, argv);
}
