// Index key encoding. The rules for each column type are those of the public format notes
// (mdbtools' HACKING.md, Jackcess, LibRed's measurements of ACE) where they agree with
// the keys the judge writes; where a fixture holds an Access-written entry of the type,
// IndexFixtureTest compares every such entry byte for byte. Where the sources disagree
// the key is uncertain: refused when writing, a note when checking.
#include "db/jet/IndexKey.h"

#include "db/jet/CaseFold.h"
#include "db/jet/LongValue.h"
#include "db/jet/Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace db::jet {

namespace {

// Text keys: the main part ends with kTextEnd; the part of the unprintable characters
// gives each one as (0x8000 | 7 + 4 * position) big-endian, kUnprintableMid, its code.
constexpr uint8_t kTextEnd = 0x01;
constexpr uint8_t kKeyEnd = 0x00;
constexpr uint8_t kExtraPlaceholder = 0x02;
constexpr unsigned kUnprintableBase = 7;
constexpr unsigned kUnprintableStep = 4;
constexpr unsigned kUnprintableFlag = 0x8000;
constexpr uint8_t kUnprintableMid = 0x06;
// The kana flags: three to a byte after kKanaStart, trailing 0x03 flags dropped, then
// a fixed suffix (and 0xFF when unprintable characters follow).
constexpr uint8_t kKanaStart = 0x80;
constexpr uint8_t kKanaTrailing = 0x03;
constexpr uint8_t kKanaSuffix[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
constexpr uint8_t kKanaBeforeUnprintable = 0xFF;
// Boolean keys (the column is never NULL in a key).
constexpr uint8_t kBooleanTrueAscending = 0x00;
constexpr uint8_t kBooleanFalseAscending = 0xFF;
// Binary keys come in segments of 8 bytes, each followed by its length; 9 means "more".
constexpr size_t kBinarySegment = 8;
constexpr uint8_t kBinaryMore = 9;

// A text character without a usable code, reported by the caller with names.
struct MissingCode {
    char32_t character;
};

// A value whose key is not known with certainty, and why (German, for the message).
struct UncertainValue {
    std::string why;
};

// In strict mode an uncertain key refuses; in lenient mode it is computed by the rule
// given and marked.
void uncertain(KeyMode mode, bool& certain, std::string why)
{
    if (mode == KeyMode::Strict)
        throw UncertainValue{std::move(why)};
    certain = false;
}

// NaN and negative zero: Access's keys for them are not known (SQL sees -0 = 0; the
// key bits differ).
void uncertainReal(double v, KeyMode mode, bool& certain)
{
    if (std::isnan(v))
        uncertain(mode, certain, "Den Schlüssel einer ungültigen Zahl (NaN) zeigt keine Quelle");
    else if (v == 0 && std::signbit(v))
        uncertain(mode, certain, "Den Schlüssel einer negativen Null zeigt keine Quelle");
}

void flip(std::vector<uint8_t>& out, size_t from)
{
    for (size_t i = from; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(~out[i]);
}

char32_t codePointAt(const std::u16string& text, size_t i)
{
    const char16_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    return c;
}

// A value longer than 255 characters whose first 255 end in a blank: Access keys its
// beginning without trailing blanks, but whether it cuts first and then drops the blanks
// (as Jackcess does) or drops only blanks that end the whole value is not known.
struct UncertainTail {
};

// The characters a text key is made of: the first 255, without the blanks (U+0020, no
// other space) that end them. Access compares "ABC " and "ABC" as equal and keys them
// alike; Jackcess does so since its 4.0.1 and writes keys of the sample's " KRÖN " and
// "440 " without the blanks, the keys it accepts on verify.
std::u16string keyedText(std::u16string text, KeyMode mode, bool& certain)
{
    const bool cut = text.size() > kMaxIndexTextLength;
    if (cut) {
        const bool tailOnlyBlanks =
            std::all_of(text.begin() + kMaxIndexTextLength, text.end(), [](char16_t c) { return c == u' '; });
        if (text[kMaxIndexTextLength - 1] == u' ' && !tailOnlyBlanks) {
            if (mode == KeyMode::Strict)
                throw UncertainTail{};
            certain = false;
        }
        text.resize(kMaxIndexTextLength);
    }
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
}

// The "General" and "General (legacy)" text key (they differ only in their codes). The
// extra part has one slot per keyed character (not per code: "ß" and "Æ" take one), as
// the fixture's row of every Latin-1 character shows (193 extra bytes for 193 keyed
// characters with five expansions among them); a combining mark adds to the slot of the
// character before it.
void appendGeneralText(std::vector<uint8_t>& out, std::u16string text, TextOrder order, bool ascending, KeyMode mode,
                       bool& certain)
{
    text = keyedText(std::move(text), mode, certain);
    const size_t start = out.size();
    std::vector<uint8_t> extras;
    size_t extraChars = 0;    // characters the extra part accounts for
    bool haveExtras = false;  // an International character or a mark came by
    size_t markPrefix = 0;    // 1: a mark opened the extra part (it does not count as a place)
    std::vector<uint8_t> unprintables;
    std::vector<uint8_t> kana;
    size_t keyed = 0;  // characters with a code in the main part so far
    const auto fillTo = [&](size_t position) {
        if (extraChars < position) {
            extras.insert(extras.end(), position - extraChars, kExtraPlaceholder);
            extraChars = position;
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const std::optional<CharCode> code = findCharCode(order, text[i]);
        if (!code || (mode == KeyMode::Strict && !code->certain))
            throw MissingCode{codePointAt(text, i)};
        if (!code->certain)
            certain = false;
        const size_t position = keyed;
        if (code->inlineLength > 0) {
            out.insert(out.end(), code->inlineBytes, code->inlineBytes + code->inlineLength);
            ++keyed;
        }
        switch (code->kind) {
        case CharKind::Ignored:
        case CharKind::Simple:
            break;
        case CharKind::International:
            haveExtras = true;
            fillTo(position);
            extras.insert(extras.end(), code->extraBytes, code->extraBytes + code->extraLength);
            ++extraChars;
            break;
        case CharKind::Modifier:
            haveExtras = true;
            fillTo(position);
            if (extras.empty()) {
                extras.push_back(code->modifier);
                markPrefix = 1;
            } else if (extras.back() + code->modifier > 0xFF) {
                // Marks piled on one letter past what a byte holds: no source shows this.
                if (mode == KeyMode::Strict)
                    throw MissingCode{codePointAt(text, i)};
                certain = false;
                extras.back() = static_cast<uint8_t>(extras.back() + code->modifier);
            } else {
                extras.back() = static_cast<uint8_t>(extras.back() + code->modifier);
            }
            break;
        case CharKind::Unprintable: {
            // The position counts the bytes of the extra part as far as it reaches, and
            // the keyed characters after it.
            const size_t pos = haveExtras ? extras.size() + (position - extraChars) - markPrefix : position;
            const unsigned offset = static_cast<unsigned>(kUnprintableBase + kUnprintableStep * pos) | kUnprintableFlag;
            unprintables.push_back(static_cast<uint8_t>(offset >> 8));
            unprintables.push_back(static_cast<uint8_t>(offset));
            unprintables.push_back(kUnprintableMid);
            unprintables.push_back(code->unprintable);
            break;
        }
        }
        if (code->kana)
            kana.push_back(code->kana);
    }
    out.push_back(kTextEnd);
    while (!extras.empty() && extras.back() <= kExtraPlaceholder)
        extras.pop_back();
    out.insert(out.end(), extras.begin(), extras.end());
    if (!kana.empty() || !unprintables.empty()) {
        out.push_back(kTextEnd);
        out.push_back(kTextEnd);
        if (!kana.empty()) {
            while (!kana.empty() && kana.back() == kKanaTrailing)
                kana.pop_back();
            for (size_t i = 0; i < kana.size(); i += 3) {
                uint8_t b = kKanaStart;
                for (size_t k = 0; k < 3 && i + k < kana.size(); ++k)
                    b = static_cast<uint8_t>(b | (kana[i + k] << (2 * (2 - k))));
                out.push_back(b);
            }
            out.insert(out.end(), std::begin(kKanaSuffix), std::end(kKanaSuffix));
            if (!unprintables.empty())
                out.push_back(kKanaBeforeUnprintable);
        }
        if (!unprintables.empty()) {
            out.push_back(kTextEnd);
            out.insert(out.end(), unprintables.begin(), unprintables.end());
        }
    }
    if (!ascending) {
        out.push_back(kKeyEnd);
        flip(out, start);
    }
    out.push_back(kKeyEnd);
}

// Jet 3's "General" key: one code per character, then the end. Characters with extra
// codes (accents) are not in the table, so their part never occurs here.
void appendGeneral97Text(std::vector<uint8_t>& out, const std::u16string& text, bool ascending)
{
    const size_t start = out.size();
    const size_t n = std::min(text.size(), kMaxIndexTextLength);
    for (size_t i = 0; i < n; ++i) {
        const std::optional<CharCode> code = findCharCode(TextOrder::General97, text[i]);
        if (!code || !code->certain || code->kind != CharKind::Simple)
            throw MissingCode{codePointAt(text, i)};
        out.insert(out.end(), code->inlineBytes, code->inlineBytes + code->inlineLength);
    }
    out.push_back(kKeyEnd);
    if (!ascending)
        flip(out, start);
}

void appendBinary(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes, bool ascending)
{
    size_t pos = 0;
    while (bytes.size() - pos > kBinarySegment) {
        const size_t from = out.size();
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                   bytes.begin() + static_cast<std::ptrdiff_t>(pos + kBinarySegment));
        if (!ascending)
            flip(out, from);
        out.push_back(kBinaryMore);  // not flipped, even descending
        pos += kBinarySegment;
    }
    if (pos < bytes.size()) {
        const size_t from = out.size();
        const size_t n = bytes.size() - pos;
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
        out.insert(out.end(), kBinarySegment - n, 0);
        out.push_back(static_cast<uint8_t>(n));
        if (!ascending)
            flip(out, from);
    }
}

// The integer range of a column type's key, and whether it is signed.
struct IntegerRange {
    int64_t low, high;
};

IntegerRange integerRange(ColumnType t)
{
    switch (t) {
    case ColumnType::Byte: return {0, 255};
    case ColumnType::Integer: return {INT16_MIN, INT16_MAX};
    case ColumnType::Long: return {INT32_MIN, INT32_MAX};
    default: return {INT64_MIN, INT64_MAX};
    }
}

void appendFloat(std::vector<uint8_t>& out, uint64_t bits, unsigned bytes, bool ascending)
{
    const size_t from = out.size();
    appendBigEndian(out, bits, bytes);
    const bool negative = (out[from] & 0x80) != 0;
    if (!negative)
        out[from] ^= 0x80;
    if (negative == ascending)
        flip(out, from);
}

unsigned integerWidth(ColumnType t)
{
    switch (t) {
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency:
    case ColumnType::BigInt: return 8;
    default: return 0;
    }
}

std::string utf8Of(char32_t c)
{
    std::string s;
    appendUtf8(s, c);
    return s;
}

std::string hexCode(char32_t c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

std::u16string toUtf16(const std::string& utf8)
{
    std::u16string units;
    if (!utf8ToUtf16(utf8, units))
        units.clear();
    return units;
}

// Which characters a lookup by key can take. Under the NOCASE folding SQL uses, the
// characters that fold alike form a class; a class's own code is that of the folded
// character. An ordinary character has a certain code, the class's own: a key of ordinary
// characters finds every row NOCASE calls equal except rows holding a character that is
// not ordinary (KELVIN SIGN, LONG S, ANGSTROM SIGN: variants of k, s, å keyed apart, or
// without a code). A uniform class's characters all share one certain code: a key of such
// characters finds every equal row.
class LookupSafety {
public:
    explicit LookupSafety(TextOrder order)
    {
        std::unordered_map<uint32_t, std::vector<char16_t>> classes;
        for (uint32_t c = 1; c < 0x10000; ++c)
            if (c < 0xD800 || c >= 0xE000)
                classes[foldCase(c)].push_back(static_cast<char16_t>(c));
        for (const auto& [folded, members] : classes) {
            std::optional<CharCode> own;
            if (folded < 0x10000)
                own = findCharCode(order, static_cast<char16_t>(folded));
            const bool ownCertain = own && own->certain;
            bool uniform = ownCertain;
            for (char16_t m : members) {
                const std::optional<CharCode> c = findCharCode(order, m);
                const bool ordinary = ownCertain && c && c->certain && sameCharCode(*c, *own);
                m_ordinary[m] = ordinary;
                uniform = uniform && ordinary;
            }
            if (uniform)
                for (char16_t m : members)
                    m_uniform[m] = true;
        }
    }
    bool ordinary(char16_t c) const { return m_ordinary[c]; }
    bool uniform(char16_t c) const { return m_uniform[c]; }

private:
    std::vector<bool> m_ordinary = std::vector<bool>(0x10000, false);
    std::vector<bool> m_uniform = std::vector<bool>(0x10000, false);
};

const LookupSafety& lookupSafety(TextOrder order)
{
    static std::once_flag once;
    static std::unique_ptr<LookupSafety> tables[3];
    std::call_once(once, [] {
        for (int i = 0; i < 3; ++i)
            tables[i] = std::make_unique<LookupSafety>(static_cast<TextOrder>(i));
    });
    return *tables[static_cast<int>(order)];
}

}  // namespace

KeyValue keyValueOfField(PageFile& file, const Format& format, uint16_t codePage, const ColumnDef& column,
                         bool present, ByteView data)
{
    if (column.type == ColumnType::Boolean)
        return KeyValue::ofInteger(present ? 1 : 0);
    if (!present)
        return KeyValue::null();
    auto need = [&](size_t n) {
        if (data.size() < n)
            JET_CORRUPT(data.page(), "Spalte " + column.name,
                        std::to_string(data.size()) + " Bytes statt " + std::to_string(n));
    };
    switch (column.type) {
    case ColumnType::Byte: need(1); return KeyValue::ofInteger(data.u8(0, "Byte"));
    case ColumnType::Integer: need(2); return KeyValue::ofInteger(data.i16(0, "Integer"));
    case ColumnType::Long: need(4); return KeyValue::ofInteger(data.i32(0, "Long"));
    case ColumnType::Currency: need(8); return KeyValue::ofInteger(data.i64(0, "Währung"));
    case ColumnType::BigInt: need(8); return KeyValue::ofInteger(data.i64(0, "BigInt"));
    case ColumnType::Single: need(4); return KeyValue::ofReal(data.f32(0, "Single"));
    case ColumnType::Double: need(8); return KeyValue::ofReal(data.f64(0, "Double"));
    case ColumnType::DateTime: need(8); return KeyValue::ofReal(data.f64(0, "Datum"));
    case ColumnType::Guid: need(16); return KeyValue::ofBytes(std::vector<uint8_t>(data.data(), data.data() + 16));
    case ColumnType::Numeric: need(17); return KeyValue::ofBytes(std::vector<uint8_t>(data.data(), data.data() + 17));
    case ColumnType::Binary: return KeyValue::ofBytes(std::vector<uint8_t>(data.data(), data.data() + data.size()));
    case ColumnType::Text:
        return KeyValue::ofText(format.jet3 ? toUtf16(decodeCodePageText(data, codePage)) : decodeJet4TextUtf16(data));
    case ColumnType::Memo: {
        const std::string raw = readLongValue(file, format, data);
        const ByteView v(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), data.page());
        return KeyValue::ofText(format.jet3 ? toUtf16(decodeCodePageText(v, codePage)) : decodeJet4TextUtf16(v));
    }
    default:
        return KeyValue::ofBytes(std::vector<uint8_t>(data.data(), data.data() + data.size()));
    }
}

std::optional<KeyValue> keyValueForLookup(const ColumnDef& column, const Value& v)
{
    if (v.kind == Value::Kind::Null)
        return std::nullopt;  // "= NULL" is never true
    const bool number = v.kind == Value::Kind::Integer || v.kind == Value::Kind::Real;
    const double real = v.kind == Value::Kind::Integer ? static_cast<double>(v.integer) : v.real;
    switch (column.type) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::BigInt: {
        if (v.kind == Value::Kind::Integer)
            return KeyValue::ofInteger(v.integer);
        if (v.kind == Value::Kind::Real && std::isfinite(v.real) && std::trunc(v.real) == v.real
            && std::fabs(v.real) < 9.2e18)
            return KeyValue::ofInteger(static_cast<int64_t>(v.real));
        return std::nullopt;
    }
    case ColumnType::Currency:
        // SQL sees ten-thousandths divided into a double; below 1e11 distinct amounts
        // stay distinct doubles and come back exactly (beyond, two could compare equal).
        if (!number || !std::isfinite(real) || std::fabs(real) >= 1e11)
            return std::nullopt;
        return KeyValue::ofInteger(std::llround(real * 10000.0));
    case ColumnType::Single:
        // Zero: SQL takes -0 = 0, the keys differ.
        if (!number || real == 0 || static_cast<double>(static_cast<float>(real)) != real)
            return std::nullopt;
        return KeyValue::ofReal(static_cast<float>(real));
    case ColumnType::Double:
        if (!number || real == 0 || std::isnan(real))
            return std::nullopt;
        return KeyValue::ofReal(real);
    case ColumnType::Text:
    case ColumnType::Memo: {
        if (v.kind != Value::Kind::Text)
            return std::nullopt;
        std::u16string units;
        if (!utf8ToUtf16(v.bytes, units))
            return std::nullopt;
        return KeyValue::ofText(std::move(units));
    }
    case ColumnType::Guid: {
        if (v.kind != Value::Kind::Text || v.bytes.size() != 38 || v.bytes.front() != '{' || v.bytes.back() != '}')
            return std::nullopt;
        std::vector<uint8_t> hex;
        for (size_t i = 1; i + 1 < v.bytes.size(); ++i) {
            const char c = v.bytes[i];
            if (c == '-')
                continue;
            const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'a' && c <= 'f')                 ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F')                 ? c - 'A' + 10
                                                                   : -1;
            if (d < 0)
                return std::nullopt;
            hex.push_back(static_cast<uint8_t>(d));
        }
        if (hex.size() != 32)
            return std::nullopt;
        uint8_t s[16];
        for (int i = 0; i < 16; ++i)
            s[i] = static_cast<uint8_t>(hex[2 * i] << 4 | hex[2 * i + 1]);
        // Back to the row's order: the first three groups little-endian.
        return KeyValue::ofBytes({s[3], s[2], s[1], s[0], s[5], s[4], s[7], s[6], s[8], s[9], s[10], s[11], s[12],
                                  s[13], s[14], s[15]});
    }
    case ColumnType::Binary:
        if (v.kind != Value::Kind::Blob)
            return std::nullopt;
        return KeyValue::ofBytes(std::vector<uint8_t>(v.bytes.begin(), v.bytes.end()));
    default:
        // Date/Time: SQL sees the time rounded to the second, the key holds the exact
        // fraction. Numeric: SQL sees a decimal text. Neither maps to one key.
        return std::nullopt;
    }
}

std::optional<TextOrder> textOrderOf(const IndexColumn& column, const Format& format)
{
    if (column.sortLanguage != kSortGeneral)
        return std::nullopt;
    if (format.jet3)
        return TextOrder::General97;
    if (column.sortVersion == 0)
        return TextOrder::GeneralLegacy;
    if (column.sortVersion == 1)
        return TextOrder::General;
    return std::nullopt;
}

bool keyTypeCertain(ColumnType type, bool ascending, bool ace)
{
    switch (type) {
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::Guid:
    case ColumnType::Text:
    case ColumnType::Memo: return true;
    case ColumnType::Boolean: return !ace;
    case ColumnType::Numeric: return ascending || ace;
    case ColumnType::BigInt: return ace;
    default: return false;
    }
}

IndexKeyEncoder::IndexKeyEncoder(std::string tableName, const TableDef& table, const IndexDef& index,
                                 const DatabaseHeader& header)
    : m_tableName(std::move(tableName)), m_index(index), m_format(header.format()), m_ace(header.ace)
{
    const Format& format = m_format;
    for (const IndexColumn& ic : index.columns) {
        const ColumnDef* c = table.findColumn(ic.columnNumber);
        if (!c)
            throw JetError("Der Index \"" + index.name + "\" der Tabelle \"" + m_tableName
                           + "\" nennt die Spalte Nummer " + std::to_string(ic.columnNumber)
                           + ", die es nicht gibt.");
        m_columns.push_back({c, ic, textOrderOf(ic, format)});
    }
}

void IndexKeyEncoder::appendColumn(std::vector<uint8_t>& out, const Column& col, const KeyValue& v, KeyMode mode,
                                   bool& certain) const
{
    const ColumnDef& c = *col.column;
    const bool asc = col.def.ascending;
    if (c.type != ColumnType::Boolean && v.isNull()) {
        out.push_back(asc ? kKeyAscendingNull : kKeyDescendingNull);
        return;
    }
    auto wrongValue = [&]() -> void {
        throw JetError("Der Wert der Spalte \"" + c.name + "\" passt nicht zu ihrem Typ; der Index \"" + m_index.name
                       + "\" der Tabelle \"" + m_tableName + "\" kann ihn nicht aufnehmen.");
    };
    out.push_back(asc ? kKeyAscendingStart : kKeyDescendingStart);
    const size_t from = out.size();
    switch (c.type) {
    case ColumnType::Boolean:
        if (v.kind != KeyValue::Kind::Integer)
            wrongValue();
        // The flag and the value, as the judge writes them (7f 00 for Yes). LibRed's notes
        // say "no flag byte", but in a passage that dates from before it measured keys and
        // then also gave Byte a sign flip it later measured away; Jackcess has written these
        // keys into files Access users open for many years. ACE files stay uncertain.
        if (m_ace)
            uncertain(mode, certain,
                      "Für Felder vom Typ Ja/Nein in Dateien ab Access 2007 ist der Schlüssel nicht belegt");
        out.push_back((v.integer != 0) == asc ? kBooleanTrueAscending : kBooleanFalseAscending);
        return;
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::BigInt: {
        if (v.kind != KeyValue::Kind::Integer)
            wrongValue();
        const IntegerRange range = integerRange(c.type);
        if (v.integer < range.low || v.integer > range.high)
            wrongValue();
        if (c.type == ColumnType::BigInt && !m_ace)
            uncertain(mode, certain, "Jet 4 kennt den Typ Große Zahl nicht");
        const unsigned width = integerWidth(c.type);
        appendBigEndian(out, static_cast<uint64_t>(v.integer), width);
        if (c.type != ColumnType::Byte)  // a Byte is unsigned already
            out[from] ^= 0x80;
        if (!asc)
            flip(out, from);
        return;
    }
    case ColumnType::Single: {
        if (v.kind != KeyValue::Kind::Real)
            wrongValue();
        const float f = static_cast<float>(v.real);
        uncertainReal(v.real, mode, certain);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        appendFloat(out, bits, 4, asc);
        return;
    }
    case ColumnType::Double:
    case ColumnType::DateTime: {
        if (v.kind != KeyValue::Kind::Real)
            wrongValue();
        uncertainReal(v.real, mode, certain);
        uint64_t bits;
        std::memcpy(&bits, &v.real, 8);
        appendFloat(out, bits, 8, asc);
        return;
    }
    case ColumnType::Guid: {
        if (v.kind != KeyValue::Kind::Bytes || v.bytes.size() != 16)
            wrongValue();
        const std::vector<uint8_t>& b = v.bytes;
        appendBinary(out, {b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]},
                     asc);
        return;
    }
    case ColumnType::Binary:
        if (v.kind != KeyValue::Kind::Bytes)
            wrongValue();
        uncertain(mode, certain,
                  "Schlüssel für Felder vom Typ Binär zeigt weder eine der Access-Dateien noch der unabhängige Prüfer");
        appendBinary(out, v.bytes, asc);
        return;
    case ColumnType::Numeric: {
        if (v.kind != KeyValue::Kind::Bytes || v.bytes.size() != 17)
            wrongValue();
        const bool negative = (v.bytes[0] & 0x80) != 0;
        if (!asc && !m_ace)
            uncertain(mode, certain,
                      "Für absteigende Indizes über Dezimalzahlen setzt Jet 4 das Vorzeichen nach der Umkehrung "
                      "(Microsoft KB 837148, Jackcess), ACE davor (LibRed); welche Form eine Jet-4-Datei hat, hängt "
                      "davon ab, welches Access sie schrieb");
        if (negative && std::all_of(v.bytes.begin() + 1, v.bytes.end(), [](uint8_t b) { return b == 0; }))
            uncertain(mode, certain, "Den Schlüssel einer negativen Null zeigt keine Quelle");
        out.push_back(m_ace ? 0xFF : 0x00);
        const ByteView words(v.bytes.data(), v.bytes.size());
        for (size_t w = 0; w < 4; ++w)
            appendBigEndian(out, words.u32(1 + 4 * w, "Dezimalzahl"), 4);
        // Jet 3 and Jet 4 set the sign byte after ordering, so descending negative numbers
        // sort wrongly there (Microsoft KB 837148); ACE sets it before.
        if (negative == asc)
            flip(out, from);
        if (!m_ace)
            out[from] = negative ? 0x00 : 0xFF;
        return;
    }
    case ColumnType::Text:
    case ColumnType::Memo: {
        if (v.kind != KeyValue::Kind::Text)
            wrongValue();
        if (!col.order)
            throw JetError("Die Spalte \"" + c.name + "\" der Tabelle \"" + m_tableName
                           + "\" verwendet eine Sortierreihenfolge, die nicht unterstützt wird (Sprache "
                           + std::to_string(col.def.sortLanguage) + ", Version " + std::to_string(col.def.sortVersion)
                           + "); der Index \"" + m_index.name + "\" kann nicht berechnet werden.");
        if (*col.order == TextOrder::General97)
            appendGeneral97Text(out, v.text, asc);
        else
            appendGeneralText(out, v.text, *col.order, asc, mode, certain);
        return;
    }
    default:
        throw JetError("Die Spalte \"" + c.name + "\" der Tabelle \"" + m_tableName
                       + "\" hat einen Typ, den Access nicht indiziert; der Index \"" + m_index.name
                       + "\" kann nicht berechnet werden.");
    }
}

EncodedKey IndexKeyEncoder::encodePrefix(const std::vector<KeyValue>& values, KeyMode mode) const
{
    if (values.size() > m_columns.size())
        throw JetError("Der Index \"" + m_index.name + "\" der Tabelle \"" + m_tableName + "\" hat nur "
                       + std::to_string(m_columns.size()) + " Spalten.");
    EncodedKey key;
    key.bytes.reserve(64);  // most keys: grown once, not byte by byte
    for (size_t i = 0; i < values.size(); ++i) {
        try {
            appendColumn(key.bytes, m_columns[i], values[i], mode, key.certain);
        } catch (const UncertainValue& u) {
            throw UncertainKeyError("Der Wert der Spalte \"" + m_columns[i].column->name + "\" kann nicht in den Index \""
                                    + m_index.name + "\" der Tabelle \"" + m_tableName + "\" aufgenommen werden: "
                                    + u.why + ".");
        } catch (const UncertainTail&) {
            throw KeyCharacterError("Der Wert der Spalte \"" + m_columns[i].column->name + "\" kann nicht in den Index \""
                                        + m_index.name + "\" der Tabelle \"" + m_tableName
                                        + "\" aufgenommen werden: Er ist länger als 255 Zeichen, und sein 255. Zeichen "
                                          "ist ein Leerzeichen; welchen Schlüssel Access dafür schreibt, ist nicht sicher "
                                          "bekannt.",
                                    U' ');
        } catch (const MissingCode& m) {
            throw KeyCharacterError("Das Zeichen \"" + utf8Of(m.character) + "\" (" + hexCode(m.character)
                                        + ") in der Spalte \"" + m_columns[i].column->name
                                        + "\" kann nicht in den Index \"" + m_index.name + "\" der Tabelle \""
                                        + m_tableName
                                        + "\" aufgenommen werden: Welchen Schlüssel Access dafür schreibt, ist nicht "
                                          "sicher bekannt.",
                                    m.character);
        }
    }
    const size_t longest = m_ace ? kMaxCertainKeyLengthAce : kMaxCertainKeyLengthJet4;
    if (key.bytes.size() > longest) {
        if (mode == KeyMode::Strict)
            throw UncertainKeyError("Der Schlüssel für den Index \"" + m_index.name + "\" der Tabelle \"" + m_tableName
                                    + "\" wäre " + std::to_string(key.bytes.size())
                                    + " Bytes lang. Ob Access einen so langen Schlüssel ganz speichert oder wie es ihn "
                                      "kürzt, ist nicht sicher bekannt (bekannt ist es bis "
                                    + std::to_string(longest) + " Bytes).");
        key.certain = false;
    }
    return key;
}

EncodedKey IndexKeyEncoder::encode(const std::vector<KeyValue>& values, KeyMode mode) const
{
    if (values.size() != m_columns.size())
        throw JetError("Der Index \"" + m_index.name + "\" der Tabelle \"" + m_tableName + "\" braucht "
                       + std::to_string(m_columns.size()) + " Werte, nicht " + std::to_string(values.size()) + ".");
    return encodePrefix(values, mode);
}

std::optional<std::vector<uint8_t>> IndexKeyEncoder::tryEncodePrefix(const std::vector<KeyValue>& values,
                                                                     bool& complete) const
{
    complete = true;
    for (size_t i = 0; i < values.size() && i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        if (values[i].kind != KeyValue::Kind::Text || !c.order)
            continue;
        const LookupSafety& safety = lookupSafety(*c.order);
        for (char16_t ch : values[i].text) {
            if (!safety.ordinary(ch))
                return std::nullopt;
            complete = complete && safety.uniform(ch);
        }
    }
    try {
        return encodePrefix(values, KeyMode::Strict).bytes;
    } catch (const JetError&) {
        return std::nullopt;
    }
}

bool IndexKeyEncoder::lookupMayMiss(const KeyValue& value) const
{
    if (value.kind != KeyValue::Kind::Text || m_columns.empty() || !m_columns.front().order)
        return false;
    const LookupSafety& safety = lookupSafety(*m_columns.front().order);
    for (char16_t ch : value.text)
        if (!safety.ordinary(ch))
            return true;
    return false;
}

}  // namespace db::jet
