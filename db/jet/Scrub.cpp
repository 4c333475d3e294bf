// The scrub: first a read-only walk that gives every page its role (what reaches it and
// what of it is alive), then one unit in which the dead bytes of each page become zeros.
#include "db/jet/Scrub.h"

#include "db/jet/DataPage.h"
#include "db/jet/Database.h"
#include "db/jet/Index.h"
#include "db/jet/RowCodec.h"
#include "db/jet/UsageMap.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

namespace db::jet {

namespace {

// No Access index is anywhere near this deep (a page holds hundreds of entries).
constexpr unsigned kMaxIndexDepth = 32;
// How often the progress callback hears from the page sweep.
constexpr uint32_t kProgressPages = 256;

enum class Role : uint8_t {
    None,
    TableDef,     // a page of a definition chain: left as it is
    UsageBitmap,  // a bitmap page of a reference usage map: left as it is
    MapRows,      // a data page holding usage-map rows (page 1 among them)
    TableData,    // a data page of a table, found through the table's map of pages
    LongValue,    // a long-value page, found through a live value or a column's map
    Index,        // a page of an index B-tree, found by walking the tree from its root
    Conflict,     // reached in two different roles: left as it is
};

struct PagePlan {
    Role role = Role::None;
    uint32_t owner = 0;       // TableData, Index: the table's definition page
    uint32_t part = 0;        // Index: the real index's number + 1 (two trees never share a page)
    uint32_t entriesEnd = 0;  // Index: first byte past the last entry; 0 = leave the page
};


bool allZero(const uint8_t* data, size_t size)
{
    return std::all_of(data, data + size, [](uint8_t b) { return b == 0; });
}

class Walker {
public:
    explicit Walker(Database& db)
        : m_db(db), m_file(db.file()), m_format(db.format()), m_plan(db.file().pageCount())
    {
    }

    std::vector<PagePlan>& plan() { return m_plan; }
    const std::set<uint64_t>& movedRows() const { return m_movedRows; }
    const std::set<uint32_t>& doubtfulTables() const { return m_doubtful; }
    std::vector<std::string>& notes() { return m_notes; }

    void mark(uint32_t page, Role role, uint32_t owner = 0, uint32_t part = 0)
    {
        if (page >= m_plan.size())
            return;
        PagePlan& p = m_plan[page];
        if (p.role == Role::None) {
            p.role = role;
            p.owner = owner;
            p.part = part;
        } else if (p.role != role || p.owner != owner || p.part != part) {
            if (p.role != Role::Conflict)
                m_conflicts.push_back("Seite " + std::to_string(page) + " wird zweimal verwendet: als "
                                      + describe(p.role, p.owner, p.part) + " und als " + describe(role, owner, part)
                                      + ".");
            p.role = Role::Conflict;
        }
    }

    const std::vector<std::string>& conflicts() const { return m_conflicts; }

    // The page holding a map row, the bitmap pages of a reference map; the mapped pages.
    std::vector<uint32_t> markMap(uint32_t pointer)
    {
        if (pointer == 0)
            return {};
        const UsageMap map(m_file, m_format, pointer);
        mark(RowPointer::fromU32(pointer).page, Role::MapRows);
        for (uint32_t bitmap : map.bitmapPages())
            if (bitmap != 0)
                mark(bitmap, Role::UsageBitmap);
        return map.pages();
    }

    void walkTable(uint32_t tdef, const std::string& name)
    {
        m_names.emplace(tdef, name);
        try {
            walkChain(tdef);
        } catch (const JetError& e) {
            doubt(tdef, "Tabelle \"" + name + "\": " + e.what());
            return;
        }
        TableDef def;
        try {
            def = readTableDef(m_file, m_format, tdef, m_db.header().codePage);
        } catch (const JetError& e) {
            // Without columns its rows cannot be read; its pages are still its own.
            doubt(tdef, "Tabelle \"" + name + "\": " + e.what());
            walkPagesOnly(tdef);
            return;
        }
        try {
            walkRows(def, name);
        } catch (const JetError& e) {
            doubt(tdef, "Tabelle \"" + name + "\": " + e.what());
        }
        for (const LongValueMaps& m : def.longValueMaps) {
            try {
                for (uint32_t page : markMap(m.ownedPages))
                    if (isLongValuePage(page))
                        mark(page, Role::LongValue);
                markMap(m.freePages);
            } catch (const JetError& e) {
                note("Tabelle \"" + name + "\", Liste der Seiten langer Werte: " + e.what());
            }
        }
        std::set<uint32_t> reals;
        for (const IndexDef& x : def.indexes) {
            if (!reals.insert(x.realIndex).second)
                continue;
            std::string& names = m_indexNames[(static_cast<uint64_t>(tdef) << 32) | (x.realIndex + 1)];
            for (const IndexDef& same : def.indexes)
                if (same.realIndex == x.realIndex)
                    names += (names.empty() ? "" : "\", \"") + same.name;
            try {
                markMap(x.usageMap);
                std::unordered_set<uint32_t> seen;
                if (x.rootPage != 0)
                    walkIndex(x, tdef, x.rootPage, 0, seen);
            } catch (const JetError& e) {
                note("Tabelle \"" + name + "\", Index \"" + x.name + "\": " + e.what());
            }
        }
    }

private:
    void note(const std::string& text) { m_notes.push_back(text); }

    std::string describe(Role role, uint32_t owner, uint32_t part) const
    {
        const auto named = m_names.find(owner);
        const std::string table =
            "der Tabelle \"" + (named != m_names.end() ? named->second : std::to_string(owner)) + "\"";
        const auto index = m_indexNames.find((static_cast<uint64_t>(owner) << 32) | part);
        switch (role) {
        case Role::TableDef: return "Seite einer Tabellendefinition";
        case Role::UsageBitmap: return "Seite einer Belegungsliste";
        case Role::MapRows: return "Seite mit Belegungslisten";
        case Role::TableData: return "Datenseite " + table;
        case Role::LongValue: return "Seite langer Werte";
        case Role::Index:
            return "Seite des Index \"" + (index != m_indexNames.end() ? index->second : std::to_string(part)) + "\" "
                   + table;
        case Role::None:
        case Role::Conflict: break;
        }
        return "unbekannte Seite";
    }

    void doubt(uint32_t tdef, const std::string& text)
    {
        m_doubtful.insert(tdef);
        note(text);
    }

    void walkChain(uint32_t tdef)
    {
        std::unordered_set<uint32_t> seen;
        for (uint32_t page = tdef; page != 0;) {
            if (!seen.insert(page).second)
                JET_CORRUPT(page, "Tabellendefinition", "die Kette der Definitionsseiten bildet eine Schleife");
            const PageRef p = m_file.page(page, "Verweis auf Tabellendefinition");
            if (p->type() != kPageTableDef)
                JET_CORRUPT(page, "Seitentyp", "Tabellendefinition erwartet, gefunden Typ " + std::to_string(p->type()));
            mark(page, Role::TableDef);
            page = p->view().u32(kTableDefNextPage, "nächste Definitionsseite");
        }
    }

    bool isLongValuePage(uint32_t page)
    {
        if (!m_file.hasPage(page))
            return false;
        const PageRef p = m_file.page(page);
        return p->type() == kPageData && p->view().u32(kDataOwner, "Besitzer") == kLongValueOwner;
    }

    bool isDataPageOf(uint32_t page, uint32_t tdef)
    {
        if (!m_file.hasPage(page))
            return false;
        const PageRef p = m_file.page(page);
        return p->type() == kPageData && p->view().u32(kDataOwner, "Besitzer") == tdef;
    }

    // A table whose definition cannot be read: its maps still say which pages are its own.
    void walkPagesOnly(uint32_t tdef)
    {
        try {
            const PageRef first = m_file.page(tdef);
            const ByteView v = first->view();
            for (uint32_t pointer : {v.u32(m_format.tdef.ownedPagesMap, "Belegungsliste"),
                                     v.u32(m_format.tdef.freePagesMap, "Freiliste")})
                for (uint32_t page : markMap(pointer))
                    if (isDataPageOf(page, tdef))
                        mark(page, Role::TableData, tdef);
        } catch (const JetError& e) {
            note(e.what());
        }
    }

    void walkRows(const TableDef& def, const std::string& name)
    {
        const RowCodec codec(def, m_format);
        std::vector<FieldSpan> fields;
        const auto followValues = [&](ByteView row) {
            codec.crack(row, fields);
            for (size_t i = 0; i < def.columns.size(); ++i)
                if (def.columns[i].isLongValue() && fields[i].present)
                    followLongValue(row.sub(fields[i].offset, fields[i].length, "Spaltendaten"));
        };
        const std::vector<uint32_t> pages = markMap(def.ownedPagesMap);
        markMap(def.freePagesMap);
        for (uint32_t number : pages) {
            if (!isDataPageOf(number, def.page)) {
                doubt(def.page, "Tabelle \"" + name + "\": Seite " + std::to_string(number)
                                    + " steht in ihrer Belegungsliste, ist aber keine Datenseite der Tabelle.");
                continue;
            }
            mark(number, Role::TableData, def.page);
            const DataPage page(m_file.page(number), m_format);
            for (unsigned slot = 0; slot < page.rowCount(); ++slot) {
                const RowSlot s = page.slot(slot);
                if (s.deleted)
                    continue;
                if (!s.overflow) {
                    followValues(page.rowBytes(slot));
                    continue;
                }
                const RowPointer to = RowPointer::fromU32(page.rowBytes(slot).u32(0, "Verweis auf verschobene Zeile"));
                if (!isDataPageOf(to.page, def.page))
                    JET_CORRUPT(to.page, "Besitzer", "verschobene Zeile liegt auf einer Seite einer anderen Tabelle");
                const DataPage target(m_file.page(to.page), m_format);
                const RowSlot t = target.slot(to.row);
                if (t.overflow)
                    JET_CORRUPT(to.page, "Zeilentabelle", "verschobene Zeile verweist weiter");
                m_movedRows.insert(makeRowId(to.page, to.row));
                followValues(target.rowBytes(to.row));
            }
        }
    }

    ByteView longValueRow(RowPointer ptr, PageRef& keep)
    {
        keep = m_file.page(ptr.page, "Verweis auf langen Wert");
        const DataPage holder(keep, m_format);
        if (!holder.isLongValuePage())
            JET_CORRUPT(ptr.page, "Besitzer", "Seite für lange Werte (LVAL) erwartet");
        if (holder.slot(ptr.row).deleted)
            JET_CORRUPT(ptr.page, "langer Wert", "Zeile " + std::to_string(ptr.row) + " ist gelöscht");
        mark(ptr.page, Role::LongValue);
        return holder.rowBytes(ptr.row);
    }

    void followLongValue(ByteView field)
    {
        const uint32_t head = field.u32(0, "langer Wert: Länge");
        if (head & kLongValueInline)
            return;
        RowPointer ptr = RowPointer::fromU32(field.u32(4, "langer Wert: Verweis"));
        PageRef keep;
        if (head & kLongValueSinglePage) {
            longValueRow(ptr, keep);
            return;
        }
        const uint32_t length = head & kLongValueLengthMask;
        std::set<uint64_t> seen;
        for (size_t covered = 0; covered < length;) {
            if (ptr.page == 0)
                JET_CORRUPT(kNoPage, "langer Wert", "die Kette endet vor der angegebenen Länge");
            if (!seen.insert(makeRowId(ptr.page, ptr.row)).second)
                JET_CORRUPT(ptr.page, "langer Wert", "die Kette der Seiten bildet eine Schleife");
            const ByteView row = longValueRow(ptr, keep);
            covered += row.size() - std::min<size_t>(row.size(), kLongValueChainPointer);
            ptr = RowPointer::fromU32(row.u32(0, "langer Wert: nächster Teil"));
        }
    }

    void walkIndex(const IndexDef& x, uint32_t tdef, uint32_t number, unsigned depth, std::unordered_set<uint32_t>& seen)
    {
        if (depth > kMaxIndexDepth)
            JET_CORRUPT(number, "Indexbaum", "mehr als " + std::to_string(kMaxIndexDepth) + " Ebenen");
        if (!seen.insert(number).second)
            JET_CORRUPT(number, "Indexbaum", "die Seite kommt im Baum mehrfach vor");
        const PageRef ref = m_file.page(number, "Indexseite");
        IndexPageHeader h;
        const IndexPageData p = decodeIndexPage(*ref, m_format, &h);
        if (h.owner != tdef)
            JET_CORRUPT(number, "Besitzer", "die Indexseite gehört einer anderen Tabelle");
        mark(number, Role::Index, tdef, x.realIndex + 1);
        // The bytes past the entries are free only where the page's own free-space field
        // says so; a page that disagrees keeps them.
        if (m_plan[number].role == Role::Index)
            m_plan[number].entriesEnd = h.freeSpace == m_format.pageSize - h.entriesEnd ? h.entriesEnd : 0;
        if (p.leaf)
            return;
        for (size_t i = 0; i < p.count(); ++i)
            walkIndex(x, tdef, p.child(i), depth + 1, seen);
        if (p.tail != 0)
            walkIndex(x, tdef, p.tail, depth + 1, seen);
    }

    Database& m_db;
    PageFile& m_file;
    const Format& m_format;
    std::vector<PagePlan> m_plan;
    std::set<uint64_t> m_movedRows;  // targets of moved rows whose home slot points to them
    std::set<uint32_t> m_doubtful;   // definition pages of tables not walked completely
    std::vector<std::string> m_notes;
    std::vector<std::string> m_conflicts;        // pages reached in two roles, in German
    std::map<uint32_t, std::string> m_names;      // definition page -> table name
    std::map<uint64_t, std::string> m_indexNames; // definition page, real index + 1 -> index names
};

// The dead byte ranges of one data page: the gap above the row table, removed rows, images
// of moved rows nothing points to, and what lies behind a moved row's pointer.
std::vector<std::pair<uint32_t, uint32_t>> deadRanges(const PageRef& page, const Format& format, const PagePlan& plan,
                                                      const Walker& walker)
{
    std::vector<std::pair<uint32_t, uint32_t>> dead;
    const DataPage d(page, format);
    const uint32_t tableEnd = format.dataRowTable + 2u * d.rowCount();
    uint32_t lowest = format.pageSize;
    const bool knownTable = plan.role == Role::TableData && !walker.doubtfulTables().count(plan.owner);
    for (unsigned i = 0; i < d.rowCount(); ++i) {
        const RowSlot s = d.slot(i);
        lowest = std::min<uint32_t>(lowest, s.start);
        if (s.start == s.end)
            continue;
        if (s.deleted && s.overflow) {
            dead.emplace_back(s.start, s.end);
        } else if (s.deleted) {
            // Alone, the flag marks a moved row's bytes too: dead only when the table's every
            // home slot was read and none points here. Access frees long values with both
            // flags; a long-value row with this one alone is nothing it writes: left.
            if (knownTable && !walker.movedRows().count(makeRowId(page->number, i)))
                dead.emplace_back(s.start, s.end);
        } else if (s.overflow && plan.role == Role::TableData && static_cast<uint32_t>(s.end - s.start) > kRowPointerSize) {
            dead.emplace_back(s.start + kRowPointerSize, s.end);
        }
    }
    if (lowest > tableEnd)
        dead.emplace_back(tableEnd, lowest);
    return dead;
}

}  // namespace

PageWalk walkPages(Database& db)
{
    Walker walker(db);
    walker.mark(kFreePageMapPage, Role::MapRows);
    for (uint32_t bitmap : FreePageMap(db.file(), db.format()).mapPages())
        walker.mark(bitmap, Role::UsageBitmap);
    for (const CatalogEntry& table : db.allTables())
        walker.walkTable(table.tableDefPage, table.name);
    PageWalk out;
    out.used.assign(walker.plan().size(), false);
    for (size_t page = 0; page < out.used.size(); ++page)
        out.used[page] = page == 0 || walker.plan()[page].role != Role::None;
    out.conflicts = walker.conflicts();
    return out;
}

std::vector<bool> usedPages(Database& db) { return walkPages(db).used; }

ScrubReport scrubDatabase(Database& db, const ScrubProgress& progress)
{
    PageFile& file = db.file();
    const Format& format = db.format();
    const std::string refusal = db.catalogTable().writeRefusal();
    if (!refusal.empty())
        throw JetError("Der freie Speicher kann nicht überschrieben werden: " + refusal);
    if (file.inUnit())
        throw JetError("Interner Fehler: Der freie Speicher wird während einer Änderung überschrieben.");
    const FreePageMap freeMap(file, format);

    ScrubReport report;
    report.pages = file.pageCount();
    Walker walker(db);
    const std::vector<CatalogEntry>& tables = db.allTables();
    const uint64_t total = tables.size() + report.pages;
    const auto reached = [&](uint64_t done) {
        if (progress && !progress(done, total))
            throw ScrubStopped();
    };
    walker.mark(kFreePageMapPage, Role::MapRows);
    for (uint32_t bitmap : freeMap.mapPages())
        walker.mark(bitmap, Role::UsageBitmap);
    for (size_t i = 0; i < tables.size(); ++i) {
        walker.walkTable(tables[i].tableDefPage, tables[i].name);
        reached(i + 1);
    }
    std::vector<PagePlan>& plan = walker.plan();

    file.beginUnit();
    try {
        for (uint32_t number = 1; number < report.pages; ++number) {
            if (number % kProgressPages == 0)
                reached(tables.size() + number);
            const PagePlan& p = plan[number];
            const bool free = freeMap.isFree(number);
            const PageRef page = file.page(number);
            std::vector<std::pair<uint32_t, uint32_t>> dead;
            if (p.role == Role::None && !free) {
                // A long-value page that no value of a known column reaches (a system
                // table's column of a type the engine does not read, or values deleted
                // long ago) still has its slot table: its removed rows are dead whoever
                // owns the rest. Any other page is nothing the walk can account for.
                const bool longValues = page->type() == kPageData
                                        && page->view().u32(kDataOwner, "Besitzer") == kLongValueOwner;
                if (!longValues) {
                    if (!allZero(page->bytes.data(), page->bytes.size()))
                        ++report.pagesLeft;
                    continue;
                }
                try {
                    dead = deadRanges(page, format, PagePlan{Role::LongValue, 0, 0}, walker);
                } catch (const CorruptError& e) {
                    walker.notes().push_back(e.what());
                    ++report.pagesLeft;
                    continue;
                }
            } else if (p.role == Role::None) {
                // A free page that still names a table whose pages the walk may have missed
                // is left: better a leftover than a lost row.
                const bool owned = page->type() == kPageData || page->type() == kPageIndexNode
                                   || page->type() == kPageIndexLeaf;
                const uint32_t owner = owned ? page->view().u32(kDataOwner, "Besitzer") : 0;
                if (owned && (walker.doubtfulTables().count(owner)
                              || (owner == kLongValueOwner && !walker.doubtfulTables().empty()))) {
                    walker.notes().push_back("Seite " + std::to_string(number)
                                             + " ist als frei markiert, gehört aber vielleicht noch einer Tabelle; sie "
                                               "bleibt, wie sie ist.");
                    continue;
                }
                dead.emplace_back(0, format.pageSize);
            } else if (free) {
                walker.notes().push_back("Seite " + std::to_string(number)
                                         + " ist als frei markiert, wird aber noch verwendet; sie bleibt, wie sie ist.");
                continue;
            } else if (p.role == Role::MapRows || p.role == Role::TableData || p.role == Role::LongValue) {
                try {
                    dead = deadRanges(page, format, p, walker);
                } catch (const CorruptError& e) {
                    walker.notes().push_back(e.what());
                    continue;
                }
            } else if (p.role == Role::Index && p.entriesEnd > 0 && p.entriesEnd < format.pageSize) {
                dead.emplace_back(p.entriesEnd, format.pageSize);
            } else {
                continue;
            }
            uint64_t nonZero = 0;
            for (const auto& [from, to] : dead)
                nonZero += static_cast<uint64_t>(
                    std::count_if(page->bytes.begin() + from, page->bytes.begin() + to, [](uint8_t b) { return b != 0; }));
            if (nonZero == 0)
                continue;
            const PageEdit edit = file.edit(number);
            for (const auto& [from, to] : dead)
                std::fill(edit->bytes.begin() + from, edit->bytes.begin() + to, 0);
            ++report.pagesChanged;
            if (p.role == Role::None && free)
                ++report.freePagesZeroed;
            report.bytesZeroed += nonZero;
        }
        reached(total);
        file.commitUnit();
    } catch (...) {
        file.rollbackUnit();
        throw;
    }
    // The journal's before-images are the very bytes just zeroed.
    file.emptyJournal();
    report.notes = std::move(walker.notes());
    return report;
}

}  // namespace db::jet
