// Entry point of edvara-sql; everything else is in runEdvaraSql so that tests can call it.
#include "cli/edvara-sql/EdvaraSql.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::runEdvaraSql(args, std::cin, std::cout, std::cerr);
}
