#include "app/Application.h"
#include "app/Unit1.h"
#include "app/WindowHost.h"
#include "util/Error.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("edvara-anonymisieren"));
    setApplicationVersion(QStringLiteral(EDVARA_VERSION));
    loadQtTranslations(*this);
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

bool loadQtTranslations(QCoreApplication& application)
{
    // German whatever the user's locale says: every other text of the window is German.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

int runMainWindow(TForm1& form)
{
    form.show();
    const int loop = QApplication::exec();
    if (loop != 0)
        return loop;
    switch (form.lastOutcome()) {
    case RunOutcome::None:
    case RunOutcome::Completed: return kExitDone;
    case RunOutcome::CompletedWithFailures: return kExitIncomplete;
    case RunOutcome::Stopped: return kExitStopped;
    case RunOutcome::Failed: return kExitError;
    case RunOutcome::Cancelled: return kExitBrokenOff;
    }
    return kExitError;
}

}  // namespace app
