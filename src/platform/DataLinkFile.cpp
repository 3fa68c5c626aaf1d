#include "platform/DataLinkFile.h"
#include "platform/TextFile.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace quillary {

QString ReadDataLinkFile(const QString& path, QString* error) {
    // Devices and pipes (which never end) and anything absurdly large are
    // refused, as for any text file from outside.
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxTextFileSize, bytes, error, QStringLiteral("数据链接文件")))
        return {};
    const QString text = DecodeText(bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QLatin1StringView marker(kDataLinkMarker);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith(marker)) continue;
        QString connection = lines.value(i + 1);
        if (connection.endsWith(QLatin1Char('\r'))) connection.chop(1);
        if (connection.trimmed().isEmpty()) break;
        return connection;
    }
    if (error)
        *error = QStringLiteral("数据链接文件“%1”中没有连接字符串（应在“%2”这一行的下一行）")
                     .arg(path, marker);
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
