#include "CanvasTestSupport.h"

#include "designer/LinkDialog.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"
#include "platform/Exception.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

QString Marker() {
    return QString::fromUtf8(kDescendingMarker);
}

} // namespace

class BoxTest : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        Open();
    }
    QStringList PickList() const {
        return *form->ConditionList->PropValues()->Items(0)->PickList();
    }
    // Every entry of the designer's lists that names `prefix`.
    QStringList Entries(const QString& prefix) const {
        QStringList all = Texts(form->OrderList) + Texts(form->GroupList) +
                          Texts(form->GroupColumn) + PickList() +
                          *form->ConditionListGroup->PropValues()->Items(0)->PickList();
        for (const QString& chosen : Texts(form->OrderColumn))
            all << chosen.mid(Marker().size());
        return all.filter(
            QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(prefix)));
    }
};

TEST_F(BoxTest, FourTablesPlacedInARowDoNotOverlap) {
    form->QBTables->setCurrentRow(-1);
    form->QBTablesDblClick();
    EXPECT_TRUE(canvas()->Tables().isEmpty()) << "nothing selected";
    QList<TQBTable*> boxes{Place("customers")};
    form->QBTables->setCurrentItem(form->QBTables->findItems("orders", Qt::MatchExactly)[0]);
    QTest::keyClick(form->QBTables, Qt::Key_Return); // Enter places too
    boxes << canvas()->Tables().last() << Place("order_items") << Place("products");
    ASSERT_EQ(canvas()->Tables().size(), 4);
    EXPECT_EQ(boxes[0]->pos(), QPoint(10, 10));
    EXPECT_EQ(boxes[1]->pos(), QPoint(boxes[0]->x() + boxes[0]->width() + 10, 10))
        << "beside the first";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes[i]->IsActive(), i == 3) << "only the latest box is active";
        EXPECT_GE(boxes[i]->width(), boxes[i]->FieldList->GetCheckW() + 130);
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(boxes[i]->geometry().intersects(boxes[j]->geometry())) << i << " " << j;
    }
    // The columns of each box are offered for grouping and conditions.
    EXPECT_TRUE(Texts(form->GroupList).contains("order_items.ProductID"));
    EXPECT_TRUE(PickList().contains("customers.City"));
    EXPECT_EQ(boxes[0]->FieldList->item(Row(boxes[0], "CreditLimit"))->toolTip(), "浮点型");
}

TEST_F(BoxTest, OneBoxIsActiveWhenNamesDifferOnlyInLetterCase) {
    TQBTable* table = Place("customers");
    TQBTable* query =
        canvas()->InsertQTable(300, 10, "CUSTOMERS", "select CustomerID from customers");
    ASSERT_TRUE(table && query);
    EXPECT_TRUE(query->IsActive());
    EXPECT_FALSE(table->IsActive());
    Mouse(table->Title, QEvent::MouseButtonPress, QPoint(20, 8));
    Mouse(table->Title, QEvent::MouseButtonRelease, QPoint(20, 8), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(table->IsActive());
    EXPECT_FALSE(query->IsActive());
}

TEST_F(BoxTest, FontsAndTitleColoursAtCreation) {
    auto* fresh = new TQBTable(canvas());
    EXPECT_FALSE(fresh->IsActive());
    EXPECT_EQ(fresh->Title->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(fresh->FieldList->font().pointSize(), 9) << "the box's list";
    EXPECT_EQ(fresh->UnlinkButton->geometry(), QRect(fresh->width() - 19, 2, 12, 12));
    {
        TQBLbx own(fresh);
        EXPECT_EQ(own.font().pointSize(), 8) << "a list of its own";
        EXPECT_FALSE(own.font().bold());
    }
    fresh->_CloseBtn();
}

TEST_F(BoxTest, CreationOrderSurvivesActivation) {
    TQBTable* a = Place("customers");
    TQBTable* b = Place("orders");
    TQBTable* c = Place("products");
    ASSERT_TRUE(a && b && c);
    EXPECT_TRUE(c->IsActive());
    Mouse(a->Title, QEvent::MouseButtonPress, QPoint(20, 8));
    Mouse(a->Title, QEvent::MouseButtonRelease, QPoint(20, 8), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(a->IsActive());
    EXPECT_FALSE(c->IsActive());
    EXPECT_EQ(canvas()->ActiveName, "customers");
    const QObjectList& painted = canvas()->Surface()->children();
    EXPECT_GT(painted.indexOf(a), painted.indexOf(c)) << "painted in front";
    EXPECT_EQ(canvas()->Tables(), (QList<TQBTable*>{a, b, c}));
    QueryDesign design;
    canvas()->ReadDesign(design);
    ASSERT_EQ(design.Boxes.size(), 3);
    EXPECT_EQ(design.Boxes[0].TableName, "customers");
    EXPECT_EQ(design.Boxes[2].TableName, "products");
    form->Init();
    QApplication::processEvents();
    EXPECT_TRUE(canvas()->Tables().isEmpty());
    EXPECT_TRUE(PickList().isEmpty());
}

TEST_F(BoxTest, ASecondCopyOfATableNeedsAnAliasAndNoIsTheDefault) {
    Place("customers");
    const QString question = "这张表已经选择过,是否要加入?若加入，请给该表加一个别名";
    ui.ExpectMessage(question, "提示!", mrNo);
    EXPECT_EQ(Place("customers"), nullptr);
    EXPECT_EQ(ui.Log().last().Buttons, TMsgButtons::YesNoDefaultNo);

    ui.ExpectMessage(question, "提示!", mrYes)
        .AnswerInput("Customers")
        .AnswerInput("2c")
        .AnswerInput("c2");
    TQBTable* second = Place("customers");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Alias, "c2");
    EXPECT_EQ(second->Title->text(), " customers c2");
    // Asked for an alias, then again with each refused answer.
    QStringList asked;
    for (const auto& step : ui.Log().mid(2))
        asked << step.Caption + "|" + step.Text + "|" + step.Value;
    EXPECT_EQ(asked,
              QStringList({"|请输入别名：  |",
                           "你输入的别名与以选择的表的别名或表名重复！|请重新输入   |Customers",
                           "表的别名必须以字母开头中间可含有数字和字母！|请重新输入   |2c"}));
    EXPECT_TRUE(PickList().contains("c2.City"));
}

// The rules of the sort lists are the design's; here the ticks reach them.
TEST_F(BoxTest, TicksKeepTheSortCandidatesAndRefreshTheSqlPage) {
    TQBTable* box = Place("customers");
    ASSERT_NE(box, nullptr);
    Tick(box, "City", true);
    EXPECT_EQ(Texts(form->OrderList), QStringList{"customers.City"});
    Tick(box, "City", false);
    EXPECT_TRUE(Texts(form->OrderList).isEmpty());

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
    form->Sp_ApplySQL->show();
    form->Memo1->setPlainText("select 1");
    Tick(box, "*", true);
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden());
    EXPECT_TRUE(Texts(form->OrderList).isEmpty()) << "* is never a sort candidate";

    // The distinct box set by code writes the statement again too.
    form->Sp_ApplySQL->show();
    form->CheckBox1->setChecked(true);
    EXPECT_TRUE(form->Memo1->toPlainText().startsWith("select distinct "));
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden());
    form->CheckBox1->setChecked(false);

    box->_SelectAll();
    EXPECT_EQ(box->FieldList->GetCheckedItem().size(), box->FieldList->count());
    EXPECT_EQ(form->OrderList->count(), box->FieldList->count() - 1);
    box->_UnSelectAll();
    EXPECT_TRUE(box->FieldList->GetCheckedItem().isEmpty());
    EXPECT_EQ(form->OrderList->count(), 0);
}

TEST_F(BoxTest, AliasesAreCheckedAndRenameTheListEntries) {
    TQBTable* box = Place("customers");
    Place("orders");
    ASSERT_NE(box, nullptr);
    Tick(box, "City", true);
    box->ApplyActivationRule();
    // The group condition page's pick list is renamed on its own.
    QStringList& groupPicks = *form->ConditionListGroup->PropValues()->Items(0)->PickList();
    groupPicks.prepend("customers.Extra");
    ui.AnswerInput("1x").AnswerInput("ORDERS").AnswerInput("where").AnswerInput("c");
    box->MenuItem(TQBTable::miByName)->trigger();
    EXPECT_EQ(box->Alias, "c");
    EXPECT_EQ(groupPicks.first(), "c.Extra");
    EXPECT_FALSE(PickList().contains("c.Extra"));
    EXPECT_EQ(groupPicks.mid(1), PickList());
    groupPicks.removeFirst();
    EXPECT_EQ(canvas()->ActiveName, "c");
    EXPECT_EQ(ui.Log()[0].Caption, "请输入别名：");
    EXPECT_EQ(ui.Log()[0].Text, "别名： ");
    EXPECT_EQ(ui.Log()[2].Caption, "你输入的别名与以选择的表的别名或表名重复！");
    EXPECT_TRUE(Entries("customers.").isEmpty());
    EXPECT_TRUE(Entries("c.").contains("c.City"));

    // The bare name is taken by another box: the alias stays.
    TQBTable* other = Place("customers");
    ASSERT_NE(other, nullptr);
    ui.ExpectMessage("别名不能取消,因为该表表名\r\n已被另一个表的别名或标名占用", "提示");
    box->_CancelByName();
    EXPECT_EQ(box->Alias, "c");
    other->_CloseBtn();
    box->_CancelByName();
    EXPECT_TRUE(box->Alias.isEmpty());
    EXPECT_EQ(canvas()->ActiveName, "customers");
    EXPECT_TRUE(Entries("c.").isEmpty());
    EXPECT_TRUE(Entries("customers.").contains("customers.City"));

    // An empty answer changes nothing; a sub-query's name is its alias.
    ui.AnswerInput(QString());
    box->_InputByName();
    EXPECT_TRUE(box->Alias.isEmpty());
    TQBTable* q = canvas()->InsertQTable(10, 300, "q1", "select 1 as x");
    ui.AnswerInput("q2");
    q->_InputByName();
    EXPECT_EQ(ui.Log().last().Value, "q1");
    EXPECT_EQ(q->TableName, "q2");
    EXPECT_TRUE(q->Alias.isEmpty());
}

TEST_F(BoxTest, MenuItemsFollowKindAndAlias) {
    TQBTable* box = Place("customers");
    ASSERT_NE(box, nullptr);
    box->PopupMenuOnChange();
    EXPECT_FALSE(box->MenuItem(TQBTable::miCancelByName)->isVisible());
    EXPECT_FALSE(box->MenuItem(TQBTable::miBuildSubQuery)->isVisible());
    box->Alias = "c";
    box->PopupMenuOnChange();
    EXPECT_TRUE(box->MenuItem(TQBTable::miCancelByName)->isVisible());
    TQBTable* q = canvas()->InsertQTable(10, 300, "q", "select 1 as x");
    q->PopupMenuOnChange();
    EXPECT_TRUE(q->MenuItem(TQBTable::miBuildSubQuery)->isVisible());
    EXPECT_EQ(q->MenuItem(TQBTable::miBuildSubQuery)->text(), "重建子查询表");
    EXPECT_EQ(ErrorOf([&] { box->SetParent(form.get()); }), "窗体的父类必须是TScrollBox或它的子类");
    EXPECT_EQ(box->parentWidget(), canvas()->Surface());
    QScrollArea area;
    EXPECT_EQ(ErrorOf([&] { box->SetParent(&area); }), "<no error>");
    EXPECT_EQ(box->parentWidget(), area.viewport());
    box->SetParent(canvas());
    EXPECT_EQ(box->parentWidget(), canvas()->Surface());
}

TEST_F(BoxTest, ClosingRemovesLinksAndEveryListEntryOfTheBox) {
    TQBTable* customers = Place("customers");
    TQBTable* orders = Place("orders");
    ASSERT_TRUE(customers && orders);
    Tick(customers, "City", true);
    Tick(customers, "Phone", true);
    Tick(orders, "ShipCity", true);
    delete form->OrderList->takeItem(form->OrderList->count() - 2); // customers.Phone ...
    form->OrderColumn->addItem(Marker() + "customers.Phone");       // ... chosen
    form->GroupColumn->addItem("customers.City");
    ASSERT_NE(canvas()->InsertLink(orders, customers, Row(orders, "CustomerID"),
                                   Row(customers, "CustomerID")),
              nullptr);
    customers->MenuItem(TQBTable::miClose)->trigger();
    EXPECT_TRUE(Entries("customers.").isEmpty());
    EXPECT_TRUE(Texts(form->OrderList).contains("orders.ShipCity"));
    EXPECT_TRUE(PickList().contains("orders.OrderID"));
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_FALSE(orders->FieldList->IsItemBold(Row(orders, "CustomerID")));
    EXPECT_EQ(canvas()->Tables(), QList<TQBTable*>{orders});
    EXPECT_TRUE(canvas()->ActiveName.isEmpty());
}

// SQLite tables stand in for the catalogues of SQL Server and Oracle.
TEST_F(BoxTest, ViewsAreFoundInTheCatalogueOfTheirKind) {
    TADOQuery setup;
    setup.SetConnection(dialog.GetConn());
    for (const char* sql :
         {"create table sysobjects (id integer, xtype text, name text)",
          "create table syscomments (id integer, text text)",
          "insert into sysobjects values (7, 'V', 'v_order_totals')",
          "insert into syscomments values (7, 'CREATE VIEW v_order_totals AS select OrderID from "
          "order_items')",
          "create table dba_views (owner text, VIEW_NAME text, Text text)",
          "insert into dba_views values ('MAIN', 'v_order_totals', 'select 1 as OrderID')"}) {
        setup.SQL() = QStringList{QString::fromUtf8(sql)};
        setup.ExecSQL();
    }
    struct Case {
        int Kind;
        char Expected;
        QString Source;
    };
    for (const Case& c :
         {Case{dsSqlServer, 'V', "select OrderID from order_items"},
          Case{dsOracle, 'V', "select 1 as OrderID"}, Case{dsAccess, 'T', QString()}}) {
        SCOPED_TRACE(c.Kind);
        form->SetDSN(c.Kind);
        auto* box = new TQBTable(canvas());
        ASSERT_TRUE(box->Activate("main.v_order_totals", QString(), 10, 10));
        EXPECT_EQ(box->Kind, c.Expected);
        EXPECT_EQ(box->SourceText, c.Source);
        box->PopupMenuOnChange();
        if (c.Expected == 'V') {
            EXPECT_EQ(box->MenuItem(TQBTable::miBuildSubQuery)->text(), "编辑视图");
        }
        box->_CloseBtn();
    }

    // A name with a quote is looked up as a literal of the catalogue statement.
    for (const char* sql :
         {"create table \"it's\" (OrderID integer)",
          "insert into sysobjects values (8, 'V', 'it''s')",
          "insert into syscomments values (8, 'CREATE VIEW x AS select 2 as OrderID')"}) {
        setup.SQL() = QStringList{QString::fromUtf8(sql)};
        setup.ExecSQL();
    }
    form->SetDSN(dsSqlServer);
    auto* quoted = new TQBTable(canvas());
    ASSERT_TRUE(quoted->Activate(form->Dialect().Name(QStringLiteral("it's")), QString(), 10, 10));
    EXPECT_EQ(quoted->Kind, 'V');
    EXPECT_EQ(quoted->SourceText, "select 2 as OrderID");
    quoted->_CloseBtn();

    // Editing the view: a nested designer, then the view statement of the kind.
    form->SetDSN(dsSqlServer);
    auto* view = new TQBTable(canvas());
    ASSERT_TRUE(view->Activate("main.v_order_totals", QString(), 10, 10));
    ExpectNestedDesign(ui, "SQL语句生成器--编辑视图:main.v_order_totals",
                       "select OrderID, Quantity from order_items");
    ui.AnswerMessage(mrOk); // SQLite cannot alter a view: the database's message
    view->_BuildSubQuery();
    EXPECT_TRUE(ui.Log().last().Text.contains("View")) << ui.Log().last().Text.toStdString();
    EXPECT_EQ(view->SourceText, "select OrderID,Quantity\r\nfrom order_items");
}

TEST_F(BoxTest, RebuildingASubQueryKeepsTicksAndDropsLinksOfVanishedColumns) {
    TQBTable* orders = Place("orders");
    TQBTable* q = canvas()->InsertQTable(400, 10, "q", "select CustomerID, City from customers");
    ASSERT_TRUE(orders && q);
    Tick(q, "CustomerID", true);
    Tick(q, "City", true);
    const int shipCity = Row(orders, "ShipCity");
    const int customerId = Row(orders, "CustomerID");
    ASSERT_NE(canvas()->InsertLink(q, orders, 1, customerId), nullptr);
    ASSERT_NE(canvas()->InsertLink(q, orders, 2, shipCity), nullptr);
    ExpectNestedDesign(ui, "SQL语句生成器--子查询表:q", "select Region, CustomerID from customers");
    q->MenuItem(TQBTable::miBuildSubQuery)->trigger();
    EXPECT_EQ(q->SourceText, "select Region,CustomerID\r\nfrom customers");
    EXPECT_EQ(q->FieldList->GetCheckedItem(), QStringList{"CustomerID"});
    ASSERT_EQ(canvas()->Links().size(), 1);
    EXPECT_EQ(canvas()->Links()[0]->Row1, 2) << "the row follows the column";
    EXPECT_FALSE(q->FieldList->IsItemBold(2)) << "the reloaded list's flags start afresh";
    EXPECT_TRUE(orders->FieldList->IsItemBold(customerId));
    EXPECT_FALSE(orders->FieldList->IsItemBold(shipCity));
    EXPECT_EQ(Entries("q.Region").size(), 3) << "group list and two pick lists";
    EXPECT_EQ(Entries("q.CustomerID").size(), 4) << "once each, and a sort candidate";
}

TEST_F(BoxTest, MovingByTheTitleShowsAnOutlineWithinTheCanvas) {
    TQBTable* a = Place("customers");
    TQBTable* b = canvas()->InsertQTable(400, 200, "q", "select CustomerID from customers");
    ASSERT_TRUE(a && b);
    TQBLink* link = canvas()->InsertLink(b, a, 1, 1);
    ASSERT_NE(link, nullptr);
    const QRect before = link->Geometry();
    const QPoint start = a->pos();
    const QPoint grip(20, 8);
    Mouse(a->Title, QEvent::MouseButtonPress, grip);
    Mouse(a->Title, QEvent::MouseMove, grip + QPoint(60, 40));
    EXPECT_TRUE(a->Moving());
    EXPECT_EQ(a->MoveOutline().topLeft(), start + QPoint(60, 40));
    EXPECT_EQ(a->pos(), start) << "the box waits for the release";
    Mouse(a->Title, QEvent::MouseButtonRelease, grip + QPoint(60, 40), Qt::LeftButton,
          Qt::NoButton);
    EXPECT_EQ(a->pos(), start + QPoint(60, 40));
    EXPECT_NE(link->Geometry(), before) << "the link follows";

    // Far outside: the mouse stops at the canvas edge, and so does the box.
    Mouse(a->Title, QEvent::MouseButtonPress, grip);
    Mouse(a->Title, QEvent::MouseButtonRelease, QPoint(-5000, -5000), Qt::LeftButton, Qt::NoButton);
    const QPoint gripOnCanvas = canvas()->viewport()->mapFromGlobal(a->Title->mapToGlobal(grip));
    EXPECT_EQ(gripOnCanvas, QPoint(0, 0));
}

TEST_F(BoxTest, ResizingByTheEdgesKeepsTheMinimum) {
    struct Zone {
        QPoint At;
        int Expected;
    };
    const QSize size(150, 100);
    for (const Zone& z : {Zone{{2, 2}, 1}, Zone{{75, -3}, 2}, Zone{{148, 2}, 3}, Zone{{152, 50}, 4},
                          Zone{{148, 98}, 5}, Zone{{75, 104}, 6}, Zone{{-4, 98}, 7},
                          Zone{{1, 50}, 8}, Zone{{75, 50}, 0}, Zone{{5, 5}, 0}})
        EXPECT_EQ(TQBTable::ZoneAt(z.At, size), z.Expected) << z.At.x() << "," << z.At.y();
    EXPECT_EQ(TQBTable::ZoneCursor(1), Qt::SizeFDiagCursor);
    EXPECT_EQ(TQBTable::ZoneCursor(7), Qt::SizeBDiagCursor);
    EXPECT_EQ(TQBTable::ZoneCursor(8), Qt::SizeHorCursor);

    TQBTable* box = Place("orders");
    ASSERT_NE(box, nullptr);
    const QRect start = box->geometry();
    const int minimum = box->MinimumResizeHeight();
    const QPoint right(box->width() - 1, box->height() / 2);
    Mouse(box, QEvent::MouseButtonPress, right);
    EXPECT_EQ(box->ResizeZone(), 4);
    Mouse(box, QEvent::MouseMove, QPoint(70, right.y()));
    EXPECT_EQ(box->width(), start.width()) << "70 is not beyond the minimum";
    Mouse(box, QEvent::MouseMove, QPoint(71, right.y()));
    EXPECT_EQ(box->width(), 71);
    Mouse(box, QEvent::MouseButtonRelease, QPoint(71, right.y()), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(box->ResizeZone(), 0);

    Mouse(box, QEvent::MouseButtonPress, QPoint(1, 1)); // top-left corner
    Mouse(box, QEvent::MouseMove, QPoint(1, box->height()));
    EXPECT_EQ(box->y(), start.y()) << "the top stops above the minimum height";
    Mouse(box, QEvent::MouseMove, QPoint(-30, box->height() - minimum - 1));
    EXPECT_EQ(box->x(), start.x() - 30);
    EXPECT_EQ(box->width(), 101);
    EXPECT_EQ(box->height(), minimum + 1);
    Mouse(box, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);
}

TEST_F(BoxTest, ScrollingMovesTheLinkEndsWithTheRows) {
    QStringList columns;
    for (int i = 1; i <= 30; ++i)
        columns << QStringLiteral("%1 as c%1").arg(i);
    TQBTable* wide = canvas()->InsertQTable(10, 10, "w", "select " + columns.join(','));
    TQBTable* other = canvas()->InsertQTable(400, 10, "o", "select 1 as x");
    ASSERT_TRUE(wide && other);
    EXPECT_EQ(wide->FieldList->height(), wide->FieldList->ItemHeight() * 10 + 4);
    TQBLink* link = canvas()->InsertLink(wide, other, 25, 1);
    ASSERT_NE(link, nullptr);
    const QRect list = wide->FieldList->geometry().translated(wide->pos());
    EXPECT_EQ(wide->GetRowY(25), list.bottom() + 1) << "below the view: the bottom edge";
    other->ApplyActivationRule();
    wide->FieldList->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(wide->IsActive()) << "a scroll by the user activates the box";
    const int top = wide->FieldList->TopIndex();
    ASSERT_GT(top, 15);
    const int h = wide->FieldList->ItemHeight();
    EXPECT_EQ(wide->GetRowY(25), list.top() + h * (25 - top) + h / 2 + 1);
    EXPECT_EQ(wide->GetRowY(3), list.top() - h + h / 2 + 1) << "above the view";
    // A column dropped on its own list counts from the list's first row.
    wide->FieldList->setCurrentRow(2);
    wide->_DragDrop(wide->FieldList, 0, 2 * h + 1);
    ui.ExpectMessage("表不能与自身建立链接！", QString());
    wide->_DragDrop(wide->FieldList, 0, 3 * h + 1);
    EXPECT_EQ(ui.Remaining(), 0);
    EXPECT_EQ(link->Geometry().bottom() + 1, std::max(wide->GetRowY(25), other->GetRowY(1)) + 7);
}

TEST_F(BoxTest, TheDesignAsAValueRoundTrips) {
    TQBTable* customers = Place("customers");
    TQBTable* orders = Place("orders");
    ASSERT_TRUE(customers && orders);
    customers->Alias = "c";
    Tick(orders, "OrderDate", true);
    TQBLink* link = canvas()->InsertLink(orders, customers, 2, 1);
    ASSERT_NE(link, nullptr);
    link->JoinType = 1;
    QueryDesign design;
    canvas()->ReadDesign(design);
    ASSERT_EQ(design.Links.size(), 1);
    EXPECT_EQ(design.Links[0].Table1, 1);
    EXPECT_EQ(design.Boxes[1].Fields[0].Name, "*");

    TFrm_Quillary other(&dialog);
    other.Canvas()->ApplyDesign(design);
    QueryDesign copy;
    other.Canvas()->ReadDesign(copy);
    EXPECT_EQ(copy, design);
    EXPECT_TRUE(other.Canvas()->Tables()[1]->FieldList->IsItemBold(2));
    EXPECT_TRUE(other.GroupList->count() == 0) << "a design brings its own lists";

    // Without a size a box takes the size the database would have given it.
    design.Boxes[1].Width = design.Boxes[1].Height = 0;
    EXPECT_EQ(TQBTable::SizeFor(design.Boxes[1]), orders->size());
}

// The picture of a four-table join with one outer join, made, changed and
// partly taken apart by mouse alone.
TEST_F(BoxTest, AFourTableJoinByMouseAlone) {
    auto doubleClick = [&](const char* table) {
        QListWidgetItem* item =
            form->QBTables->findItems(QString::fromLatin1(table), Qt::MatchExactly).first();
        form->QBTables->scrollToItem(item);
        const QPoint at = form->QBTables->visualItemRect(item).center();
        QTest::mouseClick(form->QBTables->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->QBTables->viewport(), Qt::LeftButton, {}, at);
        return canvas()->Tables().last();
    };
    auto choose = [](QMenu* menu, const QString& caption) {
        for (QAction* action : menu->actions())
            if (action->isVisible() && action->text() == caption) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        ADD_FAILURE() << "no menu item " << caption.toStdString();
    };
    auto rightClick = [](QWidget* widget, const QPoint& at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    };
    TQBTable* customers = doubleClick("customers");
    TQBTable* orders = doubleClick("orders");
    TQBTable* items = doubleClick("order_items");
    TQBTable* products = doubleClick("products");
    ASSERT_EQ(canvas()->Tables(), (QList<TQBTable*>{customers, orders, items, products}));

    // Products goes below, by its title.
    const QPoint grip(30, 8);
    Mouse(products->Title, QEvent::MouseButtonPress, grip);
    Mouse(products->Title, QEvent::MouseMove, grip + QPoint(-100, 250));
    Mouse(products->Title, QEvent::MouseButtonRelease, grip + QPoint(-100, 250), Qt::LeftButton,
          Qt::NoButton);

    // A click that does not move past the drag distance stays a click.
    const int from = Row(orders, "CustomerID"), to = Row(customers, "CustomerID");
    QWidget* vp = orders->FieldList->viewport();
    const QPoint at = orders->FieldList->visualItemRect(orders->FieldList->item(from)).center();
    Mouse(vp, QEvent::MouseButtonPress, at);
    Mouse(vp, QEvent::MouseMove, at + QPoint(1, 1));
    Mouse(vp, QEvent::MouseButtonRelease, at + QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_EQ(orders->FieldList->currentRow(), from);
    // The dragged column is the link's first end.
    DragColumn(orders, from, customers, to);
    ASSERT_EQ(canvas()->Links().size(), 1);
    const TQBLink* first = canvas()->Links()[0];
    EXPECT_EQ(std::tuple(first->Table1, first->Row1, first->Table2, first->Row2),
              std::tuple(orders, from, customers, to));
    EXPECT_TRUE(customers->FieldList->IsItemBold(to));
    ui.ExpectMessage("表不能与自身建立链接！", QString());
    DragColumn(orders, from, orders, Row(orders, "ShipCity"));
    DragColumn(items, Row(items, "OrderID"), orders, Row(orders, "OrderID"));
    DragColumn(items, Row(items, "ProductID"), products, Row(products, "ProductID"));
    ASSERT_EQ(canvas()->Links().size(), 3);

    // Every customer, with or without orders: the first link becomes outer.
    TQBLink* outer = canvas()->Links()[0];
    const QPoint onLine =
        outer->Geometry().topLeft() + (outer->Points()[1] + outer->Points()[2]) / 2;
    ui.AnswerModal([](QDialog* d) {
        auto* dialog = qobject_cast<Tfrm_link*>(d);
        if (!dialog) return int(mrCancel);
        dialog->RadioType->SetItemIndex(2); // all of customers, the second end
        return int(mrOk);
    });
    rightClick(canvas()->Surface(), onLine);
    ASSERT_TRUE(outer->mnu->isVisible());
    choose(outer->mnu, "链接属性");
    EXPECT_EQ(outer->JoinType, 2);
    EXPECT_TRUE(outer->MarkAtP0() || outer->MarkAtP3());

    // Resizing orders by its right edge moves the links' ends with it.
    const QRect before = canvas()->Links()[1]->Geometry();
    const QPoint edge(orders->width() - 1, orders->height() / 2);
    Mouse(orders, QEvent::MouseButtonPress, edge);
    Mouse(orders, QEvent::MouseMove, edge + QPoint(40, 0));
    Mouse(orders, QEvent::MouseButtonRelease, edge + QPoint(40, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(orders->width(), edge.x() + 40);
    EXPECT_NE(canvas()->Links()[1]->Geometry(), before);

    // One link and one box go again.
    TQBLink* last = canvas()->Links()[2];
    rightClick(canvas()->Surface(),
               last->Geometry().topLeft() + (last->Points()[1] + last->Points()[2]) / 2);
    choose(last->mnu, "取消链接");
    EXPECT_EQ(canvas()->Links().size(), 2);
    EXPECT_FALSE(products->FieldList->IsItemBold(Row(products, "ProductID")));
    rightClick(products->Title, QPoint(10, 8));
    ASSERT_TRUE(products->PopupMenu->isVisible());
    choose(products->PopupMenu, "关闭表");
    EXPECT_EQ(canvas()->Tables(), (QList<TQBTable*>{customers, orders, items}));
    EXPECT_EQ(canvas()->Links().size(), 2);
}
