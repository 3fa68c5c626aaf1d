// Whole statements on PostgreSQL (a server started by ctest): a new view read
// back through the catalogue, and the result page reading as it scrolls.
#include "DesignerTestSupport.h"

#include "db/QueryModel.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

class StatementsPostgresTest : public DesignerFormTest {
protected:
    void SetUp() override {
        DesignerFormTest::SetUp();
        RunOnPostgres(QStringLiteral(
            "drop view if exists v_lots; drop table if exists lots;"
            "create table lots (id integer primary key, name text);"
            "insert into lots select i, 'lot ' || i from generate_series(1, 5000) as i;"));
        if (HasFatalFailure()) return;
        Open(PostgresServer().ConnectionString());
    }
};

TEST_F(StatementsPostgresTest, ANewViewIsCreatedAndReadBackThroughTheCatalogue) {
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_TRUE(nested.Forge("select id, name from lots where id <= 10"));
        nested.Button1->click();
        return nested.result();
    });
    ui.AnswerInput("v_lots");
    form->TB_CreateView->click();
    TQBTable* view = Place("v_lots");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Texts(view->FieldList), QStringList({"*", "id", "name"}));
    view->FieldList->SetChecked(0, true);
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    EXPECT_EQ(form->Panel3Text->text(), "共10条记录");
}

TEST_F(StatementsPostgresTest, TheResultPageKeepsReadingAfterTheCount) {
    ASSERT_TRUE(form->Forge("select id, name from lots"));
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    QApplication::processEvents();
    EXPECT_EQ(form->Panel3Text->text(), "共5000条记录");
    const int shown = form->DataSource1->rowCount();
    EXPECT_LT(shown, 5000);
    form->DBGrid1->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GT(form->DataSource1->rowCount(), shown);
    EXPECT_EQ(form->DataSource1->data(form->DataSource1->index(shown, 1)).toString(),
              QStringLiteral("lot %1").arg(shown + 1));
}
