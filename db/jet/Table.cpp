// A table's row changes in their steps: the checks first, then the row store, the index
// set and the cascades; and the reads, passed on to the row store.
#include "db/jet/Table.h"

#include "db/jet/DatabaseHeader.h"

#include <algorithm>
#include <exception>

namespace db::jet {

// A row change that sets off cascades made atomic: every rule of the row itself is checked
// before its first byte changes, but a cascade into another table can still be refused
// after this row and other rows changed. A mark of the page file is set before the first
// write, released when the change is done and rolled back to when it fails, so that the
// file is as before the row whatever the caller does next. Cascaded changes run inside the
// outer change's mark, so only the outermost change sets one.
class Table::Atomic {
public:
    Atomic(PageFile& file, bool enabled) : m_file(file), m_exceptions(std::uncaught_exceptions())
    {
        if (enabled) {
            m_level = file.markCount();
            file.savepoint(m_level);
        }
    }
    ~Atomic()
    {
        if (m_level < 0)
            return;
        if (std::uncaught_exceptions() > m_exceptions)
            m_file.rollbackTo(m_level);
        m_file.release(m_level);
    }
    Atomic(const Atomic&) = delete;
    Atomic& operator=(const Atomic&) = delete;

private:
    PageFile& m_file;
    int m_exceptions;
    int m_level = -1;
};

// The values of an update as they will be stored.
struct Table::UpdatedValues {
    std::vector<EncodedValue> encoded;  // one per column
    std::vector<bool> writeLong;        // long values given as their data, to be written
    std::vector<bool> changed;          // columns whose bytes change
    std::vector<std::vector<uint8_t>> freeAfter;  // the column bytes of long values replaced
};

// A value list for one update, taken from the table's spares and given back after it.
class Table::SpareValues {
public:
    explicit SpareValues(std::vector<std::unique_ptr<UpdatedValues>>& spares) : m_spares(spares)
    {
        if (spares.empty()) {
            m_values = std::make_unique<UpdatedValues>();
        } else {
            m_values = std::move(spares.back());
            spares.pop_back();
        }
    }
    ~SpareValues()
    {
        try {
            m_spares.push_back(std::move(m_values));
        } catch (...) {
            // Without room for it the list is simply not kept.
        }
    }
    SpareValues(const SpareValues&) = delete;
    SpareValues& operator=(const SpareValues&) = delete;
    UpdatedValues& operator*() { return *m_values; }

private:
    std::vector<std::unique_ptr<UpdatedValues>>& m_spares;
    std::unique_ptr<UpdatedValues> m_values;
};

Table::Table(PageFile& file, const DatabaseHeader& header, Space& space, std::string name, TableDef def,
             ColumnRules rules)
    : m_file(file),
      m_header(header),
      m_format(header.format()),
      m_name(std::move(name)),
      m_def(std::move(def)),
      m_rules(std::move(rules)),
      m_rows(TableBasis{file, header, m_format, space, m_name, m_def}),
      m_indexes(TableBasis{file, header, m_format, space, m_name, m_def}),
      m_relationships(*this, m_def, m_indexes),
      m_generation(file.generation())
{
}

Table::~Table() = default;

void Table::sync()
{
    if (m_generation == m_file.generation())
        return;
    // A rollback may have put back counters, maps and pages: read them again.
    m_def = readTableDef(m_file, m_format, m_def.page, m_header.codePage);
    m_rows.reset();
    m_indexes.reset();
    m_generation = m_file.generation();
}

const TableDef& Table::def()
{
    sync();
    return m_def;
}

IndexSet& Table::indexes()
{
    sync();
    return m_indexes;
}

// --- Reading ---------------------------------------------------------------------------

const std::vector<uint32_t>& Table::dataPages()
{
    sync();
    return m_rows.pages();
}

bool Table::next(ScanState& state, Row& row)
{
    sync();
    return m_rows.next(state, row);
}

bool Table::fetch(uint64_t rowId, Row& row)
{
    sync();
    return m_rows.fetch(rowId, row);
}

Value Table::value(const Row& row, size_t index) { return m_rows.value(row, index); }

std::optional<std::vector<uint64_t>> Table::indexLookup(size_t position, const Value& value, bool& complete)
{
    try {
        return indexes().lookup(position, value, complete);
    } catch (const JetError&) {
        // A damaged index (the check reports it) leaves lookups to the table's rows.
        return std::nullopt;
    }
}

bool Table::indexLookupMayMiss(size_t position, const Value& stored)
{
    try {
        return indexes().lookupMayMiss(position, stored);
    } catch (const JetError&) {
        return true;  // as indexLookup
    }
}

std::optional<std::vector<uint64_t>> Table::indexRange(size_t position, const std::optional<int64_t>& low,
                                                       bool lowInclusive, const std::optional<int64_t>& high,
                                                       bool highInclusive)
{
    try {
        return indexes().range(position, low, lowInclusive, high, highInclusive);
    } catch (const JetError&) {
        return std::nullopt;  // as indexLookup
    }
}

// --- Writing ---------------------------------------------------------------------------

std::string Table::writeRefusal()
{
    if (!m_file.writable())
        return "Die Datei " + m_file.path() + " ist nur zum Lesen geöffnet.";
    if (m_format.jet3)
        return "Die Datei " + m_file.path() + " ist eine Access-97-Datenbank; solche Dateien werden nur gelesen.";
    if (m_header.ace)
        return "Die Datei " + m_file.path()
               + " ist eine Access-2007-Datenbank (.accdb); solche Dateien werden nur gelesen.";
    return {};
}

void Table::requireWritable()
{
    const std::string why = writeRefusal();
    if (!why.empty())
        throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: " + why);
    if (!m_file.inUnit())
        throw JetError("Interner Fehler: Die Tabelle \"" + m_name + "\" wird außerhalb einer Änderung geschrieben.");
    sync();
}

void Table::requireValueCount(size_t count) const
{
    if (count != m_def.columns.size())
        throw JetError("Tabelle \"" + m_name + "\": " + std::to_string(count) + " Werte für "
                       + std::to_string(m_def.columns.size()) + " Spalten.");
}

void Table::setDeferredIndexWrites(bool deferred) { indexes().setDeferredWrites(deferred); }

void Table::writeIndexPages() { indexes().writePending(); }

std::vector<EncodedValue> Table::encodeNewRow(const std::vector<Value>& values, std::vector<bool>& writeLong,
                                              uint32_t& lastAutoNumber) const
{
    std::vector<EncodedValue> encoded(values.size());
    writeLong.assign(values.size(), false);
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        Value v = values[i];
        if (c.isAutoNumber()) {
            if (v.kind == Value::Kind::Null) {
                if (lastAutoNumber >= 0x7FFFFFFF)
                    throw JetError(m_rows.describe(c) + " hat keine AutoWerte mehr frei.");
                v = Value::ofInteger(++lastAutoNumber);
            }
        }
        encoded[i] = encodeValue(c, v, m_format, m_name);
        if (c.isAutoNumber()) {
            const int64_t n = static_cast<int32_t>(ByteView(encoded[i].bytes.data(), 4).u32(0, "AutoWert"));
            if (n > static_cast<int64_t>(lastAutoNumber))
                lastAutoNumber = static_cast<uint32_t>(n);
        }
        writeLong[i] = c.isLongValue();
    }
    return encoded;
}

uint64_t Table::insert(const std::vector<Value>& values, const std::vector<ColumnGiven>& given)
{
    requireWritable();
    requireValueCount(values.size());
    m_indexes.requireKnown();

    const std::vector<Value> filled = m_rules.insertRow(m_name, m_def.columns, values, given);
    std::vector<bool> writeLong;
    uint32_t lastAutoNumber = m_def.lastAutoNumber;
    std::vector<EncodedValue> encoded = encodeNewRow(filled, writeLong, lastAutoNumber);
    // Every key, every rule first: a refused row leaves no trace.
    const std::vector<IndexSet::Key> keys = m_indexes.keysOfNewRow(encoded, writeLong);
    m_relationships.requireParents(encoded, writeLong, nullptr);

    const std::vector<uint8_t> row = m_rows.finishRow(encoded, writeLong);
    const RowPointer at = m_rows.place(row);
    const uint64_t id = makeRowId(at.page, at.row);
    m_indexes.addEntries(keys, id);
    m_indexes.saveCounts();
    m_rows.rowAdded(lastAutoNumber);
    ++m_changes;
    return id;
}

void Table::encodeUpdate(const Row& old, const std::vector<std::optional<Value>>& values, UpdatedValues& out) const
{
    // The lists keep their buffers from the row before: a stored value is copied into
    // the room its column had then.
    out.encoded.resize(values.size());
    out.writeLong.assign(values.size(), false);
    out.changed.assign(values.size(), false);
    out.freeAfter.clear();
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        const FieldSpan& f = old.fields[i];
        const ByteView storedView = f.present && c.type != ColumnType::Boolean
                                        ? old.bytes.sub(f.offset, f.length, "Spaltendaten")
                                        : ByteView(nullptr, 0);
        if (!values[i]) {
            out.encoded[i].present = f.present;
            out.encoded[i].bytes.assign(storedView.data(), storedView.data() + storedView.size());
            continue;
        }
        EncodedValue fresh = encodeValue(c, *values[i], m_format, m_name);
        if (c.isLongValue()) {
            EncodedValue stored;
            stored.present = f.present;
            stored.bytes.assign(storedView.data(), storedView.data() + storedView.size());
            // The same data again keeps the stored long value as it is.
            if (fresh.present == stored.present
                && (!fresh.present
                    || readLongValue(m_file, m_format, ByteView(stored.bytes.data(), stored.bytes.size()))
                           == std::string(fresh.bytes.begin(), fresh.bytes.end()))) {
                out.encoded[i] = std::move(stored);
                continue;
            }
            out.changed[i] = true;
            out.writeLong[i] = fresh.present;
            if (stored.present)
                out.freeAfter.push_back(stored.bytes);
            out.encoded[i] = std::move(fresh);
            continue;
        }
        const bool same = fresh.present == f.present && fresh.bytes.size() == storedView.size()
                          && std::equal(fresh.bytes.begin(), fresh.bytes.end(), storedView.data());
        if (!same) {
            out.changed[i] = true;
            if (c.isAutoNumber())
                throw JetError(m_rows.describe(c) + " ist ein AutoWert und kann nicht geändert werden.");
        }
        out.encoded[i] = std::move(fresh);
    }
}

bool Table::keepsItsBytes(const Row& old, const UpdatedValues& updated) const
{
    // The row may still be laid out differently from how this engine would write it: it
    // stays as it is.
    if (!updated.freeAfter.empty()
        || std::find(updated.writeLong.begin(), updated.writeLong.end(), true) != updated.writeLong.end())
        return false;
    for (size_t i = 0; i < updated.encoded.size(); ++i) {
        const FieldSpan& f = old.fields[i];
        const ColumnDef& c = m_def.columns[i];
        const EncodedValue& e = updated.encoded[i];
        const bool same = e.present == f.present
                          && (!f.present || c.type == ColumnType::Boolean
                              || (e.bytes.size() == f.length
                                  && std::equal(e.bytes.begin(), e.bytes.end(), old.bytes.data() + f.offset)));
        if (!same)
            return false;
    }
    return true;
}

void Table::update(uint64_t rowId, const std::vector<std::optional<Value>>& values,
                   const std::function<void(const Row&)>& before)
{
    updateRow(RowChange{}, rowId, values, before);
}

void Table::updateRow(const RowChange& change, uint64_t rowId, const std::vector<std::optional<Value>>& values,
                      const std::function<void(const Row&)>& before)
{
    requireWritable();
    requireValueCount(values.size());
    m_indexes.requireKnown();
    Row old;
    if (!fetch(rowId, old))
        throw JetError("Die Zeile " + std::to_string(rowId) + " der Tabelle \"" + m_name + "\" gibt es nicht mehr.");
    if (before)
        before(old);
    const RowStore::Location at = m_rows.locate(rowId, old);

    SpareValues spare(m_spareValues);
    UpdatedValues& updated = *spare;
    encodeUpdate(old, values, updated);
    m_rules.checkUpdate(m_name, m_def.columns, values, updated.changed);
    if (keepsItsBytes(old, updated))
        return;

    // The indexes whose key bytes change, their rules, and the rows of other tables
    // that refer to the old keys; all before anything is written.
    const IndexSet::KeyChanges keys =
        m_indexes.keyChanges(old, rowId, updated.encoded, updated.writeLong, updated.changed);
    std::vector<ChildRows> children;
    if (keys.any())
        children = m_relationships.checkKeyChange(old, updated.encoded, updated.writeLong, keys.columns, keys.trees);
    // Everything this row needs was checked; only a cascade can still be refused after
    // the first byte changed.
    const Atomic atomic(m_file, change.outermost() && m_atomicRows && !children.empty());
    old = Row{};  // the pages below change; the old bytes must not be read again

    m_rows.rewrite(at, m_rows.finishRow(updated.encoded, updated.writeLong));
    m_rows.freeLongValues(updated.freeAfter);
    if (keys.any())
        m_indexes.moveEntries(keys, rowId);
    ++m_changes;
    m_relationships.cascadeUpdate(children, rowId, change);
}

void Table::remove(uint64_t rowId) { removeRow(RowChange{}, rowId); }

void Table::removeRow(const RowChange& change, uint64_t rowId)
{
    requireWritable();
    m_indexes.requireKnown();
    if (m_removing.count(rowId))
        return;  // a cascade that came back to the row it started from
    Row old;
    if (!fetch(rowId, old))
        return;  // already gone
    const std::vector<ChildRows> children = m_relationships.childRows(old, nullptr);
    const Atomic atomic(m_file, change.outermost() && m_atomicRows && !children.empty());
    if (!children.empty()) {
        // Marked as under way while the cascade runs, whichever way it ends.
        struct Removing {
            std::set<uint64_t>& rows;
            uint64_t row;
            ~Removing() { rows.erase(row); }
        } removing{m_removing, rowId};
        m_removing.insert(rowId);
        m_relationships.cascadeDelete(children, change);
    }
    // The cascade may have changed this table too.
    if (!children.empty() && !fetch(rowId, old))
        return;
    const std::vector<IndexSet::Key> keys = m_indexes.keysOfStoredRow(old);
    const std::vector<std::vector<uint8_t>> longValues = m_rows.longValueFields(old);
    const uint32_t bytesPage = old.page->number;
    old = Row{};
    m_indexes.removeEntries(keys, rowId);
    m_rows.freeLongValues(longValues);
    m_rows.erase(rowId, bytesPage);
    m_rows.rowRemoved();
    ++m_changes;
}

}  // namespace db::jet
