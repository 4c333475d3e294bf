// Index keys: the bytes Access stores for a row's values in an index entry, for every
// indexable column type, ascending and descending, composite, with text in the
// "General" sort orders.
// Layer: index (key encoding); works on values and column definitions, reads no pages.
// It never guesses a text key: a character whose code the fixtures do not show is an
// error (strict) or makes the key uncertain (lenient, for checks only).
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
// type, a date given as text whose stored fraction of a second is unknown). The rows
// found may be a few more than SQL wants (letter case in text; text beyond 255
// characters; currency); SQL checks each row again.
std::optional<KeyValue> keyValueForLookup(const ColumnDef& column, const Value& v);

// The text sort order of an index column, or nothing for an order we do not know.
std::optional<TextOrder> textOrderOf(const IndexColumn& column, const Format& format);

// A character of a text value whose key is not known with certainty. The message is
// German and names the table, the index, the column and the character.
class KeyCharacterError : public JetError {
public:
    KeyCharacterError(const std::string& message, char32_t character)
        : JetError(message), m_character(character) {}
    char32_t character() const { return m_character; }

private:
    char32_t m_character;
};

enum class KeyMode {
    Strict,   // writing and lookups: only codes the fixtures pin down
    Lenient,  // checking files: also codes that merely reproduce the fixtures together
};

struct EncodedKey {
    std::vector<uint8_t> bytes;
    bool certain = true;  // false: lenient codes were used
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

    // The prefix key for a lookup, or nothing when the index cannot answer it exactly: a
    // character without a certain code, or one whose case variants (equal under SQL's
    // NOCASE) are keyed differently or not known (k, s, å, µ, ß, ÿ have such variants:
    // KELVIN SIGN, LONG S, ANGSTROM SIGN, Greek mu, capital sharp s, Ÿ).
    std::optional<std::vector<uint8_t>> tryEncodePrefix(const std::vector<KeyValue>& values) const;

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

// Column types whose key encoding the fixtures confirm (Long ascending and descending,
// NULL, Date/Time, Text); the others follow the public format notes and have no
// Access-written entry to compare with yet.
bool keyEncodingConfirmed(ColumnType type);

// Text longer than this many UTF-16 units is keyed by its beginning.
inline constexpr size_t kMaxIndexTextLength = 255;

// Entry flags that open each column's part of a key.
inline constexpr uint8_t kKeyAscendingStart = 0x7F;
inline constexpr uint8_t kKeyDescendingStart = 0x80;
inline constexpr uint8_t kKeyAscendingNull = 0x00;
inline constexpr uint8_t kKeyDescendingNull = 0xFF;

}  // namespace db::jet
