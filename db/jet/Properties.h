// The property blob of a catalog entry (MSysObjects.LvProp): Access's per-table and
// per-column properties, read whole (ColumnRules picks the ones Access enforces on a
// write) and written for a new file's objects (MSysDb, SummaryInfo, UserDefined, Required).
// Layer: catalog helper; works on the blob's bytes only, interprets no property.
//
// OFFSET  SIZE  DESCRIPTION
//  0x00     4   "MR2\0" (Jet 4) or "KKD\0" (Jet 3)
//  then blocks: [length: 4, counting itself] [type: 2] [body]
//   type 0x80: property names, each [length: 2] [name: UTF-16LE (Jet 3: code page)]
//   type 0x00 (the table) / 0x01 (a column): [owner length: 4, counting itself]
//     [name length: 2] [owner name], then entries until the block ends:
//     [entry length: 2, counting itself] [DDL flag: 1] [data type: 1] [name index: 2]
//     [value length: 2] [value]
#pragma once

#include "db/jet/JetFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::jet {

// One property: Boolean (value 0/1), Byte, Integer, Long or Text and Memo (UTF-8; the
// two differ only in their type byte). `ddl`: a property of the engine rather than of
// Access's user interface (Access marks "Required", "AllowZeroLength", "DefaultValue" so).
struct Property {
    std::string name;
    ColumnType type = ColumnType::Text;
    int32_t number = 0;  // Boolean, Byte, Integer, Long
    std::string text;    // Text, Memo
    bool ddl = false;
};

// The properties of the object itself (empty owner) or of one of its columns.
struct PropertyBlock {
    std::string column;  // empty: the object
    std::vector<Property> properties;
};

// Every block of a blob in the blob's order; values of other types than those above are
// left empty (`type` says which they are). An empty blob has none. Throws CorruptError
// when the signature is neither Jet 4's nor Jet 3's or the structure does not hold together.
std::vector<PropertyBlock> decodeProperties(const std::string& blob, bool jet3, uint16_t codePage);

// A Jet 4 blob holding `blocks`, laid out as Access lays them out (MSysDb's blob in
// testV2000.mdb, the columns' "Required" in fixedTextTestV2000.mdb): one list of the names,
// then a block per owner. Throws JetError for a type other than Boolean, Long, Text and Memo.
std::string encodeProperties(const std::vector<PropertyBlock>& blocks);

}  // namespace db::jet
