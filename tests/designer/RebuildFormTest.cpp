// The rebuild from SQL text on the designer form: who calls it, what a
// refused text leaves behind, and the sub-query of a cell.
#include "DesignerTestSupport.h"

#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "grid/PropertyInplaceEdit.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

class RebuildFormTest : public DesignerFormTest {
protected:
    void SetUp() override {
        DesignerFormTest::SetUp();
        OpenForm(SampleCsn());
        form->show();
    }
    QStringList Boxes() const {
        QStringList names;
        for (const TQBTable* box : form->Canvas()->Tables())
            names << box->GetTableName();
        return names;
    }
};

TEST_F(RebuildFormTest, ATextBecomesBoxesLinksTicksAndPages) {
    ASSERT_TRUE(form->Forge(
        QStringLiteral("select distinct c.City, count(*) n from customers c, orders o "
                       "where c.CustomerID = o.CustomerID and o.Freight > 10 group by c.City "
                       "having count(*) > 2 order by 2 desc")));
    EXPECT_EQ(Boxes(), (QStringList{"c", "o"}));
    ASSERT_EQ(form->Canvas()->Links().size(), 1) << "the old-style join became a link";
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->ConditionList->GetCells(0, 1), "o.Freight");
    EXPECT_EQ(form->ComputeColumnList->GetCells(0, 1), "count(*)");
    EXPECT_EQ(form->Memo1->toPlainText(),
              QStringLiteral("select distinct c.City,count(*) as n\nfrom customers c,orders o\n"
                             "where c.CustomerID=o.CustomerID and o.Freight>10\n"
                             "group by c.City\nhaving count(*) >2\norder by count(*) desc"));
    // Written again and rebuilt, the statement stays the same.
    const QString sql = form->GetSQL();
    ASSERT_TRUE(form->Forge(sql));
    EXPECT_EQ(form->GetSQL(), sql);
}

TEST_F(RebuildFormTest, RefusedTextsLeaveTheDesignAsItWas) {
    ASSERT_TRUE(form->Forge("select OrderID from orders"));
    const QString before = form->GetSQL();
    const struct {
        const char* Text;
        const char* Caption;
    } cases[] = {
        {"selec a from t", "提示"},                 // the select list
        {"select a from (select b from t", "提示"}, // brackets
        {"select NoSuchColumn from orders", ""},    // the database's own message
    };
    for (const auto& c : cases) {
        ui.AnswerMessage(mrOk);
        EXPECT_FALSE(form->Forge(QString::fromUtf8(c.Text))) << c.Text;
        EXPECT_EQ(ui.Log().last().Caption, QString::fromUtf8(c.Caption)) << c.Text;
        EXPECT_EQ(form->GetSQL(), before) << c.Text;
    }
    EXPECT_EQ(ui.Log()[1].Text, "括号不匹配！");
    EXPECT_TRUE(form->Forge("  "));
    EXPECT_EQ(form->GetSQL(), before) << "an empty text changes nothing";
}

TEST_F(RebuildFormTest, EditedTextIsAppliedFromTheSqlPage) {
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden()) << "text set by the designer offers nothing";
    form->Memo1->setFocus();
    QTest::keyClicks(form->Memo1, "select ProductName from products");
    EXPECT_FALSE(form->Sp_ApplySQL->isHidden()) << "an edit offers to apply it";
    form->Sp_ApplySQL->click();
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden());
    EXPECT_EQ(Boxes(), QStringList{"products"});
    EXPECT_EQ(form->Memo1->toPlainText(), "select ProductName\nfrom products");
}

TEST_F(RebuildFormTest, ASubQueryOfACellIsRebuiltInANestedDesigner) {
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgCondition);
    TStringGridEx* grid = form->ConditionList;
    grid->setFocus();
    grid->SetRow(1);
    grid->SetCol(2);
    grid->SetEditorMode(true);
    TPropertyInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText("(select max(Freight) from orders)");
    editor->setCursorPosition(5);
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), "SQL语句生成器--重建子查询");
        EXPECT_EQ(nested.Canvas()->Tables().size(), 1) << "the sub-select, rebuilt";
        EXPECT_TRUE(nested.Forge("select min(Freight) from orders"));
        return int(mrOk);
    });
    form->ReForge->trigger();
    EXPECT_EQ(editor->text(), "(select min(Freight) from orders)");
}
