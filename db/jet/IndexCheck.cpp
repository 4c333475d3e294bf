// The index check.
#include "db/jet/IndexCheck.h"

#include "db/jet/Index.h"
#include "db/jet/IndexKey.h"
#include "db/jet/UsageMap.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace db::jet {

namespace {

std::string rowName(uint64_t rowId)
{
    return "Zeile auf Seite " + std::to_string(rowIdPage(rowId)) + ", Platz " + std::to_string(rowIdSlot(rowId));
}

class IndexChecker {
public:
    IndexChecker(Database& db, Table& table, const IndexDef& index, std::string names,
                 std::vector<IndexFinding>& out)
        : m_db(db), m_table(table), m_index(index), m_names(std::move(names)), m_out(out),
          m_reader(db.file(), db.format(), index, table.def().page)
    {
    }

    void run()
    {
        if (!walkTree())
            return;
        checkLinks();
        checkUsageMap();
        checkOrder();
        checkAgainstTable();
    }

private:
    struct PageInfo {
        uint32_t prev = 0, next = 0;
        uint32_t parent = 0;
        bool leaf = false;
    };

    void report(IndexFinding::Severity s, const std::string& message)
    {
        // One damaged index can produce a finding per row; a hundred say enough.
        if (++m_reported > kMaxFindingsPerIndex)
            return;
        if (m_reported == kMaxFindingsPerIndex)
            m_out.push_back({s, m_table.name(), m_names, "weitere Befunde zu diesem Index werden nicht gezeigt"});
        else
            m_out.push_back({s, m_table.name(), m_names, message});
    }
    void error(const std::string& m) { report(IndexFinding::Severity::Error, m); }
    void note(const std::string& m) { report(IndexFinding::Severity::Note, m); }

    // Depth-first, in order. `last` receives the last entry of the subtree.
    bool walk(uint32_t number, size_t depth, std::optional<IndexEntry>& last, uint32_t parent = 0)
    {
        if (depth > kMaxDepth) {
            error("der Indexbaum hat mehr als " + std::to_string(kMaxDepth) + " Ebenen");
            return false;
        }
        if (!m_pages.insert(number).second) {
            error("Seite " + std::to_string(number) + " kommt im Indexbaum mehrfach vor");
            return false;
        }
        std::shared_ptr<const IndexPage> decoded;
        try {
            decoded = m_reader.page(number);
        } catch (const CorruptError& e) {
            error(e.what());
            return false;
        }
        const IndexPage& p = *decoded;
        if (m_levels.size() <= depth)
            m_levels.resize(depth + 1);
        m_levels[depth].push_back(number);
        m_info[number] = {p.prev, p.next, parent, p.leaf};
        const uint32_t used = m_db.file().pageSize() - p.entriesEnd;
        if (p.freeSpace != used)
            error("Seite " + std::to_string(number) + " gibt " + std::to_string(p.freeSpace)
                  + " Bytes Freiraum an, frei sind " + std::to_string(used));
        if (p.leaf) {
            if (m_leafDepth < 0)
                m_leafDepth = static_cast<int>(depth);
            else if (m_leafDepth != static_cast<int>(depth))
                error("die Blattseite " + std::to_string(number) + " liegt auf Ebene " + std::to_string(depth)
                      + ", andere auf Ebene " + std::to_string(m_leafDepth));
            if (p.tail != 0)
                error("die Blattseite " + std::to_string(number) + " nennt eine Unterseite");
            m_entries.insert(m_entries.end(), p.entries.begin(), p.entries.end());
            if (!p.entries.empty())
                last = p.entries.back();
            return true;
        }
        if (p.entries.empty() && p.tail == 0) {
            error("die Knotenseite " + std::to_string(number) + " hat keine Unterseite");
            return false;
        }
        for (const IndexEntry& e : p.entries) {
            std::optional<IndexEntry> childLast;
            if (!walk(e.child, depth + 1, childLast, number))
                return false;
            if (!childLast)
                error("die Unterseite " + std::to_string(e.child) + " der Knotenseite " + std::to_string(number)
                      + " ist leer");
            else if (compareEntries(*childLast, e) != 0)
                error("der Eintrag der Knotenseite " + std::to_string(number) + " für die Unterseite "
                      + std::to_string(e.child) + " (" + hexBytes(e.key) + ", " + rowName(e.rowId())
                      + ") ist nicht deren letzter Eintrag (" + hexBytes(childLast->key) + ", "
                      + rowName(childLast->rowId()) + ")");
            last = childLast;
        }
        if (p.tail != 0) {
            std::optional<IndexEntry> tailLast;
            if (!walk(p.tail, depth + 1, tailLast, number))
                return false;
            if (tailLast)
                last = tailLast;
        }
        return true;
    }

    bool walkTree()
    {
        std::optional<IndexEntry> last;
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
            if (compareEntries(m_entries[i - 1], m_entries[i]) >= 0)
                error("die Einträge stehen nicht in der richtigen Reihenfolge: " + hexBytes(m_entries[i - 1].key) + " ("
                      + rowName(m_entries[i - 1].rowId()) + ") vor " + hexBytes(m_entries[i].key) + " ("
                      + rowName(m_entries[i].rowId()) + ")");
    }

    void checkAgainstTable()
    {
        const TableDef& def = m_table.def();
        std::optional<IndexKeyEncoder> encoder;
        try {
            encoder.emplace(m_table.name(), def, m_index, m_db.header());
        } catch (const JetError& e) {
            error(e.what());
            return;
        }
        std::vector<size_t> positions;  // index column -> position in def.columns
        for (size_t i = 0; i < encoder->columnCount(); ++i)
            positions.push_back(static_cast<size_t>(&encoder->column(i) - def.columns.data()));

        std::unordered_map<uint64_t, const IndexEntry*> entries;
        entries.reserve(m_entries.size());
        for (const IndexEntry& e : m_entries)
            if (!entries.emplace(e.rowId(), &e).second)
                error(rowName(e.rowId()) + " steht mehrfach im Index");

        // Sorted once the scan is done: looked up by binary search, a set's node per row
        // cost more than the rest of the check.
        std::vector<uint64_t> rows;
        std::vector<uint64_t> nullRows;  // rows whose key columns are all NULL
        bool encodingReported = false;
        Table::ScanState scan;
        Table::Row row;
        std::vector<KeyValue> values(positions.size());
        try {
            while (m_table.next(scan, row)) {
                rows.push_back(row.rowId);
                size_t nulls = 0;
                for (size_t i = 0; i < positions.size(); ++i) {
                    const ColumnDef& c = def.columns[positions[i]];
                    const FieldSpan& f = row.fields[positions[i]];
                    values[i] = keyValueOfField(m_db.file(), m_db.format(), m_db.header().codePage, c, f.present,
                                                f.present ? row.bytes.sub(f.offset, f.length, "Spaltendaten") : ByteView());
                    nulls += values[i].isNull() ? 1 : 0;
                }
                const bool allNull = nulls == positions.size();
                if (allNull)
                    nullRows.push_back(row.rowId);
                if (nulls > 0 && (m_index.isPrimaryKey() || m_index.isRequired()))
                    error(rowName(row.rowId) + " hat einen leeren Wert in einem Index, der Werte verlangt");
                const auto it = entries.find(row.rowId);
                if (allNull && m_index.ignoresNulls()) {
                    if (it != entries.end())
                        error(rowName(row.rowId) + " steht im Index, obwohl dieser leere Werte auslässt");
                    continue;
                }
                if (it == entries.end()) {
                    error(rowName(row.rowId) + " fehlt im Index");
                    continue;
                }
                EncodedKey key;
                try {
                    key = encoder->encode(values, KeyMode::Lenient);
                } catch (const UncertainKeyError& e) {
                    note(rowName(row.rowId) + ": " + e.what() + " Geprüft wurde nur, dass die Zeile im Index steht.");
                    continue;
                } catch (const JetError& e) {
                    if (!encodingReported)
                        note(std::string(e.what()) + " Geprüft wurde nur, dass jede Zeile im Index steht.");
                    encodingReported = true;
                    continue;
                }
                if (key.bytes != it->second->key) {
                    const std::string detail = rowName(row.rowId) + ": gespeichert " + hexBytes(it->second->key)
                                               + ", berechnet " + hexBytes(key.bytes);
                    if (key.certain)
                        error("falscher Schlüssel, " + detail);
                    else
                        note("Schlüssel nicht sicher berechenbar, " + detail);
                }
            }
        } catch (const CorruptError& e) {
            error(std::string("beim Lesen der Tabelle: ") + e.what());
            return;
        }
        std::sort(rows.begin(), rows.end());
        std::sort(nullRows.begin(), nullRows.end());
        for (const IndexEntry& e : m_entries)
            if (!std::binary_search(rows.begin(), rows.end(), e.rowId()))
                error("ein Eintrag (" + hexBytes(e.key) + ") verweist auf die " + rowName(e.rowId())
                      + ", die es in der Tabelle nicht gibt");
        if (m_index.isUnique())
            for (size_t i = 1; i < m_entries.size(); ++i)
                if (m_entries[i - 1].key == m_entries[i].key && !std::binary_search(nullRows.begin(), nullRows.end(), m_entries[i].rowId()))
                    error("der Schlüssel " + hexBytes(m_entries[i].key) + " kommt in einem eindeutigen Index mehrfach vor ("
                          + rowName(m_entries[i - 1].rowId()) + ", " + rowName(m_entries[i].rowId()) + ")");
    }

    static constexpr int kMaxFindingsPerIndex = 100;
    static constexpr size_t kMaxDepth = 32;

    Database& m_db;
    Table& m_table;
    const IndexDef& m_index;
    std::string m_names;
    std::vector<IndexFinding>& m_out;
    IndexReader m_reader;
    int m_reported = 0;
    std::set<uint32_t> m_pages;
    std::map<uint32_t, PageInfo> m_info;
    std::vector<std::vector<uint32_t>> m_levels;
    int m_leafDepth = -1;
    std::vector<IndexEntry> m_entries;  // leaf entries in tree order
};

}  // namespace

std::string hexBytes(const std::vector<uint8_t>& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
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
    std::vector<IndexFinding> out;
    // Logical indexes that share a real index are one B-tree: check it once, under all names.
    std::map<uint32_t, std::pair<const IndexDef*, std::string>> reals;
    for (const IndexDef& x : table.def().indexes) {
        auto& r = reals[x.realIndex];
        if (!r.first)
            r.first = &x;
        r.second += (r.second.empty() ? "" : ", ") + x.name;
    }
    for (const auto& [number, r] : reals)
        IndexChecker(db, table, *r.first, r.second, out).run();
    return out;
}

std::vector<IndexFinding> checkIndexes(Database& db)
{
    std::vector<IndexFinding> out;
    // Every table of the catalog, system tables included: their indexes are Access's too.
    std::vector<CatalogEntry> tables;
    std::set<uint32_t> seen;
    Table& catalog = db.catalogTable();
    const TableDef& cdef = catalog.def();
    int nameColumn = -1, idColumn = -1, typeColumn = -1, flagsColumn = -1;
    for (size_t i = 0; i < cdef.columns.size(); ++i) {
        if (cdef.columns[i].name == "Flags")
            flagsColumn = static_cast<int>(i);
        if (cdef.columns[i].name == "Name")
            nameColumn = static_cast<int>(i);
        else if (cdef.columns[i].name == "Id")
            idColumn = static_cast<int>(i);
        else if (cdef.columns[i].name == "Type")
            typeColumn = static_cast<int>(i);
    }
    if (nameColumn < 0 || idColumn < 0 || typeColumn < 0) {
        out.push_back({IndexFinding::Severity::Error, "MSysObjects", "", "dem Systemkatalog fehlen Spalten"});
        return out;
    }
    try {
        Table::ScanState scan;
        Table::Row row;
        while (catalog.next(scan, row)) {
            const Value type = catalog.value(row, static_cast<size_t>(typeColumn));
            const Value name = catalog.value(row, static_cast<size_t>(nameColumn));
            const Value id = catalog.value(row, static_cast<size_t>(idColumn));
            if (type.kind != Value::Kind::Integer || type.integer != kObjectTypeTable || name.kind != Value::Kind::Text
                || id.kind != Value::Kind::Integer)
                continue;
            const Value flags = flagsColumn >= 0 ? catalog.value(row, static_cast<size_t>(flagsColumn)) : Value::null();
            const uint32_t page = static_cast<uint32_t>(id.integer) & 0x00FFFFFF;
            if (seen.insert(page).second)
                tables.push_back({name.bytes, page,
                                  flags.kind == Value::Kind::Integer ? static_cast<uint32_t>(flags.integer) : 0, {}});
        }
    } catch (const JetError& e) {
        out.push_back({IndexFinding::Severity::Error, "MSysObjects", "", e.what()});
        return out;
    }
    for (const CatalogEntry& entry : tables) {
        Table* t = nullptr;
        try {
            t = entry.tableDefPage == kCatalogPage ? &catalog : &db.table(entry);
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
