#include "DesignerTestSupport.h"

#include "db/DataLinkPrompt.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

QRect Geometry(const TQuillaryDialog& d) {
    return QRect(d.Form_Left, d.Form_Top, d.Form_Width, d.Form_Height);
}

} // namespace

// --- properties --------------------------------------------------------------

TEST(QuillaryDialogProperties, ConstructorValues) {
    TQuillaryDialog d;
    EXPECT_EQ(Geometry(d), QRect(51, 56, 716, 532));
    EXPECT_NE(d.Form_Left, TQuillaryDialog::kDefaultFormLeft)
        << "geometry differs from the stream default";
    EXPECT_EQ(d.Version, "2.0");
    EXPECT_TRUE(d.IsAllowOrderBy);
    EXPECT_FALSE(d.IsAllowUnion || d.IsAllowChangeCSN || d.IsCreateView || d.SystemTable);
    EXPECT_FALSE(d.GetConnected());
    EXPECT_EQ(d.GetConn(), nullptr);
    EXPECT_EQ(d.Form(), nullptr);
}

TEST(QuillaryDialogProperties, ConnectionStringAndConnectionReplaceEachOther) {
    TQuillaryDialog d;
    d.SetConnectionString("Provider=SQLite;Data Source=a.db");
    d.SQL = "select 1";
    d.SQLSet = QStringList{"[a]"};
    d.SetConnectionString("provider=sqlite;data source=A.DB");
    EXPECT_EQ(d.SQL, "select 1") << "a change of letter case only keeps everything";
    EXPECT_EQ(d.ConnectionString(), "Provider=SQLite;Data Source=a.db");
    d.SetConnectionString("Provider=SQLite;Data Source=b.db");
    EXPECT_EQ(d.SQL, QString());
    EXPECT_TRUE(d.SQLSet.isEmpty());
    EXPECT_EQ(d.GetCSN(), "Provider=SQLite;Data Source=b.db");

    // A connection component clears the statement and the string, not the state.
    d.SQL = "select 1";
    d.SQLSet = QStringList{"[a]"};
    d.SetOwnConnection(std::make_unique<TADOConnection>());
    TADOConnection external("DSN=QuillarySystem");
    d.SetConnection(&external);
    EXPECT_EQ(d.GetConn(), &external);
    EXPECT_EQ(d.SQL, QString());
    EXPECT_EQ(d.ConnectionString(), QString());
    EXPECT_EQ(d.OwnConnection(), nullptr);
    EXPECT_EQ(d.SQLSet.size(), 1);
    EXPECT_EQ(d.GetCSN(), "DSN=QuillarySystem");
    d.SQL = "x";
    d.SetConnection(&external);       // the same component: nothing happens
    d.SetConnectionString(QString()); // the same (empty) string: nothing happens
    EXPECT_EQ(d.SQL, "x");
    EXPECT_EQ(d.GetConnection(), &external);
    d.SetConnectionString("DSN=y");
    EXPECT_EQ(d.GetConnection(), nullptr) << "another string: the external component goes";
    EXPECT_EQ(d.SQL, QString());
}

TEST(QuillaryDialogProperties, SqlLinesAndStateCopies) {
    TQuillaryDialog d;
    d.SQL = "select *\r\nfrom t\nwhere 1=1";
    EXPECT_EQ(d.GetSQLS(), (QStringList{"select *", "from t", "where 1=1"}));
    d.SQL.clear();
    EXPECT_TRUE(d.GetSQLS().isEmpty());
    QStringList state{"[Form]", "a=1"};
    d.FSetSQL(state);
    state << "b=2";
    EXPECT_EQ(d.SQLSet.size(), 2) << "a copy, the caller keeps its list";
}

// --- the session's guard of commands that need the database -------------------

class SessionGuardTest : public ScriptedUiTest {};

TEST_F(SessionGuardTest, CommandsGoOnOnlyOnAnOpenConnection) {
    // Without a session or a connection, each command's own words; a closed
    // connection is named alike for all.
    const QString none = QStringLiteral("没有"), caption = QStringLiteral("标题");
    TConnectionSession session;
    ui.ExpectMessage(none, caption).ExpectMessage(none, caption);
    EXPECT_FALSE(CheckConnected(nullptr, none, caption));
    EXPECT_FALSE(CheckConnected(&session, none, caption));
    session.SetOwn(std::make_unique<TADOConnection>(SampleCsn()));
    ui.ExpectMessage("数据源尚未连接成功", "提示");
    EXPECT_FALSE(CheckConnected(&session, none, caption));
    session.Own()->Open();
    EXPECT_TRUE(CheckConnected(&session, none, caption));
    EXPECT_EQ(ui.Remaining(), 0);
}

// --- Execute -------------------------------------------------------------------

class ExecuteTest : public ScriptedUiTest {
protected:
    // A data source that asks for a login (an ODBC source; its SQLite driver
    // takes any user).
    static QString LoginCsn() {
        return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" +
               QString::fromLatin1(kSystemDsn);
    }
    // The designer runs and is ended with `result`, its tables listed or not.
    void ExpectListed(bool listed, int result = mrCancel) {
        ExpectDesigner(ui, [=](TFrm_Quillary& form) {
            EXPECT_EQ(form.QBTables->count() > 0, listed);
            return result;
        });
    }
};

TEST_F(ExecuteTest, SilentConnectOpensTheDesignerOnTheCatalogue) {
    TQuillaryDialog d;
    d.SetConnectionString(SampleCsn(true));
    d.SQL = "select OrderID from orders";
    QString designed;
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        EXPECT_EQ(d.Form(), &form);
        EXPECT_FALSE(form.ToolBar1->isVisibleTo(&form)) << "IsAllowChangeCSN is false";
        EXPECT_FALSE(form.Canvas()->MenuItem(TQBArea::kMenuUnion)->isVisible());
        EXPECT_TRUE(form.PageControl1->isTabVisible(TFrm_Quillary::pgOrder));
        EXPECT_FALSE(form.QBTables->findItems("orders", Qt::MatchExactly).isEmpty());
        EXPECT_EQ(form.GetDSN(), dsOther);
        EXPECT_EQ(form.geometry().topLeft(), QPoint(51, 56));
        EXPECT_EQ(form.size(), QSize(716, 532));
        // As the window opens: the page of group conditions, the display
        // list's data columns hidden.
        EXPECT_EQ(form.PageControl1->currentIndex(), TFrm_Quillary::pgConditionGroup);
        EXPECT_EQ(form.DisplayList->ColWidths(0), 0);
        EXPECT_EQ(form.DisplayList->ColWidths(3), 0);
        // The statement was rebuilt into the design and written again.
        EXPECT_EQ(form.Canvas()->Tables().size(), 1);
        EXPECT_EQ(d.SavedSQL, form.Memo1->toPlainText());
        // One more column ticked: the statement that comes back is the design's.
        form.Canvas()->Tables().first()->FieldList->item(2)->setCheckState(Qt::Checked);
        designed = form.GetSQL();
        return int(mrOk);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.SQL, "select OrderID,CustomerID\r\nfrom orders");
    EXPECT_EQ(d.SQL, designed);
    EXPECT_FALSE(d.SQLSet.isEmpty()) << "the state text of the design";
    EXPECT_TRUE(d.GetConnected()) << "the own connection stays open between runs";
    EXPECT_EQ(d.Form(), nullptr) << "the form is freed";
}

TEST_F(ExecuteTest, ADesignThatCannotBeWrittenIsToldOnceWhenTheUserConfirms) {
    TQuillaryDialog d;
    d.SetConnectionString(SampleCsn(true));
    ExpectDesigner(ui, [&](TFrm_Quillary& form) {
        // Two pairs of linked tables with nothing between them.
        EXPECT_TRUE(form.Forge("select customers.City from customers join orders on "
                               "customers.CustomerID=orders.CustomerID, categories, products"));
        EXPECT_EQ(form.IsLinkList({"", "categories.CategoryID", "=", "products.CategoryID", "", ""},
                                  dsOther, -1),
                  0);
        return int(mrOk);
    });
    ui.ExpectMessage("至少有两个以上的链接星形网络之间没有关联", "提示");
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(ui.Remaining(), 0);
    EXPECT_EQ(ui.MessageTexts().size(), 1) << ui.MessageTexts().join('|').toStdString();
    EXPECT_TRUE(d.SQL.isEmpty());
    EXPECT_TRUE(d.SQLSet.isEmpty());
}

TEST_F(ExecuteTest, WithoutPersistedLoginTheLoginDialogComesFirst) {
    TQuillaryDialog d;
    d.SetConnectionString(LoginCsn() + ";User ID=clerk");
    QString shownUser;
    ExpectLogin(ui, "clerk", "pw", true, &shownUser);
    ExpectListed(true);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(shownUser, "clerk") << "the user id comes from the string";
    EXPECT_TRUE(d.GetConnected());
    EXPECT_FALSE(d.LoginCancelled);
}

TEST_F(ExecuteTest, CancelledLoginOpensUnconnectedWithoutAMessage) {
    TQuillaryDialog d;
    d.SetConnectionString(LoginCsn());
    d.SQL = "select 1";
    ExpectLogin(ui, QString(), QString(), false);
    ExpectDesigner(ui, [](TFrm_Quillary& form) {
        EXPECT_EQ(form.QBTables->count(), 0);
        EXPECT_EQ(form.GetDSN(), dsNone);
        EXPECT_TRUE(form.Memo1->toPlainText().isEmpty()) << "no rebuild when unconnected";
        return int(mrOk);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_TRUE(d.LoginCancelled);
    EXPECT_EQ(d.OwnConnection(), nullptr) << "the failed own connection is discarded";
    EXPECT_TRUE(ui.MessageTexts().isEmpty());
}

TEST_F(ExecuteTest, FailedSilentAttemptAsksForTheLoginThenReportsTheFailure) {
    TQuillaryDialog d;
    // A server that refuses at once.
    d.SetConnectionString("Provider=PostgreSQL;Persist Security Info=true;Data "
                          "Source=127.0.0.1;Port=1");
    ExpectLogin(ui, "sa", QString());
    ui.ExpectMessage("连接数据源失败!\r\n", "提示");
    ExpectListed(false);
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(d.OwnConnection(), nullptr);
    EXPECT_FALSE(d.LoginCancelled);
}

TEST_F(ExecuteTest, AFileDatabaseWithoutAStoredLoginGoesThroughTheLoginDialog) {
    TQuillaryDialog d;
    d.SetConnectionString(SampleCsn(false));
    ExpectLogin(ui, "u", "p");
    ExpectListed(true);
    d.Execute();
    EXPECT_TRUE(d.GetConnected());
}

TEST_F(ExecuteTest, ReentranceIsRefused) {
    TQuillaryDialog d;
    d.SetConnectionString(SampleCsn());
    ExpectDesigner(ui, [&](TFrm_Quillary&) {
        EXPECT_FALSE(d.Execute());
        return int(mrCancel);
    });
    EXPECT_FALSE(d.Execute());
}

TEST_F(ExecuteTest, GeometryAndSystemTablesAreStoredEitherWaySqlOnlyOnConfirmation) {
    for (const int result : {mrCancel, mrOk}) {
        SCOPED_TRACE(result);
        TQuillaryDialog d;
        d.SetConnectionString(SampleCsn());
        d.SQL = "select 1";
        d.SQLSet = QStringList{"[Form]"};
        d.Form_Width = d.Form_Height = 0;
        ExpectDesigner(ui, [&](TFrm_Quillary& form) {
            EXPECT_EQ(form.size(), QSize(700, 500)) << "no size: the default";
            EXPECT_EQ(QSize(d.Form_Width, d.Form_Height), QSize(700, 500));
            form.setGeometry(120, 130, 800, 600);
            form.CheckBox2->setChecked(true);
            EXPECT_TRUE(form.Forge("select OrderID from orders"));
            return result;
        });
        EXPECT_EQ(d.Execute(), result == mrOk);
        EXPECT_EQ(Geometry(d), QRect(120, 130, 800, 600));
        EXPECT_TRUE(d.SystemTable);
        EXPECT_EQ(d.SQL == "select 1", result == mrCancel);
        EXPECT_EQ(d.SQLSet == QStringList{"[Form]"}, result == mrCancel);
    }
}

TEST_F(ExecuteTest, CaptionToolBarUnionItemAndOrderPageFollowTheProperties) {
    TQuillaryDialog d; // no string: the tool bar offers one, no data-link prompt first
    d.Caption = "订单查询";
    d.IsAllowUnion = true;
    d.IsAllowOrderBy = false;
    d.IsAllowChangeCSN = true;
    ExpectDesigner(ui, [](TFrm_Quillary& form) {
        EXPECT_EQ(form.windowTitle(), "订单查询");
        EXPECT_TRUE(form.ToolBar1->isVisibleTo(&form));
        EXPECT_TRUE(form.Canvas()->MenuItem(TQBArea::kMenuUnion)->isVisible());
        EXPECT_FALSE(form.PageControl1->isTabVisible(TFrm_Quillary::pgOrder));
        return int(mrCancel);
    });
    d.Execute();
}

TEST_F(ExecuteTest, ExcelSourcesQuoteTableNamesAndForceSystemTables) {
    TQuillaryDialog d;
    d.SetConnectionString("Provider=MSDASQL.1;Persist Security Info=True;Data Source=ExcelLike");
    ExpectDesigner(ui, [](TFrm_Quillary& form) {
        EXPECT_EQ(form.GetDSN(), dsExcel);
        EXPECT_TRUE(form.CheckBox2->isChecked());
        EXPECT_GT(form.QBTables->count(), 0);
        for (const QString& name : Texts(form.QBTables))
            EXPECT_TRUE(name.startsWith('"') && name.endsWith('"') && !name.startsWith("\"\""))
                << "quoted once: " << name.toStdString();
        return int(mrOk);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_TRUE(d.SystemTable);
}

TEST_F(ExecuteTest, AnExternalConnectionIsUsedNotOwnedAndOutlivesTheDialogsLoginHandler) {
    TADOConnection opened(SampleCsn());
    opened.Open();
    TQuillaryDialog d;
    d.SetConnection(&opened);
    ExpectListed(true, mrOk);
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.OwnConnection(), nullptr);
    EXPECT_TRUE(opened.Connected());

    TADOConnection external(LoginCsn());
    {
        TQuillaryDialog login;
        login.SetConnection(&external);
        ExpectLogin(ui, "u", QString());
        ExpectListed(true);
        login.Execute();
        EXPECT_TRUE(external.Connected());
    }
    external.Close();
    external.Open(); // the dialog is gone: its handler no longer asks
    EXPECT_TRUE(external.Connected());
}

TEST_F(ExecuteTest, DataLinkPromptChoiceIsKeptWhenTheToolBarIsHidden) {
    TQuillaryDialog d; // no string, no connection, IsAllowChangeCSN false
    const QString chosen = SampleCsn();
    ui.AnswerModal([&](QDialog* dlg) {
        EXPECT_NE(qobject_cast<TDataLinkDialog*>(dlg), nullptr);
        static_cast<TDataLinkDialog*>(dlg)->SetConnectionString(chosen);
        return int(mrOk);
    });
    ExpectListed(true);
    d.Execute();
    EXPECT_TRUE(d.GetConnected());
    EXPECT_EQ(d.ConnectionString(), chosen);
}

TEST_F(ExecuteTest, DestroyingTheDialogFreesItsOwnConnection) {
    auto d = std::make_unique<TQuillaryDialog>();
    d->SetConnectionString(SampleCsn());
    ExpectDesigner(ui, [](TFrm_Quillary&) { return int(mrOk); });
    d->Execute();
    ASSERT_NE(d->OwnConnection(), nullptr);
    const QString qtName = d->OwnConnection()->QtConnectionName();
    ASSERT_TRUE(QSqlDatabase::contains(qtName));
    d.reset();
    EXPECT_FALSE(QSqlDatabase::contains(qtName)) << "the connection was closed and released";
}
