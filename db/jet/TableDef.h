// A table's definition: columns, indexes, usage maps and counters, read from its TDEF
// chain.
// Layer: table definition; knows the definition's layout, not rows or SQL.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/PageFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::jet {

// Whether this engine knows the layout of a column type's values.
bool isKnownColumnType(ColumnType type);

struct ColumnDef {
    std::string name;  // UTF-8
    ColumnType type = ColumnType::Text;
    uint16_t number = 0;    // null-mask bit
    uint16_t varIndex = 0;  // slot in the row's variable-offset table
    uint16_t fixedOffset = 0;
    uint16_t length = 0;    // bytes
    uint8_t flags = 0;
    uint8_t extFlags = 0;
    uint8_t precision = 0;
    uint8_t scale = 0;

    bool isFixed() const { return (flags & kColumnFixed) != 0; }
    bool isAutoNumber() const { return (flags & kColumnAutoLong) != 0 && type == ColumnType::Long; }
    bool isCalculated() const { return (extFlags & kColumnCalculated) != 0; }
    bool isLongValue() const { return type == ColumnType::Memo || type == ColumnType::Ole; }
    // A type newer than this engine (Access writes such for features added after it): its
    // values read as their raw bytes, and nothing may be written to the column, since we
    // cannot tell what a valid value is.
    bool isUnknownType() const { return !isKnownColumnType(type); }
};

struct IndexColumn {
    uint16_t columnNumber = 0;
    bool ascending = true;
};

// A logical index together with the real index that holds its entries.
struct IndexDef {
    std::string name;
    uint32_t number = 0;
    uint32_t realIndex = 0;
    std::vector<IndexColumn> columns;
    uint32_t rootPage = 0;
    uint32_t usageMap = 0;
    uint8_t flags = 0;
    uint8_t type = 0;
    uint32_t relatedTablePage = 0;

    bool isPrimaryKey() const { return type == kIndexTypePrimary; }
    bool isForeignKey() const { return type == kIndexTypeForeign; }
    bool isUnique() const { return (flags & kIndexUnique) != 0 || isPrimaryKey(); }
};

struct TableDef {
    uint32_t page = 0;  // first TDEF page: the table's identity
    uint32_t rowCount = 0;
    uint32_t lastAutoNumber = 0;
    uint8_t tableType = 0;
    uint16_t maxColumns = 0;
    uint16_t varColumns = 0;
    uint32_t ownedPagesMap = 0;
    uint32_t freePagesMap = 0;
    std::vector<ColumnDef> columns;  // in column-number order
    std::vector<IndexDef> indexes;

    const ColumnDef* findColumn(uint16_t number) const;
};

// Reads the definition whose chain starts at `page`. `codePage` decodes Jet 3 names.
TableDef readTableDef(PageFile& file, const Format& format, uint32_t page, uint16_t codePage);

// Reassembles a TDEF chain (exposed for tests): the first page whole, every following
// page from byte 8. Loops and chains longer than the file are corruption.
std::vector<uint8_t> readTableDefChain(PageFile& file, const Format& format, uint32_t page);

}  // namespace db::jet
