#include "platform/DataLinkFile.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

    EXPECT_FALSE(WriteTextFile(dir.filePath(QStringLiteral("missing/folder/x.sql")),
                               QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ReadTextFile(dir.filePath(QStringLiteral("nothing.sql")), text, &error));
    EXPECT_EQ(text, QStringLiteral("select 1 -- 一")) << "a failed read leaves the text alone";
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

TEST(DataLinkFile, AnythingElseGivesAnEmptyText) {
    QTemporaryDir dir;
    EXPECT_EQ(ReadDataLinkFile(QString()), QString());
    EXPECT_EQ(ReadDataLinkFile(dir.filePath(QStringLiteral("missing.udl"))), QString());
    EXPECT_EQ(ReadDataLinkFile(dir.path()), QString()) << "a folder";
    EXPECT_EQ(ReadDataLinkFile(QStringLiteral("/dev/zero")), QString()) << "a device never ends";
    EXPECT_EQ(
        ReadDataLinkFile(WriteBytes(dir, QStringLiteral("nomarker.udl"),
                                    Utf16Le(QStringLiteral("[oledb]\r\nProvider=X\r\n"), true))),
        QString());
    EXPECT_EQ(ReadDataLinkFile(WriteBytes(
                  dir, QStringLiteral("last.udl"),
                  Utf16Le(QStringLiteral(
                              "[oledb]\r\n; Everything after this line is an OLE DB initstring"),
                          true))),
              QString())
        << "marker on the last line";
    EXPECT_EQ(ReadDataLinkFile(
                  WriteBytes(dir, QStringLiteral("binary.udl"), QByteArray("\x00\x01\x02\xff", 4))),
              QString());
}
