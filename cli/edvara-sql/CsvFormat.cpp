// Formatting result values as CSV fields.
#include "cli/edvara-sql/CsvFormat.h"

#include <charconv>
#include <cmath>

namespace cli {

namespace {

void appendQuoted(std::string& out, std::string_view utf8)
{
    out += '"';
    size_t from = 0;
    for (size_t quote = utf8.find('"'); quote != std::string_view::npos; quote = utf8.find('"', from)) {
        out.append(utf8.substr(from, quote + 1 - from));
        out += '"';
        from = quote + 1;
    }
    out.append(utf8.substr(from));
    out += '"';
}

bool needsQuotes(std::string_view s)
{
    return s.empty() || s.find_first_of(",\"\n\r") != std::string_view::npos;
}

}  // namespace

std::string formatNumber(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void appendCsvName(std::string& out, std::string_view utf8)
{
    if (needsQuotes(utf8))
        appendQuoted(out, utf8);
    else
        out.append(utf8);
}

void appendCsvInteger(std::string& out, db::ColumnKind kind, int64_t v)
{
    if (kind == db::ColumnKind::Boolean) {
        out += v != 0 ? '1' : '0';
        return;
    }
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendCsvReal(std::string& out, db::ColumnKind kind, double v)
{
    if (kind == db::ColumnKind::Boolean)
        out += v != 0 ? '1' : '0';
    else
        out += formatNumber(v);
}

void appendCsvText(std::string& out, db::ColumnKind kind, std::string_view utf8)
{
    // Date-times and exact decimals arrive as text but are not text to the reader.
    if ((kind == db::ColumnKind::DateTime || kind == db::ColumnKind::Float) && !needsQuotes(utf8))
        out.append(utf8);
    else
        appendQuoted(out, utf8);
}

void appendCsvBytes(std::string& out, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "0x";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
}

}  // namespace cli
