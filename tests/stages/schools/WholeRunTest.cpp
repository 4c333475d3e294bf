// A whole run on the sample database with every option ticked, and the run that the
// clean-up ends when a table is missing. Needs the sample tool beside the programs.
#include "tests/stages/schools/SchoolFixture.h"

#include "app/FileNameEdit.h"

#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QProcess>

namespace {

using schooltest::rows;
using testsupport::queryText;

class WholeRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString tool = QStringLiteral(EDVARA_BIN_DIR "/edvara-sample");
        if (!QFileInfo(tool).isExecutable())
            GTEST_SKIP() << "edvara-sample is not built";
        testsupport::ensureApplication();
        QProcess sample;
        sample.start(tool, {QStringLiteral("--out"), m_dir.root(), QStringLiteral("--seed"), QStringLiteral("11")});
        ASSERT_TRUE(sample.waitForFinished(60000));
        ASSERT_EQ(sample.exitCode(), 0) << sample.readAllStandardError().toStdString();
        m_target = m_dir.path(QStringLiteral("Edvara.sqlite"));
        m_before = m_dir.path(QStringLiteral("vorher.sqlite"));
        ASSERT_TRUE(QFile::copy(m_target, m_before));
        for (const char* name : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"}) {
            QFile f(m_dir.path(QLatin1String(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("Ente\r\nGans\r\nHuhn\r\n");
        }
        form = std::make_unique<app::TForm1>(&host, m_dir.root());
        form->setProgramFolder(m_dir.root());
        form->edDB->setText(m_target);
    }

    QStringList after(const QString& sql) { return rows(m_target, sql); }
    QStringList before(const QString& sql) { return rows(m_before, sql); }

    testsupport::TempFolder m_dir;
    QString m_target;
    QString m_before;
    testsupport::RecordingHost host;
    std::unique_ptr<app::TForm1> form;
};

}  // namespace

TEST_F(WholeRun, EveryOptionTickedEndsWithFertigAndEveryStudentFollowsTheMapping)
{
    QFile extra(m_dir.path(QStringLiteral("Weitere_SQL_Befehle.txt")));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.write("\xEF\xBB\xBFupdate EigeneSchule set Homepage='www.schule.example.org'\r\n");
    extra.close();

    form->Button1Click();
    ASSERT_TRUE(host.unhandled.isEmpty()) << host.unhandled.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.front().kind, app::MessageKind::Information);
    EXPECT_EQ(host.messages.front().text, QStringLiteral("Fertig"));
    // After "Fertig" only the information which columns still hold originals.
    ASSERT_LE(host.messages.size(), 2u) << host.texts().join(QLatin1Char('\n')).toStdString();
    if (host.messages.size() == 2) {
        EXPECT_EQ(host.messages.back().kind, app::MessageKind::Information);
        EXPECT_TRUE(host.messages.back().text.contains(QStringLiteral("Weitere_SQL_Befehle.txt")));
    }
    EXPECT_EQ(host.statuses.mid(host.statuses.size() - 5),
        QStringList({"Schulen zuordnen", "Restarbeiten", "Externe SQL-Befehle", "Freien Speicher überschreiben",
                     "Verbliebene Originalwerte suchen"}));

    EXPECT_EQ(after(QStringLiteral("SELECT Schulnr, SchultraegerNr, Homepage, SchulleiterName FROM EigeneSchule")),
        QStringList({"123456|12345|www.schule.example.org|Gans"}));
    EXPECT_EQ(after(QStringLiteral("SELECT DISTINCT SchulnrEigner FROM Schueler")), QStringList({"123456"}));

    // K_Schule: one row per school of the range (the sample has candidates enough),
    // each a distinct directory school, plus the own school.
    const QStringList inRange
        = before(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulNr BETWEEN '100000' AND '200000'"));
    const QStringList rebuilt = after(QStringLiteral("SELECT SchulNr FROM K_Schule WHERE SchulNr<>'123456'"));
    EXPECT_EQ(rebuilt.size(), inRange.size());
    EXPECT_EQ(QSet<QString>(rebuilt.begin(), rebuilt.end()).size(), rebuilt.size());
    EXPECT_EQ(after(QStringLiteral("SELECT count(*) FROM K_Schule WHERE SchulNr='123456'")), QStringList({"1"}));
    const QStringList directory
        = rows(m_dir.path(QStringLiteral("Schulver.mdb")), QStringLiteral("SELECT Schulnr FROM DBS"));
    const QSet<QString> directorySet(directory.begin(), directory.end());
    for (const QString& nr : rebuilt)
        EXPECT_TRUE(directorySet.contains(nr)) << nr.toStdString();

    // Every student kept its number or moved from a school of the range to the one
    // number drawn for it; all students of one old school moved together.
    const QStringList old = before(QStringLiteral("SELECT ID, ifnull(LSSchulnr, '') FROM Schueler ORDER BY ID"));
    const QStringList now = after(QStringLiteral("SELECT ID, ifnull(LSSchulnr, '') FROM Schueler ORDER BY ID"));
    ASSERT_EQ(old.size(), now.size());
    const QSet<QString> oldRange(inRange.begin(), inRange.end());
    const QSet<QString> rebuiltSet(rebuilt.begin(), rebuilt.end());
    QHash<QString, QString> mapping;
    int moved = 0;
    for (int i = 0; i < old.size(); ++i) {
        const QString b = old[i].section(QLatin1Char('|'), 1);
        const QString a = now[i].section(QLatin1Char('|'), 1);
        if (oldRange.contains(b)) {
            EXPECT_TRUE(rebuiltSet.contains(a)) << b.toStdString() << " -> " << a.toStdString();
            EXPECT_EQ(mapping.value(b, a), a) << "students of " << b.toStdString() << " split up";
            mapping.insert(b, a);
            moved += a != b;
        } else {
            EXPECT_EQ(a, b) << "student " << old[i].toStdString() << " referred to a school outside the range";
        }
    }
    EXPECT_GT(moved, 0);
    const QList<QString> targets = mapping.values();
    EXPECT_EQ(QSet<QString>(targets.begin(), targets.end()).size(), mapping.size()) << "two schools merged";
}

TEST_F(WholeRun, MissingReportTemplatesEndTheRunWithTheEngineMessage)
{
    testsupport::runSql(m_target, QStringLiteral("DROP TABLE SchuelerReportvorlagen"));
    form->Button1Click();
    ASSERT_EQ(host.unhandled.size(), 1);
    EXPECT_TRUE(host.unhandled[0].contains(QStringLiteral("SchuelerReportvorlagen")))
        << host.unhandled[0].toStdString();
    EXPECT_TRUE(host.messages.empty()) << "no Fertig";
    EXPECT_EQ(after(QStringLiteral("SELECT count(*) FROM LehrerFotos")), QStringList({"0"}));
    EXPECT_EQ(after(QStringLiteral("SELECT count(*) FROM SchuelerWiedervorlage")), QStringList({"0"}));
    EXPECT_EQ(
        after(QStringLiteral("SELECT count(*) FROM Users")), before(QStringLiteral("SELECT count(*) FROM Users")));
}

TEST_F(WholeRun, RowsThatCouldNotBeAnonymisedAreListedAfterFertig)
{
    // Teacher 3's row refuses every new name; one line of the extra file is refused.
    testsupport::runSql(m_target,
        QStringLiteral("CREATE TRIGGER gesperrt BEFORE UPDATE OF Nachname ON K_Lehrer WHEN old.ID=3 "
                       "BEGIN SELECT RAISE(ABORT, 'Datensatz gesperrt'); END;"));
    QFile extra(m_dir.path(QStringLiteral("Weitere_SQL_Befehle.txt")));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.write("update EigeneSchule set Homepage='www.schule.example.org'\r\nupdate Gibtsnicht set x=1\r\n");
    extra.close();

    form->Button1Click();
    ASSERT_TRUE(host.unhandled.isEmpty()) << host.unhandled.join(QLatin1Char('\n')).toStdString();
    const QStringList texts = host.texts();
    const qsizetype fertig = texts.indexOf(QStringLiteral("Fertig"));
    ASSERT_GE(fertig, 0) << texts.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(texts.size(), fertig + 2) << "one box after Fertig: " << texts.join(QLatin1Char('\n')).toStdString();
    const QString list = texts.last();
    EXPECT_TRUE(list.contains(QStringLiteral("K_Lehrer"))) << list.toStdString();
    EXPECT_TRUE(list.contains(QStringLiteral("ID 3"))) << list.toStdString();
    EXPECT_TRUE(list.contains(QStringLiteral("Datensatz gesperrt"))) << list.toStdString();
    EXPECT_TRUE(list.contains(QStringLiteral("update Gibtsnicht set x=1"))) << list.toStdString();
    EXPECT_NE(form->lastOutcome(), app::RunOutcome::Completed);
    // The teacher kept its data; every other teacher was rewritten.
    EXPECT_EQ(after(QStringLiteral("SELECT Nachname FROM K_Lehrer WHERE ID=3")),
        before(QStringLiteral("SELECT Nachname FROM K_Lehrer WHERE ID=3")));
}
