// The general address book.
// Layer: anonymisation stage (operations of the main window).
#include "app/Unit1.h"

namespace app {

void TForm1::AnonymizeGeneralAddresses()
{
}

}  // namespace app
