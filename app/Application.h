// The application object of the window program, with the application-wide handler of
// errors that no stage handled: their message is shown in a "Fehler" box. Also the
// window's message loop and the program's exit status, and Qt's own German texts.
// Layer: application shell.
#pragma once

#include <QApplication>

namespace app {

class TForm1;

// Exit statuses of the window program: how the window's last run ended.
inline constexpr int kExitDone = 0;       // no run, or the last run ended with "Fertig"
inline constexpr int kExitStopped = 1;    // stopped before writing, its message shown
inline constexpr int kExitError = 2;      // broken off by an error, its message shown
inline constexpr int kExitBrokenOff = 3;  // the window was closed while a run was going on
inline constexpr int kExitIncomplete = 4; // "Fertig", but rows were left as they were (listed in its box)

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Loads Qt's German texts (Debian's qt6-translations-l10n), so that the standard dialogs
// and buttons speak German like the rest of the window. False when they are not
// installed; the dialogs then stay English and everything else works.
bool loadQtTranslations(QCoreApplication& application);

// Shows the window and runs the message loop until it is closed; returns the exit status
// from the last run's outcome.
int runMainWindow(TForm1& form);

}  // namespace app
