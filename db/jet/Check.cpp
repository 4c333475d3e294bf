// Walking every table and map of a file and comparing what each says.
#include "db/jet/Check.h"

#include "db/jet/Scrub.h"

#include "db/jet/Database.h"
#include "db/jet/IndexCheck.h"
#include "db/jet/UsageMap.h"

#include <map>
#include <optional>

namespace db::jet {

namespace {

using IndexFindings = std::map<uint32_t, std::vector<IndexFinding>>;

// One scan of the table serves its own checks and those of its indexes, whose findings go
// to `indexFindings` (reported later, in the index check's order). Where anything but
// damage met in the scan stops the index check, it is left to checkIndexes, which runs it
// again on its own.
void checkTable(Database& db, Table& table, std::map<uint32_t, std::string>& owners, std::vector<std::string>& out,
                IndexFindings& indexFindings)
{
    const std::string name = "Tabelle \"" + table.name() + "\"";
    std::optional<TableIndexCheck> indexes;
    bool scanning = false;
    try {
        const TableDef& def = table.def();
        const std::vector<uint32_t>& pages = table.dataPages();
        for (uint32_t p : pages) {
            const auto [it, fresh] = owners.emplace(p, table.name());
            if (!fresh)
                out.push_back(name + ": Seite " + std::to_string(p) + " gehört auch der Tabelle \"" + it->second + "\".");
        }
        for (uint32_t p : readUsageMap(db.file(), db.format(), def.freePagesMap))
            if (!std::binary_search(pages.begin(), pages.end(), p))
                out.push_back(name + ": Die Liste der Seiten mit Platz nennt Seite " + std::to_string(p)
                              + ", die der Tabelle nicht gehört.");
        // The catalog's indexes belong to the catalog table itself (as checkIndexes sees it).
        if (!indexFindings.count(def.page) && (def.page != kCatalogPage || &table == &db.catalogTable())) {
            try {
                indexes.emplace(db, table);
            } catch (const JetError&) {
                indexes.reset();
            }
        }
        uint64_t rows = 0;
        Table::ScanState scan;
        Table::Row row;
        scanning = true;
        while (table.next(scan, row)) {
            ++rows;
            for (size_t i = 0; i < def.columns.size(); ++i) {
                try {
                    table.value(row, i);
                } catch (const CorruptError& e) {
                    out.push_back(name + ", Zeile " + std::to_string(row.rowId) + ", Spalte \"" + def.columns[i].name
                                  + "\": " + e.what());
                } catch (const JetError&) {
                    // A column type the engine does not read is not damage.
                }
            }
            if (indexes) {
                try {
                    indexes->row(row);
                } catch (const JetError&) {
                    indexes.reset();
                }
            }
        }
        scanning = false;
        if (rows != def.rowCount)
            out.push_back(name + ": Die Definition nennt " + std::to_string(def.rowCount) + " Zeilen, gefunden wurden "
                          + std::to_string(rows) + ".");
    } catch (const CorruptError& e) {
        out.push_back(name + ": " + e.what());
        // Damage that ended the scan ends the indexes' comparison with the rows too.
        if (indexes && scanning)
            indexes->scanFailed(e);
        else
            indexes.reset();
    } catch (const JetError& e) {
        out.push_back(name + ": " + e.what());
        indexes.reset();
    }
    if (indexes)
        indexFindings.emplace(table.def().page, indexes->finish());
}

// Pages that no structure the walk can read uses and the free-page map does not mark
// free: long values of a system table whose definition the engine cannot read
// (MSysAccessObjects), or pages Access leaves behind until it compacts the file. No
// damage the check can prove; the writer never hands them out (they are not free) and the
// scrub leaves them as they are.
std::string unrecordedNote(const std::vector<uint32_t>& pages)
{
    constexpr size_t kNamed = 20;
    std::string list;
    for (size_t i = 0; i < pages.size() && i < kNamed; ++i)
        list += (i ? ", " : "") + std::to_string(pages[i]);
    if (pages.size() > kNamed)
        list += ", …";
    return (pages.size() == 1 ? "Seite " + list + " gehört zu keiner Struktur, die die Prüfung lesen kann, und ist"
                              : std::to_string(pages.size()) + " Seiten (" + list
                                    + ") gehören zu keiner Struktur, die die Prüfung lesen kann, und sind")
           + " nicht als frei markiert (etwa Seiten einer Systemtabelle unbekannten Aufbaus oder Seiten, die Access "
             "erst beim Komprimieren freigibt); sie werden weder beschrieben noch überschrieben.";
}

}  // namespace

std::vector<std::string> checkErrors(const std::vector<CheckFinding>& findings)
{
    std::vector<std::string> out;
    for (const CheckFinding& f : findings)
        if (f.error)
            out.push_back(f.text);
    return out;
}

std::vector<CheckFinding> checkDatabase(Database& db)
{
    std::vector<std::string> out;
    std::vector<std::string> notes;
    std::map<uint32_t, std::string> owners;
    IndexFindings indexFindings;
    checkTable(db, db.catalogTable(), owners, out, indexFindings);
    for (const CatalogEntry& e : db.userTables())
        checkTable(db, db.table(e), owners, out, indexFindings);
    try {
        if (!db.format().jet3) {
            const FreePageMap free(db.file(), db.format());
            for (const auto& [page, table] : owners)
                if (free.isFree(page))
                    out.push_back("Seite " + std::to_string(page) + " der Tabelle \"" + table
                                  + "\" ist in der Liste der freien Seiten als frei markiert.");
            // Index, long-value, definition and map pages: the scrub's walk knows them all.
            const PageWalk walk = walkPages(db);
            const std::vector<bool>& used = walk.used;
            for (const std::string& conflict : walk.conflicts)
                out.push_back(conflict);
            std::vector<uint32_t> unrecorded;
            for (uint32_t page = 0; page < used.size(); ++page) {
                if (used[page] && free.isFree(page) && !owners.count(page))
                    out.push_back("Seite " + std::to_string(page)
                                  + " ist in der Liste der freien Seiten als frei markiert, wird aber noch verwendet.");
                else if (!used[page] && !free.isFree(page))
                    unrecorded.push_back(page);
            }
            if (!unrecorded.empty())
                notes.push_back(unrecordedNote(unrecorded));
        }
    } catch (const JetError& e) {
        out.push_back(e.what());
    }
    std::vector<CheckFinding> findings;
    for (std::string& text : out)
        findings.push_back({true, std::move(text)});
    for (std::string& text : notes)
        findings.push_back({false, std::move(text)});
    for (const IndexFinding& f : checkIndexes(db, &indexFindings))
        findings.push_back({f.severity == IndexFinding::Severity::Error, describeFinding(f)});
    return findings;
}

}  // namespace db::jet
