// The full tool: the statement loop over the database layer and the one place that turns
// its errors into exit codes.
#include "cli/edvara-sql/EdvaraSql.h"

#include "cli/edvara-sql/CsvWriter.h"
#include "db/ConnectionString.h"
#include "db/DbConnection.h"

#include <QString>

#include <istream>
#include <ostream>

namespace cli {

namespace {

QString connectionString(const SqlOptions& o)
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

// The whole file checked by the engine (an Access file) or SQLite (a SQLite file).
int runCheck(const SqlOptions& o, std::ostream& out, std::ostream& err)
{
    SqlOptions reading = o;
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
        err << kSqlTool << ": " << errors.size() << " Fehler in " << o.positional[0] << " gefunden.\n";
        return kExitCheckFailed;
    }
    out << "Die Datei ist in Ordnung.\n";
    return kExitOk;
}

// Every byte no live data uses becomes zero; progress in steps of ten percent on standard
// error, the outcome on standard output.
int runScrub(const SqlOptions& o, std::ostream& out, std::ostream& err)
{
    db::DbConnection con;
    con.SetConnectionString(connectionString(o));
    con.SetConnected(true);
    const bool access = con.Format() == db::DatabaseFormat::Access;
    int shown = -1;
    const db::ScrubResult r = con.Scrub([&](quint64 done, quint64 total) {
        const int percent = total ? static_cast<int>(100 * done / total) : 100;
        if (percent / 10 != shown / 10) {
            err << kSqlTool << ": Freien Speicher überschreiben: " << percent << " %\n";
            err.flush();
            shown = percent;
        }
    });
    con.SetConnected(false);
    for (const QString& n : r.notes)
        out << "Hinweis: " << n.toStdString() << "\n";
    if (access) {
        out << r.bytesZeroed << " Bytes auf " << r.pagesChanged << " Seiten überschrieben";
        if (r.freePagesZeroed)
            out << ", davon " << r.freePagesZeroed << " freie Seiten ganz";
        out << ".\n";
        if (r.pagesLeft)
            out << r.pagesLeft << " Seiten werden weder verwendet noch sind sie als frei markiert; sie blieben, wie "
                   "sie waren.\n";
    } else {
        out << "Die Datei wurde neu aufgebaut (VACUUM); sie enthält keine freien Seiten mehr.\n";
    }
    out.flush();
    return kExitOk;
}

}  // namespace

int runEdvaraSql(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    SqlOptions o;
    try {
        o = parseSqlOptions(args);
    } catch (const UsageError& e) {
        return reportUsageError(e, err);
    }
    if (o.help) {
        writeSqlUsage(out);
        return kExitOk;
    }
    try {
        if (o.check)
            return runCheck(o, out, err);
        if (o.scrub)
            return runScrub(o, out, err);
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
        // What the engine still holds back goes to the disk now, so that a failure is
        // reported here and not lost at the closing.
        con.FinishWrites();
        out.flush();
        return kExitOk;
    } catch (const std::exception& e) {
        out.flush();
        err << kSqlTool << ": " << e.what();
        // Without --read-only the file is opened for writing, which a write-protected file
        // refuses even to a select.
        if (!o.readOnly && std::string(e.what()).find("zum Schreiben geöffnet werden") != std::string::npos)
            err << " Zum bloßen Lesen: " << kSqlTool << " --read-only.";
        err << "\n";
        return kExitError;
    }
}

}  // namespace cli
