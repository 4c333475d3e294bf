// Teachers, their abbreviations and every reference to them.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::AnonymizeTeachers()
{
    SetStatus(QStringLiteral("Lehrer bearbeiten"));
}

QString TForm1::MakeTeacherAbbreviation(const QString& surname)
{
    return surname;
}

void TForm1::ReplaceTeacherAbbreviation(const QString&, const QString&)
{
}

}  // namespace app
