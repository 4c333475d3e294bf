// The school-directory stage: the rebuilt K_Schule, the draw by school form and place,
// the moved student references, and the message of an entry that cannot be inserted.
#include "tests/stages/schools/SchoolFixture.h"
#include "tests/support/CrashSupport.h"

#include <QSet>

#include <csignal>

using schooltest::SchoolStage;

namespace {

// A K_Schule row.
QString school(int id, const char* nr, const char* krz, const char* sfNr, const char* bez = "Schulform")
{
    return QStringLiteral("INSERT INTO K_Schule(ID, SchulNr, SchulformKrz, SchulformNr, SchulformBez, Name) "
                          "VALUES (%1, '%2', '%3', '%4', '%5', 'Alte Schule %2');")
        .arg(id)
        .arg(QLatin1String(nr), QLatin1String(krz), QLatin1String(sfNr), QLatin1String(bez));
}

// A directory school with a name and a place; the other columns stay NULL.
QString dbs(const char* nr, const char* sf, const char* ort = "Bonn")
{
    return QStringLiteral("INSERT INTO DBS(Schulnr, SF, ABez1, Ort) VALUES ('%1', '%2', 'Schule %1', %3);")
        .arg(QLatin1String(nr), QLatin1String(sf), util::sqlQuote(QString::fromUtf8(ort)));
}

// count students, each referring to the number nr, with IDs from firstId on.
QString students(int firstId, int count, const char* nr)
{
    QStringList values;
    for (int i = 0; i < count; ++i)
        values << QStringLiteral("(%1, %2)")
                      .arg(firstId + i)
                      .arg(nr ? util::sqlQuote(QLatin1String(nr)) : QStringLiteral("NULL"));
    return QStringLiteral("INSERT INTO Schueler(ID, LSSchulnr) VALUES ") + values.join(QLatin1Char(','))
        + QLatin1Char(';');
}

const QString kOwnGymnasium = QStringLiteral("INSERT INTO EigeneSchule(ID, SchulformNr, SchulformKrz, SchulformBez, "
                                             "Schulnr) VALUES (1, '10', 'GY', 'Gymnasium', '166001');");

}  // namespace

TEST_F(SchoolStage, RebuiltSchoolTableHoldsTheDrawnSchoolsAndTheOwnSchool)
{
    target(kOwnGymnasium + school(7, "150001", "G", "02", "Grundschule") + school(8, "300001", "H", "04")
        + school(9, "099999", "G", "02") + students(1, 1, "150001") + students(2, 1, "300001")
        + students(3, 1, "099999") + students(4, 1, "777777") + students(5, 1, nullptr));
    directory(QStringLiteral(
        "INSERT INTO DBS(Schulnr, SF, ABez1, ABez2, ABez3, Strasse, PLZ, Ort, EMail, KurzBez) VALUES "
        "('170001', '02', '  Grundschule am Park ', NULL, '', ' Parkweg 1 ', ' 53111', 'Bonn ', NULL, '   ');"));
    setOwnNumber(true);
    assignSchools();

    EXPECT_EQ(host.statuses.value(0), QStringLiteral("Schulen zuordnen"));
    EXPECT_TRUE(host.messages.empty());
    // Empty directory values leave their column out; telephone and fax keep their "-".
    // The own school's name ends in a blank, since Bezeichnung3 is NULL by now.
    EXPECT_EQ(targetRows(QStringLiteral(
                  "SELECT ID, SchulNr, SchulNr_SIM, Name, SchulformNr, SchulformBez, SchulformKrz, Strasse, PLZ, Ort, "
                  "Telefon, Fax, Email, KurzBez FROM K_Schule ORDER BY ID")),
        QStringList({QStringLiteral("1|170001|170001|Grundschule am Park  |02|Grundschule|G|Parkweg 1|53111|Bonn|-|-|"
                                    "<NULL>|<NULL>"),
            QStringLiteral("2|123456|123456|Dogobert-Duck-Gymnasium der Stadt Entenhausen |10|Gymnasium|GY|"
                           "Erpelallee 32|54321|Entenhausen|0123 654321|0123 654399|"
                           "sekretariat@gymnasium.example.org|<NULL>")}));
    // Only the student of the school in the range moves; the others keep their numbers.
    EXPECT_EQ(targetRows(QStringLiteral("SELECT LSSchulnr FROM Schueler ORDER BY ID")),
        QStringList({"170001", "300001", "099999", "777777", "<NULL>"}));
}

TEST_F(SchoolStage, DirectoryValuesAreTrimmedAndCutToTheColumns)
{
    target(kOwnGymnasium + school(1, "150001", "G", "02"));
    const QString longName = QString(60, QLatin1Char('N'));
    directory(QStringLiteral("INSERT INTO DBS VALUES ('170001', '02', '%1', '%1', 'x', ' %2 ', '%3', '12345', "
                             "'%4', '  0228 ', ' 123456789012345678 ', '', ' 99', 'mail@schule.example')")
                  .arg(longName, QString(45, QLatin1Char('K')), QString(70, QLatin1Char('S')),
                      QString(55, QLatin1Char('O'))));
    setOwnNumber(false);
    assignSchools();
    EXPECT_TRUE(host.messages.empty()) << host.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT Name, KurzBez, Strasse, Ort, Telefon, Fax, Email FROM K_Schule "
                                        "WHERE SchulNr='170001'")),
        QStringList({(longName + QLatin1Char(' ') + longName + QStringLiteral(" x")).left(100) + QLatin1Char('|')
            + QString(40, QLatin1Char('K')) + QLatin1Char('|') + QString(50, QLatin1Char('S')) + QLatin1Char('|')
            + QString(50, QLatin1Char('O')) + QStringLiteral("|0228-123456789012345|-99|mail@schule.example")}));
    // Without the own-number option the own school keeps its number in K_Schule.
    EXPECT_EQ(
        targetValue(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulformKrz='GY'")), QStringLiteral("166001"));
}

TEST_F(SchoolStage, NoSchoolInTheRangeLeavesTheOwnSchoolAlone)
{
    target(kOwnGymnasium + school(4, "300001", "G", "02") + school(5, "200001", "G", "02") + students(1, 2, "300001"));
    directory(dbs("170001", "02"));
    setOwnNumber(true);
    assignSchools();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulNr FROM K_Schule")), QStringList({"123456"}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT DISTINCT LSSchulnr FROM Schueler")), QStringList({"300001"}));
}

TEST_F(SchoolStage, EveryStudentMovesOnceEvenWhenDrawnNumbersAreOtherSchoolsOldNumbers)
{
    // Each form has a single candidate, and each candidate is the old number of the
    // next school: moving by number alone would carry the first school's students on
    // to the second and the third number. The first school is big enough to need
    // several statements.
    target(kOwnGymnasium + school(1, "100001", "G", "02") + school(2, "100002", "H", "04")
        + school(3, "100003", "R", "06") + students(1, 1201, "100001") + students(2001, 5, "100002")
        + students(3001, 5, "100003"));
    directory(dbs("100002", "02") + dbs("100003", "04") + dbs("100001", "06"));
    assignSchools();
    EXPECT_TRUE(host.messages.empty()) << host.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulformKrz, SchulNr FROM K_Schule WHERE SchulformKrz<>'GY' "
                                        "ORDER BY SchulformKrz")),
        QStringList({"G|100002", "H|100003", "R|100001"}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT min(ID), max(ID), LSSchulnr, count(*) FROM Schueler "
                                        "GROUP BY LSSchulnr ORDER BY min(ID)")),
        QStringList({"1|1201|100002|1201", "2001|2005|100003|5", "3001|3005|100001|5"}));
}

TEST_F(SchoolStage, StudentsOfASchoolWithoutDrawKeepTheirNumberWhenItIsDrawnForAnother)
{
    // The H school finds no candidate; its old number goes to the G school.
    target(kOwnGymnasium + school(1, "100001", "G", "02") + school(2, "100002", "H", "04") + students(1, 3, "100001")
        + students(11, 3, "100002") + students(21, 1, "300000"));
    directory(dbs("100002", "02") + dbs("300000", "02", "Köln"));
    assignSchools({QStringLiteral("Bonn")});
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulformKrz, SchulNr FROM K_Schule ORDER BY SchulformKrz")),
        QStringList({"G|100002", "GY|123456"}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT LSSchulnr, count(*) FROM Schueler GROUP BY LSSchulnr ORDER BY 1")),
        QStringList({"100002|6", "300000|1"}));
}

TEST_F(SchoolStage, EverySchoolGetsANumberWhileCandidatesRemain)
{
    // As many schools as candidates: ten random draws per school are bound to miss the
    // last free candidates, yet no school may be left without one.
    QString schools, candidates;
    QSet<QString> candidateNumbers;
    for (int i = 0; i < 40; ++i) {
        schools += school(i + 1, QByteArray::number(110000 + i).constData(), "G", "02")
            + students(100 * (i + 1), 2, QByteArray::number(110000 + i).constData());
        const QByteArray nr = QByteArray::number(180000 + i);
        candidates += dbs(nr.constData(), "02");
        candidateNumbers.insert(QString::fromLatin1(nr));
    }
    candidates += dbs("190000", "04");
    target(kOwnGymnasium + schools);
    directory(candidates);
    for (std::uint32_t seed : {1u, 77u, 4242u}) {
        SCOPED_TRACE(seed);
        app::RandomSource::instance().seed(seed);
        const QString before = m_dir.path(QStringLiteral("vorher.sqlite"));
        QFile::remove(before);
        ASSERT_TRUE(QFile::copy(m_target, before));
        assignSchools();
        const QStringList drawn = targetRows(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulformKrz='G'"));
        EXPECT_EQ(QSet<QString>(drawn.begin(), drawn.end()), candidateNumbers);
        EXPECT_EQ(drawn.size(), 40);
        // Each school's two students moved together to a number of their own.
        const QStringList moved = targetRows(QStringLiteral("SELECT count(DISTINCT LSSchulnr) FROM Schueler "
                                                            "GROUP BY ID / 100"));
        EXPECT_EQ(moved, QStringList(40, QStringLiteral("1")));
        EXPECT_EQ(targetValue(QStringLiteral("SELECT count(DISTINCT LSSchulnr) FROM Schueler")), QStringLiteral("40"));
        target(QStringLiteral("DELETE FROM K_Schule; DELETE FROM Schueler;") + schools);
        QFile::remove(before);
    }
}

TEST_F(SchoolStage, SchoolsBeyondTheCandidatesVanishAndTheirStudentsStay)
{
    target(kOwnGymnasium + school(1, "110001", "G", "02") + school(2, "110002", "G", "02")
        + school(3, "110003", "G", "02") + school(4, "110004", "G", "02") + school(5, "110005", "G", "02")
        + students(10, 2, "110001") + students(20, 2, "110002") + students(30, 2, "110003") + students(40, 2, "110004")
        + students(50, 2, "110005"));
    directory(dbs("180001", "02") + dbs("180002", "02") + dbs("180003", "02"));
    assignSchools();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulformKrz='G' ORDER BY 1")),
        QStringList({"180001", "180002", "180003"}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT substr(LSSchulnr, 1, 3), count(*), count(DISTINCT LSSchulnr) "
                                        "FROM Schueler GROUP BY 1 ORDER BY 1")),
        QStringList({"110|4|2", "180|6|3"}));
}

TEST_F(SchoolStage, NoNumberIsGivenTwiceAcrossSchoolForms)
{
    target(kOwnGymnasium + school(1, "110001", "G", "02") + school(2, "110002", "H", "04"));
    directory(dbs("180001", "02") + dbs("180001", "04"));
    assignSchools();
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulformKrz, SchulNr FROM K_Schule ORDER BY 1")),
        QStringList({"G|180001", "GY|123456"}));
}

TEST_F(SchoolStage, DrawIsLimitedToTheListedPlaces)
{
    target(kOwnGymnasium + school(1, "110001", "G", "02") + school(2, "110002", "G", "02")
        + school(3, "110003", "G", "02"));
    directory(dbs("180001", "02", "Bonn") + dbs("180002", "02", "Köln") + dbs("180003", "02", "Aachen")
        + dbs("180004", "02", "Aachen") + dbs("180005", "02", "O'Hara") + dbs("180006", "04", "Bonn"));
    assignSchools({QStringLiteral("Bonn"), QStringLiteral("Köln"), QStringLiteral("Bonn"), QStringLiteral("O'Hara")});
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulformKrz='G' ORDER BY 1")),
        QStringList({"180001", "180002", "180005"}));
}

TEST_F(SchoolStage, NoCandidateInTheListedPlacesLeavesOnlyTheOwnSchool)
{
    target(kOwnGymnasium + school(1, "110001", "G", "02") + students(1, 2, "110001"));
    directory(dbs("180001", "02", "Bonn"));
    assignSchools({QStringLiteral("Münster")});
    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulNr FROM K_Schule")), QStringList({"123456"}));
    EXPECT_EQ(targetRows(QStringLiteral("SELECT DISTINCT LSSchulnr FROM Schueler")), QStringList({"110001"}));
}

TEST_F(SchoolStage, AnEntryThatCannotBeInsertedIsReportedAndTheOthersGoOn)
{
    // The third of five entries (sorted by form: G, GE, GY, H, R) draws a school whose
    // postal code does not fit K_Schule.
    target(kOwnGymnasium + school(1, "110001", "R", "06") + school(2, "110002", "GY", "10")
        + school(3, "110003", "H", "04") + school(4, "110004", "G", "02") + school(5, "110005", "GE", "14")
        + students(10, 2, "110001") + students(20, 2, "110002") + students(30, 2, "110003") + students(40, 2, "110004")
        + students(50, 2, "110005"));
    directory(QStringLiteral("DROP TABLE DBS; CREATE TABLE DBS(Schulnr TEXT, SF TEXT, ABez1 TEXT, ABez2 TEXT, "
                             "ABez3 TEXT, KurzBez TEXT, Strasse TEXT, PLZ TEXT, Ort TEXT, TelVorw TEXT, Telefon TEXT, "
                             "FaxVorw TEXT, Fax TEXT, EMail TEXT);")
        + dbs("180006", "06") + dbs("180010", "10") + dbs("180004", "04") + dbs("180002", "02") + dbs("180014", "14")
        + QStringLiteral("UPDATE DBS SET PLZ='12345678901' WHERE Schulnr='180010';"));
    setOwnNumber(true);
    assignSchools();

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, app::MessageKind::Plain);
    const QString prefix = QStringLiteral(
        "2/4\n\rsfld=ID,SchulNr,SchulNr_SIM,Name,SchulFormNr,SchulformBez,SchulformKrz,PLZ,Ort,Telefon,Fax, "
        "sval=3,'180010','180010','Schule 180010  ','10','Schulform','GY','12345678901','Bonn','-','-'\n\r");
    EXPECT_TRUE(host.messages[0].text.startsWith(prefix)) << host.messages[0].text.toStdString();
    EXPECT_GT(host.messages[0].text.size(), prefix.size()) << "the engine's reason follows";

    EXPECT_EQ(targetRows(QStringLiteral("SELECT SchulformKrz, SchulNr FROM K_Schule ORDER BY ID")),
        QStringList({"G|180002", "GE|180014", "H|180004", "R|180006", "GY|123456"}));
    // The failed entry's students stay where they were.
    EXPECT_EQ(targetRows(QStringLiteral("SELECT DISTINCT LSSchulnr FROM Schueler ORDER BY ID")),
        QStringList({"180006", "110002", "180004", "180002", "180014"}));
}

namespace {

void killNow(sqlite3_context*, int, sqlite3_value**)
{
    ::raise(SIGKILL);
}

}  // namespace

TEST_F(SchoolStage, KillDuringTheRebuildLosesNoSchoolForTheNextRun)
{
    target(kOwnGymnasium + school(1, "110001", "G", "02") + school(2, "110002", "G", "02")
        + school(3, "110003", "H", "04") + school(4, "110004", "R", "06") + students(10, 3, "110001")
        + students(20, 3, "110002") + students(30, 3, "110003") + students(40, 3, "110004")
        // The third insert into the rebuilt table kills the process.
        + QStringLiteral("CREATE TRIGGER absturz AFTER INSERT ON K_Schule WHEN new.ID=3 BEGIN SELECT absturz(); END;"));
    directory(dbs("180001", "02") + dbs("180002", "02") + dbs("180003", "02") + dbs("180004", "04")
        + dbs("180005", "04") + dbs("180006", "06") + dbs("180007", "06"));
    form->conSchulver.SetConnected(true);
    ASSERT_TRUE(testsupport::runUntilKilled([&] {
        sqlite3_create_function(form->con.handle(), "absturz", 0, SQLITE_UTF8, nullptr, killNow, nullptr, nullptr);
        util::StringList noFilter;
        form->AssignSchools(noFilter);
    }));

    target(QStringLiteral("DROP TRIGGER absturz;"));
    assignSchools();
    // Every student names a school of the rebuilt table.
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM Schueler WHERE LSSchulnr NOT IN "
                                         "(SELECT SchulNr FROM K_Schule)")),
        QStringLiteral("0"));
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(*) FROM K_Schule")), QStringLiteral("5"));
    // Students of one school stay together.
    EXPECT_EQ(targetValue(QStringLiteral("SELECT count(DISTINCT LSSchulnr) FROM Schueler")), QStringLiteral("4"));
}
