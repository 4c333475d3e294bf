// Teachers: the rewritten columns, the abbreviations and their collisions, and the
// references in seven columns of other tables, which must always name a teacher that
// exists, also when a teacher's write or the moving of its references fails.
#include "RecordsFixture.h"
#include "tests/support/CrashSupport.h"

#include <csignal>

using namespace testsupport;

namespace {

// The stored values that the slots of every reference column start with: the three
// teachers' abbreviations, one that names nobody, an empty text and NULL.
const QStringList kSlots = {"ABE", "BRA", "CON", "XYZ", "", "<NULL>"};

class Teachers : public RecordsTest {
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        sql(QStringLiteral(
            "INSERT INTO K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname, Anrede, Geschlecht, Strasse, PLZ, Tel,"
            "  Handy, Email, EMailDienstlich, Geburtsdatum, IdentNr1, SerNr, Amtsbezeichnung) VALUES "
            "(1, 'ABE', 'ABE', 'Abel', 'Anna', 'Frau', 4, 'Ring 1', '11111', '1', '2', 'a@x.de', 'a@y.de',"
            "  '1970-05-04 00:00:00', '0405704', '01X', 'StR'),"
            "(2, 'BRA', 'BRA', 'Brandt', 'Bernd', 'Herr', 3, 'Ring 2', '22222', '3', '4', 'b@x.de', 'b@y.de',"
            "  NULL, NULL, NULL, 'OStR'),"
            "(3, 'CON', 'CON', 'Conrad', 'Carl', NULL, NULL, 'Ring 3', '33333', '5', '6', NULL, NULL,"
            "  '1980-12-31 10:20:30', NULL, NULL, NULL);"));
        const QStringList& columns = referenceColumns();
        QString inserts;
        for (int c = 0; c < columns.size(); ++c) {
            const QString table = columns[c].section(QLatin1Char('.'), 0, 0);
            const QString column = columns[c].section(QLatin1Char('.'), 1);
            for (int s = 0; s < kSlots.size(); ++s)
                inserts += QStringLiteral("INSERT INTO %1 (ID, %2) VALUES (%3, %4);")
                               .arg(table, column)
                               .arg(10 * c + s + 1)
                               .arg(kSlots[s] == QLatin1String("<NULL>")
                                        ? QStringLiteral("NULL")
                                        : QLatin1Char('\'') + kSlots[s] + QLatin1Char('\''));
        }
        sql(QStringLiteral("BEGIN;") + inserts + QStringLiteral("COMMIT;"));
    }

    void run(app::TForm1& f)
    {
        buildPool(f);
        f.AnonymizeTeachers();
        finish();
    }

    // What the seven reference columns hold in one slot (1-based), distinct values.
    QStringList slot(int s)
    {
        QStringList values;
        const QStringList& columns = referenceColumns();
        for (int c = 0; c < columns.size(); ++c) {
            const QString v = value(QStringLiteral("SELECT %1 FROM %2 WHERE ID=%3")
                                        .arg(columns[c].section(QLatin1Char('.'), 1),
                                             columns[c].section(QLatin1Char('.'), 0, 0))
                                        .arg(10 * c + s));
            if (!values.contains(v))
                values << v;
        }
        return values;
    }

    // Gives one slot (1-based) of every reference column another stored value.
    void setSlot(int s, const QString& stored)
    {
        const QStringList& columns = referenceColumns();
        QString updates;
        for (int c = 0; c < columns.size(); ++c)
            updates += QStringLiteral("UPDATE %1 SET %2='%3' WHERE ID=%4;")
                           .arg(columns[c].section(QLatin1Char('.'), 0, 0), columns[c].section(QLatin1Char('.'), 1),
                                stored)
                           .arg(10 * c + s);
        sql(updates);
    }

    QString teacher(int id, const QString& column)
    {
        return value(QStringLiteral("SELECT %1 FROM K_Lehrer WHERE ID=%2").arg(column).arg(id));
    }

    int placeholderReferences()
    {
        int n = 0;
        for (const QString& c : referenceColumns())
            n += value(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = 'DUMMY' COLLATE BINARY")
                           .arg(c.section(QLatin1Char('.'), 0, 0), c.section(QLatin1Char('.'), 1)))
                     .toInt();
        return n + value(QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE Kuerzel='DUMMY'")).toInt();
    }

    // For every row of every reference column, the ID of the teacher it names (none: "-").
    QString namedTeachers()
    {
        QString out;
        for (const QString& c : referenceColumns())
            out += value(QStringLiteral("SELECT group_concat(r.ID || ':' || ifnull(t.ID, '-')) FROM "
                                        "(SELECT * FROM %1 ORDER BY ID) r LEFT JOIN K_Lehrer t ON t.Kuerzel = r.%2")
                             .arg(c.section(QLatin1Char('.'), 0, 0), c.section(QLatin1Char('.'), 1)))
                + QLatin1Char(' ');
        return out;
    }

    // The slots that name no teacher stay as they were.
    void expectForeignSlotsUnchanged()
    {
        EXPECT_EQ(slot(4), QStringList({"XYZ"}));
        EXPECT_EQ(slot(5), QStringList({""}));
        EXPECT_EQ(slot(6), QStringList({"<NULL>"}));
    }
};

TEST_F(Teachers, ReferencesFollowTheirTeacherAndNoPlaceholderRemains)
{
    NameLists names;
    names.surnames = QStringList({"Zander", "Yilmaz", "Xhaka", "Wagner"});
    run(form(names));

    for (int id = 1; id <= 3; ++id) {
        SCOPED_TRACE(id);
        const QString abbreviation = teacher(id, "Kuerzel");
        EXPECT_NE(abbreviation, kSlots[id - 1]);
        EXPECT_EQ(teacher(id, "LIDKrz"), abbreviation);
        EXPECT_EQ(abbreviation.left(3), teacher(id, "upper(substr(Nachname, 1, 3))"));
        EXPECT_EQ(slot(id), QStringList({abbreviation}));
    }
    expectForeignSlotsUnchanged();
    EXPECT_EQ(placeholderReferences(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT count(DISTINCT Kuerzel) FROM K_Lehrer")), QStringLiteral("3"));
    // The placeholder took the next free key, and its row was counted like a teacher.
    EXPECT_EQ(app::TForm1Access::placeholderId(*m_form), 4);
    EXPECT_EQ(m_host.lastMaximum, 4);
    EXPECT_EQ(m_host.pumps, 4);
    EXPECT_TRUE(m_host.statuses.contains(QStringLiteral("Lehrer bearbeiten")));
}

TEST_F(Teachers, SalutationFraDecidesGenderFirstNameAndIdentNumber)
{
    sql(QStringLiteral("UPDATE K_Lehrer SET Anrede='frau' WHERE ID=2;"
                       "INSERT INTO K_Lehrer (ID, Kuerzel, Anrede, Geburtsdatum) VALUES (4, 'DEL', 'Frau ', NULL);"));
    app::TForm1& f = form();
    run(f);
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Vorname || Geschlecht) FROM (SELECT * FROM K_Lehrer ORDER "
                                   "BY ID)")),
              QStringLiteral("Erika4,Max3,Max3,Max3"));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE IdentNr1 IS NOT "
                                   "strftime('%d%m', Geburtsdatum) || substr(strftime('%Y', Geburtsdatum), 3) || "
                                   "Geschlecht")),
              QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE NOT (SerNr GLOB '0[1-9][0-9][0-9]X' AND "
                                   "CAST(substr(SerNr, 2, 3) AS INTEGER) <= 998 AND Tel GLOB "
                                   "'01234-[1-9][0-9][0-9][0-9][0-9][0-9]' AND Handy GLOB "
                                   "'0197-[1-9][0-9][0-9][0-9][0-9][0-9]')")),
              QStringLiteral("0"));
    EXPECT_EQ(teacher(1, "Email || ' ' || EMailDienstlich"),
              QStringLiteral("E.Zander@lehrer.example.org E.Zander@schule.example.org"));
    // Other columns are not the stage's.
    EXPECT_EQ(teacher(2, "Amtsbezeichnung"), QStringLiteral("OStR"));
}

TEST_F(Teachers, BirthDatesMoveOneTo1999DaysAndAMissingOneStartsFromOctober1963)
{
    run(form());
    const QString missing = teacher(2, "Geburtsdatum");
    EXPECT_GE(missing, QStringLiteral("1963-10-06 00:00:00"));
    EXPECT_LE(missing, QStringLiteral("1969-03-26 00:00:00"));
    const QString days = teacher(3, "julianday(Geburtsdatum) - julianday('1980-12-31 10:20:30')");
    EXPECT_GE(days.toDouble(), 1.0);
    EXPECT_LE(days.toDouble(), 1999.0);
    EXPECT_EQ(teacher(3, "time(Geburtsdatum)"), QStringLiteral("10:20:30"));
}

TEST_F(Teachers, SameFourLettersAndClashWithUnprocessedTeacherGiveCounterForms)
{
    NameLists names;
    names.surnames = QStringList({"Schmidt"});
    // Teacher 3 still carries the four letters that teacher 1 would get.
    sql(QStringLiteral("UPDATE K_Lehrer SET Kuerzel='schm' WHERE ID=3;"));
    setSlot(3, QStringLiteral("schm"));
    run(form(names));
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel) FROM (SELECT Kuerzel FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("SCH1,SCH2,SCH3"));
    EXPECT_EQ(slot(1), QStringList({"SCH1"}));
    EXPECT_EQ(slot(3), QStringList({"SCH3"}));
    EXPECT_EQ(placeholderReferences(), 0);
}

TEST_F(Teachers, AbbreviationIsCutTrimmedAndUpperCased)
{
    app::TForm1& f = form();
    struct Case {
        const char* surname;
        const char* abbreviation;
    };
    const Case cases[] = {
        {"Li", "LI"},       {"De Vries", "DE V"}, {" Ng", "NG"},    {"Müller", "MÜLL"}, {"Weiß", "WEIß"},
        {"li", "LI1"},      {"Müllner", "MÜL1"},  {"Lie", "LIE"},   {"Lie", "LIE1"},    {"Li", "LI2"},
        {"de vries", "DE1"}, {"", ""},            {"", "1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.MakeTeacherAbbreviation(QString::fromUtf8(c.surname)), QString::fromUtf8(c.abbreviation))
            << c.surname;

    util::StringList& set = app::TForm1Access::kuerzel(f);
    set.Clear();
    set.Add(QStringLiteral("SCHM"));
    for (int n = 1; n <= 9; ++n)
        set.Add(QStringLiteral("sch%1").arg(n));
    // From the tenth clash on the abbreviation grows to five characters.
    EXPECT_EQ(f.MakeTeacherAbbreviation(QStringLiteral("Schmitz")), QStringLiteral("SCH10"));
    EXPECT_EQ(set.Get(set.Count() - 1), QStringLiteral("SCH10"));
}

TEST_F(Teachers, AbbreviationStoredWithBlanksStaysReservedForTheWholeRun)
{
    sql(QStringLiteral("UPDATE K_Lehrer SET Kuerzel=' ZAND ' WHERE ID=1;"));
    setSlot(1, QStringLiteral(" ZAND "));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel) FROM (SELECT Kuerzel FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("ZAN1,ZAN2,ZAN3"));
    EXPECT_EQ(slot(1), QStringList({"ZAN1"}));
}

TEST_F(Teachers, OldAbbreviationIsFreedOnlyAfterItsTeacherWasWritten)
{
    NameLists names;
    names.surnames = QStringList({"Bra"});
    run(form(names));
    // Teacher 2 still carries BRA when it is given its new one; afterwards BRA is free.
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel) FROM (SELECT Kuerzel FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("BRA1,BRA2,BRA"));
    EXPECT_EQ(slot(2), QStringList({"BRA2"}));
    EXPECT_EQ(slot(3), QStringList({"BRA"}));
}

TEST_F(Teachers, FailedWriteKeepsTeacherAndItsReferencesAndItsAbbreviationReserved)
{
    NameLists names;
    names.surnames = QStringList({"Bra"});
    sql(QStringLiteral("CREATE TRIGGER gesperrt BEFORE UPDATE ON K_Lehrer WHEN old.ID=2 "
                       "BEGIN SELECT RAISE(ABORT, 'Datensatz gesperrt'); END;"));
    run(form(names));

    EXPECT_EQ(teacher(2, "Kuerzel || '/' || Nachname || '/' || Tel || '/' || coalesce(Geburtsdatum, '-')"),
              QStringLiteral("BRA/Brandt/3/-"));
    EXPECT_EQ(slot(2), QStringList({"BRA"}));
    // Teacher 3 neither takes teacher 2's references nor its abbreviation.
    EXPECT_EQ(teacher(3, "Kuerzel"), QStringLiteral("BRA3"));
    EXPECT_EQ(slot(3), QStringList({"BRA3"}));
    EXPECT_EQ(slot(1), QStringList({teacher(1, "Kuerzel")}));
    expectForeignSlotsUnchanged();
    EXPECT_EQ(placeholderReferences(), 0);
    EXPECT_EQ(m_host.messages.size(), 0u);
    ASSERT_EQ(m_host.diagnostics.size(), 1);
    EXPECT_TRUE(m_host.diagnostics[0].startsWith(QStringLiteral("BRA2 Post error: ")));
    EXPECT_TRUE(m_host.diagnostics[0].contains(QStringLiteral("Datensatz gesperrt")));
}

TEST_F(Teachers, ReferencesThatCannotAllMoveOnReturnTheTeacherToItsOldAbbreviation)
{
    // The course table refuses the abbreviation teacher 2 is given.
    sql(QStringLiteral("CREATE TRIGGER abgelehnt BEFORE UPDATE OF LehrerKrz ON Kurse WHEN new.LehrerKrz='ZAN1' "
                       "BEGIN SELECT RAISE(ABORT, 'Kürzel abgelehnt'); END;"
                       "UPDATE K_Lehrer SET LIDKrz='BR' WHERE ID=2;"));
    run(form());

    EXPECT_EQ(teacher(2, "Kuerzel || '/' || LIDKrz"), QStringLiteral("BRA/BR"));
    EXPECT_EQ(teacher(2, "Nachname"), QStringLiteral("Zander"));
    EXPECT_EQ(slot(2), QStringList({"BRA"}));
    EXPECT_EQ(teacher(3, "Kuerzel"), QStringLiteral("ZAN2"));
    EXPECT_EQ(slot(3), QStringList({"ZAN2"}));
    EXPECT_EQ(slot(1), QStringList({"ZAND"}));
    expectForeignSlotsUnchanged();
    EXPECT_EQ(placeholderReferences(), 0);
    ASSERT_FALSE(m_host.diagnostics.isEmpty());
    EXPECT_TRUE(m_host.diagnostics[0].startsWith(QStringLiteral("ZAN1 Verknüpfung ändern: ")));
}

TEST_F(Teachers, EmptyStoredAbbreviationMovesNoReferences)
{
    sql(QStringLiteral("UPDATE K_Lehrer SET Kuerzel='' WHERE ID=2; UPDATE K_Lehrer SET Kuerzel=NULL WHERE ID=3;"));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel) FROM (SELECT Kuerzel FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("ZAND,ZAN1,ZAN2"));
    // The rows holding an empty text or NULL belonged to nobody and still do.
    expectForeignSlotsUnchanged();
    EXPECT_EQ(slot(2), QStringList({"BRA"}));
    EXPECT_EQ(slot(1), QStringList({"ZAND"}));
    EXPECT_EQ(placeholderReferences(), 0);
}

TEST_F(Teachers, NamesOptionOffKeepsNamesAndAbbreviationsAndEveryReference)
{
    app::TForm1& f = form();
    setOptions(f, false, true, true, true);
    run(f);
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel || LIDKrz || Nachname || Vorname) FROM "
                                   "(SELECT * FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("ABEABEAbelAnna,BRABRABrandtBernd,CONCONConradCarl"));
    EXPECT_EQ(teacher(3, "Geschlecht"), QStringLiteral("3"));
    // The addresses are made from drawn names the row does not carry.
    EXPECT_EQ(teacher(2, "Email"), QStringLiteral("M.Zander@lehrer.example.org"));
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(slot(s), QStringList({kSlots[s - 1]}));
    expectForeignSlotsUnchanged();
    EXPECT_EQ(placeholderReferences(), 0);
}

TEST_F(Teachers, TeacherOptionOffOnlyRemovesLeftoverPlaceholder)
{
    sql(QStringLiteral("INSERT INTO K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) VALUES "
                       "(50, 'DUMMY', '?\?\?\?', 'DUMMY', 'DUMMY');"));
    const QString teachers = QStringLiteral("SELECT group_concat(Kuerzel || Nachname || Tel) FROM K_Lehrer");
    app::TForm1& f = form();
    f.chbxLehrerAnonym->setChecked(false);
    run(f);
    EXPECT_EQ(value(teachers), QStringLiteral("ABEAbel1,BRABrandt3,CONConrad5"));
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(slot(s), QStringList({kSlots[s - 1]}));
    EXPECT_EQ(m_host.pumps, 0);
}

TEST_F(Teachers, LeftoverPlaceholderIsRemovedBeforeTheNewOneTakesTheNextKey)
{
    sql(QStringLiteral("INSERT INTO K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) VALUES "
                       "(50, 'DUMMY', '?\?\?\?', 'DUMMY', 'DUMMY');"));
    run(form());
    EXPECT_EQ(app::TForm1Access::placeholderId(*m_form), 4);
    EXPECT_EQ(placeholderReferences(), 0);
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_Lehrer")), QStringLiteral("3"));
}

TEST_F(Teachers, FailedParkingEndsTheRunWithTheReferencesBackOnTheTeacher)
{
    sql(QStringLiteral("DROP TABLE Versetzung;"));
    app::TForm1& f = form();
    buildPool(f);
    EXPECT_THROW(f.AnonymizeTeachers(), util::Error);
    finish();
    EXPECT_EQ(teacher(1, "Kuerzel"), QStringLiteral("ABE"));
    for (int c = 0; c < 5; ++c) {
        const QString column = referenceColumns()[c];
        EXPECT_EQ(value(QStringLiteral("SELECT %1 FROM %2 WHERE ID=%3")
                            .arg(column.section(QLatin1Char('.'), 1), column.section(QLatin1Char('.'), 0, 0))
                            .arg(10 * c + 1)),
                  QStringLiteral("ABE"))
            << column.toStdString();
    }
}

TEST_F(Teachers, EmptyTeacherTableLeavesNoPlaceholder)
{
    sql(QStringLiteral("DELETE FROM K_Lehrer;"));
    run(form());
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM K_Lehrer")), QStringLiteral("0"));
    EXPECT_EQ(app::TForm1Access::placeholderId(*m_form), 1);
    EXPECT_EQ(m_host.lastMaximum, 1);
    EXPECT_EQ(placeholderReferences(), 0);
}

}  // namespace

namespace {

// Registered on the stage's connection in the crashing process only: the trigger that
// calls it kills the process in the middle of a statement, as kill -9 would.
void killNow(sqlite3_context*, int, sqlite3_value**)
{
    ::raise(SIGKILL);
}

}  // namespace

TEST_F(Teachers, KillInTheMiddleOfATeachersStepsLeavesEveryReferenceWithItsTeacher)
{
    NameLists names;
    names.surnames = QStringList({"Zander", "Yilmaz", "Xhaka", "Wagner"});
    const QString before = namedTeachers();
    // The second teacher's references are parked when its row is written.
    sql(QStringLiteral("CREATE TRIGGER absturz AFTER UPDATE ON K_Lehrer WHEN old.ID=2 BEGIN SELECT absturz(); END;"));
    app::TForm1& f = form(names);
    buildPool(f);
    finish();
    ASSERT_TRUE(runUntilKilled([&] {
        sqlite3_create_function(f.con.handle(), "absturz", 0, SQLITE_UTF8, nullptr, killNow, nullptr, nullptr);
        f.AnonymizeTeachers();
    }));

    // The next run, on what the killed one left.
    sql(QStringLiteral("DROP TRIGGER absturz;"));
    run(form(names));
    EXPECT_EQ(namedTeachers(), before);
    EXPECT_EQ(placeholderReferences(), 0);
    for (int id = 1; id <= 3; ++id)
        EXPECT_EQ(slot(id), QStringList({teacher(id, "Kuerzel")})) << id;
}

TEST_F(Teachers, RealTeacherCalledDummyStopsTheStageBeforeAnythingChanges)
{
    sql(QStringLiteral("UPDATE K_Lehrer SET Kuerzel='DUMMY' WHERE ID=2;"));
    setSlot(2, QStringLiteral("DUMMY"));
    const QString teachers = QStringLiteral("SELECT group_concat(ID || Kuerzel || Nachname || Tel) FROM K_Lehrer");
    const QString rowsBefore = value(teachers);
    const QString before = namedTeachers();
    app::TForm1& f = form();
    buildPool(f);
    try {
        f.AnonymizeTeachers();
        ADD_FAILURE() << "the stage must stop";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("DUMMY"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("ID 2"))) << e.message().toStdString();
    }
    finish();
    EXPECT_EQ(value(teachers), rowsBefore);
    EXPECT_EQ(namedTeachers(), before);
}

TEST_F(Teachers, BlankLinesOfTheNameListsAreNoNames)
{
    NameLists names;
    names.surnames = QStringList({"", "   ", "Zander", "\t"});
    names.male = QStringList({"", "Max"});
    const QString before = namedTeachers();
    run(form(names));
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(Kuerzel || '/' || Nachname || '/' || Vorname) FROM "
                                   "(SELECT * FROM K_Lehrer ORDER BY ID)")),
              QStringLiteral("ZAND/Zander/Erika,ZAN1/Zander/Max,ZAN2/Zander/Max"));
    EXPECT_EQ(namedTeachers().count(QLatin1Char('-')), before.count(QLatin1Char('-')));
    expectForeignSlotsUnchanged();
}

TEST_F(Teachers, ReferencesLeftOnThePlaceholderByAnEarlierRunStopTheStage)
{
    // What a run of an earlier version left when it was killed among the teachers.
    sql(QStringLiteral("INSERT INTO K_Lehrer (ID, Kuerzel, LIDKrz, Nachname, Vorname) VALUES "
                       "(50, 'DUMMY', '?\?\?\?', 'DUMMY', 'DUMMY');"));
    setSlot(4, QStringLiteral("DUMMY"));
    const QString teachers = QStringLiteral("SELECT group_concat(ID || Kuerzel || Nachname || Tel) FROM K_Lehrer "
                                            "WHERE ID < 50");
    const QString rowsBefore = value(teachers);
    app::TForm1& f = form();
    buildPool(f);
    try {
        f.AnonymizeTeachers();
        ADD_FAILURE() << "the stage must stop";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("7 Verweise"))) << e.message().toStdString();
    }
    finish();
    EXPECT_EQ(value(teachers), rowsBefore);
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(slot(s), QStringList({kSlots[s - 1]}));
    EXPECT_EQ(slot(4), QStringList({"DUMMY"}));
}
