// Driving the main window headless in tests: a Qt application on the offscreen
// platform, a host that records what the run shows, and a window set up on a folder.
#pragma once

#include "app/RunHost.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace testsupport {

inline void ensureApplication()
{
    // Never destroyed: a QApplication torn down among the static destructors crashes.
    static QApplication* app = nullptr;
    if (!app) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "edvara-tests";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }
}

// Records every message, status text and progress change of a run.
class RecordingHost : public app::RunHost {
public:
    struct Message {
        app::MessageKind kind;
        QString text;
    };
    std::vector<Message> messages;
    QStringList unhandled;       // messages of errors no stage handled
    QStringList statuses;
    QStringList diagnostics;
    int lastPosition = 0;
    int lastMaximum = 0;
    int pumps = 0;
    // Called at every message-processing point (to click or close meanwhile).
    std::function<void()> onPump;
    // Called at every change of the progress bar.
    std::function<void(int position, int maximum)> onProgress;
    // Ctrl+C, as a test raises it.
    std::atomic<bool> interrupt{false};

    void showMessage(app::MessageKind kind, const QString& text) override { messages.push_back({kind, text}); }
    void showUnhandledError(const QString& message, const QString&) override { unhandled << message; }
    void statusChanged(const QString& text) override { statuses << text; }
    void progressChanged(int position, int maximum) override
    {
        lastPosition = position;
        lastMaximum = maximum;
        if (onProgress)
            onProgress(position, maximum);
    }
    void processPendingMessages() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    void diagnostic(const QString& text) override { diagnostics << text; }
    const std::atomic<bool>* interruptFlag() const override { return &interrupt; }

    QStringList texts() const
    {
        QStringList out;
        for (const Message& m : messages)
            out << m.text;
        return out;
    }
};

}  // namespace testsupport
