// Date, GUID and decimal text forms.
#include "db/jet/ValueFormat.h"

#include "db/jet/ByteView.h"

#include <cmath>
#include <cstdio>

namespace db::jet {

namespace {

// Days since 1970-01-01 to the civil date (proleptic Gregorian).
void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kAccessEpochUnixDays = -25569;
// 0100-01-01 and 9999-12-31 as Access day numbers.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;

}  // namespace

std::optional<std::string> formatDateTime(double v)
{
    if (!std::isfinite(v) || v <= kFirstDay - 1.0 || v >= kLastDay + 1.0)
        return std::nullopt;
    const double whole = std::trunc(v);
    int64_t day = static_cast<int64_t>(whole);
    int64_t sec = static_cast<int64_t>(std::floor(std::fabs(v - whole) * 86400.0 + 0.5));
    if (sec >= 86400) {
        sec -= 86400;
        ++day;
    }
    int64_t y;
    unsigned m, d;
    civilFromDays(day + kAccessEpochUnixDays, y, m, d);
    if (y < 100 || y > 9999)
        return std::nullopt;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(y), m, d,
                  static_cast<int>(sec / 3600), static_cast<int>(sec / 60 % 60), static_cast<int>(sec % 60));
    return std::string(buf);
}

std::string formatGuid(const uint8_t b[16])
{
    char buf[40];
    std::snprintf(buf, sizeof buf,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2], b[1],
                  b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return buf;
}

std::string formatDecimal(const uint8_t b[17], unsigned scale)
{
    const ByteView bytes(b, 17);
    unsigned __int128 mag = 0;
    for (size_t word = 0; word < 4; ++word)
        mag = (mag << 32) | bytes.u32(1 + 4 * word, "Dezimalzahl");
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(mag % 10)));
        mag /= 10;
    } while (mag != 0);
    if (scale > 38)
        scale = 38;
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.insert(0, scale + 1 - digits.size(), '0');
        digits.insert(digits.size() - scale, ".");
    }
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    if ((b[0] & 0x80) && !zero)
        digits.insert(0, "-");
    return digits;
}

}  // namespace db::jet
