// The relationship rules of one table: the relationships with enforced integrity that it
// takes part in, checked on every row change (a reference needs its parent row; a key that
// other rows refer to keeps them, takes them along in a cascade, or refuses the change),
// the cascades carried out in the other tables, and Access's German texts for the refusals.
// Layer: table; keys and B-trees through IndexSet.h, the other tables through Table.h;
// no SQL.
#pragma once

#include "db/jet/IndexKey.h"
#include "db/jet/TableDef.h"
#include "db/jet/ValueCodec.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

class IndexSet;
class Table;
struct TableRow;

// One row change as cascades see it: asked for by a caller (depth 0) or set off by the
// change of a row in another table, `depth` cascades down. Each level holds its own copy,
// so that nothing is to be undone when an exception passes through.
struct RowChange {
    int depth = 0;

    bool outermost() const { return depth == 0; }
    RowChange cascaded() const { return RowChange{depth + 1}; }
};

// One relationship whose other table holds rows that refer to a row of this table.
struct ChildRows {
    const IndexDef* relationship;  // this table's side (referenced)
    Table* table;
    const IndexDef* index;  // the other table's side
    std::vector<uint64_t> rows;
};

class RelationshipRules {
public:
    // The tables a relationship names, by their TDEF page.
    using TableResolver = std::function<Table*(uint32_t tableDefPage)>;

    // `def` and `indexes` are the owner's; `def` read again after a rollback.
    RelationshipRules(Table& owner, const TableDef& def, IndexSet& indexes);

    // Without a resolver, a change that a relationship with enforced integrity would
    // check is refused.
    void setResolver(TableResolver resolver) { m_resolver = std::move(resolver); }

    // Every reference of this table in `values` (`rawLong` as IndexSet) names a row of its
    // parent table; with `changed`, only references on a changed column are looked at.
    void requireParents(const std::vector<EncodedValue>& values, const std::vector<bool>& rawLong,
                        const std::vector<bool>* changed);
    // The rows of other tables that refer to `row` of this table; with `changed`, only
    // through keys on a changed column.
    std::vector<ChildRows> childRows(const TableRow& row, const std::vector<bool>* changed);

    // The references of a row whose keys change checked: new references have a parent,
    // and the rows referring to a key that changes (`trees`: the real indexes whose entry
    // moves) are handed back to be updated; refused where a relationship does not
    // cascade updates.
    std::vector<ChildRows> checkKeyChange(const TableRow& old, const std::vector<EncodedValue>& values,
                                          const std::vector<bool>& rawLong, const std::vector<bool>& keyColumns,
                                          const std::set<uint32_t>& trees);

    // The children of a row that goes deleted, or their references set to NULL, as the
    // relationships say; refused before anything changes where one forbids it.
    void cascadeDelete(const std::vector<ChildRows>& children, const RowChange& change);
    // The children of row `rowId` (already changed) given its new key.
    void cascadeUpdate(const std::vector<ChildRows>& children, uint64_t rowId, const RowChange& change);

private:
    struct OtherSide;
    // The other table of `relationship`, its index and the key `values` have there;
    // refused when the relationship names a table or an index that does not exist.
    OtherSide otherSide(const IndexDef& relationship, const std::vector<KeyValue>& values);
    static std::string hasChildrenText(const std::string& child);

    Table& m_owner;
    const TableDef& m_def;
    IndexSet& m_indexes;
    TableResolver m_resolver;
};

}  // namespace db::jet
