// The other schools, redrawn from the school directory.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::AssignSchools(const util::StringList&)
{
    SetStatus(QStringLiteral("Schulen zuordnen"));
    AnonymizeOwnSchool();
}

void TForm1::AddInsertValue(const QString&, const QString&)
{
}

bool TForm1::IsSchulnrAssigned(const QString&) const
{
    return false;
}

QString TForm1::PickSchoolNumber()
{
    return QString();
}

}  // namespace app
