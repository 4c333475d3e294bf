// Options, the terminal's side of the run seam, and the mapping of a run's end to an
// exit status.
#include "cli/edvara-anon/AnonCommand.h"
#include "app/FileNameEdit.h"
#include "app/Pools.h"
#include "app/RunHost.h"
#include "app/Unit1.h"
#include "util/Error.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace cli {

namespace {

const char* const kTool = "edvara-anon";

// Raised by Ctrl+C (or SIGTERM): the connection stops its running statement, the run
// ends at once, the file is closed cleanly. Lock-free, so a signal handler may set it.
std::atomic<bool> g_interrupted{false};
volatile std::sig_atomic_t g_signal = 0;
static_assert(std::atomic<bool>::is_always_lock_free);

void onStopSignal(int signal)
{
    g_signal = signal;
    g_interrupted = true;
}

void printLine(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void printError(const QString& text)
{
    // One diagnostic, prefixed with the tool's name; inner line breaks become indented lines.
    QString flat = text;
    flat.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    flat.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    flat.replace(QLatin1Char('\n'), QStringLiteral("\n    "));
    printLine(stderr, QStringLiteral("%1: %2").arg(QLatin1String(kTool), flat));
}

// What the window would show, on a terminal: status texts as lines, a progress bar
// redrawn in place when stdout is a terminal, and every message box as text.
class TerminalHost : public app::RunHost {
public:
    explicit TerminalHost(bool verbose) : m_verbose(verbose), m_tty(isatty(STDOUT_FILENO)) {}

    void showMessage(app::MessageKind kind, const QString& text) override
    {
        endProgressLine();
        if (kind == app::MessageKind::Error || kind == app::MessageKind::Warning)
            printError(text);
        else
            printLine(stdout, text);
    }
    void showUnhandledError(const QString& message, const QString&) override
    {
        endProgressLine();
        printError(message);
    }
    void statusChanged(const QString& text) override
    {
        endProgressLine();
        printLine(stdout, text);
        m_lastShownPercent = -1;
    }
    void progressChanged(int position, int maximum) override
    {
        if (maximum <= 0 || position <= 0)
            return;
        const int percent = static_cast<int>(100LL * position / maximum);
        if (m_tty) {
            const int filled = percent * 30 / 100;
            std::fprintf(stdout, "\r  [%-30s] %3d %%  %d/%d", std::string(filled, '#').c_str(), percent, position,
                         maximum);
            std::fflush(stdout);
            m_lineOpen = true;
        } else if (percent / 25 != m_lastShownPercent / 25 || position == maximum) {
            // Without a terminal: a plain line at every quarter.
            if (percent != m_lastShownPercent)
                printLine(stdout, QStringLiteral("  %1 % (%2/%3)").arg(percent).arg(position).arg(maximum));
            m_lastShownPercent = percent;
        }
    }
    void processPendingMessages() override { QCoreApplication::processEvents(); }
    const std::atomic<bool>* interruptFlag() const override { return &g_interrupted; }
    void diagnostic(const QString& text) override
    {
        if (m_verbose) {
            endProgressLine();
            printLine(stderr, QStringLiteral("%1: %2").arg(QLatin1String(kTool), text));
        }
    }

private:
    void endProgressLine()
    {
        if (m_lineOpen) {
            std::fputc('\n', stdout);
            m_lineOpen = false;
        }
    }

    bool m_verbose;
    bool m_tty;
    bool m_lineOpen = false;
    int m_lastShownPercent = -1;
};

struct Options {
    QString database;
    bool names = true, birthdates = true, streets = true, places = true, schools = true, schoolNumber = true,
         teachers = true;
    bool complete = false;
    QString placeList;
    QString directoryFile;
    QString extraSqlFile;
    QString namesDir;
    std::optional<quint32> seed;
    bool verbose = false;
    bool sync = false;
    QString residueReport;
    bool rawScan = false;
};

struct OptionDef {
    const char* name;
    const char* argument;  // null for a flag
    const char* help;
};

const OptionDef kOptions[] = {
    {"--no-names", nullptr, "Schüler- und Lehrernamen nicht ersetzen"},
    {"--no-birthdates", nullptr, "Geburtsdaten der Schüler nicht verschieben"},
    {"--no-streets", nullptr, "Straßen nicht ersetzen"},
    {"--no-places", nullptr, "Postleitzahlen und Orte nicht ersetzen"},
    {"--no-schools", nullptr, "Schulen nicht anonymisieren"},
    {"--no-school-number", nullptr, "eigene Schulnummer nicht ersetzen"},
    {"--no-teachers", nullptr, "Lehrkräfte nicht anonymisieren"},
    {"--complete", nullptr,
     "auch übrige personenbezogene Spalten ersetzen: wo nach dem Lauf noch ersetzte Originalwerte stehen, Ersatzwerte "
     "derselben Art eintragen (Vorgabe: aus)"},
    {"--places", "LISTE", "nur diese Orte verwenden (mit Komma getrennt)"},
    {"--directory", "DATEI", "Schulverzeichnis (Vorgabe: Schulver.mdb neben dem Programm)"},
    {"--extra-sql", "DATEI", "weitere SQL-Befehle (Vorgabe: Weitere_SQL_Befehle.txt neben dem Programm, falls vorhanden)"},
    {"--names-dir", "ORDNER",
     "Ordner der Namenslisten (Vorgabe: aktueller Ordner, sonst der Ordner der installierten Namenslisten)"},
    {"--seed", "N", "Startwert des Zufallsgenerators, für wiederholbare Läufe"},
    {"--sync", nullptr,
     "jede Änderung sofort auf den Datenträger schreiben (fsync): auch ein Stromausfall verliert dann keine "
     "abgeschlossene Änderung; langsamer (ohne --sync ist die Datei nach einem Stromausfall im Stand nach einer "
     "abgeschlossenen Änderung, die Änderungen der letzten Sekunde können fehlen)"},
    {"--residue-report", "DATEI",
     "die Spalten, in denen nach dem Lauf noch ersetzte Originalwerte stehen, als CSV in DATEI schreiben"},
    {"--raw-scan", nullptr,
     "vor und nach dem Überschreiben des freien Speichers die Bytes der Datei nach den ersetzten Originalwerten "
     "durchsuchen und zählen, wie viele noch irgendwo stehen (UTF-16, Access-Kurzform, Windows-1252, UTF-8)"},
    {"--verbose", nullptr, "zusätzliche Hinweise für Entwickler ausgeben"},
    {"--help", nullptr, "diese Hilfe zeigen"},
    {"--version", nullptr, "Version zeigen"},
};

QString usageText()
{
    QString text = QStringLiteral("Aufruf: edvara-anon [OPTIONEN] DATENBANK\n"
                                  "Anonymisiert eine Edvara-Datenbank an Ort und Stelle.\n\nOptionen:\n");
    for (const OptionDef& o : kOptions) {
        QString left = QString::fromUtf8(o.name);
        if (o.argument)
            left += QLatin1Char(' ') + QString::fromUtf8(o.argument);
        text += QStringLiteral("  %1 %2\n").arg(left, -24).arg(QString::fromUtf8(o.help));
    }
    text += QStringLiteral(
        "\nDateien:\n"
        "  nachnamen.txt, vornamen_m.txt, vornamen_w.txt, strassennamen.txt\n"
        "      die Namenslisten: im aktuellen Ordner, sonst im Ordner der installierten Namenslisten\n"
        "      (PRÄFIX/share/edvara-anonymisieren, im Debian-Paket /usr/share/edvara-anonymisieren);\n"
        "      mit --names-dir nur in dem angegebenen Ordner\n"
        "  Schulver.mdb\n"
        "      das Schulverzeichnis: im Programmordner (PRÄFIX/lib/edvara-anonymisieren, im Debian-Paket\n"
        "      /usr/lib/edvara-anonymisieren), oder die mit --directory angegebene Datei\n"
        "  Weitere_SQL_Befehle.txt\n"
        "      weitere SQL-Befehle, falls vorhanden: im Programmordner, oder die mit --extra-sql angegebene Datei\n");
    text += QStringLiteral("\nExit-Status: 0 fertig, 1 angehalten (kein Schulverzeichnis, keine Orte, leere "
                           "Namensliste), 2 Fehler, 3 fertig, aber nicht alle Datensätze anonymisiert (Liste auf "
                           "stderr), 64 falscher Aufruf, 130 mit Strg+C abgebrochen (143 mit SIGTERM).");
    return text;
}

struct UsageError {
    QString message;
};

Options parseOptions(const QStringList& args, bool& helpOrVersion)
{
    Options o;
    helpOrVersion = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QStringLiteral("--")) || a == QStringLiteral("--")) {
            const QString value = a == QStringLiteral("--") && i + 1 < args.size() ? args[++i] : a;
            if (!o.database.isEmpty())
                throw UsageError{QStringLiteral("Es darf nur eine Datenbank angegeben werden.")};
            o.database = value;
            continue;
        }
        const OptionDef* def = nullptr;
        for (const OptionDef& d : kOptions)
            if (a == QLatin1String(d.name))
                def = &d;
        if (!def)
            throw UsageError{QStringLiteral("Unbekannte Option '%1'.").arg(a)};
        QString value;
        if (def->argument) {
            if (i + 1 >= args.size())
                throw UsageError{QStringLiteral("Die Option '%1' braucht einen Wert.").arg(a)};
            value = args[++i];
        }
        if (a == QLatin1String("--help") || a == QLatin1String("--version")) {
            printLine(stdout, a == QLatin1String("--help") ? usageText()
                                                           : QStringLiteral("edvara-anon %1").arg(QStringLiteral(EDVARA_VERSION)));
            helpOrVersion = true;
            return o;
        }
        if (a == QLatin1String("--no-names")) o.names = false;
        else if (a == QLatin1String("--no-birthdates")) o.birthdates = false;
        else if (a == QLatin1String("--no-streets")) o.streets = false;
        else if (a == QLatin1String("--no-places")) o.places = false;
        else if (a == QLatin1String("--no-schools")) o.schools = false;
        else if (a == QLatin1String("--no-school-number")) o.schoolNumber = false;
        else if (a == QLatin1String("--no-teachers")) o.teachers = false;
        else if (a == QLatin1String("--complete")) o.complete = true;
        else if (a == QLatin1String("--places")) o.placeList = value;
        else if (a == QLatin1String("--directory")) o.directoryFile = value;
        else if (a == QLatin1String("--extra-sql")) o.extraSqlFile = value;
        else if (a == QLatin1String("--names-dir")) o.namesDir = value;
        else if (a == QLatin1String("--verbose")) o.verbose = true;
        else if (a == QLatin1String("--sync")) o.sync = true;
        else if (a == QLatin1String("--residue-report")) o.residueReport = value;
        else if (a == QLatin1String("--raw-scan")) o.rawScan = true;
        else if (a == QLatin1String("--seed")) {
            bool ok = false;
            const qulonglong n = value.toULongLong(&ok);
            if (!ok || n > 0xFFFFFFFFull)
                throw UsageError{QStringLiteral("Der Startwert '%1' ist keine Zahl von 0 bis 4294967295.").arg(value)};
            o.seed = static_cast<quint32>(n);
        }
    }
    if (o.database.isEmpty())
        throw UsageError{QStringLiteral("Es wurde keine Datenbank angegeben.")};
    if (!o.extraSqlFile.isEmpty() && !QFileInfo(o.extraSqlFile).isFile())
        throw UsageError{QStringLiteral("Die Datei %1 mit weiteren SQL-Befehlen wurde nicht gefunden.").arg(o.extraSqlFile)};
    if (!o.namesDir.isEmpty() && !QFileInfo(o.namesDir).isDir())
        throw UsageError{QStringLiteral("Der Ordner %1 der Namenslisten wurde nicht gefunden.").arg(o.namesDir)};
    // The list is written after the run: a folder that is not there would be found out only
    // when the whole file has been rewritten.
    if (!o.residueReport.isEmpty()
        && (QFileInfo(o.residueReport).isDir() || !QFileInfo(o.residueReport).absoluteDir().exists()))
        throw UsageError{QStringLiteral("Die Liste der verbliebenen Originalwerte kann nicht nach %1 geschrieben werden: "
                                        "Der Ordner wurde nicht gefunden oder es ist ein Ordner.")
                             .arg(o.residueReport)};
    return o;
}

// Start-up problems the window reports in a box and then opens anyway; on the command
// line they end the program before any file is touched.
class StartupRecorder : public TerminalHost {
public:
    using TerminalHost::TerminalHost;
    bool failed = false;
    void showUnhandledError(const QString& message, const QString& detail) override
    {
        failed = true;
        TerminalHost::showUnhandledError(message, detail);
    }
};

// The raw scan's counts and the residue list as CSV, for a run that reached "Fertig".
void reportAfterRun(const app::TForm1& form, const Options& options)
{
    const app::TForm1::RawScanCounts& scan = form.rawScan();
    if (options.rawScan && scan.searched >= 0)
        printLine(stdout, QStringLiteral("Rohdaten: Von %1 ersetzten Originalwerten standen vor dem Überschreiben des "
                                         "freien Speichers %2 noch in der Datei, danach %3, davon %4 in Zellen der "
                                         "Tabellen (Spalten, die der Lauf nicht ersetzt).")
                              .arg(scan.searched)
                              .arg(scan.beforeScrub)
                              .arg(scan.afterScrub)
                              .arg(scan.afterScrubLive));
    if (!options.residueReport.isEmpty())
        app::writeResidueCsv(options.residueReport, form.residue());
}

}  // namespace

int runAnon(const QStringList& arguments)
{
    Options options;
    try {
        bool done = false;
        options = parseOptions(arguments, done);
        if (done)
            return kExitDone;
    } catch (const UsageError& e) {
        printError(e.message);
        printLine(stderr, QStringLiteral("Aufruf: edvara-anon [OPTIONEN] DATENBANK (mehr mit --help)"));
        return kExitUsage;
    }

    StartupRecorder host(options.verbose);
    try {
        app::TForm1 form(&host, options.namesDir);
        if (host.failed)
            return kExitError;
        host.failed = false;
        if (options.seed)
            app::RandomSource::instance().seed(*options.seed);
        form.chbxNamen->setChecked(options.names);
        form.chbxGebDat->setChecked(options.birthdates);
        form.chbxStrassen->setChecked(options.streets);
        form.chbxOrte->setChecked(options.places);
        form.chbxSchulen->setChecked(options.schools);
        form.chbxSNRAnonym->setChecked(options.schoolNumber);
        form.chbxLehrerAnonym->setChecked(options.teachers);
        form.chbxUebrigeSpalten->setChecked(options.complete);
        form.edOrte->setText(options.placeList);
        form.edDB->setText(options.database);
        form.con.SetSyncEachStatement(options.sync);
        if (!options.directoryFile.isEmpty())
            form.setDirectoryFile(options.directoryFile);
        if (!options.extraSqlFile.isEmpty())
            form.setExtraSqlFile(options.extraSqlFile);
        form.setRawScan(options.rawScan);

        g_interrupted = false;
        g_signal = 0;
        auto previousInt = std::signal(SIGINT, onStopSignal);
        auto previousTerm = std::signal(SIGTERM, onStopSignal);
        form.Button1Click();
        std::signal(SIGINT, previousInt);
        std::signal(SIGTERM, previousTerm);
        const int stopExit = g_signal == SIGTERM ? kExitTerminated : kExitInterrupted;
        app::RunOutcome outcome = form.lastOutcome();
        const bool finished
            = outcome == app::RunOutcome::Completed || outcome == app::RunOutcome::CompletedWithFailures;
        if (g_interrupted && finished) {
            // The signal came after the run's last step: it ended, but was asked to stop.
            printError(QStringLiteral("Abgebrochen nach dem Ende des Laufs."));
            return stopExit;
        }
        if (g_interrupted)
            outcome = app::RunOutcome::Cancelled;  // whatever the interrupt made fail on its way out
        if (finished && !g_interrupted)
            reportAfterRun(form, options);
        switch (outcome) {
        case app::RunOutcome::Completed: return kExitDone;
        case app::RunOutcome::CompletedWithFailures: return kExitIncomplete;
        case app::RunOutcome::Stopped: return kExitStopped;
        case app::RunOutcome::Cancelled:
            printError(QStringLiteral("Der Lauf wurde abgebrochen; die Datenbank ist nur teilweise anonymisiert, "
                                      "aber in sich stimmig."));
            return stopExit;
        default: return kExitError;
        }
    } catch (const util::Error& e) {
        printError(e.message());
    } catch (const std::exception& e) {
        printError(QString::fromUtf8(e.what()));
    }
    return kExitError;
}

}  // namespace cli
