// Whole statements on a database server (PostgreSQL or MariaDB, started by
// ctest): a new view read back through the catalogue, the result page
// reading as it scrolls, and what the union panel and the link dialog offer.
#include "DesignerTestSupport.h"

#include "db/QueryModel.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "designer/SqlCheck.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"

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

class StatementsServerTest : public DesignerFormTest {
protected:
    void SetUp() override {
        DesignerFormTest::SetUp();
        RunOnTestServer(
            QStringLiteral("drop view if exists v_lots; drop table if exists lots;"
                           "create table lots (id integer primary key, name text);") +
            ForServer("insert into lots select i, 'lot ' || i from generate_series(1, 5000) as i;",
                      "insert into lots select seq, concat('lot ', seq) from seq_1_to_5000;"));
        if (HasFatalFailure()) return;
        Open(TestServer().ConnectionString());
    }
};

TEST_F(StatementsServerTest, ANewViewIsCreatedAndReadBackThroughTheCatalogue) {
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
    // MariaDB's catalogue gives the view's text (as the server rewrote it).
    EXPECT_EQ(view->Kind, OnMariaDb() ? 'V' : 'T');
    if (OnMariaDb()) {
        EXPECT_TRUE(view->SourceText.contains("`lots`")) << view->SourceText.toStdString();
    }
    view->FieldList->SetChecked(0, true);
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    EXPECT_EQ(form->Panel3Text->text(), "共10条记录");
}

// MariaDB's collation takes 'a' and 'A' for one: the row check lets such
// ties come in either order; other servers tell them apart.
TEST_F(StatementsServerTest, TheRowCheckReadsValuesAsTheServerCollatesThem) {
    RunOnTestServer(
        QStringLiteral("drop table if exists cases; create table cases (id integer, "
                       "name varchar(5)); insert into cases values (1, 'a'), (2, 'A');"));
    TADOConnection connection(TestServer().ConnectionString());
    connection.Open();
    const TRowComparison r =
        CompareRows(&connection, QStringLiteral("select name from cases order by name"),
                    QStringLiteral("select name from cases order by name, id desc"));
    EXPECT_TRUE(r.Same) << r.Difference.toStdString();
    EXPECT_EQ(r.Rule, TRowRule::InOrder);
    // DISTINCT and UNION keep any one of the values the collation makes
    // equal (trailing blanks included there); PostgreSQL keeps them apart.
    RunOnTestServer(QStringLiteral("insert into cases values (3, 'b '), (4, 'b');"));
    for (const auto& [original, regenerated] :
         {std::pair{"select name from cases where id = 1", "select name from cases where id = 2"},
          std::pair{"select name from cases where id = 3",
                    "select name from cases where id = 4"}}) {
        const TRowComparison c =
            CompareRows(&connection, QString::fromUtf8(original), QString::fromUtf8(regenerated));
        EXPECT_EQ(c.Same, OnMariaDb()) << original;
    }
}

// A comment between OFFSET and its count leaves it the row limit it is.
TEST_F(StatementsServerTest, TheRowCheckReadsALimitWithACommentInIt) {
    TADOConnection connection(TestServer().ConnectionString());
    connection.Open();
    const TRowComparison r = CompareRows(
        &connection,
        QStringLiteral("select id from lots where id > 1 order by id desc "
                       "offset /* skipped */ 2 rows fetch first 5 rows only"),
        QStringLiteral("select id from lots where id > 1 order by id desc limit 5 offset 2"));
    EXPECT_TRUE(r.Same) << r.Difference.toStdString();
}

TEST_F(StatementsServerTest, TheResultPageKeepsReadingAfterTheCount) {
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

TEST_F(StatementsServerTest, TheUnionPanelOffersTheSetOperatorsTheServerRuns) {
    // Both servers here run EXCEPT and INTERSECT (MariaDB 10.11).
    bool systemTables = false;
    form->ShowTableList(systemTables); // as a connected source is shown
    EXPECT_EQ(*form->UnionGrid->PropValues()->Items(3)->PickList(),
              QStringList({"union", "union all", "minus", "intersect"}));
    ASSERT_TRUE(form->Forge("select id from lots where id < 4 except select id from lots "
                            "where id = 2"));
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
    QApplication::processEvents();
    EXPECT_EQ(form->Panel3Text->text(), "共2条记录") << form->GetSQL().toStdString();
}
