// edvara-anon as a user (or an operating system) treats it: killed with -9 at random
// moments of the teacher and school stages, stopped with Ctrl+C in a long statement, and
// ending with its own exit status when rows could not be anonymised; a target renamed,
// deleted or replaced during a run, reached through a link, or open in Access. Runs the built
// program on the generated sample.
#include "db/SqliteAccess.h"
#include "tests/support/TestDatabase.h"
#include "tools/sample/SampleGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <functional>
#include <random>
#include <thread>

namespace {

const QString kProgram = QStringLiteral(EDVARA_BIN_DIR "/edvara-anon");

// Rows of a query through a connection that knows the Access collation.
QStringList rows(const QString& path, const QString& sql)
{
    QStringList out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    db::installAccessSemantics(db);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        out << QStringLiteral("<ERROR> ") + QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList cols;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                cols << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
            out << cols.join(QLatin1Char('|'));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// SQLite alone, as the sqlite3 shell sees the file.
QString stockIntegrity(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QString out = QStringLiteral("<error>");
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

const char* const kReferences[][2] = {
    {"SchuelerLeistungsdaten", "Fachlehrer"},       {"SchuelerLeistungsdaten", "Zusatzkraft"},
    {"SchuelerLernabschnittsdaten", "Klassenlehrer"}, {"EigeneSchule_Abteilungen", "Abteilungsleiter"},
    {"Kurse", "LehrerKrz"},                         {"Versetzung", "KlassenlehrerKrz"},
    {"Versetzung", "StvKlassenlehrerKrz"},
};

// Who every reference names: each teacher reference by the teacher's ID, each student
// whose school lay in the redrawn range by the group of students sharing its school.
struct References {
    QStringList teachers;                 // "table.column row: teacher ID or -"
    QHash<QString, QString> schoolOf;     // student ID -> school number
};

References references(const QString& path)
{
    References r;
    for (const auto& ref : kReferences)
        r.teachers += rows(path, QStringLiteral("SELECT '%1.%2 ' || r.ID || ': ' || ifnull(group_concat(t.ID), '-') "
                                                "FROM %1 r LEFT JOIN K_Lehrer t ON t.Kuerzel = r.%2 COLLATE JET_NOCASE "
                                                "GROUP BY r.ID ORDER BY r.ID")
                                     .arg(QLatin1String(ref[0]), QLatin1String(ref[1])));
    for (const QString& row : rows(path, QStringLiteral("SELECT ID, LSSchulnr FROM Schueler WHERE LSSchulnr IN "
                                                        "(SELECT SchulNr FROM K_Schule WHERE SchulNr BETWEEN "
                                                        "'100000' AND '200000')")))
        r.schoolOf.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1));
    return r;
}

// After a run: every teacher reference names the same teacher, every student of the
// range names a school of K_Schule, students of one school still share one and no two
// schools merged, nothing is left on the placeholder.
void expectSameReferences(const References& before, const QString& path)
{
    const References after = references(path);
    EXPECT_EQ(after.teachers, before.teachers);
    const QStringList schools = rows(path, QStringLiteral("SELECT SchulNr FROM K_Schule"));
    const QSet<QString> known(schools.begin(), schools.end());
    QHash<QString, QString> newOfOld;
    QHash<QString, QString> oldOfNew;
    const QHash<QString, QString> now = [&] {
        QHash<QString, QString> m;
        for (const QString& row : rows(path, QStringLiteral("SELECT ID, ifnull(LSSchulnr, '') FROM Schueler")))
            m.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1));
        return m;
    }();
    int lost = 0;
    int split = 0;
    for (auto it = before.schoolOf.begin(); it != before.schoolOf.end(); ++it) {
        const QString school = now.value(it.key());
        lost += !known.contains(school);
        split += newOfOld.value(it.value(), school) != school || oldOfNew.value(school, it.value()) != it.value();
        newOfOld.insert(it.value(), school);
        oldOfNew.insert(school, it.value());
    }
    EXPECT_EQ(lost, 0) << "students naming no school";
    EXPECT_EQ(split, 0) << "students split from or merged with another school";
    EXPECT_EQ(rows(path, QStringLiteral("SELECT count(*) FROM K_Lehrer WHERE Kuerzel = 'DUMMY' COLLATE JET_NOCASE")),
              QStringList({"0"}));
    for (const auto& ref : kReferences)
        EXPECT_EQ(rows(path, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = 'DUMMY' COLLATE JET_NOCASE")
                                 .arg(QLatin1String(ref[0]), QLatin1String(ref[1]))),
                  QStringList({"0"}))
            << ref[0] << "." << ref[1];
    EXPECT_EQ(stockIntegrity(path), QStringLiteral("ok"));
}

struct ProgramRun {
    int exitCode = -1;
    bool crashed = false;
    QStringList out;
    QString err;
    QHash<QString, qint64> statusAt;  // ms after start at which each status line arrived
};

class AnonProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(kProgram).isExecutable())
            GTEST_SKIP() << "edvara-anon is not built";
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "cli_tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // never destroyed, as in the other test programs
        }
        sample::SampleOptions options;
        options.outDir = m_dir.path(QStringLiteral("original"));
        options.seed = 7;
        const sample::SampleSummary summary = sample::writeSampleDatabases(options);
        m_original = summary.targetPath;
        m_directory = summary.directoryPath;
        // Directory schools outside the redrawn range would drop out of K_Schule on any
        // second run, crash or not; the crash check is about crashes.
        testsupport::runSql(m_directory, QStringLiteral("DELETE FROM DBS WHERE Schulnr NOT BETWEEN '100000' AND '200000'"));
    }

    QString copyOfOriginal(const QString& name)
    {
        const QString path = m_dir.path(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(m_original, path));
        return path;
    }

    // Runs the program on target; onLine sees every line of its standard output as it
    // arrives, with the process, and may signal it.
    ProgramRun run(const QString& target, const QStringList& extra = {},
                   const std::function<void(QProcess&, const QString&)>& onLine = {})
    {
        QProcess p;
        p.setProgram(kProgram);
        p.setArguments(QStringList{QStringLiteral("--names-dir"), QStringLiteral(EDVARA_BIN_DIR),
                                   QStringLiteral("--directory"), m_directory, QStringLiteral("--seed"),
                                   QString::number(++m_seed)}
                       + extra + QStringList{target});
        ProgramRun r;
        QElapsedTimer clock;
        clock.start();
        p.start();
        if (!p.waitForStarted(10000)) {
            ADD_FAILURE() << "edvara-anon does not start";
            return r;
        }
        QByteArray pending;
        while (p.state() != QProcess::NotRunning && clock.elapsed() < 120000) {
            p.waitForReadyRead(20);
            pending += p.readAllStandardOutput();
            qsizetype nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(pending.left(nl));
                pending.remove(0, nl + 1);
                r.out << line;
                if (!line.startsWith(QLatin1Char(' ')))
                    r.statusAt.insert(line, clock.elapsed());
                if (onLine)
                    onLine(p, line);
            }
        }
        if (p.state() != QProcess::NotRunning) {
            ADD_FAILURE() << "edvara-anon did not end in time";
            p.kill();
        }
        p.waitForFinished(10000);
        r.crashed = p.exitStatus() == QProcess::CrashExit;
        r.exitCode = p.exitCode();
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    testsupport::TempFolder m_dir;
    QString m_original;
    QString m_directory;
    int m_seed = 100;
};

// Sends a signal to the program a given time after a given status line appeared.
std::function<void(QProcess&, const QString&)> signalAfter(const QString& status, int afterMicroseconds, int signal)
{
    return [=](QProcess& p, const QString& line) {
        if (line != status)
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(afterMicroseconds));
        ::kill(static_cast<pid_t>(p.processId()), signal);
    };
}

}  // namespace

TEST_F(AnonProgram, KillsAtRandomMomentsOfTheTeacherAndSchoolStagesMoveNoReference)
{
    // How long the two stages take here, from an undisturbed run.
    const QString calibration = copyOfOriginal(QStringLiteral("kalibrierung.sqlite"));
    const ProgramRun whole = run(calibration);
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const qint64 teachers = whole.statusAt.value(QStringLiteral("Schulen zuordnen"))
        - whole.statusAt.value(QStringLiteral("Lehrer bearbeiten"));
    const qint64 schools = whole.statusAt.value(QStringLiteral("Restarbeiten"))
        - whole.statusAt.value(QStringLiteral("Schulen zuordnen"));

    std::mt19937 random(4711);
    int kills = 0;
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        const bool teacherStage = round % 2 == 0;
        const qint64 span = std::max<qint64>(1, teacherStage ? teachers : schools) * 1000;
        const int delay = static_cast<int>(std::uniform_int_distribution<qint64>(0, span)(random));
        SCOPED_TRACE(QStringLiteral("Runde %1: %2 µs nach \"%3\"")
                         .arg(round)
                         .arg(delay)
                         .arg(teacherStage ? QStringLiteral("Lehrer bearbeiten") : QStringLiteral("Schulen zuordnen"))
                         .toStdString());
        const QString target = copyOfOriginal(QStringLiteral("ziel%1.sqlite").arg(round));
        const References before = references(target);
        const ProgramRun killed = run(
            target, {},
            signalAfter(teacherStage ? QStringLiteral("Lehrer bearbeiten") : QStringLiteral("Schulen zuordnen"), delay,
                        SIGKILL));
        kills += killed.crashed;
        const ProgramRun second = run(target);
        EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
        EXPECT_TRUE(second.out.contains(QStringLiteral("Fertig")));
        expectSameReferences(before, target);
    }
    EXPECT_GE(kills, kRounds / 2) << "too few runs were killed before their end";
}

TEST_F(AnonProgram, CtrlCStopsALongStatementAtOnceWith130AndAConsistentFile)
{
    const QString target = copyOfOriginal(QStringLiteral("ziel.sqlite"));
    const QString extra = m_dir.path(QStringLiteral("Weitere_SQL_Befehle.txt"));
    {
        QFile f(extra);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("update EigeneSchule set Homepage='www.schule.example.org'\r\n"
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000000000) "
                "select count(*) from n\r\n");
    }
    QElapsedTimer sinceSignal;
    const ProgramRun r = run(target, {QStringLiteral("--extra-sql"), extra},
                             [&](QProcess& p, const QString& line) {
                                 if (line != QStringLiteral("Externe SQL-Befehle"))
                                     return;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(300));
                                 sinceSignal.start();
                                 ::kill(static_cast<pid_t>(p.processId()), SIGINT);
                             });
    ASSERT_TRUE(sinceSignal.isValid());
    EXPECT_LT(sinceSignal.elapsed(), 5000) << "the statement went on after Ctrl+C";
    EXPECT_EQ(r.exitCode, 130) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("Fertig")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("abgebrochen"))) << r.err.toStdString();
    // Closed as a single ordinary SQLite file, everything before the statement kept.
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("-wal")));
    EXPECT_EQ(stockIntegrity(target), QStringLiteral("ok"));
    EXPECT_EQ(rows(target, QStringLiteral("SELECT Homepage FROM EigeneSchule")),
              QStringList({"www.schule.example.org"}));
}

TEST_F(AnonProgram, RowsLeftAsTheyWereGiveAnExitStatusOfTheirOwnAndAreListed)
{
    const QString target = copyOfOriginal(QStringLiteral("ziel.sqlite"));
    testsupport::runSql(target, QStringLiteral("CREATE TRIGGER gesperrt BEFORE UPDATE OF Nachname ON K_Lehrer "
                                               "WHEN old.ID=3 BEGIN SELECT RAISE(ABORT, 'Datensatz gesperrt'); END;"));
    const ProgramRun r = run(target);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Fertig")));
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("K_Lehrer, ID 3: "))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Datensatz gesperrt"))) << r.err.toStdString();
}

// Installed, the program lives in PREFIX/lib/edvara-anonymisieren and the name lists in
// PREFIX/share/edvara-anonymisieren; run from a folder of the user's own, without
// --names-dir, it finds them there, and a list that is in neither place is named with both.
TEST_F(AnonProgram, FindsTheInstalledNameListsFromAnEmptyFolderAndNamesBothPlacesWhenOneIsMissing)
{
    const QString prefix = m_dir.path(QStringLiteral("prefix"));
    const QString programFolder = prefix + QStringLiteral("/lib/edvara-anonymisieren");
    const QString names = prefix + QStringLiteral("/share/edvara-anonymisieren");
    const QString empty = m_dir.path(QStringLiteral("leer"));
    ASSERT_TRUE(QDir().mkpath(programFolder) && QDir().mkpath(names) && QDir().mkpath(empty));
    const QString program = programFolder + QStringLiteral("/edvara-anon");
    ASSERT_TRUE(QFile::copy(kProgram, program));
    for (const char* list : {"nachnamen.txt", "vornamen_m.txt", "vornamen_w.txt", "strassennamen.txt"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(EDVARA_BIN_DIR "/") + QLatin1String(list),
                                names + QLatin1Char('/') + QLatin1String(list)));
    const auto runThere = [&](const QString& target) {
        QProcess p;
        p.setWorkingDirectory(empty);
        p.start(program, {QStringLiteral("--seed"), QStringLiteral("3"), QStringLiteral("--directory"), m_directory,
                          target});
        EXPECT_TRUE(p.waitForFinished(120000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };

    const auto [done, out] = runThere(copyOfOriginal(QStringLiteral("installiert.sqlite")));
    EXPECT_EQ(done, 0) << out.toStdString();
    EXPECT_TRUE(out.split(QLatin1Char('\n')).contains(QStringLiteral("Fertig"))) << out.toStdString();

    ASSERT_TRUE(QFile::remove(names + QStringLiteral("/vornamen_w.txt")));
    const QString untouched = copyOfOriginal(QStringLiteral("fehlt.sqlite"));
    const QByteArray before = testsupport::fileBytes(untouched);
    const auto [stopped, message] = runThere(untouched);
    EXPECT_EQ(stopped, 2) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("vornamen_w.txt"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QDir(empty).absolutePath())) << message.toStdString();
    EXPECT_TRUE(message.contains(QDir(names).absolutePath())) << message.toStdString();
    EXPECT_EQ(testsupport::fileBytes(untouched), before);
}

// --help says where each file is looked for and lists --complete; the man page is made from
// it (tools/package/ManPage.cmake), so the two cannot say different things; the script
// tools/scripts/check-installed.sh compares the installed page with the installed program.
TEST_F(AnonProgram, HelpNamesTheFilesItReadsAndWhereAndEveryOptionItTakes)
{
    QProcess p;
    p.start(kProgram, {QStringLiteral("--help")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* text : {"Dateien:", "nachnamen.txt", "share/edvara-anonymisieren", "Schulver.mdb",
                             "lib/edvara-anonymisieren", "Weitere_SQL_Befehle.txt", "--complete"})
        EXPECT_TRUE(help.contains(QLatin1String(text))) << text;
    // Every option the help names is taken (an unknown one exits 64 before anything else).
    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    for (auto it = option.globalMatch(help); it.hasNext();)
        options.insert(it.next().captured());
    EXPECT_GE(options.size(), 18);
    for (const QString& o : options) {
        QProcess q;
        q.start(kProgram, {o, QStringLiteral("1"), QStringLiteral("--directory"), m_dir.path(QStringLiteral("kein.mdb")),
                           m_dir.path(QStringLiteral("gibt-es-nicht.sqlite"))});
        ASSERT_TRUE(q.waitForFinished(30000));
        EXPECT_FALSE(QString::fromUtf8(q.readAllStandardError()).contains(QStringLiteral("Unbekannte Option")))
            << o.toStdString();
    }
}

namespace {

// The small Access sample, written once for the tests below.
QString accessSample()
{
    static testsupport::TempFolder dir;
    static QString path;
    if (path.isEmpty()) {
        sample::SampleOptions options;
        options.outDir = dir.path(QStringLiteral("access"));
        options.access = true;
        options.seed = 7;
        path = sample::writeSampleDatabases(options).targetPath;
    }
    return path;
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int checkExit(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral(EDVARA_BIN_DIR "/edvara-sql"), {QStringLiteral("--check"), path});
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

TEST_F(AnonProgram, ATargetRenamedDeletedOrReplacedDuringARunEndsWithAnErrorNotFertig)
{
    const QString original = accessSample();
    for (const char* action : {"rename", "delete", "replace"}) {
        SCOPED_TRACE(action);
        const QString target = m_dir.path(QStringLiteral("ziel.mdb"));
        const QString moved = target + QStringLiteral(".alt");
        QFile::remove(target);
        QFile::remove(moved);
        ASSERT_TRUE(QFile::copy(original, target));
        const ProgramRun r = run(target, {}, [&](QProcess&, const QString& line) {
            if (line != QStringLiteral("Lehrer bearbeiten"))
                return;
            if (std::string(action) == "delete") {
                QFile::remove(target);
            } else {
                QFile::rename(target, moved);
                if (std::string(action) == "replace")
                    QFile::copy(original, target);
            }
        });
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Fertig")));
        EXPECT_TRUE(r.err.contains(QStringLiteral("umbenannt, ersetzt oder gelöscht"))) << r.err.toStdString();
        if (std::string(action) == "replace") {
            EXPECT_TRUE(contentOf(target) == contentOf(original));
        }
        if (std::string(action) != "delete") {
            EXPECT_EQ(checkExit(moved), 0);
        }
    }
}

TEST_F(AnonProgram, ARunThroughALinkKilledWithMinus9IsRolledBackByEitherName)
{
    QDir().mkpath(m_dir.path(QStringLiteral("daten")));
    const QString real = m_dir.path(QStringLiteral("daten/ziel.mdb"));
    const QString link = m_dir.path(QStringLiteral("verweis.mdb"));
    ASSERT_TRUE(QFile::copy(accessSample(), real));
    ASSERT_TRUE(QFile::link(real, link));
    bool sawJournal = false;
    const ProgramRun r = run(link, {}, [&](QProcess& p, const QString& line) {
        if (line != QStringLiteral("Lehrer bearbeiten"))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sawJournal = QFileInfo::exists(real + QStringLiteral("-journal"));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    });
    EXPECT_TRUE(r.crashed);
    EXPECT_TRUE(sawJournal) << "the journal belongs beside the real file";
    EXPECT_FALSE(QFileInfo::exists(link + QStringLiteral("-journal")));
    EXPECT_EQ(checkExit(link), 0);
    EXPECT_FALSE(QFileInfo::exists(real + QStringLiteral("-journal")));
    EXPECT_EQ(checkExit(real), 0);
}

TEST_F(AnonProgram, AnAccessLockFileHeldWithAByteRangeLockRefusesTheRun)
{
    const QString target = m_dir.path(QStringLiteral("ziel.mdb"));
    const QString ldb = m_dir.path(QStringLiteral("ziel.ldb"));
    ASSERT_TRUE(QFile::copy(accessSample(), target));
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    std::fflush(nullptr);
    const pid_t holder = ::fork();
    if (holder == 0) {
        // As Jet holds it: one byte far beyond the end of the lock file.
        const int fd = ::open(QFile::encodeName(ldb).constData(), O_RDWR | O_CREAT, 0644);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0x10000000;
        lock.l_len = 1;
        const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    const QByteArray before = contentOf(target);
    const ProgramRun refused = run(target);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Die Datenbank ist geöffnet"))) << refused.err.toStdString();
    EXPECT_FALSE(refused.out.contains(QStringLiteral("Fertig")));
    EXPECT_TRUE(contentOf(target) == before);
    (void)!::write(release[1], "x", 1);
    ::waitpid(holder, nullptr, 0);
    // The lock file left behind without a lock is no obstacle, and stays.
    EXPECT_EQ(checkExit(target), 0);
    EXPECT_TRUE(QFileInfo::exists(ldb));
}
