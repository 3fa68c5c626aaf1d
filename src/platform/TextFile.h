#pragma once
// Reading and writing the text files the designer exchanges with users.
// We write UTF-8. We read UTF-8 and UTF-16 with a byte-order mark, UTF-8
// without one, and GBK when the bytes are not valid UTF-8 (files from older
// Chinese Windows machines).
//
// Files named from outside (dropped, opened, named in a connection string)
// are read only when they are regular files of a bounded size: a pipe would
// block for ever and a device never ends. Every refusal is a sentence in
// Chinese that names the file.

#include <QByteArray>
#include <QString>

namespace quillary {

// The largest text file we read.
inline constexpr qint64 kMaxTextFileSize = qint64(64) << 20;

QString DecodeText(const QByteArray& bytes);

// The bytes of a regular file of at most maxBytes; false with the reason
// otherwise, which calls the file by `kind` ("文件", "数据链接文件", ...).
bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes,
                     QString* error = nullptr, const QString& kind = QStringLiteral("文件"));

// Who may read a file we write: everybody the user's umask allows, or the
// owner alone (mode 0600) for files that hold a secret such as a password.
enum class TFileAccess { Shared, OwnerOnly };

// False with a readable reason when the file cannot be read.
bool ReadTextFile(const QString& path, QString& text, QString* error = nullptr);
// Writes atomically: on failure the old file is left as it was. An
// owner-only file is written to a temporary file that is 0600 from the
// moment it exists, then renamed over the old one, so that the text is never
// readable by others.
bool WriteTextFile(const QString& path, const QString& text, QString* error = nullptr,
                   TFileAccess access = TFileAccess::Shared);

} // namespace quillary
