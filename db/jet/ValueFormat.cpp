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

// The civil date to days since 1970-01-01 (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
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

std::optional<double> parseDateTime(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0, used = 0;
    if (text.size() == 10) {
        if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) != 3 || used != 10)
            return std::nullopt;
    } else if (text.size() == 19) {
        if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &se, &used) != 6
            || used != 19)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (y < 100 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || se > 59 || h < 0 || mi < 0 || se < 0)
        return std::nullopt;
    int64_t cy;
    unsigned cm, cd;
    const int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    civilFromDays(days, cy, cm, cd);
    if (cm != static_cast<unsigned>(mo) || cd != static_cast<unsigned>(d))
        return std::nullopt;  // 31 April and the like
    const double day = static_cast<double>(days - kAccessEpochUnixDays);
    const double fraction = (h * 3600.0 + mi * 60.0 + se) / 86400.0;
    // Before 1899-12-30 the fraction counts away from zero, as the whole days do.
    return day < 0 ? day - fraction : day + fraction;
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
