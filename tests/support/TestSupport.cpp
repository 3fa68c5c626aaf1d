#include "TestSupport.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/SampleDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <atomic>
#include <memory>
#include <sqlite3.h>

namespace quillary::test {

namespace {

std::unique_ptr<QTemporaryDir> g_dir;
QString g_sample;

void WriteFile(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
}

} // namespace

// Called from main() before anything touches ODBC: unixODBC reads ODBCSYSINI
// once per process, so the stores are written once, with every DSN the tests use.
void InitTestEnvironment() {
    g_dir =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillary-test-XXXXXX"));
    if (!g_dir->isValid()) qFatal("cannot create a test folder");
    const QDir dir(g_dir->path());

    // Built once per build tree (atomically, so parallel test processes may
    // race for it), then copied: every process works on its own file.
    QString error;
    const QString cache = QStringLiteral(QUILLARY_SAMPLE_CACHE);
    if (!EnsureSampleDatabase(cache, &error)) qFatal("sample database: %s", qPrintable(error));
    g_sample = dir.filePath(QStringLiteral("sample.db"));
    if (!QFile::copy(cache, g_sample)) qFatal("cannot copy the sample database");
    QFile::setPermissions(g_sample, QFile::ReadOwner | QFile::WriteOwner);

    const QString odbcDir = dir.filePath(QStringLiteral("odbc"));
    dir.mkpath(odbcDir);
    const QString driver = QStringLiteral(QUILLARY_SQLITE_ODBC_DRIVER);
    WriteFile(odbcDir + QStringLiteral("/odbcinst.ini"),
              QStringLiteral("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\nSetup=%1\n\n"
                             "[%2]\nDriver=%1\n")
                  .arg(driver, QString::fromUtf8(kFileDriver)));
    WriteFile(odbcDir + QStringLiteral("/odbc.ini"),
              QStringLiteral("[ODBC Data Sources]\n"
                             "QuillarySystem=SQLite3\n"
                             "AccessLike=Microsoft Access Driver (*.mdb)\n"
                             "BothStores=SQLite3\n"
                             "ExcelLike=Microsoft Excel Driver (*.xls)\n"
                             "OracleLike=Oracle ODBC Driver\n"
                             "SqlServerLike=SQL Server\n\n"
                             "[ExcelLike]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[OracleLike]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[SqlServerLike]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[QuillarySystem]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[AccessLike]\nDriver=Microsoft Access Driver (*.mdb)\n\n"
                             "[BothStores]\nDriver=SQLite3\nDatabase=%1\n")
                  .arg(g_sample));
    const QString userIni = dir.filePath(QStringLiteral("user-odbc.ini"));
    WriteFile(userIni, QStringLiteral("[ODBC Data Sources]\n"
                                      "QuillaryUser=SQLite3\n"
                                      "AnywhereUser=Sybase SQL Anywhere 16.0\n"
                                      "BothStores=User Driver\n\n"
                                      "[QuillaryUser]\nDriver=SQLite3\nDatabase=%1\n\n"
                                      // Its own section names another driver, so that
                                      // only the [ODBC Data Sources] entry gives the right one.
                                      "[AnywhereUser]\nDriver=Section Driver\n\n"
                                      "[SectionOnly]\nDriver=SQLite3\nDatabase=%1\n\n"
                                      "[%2]\nDriver=SQLite3\nDatabase=%3\n")
                           .arg(g_sample, QString::fromUtf8(kMissingFileDsn),
                                dir.filePath(QStringLiteral("gone.db"))));
    qputenv("ODBCSYSINI", QFile::encodeName(odbcDir));
    qputenv("ODBCINI", QFile::encodeName(userIni));
    // Settings of the program never go to the real user's files.
    qputenv("QUILLARY_SETTINGS_DIR", QFile::encodeName(dir.filePath(QStringLiteral("settings"))));
}

void CleanupTestEnvironment() {
    g_dir.reset();
}

QString TestDir() {
    return g_dir->path();
}

QString SharedSampleDatabase() {
    return g_sample;
}

QString CopyOfSampleDatabase() {
    static std::atomic<int> counter{0};
    const QString path =
        QDir(TestDir()).filePath(QStringLiteral("sample-copy-%1.db").arg(++counter));
    QFile::remove(path);
    if (!QFile::copy(g_sample, path)) qFatal("cannot copy the sample database");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString CreateSqliteDatabase(const QString& script) {
    static std::atomic<int> counter{0};
    const QString path = QDir(TestDir()).filePath(QStringLiteral("db-%1.db").arg(++counter));
    QFile::remove(path);
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open(file.constData(), &db) != SQLITE_OK)
        qFatal("cannot create %s", file.constData());
    char* message = nullptr;
    if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("script failed: %s", message ? message : "?");
    sqlite3_close(db);
    return path;
}

TMarkerLibrary MarkerLibrary() {
    static std::atomic<int> counter{0};
    const int n = ++counter;
    const QDir dir(TestDir());
    TMarkerLibrary marker{dir.filePath(QStringLiteral("libmarker-%1.so").arg(n)),
                          dir.filePath(QStringLiteral("marker-%1.txt").arg(n))};
    QFile::remove(marker.Library);
    QFile::remove(marker.Marker);
    if (!QFile::copy(QStringLiteral(QUILLARY_MARKER_LIBRARY), marker.Library))
        qFatal("cannot copy the marker library");
    // Read by the library's constructor when it is loaded.
    qputenv("QUILLARY_MARKER_FILE", QFile::encodeName(marker.Marker));
    return marker;
}

QString TDatabaseServer::ConnectionString(bool withPassword) const {
    TConnectionString cs;
    cs.Set(QStringLiteral("Provider"), Provider);
    cs.Set(QStringLiteral("Data Source"), Host);
    cs.Set(QStringLiteral("Port"), QString::number(Port));
    cs.Set(QStringLiteral("Initial Catalog"), Database);
    cs.Set(QStringLiteral("User ID"), User);
    if (withPassword) cs.Set(QStringLiteral("Password"), Password);
    return cs.ToString();
}

namespace {

// The server's details from the file its start script wrote.
TDatabaseServer ReadServer(const QString& provider, const QString& envFile) {
    TDatabaseServer s;
    s.Provider = provider;
    QFile file(envFile);
    if (!file.open(QIODevice::ReadOnly)) {
        s.Problem = QStringLiteral("no %1 test server: %2 is missing (run the tests through "
                                   "ctest, which starts the server)")
                        .arg(provider, file.fileName());
        return s;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq), value = line.mid(eq + 1);
        if (key == QLatin1String("host"))
            s.Host = value;
        else if (key == QLatin1String("port"))
            s.Port = value.toInt();
        else if (key == QLatin1String("user"))
            s.User = value;
        else if (key == QLatin1String("password"))
            s.Password = value;
        else if (key == QLatin1String("database"))
            s.Database = value;
    }
    s.Available = s.Port > 0;
    if (!s.Available) s.Problem = QStringLiteral("the %1 env file is incomplete").arg(provider);
    return s;
}

} // namespace

const TDatabaseServer& PostgresServer() {
    static const TDatabaseServer server =
        ReadServer(QStringLiteral("PostgreSQL"), QStringLiteral(QUILLARY_PG_ENV_FILE));
    return server;
}

const TDatabaseServer& MariaDbServer() {
    static const TDatabaseServer server =
        ReadServer(QStringLiteral("MySQL"), QStringLiteral(QUILLARY_MARIADB_ENV_FILE));
    return server;
}

void RunOnServer(const TDatabaseServer& server, const QString& script) {
    ASSERT_TRUE(server.Available) << server.Problem.toStdString();
    TADOConnection connection(server.ConnectionString());
    TADOQuery query;
    query.SetConnection(&connection);
    query.SQL() = QStringList{script};
    query.ExecSQL();
}

void ScriptedUiTest::SetUp() {
    ui.OnUnexpected = [](const QString& problem) { ADD_FAILURE() << problem.toStdString(); };
    ui.Install();
}

void ScriptedUiTest::TearDown() {
    EXPECT_EQ(ui.Remaining(), 0) << "the script has steps the test never reached";
}

} // namespace quillary::test
