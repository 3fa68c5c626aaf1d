#include "db/SampleDatabase.h"
#include "db/ConnectionString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>
#include <sqlite3.h>

extern const char* const quillary_sample_sql;
extern const std::size_t quillary_sample_sql_size;

namespace quillary {

QString DefaultSampleDatabasePath() {
    const QString fromEnvironment = qEnvironmentVariable("QUILLARY_SAMPLE_DB");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Quillary/sample.db"));
}

QString SampleDatabaseScript() {
    return QString::fromUtf8(quillary_sample_sql, qsizetype(quillary_sample_sql_size));
}

bool EnsureSampleDatabase(const QString& path, QString* error) {
    if (QFileInfo::exists(path)) return true;
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        if (error)
            *error = QStringLiteral("无法为示例数据库创建文件夹“%1”").arg(target.absolutePath());
        return false;
    }
    // A name of its own per builder, so that concurrent builders never meet.
    static std::atomic<quint64> builds{0};
    const QString temporary =
        target.absoluteFilePath() +
        QStringLiteral(".building-%1-%2").arg(QCoreApplication::applicationPid()).arg(++builds);
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(temporary);
    int rc =
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, quillary_sample_sql, nullptr, nullptr, &message);
    QString reason;
    if (rc != SQLITE_OK)
        reason = QStringLiteral("无法建立示例数据库“%1”：\n").arg(path) +
                 (message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errstr(rc)));
    sqlite3_free(message);
    sqlite3_close(db);
    // Another process may have finished first: its file is as good as ours.
    if (rc == SQLITE_OK && !QFile::rename(temporary, target.absoluteFilePath()) &&
        !QFileInfo::exists(target.absoluteFilePath()))
        reason = QStringLiteral("无法把新建的示例数据库移到“%1”").arg(path);
    QFile::remove(temporary); // left over only when another process won
    if (!reason.isEmpty()) {
        if (error) *error = reason;
        return false;
    }
    return true;
}

QString SqliteConnectionString(const QString& path) {
    return QStringLiteral("Provider=SQLite;Persist Security Info=True;Data Source=") +
           TConnectionString::QuoteValue(path);
}

} // namespace quillary
