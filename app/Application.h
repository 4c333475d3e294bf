// The application object of the window program, with the application-wide handler of
// errors that no stage handled: their message is shown in a "Fehler" box.
// Layer: application shell.
#pragma once

#include <QApplication>

namespace app {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
