// CSV rows of database values: a header row, NULL as an empty field, text double-quoted
// with inner quotes doubled, numbers plain, date-times "YYYY-MM-DD HH:MM:SS", Booleans 1/0,
// bytes as 0x and hex digits.
// Layer: command-line tool helper; formats values, knows no database.
#pragma once

#include "db/DbConnection.h"

#include <ostream>

namespace cli {

void writeCsvHeader(std::ostream& out, const db::ResultColumns& columns);
void writeCsvRow(std::ostream& out, const db::ResultColumns& columns, const std::vector<db::Value>& row);

// Shortest text that reads back as the same double ("0.1", "444.555", "3.5").
std::string formatNumber(double v);

}  // namespace cli
