// The CSV forms of result values, free of Qt: a header row, NULL as an empty field, text
// double-quoted with inner quotes doubled, numbers plain, date-times and exact decimals
// unquoted, Booleans 1/0, bytes as 0x and upper-case hex digits. The full tool and the
// quick read both write through these functions, so their output cannot drift apart.
// Layer: command-line tool helper; formats values, knows no database.
#pragma once

#include "db/ColumnKind.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// Each appends one field to `out`, a row being built (the caller adds "," and "\n").
// A header field: the column name, quoted only where CSV needs it.
void appendCsvName(std::string& out, std::string_view utf8);
void appendCsvInteger(std::string& out, db::ColumnKind kind, int64_t v);
// A floating number in a column that is not a date-time (the caller writes those).
void appendCsvReal(std::string& out, db::ColumnKind kind, double v);
void appendCsvText(std::string& out, db::ColumnKind kind, std::string_view utf8);
void appendCsvBytes(std::string& out, std::string_view bytes);

// Shortest text that reads back as the same double ("0.1", "444.555", "3.5").
std::string formatNumber(double v);

}  // namespace cli
