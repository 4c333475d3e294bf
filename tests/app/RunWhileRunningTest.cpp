// Input that arrives while a run is in progress: a second Start does nothing, a close
// ends the run at its next message-processing point and only then releases the pools.
#include "app/FileNameEdit.h"
#include "app/Unit1.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"
#include "tools/sample/SampleGenerator.h"

#include <QLineEdit>
#include <QTest>

using app::TForm1;
using testsupport::RecordingHost;

namespace {

class RunWhileRunning : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        sample::SampleOptions options;
        options.outDir = m_dir.root();
        const auto summary = sample::writeSampleDatabases(options);
        m_target = summary.targetPath;
        m_form = std::make_unique<TForm1>(&m_host, QStringLiteral(EDVARA_SOURCE_DIR "/data"));
        m_form->setDirectoryFile(summary.directoryPath);
        m_form->setExtraSqlFile(m_dir.path(QStringLiteral("keine.txt")));
        m_form->edDB->setText(m_target);
    }

    testsupport::TempFolder m_dir;
    QString m_target;
    RecordingHost m_host;
    std::unique_ptr<TForm1> m_form;
};

}  // namespace

TEST_F(RunWhileRunning, SecondStartDuringARunDoesNothing)
{
    int nested = 0;
    m_host.onPump = [&] {
        if (nested++ == 0)
            m_form->Button1Click();
    };
    m_form->Button1Click();
    ASSERT_GT(m_host.pumps, 0);
    EXPECT_EQ(m_host.statuses.count(QStringLiteral("Schüler bearbeiten")), 1);
    EXPECT_EQ(m_host.texts().count(QStringLiteral("Fertig")), 1) << m_host.unhandled.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_form->lastOutcome(), app::RunOutcome::Completed);
    EXPECT_FALSE(m_form->running());
}

TEST_F(RunWhileRunning, CloseDuringARunEndsItBeforeThePoolsGo)
{
    bool poolsAliveWhenClosed = false;
    m_host.onPump = [&] {
        if (m_host.pumps == 1) {
            m_form->close();
            poolsAliveWhenClosed = m_form->pool("slNachnamen") != nullptr && m_form->isVisible();
        }
    };
    m_form->show();
    m_form->Button1Click();
    EXPECT_TRUE(poolsAliveWhenClosed);
    EXPECT_EQ(m_form->lastOutcome(), app::RunOutcome::Cancelled);
    EXPECT_EQ(m_host.pumps, 1);  // nothing ran past the point where the close arrived
    EXPECT_TRUE(m_host.texts().isEmpty());
    EXPECT_TRUE(m_host.unhandled.isEmpty());
    // The run ended (target disconnected), then the window closed and released its pools.
    EXPECT_FALSE(m_form->con.Connected());
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_EQ(m_form->pool("slNachnamen"), nullptr);
}

TEST_F(RunWhileRunning, EscDuringARunTakesTheCloseBoxWay)
{
    bool poolsAliveWhenPressed = false;
    m_host.onPump = [&] {
        if (m_host.pumps == 1) {
            QTest::keyClick(m_form->edDB, Qt::Key_Escape);
            poolsAliveWhenPressed = m_form->pool("slNachnamen") != nullptr && m_form->isVisible();
        }
    };
    m_form->show();
    m_form->Button1Click();
    EXPECT_TRUE(poolsAliveWhenPressed);
    EXPECT_EQ(m_form->lastOutcome(), app::RunOutcome::Cancelled);
    EXPECT_EQ(m_host.pumps, 1);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_EQ(m_form->pool("slNachnamen"), nullptr);
}

TEST_F(RunWhileRunning, CtrlCAfterTheLastPauseEndsTheRunWithoutFertig)
{
    // Raised while the run sets its progress bar back, after every stage and pause (the
    // last of them the search for originals left in the file).
    m_host.onProgress = [&](int position, int) {
        if (position == 0 && m_host.statuses.last() == QStringLiteral("Verbliebene Originalwerte suchen"))
            m_host.interrupt = true;
    };
    m_form->Button1Click();
    EXPECT_TRUE(m_host.interrupt);
    EXPECT_EQ(m_form->lastOutcome(), app::RunOutcome::Cancelled);
    EXPECT_FALSE(m_host.texts().contains(QStringLiteral("Fertig")));
    EXPECT_TRUE(m_host.unhandled.isEmpty());
    EXPECT_FALSE(m_form->con.Connected());
}

TEST_F(RunWhileRunning, CtrlCInTheMiddleOfAStageStopsItsNextStatement)
{
    // Raised among the teachers, between two statements: the next one must not run.
    m_host.onProgress = [&](int position, int) {
        if (position == 2 && m_host.statuses.last() == QStringLiteral("Lehrer bearbeiten"))
            m_host.interrupt = true;
    };
    const int pumpsBefore = m_host.pumps;
    m_form->Button1Click();
    EXPECT_EQ(m_form->lastOutcome(), app::RunOutcome::Cancelled);
    EXPECT_TRUE(m_host.unhandled.isEmpty()) << m_host.unhandled.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_host.statuses.last(), QStringLiteral("Lehrer bearbeiten"));
    EXPECT_GT(m_host.pumps, pumpsBefore);
    // Teachers before the interrupt were written; the one it met is as it was, and so
    // are its references: nothing of its unit reached the file.
    EXPECT_EQ(testsupport::queryText(m_target, QStringLiteral("SELECT count(*) FROM Versetzung WHERE "
                                                               "KlassenlehrerKrz = 'DUMMY' OR StvKlassenlehrerKrz = 'DUMMY'")),
              QStringLiteral("0"));
}
