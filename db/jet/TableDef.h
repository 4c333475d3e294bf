// A table's definition: columns, indexes, usage maps and counters, read from its TDEF
// chain; and the two counters a write changes (rows, last autonumber), patched in place.
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
    // Text columns: the sort order their keys follow (see kColumnSortOrderJet4).
    uint16_t sortLanguage = 0;
    uint8_t sortVersion = 0;
};

// A logical index together with the real index that holds its entries. Several logical
// indexes may share one real index (a foreign key over columns that are indexed anyway).
struct IndexDef {
    std::string name;
    uint32_t number = 0;
    uint32_t realIndex = 0;
    std::vector<IndexColumn> columns;
    uint32_t rootPage = 0;
    uint32_t usageMap = 0;
    uint8_t flags = 0;  // of the real index
    uint8_t type = 0;
    uint32_t uniqueEntryCount = 0;  // real index statistics; Access only ever raises it
    // Foreign keys (type 2): this table's side, the other table and its index.
    uint8_t relatedSide = 0;  // kIndexRelatedReferenced / kIndexRelatedReferencing
    int32_t relatedIndex = -1;
    uint32_t relatedTablePage = 0;
    bool cascadeUpdates = false;
    bool cascadeDeletes = false;
    bool cascadeSetNull = false;

    bool isPrimaryKey() const { return type == kIndexTypePrimary; }
    bool isForeignKey() const { return type == kIndexTypeForeign; }
    bool isUnique() const { return (flags & kIndexUnique) != 0 || isPrimaryKey(); }
    bool ignoresNulls() const { return (flags & kIndexIgnoreNulls) != 0; }
    bool isRequired() const { return (flags & kIndexRequired) != 0; }
    // The foreign-key side that holds the references (the "many" side).
    bool isReferencing() const { return isForeignKey() && relatedSide == kIndexRelatedReferencing; }
};

// The usage maps of one memo or OLE column: its long-value pages, and those with room.
struct LongValueMaps {
    uint16_t column = 0;      // column number
    uint32_t ownedPages = 0;  // map pointer, 0 = none
    uint32_t freePages = 0;
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
    uint32_t realIndexCount = 0;      // indexes whose entries Access keeps on index pages
    std::vector<ColumnDef> columns;  // in column-number order
    std::vector<IndexDef> indexes;
    std::vector<LongValueMaps> longValueMaps;
    bool longValueMapsReadable = true;  // false: the list after the index names is damaged

    const ColumnDef* findColumn(uint16_t number) const;
    const LongValueMaps* longValueMapsOf(uint16_t column) const;
    // Bytes of fixed data in a row written now: up to the end of the last fixed column.
    uint32_t fixedDataSize() const;
};

// Reads the definition whose chain starts at `page`. `codePage` decodes Jet 3 names.
TableDef readTableDef(PageFile& file, const Format& format, uint32_t page, uint16_t codePage);

// Writes `def.rowCount` and `def.lastAutoNumber` into the first page of its definition
// (inside the current unit).
void writeTableDefCounters(PageFile& file, const Format& format, const TableDef& def);

// Writes the number of distinct keys Access counts for real index `realIndex` into the
// definition's index statistics (on its first page; inside the current unit).
void writeIndexUniqueCount(PageFile& file, const Format& format, uint32_t tableDefPage, uint32_t realIndex,
                           uint32_t count);

// A new Jet 4 definition of `def` (columns with their names, usage-map pointers,
// counters and indexes; no long-value column maps), ready for writeTableDef. Real index
// i is described by the first of def.indexes whose realIndex is i.
std::vector<uint8_t> encodeTableDef(const TableDef& def, const Format& format);
// How many pages a definition of `size` bytes takes: the first page whole, every further
// one after its 8-byte header.
size_t tableDefPageCount(size_t size, const Format& format);
// Lays `definition` out over `pages` (tableDefPageCount of them), chained.
void writeTableDef(PageFile& file, const Format& format, const std::vector<uint32_t>& pages,
                   const std::vector<uint8_t>& definition);

// Reassembles a TDEF chain (exposed for tests): the first page whole, every following
// page from byte 8. Loops and chains longer than the file are corruption.
std::vector<uint8_t> readTableDefChain(PageFile& file, const Format& format, uint32_t page);

}  // namespace db::jet
