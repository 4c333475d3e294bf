// Index keys: the bytes Access stores for a row's values in an index entry, for every
// indexable column type, ascending and descending, composite, with text in the
// "General" sort orders.
// Layer: index (key encoding); works on values and column definitions, reads no pages.
// It never guesses a key: a character, type or length whose key no source shows with
// certainty is an error (strict) or makes the key uncertain (lenient, for checks only).
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/DatabaseHeader.h"
#include "db/jet/IndexCodes.h"
#include "db/jet/JetError.h"
#include "db/jet/TableDef.h"
#include "db/jet/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db::jet {

class PageFile;

// One column's value as the key encoder takes it: integers (Boolean, Byte, Integer, Long,
// BigInt, Currency in ten-thousandths), reals (Single, Double, Date/Time in days), bytes
// (GUID and Numeric as stored in the row, Binary) or text (UTF-16).
struct KeyValue {
    enum class Kind { Null, Integer, Real, Bytes, Text };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::vector<uint8_t> bytes;
    std::u16string text;

    static KeyValue null() { return {}; }
    static KeyValue ofInteger(int64_t v) { KeyValue k; k.kind = Kind::Integer; k.integer = v; return k; }
    static KeyValue ofReal(double v) { KeyValue k; k.kind = Kind::Real; k.real = v; return k; }
    static KeyValue ofBytes(std::vector<uint8_t> v) { KeyValue k; k.kind = Kind::Bytes; k.bytes = std::move(v); return k; }
    static KeyValue ofText(std::u16string v) { KeyValue k; k.kind = Kind::Text; k.text = std::move(v); return k; }
    bool isNull() const { return kind == Kind::Null; }
};

// The key value of a column as a row stores it: `present` and `data` as the row codec
// finds them (for Boolean `present` is the value). Memo values are read through `file`.
// Exact: every bit of the stored value reaches the key.
KeyValue keyValueOfField(PageFile& file, const Format& format, uint16_t codePage, const ColumnDef& column,
                         bool present, ByteView data);

// The key value that finds the rows whose SQL value equals `v` (as the virtual table
// shows it), or nothing when the index cannot answer that exactly (a value of another
// type, a date given as text whose stored fraction of a second is unknown, a zero that
// may be stored as -0, currency beyond 10^11). The rows found may be a few more than SQL
// wants (letter case and trailing blanks in text; text beyond 255 characters); SQL
// checks each row again.
std::optional<KeyValue> keyValueForLookup(const ColumnDef& column, const Value& v);

// The text sort order of an index column, or nothing for an order we do not know.
std::optional<TextOrder> textOrderOf(const IndexColumn& column, const Format& format);

// A key whose bytes are not known with certainty: a value of a type whose keys the
// public sources give differently (Boolean), an uncertain character, a key longer than
// Access is known to store whole. The message is German and names the table, the index,
// the column and the value or character.
class UncertainKeyError : public JetError {
public:
    using JetError::JetError;
};

// A character of a text value whose key is not known with certainty.
class KeyCharacterError : public UncertainKeyError {
public:
    KeyCharacterError(const std::string& message, char32_t character)
        : UncertainKeyError(message), m_character(character) {}
    char32_t character() const { return m_character; }

private:
    char32_t m_character;
};

enum class KeyMode {
    Strict,   // writing and lookups: only keys that are certain
    Lenient,  // checking files: also keys that follow one public source where others differ
};

struct EncodedKey {
    std::vector<uint8_t> bytes;
    bool certain = true;  // false: an uncertain rule or code was used (Lenient only)
};

// Encodes index keys for one index of one table.
class IndexKeyEncoder {
public:
    // Throws JetError (German) when a column of the index is missing from the table. A
    // column of a type Access cannot index, or with a text sort order we do not know, is
    // reported when a value of it is encoded.
    IndexKeyEncoder(std::string tableName, const TableDef& table, const IndexDef& index,
                    const DatabaseHeader& header);

    size_t columnCount() const { return m_columns.size(); }
    const ColumnDef& column(size_t i) const { return *m_columns[i].column; }
    const IndexDef& index() const { return m_index; }

    // The key of one row: one value per index column, in the index's order. Throws
    // KeyCharacterError for a text character without a known code (in Strict mode also
    // for one whose code is only lenient).
    EncodedKey encode(const std::vector<KeyValue>& values, KeyMode mode = KeyMode::Strict) const;

    // The key bytes of the first `values.size()` columns: every entry whose values start
    // with these has a key that starts with these bytes (each column's part ends itself).
    EncodedKey encodePrefix(const std::vector<KeyValue>& values, KeyMode mode = KeyMode::Strict) const;

    // The prefix key for a lookup, or nothing when the index cannot answer it: a
    // character without a certain code, or a case variant (equal under SQL's NOCASE) keyed
    // apart from its letter. `complete` is false when the entries found may lack rows whose
    // value lookupMayMiss: a character of the text has such variants (k, s, å, µ, ß, ÿ:
    // KELVIN SIGN, LONG S, ANGSTROM SIGN, Greek mu, capital sharp s, Ÿ).
    std::optional<std::vector<uint8_t>> tryEncodePrefix(const std::vector<KeyValue>& values, bool& complete) const;
    // Whether a stored value of the first column may be missing from a lookup's entries
    // (see tryEncodePrefix): its text holds a variant keyed apart from its letter.
    bool lookupMayMiss(const KeyValue& value) const;

private:
    struct Column {
        const ColumnDef* column;
        IndexColumn def;
        std::optional<TextOrder> order;
    };
    void appendColumn(std::vector<uint8_t>& out, const Column& c, const KeyValue& v, KeyMode mode,
                      bool& certain) const;

    std::string m_tableName;
    IndexDef m_index;
    const Format& m_format;
    bool m_ace;
    std::vector<Column> m_columns;
};

// Whether keys of a column of this type, in this direction, are known with certainty
// (docs/access-format.md, "Keys"): Byte, Integer, Long, Currency, Single, Double,
// Date/Time, GUID, Text and Memo both ways; Decimal ascending (descending too in ACE
// files). Not Boolean (the public sources disagree), Binary, BigInt in Jet 4, OLE.
// A value of a certain type can still have an uncertain key (NaN, -0, a character).
bool keyTypeCertain(ColumnType type, bool ascending, bool ace);

// Text longer than this many UTF-16 units is keyed by its beginning.
inline constexpr size_t kMaxIndexTextLength = 255;

// How long a key may be and still be stored whole for certain. Jet 4: Access 2003 stored
// the 685-byte key of testUnicodeCompV2003.mdb's row of every Latin-1 character whole;
// longer ones no Access file shows (Jackcess stores even 1,026 bytes whole). ACE stores
// at most 510 bytes of an entry and replaces the rest by a checksum (LibRed's
// measurements); whether the 510 count the row pointer is not known, hence 506.
inline constexpr size_t kMaxCertainKeyLengthJet4 = 685;
inline constexpr size_t kMaxCertainKeyLengthAce = 506;

// Entry flags that open each column's part of a key.
inline constexpr uint8_t kKeyAscendingStart = 0x7F;
inline constexpr uint8_t kKeyDescendingStart = 0x80;
inline constexpr uint8_t kKeyAscendingNull = 0x00;
inline constexpr uint8_t kKeyDescendingNull = 0xFF;

}  // namespace db::jet
