// Text decoding for both Jet generations.
#include "db/jet/Text.h"

#include <algorithm>

#include <cerrno>
#include <iconv.h>

#include <string_view>

namespace db::jet {

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

std::string decodeCp1252(ByteView bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t b = bytes.data()[i];
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else if (b < 0xA0)
            appendUtf8(out, kCp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

bool decodeWithIconv(ByteView bytes, uint16_t codePage, std::string& out)
{
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = ::iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string result(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    size_t inLeft = bytes.size();
    char* outPtr = result.data();
    size_t outLeft = result.size();
    bool ok = true;
    while (inLeft > 0) {
        if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            // A byte the code page lacks becomes U+FFFD rather than ending the text.
            if (errno == EILSEQ || errno == EINVAL) {
                if (outLeft < 3) {
                    ok = false;
                    break;
                }
                *outPtr++ = static_cast<char>(0xEF);
                *outPtr++ = static_cast<char>(0xBF);
                *outPtr++ = static_cast<char>(0xBD);
                outLeft -= 3;
                ++in;
                --inLeft;
                continue;
            }
            ok = false;
            break;
        }
    }
    ::iconv_close(cd);
    if (!ok)
        return false;
    result.resize(result.size() - outLeft);
    out = std::move(result);
    return true;
}

}  // namespace

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

namespace {

void appendUtf16Units(std::string& out, const char16_t* units, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, u);
        }
    }
}

}  // namespace

std::string utf16ToUtf8(const uint8_t* data, size_t length)
{
    std::string out;
    out.reserve(length);
    std::u16string units;
    units.reserve(length / 2);
    for (size_t i = 0; i + 1 < length; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    appendUtf16Units(out, units.data(), units.size());
    return out;
}

namespace {

// Jet 4 text as it is stored, its compressed form expanded: UTF-16 code units as they come.
std::u16string jet4Units(ByteView bytes)
{
    const uint8_t* d = bytes.data();
    const size_t n = bytes.size();
    std::u16string units;
    if (n < 2 || d[0] != 0xFF || d[1] != 0xFE) {
        units.reserve(n / 2);
        for (size_t i = 0; i + 1 < n; i += 2)
            units.push_back(static_cast<char16_t>(d[i] | (d[i + 1] << 8)));
        return units;
    }
    units.reserve(n);
    bool compressed = true;
    size_t i = 2;
    while (i < n) {
        if (d[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            units.push_back(d[i]);
            ++i;
        } else {
            if (i + 1 >= n)
                break;
            units.push_back(static_cast<char16_t>(d[i] | (d[i + 1] << 8)));
            i += 2;
        }
    }
    return units;
}

}  // namespace

std::string decodeJet4Text(ByteView bytes)
{
    const std::u16string units = jet4Units(bytes);
    std::string out;
    out.reserve(units.size());
    appendUtf16Units(out, units.data(), units.size());
    return out;
}

std::u16string decodeJet4TextUtf16(ByteView bytes)
{
    std::u16string units = jet4Units(bytes);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u < 0xD800 || u > 0xDFFF)
            continue;
        if (u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            ++i;  // a pair
        else
            units[i] = 0xFFFD;
    }
    return units;
}

std::string decodeCodePageText(ByteView bytes, uint16_t codePage)
{
    if (codePage != 1252 && codePage != 0) {
        std::string out;
        if (decodeWithIconv(bytes, codePage, out))
            return out;
    }
    return decodeCp1252(bytes);
}

bool decodeUtf8(const std::string& text, std::u32string& out)
{
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        uint32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)
            || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        out.push_back(cp);
        i += len;
    }
    return true;
}

bool utf8ToUtf16(const std::string& text, std::u16string& out)
{
    std::u32string points;
    if (!decodeUtf8(text, points))
        return false;
    out.clear();
    for (char32_t c : points) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return true;
}

std::vector<uint8_t> utf16Bytes(const std::u16string& units)
{
    std::vector<uint8_t> out;
    out.reserve(units.size() * 2);
    for (char16_t c : units) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

std::vector<uint8_t> encodeJet4Text(const std::u16string& units)
{
    const bool narrow = std::all_of(units.begin(), units.end(), [](char16_t c) { return c >= 1 && c <= 0xFF; });
    if (!narrow || units.size() <= 2)
        return utf16Bytes(units);
    std::vector<uint8_t> out;
    out.reserve(units.size() + 2);
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t c : units)
        out.push_back(static_cast<uint8_t>(c));
    return out;
}

}  // namespace db::jet
