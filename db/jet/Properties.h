// The property blob of a catalog entry (MSysObjects.LvProp): Access's per-table and
// per-column properties. The engine reads only "Required", which makes a column NOT NULL.
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

#include <cstdint>
#include <set>
#include <string>

namespace db::jet {

// Names of the columns whose "Required" property is true. Throws CorruptError when the
// blob's structure does not hold together.
std::set<std::string> requiredColumns(const std::string& blob, bool jet3, uint16_t codePage);

}  // namespace db::jet
