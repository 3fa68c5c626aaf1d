#pragma once
// The base of the errors this system raises: a message, readable as QString
// and, for std::exception users, as UTF-8.
#include <QByteArray>
#include <QString>
#include <exception>

namespace quillary {

class Exception : public std::exception {
public:
    explicit Exception(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}
    const QString& Message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace quillary
