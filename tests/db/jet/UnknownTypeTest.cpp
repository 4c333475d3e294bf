// Columns of a type newer than the engine (Access writes such for features it added
// later): the table still reads, such a column gives its raw bytes as a BLOB, and its
// definition says it is of an unknown type so that nothing is written to it.
#include "JetTestSupport.h"

#include "db/jet/Database.h"
#include "db/jet/NewDatabaseFile.h"

using namespace jettest;
using db::jet::ColumnType;
using db::jet::Format;
using db::jet::Value;

namespace {

// Writes a Jet 4 file with one table and changes the type byte of its columns 1 and 2 in
// the table's definition: a fixed Long becomes 0x47, a variable Binary 0x46.
fs::path fileWithUnknownTypes(const TempDir& dir)
{
    const fs::path file = dir.path() / "neue-typen.mdb";
    {
        db::jet::NewDatabaseFile out({"", 0, 45000});
        const size_t t = out.addTable("Neu", {{"ID", ColumnType::Long, 0},
                                              {"Fest", ColumnType::Long, 0},
                                              {"Roh", ColumnType::Binary, 16},
                                              {"Name", ColumnType::Text, 20}});
        out.addRow(t, {Value::ofInteger(1), Value::ofInteger(0x01020304), Value::ofBlob(std::string("\x01\x02\xFF", 3)),
                       Value::ofText("Müller")});
        out.addRow(t, {Value::ofInteger(2), Value::null(), Value::null(), Value::ofText("Schmidt")});
        out.write(file.string());
    }
    uint32_t tdefPage = 0;
    {
        auto database = db::jet::Database::open(file.string(), "", db::jet::AccessMode::ReadShared);
        tdefPage = database->userTables().at(0).tableDefPage;
    }
    const Format& f = Format::jet4Format();
    std::string bytes = readFile(file);
    const size_t page = static_cast<size_t>(tdefPage) * f.pageSize;
    auto u16 = [&](size_t at) { return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8; };
    const int columnCount = u16(page + f.tdef.columnCount);
    const int realCount = u16(page + f.tdef.realIndexCount);  // 0 here: the writer makes no indexes
    size_t patched = 0;
    for (int i = 0; i < columnCount; ++i) {
        const size_t descriptor = page + f.tdef.body + static_cast<size_t>(realCount) * f.tdef.realIndexStatSize
                                  + static_cast<size_t>(i) * f.column.size;
        const int number = u16(descriptor + f.column.number);
        if (number == 1 || number == 2) {
            bytes[descriptor] = static_cast<char>(number == 1 ? 0x47 : 0x46);
            ++patched;
        }
    }
    EXPECT_EQ(patched, 2u);
    writeFile(file, bytes);
    return file;
}

}  // namespace

TEST(JetUnknownColumnTypes, ReadAsRawBytesBesideTheOtherColumns)
{
    TempDir dir;
    const fs::path file = fileWithUnknownTypes(dir);

    Connection c;
    c.attach(file);
    EXPECT_EQ(c.rows("SELECT type FROM pragma_table_info('Neu')"),
              (std::vector<std::vector<std::string>>{{"INTEGER"}, {"BLOB"}, {"BLOB"}, {"VARCHAR(20)"}}));
    EXPECT_EQ(c.rows("SELECT ID, typeof(Fest), hex(Fest), typeof(Roh), hex(Roh), Name FROM Neu ORDER BY ID"),
              (std::vector<std::vector<std::string>>{{"1", "blob", "04030201", "blob", "0102FF", "Müller"},
                                                     {"2", "null", "", "null", "", "Schmidt"}}));
    // Lookups on the known columns work as on any table.
    EXPECT_EQ(c.one("SELECT ID FROM Neu WHERE Name = 'SCHMIDT'"), "2");
}

TEST(JetUnknownColumnTypes, AreMarkedInTheColumnDefinition)
{
    TempDir dir;
    const fs::path file = fileWithUnknownTypes(dir);
    auto database = db::jet::Database::open(file.string(), "", db::jet::AccessMode::ReadShared);
    const auto& columns = database->table(database->userTables().at(0)).def().columns;
    ASSERT_EQ(columns.size(), 4u);
    std::vector<bool> unknown;
    for (const auto& col : columns)
        unknown.push_back(col.isUnknownType());
    EXPECT_EQ(unknown, (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(static_cast<int>(columns[1].type), 0x47);
    EXPECT_TRUE(columns[1].isFixed());
    EXPECT_EQ(static_cast<int>(columns[2].type), 0x46);
    EXPECT_FALSE(columns[2].isFixed());
}
