// The option beyond the fixed stages: the columns the residue search finds holding
// originals get substitutes of the original's kind, the same original the same substitute
// in every row and column, free texts keep their other words, values without an original
// stay, and afterwards the search finds nothing. Deterministic for a seed.
#include "RecordsFixture.h"

#include <QDate>

using namespace testsupport;

namespace {

class RemainingColumns : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        writeLines(m_dir.path(QStringLiteral("nachnamen.txt")), {"Zander", "Yildiz", "Weber"});
        writeLines(m_dir.path(QStringLiteral("vornamen_m.txt")), {"Max", "Otto"});
        writeLines(m_dir.path(QStringLiteral("vornamen_w.txt")), {"Erika", "Greta"});
        writeLines(m_dir.path(QStringLiteral("strassennamen.txt")), {"Hauptstraße"});
    }

    // A target with what a school's file holds after the fixed stages, and a run's
    // originals: the first name Hannelore and the surname Kowalski (which a stage replaced
    // by Greta and Zander), the first name Waltraud (no stage's substitute), a mail
    // address, a phone number, a birth date, the own school's number.
    QString makeTarget(const QString& name)
    {
        const QString path = m_dir.path(name);
        runSql(path, QStringLiteral(
            "CREATE TABLE SchuelerErzAdr (ID INTEGER PRIMARY KEY, Anrede1 TEXT, Vorname1 TEXT, Name1 TEXT,"
            "  Anrede2 TEXT, Vorname2 TEXT);"
            "INSERT INTO SchuelerErzAdr VALUES (1, 'Frau', 'Hannelore', 'Neu', NULL, NULL),"
            "  (2, 'Frau', 'HANNELORE', 'Neu', 'Frau', 'Hannelore'), (3, 'Herr', 'Gerd', 'Neu', NULL, NULL),"
            "  (4, 'Frau', 'Waltraud', 'Neu', 'Herr', 'Waltraud');"
            "CREATE TABLE AllgAdrAnsprechpartner (ID INTEGER PRIMARY KEY, Name TEXT, Vorname TEXT, Anrede TEXT,"
            "  Telefon TEXT, EMail TEXT);"
            "INSERT INTO AllgAdrAnsprechpartner VALUES"
            "  (1, 'Kowalski', 'Hannelore', 'Frau', '0211-778899', 'hannelore.kowalski@web.de'),"
            "  (2, 'Brandt', 'Gerd', 'Herr', '0211-5', 'gerd@brandt.de');"
            "CREATE TABLE SchuelerFoerderempfehlungen (ID INTEGER PRIMARY KEY, Lern_Arbeitsverhalten TEXT);"
            "INSERT INTO SchuelerFoerderempfehlungen VALUES"
            "  (1, 'Rücksprache mit Frau Kowalski am 15.03.2023; Hannelore kommt mit.'), (2, 'arbeitet gut mit');"
            "CREATE TABLE LehrerAbschnittsdaten (ID INTEGER PRIMARY KEY, StammschulNr TEXT);"
            "INSERT INTO LehrerAbschnittsdaten VALUES (1, '140000'), (2, '140000'), (3, NULL);"
            "CREATE TABLE Users (ID INTEGER PRIMARY KEY, US_Name TEXT);"
            "INSERT INTO Users VALUES (1, 'Administrator'), (2, 'Hannelore Kowalski');"
            "CREATE TABLE EigeneSchule (ID INTEGER PRIMARY KEY, Schulnr TEXT);"
            "INSERT INTO EigeneSchule VALUES (1, '123456');"));
        return path;
    }

    // The run's originals and the replacement, as a run with the option does them.
    void replaceIn(const QString& path, quint32 seed)
    {
        app::TForm1 form(&m_host, m_dir.root());
        form.con.SetConnectionString(db::TargetConnectionString(path));
        app::RandomSource::instance().seed(seed);
        app::TForm1Access::prepareSubstitutes(form);
        app::OriginalValues& o = app::TForm1Access::originals(form);
        o.replaced(QStringLiteral("Schueler"), QStringLiteral("Vorname"), QStringLiteral("Hannelore"));
        o.replaced(QStringLiteral("Schueler"), QStringLiteral("Name"), QStringLiteral("Kowalski"));
        o.replaced(QStringLiteral("Schueler"), QStringLiteral("Email"), QStringLiteral("hannelore.kowalski@web.de"));
        o.replaced(QStringLiteral("Schueler"), QStringLiteral("Telefon"), QStringLiteral("0211-778899"));
        o.record(QStringLiteral("Waltraud"), app::ValueKind::FirstName);
        o.recordDate(45000);  // 15.03.2023
        o.replaced(QStringLiteral("EigeneSchule"), QStringLiteral("Schulnr"), QStringLiteral("140000"));
        app::TForm1Access::setOwnSchoolNumber(form, QStringLiteral("140000"));
        app::TForm1Access::substitutes(form).known(app::ValueKind::Surname, QStringLiteral("Kowalski"),
                                                   QStringLiteral("Zander"));
        app::TForm1Access::substitutes(form).known(app::ValueKind::FirstName, QStringLiteral("Hannelore"),
                                                   QStringLiteral("Greta"));
        form.ReplaceRemainingColumns();
        m_completed = form.completed();
        for (const app::NotAnonymised& n : form.notAnonymised())
            ADD_FAILURE() << n.table.toStdString() << " " << n.key.toStdString() << ": " << n.reason.toStdString();
        m_after = app::findResidue(form.con, o);
        form.con.SetConnected(false);
    }

    QString value(const QString& path, const QString& query) { return queryText(path, query); }

    TempFolder m_dir;
    RecordingHost m_host;
    std::vector<app::ResidueEntry> m_completed;
    std::vector<app::ResidueEntry> m_after;
};

}  // namespace

TEST_F(RemainingColumns, GetSubstitutesOfTheirKindConsistentlyAndNothingIsLeft)
{
    const QString path = makeTarget(QStringLiteral("ziel.sqlite"));
    replaceIn(path, 77u);
    EXPECT_TRUE(m_after.empty()) << app::residueReportText(m_after).toStdString();
    EXPECT_TRUE(m_host.unhandled.isEmpty()) << m_host.unhandled.join(QLatin1Char('\n')).toStdString();

    // The stage's substitute for Hannelore, in every row and column, whatever the case.
    const QString first = QStringLiteral("Greta");
    EXPECT_EQ(value(path, QStringLiteral("SELECT Vorname1 FROM SchuelerErzAdr WHERE ID = 1")), first);
    EXPECT_EQ(value(path, QStringLiteral("SELECT Vorname1 || '|' || Vorname2 FROM SchuelerErzAdr WHERE ID = 2")),
              first + QLatin1Char('|') + first);
    EXPECT_EQ(value(path, QStringLiteral("SELECT Vorname FROM AllgAdrAnsprechpartner WHERE ID = 1")), first);
    // Waltraud, without one: a name of the person's gender (Anrede), the same one where it
    // fits, another where the person is a man.
    EXPECT_TRUE(QStringList({"Erika", "Greta"})
                    .contains(value(path, QStringLiteral("SELECT Vorname1 FROM SchuelerErzAdr WHERE ID = 4"))));
    EXPECT_TRUE(QStringList({"Max", "Otto"})
                    .contains(value(path, QStringLiteral("SELECT Vorname2 FROM SchuelerErzAdr WHERE ID = 4"))));
    // A value without an original keeps it; so does a value of the run's own.
    EXPECT_EQ(value(path, QStringLiteral("SELECT Vorname1 || Name1 FROM SchuelerErzAdr WHERE ID = 3")),
              QStringLiteral("GerdNeu"));
    EXPECT_EQ(value(path, QStringLiteral("SELECT group_concat(Name || Vorname || Telefon || EMail) FROM "
                                         "AllgAdrAnsprechpartner WHERE ID = 2")),
              QStringLiteral("BrandtGerd0211-5gerd@brandt.de"));

    // The surname the stage gave Kowalski; the address built from the row's new names; a
    // phone number of the stages' form.
    EXPECT_EQ(value(path, QStringLiteral("SELECT Name FROM AllgAdrAnsprechpartner WHERE ID = 1")), QStringLiteral("Zander"));
    EXPECT_EQ(value(path, QStringLiteral("SELECT EMail FROM AllgAdrAnsprechpartner WHERE ID = 1")),
              first.left(1) + QStringLiteral(".Zander@adressen.example.org"));
    EXPECT_TRUE(value(path, QStringLiteral("SELECT Telefon FROM AllgAdrAnsprechpartner WHERE ID = 1"))
                    .startsWith(QStringLiteral("01234-")));

    // The free text keeps its other words.
    const QString text =
        value(path, QStringLiteral("SELECT Lern_Arbeitsverhalten FROM SchuelerFoerderempfehlungen WHERE ID = 1"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Rücksprache mit Frau Zander am "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("; ") + first + QStringLiteral(" kommt mit."))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("15.03.2023"))) << text.toStdString();
    EXPECT_TRUE(QDate::fromString(text.mid(31, 10), QStringLiteral("dd.MM.yyyy")).isValid()) << text.toStdString();
    EXPECT_EQ(value(path, QStringLiteral("SELECT Lern_Arbeitsverhalten FROM SchuelerFoerderempfehlungen WHERE ID = 2")),
              QStringLiteral("arbeitet gut mit"));

    // The own school's number as the own-school stage gave it; a display name of two names.
    EXPECT_EQ(value(path, QStringLiteral("SELECT group_concat(ifnull(StammschulNr, '-')) FROM LehrerAbschnittsdaten")),
              QStringLiteral("123456,123456,-"));
    const QString display = value(path, QStringLiteral("SELECT US_Name FROM Users WHERE ID = 2"));
    EXPECT_EQ(display.split(QLatin1Char(' ')).size(), 2) << display.toStdString();
    EXPECT_FALSE(display.contains(QStringLiteral("Kowalski"))) << display.toStdString();
    EXPECT_EQ(value(path, QStringLiteral("SELECT US_Name FROM Users WHERE ID = 1")), QStringLiteral("Administrator"));

    // What the final box says: per column, how many values were replaced.
    QStringList said;
    for (const app::ResidueEntry& e : m_completed)
        said << QStringLiteral("%1.%2=%3").arg(e.table, e.column).arg(e.rows);
    said.sort();
    EXPECT_EQ(said, QStringList({"AllgAdrAnsprechpartner.EMail=1", "AllgAdrAnsprechpartner.Name=1",
                                 "AllgAdrAnsprechpartner.Telefon=1", "AllgAdrAnsprechpartner.Vorname=1",
                                 "LehrerAbschnittsdaten.StammschulNr=2", "SchuelerErzAdr.Vorname1=3",
                                 "SchuelerErzAdr.Vorname2=2", "SchuelerFoerderempfehlungen.Lern_Arbeitsverhalten=1",
                                 "Users.US_Name=1"}));
    const QString box = app::completedReportText(m_completed);
    EXPECT_TRUE(box.contains(QStringLiteral("LehrerAbschnittsdaten.StammschulNr: 2 Werte"))) << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("Users.US_Name: 1 Wert"))) << box.toStdString();
}

TEST_F(RemainingColumns, TheSameSeedGivesTheSameSubstitutes)
{
    const QString a = makeTarget(QStringLiteral("a.sqlite"));
    const QString b = makeTarget(QStringLiteral("b.sqlite"));
    replaceIn(a, 5u);
    replaceIn(b, 5u);
    const QString everything = QStringLiteral(
        "SELECT (SELECT group_concat(ifnull(Vorname1,'') || ifnull(Vorname2,'')) FROM SchuelerErzAdr) || "
        "(SELECT group_concat(Name || Vorname || Telefon || EMail) FROM AllgAdrAnsprechpartner) || "
        "(SELECT group_concat(Lern_Arbeitsverhalten) FROM SchuelerFoerderempfehlungen) || "
        "(SELECT group_concat(US_Name) FROM Users)");
    EXPECT_EQ(value(a, everything), value(b, everything));
    EXPECT_NE(value(a, everything), QString());
}
