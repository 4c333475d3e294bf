// The window as the user meets it: controls, the Start button's rule, the file field and
// its dialog.
#include "app/Application.h"
#include "app/FileNameEdit.h"
#include "app/Pools.h"
#include "app/Unit1.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using app::TForm1;
using testsupport::RecordingHost;

namespace {

// A names folder with all four lists, so start-up succeeds.
void writeNameLists(const testsupport::TempFolder& dir)
{
    for (const char* name : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"}) {
        QFile f(dir.path(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBFM\xC3\xBCller\r\nSchmidt\r\n");
    }
}

}  // namespace

TEST(Window, OpensWithTheControlsOfTheForm)
{
    testsupport::ensureApplication();
    testsupport::TempFolder names;
    writeNameLists(names);
    RecordingHost host;
    TForm1 form(&host, names.root());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Edvara-Datenbank anonymisieren"));
    EXPECT_EQ(form.size(), QSize(442, 299));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    struct Expected { const char* name; const char* caption; QRect geometry; };
    const Expected boxes[] = {
        {"chbxNamen", "Schüler-Namen anonymisieren", {10, 15, 161, 17}},
        {"chbxGebDat", "Geburtsdatum anonymisieren", {10, 35, 411, 17}},
        {"chbxStrassen", "Straßen anonymisieren", {10, 55, 161, 17}},
        {"chbxOrte", "Orte anonymisieren", {10, 75, 161, 17}},
        {"chbxSchulen", "Schulen anonymisieren", {10, 95, 161, 17}},
        {"chbxSNRAnonym", "Eigene Schulnummer anonymisieren", {10, 115, 401, 17}},
        {"chbxLehrerAnonym", "Lehrkräfte anonymisieren", {10, 135, 401, 17}},
    };
    for (const Expected& e : boxes) {
        auto* box = form.findChild<QCheckBox*>(QLatin1String(e.name));
        ASSERT_NE(box, nullptr) << e.name;
        EXPECT_EQ(box->text(), QString::fromUtf8(e.caption));
        EXPECT_EQ(box->geometry(), e.geometry) << e.name;
        EXPECT_TRUE(box->isChecked()) << e.name;
        EXPECT_EQ(box->parentWidget(), form.GroupBox1);
    }
    EXPECT_EQ(form.GroupBox1->title(), QStringLiteral("Optionen"));
    EXPECT_EQ(form.GroupBox1->geometry(), QRect(3, 65, 436, 202));
    EXPECT_EQ(form.Button1->text(), QStringLiteral("Start"));
    EXPECT_EQ(form.Button1->geometry(), QRect(360, 25, 75, 25));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Datenbank"));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("Nur folgende Orte verwenden (mit Komma getrennt)"));
    EXPECT_EQ(form.Label2->geometry(), QRect(0, 270, 442, 13));
    EXPECT_EQ(form.Progress->geometry(), QRect(0, 283, 442, 16));
    EXPECT_EQ(form.Progress->value(), 0);
    EXPECT_EQ(form.Progress->maximum(), 100);
    EXPECT_TRUE(form.Label2->text().isEmpty());
    EXPECT_FALSE(form.Button1->isEnabled());
    EXPECT_TRUE(host.unhandled.isEmpty());

    // Tab order: Start, the file field, then the options in the frame's own order.
    QWidget* expected[] = {form.Button1, form.edDB, form.chbxNamen, form.chbxStrassen, form.chbxOrte,
                           form.chbxSchulen, form.edOrte, form.chbxSNRAnonym, form.chbxGebDat,
                           form.chbxLehrerAnonym};
    auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (size_t i = 0; i + 1 < std::size(expected); ++i)
        EXPECT_EQ(nextTabStop(expected[i]), expected[i + 1]) << i;
}

// The option beyond the usual run: off when the window opens, beside the other
// options where the frame has room, its caption whole, after them in the tab order.
TEST(Window, TheOptionForTheRemainingColumnsIsOffAndOverlapsNoOtherControl)
{
    testsupport::ensureApplication();
    testsupport::TempFolder names;
    writeNameLists(names);
    RecordingHost host;
    TForm1 form(&host, names.root());
    QCheckBox* box = form.chbxUebrigeSpalten;
    EXPECT_EQ(box, form.findChild<QCheckBox*>(QStringLiteral("chbxUebrigeSpalten")));
    EXPECT_EQ(box->text(), QStringLiteral("Auch übrige personenbezogene Spalten ersetzen"));
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(box->parentWidget(), form.GroupBox1);
    EXPECT_TRUE(form.GroupBox1->rect().contains(box->geometry()));
    for (QWidget* other : form.GroupBox1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != box) {
            EXPECT_FALSE(other->geometry().intersects(box->geometry())) << other->objectName().toStdString();
        }
    }
    EXPECT_LE(box->sizeHint().width(), box->width()) << "caption cut off";
    EXPECT_EQ(form.chbxLehrerAnonym->nextInFocusChain(), box);
}

TEST(Window, StartButtonFollowsOnlyTheFileDialog)
{
    testsupport::ensureApplication();
    testsupport::TempFolder names;
    writeNameLists(names);
    RecordingHost host;
    TForm1 form(&host, names.root());
    std::optional<QString> answer;
    QString seenTitle, seenFilter, seenFolder;
    form.edDB->setDialogRunner([&](const QString& title, const QString& filter, const QString& folder) {
        seenTitle = title;
        seenFilter = filter;
        seenFolder = folder;
        return answer;
    });

    // Cancelling while the field is empty keeps Start disabled.
    form.edDB->browse();
    EXPECT_FALSE(form.Button1->isEnabled());
    EXPECT_EQ(seenTitle, QStringLiteral("Browse"));
    EXPECT_EQ(seenFilter, QStringLiteral("*.mdb"));

    // Accepting a path with a blank shows it in quotes and enables Start.
    answer = names.path(QStringLiteral("meine Schule.mdb"));
    form.edDB->browse();
    EXPECT_TRUE(form.Button1->isEnabled());
    EXPECT_EQ(form.edDB->text(), QLatin1Char('"') + *answer + QLatin1Char('"'));

    // Typing changes nothing; the dialog starts in the folder of the field's content.
    form.edDB->clear();
    QTest::keyClicks(form.edDB, names.path(QStringLiteral("x.mdb")));
    EXPECT_TRUE(form.Button1->isEnabled());
    answer.reset();
    QTest::keyClick(form.edDB, Qt::Key_Down, Qt::AltModifier);  // Alt+Down opens the dialog too
    EXPECT_EQ(seenFolder, names.root());
    EXPECT_TRUE(form.Button1->isEnabled());  // cancelled with text in the field: enabled

    form.edDB->clear();
    form.edDB->browse();
    EXPECT_FALSE(form.Button1->isEnabled());
}

TEST(Window, MissingNameFileIsReportedAndTheWindowStillOpens)
{
    testsupport::ensureApplication();
    testsupport::TempFolder names;
    writeNameLists(names);
    QFile::remove(names.path(QStringLiteral("vornamen_w.txt")));
    app::RandomSource::instance().seed(0);
    RecordingHost host;
    TForm1 form(&host, names.root());
    ASSERT_EQ(host.unhandled.size(), 1);
    EXPECT_TRUE(host.unhandled[0].startsWith(
        QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(names.path(QStringLiteral("vornamen_w.txt")))))
        << host.unhandled[0].toStdString();
    // The lists before the failing one are loaded, the rest stay empty, no seeding.
    EXPECT_EQ(form.pool("slNachnamen")->Count(), 2);
    EXPECT_EQ(form.pool("slNachnamen")->Get(0), QStringLiteral("Müller"));
    EXPECT_EQ(form.pool("slVornamenW")->Count(), 0);
    EXPECT_EQ(form.pool("slStrassen")->Count(), 0);
    EXPECT_EQ(app::RandomSource::instance().state(), 0u);
}

TEST(Window, ApplicationTitleFromTheProgramFile)
{
    EXPECT_EQ(app::ApplicationTitle(QStringLiteral("/opt/x/EdvaraAnonym.exe")), QStringLiteral("Edvaraanonym"));
    EXPECT_EQ(app::ApplicationTitle(QStringLiteral("/usr/bin/edvara-anonymisieren")),
              QStringLiteral("edvara-anonymisieren"));
    EXPECT_EQ(app::ApplicationTitle(QStringLiteral("ANON.tar.gz")), QStringLiteral("Anon"));
}

TEST(Window, StandardDialogsSpeakGerman)
{
    testsupport::ensureApplication();
    ASSERT_TRUE(app::loadQtTranslations(*QCoreApplication::instance()))
        << "Qt's German texts (qtbase_de.qm, Debian package qt6-translations-l10n) are missing";
    app::TFileNameEdit field;
    QStringList buttons, labels;
    // The field's own dialog, as its browse button opens it; looked at, then cancelled.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (const QPushButton* b : dialog->findChildren<QPushButton*>())
            buttons << b->text().remove(QLatin1Char('&'));
        for (const QLabel* l : dialog->findChildren<QLabel*>())
            labels << l->text().remove(QLatin1Char('&'));
        dialog->reject();
    });
    field.browse();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Öffnen"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Abbrechen"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Suchen in:"))) << labels.join(QLatin1Char('|')).toStdString();
}
