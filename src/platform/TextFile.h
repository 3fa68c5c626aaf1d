#pragma once
// Reading and writing the text files the designer exchanges with users.
// We write UTF-8. We read UTF-8 and UTF-16 with a byte-order mark, UTF-8
// without one, and GBK when the bytes are not valid UTF-8 (files from older
// Chinese Windows machines).

#include <QByteArray>
#include <QString>

namespace quillary {

QString DecodeText(const QByteArray& bytes);

// False with a readable reason when the file cannot be read.
bool ReadTextFile(const QString& path, QString& text, QString* error = nullptr);
// Writes atomically: on failure the old file is left as it was.
bool WriteTextFile(const QString& path, const QString& text, QString* error = nullptr);

} // namespace quillary
