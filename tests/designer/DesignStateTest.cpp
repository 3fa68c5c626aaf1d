// The design that lasts: the state text through the real form, scripts and
// templates saved and opened.
#include "DesignerTestSupport.h"

#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "grid/StringGridEx.h"
#include "platform/TextFile.h"
#include "sqltext/Common.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const char kRichSql[] =
    "select distinct o.OrderID,c.CompanyName,e.LastName,s.CompanyName,"
    "i.Quantity*i.UnitPrice as amount,'a|b' as tag,'x'\r\n"
    "from orders o inner join customers c on o.CustomerID=c.CustomerID "
    "left join employees e on o.EmployeeID=e.EmployeeID "
    "right join order_items i on o.OrderID=i.OrderID "
    "full join products p on i.ProductID=p.ProductID "
    "left outer join suppliers s on p.SupplierID=s.SupplierID\r\n"
    "where o.Freight>10 and (c.City like '北%' or c.City='上海')\r\n"
    "group by o.OrderID,c.CompanyName,e.LastName,s.CompanyName,i.Quantity,i.UnitPrice\r\n"
    "having count(*)>0\r\n"
    "order by c.CompanyName desc,o.OrderID";

QString Read(const QString& path) {
    QString text;
    ReadTextFile(path, text);
    return text;
}

// A path no one can write: its folder is a regular file.
QString Unwritable(const QString& name) {
    return WriteTestFile("not-a-folder", "x") + QLatin1Char('/') + name;
}

} // namespace

class DesignStateTest : public DesignerFormTest {
protected:
    // The rich design: every join type, aliases, ticks, computed columns,
    // conditions, groups, descending orders, a box moved, two union sets.
    void DesignRichQuery() {
        ASSERT_TRUE(form->Forge(QString::fromUtf8(kRichSql)));
        TQBTable* customers = form->Canvas()->FindTable("c");
        ASSERT_NE(customers, nullptr);
        customers->move(333, 222);
        customers->FieldList->SetChecked(customers->FieldList->IndexOfText("City"), true);
        form->TB_JOIN->click();
        ExpectNestedDesign(ui, "SQL语句生成器--新建联合子句",
                           "select OrderID from orders where OrderID<10010");
        form->btn_New->click();
        form->TB_JOIN->click();
        ExpectNestedDesign(ui, "SQL语句生成器--新建联合子句", "select CategoryID from categories");
        form->btn_New->click();
        form->UnionGrid->SetCells(3, 1, "union all");
        form->UnionGrid->SetCells(0, 2, "(");
        form->UnionGrid->SetCells(2, 3, ")");
    }
};

TEST_F(DesignStateTest, ARichDesignComesBackInTheNextRun) {
    Open();
    DesignRichQuery();
    const QueryDesign design = form->ReadDesign();
    QList<int> types;
    for (const TDesignLink& link : design.Links)
        types << link.JoinType;
    // The right and full joins after others come first: the design writes
    // its links from the last join back.
    EXPECT_EQ(types, QList<int>({5, 3, 2, 1, 0}));
    const QString sql = form->GetSQL();
    const QStringList state = form->GetSQLSet();
    ASSERT_TRUE(sql.contains("union all\r\n(select")) << sql.toStdString();

    // The next run on the same connection restores it from the state text.
    // Union statements come back as their state text keeps them, on one line,
    // and their own texts without the aliases section (it is not numbered).
    QString restoredSql;
    QStringList restoredState;
    const auto nextRun = [&](const QStringList& lines) {
        TQuillaryDialog next;
        next.SetConnection(dialog.GetConn());
        next.SQLSet = lines;
        next.IsAllowUnion = true;
        ExpectDesigner(ui, [&](TFrm_Quillary& again) {
            EXPECT_EQ(again.Canvas()->FindTable("c")->pos(), QPoint(333, 222));
            EXPECT_EQ(again.UnionSets().size(), 2);
            EXPECT_EQ(again.Memo1->toPlainText(), again.GetSQL().replace("\r\n", "\n"));
            return int(mrOk);
        });
        EXPECT_TRUE(next.Execute());
        restoredSql = next.SQL;
        restoredState = next.SQLSet;
    };
    nextRun(state);
    const qsizetype unionAt = sql.indexOf("union all");
    EXPECT_EQ(restoredSql.left(unionAt), sql.left(unionAt));
    EXPECT_EQ(TrimExp(restoredSql), TrimExp(sql));
    const auto mainSections = [](QStringList lines) {
        const qsizetype from = lines.indexOf("#下面是联合语句部分");
        const qsizetype to = lines.indexOf("[Union]   #联合的数目");
        lines.remove(from, to - from);
        return lines;
    };
    EXPECT_EQ(mainSections(restoredState), mainSections(state));
    EXPECT_EQ(restoredState.indexOf("[Table2]\t\t\t#原表：名称"),
              state.indexOf("[Table2]\t\t\t#原表：名称") - 3);

    // From then on the design and its text stay exactly as they are.
    const QString once = restoredSql;
    const QStringList onceState = restoredState;
    nextRun(onceState);
    EXPECT_EQ(restoredSql, once);
    EXPECT_EQ(restoredState, onceState);
}

TEST_F(DesignStateTest, WhatNoLongerExistsIsLeftOut) {
    Open();
    dialog.SQLSet = QStringList{"[Table]",
                                "T1=gone,10,10,",
                                "T2=orders,200,10,",
                                "T3=customers,10,200,",
                                "[Link]",
                                "L1=gone,id,orders,OrderID,0",
                                "L2=orders,Lost,customers,CustomerID,1",
                                "L3=orders,CustomerID,customers,CustomerID,1",
                                "[Column]",
                                "C0=orders.OrderID"};
    ui.ExpectMessage("表“orders”的Lost字段已不存在！无法插入链接！", "提示!");
    form->SetSQLSet();
    EXPECT_EQ(form->Memo1->toPlainText(), "select orders.OrderID\nfrom orders LEFT JOIN customers "
                                          "on orders.CustomerID=customers.CustomerID");
}

// --- SQL scripts ------------------------------------------------------------------------

TEST_F(DesignStateTest, ScriptsAreSavedAsUtf8AndOpenedAsUtf8OrGbk) {
    OpenForm(SampleCsn(), false);
    ui.ExpectMessage("请先连接数据源", QString());
    form->Tb_QuillaryClick();
    Open();
    dialog.Caption = "查询";
    ASSERT_TRUE(form->Forge("select CompanyName from customers where City='北京'"));
    const QString typed = QDir(TestDir()).filePath("客户");
    ui.AnswerSaveFile(typed);
    form->TB_SAVE->click();
    const QString path = typed + ".SQL";
    EXPECT_EQ(ui.Log().last().Text, "SQL脚本(*.SQL)|*.SQL|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
    EXPECT_EQ(form->CurrentFileName(), path);
    EXPECT_EQ(form->windowTitle(), "查询--" + path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()),
              "select CompanyName\nfrom customers\nwhere City='北京'\n");
    EXPECT_EQ(dialog.SavedSQL, form->Memo1->toPlainText());
    form->TB_SAVE->click(); // the current file again, without asking

    // An older script in GBK; the changed design asks first.
    QStringEncoder gbk("GBK");
    const QString older =
        WriteTestFile("old.txt", gbk.encode(QStringLiteral("select ProductName from products "
                                                           "where ProductName='苹果汁'")));
    form->Canvas()->Tables().first()->FieldList->SetChecked(1, true);
    ui.ExpectMessage("SQL语句已经被改写,是否还是要打开新的文件？", "提示", mrYes)
        .AnswerOpenFile(older);
    form->Tb_QuillaryClick();
    EXPECT_EQ(form->CurrentFileName(), older);
    EXPECT_TRUE(form->Memo1->toPlainText().contains("'苹果汁'"));
    EXPECT_EQ(dialog.SavedSQL, form->Memo1->toPlainText());

    // A file that cannot be read is named, and the design stays.
    const QString missing = QDir(TestDir()).filePath("missing.sql");
    ui.AnswerOpenFile(missing).AnswerMessage(mrOk);
    form->Tb_QuillaryClick();
    EXPECT_TRUE(ui.Log().last().Text.contains(missing));
    EXPECT_EQ(ui.Log().last().Caption, "提示！");
    EXPECT_EQ(form->CurrentFileName(), older);
}

TEST_F(DesignStateTest, AScriptThatCannotBeWrittenOffersSaveAs) {
    Open();
    ASSERT_TRUE(form->Forge("select * from orders"));
    const QString blocked = Unwritable("a.sql");
    ui.AnswerSaveFile(blocked)
        .ExpectMessage("可能因为文件只读，不能保存!另存为...？", "提示！", mrYes)
        .AnswerSaveFile(Unwritable("b.sql"))
        .ExpectMessage("可能因为文件只读，还是不能保存!", "提示！");
    form->TB_SAVE->click();
    EXPECT_EQ(form->CurrentFileName(), QString());

    const QString good = QDir(TestDir()).filePath("good.sql");
    ui.AnswerSaveFile(blocked)
        .ExpectMessage("可能因为文件只读，不能保存!另存为...？", "提示！", mrYes)
        .AnswerSaveFile(good);
    form->TB_SAVE->click();
    EXPECT_EQ(form->CurrentFileName(), good);
    EXPECT_EQ(Read(good), "select *\nfrom orders\n");

    ui.ExpectMessage("可能因为文件只读，不能保存!另存为...？", "提示！", mrNo);
    QFile::remove(good);
    QDir().mkdir(good); // the current file is now a folder
    form->TB_SAVE->click();
}

// --- templates ---------------------------------------------------------------------------

TEST_F(DesignStateTest, ATemplateReopensItsDesignOnItsOwnConnection) {
    Open();
    DesignRichQuery();
    const QString sql = form->GetSQL();
    const QString csn = dialog.GetCSN();
    const QString file = QDir(TestDir()).filePath("rich");
    ui.AnswerSaveFile(file);
    form->TB_SAVEModel->click();
    EXPECT_EQ(ui.Log().last().Text, "界面模板(*.tmb)|*.tmb");
    const QStringList saved = Read(file + ".tmb").split('\n');
    EXPECT_EQ(saved.mid(saved.size() - 3), QStringList({"[CONNECTION]", "CSN=" + csn, ""}));

    // A fresh designer on another database switches to the template's.
    Open();
    ASSERT_NE(dialog.GetCSN(), csn);
    ui.AnswerOpenFile(file + ".tmb");
    form->TB_OPEN->click();
    EXPECT_EQ(ui.Log().last().Text, "界面模版(*.tmb)|*.tmb");
    EXPECT_EQ(dialog.GetCSN(), csn);
    EXPECT_EQ(TrimExp(form->GetSQL()), TrimExp(sql));
    EXPECT_EQ(dialog.SQLSet, saved.mid(0, saved.size() - 1));

    // Same connection: the design is added to what is on the canvas.
    ui.AnswerOpenFile(file + ".tmb");
    form->TB_OPEN->click();
    EXPECT_EQ(form->Canvas()->Tables().size(), 12);
}

TEST_F(DesignStateTest, ATemplateThatCannotBeShownStaysInTheStateText) {
    Open();
    ASSERT_TRUE(form->Forge("select * from orders"));
    const QStringList noConnection = {"[Table]", "T1=customers,1,1,", "[SQL]",
                                      "SQL=select * from customers"};
    const QString plain = WriteTestFile("plain.tmb", noConnection.join('\n').toUtf8());
    ui.AnswerOpenFile(plain);
    form->TB_OPEN->click();
    EXPECT_EQ(dialog.SQLSet, noConnection);

    const QStringList broken =
        noConnection +
        QStringList{"[Connection]",
                    "CSN=Provider=SQLite;Persist Security Info=True;Data Source=/nonexistent/x.db"};
    ui.AnswerOpenFile(WriteTestFile("broken.tmb", broken.join("\r\n").toUtf8()));
    ui.AnswerMessage(mrOk); // the connection failed
    form->TB_OPEN->click();
    EXPECT_TRUE(ui.Log().last().Text.startsWith("连接数据源失败!\r\n"));
    EXPECT_EQ(dialog.SQLSet, broken);

    const QString missing = QDir(TestDir()).filePath("missing.tmb");
    ui.AnswerOpenFile(missing).AnswerMessage(mrOk);
    form->TB_OPEN->click();
    EXPECT_TRUE(ui.Log().last().Text.contains(missing));
    EXPECT_EQ(dialog.SQLSet, broken);
    EXPECT_EQ(form->Canvas()->Tables().first()->TableName, "orders")
        << "the design on the canvas stays";
}
