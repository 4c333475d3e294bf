// The row store of one table: its rows on its data pages, read in page order or by row
// id (following moved rows) and turned into column values; new rows placed on a page with
// room, changed rows rewritten in place, moved away or back home, removed rows freed with
// their long values; the usage maps of the pages owned and with room, the long-value pages
// of each memo and OLE column, and the row counters of the definition.
// Layer: table; knows pages, rows and columns, not index keys or SQL.
#pragma once

#include "db/jet/DataPage.h"
#include "db/jet/LongValue.h"
#include "db/jet/RowCodec.h"
#include "db/jet/TableDef.h"
#include "db/jet/UsageMap.h"
#include "db/jet/Value.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader;
class Space;

// One row as it is stored (Table::Row). Its id (makeRowId, JetFormat.h) is the page and
// slot of its home slot, stable for the row's life.
struct TableRow {
    uint64_t rowId = 0;
    PageRef page;  // keeps `bytes` alive
    ByteView bytes;
    std::vector<FieldSpan> fields;
};

// What the parts of one table (its row store and its index set) work on: the file with
// its header and page allocator, and the table's name and definition. Name and definition
// are the Table's; it reads the definition again after a rollback and then resets the parts.
struct TableBasis {
    PageFile& file;
    const DatabaseHeader& header;
    const Format& format;
    Space& space;
    const std::string& name;
    TableDef& def;
};

// Scanning in page order (Table::ScanState). A fresh one starts at the first row; rows
// written while a scan runs may or may not be met, but no row is met twice.
struct RowScan {
    uint32_t page = 0;  // the page being read; 0 before the first
    unsigned slot = 0;
    bool started = false;
};

class RowStore {
public:
    explicit RowStore(const TableBasis& table);
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    // Forgets everything derived from pages and the definition (after a rollback).
    void reset();

    // --- Reading -----------------------------------------------------------------------
    // Pages the table owns, from its usage map, ascending.
    const std::vector<uint32_t>& pages();
    bool next(RowScan& state, TableRow& row);
    // The live row whose home slot is `rowId`; false when there is none (any id is safe).
    bool fetch(uint64_t rowId, TableRow& row);
    // The value of column `index` (of def.columns) in `row`.
    Value value(const TableRow& row, size_t index);

    // --- Writing (inside a unit of the page file) ----------------------------------------
    // New rows go only to the page the last row went to, or a new one.
    void setAppendOnly(bool appendOnly) { m_appendOnly = appendOnly; }

    // The row's bytes from one value per column: long values (`writeLong`: given as their
    // data) stay inline while the row still fits a page, the others go to long-value pages
    // of their column, their column bytes replacing the data in `values`.
    std::vector<uint8_t> finishRow(std::vector<EncodedValue>& values, const std::vector<bool>& writeLong);
    // Puts the bytes of a row on a page with room, never on `avoidA` or `avoidB`, else on
    // a new page of the table.
    RowPointer place(const std::vector<uint8_t>& row, uint16_t flags = 0, uint32_t avoidA = 0, uint32_t avoidB = 0);

    // Where a stored row's bytes are: in its home slot, or moved to another page with a
    // pointer in its home slot.
    struct Location {
        uint32_t homePage = 0;
        unsigned homeSlot = 0;
        bool moved = false;
        RowPointer target;  // page of the moved bytes
        uint8_t targetSlot = 0;
    };
    // Throws JetError (German) for a pointer Access does not write.
    Location locate(uint64_t rowId, const TableRow& row);
    // New bytes for the row at `at`: at home when they fit there, else moved (again).
    void rewrite(const Location& at, const std::vector<uint8_t>& row);
    // The row with home slot `rowId` removed; `bytesPage` is the page its bytes are on.
    void erase(uint64_t rowId, uint32_t bytesPage);

    // The column bytes of every long value in `row`, to be freed once the row is gone.
    std::vector<std::vector<uint8_t>> longValueFields(const TableRow& row) const;
    void freeLongValues(const std::vector<std::vector<uint8_t>>& fields);

    // The definition's row count and last autonumber saved for a row gained or lost.
    void rowAdded(uint32_t lastAutoNumber);
    void rowRemoved();

    // "Das Feld ... der Tabelle ...", the start of messages about a column.
    std::string describe(const ColumnDef& c) const;

private:
    struct WriteState;
    class ColumnSpace;

    bool resolve(const DataPage& page, unsigned slot, TableRow& row);
    ValueContext valueContext();
    WriteState& writer();
    void noteSpace(DataPageWriter& page);
    void pageEmptied(uint32_t page);
    void removeSlot(uint32_t page, unsigned slot);
    void rewriteAtHome(const Location& at, const std::vector<uint8_t>& row);
    void rewriteMoved(const Location& at, const std::vector<uint8_t>& row);
    void saveCounters();

    TableBasis m_table;
    std::unique_ptr<RowCodec> m_codec;
    std::optional<std::vector<uint32_t>> m_pages;
    PageStamps m_pagesStamps;  // of the map m_pages was read from
    std::unique_ptr<WriteState> m_write;
    bool m_appendOnly = false;
};

}  // namespace db::jet
