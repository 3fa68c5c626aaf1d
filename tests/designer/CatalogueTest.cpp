#include "DesignerTestSupport.h"

#include "db/ADOQuery.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace quillary;
using namespace quillary::test;

class CatalogueTest : public DesignerFormTest {
protected:
    void Open(const QString& csn) { OpenForm(csn); }
    void Exec(const QString& sql) {
        TADOQuery q;
        q.SetConnection(dialog.GetConn());
        q.SQL() = QStringList{sql};
        q.ExecSQL();
    }
    QStringList Listed() const { return Texts(form->QBTables); }
};

TEST_F(CatalogueTest, KindIsCachedAndTheListSorted) {
    Open(SampleCsn());
    EXPECT_EQ(form->GetDSN(), dsOther);
    form->SetDSN(dsOracle);
    EXPECT_EQ(form->GetDSN(), dsOracle) << "cached until reset to -1";
    form->SetDSN(dsNone);
    EXPECT_EQ(form->GetDSN(), dsOther);
    form->GetTablesList(false);
    QStringList sorted = Listed();
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(Listed(), sorted);
    EXPECT_TRUE(Listed().contains("产品销售汇总"));
}

TEST_F(CatalogueTest, OracleReadsItsCatalogueQueriesAndFallsBack) {
    Open(SampleCsn());
    form->SetDSN(dsOracle);
    // No "tab" view here: the plain catalogue of the connection serves.
    form->GetTablesList(false);
    EXPECT_TRUE(Listed().contains("orders"));

    // With a "tab" the list comes from it, with and without system tables
    // (the system query uses decode(), which fails here, so "tab" is next).
    Exec(QStringLiteral(
        "create table tab (TName varchar(30)); insert into tab values ('EMP'), ('DEPT')"));
    form->GetTablesList(false);
    EXPECT_EQ(Listed(), (QStringList{"DEPT", "EMP"}));
    form->GetTablesList(true);
    EXPECT_EQ(Listed(), (QStringList{"DEPT", "EMP"}));

    // Neither works: the connection's own list, with system tables.
    Exec("drop table tab");
    form->GetTablesList(true);
    EXPECT_TRUE(Listed().contains("sqlite_master"));
    EXPECT_TRUE(Listed().contains("orders"));
}

// Oracle's decode(expr, search, result, ..., default), so that the system
// catalogue statement runs for real on SQLite.
static void Decode(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto text = [&](int i) {
        const unsigned char* t = sqlite3_value_text(argv[i]);
        return QString::fromUtf8(t ? reinterpret_cast<const char*>(t) : "");
    };
    const QString expr = text(0);
    int i = 1;
    for (; i + 1 < argc; i += 2)
        if (expr == text(i)) {
            sqlite3_result_value(context, argv[i + 1]);
            return;
        }
    if (i < argc)
        sqlite3_result_value(context, argv[i]);
    else
        sqlite3_result_null(context);
}

TEST_F(CatalogueTest, OracleSystemCatalogueNamesOwnAndPublicObjectsBare) {
    Open(SampleCsn(true) + ";User ID=scott");
    form->SetDSN(dsOracle);
    const QVariant handle =
        QSqlDatabase::database(dialog.GetConn()->QtConnectionName()).driver()->handle();
    ASSERT_STREQ(handle.typeName(), "sqlite3*");
    sqlite3* db = *static_cast<sqlite3* const*>(handle.constData());
    ASSERT_EQ(
        sqlite3_create_function(db, "decode", -1, SQLITE_UTF8, nullptr, Decode, nullptr, nullptr),
        SQLITE_OK);
    Exec(QStringLiteral(
        "create table dba_Tables (OWNER text, TABLE_NAME text);"
        "create table dba_Views (OWNER text, VIEW_NAME text);"
        "create table dba_synonyms (OWNER text, SYNONYM_NAME text);"
        "insert into dba_Tables values ('SCOTT', 'EMP'), ('SYS', 'OBJ$'), ('PUBLIC', 'PLAN_TABLE');"
        "insert into dba_Views values ('SCOTT', 'V_EMP'), ('HR', 'V_JOBS');"
        "insert into dba_synonyms values ('PUBLIC', 'DUAL'), ('HR', 'JOBS');"));
    form->GetTablesList(true);
    EXPECT_EQ(Listed(), (QStringList{"DUAL", "EMP", "HR.JOBS", "HR.V_JOBS", "PLAN_TABLE",
                                     "SYS.OBJ$", "V_EMP"}));
}

TEST_F(CatalogueTest, ChangingToTheSameStringDoesNothing) {
    const QString csn = SampleCsn();
    Open(csn);
    TQBTable* box = form->Canvas()->InsertQTable(10, 10, "q", "select 1 as a");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(form->ChangeCSN(csn), 0);
    EXPECT_EQ(form->Canvas()->Tables().size(), 1) << "the design stays";

    // "打开连接" confirmed without a change hands back the same string.
    ui.AnswerModal([](QDialog*) { return int(mrOk); });
    form->TB_OPENSOURCE->click();
    EXPECT_EQ(dialog.GetCSN(), csn);
    EXPECT_EQ(form->Canvas()->Tables().size(), 1) << "the design stays";
}

TEST_F(CatalogueTest, FailedSwitchKeepsConnectionDesignAndList) {
    Open(SampleCsn());
    form->GetTablesList(false);
    const QStringList before = Listed();
    TADOConnection* old = dialog.OwnConnection();
    form->Canvas()->InsertQTable(10, 10, "q", "select 1 as a");

    ui.ExpectMessage("连接数据源失败!\r\nSQLite 数据源的数据库文件“/nonexistent/a.db”不存在",
                     "提示");
    EXPECT_EQ(form->ChangeCSN(QStringLiteral(
                  "Provider=SQLite;Persist Security Info=True;Data Source=/nonexistent/a.db")),
              -1);
    EXPECT_EQ(dialog.OwnConnection(), old);
    EXPECT_TRUE(old->Connected());
    EXPECT_EQ(Listed(), before);
    EXPECT_EQ(form->Canvas()->Tables().size(), 1);

    // Through the login dialog: a failure shows the bare message...
    ExpectLogin(ui, "u", "p");
    ui.ExpectMessage("连接数据源失败!\r\n", "提示");
    EXPECT_EQ(form->ChangeCSN("Provider=MSDASQL.1;Data Source=NoSuchDsn"), -1);
    // ...and a cancelled login none at all.
    ExpectLogin(ui, QString(), QString(), false);
    EXPECT_EQ(form->ChangeCSN("Provider=MSDASQL.1;Data Source=NoSuchDsn2"), -1);
    EXPECT_EQ(dialog.OwnConnection(), old);
}

TEST_F(CatalogueTest, SuccessfulSwitchReplacesConnectionListAndDesign) {
    Open(SampleCsn());
    dialog.SQL = "select 1";
    form->Canvas()->InsertQTable(10, 10, "q", "select 1 as a");
    const QString other = "Provider=SQLite;Persist Security Info=True;Data Source=" +
                          CreateSqliteDatabase("create table 货品 (id int);");
    EXPECT_EQ(form->ChangeCSN(other), 1);
    EXPECT_EQ(dialog.GetCSN(), other);
    EXPECT_EQ(dialog.ConnectionString(), other);
    EXPECT_TRUE(dialog.SQL.isEmpty());
    EXPECT_TRUE(dialog.GetConnected());
    EXPECT_EQ(Listed(), QStringList{"货品"});
    EXPECT_TRUE(form->Canvas()->Tables().isEmpty());
    EXPECT_EQ(form->ResQuery->Connection(), dialog.GetConn());

    // Excel: system tables are forced on, and names quoted.
    EXPECT_EQ(
        form->ChangeCSN("Provider=MSDASQL.1;Persist Security Info=True;Data Source=ExcelLike"), 1);
    EXPECT_EQ(form->GetDSN(), dsExcel);
    EXPECT_TRUE(dialog.SystemTable && form->CheckBox2->isChecked());
    EXPECT_TRUE(Listed().value(0).startsWith('"'));
}

TEST_F(CatalogueTest, OpenSourceAsksFirstWhenTheSqlChanged) {
    Open(SampleCsn());
    ASSERT_TRUE(form->Forge("select * from orders")); // differs from SavedSQL
    ui.ExpectMessage("SQL语句已经被改写,是否还是要改变数据库连接？", "提示", mrNo);
    form->TB_OPENSOURCE->click();
    EXPECT_EQ(ui.Remaining(), 0);

    const QString before = dialog.GetCSN();
    ui.AnswerMessage(mrYes).AnswerModal([](QDialog*) { return int(mrCancel); });
    form->TB_OPENSOURCE->click();
    EXPECT_EQ(dialog.GetCSN(), before) << "a cancelled prompt changes nothing";
}

TEST_F(CatalogueTest, SaveConnectionWritesTheMachineStoreElseTheUserStoreQuietly) {
    QTemporaryDir dir;
    TSettingsStore::SetLocationOverride(dir.path());
    Open(SampleCsn());
    auto saved = [](TSettingsScope scope) {
        return TSettingsStore::ReadString(scope, QString::fromLatin1(kForgeKey),
                                          QString::fromLatin1(kConnectionStringValue));
    };
    form->TB_SaveCSN->click();
    EXPECT_EQ(saved(TSettingsScope::Machine), dialog.GetCSN());
    EXPECT_EQ(saved(TSettingsScope::User), QString());

    // A machine store that cannot be written (a folder stands in its place):
    // the user's store takes the string.
    QTemporaryDir second;
    TSettingsStore::SetLocationOverride(second.path());
    ASSERT_TRUE(QDir(second.path()).mkdir("machine.ini"));
    form->TB_SaveCSN->click();
    EXPECT_EQ(saved(TSettingsScope::User), dialog.GetCSN());
    // A store that cannot be written (a file stands where its folder should).
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TSettingsStore::SetLocationOverride(blocker.fileName() + "/inner");
    form->TB_SaveCSN->click(); // no message: the scripted user would fail the test
    TSettingsStore::SetLocationOverride(QString());
}
