// Students with their guardians and telephone numbers.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::AnonymizeStudents()
{
}

}  // namespace app
