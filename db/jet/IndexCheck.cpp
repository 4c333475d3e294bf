// The index check.
#include "db/jet/IndexCheck.h"

#include "db/jet/Index.h"
#include "db/jet/IndexKey.h"
#include "db/jet/UsageMap.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <optional>
#include <set>

namespace db::jet {

namespace {

std::string rowName(uint64_t rowId)
{
    return "Zeile auf Seite " + std::to_string(rowIdPage(rowId)) + ", Platz " + std::to_string(rowIdSlot(rowId));
}

std::string hexOf(const uint8_t* bytes, size_t length)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    s.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        if (i)
            s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

// Access's order of keys (compareKeys), on bytes where they lie.
int compareKeyBytes(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength)
{
    const size_t n = std::min(aLength, bLength);
    if (n > 0)
        if (const int c = std::memcmp(a, b, n))
            return c < 0 ? -1 : 1;
    return aLength < bLength ? -1 : (aLength > bLength ? 1 : 0);
}

}  // namespace

// One B-tree of the table: walked, then compared with the rows of the table's scan. The
// leaf entries are kept in tree order with their keys back to back, and found for a row
// through a list of them sorted by row.
class TableIndexCheck::Checker {
public:
    Checker(Database& db, Table& table, const IndexDef& index, std::string names)
        : m_db(db), m_table(table), m_index(index), m_names(std::move(names)),
          m_reader(db.file(), db.format(), index, table.def().page)
    {
    }

    // Everything that needs no row: the tree, its links, its usage map, its order.
    void walk()
    {
        const bool walked = walkTree();
        // The entries stay while the table's other indexes are walked and the rows
        // compared: without the room their growth left, and without the pages' details.
        m_entries.shrink_to_fit();
        m_keys.shrink_to_fit();
        if (walked) {
            checkLinks();
            checkUsageMap();
            checkOrder();
            startComparing();
        }
        std::set<uint32_t>().swap(m_pages);
        std::map<uint32_t, PageInfo>().swap(m_info);
        std::vector<std::vector<uint32_t>>().swap(m_levels);
    }

    bool comparing() const { return m_state == State::Comparing; }

    void row(const Table::Row& row)
    {
        if (m_state != State::Comparing)
            return;
        try {
            compareRow(row);
        } catch (const CorruptError& e) {
            scanFailed(e);
        }
    }

    void scanFailed(const CorruptError& e)
    {
        if (m_state != State::Comparing)
            return;
        error(std::string("beim Lesen der Tabelle: ") + e.what());
        m_state = State::Stopped;
    }

    // After the scan: the entries no row had, keys a unique index holds twice.
    void finish(std::vector<IndexFinding>& out)
    {
        if (m_state == State::Comparing) {
            for (const Entry& e : m_entries)
                if (!(m_flags[static_cast<size_t>(&e - m_entries.data())] & kRowSeen))
                    error("ein Eintrag (" + keyHex(e) + ") verweist auf die " + rowName(e.rowId)
                          + ", die es in der Tabelle nicht gibt");
            if (m_index.isUnique())
                for (size_t i = 1; i < m_entries.size(); ++i)
                    if (compareKeyBytes(key(m_entries[i - 1]), keyLength(m_entries[i - 1]), key(m_entries[i]),
                                        keyLength(m_entries[i]))
                            == 0
                        && !(m_flags[i] & kRowAllNull))
                        error("der Schlüssel " + keyHex(m_entries[i]) + " kommt in einem eindeutigen Index mehrfach vor ("
                              + rowName(m_entries[i - 1].rowId) + ", " + rowName(m_entries[i].rowId) + ")");
            m_state = State::Stopped;
        }
        out.insert(out.end(), std::make_move_iterator(m_findings.begin()), std::make_move_iterator(m_findings.end()));
        m_findings.clear();
        // Nothing of the tree is needed any more: the next batch of indexes takes the room.
        std::vector<Entry>().swap(m_entries);
        std::vector<uint8_t>().swap(m_keys);
        std::vector<uint32_t>().swap(m_byRow);
        std::vector<uint32_t>().swap(m_sortedRows);
        std::vector<uint8_t>().swap(m_flags);
    }

private:
    struct PageInfo {
        uint32_t prev = 0, next = 0;
        uint32_t parent = 0;
        bool leaf = false;
    };
    // A leaf entry; its key lies in m_keys up to where the next entry's begins.
    struct Entry {
        uint32_t rowId = 0;  // (page << 8) | row, as stored
        uint32_t keyStart = 0;
    };
    enum class State {
        Idle,       // the rows are not compared (the tree or the key encoder failed)
        Comparing,  // the rows of the scan are compared
        Stopped,    // done, or the scan met damage
    };
    // m_flags, per entry: a row of the scan has its id; that row's key columns are all NULL.
    static constexpr uint8_t kRowSeen = 1;
    static constexpr uint8_t kRowAllNull = 2;

    const uint8_t* key(const Entry& e) const { return m_keys.data() + e.keyStart; }
    // `e` is one of m_entries.
    size_t keyLength(const Entry& e) const
    {
        const size_t i = static_cast<size_t>(&e - m_entries.data());
        return (i + 1 < m_entries.size() ? m_entries[i + 1].keyStart : m_keys.size()) - e.keyStart;
    }
    std::string keyHex(const Entry& e) const { return hexOf(key(e), keyLength(e)); }
    // compareEntries: by key, then data page, then row.
    int compare(const Entry& a, const uint8_t* bKey, size_t bLength, uint64_t bRow) const
    {
        if (const int c = compareKeyBytes(key(a), keyLength(a), bKey, bLength))
            return c;
        return a.rowId < bRow ? -1 : (a.rowId > bRow ? 1 : 0);
    }
    int compare(const Entry& a, const Entry& b) const { return compare(a, key(b), keyLength(b), b.rowId); }

    void report(IndexFinding::Severity s, const std::string& message)
    {
        // One damaged index can produce a finding per row; a hundred say enough.
        if (++m_reported > kMaxFindingsPerIndex)
            return;
        if (m_reported == kMaxFindingsPerIndex)
            m_findings.push_back({s, m_table.name(), m_names, "weitere Befunde zu diesem Index werden nicht gezeigt"});
        else
            m_findings.push_back({s, m_table.name(), m_names, message});
    }
    void error(const std::string& m) { report(IndexFinding::Severity::Error, m); }
    void note(const std::string& m) { report(IndexFinding::Severity::Note, m); }

    // Depth-first, in order. `last` receives the last leaf entry of the subtree.
    bool walk(uint32_t number, size_t depth, std::optional<size_t>& last, uint32_t parent = 0)
    {
        if (depth > kMaxDepth) {
            error("der Indexbaum hat mehr als " + std::to_string(kMaxDepth) + " Ebenen");
            return false;
        }
        if (!m_pages.insert(number).second) {
            error("Seite " + std::to_string(number) + " kommt im Indexbaum mehrfach vor");
            return false;
        }
        IndexPageHeader header;
        IndexPageData p;
        try {
            p = m_reader.pageData(number, header);
        } catch (const CorruptError& e) {
            error(e.what());
            return false;
        }
        if (m_levels.size() <= depth)
            m_levels.resize(depth + 1);
        m_levels[depth].push_back(number);
        m_info[number] = {p.prev, p.next, parent, p.leaf};
        const uint32_t used = m_db.file().pageSize() - header.entriesEnd;
        if (header.freeSpace != used)
            error("Seite " + std::to_string(number) + " gibt " + std::to_string(header.freeSpace)
                  + " Bytes Freiraum an, frei sind " + std::to_string(used));
        if (p.leaf) {
            if (m_leafDepth < 0)
                m_leafDepth = static_cast<int>(depth);
            else if (m_leafDepth != static_cast<int>(depth))
                error("die Blattseite " + std::to_string(number) + " liegt auf Ebene " + std::to_string(depth)
                      + ", andere auf Ebene " + std::to_string(m_leafDepth));
            if (p.tail != 0)
                error("die Blattseite " + std::to_string(number) + " nennt eine Unterseite");
            for (size_t i = 0; i < p.count(); ++i) {
                const uint32_t length = p.keyLength(i);
                m_entries.push_back({static_cast<uint32_t>(p.rowId(i)), static_cast<uint32_t>(m_keys.size())});
                m_keys.insert(m_keys.end(), p.entry(i), p.entry(i) + length);
            }
            if (p.count() > 0)
                last = m_entries.size() - 1;
            return true;
        }
        if (p.count() == 0 && p.tail == 0) {
            error("die Knotenseite " + std::to_string(number) + " hat keine Unterseite");
            return false;
        }
        for (size_t i = 0; i < p.count(); ++i) {
            const uint32_t child = p.child(i);
            std::optional<size_t> childLast;
            if (!walk(child, depth + 1, childLast, number))
                return false;
            if (!childLast)
                error("die Unterseite " + std::to_string(child) + " der Knotenseite " + std::to_string(number)
                      + " ist leer");
            else if (compare(m_entries[*childLast], p.entry(i), p.keyLength(i), p.rowId(i)) != 0)
                error("der Eintrag der Knotenseite " + std::to_string(number) + " für die Unterseite "
                      + std::to_string(child) + " (" + hexOf(p.entry(i), p.keyLength(i)) + ", " + rowName(p.rowId(i))
                      + ") ist nicht deren letzter Eintrag (" + keyHex(m_entries[*childLast]) + ", "
                      + rowName(m_entries[*childLast].rowId) + ")");
            last = childLast;
        }
        if (p.tail != 0) {
            std::optional<size_t> tailLast;
            if (!walk(p.tail, depth + 1, tailLast, number))
                return false;
            if (tailLast)
                last = tailLast;
        }
        return true;
    }

    bool walkTree()
    {
        // At most an entry a row (a damaged count no more than the file's pages can hold):
        // room for them at once, not grown by doubling.
        const uint64_t most = m_db.file().pageCount() * uint64_t{m_db.file().pageSize() / 8};
        m_entries.reserve(static_cast<size_t>(std::min<uint64_t>(m_table.def().rowCount, most)));
        std::optional<size_t> last;
        return walk(m_index.rootPage, 0, last);
    }

    void checkLinks()
    {
        for (size_t level = 0; level < m_levels.size(); ++level) {
            const std::vector<uint32_t>& pages = m_levels[level];
            for (size_t i = 0; i < pages.size(); ++i) {
                const PageInfo& info = m_info[pages[i]];
                const uint32_t prev = i > 0 ? pages[i - 1] : 0;
                const uint32_t next = i + 1 < pages.size() ? pages[i + 1] : 0;
                // Leaves are linked from the first to the last; node pages at least to
                // their siblings under the same parent (as the writer links them), across
                // parents as well if so written.
                const auto unlinkedNeighbour = [&](uint32_t link, uint32_t neighbour) {
                    return !info.leaf && link == 0 && neighbour != 0 && m_info[neighbour].parent != info.parent;
                };
                if (info.prev != prev && !unlinkedNeighbour(info.prev, prev))
                    error("Seite " + std::to_string(pages[i]) + " nennt als vorige Seite " + std::to_string(info.prev)
                          + ", im Baum steht davor " + std::to_string(prev));
                if (info.next != next && !unlinkedNeighbour(info.next, next))
                    error("Seite " + std::to_string(pages[i]) + " nennt als nächste Seite " + std::to_string(info.next)
                          + ", im Baum folgt " + std::to_string(next));
            }
        }
    }

    void checkUsageMap()
    {
        std::vector<uint32_t> owned;
        try {
            owned = readUsageMap(m_db.file(), m_db.format(), m_index.usageMap);
        } catch (const CorruptError& e) {
            error(std::string("Belegungsliste: ") + e.what());
            return;
        }
        const std::set<uint32_t> map(owned.begin(), owned.end());
        for (uint32_t p : m_pages)
            if (!map.count(p))
                error("Seite " + std::to_string(p) + " gehört zum Indexbaum, fehlt aber in der Belegungsliste des Index");
    }

    void checkOrder()
    {
        for (size_t i = 1; i < m_entries.size(); ++i)
            if (compare(m_entries[i - 1], m_entries[i]) >= 0)
                error("die Einträge stehen nicht in der richtigen Reihenfolge: " + keyHex(m_entries[i - 1]) + " ("
                      + rowName(m_entries[i - 1].rowId) + ") vor " + keyHex(m_entries[i]) + " ("
                      + rowName(m_entries[i].rowId) + ")");
    }

    // Ready for the rows: the key encoder, the entries sorted by row, rows entered twice.
    void startComparing()
    {
        const TableDef& def = m_table.def();
        try {
            m_encoder.emplace(m_table.name(), def, m_index, m_db.header());
        } catch (const JetError& e) {
            error(e.what());
            return;
        }
        for (size_t i = 0; i < m_encoder->columnCount(); ++i)
            m_positions.push_back(static_cast<size_t>(&m_encoder->column(i) - def.columns.data()));
        m_values.resize(m_positions.size());

        m_byRow.resize(m_entries.size());
        std::iota(m_byRow.begin(), m_byRow.end(), uint32_t{0});
        std::stable_sort(m_byRow.begin(), m_byRow.end(),
                         [&](uint32_t a, uint32_t b) { return m_entries[a].rowId < m_entries[b].rowId; });
        m_sortedRows.reserve(m_byRow.size());
        for (uint32_t i : m_byRow)
            m_sortedRows.push_back(m_entries[i].rowId);
        // Of the entries of one row all but the first in the tree are too many.
        std::vector<uint32_t> repeated;
        for (size_t k = 1; k < m_byRow.size(); ++k)
            if (m_sortedRows[k] == m_sortedRows[k - 1])
                repeated.push_back(m_byRow[k]);
        std::sort(repeated.begin(), repeated.end());
        for (uint32_t i : repeated)
            error(rowName(m_entries[i].rowId) + " steht mehrfach im Index");
        m_flags.assign(m_entries.size(), 0);
        m_state = State::Comparing;
    }

    // The positions in m_byRow of the entries of `rowId`: [first, last).
    std::pair<size_t, size_t> entriesOf(uint64_t rowId)
    {
        const size_t n = m_sortedRows.size();
        size_t first;
        if (m_lastRow && rowId > *m_lastRow) {
            // A scan meets its rows in ascending order: the search goes on from the last row.
            first = m_cursor;
            while (first < n && m_sortedRows[first] < rowId)
                ++first;
        } else {
            first = static_cast<size_t>(std::lower_bound(m_sortedRows.begin(), m_sortedRows.end(), rowId)
                                        - m_sortedRows.begin());
        }
        size_t last = first;
        while (last < n && m_sortedRows[last] == rowId)
            ++last;
        m_cursor = first;
        m_lastRow = rowId;
        return {first, last};
    }

    void compareRow(const Table::Row& row)
    {
        const TableDef& def = m_table.def();
        const auto [first, last] = entriesOf(row.rowId);
        for (size_t k = first; k < last; ++k)
            m_flags[m_byRow[k]] |= kRowSeen;
        size_t nulls = 0;
        for (size_t i = 0; i < m_positions.size(); ++i) {
            const ColumnDef& c = def.columns[m_positions[i]];
            const FieldSpan& f = row.fields[m_positions[i]];
            m_values[i] = keyValueOfField(m_db.file(), m_db.format(), m_db.header().codePage, c, f.present,
                                          f.present ? row.bytes.sub(f.offset, f.length, "Spaltendaten") : ByteView());
            nulls += m_values[i].isNull() ? 1 : 0;
        }
        const bool allNull = nulls == m_positions.size();
        if (allNull)
            for (size_t k = first; k < last; ++k)
                m_flags[m_byRow[k]] |= kRowAllNull;
        if (nulls > 0 && (m_index.isPrimaryKey() || m_index.isRequired()))
            error(rowName(row.rowId) + " hat einen leeren Wert in einem Index, der Werte verlangt");
        const bool inIndex = first != last;
        if (allNull && m_index.ignoresNulls()) {
            if (inIndex)
                error(rowName(row.rowId) + " steht im Index, obwohl dieser leere Werte auslässt");
            return;
        }
        if (!inIndex) {
            error(rowName(row.rowId) + " fehlt im Index");
            return;
        }
        const Entry& entry = m_entries[m_byRow[first]];
        EncodedKey key;
        try {
            key = m_encoder->encode(m_values, KeyMode::Lenient);
        } catch (const UncertainKeyError& e) {
            note(rowName(row.rowId) + ": " + e.what() + " Geprüft wurde nur, dass die Zeile im Index steht.");
            return;
        } catch (const JetError& e) {
            if (!m_encodingReported)
                note(std::string(e.what()) + " Geprüft wurde nur, dass jede Zeile im Index steht.");
            m_encodingReported = true;
            return;
        }
        if (compareKeyBytes(key.bytes.data(), key.bytes.size(), this->key(entry), keyLength(entry)) != 0) {
            const std::string detail = rowName(row.rowId) + ": gespeichert " + keyHex(entry) + ", berechnet "
                                       + hexBytes(key.bytes);
            if (key.certain)
                error("falscher Schlüssel, " + detail);
            else
                note("Schlüssel nicht sicher berechenbar, " + detail);
        }
    }

    static constexpr int kMaxFindingsPerIndex = 100;
    static constexpr size_t kMaxDepth = 32;

    Database& m_db;
    Table& m_table;
    const IndexDef& m_index;
    std::string m_names;
    IndexReader m_reader;
    std::vector<IndexFinding> m_findings;
    int m_reported = 0;
    State m_state = State::Idle;
    std::set<uint32_t> m_pages;
    std::map<uint32_t, PageInfo> m_info;
    std::vector<std::vector<uint32_t>> m_levels;
    int m_leafDepth = -1;
    std::vector<Entry> m_entries;  // leaf entries in tree order
    std::vector<uint8_t> m_keys;
    // Comparing with the rows.
    std::optional<IndexKeyEncoder> m_encoder;
    std::vector<size_t> m_positions;  // index column -> position in def.columns
    std::vector<KeyValue> m_values;
    std::vector<uint32_t> m_byRow;  // positions in m_entries, by row id (tree order among equals)
    std::vector<uint32_t> m_sortedRows;  // the row ids of m_byRow
    std::vector<uint8_t> m_flags;
    std::optional<uint64_t> m_lastRow;
    size_t m_cursor = 0;
    bool m_encodingReported = false;
};

TableIndexCheck::TableIndexCheck(Database& db, Table& table, uint64_t batchEntries)
    : m_table(table), m_batchEntries(batchEntries)
{
    // Logical indexes that share a real index are one B-tree: check it once, under all names.
    std::map<uint32_t, std::pair<const IndexDef*, std::string>> reals;
    for (const IndexDef& x : table.def().indexes) {
        auto& r = reals[x.realIndex];
        if (!r.first)
            r.first = &x;
        r.second += (r.second.empty() ? "" : ", ") + x.name;
    }
    for (const auto& [number, r] : reals)
        m_checkers.push_back(std::make_unique<Checker>(db, table, *r.first, r.second));
    walkBatch();
}

void TableIndexCheck::walkBatch()
{
    // An index holds at most one entry a row: as many trees as keep the entries held at
    // once under the bound, and at least one.
    const uint64_t perIndex = std::max<uint64_t>(m_table.def().rowCount, 1);
    m_batchBegin = m_batchEnd;
    uint64_t entries = 0;
    while (m_batchEnd < m_checkers.size() && (m_batchEnd == m_batchBegin || entries + perIndex <= m_batchEntries)) {
        m_checkers[m_batchEnd++]->walk();
        entries += perIndex;
    }
}

void TableIndexCheck::finishBatch(std::vector<IndexFinding>& out)
{
    for (size_t i = m_batchBegin; i < m_batchEnd; ++i)
        m_checkers[i]->finish(out);
}

TableIndexCheck::~TableIndexCheck() = default;

bool TableIndexCheck::wantsRows() const
{
    for (size_t i = m_batchBegin; i < m_batchEnd; ++i)
        if (m_checkers[i]->comparing())
            return true;
    return false;
}

void TableIndexCheck::row(const Table::Row& row)
{
    for (size_t i = m_batchBegin; i < m_batchEnd; ++i)
        m_checkers[i]->row(row);
}

void TableIndexCheck::scanFailed(const CorruptError& e)
{
    for (size_t i = m_batchBegin; i < m_batchEnd; ++i)
        m_checkers[i]->scanFailed(e);
}

std::vector<IndexFinding> TableIndexCheck::finish()
{
    std::vector<IndexFinding> out;
    finishBatch(out);
    // The trees that did not fit beside the first batch, each batch with a scan of its own.
    while (m_batchEnd < m_checkers.size()) {
        walkBatch();
        if (wantsRows()) {
            Table::ScanState scan;
            Table::Row r;
            try {
                while (m_table.next(scan, r))
                    row(r);
            } catch (const CorruptError& e) {
                scanFailed(e);
            }
        }
        finishBatch(out);
    }
    return out;
}

std::string hexBytes(const std::vector<uint8_t>& bytes)
{
    return hexOf(bytes.data(), bytes.size());
}

std::string describeFinding(const IndexFinding& f)
{
    std::string s = f.severity == IndexFinding::Severity::Note ? "Hinweis: " : "";
    s += "Tabelle \"" + f.table + "\"";
    if (!f.index.empty())
        s += ", Index \"" + f.index + "\"";
    return s + ": " + f.message;
}

std::vector<IndexFinding> checkTableIndexes(Database& db, Table& table)
{
    TableIndexCheck check(db, table);
    if (check.wantsRows()) {
        Table::ScanState scan;
        Table::Row row;
        try {
            while (table.next(scan, row))
                check.row(row);
        } catch (const CorruptError& e) {
            check.scanFailed(e);
        }
    }
    return check.finish();
}

std::vector<IndexFinding> checkIndexes(Database& db, const std::map<uint32_t, std::vector<IndexFinding>>* checked)
{
    std::vector<IndexFinding> out;
    // Every table of the catalog, system tables included: their indexes are Access's too.
    for (const CatalogEntry& entry : db.allTables()) {
        if (checked) {
            const auto done = checked->find(entry.tableDefPage);
            if (done != checked->end()) {
                out.insert(out.end(), done->second.begin(), done->second.end());
                continue;
            }
        }
        Table* t = nullptr;
        try {
            t = &db.anyTable(entry);
        } catch (const JetError& e) {
            // Some system tables of Access have column types the engine does not read
            // (MSysAccessObjects: type 0x11); they are no data of the user.
            const bool system = (entry.flags & kObjectFlagsSystem) != 0;
            if (system)
                out.push_back({IndexFinding::Severity::Note, entry.name, "",
                               "die Definition dieser Systemtabelle kann nicht gelesen werden, ihre Indizes wurden "
                               "nicht geprüft ("
                                   + std::string(e.what()) + ")"});
            else
                out.push_back({IndexFinding::Severity::Error, entry.name, "", e.what()});
            continue;
        }
        std::vector<IndexFinding> f = checkTableIndexes(db, *t);
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

}  // namespace db::jet
