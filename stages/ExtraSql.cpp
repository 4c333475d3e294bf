// The administrator's additional SQL statements beside the program.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::RunExtraSqlFile(const QString&)
{
    SetStatus(QStringLiteral("Externe SQL-Befehle"));
    ProcessMessages();
}

}  // namespace app
