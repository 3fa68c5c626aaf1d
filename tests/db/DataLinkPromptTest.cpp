#include "db/DataLinkPrompt.h"
#include "TestSupport.h"
#include "db/ConnectionString.h"
#include "db/SampleDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace quillary;

class DataLinkPromptTest : public test::ScriptedUiTest {};

TEST_F(DataLinkPromptTest, CancelOrConfirmingWithoutChangesReturnsTheInitialStringExactly) {
    const char* initials[] = {
        "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Northwind;Data Source=srv",
        "Provider=SQLOLEDB.1;Data Source=srv;Weird Key=\"a;b\"",
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\db\\shop.mdb",
        "Provider=SQLite;Data Source=/tmp/a.db",
        "provider=postgresql;server=h;port=5433;database=d;user id=u;sslmode=require",
        "DSN=QuillaryUser;UID=me",
        "Driver={SQLite3};Database=/tmp/x.db",
        "",
    };
    for (const char* initial : initials) {
        ui.AnswerModal([](QDialog*) { return int(mrOk); });
        EXPECT_EQ(PromptDataSource(nullptr, QString::fromUtf8(initial)),
                  QString::fromUtf8(initial));
        ui.AnswerModal([](QDialog* d) {
            qobject_cast<TDataLinkDialog*>(d)->FileEdit->setText(QStringLiteral("/changed.db"));
            return int(mrCancel);
        });
        EXPECT_EQ(PromptDataSource(nullptr, QString::fromUtf8(initial)),
                  QString::fromUtf8(initial));
    }
    EXPECT_EQ(ui.Captions().first(), QStringLiteral("数据链接属性"));
}

TEST_F(DataLinkPromptTest, AnEditKeepsTheProviderAndKeysTheDialogDoesNotShow) {
    ui.AnswerModal([](QDialog* d) {
        auto* dlg = static_cast<TDataLinkDialog*>(d);
        EXPECT_EQ(dlg->ProviderBox->currentData().toString(), QStringLiteral("SQLOLEDB.1"));
        dlg->UserEdit->setText(QStringLiteral("sa"));
        return int(mrOk);
    });
    const TConnectionString cs = TConnectionString::Parse(PromptDataSource(
        nullptr, QStringLiteral("Provider=SQLOLEDB.1;Initial Catalog=Northwind;Data Source=srv")));
    EXPECT_EQ(cs.Value("Provider"), QStringLiteral("SQLOLEDB.1"));
    EXPECT_EQ(cs.Value("Initial Catalog"), QStringLiteral("Northwind"));
    EXPECT_EQ(cs.Value("Data Source"), QStringLiteral("srv"));
    EXPECT_EQ(cs.Value("User ID"), QStringLiteral("sa"));
}

TEST_F(DataLinkPromptTest, BuildsSqliteStringsWithAFileChooser) {
    ui.AnswerModal([this](QDialog* d) {
        auto* dlg = static_cast<TDataLinkDialog*>(d);
        dlg->ProviderBox->setCurrentIndex(0);
        EXPECT_FALSE(dlg->UserEdit->isEnabled()) << "a SQLite file has no login";
        ui.AnswerOpenFile(QStringLiteral("/data/商店.db"));
        dlg->BrowseButton->click();
        return int(mrOk);
    });
    const TConnectionString cs = TConnectionString::Parse(PromptDataSource(nullptr, QString()));
    EXPECT_EQ(cs.Value("Provider"), QStringLiteral("SQLite"));
    EXPECT_EQ(cs.Value("Data Source"), QStringLiteral("/data/商店.db"));
    EXPECT_EQ(cs.Value("Persist Security Info"), QStringLiteral("True"));

    // A SQLite string without the key gets it when its file changes.
    ui.AnswerModal([](QDialog* d) {
        static_cast<TDataLinkDialog*>(d)->FileEdit->setText(QStringLiteral("/data/b.db"));
        return int(mrOk);
    });
    const TConnectionString edited = TConnectionString::Parse(
        PromptDataSource(nullptr, QStringLiteral("Provider=SQLite;Data Source=/data/a.db")));
    EXPECT_EQ(edited.Value("Data Source"), QStringLiteral("/data/b.db"));
    EXPECT_EQ(edited.Value("Persist Security Info"), QStringLiteral("True"));
}

TEST_F(DataLinkPromptTest, PostgresFieldsAndThePasswordRule) {
    ui.AnswerModal([](QDialog* d) {
        auto* dlg = static_cast<TDataLinkDialog*>(d);
        EXPECT_EQ(dlg->ProviderBox->currentIndex(), 2) << "pre-filled from the initial string";
        EXPECT_EQ(dlg->HostEdit->text(), QStringLiteral("db.example"));
        EXPECT_EQ(dlg->PortSpin->value(), 6543);
        dlg->DatabaseEdit->setText(QStringLiteral("sales"));
        dlg->UserEdit->setText(QStringLiteral("clerk"));
        dlg->PasswordEdit->setText(QStringLiteral("s;cret"));
        dlg->PersistCheck->setChecked(false);
        return int(mrOk);
    });
    QString result = PromptDataSource(
        nullptr,
        QStringLiteral("Provider=PostgreSQL;Data Source=db.example;Port=6543;sslmode=require"));
    TConnectionString cs = TConnectionString::Parse(result);
    EXPECT_EQ(cs.Value("Provider"), QStringLiteral("PostgreSQL"));
    EXPECT_EQ(cs.Value("Initial Catalog"), QStringLiteral("sales"));
    EXPECT_EQ(cs.Value("User ID"), QStringLiteral("clerk"));
    EXPECT_EQ(cs.Value("Persist Security Info"), QStringLiteral("False"));
    EXPECT_FALSE(cs.Contains(QStringLiteral("Password"))) << "not kept unless allowed";
    EXPECT_EQ(cs.Value("sslmode"), QStringLiteral("require"))
        << "keys the dialog does not show are kept";

    ui.AnswerModal([](QDialog* d) {
        auto* dlg = static_cast<TDataLinkDialog*>(d);
        dlg->PasswordEdit->setText(QStringLiteral("s;cret"));
        dlg->PersistCheck->setChecked(true);
        return int(mrOk);
    });
    cs = TConnectionString::Parse(PromptDataSource(nullptr, result));
    EXPECT_EQ(cs.Value("Password"), QStringLiteral("s;cret"));
    EXPECT_EQ(cs.Value("Persist Security Info"), QStringLiteral("True"));
}

TEST_F(DataLinkPromptTest, OdbcPageListsTheDataSources) {
    ui.AnswerModal([](QDialog* d) {
        auto* dlg = static_cast<TDataLinkDialog*>(d);
        EXPECT_EQ(dlg->ProviderBox->currentIndex(), 1);
        EXPECT_GE(dlg->DsnBox->findText(QStringLiteral("QuillaryUser")), 0);
        dlg->DsnBox->setCurrentText(QStringLiteral("QuillaryUser"));
        return int(mrOk);
    });
    const TConnectionString cs =
        TConnectionString::Parse(PromptDataSource(nullptr, QStringLiteral("DSN=Old")));
    EXPECT_FALSE(cs.Contains(QStringLiteral("Provider"))) << "ODBC stays the default provider";
    EXPECT_EQ(cs.Value("Data Source"), QStringLiteral("QuillaryUser"));
    EXPECT_FALSE(cs.Contains(QStringLiteral("DSN"))) << "the old spelling is replaced, not doubled";
}

TEST_F(DataLinkPromptTest, TestButtonReportsSuccessAndTheDatabasesOwnFailure) {
    TDataLinkDialog dlg;
    dlg.SetConnectionString(SqliteConnectionString(test::SharedSampleDatabase()));
    ui.ExpectMessage(QStringLiteral("测试连接成功。"), QStringLiteral("数据链接属性"));
    EXPECT_TRUE(dlg.TestConnection());

    dlg.FileEdit->setText(QStringLiteral("/nonexistent/shop.db"));
    ui.ExpectMessage(
        QStringLiteral("测试连接失败:\nSQLite 数据源的数据库文件“/nonexistent/shop.db”不存在"),
        QStringLiteral("数据链接属性"));
    dlg.TestButton->click();
}
