// One table: scanning its rows, fetching a row by its id, turning the row's bytes into
// column values (following long values and moved rows), and inserting, updating and
// deleting rows with the definition's counters, the usage maps and every index kept right:
// unique indexes and primary keys enforced, relationships with enforced integrity checked
// and their cascades carried out; lookups through the index B-trees.
// Layer: table; knows pages, rows, columns and index keys, not SQL.
#pragma once

#include "db/jet/ColumnRules.h"
#include "db/jet/DataPage.h"
#include "db/jet/Index.h"
#include "db/jet/IndexKey.h"
#include "db/jet/LongValue.h"
#include "db/jet/RowCodec.h"
#include "db/jet/TableDef.h"
#include "db/jet/UsageMap.h"
#include "db/jet/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader;
class Space;
class IndexKeyEncoder;
class IndexTree;

// A row's identity (makeRowId, JetFormat.h): the page and slot of its home slot, stable
// for the row's life.

class Table {
public:
    Table(PageFile& file, const DatabaseHeader& header, Space& space, std::string name, TableDef def,
          ColumnRules rules = {});
    ~Table();

    const std::string& name() const { return m_name; }
    const TableDef& def();

    struct Row {
        uint64_t rowId = 0;
        PageRef page;  // keeps `bytes` alive
        ByteView bytes;
        std::vector<FieldSpan> fields;
    };

    // Scanning in page order. A fresh ScanState starts at the first row; rows written
    // while a scan runs may or may not be met, but no row is met twice.
    struct ScanState {
        uint32_t page = 0;  // the page being read; 0 before the first
        unsigned slot = 0;
        bool started = false;
    };
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
    using TableResolver = std::function<Table*(uint32_t tableDefPage)>;
    void setTableResolver(TableResolver resolver) { m_resolver = std::move(resolver); }

    // --- Lookups through the index B-trees --------------------------------------------
    // Rows whose column `position` (of def().columns) equals `value` as SQL compares
    // (a few more where the key cannot tell, e.g. letter case), from an index whose first
    // column it is; nothing when no index can answer exactly (no index, a type whose key
    // bytes no fixture confirms, a character without a certain key). Ids in page order.
    std::optional<std::vector<uint64_t>> indexLookup(size_t position, const Value& value);
    // Rows whose whole-number column `position` lies between the bounds (either may be
    // absent), in page order; nothing when no index can answer.
    std::optional<std::vector<uint64_t>> indexRange(size_t position, const std::optional<int64_t>& low,
                                                    bool lowInclusive, const std::optional<int64_t>& high,
                                                    bool highInclusive);

    // New rows go only to the page the last row went to, or a new one, so that the rows
    // lie in the order they came (for files laid out from scratch).
    void setAppendOnly(bool appendOnly) { m_appendOnly = appendOnly; }
    // Each insert, update and delete is made atomic with a mark of the page file unless
    // this is switched off (a file laid out in one unit that is thrown away on failure).
    void setAtomicRows(bool atomic) { m_atomicRows = atomic; }
    // Index pages laid out once at the end (writeIndexPages) instead of after every row,
    // for a file laid out in one unit that nothing reads before it is done.
    void setDeferredIndexWrites(bool deferred);
    void writeIndexPages();

private:
    struct WriteState;
    class ColumnSpace;
    struct IndexState;
    using Key = std::optional<std::vector<uint8_t>>;  // nothing: the row has no entry
    class Atomic;

    void sync();
    bool resolve(const DataPage& page, unsigned slot, Row& row);
    ValueContext valueContext();
    WriteState& writer();
    void requireWritable();
    void requireIndexesKnown();
    // Indexes (TableIndexes.cpp).
    std::vector<IndexState>& indexStates();
    IndexState* stateOf(const IndexDef& logical);
    const IndexDef* logicalIndex(uint32_t number);
    Key newKey(IndexState& x, const std::vector<KeyValue>& values);
    Key storedKey(IndexState& x, const std::vector<KeyValue>& values, uint64_t rowId);
    std::vector<KeyValue> keyValuesOfRow(const IndexState& x, const Row& row);
    std::vector<KeyValue> keyValuesOfEncoded(const IndexState& x, const std::vector<EncodedValue>& values,
                                             const std::vector<bool>& rawLong);
    void requireUnique(IndexState& x, const Key& key, const std::vector<KeyValue>& values, uint64_t rowId);
    void requireParents(const std::vector<EncodedValue>& values, const std::vector<bool>& rawLong,
                        const std::vector<bool>* changed);
    struct ChildRows;
    std::vector<ChildRows> childRows(const Row& row, const std::vector<bool>* changed);
    void addEntries(const std::vector<Key>& keys, uint64_t rowId);
    void removeEntries(const std::vector<Key>& keys, uint64_t rowId);
    void saveIndexCounts();
    void cascadeDelete(const std::vector<ChildRows>& children);
    void cascadeUpdate(const std::vector<ChildRows>& children, uint64_t rowId);
    std::optional<std::vector<uint64_t>> indexRangeOf(size_t position, const std::optional<int64_t>& low,
                                                      bool lowInclusive, const std::optional<int64_t>& high,
                                                      bool highInclusive);
    std::string duplicateMessage() const;
    static std::string hasChildrenText(const std::string& child);
    std::vector<uint8_t> finishRow(std::vector<EncodedValue>& values, const std::vector<bool>& writeLong);
    RowPointer place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoidA, uint32_t avoidB);
    void noteSpace(DataPageWriter& page);
    void pageEmptied(uint32_t page);
    void saveCounters();
    std::string describe(const ColumnDef& c) const;

    PageFile& m_file;
    const DatabaseHeader& m_header;
    const Format& m_format;
    Space& m_space;
    std::string m_name;
    TableDef m_def;
    ColumnRules m_rules;
    std::unique_ptr<RowCodec> m_codec;
    std::optional<std::vector<uint32_t>> m_pages;
    PageStamps m_pagesStamps;  // of the map m_pages was read from
    uint64_t m_generation = 0;
    std::unique_ptr<WriteState> m_write;
    bool m_appendOnly = false;
    bool m_atomicRows = true;
    bool m_deferredIndexWrites = false;
    std::vector<IndexState> m_indexes;
    bool m_indexesLoaded = false;
    TableResolver m_resolver;
    uint64_t m_changes = 0;
    std::set<uint64_t> m_removing;  // rows whose removal is under way (cascades that loop)
};

}  // namespace db::jet
