// The window's side of the run seam: modal message boxes and immediate repaints.
// Layer: application shell (widgets).
#pragma once

#include "app/RunHost.h"

class QWidget;

namespace app {

class WindowHost : public RunHost {
public:
    explicit WindowHost(QWidget* window) : m_window(window) {}
    void showMessage(MessageKind kind, const QString& text) override;
    void showUnhandledError(const QString& message, const QString& detail) override;
    void statusChanged(const QString& text) override;
    void progressChanged(int position, int maximum) override;
    void processPendingMessages() override;

private:
    QWidget* m_window;
};

}  // namespace app
