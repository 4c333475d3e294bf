// Whole runs with Access files: a school directory in Access format serves the school
// stage exactly as the same directory in SQLite format does, and a run on an Access target
// leaves the same content as the same run on the SQLite target, in a file Jackcess finds sound.
#include "tests/stages/schools/SchoolFixture.h"
#include "tests/support/Judge.h"

#include "app/FileNameEdit.h"
#include "db/ConnectionString.h"
#include "db/DbConnection.h"
#include "tools/sample/Leftovers.h"
#include "tools/sample/SampleGenerator.h"

#include <QLineEdit>

namespace {

using schooltest::rows;

// Every row of every table, as text, sorted: the same for an Access and a SQLite file of
// the same content.
QStringList everyRow(const QString& path, const char* password)
{
    db::DbConnection con;
    con.SetConnectionString(QStringLiteral("Data Source=%1;Jet OLEDB:Database Password=%2").arg(path, QLatin1String(password)));
    QStringList out;
    for (const QString& table : con.TableNames()) {
        con.Query(QStringLiteral("select * from [%1]").arg(table), [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
            QStringList cells{table};
            for (const db::Value& v : row) {
                if (db::isNull(v))
                    cells << QStringLiteral("<NULL>");
                else if (const auto* i = std::get_if<qint64>(&v))
                    cells << QString::number(*i);
                else if (const auto* d = std::get_if<double>(&v))
                    cells << QString::number(*d, 'g', 15);
                else if (const auto* t = std::get_if<QString>(&v))
                    cells << *t;
                else
                    cells << QString::fromLatin1(std::get<QByteArray>(v).toHex());
            }
            out << cells.join(QLatin1Char('|'));
        });
    }
    out.sort();
    return out;
}

class AccessFilesRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        for (const char* name : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"}) {
            QFile f(m_program.path(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("Ente\r\nGans\r\nHuhn\r\n");
        }
        sample::SampleOptions options;
        options.seed = 11;
        options.outDir = m_sqlite.root();
        m_plain = sample::writeSampleDatabases(options);
        options.outDir = m_access.root();
        options.access = true;
        m_mdb = sample::writeSampleDatabases(options);
    }

    // One run of the window with every option ticked and a fixed random start.
    void run(testsupport::RecordingHost& host, const QString& target, const QString& directory)
    {
        app::TForm1 form(&host, m_program.root());
        form.setProgramFolder(m_program.root());
        form.setDirectoryFile(directory);
        form.edDB->setText(target);
        app::RandomSource::instance().seed(7);
        form.Button1Click();
    }

    testsupport::TempFolder m_program, m_sqlite, m_access;
    sample::SampleSummary m_plain, m_mdb;
};

}  // namespace

TEST_F(AccessFilesRun, AnAccessDirectoryServesTheSchoolStageAsTheSqliteOneDoes)
{
    ASSERT_TRUE(testsupport::fileBytes(m_mdb.directoryPath).startsWith(QByteArray("\0\1\0\0Standard Jet DB", 19)));
    const QString withSqlite = m_program.path(QStringLiteral("a.sqlite"));
    const QString withAccess = m_program.path(QStringLiteral("b.sqlite"));
    ASSERT_TRUE(QFile::copy(m_plain.targetPath, withSqlite));
    ASSERT_TRUE(QFile::copy(m_plain.targetPath, withAccess));
    const QByteArray directoryBytes = testsupport::fileBytes(m_mdb.directoryPath);

    testsupport::RecordingHost a, b;
    run(a, withSqlite, m_plain.directoryPath);
    run(b, withAccess, m_mdb.directoryPath);
    for (testsupport::RecordingHost* host : {&a, &b}) {
        ASSERT_TRUE(host->unhandled.isEmpty()) << host->unhandled.join(QLatin1Char('\n')).toStdString();
        // "Fertig", then at most the list of columns that still hold originals.
        ASSERT_FALSE(host->texts().isEmpty());
        ASSERT_EQ(host->texts().first(), QStringLiteral("Fertig"));
        ASSERT_LE(host->texts().size(), 2) << host->texts().join(QLatin1Char('\n')).toStdString();
        if (host->texts().size() == 2) {
            EXPECT_TRUE(host->texts()[1].startsWith(QStringLiteral("In diesen Spalten"))) << host->texts()[1].toStdString();
        }
    }
    for (const char* sql : {"SELECT * FROM K_Schule ORDER BY ID", "SELECT ID, LSSchulnr FROM Schueler ORDER BY ID",
                            "SELECT * FROM EigeneSchule"}) {
        const QStringList expected = rows(withSqlite, QLatin1String(sql));
        EXPECT_GT(expected.size(), 0);
        EXPECT_EQ(rows(withAccess, QLatin1String(sql)), expected) << sql;
    }
    // Schools were really redrawn, and the directory was only read.
    EXPECT_NE(rows(withAccess, QStringLiteral("SELECT SchulNr FROM K_Schule ORDER BY ID")),
              rows(m_plain.targetPath, QStringLiteral("SELECT SchulNr FROM K_Schule ORDER BY ID")));
    EXPECT_EQ(testsupport::fileBytes(m_mdb.directoryPath), directoryBytes);
}

TEST_F(AccessFilesRun, AnAccessTargetEndsWithTheContentOfTheSameRunOnSqlite)
{
    testsupport::RecordingHost onSqlite, onAccess;
    run(onSqlite, m_plain.targetPath, m_plain.directoryPath);
    run(onAccess, m_mdb.targetPath, m_plain.directoryPath);
    for (testsupport::RecordingHost* host : {&onSqlite, &onAccess}) {
        ASSERT_TRUE(host->unhandled.isEmpty()) << host->unhandled.join(QLatin1Char('\n')).toStdString();
        // "Fertig", then at most the list of columns that still hold originals.
        ASSERT_FALSE(host->texts().isEmpty());
        ASSERT_EQ(host->texts().first(), QStringLiteral("Fertig"));
        ASSERT_LE(host->texts().size(), 2) << host->texts().join(QLatin1Char('\n')).toStdString();
        if (host->texts().size() == 2) {
            EXPECT_TRUE(host->texts()[1].startsWith(QStringLiteral("In diesen Spalten"))) << host->texts()[1].toStdString();
        }
    }
    // The same originals are left in the same columns, whichever engine holds them.
    EXPECT_EQ(onAccess.texts(), onSqlite.texts());
    EXPECT_FALSE(QFile::exists(m_mdb.targetPath + QStringLiteral("-journal")));
    const QStringList expected = everyRow(m_plain.targetPath, "");
    const QStringList actual = everyRow(m_mdb.targetPath, db::kTargetPassword);
    EXPECT_GT(expected.size(), 1000);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "row " << i;
    EDVARA_EXPECT_JUDGE_ACCEPTS(m_mdb.targetPath.toStdString());
}

// Ctrl+C while the free space is being overwritten: the run ends without "Fertig", and the
// file is exactly as the stages left it (the scrub's unit never reaches it), with the
// leftovers still there for the next run.
TEST_F(AccessFilesRun, CtrlCDuringTheScrubLeavesTheFileAsTheStagesLeftIt)
{
    ASSERT_GT(sample::plantLeftovers(m_mdb.targetPath, true).pagesGivenBack, 0);
    testsupport::RecordingHost host;
    QByteArray beforeScrub;
    host.onProgress = [&](int position, int) {
        if (beforeScrub.isEmpty() && position > 0 && host.statuses.last() == QStringLiteral("Freien Speicher überschreiben")) {
            beforeScrub = testsupport::fileBytes(m_mdb.targetPath);
            host.interrupt = true;
        }
    };
    app::TForm1 form(&host, m_program.root());
    form.setProgramFolder(m_program.root());
    form.setDirectoryFile(m_plain.directoryPath);
    form.edDB->setText(m_mdb.targetPath);
    app::RandomSource::instance().seed(7);
    form.Button1Click();
    ASSERT_FALSE(beforeScrub.isEmpty());
    EXPECT_EQ(form.lastOutcome(), app::RunOutcome::Cancelled);
    EXPECT_FALSE(host.texts().contains(QStringLiteral("Fertig")));
    EXPECT_TRUE(host.unhandled.isEmpty()) << host.unhandled.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(testsupport::fileBytes(m_mdb.targetPath) == beforeScrub);
    EXPECT_FALSE(QFile::exists(m_mdb.targetPath + QStringLiteral("-journal")));
}
