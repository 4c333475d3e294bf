// Whole runs with Access files: a school directory in Access format serves the school
// stage exactly as the same directory in SQLite format does, and an Access target stops
// the run at its first write with a clear message and not one byte changed.
#include "tests/stages/schools/SchoolFixture.h"

#include "app/FileNameEdit.h"
#include "tools/sample/SampleGenerator.h"

#include <QLineEdit>

namespace {

using schooltest::rows;

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
        ASSERT_EQ(host->texts(), QStringList({"Fertig"}));
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

TEST_F(AccessFilesRun, AnAccessTargetStopsAtTheFirstWriteAndStaysAsItWas)
{
    const QByteArray before = testsupport::fileBytes(m_mdb.targetPath);
    testsupport::RecordingHost host;
    run(host, m_mdb.targetPath, m_mdb.directoryPath);
    ASSERT_EQ(host.unhandled.size(), 1) << host.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(host.unhandled[0].contains(QStringLiteral("ist schreibgeschützt: Das Schreiben in Access-Dateien "
                                                          "wird noch nicht unterstützt.")))
        << host.unhandled[0].toStdString();
    EXPECT_TRUE(host.unhandled[0].contains(m_mdb.targetPath)) << host.unhandled[0].toStdString();
    EXPECT_FALSE(host.texts().contains(QStringLiteral("Fertig")));
    EXPECT_EQ(testsupport::fileBytes(m_mdb.targetPath), before);
    EXPECT_FALSE(QFile::exists(m_mdb.targetPath + QStringLiteral("-journal")));
}
