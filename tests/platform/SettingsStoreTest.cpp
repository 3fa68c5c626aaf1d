#include "platform/SettingsStore.h"
#include "TestSupport.h"
#include "platform/Clipboard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quillary;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TSettingsStore::SetLocationOverride(dir.path());
    }
    void TearDown() override { TSettingsStore::SetLocationOverride(QString()); }
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, ConnectionStringIsKeptPerScope) {
    const QString key = QString::fromLatin1(kForgeKey);
    const QString value = QString::fromLatin1(kConnectionStringValue);
    const QString cs = QStringLiteral("Provider=SQLite;Data Source=/data/商店.db");
    EXPECT_TRUE(TSettingsStore::WriteString(TSettingsScope::Machine, key, value, cs));
    EXPECT_TRUE(
        TSettingsStore::WriteString(TSettingsScope::User, key, value, QStringLiteral("DSN=x")));

    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::Machine, key, value), cs);
    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::User, key, value),
              QStringLiteral("DSN=x"));
    EXPECT_EQ(TSettingsStore::FilePath(TSettingsScope::Machine),
              dir.filePath(QStringLiteral("machine.ini")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("machine.ini"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("user.ini"))));

    // Overwriting replaces; other keys are independent.
    EXPECT_TRUE(
        TSettingsStore::WriteString(TSettingsScope::Machine, key, value, QStringLiteral("second")));
    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::Machine, key, value),
              QStringLiteral("second"));
    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::Machine, QStringLiteral("Software\\Other"),
                                         value, QStringLiteral("none")),
              QStringLiteral("none"));
}

TEST_F(SettingsStoreTest, ASecretMakesTheFileOwnerOnly) {
    const QString key = QString::fromLatin1(kForgeKey);
    const QString value = QString::fromLatin1(kConnectionStringValue);
    const QString file = TSettingsStore::FilePath(TSettingsScope::User);
    const auto othersMayRead = [&] {
        return bool(QFile::permissions(file) &
                    (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));
    };
    // An older file that everybody may read.
    ASSERT_TRUE(TSettingsStore::WriteString(TSettingsScope::User, QStringLiteral("Software\\Other"),
                                            value, QStringLiteral("kept")));
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther));
    EXPECT_TRUE(TSettingsStore::WriteString(TSettingsScope::User, key, value,
                                            QStringLiteral("Password=secret"),
                                            TFileAccess::OwnerOnly));
    EXPECT_FALSE(othersMayRead());
    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::User, key, value),
              QStringLiteral("Password=secret"));
    EXPECT_EQ(
        TSettingsStore::ReadString(TSettingsScope::User, QStringLiteral("Software\\Other"), value),
        QStringLiteral("kept"));
    // A new file is owner-only from the start.
    EXPECT_TRUE(TSettingsStore::WriteString(TSettingsScope::Machine, key, value,
                                            QStringLiteral("Password=secret"),
                                            TFileAccess::OwnerOnly));
    struct stat info {};
    ASSERT_EQ(
        ::stat(QFile::encodeName(TSettingsStore::FilePath(TSettingsScope::Machine)).constData(),
               &info),
        0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SettingsStoreTest, UnwritableStoreFailsQuietly) {
    // A regular file where the folder should be: nothing can be written there.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TSettingsStore::SetLocationOverride(blocker + QStringLiteral("/inner"));
    EXPECT_FALSE(TSettingsStore::WriteString(
        TSettingsScope::Machine, QString::fromLatin1(kForgeKey),
        QString::fromLatin1(kConnectionStringValue), QStringLiteral("x")));
    EXPECT_EQ(TSettingsStore::ReadString(TSettingsScope::Machine, QString::fromLatin1(kForgeKey),
                                         QString::fromLatin1(kConnectionStringValue)),
              QString());
}

TEST(SettingsStoreLocation, DefaultsAreMachineWideAndPerUser) {
    // The test environment points QUILLARY_SETTINGS_DIR at its own folder.
    EXPECT_TRUE(
        TSettingsStore::FilePath(TSettingsScope::User).startsWith(quillary::test::TestDir()));
    const QByteArray saved = qgetenv("QUILLARY_SETTINGS_DIR");
    qunsetenv("QUILLARY_SETTINGS_DIR");
    EXPECT_EQ(TSettingsStore::FilePath(TSettingsScope::Machine),
              QStringLiteral("/etc/xdg/Quillary/Quillary.ini"));
    EXPECT_TRUE(TSettingsStore::FilePath(TSettingsScope::User)
                    .endsWith(QStringLiteral("/Quillary/Quillary.ini")));
    qputenv("QUILLARY_SETTINGS_DIR", saved);
}

TEST(Clipboard, TextGoesThereAndBack) {
    TClipboard::SetAsText(QStringLiteral("select * from 客户"));
    EXPECT_EQ(TClipboard::AsText(), QStringLiteral("select * from 客户"));
    TClipboard::SetAsText(QString());
    EXPECT_EQ(TClipboard::AsText(), QString());
}
