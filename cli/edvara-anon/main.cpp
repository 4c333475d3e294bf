// edvara-anon: anonymise an Edvara database from the command line.
#include "cli/edvara-anon/AnonCommand.h"

#include <QApplication>

#include <cstdio>

namespace {
// Qt's own start-up chatter (platform and path warnings) is no business of the user's.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "edvara-anon: %s\n", message.toUtf8().constData());
}
}  // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietQtMessages);
    // The run lives in the window class; on the command line it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return cli::runAnon(arguments);
}
