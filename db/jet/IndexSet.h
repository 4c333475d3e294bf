// The index set of one table: every index B-tree of the table with the logical indexes
// that share it, the key of a row in each (computed from stored or from new values), the
// rules they impose (unique keys, primary keys and required indexes without NULLs), the
// entries added, moved and removed with their rows and the unique-key counts, and lookups
// and ranges of rows through the B-trees (docs/access-format.md, "Indexes").
// Layer: table; keys through IndexKey.h, pages through IndexWriter.h; knows rows and
// columns, not SQL. Where no fixture shows Access's rule, it refuses, never guesses.
#pragma once

#include "db/jet/IndexKey.h"
#include "db/jet/IndexWriter.h"
#include "db/jet/RowStore.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

class IndexSet {
public:
    // What the table keeps per index B-tree while it writes.
    struct State {
        std::vector<const IndexDef*> logical;  // the logical indexes sharing this B-tree
        std::string names;
        uint32_t realIndex = 0;
        bool unique = false;
        bool noNulls = false;  // primary key or required
        bool ignoreNulls = false;
        std::vector<size_t> positions;  // index column -> position in def.columns
        std::unique_ptr<IndexKeyEncoder> encoder;
        std::unique_ptr<IndexTree> tree;
        uint32_t uniqueCount = 0;
        bool countChanged = false;

        const IndexDef& index() const { return *logical.front(); }
    };
    // A row's key in one B-tree; nothing: the row has no entry there. Empty bytes: a
    // stored key that cannot be computed, whose entry is found by its row.
    using Key = std::optional<std::vector<uint8_t>>;

    explicit IndexSet(const TableBasis& table);
    ~IndexSet();
    IndexSet(const IndexSet&) = delete;
    IndexSet& operator=(const IndexSet&) = delete;

    // Forgets the B-trees (after a rollback).
    void reset();

    // Every B-tree must belong to an index whose columns and rules the definition names;
    // throws JetError (German) otherwise.
    void requireKnown() const;

    // One state per B-tree, loaded on first use.
    std::vector<State>& states();
    State* stateOf(const IndexDef& logical);
    const IndexDef* logicalIndex(uint32_t number);

    // The key values of the index's columns in a stored row, or in new values
    // (`rawLong`: a memo given as its text, not yet a long value).
    std::vector<KeyValue> keyValuesOfRow(const State& x, const TableRow& row);
    std::vector<KeyValue> keyValuesOfEncoded(const State& x, const std::vector<EncodedValue>& values,
                                             const std::vector<bool>& rawLong);

    // --- Keys of whole rows, with the rules checked before anything is written ----------
    // Every B-tree's key for a new row; throws when a key is uncertain, too long, NULL
    // where it may not be, or a duplicate in a unique index.
    std::vector<Key> keysOfNewRow(const std::vector<EncodedValue>& values, const std::vector<bool>& rawLong);
    // Every B-tree's key of a stored row, as its entry was made.
    std::vector<Key> keysOfStoredRow(const TableRow& row);

    // The keys that change when `old` (id `rowId`) gets `values`, of the B-trees on a
    // `changed` column whose key bytes differ; their new keys are checked as for a new row.
    struct KeyChanges {
        std::vector<Key> before, after;  // per B-tree; nothing where it keeps its entry
        std::set<uint32_t> trees;        // real index numbers whose entry moves
        std::vector<bool> columns;       // per column: part of such a B-tree's key

        bool any() const { return !trees.empty(); }
    };
    KeyChanges keyChanges(const TableRow& old, uint64_t rowId, const std::vector<EncodedValue>& values,
                          const std::vector<bool>& rawLong, const std::vector<bool>& changed);

    // --- Entries (inside a unit of the page file) ---------------------------------------
    void addEntries(const std::vector<Key>& keys, uint64_t rowId);
    void removeEntries(const std::vector<Key>& keys, uint64_t rowId);
    // The entries of `changes` moved from their old keys to their new ones.
    void moveEntries(const KeyChanges& changes, uint64_t rowId);
    // The unique-key counts changed since saved to the definition.
    void saveCounts();

    // Index pages laid out once at the end (writePending) instead of after every row.
    void setDeferredWrites(bool deferred);
    void writePending();

    // --- Lookups (throw JetError for a damaged index) -----------------------------------
    // As Table::indexLookup and Table::indexRange.
    std::optional<std::vector<uint64_t>> lookup(size_t position, const Value& value, bool& complete);
    bool lookupMayMiss(size_t position, const Value& stored);
    std::optional<std::vector<uint64_t>> range(size_t position, const std::optional<int64_t>& low, bool lowInclusive,
                                               const std::optional<int64_t>& high, bool highInclusive);

private:
    State* lookupState(size_t position);
    Key newKey(State& x, const std::vector<KeyValue>& values);
    Key storedKey(State& x, const std::vector<KeyValue>& values);
    void requireUnique(State& x, const Key& key, const std::vector<KeyValue>& values, uint64_t rowId);

    TableBasis m_table;
    std::vector<State> m_states;
    bool m_loaded = false;
    bool m_deferredWrites = false;
};

}  // namespace db::jet
