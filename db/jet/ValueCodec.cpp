// Column values to bytes and back.
#include "db/jet/ValueCodec.h"

#include "db/jet/Text.h"
#include "db/jet/ValueFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace db::jet {

namespace {

[[noreturn]] void unsupported(const ColumnDef& c, const std::string& table, const std::string& what)
{
    throw JetError("Die Spalte \"" + c.name + "\" der Tabelle \"" + table + "\" ist " + what
                   + ". Solche Felder werden nicht unterstützt.");
}

std::string where(const ColumnDef& c, const std::string& table)
{
    return "Tabelle " + table + ", Spalte " + c.name;
}

[[noreturn]] void mismatch(const ColumnDef& c, const std::string& table, const std::string& what)
{
    throw JetError(where(c, table) + ": " + what);
}

// SQLite hands numbers as integers or reals, and text that a person typed; Access converts
// text that is a number as well.
bool numberFromText(const std::string& text, double& out)
{
    std::string t;
    for (char ch : text)
        if (ch != ' ')
            t.push_back(ch == ',' ? '.' : ch);
    if (t.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && std::isfinite(out);
}

// A value that should be a number, as a double (integers pass through `whole`).
double numberOf(const ColumnDef& c, const Value& v, const std::string& table)
{
    double d = 0;
    switch (v.kind) {
    case Value::Kind::Integer: d = static_cast<double>(v.integer); break;
    case Value::Kind::Real: d = v.real; break;
    case Value::Kind::Text:
        if (!numberFromText(v.bytes, d))
            mismatch(c, table, "'" + v.bytes + "' ist keine Zahl.");
        break;
    default: mismatch(c, table, "eine Zahl wird erwartet.");
    }
    if (!std::isfinite(d))
        mismatch(c, table, "die Zahl liegt außerhalb des zulässigen Bereichs.");
    return d;
}

int64_t wholeNumber(const ColumnDef& c, const Value& v, const std::string& table)
{
    if (v.kind == Value::Kind::Integer)
        return v.integer;
    const double d = numberOf(c, v, table);
    if (std::fabs(d) >= 9.2e18)
        mismatch(c, table, "die Zahl liegt außerhalb des zulässigen Bereichs.");
    // Access rounds to the nearest whole number, halves to even.
    return static_cast<int64_t>(std::nearbyint(d));
}

double realNumber(const ColumnDef& c, const Value& v, const std::string& table) { return numberOf(c, v, table); }

void needRange(const ColumnDef& c, const std::string& table, int64_t v, int64_t lo, int64_t hi)
{
    if (v < lo || v > hi)
        mismatch(c, table, "der Wert " + std::to_string(v) + " liegt außerhalb von " + std::to_string(lo) + " bis "
                               + std::to_string(hi) + ".");
}

std::string textOf(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Integer: return std::to_string(v.integer);
    case Value::Kind::Real: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", v.real);
        return buf;
    }
    default: return v.bytes;
    }
}

template <typename T>
std::vector<uint8_t> littleEndian(T bits)
{
    std::vector<uint8_t> out(sizeof(T));
    for (size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<uint8_t>(static_cast<uint64_t>(bits) >> (8 * i));
    return out;
}

// A calculated column (Access 2010 and later) stores the result Access computed, wrapped:
// 16 bytes Access keeps for itself, the result's length (32 bits), the result as a plain
// column of the result type stores it, and a few more bytes (Jackcess's
// CalculatedColumnUtil; a memo's long value holds the wrapped form). Only where the
// length fits the bytes, and a fixed-size result has exactly its size, is the result read;
// anything else (a decimal result, whose inner layout differs, or bytes that do not fit)
// reads as its raw bytes, as a column of an unknown type does.
constexpr size_t kCalcLengthOffset = 16;
constexpr size_t kCalcDataOffset = 20;

size_t plainSize(ColumnType type)
{
    switch (type) {
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long:
    case ColumnType::Single: return 4;
    case ColumnType::BigInt:
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime: return 8;
    case ColumnType::Guid: return 16;
    default: return 0;
    }
}

Value decodeCalculated(const ColumnDef& c, bool present, ByteView data, const ValueContext& ctx)
{
    if (!present)
        return Value::null();
    const std::string stored = c.type == ColumnType::Memo
                                   ? ctx.readLongValue(data)
                                   : std::string(reinterpret_cast<const char*>(data.data()), data.size());
    const Value raw = Value::ofBlob(stored);
    if (stored.size() < kCalcDataOffset)
        return raw;
    const ByteView whole(reinterpret_cast<const uint8_t*>(stored.data()), stored.size(), data.page());
    const uint32_t length = whole.u32(kCalcLengthOffset, "Länge des berechneten Werts");
    if (length > stored.size() - kCalcDataOffset)
        return raw;
    const ByteView result = whole.sub(kCalcDataOffset, length, "berechneter Wert");
    switch (c.type) {
    case ColumnType::Boolean:
        return length == 1 ? Value::ofInteger(result.u8(0, "Ja/Nein") != 0 ? 1 : 0) : raw;
    case ColumnType::Text:
    case ColumnType::Memo:
        return Value::ofText(decodeJet4Text(result));
    default: break;
    }
    const size_t size = plainSize(c.type);
    if (size == 0 || length != size)
        return raw;
    ColumnDef plain = c;
    plain.extFlags = static_cast<uint8_t>(plain.extFlags & ~kColumnCalculated);
    return decodeValue(plain, true, result, ctx);
}

}  // namespace

Value decodeValue(const ColumnDef& c, bool present, ByteView data, const ValueContext& ctx)
{
    if (c.isCalculated() && !ctx.format.jet3)
        return decodeCalculated(c, present, data, ctx);
    if (c.type == ColumnType::Boolean)
        return Value::ofInteger(present ? 1 : 0);
    if (c.isUnknownType()) {
        // Whatever the type means, its bytes are all we can give without guessing.
        if (!present)
            return Value::null();
        return Value::ofBlob(std::string(reinterpret_cast<const char*>(data.data()), data.size()));
    }
    if (c.type == ColumnType::Complex)
        unsupported(c, ctx.table, "ein mehrwertiges Feld oder eine Anlage");
    if (c.type == ColumnType::DateTimeExtended)
        unsupported(c, ctx.table, "vom Typ \"Datum/Uhrzeit erweitert\"");
    if (!present)
        return Value::null();
    const ByteView& d = data;
    auto need = [&](size_t n) {
        if (d.size() < n)
            JET_CORRUPT(d.page(), "Spalte " + c.name, std::to_string(d.size()) + " Bytes statt " + std::to_string(n));
    };
    switch (c.type) {
    case ColumnType::Byte: need(1); return Value::ofInteger(d.u8(0, "Byte"));
    case ColumnType::Integer: need(2); return Value::ofInteger(d.i16(0, "Integer"));
    case ColumnType::Long: need(4); return Value::ofInteger(d.i32(0, "Long"));
    case ColumnType::BigInt: need(8); return Value::ofInteger(d.i64(0, "BigInt"));
    case ColumnType::Currency: need(8); return Value::ofReal(static_cast<double>(d.i64(0, "Währung")) / 10000.0);
    case ColumnType::Single: need(4); return Value::ofReal(d.f32(0, "Single"));
    case ColumnType::Double: need(8); return Value::ofReal(d.f64(0, "Double"));
    case ColumnType::DateTime: {
        need(8);
        const double days = d.f64(0, "Datum");
        std::optional<std::string> text = formatDateTime(days);
        if (!text)
            JET_CORRUPT(d.page(), "Spalte " + c.name,
                        "Datumswert " + std::to_string(days) + " liegt außerhalb der Jahre 100 bis 9999");
        return Value::ofText(std::move(*text));
    }
    case ColumnType::Guid: need(16); return Value::ofText(formatGuid(d.data()));
    case ColumnType::Numeric: need(17); return Value::ofText(formatDecimal(d.data(), c.scale));
    case ColumnType::Binary:
        // Present with no bytes is an empty value, not NULL (mdb-export prints "0x").
        return Value::ofBlob(d.size() == 0 ? std::string()
                                           : std::string(reinterpret_cast<const char*>(d.data()), d.size()));
    case ColumnType::Text:
        return Value::ofText(ctx.format.jet3 ? decodeCodePageText(d, ctx.codePage) : decodeJet4Text(d));
    case ColumnType::Ole: return Value::ofBlob(ctx.readLongValue(d));
    case ColumnType::Memo: {
        const std::string raw = ctx.readLongValue(d);
        const ByteView v(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), d.page());
        return Value::ofText(ctx.format.jet3 ? decodeCodePageText(v, ctx.codePage) : decodeJet4Text(v));
    }
    default: break;
    }
    return Value::null();
}

bool writableColumn(const ColumnDef& c, const Format& format)
{
    // A type newer than this engine: nobody can tell here what a valid value is.
    if (format.jet3 || c.isCalculated() || c.isUnknownType())
        return false;
    switch (c.type) {
    case ColumnType::Complex:
    case ColumnType::DateTimeExtended:
        return false;
    case ColumnType::Text:
        // Fixed-length text pads in a way no fixture shows being written.
        return !c.isFixed();
    default:
        return true;
    }
}

std::vector<uint8_t> encodeColumnText(const ColumnDef& c, const std::u16string& units)
{
    if (c.extFlags & kColumnCompressedUnicode)
        return encodeJet4Text(units);
    return utf16Bytes(units);
}

EncodedValue encodeValue(const ColumnDef& c, const Value& v, const Format& format, const std::string& table)
{
    if (!writableColumn(c, format))
        throw JetError(where(c, table) + ": in dieses Feld kann nicht geschrieben werden ("
                       + (format.jet3 ? std::string("Access-97-Datei") : std::string("Feldtyp wird nicht unterstützt"))
                       + ").");
    EncodedValue out;
    if (c.type == ColumnType::Boolean) {
        if (v.kind == Value::Kind::Null)
            return out;  // Access has no NULL here: false
        out.present = wholeNumber(c, v, table) != 0;
        return out;
    }
    if (v.kind == Value::Kind::Null)
        return out;
    out.present = true;
    switch (c.type) {
    case ColumnType::Byte: {
        const int64_t n = wholeNumber(c, v, table);
        needRange(c, table, n, 0, 255);
        out.bytes = {static_cast<uint8_t>(n)};
        break;
    }
    case ColumnType::Integer: {
        const int64_t n = wholeNumber(c, v, table);
        needRange(c, table, n, -32768, 32767);
        out.bytes = littleEndian(static_cast<uint16_t>(n));
        break;
    }
    case ColumnType::Long: {
        const int64_t n = wholeNumber(c, v, table);
        needRange(c, table, n, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
        out.bytes = littleEndian(static_cast<uint32_t>(n));
        break;
    }
    case ColumnType::BigInt:
        out.bytes = littleEndian(static_cast<uint64_t>(wholeNumber(c, v, table)));
        break;
    case ColumnType::Currency: {
        const double scaled = std::nearbyint(realNumber(c, v, table) * 10000.0);
        if (!(std::fabs(scaled) < 9.2e18))
            mismatch(c, table, "der Betrag ist zu groß.");
        out.bytes = littleEndian(static_cast<uint64_t>(static_cast<int64_t>(scaled)));
        break;
    }
    case ColumnType::Single: {
        const double d = realNumber(c, v, table);
        if (std::fabs(d) > std::numeric_limits<float>::max())
            mismatch(c, table, "die Zahl ist zu groß für eine einfache Genauigkeit.");
        const float f = static_cast<float>(d);
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        out.bytes = littleEndian(bits);
        break;
    }
    case ColumnType::Double: {
        const double d = realNumber(c, v, table);
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        out.bytes = littleEndian(bits);
        break;
    }
    case ColumnType::DateTime: {
        double days = 0;
        if (v.kind == Value::Kind::Text) {
            const std::optional<double> parsed = parseDateTime(v.bytes);
            if (!parsed)
                mismatch(c, table, "'" + v.bytes + "' ist kein Datum.");
            days = *parsed;
        } else if (v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real) {
            days = realNumber(c, v, table);
            if (!formatDateTime(days))
                mismatch(c, table, "der Datumswert liegt außerhalb der Jahre 100 bis 9999.");
        } else {
            mismatch(c, table, "ein Datum wird erwartet.");
        }
        uint64_t bits;
        std::memcpy(&bits, &days, sizeof bits);
        out.bytes = littleEndian(bits);
        break;
    }
    case ColumnType::Guid: {
        uint8_t b[16];
        if (v.kind != Value::Kind::Text || !parseGuid(v.bytes, b))
            mismatch(c, table, "'" + textOf(v) + "' ist keine GUID.");
        out.bytes.assign(b, b + 16);
        break;
    }
    case ColumnType::Numeric: {
        uint8_t b[17];
        if (v.kind == Value::Kind::Blob || !parseDecimal(textOf(v), c.precision, c.scale, b))
            mismatch(c, table, "'" + textOf(v) + "' passt nicht in eine Dezimalzahl mit " + std::to_string(c.precision)
                                   + " Stellen, davon " + std::to_string(c.scale) + " nach dem Komma.");
        out.bytes.assign(b, b + 17);
        break;
    }
    case ColumnType::Text:
    case ColumnType::Memo: {
        if (v.kind == Value::Kind::Blob)
            mismatch(c, table, "Text wird erwartet, keine Binärdaten.");
        std::u16string units;
        if (!utf8ToUtf16(textOf(v), units))
            mismatch(c, table, "der Text ist kein gültiges UTF-8.");
        const size_t chars = c.length / 2;
        if (c.type == ColumnType::Text && units.size() > chars)
            mismatch(c, table, "der Text ist länger als " + std::to_string(chars) + " Zeichen.");
        out.bytes = encodeColumnText(c, units);
        break;
    }
    case ColumnType::Binary:
    case ColumnType::Ole: {
        const std::string bytes = textOf(v);
        if (c.type == ColumnType::Binary && bytes.size() > c.length)
            mismatch(c, table, "die Daten sind länger als " + std::to_string(c.length) + " Bytes.");
        out.bytes.assign(bytes.begin(), bytes.end());
        break;
    }
    default:
        mismatch(c, table, "dieser Feldtyp kann nicht geschrieben werden.");
    }
    if (c.isFixed() && out.bytes.size() != c.length)
        mismatch(c, table, "der Wert hat " + std::to_string(out.bytes.size()) + " statt " + std::to_string(c.length)
                               + " Bytes.");
    return out;
}

}  // namespace db::jet
