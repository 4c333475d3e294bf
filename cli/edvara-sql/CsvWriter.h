// CSV rows of database-layer values (db::Value), written in the forms of CsvFormat.h.
// Layer: command-line tool helper; formats values, knows no database.
#pragma once

#include "cli/edvara-sql/CsvFormat.h"
#include "db/DbConnection.h"

#include <ostream>

namespace cli {

void writeCsvHeader(std::ostream& out, const db::ResultColumns& columns);
void writeCsvRow(std::ostream& out, const db::ResultColumns& columns, const std::vector<db::Value>& row);

}  // namespace cli
