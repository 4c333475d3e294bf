// A check of our own over a whole Access file: every table's pages, rows, long values and
// counters, the maps of used and free pages, and every index against its table.
// Layer: above the table and index layers; reads only. What it finds is described in
// German, one finding a line.
#pragma once

#include <string>
#include <vector>

namespace db::jet {

class Database;

struct CheckFinding {
    bool error = true;  // false: a note, something the check could not verify
    std::string text;
};

std::vector<CheckFinding> checkDatabase(Database& db);

// The errors among `findings` (for callers and tests that only ask whether all is well).
std::vector<std::string> checkErrors(const std::vector<CheckFinding>& findings);

}  // namespace db::jet
