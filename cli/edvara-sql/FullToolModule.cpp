// The module of the full tool: its one exported function hands the command line to
// runEdvaraSql. Everything else in the module stays private to it.
// Layer: command-line tool.
#include "cli/edvara-sql/EdvaraSql.h"
#include "cli/edvara-sql/FullTool.h"

#include <iostream>

extern "C" __attribute__((visibility("default"))) int edvara_sql_full(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::runEdvaraSql(args, std::cin, std::cout, std::cerr);
}
