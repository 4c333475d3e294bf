// Laying out a new Jet 4 file page by page. The structures and their offsets are those
// of JetFormat.h; the values Access puts into fields the reader ignores (a data page's
// second byte, the sort order in every column descriptor) were taken from the fixtures.
#include "db/jet/NewDatabaseFile.h"

#include "db/jet/Database.h"
#include "db/jet/DatabaseHeader.h"
#include "db/jet/JetError.h"
#include "db/jet/PageFile.h"
#include "db/jet/Rc4.h"
#include "db/jet/Text.h"
#include "db/jet/ValueFormat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace db::jet {

namespace {

const Format& F = Format::jet4Format();
constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kCatalogTableDefPage = kCatalogPage;

// Data page (Jet 4) header fields beyond JetFormat.h.
constexpr uint32_t kDataFreeSpace = 0x02;
constexpr uint32_t kRowHeader = 0x0E;  // first row-offset entry
// The largest row an empty data page holds: the page less its header and one offset.
constexpr uint32_t kMaxRowSize = kPageSize - kRowHeader - 2;
// Access numbers slots in one byte.
constexpr unsigned kMaxSlots = 255;
// Long values up to this size stay in the row.
constexpr size_t kInlineLongValue = 64;
// Inline usage maps cover this many pages from their start page, as Access writes them.
constexpr uint32_t kInlineMapBytes = 64;
constexpr uint32_t kPagesPerBitmapPage = (kPageSize - kUsageBitmapPageData) * 8;
// A reference usage map lists this many bitmap pages (Access's 69-byte map row).
constexpr uint32_t kReferenceMapSlots = 17;

constexpr uint16_t kGeneralSortOrder = 0x0409;
constexpr uint16_t kCodePage1252 = 1252;
constexpr uint8_t kTableTypeUser = 0x4E;
constexpr uint8_t kTableTypeSystem = 0x53;
constexpr uint32_t kTableDefHeader = 0x3F;

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void put64(std::vector<uint8_t>& b, size_t at, uint64_t v)
{
    put32(b, at, static_cast<uint32_t>(v));
    put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}
void putDouble(std::vector<uint8_t>& b, size_t at, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    put64(b, at, bits);
}
void append16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void append32(std::vector<uint8_t>& b, uint32_t v)
{
    append16(b, v & 0xFFFF);
    append16(b, v >> 16);
}

uint32_t rowPointer(uint32_t page, unsigned slot) { return (page << 8) | slot; }

// The fixed-width types this writer encodes.
bool writableFixedType(ColumnType t)
{
    switch (t) {
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Single:
    case ColumnType::Currency:
    case ColumnType::Double:
    case ColumnType::DateTime: return true;
    default: return false;
    }
}

bool isVariable(ColumnType t)
{
    return t == ColumnType::Text || t == ColumnType::Binary || t == ColumnType::Memo || t == ColumnType::Ole;
}

struct BuiltColumn {
    NewColumn spec;
    uint16_t number = 0;
    uint16_t varIndex = 0;
    uint16_t fixedOffset = 0;
    uint16_t length = 0;  // descriptor length in bytes
};

struct BuiltTable {
    std::string name;
    bool system = false;
    std::vector<BuiltColumn> columns;
    uint16_t fixedSize = 0;
    uint16_t varCount = 0;
    std::vector<uint32_t> tableDefPages;
    std::vector<uint32_t> dataPages;
    uint32_t rowCount = 0;
    uint32_t ownedMap = 0;
    uint32_t freeMap = 0;
};

std::string describe(const BuiltTable& t, const BuiltColumn& c) { return "Tabelle " + t.name + ", Spalte " + c.spec.name; }

}  // namespace

struct NewDatabaseFile::Impl {
    NewFileOptions options;
    std::vector<std::vector<uint8_t>> pages;
    std::vector<BuiltTable> tables;  // [0] is the catalog
    uint32_t longValuePage = 0;      // the page long values are added to; 0 none yet
    bool written = false;

    uint32_t newPage(uint8_t type)
    {
        pages.emplace_back(kPageSize, 0);
        std::vector<uint8_t>& p = pages.back();
        p[0] = type;
        p[1] = 0x01;
        return static_cast<uint32_t>(pages.size() - 1);
    }

    uint32_t newDataPage(uint32_t owner)
    {
        const uint32_t n = newPage(kPageData);
        put16(pages[n], kDataFreeSpace, kPageSize - kRowHeader);
        put32(pages[n], kDataOwner, owner);
        return n;
    }

    // Places a row on a data page; -1 when it does not fit.
    int placeRow(uint32_t page, const std::vector<uint8_t>& row)
    {
        std::vector<uint8_t>& p = pages[page];
        const unsigned count = p[F.dataRowCount] | (p[F.dataRowCount + 1] << 8);
        if (count >= kMaxSlots)
            return -1;
        const uint32_t top = count == 0 ? kPageSize
                                        : (p[kRowHeader + 2 * (count - 1)] | (p[kRowHeader + 2 * (count - 1) + 1] << 8));
        const uint32_t tableEnd = kRowHeader + 2 * (count + 1);
        if (row.size() > top || top - row.size() < tableEnd)
            return -1;
        const uint32_t start = top - static_cast<uint32_t>(row.size());
        std::copy(row.begin(), row.end(), p.begin() + start);
        put16(p, kRowHeader + 2 * count, start);
        put16(p, F.dataRowCount, count + 1);
        put16(p, kDataFreeSpace, start - tableEnd);
        return static_cast<int>(count);
    }

    uint32_t freeSpace(uint32_t page) const { return pages[page][kDataFreeSpace] | (pages[page][kDataFreeSpace + 1] << 8); }

    // Appends a row to a table's last data page or a new one; returns its pointer.
    uint32_t addTableRow(BuiltTable& t, uint32_t owner, const std::vector<uint8_t>& row)
    {
        if (!t.dataPages.empty()) {
            const int slot = placeRow(t.dataPages.back(), row);
            if (slot >= 0)
                return rowPointer(t.dataPages.back(), static_cast<unsigned>(slot));
        }
        t.dataPages.push_back(newDataPage(owner));
        return rowPointer(t.dataPages.back(), static_cast<unsigned>(placeRow(t.dataPages.back(), row)));
    }

    uint32_t addLongValueRow(const std::vector<uint8_t>& row)
    {
        if (longValuePage != 0) {
            const int slot = placeRow(longValuePage, row);
            if (slot >= 0)
                return rowPointer(longValuePage, static_cast<unsigned>(slot));
        }
        longValuePage = newDataPage(kLongValueOwner);
        return rowPointer(longValuePage, static_cast<unsigned>(placeRow(longValuePage, row)));
    }

    // The 12-byte field of a memo or OLE value, with the data inline or on LVAL pages.
    std::vector<uint8_t> longValueField(const std::vector<uint8_t>& data, const std::string& where)
    {
        if (data.size() > kLongValueLengthMask)
            throw JetError(where + ": der Wert ist zu lang.");
        std::vector<uint8_t> field(kLongValueHeaderSize, 0);
        const uint32_t length = static_cast<uint32_t>(data.size());
        if (data.size() <= kInlineLongValue) {
            put32(field, 0, length | kLongValueInline);
            field.insert(field.end(), data.begin(), data.end());
        } else if (data.size() <= kMaxRowSize) {
            put32(field, 0, length | kLongValueSinglePage);
            put32(field, 4, addLongValueRow(data));
        } else {
            // A chain: each piece starts with the pointer to the next, so the last goes first.
            const size_t piece = kMaxRowSize - 4;
            const size_t pieces = (data.size() + piece - 1) / piece;
            uint32_t next = 0;
            for (size_t k = pieces; k-- > 0;) {
                std::vector<uint8_t> row;
                append32(row, next);
                const size_t from = k * piece;
                const size_t to = std::min(data.size(), from + piece);
                row.insert(row.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                           data.begin() + static_cast<std::ptrdiff_t>(to));
                next = addLongValueRow(row);
            }
            put32(field, 0, length);
            put32(field, 4, next);
        }
        return field;
    }

    std::vector<uint8_t> encodeRow(BuiltTable& t, const std::vector<Value>& values);
    std::vector<uint8_t> tableDefinition(const BuiltTable& t) const;
    void layOutTableDef(BuiltTable& t);
    void fillTableDef(const BuiltTable& t);
    std::vector<uint8_t> usageMapRow(const std::vector<uint32_t>& mapped);
    void writeHeader();
    void writeGlobalUsageMap();
};

namespace {

int64_t wholeNumber(const Value& v, const std::string& where)
{
    if (v.kind == Value::Kind::Integer)
        return v.integer;
    if (v.kind == Value::Kind::Real && std::isfinite(v.real) && std::trunc(v.real) == v.real
        && std::fabs(v.real) < 9.2e18)
        return static_cast<int64_t>(v.real);
    throw JetError(where + ": eine ganze Zahl wird erwartet.");
}

double realNumber(const Value& v, const std::string& where)
{
    if (v.kind == Value::Kind::Integer)
        return static_cast<double>(v.integer);
    if (v.kind == Value::Kind::Real)
        return v.real;
    throw JetError(where + ": eine Zahl wird erwartet.");
}

void needRange(int64_t v, int64_t lo, int64_t hi, const std::string& where)
{
    if (v < lo || v > hi)
        throw JetError(where + ": der Wert " + std::to_string(v) + " liegt außerhalb von " + std::to_string(lo)
                       + " bis " + std::to_string(hi) + ".");
}

}  // namespace

std::vector<uint8_t> NewDatabaseFile::Impl::encodeRow(BuiltTable& t, const std::vector<Value>& values)
{
    const size_t colCount = t.columns.size();
    std::vector<uint8_t> fixed(t.fixedSize, 0);
    std::vector<std::vector<uint8_t>> variable(t.varCount);
    std::vector<uint8_t> nullMask((colCount + 7) / 8, 0);
    // Long values are encoded last: only once every other value is known good may pages
    // be spent on them. Their pages stay unused when the row turns out too long.
    std::vector<size_t> longValues;

    for (size_t i = 0; i < colCount; ++i) {
        const BuiltColumn& c = t.columns[i];
        const Value& v = values[i];
        if (v.kind == Value::Kind::Null)
            continue;
        const std::string where = describe(t, c);
        const auto present = [&] { nullMask[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8)); };
        auto* at = fixed.data() + c.fixedOffset;
        std::vector<uint8_t> scratch(8, 0);
        switch (c.spec.type) {
        case ColumnType::Boolean:
            if (wholeNumber(v, where) != 0)
                present();
            continue;
        case ColumnType::Byte: {
            const int64_t n = wholeNumber(v, where);
            needRange(n, 0, 255, where);
            at[0] = static_cast<uint8_t>(n);
            break;
        }
        case ColumnType::Integer: {
            const int64_t n = wholeNumber(v, where);
            needRange(n, -32768, 32767, where);
            put16(scratch, 0, static_cast<uint16_t>(n));
            std::copy_n(scratch.begin(), 2, at);
            break;
        }
        case ColumnType::Long: {
            const int64_t n = wholeNumber(v, where);
            needRange(n, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), where);
            put32(scratch, 0, static_cast<uint32_t>(n));
            std::copy_n(scratch.begin(), 4, at);
            break;
        }
        case ColumnType::Currency: {
            const double scaled = std::round(realNumber(v, where) * 10000.0);
            if (!(std::fabs(scaled) < 9.2e18))
                throw JetError(where + ": der Betrag ist zu groß.");
            put64(scratch, 0, static_cast<uint64_t>(static_cast<int64_t>(scaled)));
            std::copy_n(scratch.begin(), 8, at);
            break;
        }
        case ColumnType::Single: {
            const float f = static_cast<float>(realNumber(v, where));
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            put32(scratch, 0, bits);
            std::copy_n(scratch.begin(), 4, at);
            break;
        }
        case ColumnType::Double:
            putDouble(scratch, 0, realNumber(v, where));
            std::copy_n(scratch.begin(), 8, at);
            break;
        case ColumnType::DateTime: {
            double days;
            if (v.kind == Value::Kind::Text) {
                const std::optional<double> parsed = parseDateTime(v.bytes);
                if (!parsed)
                    throw JetError(where + ": \"" + v.bytes + "\" ist kein Datum der Form JJJJ-MM-TT hh:mm:ss.");
                days = *parsed;
            } else {
                days = realNumber(v, where);
            }
            putDouble(scratch, 0, days);
            std::copy_n(scratch.begin(), 8, at);
            break;
        }
        case ColumnType::Text: {
            std::u16string units;
            if (v.kind != Value::Kind::Text || !utf8ToUtf16(v.bytes, units))
                throw JetError(where + ": ein Text (UTF-8) wird erwartet.");
            if (units.size() > c.spec.textLength)
                throw JetError(where + ": der Text ist länger als " + std::to_string(c.spec.textLength)
                               + " Zeichen.");
            variable[c.varIndex] = encodeJet4Text(units);
            break;
        }
        case ColumnType::Binary:
            if (v.kind != Value::Kind::Blob)
                throw JetError(where + ": Binärdaten werden erwartet.");
            if (v.bytes.size() > c.spec.textLength)
                throw JetError(where + ": mehr als " + std::to_string(c.spec.textLength) + " Bytes.");
            variable[c.varIndex].assign(v.bytes.begin(), v.bytes.end());
            break;
        case ColumnType::Memo: {
            std::u16string units;
            if (v.kind != Value::Kind::Text || !utf8ToUtf16(v.bytes, units))
                throw JetError(where + ": ein Text (UTF-8) wird erwartet.");
            variable[c.varIndex] = encodeJet4Text(units);
            longValues.push_back(i);
            break;
        }
        case ColumnType::Ole:
            if (v.kind != Value::Kind::Blob)
                throw JetError(where + ": Binärdaten werden erwartet.");
            variable[c.varIndex].assign(v.bytes.begin(), v.bytes.end());
            longValues.push_back(i);
            break;
        default:
            throw JetError(where + ": dieser Spaltentyp kann nicht geschrieben werden.");
        }
        present();
    }

    // The row's size with every long value out of the row decides whether it fits at all.
    size_t size = 2 + fixed.size() + (t.varCount ? 2 * (t.varCount + 1u) + 2 : 0) + nullMask.size();
    for (size_t k = 0; k < t.varCount; ++k)
        size += variable[k].size();
    for (size_t i : longValues) {
        const std::vector<uint8_t>& data = variable[t.columns[i].varIndex];
        size += kLongValueHeaderSize - data.size() + (data.size() <= kInlineLongValue ? data.size() : 0);
    }
    if (size > kMaxRowSize)
        throw JetError("Tabelle " + t.name + ": die Zeile ist mit " + std::to_string(size)
                       + " Bytes zu lang für eine Seite.");
    for (size_t i : longValues) {
        std::vector<uint8_t>& data = variable[t.columns[i].varIndex];
        data = longValueField(data, describe(t, t.columns[i]));
    }

    std::vector<uint8_t> row;
    row.reserve(size);
    append16(row, static_cast<uint32_t>(colCount));
    row.insert(row.end(), fixed.begin(), fixed.end());
    if (t.varCount > 0) {
        std::vector<uint32_t> offsets;
        for (size_t k = 0; k < t.varCount; ++k) {
            offsets.push_back(static_cast<uint32_t>(row.size()));
            row.insert(row.end(), variable[k].begin(), variable[k].end());
        }
        offsets.push_back(static_cast<uint32_t>(row.size()));  // end of the variable data
        for (size_t k = offsets.size(); k-- > 0;)
            append16(row, offsets[k]);
        append16(row, t.varCount);
    }
    row.insert(row.end(), nullMask.begin(), nullMask.end());
    return row;
}

std::vector<uint8_t> NewDatabaseFile::Impl::tableDefinition(const BuiltTable& t) const
{
    std::vector<uint8_t> def(kTableDefHeader, 0);
    def[0] = kPageTableDef;
    def[1] = 0x01;
    put32(def, F.tdef.rowCount, t.rowCount);
    put32(def, 0x18, 1);  // Access writes 1 here in every table of the fixtures
    def[F.tdef.tableType] = t.system ? kTableTypeSystem : kTableTypeUser;
    put16(def, F.tdef.maxColumns, static_cast<uint32_t>(t.columns.size()));
    put16(def, F.tdef.varColumns, t.varCount);
    put16(def, F.tdef.columnCount, static_cast<uint32_t>(t.columns.size()));
    put32(def, F.tdef.logicalIndexCount, 0);
    put32(def, F.tdef.realIndexCount, 0);
    put32(def, F.tdef.ownedPagesMap, t.ownedMap);
    put32(def, F.tdef.freePagesMap, t.freeMap);
    const ColumnLayout& C = F.column;
    for (const BuiltColumn& c : t.columns) {
        std::vector<uint8_t> d(C.size, 0);
        d[0] = static_cast<uint8_t>(c.spec.type);
        put16(d, C.number, c.number);
        put16(d, C.varIndex, c.varIndex);
        put16(d, 0x09, c.number);  // the column's position
        put16(d, C.precision, kGeneralSortOrder);
        const bool variable = isVariable(c.spec.type);
        d[C.flags] = static_cast<uint8_t>((variable ? 0 : kColumnFixed) | kColumnNullable);
        if (c.spec.type == ColumnType::Text || c.spec.type == ColumnType::Memo)
            d[C.extFlags] = kColumnCompressedUnicode;
        put16(d, C.fixedOffset, c.fixedOffset);
        put16(d, C.length, c.length);
        def.insert(def.end(), d.begin(), d.end());
    }
    for (const BuiltColumn& c : t.columns) {
        std::u16string units;
        utf8ToUtf16(c.spec.name, units);
        append16(def, static_cast<uint32_t>(units.size() * 2));
        const std::vector<uint8_t> bytes = utf16Bytes(units);
        def.insert(def.end(), bytes.begin(), bytes.end());
    }
    append16(def, 0xFFFF);  // no long-value column maps follow
    return def;
}

void NewDatabaseFile::Impl::layOutTableDef(BuiltTable& t)
{
    const size_t size = tableDefinition(t).size();
    const size_t perPage = kPageSize - F.tableDefChainHeader;
    const size_t count = size <= kPageSize ? 1 : 1 + (size - kPageSize + perPage - 1) / perPage;
    for (size_t i = 0; i < count; ++i)
        t.tableDefPages.push_back(t.system ? kCatalogTableDefPage : newPage(kPageTableDef));
}

void NewDatabaseFile::Impl::fillTableDef(const BuiltTable& t)
{
    const std::vector<uint8_t> def = tableDefinition(t);
    size_t from = 0;
    for (size_t i = 0; i < t.tableDefPages.size(); ++i) {
        std::vector<uint8_t>& p = pages[t.tableDefPages[i]];
        std::fill(p.begin(), p.end(), 0);
        const size_t start = i == 0 ? 0 : F.tableDefChainHeader;
        const size_t take = std::min(def.size() - from, kPageSize - start);
        std::copy_n(def.begin() + static_cast<std::ptrdiff_t>(from), take, p.begin() + static_cast<std::ptrdiff_t>(start));
        from += take;
        p[0] = kPageTableDef;
        p[1] = 0x01;
        put16(p, 2, static_cast<uint32_t>(kPageSize - start - take));
        put32(p, 4, i + 1 < t.tableDefPages.size() ? t.tableDefPages[i + 1] : 0);
        if (i == 0)
            put32(p, 8, static_cast<uint32_t>(def.size() - 8));
    }
}

std::vector<uint8_t> NewDatabaseFile::Impl::usageMapRow(const std::vector<uint32_t>& mapped)
{
    std::vector<uint8_t> row;
    const uint32_t first = mapped.empty() ? 0 : *std::min_element(mapped.begin(), mapped.end());
    const uint32_t last = mapped.empty() ? 0 : *std::max_element(mapped.begin(), mapped.end());
    if (last - first < kInlineMapBytes * 8) {
        row.assign(1 + 4 + kInlineMapBytes, 0);
        row[0] = kUsageMapInline;
        put32(row, 1, first);
        for (uint32_t p : mapped)
            row[5 + (p - first) / 8] |= static_cast<uint8_t>(1u << ((p - first) % 8));
        return row;
    }
    const uint32_t bitmaps = last / kPagesPerBitmapPage + 1;
    if (bitmaps > kReferenceMapSlots)
        throw JetError("Die Datei wird zu groß für eine Access-Datenbank.");
    row.assign(1 + 4 * kReferenceMapSlots, 0);
    row[0] = kUsageMapReference;
    std::vector<uint32_t> bitmapPages(bitmaps, 0);
    for (uint32_t p : mapped) {
        const uint32_t k = p / kPagesPerBitmapPage;
        if (bitmapPages[k] == 0) {
            bitmapPages[k] = newPage(kPageUsageBitmap);
            put32(row, 1 + 4 * k, bitmapPages[k]);
        }
        const uint32_t bit = p % kPagesPerBitmapPage;
        pages[bitmapPages[k]][kUsageBitmapPageData + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    return row;
}

void NewDatabaseFile::Impl::writeGlobalUsageMap()
{
    // Page 1, row 0: the file's free pages. Access marks every page past the end of the
    // file as free up to the end of the map, and so does this.
    const uint32_t pageCount = static_cast<uint32_t>(pages.size());
    const uint32_t bytes = std::min<uint32_t>((pageCount / 8 / kInlineMapBytes + 1) * kInlineMapBytes,
                                              kMaxRowSize - 5);
    std::vector<uint8_t> row(5 + bytes, 0);
    row[0] = kUsageMapInline;
    for (uint32_t p = pageCount; p < bytes * 8; ++p)
        row[5 + p / 8] |= static_cast<uint8_t>(1u << (p % 8));
    placeRow(1, row);
}

void NewDatabaseFile::Impl::writeHeader()
{
    std::vector<uint8_t>& p = pages[0];
    std::fill(p.begin(), p.end(), 0);
    p[0] = kPageDatabase;
    p[1] = 0x01;
    std::memcpy(p.data() + kHeaderSignatureOffset, "Standard Jet DB", kHeaderSignatureSize);
    p[kHeaderVersionOffset] = kVersionJet4;
    put16(p, kHeaderCodePage, kCodePage1252);
    put32(p, kHeaderDatabaseKey, options.pageKey);
    put16(p, kHeaderSortOrderJet4, kGeneralSortOrder);
    putDouble(p, kHeaderCreationDate, options.creationDate);
    // The password, UTF-16LE, masked with the whole days of the creation date.
    std::u16string units;
    utf8ToUtf16(options.password, units);
    std::vector<uint8_t> pw = utf16Bytes(units);
    pw.resize(kHeaderPasswordSizeJet4, 0);
    const uint32_t dayMask = passwordMask(options.creationDate);
    for (uint32_t i = 0; i < kHeaderPasswordSizeJet4; ++i)
        p[kHeaderPassword + i] = pw[i] ^ static_cast<uint8_t>(dayMask >> (8 * (i % 4)));
    Rc4 mask(kHeaderMaskKey, sizeof kHeaderMaskKey);
    mask.apply(p.data() + kHeaderMaskedOffset, kHeaderMaskedSizeJet4);
}

NewDatabaseFile::NewDatabaseFile(NewFileOptions options) : m(std::make_unique<Impl>())
{
    std::u16string units;
    if (!utf8ToUtf16(options.password, units) || units.size() * 2 > kHeaderPasswordSizeJet4)
        throw JetError("Das Kennwort einer Access-Datenbank hat höchstens 20 Zeichen.");
    m->options = std::move(options);
    m->newPage(kPageDatabase);
    m->newDataPage(0);  // page 1: the global usage map
    m->newPage(kPageTableDef);

    const std::vector<NewColumn> catalog = {
        {"Id", ColumnType::Long, 0},           {"ParentId", ColumnType::Long, 0},
        {"Name", ColumnType::Text, 255},       {"Type", ColumnType::Integer, 0},
        {"Flags", ColumnType::Long, 0},        {"DateCreate", ColumnType::DateTime, 0},
        {"DateUpdate", ColumnType::DateTime, 0}, {"Owner", ColumnType::Binary, 255},
        {"Connect", ColumnType::Memo, 0},      {"Database", ColumnType::Memo, 0},
        {"ForeignName", ColumnType::Memo, 0},  {"LvProp", ColumnType::Ole, 0},
    };
    addTable("MSysObjects", catalog);
    m->tables[0].system = true;
    m->tables[0].tableDefPages = {kCatalogTableDefPage};
}

NewDatabaseFile::~NewDatabaseFile() = default;

size_t NewDatabaseFile::addTable(const std::string& name, const std::vector<NewColumn>& columns)
{
    std::u16string units;
    if (name.empty() || !utf8ToUtf16(name, units) || units.size() > 64)
        throw JetError("Der Tabellenname \"" + name + "\" ist leer, zu lang oder kein gültiger Text.");
    for (const BuiltTable& t : m->tables)
        if (t.name == name)
            throw JetError("Die Tabelle " + name + " gibt es schon.");
    if (columns.empty() || columns.size() > 255)
        throw JetError("Tabelle " + name + ": eine Tabelle hat 1 bis 255 Spalten.");
    BuiltTable t;
    t.name = name;
    uint32_t fixedOffset = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        BuiltColumn c;
        c.spec = columns[i];
        c.number = static_cast<uint16_t>(i);
        const std::string where = "Tabelle " + name + ", Spalte " + c.spec.name;
        if (c.spec.name.empty() || !utf8ToUtf16(c.spec.name, units) || units.size() > 64)
            throw JetError(where + ": der Spaltenname ist leer, zu lang oder kein gültiger Text.");
        for (size_t k = 0; k < i; ++k)
            if (columns[k].name == c.spec.name)
                throw JetError(where + ": die Spalte gibt es zweimal.");
        switch (c.spec.type) {
        case ColumnType::Text:
        case ColumnType::Binary:
            if (c.spec.textLength < 1 || c.spec.textLength > 255)
                throw JetError(where + ": die Länge muss zwischen 1 und 255 liegen.");
            c.length = static_cast<uint16_t>(c.spec.type == ColumnType::Text ? 2 * c.spec.textLength : c.spec.textLength);
            c.varIndex = t.varCount++;
            break;
        case ColumnType::Memo:
        case ColumnType::Ole:
            c.varIndex = t.varCount++;
            break;
        case ColumnType::Boolean:
            c.length = 1;  // the value lives in the null mask
            break;
        default:
            c.length = fixedColumnWidth(c.spec.type);
            if (!writableFixedType(c.spec.type))
                throw JetError(where + ": dieser Spaltentyp kann nicht geschrieben werden.");
            c.fixedOffset = static_cast<uint16_t>(fixedOffset);
            fixedOffset += c.length;
        }
        t.columns.push_back(c);
    }
    t.fixedSize = static_cast<uint16_t>(fixedOffset);
    if (!m->tables.empty())  // the catalog's page is set aside by the constructor
        m->layOutTableDef(t);
    m->tables.push_back(std::move(t));
    return m->tables.size() - 1;
}

void NewDatabaseFile::addRow(size_t table, const std::vector<Value>& values)
{
    if (table == 0 || table >= m->tables.size())
        throw JetError("Unbekannte Tabelle " + std::to_string(table) + ".");
    BuiltTable& t = m->tables[table];
    if (values.size() != t.columns.size())
        throw JetError("Tabelle " + t.name + ": " + std::to_string(values.size()) + " Werte für "
                       + std::to_string(t.columns.size()) + " Spalten.");
    const std::vector<uint8_t> row = m->encodeRow(t, values);
    m->addTableRow(t, t.tableDefPages.front(), row);
    ++t.rowCount;
}

void NewDatabaseFile::write(const std::string& path)
{
    if (m->written)
        throw JetError("Die Datei " + path + " wurde schon geschrieben.");
    m->written = true;
    Impl& x = *m;

    // The catalog: itself, then every user table.
    BuiltTable& catalog = x.tables[0];
    for (size_t i = 0; i < x.tables.size(); ++i) {
        const BuiltTable& t = x.tables[i];
        const std::vector<Value> row = {
            Value::ofInteger(t.tableDefPages.front()),
            Value::ofInteger(0x0F000001),  // the "Tables" container, as in Access files
            Value::ofText(t.name),
            Value::ofInteger(kObjectTypeTable),
            Value::ofInteger(t.system ? static_cast<int32_t>(kObjectFlagsSystem) : 0),
            Value::ofReal(x.options.creationDate),
            Value::ofReal(x.options.creationDate),
            Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
        };
        x.addTableRow(catalog, kCatalogTableDefPage, x.encodeRow(catalog, row));
        ++catalog.rowCount;
    }

    // Usage maps: the pages each table owns and those with room, on pages of their own.
    std::vector<std::vector<uint8_t>> mapRows;
    for (BuiltTable& t : x.tables) {
        std::vector<uint32_t> roomy;
        for (uint32_t p : t.dataPages)
            if (x.freeSpace(p) >= 64)
                roomy.push_back(p);
        mapRows.push_back(x.usageMapRow(t.dataPages));
        mapRows.push_back(x.usageMapRow(roomy));
    }
    uint32_t mapPage = 0;
    for (size_t i = 0; i < mapRows.size(); ++i) {
        int slot = mapPage ? x.placeRow(mapPage, mapRows[i]) : -1;
        if (slot < 0) {
            mapPage = x.newDataPage(0);
            slot = x.placeRow(mapPage, mapRows[i]);
        }
        BuiltTable& t = x.tables[i / 2];
        (i % 2 == 0 ? t.ownedMap : t.freeMap) = rowPointer(mapPage, static_cast<unsigned>(slot));
    }
    for (const BuiltTable& t : x.tables)
        x.fillTableDef(t);
    x.writeGlobalUsageMap();
    x.writeHeader();

    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw JetError("Die Datei " + path + " kann nicht angelegt werden: " + std::strerror(errno));
    const std::unique_ptr<PageCodec> codec =
        x.options.pageKey ? std::make_unique<Rc4PageCodec>(x.options.pageKey) : nullptr;
    int failure = 0;
    for (uint32_t n = 0; n < x.pages.size() && failure == 0; ++n) {
        std::vector<uint8_t>& p = x.pages[n];
        if (codec)
            codec->encode(n, p.data(), p.size());
        size_t done = 0;
        while (done < p.size()) {
            const ssize_t w = ::write(fd, p.data() + done, p.size() - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                failure = w < 0 ? errno : ENOSPC;
                break;
            }
            done += static_cast<size_t>(w);
        }
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(path.c_str());
        throw JetError("Die Datei " + path + " kann nicht geschrieben werden: " + std::strerror(failure));
    }
}

}  // namespace db::jet
