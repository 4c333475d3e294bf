// One table: scanning its rows, fetching a row by its id, turning the row's bytes into
// column values (following long values and moved rows), and inserting, updating and
// deleting rows with the definition's counters and the usage maps kept right.
// Layer: table; knows pages, rows and columns, not SQL.
#pragma once

#include "db/jet/DataPage.h"
#include "db/jet/LongValue.h"
#include "db/jet/RowCodec.h"
#include "db/jet/TableDef.h"
#include "db/jet/UsageMap.h"
#include "db/jet/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader;
class Space;

// A row's identity: the page and slot of its home slot, stable for the row's life.
inline uint64_t makeRowId(uint32_t page, unsigned slot) { return (static_cast<uint64_t>(page) << 8) | slot; }
inline uint32_t rowIdPage(uint64_t rowId) { return static_cast<uint32_t>(rowId >> 8); }
inline unsigned rowIdSlot(uint64_t rowId) { return static_cast<unsigned>(rowId & 0xFF); }

class Table {
public:
    Table(PageFile& file, const DatabaseHeader& header, Space& space, std::string name, TableDef def,
          std::set<std::string> requiredColumns = {});
    ~Table();

    const std::string& name() const { return m_name; }
    const TableDef& def();

    struct Row {
        uint64_t rowId = 0;
        PageRef page;  // keeps `bytes` alive
        ByteView bytes;
        std::vector<FieldSpan> fields;
    };

    // Scanning in page order. A fresh ScanState starts at the first row; rows written
    // while a scan runs may or may not be met, but no row is met twice.
    struct ScanState {
        uint32_t page = 0;  // the page being read; 0 before the first
        unsigned slot = 0;
        bool started = false;
    };
    bool next(ScanState& state, Row& row);

    // The live row whose home slot is `rowId`; false when there is none (any id is safe).
    bool fetch(uint64_t rowId, Row& row);

    // The value of column `index` (of def().columns) in `row`.
    Value value(const Row& row, size_t index);

    // Pages the table owns, from its usage map, ascending.
    const std::vector<uint32_t>& dataPages();

    // --- Writing (inside a unit of the page file) ------------------------------------
    // Values come one per column of def().columns. An autonumber column given NULL takes
    // the next number. Returns the new row's id.
    uint64_t insert(const std::vector<Value>& values);
    // New values for the row `rowId`; an empty optional keeps the column's stored bytes.
    // `before`, when given, sees the row as it is before anything changes.
    void update(uint64_t rowId, const std::vector<std::optional<Value>>& values,
                const std::function<void(const Row&)>& before = {});
    void remove(uint64_t rowId);
    // Why this table cannot be written, or empty when it can.
    std::string writeRefusal();
    // New rows go only to the page the last row went to, or a new one, so that the rows
    // lie in the order they came (for files laid out from scratch).
    void setAppendOnly(bool appendOnly) { m_appendOnly = appendOnly; }

private:
    struct WriteState;
    class ColumnSpace;

    void sync();
    bool resolve(const DataPage& page, unsigned slot, Row& row);
    ValueContext valueContext();
    WriteState& writer();
    void requireWritable();
    [[noreturn]] void refuseIndexed(const IndexDef& index, const std::string& what);
    const IndexDef* indexCovering(uint16_t columnNumber) const;
    std::vector<uint8_t> finishRow(std::vector<EncodedValue>& values, const std::vector<bool>& writeLong);
    RowPointer place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoidA, uint32_t avoidB);
    void noteSpace(DataPageWriter& page);
    void pageEmptied(uint32_t page);
    void saveCounters();
    std::string describe(const ColumnDef& c) const;

    PageFile& m_file;
    const DatabaseHeader& m_header;
    const Format& m_format;
    Space& m_space;
    std::string m_name;
    TableDef m_def;
    std::set<std::string> m_required;
    std::unique_ptr<RowCodec> m_codec;
    std::optional<std::vector<uint32_t>> m_pages;
    uint64_t m_generation = 0;
    std::unique_ptr<WriteState> m_write;
    bool m_appendOnly = false;
};

}  // namespace db::jet
