// A check of our own over a whole Access file: every table's pages, rows, long values and
// counters, and the maps of used and free pages, compared with each other.
// Layer: above the table layer; reads only. What it finds is described in German, one
// finding a line; an empty list means all is well.
#pragma once

#include <string>
#include <vector>

namespace db::jet {

class Database;

std::vector<std::string> checkDatabase(Database& db);

}  // namespace db::jet
