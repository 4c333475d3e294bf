// The command-line front end of the run: the same TForm1 and the same run as the
// window, driven headless, its messages printed on the terminal.
// Layer: command-line front end.
#pragma once

#include <QStringList>

namespace cli {

// Exit statuses of edvara-anon.
inline constexpr int kExitDone = 0;         // the run ended with "Fertig"
inline constexpr int kExitStopped = 1;      // stopped before writing: no directory, no places
inline constexpr int kExitError = 2;        // any other error
inline constexpr int kExitIncomplete = 3;   // "Fertig", but rows were left as they were (listed on stderr)
inline constexpr int kExitUsage = 64;       // bad command line
inline constexpr int kExitInterrupted = 130;  // Ctrl+C: the running statement stopped, the file is consistent
inline constexpr int kExitTerminated = 143;   // SIGTERM, handled as Ctrl+C

// Runs edvara-anon with the given arguments (without the program name); a Qt
// application must exist.
int runAnon(const QStringList& arguments);

}  // namespace cli
