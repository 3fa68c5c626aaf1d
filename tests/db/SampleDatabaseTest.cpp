#include "db/SampleDatabase.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>
#include <vector>

using namespace quillary;

namespace {

int CountRows(const QString& path, const char* table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QByteArray("select count(*) from ") + table;
    int n = -1;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        n = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

} // namespace

TEST(SampleDatabase, BuildsAFullDatabaseOnce) {
    const QString path = QDir(test::TestDir()).filePath(QStringLiteral("built/sample.db"));
    QString error;
    ASSERT_TRUE(EnsureSampleDatabase(path, &error)) << error.toStdString();
    EXPECT_EQ(CountRows(path, "orders"), 1200);
    EXPECT_EQ(CountRows(path, "customers"), 120);
    EXPECT_GT(CountRows(path, "order_items"), 2000);
    // A second call leaves the existing file alone.
    const QDateTime modified = QFileInfo(path).lastModified();
    ASSERT_TRUE(EnsureSampleDatabase(path, &error));
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
    EXPECT_TRUE(SqliteConnectionString(path).endsWith(path));
}

TEST(SampleDatabase, RacingBuildersAllSucceedAndLeaveNoDebris) {
    const QString dir = QDir(test::TestDir()).filePath(QStringLiteral("race"));
    const QString path = QDir(dir).filePath(QStringLiteral("sample.db"));
    std::vector<std::thread> builders;
    std::atomic<int> failures{0};
    for (int i = 0; i < 4; ++i)
        builders.emplace_back([&] {
            if (!EnsureSampleDatabase(path)) ++failures;
        });
    for (auto& t : builders)
        t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(CountRows(path, "orders"), 1200);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("sample.db")});
}

TEST(SampleDatabase, UnwritablePlaceIsReported) {
    const QString blocker = QDir(test::TestDir()).filePath(QStringLiteral("blocker-file"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QString error;
    EXPECT_FALSE(EnsureSampleDatabase(blocker + QStringLiteral("/sub/sample.db"), &error));
    EXPECT_EQ(error, QStringLiteral("无法为示例数据库创建文件夹“%1/sub”").arg(blocker));
}
