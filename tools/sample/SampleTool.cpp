// Option parsing from one table and the one place where errors become messages.
#include "tools/sample/SampleTool.h"

#include "tools/sample/Leftovers.h"
#include "tools/sample/SampleGenerator.h"
#include "util/Error.h"

#include <QDir>
#include <QRegularExpression>

#include <exception>
#include <map>

namespace sample {

namespace {

struct OptionSpec {
    const char* name;
    const char* valueName;  // nullptr: a switch without value
    const char* help;
};

const OptionSpec kOptions[] = {
    {"--out", "ORDNER", "Zielordner; wird angelegt, wenn es ihn nicht gibt (Pflichtangabe)"},
    {"--large", nullptr,
     "große Datenbank für Messungen: mindestens 2000 Schüler, 6000 Erziehungsberechtigte, "
     "150 Lehrkräfte und 100000 Leistungsdaten"},
    {"--access", nullptr,
     "beide Dateien im Access-Format (Jet 4): ORDNER/Edvara.mdb mit dem Datenbankkennwort des Produkts "
     "und ORDNER/Schulver.mdb"},
    {"--size", "N",
     "N-mal so große Datenbank: N-mal so viele Schüler (mit ihren Erziehungsberechtigten, Telefonnummern und "
     "Leistungsdaten), Lehrkräfte, Klassen (höchstens 26 je Jahrgang) und allgemeine Adressen; mit --large das "
     "N-fache der großen Datenbank, N von 1 bis 20 (Vorgabe: 1)"},
    {"--seed", "N", "Startwert der Zufallszahlen, eine ganze Zahl ab 0 (Vorgabe: 20250315)"},
    {"--leftovers", nullptr,
     "in der Zieldatenbank Reste alter Datensätze anlegen, wie jahrelange Nutzung sie hinterlässt (Access: alte "
     "Zeilen in Lücken der Seiten und freigegebene Seiten; SQLite: eine gelöschte Kopie der Schüler und Lehrkräfte "
     "auf freien Seiten), für Messungen des Überschreibens am Ende eines Laufs"},
    {"--help", nullptr, "diese Hilfe zeigen"},
};

// A mistake on the command line: reported with a hint to --help, exit code kExitUsage.
class UsageError : public util::Error {
public:
    using util::Error::Error;
};

std::string usageText()
{
    std::string text = std::string("Aufruf: ") + kToolName + " --out ORDNER [--large] [--size N] [--access] [--seed N] [--leftovers]\n\n"
                       "Schreibt eine Beispiel-Zieldatenbank (ORDNER/Edvara.sqlite) und ein Beispiel-Schulverzeichnis\n"
                       "(ORDNER/Schulver.mdb, Tabelle DBS). Beide sind SQLite-Dateien, mit --access Access-Dateien\n"
                       "(die Zieldatenbank dann als ORDNER/Edvara.mdb). Derselbe Startwert und dieselbe Größe ergeben\n"
                       "dieselben Dateien; vorhandene Dateien gleichen Namens werden ersetzt.\n\nOptionen:\n";
    for (const OptionSpec& o : kOptions) {
        std::string head = std::string("  ") + o.name + (o.valueName ? std::string(" ") + o.valueName : "");
        head.resize(18, ' ');
        text += head + o.help + "\n";
    }
    return text;
}

const OptionSpec* findOption(const QString& name)
{
    for (const OptionSpec& o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// Option name -> value ("" for switches).
std::map<QString, QString> parseArguments(const QStringList& arguments)
{
    std::map<QString, QString> given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("Unerwartetes Argument „%1“.").arg(arg));
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        const OptionSpec* spec = findOption(name);
        if (!spec)
            throw UsageError(QStringLiteral("Unbekannte Option „%1“.").arg(name));
        if (given.count(name))
            throw UsageError(QStringLiteral("Die Option %1 ist mehrfach angegeben.").arg(name));
        QString value;
        if (spec->valueName) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                throw UsageError(QStringLiteral("Die Option %1 braucht einen Wert (%2).")
                                     .arg(name, QLatin1String(spec->valueName)));
        } else if (eq >= 0) {
            throw UsageError(QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(name));
        }
        given[name] = value;
    }
    return given;
}

SampleOptions toOptions(const std::map<QString, QString>& given)
{
    SampleOptions options;
    const auto out = given.find(QStringLiteral("--out"));
    if (out == given.end())
        throw UsageError(QStringLiteral("Die Option --out mit dem Zielordner fehlt."));
    if (out->second.isEmpty())
        throw UsageError(QStringLiteral("Der Zielordner bei --out ist leer."));
    options.outDir = out->second;
    options.large = given.count(QStringLiteral("--large")) > 0;
    options.access = given.count(QStringLiteral("--access")) > 0;
    const auto size = given.find(QStringLiteral("--size"));
    if (size != given.end()) {
        static const QRegularExpression smallNumber(QStringLiteral("^[0-9]{1,3}$"));
        const int value = smallNumber.match(size->second).hasMatch() ? size->second.toInt() : 0;
        if (value < kMinSize || value > kMaxSize)
            throw UsageError(QStringLiteral("Ungültige Größe „%1“ bei --size: erwartet wird eine ganze Zahl von %2 bis %3.")
                                 .arg(size->second)
                                 .arg(kMinSize)
                                 .arg(kMaxSize));
        options.size = value;
    }
    const auto seed = given.find(QStringLiteral("--seed"));
    if (seed != given.end()) {
        static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]{1,20}$"));
        bool ok = digitsOnly.match(seed->second).hasMatch();
        const qulonglong value = ok ? seed->second.toULongLong(&ok) : 0;
        if (!ok)
            throw UsageError(QStringLiteral("Ungültiger Startwert „%1“ bei --seed: erwartet wird eine ganze Zahl "
                                            "von 0 bis 18446744073709551615.")
                                 .arg(seed->second));
        options.seed = value;
    }
    return options;
}

void printSummary(const SampleSummary& s, std::ostream& out)
{
    const auto rows = [&](const char* table) { return std::to_string(s.targetRows.at(table)); };
    out << QDir::toNativeSeparators(s.targetPath).toStdString() << ": " << s.targetTables << " Tabellen, "
        << rows("Schueler") << " Schüler, " << rows("SchuelerErzAdr") << " Erziehungsberechtigte, "
        << rows("SchuelerTelefone") << " Telefonnummern, " << rows("K_Lehrer") << " Lehrkräfte, "
        << rows("SchuelerLernabschnittsdaten") << " Lernabschnitte, " << rows("SchuelerLeistungsdaten")
        << " Leistungsdaten, " << rows("K_Schule") << " andere Schulen, " << rows("K_Ort") << " Orte, "
        << rows("K_AllgAdresse") << " allgemeine Adressen\n"
        << QDir::toNativeSeparators(s.directoryPath).toStdString() << ": " << s.directorySchools
        << " Schulen in der Tabelle DBS\n";
}

}  // namespace

int runSampleTool(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    const std::string prefix = std::string(kToolName) + ": ";
    try {
        const std::map<QString, QString> given = parseArguments(arguments);
        if (given.count(QStringLiteral("--help"))) {
            out << usageText();
            return kExitOk;
        }
        const SampleOptions options = toOptions(given);
        const SampleSummary summary = writeSampleDatabases(options);
        printSummary(summary, out);
        if (given.count(QStringLiteral("--leftovers"))) {
            const LeftoverSummary l = plantLeftovers(summary.targetPath, options.access);
            if (options.access)
                out << "Reste: " << l.gapBytes << " Bytes alter Zeilen in Lücken, " << l.pagesGivenBack
                    << " freigegebene Seiten\n";
            else
                out << "Reste: " << l.freeListPages << " freie Seiten mit alten Zeilen\n";
        }
        return kExitOk;
    } catch (const UsageError& e) {
        err << prefix << e.what() << " Hilfe: " << kToolName << " --help\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        err << prefix << e.what() << "\n";
        return kExitFailure;
    }
}

}  // namespace sample
