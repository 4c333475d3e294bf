// Students with their guardians and telephone numbers: which columns each option
// governs, the guardian matching rules, the ranges of the generated values, NULLs and
// empty tables.
#include "RecordsFixture.h"

using namespace testsupport;

namespace {

class Students : public RecordsTest {
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        sql(QStringLiteral(
            "INSERT INTO Schueler (ID, Name, Vorname, Zusatz, Geburtsname, Strasse, PLZ, OrtAbk, Telefon, Fax, Email,"
            "  SchulEmail, Geschlecht, Geburtsdatum, Geburtsort, Klasse) VALUES "
            "(1, 'Adler', 'Anna', 'c/o Oma', 'Berger', 'Alte Gasse 7', '11111', 'Altdorf', '0221-1', '0221-2',"
            "  'anna@privat.de', 'anna@schule.de', 4, '2010-03-01 08:15:00', 'Altdorf', '5a'),"
            "(2, 'Bauer', 'Ben', NULL, NULL, 'Neue Gasse 1', '22222', 'Neudorf', NULL, NULL, NULL, NULL, 3, NULL,"
            "  NULL, '5b');"
            "INSERT INTO SchuelerErzAdr (ID, Schueler_ID, Name1, Vorname1, Name2, ErzStrasse, ErzPLZ, ErzEMail,"
            "  ErzEMail2) VALUES "
            "(10, 1, 'Adler', 'Anna', NULL, 'Alte Gasse 7', '11111', 'e@x.de', 'f@x.de'),"
            "(11, 1, 'Adler', 'Bernd', 'Adler', 'Alte Gasse 7', '11111', NULL, 'g@x.de'),"
            "(12, 1, 'Meier', 'Anna', '', 'Weg 3', '33333', NULL, NULL),"
            "(13, 1, 'adler', 'Anna', NULL, NULL, NULL, NULL, NULL),"
            "(14, 2, 'Adler', 'Anna', 'Keller', NULL, NULL, NULL, NULL),"
            "(15, 2, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
            "INSERT INTO SchuelerTelefone (ID, Schueler_ID, Telefonnummer) VALUES "
            "(20, 1, '0221-3'), (21, 1, '0221-4'), (22, 2, '0228-5');"));
    }

    void run(app::TForm1& f)
    {
        buildPool(f);
        f.AnonymizeStudents();
        finish();
    }

    QString student(int id, const QString& column)
    {
        return value(QStringLiteral("SELECT %1 FROM Schueler WHERE ID=%2").arg(column).arg(id));
    }
    QString guardian(int id, const QString& column)
    {
        return value(QStringLiteral("SELECT %1 FROM SchuelerErzAdr WHERE ID=%2").arg(column).arg(id));
    }

    // Enough students for the shifts to reach both ends of their range.
    void addStudents(int count, const QString& birthDate)
    {
        QString rows;
        for (int i = 0; i < count; ++i)
            rows += QStringLiteral("%1(%2, 'Name%2', 'Vorname%2', 3, %3)")
                        .arg(i ? QStringLiteral(",") : QString())
                        .arg(100 + i)
                        .arg(birthDate);
        sql(QStringLiteral("INSERT INTO Schueler (ID, Name, Vorname, Geschlecht, Geburtsdatum) VALUES ") + rows);
    }};

TEST_F(Students, GuardianOwnEntryTakesBothNamesOthersOnlyTheSurname)
{
    run(form());
    EXPECT_EQ(student(1, "Name || '/' || Vorname"), QStringLiteral("Zander/Erika"));
    const QString street = student(1, "Strasse");
    const QString postalCode = student(1, "PLZ");

    // Exactly the student's old surname and first name: the student's own entry.
    EXPECT_EQ(guardian(10, "Name1 || '/' || Vorname1"), QStringLiteral("Zander/Erika"));
    // Same surname, other first name; other surname; surname differing in case only.
    EXPECT_EQ(guardian(11, "Name1 || '/' || Vorname1"), QStringLiteral("Zander/Bernd"));
    EXPECT_EQ(guardian(12, "Name1 || '/' || Vorname1"), QStringLiteral("Zander/Anna"));
    EXPECT_EQ(guardian(13, "Name1 || '/' || Vorname1"), QStringLiteral("Zander/Anna"));
    // Student 2's old names are Bauer/Ben: the same names as student 1's own entry do
    // not make row 14 an own entry.
    EXPECT_EQ(guardian(14, "Name1 || '/' || Vorname1"), QStringLiteral("Zander/Anna"));

    // A second name is replaced only where one is stored.
    EXPECT_EQ(guardian(10, "Name2"), QStringLiteral("<NULL>"));
    EXPECT_EQ(guardian(11, "Name2"), QStringLiteral("Zander"));
    EXPECT_EQ(guardian(12, "Name2"), QString());
    EXPECT_EQ(guardian(14, "Name2"), QStringLiteral("Zander"));

    for (int id : {10, 11, 12, 13}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(guardian(id, "ErzStrasse"), street);
        EXPECT_EQ(guardian(id, "ErzPLZ"), postalCode);
        EXPECT_EQ(guardian(id, "ErzEMail"), QStringLiteral("Zander@eltern.example.org"));
        EXPECT_EQ(guardian(id, "ErzEMail2"), QStringLiteral("<NULL>"));
    }
    EXPECT_EQ(guardian(14, "ErzStrasse"), student(2, "Strasse"));
}

TEST_F(Students, FirstNameListFollowsGenderCodeThree)
{
    sql(QStringLiteral("UPDATE Schueler SET Geschlecht=NULL WHERE ID=1;"
                       "INSERT INTO Schueler (ID, Name, Vorname, Geschlecht) VALUES (3, 'C', 'C', 4), (4, 'D', 'D', 7);"));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Vorname) FROM (SELECT Vorname FROM Schueler ORDER BY ID)")),
              QStringLiteral("Erika,Max,Erika,Erika"));
}

TEST_F(Students, WithoutOptionsOnlyContactDataAndBirthplaceAreReplaced)
{
    app::TForm1& f = form();
    setOptions(f, false, false, false, false);
    run(f);

    EXPECT_EQ(student(1, "Name || '/' || Vorname || '/' || Strasse || '/' || PLZ || '/' || OrtAbk"),
              QStringLiteral("Adler/Anna/Alte Gasse 7/11111/Altdorf"));
    EXPECT_EQ(student(1, "Geburtsdatum"), QStringLiteral("2010-03-01 08:15:00"));
    // The addresses are built from the stored names.
    EXPECT_EQ(student(1, "Email"), QStringLiteral("A.Adler@schueler.example.org"));
    EXPECT_EQ(student(1, "SchulEmail"), QStringLiteral("A.Adler@schule.example.org"));
    EXPECT_EQ(student(1, "Zusatz || Geburtsname"), QStringLiteral("<NULL>"));
    EXPECT_EQ(student(1, "Telefon GLOB '01234-[1-9][0-9][0-9][0-9][0-9][0-9]'"), QStringLiteral("1"));
    EXPECT_EQ(student(1, "Fax GLOB '0189-[1-9][0-9][0-9][0-9][0-9][0-9]'"), QStringLiteral("1"));
    EXPECT_EQ(student(1, "Geburtsort IN ('Köln', 'Bonn')"), QStringLiteral("1"));

    EXPECT_EQ(guardian(11, "Name1 || '/' || Vorname1 || '/' || Name2 || '/' || ErzStrasse || '/' || ErzPLZ"),
              QStringLiteral("Adler/Bernd/Adler/Alte Gasse 7/11111"));
    EXPECT_EQ(guardian(11, "ErzEMail"), QStringLiteral("Adler@eltern.example.org"));
    EXPECT_EQ(guardian(11, "ErzEMail2"), QStringLiteral("<NULL>"));
    // A guardian without a surname gets the at sign and the domain only.
    EXPECT_EQ(guardian(15, "ErzEMail"), QStringLiteral("@eltern.example.org"));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM SchuelerTelefone WHERE Telefonnummer NOT GLOB "
                                   "'01234-[1-9][0-9][0-9][0-9][0-9][0-9]'")),
              QStringLiteral("0"));
}

struct OptionCase {
    const char* name;
    bool names, streets, places, dates;
};

class StudentOption : public Students, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(StudentOption, GovernsItsOwnColumnsOnly)
{
    const OptionCase& c = GetParam();
    app::TForm1& f = form();
    setOptions(f, c.names, c.streets, c.places, c.dates);
    run(f);
    EXPECT_EQ(student(1, "Name || Vorname") != QLatin1String("AdlerAnna"), c.names);
    EXPECT_EQ(guardian(11, "Name1 || Name2") != QLatin1String("AdlerAdler"), c.names);
    EXPECT_EQ(student(1, "Strasse") != QLatin1String("Alte Gasse 7"), c.streets);
    EXPECT_EQ(guardian(12, "ErzStrasse") != QLatin1String("Weg 3"), c.streets);
    EXPECT_EQ(student(1, "PLZ || OrtAbk") != QLatin1String("11111Altdorf"), c.places);
    EXPECT_EQ(guardian(12, "ErzPLZ") != QLatin1String("33333"), c.places);
    EXPECT_EQ(student(1, "Geburtsdatum") != QLatin1String("2010-03-01 08:15:00"), c.dates);
    // Replaced whatever the options say.
    EXPECT_EQ(student(1, "Zusatz"), QStringLiteral("<NULL>"));
    EXPECT_NE(student(1, "Telefon"), QStringLiteral("0221-1"));
}

INSTANTIATE_TEST_SUITE_P(Alone, StudentOption,
                         ::testing::Values(OptionCase{"Namen", true, false, false, false},
                                           OptionCase{"Strassen", false, true, false, false},
                                           OptionCase{"Orte", false, false, true, false},
                                           OptionCase{"GebDat", false, false, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Students, PostalCodeAndPlaceOfResidenceComeFromOnePoolEntry)
{
    addStudents(60, QStringLiteral("NULL"));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM Schueler WHERE NOT ((PLZ='50667' AND OrtAbk='Köln') OR "
                                   "(PLZ='53111' AND OrtAbk='Bonn'))")),
              QStringLiteral("0"));
    // Both pool entries are drawn, and the birthplace is a pick of its own.
    EXPECT_EQ(value(QStringLiteral("SELECT count(DISTINCT PLZ) FROM Schueler")), QStringLiteral("2"));
    EXPECT_NE(value(QStringLiteral("SELECT count(*) FROM Schueler WHERE Geburtsort <> OrtAbk")), QStringLiteral("0"));
}

TEST_F(Students, PoolOfOnePlaceGivesEveryStudentThatPlace)
{
    app::TForm1& f = form();
    f.edOrte->setText(QStringLiteral("Bonn"));
    run(f);
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(PLZ || OrtAbk || Geburtsort, ' ') FROM Schueler")),
              QStringLiteral("53111BonnBonn 53111BonnBonn"));
}

TEST_F(Students, MissingBirthDateStaysMissingAndStoredOnesMoveOneTo132Days)
{
    addStudents(800, QStringLiteral("'2009-08-01 07:30:00'"));
    app::TForm1& f = form();
    run(f);
    EXPECT_EQ(student(2, "Geburtsdatum"), QStringLiteral("<NULL>"));
    const QString shifts = QStringLiteral("(SELECT julianday(Geburtsdatum) - julianday('2009-08-01 07:30:00') AS d "
                                          "FROM Schueler WHERE ID >= 100)");
    EXPECT_EQ(value(QStringLiteral("SELECT min(d) || '..' || max(d) FROM ") + shifts), QStringLiteral("1.0..132.0"));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM Schueler WHERE ID >= 100 AND time(Geburtsdatum) <> "
                                   "'07:30:00'")),
              QStringLiteral("0"));
}

TEST_F(Students, EmptyFirstNameGivesLocalPartStartingWithDot)
{
    sql(QStringLiteral("UPDATE Schueler SET Vorname=NULL WHERE ID=1; UPDATE Schueler SET Vorname='' WHERE ID=2;"));
    app::TForm1& f = form();
    setOptions(f, false, true, true, true);
    run(f);
    EXPECT_EQ(student(1, "Email"), QStringLiteral(".Adler@schueler.example.org"));
    EXPECT_EQ(student(2, "SchulEmail"), QStringLiteral(".Bauer@schule.example.org"));
}

TEST_F(Students, ProgressAndMessageProcessingCountStudents)
{
    run(form());
    EXPECT_EQ(m_host.lastMaximum, 2);
    EXPECT_EQ(m_host.lastPosition, 2);
    EXPECT_EQ(m_host.pumps, 2);

    // An empty table: maximum 0, nothing written.
    sql(QStringLiteral("DELETE FROM Schueler;"));
    const QString guardians = QStringLiteral("SELECT group_concat(ErzEMail || '/' || ifnull(ErzEMail2, '-')) FROM "
                                             "SchuelerErzAdr");
    const QString before = value(guardians);
    m_host.pumps = 0;
    app::TForm1& f = form();
    run(f);
    EXPECT_EQ(m_host.lastMaximum, 0);
    EXPECT_EQ(m_host.pumps, 0);
    EXPECT_EQ(value(guardians), before);
}

TEST_F(Students, RejectedRowEndsTheStageAndEarlierRowsStayWritten)
{
    sql(QStringLiteral("CREATE TRIGGER gesperrt BEFORE UPDATE ON Schueler WHEN old.ID=2 "
                       "BEGIN SELECT RAISE(ABORT, 'Datensatz gesperrt'); END;"));
    app::TForm1& f = form();
    buildPool(f);
    EXPECT_THROW(f.AnonymizeStudents(), util::Error);
    finish();
    EXPECT_EQ(student(1, "Name"), QStringLiteral("Zander"));
    EXPECT_EQ(guardian(10, "Name1"), QStringLiteral("Zander"));
    EXPECT_EQ(student(2, "Name || Vorname"), QStringLiteral("BauerBen"));
    EXPECT_EQ(guardian(14, "Name1"), QStringLiteral("Adler"));
}

}  // namespace
