// Relationships with enforced integrity on a row change: parents required, children
// found, cascades of deletes and updates carried out in the other tables.
#include "db/jet/RelationshipRules.h"

#include "db/jet/IndexSet.h"
#include "db/jet/Table.h"

#include <algorithm>

namespace db::jet {

namespace {

// Access's own text when a reference names no row (Jet's German message).
std::string noParentText(const std::string& parent)
{
    return "Der Datensatz kann nicht hinzugefügt oder geändert werden, da ein Datensatz in der Tabelle '" + parent
           + "' mit diesem Datensatz in Beziehung stehen muss.";
}

// Cascades that lead back to where they started must end somewhere.
constexpr int kMaxCascadeDepth = 32;

bool onChanged(const IndexSet::State& x, const std::vector<bool>* changed)
{
    return !changed || std::any_of(x.positions.begin(), x.positions.end(), [&](size_t p) { return (*changed)[p]; });
}

}  // namespace

RelationshipRules::RelationshipRules(Table& owner, const TableDef& def, IndexSet& indexes)
    : m_owner(owner), m_def(def), m_indexes(indexes)
{
}

std::string RelationshipRules::hasChildrenText(const std::string& child)
{
    return "Der Datensatz kann nicht gelöscht oder geändert werden, da die Tabelle '" + child
           + "' in Beziehung stehende Datensätze enthält.";
}

struct RelationshipRules::OtherSide {
    Table* table;
    const IndexDef* index;
    IndexSet::State* state;
    std::vector<uint8_t> key;
};

RelationshipRules::OtherSide RelationshipRules::otherSide(const IndexDef& relationship,
                                                          const std::vector<KeyValue>& values)
{
    Table* other = m_resolver ? m_resolver(relationship.relatedTablePage) : nullptr;
    // The other table's definition brought up to date before its index is looked up.
    IndexSet* indexes = other ? &other->indexes() : nullptr;
    const IndexDef* index = indexes && relationship.relatedIndex >= 0
                                ? indexes->logicalIndex(static_cast<uint32_t>(relationship.relatedIndex))
                                : nullptr;
    IndexSet::State* state = index ? indexes->stateOf(*index) : nullptr;
    if (!state || state->positions.size() != values.size())
        throw JetError("Die Tabelle \"" + m_owner.name() + "\" kann nicht geändert werden: Die Beziehung \""
                       + relationship.name + "\" nennt eine Tabelle oder einen Index, den es nicht gibt.");
    return {other, index, state, state->encoder->encode(values, KeyMode::Strict).bytes};
}

void RelationshipRules::requireParents(const std::vector<EncodedValue>& values, const std::vector<bool>& rawLong,
                                       const std::vector<bool>* changed)
{
    for (const IndexDef& fk : m_def.indexes) {
        if (!fk.isReferencing())
            continue;
        IndexSet::State* own = m_indexes.stateOf(fk);
        if (!own || !onChanged(*own, changed))
            continue;
        const std::vector<KeyValue> keyValues = m_indexes.keyValuesOfEncoded(*own, values, rawLong);
        size_t nulls = 0;
        for (const KeyValue& v : keyValues)
            nulls += v.isNull() ? 1 : 0;
        if (nulls == keyValues.size())
            continue;  // a reference without a value refers to nothing, as Access allows
        if (nulls > 0)
            throw JetError("Die Tabelle \"" + m_owner.name() + "\" kann nicht geändert werden: Die Beziehung \""
                           + fk.name
                           + "\" verbindet mehrere Felder, von denen nur ein Teil einen Wert hätte; wie Access das "
                             "prüft, ist nicht sicher bekannt.");
        const OtherSide parent = otherSide(fk, keyValues);
        if (!parent.state->tree->hasKey(parent.key))
            throw JetError(noParentText(parent.table->name()));
    }
}

std::vector<ChildRows> RelationshipRules::childRows(const TableRow& row, const std::vector<bool>* changed)
{
    std::vector<ChildRows> out;
    for (const IndexDef& rel : m_def.indexes) {
        if (!rel.isForeignKey() || rel.relatedSide != kIndexRelatedReferenced)
            continue;
        IndexSet::State* own = m_indexes.stateOf(rel);
        if (!own || !onChanged(*own, changed))
            continue;
        const std::vector<KeyValue> values = m_indexes.keyValuesOfRow(*own, row);
        if (std::any_of(values.begin(), values.end(), [](const KeyValue& v) { return v.isNull(); }))
            continue;  // nothing refers to a key without a value
        const OtherSide child = otherSide(rel, values);
        std::vector<uint64_t> rows = child.state->tree->rowsWithPrefix(child.key);
        if (!rows.empty())
            out.push_back({&rel, child.table, child.index, std::move(rows)});
    }
    return out;
}

std::vector<ChildRows> RelationshipRules::checkKeyChange(const TableRow& old, const std::vector<EncodedValue>& values,
                                                         const std::vector<bool>& rawLong,
                                                         const std::vector<bool>& keyColumns,
                                                         const std::set<uint32_t>& trees)
{
    requireParents(values, rawLong, &keyColumns);
    std::vector<ChildRows> children;
    for (ChildRows& c : childRows(old, &keyColumns)) {
        if (!trees.count(m_indexes.stateOf(*c.relationship)->realIndex))
            continue;
        if (!c.relationship->cascadeUpdates)
            throw JetError(hasChildrenText(c.table->name()));
        children.push_back(std::move(c));
    }
    return children;
}

void RelationshipRules::cascadeDelete(const std::vector<ChildRows>& children, const RowChange& change)
{
    // Refused first, so that nothing is deleted when any relationship forbids it.
    for (const ChildRows& c : children)
        if (!c.relationship->cascadeDeletes && !c.relationship->cascadeSetNull)
            throw JetError(hasChildrenText(c.table->name()));
    if (children.empty())
        return;
    if (change.depth >= kMaxCascadeDepth)
        throw JetError("Die Weitergabe der Löschung aus der Tabelle \"" + m_owner.name() + "\" reicht über mehr als "
                       + std::to_string(kMaxCascadeDepth) + " Tabellen; sie wird nicht ausgeführt.");
    const RowChange cascaded = change.cascaded();
    for (const ChildRows& c : children) {
        const TableDef& childDef = c.table->def();
        std::vector<std::optional<Value>> nulls(childDef.columns.size());
        if (c.relationship->cascadeSetNull)
            for (const IndexColumn& ic : c.index->columns)
                for (size_t p = 0; p < childDef.columns.size(); ++p)
                    if (childDef.columns[p].number == ic.columnNumber)
                        nulls[p] = Value::null();
        for (uint64_t rowId : c.rows) {
            if (c.relationship->cascadeDeletes)
                c.table->removeRow(cascaded, rowId);
            else
                c.table->updateRow(cascaded, rowId, nulls, {});
        }
    }
}

void RelationshipRules::cascadeUpdate(const std::vector<ChildRows>& children, uint64_t rowId, const RowChange& change)
{
    if (children.empty())
        return;
    if (change.depth >= kMaxCascadeDepth)
        throw JetError("Die Weitergabe der Änderung aus der Tabelle \"" + m_owner.name() + "\" reicht über mehr als "
                       + std::to_string(kMaxCascadeDepth) + " Tabellen; sie wird nicht ausgeführt.");
    TableRow row;
    if (!m_owner.fetch(rowId, row))
        throw JetError("Interner Fehler: Die geänderte Zeile der Tabelle \"" + m_owner.name() + "\" fehlt.");
    const RowChange cascaded = change.cascaded();
    for (const ChildRows& c : children) {
        std::vector<Value> fresh;
        for (const IndexColumn& ic : c.relationship->columns)
            for (size_t p = 0; p < m_def.columns.size(); ++p)
                if (m_def.columns[p].number == ic.columnNumber)
                    fresh.push_back(m_owner.value(row, p));
        const TableDef& childDef = c.table->def();
        std::vector<std::optional<Value>> values(childDef.columns.size());
        for (size_t k = 0; k < c.index->columns.size() && k < fresh.size(); ++k)
            for (size_t p = 0; p < childDef.columns.size(); ++p)
                if (childDef.columns[p].number == c.index->columns[k].columnNumber)
                    values[p] = fresh[k];
        for (uint64_t child : c.rows)
            c.table->updateRow(cascaded, child, values, {});
    }
}

}  // namespace db::jet
