// Two readings of Access 2010 files: a calculated column gives the result Access stored
// (or its raw bytes where the stored form is not the one we know), never refusing the
// table; and a value the row marks present but stores no bytes for is empty, not NULL.
#include "JetTestSupport.h"

#include "db/jet/RowCodec.h"
#include "db/jet/ValueCodec.h"

using namespace jettest;
using db::jet::ColumnDef;
using db::jet::ColumnType;
using db::jet::Format;
using db::jet::Value;

namespace {

// The stored form of a calculated result: 16 bytes of Access's own, the length, the
// result, three bytes more.
std::string wrapped(const std::string& result, uint32_t declaredLength)
{
    std::string out(16, '\x5A');
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((declaredLength >> (8 * i)) & 0xFF);
    return out + result + std::string(3, '\0');
}

ColumnDef calculated(ColumnType type)
{
    ColumnDef c;
    c.name = "Berechnet";
    c.type = type;
    c.extFlags = db::jet::kColumnCalculated;
    return c;
}

Value decode(const ColumnDef& c, const std::string& bytes, bool present = true)
{
    static const std::string table = "T";
    const db::jet::ValueContext context{Format::jet4Format(), 1252,
                                        [](db::jet::ByteView) -> std::string {
                                            ADD_FAILURE() << "no long value expected";
                                            return {};
                                        },
                                        table};
    return db::jet::decodeValue(c, present,
                                db::jet::ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                                context);
}

std::string utf16(const std::string& ascii)
{
    std::string out;
    for (char ch : ascii)
        out += std::string{ch, '\0'};
    return out;
}

}  // namespace

TEST(AccdbCalculatedColumns, ReadTheStoredResultOrItsRawBytes)
{
    // Text (uncompressed UTF-16), a Long, a Double, a Yes/No.
    const Value text = decode(calculated(ColumnType::Text), wrapped(utf16("Duck, Donald"), 24));
    ASSERT_EQ(text.kind, Value::Kind::Text);
    EXPECT_EQ(text.bytes, "Duck, Donald");
    const Value number = decode(calculated(ColumnType::Long), wrapped(std::string("\x2A\x00\x00\x00", 4), 4));
    ASSERT_EQ(number.kind, Value::Kind::Integer);
    EXPECT_EQ(number.integer, 42);
    const Value yes = decode(calculated(ColumnType::Boolean), wrapped(std::string("\xFF", 1), 1));
    ASSERT_EQ(yes.kind, Value::Kind::Integer);
    EXPECT_EQ(yes.integer, 1);
    EXPECT_EQ(decode(calculated(ColumnType::Long), std::string(), false).kind, Value::Kind::Null);

    // Where the stored form is not the one we know, the bytes as they are: a length beyond
    // the bytes, a fixed-size result of the wrong size, a decimal (another inner layout),
    // bytes too short for the header.
    for (const auto& [type, bytes] : std::vector<std::pair<ColumnType, std::string>>{
             {ColumnType::Text, wrapped(utf16("abc"), 200)},
             {ColumnType::Long, wrapped(std::string("\x01\x02", 2), 2)},
             {ColumnType::Numeric, wrapped(std::string(20, '\x01'), 20)},
             {ColumnType::Double, std::string("\x01\x02\x03", 3)}}) {
        const Value raw = decode(calculated(type), bytes);
        EXPECT_EQ(raw.kind, Value::Kind::Blob) << static_cast<int>(type);
        EXPECT_EQ(raw.bytes, bytes) << static_cast<int>(type);
    }
}

TEST(AccdbEmptyValues, APresentValueWithoutBytesIsEmptyNotNull)
{
    ColumnDef binary;
    binary.name = "Bin";
    binary.type = ColumnType::Binary;
    const Value empty = decode(binary, std::string());
    EXPECT_EQ(empty.kind, Value::Kind::Blob);
    EXPECT_TRUE(empty.bytes.empty());

    // A row of ID (Long), A (text) and B (binary) whose table of variable columns ends
    // after A, although its null mask marks B present: B is an empty value.
    db::jet::TableDef def;
    def.maxColumns = 3;
    def.varColumns = 2;
    ColumnDef id;
    id.name = "ID";
    id.type = ColumnType::Long;
    id.length = 4;
    id.flags = db::jet::kColumnFixed;
    ColumnDef a;
    a.name = "A";
    a.number = 1;
    ColumnDef b = binary;
    b.number = 2;
    b.varIndex = 1;
    def.columns = {id, a, b};
    const std::string row("\x03\x00" "\x07\x00\x00\x00" "ab" "\x08\x00\x06\x00" "\x01\x00" "\x07", 15);
    std::vector<db::jet::FieldSpan> spans;
    db::jet::RowCodec(def, Format::jet4Format())
        .crack(db::jet::ByteView(reinterpret_cast<const uint8_t*>(row.data()), row.size()), spans);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_TRUE(spans[1].present);
    EXPECT_EQ(spans[1].offset, 6u);
    EXPECT_EQ(spans[1].length, 2u);
    EXPECT_TRUE(spans[2].present);
    EXPECT_EQ(spans[2].length, 0u);
}
