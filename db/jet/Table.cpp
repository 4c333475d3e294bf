// Row access, value decoding and row changes.
#include "db/jet/Table.h"

#include "db/jet/DatabaseHeader.h"
#include "db/jet/TableIndexes.h"
#include "db/jet/Space.h"

#include <algorithm>
#include <exception>

namespace db::jet {

namespace {

// A page stays in the table's map of pages with room while at least this many bytes are
// free on it; below that no row of an Edvara table fits anyway.
constexpr uint32_t kMinRoom = 64;

bool sameField(const EncodedValue& a, const EncodedValue& b) { return a.present == b.present && a.bytes == b.bytes; }

// Row changes that a change of another row sets off (cascades) belong to the outer one.
thread_local int t_rowChangeDepth = 0;

}  // namespace

// A row change that sets off cascades made atomic: every rule of the row itself is checked
// before its first byte changes, but a cascade into another table can still be refused
// after this row and other rows changed. A mark of the page file is set before the first
// write, released when the change is done and rolled back to when it fails, so that the
// file is as before the row whatever the caller does next. Cascaded changes run inside the
// outer change's mark.
class Table::Atomic {
public:
    Atomic(PageFile& file, bool enabled) : m_file(file), m_exceptions(std::uncaught_exceptions())
    {
        if (t_rowChangeDepth++ == 0 && enabled) {
            m_level = file.markCount();
            file.savepoint(m_level);
        }
    }
    ~Atomic()
    {
        --t_rowChangeDepth;
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

// The pages a table's rows live on and those with room, loaded when a write first needs
// them and dropped whenever a rollback may have changed the maps.
struct Table::WriteState {
    UsageMap owned;
    UsageMap free;
    std::map<uint32_t, uint32_t> room;  // pages of the free map -> bytes a new row may use
    uint32_t hint = 0;                  // the page the last row went to
    std::map<uint16_t, std::unique_ptr<ColumnSpace>> longValues;

    WriteState(PageFile& file, const Format& format, uint32_t ownedMap, uint32_t freeMap)
        : owned(file, format, ownedMap), free(file, format, freeMap)
    {
    }
};

// Where the long values of one memo or OLE column go: pages of the column's own maps, the
// page this column used last, else a new long-value page recorded in the column's maps.
class Table::ColumnSpace : public LongValueSpace {
public:
    ColumnSpace(Table& table, const ColumnDef& column) : m_table(table)
    {
        const LongValueMaps* maps = table.m_def.longValueMapsOf(column.number);
        if (maps && maps->ownedPages)
            m_owned.emplace(table.m_file, table.m_format, maps->ownedPages);
        if (maps && maps->freePages)
            m_free.emplace(table.m_file, table.m_format, maps->freePages);
    }

    PageEdit pageFor(size_t length) override
    {
        PageFile& file = m_table.m_file;
        const Format& format = m_table.m_format;
        auto fits = [&](uint32_t page) {
            const PageRef p = file.page(page, "Langwert-Freiliste");
            const DataPage d(p, format);
            return d.isLongValuePage() && d.rowCount() < kMaxRowsWritten
                   && p->view().u16(kDataFreeSpace, "freier Platz") >= length + 2;
        };
        if (m_owned)
            m_owned->refresh();
        if (m_free)
            m_free->refresh();
        if (m_hint && fits(m_hint))
            return file.edit(m_hint);
        if (m_free)
            for (uint32_t page : m_free->pages())
                if (fits(page)) {
                    m_hint = page;
                    return file.edit(page);
                }
        const PageEdit page = m_table.m_space.allocate();
        DataPageWriter::initialize(*page, format, kLongValueOwner);
        const UsageMap::Allocate allocate = [this] { return m_table.m_space.allocate()->number; };
        if (m_owned)
            m_owned->add(page->number, allocate);
        if (m_free)
            m_free->add(page->number, allocate);
        m_hint = page->number;
        return page;
    }

private:
    Table& m_table;
    std::optional<UsageMap> m_owned;
    std::optional<UsageMap> m_free;
    uint32_t m_hint = 0;
};

Table::Table(PageFile& file, const DatabaseHeader& header, Space& space, std::string name, TableDef def,
             ColumnRules rules)
    : m_file(file),
      m_header(header),
      m_format(header.format()),
      m_space(space),
      m_name(std::move(name)),
      m_def(std::move(def)),
      m_rules(std::move(rules)),
      m_codec(std::make_unique<RowCodec>(m_def, m_format)),
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
    m_codec = std::make_unique<RowCodec>(m_def, m_format);
    m_pages.reset();
    m_write.reset();
    m_indexes.clear();
    m_indexesLoaded = false;
    m_generation = m_file.generation();
}

const TableDef& Table::def()
{
    sync();
    return m_def;
}

const std::vector<uint32_t>& Table::dataPages()
{
    sync();
    if (m_pages && !m_pagesStamps.current(m_file))
        m_pages.reset();  // the map changed since (also by this table's own writes)
    if (!m_pages) {
        const UsageMap map(m_file, m_format, m_def.ownedPagesMap);
        m_pages = map.pages();
        m_pagesStamps = map.stamps();
    }
    return *m_pages;
}

bool Table::resolve(const DataPage& page, unsigned slot, Row& row)
{
    const RowSlot s = page.slot(slot);
    if (s.deleted)
        return false;
    row.rowId = makeRowId(page.number(), slot);
    if (!s.overflow) {
        row.page = page.page();
        row.bytes = page.rowBytes(slot);
    } else {
        const RowPointer to = RowPointer::fromU32(page.rowBytes(slot).u32(0, "Verweis auf verschobene Zeile"));
        const DataPage target(m_file.page(to.page, "Verweis auf verschobene Zeile"), m_format);
        if (target.owner() != m_def.page)
            JET_CORRUPT(to.page, "Besitzer", "verschobene Zeile liegt auf einer Seite einer anderen Tabelle");
        if (target.slot(to.row).overflow)
            JET_CORRUPT(to.page, "Zeilentabelle", "verschobene Zeile verweist weiter");
        row.page = target.page();
        row.bytes = target.rowBytes(to.row);
    }
    m_codec->crack(row.bytes, row.fields);
    return true;
}

bool Table::next(ScanState& st, Row& row)
{
    const std::vector<uint32_t>& pages = dataPages();
    for (;;) {
        if (!st.started) {
            // The first page after the one read last: pages that a write added or gave
            // back meanwhile neither repeat nor skip a row.
            const auto it = std::upper_bound(pages.begin(), pages.end(), st.page);
            if (it == pages.end())
                return false;
            st.page = *it;
            st.slot = 0;
            st.started = true;
        }
        const PageRef p = m_file.page(st.page, "Belegungsliste");
        if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_def.page) {
            // A write since the scan began may have given the page back: then it left the map.
            if (!std::binary_search(pages.begin(), pages.end(), st.page)) {
                st.started = false;
                continue;
            }
            JET_CORRUPT(st.page, "Belegungsliste",
                        "die Tabelle \"" + m_name + "\" nennt die Seite als ihre Datenseite, sie ist aber "
                            + (p->type() == kPageData ? std::string("eine Datenseite einer anderen Tabelle")
                                                      : "keine Datenseite (Typ " + std::to_string(p->type()) + ")"));
        }
        const DataPage page(p, m_format);
        while (st.slot < page.rowCount()) {
            const unsigned slot = st.slot++;
            if (resolve(page, slot, row))
                return true;
        }
        st.started = false;
    }
}

bool Table::fetch(uint64_t rowId, Row& row)
{
    sync();
    const uint32_t pageNo = rowIdPage(rowId);
    if (rowId >> 32 || !m_file.hasPage(pageNo) || pageNo == 0)
        return false;
    const PageRef p = m_file.page(pageNo);
    if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_def.page)
        return false;
    const DataPage page(p, m_format);
    if (rowIdSlot(rowId) >= page.rowCount())
        return false;
    // A target of a moved row is flagged deleted, so it is never met under its own id.
    return resolve(page, rowIdSlot(rowId), row);
}

ValueContext Table::valueContext()
{
    return ValueContext{m_format, m_header.codePage,
                        [this](ByteView field) { return readLongValue(m_file, m_format, field); }, m_name};
}

Value Table::value(const Row& row, size_t index)
{
    const ColumnDef& c = m_def.columns.at(index);
    const FieldSpan& f = row.fields.at(index);
    const ByteView data = f.present && (c.type != ColumnType::Boolean || c.isCalculated())
                              ? row.bytes.sub(f.offset, f.length, "Spaltendaten")
                              : ByteView(nullptr, 0, row.bytes.page());
    return decodeValue(c, f.present, data, valueContext());
}

// --- Writing ---------------------------------------------------------------------------

std::string Table::writeRefusal()
{
    const std::string file = m_file.path();
    if (!m_file.writable())
        return "Die Datei " + file + " ist nur zum Lesen geöffnet.";
    if (m_format.jet3)
        return "Die Datei " + file + " ist eine Access-97-Datenbank; solche Dateien werden nur gelesen.";
    if (m_header.ace)
        return "Die Datei " + file + " ist eine Access-2007-Datenbank (.accdb); solche Dateien werden nur gelesen.";
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

Table::WriteState& Table::writer()
{
    sync();
    if (m_write) {
        // Maps another writer changed since (a neighbour row on the same page) are read again.
        m_write->owned.refresh();
        m_write->free.refresh();
    }
    if (!m_write) {
        auto w = std::make_unique<WriteState>(m_file, m_format, m_def.ownedPagesMap, m_def.freePagesMap);
        for (uint32_t page : w->free.pages()) {
            if (!w->owned.contains(page))
                JET_CORRUPT(page, "Freiliste",
                            "die Tabelle \"" + m_name + "\" führt die Seite als frei, besitzt sie aber nicht");
            const PageRef p = m_file.page(page, "Freiliste");
            if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_def.page)
                JET_CORRUPT(page, "Freiliste", "keine Datenseite der Tabelle \"" + m_name + "\"");
            const DataPage d(p, m_format);
            w->room[page] = d.rowCount() >= kMaxRowsWritten ? 0 : p->view().u16(kDataFreeSpace, "freier Platz");
        }
        m_write = std::move(w);
    }
    return *m_write;
}

std::string Table::describe(const ColumnDef& c) const { return "Das Feld \"" + c.name + "\" der Tabelle \"" + m_name + "\""; }

void Table::requireIndexesKnown()
{
    // Every B-tree must belong to an index whose columns and rules the definition names.
    std::set<uint32_t> reals;
    for (const IndexDef& x : m_def.indexes)
        reals.insert(x.realIndex);
    if (reals.size() < m_def.realIndexCount)
        throw JetError("Die Tabelle \"" + m_name + "\" kann nicht geändert werden: Sie hat Indexdaten, zu denen "
                       "die Definition keinen Index nennt.");
}

void Table::noteSpace(DataPageWriter& page)
{
    WriteState& w = writer();
    const uint32_t usable = page.rowCount() >= kMaxRowsWritten ? 0 : page.freeSpace();
    const UsageMap::Allocate allocate = [this] { return m_space.allocate()->number; };
    if (usable >= kMinRoom) {
        w.free.add(page.number(), allocate);
        w.room[page.number()] = usable;
    } else {
        w.free.remove(page.number());
        w.room.erase(page.number());
    }
}

void Table::pageEmptied(uint32_t page)
{
    WriteState& w = writer();
    w.owned.remove(page);
    w.free.remove(page);
    w.room.erase(page);
    if (w.hint == page)
        w.hint = 0;
    if (m_pages)
        m_pages->erase(std::remove(m_pages->begin(), m_pages->end(), page), m_pages->end());
    m_space.release(page);
}

RowPointer Table::place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoidA, uint32_t avoidB)
{
    WriteState& w = writer();
    const ByteView bytes(row.data(), row.size());
    const auto usable = [&](uint32_t page) {
        const auto r = w.room.find(page);
        return page != avoidA && page != avoidB && r != w.room.end() && r->second >= row.size() + 2;
    };
    uint32_t target = 0;
    if (w.hint && usable(w.hint)) {
        target = w.hint;
    } else if (!m_appendOnly) {
        for (const auto& [page, room] : w.room)
            if (usable(page)) {
                target = page;
                break;
            }
    }
    if (target) {
        DataPageWriter page(m_file.edit(target), m_format);
        const int slot = page.addRow(bytes, flags);
        if (slot < 0)
            JET_CORRUPT(target, "freier Platz", "die Freiliste verspricht mehr Platz, als die Seite hat");
        noteSpace(page);
        w.hint = target;
        return {target, static_cast<uint8_t>(slot)};
    }
    const PageEdit fresh = m_space.allocate();
    DataPageWriter::initialize(*fresh, m_format, m_def.page);
    w.owned.add(fresh->number, [this] { return m_space.allocate()->number; });
    if (m_pages)
        m_pages->insert(std::upper_bound(m_pages->begin(), m_pages->end(), fresh->number), fresh->number);
    DataPageWriter page(fresh, m_format);
    const int slot = page.addRow(bytes, flags);
    if (slot < 0)
        throw JetError("Tabelle \"" + m_name + "\": die Zeile ist mit " + std::to_string(row.size())
                       + " Bytes zu lang für eine Seite.");
    noteSpace(page);
    w.hint = fresh->number;
    return {fresh->number, static_cast<uint8_t>(slot)};
}

void Table::saveCounters() { writeTableDefCounters(m_file, m_format, m_def); }

std::vector<uint8_t> Table::finishRow(std::vector<EncodedValue>& values, const std::vector<bool>& writeLong)
{
    // Long values stay in the row when they are short, unless the row would not fit a
    // page then; only when the row is known to fit are pages spent on them.
    std::vector<bool> inlineOk(values.size(), true);
    const size_t fixedPart = [&] {
        std::vector<EncodedValue> sized(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            sized[i].present = values[i].present;
        return m_codec->encodedSize(sized);
    }();
    auto sizeNow = [&] {
        size_t size = fixedPart;
        for (size_t i = 0; i < values.size(); ++i) {
            const ColumnDef& c = m_def.columns[i];
            if (!values[i].present || c.isFixed() || c.type == ColumnType::Boolean)
                continue;
            const size_t data = values[i].bytes.size();
            size += !writeLong[i] ? data
                                  : kLongValueHeaderSize + (inlineOk[i] && data <= kLongValueInlineLimit ? data : 0);
        }
        return size;
    };
    size_t size = sizeNow();
    while (size > m_format.maxRowSize()) {
        size_t widest = values.size();
        for (size_t i = 0; i < values.size(); ++i)
            if (writeLong[i] && values[i].present && inlineOk[i] && values[i].bytes.size() <= kLongValueInlineLimit
                && (widest == values.size() || values[i].bytes.size() > values[widest].bytes.size()))
                widest = i;
        if (widest == values.size())
            throw JetError("Tabelle \"" + m_name + "\": die Zeile ist mit " + std::to_string(size)
                           + " Bytes zu lang für eine Seite (höchstens " + std::to_string(m_format.maxRowSize())
                           + " Bytes).");
        inlineOk[widest] = false;
        size = sizeNow();
    }
    for (size_t i = 0; i < values.size(); ++i) {
        if (!writeLong[i] || !values[i].present)
            continue;
        const ColumnDef& c = m_def.columns[i];
        if (!m_def.longValueMapsReadable)
            throw JetError(describe(c) + " kann nicht geschrieben werden: Die Liste der Seiten für lange Werte in der "
                           "Tabellendefinition ist beschädigt.");
        auto& space = writer().longValues[c.number];
        if (!space)
            space = std::make_unique<ColumnSpace>(*this, c);
        const std::string data(values[i].bytes.begin(), values[i].bytes.end());
        values[i].bytes = writeLongValue(m_file, m_format, *space, data, inlineOk[i]);
    }
    return m_codec->encode(values);
}

uint64_t Table::insert(const std::vector<Value>& values, const std::vector<ColumnGiven>& given)
{
    requireWritable();
    if (values.size() != m_def.columns.size())
        throw JetError("Tabelle \"" + m_name + "\": " + std::to_string(values.size()) + " Werte für "
                       + std::to_string(m_def.columns.size()) + " Spalten.");
    requireIndexesKnown();

    const std::vector<Value> filled = m_rules.insertRow(m_name, m_def.columns, values, given);
    std::vector<EncodedValue> encoded(values.size());
    std::vector<bool> writeLong(values.size(), false);
    uint32_t lastAutoNumber = m_def.lastAutoNumber;
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        Value v = filled[i];
        if (c.isAutoNumber()) {
            if (v.kind == Value::Kind::Null) {
                if (lastAutoNumber >= 0x7FFFFFFF)
                    throw JetError(describe(c) + " hat keine AutoWerte mehr frei.");
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
    // Every key, every rule first: a refused row leaves no trace.
    std::vector<IndexState>& states = indexStates();
    std::vector<Key> keys(states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        const std::vector<KeyValue> kv = keyValuesOfEncoded(states[i], encoded, writeLong);
        keys[i] = newKey(states[i], kv);
        requireUnique(states[i], keys[i], kv, ~uint64_t(0));
    }
    requireParents(encoded, writeLong, nullptr);

    const std::vector<uint8_t> row = finishRow(encoded, writeLong);
    const RowPointer at = place(row, 0, 0, 0);
    const uint64_t id = makeRowId(at.page, at.row);
    addEntries(keys, id);
    saveIndexCounts();
    ++m_def.rowCount;
    m_def.lastAutoNumber = lastAutoNumber;
    saveCounters();
    ++m_changes;
    return id;
}

void Table::update(uint64_t rowId, const std::vector<std::optional<Value>>& values,
                   const std::function<void(const Row&)>& before)
{
    requireWritable();
    if (values.size() != m_def.columns.size())
        throw JetError("Tabelle \"" + m_name + "\": " + std::to_string(values.size()) + " Werte für "
                       + std::to_string(m_def.columns.size()) + " Spalten.");
    requireIndexesKnown();
    Row old;
    if (!fetch(rowId, old))
        throw JetError("Die Zeile " + std::to_string(rowId) + " der Tabelle \"" + m_name + "\" gibt es nicht mehr.");
    if (before)
        before(old);
    const uint32_t homePage = rowIdPage(rowId);
    const unsigned homeSlot = rowIdSlot(rowId);
    const bool moved = old.page->number != homePage;
    const RowPointer target = moved ? RowPointer{old.page->number, 0} : RowPointer{};
    uint8_t targetSlot = 0;
    const DataPage homeView(m_file.page(homePage), m_format);
    if (homeView.slot(homeSlot).overflow) {
        const RowPointer to = RowPointer::fromU32(homeView.rowBytes(homeSlot).u32(0, "Verweis auf verschobene Zeile"));
        // A pointer to its own page is nothing Access writes; better not to guess.
        if (to.page == homePage)
            throw JetError("Die Zeile " + std::to_string(rowId) + " der Tabelle \"" + m_name
                           + "\" verweist auf ihre eigene Seite; sie wird nicht geändert.");
        targetSlot = to.row;
    }

    std::vector<EncodedValue> encoded(values.size());
    std::vector<bool> writeLong(values.size(), false);
    std::vector<bool> changed(values.size(), false);
    std::vector<std::vector<uint8_t>> freeAfter;
    for (size_t i = 0; i < values.size(); ++i) {
        const ColumnDef& c = m_def.columns[i];
        const FieldSpan& f = old.fields[i];
        EncodedValue stored;
        stored.present = f.present;
        if (f.present && c.type != ColumnType::Boolean) {
            const ByteView b = old.bytes.sub(f.offset, f.length, "Spaltendaten");
            stored.bytes.assign(b.data(), b.data() + b.size());
        }
        if (!values[i]) {
            encoded[i] = std::move(stored);
            continue;
        }
        EncodedValue fresh = encodeValue(c, *values[i], m_format, m_name);
        if (c.isLongValue()) {
            // The same data again keeps the stored long value as it is.
            if (fresh.present == stored.present
                && (!fresh.present
                    || readLongValue(m_file, m_format, ByteView(stored.bytes.data(), stored.bytes.size()))
                           == std::string(fresh.bytes.begin(), fresh.bytes.end()))) {
                encoded[i] = std::move(stored);
                continue;
            }
            changed[i] = true;
            writeLong[i] = fresh.present;
            if (stored.present)
                freeAfter.push_back(stored.bytes);
            encoded[i] = std::move(fresh);
            continue;
        }
        if (!sameField(fresh, stored)) {
            changed[i] = true;
            if (c.isAutoNumber())
                throw JetError(describe(c) + " ist ein AutoWert und kann nicht geändert werden.");
        }
        encoded[i] = std::move(fresh);
    }
    m_rules.checkUpdate(m_name, m_def.columns, values, changed);
    // Nothing changes when every column keeps its bytes (the row may still be laid out
    // differently from how this engine would write it: it stays as it is).
    bool same = freeAfter.empty() && std::find(writeLong.begin(), writeLong.end(), true) == writeLong.end();
    for (size_t i = 0; same && i < values.size(); ++i) {
        const FieldSpan& f = old.fields[i];
        const ColumnDef& c = m_def.columns[i];
        same = encoded[i].present == f.present
               && (!f.present || c.type == ColumnType::Boolean
                   || (encoded[i].bytes.size() == f.length
                       && std::equal(encoded[i].bytes.begin(), encoded[i].bytes.end(), old.bytes.data() + f.offset)));
    }
    if (same)
        return;

    // The indexes whose key bytes change, their rules, and the rows of other tables
    // that refer to the old keys; all before anything is written.
    std::vector<IndexState>& states = indexStates();
    std::vector<Key> oldKeys(states.size()), newKeys(states.size());
    std::set<uint32_t> changedIndexes;
    for (size_t i = 0; i < states.size(); ++i) {
        IndexState& x = states[i];
        if (std::none_of(x.positions.begin(), x.positions.end(), [&](size_t p) { return changed[p]; }))
            continue;
        const std::vector<KeyValue> kv = keyValuesOfEncoded(x, encoded, writeLong);
        Key before = storedKey(x, keyValuesOfRow(x, old), rowId);
        Key after = newKey(x, kv);
        if (before == after && !(before && before->empty()))
            continue;  // letter case, say: the entry stays as it is
        requireUnique(x, after, kv, rowId);
        oldKeys[i] = std::move(before);
        newKeys[i] = std::move(after);
        changedIndexes.insert(x.realIndex);
    }
    std::vector<bool> keyChanged(values.size(), false);
    for (const IndexState& x : states)
        if (changedIndexes.count(x.realIndex))
            for (size_t p : x.positions)
                keyChanged[p] = true;
    std::vector<ChildRows> children;
    if (!changedIndexes.empty()) {
        requireParents(encoded, writeLong, &keyChanged);
        for (ChildRows& c : childRows(old, &keyChanged)) {
            if (!changedIndexes.count(stateOf(*c.relationship)->realIndex))
                continue;
            if (!c.relationship->cascadeUpdates)
                throw JetError(hasChildrenText(c.table->name()));
            children.push_back(std::move(c));
        }
    }
    // Everything this row needs was checked; only a cascade can still be refused after
    // the first byte changed.
    const Atomic atomic(m_file, m_atomicRows && !children.empty());
    old = Row{};  // the pages below change; the old bytes must not be read again

    const std::vector<uint8_t> row = finishRow(encoded, writeLong);
    const ByteView bytes(row.data(), row.size());
    DataPageWriter home(m_file.edit(homePage), m_format);
    if (!moved) {
        if (home.replaceRow(homeSlot, bytes, 0)) {
            noteSpace(home);
        } else {
            // The row no longer fits at home: its bytes go elsewhere, the home slot keeps
            // the pointer, so the row id stays.
            const RowPointer to = place(row, kRowFlagDeleted, homePage, 0);
            std::vector<uint8_t> pointer(kRowPointerSize);
            ByteSpan(pointer).put32(0, to.toU32(), "Verweis auf verschobene Zeile");
            DataPageWriter again(m_file.edit(homePage), m_format);
            if (!again.replaceRow(homeSlot, ByteView(pointer.data(), pointer.size()), kRowFlagOverflow))
                throw JetError("Tabelle \"" + m_name + "\": auf Seite " + std::to_string(homePage)
                               + " ist kein Platz mehr für den Verweis auf die verschobene Zeile.");
            noteSpace(again);
        }
    } else {
        const auto dropTarget = [&] {
            DataPageWriter t(m_file.edit(target.page), m_format);
            t.removeRow(targetSlot);
            if (!t.hasLiveRows())
                pageEmptied(target.page);
            else
                noteSpace(t);
        };
        if (home.replaceRow(homeSlot, bytes, 0)) {
            noteSpace(home);  // the row moves back home
            dropTarget();
        } else {
            DataPageWriter t(m_file.edit(target.page), m_format);
            if (t.replaceRow(targetSlot, bytes, kRowFlagDeleted)) {
                noteSpace(t);
            } else {
                const RowPointer to = place(row, kRowFlagDeleted, homePage, target.page);
                std::vector<uint8_t> pointer(kRowPointerSize);
                ByteSpan(pointer).put32(0, to.toU32(), "Verweis auf verschobene Zeile");
                DataPageWriter again(m_file.edit(homePage), m_format);
                again.replaceRow(homeSlot, ByteView(pointer.data(), pointer.size()), kRowFlagOverflow);
                dropTarget();
            }
        }
    }
    for (const std::vector<uint8_t>& field : freeAfter)
        freeLongValue(m_file, m_format, ByteView(field.data(), field.size()));
    if (!changedIndexes.empty()) {
        removeEntries(oldKeys, rowId);
        addEntries(newKeys, rowId);
        saveIndexCounts();
    }
    ++m_changes;
    cascadeUpdate(children, rowId);
}

void Table::remove(uint64_t rowId)
{
    requireWritable();
    requireIndexesKnown();
    if (m_removing.count(rowId))
        return;  // a cascade that came back to the row it started from
    Row old;
    if (!fetch(rowId, old))
        return;  // already gone
    const std::vector<ChildRows> children = childRows(old, nullptr);
    const Atomic atomic(m_file, m_atomicRows && !children.empty());
    if (!children.empty()) {
        m_removing.insert(rowId);
        try {
            cascadeDelete(children);
        } catch (...) {
            m_removing.erase(rowId);
            throw;
        }
        m_removing.erase(rowId);
        // The cascade may have changed this table too.
        if (!fetch(rowId, old))
            return;
    }
    std::vector<IndexState>& states = indexStates();
    std::vector<Key> keys(states.size());
    for (size_t i = 0; i < states.size(); ++i)
        keys[i] = storedKey(states[i], keyValuesOfRow(states[i], old), rowId);
    std::vector<std::vector<uint8_t>> longValues;
    for (size_t i = 0; i < m_def.columns.size(); ++i) {
        const FieldSpan& f = old.fields[i];
        if (m_def.columns[i].isLongValue() && f.present) {
            const ByteView b = old.bytes.sub(f.offset, f.length, "Spaltendaten");
            longValues.emplace_back(b.data(), b.data() + b.size());
        }
    }
    const uint32_t homePage = rowIdPage(rowId);
    const unsigned homeSlot = rowIdSlot(rowId);
    const uint32_t targetPage = old.page->number;
    old = Row{};
    removeEntries(keys, rowId);
    for (const std::vector<uint8_t>& field : longValues)
        freeLongValue(m_file, m_format, ByteView(field.data(), field.size()));
    DataPageWriter home(m_file.edit(homePage), m_format);
    if (targetPage != homePage) {
        const RowPointer to = RowPointer::fromU32(home.rowBytes(homeSlot).u32(0, "Verweis auf verschobene Zeile"));
        DataPageWriter t(m_file.edit(to.page), m_format);
        t.removeRow(to.row);
        if (!t.hasLiveRows())
            pageEmptied(to.page);
        else
            noteSpace(t);
    }
    home.removeRow(homeSlot);
    if (!home.hasLiveRows())
        pageEmptied(homePage);
    else
        noteSpace(home);
    if (m_def.rowCount > 0)
        --m_def.rowCount;
    saveCounters();
    ++m_changes;
}

}  // namespace db::jet
