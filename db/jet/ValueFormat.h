// Text forms of the values that SQL sees as text: date-times, GUIDs and exact decimals.
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

// The inverse: "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (years 100 to 9999) as Access days.
// Empty for any other text or an impossible date.
std::optional<double> parseDateTime(const std::string& text);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": the first three groups little-endian, as
// Windows stores a GUID.
std::string formatGuid(const uint8_t bytes[16]);

// A Numeric (Decimal) value: sign byte (0x80 negative) then a 128-bit magnitude as four
// 32-bit little-endian words, most significant first; `scale` digits after the point.
std::string formatDecimal(const uint8_t bytes[17], unsigned scale);

}  // namespace db::jet
