// Runs that stop before anything is written leave the target file byte for byte.
#include "app/FileNameEdit.h"
#include "app/Unit1.h"
#include "tests/support/AppSupport.h"
#include "tests/support/TestDatabase.h"

#include <QLineEdit>

using app::TForm1;
using testsupport::RecordingHost;

namespace {

class RunStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        for (const char* name : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"}) {
            QFile f(m_dir.path(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("Name\n");
        }
        m_target = m_dir.path(QStringLiteral("ziel.sqlite"));
        testsupport::runSql(m_target, QStringLiteral(
            "CREATE TABLE K_Ort(ID INTEGER PRIMARY KEY, PLZ VARCHAR(10) COLLATE NOCASE, "
            "  Bezeichnung VARCHAR(40) COLLATE NOCASE, Sichtbar VARCHAR(1));"
            "INSERT INTO K_Ort(PLZ, Bezeichnung, Sichtbar) VALUES ('50667','Köln','-'),('5306 ','Bonn','-'),"
            "  ('1234','Kurz','-'),(NULL,'Ohne','-');"));
        m_directory = m_dir.path(QStringLiteral("Schulver.mdb"));
        testsupport::runSql(m_directory, QStringLiteral("CREATE TABLE DBS(Schulnr VARCHAR(6))"));
        m_before = testsupport::fileBytes(m_target);
    }

    void run(const QString& places, bool withDirectory = true)
    {
        TForm1 form(&m_host, m_dir.root());
        form.setProgramFolder(m_dir.root());
        if (!withDirectory)
            form.setDirectoryFile(m_dir.path(QStringLiteral("fehlt/Schulver.mdb")));
        form.edDB->setText(m_target);
        form.edOrte->setText(places);
        form.Button1Click();
        m_outcome = form.lastOutcome();
        EXPECT_FALSE(form.con.Connected());
    }

    testsupport::TempFolder m_dir;
    QString m_target;
    QString m_directory;
    QByteArray m_before;
    RecordingHost m_host;
    app::RunOutcome m_outcome = app::RunOutcome::None;
};

}  // namespace

TEST_F(RunStop, MissingDirectoryStopsBeforeTheTargetIsOpened)
{
    run(QString(), false);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].kind, app::MessageKind::Error);
    EXPECT_EQ(m_host.messages[0].text, QStringLiteral("Im Programmverzeichnis muss die Datei \"Schulver.mdb\" vorhanden sein"));
    EXPECT_EQ(m_outcome, app::RunOutcome::Stopped);
    EXPECT_EQ(testsupport::fileBytes(m_target), m_before);
}

TEST_F(RunStop, FilterWithoutMatchingPlaceStopsWithNoPlacesFound)
{
    // Only places with five or more characters qualify: "Bonn" has "5306 " and does,
    // so a filter naming only short or unknown places finds none.
    for (const char* places : {"Kurz, Ohne", "Berlin", "   "}) {
        m_host.messages.clear();
        run(QString::fromUtf8(places));
        ASSERT_EQ(m_host.texts(), QStringList({"Keine Orte gefunden"})) << places;
        EXPECT_EQ(m_host.messages[0].kind, app::MessageKind::Error);
        EXPECT_EQ(m_outcome, app::RunOutcome::Stopped);
        EXPECT_EQ(testsupport::fileBytes(m_target), m_before) << places;
    }
    EXPECT_EQ(m_host.statuses.last(), QStringLiteral("Schüler bearbeiten"));
}

TEST_F(RunStop, NameListWithoutNamesStopsWithAMessageNamingTheFile)
{
    // Only blank lines: no name at all.
    QFile f(m_dir.path(QStringLiteral("vornamen_w.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\r\n   \r\n\t\r\n");
    f.close();
    run(QString());
    ASSERT_EQ(m_host.messages.size() + m_host.unhandled.size(), 1u);
    const QString message = m_host.messages.empty() ? m_host.unhandled[0] : m_host.messages[0].text;
    EXPECT_TRUE(message.contains(m_dir.path(QStringLiteral("vornamen_w.txt")))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("Listenindex"))) << message.toStdString();
    EXPECT_EQ(m_outcome, app::RunOutcome::Stopped);
    EXPECT_EQ(testsupport::fileBytes(m_target), m_before);
}
