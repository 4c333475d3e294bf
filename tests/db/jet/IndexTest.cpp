// Index keys, index pages and the B-tree reader on bytes built here, and the index check
// on damaged copies of the real files.
#include "JetTestSupport.h"

#include "db/jet/Database.h"
#include "db/jet/Index.h"
#include "db/jet/IndexCheck.h"
#include "db/jet/IndexKey.h"
#include "db/jet/ValueFormat.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace jettest;
using namespace db::jet;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string& s)
{
    Bytes out;
    for (size_t i = 0; i + 1 < s.size();) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

ColumnDef column(const std::string& name, ColumnType type, uint16_t number)
{
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = number;
    return c;
}

// A table with one column per type and one index per test, as a Jet 4 (or ACE) file has them.
struct Fixture {
    TableDef table;
    DatabaseHeader header;

    Fixture(std::vector<ColumnDef> columns, bool ace = false)
    {
        table.columns = std::move(columns);
        header.version = ace ? 3 : kVersionJet4;
        header.ace = ace;
    }
    IndexKeyEncoder encoder(std::vector<std::pair<uint16_t, bool>> cols, uint8_t sortVersion = 0) const
    {
        IndexDef x;
        x.name = "Idx";
        for (auto [n, asc] : cols)
            x.columns.push_back({n, asc, kSortGeneral, sortVersion});
        return IndexKeyEncoder("Tab", table, x, header);
    }
};

std::string key(const IndexKeyEncoder& e, const KeyValue& v, KeyMode mode = KeyMode::Strict)
{
    return hexBytes(e.encode({v}, mode).bytes);
}

KeyValue text(const std::u16string& s) { return KeyValue::ofText(s); }

}  // namespace

TEST(IndexKeys, IntegersAndNullsAsTheFixturesShowThem)
{
    Fixture f({column("n", ColumnType::Long, 0)});
    const auto asc = f.encoder({{0, true}});
    const auto desc = f.encoder({{0, false}});
    EXPECT_EQ(key(asc, KeyValue::ofInteger(0)), "7f 80 00 00 00");         // indexTestV2000
    EXPECT_EQ(key(desc, KeyValue::ofInteger(19)), "80 7f ff ff ec");       // compIndexTestV2000
    EXPECT_EQ(key(desc, KeyValue::ofInteger(1)), "80 7f ff ff fe");        // MSysModules2 of testV1997
    EXPECT_EQ(key(asc, KeyValue::null()), "00");
    EXPECT_EQ(key(desc, KeyValue::null()), "ff");                          // compIndexTestV2000
}

TEST(IndexKeys, NumbersSortAsTheirValuesAscendingAndDescending)
{
    struct Case {
        ColumnType type;
        std::vector<KeyValue> sorted;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {ColumnType::Byte, {KeyValue::ofInteger(0), KeyValue::ofInteger(1), KeyValue::ofInteger(127), KeyValue::ofInteger(128), KeyValue::ofInteger(255)}},
        {ColumnType::Integer, {KeyValue::ofInteger(-32768), KeyValue::ofInteger(-1), KeyValue::ofInteger(0), KeyValue::ofInteger(1), KeyValue::ofInteger(32767)}},
        {ColumnType::Long, {KeyValue::ofInteger(INT32_MIN), KeyValue::ofInteger(-256), KeyValue::ofInteger(0), KeyValue::ofInteger(255), KeyValue::ofInteger(INT32_MAX)}},
        {ColumnType::Currency, {KeyValue::ofInteger(INT64_MIN), KeyValue::ofInteger(-10000), KeyValue::ofInteger(0), KeyValue::ofInteger(1), KeyValue::ofInteger(INT64_MAX)}},
        {ColumnType::Double, {KeyValue::ofReal(-inf), KeyValue::ofReal(-1e300), KeyValue::ofReal(-1.5), KeyValue::ofReal(-1e-300), KeyValue::ofReal(0), KeyValue::ofReal(1e-300), KeyValue::ofReal(2.25), KeyValue::ofReal(inf)}},
        {ColumnType::Single, {KeyValue::ofReal(-3.5e38), KeyValue::ofReal(-1), KeyValue::ofReal(0), KeyValue::ofReal(0.5), KeyValue::ofReal(3.5e38)}},
        {ColumnType::DateTime, {KeyValue::ofReal(-657434), KeyValue::ofReal(-1.25), KeyValue::ofReal(0), KeyValue::ofReal(38353.5), KeyValue::ofReal(2958465)}},
    };
    for (const Case& c : cases) {
        Fixture f({column("v", c.type, 0)});
        for (bool ascending : {true, false}) {
            const auto e = f.encoder({{0, ascending}});
            Bytes previous = e.encode({KeyValue::null()}).bytes;
            for (const KeyValue& v : c.sorted) {
                const Bytes k = e.encode({v}).bytes;
                // Ascending: NULL first, then rising; descending: falling, NULL last.
                if (ascending)
                    EXPECT_LT(compareKeys(previous, k), 0) << int(c.type) << " " << hexBytes(k);
                else if (&v != &c.sorted.front())
                    EXPECT_GT(compareKeys(previous, k), 0) << int(c.type) << " " << hexBytes(k);
                else
                    EXPECT_LT(compareKeys(k, previous), 0) << "descending values sort before NULL";
                previous = k;
            }
        }
    }
    // A date of fixedTextTestV2000's users.d_stamp_ (2009-10-22 03:57:13) as Access keyed it.
    Fixture f({column("d", ColumnType::DateTime, 0)});
    const uint64_t bits = 0x40E39585457FCF74;
    double day;
    std::memcpy(&day, &bits, 8);
    EXPECT_EQ(key(f.encoder({{0, true}}), KeyValue::ofReal(day)), "7f c0 e3 95 85 45 7f cf 74");
}

TEST(IndexKeys, EveryNumberTypeAsTheJudgeWroteItAscendingAndDescending)
{
    // Keys the judge wrote for these values (judge create, read back with our reader).
    struct Case {
        ColumnType type;
        KeyValue value;
        const char* ascending;
        const char* descending;
    };
    const std::vector<Case> cases = {
        {ColumnType::Byte, KeyValue::ofInteger(0), "7f 00", "80 ff"},
        {ColumnType::Byte, KeyValue::ofInteger(128), "7f 80", "80 7f"},
        {ColumnType::Byte, KeyValue::ofInteger(200), "7f c8", "80 37"},
        {ColumnType::Byte, KeyValue::ofInteger(255), "7f ff", "80 00"},
        {ColumnType::Integer, KeyValue::ofInteger(-32768), "7f 00 00", "80 ff ff"},
        {ColumnType::Integer, KeyValue::ofInteger(-256), "7f 7f 00", "80 80 ff"},
        {ColumnType::Integer, KeyValue::ofInteger(256), "7f 81 00", "80 7e ff"},
        {ColumnType::Integer, KeyValue::ofInteger(32767), "7f ff ff", "80 00 00"},
        {ColumnType::Long, KeyValue::ofInteger(-1), "7f 7f ff ff ff", "80 80 00 00 00"},
        {ColumnType::Long, KeyValue::ofInteger(INT32_MIN), "7f 00 00 00 00", "80 ff ff ff ff"},
        {ColumnType::Currency, KeyValue::ofInteger(-10000), "7f 7f ff ff ff ff ff d8 f0", "80 80 00 00 00 00 00 27 0f"},
        {ColumnType::Currency, KeyValue::ofInteger(123400), "7f 80 00 00 00 00 01 e2 08", "80 7f ff ff ff ff fe 1d f7"},
        {ColumnType::Currency, KeyValue::ofInteger(INT64_MAX), "7f ff ff ff ff ff ff ff ff", "80 00 00 00 00 00 00 00 00"},
        {ColumnType::Single, KeyValue::ofReal(-0.5), "7f 40 ff ff ff", "80 bf 00 00 00"},
        {ColumnType::Single, KeyValue::ofReal(1), "7f bf 80 00 00", "80 40 7f ff ff"},
        {ColumnType::Single, KeyValue::ofReal(0), "7f 80 00 00 00", "80 7f ff ff ff"},
        {ColumnType::Double, KeyValue::ofReal(-2.5), "7f 3f fb ff ff ff ff ff ff", "80 c0 04 00 00 00 00 00 00"},
        {ColumnType::Double, KeyValue::ofReal(5e-324), "7f 80 00 00 00 00 00 00 01", "80 7f ff ff ff ff ff ff fe"},
        {ColumnType::Double, KeyValue::ofReal(1), "7f bf f0 00 00 00 00 00 00", "80 40 0f ff ff ff ff ff ff"},
        {ColumnType::DateTime, KeyValue::ofReal(-657434), "7f 3e db ef cb ff ff ff ff", "80 c1 24 10 34 00 00 00 00"},
        {ColumnType::DateTime, KeyValue::ofReal(2.5), "7f c0 04 00 00 00 00 00 00", "80 3f fb ff ff ff ff ff ff"},
    };
    for (const Case& c : cases) {
        Fixture f({column("v", c.type, 0)});
        EXPECT_EQ(key(f.encoder({{0, true}}), c.value), c.ascending) << int(c.type);
        EXPECT_EQ(key(f.encoder({{0, false}}), c.value), c.descending) << int(c.type);
    }
    // Out of the type's range: not a value of the column (a lookup falls back to a scan).
    Fixture f({column("v", ColumnType::Byte, 0), column("w", ColumnType::Integer, 1), column("d", ColumnType::Double, 2)});
    EXPECT_THROW(f.encoder({{0, true}}).encode({KeyValue::ofInteger(256)}), JetError);
    EXPECT_THROW(f.encoder({{0, true}}).encode({KeyValue::ofInteger(-1)}), JetError);
    EXPECT_THROW(f.encoder({{1, true}}).encode({KeyValue::ofInteger(40000)}), JetError);
    // NaN and -0: no source shows their keys.
    EXPECT_THROW(f.encoder({{2, true}}).encode({KeyValue::ofReal(std::nan(""))}), UncertainKeyError);
    EXPECT_THROW(f.encoder({{2, true}}).encode({KeyValue::ofReal(-0.0)}), UncertainKeyError);
    EXPECT_FALSE(f.encoder({{2, true}}).encode({KeyValue::ofReal(-0.0)}, KeyMode::Lenient).certain);
}

TEST(IndexKeys, DecimalsAscendingAsLibRedMeasuredDescendingOnlyInAce)
{
    auto decimal = [](const std::string& text) {
        uint8_t b[17];
        EXPECT_TRUE(parseDecimal(text, 18, 4, b)) << text;
        return KeyValue::ofBytes(std::vector<uint8_t>(b, b + 17));
    };
    ColumnDef n = column("d", ColumnType::Numeric, 0);
    n.precision = 18;
    n.scale = 4;
    Fixture jet4({n});
    // LibRed, scale 4: 1.0 is 10000 unscaled; -1.0 the whole positive form inverted.
    EXPECT_EQ(key(jet4.encoder({{0, true}}), decimal("1.0")),
              "7f ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 27 10");
    EXPECT_EQ(key(jet4.encoder({{0, true}}), decimal("-1.0")),
              "7f 00 ff ff ff ff ff ff ff ff ff ff ff ff ff ff d8 ef");
    EXPECT_EQ(key(jet4.encoder({{0, true}}), decimal("0")), "7f ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_LT(compareKeys(jet4.encoder({{0, true}}).encode({decimal("-2")}).bytes,
                          jet4.encoder({{0, true}}).encode({decimal("-1.5")}).bytes),
              0);
    // Descending: Jet 4 and ACE set the sign at different times; only ACE's is certain.
    const std::string m = jetErrorOf([&] { jet4.encoder({{0, false}}).encode({decimal("1.0")}); });
    EXPECT_NE(m.find("KB 837148"), std::string::npos) << m;
    Fixture ace({n}, true);
    EXPECT_EQ(key(ace.encoder({{0, false}}), decimal("1.0")),
              "80 00 ff ff ff ff ff ff ff ff ff ff ff ff ff ff d8 ef");
    EXPECT_EQ(key(ace.encoder({{0, false}}), decimal("-1.0")),
              "80 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 27 10");
    EXPECT_TRUE(keyTypeCertain(ColumnType::Numeric, true, false));
    EXPECT_FALSE(keyTypeCertain(ColumnType::Numeric, false, false));
    EXPECT_TRUE(keyTypeCertain(ColumnType::Numeric, false, true));
}

TEST(IndexKeys, MarksLongValuesAndTheLengthAccessStoresWhole)
{
    Fixture f({column("t", ColumnType::Text, 0), column("u", ColumnType::Text, 1)});
    const auto e = f.encoder({{0, true}});
    // A combining mark adds to the letter before it: decomposed text keys as composed.
    EXPECT_EQ(key(e, text(u"a\u0301")), key(e, text(u"\u00e1")));
    EXPECT_EQ(key(e, text(u"Mu\u0308ller")), key(e, text(u"M\u00fcller")));
    EXPECT_EQ(key(e, text(u"a\u0302\u0301")), key(e, text(u"\u1ea5")));  // ấ (the judge: 02 + 10 + 0c)
    // Accented expansions take one slot with two bytes; the hyphen after counts both.
    EXPECT_EQ(key(e, text(u"\u01e2\u00e9-x")), "7f 4a 51 51 75 01 17 17 0e 01 01 01 80 13 06 82 00");
    // The position field is 16 bits: a hyphen at position 63 is 81 03.
    EXPECT_EQ(key(e, text(std::u16string(63, u'a') + u"-")).substr(3 * 64),
              "01 01 01 01 81 03 06 82 00");
    // Access 2003 stored a 685-byte key whole; longer ones are refused.
    const auto both = f.encoder({{0, true}, {1, true}});
    std::u16string hyphens;
    for (int i = 0; i < 120; ++i)
        hyphens += u"-\u00e9";
    const std::string m = jetErrorOf([&] { both.encode({text(hyphens), text(u"x")}); });
    EXPECT_NE(m.find("Bytes lang"), std::string::npos) << m;
    EXPECT_NE(m.find("\"Idx\""), std::string::npos) << m;
    const EncodedKey lenient = both.encode({text(hyphens), text(u"x")}, KeyMode::Lenient);
    EXPECT_FALSE(lenient.certain);
    EXPECT_GT(lenient.bytes.size(), kMaxCertainKeyLengthJet4);
    EXPECT_NO_THROW(both.encode({text(std::u16string(255, u'\u00e9')), text(u"x")}));  // 516 bytes
}

TEST(IndexKeys, BooleansAndGuidsAsTheJudgeWritesThemBinariesUncertain)
{
    Fixture f({column("b", ColumnType::Boolean, 0), column("g", ColumnType::Guid, 1), column("x", ColumnType::Binary, 2)});
    // Yes/No: the flag and the value, as the judge writes them (LibRed's unmeasured note
    // says "no flag byte"; see docs/access-format.md).
    const EncodedKey yes = f.encoder({{0, true}}).encode({KeyValue::ofInteger(1)});
    EXPECT_TRUE(yes.certain);
    EXPECT_EQ(hexBytes(yes.bytes), "7f 00");
    EXPECT_EQ(key(f.encoder({{0, true}}), KeyValue::ofInteger(0)), "7f ff");
    EXPECT_EQ(key(f.encoder({{0, false}}), KeyValue::ofInteger(1)), "80 ff");
    EXPECT_EQ(key(f.encoder({{0, false}}), KeyValue::ofInteger(0)), "80 00");
    // A GUID in its text order: {00112233-4455-6677-8899-AABBCCDDEEFF}, stored with the
    // first three groups little-endian, keyed in two segments of 8 bytes (the judge's
    // keys; LibRed's 01020304-0506-0708-090a-0b0c0d0e0f10 example reads the same way).
    const KeyValue guid = KeyValue::ofBytes(hex("33 22 11 00 55 44 77 66 88 99 aa bb cc dd ee ff"));
    EXPECT_EQ(key(f.encoder({{1, true}}), guid), "7f 00 11 22 33 44 55 66 77 09 88 99 aa bb cc dd ee ff 08");
    EXPECT_EQ(key(f.encoder({{1, false}}), guid), "80 ff ee dd cc bb aa 99 88 09 77 66 55 44 33 22 11 00 f7");
    EXPECT_EQ(key(f.encoder({{1, true}}), KeyValue::ofBytes(hex("04 03 02 01 06 05 08 07 09 0a 0b 0c 0d 0e 0f 10"))),
              "7f 01 02 03 04 05 06 07 08 09 09 0a 0b 0c 0d 0e 0f 10 08");
    // Binary: neither a fixture nor the judge shows one.
    EXPECT_THROW(f.encoder({{2, true}}).encode({KeyValue::ofBytes({1, 2, 3})}), UncertainKeyError);
    EXPECT_EQ(key(f.encoder({{2, true}}), KeyValue::ofBytes({1, 2, 3}), KeyMode::Lenient), "7f 01 02 03 00 00 00 00 00 03");
    const auto bin = f.encoder({{2, true}});
    EXPECT_LT(compareKeys(bin.encode({KeyValue::ofBytes(hex("01 02 03 04 05 06 07 08"))}, KeyMode::Lenient).bytes,
                          bin.encode({KeyValue::ofBytes(hex("01 02 03 04 05 06 07 08 00"))}, KeyMode::Lenient).bytes),
              0);
    EXPECT_TRUE(keyTypeCertain(ColumnType::Boolean, true, false));
    EXPECT_FALSE(keyTypeCertain(ColumnType::Boolean, true, true));
    EXPECT_FALSE(keyTypeCertain(ColumnType::Binary, true, false));
    EXPECT_TRUE(keyTypeCertain(ColumnType::Guid, false, false));
}

TEST(IndexKeys, TextInGeneralLegacyAsAccessWroteIt)
{
    Fixture f({column("t", ColumnType::Text, 0)});
    const auto e = f.encoder({{0, true}});
    // Entries of testUnicodeCompV2003.mdb, fixedTextTestV2000.mdb and testV2000.mdb.
    EXPECT_EQ(key(e, text(u"ääkkösiä")), "7f 4a 4a 5c 5c 64 6b 59 4a 01 13 13 02 02 13 02 02 13 00");
    EXPECT_EQ(key(e, text(u"ümlaut")), "7f 6f 60 5e 4a 6f 6d 01 13 00");
    EXPECT_EQ(key(e, text(u"-1")), "7f 38 01 01 01 01 80 07 06 82 00");
    EXPECT_EQ(key(e, text(u"CORE USER")), "7f 4d 64 69 51 07 6f 6b 51 69 01 00");
    EXPECT_EQ(key(e, text(u"3L9\x1d" u"52\x02_AB(\u00a5\x05!!V")),
              "7f 3c 5e 48 40 3a 2b 03 4a 4c 14 34 a9 09 09 71 01 01 01 01 80 13 06 1a 80 1b 06 04 80 2f 06 07 00");
    EXPECT_EQ(key(e, text(u"Мир")), "7f 79 43 79 3b 79 48 01 00");
    // Letter case leaves no trace; accents do; ß keys as "ss" and Æ as "ae".
    EXPECT_EQ(key(e, text(u"MÜLLER")), key(e, text(u"müller")));
    EXPECT_NE(key(e, text(u"Muller")), key(e, text(u"Müller")));
    EXPECT_EQ(key(e, text(u"Straße")), key(e, text(u"STRASSE")));
    EXPECT_EQ(key(e, text(u"Æ")), key(e, text(u"ae")));
    // Descending: every byte of the ascending part inverted, the end kept.
    const auto d = f.encoder({{0, false}});
    EXPECT_EQ(key(d, text(u"a")), "80 b5 fe ff 00");
    // Only the first 255 characters count.
    EXPECT_EQ(key(e, text(std::u16string(300, u'x'))), key(e, text(std::u16string(255, u'x') + u"yz")));
}

TEST(IndexKeys, TrailingBlanksLeaveNoTraceInTextKeys)
{
    Fixture f({column("t", ColumnType::Text, 0)});
    const auto asc = f.encoder({{0, true}});
    const auto desc = f.encoder({{0, false}});
    // Keys the judge (Jackcess) wrote for these values; Access compares "ABC " = "ABC".
    // Only U+0020 goes: a tab, a no-break space and an ideographic space stay.
    struct Case {
        std::u16string value;
        const char* ascending;
        const char* descending;
    };
    const std::vector<Case> cases = {
        {u"A ", "7f 4a 01 00", "80 b5 fe ff 00"},
        {u"A  ", "7f 4a 01 00", "80 b5 fe ff 00"},
        {u" A", "7f 07 4a 01 00", "80 f8 b5 fe ff 00"},
        {u" ", "7f 01 00", "80 fe ff 00"},
        {u"A\t", "7f 4a 08 03 01 00", "80 b5 f7 fc fe ff 00"},
        {u"A\u00a0", "7f 4a 08 02 01 00", "80 b5 f7 fd fe ff 00"},
        {u"\u00e4 ", "7f 4a 01 13 00", "80 b5 fe ec ff 00"},
        {u"A \u00e4", "7f 4a 07 4a 01 02 02 13 00", "80 b5 f8 b5 fe fd fd ec ff 00"},
        // The hyphen's position counts the blank inside, not the one at the end.
        {u"A - ", "7f 4a 07 01 01 01 01 80 0f 06 82 00", "80 b5 f8 fe fe fe fe 7f f0 f9 7d ff 00"},
        {u"a'b ", "7f 4a 4c 01 01 01 01 80 0b 06 80 00", "80 b5 b3 fe fe fe fe 7f f4 f9 7f ff 00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(key(asc, text(c.value)), c.ascending);
        EXPECT_EQ(key(desc, text(c.value)), c.descending);
    }
    EXPECT_EQ(key(asc, text(u"KR\u00d6N ")), key(asc, text(u"KR\u00d6N")));
    // Past 255 characters the key is that of the first 255 without their trailing blanks;
    // where the cut ends in a blank, whether Access drops it is not known: refused when
    // writing, uncertain when checking.
    const std::u16string x250(250, u'x');
    EXPECT_EQ(key(asc, text(x250 + u"     ")), key(asc, text(x250)));
    EXPECT_EQ(key(asc, text(x250 + std::u16string(40, u' '))), key(asc, text(x250)));
    const std::u16string cutInBlanks = x250 + u"     y";
    const std::string m = jetErrorOf([&] { asc.encode({text(cutInBlanks)}); });
    EXPECT_NE(m.find("länger als 255 Zeichen"), std::string::npos) << m;
    EXPECT_NE(m.find("Spalte \"t\""), std::string::npos) << m;
    const EncodedKey lenient = asc.encode({text(cutInBlanks)}, KeyMode::Lenient);
    EXPECT_FALSE(lenient.certain);
    EXPECT_EQ(hexBytes(lenient.bytes), key(asc, text(x250)));
    bool complete = false;
    EXPECT_FALSE(asc.tryEncodePrefix({text(cutInBlanks)}, complete));
    // A lookup for "A" finds the entries of "A " too (SQL checks each row again).
    EXPECT_EQ(*asc.tryEncodePrefix({text(u"A")}, complete), *asc.tryEncodePrefix({text(u"A ")}, complete));
}

TEST(IndexKeys, CharactersWithoutACertainCodeAreRefusedWithTheirNames)
{
    Fixture f({column("Nachname", ColumnType::Text, 0)});
    const auto e = f.encoder({{0, true}});
    // Capital sharp s: the judge leaves it out of the key, no other source shows it.
    const std::string m = jetErrorOf([&] { e.encode({text(u"STRA\u1E9EE")}); });
    EXPECT_NE(m.find("\"\u1E9E\" (U+1E9E)"), std::string::npos) << m;
    EXPECT_NE(m.find("Spalte \"Nachname\""), std::string::npos) << m;
    EXPECT_NE(m.find("Index \"Idx\" der Tabelle \"Tab\""), std::string::npos) << m;
    // The Arabic shadda: LibRed measured it doubling the weight before it, the judge writes
    // a fixed code. Ǹ and the Cyrillic Ӑ: letters the judge ignores, no second source.
    for (const std::u16string& v : {std::u16string(u"\u0645\u0651"), std::u16string(u"\u01F8"), std::u16string(u"\u04D0")})
        EXPECT_THROW(e.encode({text(v)}), KeyCharacterError) << int(v.back());
    // The Japanese codes reproduce their fixture entry together but are not certain alone.
    EXPECT_THROW(e.encode({text(u"漢字")}), KeyCharacterError);
    const EncodedKey lenient = e.encode({text(u"漢字仮名交じり文")}, KeyMode::Lenient);
    EXPECT_FALSE(lenient.certain);
    EXPECT_EQ(hexBytes(lenient.bytes),
              "7f c0 b6 ac ac a0 0d a5 47 9f be 7f 13 7f 43 b6 f6 01 02 02 02 02 02 03 01 01 ff 02 80 ff 80 00");
    // Every character of Latin-1 (the letters of German, French, Spanish, Portuguese,
    // Nordic and Dutch names) is certain, and so are the names of the issue.
    for (char16_t c = 0x20; c <= 0xFF; ++c)
        EXPECT_NO_THROW(e.encode({text(std::u16string(1, c))})) << int(c);
    for (const char16_t* name : {u"Gülşen", u"Małgorzata", u"Słubice", u"Wałęsa", u"Yılmaz", u"Şahin", u"Dvořák",
                                 u"Ștefănescu", u"Nguyễn Thị Ánh", u"Παπαδόπουλος", u"Шевченко", u"Ґалаґан", u"כהן",
                                 u"محمد", u"O’Brien", u"„Müller“ – Straße", u"5 €"})
        EXPECT_NO_THROW(e.encode({text(name)})) << hexBytes(e.encode({text(name)}, KeyMode::Lenient).bytes);
}

TEST(IndexKeys, CodeTablesAreSortedForTheirSearch)
{
    for (TextOrder order : {TextOrder::GeneralLegacy, TextOrder::General, TextOrder::General97}) {
        const auto codes = certainCharacters(order);
        ASSERT_FALSE(codes.empty());
        for (size_t i = 0; i < codes.size(); ++i) {
            const std::optional<CharCode> found = findCharCode(order, codes[i].first);
            ASSERT_TRUE(found) << int(codes[i].first);
            EXPECT_TRUE(sameCharCode(*found, codes[i].second)) << int(codes[i].first);
            if (i > 0) {
                EXPECT_LT(codes[i - 1].first, codes[i].first);
            }
        }
    }
}

TEST(IndexKeys, LookupsTellWhichRowsTheirKeysMayMiss)
{
    Fixture f({column("t", ColumnType::Text, 0)});
    const auto e = f.encoder({{0, true}});
    bool complete = false;
    EXPECT_TRUE(e.tryEncodePrefix({text(u"Müller")}, complete));
    EXPECT_TRUE(complete);
    // KELVIN SIGN equals k, LONG S equals s, ẞ equals ß under NOCASE; Access's keys for
    // them are not known: a lookup of k, s or ß may miss the rows that hold them.
    for (const char16_t* probe : {u"Klaus", u"Weiß", u"Hans"}) {
        EXPECT_TRUE(e.tryEncodePrefix({text(probe)}, complete)) << int(probe[0]);
        EXPECT_FALSE(complete) << int(probe[0]);
    }
    for (const char16_t* stored : {u"\u212Alaus", u"WEI\u1E9E", u"Han\u017F"})
        EXPECT_TRUE(e.lookupMayMiss(text(stored))) << int(stored[0]);
    for (const char16_t* stored : {u"KLAUS", u"weiß", u"Müller", u""})
        EXPECT_FALSE(e.lookupMayMiss(text(stored))) << int(stored[0]);
    // A probe that holds such a variant itself is declined.
    EXPECT_FALSE(e.tryEncodePrefix({text(u"STRA\u1E9EE")}, complete));
    EXPECT_FALSE(e.tryEncodePrefix({text(u"\u017Fo")}, complete));
}

TEST(IndexKeys, OtherSortOrdersAndCompositeKeys)
{
    Fixture f({column("id", ColumnType::Long, 0), column("name", ColumnType::Text, 1)}, true);
    // testV2010.accdb ("General"): two bytes per letter.
    EXPECT_EQ(key(f.encoder({{1, true}}, 1), text(u"abcdefg")), "7f 0e 02 0e 09 0e 0a 0e 1a 0e 21 0e 23 0e 25 01 00");
    EXPECT_THROW(f.encoder({{1, true}}, 1).encode({text(u"ä")}), KeyCharacterError);
    // MSysObjects' ParentIdName: a Long and a text in one key; a prefix finds both columns.
    const auto both = f.encoder({{0, true}, {1, true}});
    const Bytes full = both.encode({KeyValue::ofInteger(0x0F000000), text(u"Tables")}).bytes;
    EXPECT_EQ(hexBytes(full), "7f 8f 00 00 00 7f 6d 4a 4c 5e 51 6b 01 00");
    EXPECT_TRUE(keyStartsWith(full, both.encodePrefix({KeyValue::ofInteger(0x0F000000)}).bytes));
    // An unknown sort order (here "German phone book") is named, not guessed.
    IndexDef x;
    x.name = "Idx";
    x.columns.push_back({1, true, 0x0407, 0});
    const IndexKeyEncoder german("Tab", f.table, x, f.header);
    EXPECT_NE(jetErrorOf([&] { german.encode({text(u"a")}); }).find("Sortierreihenfolge"), std::string::npos);
    EXPECT_EQ(german.encode({KeyValue::null()}).bytes, Bytes{0x00});
}

namespace {

void put16(Bytes& p, size_t at, uint32_t v)
{
    p[at] = static_cast<uint8_t>(v);
    p[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& p, size_t at, uint32_t v)
{
    put16(p, at, v);
    put16(p, at + 2, v >> 16);
}

Bytes entry(const Bytes& key, uint32_t page, uint8_t row, uint32_t child = 0, bool node = false)
{
    Bytes e = key;
    e.push_back(static_cast<uint8_t>(page >> 16));
    e.push_back(static_cast<uint8_t>(page >> 8));
    e.push_back(static_cast<uint8_t>(page));
    e.push_back(row);
    if (node)
        for (int s = 24; s >= 0; s -= 8)
            e.push_back(static_cast<uint8_t>(child >> s));
    return e;
}

Bytes longKey(int32_t v)
{
    return {0x7F, static_cast<uint8_t>((v >> 24) ^ 0x80), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

// A Jet 4 (or Jet 3) index page laid out as docs/access-format.md describes it.
Bytes indexPage(uint8_t type, uint32_t prev, uint32_t next, uint32_t tail, const std::vector<Bytes>& entries,
                size_t prefix = 0, uint32_t owner = 7, bool jet3 = false)
{
    const IndexPageLayout& L = jet3 ? kIndexPageJet3 : kIndexPageJet4;
    const uint32_t size = jet3 ? 2048 : 4096;
    Bytes p(size, 0);
    p[0] = type;
    p[1] = 1;
    put32(p, kIndexPageOwner, owner);
    put32(p, L.prevPage, prev);
    put32(p, L.nextPage, next);
    put32(p, L.tailPage, tail);
    if (jet3) {
        p[L.prefixLength] = static_cast<uint8_t>(prefix);
        p[L.prefixLength + 1] = type == kPageIndexNode ? 1 : 0;  // as Access 97 writes nodes
    } else {
        put16(p, L.prefixLength, static_cast<uint32_t>(prefix));
    }
    size_t pos = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t skip = i == 0 ? 0 : prefix;
        std::copy(entries[i].begin() + static_cast<std::ptrdiff_t>(skip), entries[i].end(),
                  p.begin() + static_cast<std::ptrdiff_t>(L.entries + pos));
        pos += entries[i].size() - skip;
        p[L.entryMask + pos / 8] |= static_cast<uint8_t>(1 << (pos % 8));
    }
    put16(p, kIndexPageFreeSpace, static_cast<uint32_t>(size - L.entries - pos));
    return p;
}

Page asPage(uint32_t number, Bytes bytes)
{
    Page p;
    p.number = number;
    p.bytes = std::move(bytes);
    return p;
}

// A file of index pages (page 0 stays empty) opened as a page file.
struct IndexFile {
    TempDir dir;
    std::unique_ptr<PageFile> file;
    explicit IndexFile(const std::vector<Bytes>& pages)
    {
        std::string all(4096, '\0');
        for (const Bytes& p : pages)
            all.append(p.begin(), p.end());
        writeFile(dir.path() / "index.mdb", all);
        file = std::make_unique<PageFile>((dir.path() / "index.mdb").string(), AccessMode::ReadShared);
        file->configure(4096, nullptr);
    }
};

IndexDef indexAt(uint32_t root)
{
    IndexDef x;
    x.name = "Idx";
    x.rootPage = root;
    x.columns.push_back({0, true, 0, 0});
    return x;
}

std::vector<uint64_t> ids(std::initializer_list<std::pair<uint32_t, uint8_t>> rows)
{
    std::vector<uint64_t> out;
    for (auto [page, row] : rows)
        out.push_back((static_cast<uint64_t>(page) << 8) | row);
    return out;
}

}  // namespace

TEST(IndexPages, RestoresTheSharedPrefixAndReadsRowsAndChildren)
{
    const std::vector<Bytes> leaf = {entry(longKey(1), 0x10203, 4), entry(longKey(2), 0x10203, 5),
                                     entry(longKey(2), 0x10204, 0)};
    const IndexPage p = readIndexPage(asPage(3, indexPage(kPageIndexLeaf, 0, 0, 0, leaf, 4)), Format::jet4Format());
    ASSERT_EQ(p.entries.size(), 3u);
    EXPECT_TRUE(p.leaf);
    EXPECT_EQ(p.prefixLength, 4);
    EXPECT_EQ(p.entries[2].key, longKey(2));
    EXPECT_EQ(p.entries[2].dataPage, 0x10204u);
    EXPECT_EQ(p.entries[1].rowId(), makeRowId(0x10203, 5));
    EXPECT_EQ(p.freeSpace, 4096 - p.entriesEnd);

    const IndexPage n = readIndexPage(asPage(4, indexPage(kPageIndexNode, 0, 0, 9, {entry(longKey(2), 5, 1, 8, true)})),
                                      Format::jet4Format());
    EXPECT_FALSE(n.leaf);
    EXPECT_EQ(n.entries.at(0).child, 8u);
    EXPECT_EQ(n.tail, 9u);
}

TEST(IndexPages, Jet3KeepsTheSharedPrefixInOneByteAndMarksNodesInTheNext)
{
    // Access 97 node pages hold 1 at 0x15: read as two bytes with the prefix length at
    // 0x14, that was a prefix of 256 bytes before a first entry of 13 (the check called
    // compIndexTestV1997.mdb and testIndexCodesV1997.mdb damaged).
    const Bytes node = indexPage(kPageIndexNode, 0, 0, 9, {entry(longKey(7), 5, 1, 8, true)}, 0, 7, true);
    ASSERT_EQ(node[0x14], 0);
    ASSERT_EQ(node[0x15], 1);
    const IndexPage n = readIndexPage(asPage(4, node), Format::jet3Format());
    EXPECT_FALSE(n.leaf);
    EXPECT_EQ(n.prefixLength, 0);
    ASSERT_EQ(n.entries.size(), 1u);
    EXPECT_EQ(n.entries[0].key, longKey(7));
    EXPECT_EQ(n.entries[0].child, 8u);
    EXPECT_EQ(n.tail, 9u);
    // A leaf sharing 3 bytes: restored from the first entry, whatever byte 0x15 holds.
    const std::vector<Bytes> leaf = {entry(longKey(1), 0x203, 4), entry(longKey(2), 0x203, 5)};
    Bytes l = indexPage(kPageIndexLeaf, 0, 0, 0, leaf, 3, 7, true);
    const IndexPage a = readIndexPage(asPage(5, l), Format::jet3Format());
    EXPECT_EQ(a.prefixLength, 3);
    EXPECT_EQ(a.entries.at(1).key, longKey(2));
    EXPECT_EQ(a.freeSpace, 2048 - a.entriesEnd);
    l[0x15] = 1;
    EXPECT_EQ(readIndexPage(asPage(5, l), Format::jet3Format()).entries.at(1).key, longKey(2));
    // A prefix longer than the first entry is still damage.
    l[0x14] = 20;
    EXPECT_THROW(readIndexPage(asPage(5, l), Format::jet3Format()), CorruptError);
    // Jet 3 index pages are never written.
    Page out = asPage(5, Bytes(2048, 0));
    IndexPageData d;
    d.leaf = true;
    EXPECT_THROW(encodeIndexPage(out, Format::jet3Format(), 7, d), JetError);
}

TEST(IndexPages, DamagedPagesAreCorruptionNamingThePage)
{
    const Bytes good = indexPage(kPageIndexLeaf, 0, 0, 0, {entry(longKey(1), 5, 0), entry(longKey(2), 5, 1)}, 2);
    auto damaged = [&](auto change) {
        Bytes b = good;
        change(b);
        return jetErrorOf([&] { readIndexPage(asPage(6, b), Format::jet4Format()); });
    };
    EXPECT_NE(damaged([](Bytes& b) { b[0] = kPageData; }).find("Seite 6"), std::string::npos);
    // A prefix longer than the first entry.
    EXPECT_NE(damaged([](Bytes& b) { put16(b, kIndexPageJet4.prefixLength, 40); }).find("gemeinsamer Anfang"),
              std::string::npos);
    // An entry that ends past the page.
    EXPECT_NE(damaged([](Bytes& b) { b[kIndexPageJet4.entryMask + 452] = 0x80; }).find("Eintragsliste"),
              std::string::npos);
    // An entry too short to hold its row.
    EXPECT_NE(damaged([](Bytes& b) {
                  std::fill(b.begin() + kIndexPageJet4.entryMask, b.begin() + kIndexPageJet4.entries, 0);
                  b[kIndexPageJet4.entryMask] = 0x04;
              }).find("Indexeintrag"),
              std::string::npos);
}

TEST(IndexReader, WalksATwoLevelTreeAndItsTail)
{
    // Page 1: node over leaves 2 and 3 (entries) and 4 (tail). Keys 1..9, three per leaf,
    // the key 3 twice across the border of leaves 2 and 3.
    const std::vector<Bytes> l2 = {entry(longKey(1), 20, 0), entry(longKey(2), 20, 1), entry(longKey(3), 20, 2)};
    const std::vector<Bytes> l3 = {entry(longKey(3), 21, 0), entry(longKey(5), 21, 1), entry(longKey(6), 21, 2)};
    const std::vector<Bytes> l4 = {entry(longKey(7), 22, 0), entry(longKey(9), 22, 1)};
    const std::vector<Bytes> root = {entry(longKey(3), 20, 2, 2, true), entry(longKey(6), 21, 2, 3, true)};
    IndexFile f({indexPage(kPageIndexNode, 0, 0, 4, root), indexPage(kPageIndexLeaf, 0, 3, 0, l2, 3),
                 indexPage(kPageIndexLeaf, 2, 4, 0, l3), indexPage(kPageIndexLeaf, 3, 0, 0, l4)});
    IndexReader r(*f.file, Format::jet4Format(), indexAt(1), 7);

    std::vector<uint64_t> all;
    IndexReader::Cursor c = r.begin();
    IndexEntry e;
    while (c.next(e))
        all.push_back(e.rowId());
    EXPECT_EQ(all, ids({{20, 0}, {20, 1}, {20, 2}, {21, 0}, {21, 1}, {21, 2}, {22, 0}, {22, 1}}));
    EXPECT_EQ(r.rowsWithKey(longKey(3)), ids({{20, 2}, {21, 0}}));
    EXPECT_EQ(r.rowsWithKey(longKey(9)), ids({{22, 1}}));
    EXPECT_TRUE(r.rowsWithKey(longKey(4)).empty());
    EXPECT_TRUE(r.rowsWithKey(longKey(10)).empty());
    EXPECT_EQ(r.rowsInRange(KeyBound{longKey(3), false}, KeyBound{longKey(7), false}), ids({{21, 1}, {21, 2}}));
    EXPECT_EQ(r.rowsInRange(KeyBound{longKey(6), true}, std::nullopt), ids({{21, 2}, {22, 0}, {22, 1}}));
    // The first column of a key as a prefix: everything whose first byte is the start flag.
    EXPECT_EQ(r.rowsWithPrefix({0x7F}).size(), 8u);
}

TEST(IndexReader, LoopsAndForeignPagesAreCorruption)
{
    const std::vector<Bytes> l1 = {entry(longKey(1), 20, 0)};
    // Leaf 1 leads to leaf 2, which leads back to leaf 1.
    IndexFile loop({indexPage(kPageIndexLeaf, 0, 2, 0, l1), indexPage(kPageIndexLeaf, 1, 1, 0, l1)});
    IndexReader r(*loop.file, Format::jet4Format(), indexAt(1), 7);
    EXPECT_NE(jetErrorOf([&] { r.rowsInRange(std::nullopt, std::nullopt); }).find("Schleife"), std::string::npos);
    // A node that names itself as its child never ends either.
    IndexFile self({indexPage(kPageIndexNode, 0, 0, 1, {})});
    IndexReader s(*self.file, Format::jet4Format(), indexAt(1), 7);
    EXPECT_NE(jetErrorOf([&] { s.begin(); }).find("Ebenen"), std::string::npos);
    // A page of another table.
    IndexFile foreign({indexPage(kPageIndexLeaf, 0, 0, 0, l1, 0, 99)});
    IndexReader o(*foreign.file, Format::jet4Format(), indexAt(1), 7);
    EXPECT_NE(jetErrorOf([&] { o.begin(); }).find("Besitzer"), std::string::npos);
}

namespace {

// A copy of a fixture with the bytes of one page changed.
fs::path damagedCopy(const TempDir& dir, const std::string& name, uint32_t page,
                     const std::function<void(std::string&, size_t)>& change)
{
    const fs::path p = dir.copy(name);
    std::string bytes = readFile(p);
    change(bytes, static_cast<size_t>(page) * 4096);
    writeFile(p, bytes);
    return p;
}

std::string findings(const fs::path& file)
{
    auto db = Database::open(file.string(), "", AccessMode::ReadShared);
    std::string all;
    for (const IndexFinding& f : checkIndexes(*db))
        if (f.severity == IndexFinding::Severity::Error)
            all += describeFinding(f) + "\n";
    return all;
}

// The findings of every user table's indexes, compared with one scan per batch of at most
// `batchEntries` entries.
std::string findingsInBatches(const fs::path& file, uint64_t batchEntries)
{
    auto db = Database::open(file.string(), "", AccessMode::ReadShared);
    std::string all;
    for (const CatalogEntry& e : db->userTables()) {
        Table& t = db->table(e);
        TableIndexCheck check(*db, t, batchEntries);
        Table::ScanState scan;
        Table::Row row;
        while (check.wantsRows() && t.next(scan, row))
            check.row(row);
        for (const IndexFinding& f : check.finish())
            all += describeFinding(f) + "\n";
    }
    return all;
}

}  // namespace

TEST(IndexCheck, ATableComparedInBatchesOfIndexesFindsWhatOneBatchFinds)
{
    // A large table's trees are compared a few at a time, each batch with a scan of its own:
    // the same findings, in the same order, as all trees at once.
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dirs[3];
    const size_t entries = kIndexPageJet4.entries;
    const std::vector<fs::path> files = {
        dirs[0].copy("testV2000.mdb"),
        damagedCopy(dirs[1], "testV2000.mdb", 28, [&](std::string& b, size_t at) { b[at + entries + 1] = 0x4c; }),
        damagedCopy(dirs[2], "testV2000.mdb", 26, [&](std::string& b, size_t at) { b[at + entries + 7] = 9; }),
        dirs[0].copy("bigIndexTestV2000.mdb"), dirs[0].copy("compIndexTestV2000.mdb")};
    for (const fs::path& file : files) {
        const std::string whole = findingsInBatches(file, TableIndexCheck::kBatchEntries);
        EXPECT_EQ(findingsInBatches(file, 1), whole) << file;
        EXPECT_EQ(findingsInBatches(file, 2), whole) << file;
    }
    EXPECT_NE(findingsInBatches(files[1], 1).find("falscher Schlüssel"), std::string::npos);
    EXPECT_NE(findingsInBatches(files[2], 1).find("die es in der Tabelle nicht gibt"), std::string::npos);
}

TEST(IndexCheck, ReportsDamageInGerman)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const size_t entries = kIndexPageJet4.entries;
    // testV2000.mdb, Table1, index of A (page 28): "a" then "abcdefg".
    const std::string key = findings(damagedCopy(dir, "testV2000.mdb", 28, [&](std::string& b, size_t at) {
        b[at + entries + 1] = 0x4c;  // "a" keyed as "b"
    }));
    EXPECT_NE(key.find("Tabelle \"Table1\", Index \"PrimaryKey\": falscher Schlüssel, Zeile auf Seite 27, Platz 1: "
                       "gespeichert 7f 4c 01 00, berechnet 7f 4a 01 00"),
              std::string::npos)
        << key;
    EXPECT_NE(key.find("nicht in der richtigen Reihenfolge"), std::string::npos) << key;

    // compIndexTestV2000.mdb: the first leaf (32) no longer leads to the second (33).
    const std::string link = findings(damagedCopy(dir, "compIndexTestV2000.mdb", 32, [&](std::string& b, size_t at) {
        b[at + kIndexPageJet4.nextPage] = 0;
    }));
    EXPECT_NE(link.find("Seite 32 nennt als nächste Seite 0, im Baum folgt 33"), std::string::npos) << link;

    // The second entry of testV2000's index of B (page 26) cut off: its row is missing,
    // and the page's free space no longer matches.
    const std::string missing = findings(damagedCopy(dir, "testV2000.mdb", 26, [&](std::string& b, size_t at) {
        for (size_t i = kIndexPageJet4.entryMask + 1; i < entries; ++i)
            b[at + i] = 0;
    }));
    EXPECT_NE(missing.find("Index \"B\": Zeile auf Seite 27, Platz 0 fehlt im Index"), std::string::npos) << missing;
    EXPECT_NE(missing.find("Freiraum"), std::string::npos) << missing;

    // An entry pointing to a row that does not exist.
    const std::string stray = findings(damagedCopy(dir, "testV2000.mdb", 26, [&](std::string& b, size_t at) {
        b[at + entries + 7] = 9;  // row 1 -> row 9 of page 27
    }));
    EXPECT_NE(stray.find("verweist auf die Zeile auf Seite 27, Platz 9, die es in der Tabelle nicht gibt"),
              std::string::npos)
        << stray;
}

TEST(IndexKeys, SqlValuesBecomeKeyValuesOnlyWhereTheyMatchExactly)
{
    const ColumnDef lng = column("n", ColumnType::Long, 0);
    EXPECT_EQ(keyValueForLookup(lng, Value::ofInteger(7))->integer, 7);
    EXPECT_EQ(keyValueForLookup(lng, Value::ofReal(7.0))->integer, 7);
    EXPECT_FALSE(keyValueForLookup(lng, Value::ofReal(7.5)));
    EXPECT_FALSE(keyValueForLookup(lng, Value::ofText("7")));  // SQLite would convert: scan
    EXPECT_FALSE(keyValueForLookup(lng, Value::null()));
    EXPECT_EQ(keyValueForLookup(column("c", ColumnType::Currency, 0), Value::ofReal(-1234.5678))->integer, -12345678);
    EXPECT_FALSE(keyValueForLookup(column("s", ColumnType::Single, 0), Value::ofReal(0.1)));
    EXPECT_EQ(keyValueForLookup(column("s", ColumnType::Single, 0), Value::ofReal(0.5))->real, 0.5);
    EXPECT_FALSE(keyValueForLookup(column("d", ColumnType::DateTime, 0), Value::ofText("2024-01-01 00:00:00")));
    EXPECT_EQ(keyValueForLookup(column("t", ColumnType::Text, 0), Value::ofText("Müller"))->text, u"Müller");
    const auto guid = keyValueForLookup(column("g", ColumnType::Guid, 0),
                                        Value::ofText("{00112233-4455-6677-8899-aabbccddeeff}"));
    ASSERT_TRUE(guid);
    EXPECT_EQ(hexBytes(guid->bytes), "33 22 11 00 55 44 77 66 88 99 aa bb cc dd ee ff");
    EXPECT_FALSE(keyValueForLookup(column("g", ColumnType::Guid, 0), Value::ofText("{0011}")));
}
