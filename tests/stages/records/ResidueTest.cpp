// The search for originals a run leaves behind: whole words only, without regard to letter
// case, per table and column with the number of rows; columns the run rewrote are passed
// over; the search never changes the file; the CSV and the box text say what was found.
#include "db/DbConnection.h"
#include "stages/Residue.h"
#include "tests/support/TestDatabase.h"
#include "util/Error.h"

#include <gtest/gtest.h>

namespace {

app::OriginalValues originals(const QStringList& values)
{
    app::OriginalValues o;
    for (const QString& v : values)
        o.record(v);
    return o;
}

}  // namespace

TEST(ResidueSearch, FindsWholeWordsIgnoringCaseAndNothingInsideLongerWords)
{
    const app::OriginalValues o = originals({QStringLiteral("Müller"), QStringLiteral("Roxeler Straße 9"),
                                             QStringLiteral(" anna@example.org "), QStringLiteral("X")});
    EXPECT_TRUE(o.foundIn(QStringLiteral("bei MÜLLER, Anna")));
    EXPECT_TRUE(o.foundIn(QStringLiteral("müller")));
    EXPECT_FALSE(o.foundIn(QStringLiteral("Müllerstraße 3")));
    EXPECT_FALSE(o.foundIn(QStringLiteral("Obermüller")));
    EXPECT_TRUE(o.foundIn(QStringLiteral("wohnt Roxeler straße 9.")));
    EXPECT_FALSE(o.foundIn(QStringLiteral("Roxeler Straße 95")));
    EXPECT_FALSE(o.foundIn(QStringLiteral("Roxeler Straße")));
    EXPECT_TRUE(o.foundIn(QStringLiteral("Mail: Anna@Example.org")));  // stored trimmed
    // A one-letter value would be found in every other cell: it is not searched.
    EXPECT_FALSE(o.foundIn(QStringLiteral("Klasse X")));

    app::OriginalValues dates;
    dates.recordDate(45000);  // 15.03.2023
    EXPECT_TRUE(dates.foundIn(QStringLiteral("geboren am 15.03.2023 in Köln")));
    EXPECT_FALSE(dates.foundIn(QStringLiteral("115.03.2023")));
}

TEST(ResidueSearch, ThousandsOfOriginalsSharingTheirFirstWordAreEachFoundOnceAndTheLongestWins)
{
    // Telephone numbers share their first word; each is kept once, however often recorded.
    app::OriginalValues o;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 3000; ++i)
            o.record(QStringLiteral("0201 %1").arg(100000 + i), app::ValueKind::Phone);
    o.record(QStringLiteral("Anna"), app::ValueKind::FirstName);
    o.record(QStringLiteral("Anna Maria"), app::ValueKind::FirstName);
    o.record(QStringLiteral("ANNA"), app::ValueKind::Surname);  // another original, the same candidate
    const QStringList texts = o.texts();
    EXPECT_EQ(texts.size(), 3003);
    EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()).size(), 3003);
    for (int i = 0; i < 3000; i += 7)
        EXPECT_TRUE(o.foundIn(QStringLiteral("Tel. 0201 %1 (privat)").arg(100000 + i))) << i;
    EXPECT_FALSE(o.foundIn(QStringLiteral("0201 103000")));
    EXPECT_FALSE(o.foundIn(QStringLiteral("0201")));
    const std::vector<app::OriginalValues::Match> m = o.matchesIn(QStringLiteral("anna maria und Anna, 0201 100001"));
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].from, 0);
    EXPECT_EQ(m[0].length, 10);  // "Anna Maria", not "Anna"
    EXPECT_EQ(m[1].from, 15);
    EXPECT_EQ(m[1].length, 4);
    EXPECT_EQ(m[1].kind, app::ValueKind::FirstName);  // the kind it was first kept as
    EXPECT_EQ(m[2].kind, app::ValueKind::Phone);
    // The texts fill several blocks of the store; a text longer than a block keeps one
    // of its own, and the text after it starts the next.
    QString remark;
    for (int i = 0; remark.size() < 70000; ++i)
        remark += QStringLiteral("Bemerkung%1 ").arg(i);
    o.record(remark);
    o.record(QStringLiteral("Zeynep"), app::ValueKind::FirstName);
    EXPECT_TRUE(o.foundIn(QStringLiteral("zu ") + remark.trimmed() + QStringLiteral(".")));
    EXPECT_FALSE(o.foundIn(remark.left(60000)));
    EXPECT_TRUE(o.foundIn(QStringLiteral("Zeynep und 0201 102999")));
    EXPECT_EQ(o.texts().size(), 3005);
    EXPECT_EQ(o.texts()[3003], remark.trimmed());
    EXPECT_EQ(o.texts()[3004], QStringLiteral("Zeynep"));
    o.clear();
    EXPECT_TRUE(o.isEmpty());
    EXPECT_FALSE(o.foundIn(QStringLiteral("Anna")));
}

TEST(ResidueSearch, NamesBeyondLatin1AreKeptBesideLatin1NamesAndFoundAlike)
{
    // Latin-1 texts are kept a byte a character, others in two: texts of both kinds and of
    // odd lengths, one after the other, across more than one block.
    const QStringList names = {QStringLiteral("Gülşen Yılmaz"), QStringLiteral("Abé"),
                               QStringLiteral("Małgorzata Wójcik"), QStringLiteral("Nguyễn"),
                               QStringLiteral("Łukasz"), QStringLiteral("Øystein Ærø")};
    app::OriginalValues o;
    QStringList recorded;
    for (int i = 0; i < 4000; ++i) {
        const QString v = names[i % names.size()] + QStringLiteral(" %1").arg(i);
        o.record(v, app::ValueKind::FullName);
        recorded.append(v);
    }
    EXPECT_EQ(o.texts(), recorded);
    for (int i = 0; i < 4000; i += 13) {
        const QString v = recorded[i];
        EXPECT_TRUE(o.foundIn(QStringLiteral("bei ") + v.toLower() + QStringLiteral(", Zimmer 2"))) << i;
        EXPECT_FALSE(o.foundIn(v + QStringLiteral("b"))) << i;
    }
    // A name beyond Latin-1 and one within share their first word.
    o.record(QStringLiteral("Şahin"), app::ValueKind::Surname);
    o.record(QStringLiteral("şahin Ali"), app::ValueKind::FullName);
    const std::vector<app::OriginalValues::Match> m = o.matchesIn(QStringLiteral("Şahin ali, Abé 1"));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].length, 9);
    EXPECT_EQ(m[1].from, 11);
    EXPECT_EQ(o.texts().size(), 4002);
}

TEST(ResidueSearch, CountsRowsPerColumnPassesOverRewrittenColumnsAndChangesNothing)
{
    testsupport::TempFolder dir;
    const QString path = dir.path(QStringLiteral("t.sqlite"));
    testsupport::runSql(path, QStringLiteral(
        "CREATE TABLE Erz (ID INTEGER PRIMARY KEY, Name1 TEXT, Vorname2 TEXT, Jahr INTEGER);"
        "INSERT INTO Erz VALUES (1, 'Neu', 'Hannelore', 2020), (2, 'Neu', 'hannelore Maria', 2021),"
        "  (3, 'Neu', 'Hannelores', 2022), (4, 'Hannelore', NULL, 2023);"
        "CREATE TABLE Bemerkung (ID INTEGER PRIMARY KEY, Text TEXT);"
        "INSERT INTO Bemerkung VALUES (1, 'Rücksprache mit Frau KOWALSKI'), (2, 'keine');"
        "CREATE TABLE Schule (ID INTEGER PRIMARY KEY, Name TEXT);"
        "INSERT INTO Schule VALUES (1, 'Kowalski-Schule');"));
    app::OriginalValues o;
    o.replaced(QStringLiteral("Erz"), QStringLiteral("Name1"), QStringLiteral("Hannelore"));
    o.record(QStringLiteral("Kowalski"));
    o.rewroteTable(QStringLiteral("schule"));
    const QByteArray before = testsupport::fileBytes(path);

    db::DbConnection con;
    con.SetConnectionString(QStringLiteral("Data Source=") + path);
    int pauses = 0;
    const std::vector<app::ResidueEntry> found = app::findResidue(con, o, [&] { ++pauses; });
    con.SetConnected(false);

    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].table, QStringLiteral("Erz"));
    EXPECT_EQ(found[0].column, QStringLiteral("Vorname2"));
    EXPECT_EQ(found[0].rows, 2);  // not "Hannelores", and Name1 is the run's own
    EXPECT_EQ(found[1].table, QStringLiteral("Bemerkung"));
    EXPECT_EQ(found[1].column, QStringLiteral("Text"));
    EXPECT_EQ(found[1].rows, 1);
    EXPECT_EQ(pauses, 3);
    EXPECT_EQ(testsupport::fileBytes(path), before);

    const QString box = app::residueReportText(found);
    EXPECT_TRUE(box.contains(QStringLiteral("Erz.Vorname2: 2 Datensätze"))) << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("Bemerkung.Text: 1 Datensatz"))) << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("Weitere_SQL_Befehle.txt"))) << box.toStdString();
    EXPECT_EQ(app::residueReportText({}), QString());

    const QString csv = dir.path(QStringLiteral("rest.csv"));
    app::writeResidueCsv(csv, found);
    EXPECT_EQ(QString::fromUtf8(testsupport::fileBytes(csv)),
              QStringLiteral("Tabelle,Spalte,Datensätze,Fehler\nErz,Vorname2,2,\nBemerkung,Text,1,\n"));
    try {
        app::writeResidueCsv(dir.path(QStringLiteral("fehlt/rest.csv")), found);
        ADD_FAILURE() << "no error for a folder that does not exist";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("kann nicht"))) << e.message().toStdString();
    }
}
