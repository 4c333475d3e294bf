// The additional SQL file: line rules, encodings, a message per refused line, and a
// file that cannot be read.
#include "tests/stages/schools/SchoolFixture.h"

#include "util/Error.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using schooltest::SchoolStage;

namespace {

class ExtraSql : public SchoolStage {
protected:
    QString writeFile(const QByteArray& bytes)
    {
        const QString path = m_dir.path(QStringLiteral("Weitere_SQL_Befehle.txt"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }
    QStringList names() { return targetRows(QStringLiteral("SELECT Name FROM Schueler ORDER BY ID")); }
};

}  // namespace

TEST_F(ExtraSql, RefusedLineIsReportedAndTheNextLineRuns)
{
    const QString path = writeFile("insert into Schueler(ID, Name) values (1, 'Erste')\r\n"
                                   "\r\n"
                                   "update Schuler set Name='x'\r\n"
                                   "  \r\n"
                                   "insert into Schueler(ID, Name) values (2, 'Dritte');\r\n");
    form->RunExtraSqlFile(path);
    EXPECT_EQ(host.statuses, QStringList({"Externe SQL-Befehle"}));
    EXPECT_EQ(host.pumps, 1);
    EXPECT_EQ(names(), QStringList({"Erste", "Dritte"}));
    // The empty line is skipped; the line of blanks goes to the engine like any other.
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].kind, app::MessageKind::Plain);
    EXPECT_TRUE(
        host.messages[0].text.startsWith(QStringLiteral("Fehler bei Ausführung von \"update Schuler set Name='x'\": ")))
        << host.messages[0].text.toStdString();
    EXPECT_TRUE(host.messages[0].text.contains(QStringLiteral("Schuler")));
    EXPECT_TRUE(host.messages[1].text.startsWith(QStringLiteral("Fehler bei Ausführung von \"  \": ")))
        << host.messages[1].text.toStdString();
    EXPECT_GT(host.messages[1].text.size(), QStringLiteral("Fehler bei Ausführung von \"  \": ").size());
}

TEST_F(ExtraSql, FileOfEmptyLinesRunsNothing)
{
    form->RunExtraSqlFile(writeFile("\r\n\n\r"));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ExtraSql, ByteOrderMarkDecidesHowUmlautsArrive)
{
    const QByteArray line = "insert into Schueler(ID, Name) values (1, 'M\xC3\xBCller-\xC3\x84nne')";
    form->RunExtraSqlFile(writeFile("\xEF\xBB\xBF" + line));
    EXPECT_EQ(names(), QStringList({QStringLiteral("Müller-Änne")}));

    // Without the mark the same bytes are read in the ANSI code page.
    target(QStringLiteral("DELETE FROM Schueler"));
    form->RunExtraSqlFile(writeFile(line));
    EXPECT_EQ(names(), QStringList({QStringLiteral("MÃ¼ller-Ã„nne")}));

    target(QStringLiteral("DELETE FROM Schueler"));
    form->RunExtraSqlFile(writeFile("insert into Schueler(ID, Name) values (1, 'Stra\xDF"
                                    "e')"));
    EXPECT_EQ(names(), QStringList({QStringLiteral("Straße")}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ExtraSql, UnreadableFileEndsTheRunBeforeAnyLine)
{
    const QString path = writeFile("insert into Schueler(ID, Name) values (1, 'Erste')\n");
    // Another program holds the file open for writing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    try {
        form->RunExtraSqlFile(path);
        ADD_FAILURE() << "an unreadable file must end the run";
    } catch (const util::Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(path)))
            << e.message().toStdString();
    }
    ::close(fd);
    EXPECT_TRUE(names().isEmpty());
    EXPECT_TRUE(host.messages.empty());
}
