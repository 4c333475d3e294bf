// The column and table rules Access enforces on a write: Required, AllowZeroLength, the
// declared text length, validation rules and check constraints the engine cannot evaluate,
// and the defaults of an insert. Judges: the properties Access wrote into its own files
// (testV2000.mdb, fixedTextTestV2000.mdb) and files given such properties with our writer.
// Every refused statement leaves every byte of the file as it was.
#include "JetTestSupport.h"
#include "PropertyPatch.h"

#include "db/jet/Check.h"
#include "db/jet/ColumnRules.h"
#include "db/jet/Database.h"
#include "db/jet/InsertColumns.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Properties.h"

#include <cstdlib>

using namespace jettest;
using namespace db::jet;

namespace {

Property boolean(const std::string& name, bool value) { return {name, ColumnType::Boolean, value ? 1 : 0, {}, true}; }
// Access keeps expressions as Memo properties (DefaultValue in every Jet 4 fixture).
Property memo(const std::string& name, const std::string& text) { return {name, ColumnType::Memo, 0, text, true}; }

std::vector<std::string> errorsOf(const fs::path& file, const std::string& password = "")
{
    const auto db = Database::open(file.string(), password, AccessMode::ReadShared);
    return checkErrors(checkDatabase(*db));
}

// Runs each statement, expects it refused with a message holding `message`, and the file
// unchanged byte for byte.
void expectRefused(Connection& c, const fs::path& file,
                   const std::vector<std::pair<std::string, std::string>>& statements)
{
    const std::string before = readFile(file);
    for (const auto& [sql, message] : statements) {
        const std::string error = c.failure(sql);
        EXPECT_NE(error.find(message), std::string::npos) << sql << "\n  message: " << error;
        EXPECT_TRUE(readFile(file) == before) << sql;
    }
}

fs::path judge() { return fs::path(EDVARA_ACCESS_FIXTURES).parent_path().parent_path() / "judges/jackcess/judge"; }

}  // namespace

TEST(ColumnRulesDefaults, OnlyLiteralsWhoseValueIsCertainAreApplied)
{
    struct Case {
        ColumnType type;
        const char* text;
        std::optional<Value> expected;
    };
    const std::vector<Case> cases = {
        {ColumnType::Long, "0", Value::ofInteger(0)},  // what Access 2000 puts on every number column
        {ColumnType::Long, " -12 ", Value::ofInteger(-12)},
        {ColumnType::Integer, "+7", Value::ofInteger(7)},
        {ColumnType::Byte, "1.5", std::nullopt},  // Access would round; how is not certain
        {ColumnType::Long, "&H10", std::nullopt},
        {ColumnType::Long, "1e3", std::nullopt},
        {ColumnType::Long, "99999999999999999999", std::nullopt},
        {ColumnType::Long, "GenUniqueID()", std::nullopt},
        {ColumnType::Long, "", std::nullopt},
        {ColumnType::Double, "2.5", Value::ofReal(2.5)},
        {ColumnType::Currency, "-0.125", Value::ofReal(-0.125)},
        {ColumnType::Single, "1,5", std::nullopt},  // a decimal comma depends on the language
        {ColumnType::Double, ".5", std::nullopt},
        {ColumnType::Numeric, "+1.25", Value::ofText("1.25")},
        {ColumnType::Boolean, "Yes", Value::ofInteger(1)},
        {ColumnType::Boolean, "false", Value::ofInteger(0)},
        {ColumnType::Boolean, "-1", Value::ofInteger(1)},
        {ColumnType::Boolean, "Ja", std::nullopt},
        {ColumnType::Text, "\"5a\"", Value::ofText("5a")},
        {ColumnType::Text, "'O''Neill'", Value::ofText("O'Neill")},
        {ColumnType::Memo, "\"a\"\"b\"", Value::ofText("a\"b")},
        {ColumnType::Text, "\"\"", Value::ofText("")},
        {ColumnType::Text, "\"a\" & \"b\"", std::nullopt},
        {ColumnType::Text, "\"offen", std::nullopt},
        {ColumnType::Text, "abc", std::nullopt},
        {ColumnType::Text, "0", std::nullopt},
        {ColumnType::DateTime, "Date()", std::nullopt},
        {ColumnType::DateTime, "#2024-01-01#", std::nullopt},
        {ColumnType::Guid, "GenGUID()", std::nullopt},
    };
    for (const Case& k : cases) {
        ColumnDef c;
        c.name = "X";
        c.type = k.type;
        const std::optional<Value> got = literalDefault(c, k.text);
        ASSERT_EQ(got.has_value(), k.expected.has_value()) << k.text;
        if (!got)
            continue;
        EXPECT_EQ(static_cast<int>(got->kind), static_cast<int>(k.expected->kind)) << k.text;
        EXPECT_EQ(got->integer, k.expected->integer) << k.text;
        EXPECT_EQ(got->real, k.expected->real) << k.text;
        EXPECT_EQ(got->bytes, k.expected->bytes) << k.text;
    }
}

TEST(ColumnRulesDefaults, TheStatementsTextTellsALeftOutColumnFromANull)
{
    struct Case {
        const char* sql;
        std::optional<InsertColumns> expected;
    };
    const auto named = [](std::vector<std::string> names) { return InsertColumns{false, std::move(names)}; };
    const InsertColumns all{true, {}};
    const std::vector<Case> cases = {
        {"insert into K_Schule (ID,SchulNr,Name) values (1,'2','x')", named({"ID", "SchulNr", "Name"})},
        {"INSERT OR ABORT INTO main.\"k_schule\" ( [ID] , `Schul``Nr`, \"A\"\"B\" ) SELECT 1, 2, 3",
         named({"ID", "Schul`Nr", "A\"B"})},
        {"  -- vorweg\n/* auch */ REPLACE INTO K_Schule AS k (ID) WITH x AS (SELECT 1) SELECT * FROM x", named({"ID"})},
        {"insert into K_Schule values (1, 2)", all},
        {"insert into k_schule select * from alt", all},
        {"INSERT INTO K_Schule DEFAULT VALUES", named({})},
        {"INSERT INTO K_Schüler (ID) VALUES (1)", std::nullopt},  // another table
        {"WITH x AS (SELECT 1) INSERT INTO K_Schule (ID) SELECT * FROM x", std::nullopt},
        {"INSERT INTO K_Schule (ID, 'Name') VALUES (1, 2)", std::nullopt},
        {"INSERT INTO K_Schule (ID VALUES (1)", std::nullopt},
        {"INSERT INTO \"K_Schule (ID) VALUES (1)", std::nullopt},
        {"UPDATE K_Schule SET ID = 1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& k : cases) {
        const std::optional<InsertColumns> got = insertColumns(k.sql, "K_Schule");
        ASSERT_EQ(got.has_value(), k.expected.has_value()) << k.sql;
        if (got) {
            EXPECT_EQ(got->all, k.expected->all) << k.sql;
            EXPECT_EQ(got->names, k.expected->names) << k.sql;
        }
    }
}

TEST(ColumnRulesProperties, BlobsReadBackAndDamagedOnesAreCorruption)
{
    const std::vector<PropertyBlock> blocks = {
        {"", {memo("ValidationRule", "[Von] <= [Bis]")}},
        {"Name", {boolean("Required", true), boolean("AllowZeroLength", false), {"ColumnWidth", ColumnType::Long, -1, {}, false}}},
        {"Klasse", {memo("DefaultValue", "\"5a\""), {"Format", ColumnType::Text, 0, ">", true}}}};
    const std::vector<PropertyBlock> back = decodeProperties(encodeProperties(blocks), false, 1252);
    ASSERT_EQ(back.size(), blocks.size());
    for (size_t b = 0; b < blocks.size(); ++b) {
        EXPECT_EQ(back[b].column, blocks[b].column);
        ASSERT_EQ(back[b].properties.size(), blocks[b].properties.size());
        for (size_t p = 0; p < blocks[b].properties.size(); ++p) {
            const Property& x = back[b].properties[p];
            const Property& y = blocks[b].properties[p];
            EXPECT_EQ(x.name, y.name);
            EXPECT_EQ(x.type, y.type);
            EXPECT_EQ(x.number, y.number);
            EXPECT_EQ(x.text, y.text);
            EXPECT_EQ(x.ddl, y.ddl);
        }
    }
    EXPECT_TRUE(decodeProperties("", false, 1252).empty());

    const std::string good = encodeProperties(blocks);
    std::string badIndex = good;
    // After the names: the table's block [length: 4] [type: 2] [owner: 4 + 2 + 0], then its
    // first entry [length: 2] [DDL: 1] [type: 1] [name index: 2]; make that index one past the list.
    const size_t names = 4 + static_cast<uint8_t>(good[4]) + 256 * static_cast<uint8_t>(good[5]);
    badIndex[names + 12 + 4] = 9;
    for (const std::string& bad : {std::string("KKX\0\0\0", 6), good.substr(0, good.size() - 3), badIndex,
                                   std::string("MR2\0\x03\0\0\0\0\0", 10)}) {
        EXPECT_THROW(decodeProperties(bad, false, 1252), CorruptError);
    }
}

TEST(ColumnRulesFixtures, EveryFixturesPropertiesReadAsMdbPropReadsThem)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    // The columns mdbtools' mdb-prop shows with Required yes, AllowZeroLength no or a
    // DefaultValue; in every other column and table of the fixtures the properties rule nothing.
    struct Ruled {
        const char* file;
        const char* table;
        const char* column;
        bool required;
        bool noZeroLength;
        const char* defaultValue;
    };
    std::vector<Ruled> expected = {
        {"bigIndexTestV2000.mdb", "Table1", "col1", false, true, ""},
        {"bigIndexTestV2000.mdb", "Table1", "col2", false, true, ""},
        {"compIndexTestV2000.mdb", "Table1", "CD_AGENTE", false, false, "0"},
        {"delColTestV2000.mdb", "Table1", "id", false, false, "0"},
        {"delColTestV2000.mdb", "Table1", "id2", false, false, "0"},
        {"encryptedV2000.mdb", "Table1", "col1", false, true, ""},
        {"encryptedV2000.mdb", "Table1", "col2", false, false, "0"},
        {"indexTestV2000.mdb", "Table2", "id", false, false, "0"},
        {"indexTestV2000.mdb", "Table3", "id", false, false, "0"},
    };
    for (const char* c : {"id", "otherfk1", "otherfk2", "otherfk3"})
        expected.push_back({"indexTestV2000.mdb", "Table1", c, false, false, "0"});
    for (const char* c : {"i_user_id", "c_user_login", "c_user_pwd", "c_user_session", "c_user_name", "i_user_flags",
                          "i_user_type", "i_user_merch", "c_flag_", "d_stamp_"})
        expected.push_back({"fixedTextTestV2000.mdb", "users", c, true, false, ""});
    std::vector<std::string> sameTables = {"testV2000.mdb", "testV1997.mdb"};
    if (fs::exists(fixture("testRefGlobalV2000.mdb")))
        sameTables.push_back("testRefGlobalV2000.mdb");
    for (const std::string& f : sameTables) {
        for (const char* c : {"A", "B"})
            expected.push_back({f.c_str(), "Table1", c, false, true, ""});
        for (const char* c : {"C", "D", "E", "F", "H"})
            expected.push_back({f.c_str(), "Table1", c, false, false, "0"});
        expected.push_back({f.c_str(), "Table3", "b", false, true, ""});
        expected.push_back({f.c_str(), "Table4", "name", false, true, ""});
        expected.push_back({f.c_str(), "Table4", "data", false, false, "GenGUID()"});
    }
    size_t seen = 0;
    for (const std::string& name : fixtureNames()) {
        if (name.find(".accdb") != std::string::npos)
            continue;
        const auto db = Database::open(fixture(name).string(), passwordOf(name), AccessMode::ReadShared);
        for (const CatalogEntry& e : db->userTables()) {
            EXPECT_EQ(e.rules.unreadableBecause(), "") << name << " " << e.name;
            size_t ruled = 0;
            for (const Ruled& r : expected) {
                if (name != r.file || e.name != r.table)
                    continue;
                ++ruled;
                ++seen;
                const ColumnRules::Column* c = e.rules.column(r.column);
                ASSERT_NE(c, nullptr) << name << " " << r.table << "." << r.column;
                EXPECT_EQ(c->required, r.required) << name << " " << r.table << "." << r.column;
                EXPECT_EQ(c->noZeroLength, r.noZeroLength) << name << " " << r.table << "." << r.column;
                EXPECT_EQ(c->defaultValue, r.defaultValue) << name << " " << r.table << "." << r.column;
                EXPECT_EQ(c->validationRule, "") << name << " " << r.table << "." << r.column;
            }
            EXPECT_EQ(e.rules.ruledColumns(), ruled) << name << " " << e.name;
        }
    }
    EXPECT_EQ(seen, expected.size());
}

TEST(ColumnRulesFixtures, TheRulesAccessWroteIntoItsOwnFilesHold)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    // testV2000.mdb: Table1's texts A and B forbid "" (AllowZeroLength No), its numbers C to
    // H have the default 0 that Access 2000 gives every number column, Table4.data the
    // default GenGUID(); fixedTextTestV2000.mdb: every column of "users" is required.
    const fs::path file = dir.copy("testV2000.mdb");
    const fs::path required = dir.copy("fixedTextTestV2000.mdb");
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        expectRefused(c, file,
                      {{"INSERT INTO Table1 (A, B) VALUES ('', 'b')",
                        "Das Feld \"A\" der Tabelle \"Table1\" darf keine leere Zeichenfolge enthalten"},
                       {"UPDATE Table1 SET B = ''", "Das Feld \"B\" der Tabelle \"Table1\" darf keine leere Zeichenfolge"},
                       {"INSERT INTO Table4 (name) VALUES ('n')",
                        "Das Feld \"data\" der Tabelle \"Table4\" hat den Standardwert \"GenGUID()\", den dieses "
                        "Programm nicht berechnen kann"}});
        // Left out, the numbers take their default; the date and the Yes/No have none.
        ASSERT_EQ(c.failure("INSERT INTO Table1 (A, B) VALUES ('neu', 'b')"), "");
        EXPECT_EQ(c.rows("SELECT C, D, E, F, G, H, I FROM Table1 WHERE A = 'neu'"),
                  (std::vector<std::vector<std::string>>{{"0", "0", "0", "0.0", "<NULL>", "0.0", "0"}}));
        ASSERT_EQ(c.failure("INSERT INTO Table1 (A, B, C, E) VALUES ('neu2', 'b', 9, 10)"), "");
        EXPECT_EQ(c.one("SELECT C || ',' || D || ',' || E FROM Table1 WHERE A = 'neu2'"), "9,0,10");
        // Named with NULL, a column stays NULL, as in Access; every column is named without a list.
        ASSERT_EQ(c.failure("INSERT INTO Table1 (A, B, C) VALUES ('neu3', 'b', NULL)"), "");
        EXPECT_EQ(c.one("SELECT coalesce(C, 'NULL') || ',' || D FROM Table1 WHERE A = 'neu3'"), "NULL,0");
        ASSERT_EQ(c.failure("INSERT INTO Table1 VALUES ('neu4', 'b', NULL, NULL, NULL, NULL, NULL, NULL, 1)"), "");
        EXPECT_EQ(c.one("SELECT count(*) FROM Table1 WHERE A = 'neu4' AND D IS NULL AND H IS NULL"), "1");
        // A statement whose text does not tell is refused where it matters, and only there.
        expectRefused(c, file,
                      {{"WITH x AS (SELECT 'w' AS a) INSERT INTO Table1 (A, B) SELECT a, 'b' FROM x",
                        "Das Feld \"C\" der Tabelle \"Table1\" hat den Standardwert \"0\", und ob die Anweisung das "
                        "Feld auslässt"}});
        ASSERT_EQ(c.failure("WITH x AS (SELECT 'w' AS a) INSERT INTO Table1 SELECT a, 'b', 1, 2, 3, 4, NULL, 5, 0 FROM x"),
                  "");
    }
    EXPECT_EQ(errorsOf(file), std::vector<std::string>{});
    {
        Connection c;
        c.attach(required, "", AccessMode::ReadWriteExclusive);
        expectRefused(c, required,
                      {{"UPDATE users SET i_user_flags = NULL",
                        "Das Feld \"i_user_flags\" der Tabelle \"users\" muss einen Wert haben (Eingabe erforderlich)."}});
        // The required columns are NOT NULL for SQL too.
        EXPECT_EQ(c.one("SELECT \"notnull\" FROM pragma_table_info('users') WHERE name = 'i_user_flags'"), "1");
    }
}

TEST(ColumnRulesWrites, EveryRuleRefusesWhatAccessWouldAndTheRestIsWritten)
{
    TempDir dir;
    const fs::path file = dir.path() / "regeln.mdb";
    {
        NewDatabaseFile out({"", 0, 45000});
        out.addTable("Schueler", {{"ID", ColumnType::Long, 0, true}, {"Name", ColumnType::Text, 20},
                                  {"Vorname", ColumnType::Text, 20}, {"Notiz", ColumnType::Memo, 0},
                                  {"Klasse", ColumnType::Text, 5}, {"Jahr", ColumnType::Integer, 0},
                                  {"Aktiv", ColumnType::Boolean, 0}, {"Erfasst", ColumnType::DateTime, 0},
                                  {"Bild", ColumnType::Ole, 0}});
        const size_t noten = out.addTable("Noten", {{"ID", ColumnType::Long, 0}, {"Fach", ColumnType::Text, 20},
                                                    {"Note", ColumnType::Double, 0}});
        out.addRow(noten, {Value::ofInteger(1), Value::ofText("Kunst"), Value::ofReal(2)});
        const size_t regel = out.addTable("Regel", {{"ID", ColumnType::Long, 0}, {"Von", ColumnType::Long, 0},
                                                    {"Bis", ColumnType::Long, 0}});
        out.addRow(regel, {Value::ofInteger(1), Value::ofInteger(1), Value::ofInteger(5)});
        out.addRow(regel, {Value::ofInteger(2), Value::ofInteger(2), Value::ofInteger(6)});
        const size_t check = out.addTable("Pruefung", {{"ID", ColumnType::Long, 0}, {"Wert", ColumnType::Long, 0}});
        out.addRow(check, {Value::ofInteger(1), Value::ofInteger(3)});
        const size_t broken = out.addTable("Kaputt", {{"ID", ColumnType::Long, 0}});
        out.addRow(broken, {Value::ofInteger(1)});
        out.write(file.string());
    }
    setTableProperties(file.string(), "", "Schueler",
                       encodeProperties({{"ID", {memo("DefaultValue", "0")}},  // no default applies to an autonumber
                                         {"Name", {boolean("Required", true), boolean("AllowZeroLength", false)}},
                                         {"Vorname", {boolean("AllowZeroLength", true)}},
                                         {"Notiz", {boolean("AllowZeroLength", false)}},
                                         {"KLASSE", {memo("DefaultValue", "\"5a\"")}},  // names compare as Access's do
                                         {"Jahr", {memo("DefaultValue", "2024")}},
                                         {"Aktiv", {memo("DefaultValue", "Yes")}},
                                         {"Erfasst", {memo("DefaultValue", "Date()")}},
                                         {"Bild", {memo("DefaultValue", "\"x\"")}}}));  // nor to an OLE object
    setTableProperties(file.string(), "", "Noten",
                       encodeProperties({{"Note", {memo("ValidationRule", "Between 1 And 6"),
                                                   memo("ValidationText", "Noten gehen von 1 bis 6.")}}}));
    setTableProperties(file.string(), "", "Regel", encodeProperties({{"", {memo("ValidationRule", "[Von] <= [Bis]")}}}));
    setTableProperties(file.string(), "", "Pruefung",
                       encodeProperties({{"", {memo("CheckConstraints", std::string("Positiv\0[Wert] > 0\0\0", 20))}}}));
    setTableProperties(file.string(), "", "Kaputt", std::string("MR2\0\x07\0\0\0\x80\0", 10));

    {
    Connection c;
    c.attach(file, "", AccessMode::ReadWriteExclusive);
    expectRefused(
        c, file,
        {{"INSERT INTO Schueler (Vorname, Erfasst) VALUES ('Ada', '2024-05-01')",
          "Das Feld \"Name\" der Tabelle \"Schueler\" muss einen Wert haben (Eingabe erforderlich)."},
         {"INSERT INTO Schueler (Name, Erfasst) VALUES ('', '2024-05-01')",
          "Das Feld \"Name\" der Tabelle \"Schueler\" darf keine leere Zeichenfolge enthalten"},
         {"INSERT INTO Schueler (Name, Erfasst, Klasse) VALUES ('Ada', '2024-05-01', 'zu lang')",
          "Tabelle Schueler, Spalte Klasse: der Text ist länger als 5 Zeichen."},
         {"INSERT INTO Schueler (Name) VALUES ('Ada')",
          "Das Feld \"Erfasst\" der Tabelle \"Schueler\" hat den Standardwert \"Date()\", den dieses Programm nicht "
          "berechnen kann; eine neue Zeile braucht hier einen Wert."},
         {"INSERT INTO Noten VALUES (2, 'Musik', 1)",
          "Das Feld \"Note\" der Tabelle \"Noten\" hat die Gültigkeitsregel \"Between 1 And 6\", die dieses Programm "
          "nicht prüfen kann; die neue Zeile wird nicht geschrieben"},
         {"UPDATE Noten SET Note = 7", "Das Feld \"Note\" der Tabelle \"Noten\" hat die Gültigkeitsregel"},
         {"INSERT INTO Regel VALUES (3, 1, 2)",
          "Die Tabelle \"Regel\" hat die Gültigkeitsregel \"[Von] <= [Bis]\", die dieses Programm nicht prüfen kann; "
          "die neue Zeile wird nicht geschrieben"},
         {"UPDATE Regel SET Bis = 0 WHERE ID = 2", "die Änderung des Feldes \"Bis\" wird nicht geschrieben"},
         {"INSERT INTO Pruefung VALUES (2, 5)", "Die Tabelle \"Pruefung\" hat die Einschränkung \"Positiv\" ([Wert] > 0)"},
         {"UPDATE Pruefung SET Wert = 4", "die Änderung des Feldes \"Wert\" wird nicht geschrieben"},
         {"INSERT INTO Kaputt VALUES (2)", "Die Tabelle \"Kaputt\" kann nicht geändert werden: Ihre Eigenschaften"},
         {"UPDATE Kaputt SET ID = 3", "sind nicht lesbar"}});

    // What the rules allow is written, with Access's defaults where the insert names no value.
    for (const std::string sql : {"INSERT INTO Schueler (Name, Erfasst) VALUES ('Ada', '2024-05-01')",
                                  "INSERT INTO Schueler (Name, Vorname, Klasse, Jahr, Aktiv, Erfasst) VALUES "
                                  "('Bo', '', '6b', 2023, 0, '2024-05-02')",
                                  "UPDATE Schueler SET Notiz = 'kommt mittwochs' WHERE Name = 'Ada'",
                                  "UPDATE Noten SET Fach = 'Musik'",  // the rule is Note's, which stays
                                  "UPDATE Noten SET Note = Note",     // nothing changes: nothing to check
                                  "UPDATE Regel SET Von = Von", "DELETE FROM Regel WHERE ID = 1",
                                  "DELETE FROM Pruefung", "DELETE FROM Kaputt"})
        EXPECT_EQ(c.failure(sql), "") << sql;
    EXPECT_EQ(c.rows("SELECT ID, Name, Vorname, Klasse, Jahr, Aktiv, Bild, Notiz FROM Schueler ORDER BY ID"),
              (std::vector<std::vector<std::string>>{{"1", "Ada", "<NULL>", "5a", "2024", "1", "<NULL>", "kommt mittwochs"},
                                                     {"2", "Bo", "", "6b", "2023", "0", "<NULL>", "<NULL>"}}));
    EXPECT_EQ(c.one("SELECT Fach || ' ' || Note FROM Noten"), "Musik 2.0");
    EXPECT_EQ(c.one("SELECT count(*) FROM Regel"), "1");
    expectRefused(c, file, {{"UPDATE Schueler SET Notiz = '' WHERE Name = 'Ada'",
                             "Das Feld \"Notiz\" der Tabelle \"Schueler\" darf keine leere Zeichenfolge enthalten"},
                            {"UPDATE Schueler SET Name = NULL WHERE Name = 'Bo'", "muss einen Wert haben"}});
    }
    EXPECT_EQ(errorsOf(file), std::vector<std::string>{});
}

TEST(ColumnRulesWrites, ACascadeThatWouldEmptyARequiredReferenceIsRefusedWhole)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    if (!fs::exists(judge()))
        GTEST_SKIP() << "Der Jackcess-Prüfer fehlt (" << judge() << ").";
    // A relationship that sets the references of a deleted parent to NULL, made by a
    // second writer; the child's reference is required.
    TempDir dir;
    writeFile(dir.path() / "schema.json",
              R"({"tables": [{"name": "Eltern", "columns": [{"name": "ID", "type": "LONG"}],
                              "indexes": [{"name": "PrimaryKey", "columns": ["ID"], "primary": true}]},
                             {"name": "Kind", "columns": [{"name": "ID", "type": "LONG"}, {"name": "EID", "type": "LONG"}],
                              "indexes": [{"name": "PrimaryKey", "columns": ["ID"], "primary": true},
                                          {"name": "EID", "columns": ["EID"]}]}],
                  "relationships": [{"name": "ElternKind", "from": "Eltern", "to": "Kind", "fromColumns": ["ID"],
                                     "toColumns": ["EID"], "enforce": true, "cascadeNull": true}]})");
    writeFile(dir.path() / "data.json",
              R"({"Eltern": [{"ID": 1}, {"ID": 2}], "Kind": [{"ID": 10, "EID": 1}, {"ID": 11, "EID": 2}]})");
    const fs::path file = dir.path() / "kaskade.mdb";
    const std::string create = judge().string() + " create " + file.string() + " " + (dir.path() / "schema.json").string()
                               + " " + (dir.path() / "data.json").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(create.c_str()), 0) << create;
    const fs::path plain = dir.path() / "ohne-regel.mdb";
    fs::copy_file(file, plain);
    setTableProperties(file.string(), "", "Kind", encodeProperties({{"EID", {boolean("Required", true)}}}));
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        expectRefused(c, file, {{"DELETE FROM Eltern WHERE ID = 1",
                                 "Das Feld \"EID\" der Tabelle \"Kind\" muss einen Wert haben (Eingabe erforderlich)."}});
        EXPECT_EQ(c.one("SELECT count(*) FROM Eltern"), "2");
    }
    {
        Connection c;
        c.attach(plain, "", AccessMode::ReadWriteExclusive);
        ASSERT_EQ(c.failure("DELETE FROM Eltern WHERE ID = 1"), "");
        EXPECT_EQ(c.one("SELECT coalesce(EID, 'NULL') FROM Kind WHERE ID = 10"), "NULL");
    }
    EXPECT_EQ(errorsOf(plain), std::vector<std::string>{});
}
