// The record stages in run order on the generated sample database, with its awkward
// cases: an abbreviation stored with blanks around it, a reference that differs from
// its abbreviation in letter case, umlauts, missing birth dates.
#include "RecordsFixture.h"
#include "tools/sample/SampleGenerator.h"

using namespace testsupport;

namespace {

const QStringList kReferenceColumns = referenceColumns();

class SampleRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        sample::SampleOptions options;
        options.outDir = m_dir.root();
        m_target = sample::writeSampleDatabases(options).targetPath;
    }

    // For every row of one reference column, the ID of the teacher it names under
    // Access's comparison (none: "-").
    QString teachersNamed(const QString& tableColumn)
    {
        const QString table = tableColumn.section(QLatin1Char('.'), 0, 0);
        const QString column = tableColumn.section(QLatin1Char('.'), 1);
        return queryText(m_target, QStringLiteral("SELECT group_concat(r.ID || ':' || ifnull(t.ID, '-')) FROM "
                                                  "(SELECT * FROM %1 ORDER BY ID) r LEFT JOIN K_Lehrer t ON "
                                                  "t.Kuerzel = r.%2 COLLATE JET_NOCASE")
                                       .arg(table, column));
    }

    int count(const QString& query) { return queryText(m_target, query).toInt(); }

    TempFolder m_dir;
    QString m_target;
    RecordingHost m_host;
};

TEST_F(SampleRun, EveryReferenceStillNamesItsTeacherAndNoPlaceholderRemains)
{
    std::map<QString, QString> before;
    for (const QString& c : kReferenceColumns)
        before[c] = teachersNamed(c);
    const int missingBirthDates = count(QStringLiteral("SELECT count(*) FROM Schueler WHERE Geburtsdatum IS NULL"));
    ASSERT_GT(missingBirthDates, 0);

    {
        app::TForm1 form(&m_host, QStringLiteral(EDVARA_BIN_DIR));
        form.con.SetConnectionString(db::TargetConnectionString(m_target));
        app::TForm1Access::startRun(form);
        form.BuildPostalCodePool();
        form.MarkPlacesVisible();
        form.AnonymizeStudents();
        form.AnonymizeGeneralAddresses();
        form.AnonymizeTeachers();
        form.PurgeShortPostalCodes();
        form.con.SetConnected(false);
    }

    for (const QString& c : kReferenceColumns) {
        EXPECT_EQ(teachersNamed(c), before[c]) << c.toStdString();
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = 'DUMMY'")
                            .arg(c.section(QLatin1Char('.'), 0, 0), c.section(QLatin1Char('.'), 1))),
                  0)
            << c.toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE Kuerzel = 'DUMMY'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE Kuerzel IS NOT LIDKrz")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) - count(DISTINCT Kuerzel) FROM K_Lehrer")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Schueler WHERE Geburtsdatum IS NULL")), missingBirthDates);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Schueler WHERE Geburtsdatum < '1901'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM K_Ort WHERE length(PLZ) < 5 OR PLZ IS NULL")), 0);
    EXPECT_TRUE(m_host.diagnostics.isEmpty()) << m_host.diagnostics.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
