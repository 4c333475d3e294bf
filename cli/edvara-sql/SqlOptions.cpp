// Options of edvara-sql, parsed from one table.
#include "cli/edvara-sql/SqlOptions.h"

#include <ostream>

namespace cli {

namespace {

struct OptionSpec {
    const char* name;
    const char* value;  // null for a flag
    const char* help;
};

constexpr OptionSpec kOptions[] = {
    {"--tables", nullptr, "die Tabellen der Datenbank zeigen, eine je Zeile, statt Anweisungen auszuführen"},
    {"--check", nullptr,
     "die ganze Datei prüfen: jede Tabelle, Zeile, jeden langen Wert, die Seitenlisten und jeden Index gegen "
     "seine Tabelle (Ausgabe: was nicht stimmt; Exit-Status 1, wenn etwas nicht stimmt)"},
    {"--scrub", nullptr,
     "den freien Speicher der Datei überschreiben: was gelöschte oder ersetzte Daten hinterlassen haben, wird zu "
     "Nullen (Access: an Ort und Stelle in einer Einheit des Journals; SQLite: VACUUM); die Daten selbst bleiben"},
    {"--password", "KENNWORT", "Datenbankkennwort einer Access-Datei (Vorgabe: das feste Kennwort des Produkts)"},
    {"--read-only", nullptr, "die Datei nur zum Lesen öffnen; andere Programme dürfen sie dabei auch lesen"},
    {"--help", nullptr, "diese Hilfe zeigen"},
};

}  // namespace

SqlOptions parseSqlOptions(const std::vector<std::string>& args)
{
    SqlOptions o;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || a.size() < 3 || a.compare(0, 2, "--") != 0) {
            o.positional.push_back(a);
            continue;
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& s : kOptions)
            if (a == s.name)
                spec = &s;
        if (!spec)
            throw UsageError("Unbekannte Option " + a + ".");
        std::string value;
        if (spec->value) {
            if (i + 1 >= args.size())
                throw UsageError(std::string("Die Option ") + spec->name + " braucht einen Wert.");
            value = args[++i];
        }
        const std::string name = spec->name;
        if (name == "--tables")
            o.tables = true;
        else if (name == "--check")
            o.check = true;
        else if (name == "--scrub")
            o.scrub = true;
        else if (name == "--password")
            o.password = value;
        else if (name == "--read-only")
            o.readOnly = true;
        else if (name == "--help")
            o.help = true;
    }
    if (o.help)
        return o;
    if (o.positional.empty())
        throw UsageError("Es wurde keine Datenbankdatei angegeben.");
    if (o.positional.size() > 2)
        throw UsageError("Zu viele Argumente: Die Anweisung muss ein einziges Argument sein.");
    if (o.check && (o.tables || o.positional.size() > 1))
        throw UsageError("--check prüft eine Datei und führt keine Anweisungen aus.");
    if (o.scrub && (o.check || o.tables || o.readOnly || o.positional.size() > 1))
        throw UsageError("--scrub überschreibt den freien Speicher einer Datei und tut nichts anderes.");
    return o;
}

void writeSqlUsage(std::ostream& out)
{
    out << "Aufruf: " << kSqlTool << " [OPTIONEN] [--] DATENBANK [ANWEISUNG]\n"
        << "Führt die ANWEISUNG (ohne sie: je Zeile der Standardeingabe eine Anweisung) auf der Access-\n"
        << "oder SQLite-Datei DATENBANK über die Datenbankschicht des Produkts aus und gibt jedes Ergebnis\n"
        << "als CSV aus. Anweisungen sind in der Sprache der Access-Datenbank geschrieben.\n\n"
        << "Optionen:\n";
    for (const OptionSpec& o : kOptions)
        out << "  " << o.name << (o.value ? std::string(" ") + o.value : std::string()) << "\n      " << o.help
            << "\n";
    out << "\nExit-Status: 0 bei Erfolg, 1 wenn --check etwas findet, 2 bei einem Fehler (Meldung auf der\n"
        << "Standardfehlerausgabe).\n";
}

int reportUsageError(const UsageError& e, std::ostream& err)
{
    err << kSqlTool << ": " << e.what() << "\n";
    writeSqlUsage(err);
    return kExitUsage;
}

}  // namespace cli
