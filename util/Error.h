// The one error type of the system: every failure is raised with a message text.
// Layer: utilities; knows nothing of databases or windows.
#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace util {

class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace util
