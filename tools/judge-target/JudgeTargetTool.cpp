// Options from one table, the judge run, and the one place where errors become messages.
#include "tools/judge-target/JudgeTargetTool.h"

#include "tools/judge-target/JudgeInput.h"
#include "tools/judge-target/TargetPlan.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <exception>
#include <map>
#include <memory>

namespace judgetarget {

namespace {

struct OptionSpec {
    const char* name;
    const char* valueName;  // nullptr: a switch without value
    const char* help;
};

const OptionSpec kOptions[] = {
    {"--out", "DATEI", "die Access-Datei, die entsteht (Pflichtangabe; eine vorhandene wird ersetzt)"},
    {"--from", "DATEI", "die SQLite-Beispieldatenbank (Edvara.sqlite von edvara-sample --out ORDNER) (Pflichtangabe)"},
    {"--extra-indexes", nullptr,
     "dazu Indizes jeder Art, wie Schuldateien sie haben: ein eindeutiger über (Schueler_ID, Jahr, Abschnitt, "
     "WechselNr), Byte-, Ja/Nein-, Double-, Datums- und absteigende Indizes, (SchulnrEigner, Integer), "
     "K_Lehrer.Geschlecht als indizierte Integer-Spalte und indizierte Ja/Nein-Spalten in K_Lehrer (Referendar) "
     "und K_Schule (Partnerschule)"},
    {"--relationships", "ART",
     "Beziehungen mit referentieller Integrität von K_Lehrer.Kuerzel zu den sieben Lehrerverweisen und von "
     "Schueler.ID zu Schueler_ID der Schülertabellen: none (Vorgabe), plain (ohne Weitergabe) oder cascade "
     "(Aktualisierungs- und Löschweitergabe)"},
    {"--school-relationships", "ART",
     "ebenso K_Schule.SchulNr zu Schueler.LSSchulnr und Users.ID zu Logins.LI_UserID: none, plain oder cascade; "
     "K_Schule.SchulNr wird dafür eindeutig, Verweise ohne Gegenstück werden NULL"},
    {"--teacher-school-relationships", "ART",
     "ebenso K_Schule.SchulNr zu K_Lehrer.StammschulNr (die Stammschule einer Lehrkraft): none, plain oder cascade"},
    {"--password", "TEXT", "Datenbankkennwort (Vorgabe: tulvan, das des Produkts; leer: keines)"},
    {"--sqlite-out", "DATEI",
     "dazu eine Kopie der SQLite-Datei mit genau dem Inhalt des Ziels (auch den auf NULL gesetzten Verweisen), "
     "zum Vergleich der Läufe"},
    {"--keep-json", "ORDNER", "schema.json und data.json für den Prüfer in ORDNER behalten"},
    {"--judge", "PROGRAMM", "der Prüfer (Vorgabe: " EDVARA_JUDGE ")"},
    {"--help", nullptr, "diese Hilfe zeigen"},
};

class UsageError : public util::Error {
public:
    using util::Error::Error;
};

std::string usageText()
{
    std::string text = std::string("Aufruf: ") + kToolName
                       + " --out DATEI --from Edvara.sqlite [--extra-indexes] [--relationships none|plain|cascade]\n"
                         "       [--school-relationships none|plain|cascade]\n"
                         "       [--teacher-school-relationships none|plain|cascade] [--password TEXT] [--sqlite-out DATEI]\n\n"
                         "Macht mit dem unabhängigen Prüfer (Jackcess, `judge create`, aus der leeren Datenbank von\n"
                         "Access) eine Access-Zieldatenbank wie die einer Schule: jede Tabelle und Zeile der SQLite-\n"
                         "Beispieldatenbank mit den Spaltentypen, Primärschlüsseln und Indizes des Access-Beispiels,\n"
                         "auf Wunsch weitere Indizes und Beziehungen. Für Tests und Messungen; braucht Java.\n\nOptionen:\n";
    for (const OptionSpec& o : kOptions) {
        std::string head = std::string("  ") + o.name + (o.valueName ? std::string(" ") + o.valueName : "");
        head.resize(26, ' ');
        text += head + o.help + "\n";
    }
    return text;
}

std::map<QString, QString> parseArguments(const QStringList& arguments)
{
    std::map<QString, QString> given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& o : kOptions)
            if (arg == QLatin1String(o.name))
                spec = &o;
        if (!spec)
            throw UsageError(arg.startsWith(QLatin1String("--")) ? QStringLiteral("Unbekannte Option „%1“.").arg(arg)
                                                                 : QStringLiteral("Unerwartetes Argument „%1“.").arg(arg));
        if (given.count(arg))
            throw UsageError(QStringLiteral("Die Option %1 ist mehrfach angegeben.").arg(arg));
        QString value;
        if (spec->valueName) {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("Die Option %1 braucht einen Wert (%2).").arg(arg, QLatin1String(spec->valueName)));
            value = arguments[++i];
        }
        given[arg] = value;
    }
    return given;
}

Relationships relationshipsOf(const std::map<QString, QString>& given, const char* option)
{
    const auto it = given.find(QLatin1String(option));
    if (it == given.end() || it->second == QLatin1String("none"))
        return Relationships::None;
    if (it->second == QLatin1String("plain"))
        return Relationships::Plain;
    if (it->second == QLatin1String("cascade"))
        return Relationships::Cascade;
    throw UsageError(QStringLiteral("Ungültige Art „%1“ bei %2: erwartet wird none, plain oder cascade.")
                         .arg(it->second, QLatin1String(option)));
}

QString required(const std::map<QString, QString>& given, const char* option, const char* what)
{
    const auto it = given.find(QLatin1String(option));
    if (it == given.end() || it->second.isEmpty())
        throw UsageError(QStringLiteral("Die Option %1 mit %2 fehlt.").arg(QLatin1String(option), QLatin1String(what)));
    return it->second;
}

// The folder for the judge's files on the way. Jackcess flushes the file to the disk after
// every row it writes (some ten minutes for the --large sample here, against one in memory),
// so a folder in memory serves when there is one.
std::unique_ptr<QTemporaryDir> scratchFolder(const QString& target)
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable()) {
        auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/edvara-judge-target-XXXXXX"));
        if (dir->isValid())
            return dir;
    }
    auto dir = std::make_unique<QTemporaryDir>(QFileInfo(target).absolutePath() + QStringLiteral("/.judge-target-XXXXXX"));
    if (!dir->isValid())
        throw util::Error(QStringLiteral("Im Ordner von „%1“ lässt sich nichts anlegen.").arg(QDir::toNativeSeparators(target)));
    return dir;
}

// Copies the judge's whole file beside the target and renames it into place.
void install(const QString& made, const QString& target)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(made, part) || !(QFile::remove(target) || !QFile::exists(target)) || !QFile::rename(part, target)) {
        QFile::remove(part);
        throw util::Error(QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden.").arg(QDir::toNativeSeparators(target)));
    }
}

// `judge create` into `part`. The judge leaves out a relationship it cannot make (saying so
// on stderr): that is a failure here, since the target would then not be what was asked for.
// Jackcess's log lines are returned, each once, as notes.
QStringList runJudgeCreate(const QString& judge, const QString& part, const QString& target, const QString& schema,
                           const QString& data)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The sample's IDs have gaps; Access keeps an autonumber that is given, and so must the judge.
    env.insert(QStringLiteral("JAVA_TOOL_OPTIONS"),
               (env.value(QStringLiteral("JAVA_TOOL_OPTIONS")) + QStringLiteral(
                    " -Dcom.healthmarketscience.jackcess.allowAutoNumberInsert=true")).trimmed());
    p.setProcessEnvironment(env);
    p.start(judge, {QStringLiteral("create"), part, schema, data});
    if (!p.waitForStarted(30000))
        throw util::Error(QStringLiteral("Der Prüfer „%1“ lässt sich nicht starten (Java installiert?).").arg(judge));
    p.waitForFinished(-1);
    QStringList problems, notes, all;
    for (const QString& line : QString::fromUtf8(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("Picked up JAVA_TOOL_OPTIONS")))
            continue;
        all << line.trimmed();
        if (line.contains(QLatin1String(" left out: ")))
            problems << line.trimmed();
        else if (line.contains(QLatin1String("WARNING: ")) && !notes.contains(line.trimmed()))
            notes << line.trimmed();
    }
    const bool failed = p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0;
    if (failed && problems.isEmpty())
        problems = all.mid(0, 6);
    if (failed || !problems.isEmpty())
        throw util::Error(QStringLiteral("Der Prüfer konnte „%1“ nicht anlegen (Status %2): %3")
                              .arg(QDir::toNativeSeparators(target))
                              .arg(p.exitCode())
                              .arg(problems.mid(0, 6).join(QStringLiteral(" | "))));
    return notes;
}

}  // namespace

int runJudgeTargetTool(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    const std::string prefix = std::string(kToolName) + ": ";
    try {
        const std::map<QString, QString> given = parseArguments(arguments);
        if (given.count(QStringLiteral("--help"))) {
            out << usageText();
            return kExitOk;
        }
        const QString target = QFileInfo(required(given, "--out", "der Zieldatei")).absoluteFilePath();
        const QString from = required(given, "--from", "der SQLite-Beispieldatenbank");
        if (!QFileInfo(from).isFile())
            throw util::Error(QStringLiteral("Die SQLite-Datei „%1“ gibt es nicht.").arg(QDir::toNativeSeparators(from)));
        PlanOptions options;
        options.extraIndexes = given.count(QStringLiteral("--extra-indexes")) > 0;
        options.references = relationshipsOf(given, "--relationships");
        options.schools = relationshipsOf(given, "--school-relationships");
        options.teacherSchools = relationshipsOf(given, "--teacher-school-relationships");
        if (given.count(QStringLiteral("--password")))
            options.password = given.at(QStringLiteral("--password")).toStdString();
        const QString judge = given.count(QStringLiteral("--judge")) ? given.at(QStringLiteral("--judge"))
                                                                      : QStringLiteral(EDVARA_JUDGE);
        if (!QFileInfo(judge).isExecutable())
            throw util::Error(QStringLiteral("Den Prüfer „%1“ gibt es nicht.").arg(QDir::toNativeSeparators(judge)));

        const TargetPlan plan = makePlan(options);
        if (!QFileInfo(QFileInfo(target).absolutePath()).isWritable())
            throw util::Error(QStringLiteral("Im Ordner von „%1“ lässt sich nichts anlegen.").arg(QDir::toNativeSeparators(target)));
        const std::unique_ptr<QTemporaryDir> scratch = scratchFolder(target);
        QString jsonDir = scratch->path();
        if (given.count(QStringLiteral("--keep-json"))) {
            jsonDir = given.at(QStringLiteral("--keep-json"));
            if (!QDir().mkpath(jsonDir))
                throw util::Error(QStringLiteral("Der Ordner „%1“ lässt sich nicht anlegen.").arg(QDir::toNativeSeparators(jsonDir)));
        }
        const QString schema = jsonDir + QStringLiteral("/schema.json");
        const QString data = jsonDir + QStringLiteral("/data.json");
        writeSchemaJson(plan, schema.toStdString());
        const DataSummary summary = writeDataJson(plan, from.toStdString(), data.toStdString());
        const QString made = scratch->filePath(QStringLiteral("Ziel.mdb"));
        const QStringList notes = runJudgeCreate(judge, made, target, schema, data);
        install(made, target);
        for (const QString& note : notes)
            err << prefix << "Hinweis des Prüfers: " << note.toStdString() << "\n";
        if (given.count(QStringLiteral("--sqlite-out")))
            writeSqliteTwin(plan, from.toStdString(), given.at(QStringLiteral("--sqlite-out")).toStdString());

        long long rows = 0;
        size_t indexes = 0;
        for (const auto& [table, n] : summary.rows)
            rows += n;
        for (const PlanTable& t : plan.tables)
            indexes += t.indexes.size();
        out << QDir::toNativeSeparators(target).toStdString() << ": " << plan.tables.size() << " Tabellen, " << rows
            << " Zeilen, " << indexes << " Indizes, " << plan.relationships.size() << " Beziehungen, Kennwort "
            << (plan.password.empty() ? std::string("keines") : "„" + plan.password + "“") << "\n";
        for (const auto& [name, n] : summary.fitted)
            if (n > 0)
                out << "Beziehung " << name << ": " << n << " Verweise ohne Gegenstück sind NULL"
                    << (given.count(QStringLiteral("--sqlite-out")) ? " (auch in der SQLite-Kopie)" : "") << "\n";
        return kExitOk;
    } catch (const UsageError& e) {
        err << prefix << e.what() << " Hilfe: " << kToolName << " --help\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        err << prefix << e.what() << "\n";
        return kExitFailure;
    }
}

}  // namespace judgetarget
