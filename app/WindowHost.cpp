#include "app/WindowHost.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

namespace app {

QString ApplicationTitle(const QString& executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

void WindowHost::showMessage(MessageKind kind, const QString& text)
{
    QMessageBox box(m_window);
    switch (kind) {
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Fehler"));
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Informationen"));
        break;
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Warnung"));
        break;
    case MessageKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(ApplicationTitle(QCoreApplication::applicationFilePath()));
        break;
    }
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void WindowHost::showUnhandledError(const QString& message, const QString& detail)
{
    QMessageBox box(m_window);
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(QStringLiteral("Fehler"));
    box.setText(message);
    if (!detail.isEmpty())
        box.setInformativeText(QStringLiteral("Stand der Bearbeitung: %1").arg(detail));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void WindowHost::statusChanged(const QString&)
{
    // The thread is busy with the run: paint the status line now, not at the next idle.
    if (auto* label = m_window ? m_window->findChild<QLabel*>(QStringLiteral("Label2")) : nullptr)
        label->repaint();
}

void WindowHost::progressChanged(int, int)
{
    if (auto* bar = m_window ? m_window->findChild<QProgressBar*>(QStringLiteral("Progress")) : nullptr)
        bar->repaint();
}

void WindowHost::processPendingMessages()
{
    QApplication::processEvents();
}

}  // namespace app
