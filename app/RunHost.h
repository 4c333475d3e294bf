// The narrow seam between the run and whatever shows it: modal messages, the status
// line, the progress bar and the processing of pending input. The window implements it
// with widgets, the command line with a terminal, tests with a recorder.
// Layer: application shell; no widgets here.
#pragma once

#include <QString>

#include <atomic>

namespace app {

enum class MessageKind {
    Error,        // titled "Fehler"
    Information,  // titled "Informationen"
    Plain,        // titled with the application title
    Warning,      // titled "Warnung": what a finished run could not do
};

class RunHost {
public:
    virtual ~RunHost() = default;
    // A modal box with the single button OK; returns when the user has closed it.
    virtual void showMessage(MessageKind kind, const QString& text) = 0;
    // An error that no stage handled; detail is the status text of that moment.
    virtual void showUnhandledError(const QString& message, const QString& detail) = 0;
    // The status line changed and must be shown at once.
    virtual void statusChanged(const QString& text) = 0;
    virtual void progressChanged(int position, int maximum) = 0;
    // Let pending input and repaints through (the run's only points of responsiveness).
    virtual void processPendingMessages() = 0;
    // Diagnostics that only a developer watching the process should see.
    virtual void diagnostic(const QString& text) { (void)text; }
    // Raised when the user asks the run to end at once (Ctrl+C on a terminal); may be set
    // from a signal handler. The run then stops its running statement and ends at the
    // next step. Null: the host has no such request.
    virtual const std::atomic<bool>* interruptFlag() const { return nullptr; }
};

// The title of plain message boxes: the executable's file name up to its first dot,
// every letter after the first in lower case.
QString ApplicationTitle(const QString& executablePath);

}  // namespace app
