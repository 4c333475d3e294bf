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

namespace {

// A small cursor over the text for the date parser.
struct Scan {
    const std::string& t;
    size_t i = 0;
    bool digits(size_t min, size_t max, int& out)
    {
        size_t n = 0;
        int v = 0;
        while (i < t.size() && n < max && t[i] >= '0' && t[i] <= '9') {
            v = v * 10 + (t[i] - '0');
            ++i;
            ++n;
        }
        out = v;
        return n >= min;
    }
    bool take(char c)
    {
        if (i < t.size() && t[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    void blanks()
    {
        while (i < t.size() && (t[i] == ' ' || t[i] == '\t'))
            ++i;
    }
    bool atEnd()
    {
        blanks();
        return i == t.size();
    }
};

}  // namespace

std::optional<double> parseDateTime(const std::string& text)
{
    Scan s{text};
    s.blanks();
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0, ms = 0;
    const size_t start = s.i;
    int first = 0;
    if (!s.digits(1, 4, first))
        return std::nullopt;
    bool time = false;
    if (s.i - start == 4 && s.take('-')) {
        y = first;
        if (!s.digits(1, 2, mo) || !s.take('-') || !s.digits(1, 2, d))
            return std::nullopt;
        if (s.take('T') || (s.i < text.size() && text[s.i] == ' ')) {
            s.blanks();
            time = s.i < text.size();
        }
    } else if (s.i - start <= 2 && s.take('.')) {
        d = first;
        if (!s.digits(1, 2, mo) || !s.take('.') || !s.digits(4, 4, y))
            return std::nullopt;
        s.blanks();
        time = s.i < text.size();
    } else {
        return std::nullopt;
    }
    if (time) {
        if (!s.digits(1, 2, h) || !s.take(':') || !s.digits(2, 2, mi))
            return std::nullopt;
        if (s.take(':')) {
            if (!s.digits(2, 2, se))
                return std::nullopt;
            const size_t dot = s.i;
            if (s.take('.')) {
                int frac = 0;
                if (!s.digits(1, 3, frac))
                    return std::nullopt;
                const size_t n = s.i - dot - 1;
                ms = frac * (n == 1 ? 100 : n == 2 ? 10 : 1);
            }
        }
    }
    if (!s.atEnd())
        return std::nullopt;
    if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || se > 59)
        return std::nullopt;
    int64_t cy;
    unsigned cm, cd;
    const int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    civilFromDays(days, cy, cm, cd);
    if (cm != static_cast<unsigned>(mo) || cd != static_cast<unsigned>(d))
        return std::nullopt;  // 31 April and the like
    const double day = static_cast<double>(days - kAccessEpochUnixDays);
    const double fraction = (h * 3600.0 + mi * 60.0 + se + ms / 1000.0) / 86400.0;
    // Before 1899-12-30 the fraction counts away from zero, as the whole days do.
    return day < 0 ? day - fraction : day + fraction;
}

bool parseGuid(const std::string& text, uint8_t b[16])
{
    std::string t = text;
    if (t.size() == 38 && t.front() == '{' && t.back() == '}')
        t = t.substr(1, 36);
    if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-')
        return false;
    uint8_t raw[16];
    size_t k = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            continue;
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            if (c >= 'A' && c <= 'F')
                return c - 'A' + 10;
            return -1;
        };
        const int hi = hex(t[i]), lo = i + 1 < t.size() ? hex(t[i + 1]) : -1;
        if (hi < 0 || lo < 0)
            return false;
        raw[k++] = static_cast<uint8_t>(hi * 16 + lo);
        ++i;
    }
    // The first three groups are stored little-endian.
    const uint8_t order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i)
        b[i] = raw[order[i]];
    return true;
}

bool parseDecimal(const std::string& text, unsigned precision, unsigned scale, uint8_t b[17])
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::string whole, fraction;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        whole.push_back(text[i++]);
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            fraction.push_back(text[i++]);
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size() || (whole.empty() && fraction.empty()) || precision > 28 || scale > precision)
        return false;
    bool roundUp = fraction.size() > scale && fraction[scale] >= '5';
    fraction.resize(scale, '0');
    const std::string digits = whole + fraction;
    unsigned __int128 mag = 0;
    size_t significant = 0;
    for (char c : digits) {
        if (significant > 0 || c != '0')
            ++significant;
        mag = mag * 10 + static_cast<unsigned>(c - '0');
        if (significant > 38)
            return false;
    }
    if (roundUp)
        ++mag;
    unsigned __int128 limit = 1;
    for (unsigned k = 0; k < precision; ++k)
        limit *= 10;
    if (mag >= limit)
        return false;
    b[0] = negative && mag != 0 ? 0x80 : 0x00;
    for (int word = 0; word < 4; ++word) {
        const uint32_t w = static_cast<uint32_t>(mag >> (32 * (3 - word)));
        for (int k = 0; k < 4; ++k)
            b[1 + 4 * word + k] = static_cast<uint8_t>(w >> (8 * k));
    }
    return true;
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
