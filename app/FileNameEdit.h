// A single-line file-name field with a browse button at its right end. The button or
// Alt+Down opens the open-file dialog; afterwards afterDialog reports the chosen or
// current name. Typing or dropping a path changes the text only.
// Layer: application shell (widgets).
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>

namespace app {

class TFileNameEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TFileNameEdit(QWidget* parent = nullptr);

    // The dialog: title, filter and start folder in, the accepted path out (nothing
    // when cancelled). Tests replace it; by default it is Qt's open-file dialog.
    using DialogRunner = std::function<std::optional<QString>(const QString& title, const QString& filter,
                                                              const QString& startFolder)>;
    void setDialogRunner(DialogRunner runner) { m_runner = std::move(runner); }

    // Opens the dialog as the button does.
    void browse();

signals:
    void afterDialog(const QString& name, bool accepted);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString startFolder() const;
    DialogRunner m_runner;
};

}  // namespace app
