// The indexes of a table as its rows change: keys, entries, unique keys, and lookups
// through the B-trees (docs/access-format.md).
#include "db/jet/IndexSet.h"

#include "db/jet/DatabaseHeader.h"
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

IndexSet::IndexSet(const TableBasis& table) : m_table(table)
{
}

IndexSet::~IndexSet() = default;

void IndexSet::reset()
{
    m_states.clear();
    m_loaded = false;
}

void IndexSet::requireKnown() const
{
    // Asked before every row change: counted without a set (a table has a few dozen).
    const std::vector<IndexDef>& all = m_table.def.indexes;
    size_t reals = 0;
    for (size_t i = 0; i < all.size(); ++i)
        reals += std::none_of(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(i),
                              [&](const IndexDef& x) { return x.realIndex == all[i].realIndex; });
    if (reals < m_table.def.realIndexCount)
        throw JetError("Die Tabelle \"" + m_table.name + "\" kann nicht geändert werden: Sie hat Indexdaten, zu denen "
                       "die Definition keinen Index nennt.");
}

std::vector<IndexSet::State>& IndexSet::states()
{
    if (m_loaded)
        return m_states;
    m_states.clear();
    std::map<uint32_t, size_t> byReal;
    for (const IndexDef& x : m_table.def.indexes) {
        const auto [it, fresh] = byReal.emplace(x.realIndex, m_states.size());
        if (fresh) {
            m_states.emplace_back();
            m_states.back().realIndex = x.realIndex;
            m_states.back().uniqueCount = x.uniqueEntryCount;
        }
        State& s = m_states[it->second];
        s.logical.push_back(&x);
        s.names += (s.names.empty() ? "" : ", ") + x.name;
        s.unique = s.unique || x.isUnique();
        s.noNulls = s.noNulls || x.isPrimaryKey() || x.isRequired();
        s.ignoreNulls = x.ignoresNulls();
    }
    try {
        for (State& s : m_states) {
            s.encoder = std::make_unique<IndexKeyEncoder>(m_table.name, m_table.def, s.index(), m_table.header);
            for (size_t i = 0; i < s.encoder->columnCount(); ++i)
                s.positions.push_back(static_cast<size_t>(&s.encoder->column(i) - m_table.def.columns.data()));
            s.tree = std::make_unique<IndexTree>(m_table.file, m_table.format, m_table.space, m_table.def.page, s.index(), s.names);
            s.tree->setDeferredWrites(m_deferredWrites);
        }
    } catch (...) {
        m_states.clear();
        throw;
    }
    m_loaded = true;
    return m_states;
}

void IndexSet::setDeferredWrites(bool deferred)
{
    m_deferredWrites = deferred;
    for (State& s : states())
        s.tree->setDeferredWrites(deferred);
}

void IndexSet::writePending()
{
    for (State& s : states())
        s.tree->writePending();
}

IndexSet::State* IndexSet::stateOf(const IndexDef& logical)
{
    for (State& s : states())
        if (s.realIndex == logical.realIndex)
            return &s;
    return nullptr;
}

const IndexDef* IndexSet::logicalIndex(uint32_t number)
{
    states();
    for (const IndexDef& x : m_table.def.indexes)
        if (x.number == number)
            return &x;
    return nullptr;
}

std::vector<KeyValue> IndexSet::keyValuesOfRow(const State& x, const TableRow& row)
{
    std::vector<KeyValue> values;
    for (size_t pos : x.positions) {
        const FieldSpan& f = row.fields.at(pos);
        const ColumnDef& c = m_table.def.columns[pos];
        const bool data = f.present && c.type != ColumnType::Boolean;
        values.push_back(keyValueOfField(m_table.file, m_table.format, m_table.header.codePage, c, f.present,
                                         data ? row.bytes.sub(f.offset, f.length, "Spaltendaten") : ByteView()));
    }
    return values;
}

std::vector<KeyValue> IndexSet::keyValuesOfEncoded(const State& x, const std::vector<EncodedValue>& values,
                                                   const std::vector<bool>& rawLong)
{
    std::vector<KeyValue> out;
    for (size_t pos : x.positions) {
        const EncodedValue& v = values.at(pos);
        const ColumnDef& c = m_table.def.columns[pos];
        const ByteView bytes(v.bytes.data(), v.bytes.size());
        if (c.type == ColumnType::Memo && v.present && rawLong.at(pos)) {
            // The memo's text itself, before it went to a long value.
            std::u16string units;
            utf8ToUtf16(decodeJet4Text(bytes), units);
            out.push_back(KeyValue::ofText(std::move(units)));
        } else {
            out.push_back(keyValueOfField(m_table.file, m_table.format, m_table.header.codePage, c, v.present, bytes));
        }
    }
    return out;
}

IndexSet::Key IndexSet::newKey(State& x, const std::vector<KeyValue>& values)
{
    size_t nulls = 0;
    for (const KeyValue& v : values)
        nulls += v.isNull() ? 1 : 0;
    if (nulls == values.size() && x.ignoreNulls)
        return std::nullopt;
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = x.encoder->column(i);
        if (values[i].isNull() && x.noNulls)
            throw JetError("Index oder Primärschlüssel kann keinen Nullwert enthalten (Tabelle \"" + m_table.name
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
            if (!values[i].isNull() && !keyTypeCertain(c.type, x.index().columns[i].ascending, m_table.header.ace))
                typeNote = " (Feld \"" + c.name + "\", Typ " + typeName(c.type) + ")";
        }
        throw UncertainKeyError("Die Tabelle \"" + m_table.name + "\" kann nicht geändert werden" + typeNote + ": " + e.what());
    }
    if (key.size() > x.tree->maxKeyLength())
        throw JetError("Die Tabelle \"" + m_table.name + "\" kann nicht geändert werden: Der Schlüssel für den Index \""
                       + x.names + "\" wäre mit " + std::to_string(key.size()) + " Bytes zu lang.");
    return key;
}

IndexSet::Key IndexSet::storedKey(State& x, const std::vector<KeyValue>& values)
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

void IndexSet::requireUnique(State& x, const Key& key, const std::vector<KeyValue>& values, uint64_t rowId)
{
    // Access compares only the key bytes (so letter case does not make a text unique)
    // and lets any number of entries without a value share a unique index.
    if (!x.unique || !key || allNull(values))
        return;
    if (x.tree->hasKey(*key, rowId))
        throw JetError(kDuplicateText + std::string(" (Tabelle \"" + m_table.name + "\", Index \"" + x.names + "\")"));
}

std::vector<IndexSet::Key> IndexSet::keysOfNewRow(const std::vector<EncodedValue>& values,
                                                  const std::vector<bool>& rawLong)
{
    std::vector<State>& all = states();
    std::vector<Key> keys(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        const std::vector<KeyValue> kv = keyValuesOfEncoded(all[i], values, rawLong);
        keys[i] = newKey(all[i], kv);
        requireUnique(all[i], keys[i], kv, ~uint64_t(0));
    }
    return keys;
}

std::vector<IndexSet::Key> IndexSet::keysOfStoredRow(const TableRow& row)
{
    std::vector<State>& all = states();
    std::vector<Key> keys(all.size());
    for (size_t i = 0; i < all.size(); ++i)
        keys[i] = storedKey(all[i], keyValuesOfRow(all[i], row));
    return keys;
}

IndexSet::KeyChanges IndexSet::keyChanges(const TableRow& old, uint64_t rowId, const std::vector<EncodedValue>& values,
                                          const std::vector<bool>& rawLong, const std::vector<bool>& changed)
{
    std::vector<State>& all = states();
    KeyChanges out;
    out.before.resize(all.size());
    out.after.resize(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        State& x = all[i];
        if (std::none_of(x.positions.begin(), x.positions.end(), [&](size_t p) { return changed[p]; }))
            continue;
        const std::vector<KeyValue> kv = keyValuesOfEncoded(x, values, rawLong);
        Key before = storedKey(x, keyValuesOfRow(x, old));
        Key after = newKey(x, kv);
        if (before == after && !(before && before->empty()))
            continue;  // letter case, say: the entry stays as it is
        requireUnique(x, after, kv, rowId);
        out.before[i] = std::move(before);
        out.after[i] = std::move(after);
        out.trees.insert(x.realIndex);
    }
    out.columns.assign(values.size(), false);
    for (const State& x : all)
        if (out.trees.count(x.realIndex))
            for (size_t p : x.positions)
                out.columns[p] = true;
    return out;
}

void IndexSet::addEntries(const std::vector<Key>& keys, uint64_t rowId)
{
    std::vector<State>& all = states();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!keys[i])
            continue;
        if (!all[i].tree->insert(*keys[i], rowId)) {
            // A key that neither neighbour has: Access counts it, and never counts down.
            ++all[i].uniqueCount;
            all[i].countChanged = true;
        }
    }
}

void IndexSet::removeEntries(const std::vector<Key>& keys, uint64_t rowId)
{
    std::vector<State>& all = states();
    for (size_t i = 0; i < all.size(); ++i) {
        if (!keys[i])
            continue;
        const bool removed = keys[i]->empty() ? all[i].tree->removeRow(rowId) : all[i].tree->remove(*keys[i], rowId);
        if (!removed)
            throw JetError("Der Index \"" + all[i].names + "\" der Tabelle \"" + m_table.name
                           + "\" hat keinen Eintrag für die Zeile auf Seite " + std::to_string(rowIdPage(rowId))
                           + ", Platz " + std::to_string(rowIdSlot(rowId))
                           + "; er passt nicht zur Tabelle (edvara-sql --check zeigt, was nicht stimmt). Die Änderung "
                             "wird nicht ausgeführt.");
    }
}

void IndexSet::moveEntries(const KeyChanges& changes, uint64_t rowId)
{
    removeEntries(changes.before, rowId);
    addEntries(changes.after, rowId);
    saveCounts();
}

void IndexSet::saveCounts()
{
    for (State& s : states()) {
        if (!s.countChanged)
            continue;
        writeIndexUniqueCount(m_table.file, m_table.format, m_table.def.page, s.realIndex, s.uniqueCount);
        for (IndexDef& x : m_table.def.indexes)
            if (x.realIndex == s.realIndex)
                x.uniqueEntryCount = s.uniqueCount;
        s.countChanged = false;
    }
}

// --- Lookups ------------------------------------------------------------------------

IndexSet::State* IndexSet::lookupState(size_t position)
{
    for (State& s : states())
        if (!s.positions.empty() && s.positions.front() == position)
            return &s;
    return nullptr;
}

std::optional<std::vector<uint64_t>> IndexSet::lookup(size_t position, const Value& v, bool& complete)
{
    State* s = lookupState(position);
    if (!s)
        return std::nullopt;
    // An uncertain key (a type or character) makes tryEncodePrefix decline.
    const std::optional<KeyValue> kv = keyValueForLookup(m_table.def.columns[position], v);
    if (!kv)
        return std::nullopt;
    const std::optional<std::vector<uint8_t>> prefix = s->encoder->tryEncodePrefix({*kv}, complete);
    if (!prefix)
        return std::nullopt;
    std::vector<uint64_t> rows = s->tree->rowsWithPrefix(*prefix);
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool IndexSet::lookupMayMiss(size_t position, const Value& stored)
{
    State* s = lookupState(position);
    if (!s || stored.kind != Value::Kind::Text)
        return false;
    const std::optional<KeyValue> kv = keyValueForLookup(m_table.def.columns[position], stored);
    return !kv || s->encoder->lookupMayMiss(*kv);
}

std::optional<std::vector<uint64_t>> IndexSet::range(size_t position, const std::optional<int64_t>& low,
                                                     bool lowInclusive, const std::optional<int64_t>& high,
                                                     bool highInclusive)
{
    for (State& s : states()) {
        if (s.positions.empty() || s.positions.front() != position)
            continue;
        const ColumnDef& c = m_table.def.columns[position];
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
