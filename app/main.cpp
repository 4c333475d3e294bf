// The window program: initialise the application, create the main window, run the
// message loop. It reads no arguments; its exit status tells how the last run ended.
#include "app/Application.h"
#include "app/Unit1.h"

int main(int argc, char** argv)
{
    app::Application application(argc, argv);
    app::TForm1 form;
    return app::runMainWindow(form);
}
