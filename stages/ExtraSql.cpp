// The administrator's additional SQL statements beside the program: one statement per
// line, each run on its own; a refused line is shown to the user and the next one runs.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"
#include "stages/StageText.h"
#include "util/Error.h"
#include "util/TextFile.h"

#include <QFileInfo>

namespace app {

void TForm1::RunExtraSqlFile(const QString& path)
{
    SetStatus(QStringLiteral("Externe SQL-Befehle"));
    ProcessMessages();
    // An unreadable file ends the run here, before any of its lines has run.
    const QStringList lines = util::splitLines(util::readTextFile(path));
    const QString file = QFileInfo(path).fileName();
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.isEmpty())
            continue;
        try {
            con.Execute(line);
        } catch (const util::Error& e) {
            host().showMessage(MessageKind::Plain,
                fillTemplate(QStringLiteral("Fehler bei Ausführung von \"%s\": %s"), {line, e.message()}));
            // What the line was to remove or replace is still there.
            reportNotAnonymised(file, QStringLiteral("Zeile %1").arg(n + 1), line + QStringLiteral(" – ") + e.message());
        }
    }
}

}  // namespace app
