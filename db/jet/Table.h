// One table, the facade of its three parts: scanning its rows, fetching a row by its id,
// turning the row's bytes into column values, and inserting, updating and deleting rows
// as one step each, with every rule checked before the first byte changes. The rows and
// their pages are the row store's (RowStore.h), the index entries, keys and unique keys
// the index set's (IndexSet.h), references and cascades the relationship rules'
// (RelationshipRules.h); this file keeps the definition current and orders the steps.
// Layer: table; knows pages, rows, columns and index keys, not SQL.
#pragma once

#include "db/jet/ColumnRules.h"
#include "db/jet/IndexSet.h"
#include "db/jet/RelationshipRules.h"
#include "db/jet/RowStore.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader;
class Space;

class Table {
public:
    Table(PageFile& file, const DatabaseHeader& header, Space& space, std::string name, TableDef def,
          ColumnRules rules = {});
    ~Table();

    const std::string& name() const { return m_name; }
    const TableDef& def();

    // A row (RowStore.h); its id is the page and slot of its home slot.
    using Row = TableRow;

    // Scanning in page order. A fresh ScanState starts at the first row; rows written
    // while a scan runs may or may not be met, but no row is met twice.
    using ScanState = RowScan;
    bool next(ScanState& state, Row& row);

    // The live row whose home slot is `rowId`; false when there is none (any id is safe).
    bool fetch(uint64_t rowId, Row& row);

    // The value of column `index` (of def().columns) in `row`.
    Value value(const Row& row, size_t index);

    // Pages the table owns, from its usage map, ascending.
    const std::vector<uint32_t>& dataPages();

    // --- Writing (inside a unit of the page file) ------------------------------------
    // Values come one per column of def().columns. An autonumber column given NULL takes
    // the next number. Returns the new row's id.
    // `given` tells which columns the statement left out (they take their defaults);
    // empty: every value is meant as it is.
    uint64_t insert(const std::vector<Value>& values, const std::vector<ColumnGiven>& given = {});
    // The rules Access enforces on this table's writes, from its properties.
    const ColumnRules& rules() const { return m_rules; }
    // New values for the row `rowId`; an empty optional keeps the column's stored bytes.
    // `before`, when given, sees the row as it is before anything changes.
    void update(uint64_t rowId, const std::vector<std::optional<Value>>& values,
                const std::function<void(const Row&)>& before = {});
    void remove(uint64_t rowId);
    // Why this table cannot be written, or empty when it can.
    std::string writeRefusal();
    // Grows with every row this table gains, loses or changes, also through a cascade
    // of another table's change: what others derived from the rows is stale when it moved.
    uint64_t changeCount() const { return m_changes; }

    // The tables a relationship names, by their TDEF page; set by the catalog. Without
    // it a statement that a relationship with enforced integrity would check is refused.
    using TableResolver = RelationshipRules::TableResolver;
    void setTableResolver(TableResolver resolver) { m_relationships.setResolver(std::move(resolver)); }

    // --- Lookups through the index B-trees --------------------------------------------
    // Rows whose column `position` (of def().columns) equals `value` as SQL compares
    // (a few more where the key cannot tell, e.g. letter case), from an index whose first
    // column it is; nothing when no index can answer (no index, a type whose key bytes no
    // fixture confirms, a character without a certain key). Ids in page order. Where
    // `complete` comes back false, rows whose value indexLookupMayMiss may be missing.
    std::optional<std::vector<uint64_t>> indexLookup(size_t position, const Value& value, bool& complete);
    bool indexLookupMayMiss(size_t position, const Value& stored);
    // Rows whose whole-number column `position` lies between the bounds (either may be
    // absent), in page order; nothing when no index can answer.
    std::optional<std::vector<uint64_t>> indexRange(size_t position, const std::optional<int64_t>& low,
                                                    bool lowInclusive, const std::optional<int64_t>& high,
                                                    bool highInclusive);

    // New rows go only to the page the last row went to, or a new one, so that the rows
    // lie in the order they came (for files laid out from scratch).
    void setAppendOnly(bool appendOnly) { m_rows.setAppendOnly(appendOnly); }
    // Each insert, update and delete is made atomic with a mark of the page file unless
    // this is switched off (a file laid out in one unit that is thrown away on failure).
    void setAtomicRows(bool atomic) { m_atomicRows = atomic; }
    // Index pages laid out once at the end (writeIndexPages) instead of after every row,
    // for a file laid out in one unit that nothing reads before it is done.
    void setDeferredIndexWrites(bool deferred);
    void writeIndexPages();

private:
    friend class RelationshipRules;  // cascades change other tables, one level deeper
    class Atomic;
    struct UpdatedValues;
    class SpareValues;

    void sync();
    void requireWritable();
    void requireValueCount(size_t count) const;
    // The index set with the definition brought up to date (also for another table's rules).
    IndexSet& indexes();

    // A new row's values encoded, autonumbers given; the last autonumber handed out.
    std::vector<EncodedValue> encodeNewRow(const std::vector<Value>& values, std::vector<bool>& writeLong,
                                           uint32_t& lastAutoNumber) const;
    // The values of an update encoded against the stored row `old`, into `out`.
    void encodeUpdate(const Row& old, const std::vector<std::optional<Value>>& values, UpdatedValues& out) const;
    bool keepsItsBytes(const Row& old, const UpdatedValues& updated) const;

    // The row changes at `change`'s depth of cascades.
    void updateRow(const RowChange& change, uint64_t rowId, const std::vector<std::optional<Value>>& values,
                   const std::function<void(const Row&)>& before);
    void removeRow(const RowChange& change, uint64_t rowId);

    PageFile& m_file;
    const DatabaseHeader& m_header;
    const Format& m_format;
    std::string m_name;
    TableDef m_def;
    ColumnRules m_rules;
    RowStore m_rows;
    IndexSet m_indexes;
    RelationshipRules m_relationships;
    uint64_t m_generation = 0;
    bool m_atomicRows = true;
    uint64_t m_changes = 0;
    std::set<uint64_t> m_removing;  // rows whose removal is under way (cascades that loop)
    // Value lists of updates done, whose buffers serve the next rows; an update that a
    // cascade starts inside another one of this table takes a list of its own.
    std::vector<std::unique_ptr<UpdatedValues>> m_spareValues;
};

}  // namespace db::jet
