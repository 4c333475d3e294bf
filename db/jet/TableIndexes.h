// What a table keeps per index B-tree while it writes: the logical indexes sharing it, the
// rules they impose, the key encoder and the tree; and the rows of another table that a
// relationship ties to a row. Shared by the two halves of the table (Table.cpp and
// TableIndexes.cpp); nothing else includes it.
// Layer: table.
#pragma once

#include "db/jet/IndexWriter.h"
#include "db/jet/Table.h"

#include <memory>
#include <string>
#include <vector>

namespace db::jet {

struct Table::IndexState {
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

// One relationship whose other table holds rows that refer to a row of this table.
struct Table::ChildRows {
    const IndexDef* relationship;  // this table's side (referenced)
    Table* table;
    const IndexDef* index;  // the other table's side
    std::vector<uint64_t> rows;
};

}  // namespace db::jet
