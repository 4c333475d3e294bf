#include "app/FileNameEdit.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace app {

TFileNameEdit::TFileNameEdit(QWidget* parent) : QLineEdit(parent)
{
    QAction* browseAction = addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browseAction->setObjectName(QStringLiteral("browse"));
    browseAction->setToolTip(QStringLiteral("Durchsuchen (Alt+Unten)"));
    connect(browseAction, &QAction::triggered, this, &TFileNameEdit::browse);
    m_runner = [this](const QString& title, const QString& filter, const QString& folder) -> std::optional<QString> {
        QFileDialog dialog(this, title, folder, filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    };
}

QString TFileNameEdit::startFolder() const
{
    QString current = text().trimmed();
    if (current.size() >= 2 && current.startsWith(QLatin1Char('"')) && current.endsWith(QLatin1Char('"')))
        current = current.mid(1, current.size() - 2);
    if (current.isEmpty())
        return QString();
    const QFileInfo info(current);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void TFileNameEdit::browse()
{
    const std::optional<QString> chosen = m_runner(QStringLiteral("Browse"), QStringLiteral("*.mdb"), startFolder());
    if (chosen) {
        // A path with a blank is shown in double quotes, as the field always did.
        setText(chosen->contains(QLatin1Char(' ')) ? QLatin1Char('"') + *chosen + QLatin1Char('"') : *chosen);
        emit afterDialog(*chosen, true);
    } else {
        emit afterDialog(text(), false);
    }
}

void TFileNameEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace app
