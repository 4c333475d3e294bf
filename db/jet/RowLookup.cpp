// Lookups by column value: the B-trees first, kept keys for the rest.
#include "db/jet/RowLookup.h"

#include "db/jet/CaseFold.h"
#include "db/jet/PageFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace db::jet {

namespace {

// How a column's values are keyed.
enum class KeyKind { None, Integer, Real, Text };

KeyKind keyKind(const ColumnDef& c)
{
    if (c.isCalculated())
        return KeyKind::None;
    switch (c.type) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::BigInt:
        return KeyKind::Integer;
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
        return KeyKind::Real;
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::DateTime:
    case ColumnType::Guid:
    case ColumnType::Numeric:
        return KeyKind::Text;
    default:
        return KeyKind::None;
    }
}

bool wholeNumberColumn(const ColumnDef& c)
{
    return c.type == ColumnType::Long || c.type == ColumnType::Integer || c.type == ColumnType::Byte
           || c.type == ColumnType::BigInt;
}

// Keys sort as their values do: a range of values is a range of keys.
std::string orderedKey(char kind, uint64_t bits)
{
    std::string k(9, kind);
    for (int i = 0; i < 8; ++i)
        k[static_cast<size_t>(1 + i)] = static_cast<char>(bits >> (56 - 8 * i));
    return k;
}

std::string integerKey(int64_t v) { return orderedKey('i', static_cast<uint64_t>(v) ^ (uint64_t(1) << 63)); }

std::string realKey(double v)
{
    if (v == 0)
        v = 0;  // -0.0 equals 0.0
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return orderedKey('r', (bits >> 63) ? ~bits : bits | (uint64_t(1) << 63));
}

bool textKey(const std::string& text, std::string& key)
{
    if (!foldedKey(text, key))
        return false;
    key.insert(0, 1, 't');
    return true;
}

// The key of a stored value; false when the value can never equal anything (NULL).
bool storedKey(KeyKind kind, const Value& v, std::string& key)
{
    switch (v.kind) {
    case Value::Kind::Integer:
        key = kind == KeyKind::Real ? realKey(static_cast<double>(v.integer)) : integerKey(v.integer);
        return true;
    case Value::Kind::Real:
        if (std::isnan(v.real))
            return false;
        key = realKey(v.real);
        return true;
    case Value::Kind::Text:
        if (!textKey(v.bytes, key))
            key = "b" + v.bytes;  // undecodable text is matched by the table scan only
        return true;
    default:
        return false;
    }
}

// The one rule for a number compared with a whole-number column. Exact (equality): only a
// whole number can be equal. Up and Down (a range's lower and upper bound) round inwards,
// which keeps every whole number the bound lets through.
enum class Rounding { Exact, Up, Down };
enum class Probe { Key, NoRows, Scan };

Probe wholeNumber(double d, Rounding r, int64_t& out)
{
    if (std::isnan(d))
        return Probe::NoRows;
    const double w = r == Rounding::Up ? std::ceil(d) : r == Rounding::Down ? std::floor(d) : d;
    if (w != std::floor(w))
        return Probe::NoRows;
    if (!(w > -9.2e18 && w < 9.2e18))
        return Probe::Scan;  // beyond what a double tells apart from its neighbours
    out = static_cast<int64_t>(w);
    return Probe::Key;
}

// The key to look up for `value` against a column of `kind`: NoRows when no value of the
// column can match, Scan when keys cannot decide (SQL would convert the value first).
Probe probeKey(KeyKind kind, const Value& value, Rounding r, std::string& key)
{
    switch (value.kind) {
    case Value::Kind::Null:
        return Probe::NoRows;
    case Value::Kind::Integer:
        if (kind == KeyKind::Integer) {
            key = integerKey(value.integer);
            return Probe::Key;
        }
        if (kind == KeyKind::Real && value.integer > -(int64_t(1) << 53) && value.integer < (int64_t(1) << 53)) {
            key = realKey(static_cast<double>(value.integer));
            return Probe::Key;
        }
        return Probe::Scan;
    case Value::Kind::Real: {
        if (std::isnan(value.real))
            return Probe::NoRows;
        if (kind == KeyKind::Real) {
            key = realKey(value.real);
            return Probe::Key;
        }
        if (kind != KeyKind::Integer)
            return Probe::Scan;
        int64_t whole = 0;
        const Probe p = wholeNumber(value.real, r, whole);
        if (p == Probe::Key)
            key = integerKey(whole);
        return p;
    }
    case Value::Kind::Text:
        return kind == KeyKind::Text && textKey(value.bytes, key) ? Probe::Key : Probe::Scan;
    default:
        return Probe::Scan;
    }
}

// A bound of a range for the B-tree, where its key order is the order of the numbers.
bool wholeBound(const Value& value, Rounding r, std::optional<int64_t>& out)
{
    int64_t whole = 0;
    if (value.kind == Value::Kind::Integer)
        out = value.integer;
    else if (value.kind == Value::Kind::Real && wholeNumber(value.real, r, whole) == Probe::Key)
        out = whole;
    else
        return false;
    return true;
}

// NoRows wins over Scan, Scan over Key.
Probe worse(Probe a, Probe b)
{
    if (a == Probe::NoRows || b == Probe::NoRows)
        return Probe::NoRows;
    return a == Probe::Scan || b == Probe::Scan ? Probe::Scan : Probe::Key;
}

}  // namespace

void RowLookup::ColumnKeys::add(const std::string& key, uint64_t rowId)
{
    std::vector<uint32_t>& rows = keys[key];
    const auto at = std::lower_bound(rows.begin(), rows.end(), static_cast<uint32_t>(rowId));
    if (at == rows.end() || *at != rowId)
        rows.insert(at, static_cast<uint32_t>(rowId));
    if (key.empty() || key[0] == 'b')
        ordered = false;
    else if (key[0] == 't')
        // Folded text sorts as the case-insensitive collations only while it is ASCII
        // (NOCASE leaves Ä where it is, the folding moves it to ä).
        for (size_t i = 1; i < key.size(); ++i)
            if (static_cast<unsigned char>(key[i]) >= 0x80)
                ordered = false;
}

void RowLookup::ColumnKeys::remove(const std::string& key, uint64_t rowId)
{
    const auto it = keys.find(key);
    if (it == keys.end())
        return;
    std::vector<uint32_t>& rows = it->second;
    const auto at = std::lower_bound(rows.begin(), rows.end(), static_cast<uint32_t>(rowId));
    if (at != rows.end() && *at == rowId)
        rows.erase(at);
    if (rows.empty())
        keys.erase(it);
}

bool RowLookup::keyed(size_t column) const { return keyKind(m_table.def().columns.at(column)) != KeyKind::None; }

bool RowLookup::quick(size_t column) const
{
    if (m_columns.count(column))
        return true;
    const TableDef& def = m_table.def();
    const uint16_t number = def.columns.at(column).number;
    for (const IndexDef& x : def.indexes)
        if (!x.columns.empty() && x.columns.front().columnNumber == number)
            return true;
    return false;
}

bool RowLookup::rangeable(size_t column) const
{
    const ColumnDef& c = m_table.def().columns.at(column);
    const KeyKind kind = keyKind(c);
    // Decimals are text to SQL but compare as numbers: their text order is no help.
    return kind == KeyKind::Integer || kind == KeyKind::Real || (kind == KeyKind::Text && c.type != ColumnType::Numeric);
}

bool RowLookup::textKeyed(size_t column) const { return keyKind(m_table.def().columns.at(column)) == KeyKind::Text; }

void RowLookup::sync()
{
    // Kept keys describe the pages as they were: a rollback may have put other bytes
    // back, and a cascade from another table may have changed rows of this one.
    const uint64_t g = m_file.generation();
    const uint64_t c = m_table.changeCount();
    if (g != m_generation || c != m_changes) {
        m_columns.clear();
        m_generation = g;
        m_changes = c;
    }
}

RowLookup::ColumnKeys& RowLookup::keysOf(size_t column, bool partial)
{
    sync();
    auto it = m_columns.find(column);
    if (it != m_columns.end() && (partial || !it->second.partial))
        return it->second;
    const KeyKind kind = keyKind(m_table.def().columns.at(column));
    ColumnKeys keys;
    keys.partial = partial;
    Table::ScanState scan;
    Table::Row row;
    std::string key;
    while (m_table.next(scan, row)) {
        const Value value = m_table.value(row, column);
        if (storedKey(kind, value, key) && keeps(keys, column, value))
            keys.add(key, row.rowId);
    }
    return m_columns.insert_or_assign(column, std::move(keys)).first->second;
}

bool RowLookup::keeps(const ColumnKeys& kept, size_t column, const Value& stored)
{
    return !kept.partial || m_table.indexLookupMayMiss(column, stored);
}

std::optional<std::vector<uint64_t>> RowLookup::equal(size_t column, const Value& value)
{
    const KeyKind kind = keyKind(m_table.def().columns.at(column));
    if (kind == KeyKind::None)
        return std::nullopt;
    std::string key;
    const Probe probe = probeKey(kind, value, Rounding::Exact, key);
    if (probe == Probe::NoRows)
        return std::vector<uint64_t>{};
    // Access's B-tree answers where its key is certain; the rows it may miss (a rare case
    // variant keyed apart) are kept in memory.
    bool complete = true;
    if (auto rows = m_table.indexLookup(column, value, complete)) {
        if (complete)
            return rows;
        if (probe != Probe::Key)
            return std::nullopt;
        const ColumnKeys& missed = keysOf(column, true);
        const auto it = missed.keys.find(key);
        if (it != missed.keys.end()) {
            rows->insert(rows->end(), it->second.begin(), it->second.end());
            std::sort(rows->begin(), rows->end());
            rows->erase(std::unique(rows->begin(), rows->end()), rows->end());
        }
        return rows;
    }
    if (probe != Probe::Key)
        return std::nullopt;
    const ColumnKeys& keys = keysOf(column, false);
    std::vector<uint64_t> rows;
    const auto it = keys.keys.find(key);
    if (it != keys.keys.end())
        rows.assign(it->second.begin(), it->second.end());  // a copy: the statement may change the keys
    return rows;
}

std::optional<std::vector<uint64_t>> RowLookup::range(size_t column, const std::optional<Value>& low,
                                                      const std::optional<Value>& high)
{
    const KeyKind kind = keyKind(m_table.def().columns.at(column));
    if (kind == KeyKind::None || !rangeable(column))
        return std::nullopt;
    std::string lowKey, highKey;
    Probe probe = Probe::Key;
    if (low)
        probe = worse(probe, probeKey(kind, *low, Rounding::Up, lowKey));
    if (high)
        probe = worse(probe, probeKey(kind, *high, Rounding::Down, highKey));
    if (probe == Probe::NoRows)
        return std::vector<uint64_t>{};
    if (probe != Probe::Key)
        return std::nullopt;
    if (kind == KeyKind::Integer) {
        std::optional<int64_t> lo, hi;
        if ((!low || wholeBound(*low, Rounding::Up, lo)) && (!high || wholeBound(*high, Rounding::Down, hi)))
            if (auto rows = m_table.indexRange(column, lo, true, hi, true))
                return rows;
    }
    const ColumnKeys& keys = keysOf(column, false);
    if (!keys.ordered)
        return std::nullopt;
    // Every key of the column has the kind's prefix, so the open ends stay inside them.
    const std::string prefix(1, kind == KeyKind::Integer ? 'i' : kind == KeyKind::Real ? 'r' : 't');
    auto from = keys.keys.lower_bound(low ? lowKey : prefix);
    const auto to = high ? keys.keys.upper_bound(highKey) : keys.keys.end();
    std::vector<uint64_t> rows;
    for (; from != keys.keys.end() && from != to; ++from)
        rows.insert(rows.end(), from->second.begin(), from->second.end());
    return rows;
}

RowLookup::Keys RowLookup::rowKeys(const Table::Row* row, const std::vector<std::optional<Value>>* changing)
{
    Keys keys;
    for (const auto& [column, kept] : m_columns) {
        if (changing && !changing->at(column))
            continue;
        std::optional<std::string> key;
        std::string k;
        if (row) {
            const Value value = m_table.value(*row, column);
            if (storedKey(keyKind(m_table.def().columns.at(column)), value, k) && keeps(kept, column, value))
                key = std::move(k);
        }
        keys.emplace_back(column, std::move(key));
    }
    return keys;
}

void RowLookup::move(uint64_t rowId, const Keys& before, const Keys& after)
{
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i].second == after[i].second)
            continue;
        const auto kept = m_columns.find(before[i].first);
        if (kept == m_columns.end())
            continue;
        if (before[i].second)
            kept->second.remove(*before[i].second, rowId);
        if (after[i].second)
            kept->second.add(*after[i].second, rowId);
    }
}

void RowLookup::settle(uint64_t changesBefore)
{
    // Only the change itself: what a cascade did to this table is not in the keys.
    if (m_table.changeCount() == changesBefore + 1)
        m_changes = m_table.changeCount();
}

RowLookup::Change RowLookup::beforeRemove(uint64_t rowId)
{
    sync();
    Change change{rowId, m_table.changeCount(), {}};
    if (!m_columns.empty()) {
        Table::Row row;
        const bool found = m_table.fetch(rowId, row);
        change.keys = rowKeys(found ? &row : nullptr, nullptr);
    }
    return change;
}

void RowLookup::afterRemove(const Change& change)
{
    Keys none = change.keys;
    for (auto& k : none)
        k.second.reset();
    move(change.rowId, change.keys, none);
    settle(change.tableChanges);
}

RowLookup::Change RowLookup::beforeInsert()
{
    sync();
    return Change{0, m_table.changeCount(), {}};
}

void RowLookup::afterInsert(Change change, uint64_t rowId)
{
    if (!m_columns.empty()) {
        Table::Row row;
        const bool found = m_table.fetch(rowId, row);
        const Keys after = rowKeys(found ? &row : nullptr, nullptr);
        Keys none = after;
        for (auto& k : none)
            k.second.reset();
        move(rowId, none, after);
    }
    settle(change.tableChanges);
}

RowLookup::Change RowLookup::beforeUpdate(uint64_t rowId)
{
    sync();
    return Change{rowId, m_table.changeCount(), {}};
}

void RowLookup::oldRow(Change& change, const Table::Row& row, const std::vector<std::optional<Value>>& values)
{
    // Only the keys of columns the statement sets can change.
    change.keys = rowKeys(&row, &values);
}

void RowLookup::afterUpdate(const Change& change, const std::vector<std::optional<Value>>& values)
{
    if (change.keys.empty()) {
        settle(change.tableChanges);
        return;
    }
    // Text into a text column and a whole number into a whole-number column are stored
    // as they are: their keys need not be read back.
    Keys after = change.keys;
    bool plain = true;
    for (auto& [column, key] : after) {
        const ColumnDef& c = m_table.def().columns.at(column);
        const Value& v = *values.at(column);
        std::string k;
        if (c.type == ColumnType::Boolean || c.isCalculated())
            plain = false;  // NULL stores false there
        else if (v.kind == Value::Kind::Null)
            key.reset();
        else if ((c.type == ColumnType::Text || c.type == ColumnType::Memo) && v.kind == Value::Kind::Text
                 && textKey(v.bytes, k)) {
            const auto kept = m_columns.find(column);
            if (kept == m_columns.end() || keeps(kept->second, column, v))
                key = std::move(k);
            else
                key.reset();
        } else if (wholeNumberColumn(c) && v.kind == Value::Kind::Integer)
            key = integerKey(v.integer);
        else
            plain = false;
    }
    if (!plain) {
        Table::Row row;
        const bool found = m_table.fetch(change.rowId, row);
        after = rowKeys(found ? &row : nullptr, &values);
    }
    move(change.rowId, change.keys, after);
    settle(change.tableChanges);
}

}  // namespace db::jet
