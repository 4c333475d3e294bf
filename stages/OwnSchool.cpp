// The school's own master record and owner number.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::AnonymizeOwnSchool()
{
}

}  // namespace app
