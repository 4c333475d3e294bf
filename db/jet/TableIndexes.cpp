// The indexes of a table as its rows change: keys, entries, unique keys, relationships
// and their cascades, and lookups through the B-trees (docs/access-format.md).
// Layer: table (the second half of Table.cpp); keys through IndexKey.h, pages through
// IndexWriter.h; no SQL. Where no fixture shows Access's rule, it refuses, never guesses.
#include "db/jet/TableIndexes.h"

#include "db/jet/DatabaseHeader.h"
#include "db/jet/IndexWriter.h"
#include "db/jet/Text.h"

#include <algorithm>
#include <map>

namespace db::jet {

namespace {

// Access's own texts for the rules it enforces (Jet's German messages).
const char* const kDuplicateText =
    "Die von Ihnen vorgenommenen Änderungen an der Tabelle konnten nicht vorgenommen werden, da der Index, "
    "Primärschlüssel oder die Beziehung mehrfach vorkommende Werte enthalten würde. Ändern Sie die Daten in den "
    "Feldern, die gleiche Daten enthalten, entfernen Sie den Index, oder definieren Sie den Index neu, damit doppelte "
    "Einträge möglich sind, und versuchen Sie es erneut.";

std::string noParentText(const std::string& parent)
{
    return "Der Datensatz kann nicht hinzugefügt oder geändert werden, da ein Datensatz in der Tabelle '" + parent
           + "' mit diesem Datensatz in Beziehung stehen muss.";
}

// Cascades that lead back to where they started must end somewhere.
constexpr int kMaxCascadeDepth = 32;
thread_local int t_cascadeDepth = 0;

std::string typeName(ColumnType t)
{
    switch (t) {
    case ColumnType::Boolean: return "Ja/Nein";
    case ColumnType::Byte: return "Byte";
    case ColumnType::Integer: return "Integer";
    case ColumnType::Long: return "Long Integer";
    case ColumnType::Currency: return "Währung";
    case ColumnType::Single: return "Single";
    case ColumnType::Double: return "Double";
    case ColumnType::DateTime: return "Datum/Uhrzeit";
    case ColumnType::Binary: return "Binär";
    case ColumnType::Text: return "Text";
    case ColumnType::Ole: return "OLE-Objekt";
    case ColumnType::Memo: return "Memo";
    case ColumnType::Guid: return "Replikations-ID";
    case ColumnType::Numeric: return "Dezimal";
    case ColumnType::BigInt: return "Große Zahl";
    default: return "Typ " + std::to_string(static_cast<int>(t));
    }
}

bool allNull(const std::vector<KeyValue>& values)
{
    return std::all_of(values.begin(), values.end(), [](const KeyValue& v) { return v.isNull(); });
}

}  // namespace

std::vector<Table::IndexState>& Table::indexStates()
{
    sync();
    if (m_indexesLoaded)
        return m_indexes;
    m_indexes.clear();
    std::map<uint32_t, size_t> byReal;
    for (const IndexDef& x : m_def.indexes) {
        const auto [it, fresh] = byReal.emplace(x.realIndex, m_indexes.size());
        if (fresh) {
            m_indexes.emplace_back();
            m_indexes.back().realIndex = x.realIndex;
            m_indexes.back().uniqueCount = x.uniqueEntryCount;
        }
        IndexState& s = m_indexes[it->second];
        s.logical.push_back(&x);
        s.names += (s.names.empty() ? "" : ", ") + x.name;
        s.unique = s.unique || x.isUnique();
        s.noNulls = s.noNulls || x.isPrimaryKey() || x.isRequired();
        s.ignoreNulls = x.ignoresNulls();
    }
    try {
        for (IndexState& s : m_indexes) {
            s.encoder = std::make_unique<IndexKeyEncoder>(m_name, m_def, s.index(), m_header);
            for (size_t i = 0; i < s.encoder->columnCount(); ++i)
                s.positions.push_back(static_cast<size_t>(&s.encoder->column(i) - m_def.columns.data()));
            s.tree = std::make_unique<IndexTree>(m_file, m_format, m_space, m_def.page, s.index(), s.names);
            s.tree->setDeferredWrites(m_deferredIndexWrites);
        }
    } catch (...) {
        m_indexes.clear();
        throw;
    }
    m_indexesLoaded = true;
    return m_indexes;
}

void Table::setDeferredIndexWrites(bool deferred)
{
    m_deferredIndexWrites = deferred;
    for (IndexState& s : indexStates())
        s.tree->setDeferredWrites(deferred);
}

void Table::writeIndexPages()
{
    for (IndexState& s : indexStates())
        s.tree->writePending();
}

Table::IndexState* Table::stateOf(const IndexDef& logical)
{
    for (IndexState& s : indexStates())
        if (s.realIndex == logical.realIndex)
            return &s;
    return nullptr;
}

const IndexDef* Table::logicalIndex(uint32_t number)
{
    // Brought up to date first: a rollback since this table's last use makes the next
    // look at its states read the definition again, which would leave the pointer behind.
    indexStates();
    for (const IndexDef& x : m_def.indexes)
        if (x.number == number)
            return &x;
    return nullptr;
}

std::string Table::duplicateMessage() const { return kDuplicateText; }

std::string Table::hasChildrenText(const std::string& child)
{
    return "Der Datensatz kann nicht gelöscht oder geändert werden, da die Tabelle '" + child
           + "' in Beziehung stehende Datensätze enthält.";
}

std::vector<KeyValue> Table::keyValuesOfRow(const IndexState& x, const Row& row)
{
    std::vector<KeyValue> values;
    for (size_t pos : x.positions) {
        const FieldSpan& f = row.fields.at(pos);
        const ColumnDef& c = m_def.columns[pos];
        const bool data = f.present && c.type != ColumnType::Boolean;
        values.push_back(keyValueOfField(m_file, m_format, m_header.codePage, c, f.present,
                                         data ? row.bytes.sub(f.offset, f.length, "Spaltendaten") : ByteView()));
    }
    return values;
}

std::vector<KeyValue> Table::keyValuesOfEncoded(const IndexState& x, const std::vector<EncodedValue>& values,
                                                const std::vector<bool>& rawLong)
{
    std::vector<KeyValue> out;
    for (size_t pos : x.positions) {
        const EncodedValue& v = values.at(pos);
        const ColumnDef& c = m_def.columns[pos];
        const ByteView bytes(v.bytes.data(), v.bytes.size());
        if (c.type == ColumnType::Memo && v.present && rawLong.at(pos)) {
            // The memo's text itself, before it went to a long value.
            std::u16string units;
            utf8ToUtf16(decodeJet4Text(bytes), units);
            out.push_back(KeyValue::ofText(std::move(units)));
        } else {
            out.push_back(keyValueOfField(m_file, m_format, m_header.codePage, c, v.present, bytes));
        }
    }
    return out;
}

Table::Key Table::newKey(IndexState& x, const std::vector<KeyValue>& values)
{
    size_t nulls = 0;
    for (const KeyValue& v : values)
        nulls += v.isNull() ? 1 : 0;
    if (nulls == values.size() && x.ignoreNulls)
        return std::nullopt;
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = x.encoder->column(i);
        if (values[i].isNull() && x.noNulls)
            throw JetError("Index oder Primärschlüssel kann keinen Nullwert enthalten (Tabelle \"" + m_name
                           + "\", Index \"" + x.names + "\", Feld \"" + c.name + "\").");
    }
    std::vector<uint8_t> key;
    try {
        key = x.encoder->encode(values, KeyMode::Strict).bytes;
    } catch (const UncertainKeyError& e) {
        // The encoder names value and index; the type says why a whole column is refused.
        std::string typeNote;
        for (size_t i = 0; i < values.size(); ++i) {
            const ColumnDef& c = x.encoder->column(i);
            if (!values[i].isNull() && !keyTypeCertain(c.type, x.index().columns[i].ascending, m_header.ace))
                typeNote = " (Feld \"" + c.name + "\", Typ " + typeName(c.type) + ")";
        }
        throw UncertainKeyError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden" + typeNote + ": " + e.what());
    }
    if (key.size() > x.tree->maxKeyLength())
        throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: Der Schlüssel für den Index \""
                       + x.names + "\" wäre mit " + std::to_string(key.size()) + " Bytes zu lang.");
    return key;
}

Table::Key Table::storedKey(IndexState& x, const std::vector<KeyValue>& values, uint64_t)
{
    if (allNull(values) && x.ignoreNulls)
        return std::nullopt;
    try {
        return x.encoder->encode(values, KeyMode::Strict).bytes;
    } catch (const UncertainKeyError&) {
    }
    try {
        return x.encoder->encode(values, KeyMode::Lenient).bytes;
    } catch (const UncertainKeyError&) {
        // A character without any code: the entry is found by its row (removeEntries).
        return std::vector<uint8_t>{};
    }
}

void Table::requireUnique(IndexState& x, const Key& key, const std::vector<KeyValue>& values, uint64_t rowId)
{
    // Access compares only the key bytes (so letter case does not make a text unique)
    // and lets any number of entries without a value share a unique index.
    if (!x.unique || !key || allNull(values))
        return;
    if (x.tree->hasKey(*key, rowId))
        throw JetError(duplicateMessage() + " (Tabelle \"" + m_name + "\", Index \"" + x.names + "\")");
}

void Table::requireParents(const std::vector<EncodedValue>& values, const std::vector<bool>& rawLong,
                           const std::vector<bool>* changed)
{
    indexStates();  // the definition current before its list is walked (see childRows)
    for (const IndexDef& fk : m_def.indexes) {
        if (!fk.isReferencing())
            continue;
        IndexState* own = stateOf(fk);
        if (!own)
            continue;
        if (changed && std::none_of(own->positions.begin(), own->positions.end(),
                                    [&](size_t p) { return (*changed)[p]; }))
            continue;
        const std::vector<KeyValue> keyValues = keyValuesOfEncoded(*own, values, rawLong);
        size_t nulls = 0;
        for (const KeyValue& v : keyValues)
            nulls += v.isNull() ? 1 : 0;
        if (nulls == keyValues.size())
            continue;  // a reference without a value refers to nothing, as Access allows
        if (nulls > 0)
            throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: Die Beziehung \"" + fk.name
                           + "\" verbindet mehrere Felder, von denen nur ein Teil einen Wert hätte; wie Access das "
                             "prüft, ist nicht sicher bekannt.");
        Table* parent = m_resolver ? m_resolver(fk.relatedTablePage) : nullptr;
        const IndexDef* parentIndex =
            parent && fk.relatedIndex >= 0 ? parent->logicalIndex(static_cast<uint32_t>(fk.relatedIndex)) : nullptr;
        IndexState* parentState = parentIndex ? parent->stateOf(*parentIndex) : nullptr;
        if (!parentState || parentState->positions.size() != keyValues.size())
            throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: Die Beziehung \"" + fk.name
                           + "\" nennt eine Tabelle oder einen Index, den es nicht gibt.");
        const std::vector<uint8_t> key = parentState->encoder->encode(keyValues, KeyMode::Strict).bytes;
        if (!parentState->tree->hasKey(key))
            throw JetError(noParentText(parent->name()));
    }
}

std::vector<Table::ChildRows> Table::childRows(const Row& row, const std::vector<bool>* changed)
{
    std::vector<ChildRows> out;
    // Re-reads the definition first if a rollback made it stale: stateOf() would do so
    // inside the loop and free the very list the loop walks.
    indexStates();
    for (const IndexDef& rel : m_def.indexes) {
        if (!rel.isForeignKey() || rel.relatedSide != kIndexRelatedReferenced)
            continue;
        IndexState* own = stateOf(rel);
        if (!own)
            continue;
        if (changed && std::none_of(own->positions.begin(), own->positions.end(),
                                    [&](size_t p) { return (*changed)[p]; }))
            continue;
        const std::vector<KeyValue> values = keyValuesOfRow(*own, row);
        if (std::any_of(values.begin(), values.end(), [](const KeyValue& v) { return v.isNull(); }))
            continue;  // nothing refers to a key without a value
        Table* child = m_resolver ? m_resolver(rel.relatedTablePage) : nullptr;
        const IndexDef* childIndex =
            child && rel.relatedIndex >= 0 ? child->logicalIndex(static_cast<uint32_t>(rel.relatedIndex)) : nullptr;
        IndexState* childState = childIndex ? child->stateOf(*childIndex) : nullptr;
        if (!childState || childState->positions.size() != values.size())
            throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: Die Beziehung \"" + rel.name
                           + "\" nennt eine Tabelle oder einen Index, den es nicht gibt.");
        const std::vector<uint8_t> key = childState->encoder->encode(values, KeyMode::Strict).bytes;
        std::vector<uint64_t> rows = childState->tree->rowsWithPrefix(key);
        if (!rows.empty())
            out.push_back({&rel, child, childIndex, std::move(rows)});
    }
    return out;
}

void Table::addEntries(const std::vector<Key>& keys, uint64_t rowId)
{
    std::vector<IndexState>& states = indexStates();
    for (size_t i = 0; i < states.size(); ++i) {
        if (!keys[i])
            continue;
        if (!states[i].tree->insert(*keys[i], rowId)) {
            // A key that neither neighbour has: Access counts it, and never counts down.
            ++states[i].uniqueCount;
            states[i].countChanged = true;
        }
    }
}

void Table::removeEntries(const std::vector<Key>& keys, uint64_t rowId)
{
    std::vector<IndexState>& states = indexStates();
    for (size_t i = 0; i < states.size(); ++i) {
        if (!keys[i])
            continue;
        const bool removed = keys[i]->empty() ? states[i].tree->removeRow(rowId) : states[i].tree->remove(*keys[i], rowId);
        if (!removed)
            throw JetError("Der Index \"" + states[i].names + "\" der Tabelle \"" + m_name
                           + "\" hat keinen Eintrag für die Zeile auf Seite " + std::to_string(rowIdPage(rowId))
                           + ", Platz " + std::to_string(rowIdSlot(rowId))
                           + "; er passt nicht zur Tabelle (edvara-sql --check zeigt, was nicht stimmt). Die Änderung "
                             "wird nicht ausgeführt.");
    }
}

void Table::saveIndexCounts()
{
    for (IndexState& s : indexStates()) {
        if (!s.countChanged)
            continue;
        writeIndexUniqueCount(m_file, m_format, m_def.page, s.realIndex, s.uniqueCount);
        for (IndexDef& x : m_def.indexes)
            if (x.realIndex == s.realIndex)
                x.uniqueEntryCount = s.uniqueCount;
        s.countChanged = false;
    }
}

void Table::cascadeDelete(const std::vector<ChildRows>& children)
{
    // Refused first, so that nothing is deleted when any relationship forbids it.
    for (const ChildRows& c : children)
        if (!c.relationship->cascadeDeletes && !c.relationship->cascadeSetNull)
            throw JetError(hasChildrenText(c.table->name()));
    if (children.empty())
        return;
    if (t_cascadeDepth >= kMaxCascadeDepth)
        throw JetError("Die Weitergabe der Löschung aus der Tabelle \"" + m_name + "\" reicht über mehr als "
                       + std::to_string(kMaxCascadeDepth) + " Tabellen; sie wird nicht ausgeführt.");
    ++t_cascadeDepth;
    try {
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
                    c.table->remove(rowId);
                else
                    c.table->update(rowId, nulls);
            }
        }
    } catch (...) {
        --t_cascadeDepth;
        throw;
    }
    --t_cascadeDepth;
}

void Table::cascadeUpdate(const std::vector<ChildRows>& children, uint64_t rowId)
{
    if (children.empty())
        return;
    if (t_cascadeDepth >= kMaxCascadeDepth)
        throw JetError("Die Weitergabe der Änderung aus der Tabelle \"" + m_name + "\" reicht über mehr als "
                       + std::to_string(kMaxCascadeDepth) + " Tabellen; sie wird nicht ausgeführt.");
    Row row;
    if (!fetch(rowId, row))
        throw JetError("Interner Fehler: Die geänderte Zeile der Tabelle \"" + m_name + "\" fehlt.");
    ++t_cascadeDepth;
    try {
        for (const ChildRows& c : children) {
            std::vector<Value> fresh;
            for (const IndexColumn& ic : c.relationship->columns)
                for (size_t p = 0; p < m_def.columns.size(); ++p)
                    if (m_def.columns[p].number == ic.columnNumber)
                        fresh.push_back(value(row, p));
            const TableDef& childDef = c.table->def();
            std::vector<std::optional<Value>> values(childDef.columns.size());
            for (size_t k = 0; k < c.index->columns.size() && k < fresh.size(); ++k)
                for (size_t p = 0; p < childDef.columns.size(); ++p)
                    if (childDef.columns[p].number == c.index->columns[k].columnNumber)
                        values[p] = fresh[k];
            for (uint64_t child : c.rows)
                c.table->update(child, values);
        }
    } catch (...) {
        --t_cascadeDepth;
        throw;
    }
    --t_cascadeDepth;
}

// --- Lookups ------------------------------------------------------------------------

std::optional<std::vector<uint64_t>> Table::indexLookup(size_t position, const Value& v)
{
    try {
        for (IndexState& s : indexStates()) {
            if (s.positions.empty() || s.positions.front() != position)
                continue;
            const ColumnDef& c = m_def.columns[position];
            // An uncertain key (a type or character) makes tryEncodePrefix decline.
            const std::optional<KeyValue> kv = keyValueForLookup(c, v);
            if (!kv)
                return std::nullopt;
            const std::optional<std::vector<uint8_t>> prefix = s.encoder->tryEncodePrefix({*kv});
            if (!prefix)
                return std::nullopt;
            std::vector<uint64_t> rows = s.tree->rowsWithPrefix(*prefix);
            std::sort(rows.begin(), rows.end());
            return rows;
        }
    } catch (const JetError&) {
        // A damaged index (the check reports it) leaves lookups to the table's rows.
    }
    return std::nullopt;
}

std::optional<std::vector<uint64_t>> Table::indexRange(size_t position, const std::optional<int64_t>& low,
                                                       bool lowInclusive, const std::optional<int64_t>& high,
                                                       bool highInclusive)
{
    try {
        return indexRangeOf(position, low, lowInclusive, high, highInclusive);
    } catch (const JetError&) {
        return std::nullopt;  // as indexLookup
    }
}

std::optional<std::vector<uint64_t>> Table::indexRangeOf(size_t position, const std::optional<int64_t>& low,
                                                         bool lowInclusive, const std::optional<int64_t>& high,
                                                         bool highInclusive)
{
    for (IndexState& s : indexStates()) {
        if (s.positions.empty() || s.positions.front() != position)
            continue;
        const ColumnDef& c = m_def.columns[position];
        // Only where the key order is the order of the whole numbers themselves.
        int64_t least = 0, most = 0;
        switch (c.type) {
        case ColumnType::Byte: least = 0, most = 255; break;
        case ColumnType::Integer: least = INT16_MIN, most = INT16_MAX; break;
        case ColumnType::Long: least = INT32_MIN, most = INT32_MAX; break;
        default: return std::nullopt;
        }
        auto inRange = [&](int64_t v) { return v >= least && v <= most; };
        auto bound = [&](int64_t v, bool inclusive) -> std::optional<KeyBound> {
            if (!inRange(v))
                return std::nullopt;
            return KeyBound{s.encoder->encodePrefix({KeyValue::ofInteger(v)}).bytes, inclusive};
        };
        const bool ascending = s.index().columns.front().ascending;
        std::optional<KeyBound> lower, upper;
        const std::optional<int64_t>& first = ascending ? low : high;
        const std::optional<int64_t>& last = ascending ? high : low;
        const bool firstInclusive = ascending ? lowInclusive : highInclusive;
        const bool lastInclusive = ascending ? highInclusive : lowInclusive;
        // A bound beyond what the column holds: no narrowing on that side.
        if (first && inRange(*first))
            lower = bound(*first, firstInclusive);
        else if (ascending)
            lower = KeyBound{{kKeyAscendingNull}, false};  // NULLs first; never in a range
        if (last && inRange(*last))
            upper = bound(*last, lastInclusive);
        else if (!ascending)
            upper = KeyBound{{kKeyDescendingNull}, false};  // NULLs last in descending order
        std::vector<uint64_t> rows = s.tree->rowsInRange(lower, upper);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    return std::nullopt;
}

}  // namespace db::jet
