// The scrub: every byte of an Access file that no live structure uses is overwritten with
// zeros, so that rows Access deleted, old images of moved rows, freed long values and pages
// given back no longer hold the people they described.
// Layer: above table and index (like the check); walks the catalog, every definition, map,
// row, long value and index B-tree, then changes pages in one unit of the page file. It
// never touches page 0, the header or slot table of a page in use, a live row or a page
// whose use it cannot account for; a free page nothing reaches is zeroed whole.
#pragma once

#include "db/jet/JetError.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace db::jet {

class Database;

struct ScrubReport {
    uint32_t pages = 0;            // pages of the file
    uint32_t pagesChanged = 0;     // pages with at least one byte zeroed
    uint32_t freePagesZeroed = 0;  // of those: whole pages that were free and reached by nothing
    uint64_t bytesZeroed = 0;      // bytes that were not zero before
    uint32_t pagesLeft = 0;        // pages neither reached nor marked free, left as they are
    // What the scrub left alone because it could not be sure (German, one a line).
    std::vector<std::string> notes;
};

// Called now and then with the work done and the whole; returning false stops the scrub,
// which then throws ScrubStopped and leaves the file as it was.
using ScrubProgress = std::function<bool(uint64_t done, uint64_t total)>;

class ScrubStopped : public JetError {
public:
    ScrubStopped() : JetError("Das Überschreiben des freien Speichers wurde abgebrochen; die Datei ist unverändert.") {}
};

// Zeroes, inside one unit of the file's journal (so that a crash leaves the file as before
// or as after): the gap between a data page's row table and its lowest row, the bytes of
// removed rows, of moved-row images nothing points to and behind a moved row's pointer, the
// bytes of index pages beyond their last entry, and every page that nothing reaches and the
// free-page map marks free. Throws JetError (German) when the file cannot be written (read
// only, Access 97, .accdb, an unknown free-page map) or a unit is already open; the file is
// then unchanged.
ScrubReport scrubDatabase(Database& db, const ScrubProgress& progress = {});

// The pages the scrub's walk reaches (index = page number; page 0 among them): every
// definition chain, map row and bitmap page, data page, long-value page and index page of
// every table the catalog names. The writer asks it before it reuses a page the free-page
// map marks free.
std::vector<bool> usedPages(Database& db);

// The same walk with what it found against the rule that every page has one owner: each
// page reached in two roles (a data page in two tables' maps, an index page a table's map
// names, a long-value page that is also a data page), described in German.
struct PageWalk {
    std::vector<bool> used;
    std::vector<std::string> conflicts;
};
PageWalk walkPages(Database& db);

}  // namespace db::jet
