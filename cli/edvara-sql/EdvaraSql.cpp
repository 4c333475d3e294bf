// Options, the statement loop and the one place that turns errors into exit codes.
#include "cli/edvara-sql/EdvaraSql.h"

#include "cli/edvara-sql/CsvWriter.h"
#include "db/ConnectionString.h"
#include "db/DbConnection.h"

#include <QString>

#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace cli {

namespace {

constexpr const char* kTool = "edvara-sql";

struct OptionSpec {
    const char* name;
    bool takesValue;
    const char* help;
};

constexpr OptionSpec kOptions[] = {
    {"--tables", false, "list the user tables, one per line, instead of running statements"},
    {"--check", false,
     "check the whole file: every table, row, long value and page map, every index against its table (German "
     "report; exit 1 when something is wrong)"},
    {"--password", true, "database password of an Access file (default: the product's fixed password)"},
    {"--read-only", false, "open the file for reading only and let other programs read it too"},
    {"--help", false, "show this text"},
};

void usage(std::ostream& out)
{
    out << "Usage: " << kTool << " [OPTIONS] [--] DATABASE [STATEMENT]\n"
        << "Runs STATEMENT (or, without it, one statement per line of standard input) on the Access or\n"
        << "SQLite file DATABASE through the product's database layer and prints each result as CSV.\n\n";
    for (const OptionSpec& o : kOptions)
        out << "  " << o.name << (o.takesValue ? " VALUE" : "") << "\n      " << o.help << "\n";
    out << "\nExit status: 0 on success, 1 when --check finds damage, 2 on an error (message on standard error).\n";
}

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool tables = false;
    bool check = false;
    bool readOnly = false;
    bool help = false;
    std::string password = db::kTargetPassword;
    std::vector<std::string> positional;
};

Options parse(const std::vector<std::string>& args)
{
    Options o;
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
        if (spec->takesValue) {
            if (i + 1 >= args.size())
                throw UsageError(std::string("Die Option ") + spec->name + " braucht einen Wert.");
            value = args[++i];
        }
        const std::string name = spec->name;
        if (name == "--tables")
            o.tables = true;
        else if (name == "--check")
            o.check = true;
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
    return o;
}

QString connectionString(const Options& o)
{
    QString cs = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=")
                 + db::connectionValue(QString::fromStdString(o.positional[0]))
                 + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=")
                 + db::connectionValue(QString::fromStdString(o.password));
    if (o.readOnly)
        cs += QStringLiteral(";Mode=Read|Share Deny Write");
    return cs;
}

void runStatement(db::DbConnection& con, const std::string& sql, std::ostream& out)
{
    bool headerWritten = false;
    const db::ResultColumns cols =
        con.Query(QString::fromStdString(sql), [&](const db::ResultColumns& c, const std::vector<db::Value>& row) {
            if (!headerWritten) {
                writeCsvHeader(out, c);
                headerWritten = true;
            }
            writeCsvRow(out, c, row);
        });
    if (!headerWritten && !cols.names.isEmpty())
        writeCsvHeader(out, cols);
}

// The index check works on the engine directly: it looks at pages, not at SQL results.
int runCheck(const Options& o, std::ostream& out, std::ostream& err)
{
    Options reading = o;
    reading.readOnly = true;
    db::DbConnection con;
    con.SetConnectionString(connectionString(reading));
    QStringList notes;
    const QStringList errors = con.CheckFile(&notes);
    for (const QString& e : errors)
        out << e.toStdString() << "\n";
    for (const QString& n : notes)
        out << n.toStdString() << "\n";
    out.flush();
    if (!errors.isEmpty()) {
        err << kTool << ": " << errors.size() << " Fehler in " << o.positional[0] << " gefunden.\n";
        return kExitCheckFailed;
    }
    out << "Die Datei ist in Ordnung.\n";
    return kExitOk;
}

}  // namespace

int runEdvaraSql(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    Options o;
    try {
        o = parse(args);
    } catch (const UsageError& e) {
        err << kTool << ": " << e.what() << "\n";
        usage(err);
        return kExitUsage;
    }
    if (o.help) {
        usage(out);
        return kExitOk;
    }
    try {
        if (o.check)
            return runCheck(o, out, err);
        db::DbConnection con;
        con.SetConnectionString(connectionString(o));
        con.SetConnected(true);
        if (o.tables) {
            for (const QString& t : con.TableNames())
                out << t.toStdString() << "\n";
        } else if (o.positional.size() == 2) {
            runStatement(con, o.positional[1], out);
        } else {
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (line.find_first_not_of(" \t") == std::string::npos)
                    continue;
                runStatement(con, line, out);
            }
        }
        out.flush();
        return kExitOk;
    } catch (const std::exception& e) {
        out.flush();
        err << kTool << ": " << e.what() << "\n";
        return kExitError;
    }
}

}  // namespace cli
