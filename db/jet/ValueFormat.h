// Text forms of the values that SQL sees as text: date-times, GUIDs and exact decimals,
// both ways. The database layer formats and parses date-times through these functions too,
// so that the engine reads exactly what the layer writes.
// Layer: row codec helper; pure functions over numbers and bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace db::jet {

// "YYYY-MM-DD HH:MM:SS" for an Access date-time (days since 1899-12-30, the fraction being
// the time of day, also for negative days). Rounds to the nearest second, halves up; a
// time that rounds to 24:00:00 becomes 00:00:00 of the next day. Empty for values outside
// the years 100 to 9999 and for NaN.
std::optional<std::string> formatDateTime(double days);

// The inverse, for the forms people and programs write: "YYYY-MM-DD", optionally followed
// by " " or "T" and "HH:MM", ":SS" and ".mmm"; or the German "DD.MM.YYYY", optionally with
// " HH:MM[:SS]"; blanks around are ignored. Years 100 to 9999. Empty for any other text
// or an impossible date or time.
std::optional<double> parseDateTime(const std::string& text);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, hex digits in either case)
// back into the 16 bytes formatGuid reads; false for any other text.
bool parseGuid(const std::string& text, uint8_t bytes[16]);

// A decimal number ("-12.345", "7", "1e3" is refused) as the 17 bytes of a Numeric column
// with `precision` digits of which `scale` follow the point; more digits after the point
// than `scale` are rounded half away from zero. False when the text is not a number or
// does not fit.
bool parseDecimal(const std::string& text, unsigned precision, unsigned scale, uint8_t bytes[17]);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": the first three groups little-endian, as
// Windows stores a GUID.
std::string formatGuid(const uint8_t bytes[16]);

// A Numeric (Decimal) value: sign byte (0x80 negative) then a 128-bit magnitude as four
// 32-bit little-endian words, most significant first; `scale` digits after the point.
std::string formatDecimal(const uint8_t bytes[17], unsigned scale);

}  // namespace db::jet
