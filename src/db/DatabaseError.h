#pragma once
#include <QByteArray>
#include <QString>
#include <exception>

namespace quillary {

// A database operation failed. The message is the database's own text where
// there is one, otherwise a sentence of ours that names what went wrong.
class EDatabaseError : public std::exception {
public:
    explicit EDatabaseError(const QString& message)
        : m_message(message), m_utf8(message.toUtf8()) {}
    const QString& Message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace quillary
