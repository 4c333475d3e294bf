#include "app/Application.h"
#include "app/WindowHost.h"
#include "util/Error.h"

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("edvara-anonymisieren"));
    setApplicationVersion(QStringLiteral(EDVARA_VERSION));
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // No exception may unwind through Qt's event loop: whatever escapes a handler is
    // shown here and the program goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const util::Error& e) {
        WindowHost(activeWindow()).showUnhandledError(e.message(), QString());
    } catch (const std::exception& e) {
        WindowHost(activeWindow()).showUnhandledError(QString::fromUtf8(e.what()), QString());
    }
    return false;
}

}  // namespace app
