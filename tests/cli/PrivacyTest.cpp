// The promise no one can fake: after a whole run of the program on the large samples, the
// raw bytes of the file hold none of the values the run replaced, in UTF-16LE, Access's
// compressed form, Windows-1252 or UTF-8, except where a column the run leaves as it is
// on purpose still holds one; those columns are named here, and they are exactly what the
// program's own residue report lists. Before the run each file gets what a school's file
// has from years of use: deleted rows' bytes and pages given back (Access), a dropped
// table's pages on the free list (SQLite).
#include "db/DbConnection.h"
#include "db/TargetPassword.h"
#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/Scrub.h"
#include "db/jet/UsageMap.h"
#include "tests/support/Judge.h"
#include "tests/support/TestDatabase.h"
#include "tools/sample/Leftovers.h"
#include "tools/sample/SampleGenerator.h"
#include "util/RawScan.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const QString kProgram = QStringLiteral(EDVARA_BIN_DIR "/edvara-anon");

// Text columns whose every value the run replaces, with every option ticked. Of the own
// school's name only its second line: the first and third ("Städt. Gymnasium",
// "Sekundarstufen I und II") are the school type, which other schools' names from the
// directory share.
const char* const kReplaced[][2] = {
    {"Schueler", "Vorname"},           {"Schueler", "Name"},
    {"Schueler", "Strasse"},           {"Schueler", "Telefon"},
    {"Schueler", "Fax"},               {"Schueler", "Email"},
    {"Schueler", "SchulEmail"},        {"Schueler", "Zusatz"},
    {"Schueler", "Geburtsname"},       {"SchuelerErzAdr", "Name1"},
    {"SchuelerErzAdr", "Name2"},       {"SchuelerErzAdr", "ErzStrasse"},
    {"SchuelerErzAdr", "ErzEMail"},    {"SchuelerErzAdr", "ErzEMail2"},
    {"SchuelerTelefone", "Telefonnummer"}, {"K_AllgAdresse", "AllgAdrName1"},
    {"K_AllgAdresse", "AllgAdrName2"}, {"K_AllgAdresse", "AllgAdrStrasse"},
    {"K_AllgAdresse", "AllgAdrTelefon1"}, {"K_AllgAdresse", "AllgAdrTelefon2"},
    {"K_AllgAdresse", "AllgAdrFax"},   {"K_AllgAdresse", "AllgAdrEmail"},
    {"K_Lehrer", "Nachname"},          {"K_Lehrer", "Vorname"},
    {"K_Lehrer", "Strasse"},           {"K_Lehrer", "Tel"},
    {"K_Lehrer", "Handy"},             {"K_Lehrer", "Email"},
    {"K_Lehrer", "EMailDienstlich"},   {"EigeneSchule", "Bezeichnung2"},
    {"EigeneSchule", "Strasse"},       {"EigeneSchule", "Telefon"},
    {"EigeneSchule", "Fax"},           {"EigeneSchule", "EMail"},
    {"EigeneSchule", "Schulnr"},       {"EigeneSchule", "SchulleiterName"},
    {"EigeneSchule", "SchulleiterVorname"}, {"EigeneSchule", "StvSchulleiterName"},
    {"EigeneSchule", "StvSchulleiterVorname"},
};

// Left as they are on purpose, so they may still hold an original: the first names of
// guardians who are not the student's own entry, the second guardian's first name, the
// contact persons of general addresses, free text of support plans, the display name of an
// account without login name, and the school's own number where teachers' periods name it.
const char* const kLeftOnPurpose[][2] = {
    {"SchuelerErzAdr", "Vorname1"},
    {"SchuelerErzAdr", "Vorname2"},
    {"AllgAdrAnsprechpartner", "Name"},
    {"AllgAdrAnsprechpartner", "Vorname"},
    {"AllgAdrAnsprechpartner", "Telefon"},
    {"AllgAdrAnsprechpartner", "EMail"},
    {"SchuelerFoerderempfehlungen", "Lern_Arbeitsverhalten"},
    {"Users", "US_Name"},
    {"LehrerAbschnittsdaten", "StammschulNr"},
};

QString connectionString(const QString& path)
{
    return QStringLiteral("Data Source=%1;Jet OLEDB:Database Password=%2")
        .arg(path, QString::fromStdString(db::kTargetPassword));
}

// The text values of one column.
QStringList columnValues(const QString& path, const char* table, const char* column)
{
    db::DbConnection con;
    con.SetConnectionString(connectionString(path));
    QStringList out;
    con.Query(QStringLiteral("select [%1] from [%2]").arg(QLatin1String(column), QLatin1String(table)),
              [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                  if (const auto* t = std::get_if<QString>(&row[0]))
                      if (!t->trimmed().isEmpty())
                          out << *t;
              });
    return out;
}

QStringList replacedValues(const QString& path)
{
    QStringList out;
    for (const auto& c : kReplaced)
        out += columnValues(path, c[0], c[1]);
    out.removeDuplicates();
    return out;
}

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class Privacy : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "cli_tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    RunResult run(const QString& target, const QString& directory)
    {
        QProcess p;
        p.start(kProgram, {QStringLiteral("--names-dir"), QStringLiteral(EDVARA_BIN_DIR), QStringLiteral("--directory"),
                           directory, QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--raw-scan"),
                           QStringLiteral("--residue-report"), m_dir.path(QStringLiteral("rest.csv")), target});
        EXPECT_TRUE(p.waitForFinished(300000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    // The (table, column) pairs of the program's CSV.
    QSet<QString> reportedColumns()
    {
        QSet<QString> out;
        const QStringList lines = QString::fromUtf8(testsupport::fileBytes(m_dir.path(QStringLiteral("rest.csv"))))
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < lines.size(); ++i)
            out.insert(lines[i].section(QLatin1Char(','), 0, 1));
        return out;
    }

    // Every replaced original still somewhere in the file must stand in a live cell of a
    // column left on purpose; returns those that do not.
    QStringList unexplained(const QString& path, const QStringList& originals)
    {
        const util::RawScanner scanner(originals);
        EXPECT_GT(scanner.textCount(), 1000);
        const QStringList found = scanner.foundIn({path});
        QString allowed;
        for (const auto& c : kLeftOnPurpose)
            allowed += columnValues(path, c[0], c[1]).join(QLatin1Char('\n')) + QLatin1Char('\n');
        QStringList out;
        for (const QString& text : found)
            if (!allowed.contains(text) && !insideLongerWord(path, text))
                out << text;
        return out;
    }

    // A street "Roxeler Straße 9" is in the bytes of a school's "Roxeler Straße 95" from
    // the directory: a coincidence, not the value. True when some live cell holds `text`
    // and none holds it as a whole word.
    bool insideLongerWord(const QString& path, const QString& text)
    {
        if (m_cells.isEmpty()) {
            db::DbConnection con;
            con.SetConnectionString(connectionString(path));
            for (const QString& table : con.TableNames())
                con.Query(QStringLiteral("select * from [%1]").arg(table),
                          [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                              for (const db::Value& v : row)
                                  if (const auto* t = std::get_if<QString>(&v))
                                      m_cells << *t;
                          });
        }
        const auto wordChar = [](const QString& s, qsizetype i) { return i >= 0 && i < s.size() && s[i].isLetterOrNumber(); };
        bool seen = false;
        for (const QString& cell : std::as_const(m_cells))
            for (qsizetype at = cell.indexOf(text); at >= 0; at = cell.indexOf(text, at + 1)) {
                seen = true;
                if (!wordChar(cell, at - 1) && !wordChar(cell, at + text.size()))
                    return false;
            }
        return seen;
    }

    void expectReportNamesTheColumnsLeftOnPurpose()
    {
        QSet<QString> named;
        for (const auto& c : kLeftOnPurpose)
            named.insert(QLatin1String(c[0]) + QLatin1Char(',') + QLatin1String(c[1]));
        EXPECT_EQ(reportedColumns(), named);
    }

    // "Rohdaten: Von N ... standen vor dem Überschreiben ... B noch in der Datei, danach A,
    // davon L in Zellen der Tabellen ...": B, A and L.
    struct RawCounts {
        int before = -1;
        int after = -1;
        int live = -1;
    };
    static RawCounts rawCounts(const QString& out)
    {
        for (const QString& line : out.split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("Rohdaten:"))) {
                QList<int> numbers;
                for (QString word : line.split(QLatin1Char(' '))) {
                    word.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
                    bool ok = false;
                    const int n = word.toInt(&ok);
                    if (ok)
                        numbers << n;
                }
                if (numbers.size() == 4)
                    return {numbers[1], numbers[2], numbers[3]};
            }
        return {};
    }

    testsupport::TempFolder m_dir;
    QStringList m_cells;  // every live text cell of the file after the run
};

}  // namespace

TEST_F(Privacy, TheLargeAccessSampleHoldsNoReplacedOriginalAfterARunButInColumnsLeftOnPurpose)
{
    sample::SampleOptions options;
    options.outDir = m_dir.root();
    options.large = true;
    options.access = true;
    const sample::SampleSummary s = sample::writeSampleDatabases(options);
    const sample::LeftoverSummary planted = sample::plantLeftovers(s.targetPath, true);
    EXPECT_GT(planted.pagesGivenBack, 10);
    EXPECT_GT(planted.gapBytes, 10000);
    const QStringList originals = replacedValues(s.targetPath);

    const RunResult r = run(s.targetPath, s.directoryPath);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(s.targetPath + QStringLiteral("-journal")));
    const RawCounts raw = rawCounts(r.out);
    EXPECT_GT(raw.before, raw.after) << r.out.toStdString();  // the planted leftovers were there until the scrub
    // The program's own count: every original left in the bytes stands in a live cell.
    EXPECT_EQ(raw.after, raw.live) << r.out.toStdString();

    EXPECT_EQ(unexplained(s.targetPath, originals), QStringList());
    expectReportNamesTheColumnsLeftOnPurpose();
    auto file = db::jet::Database::open(s.targetPath.toStdString(), db::kTargetPassword, db::jet::AccessMode::ReadShared);
    EXPECT_EQ(db::jet::checkErrors(db::jet::checkDatabase(*file)), std::vector<std::string>());
    // (Jackcess judges the small sample after a run and its scrub below, in the crash test and
    // in the whole-run tests; on this one it would take half a minute of CPU, so the large
    // sample is left to tools/judge-target/check-large.sh.)
}

TEST_F(Privacy, TheLargeSqliteSampleHoldsNoReplacedOriginalAfterARunButInColumnsLeftOnPurpose)
{
    sample::SampleOptions options;
    options.outDir = m_dir.root();
    options.large = true;
    const sample::SampleSummary s = sample::writeSampleDatabases(options);
    // Tables copied and dropped without secure_delete: their pages go to the free list
    // with every row still on them.
    EXPECT_GT(sample::plantLeftovers(s.targetPath, false).freeListPages, 10);
    ASSERT_NE(testsupport::queryText(s.targetPath, QStringLiteral("PRAGMA freelist_count")), QStringLiteral("0"));
    const QStringList originals = replacedValues(s.targetPath);

    const RunResult r = run(s.targetPath, s.directoryPath);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* suffix : {"-wal", "-journal", "-shm"})
        EXPECT_FALSE(QFile::exists(s.targetPath + QLatin1String(suffix))) << suffix;
    const RawCounts raw = rawCounts(r.out);
    EXPECT_GT(raw.before, raw.after) << r.out.toStdString();
    EXPECT_EQ(raw.after, raw.live) << r.out.toStdString();
    EXPECT_EQ(testsupport::queryText(s.targetPath, QStringLiteral("PRAGMA freelist_count")), QStringLiteral("0"));
    EXPECT_EQ(testsupport::queryText(s.targetPath, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    EXPECT_EQ(unexplained(s.targetPath, originals), QStringList());
    expectReportNamesTheColumnsLeftOnPurpose();
}

// Our own files carry index B-trees our writer laid out, and our engine zeroes what it
// deletes; so the leftovers are Access's, planted as above, then the phone numbers deleted
// through our engine (which gives back their data and index pages). The scrub must keep
// every row and index entry, remove every planted copy, and find nothing to do a second time.
TEST_F(Privacy, TheScrubOfAnAccessSampleWhoseIndexesWeWroteKeepsEveryRowAndEntry)
{
    sample::SampleOptions options;
    options.outDir = m_dir.root();
    options.access = true;
    const sample::SampleSummary s = sample::writeSampleDatabases(options);
    const QStringList phones = columnValues(s.targetPath, "SchuelerTelefone", "Telefonnummer");
    ASSERT_GT(phones.size(), 10);
    const sample::LeftoverSummary planted = sample::plantLeftovers(s.targetPath, true);
    EXPECT_GT(planted.pagesGivenBack, 0);
    EXPECT_GT(planted.gapBytes, 1000);
    {
        db::DbConnection con;
        con.SetConnectionString(connectionString(s.targetPath));
        con.Execute(QStringLiteral("delete from SchuelerTelefone"));
    }
    const auto everyRow = [&] {
        QStringList rows;
        db::DbConnection con;
        con.SetConnectionString(connectionString(s.targetPath));
        for (const QString& table : con.TableNames())
            con.Query(QStringLiteral("select * from [%1]").arg(table),
                      [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                          QString line = table;
                          for (const db::Value& v : row)
                              if (const auto* t = std::get_if<QString>(&v))
                                  line += QLatin1Char('|') + *t;
                              else
                                  line += QStringLiteral("|?");
                          rows << line;
                      });
        return rows;
    };
    const QStringList rowsBefore = everyRow();
    const QByteArray before = testsupport::fileBytes(s.targetPath);
    const util::RawScanner scanner(phones);
    EXPECT_FALSE(scanner.foundIn({s.targetPath}).isEmpty());  // the planted copies

    db::jet::ScrubReport first, second;
    {
        auto file = db::jet::Database::open(s.targetPath.toStdString(), db::kTargetPassword,
                                            db::jet::AccessMode::ReadWriteExclusive);
        first = db::jet::scrubDatabase(*file);
        second = db::jet::scrubDatabase(*file);
        EXPECT_EQ(db::jet::checkErrors(db::jet::checkDatabase(*file)), std::vector<std::string>());
    }
    EXPECT_GT(first.bytesZeroed, 0u);
    EXPECT_EQ(second.bytesZeroed, 0u);
    EXPECT_EQ(first.pagesLeft, 0u);
    const QByteArray after = testsupport::fileBytes(s.targetPath);
    ASSERT_EQ(after.size(), before.size());
    qsizetype changed = 0;
    for (qsizetype i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) {
            ++changed;
            ASSERT_EQ(after[i], 0) << "byte " << i << " was changed to something else than zero";
        }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(everyRow(), rowsBefore);
    EXPECT_EQ(scanner.foundIn({s.targetPath}), QStringList());
    EDVARA_EXPECT_JUDGE_ACCEPTS(s.targetPath.toStdString());
}

// The CSV is written after the run: a folder that is not there is a mistake on the command
// line, found before the file is touched.
TEST_F(Privacy, AResidueReportIntoAMissingFolderStopsBeforeTheRun)
{
    sample::SampleOptions options;
    options.outDir = m_dir.root();
    const sample::SampleSummary s = sample::writeSampleDatabases(options);
    const QByteArray before = testsupport::fileBytes(s.targetPath);
    QProcess p;
    p.start(kProgram, {QStringLiteral("--names-dir"), QStringLiteral(EDVARA_BIN_DIR), QStringLiteral("--directory"),
                       s.directoryPath, QStringLiteral("--residue-report"), m_dir.path(QStringLiteral("fehlt/rest.csv")),
                       s.targetPath});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 64);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("fehlt/rest.csv")));
    EXPECT_EQ(testsupport::fileBytes(s.targetPath), before);
}

// With --complete the columns left on purpose get substitutes too: after a whole run with
// every option the residue report lists nothing, the program says how many values it
// replaced where, and the file passes our check and, for Access, the judge's. The large
// samples are measured by bench/scrub/run.sh (without and with --complete).
TEST_F(Privacy, WithCompleteNoColumnOfTheSmallSamplesHoldsAnOriginal)
{
    for (const bool access : {false, true}) {  // Access last: without the judge the test ends there
        SCOPED_TRACE(access ? "Access" : "SQLite");
        sample::SampleOptions options;
        options.outDir = m_dir.path(access ? QStringLiteral("access") : QStringLiteral("sqlite"));
        options.access = access;
        const sample::SampleSummary s = sample::writeSampleDatabases(options);
        QProcess p;
        p.start(kProgram, {QStringLiteral("--names-dir"), QStringLiteral(EDVARA_BIN_DIR), QStringLiteral("--directory"),
                           s.directoryPath, QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--complete"),
                           QStringLiteral("--residue-report"), m_dir.path(QStringLiteral("rest.csv")), s.targetPath});
        ASSERT_TRUE(p.waitForFinished(300000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        ASSERT_EQ(p.exitCode(), 0) << err.toStdString() << out.toStdString();
        EXPECT_EQ(reportedColumns(), QSet<QString>()) << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("Auch in übrigen Spalten wurden Originalwerte ersetzt:")))
            << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("SchuelerErzAdr.Vorname1: "))) << out.toStdString();
        if (access) {
            auto file = db::jet::Database::open(s.targetPath.toStdString(), db::kTargetPassword,
                                                db::jet::AccessMode::ReadShared);
            EXPECT_EQ(db::jet::checkErrors(db::jet::checkDatabase(*file)), std::vector<std::string>());
            file.reset();
            EDVARA_EXPECT_JUDGE_ACCEPTS(s.targetPath.toStdString());
        } else {
            EXPECT_EQ(testsupport::queryText(s.targetPath, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        }
    }
}
