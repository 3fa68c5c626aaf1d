#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillary {

namespace {

bool Refuse(QString* error, const QString& reason) {
    if (error) *error = reason;
    return false;
}

QString SystemReason(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件不存在");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有读取它的权限");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

QString Megabytes(qint64 bytes) {
    return QString::number(double(bytes) / double(1 << 20), 'f', bytes % (1 << 20) ? 1 : 0);
}

// Closes the descriptor on every way out.
struct TDescriptor {
    int Fd = -1;
    ~TDescriptor() {
        if (Fd >= 0) ::close(Fd);
    }
};

} // namespace

QString DecodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder.decode(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid()) {
        QString fromGbk = gbk.decode(bytes);
        if (!gbk.hasError()) return fromGbk;
    }
    return text; // neither: keep UTF-8 with replacement characters
}

bool ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray& bytes, QString* error,
                     const QString& kind) {
    if (path.isEmpty()) return Refuse(error, QStringLiteral("没有给出%1的路径").arg(kind));
    const auto cannot = [&](const QString& reason) {
        return Refuse(error, QStringLiteral("无法读取%1“%2”：%3").arg(kind, path, reason));
    };
    // Opened without waiting (a pipe with no writer would block the open)
    // and looked at through the descriptor, so that what is checked is what
    // is read.
    TDescriptor file;
    file.Fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file.Fd < 0) return cannot(SystemReason(errno));
    struct stat info {};
    if (::fstat(file.Fd, &info) != 0) return cannot(SystemReason(errno));
    if (S_ISDIR(info.st_mode)) return cannot(QStringLiteral("这是一个文件夹"));
    if (!S_ISREG(info.st_mode))
        return cannot(QStringLiteral("这不是普通文件（而是设备、管道或套接字）"));
    if (info.st_size > maxBytes)
        return cannot(QStringLiteral("它有 %1 字节，超过了 %2 MB 的上限")
                          .arg(qint64(info.st_size))
                          .arg(Megabytes(maxBytes)));
    const int flags = ::fcntl(file.Fd, F_GETFL);
    if (flags >= 0) ::fcntl(file.Fd, F_SETFL, flags & ~O_NONBLOCK);
    // The size can change while we read: never more than the limit.
    QByteArray data;
    data.reserve(qsizetype(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.Fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return cannot(SystemReason(errno));
        }
        if (n == 0) break;
        if (data.size() + n > maxBytes)
            return cannot(QStringLiteral("它超过了 %1 MB 的上限").arg(Megabytes(maxBytes)));
        data.append(buffer, qsizetype(n));
    }
    bytes = std::move(data);
    return true;
}

bool ReadTextFile(const QString& path, QString& text, QString* error) {
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxTextFileSize, bytes, error)) return false;
    text = DecodeText(bytes);
    return true;
}

namespace {

// `bytes` into a temporary file beside `path` made 0600 by mkstemp, renamed
// over `path` when everything is written.
bool WriteOwnerOnly(const QString& path, const QByteArray& bytes, QString* error) {
    const auto cannot = [&](int code) {
        return Refuse(error, QStringLiteral("无法写入文件“%1”：%2")
                                 .arg(path, QString::fromLocal8Bit(std::strerror(code))));
    };
    // A link is followed, as for every other file we write.
    const QFileInfo info(path);
    const QString target = !info.isSymLink() ? info.absoluteFilePath()
                           : info.exists()   ? info.canonicalFilePath()
                                             : info.symLinkTarget();
    QByteArray temporary =
        QFile::encodeName(QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                          QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
    TDescriptor file;
    file.Fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (file.Fd < 0) return cannot(errno);
    const auto fail = [&](int code) {
        ::unlink(temporary.constData());
        return cannot(code);
    };
    if (::fchmod(file.Fd, S_IRUSR | S_IWUSR) != 0) return fail(errno);
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n =
            ::write(file.Fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += n;
    }
    if (::fsync(file.Fd) != 0) return fail(errno);
    const int fd = file.Fd;
    file.Fd = -1;
    if (::close(fd) != 0) return fail(errno);
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        return fail(errno);
    return true;
}

} // namespace

bool WriteTextFile(const QString& path, const QString& text, QString* error, TFileAccess access) {
    if (access == TFileAccess::OwnerOnly) return WriteOwnerOnly(path, text.toUtf8(), error);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return Refuse(error, QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString()));
    return true;
}

} // namespace quillary
