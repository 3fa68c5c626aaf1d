#include "platform/DataLinkFile.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

namespace quillary {

QString ReadDataLinkFile(const QString& path) {
    // A data-link file is a regular file of a few hundred bytes: devices and
    // pipes (which never end) and anything absurdly large are refused.
    constexpr qint64 kMaxSize = 1 << 20;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(kMaxSize + 1);
    if (bytes.size() > kMaxSize) return {};
    const QString text = DecodeText(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QLatin1StringView marker(kDataLinkMarker);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(marker)) continue;
        if (i + 1 >= lines.size()) return {};
        QString connection = lines[i + 1];
        if (connection.endsWith(QLatin1Char('\r'))) connection.chop(1);
        return connection;
    }
    return {};
}

bool WriteDataLinkFile(const QString& path, const QString& connectionString) {
    const QString text = QStringLiteral("[oledb]\r\n") + QLatin1StringView(kDataLinkMarker) +
                         QStringLiteral("\r\n") + connectionString + QStringLiteral("\r\n");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray bytes = utf16.encode(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

} // namespace quillary
