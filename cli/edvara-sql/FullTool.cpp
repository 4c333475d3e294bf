// Finding and loading the full tool's module.
#include "cli/edvara-sql/FullTool.h"

#include "cli/edvara-sql/SqlOptions.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>

namespace cli {

int runFullTool(int argc, char** argv)
{
    std::error_code ec;
    // The program's own file, whatever folder it was started from.
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path module =
        (program.parent_path() / EDVARA_SQL_MODULE).lexically_normal();
    void* handle = ec ? nullptr : ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = int (*)(int, char**);
    const auto entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, kFullToolEntry)) : nullptr;
    if (!entry) {
        const char* loadError = ec ? nullptr : ::dlerror();
        const std::string why = ec ? ec.message() : loadError ? loadError : "unbekannter Grund";
        std::cerr << kSqlTool << ": Der Programmteil " << module.string()
                  << " für SQL-Anweisungen kann nicht geladen werden (" << why << ").\n";
        return kExitError;
    }
    return entry(argc, argv);
}

}  // namespace cli
