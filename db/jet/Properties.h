// The property blob of a catalog entry (MSysObjects.LvProp): Access's per-table and
// per-column properties. The engine reads only "Required", which makes a column NOT NULL,
// and writes the blobs of a new file's database objects (MSysDb, SummaryInfo, UserDefined).
// Layer: catalog helper; works on the blob's bytes only.
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
#include <set>
#include <string>
#include <vector>

namespace db::jet {

// Names of the columns whose "Required" property is true. Throws CorruptError when the
// blob's structure does not hold together.
std::set<std::string> requiredColumns(const std::string& blob, bool jet3, uint16_t codePage);

// One property: Boolean (value 0/1), Long or Text (UTF-8). `ddl`: set by a schema
// statement rather than the user interface (Access marks "Required" so).
struct Property {
    std::string name;
    ColumnType type = ColumnType::Text;
    int32_t number = 0;  // Boolean, Long
    std::string text;    // Text
    bool ddl = false;
};

// The properties of the object itself (empty owner) or of one of its columns.
struct PropertyBlock {
    std::string column;  // empty: the object
    std::vector<Property> properties;
};

// A Jet 4 blob holding `blocks`, laid out as Access lays them out (MSysDb's blob in
// testV2000.mdb, the columns' "Required" in fixedTextTestV2000.mdb): one list of the names,
// then a block per owner. Throws JetError for a type other than Boolean, Long and Text.
std::string encodeProperties(const std::vector<PropertyBlock>& blocks);

}  // namespace db::jet
