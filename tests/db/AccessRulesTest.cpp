// Access's column rules on the paths the stages write an Access target by: Execute with
// an insert that leaves columns out (the school directory's, the teacher placeholder's)
// and the cursor's Post. A refused write leaves the file as it was.
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "db/DbError.h"
#include "db/RecordCursor.h"
#include "db/TargetPassword.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Properties.h"
#include "tests/db/jet/PropertyPatch.h"
#include "tests/support/TestDatabase.h"

#include <QFile>

using namespace db;
using testsupport::TempFolder;

namespace {

template <typename F>
QString errorOf(F&& f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}

}  // namespace

TEST(AccessRules, InsertsTakeAccessDefaultsAndPostKeepsTheRules)
{
    TempFolder dir;
    const QString path = dir.path(QStringLiteral("Edvara.mdb"));
    const std::string file = QFile::encodeName(path).toStdString();
    {
        jet::NewDatabaseFile out({kTargetPassword, 0, 45000});
        const size_t t = out.addTable("K_Lehrer", {{"ID", jet::ColumnType::Long, 0}, {"Kuerzel", jet::ColumnType::Text, 10, false, true},
                                                   {"Nachname", jet::ColumnType::Text, 30}, {"Sortierung", jet::ColumnType::Integer, 0},
                                                   {"Ort", jet::ColumnType::Text, 30}});
        out.addRow(t, {jet::Value::ofInteger(1), jet::Value::ofText("AB"), jet::Value::ofText("Adler"),
                       jet::Value::ofInteger(3), jet::Value::ofText("Köln")});
        out.write(file);
    }
    const auto required = [](const char* column) {
        return jet::PropertyBlock{column, {{"Required", jet::ColumnType::Boolean, 1, {}, true}}};
    };
    jettest::setTableProperties(
        file, kTargetPassword, "K_Lehrer",
        jet::encodeProperties({required("Kuerzel"),
                               {"Nachname", {{"AllowZeroLength", jet::ColumnType::Boolean, 0, {}, true}}},
                               {"Sortierung", {{"DefaultValue", jet::ColumnType::Memo, 0, "0", true}}},
                               {"Ort", {{"DefaultValue", jet::ColumnType::Memo, 0, "\"Bonn\"", true}}}}));
    const QByteArray before = testsupport::fileBytes(path);
    {
        DbConnection con;
        con.SetConnectionString(TargetConnectionString(path));
        RecordCursor cursor(&con, QStringLiteral("qryL"));
        cursor.SetCommandText(QStringLiteral("select * from K_Lehrer"));
        cursor.Open();
        cursor.Edit();
        cursor.FieldByName(QStringLiteral("Kuerzel")).SetNull();
        EXPECT_EQ(errorOf([&] { cursor.Post(); }).toStdString(),
                  "Das Feld \"Kuerzel\" der Tabelle \"K_Lehrer\" muss einen Wert haben (Eingabe erforderlich).");
        cursor.Cancel();
        cursor.Edit();
        cursor.FieldByName(QStringLiteral("Nachname")).SetText(QString());
        EXPECT_EQ(errorOf([&] { cursor.Post(); }).toStdString(),
                  "Das Feld \"Nachname\" der Tabelle \"K_Lehrer\" darf keine leere Zeichenfolge enthalten (Eigenschaft "
                  "\"Leere Zeichenfolge\": Nein).");
        cursor.Cancel();
        cursor.Close();
        EXPECT_NE(errorOf([&] { con.Execute(QStringLiteral("insert into K_Lehrer (ID, Nachname) values (2, 'Berg')")); }),
                  QString());
        EXPECT_EQ(testsupport::fileBytes(path), before);

        // The placeholder's insert leaves Sortierung and Ort out: Access gives them their defaults.
        con.Execute(QStringLiteral("insert into K_Lehrer (ID, Kuerzel, Nachname) values (2, 'XXXX', 'Platzhalter')"));
        con.Execute(QStringLiteral("insert into K_Lehrer (ID, Kuerzel, Sortierung, Ort) values (3, 'CD', NULL, 'Jena')"));
        const QueryResult r = con.Execute(
            QStringLiteral("select group_concat(coalesce(Sortierung, '-') || ' ' || Ort, ', ') from K_Lehrer where ID > 1"));
        EXPECT_EQ(std::get<QString>(r.Column(0)).toStdString(), "0 Bonn, - Jena");
    }
}
