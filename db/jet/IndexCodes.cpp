// Per-character codes of Access's text sort orders, each taken from an index entry that
// Access wrote in one of the fixtures (../shared/fixtures/access). The derivation is in
// docs/access-format.md ("Text keys"); IndexFixtureTest recomputes every entry from them.
// Layer: index (key encoding data). Nothing here is guessed: a character without a row
// has no code.
#include "db/jet/IndexCodes.h"

#include <algorithm>
#include <iterator>

namespace db::jet {

namespace {

// General (legacy). U+0001..U+00FF: testUnicodeCompV2003.mdb, table "Table", index
// "Unicode", the row holding every character U+0001..U+00FF in order (ID 8). Its main
// part lists the codes of the characters in order, its extra part one byte per keyed
// character, its last part the unprintable characters with their positions; the counts
// match exactly, so each character's codes follow from its place. The same file's rows
// "ääkkösiä", "ümlaut", "3L9\x1D52\x02_AB(¥\x05!!V" and "only ascii chars" show
// several of them again on their own. Greek and Cyrillic: the rows
// "ϰαὶ τότ' ἐγὼ Κύϰλωπα" and "Мир" of the same index (the accented Greek letters leave no
// trace). CJK: the row "漢字仮名交じり文"; which of its characters carry the kana flag
// cannot be told from one entry, so these codes are not certain.
constexpr CharCode kGeneralLegacy[] = {
    {0x0001, CharKind::Unprintable, 0, {}, 0x02, 0x03, 0, true},  // control
    {0x0002, CharKind::Unprintable, 0, {}, 0x02, 0x04, 0, true},  // control
    {0x0003, CharKind::Unprintable, 0, {}, 0x02, 0x05, 0, true},  // control
    {0x0004, CharKind::Unprintable, 0, {}, 0x02, 0x06, 0, true},  // control
    {0x0005, CharKind::Unprintable, 0, {}, 0x02, 0x07, 0, true},  // control
    {0x0006, CharKind::Unprintable, 0, {}, 0x02, 0x08, 0, true},  // control
    {0x0007, CharKind::Unprintable, 0, {}, 0x02, 0x09, 0, true},  // control
    {0x0008, CharKind::Unprintable, 0, {}, 0x02, 0x0A, 0, true},  // control
    {0x0009, CharKind::Simple, 2, {0x08, 0x03}, 0x02, 0x00, 0, true},  // control
    {0x000A, CharKind::Simple, 2, {0x08, 0x04}, 0x02, 0x00, 0, true},  // control
    {0x000B, CharKind::Simple, 2, {0x08, 0x05}, 0x02, 0x00, 0, true},  // control
    {0x000C, CharKind::Simple, 2, {0x08, 0x06}, 0x02, 0x00, 0, true},  // control
    {0x000D, CharKind::Simple, 2, {0x08, 0x07}, 0x02, 0x00, 0, true},  // control
    {0x000E, CharKind::Unprintable, 0, {}, 0x02, 0x0B, 0, true},  // control
    {0x000F, CharKind::Unprintable, 0, {}, 0x02, 0x0C, 0, true},  // control
    {0x0010, CharKind::Unprintable, 0, {}, 0x02, 0x0D, 0, true},  // control
    {0x0011, CharKind::Unprintable, 0, {}, 0x02, 0x0E, 0, true},  // control
    {0x0012, CharKind::Unprintable, 0, {}, 0x02, 0x0F, 0, true},  // control
    {0x0013, CharKind::Unprintable, 0, {}, 0x02, 0x10, 0, true},  // control
    {0x0014, CharKind::Unprintable, 0, {}, 0x02, 0x11, 0, true},  // control
    {0x0015, CharKind::Unprintable, 0, {}, 0x02, 0x12, 0, true},  // control
    {0x0016, CharKind::Unprintable, 0, {}, 0x02, 0x13, 0, true},  // control
    {0x0017, CharKind::Unprintable, 0, {}, 0x02, 0x14, 0, true},  // control
    {0x0018, CharKind::Unprintable, 0, {}, 0x02, 0x15, 0, true},  // control
    {0x0019, CharKind::Unprintable, 0, {}, 0x02, 0x16, 0, true},  // control
    {0x001A, CharKind::Unprintable, 0, {}, 0x02, 0x17, 0, true},  // control
    {0x001B, CharKind::Unprintable, 0, {}, 0x02, 0x18, 0, true},  // control
    {0x001C, CharKind::Unprintable, 0, {}, 0x02, 0x19, 0, true},  // control
    {0x001D, CharKind::Unprintable, 0, {}, 0x02, 0x1A, 0, true},  // control
    {0x001E, CharKind::Unprintable, 0, {}, 0x02, 0x1B, 0, true},  // control
    {0x001F, CharKind::Unprintable, 0, {}, 0x02, 0x1C, 0, true},  // control
    {0x0020, CharKind::Simple, 1, {0x07}, 0x02, 0x00, 0, true},  // space
    {0x0021, CharKind::Simple, 1, {0x09}, 0x02, 0x00, 0, true},  // exclamation mark
    {0x0022, CharKind::Simple, 1, {0x0A}, 0x02, 0x00, 0, true},  // quotation mark
    {0x0023, CharKind::Simple, 1, {0x0C}, 0x02, 0x00, 0, true},  // number sign
    {0x0024, CharKind::Simple, 1, {0x0E}, 0x02, 0x00, 0, true},  // dollar sign
    {0x0025, CharKind::Simple, 1, {0x10}, 0x02, 0x00, 0, true},  // percent sign
    {0x0026, CharKind::Simple, 1, {0x12}, 0x02, 0x00, 0, true},  // ampersand
    {0x0027, CharKind::Unprintable, 0, {}, 0x02, 0x80, 0, true},  // apostrophe
    {0x0028, CharKind::Simple, 1, {0x14}, 0x02, 0x00, 0, true},  // left parenthesis
    {0x0029, CharKind::Simple, 1, {0x16}, 0x02, 0x00, 0, true},  // right parenthesis
    {0x002A, CharKind::Simple, 1, {0x18}, 0x02, 0x00, 0, true},  // asterisk
    {0x002B, CharKind::Simple, 1, {0x2C}, 0x02, 0x00, 0, true},  // plus sign
    {0x002C, CharKind::Simple, 1, {0x1A}, 0x02, 0x00, 0, true},  // comma
    {0x002D, CharKind::Unprintable, 0, {}, 0x02, 0x82, 0, true},  // hyphen-minus
    {0x002E, CharKind::Simple, 1, {0x1C}, 0x02, 0x00, 0, true},  // full stop
    {0x002F, CharKind::Simple, 1, {0x1E}, 0x02, 0x00, 0, true},  // solidus
    {0x0030, CharKind::Simple, 1, {0x36}, 0x02, 0x00, 0, true},  // digit zero
    {0x0031, CharKind::Simple, 1, {0x38}, 0x02, 0x00, 0, true},  // digit one
    {0x0032, CharKind::Simple, 1, {0x3A}, 0x02, 0x00, 0, true},  // digit two
    {0x0033, CharKind::Simple, 1, {0x3C}, 0x02, 0x00, 0, true},  // digit three
    {0x0034, CharKind::Simple, 1, {0x3E}, 0x02, 0x00, 0, true},  // digit four
    {0x0035, CharKind::Simple, 1, {0x40}, 0x02, 0x00, 0, true},  // digit five
    {0x0036, CharKind::Simple, 1, {0x42}, 0x02, 0x00, 0, true},  // digit six
    {0x0037, CharKind::Simple, 1, {0x44}, 0x02, 0x00, 0, true},  // digit seven
    {0x0038, CharKind::Simple, 1, {0x46}, 0x02, 0x00, 0, true},  // digit eight
    {0x0039, CharKind::Simple, 1, {0x48}, 0x02, 0x00, 0, true},  // digit nine
    {0x003A, CharKind::Simple, 1, {0x20}, 0x02, 0x00, 0, true},  // colon
    {0x003B, CharKind::Simple, 1, {0x22}, 0x02, 0x00, 0, true},  // semicolon
    {0x003C, CharKind::Simple, 1, {0x2E}, 0x02, 0x00, 0, true},  // less-than sign
    {0x003D, CharKind::Simple, 1, {0x30}, 0x02, 0x00, 0, true},  // equals sign
    {0x003E, CharKind::Simple, 1, {0x32}, 0x02, 0x00, 0, true},  // greater-than sign
    {0x003F, CharKind::Simple, 1, {0x24}, 0x02, 0x00, 0, true},  // question mark
    {0x0040, CharKind::Simple, 1, {0x26}, 0x02, 0x00, 0, true},  // commercial at
    {0x0041, CharKind::Simple, 1, {0x4A}, 0x02, 0x00, 0, true},  // latin capital letter a
    {0x0042, CharKind::Simple, 1, {0x4C}, 0x02, 0x00, 0, true},  // latin capital letter b
    {0x0043, CharKind::Simple, 1, {0x4D}, 0x02, 0x00, 0, true},  // latin capital letter c
    {0x0044, CharKind::Simple, 1, {0x4F}, 0x02, 0x00, 0, true},  // latin capital letter d
    {0x0045, CharKind::Simple, 1, {0x51}, 0x02, 0x00, 0, true},  // latin capital letter e
    {0x0046, CharKind::Simple, 1, {0x53}, 0x02, 0x00, 0, true},  // latin capital letter f
    {0x0047, CharKind::Simple, 1, {0x55}, 0x02, 0x00, 0, true},  // latin capital letter g
    {0x0048, CharKind::Simple, 1, {0x57}, 0x02, 0x00, 0, true},  // latin capital letter h
    {0x0049, CharKind::Simple, 1, {0x59}, 0x02, 0x00, 0, true},  // latin capital letter i
    {0x004A, CharKind::Simple, 1, {0x5B}, 0x02, 0x00, 0, true},  // latin capital letter j
    {0x004B, CharKind::Simple, 1, {0x5C}, 0x02, 0x00, 0, true},  // latin capital letter k
    {0x004C, CharKind::Simple, 1, {0x5E}, 0x02, 0x00, 0, true},  // latin capital letter l
    {0x004D, CharKind::Simple, 1, {0x60}, 0x02, 0x00, 0, true},  // latin capital letter m
    {0x004E, CharKind::Simple, 1, {0x62}, 0x02, 0x00, 0, true},  // latin capital letter n
    {0x004F, CharKind::Simple, 1, {0x64}, 0x02, 0x00, 0, true},  // latin capital letter o
    {0x0050, CharKind::Simple, 1, {0x66}, 0x02, 0x00, 0, true},  // latin capital letter p
    {0x0051, CharKind::Simple, 1, {0x68}, 0x02, 0x00, 0, true},  // latin capital letter q
    {0x0052, CharKind::Simple, 1, {0x69}, 0x02, 0x00, 0, true},  // latin capital letter r
    {0x0053, CharKind::Simple, 1, {0x6B}, 0x02, 0x00, 0, true},  // latin capital letter s
    {0x0054, CharKind::Simple, 1, {0x6D}, 0x02, 0x00, 0, true},  // latin capital letter t
    {0x0055, CharKind::Simple, 1, {0x6F}, 0x02, 0x00, 0, true},  // latin capital letter u
    {0x0056, CharKind::Simple, 1, {0x71}, 0x02, 0x00, 0, true},  // latin capital letter v
    {0x0057, CharKind::Simple, 1, {0x73}, 0x02, 0x00, 0, true},  // latin capital letter w
    {0x0058, CharKind::Simple, 1, {0x75}, 0x02, 0x00, 0, true},  // latin capital letter x
    {0x0059, CharKind::Simple, 1, {0x76}, 0x02, 0x00, 0, true},  // latin capital letter y
    {0x005A, CharKind::Simple, 1, {0x78}, 0x02, 0x00, 0, true},  // latin capital letter z
    {0x005B, CharKind::Simple, 1, {0x27}, 0x02, 0x00, 0, true},  // left square bracket
    {0x005C, CharKind::Simple, 1, {0x29}, 0x02, 0x00, 0, true},  // reverse solidus
    {0x005D, CharKind::Simple, 1, {0x2A}, 0x02, 0x00, 0, true},  // right square bracket
    {0x005E, CharKind::Simple, 2, {0x2B, 0x02}, 0x02, 0x00, 0, true},  // circumflex accent
    {0x005F, CharKind::Simple, 2, {0x2B, 0x03}, 0x02, 0x00, 0, true},  // low line
    {0x0060, CharKind::Simple, 2, {0x2B, 0x07}, 0x02, 0x00, 0, true},  // grave accent
    {0x0061, CharKind::Simple, 1, {0x4A}, 0x02, 0x00, 0, true},  // latin small letter a
    {0x0062, CharKind::Simple, 1, {0x4C}, 0x02, 0x00, 0, true},  // latin small letter b
    {0x0063, CharKind::Simple, 1, {0x4D}, 0x02, 0x00, 0, true},  // latin small letter c
    {0x0064, CharKind::Simple, 1, {0x4F}, 0x02, 0x00, 0, true},  // latin small letter d
    {0x0065, CharKind::Simple, 1, {0x51}, 0x02, 0x00, 0, true},  // latin small letter e
    {0x0066, CharKind::Simple, 1, {0x53}, 0x02, 0x00, 0, true},  // latin small letter f
    {0x0067, CharKind::Simple, 1, {0x55}, 0x02, 0x00, 0, true},  // latin small letter g
    {0x0068, CharKind::Simple, 1, {0x57}, 0x02, 0x00, 0, true},  // latin small letter h
    {0x0069, CharKind::Simple, 1, {0x59}, 0x02, 0x00, 0, true},  // latin small letter i
    {0x006A, CharKind::Simple, 1, {0x5B}, 0x02, 0x00, 0, true},  // latin small letter j
    {0x006B, CharKind::Simple, 1, {0x5C}, 0x02, 0x00, 0, true},  // latin small letter k
    {0x006C, CharKind::Simple, 1, {0x5E}, 0x02, 0x00, 0, true},  // latin small letter l
    {0x006D, CharKind::Simple, 1, {0x60}, 0x02, 0x00, 0, true},  // latin small letter m
    {0x006E, CharKind::Simple, 1, {0x62}, 0x02, 0x00, 0, true},  // latin small letter n
    {0x006F, CharKind::Simple, 1, {0x64}, 0x02, 0x00, 0, true},  // latin small letter o
    {0x0070, CharKind::Simple, 1, {0x66}, 0x02, 0x00, 0, true},  // latin small letter p
    {0x0071, CharKind::Simple, 1, {0x68}, 0x02, 0x00, 0, true},  // latin small letter q
    {0x0072, CharKind::Simple, 1, {0x69}, 0x02, 0x00, 0, true},  // latin small letter r
    {0x0073, CharKind::Simple, 1, {0x6B}, 0x02, 0x00, 0, true},  // latin small letter s
    {0x0074, CharKind::Simple, 1, {0x6D}, 0x02, 0x00, 0, true},  // latin small letter t
    {0x0075, CharKind::Simple, 1, {0x6F}, 0x02, 0x00, 0, true},  // latin small letter u
    {0x0076, CharKind::Simple, 1, {0x71}, 0x02, 0x00, 0, true},  // latin small letter v
    {0x0077, CharKind::Simple, 1, {0x73}, 0x02, 0x00, 0, true},  // latin small letter w
    {0x0078, CharKind::Simple, 1, {0x75}, 0x02, 0x00, 0, true},  // latin small letter x
    {0x0079, CharKind::Simple, 1, {0x76}, 0x02, 0x00, 0, true},  // latin small letter y
    {0x007A, CharKind::Simple, 1, {0x78}, 0x02, 0x00, 0, true},  // latin small letter z
    {0x007B, CharKind::Simple, 2, {0x2B, 0x09}, 0x02, 0x00, 0, true},  // left curly bracket
    {0x007C, CharKind::Simple, 2, {0x2B, 0x0B}, 0x02, 0x00, 0, true},  // vertical line
    {0x007D, CharKind::Simple, 2, {0x2B, 0x0D}, 0x02, 0x00, 0, true},  // right curly bracket
    {0x007E, CharKind::Simple, 2, {0x2B, 0x0F}, 0x02, 0x00, 0, true},  // tilde
    {0x007F, CharKind::Unprintable, 0, {}, 0x02, 0x1D, 0, true},  // control
    {0x0080, CharKind::Unprintable, 0, {}, 0x02, 0x1E, 0, true},  // control
    {0x0081, CharKind::Unprintable, 0, {}, 0x02, 0x1F, 0, true},  // control
    {0x0082, CharKind::Unprintable, 0, {}, 0x02, 0x20, 0, true},  // control
    {0x0083, CharKind::Unprintable, 0, {}, 0x02, 0x21, 0, true},  // control
    {0x0084, CharKind::Unprintable, 0, {}, 0x02, 0x22, 0, true},  // control
    {0x0085, CharKind::Unprintable, 0, {}, 0x02, 0x23, 0, true},  // control
    {0x0086, CharKind::Unprintable, 0, {}, 0x02, 0x24, 0, true},  // control
    {0x0087, CharKind::Unprintable, 0, {}, 0x02, 0x25, 0, true},  // control
    {0x0088, CharKind::Unprintable, 0, {}, 0x02, 0x26, 0, true},  // control
    {0x0089, CharKind::Unprintable, 0, {}, 0x02, 0x27, 0, true},  // control
    {0x008A, CharKind::Unprintable, 0, {}, 0x02, 0x28, 0, true},  // control
    {0x008B, CharKind::Unprintable, 0, {}, 0x02, 0x29, 0, true},  // control
    {0x008C, CharKind::Unprintable, 0, {}, 0x02, 0x2A, 0, true},  // control
    {0x008D, CharKind::Unprintable, 0, {}, 0x02, 0x2B, 0, true},  // control
    {0x008E, CharKind::Unprintable, 0, {}, 0x02, 0x2C, 0, true},  // control
    {0x008F, CharKind::Unprintable, 0, {}, 0x02, 0x2D, 0, true},  // control
    {0x0090, CharKind::Unprintable, 0, {}, 0x02, 0x2E, 0, true},  // control
    {0x0091, CharKind::Unprintable, 0, {}, 0x02, 0x2F, 0, true},  // control
    {0x0092, CharKind::Unprintable, 0, {}, 0x02, 0x30, 0, true},  // control
    {0x0093, CharKind::Unprintable, 0, {}, 0x02, 0x31, 0, true},  // control
    {0x0094, CharKind::Unprintable, 0, {}, 0x02, 0x32, 0, true},  // control
    {0x0095, CharKind::Unprintable, 0, {}, 0x02, 0x33, 0, true},  // control
    {0x0096, CharKind::Unprintable, 0, {}, 0x02, 0x34, 0, true},  // control
    {0x0097, CharKind::Unprintable, 0, {}, 0x02, 0x35, 0, true},  // control
    {0x0098, CharKind::Unprintable, 0, {}, 0x02, 0x36, 0, true},  // control
    {0x0099, CharKind::Unprintable, 0, {}, 0x02, 0x37, 0, true},  // control
    {0x009A, CharKind::Unprintable, 0, {}, 0x02, 0x38, 0, true},  // control
    {0x009B, CharKind::Unprintable, 0, {}, 0x02, 0x39, 0, true},  // control
    {0x009C, CharKind::Unprintable, 0, {}, 0x02, 0x3A, 0, true},  // control
    {0x009D, CharKind::Unprintable, 0, {}, 0x02, 0x3B, 0, true},  // control
    {0x009E, CharKind::Unprintable, 0, {}, 0x02, 0x3C, 0, true},  // control
    {0x009F, CharKind::Unprintable, 0, {}, 0x02, 0x3D, 0, true},  // control
    {0x00A0, CharKind::Simple, 2, {0x08, 0x02}, 0x02, 0x00, 0, true},  // no-break space
    {0x00A1, CharKind::Simple, 2, {0x2B, 0x10}, 0x02, 0x00, 0, true},  // inverted exclamation mark
    {0x00A2, CharKind::Simple, 2, {0x34, 0xA6}, 0x02, 0x00, 0, true},  // cent sign
    {0x00A3, CharKind::Simple, 2, {0x34, 0xA7}, 0x02, 0x00, 0, true},  // pound sign
    {0x00A4, CharKind::Simple, 2, {0x34, 0xA8}, 0x02, 0x00, 0, true},  // currency sign
    {0x00A5, CharKind::Simple, 2, {0x34, 0xA9}, 0x02, 0x00, 0, true},  // yen sign
    {0x00A6, CharKind::Simple, 2, {0x2B, 0x11}, 0x02, 0x00, 0, true},  // broken bar
    {0x00A7, CharKind::Simple, 2, {0x34, 0xAA}, 0x02, 0x00, 0, true},  // section sign
    {0x00A8, CharKind::Simple, 2, {0x2B, 0x12}, 0x02, 0x00, 0, true},  // diaeresis
    {0x00A9, CharKind::Simple, 2, {0x34, 0xAB}, 0x02, 0x00, 0, true},  // copyright sign
    {0x00AA, CharKind::International, 1, {0x4A}, 0x03, 0x00, 0, true},  // feminine ordinal indicator
    {0x00AB, CharKind::Simple, 2, {0x33, 0x05}, 0x02, 0x00, 0, true},  // left-pointing double angle quotation mark
    {0x00AC, CharKind::Simple, 2, {0x34, 0xAC}, 0x02, 0x00, 0, true},  // not sign
    {0x00AD, CharKind::Unprintable, 0, {}, 0x02, 0x83, 0, true},  // soft hyphen
    {0x00AE, CharKind::Simple, 2, {0x34, 0xAD}, 0x02, 0x00, 0, true},  // registered sign
    {0x00AF, CharKind::Simple, 2, {0x2B, 0x13}, 0x02, 0x00, 0, true},  // macron
    {0x00B0, CharKind::Simple, 2, {0x34, 0xAE}, 0x02, 0x00, 0, true},  // degree sign
    {0x00B1, CharKind::Simple, 2, {0x33, 0x04}, 0x02, 0x00, 0, true},  // plus-minus sign
    {0x00B2, CharKind::Simple, 1, {0x3A}, 0x02, 0x00, 0, true},  // superscript two
    {0x00B3, CharKind::Simple, 1, {0x3C}, 0x02, 0x00, 0, true},  // superscript three
    {0x00B4, CharKind::Simple, 2, {0x2B, 0x14}, 0x02, 0x00, 0, true},  // acute accent
    {0x00B5, CharKind::Simple, 2, {0x34, 0xAF}, 0x02, 0x00, 0, true},  // micro sign
    {0x00B6, CharKind::Simple, 2, {0x34, 0xB0}, 0x02, 0x00, 0, true},  // pilcrow sign
    {0x00B7, CharKind::Simple, 2, {0x34, 0xB1}, 0x02, 0x00, 0, true},  // middle dot
    {0x00B8, CharKind::Simple, 2, {0x2B, 0x15}, 0x02, 0x00, 0, true},  // cedilla
    {0x00B9, CharKind::Simple, 1, {0x38}, 0x02, 0x00, 0, true},  // superscript one
    {0x00BA, CharKind::International, 1, {0x64}, 0x03, 0x00, 0, true},  // masculine ordinal indicator
    {0x00BB, CharKind::Simple, 2, {0x33, 0x07}, 0x02, 0x00, 0, true},  // right-pointing double angle quotation mark
    {0x00BC, CharKind::Simple, 2, {0x37, 0x12}, 0x02, 0x00, 0, true},  // vulgar fraction one quarter
    {0x00BD, CharKind::Simple, 2, {0x37, 0x16}, 0x02, 0x00, 0, true},  // vulgar fraction one half
    {0x00BE, CharKind::Simple, 2, {0x37, 0x1A}, 0x02, 0x00, 0, true},  // vulgar fraction three quarters
    {0x00BF, CharKind::Simple, 2, {0x2B, 0x16}, 0x02, 0x00, 0, true},  // inverted question mark
    {0x00C0, CharKind::International, 1, {0x4A}, 0x0F, 0x00, 0, true},  // latin capital letter a with grave
    {0x00C1, CharKind::International, 1, {0x4A}, 0x0E, 0x00, 0, true},  // latin capital letter a with acute
    {0x00C2, CharKind::International, 1, {0x4A}, 0x12, 0x00, 0, true},  // latin capital letter a with circumflex
    {0x00C3, CharKind::International, 1, {0x4A}, 0x19, 0x00, 0, true},  // latin capital letter a with tilde
    {0x00C4, CharKind::International, 1, {0x4A}, 0x13, 0x00, 0, true},  // latin capital letter a with diaeresis
    {0x00C5, CharKind::International, 1, {0x4A}, 0x1A, 0x00, 0, true},  // latin capital letter a with ring above
    {0x00C6, CharKind::Simple, 2, {0x4A, 0x51}, 0x02, 0x00, 0, true},  // latin capital letter ae
    {0x00C7, CharKind::International, 1, {0x4D}, 0x1C, 0x00, 0, true},  // latin capital letter c with cedilla
    {0x00C8, CharKind::International, 1, {0x51}, 0x0F, 0x00, 0, true},  // latin capital letter e with grave
    {0x00C9, CharKind::International, 1, {0x51}, 0x0E, 0x00, 0, true},  // latin capital letter e with acute
    {0x00CA, CharKind::International, 1, {0x51}, 0x12, 0x00, 0, true},  // latin capital letter e with circumflex
    {0x00CB, CharKind::International, 1, {0x51}, 0x13, 0x00, 0, true},  // latin capital letter e with diaeresis
    {0x00CC, CharKind::International, 1, {0x59}, 0x0F, 0x00, 0, true},  // latin capital letter i with grave
    {0x00CD, CharKind::International, 1, {0x59}, 0x0E, 0x00, 0, true},  // latin capital letter i with acute
    {0x00CE, CharKind::International, 1, {0x59}, 0x12, 0x00, 0, true},  // latin capital letter i with circumflex
    {0x00CF, CharKind::International, 1, {0x59}, 0x13, 0x00, 0, true},  // latin capital letter i with diaeresis
    {0x00D0, CharKind::International, 1, {0x4F}, 0x68, 0x00, 0, true},  // latin capital letter eth
    {0x00D1, CharKind::International, 1, {0x62}, 0x19, 0x00, 0, true},  // latin capital letter n with tilde
    {0x00D2, CharKind::International, 1, {0x64}, 0x0F, 0x00, 0, true},  // latin capital letter o with grave
    {0x00D3, CharKind::International, 1, {0x64}, 0x0E, 0x00, 0, true},  // latin capital letter o with acute
    {0x00D4, CharKind::International, 1, {0x64}, 0x12, 0x00, 0, true},  // latin capital letter o with circumflex
    {0x00D5, CharKind::International, 1, {0x64}, 0x19, 0x00, 0, true},  // latin capital letter o with tilde
    {0x00D6, CharKind::International, 1, {0x64}, 0x13, 0x00, 0, true},  // latin capital letter o with diaeresis
    {0x00D7, CharKind::Simple, 2, {0x33, 0x09}, 0x02, 0x00, 0, true},  // multiplication sign
    {0x00D8, CharKind::International, 1, {0x64}, 0x21, 0x00, 0, true},  // latin capital letter o with stroke
    {0x00D9, CharKind::International, 1, {0x6F}, 0x0F, 0x00, 0, true},  // latin capital letter u with grave
    {0x00DA, CharKind::International, 1, {0x6F}, 0x0E, 0x00, 0, true},  // latin capital letter u with acute
    {0x00DB, CharKind::International, 1, {0x6F}, 0x12, 0x00, 0, true},  // latin capital letter u with circumflex
    {0x00DC, CharKind::International, 1, {0x6F}, 0x13, 0x00, 0, true},  // latin capital letter u with diaeresis
    {0x00DD, CharKind::International, 1, {0x76}, 0x0E, 0x00, 0, true},  // latin capital letter y with acute
    {0x00DE, CharKind::Simple, 2, {0x6D, 0x57}, 0x02, 0x00, 0, true},  // latin capital letter thorn
    {0x00DF, CharKind::Simple, 2, {0x6B, 0x6B}, 0x02, 0x00, 0, true},  // latin small letter sharp s
    {0x00E0, CharKind::International, 1, {0x4A}, 0x0F, 0x00, 0, true},  // latin small letter a with grave
    {0x00E1, CharKind::International, 1, {0x4A}, 0x0E, 0x00, 0, true},  // latin small letter a with acute
    {0x00E2, CharKind::International, 1, {0x4A}, 0x12, 0x00, 0, true},  // latin small letter a with circumflex
    {0x00E3, CharKind::International, 1, {0x4A}, 0x19, 0x00, 0, true},  // latin small letter a with tilde
    {0x00E4, CharKind::International, 1, {0x4A}, 0x13, 0x00, 0, true},  // latin small letter a with diaeresis
    {0x00E5, CharKind::International, 1, {0x4A}, 0x1A, 0x00, 0, true},  // latin small letter a with ring above
    {0x00E6, CharKind::Simple, 2, {0x4A, 0x51}, 0x02, 0x00, 0, true},  // latin small letter ae
    {0x00E7, CharKind::International, 1, {0x4D}, 0x1C, 0x00, 0, true},  // latin small letter c with cedilla
    {0x00E8, CharKind::International, 1, {0x51}, 0x0F, 0x00, 0, true},  // latin small letter e with grave
    {0x00E9, CharKind::International, 1, {0x51}, 0x0E, 0x00, 0, true},  // latin small letter e with acute
    {0x00EA, CharKind::International, 1, {0x51}, 0x12, 0x00, 0, true},  // latin small letter e with circumflex
    {0x00EB, CharKind::International, 1, {0x51}, 0x13, 0x00, 0, true},  // latin small letter e with diaeresis
    {0x00EC, CharKind::International, 1, {0x59}, 0x0F, 0x00, 0, true},  // latin small letter i with grave
    {0x00ED, CharKind::International, 1, {0x59}, 0x0E, 0x00, 0, true},  // latin small letter i with acute
    {0x00EE, CharKind::International, 1, {0x59}, 0x12, 0x00, 0, true},  // latin small letter i with circumflex
    {0x00EF, CharKind::International, 1, {0x59}, 0x13, 0x00, 0, true},  // latin small letter i with diaeresis
    {0x00F0, CharKind::International, 1, {0x4F}, 0x68, 0x00, 0, true},  // latin small letter eth
    {0x00F1, CharKind::International, 1, {0x62}, 0x19, 0x00, 0, true},  // latin small letter n with tilde
    {0x00F2, CharKind::International, 1, {0x64}, 0x0F, 0x00, 0, true},  // latin small letter o with grave
    {0x00F3, CharKind::International, 1, {0x64}, 0x0E, 0x00, 0, true},  // latin small letter o with acute
    {0x00F4, CharKind::International, 1, {0x64}, 0x12, 0x00, 0, true},  // latin small letter o with circumflex
    {0x00F5, CharKind::International, 1, {0x64}, 0x19, 0x00, 0, true},  // latin small letter o with tilde
    {0x00F6, CharKind::International, 1, {0x64}, 0x13, 0x00, 0, true},  // latin small letter o with diaeresis
    {0x00F7, CharKind::Simple, 2, {0x33, 0x0A}, 0x02, 0x00, 0, true},  // division sign
    {0x00F8, CharKind::International, 1, {0x64}, 0x21, 0x00, 0, true},  // latin small letter o with stroke
    {0x00F9, CharKind::International, 1, {0x6F}, 0x0F, 0x00, 0, true},  // latin small letter u with grave
    {0x00FA, CharKind::International, 1, {0x6F}, 0x0E, 0x00, 0, true},  // latin small letter u with acute
    {0x00FB, CharKind::International, 1, {0x6F}, 0x12, 0x00, 0, true},  // latin small letter u with circumflex
    {0x00FC, CharKind::International, 1, {0x6F}, 0x13, 0x00, 0, true},  // latin small letter u with diaeresis
    {0x00FD, CharKind::International, 1, {0x76}, 0x0E, 0x00, 0, true},  // latin small letter y with acute
    {0x00FE, CharKind::Simple, 2, {0x6D, 0x57}, 0x02, 0x00, 0, true},  // latin small letter thorn
    {0x00FF, CharKind::International, 1, {0x76}, 0x13, 0x00, 0, true},  // latin small letter y with diaeresis
    {0x039A, CharKind::Simple, 2, {0x79, 0x15}, 0x02, 0x00, 0, true},  // greek capital letter kappa
    {0x03B1, CharKind::Simple, 2, {0x79, 0x0C}, 0x02, 0x00, 0, true},  // greek small letter alpha
    {0x03B3, CharKind::Simple, 2, {0x79, 0x0E}, 0x02, 0x00, 0, true},  // greek small letter gamma
    {0x03BB, CharKind::Simple, 2, {0x79, 0x16}, 0x02, 0x00, 0, true},  // greek small letter lamda
    {0x03C0, CharKind::Simple, 2, {0x79, 0x1B}, 0x02, 0x00, 0, true},  // greek small letter pi
    {0x03C4, CharKind::Simple, 2, {0x79, 0x1E}, 0x02, 0x00, 0, true},  // greek small letter tau
    {0x03C9, CharKind::Simple, 2, {0x79, 0x23}, 0x02, 0x00, 0, true},  // greek small letter omega
    {0x03F0, CharKind::International, 2, {0x79, 0x15}, 0x03, 0x00, 0, true},  // greek kappa symbol
    {0x041C, CharKind::Simple, 2, {0x79, 0x43}, 0x02, 0x00, 0, true},  // cyrillic capital letter em
    {0x0438, CharKind::Simple, 2, {0x79, 0x3B}, 0x02, 0x00, 0, true},  // cyrillic small letter i
    {0x0440, CharKind::Simple, 2, {0x79, 0x48}, 0x02, 0x00, 0, true},  // cyrillic small letter er
    {0x1F10, CharKind::Ignored, 0, {}, 0x02, 0x00, 0, true},  // greek small letter epsilon with psili
    {0x1F76, CharKind::Ignored, 0, {}, 0x02, 0x00, 0, true},  // greek small letter iota with varia
    {0x1F79, CharKind::Ignored, 0, {}, 0x02, 0x00, 0, true},  // greek small letter omicron with oxia
    {0x1F7B, CharKind::Ignored, 0, {}, 0x02, 0x00, 0, true},  // greek small letter upsilon with oxia
    {0x1F7C, CharKind::Ignored, 0, {}, 0x02, 0x00, 0, true},  // greek small letter omega with varia
    {0x3058, CharKind::International, 2, {0x7F, 0x13}, 0x03, 0x00, 3, false},  // hiragana letter zi
    {0x308A, CharKind::Simple, 2, {0x7F, 0x43}, 0x02, 0x00, 3, false},  // hiragana letter ri
    {0x4EA4, CharKind::Simple, 2, {0x9F, 0xBE}, 0x02, 0x00, 0, false},  // cjk unified ideograph-4ea4
    {0x4EEE, CharKind::Simple, 2, {0xA0, 0x0D}, 0x02, 0x00, 0, false},  // cjk unified ideograph-4eee
    {0x540D, CharKind::Simple, 2, {0xA5, 0x47}, 0x02, 0x00, 0, false},  // cjk unified ideograph-540d
    {0x5B57, CharKind::Simple, 2, {0xAC, 0xAC}, 0x02, 0x00, 0, false},  // cjk unified ideograph-5b57
    {0x6587, CharKind::Simple, 2, {0xB6, 0xF6}, 0x02, 0x00, 0, false},  // cjk unified ideograph-6587
    {0x6F22, CharKind::Simple, 2, {0xC0, 0xB6}, 0x02, 0x00, 0, false},  // cjk unified ideograph-6f22
};

// General (Access 2010): testV2010.accdb, the text indexes of its tables and of
// MSysObjects (object names) and MSysAccessStorage; every one of these entries has one
// two-byte code per character and nothing else, except "\x03DirData" whose U+0003 is
// unprintable at position 0 with code 0x05.
constexpr CharCode kGeneral[] = {
    {0x0003, CharKind::Unprintable, 0, {}, 0x02, 0x05, 0, true},  // control
    {0x0030, CharKind::Simple, 2, {0x0D, 0x17}, 0x02, 0x00, 0, true},  // digit zero
    {0x0031, CharKind::Simple, 2, {0x0D, 0x19}, 0x02, 0x00, 0, true},  // digit one
    {0x0032, CharKind::Simple, 2, {0x0D, 0x1A}, 0x02, 0x00, 0, true},  // digit two
    {0x0033, CharKind::Simple, 2, {0x0D, 0x1B}, 0x02, 0x00, 0, true},  // digit three
    {0x0034, CharKind::Simple, 2, {0x0D, 0x1C}, 0x02, 0x00, 0, true},  // digit four
    {0x0035, CharKind::Simple, 2, {0x0D, 0x1D}, 0x02, 0x00, 0, true},  // digit five
    {0x0036, CharKind::Simple, 2, {0x0D, 0x1E}, 0x02, 0x00, 0, true},  // digit six
    {0x0037, CharKind::Simple, 2, {0x0D, 0x1F}, 0x02, 0x00, 0, true},  // digit seven
    {0x0038, CharKind::Simple, 2, {0x0D, 0x20}, 0x02, 0x00, 0, true},  // digit eight
    {0x0039, CharKind::Simple, 2, {0x0D, 0x21}, 0x02, 0x00, 0, true},  // digit nine
    {0x0041, CharKind::Simple, 2, {0x0E, 0x02}, 0x02, 0x00, 0, true},  // latin capital letter a
    {0x0042, CharKind::Simple, 2, {0x0E, 0x09}, 0x02, 0x00, 0, true},  // latin capital letter b
    {0x0043, CharKind::Simple, 2, {0x0E, 0x0A}, 0x02, 0x00, 0, true},  // latin capital letter c
    {0x0044, CharKind::Simple, 2, {0x0E, 0x1A}, 0x02, 0x00, 0, true},  // latin capital letter d
    {0x0045, CharKind::Simple, 2, {0x0E, 0x21}, 0x02, 0x00, 0, true},  // latin capital letter e
    {0x0046, CharKind::Simple, 2, {0x0E, 0x23}, 0x02, 0x00, 0, true},  // latin capital letter f
    {0x0047, CharKind::Simple, 2, {0x0E, 0x25}, 0x02, 0x00, 0, true},  // latin capital letter g
    {0x0048, CharKind::Simple, 2, {0x0E, 0x2C}, 0x02, 0x00, 0, true},  // latin capital letter h
    {0x0049, CharKind::Simple, 2, {0x0E, 0x32}, 0x02, 0x00, 0, true},  // latin capital letter i
    {0x004A, CharKind::Simple, 2, {0x0E, 0x35}, 0x02, 0x00, 0, true},  // latin capital letter j
    {0x004C, CharKind::Simple, 2, {0x0E, 0x48}, 0x02, 0x00, 0, true},  // latin capital letter l
    {0x004D, CharKind::Simple, 2, {0x0E, 0x51}, 0x02, 0x00, 0, true},  // latin capital letter m
    {0x004E, CharKind::Simple, 2, {0x0E, 0x70}, 0x02, 0x00, 0, true},  // latin capital letter n
    {0x004F, CharKind::Simple, 2, {0x0E, 0x7C}, 0x02, 0x00, 0, true},  // latin capital letter o
    {0x0050, CharKind::Simple, 2, {0x0E, 0x7E}, 0x02, 0x00, 0, true},  // latin capital letter p
    {0x0051, CharKind::Simple, 2, {0x0E, 0x89}, 0x02, 0x00, 0, true},  // latin capital letter q
    {0x0052, CharKind::Simple, 2, {0x0E, 0x8A}, 0x02, 0x00, 0, true},  // latin capital letter r
    {0x0053, CharKind::Simple, 2, {0x0E, 0x91}, 0x02, 0x00, 0, true},  // latin capital letter s
    {0x0054, CharKind::Simple, 2, {0x0E, 0x99}, 0x02, 0x00, 0, true},  // latin capital letter t
    {0x0055, CharKind::Simple, 2, {0x0E, 0x9F}, 0x02, 0x00, 0, true},  // latin capital letter u
    {0x0056, CharKind::Simple, 2, {0x0E, 0xA2}, 0x02, 0x00, 0, true},  // latin capital letter v
    {0x005F, CharKind::Simple, 2, {0x07, 0x44}, 0x02, 0x00, 0, true},  // low line
    {0x0061, CharKind::Simple, 2, {0x0E, 0x02}, 0x02, 0x00, 0, true},  // latin small letter a
    {0x0062, CharKind::Simple, 2, {0x0E, 0x09}, 0x02, 0x00, 0, true},  // latin small letter b
    {0x0063, CharKind::Simple, 2, {0x0E, 0x0A}, 0x02, 0x00, 0, true},  // latin small letter c
    {0x0064, CharKind::Simple, 2, {0x0E, 0x1A}, 0x02, 0x00, 0, true},  // latin small letter d
    {0x0065, CharKind::Simple, 2, {0x0E, 0x21}, 0x02, 0x00, 0, true},  // latin small letter e
    {0x0066, CharKind::Simple, 2, {0x0E, 0x23}, 0x02, 0x00, 0, true},  // latin small letter f
    {0x0067, CharKind::Simple, 2, {0x0E, 0x25}, 0x02, 0x00, 0, true},  // latin small letter g
    {0x0068, CharKind::Simple, 2, {0x0E, 0x2C}, 0x02, 0x00, 0, true},  // latin small letter h
    {0x0069, CharKind::Simple, 2, {0x0E, 0x32}, 0x02, 0x00, 0, true},  // latin small letter i
    {0x006A, CharKind::Simple, 2, {0x0E, 0x35}, 0x02, 0x00, 0, true},  // latin small letter j
    {0x006B, CharKind::Simple, 2, {0x0E, 0x36}, 0x02, 0x00, 0, true},  // latin small letter k
    {0x006C, CharKind::Simple, 2, {0x0E, 0x48}, 0x02, 0x00, 0, true},  // latin small letter l
    {0x006D, CharKind::Simple, 2, {0x0E, 0x51}, 0x02, 0x00, 0, true},  // latin small letter m
    {0x006E, CharKind::Simple, 2, {0x0E, 0x70}, 0x02, 0x00, 0, true},  // latin small letter n
    {0x006F, CharKind::Simple, 2, {0x0E, 0x7C}, 0x02, 0x00, 0, true},  // latin small letter o
    {0x0070, CharKind::Simple, 2, {0x0E, 0x7E}, 0x02, 0x00, 0, true},  // latin small letter p
    {0x0072, CharKind::Simple, 2, {0x0E, 0x8A}, 0x02, 0x00, 0, true},  // latin small letter r
    {0x0073, CharKind::Simple, 2, {0x0E, 0x91}, 0x02, 0x00, 0, true},  // latin small letter s
    {0x0074, CharKind::Simple, 2, {0x0E, 0x99}, 0x02, 0x00, 0, true},  // latin small letter t
    {0x0075, CharKind::Simple, 2, {0x0E, 0x9F}, 0x02, 0x00, 0, true},  // latin small letter u
    {0x0076, CharKind::Simple, 2, {0x0E, 0xA2}, 0x02, 0x00, 0, true},  // latin small letter v
    {0x0077, CharKind::Simple, 2, {0x0E, 0xA4}, 0x02, 0x00, 0, true},  // latin small letter w
    {0x0078, CharKind::Simple, 2, {0x0E, 0xA6}, 0x02, 0x00, 0, true},  // latin small letter x
    {0x0079, CharKind::Simple, 2, {0x0E, 0xA7}, 0x02, 0x00, 0, true},  // latin small letter y
};

// General 97 (Jet 3): testV1997.mdb and overflowTestV1997.mdb, the text indexes of Table1
// and of MSysObjects and MSysModules2; one byte per character.
constexpr CharCode kGeneral97[] = {
    {0x0031, CharKind::Simple, 1, {0x57}, 0x02, 0x00, 0, true},  // digit one
    {0x0032, CharKind::Simple, 1, {0x58}, 0x02, 0x00, 0, true},  // digit two
    {0x0033, CharKind::Simple, 1, {0x59}, 0x02, 0x00, 0, true},  // digit three
    {0x0034, CharKind::Simple, 1, {0x5A}, 0x02, 0x00, 0, true},  // digit four
    {0x0041, CharKind::Simple, 1, {0x60}, 0x02, 0x00, 0, true},  // latin capital letter a
    {0x0043, CharKind::Simple, 1, {0x62}, 0x02, 0x00, 0, true},  // latin capital letter c
    {0x0044, CharKind::Simple, 1, {0x64}, 0x02, 0x00, 0, true},  // latin capital letter d
    {0x0045, CharKind::Simple, 1, {0x66}, 0x02, 0x00, 0, true},  // latin capital letter e
    {0x0046, CharKind::Simple, 1, {0x67}, 0x02, 0x00, 0, true},  // latin capital letter f
    {0x0049, CharKind::Simple, 1, {0x6A}, 0x02, 0x00, 0, true},  // latin capital letter i
    {0x004D, CharKind::Simple, 1, {0x6F}, 0x02, 0x00, 0, true},  // latin capital letter m
    {0x004F, CharKind::Simple, 1, {0x72}, 0x02, 0x00, 0, true},  // latin capital letter o
    {0x0050, CharKind::Simple, 1, {0x73}, 0x02, 0x00, 0, true},  // latin capital letter p
    {0x0051, CharKind::Simple, 1, {0x74}, 0x02, 0x00, 0, true},  // latin capital letter q
    {0x0052, CharKind::Simple, 1, {0x75}, 0x02, 0x00, 0, true},  // latin capital letter r
    {0x0053, CharKind::Simple, 1, {0x76}, 0x02, 0x00, 0, true},  // latin capital letter s
    {0x0054, CharKind::Simple, 1, {0x77}, 0x02, 0x00, 0, true},  // latin capital letter t
    {0x0055, CharKind::Simple, 1, {0x78}, 0x02, 0x00, 0, true},  // latin capital letter u
    {0x0061, CharKind::Simple, 1, {0x60}, 0x02, 0x00, 0, true},  // latin small letter a
    {0x0062, CharKind::Simple, 1, {0x61}, 0x02, 0x00, 0, true},  // latin small letter b
    {0x0063, CharKind::Simple, 1, {0x62}, 0x02, 0x00, 0, true},  // latin small letter c
    {0x0064, CharKind::Simple, 1, {0x64}, 0x02, 0x00, 0, true},  // latin small letter d
    {0x0065, CharKind::Simple, 1, {0x66}, 0x02, 0x00, 0, true},  // latin small letter e
    {0x0066, CharKind::Simple, 1, {0x67}, 0x02, 0x00, 0, true},  // latin small letter f
    {0x0067, CharKind::Simple, 1, {0x68}, 0x02, 0x00, 0, true},  // latin small letter g
    {0x0068, CharKind::Simple, 1, {0x69}, 0x02, 0x00, 0, true},  // latin small letter h
    {0x0069, CharKind::Simple, 1, {0x6A}, 0x02, 0x00, 0, true},  // latin small letter i
    {0x006A, CharKind::Simple, 1, {0x6B}, 0x02, 0x00, 0, true},  // latin small letter j
    {0x006B, CharKind::Simple, 1, {0x6C}, 0x02, 0x00, 0, true},  // latin small letter k
    {0x006C, CharKind::Simple, 1, {0x6D}, 0x02, 0x00, 0, true},  // latin small letter l
    {0x006D, CharKind::Simple, 1, {0x6F}, 0x02, 0x00, 0, true},  // latin small letter m
    {0x006E, CharKind::Simple, 1, {0x70}, 0x02, 0x00, 0, true},  // latin small letter n
    {0x006F, CharKind::Simple, 1, {0x72}, 0x02, 0x00, 0, true},  // latin small letter o
    {0x0070, CharKind::Simple, 1, {0x73}, 0x02, 0x00, 0, true},  // latin small letter p
    {0x0072, CharKind::Simple, 1, {0x75}, 0x02, 0x00, 0, true},  // latin small letter r
    {0x0073, CharKind::Simple, 1, {0x76}, 0x02, 0x00, 0, true},  // latin small letter s
    {0x0074, CharKind::Simple, 1, {0x77}, 0x02, 0x00, 0, true},  // latin small letter t
    {0x0075, CharKind::Simple, 1, {0x78}, 0x02, 0x00, 0, true},  // latin small letter u
    {0x0079, CharKind::Simple, 1, {0x7D}, 0x02, 0x00, 0, true},  // latin small letter y
};

struct Table {
    const CharCode* begin;
    const CharCode* end;
};

Table tableOf(TextOrder order)
{
    switch (order) {
    case TextOrder::GeneralLegacy: return {std::begin(kGeneralLegacy), std::end(kGeneralLegacy)};
    case TextOrder::General: return {std::begin(kGeneral), std::end(kGeneral)};
    case TextOrder::General97: return {std::begin(kGeneral97), std::end(kGeneral97)};
    }
    return {nullptr, nullptr};
}

}  // namespace

const CharCode* findCharCode(TextOrder order, char16_t ch)
{
    const Table t = tableOf(order);
    const CharCode* it =
        std::lower_bound(t.begin, t.end, ch, [](const CharCode& c, char16_t v) { return c.ch < v; });
    return it != t.end && it->ch == ch ? it : nullptr;
}

std::vector<const CharCode*> certainCharacters(TextOrder order)
{
    const Table t = tableOf(order);
    std::vector<const CharCode*> out;
    for (const CharCode* c = t.begin; c != t.end; ++c)
        if (c->certain)
            out.push_back(c);
    return out;
}

}  // namespace db::jet
