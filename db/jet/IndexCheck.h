// The index check: walks every index of every table (the system tables too) and compares
// it with a scan of the table: every row exactly once, key bytes as Access computes them,
// entries in order, pages linked and owned as they should be. Reports in German.
// Layer: check, above table and index; reads only, never changes the file.
#pragma once

#include "db/jet/Database.h"

#include <string>
#include <vector>

namespace db::jet {

struct IndexFinding {
    enum class Severity {
        Error,  // the index contradicts the table or the format
        Note,   // something the check could not verify (a character without a known key)
    };
    Severity severity = Severity::Error;
    std::string table;
    std::string index;  // the logical index names sharing the checked B-tree, comma-separated
    std::string message;
};

// Checks every index of every table of the catalog (user and system tables).
std::vector<IndexFinding> checkIndexes(Database& db);

// Checks the indexes of one table.
std::vector<IndexFinding> checkTableIndexes(Database& db, Table& table);

// "Tabelle "T", Index "I": message" (with "Hinweis: " for notes).
std::string describeFinding(const IndexFinding& finding);

inline bool hasErrors(const std::vector<IndexFinding>& findings)
{
    for (const IndexFinding& f : findings)
        if (f.severity == IndexFinding::Severity::Error)
            return true;
    return false;
}

// Bytes as lower-case hex pairs separated by blanks, for messages.
std::string hexBytes(const std::vector<uint8_t>& bytes);

}  // namespace db::jet
