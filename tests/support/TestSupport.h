#pragma once
// Shared pieces of the test programs: the process-wide test environment (a
// private folder, the sample database, the ODBC stores) and a fixture that
// plays the user through the scripted interaction service.

#include "QtPrinters.h"
#include "platform/Exception.h"
#include "platform/ScriptedUserInteraction.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>

namespace quillary::test {

// The message of the error `action` raises, or "<no error>".
inline QString ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

// The folder of this test process; removed when the process ends.
QString TestDir();
// A fresh copy of the sample database in TestDir(); every call makes a new file.
QString CopyOfSampleDatabase();
// The sample database that the ODBC data sources below point at (read only!).
QString SharedSampleDatabase();
// Creates an empty SQLite database file running `script` in it.
QString CreateSqliteDatabase(const QString& script);

// ODBC data sources of the test stores (ODBCSYSINI/ODBCINI point into TestDir()).
//  system store: QuillarySystem (SQLite3, connectable), AccessLike (lookup only),
//                BothStores (SQLite3 in system, "User Driver" in user store)
//  user store:   QuillaryUser (SQLite3, connectable), AnywhereUser (lookup only),
//                SectionOnly (no [ODBC Data Sources] entry, Driver=SQLite3),
//                NoFileUser (SQLite3 on a database file that does not exist)
inline constexpr char kSystemDsn[] = "QuillarySystem";
inline constexpr char kUserDsn[] = "QuillaryUser";
inline constexpr char kAccessDsn[] = "AccessLike";
inline constexpr char kAccessDriver[] = "Microsoft Access Driver (*.mdb)";
inline constexpr char kAnywhereDsn[] = "AnywhereUser";
inline constexpr char kAnywhereDriver[] = "Sybase SQL Anywhere 16.0";
inline constexpr char kBothDsn[] = "BothStores";
inline constexpr char kSectionOnlyDsn[] = "SectionOnly";
inline constexpr char kMissingFileDsn[] = "NoFileUser";
inline constexpr char kSqliteOdbcDriver[] = "SQLite3";
// The same driver library under a name that does not say what it is.
inline constexpr char kFileDriver[] = "Embedded File Driver";
// Data sources that announce another kind of database in [ODBC Data Sources]
// but are served by the SQLite driver on the sample database, so that the
// designer's per-kind behaviour runs against a real connection.
inline constexpr char kExcelDsn[] = "ExcelLike";         // "Microsoft Excel Driver (*.xls)"
inline constexpr char kOracleDsn[] = "OracleLike";       // "Oracle ODBC Driver"
inline constexpr char kSqlServerDsn[] = "SqlServerLike"; // "SQL Server"

// A fresh copy of a library that writes `Marker` when it is loaded (a
// library is loaded once per process and path, hence the copy); `Marker`
// does not exist yet.
struct TMarkerLibrary {
    QString Library;
    QString Marker;
};
TMarkerLibrary MarkerLibrary();

// Connection details of a database server that ctest starts.
struct TDatabaseServer {
    QString Provider; // "PostgreSQL", "MySQL"
    QString Host, User, Password, Database;
    int Port = 0;
    bool Available = false;
    QString Problem;
    QString ConnectionString(bool withPassword = true) const;
};
const TDatabaseServer& PostgresServer();
const TDatabaseServer& MariaDbServer();
// Runs `script` on that server; fails the test when there is none.
void RunOnServer(const TDatabaseServer& server, const QString& script);
inline void RunOnPostgres(const QString& script) {
    RunOnServer(PostgresServer(), script);
}

// The server a test program of a server's tests runs on: MariaDB where it
// is built with QUILLARY_TEST_MARIADB, else PostgreSQL.
inline const TDatabaseServer& TestServer() {
#ifdef QUILLARY_TEST_MARIADB
    return MariaDbServer();
#else
    return PostgresServer();
#endif
}
inline bool OnMariaDb() {
    return &TestServer() == &MariaDbServer();
}
// The statement of each server: PostgreSQL's, or MariaDB's.
inline QString ForServer(const char* postgres, const char* mariadb) {
    return QString::fromUtf8(OnMariaDb() ? mariadb : postgres);
}
inline void RunOnTestServer(const QString& script) {
    RunOnServer(TestServer(), script);
}

// Installs a scripted user for the test; an unexpected interaction or an
// unused step fails the test.
class ScriptedUiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TScriptedUserInteraction ui;
};

} // namespace quillary::test
