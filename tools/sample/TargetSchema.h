// The tables of the sample Edvara target database and of the school directory.
// Layer: sample tool. Structure only; the rows come from TargetContent/DirectoryContent.
#pragma once

#include "tools/sample/Schema.h"

#include <vector>

namespace sample {

// Every table the product's catalog lists, in catalog order, then the tables outside
// the catalog that the anonymisation empties (report templates).
const std::vector<TableDef>& targetTables();
const TableDef& targetTable(const std::string& name);

// Table DBS of the school directory "Schulver.mdb".
const TableDef& directoryTable();

}  // namespace sample
