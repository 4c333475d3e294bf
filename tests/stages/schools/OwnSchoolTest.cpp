// The own school: the fictitious school by school form, the owner-number stamping and
// the three deletions.
#include "tests/stages/schools/SchoolFixture.h"

#include "util/Error.h"

#include <QMap>
#include <QSet>

using schooltest::SchoolStage;

namespace {

struct FormCase {
    const char* form;  // nullptr: EigeneSchule has the abbreviation NULL
    const char* bezeichnung1;
    const char* bezeichnung2;
    const char* strasse;
    const char* ort;
};

const FormCase kForms[] = {
    {"BK", "Daniel-Düsentrieb-Berufskolleg", "für Technik und Innovation", "Erpelallee 32", "Entenhausen"},
    {"SB", "Daniel-Düsentrieb-Berufskolleg", "für Technik und Innovation", "Erpelallee 32", "Entenhausen"},
    {"G", "Pippi-Langstrumpf-Schule", "Gemeinschaftsgrundschule", "Lindgrengasse 23", "Viktualia"},
    {"H", "Donald-Duck-Schule", "Gemeinschaftshauptschule", "Erpelallee 32", "Entenhausen"},
    {"R", "Gustav-Gans-Realschule", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen"},
    {"GE", "Daisy-Duck-Gesamtschule", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen"},
    {"GY", "Dogobert-Duck-Gymnasium", "der Stadt Entenhausen", "Erpelallee 32", "Entenhausen"},
    // Exact comparison: letter case counts, and blanks are not trimmed.
    {"gy", "Testschule", "zu Demonstrationszwecken", "Teststraße 17", "Musterhausen"},
    {"G ", "Testschule", "zu Demonstrationszwecken", "Teststraße 17", "Musterhausen"},
    {"S", "Testschule", "zu Demonstrationszwecken", "Teststraße 17", "Musterhausen"},
    {nullptr, "Testschule", "zu Demonstrationszwecken", "Teststraße 17", "Musterhausen"},
};

}  // namespace

TEST_F(SchoolStage, FictitiousSchoolFollowsTheExactSchoolForm)
{
    setOwnNumber(false);
    QMap<QString, QString> mailByName;
    for (const FormCase& c : kForms) {
        SCOPED_TRACE(c.form ? c.form : "NULL");
        target(QStringLiteral("DELETE FROM EigeneSchule; INSERT INTO EigeneSchule(ID, SchulformKrz, Schulnr, "
                              "Bezeichnung1, Bezeichnung3, Telefon) VALUES (1, %1, '166001', 'Echte Schule', "
                              "'Zusatz', '0228 1234')")
                   .arg(c.form ? util::sqlQuote(QString::fromUtf8(c.form)) : QStringLiteral("NULL")));
        form->AnonymizeOwnSchool();
        const QStringList row = targetRows(QStringLiteral("SELECT Bezeichnung1, Bezeichnung2, Bezeichnung3, Strasse, "
                                                          "PLZ, Ort, Telefon, Fax, Schulnr FROM EigeneSchule"));
        ASSERT_EQ(row.size(), 1);
        EXPECT_EQ(row[0],
            QStringList({QString::fromUtf8(c.bezeichnung1), QString::fromUtf8(c.bezeichnung2), QStringLiteral("<NULL>"),
                            QString::fromUtf8(c.strasse), QStringLiteral("54321"), QString::fromUtf8(c.ort),
                            QStringLiteral("0123 654321"), QStringLiteral("0123 654399"), QStringLiteral("166001")})
                .join(QLatin1Char('|')));
        const QString mail = targetValue(QStringLiteral("SELECT EMail FROM EigeneSchule"));
        EXPECT_TRUE(mail.startsWith(QStringLiteral("sekretariat@")) && mail.endsWith(QStringLiteral(".example.org")))
            << mail.toStdString();
        EXPECT_LE(mail.size(), 40) << "the copy in K_Schule keeps 40 characters";
        const QString name = QString::fromUtf8(c.bezeichnung1);
        if (mailByName.contains(name)) {
            EXPECT_EQ(mailByName.value(name), mail) << "one address per fictitious school";
        }
        mailByName.insert(name, mail);
    }
    ASSERT_EQ(mailByName.size(), 7);
    const QList<QString> mails = mailByName.values();
    EXPECT_EQ(QSet<QString>(mails.begin(), mails.end()).size(), 7) << "the seven addresses differ";
}

TEST_F(SchoolStage, EmptyOwnSchoolTableStillDeletesTheSensitiveTables)
{
    target(
        QStringLiteral("INSERT INTO EigeneSchule_Teilstandorte VALUES (1, 'Bonn'); "
                       "INSERT INTO SchuelerDatenschutz VALUES (1, 1); INSERT INTO K_Datenschutz VALUES (1, 'Foto')"));
    form->AnonymizeOwnSchool();
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM EigeneSchule")), QStringLiteral("0"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM EigeneSchule_Teilstandorte")), QStringLiteral("0"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM SchuelerDatenschutz")), QStringLiteral("0"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM K_Datenschutz")), QStringLiteral("0"));
}

TEST_F(SchoolStage, OwnNumberIsStampedIntoEveryCatalogTableThatCarriesTheOwnerColumn)
{
    // A table outside the catalog keeps its owner numbers; EigeneSchule has no owner
    // column, and most catalog tables are missing here: both are passed over.
    target(QStringLiteral(
        "INSERT INTO EigeneSchule(ID, SchulformKrz, Schulnr, SchultraegerNr) VALUES (1, 'GY', '166001', '5315');"
        "INSERT INTO Schueler(ID, SchulnrEigner) VALUES (1, 166001), (2, NULL);"
        "INSERT INTO Kurse(ID, SchulnrEigner) VALUES (1, 166001); INSERT INTO K_Lehrer(ID, SchulnrEigner) VALUES (1, "
        "1);"
        "CREATE TABLE Fremd(ID INTEGER, SchulnrEigner INTEGER); INSERT INTO Fremd VALUES (1, 166001)"));
    setOwnNumber(true);
    form->AnonymizeOwnSchool();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT Schulnr, SchultraegerNr, Bezeichnung1 FROM EigeneSchule")),
        QStringList({QStringLiteral("123456|12345|Dogobert-Duck-Gymnasium")}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulnrEigner FROM Schueler ORDER BY ID")),
        QStringList({QStringLiteral("123456"), QStringLiteral("123456")}));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM Kurse")), QStringLiteral("123456"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM K_Lehrer")), QStringLiteral("123456"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM Fremd")), QStringLiteral("166001"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SchoolStage, WithoutTheOwnNumberOptionNumbersAndOwnersStay)
{
    target(QStringLiteral("INSERT INTO EigeneSchule(ID, SchulformKrz, Schulnr, SchultraegerNr, Bezeichnung1) "
                          "VALUES (1, 'R', '166001', '5315', 'Echte Realschule'); INSERT INTO Schueler(ID, "
                          "SchulnrEigner) VALUES (1, 166001)"));
    setOwnNumber(false);
    form->AnonymizeOwnSchool();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT Schulnr, SchultraegerNr, Bezeichnung1, Ort FROM EigeneSchule")),
        QStringList({QStringLiteral("166001|5315|Gustav-Gans-Realschule|Entenhausen")}));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM Schueler")), QStringLiteral("166001"));
}

TEST_F(SchoolStage, MissingOwnSchoolTableEndsTheStageBeforeAnyChange)
{
    target(QStringLiteral("DROP TABLE EigeneSchule; INSERT INTO Schueler(ID, SchulnrEigner) VALUES (1, 166001);"
                          "INSERT INTO K_Datenschutz VALUES (1, 'Foto')"));
    setOwnNumber(true);
    EXPECT_THROW(form->AnonymizeOwnSchool(), util::Error);
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM Schueler")), QStringLiteral("166001"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM K_Datenschutz")), QStringLiteral("1"));
}

TEST_F(SchoolStage, OnlyAMissingTableOrColumnIsPassedOverWhenTheOwnerNumberIsStamped)
{
    // A failure of the write itself (here raised where the disk would fail) must end the
    // stage: the real number would stay in the table otherwise.
    target(QStringLiteral(
        "INSERT INTO EigeneSchule(ID, SchulformKrz, Schulnr) VALUES (1, 'GY', '166001');"
        "INSERT INTO Schueler(ID, SchulnrEigner) VALUES (1, 166001); INSERT INTO Kurse(ID, SchulnrEigner) VALUES (1, "
        "166001);"
        "CREATE TRIGGER Ausfall BEFORE UPDATE ON Kurse BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"));
    setOwnNumber(true);
    try {
        form->AnonymizeOwnSchool();
        ADD_FAILURE() << "the stage went on";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Ein-/Ausgabefehler"))) << e.message().toStdString();
    }
    EXPECT_EQ(targetValue(QStringLiteral("SELECT SchulnrEigner FROM Kurse")), QStringLiteral("166001"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT Schulnr FROM EigeneSchule")), QStringLiteral("166001"));
}
