// The index check: walks every index of every table (the system tables too) and compares
// it with a scan of the table: every row exactly once, key bytes as Access computes them,
// entries in order, pages linked and owned as they should be. Reports in German.
// Layer: check, above table and index; reads only, never changes the file.
#pragma once

#include "db/jet/Database.h"

#include <map>
#include <memory>
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

// Checks every index of every table of the catalog (user and system tables). `checked`
// holds the findings of tables whose indexes the caller checked already (TableIndexCheck),
// by their definition's page: they stand in the report in the table's place.
std::vector<IndexFinding> checkIndexes(Database& db,
                                       const std::map<uint32_t, std::vector<IndexFinding>>* checked = nullptr);

// Checks the indexes of one table.
std::vector<IndexFinding> checkTableIndexes(Database& db, Table& table);

// The same for a caller that scans the table itself, so that one scan serves several
// checks: the constructor walks the indexes of the table (as many as keep the entries held
// under kBatchEntries: a large table's trees are compared in batches); each row of one scan
// goes to row(), in scan order; finish() compares the batches left with scans of their own
// and gives the findings, index by index, as checkTableIndexes does.
class TableIndexCheck {
public:
    // Entries held at once (some 20 to 30 bytes each), however large the table.
    static constexpr uint64_t kBatchEntries = 1 << 19;

    // `batchEntries`: the bound on the entries held at once (smaller in tests).
    TableIndexCheck(Database& db, Table& table, uint64_t batchEntries = kBatchEntries);
    ~TableIndexCheck();
    TableIndexCheck(const TableIndexCheck&) = delete;
    TableIndexCheck& operator=(const TableIndexCheck&) = delete;

    // Whether any index compares rows (none does when every tree or key encoder failed).
    bool wantsRows() const;
    // Damage in the row ends the comparison of the index that met it (a finding); any
    // other JetError leaves this function.
    void row(const Table::Row& row);
    // The scan ended early on damage: each index still comparing reports it.
    void scanFailed(const CorruptError& e);
    std::vector<IndexFinding> finish();

private:
    class Checker;
    void walkBatch();
    void finishBatch(std::vector<IndexFinding>& out);

    Table& m_table;
    uint64_t m_batchEntries;
    std::vector<std::unique_ptr<Checker>> m_checkers;
    size_t m_batchBegin = 0;  // the checkers of the batch being compared: [begin, end)
    size_t m_batchEnd = 0;
};

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
