// What the record stages leave behind: photos, remarks, accounts, passwords.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::DoResidualCleanup()
{
    SetStatus(QStringLiteral("Restarbeiten"));
    ProcessMessages();
}

}  // namespace app
