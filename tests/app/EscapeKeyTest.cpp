// The Esc key on the main window, as a user meets it in the real message loop with the
// window's own message boxes: it takes the close box's way, so a run in progress ends
// at its next message-processing point, the pools go only after it, a failed run's
// error is always shown, and the program's exit status tells how the last run ended.
#include "app/Application.h"
#include "app/FileNameEdit.h"
#include "app/Unit1.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"
#include "tools/sample/SampleGenerator.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

using app::TForm1;

namespace {

// Answers every message box the window shows as a user would, with Esc, and keeps its
// text.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        m_timer.start(5);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

class EscapeKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        useSample(QStringLiteral("a"));
        // A program that hangs would hang the suite: give up after a minute.
        QObject::connect(&m_deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        m_deadline.setSingleShot(true);
        m_deadline.start(60000);
    }

    // A fresh sample target and directory in the folder `name`.
    void useSample(const QString& name)
    {
        sample::SampleOptions options;
        options.outDir = m_dir.path(name);
        const sample::SampleSummary summary = sample::writeSampleDatabases(options);
        m_target = summary.targetPath;
        m_directory = summary.directoryPath;
    }

    // The window as the program makes it: its own message boxes, no recording host.
    std::unique_ptr<TForm1> window()
    {
        auto form = std::make_unique<TForm1>(nullptr, QStringLiteral(EDVARA_SOURCE_DIR "/data"));
        form->setDirectoryFile(m_directory);
        form->setExtraSqlFile(m_dir.path(QStringLiteral("keine.txt")));
        form->edDB->setText(m_target);
        return form;
    }

    // Esc where a user's key goes: the field that has the focus, from which the window
    // gets what the field does not use.
    static void postEscape(TForm1& form)
    {
        QCoreApplication::postEvent(form.edDB, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }

    testsupport::TempFolder m_dir;
    QString m_target;
    QString m_directory;
    QTimer m_deadline;
};

}  // namespace

TEST_F(EscapeKey, WhenIdleClosesTheWindowTheWayTheCloseBoxDoes)
{
    auto form = window();
    QTimer::singleShot(0, form.get(), [&] { QTest::keyClick(form->edDB, Qt::Key_Escape); });
    EXPECT_EQ(app::runMainWindow(*form), app::kExitDone);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->pool("slNachnamen"), nullptr);  // FormClose ran
}

TEST_F(EscapeKey, DuringARunEndsItAtTheNextPointAndThenClosesTheWindow)
{
    // The same whether the run would have completed or failed later on (the teachers'
    // table missing makes it fail once the students are done).
    for (const bool failingLater : {false, true}) {
        SCOPED_TRACE(failingLater ? "run that would fail" : "run that would complete");
        if (failingLater) {
            useSample(QStringLiteral("b"));
            testsupport::runSql(m_target, QStringLiteral("DROP TABLE K_Lehrer"));
        }
        const QByteArray before = testsupport::fileBytes(m_target);
        BoxAnswerer boxes;
        auto form = window();
        QTimer::singleShot(0, form.get(), [&] {
            postEscape(*form);  // arrives at the first message-processing point of the run
            form->Button1Click();
        });
        EXPECT_EQ(app::runMainWindow(*form), app::kExitBrokenOff);
        EXPECT_EQ(form->lastOutcome(), app::RunOutcome::Cancelled);
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('|')).toStdString();
        // Nothing ran past the first student: the status line still names the students.
        EXPECT_EQ(form->Label2->text().toStdString(), "Schüler bearbeiten");
        EXPECT_EQ(form->progressPosition(), 1);
        EXPECT_NE(testsupport::fileBytes(m_target), before);  // the first student was written
        EXPECT_FALSE(form->con.Connected());
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->pool("slNachnamen"), nullptr);
    }
}

TEST_F(EscapeKey, AfterAFailedRunTheErrorWasShownAndTheProgramEndsWithStatusTwo)
{
    testsupport::runSql(m_target, QStringLiteral("DROP TABLE K_Lehrer"));
    BoxAnswerer boxes;
    auto form = window();
    QTimer::singleShot(0, form.get(), [&] {
        form->Button1Click();
        QTest::keyClick(form->edDB, Qt::Key_Escape);  // then the user leaves
    });
    EXPECT_EQ(app::runMainWindow(*form), app::kExitError);
    EXPECT_EQ(form->lastOutcome(), app::RunOutcome::Failed);
    ASSERT_EQ(boxes.texts.size(), 1) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("K_Lehrer"))) << boxes.texts[0].toStdString();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(EscapeKey, AfterACompletedRunTheProgramEndsWithStatusZero)
{
    BoxAnswerer boxes;
    auto form = window();
    QTimer::singleShot(0, form.get(), [&] {
        form->Button1Click();
        QTest::keyClick(form->edDB, Qt::Key_Escape);
    });
    EXPECT_EQ(app::runMainWindow(*form), app::kExitDone);
    // "Fertig", then at most the list of columns that still hold originals.
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_EQ(boxes.texts.first(), QStringLiteral("Fertig"));
    EXPECT_LE(boxes.texts.size(), 2) << boxes.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(form->isVisible());
}
