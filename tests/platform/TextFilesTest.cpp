#include "platform/DataLinkFile.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillary;

namespace {

QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(bytes);
    return path;
}

QByteArray Utf16Le(const QString& text, bool bom) {
    QStringEncoder encoder(QStringEncoder::Utf16LE,
                           bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
    return encoder.encode(text);
}

} // namespace

TEST(DecodeText, RecognisesTheEncodingsUsersHave) {
    const QString chinese = QStringLiteral("select 客户名称 from 客户");
    EXPECT_EQ(DecodeText(chinese.toUtf8()), chinese);
    EXPECT_EQ(DecodeText(QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()), chinese)
        << "UTF-8 with BOM";
    EXPECT_EQ(DecodeText(Utf16Le(chinese, true)), chinese) << "UTF-16LE with BOM";
    QStringEncoder gbk("GBK");
    ASSERT_TRUE(gbk.isValid());
    const QByteArray gbkBytes = gbk.encode(chinese);
    ASSERT_NE(gbkBytes, chinese.toUtf8());
    EXPECT_EQ(DecodeText(gbkBytes), chinese) << "GBK from older Windows machines";
    EXPECT_EQ(DecodeText(QByteArray()), QString());
    EXPECT_EQ(DecodeText(QByteArray("plain ascii")), QStringLiteral("plain ascii"));
}

TEST(TextFile, WritesUtf8AndNeverLosesTheOldFileOnFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.sql"));
    QString error;
    ASSERT_TRUE(WriteTextFile(path, QStringLiteral("select 1 -- 一"), &error))
        << error.toStdString();
    QString text;
    ASSERT_TRUE(ReadTextFile(path, text));
    EXPECT_EQ(text, QStringLiteral("select 1 -- 一"));
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll(), QStringLiteral("select 1 -- 一").toUtf8());

    const QString nowhere = dir.filePath(QStringLiteral("missing/folder/x.sql"));
    EXPECT_FALSE(WriteTextFile(nowhere, QStringLiteral("x"), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件“%1”：").arg(nowhere)))
        << error.toStdString();
    EXPECT_FALSE(ReadTextFile(dir.filePath(QStringLiteral("nothing.sql")), text, &error));
    EXPECT_EQ(text, QStringLiteral("select 1 -- 一")) << "a failed read leaves the text alone";
}

TEST(TextFile, OwnerOnlyFilesAreNeverReadableByOthers) {
    QTemporaryDir dir;
    const auto mode = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777)
                                                                       : -1;
    };
    const QString fresh = dir.filePath(QStringLiteral("fresh.tmb"));
    const QString existing = WriteBytes(dir, QStringLiteral("old.tmb"), "old text");
    ASSERT_TRUE(QFile::setPermissions(existing, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ReadGroup | QFile::ReadOther));
    const QString target = WriteBytes(dir, QStringLiteral("target.tmb"), "old text");
    const QString link = dir.filePath(QStringLiteral("link.tmb"));
    ASSERT_TRUE(QFile::link(target, link));
    for (const QString& path : {fresh, existing, link}) {
        QString error;
        ASSERT_TRUE(WriteTextFile(path, QStringLiteral("CSN=Password=秘密"), &error,
                                  TFileAccess::OwnerOnly))
            << error.toStdString();
        QString text;
        ASSERT_TRUE(ReadTextFile(path, text));
        EXPECT_EQ(text, QStringLiteral("CSN=Password=秘密"));
        EXPECT_EQ(mode(path), 0600) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link's file is written, not the link";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4)
        << "no temporary file is left";
    QString error;
    const QString nowhere = dir.filePath(QStringLiteral("missing/x.tmb"));
    EXPECT_FALSE(WriteTextFile(nowhere, QStringLiteral("x"), &error, TFileAccess::OwnerOnly));
    EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件“%1”：").arg(nowhere)));
}

TEST(DataLinkFile, ReadsTheConnectionStringAfterTheMarker) {
    QTemporaryDir dir;
    const QString cs = QStringLiteral("Provider=SQLite;Data Source=/srv/商店.db");
    const QString written = dir.filePath(QStringLiteral("shop.udl"));
    ASSERT_TRUE(WriteDataLinkFile(written, cs));
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(QByteArray("\xFF\xFE[\0o\0l\0e\0d\0b\0]", 16)))
        << "UTF-16LE with BOM";
    EXPECT_EQ(ReadDataLinkFile(written), cs);

    const QString body =
        QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n") + cs +
        QStringLiteral("\r\n");
    EXPECT_EQ(ReadDataLinkFile(WriteBytes(dir, QStringLiteral("utf8.udl"), body.toUtf8())), cs);
    EXPECT_EQ(
        ReadDataLinkFile(WriteBytes(
            dir, QStringLiteral("unix.udl"),
            QStringLiteral("[oledb]\n; Everything after this line is an OLE DB initstring\nDSN=a\n")
                .toUtf8())),
        QStringLiteral("DSN=a"));
}

TEST(DataLinkFile, AnythingElseGivesAnEmptyTextAndTheReason) {
    QTemporaryDir dir;
    const QString noMarker = WriteBytes(dir, QStringLiteral("nomarker.udl"),
                                        Utf16Le(QStringLiteral("[oledb]\r\nProvider=X\r\n"), true));
    const QString last = WriteBytes(
        dir, QStringLiteral("last.udl"),
        Utf16Le(QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring"),
                true));
    const QString binary =
        WriteBytes(dir, QStringLiteral("binary.udl"), QByteArray("\x00\x01\x02\xff", 4));
    auto noString = [](const QString& path) {
        return QStringLiteral("数据链接文件“%1”中没有连接字符串（应在“%2”这一行的下一行）")
            .arg(path, QString::fromLatin1(kDataLinkMarker));
    };
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral("没有给出数据链接文件的路径")},
        {dir.path(), QStringLiteral("无法读取数据链接文件“%1”：这是一个文件夹").arg(dir.path())},
        {QStringLiteral("/dev/zero"),
         QStringLiteral(
             "无法读取数据链接文件“/dev/zero”：这不是普通文件（而是设备、管道或套接字）")},
        {noMarker, noString(noMarker)},
        {last, noString(last)},
        {binary, noString(binary)},
    };
    for (const auto& [path, reason] : cases) {
        QString error;
        EXPECT_EQ(ReadDataLinkFile(path, &error), QString()) << path.toStdString();
        EXPECT_EQ(error.toStdString(), reason.toStdString());
    }
}

TEST(TextFile, OnlyRegularFilesOfAtMost64MegabytesAreRead) {
    // A pipe named like an SQL file would block for ever, a device never
    // ends: both are refused at once, as is a file too large to be a script.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("waiting.sql"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = dir.filePath(QStringLiteral("large.sql"));
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(kMaxTextFileSize + 1)); // sparse: costs no disk
    file.close();
    const QString locked = WriteBytes(dir, QStringLiteral("locked.sql"), "select 1");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    const std::pair<QString, QString> cases[] = {
        {fifo,
         QStringLiteral("无法读取文件“%1”：这不是普通文件（而是设备、管道或套接字）").arg(fifo)},
        {QStringLiteral("/dev/zero"),
         QStringLiteral("无法读取文件“/dev/zero”：这不是普通文件（而是设备、管道或套接字）")},
        {large,
         QStringLiteral("无法读取文件“%1”：它有 67108865 字节，超过了 64 MB 的上限").arg(large)},
        {dir.path(), QStringLiteral("无法读取文件“%1”：这是一个文件夹").arg(dir.path())},
        {dir.filePath(QStringLiteral("none.sql")),
         QStringLiteral("无法读取文件“%1”：文件不存在")
             .arg(dir.filePath(QStringLiteral("none.sql")))},
        {QString(), QStringLiteral("没有给出文件的路径")},
    };
    for (const auto& [path, reason] : cases) {
        QString text = QStringLiteral("unchanged");
        QString error;
        EXPECT_FALSE(ReadTextFile(path, text, &error)) << path.toStdString();
        EXPECT_EQ(error.toStdString(), reason.toStdString());
        EXPECT_EQ(text, QStringLiteral("unchanged"));
    }
    // Without read permission (root reads everything).
    if (::geteuid() != 0) {
        QString text, error;
        EXPECT_FALSE(ReadTextFile(locked, text, &error));
        EXPECT_EQ(error, QStringLiteral("无法读取文件“%1”：没有读取它的权限").arg(locked));
    }
}
