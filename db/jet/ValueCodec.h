// One column value and its bytes in a row, both ways: what Table::value hands to SQL and
// what a write puts back, for every column type of Jet 4 (reading also Jet 3's text).
// Layer: row codec helper; knows column types and value forms, not pages or rows. Long
// values pass through as their data; storing them is the long-value layer's part.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace db::jet {

// What decoding needs beyond the column: the format, the code page of Jet 3 text, the
// long-value reader and the table's name for messages.
struct ValueContext {
    const Format& format;
    uint16_t codePage;
    std::function<std::string(ByteView field)> readLongValue;
    const std::string& table;
};

// The SQL value of a column whose bytes are `data` (absent: NULL; Boolean: `present` is
// the value). Throws JetError for column types the engine does not read and CorruptError
// for bytes no value can have.
Value decodeValue(const ColumnDef& column, bool present, ByteView data, const ValueContext& context);

// A value turned into what the row stores for it.
struct EncodedValue {
    bool present = false;       // the null-mask bit (for Boolean: the value)
    std::vector<uint8_t> bytes;  // fixed or variable data; for memo and OLE the long value's data
};

// Converts `value` for `column` as Access would store it: numbers in range and of the
// right kind (whole numbers for integer columns, text that is a number is accepted),
// dates as "YYYY-MM-DD[ HH:MM[:SS]]", "DD.MM.YYYY[ HH:MM[:SS]]" or a day count, text
// compressed where Access compresses it, GUIDs in braces. Throws JetError with a German
// message naming table and column for a value that does not fit or a column the engine
// cannot write (Jet 3 text, attachments, calculated columns).
EncodedValue encodeValue(const ColumnDef& column, const Value& value, const Format& format,
                         const std::string& table);

// Whether the engine can write values into `column` at all.
bool writableColumn(const ColumnDef& column, const Format& format);

// Jet 4 text as a text column with Unicode compression stores it (also memo data).
std::vector<uint8_t> encodeColumnText(const ColumnDef& column, const std::u16string& units);

}  // namespace db::jet
