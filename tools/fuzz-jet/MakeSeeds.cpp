// Writes small Access files into a folder as further seeds for the fuzz target: what the
// real fixtures lack or hold only once: long values in all three forms, every column type
// with NULLs, a definition over several pages, RC4-encoded pages, and data pages filled to
// the brim, so that a row that grows must leave its page.
#include "db/jet/JetError.h"
#include "db/jet/NewDatabaseFile.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace db::jet;

namespace {

void write(const std::string& folder, const std::string& name, NewFileOptions options, bool wide)
{
    NewDatabaseFile out(std::move(options));
    const size_t t = out.addTable("Werte", {{"ID", ColumnType::Long, 0},
                                            {"Ja", ColumnType::Boolean, 0},
                                            {"Name", ColumnType::Text, 50},
                                            {"Betrag", ColumnType::Currency, 0},
                                            {"Tag", ColumnType::DateTime, 0},
                                            {"Notiz", ColumnType::Memo, 0},
                                            {"Bild", ColumnType::Ole, 0},
                                            {"Kurz", ColumnType::Binary, 8}});
    for (int i = 0; i < 40; ++i) {
        const std::string note(static_cast<size_t>(i % 4 == 3 ? 9000 : i % 4 == 2 ? 700 : 20), 'a' + i % 26);
        out.addRow(t, {Value::ofInteger(i), Value::ofInteger(i % 2), i % 5 ? Value::ofText("Zeile " + std::to_string(i)) : Value::null(),
                       Value::ofReal(i * 1.25), Value::ofReal(40000 + i), Value::ofText(note),
                       i % 3 ? Value::null() : Value::ofBlob(std::string(static_cast<size_t>(100 * i), '\x7F')),
                       Value::ofBlob("\x01\x02")});
    }
    if (wide) {
        std::vector<NewColumn> columns;
        std::vector<Value> row;
        for (int i = 0; i < 120; ++i) {
            columns.push_back({"Spalte mit einem langen Namen " + std::to_string(i), ColumnType::Text, 20});
            row.push_back(Value::ofText(std::to_string(i)));
        }
        const size_t w = out.addTable("Breit", columns);
        out.addRow(w, row);
    }
    out.write(folder + "/" + name);
}

// Hundreds of short rows without indexes: the data pages are full, and the target's
// changes (a text grown to 255 UTF-16 characters, a 5,000-character memo) all succeed.
void writeDense(const std::string& folder, const std::string& name)
{
    NewDatabaseFile out({"", 0, 45000.5});
    const size_t t = out.addTable("Dicht", {{"ID", ColumnType::Long, 0},
                                            {"Name", ColumnType::Text, 255},
                                            {"Notiz", ColumnType::Memo, 0},
                                            {"Bild", ColumnType::Ole, 0}});
    for (int i = 0; i < 400; ++i)
        out.addRow(t, {Value::ofInteger(i), Value::ofText("Zeile " + std::to_string(i)),
                       Value::ofText(std::string(static_cast<size_t>(10 + i % 50), 'n')), Value::null()});
    out.write(folder + "/" + name);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: fuzz-jet-seeds ORDNER\n");
        return 2;
    }
    const std::string folder = argv[1];
    try {
        std::remove((folder + "/seed-plain.mdb").c_str());
        std::remove((folder + "/seed-encoded.mdb").c_str());
        std::remove((folder + "/seed-dense.mdb").c_str());
        write(folder, "seed-plain.mdb", {"", 0, 45000.5}, true);
        write(folder, "seed-encoded.mdb", {"", 0x5EED5EED, 45000.5}, false);
        writeDense(folder, "seed-dense.mdb");
    } catch (const JetError& e) {
        std::fprintf(stderr, "fuzz-jet-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
