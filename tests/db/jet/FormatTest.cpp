// The engine's layers below SQL: value text forms, text decoding, case folding, and the
// on-disk structures built in memory, each broken in one field.
#include "JetTestSupport.h"

#include "db/jet/CaseFold.h"
#include "db/jet/DataPage.h"
#include "db/jet/Database.h"
#include "db/jet/DatabaseHeader.h"
#include "db/jet/LongValue.h"
#include "db/jet/RowCodec.h"
#include "db/jet/TableDef.h"
#include "db/jet/UsageMap.h"
#include "db/jet/Text.h"
#include "db/jet/ValueFormat.h"

#include <QChar>

using namespace jettest;
using namespace db::jet;

namespace {

// The German message of the CorruptError `f` throws, or "" when it throws none.
template <typename F>
std::string corruptionOf(F&& f)
{
    try {
        f();
    } catch (const CorruptError& e) {
        return e.what();
    }
    return "";
}

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// A Jet 4 data page holding `rows` (slot 0 first, packed from the page end).
std::vector<uint8_t> dataPage(uint32_t owner, const std::vector<std::string>& rows)
{
    std::vector<uint8_t> p(4096, 0);
    p[0] = kPageData;
    p[1] = 1;
    put32(p, 4, owner);
    put16(p, 0x0C, static_cast<uint16_t>(rows.size()));
    size_t end = 4096;
    for (size_t i = 0; i < rows.size(); ++i) {
        const size_t start = end - rows[i].size();
        std::copy(rows[i].begin(), rows[i].end(), p.begin() + static_cast<std::ptrdiff_t>(start));
        put16(p, 0x0E + 2 * i, static_cast<uint16_t>(start));
        end = start;
    }
    return p;
}

PageRef pageOf(uint32_t number, std::vector<uint8_t> bytes)
{
    auto p = std::make_shared<Page>();
    p->number = number;
    p->bytes = std::move(bytes);
    return p;
}

// A file of Jet 4 pages (page 0 blank) for the layers that read through the page file.
fs::path pageFile(const TempDir& dir, const std::vector<std::vector<uint8_t>>& pages)
{
    std::string bytes(4096, '\0');
    for (const auto& p : pages)
        bytes.append(p.begin(), p.end());
    const fs::path path = dir.path() / "pages.bin";
    writeFile(path, bytes);
    return path;
}

std::string pointer(uint32_t page, uint8_t row)
{
    const uint32_t v = (page << 8) | row;
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

ByteView viewOf(const std::string& s) { return ByteView(reinterpret_cast<const uint8_t*>(s.data()), s.size(), 5); }

}  // namespace

TEST(JetValueText, DateTimesRoundToTheSecondWithAccessNegativeDays)
{
    EXPECT_EQ(formatDateTime(0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(formatDateTime(1.5), "1899-12-31 12:00:00");
    EXPECT_EQ(formatDateTime(-1.25), "1899-12-29 06:00:00");  // the time counts forward
    EXPECT_EQ(formatDateTime(-0.5), "1899-12-30 12:00:00");
    EXPECT_EQ(formatDateTime(27293.0), "1974-09-21 00:00:00");
    EXPECT_EQ(formatDateTime(0.5 / 86400), "1899-12-30 00:00:01");  // halves go up
    EXPECT_EQ(formatDateTime(0.49 / 86400), "1899-12-30 00:00:00");
    EXPECT_EQ(formatDateTime(1.0 - 0.2 / 86400), "1899-12-31 00:00:00");  // no 24:00:00
    EXPECT_EQ(formatDateTime(2958465.5), "9999-12-31 12:00:00");
    EXPECT_EQ(formatDateTime(-657434.0), "0100-01-01 00:00:00");
    EXPECT_FALSE(formatDateTime(2958465.999999999));
    EXPECT_FALSE(formatDateTime(-657435.0));
    EXPECT_FALSE(formatDateTime(std::nan("")));
    EXPECT_FALSE(formatDateTime(1e300));
}

TEST(JetValueText, GuidsAndDecimalsKeepEveryDigit)
{
    const uint8_t guid[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    EXPECT_EQ(formatGuid(guid), "{03020100-0504-0706-0809-0A0B0C0D0E0F}");

    uint8_t dec[17] = {};
    dec[13] = 0x39;  // 12345 in the least significant word
    dec[14] = 0x30;
    dec[0] = 0x80;
    EXPECT_EQ(formatDecimal(dec, 2), "-123.45");
    EXPECT_EQ(formatDecimal(dec, 7), "-0.0012345");
    EXPECT_EQ(formatDecimal(dec, 0), "-12345");
    uint8_t zero[17] = {0x80};
    EXPECT_EQ(formatDecimal(zero, 2), "0.00");
    uint8_t big[17] = {};
    big[1] = 1;  // 2^96 in the most significant word
    EXPECT_EQ(formatDecimal(big, 0), "79228162514264337593543950336");
}

TEST(JetText, DecodesUtf16AndTheCompressedFormWithItsSwitches)
{
    const std::string mixed("\xFF\xFE" "caf\xE9" "\x00" "\x2D\x4E", 9);
    EXPECT_EQ(decodeJet4Text(viewOf(mixed)), "caf\xC3\xA9\xE4\xB8\xAD");  // café中
    const std::string plain("a\0\xE4\0", 4);
    EXPECT_EQ(decodeJet4Text(viewOf(plain)), "a\xC3\xA4");
    EXPECT_EQ(decodeJet4Text(viewOf("\xFF\xFE")), "");
    const std::string truncated("\xFF\xFE" "ab" "\x00" "\x2D", 6);
    EXPECT_EQ(decodeJet4Text(viewOf(truncated)), "ab");
    const std::string surrogates("\x3D\xD8\x00\xDE\x3D\xD8", 6);  // U+1F600, then a lone high surrogate
    EXPECT_EQ(utf16ToUtf8(reinterpret_cast<const uint8_t*>(surrogates.data()), 6), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(decodeCodePageText(viewOf("\x80\xE4\xDF"), 1252), "\xE2\x82\xAC\xC3\xA4\xC3\x9F");  // €äß
}

TEST(JetText, Utf16DecodingGivesWhatTheUtf8DecodingGives)
{
    // Index keys take text as UTF-16 straight from the row; it must be the text that
    // values show, for every stored form: plain, compressed with switches, surrogates
    // paired and alone, odd and truncated lengths.
    const auto viaUtf8 = [](const std::string& bytes) {
        std::u16string units;
        EXPECT_TRUE(utf8ToUtf16(decodeJet4Text(viewOf(bytes)), units));
        return units;
    };
    const std::vector<std::string> samples = {
        "", "\xFF", "\xFF\xFE", std::string("\xFF\xFE" "caf\xE9" "\x00" "\x2D\x4E", 9),
        std::string("\xFF\xFE" "ab" "\x00" "\x2D", 6), std::string("\x3D\xD8\x00\xDE\x3D\xD8", 6),
        std::string("\x00\xDC\x3D\xD8\x3D\xD8\x00\xDE", 8), std::string("a\0\0\0b", 5),
        std::string("\xFF\xFE" "\x00" "\x3D\xD8\x00\xDE" "\x00" "x" "\x00" "\x3D\xD8", 13)};
    for (const std::string& s : samples)
        EXPECT_EQ(decodeJet4TextUtf16(viewOf(s)), viaUtf8(s)) << testing::PrintToString(s);
    // Random bytes, biased to surrogates, zeros and the compression marker.
    uint32_t state = 12345;
    const auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0xFF; };
    const uint8_t favourites[] = {0x00, 0xD8, 0xDB, 0xDC, 0xDF, 0xFF, 0xFE, 0x41};
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        if (round % 2)
            s = "\xFF\xFE";
        const size_t length = next() % 24;
        for (size_t i = 0; i < length; ++i)
            s += static_cast<char>(next() % 3 ? favourites[next() % 8] : next());
        ASSERT_EQ(decodeJet4TextUtf16(viewOf(s)), viaUtf8(s)) << testing::PrintToString(s);
    }
}

TEST(JetText, CaseFoldingIsTheOneTheNoCaseCollationUses)
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        ASSERT_EQ(foldCase(c), static_cast<uint32_t>(QChar::toCaseFolded(c))) << std::hex << uint32_t(c);
    }
    std::string key;
    ASSERT_TRUE(foldedKey("Straße ÄRGER Ωmega", key));
    EXPECT_EQ(key, "straße ärger ωmega");
    EXPECT_FALSE(foldedKey("\xC3", key));
}

TEST(JetHeader, DecodesVersionCodePageKeyAndPassword)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    const auto read = [](const std::string& name) {
        const std::string raw = readFile(fixture(name));
        return DatabaseHeader::parse(std::vector<uint8_t>(raw.begin(), raw.begin() + 4096), name);
    };
    const DatabaseHeader jet3 = read("testV1997.mdb");
    EXPECT_EQ(jet3.version, kVersionJet3);
    EXPECT_EQ(jet3.pageSize, 2048u);
    EXPECT_EQ(jet3.codePage, 1252);
    EXPECT_EQ(jet3.sortLanguage, 0x409);
    const DatabaseHeader ace = read("testV2010.accdb");
    EXPECT_TRUE(ace.ace);
    EXPECT_EQ(ace.sortVersion, 1);
    EXPECT_EQ(read("encryptedV2000.mdb").databaseKey, 0xA7B773E0u);
    EXPECT_EQ(read("passwordV2000.mdb").password, "password");
    EXPECT_EQ(read("testV2000.mdb").password, "");

    // An .accdb with a database key is Office-encrypted: refused by name.
    const std::string raw = readFile(fixture("testV2010.accdb"));
    std::vector<uint8_t> page0 = unmaskHeader(std::vector<uint8_t>(raw.begin(), raw.begin() + 4096));
    put32(page0, kHeaderDatabaseKey, 0x12345678);
    const std::vector<uint8_t> stored = unmaskHeader(page0);  // masking is its own inverse
    EXPECT_NE(jetErrorOf([&] { DatabaseHeader::parse(stored, "x.accdb"); })
                  .find("verschlüsselte Access-2007-Datenbank"),
              std::string::npos);
    std::vector<uint8_t> future = stored;
    future[kHeaderVersionOffset] = 9;
    EXPECT_EQ(jetErrorOf([&] { DatabaseHeader::parse(future, "x.accdb"); }),
              "Die Datei x.accdb hat ein unbekanntes Access-Dateiformat (Version 9).");
}

TEST(JetDataPage, ReadsSlotsAndFlagsAndRejectsBrokenOffsetTables)
{
    const Format& f = Format::jet4Format();
    std::vector<uint8_t> bytes = dataPage(77, {"first", "second", "third"});
    put16(bytes, 0x0E + 2, static_cast<uint16_t>((bytes[0x10] | bytes[0x11] << 8) | kRowFlagDeleted));
    const DataPage page(pageOf(9, bytes), f);
    EXPECT_EQ(page.owner(), 77u);
    ASSERT_EQ(page.rowCount(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.rowBytes(0).data()), 5), "first");
    EXPECT_TRUE(page.slot(1).deleted);
    EXPECT_EQ(page.rowBytes(2).size(), 5u);

    std::vector<uint8_t> tooMany = bytes;
    put16(tooMany, 0x0C, 300);
    EXPECT_EQ(corruptionOf([&] { DataPage(pageOf(9, tooMany), f); }),
              "Die Access-Datei ist beschädigt (Seite 9, Zeilenanzahl): 300 Zeilen auf einer Seite");
    std::vector<uint8_t> crossed = bytes;
    put16(crossed, 0x0E + 4, 4090);  // starts above the slot before it
    EXPECT_NE(corruptionOf([&] { DataPage(pageOf(9, crossed), f).rowBytes(2); }).find("Seite 9, Zeilentabelle"),
              std::string::npos);
    std::vector<uint8_t> intoHeader = bytes;
    put16(intoHeader, 0x0E, 3);
    EXPECT_NE(corruptionOf([&] { DataPage(pageOf(9, intoHeader), f).slot(0); }), "");
    std::vector<uint8_t> notData = bytes;
    notData[0] = kPageIndexLeaf;
    EXPECT_NE(corruptionOf([&] { DataPage(pageOf(9, notData), f); }).find("Datenseite erwartet"), std::string::npos);
}

TEST(JetRowCodec, FindsJet3VariableColumnsPastTheFirst256BytesThroughTheJumpTable)
{
    TableDef def;
    def.maxColumns = 3;
    def.varColumns = 3;
    for (uint16_t i = 0; i < 3; ++i) {
        ColumnDef c;
        c.name = "c" + std::to_string(i);
        c.type = ColumnType::Text;
        c.number = i;
        c.varIndex = i;
        def.columns.push_back(c);
    }
    // colCount, data 200 + 100 + 5 bytes, offsets (last first) 50,45,201,1, jump entry 2,
    // varCount 3, null mask.
    std::string row(1, '\x03');
    row += std::string(200, 'a') + std::string(100, 'b') + std::string(5, 'c');
    row += std::string{'\x32', '\x2D', static_cast<char>(201), '\x01', '\x02', '\x03', '\x07'};
    ASSERT_EQ(row.size(), 313u);
    const RowCodec codec(def, Format::jet3Format());
    std::vector<FieldSpan> spans;
    codec.crack(viewOf(row), spans);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].offset, 1u);
    EXPECT_EQ(spans[0].length, 200u);
    EXPECT_EQ(spans[1].offset, 201u);
    EXPECT_EQ(spans[1].length, 100u);
    EXPECT_EQ(spans[2].offset, 301u);
    EXPECT_EQ(spans[2].length, 5u);

    // A third column missing from the null mask reads NULL; offsets past the data are corrupt.
    row.back() = '\x03';
    codec.crack(viewOf(row), spans);
    EXPECT_FALSE(spans[2].present);
    std::string broken = row;
    broken.back() = '\x07';
    broken[row.size() - 7] = '\x60';  // eod 352: past the offset table
    EXPECT_NE(corruptionOf([&] { codec.crack(viewOf(broken), spans); }).find("Spalte c2"), std::string::npos);
    EXPECT_NE(corruptionOf([&] { codec.crack(viewOf(std::string(1, '\x40')), spans); }).find("Nullmaske"),
              std::string::npos);
}

TEST(JetLongValue, FollowsChainsAndRejectsLoopsAndForeignPages)
{
    TempDir dir;
    const auto lval = [](const std::vector<std::string>& rows) { return dataPage(kLongValueOwner, rows); };
    const fs::path path = pageFile(dir, {lval({pointer(2, 0) + "Hallo, "}), lval({pointer(0, 0) + "Welt"}),
                                         lval({pointer(4, 0) + "im Kreis"}), lval({pointer(3, 0) + "herum"}),
                                         dataPage(9, {"keine LVAL-Seite"})});
    PageFile file(path.string(), AccessMode::ReadShared);
    file.configure(4096, nullptr);
    const Format& f = Format::jet4Format();
    const auto descriptor = [](uint32_t head, uint32_t page, uint8_t row) {
        std::string d(12, '\0');
        for (int i = 0; i < 4; ++i)
            d[static_cast<size_t>(i)] = static_cast<char>(head >> (8 * i));
        d.replace(4, 4, pointer(page, row));
        return d;
    };
    EXPECT_EQ(readLongValue(file, f, viewOf(descriptor(11, 1, 0))), "Hallo, Welt");
    EXPECT_EQ(readLongValue(file, f, viewOf(descriptor(kLongValueSinglePage | 4, 2, 0))),
              pointer(0, 0));
    EXPECT_EQ(readLongValue(file, f, viewOf(descriptor(kLongValueInline | 3, 0, 0) + "abc")), "abc");
    EXPECT_NE(corruptionOf([&] { readLongValue(file, f, viewOf(descriptor(1000, 3, 0))); }).find("Schleife"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readLongValue(file, f, viewOf(descriptor(100, 1, 0))); }).find("Kette endet"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readLongValue(file, f, viewOf(descriptor(5, 5, 0))); }).find("LVAL"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readLongValue(file, f, viewOf(descriptor(5, 99, 0))); }).find("hinter dem Dateiende"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readLongValue(file, f, viewOf(descriptor(kLongValueInline | 30, 0, 0) + "abc")); }),
              "");
}

TEST(JetUsageMap, ReadsInlineAndReferenceMaps)
{
    TempDir dir;
    std::string inlineMap{'\x00', '\x02', '\x00', '\x00', '\x00', '\x05'};  // start page 2: pages 2 and 4
    inlineMap += std::string(20, '\0') + '\x80';  // page 2 + 20 * 8 + 7, past the end of the file
    std::string referenceMap{'\x01', '\x02', '\x00', '\x00', '\x00'};  // one bitmap page: page 2
    referenceMap += std::string(4, '\0') + std::string{'\x02', '\x00', '\x00', '\x00'};  // the same page again
    std::string badReference{'\x01', '\x03', '\x00', '\x00', '\x00'};  // page 3 is a data page
    std::vector<uint8_t> bitmap(4096, 0);
    bitmap[0] = kPageUsageBitmap;
    bitmap[1] = 1;
    bitmap[4] = 0x28;  // pages 3 and 5
    const fs::path path = pageFile(dir, {dataPage(0, {inlineMap, referenceMap, badReference, std::string("\x07", 1)}),
                                         bitmap, dataPage(9, {}), dataPage(9, {}), dataPage(9, {})});
    PageFile file(path.string(), AccessMode::ReadShared);
    file.configure(4096, nullptr);
    const Format& f = Format::jet4Format();
    // Pages past the end of the file are listed: whoever reads them reports the damage.
    EXPECT_EQ(readUsageMap(file, f, (1u << 8) | 0), (std::vector<uint32_t>{2, 4, 2 + 21 * 8 + 7}));
    EXPECT_EQ(readUsageMap(file, f, (1u << 8) | 1), (std::vector<uint32_t>{3, 5, 2 * 32736 + 3, 2 * 32736 + 5}));
    EXPECT_NE(corruptionOf([&] { readUsageMap(file, f, (1u << 8) | 2); }).find("Belegungsseite erwartet"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readUsageMap(file, f, (1u << 8) | 3); }).find("unbekannter Typ 7"),
              std::string::npos);
    EXPECT_NE(corruptionOf([&] { readUsageMap(file, f, (1u << 8) | 9); }).find("Zeile 9 gibt es nicht"),
              std::string::npos);
}

TEST(JetTableDef, RejectsDefinitionChainsThatLoop)
{
    TempDir dir;
    std::vector<uint8_t> a(4096, 0), b(4096, 0);
    a[0] = b[0] = kPageTableDef;
    put32(a, 4, 2);
    put32(b, 4, 1);
    const fs::path path = pageFile(dir, {a, b});
    PageFile file(path.string(), AccessMode::ReadShared);
    file.configure(4096, nullptr);
    EXPECT_NE(corruptionOf([&] { readTableDefChain(file, Format::jet4Format(), 1); }).find("Schleife"),
              std::string::npos);
}

TEST(JetTableDef, ReadsColumnsAndIndexDefinitions)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    const auto db = Database::open(fixture("indexTestV2000.mdb").string(), "", AccessMode::ReadShared);
    ASSERT_EQ(db->userTables().size(), 3u);
    const TableDef& def = db->table(db->userTables()[0]).def();
    ASSERT_EQ(def.columns.size(), 5u);
    EXPECT_EQ(def.columns[3].name, "data");
    EXPECT_EQ(def.columns[3].type, ColumnType::Text);
    EXPECT_EQ(def.columns[3].length, 100u);
    bool sawPrimary = false;
    for (const IndexDef& x : def.indexes) {
        EXPECT_FALSE(x.name.empty());
        ASSERT_FALSE(x.columns.empty()) << x.name;
        for (const IndexColumn& col : x.columns)
            EXPECT_NE(def.findColumn(col.columnNumber), nullptr) << x.name;
        if (x.isPrimaryKey()) {
            sawPrimary = true;
            EXPECT_TRUE(x.isUnique());
            EXPECT_EQ(def.findColumn(x.columns[0].columnNumber)->name, "id");
        }
    }
    EXPECT_TRUE(sawPrimary);
}

TEST(JetPageFile, KeepsTheCacheWithinItsLimit)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    PageFile file(fixture("testV2000.mdb").string(), AccessMode::ReadShared, 16);
    file.configure(4096, nullptr);
    ASSERT_GT(file.pageCount(), 100u);
    for (uint32_t round = 0; round < 2; ++round)
        for (uint32_t p = 0; p < file.pageCount(); ++p)
            EXPECT_EQ(file.page(p)->number, p);
    EXPECT_LE(file.cachedPages(), 16u);
    EXPECT_EQ(file.pageReads(), 2u * file.pageCount());
    const uint64_t reads = file.pageReads();
    file.page(file.pageCount() - 1);
    EXPECT_EQ(file.pageReads(), reads);  // the most recent page stays cached
    EXPECT_NE(corruptionOf([&] { file.page(file.pageCount()); }).find("hinter dem Dateiende"), std::string::npos);
}
