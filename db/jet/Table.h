// One table: scanning its rows, fetching a row by its id, and turning the row's bytes into
// column values (following long values and moved rows).
// Layer: table; knows pages, rows and columns, not SQL.
#pragma once

#include "db/jet/DataPage.h"
#include "db/jet/RowCodec.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader;

// A row's identity: the page and slot of its home slot, stable for the row's life.
inline uint64_t makeRowId(uint32_t page, unsigned slot) { return (static_cast<uint64_t>(page) << 8) | slot; }
inline uint32_t rowIdPage(uint64_t rowId) { return static_cast<uint32_t>(rowId >> 8); }
inline unsigned rowIdSlot(uint64_t rowId) { return static_cast<unsigned>(rowId & 0xFF); }

class Table {
public:
    Table(PageFile& file, const DatabaseHeader& header, std::string name, TableDef def);

    const std::string& name() const { return m_name; }
    const TableDef& def() const { return m_def; }

    struct Row {
        uint64_t rowId = 0;
        PageRef page;  // keeps `bytes` alive
        ByteView bytes;
        std::vector<FieldSpan> fields;
    };

    // Scanning in page order. A fresh ScanState starts at the first row.
    struct ScanState {
        size_t pageIndex = 0;
        unsigned slot = 0;
        std::unique_ptr<DataPage> page;
    };
    bool next(ScanState& state, Row& row);

    // The live row whose home slot is `rowId`; false when there is none (any id is safe).
    bool fetch(uint64_t rowId, Row& row);

    // The value of column `index` (of def().columns) in `row`.
    Value value(const Row& row, size_t index);

    // Pages the table owns, from its usage map (read once).
    const std::vector<uint32_t>& dataPages();

private:
    bool resolve(const DataPage& page, unsigned slot, Row& row);
    [[noreturn]] void unsupported(const ColumnDef& c, const std::string& what) const;

    PageFile& m_file;
    const DatabaseHeader& m_header;
    const Format& m_format;
    std::string m_name;
    TableDef m_def;
    RowCodec m_codec;
    std::optional<std::vector<uint32_t>> m_pages;
};

}  // namespace db::jet
