#include "CanvasTestSupport.h"

#include "designer/LinkDialog.h"
#include "grid/CellValueProps.h"
#include "grid/StringGridEx.h"
#include "platform/Exception.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
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

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
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
    void Tick(TQBTable* box, const QString& column, bool on) {
        box->FieldList->item(Row(box, column))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
};

TEST_F(BoxTest, FourTablesPlacedInARowDoNotOverlap) {
    QList<TQBTable*> boxes;
    for (const char* table : {"customers", "orders", "order_items", "products"})
        boxes << Place(QString::fromLatin1(table));
    ASSERT_EQ(canvas()->Tables().size(), 4);
    EXPECT_EQ(boxes[0]->pos(), QPoint(10, 10));
    for (int i = 0; i < 4; ++i) {
        EXPECT_GE(boxes[i]->width(), boxes[i]->FieldList->GetCheckW() + 130);
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(boxes[i]->geometry().intersects(boxes[j]->geometry())) << i << " " << j;
    }
    EXPECT_EQ(boxes[1]->y(), 10) << "the second box stands beside the first";
    // The columns of each box are offered for grouping and conditions.
    EXPECT_TRUE(Texts(form->GroupList).contains(QStringLiteral("order_items.ProductID")));
    EXPECT_TRUE(PickList().contains(QStringLiteral("customers.City")));
    EXPECT_EQ(boxes[0]->FieldList->item(Row(boxes[0], QStringLiteral("CreditLimit")))->toolTip(),
              QStringLiteral("浮点型"));
}

TEST_F(BoxTest, CreationOrderSurvivesActivation) {
    TQBTable* a = Place(QStringLiteral("customers"));
    TQBTable* b = Place(QStringLiteral("orders"));
    TQBTable* c = Place(QStringLiteral("products"));
    ASSERT_TRUE(a && b && c);
    EXPECT_TRUE(c->IsActive());
    Mouse(a->Title, QEvent::MouseButtonPress, QPoint(20, 8));
    Mouse(a->Title, QEvent::MouseButtonRelease, QPoint(20, 8), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(a->IsActive());
    EXPECT_FALSE(c->IsActive());
    EXPECT_EQ(canvas()->ActiveName, QStringLiteral("customers"));
    const QObjectList& painted = canvas()->Surface()->children();
    EXPECT_GT(painted.indexOf(a), painted.indexOf(c)) << "painted in front";
    EXPECT_EQ(canvas()->Tables(), (QList<TQBTable*>{a, b, c}));
    QueryDesign design;
    canvas()->ReadDesign(design);
    ASSERT_EQ(design.Boxes.size(), 3);
    EXPECT_EQ(design.Boxes[0].TableName, QStringLiteral("customers"));
    EXPECT_EQ(design.Boxes[2].TableName, QStringLiteral("products"));
    form->Init();
    QApplication::processEvents();
    EXPECT_TRUE(canvas()->Tables().isEmpty());
    EXPECT_TRUE(PickList().isEmpty());
}

TEST_F(BoxTest, ASecondCopyOfATableNeedsAnAliasAndNoIsTheDefault) {
    Place(QStringLiteral("customers"));
    const QString question =
        QStringLiteral("这张表已经选择过,是否要加入?若加入，请给该表加一个别名");
    ui.ExpectMessage(question, QStringLiteral("提示!"), mrNo);
    EXPECT_EQ(Place(QStringLiteral("customers")), nullptr);
    EXPECT_EQ(ui.Log().last().Buttons, TMsgButtons::YesNoDefaultNo);

    ui.ExpectMessage(question, QStringLiteral("提示!"), mrYes)
        .AnswerInput(QStringLiteral("Customers"))
        .AnswerInput(QStringLiteral("2c"))
        .AnswerInput(QStringLiteral("c2"));
    TQBTable* second = Place(QStringLiteral("customers"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Alias, QStringLiteral("c2"));
    EXPECT_EQ(second->Title->text(), QStringLiteral(" customers c2"));
    const auto& log = ui.Log();
    ASSERT_EQ(log.size(), 5);
    EXPECT_EQ(log[2].Text, QStringLiteral("请输入别名：  "));
    EXPECT_EQ(log[3].Caption, QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"));
    EXPECT_EQ(log[4].Caption, QStringLiteral("表的别名必须以字母开头中间可含有数字和字母！"));
    EXPECT_EQ(log[4].Value, QStringLiteral("2c")) << "asked again with the answer";
    EXPECT_TRUE(PickList().contains(QStringLiteral("c2.City")));
}

TEST_F(BoxTest, TicksKeepTheSortCandidatesAndRefreshTheSqlPage) {
    TQBTable* box = Place(QStringLiteral("customers"));
    ASSERT_NE(box, nullptr);
    Tick(box, QStringLiteral("City"), true);
    EXPECT_EQ(Texts(form->OrderList), QStringList{QStringLiteral("customers.City")});
    form->OrderColumn->addItem(Marker() + QStringLiteral("customers.Phone"));
    Tick(box, QStringLiteral("Phone"), true);
    EXPECT_FALSE(Texts(form->OrderList).contains(QStringLiteral("customers.Phone")))
        << "already chosen for sorting";
    Tick(box, QStringLiteral("Phone"), false);
    Tick(box, QStringLiteral("City"), false);
    EXPECT_TRUE(Texts(form->OrderList).isEmpty());
    EXPECT_EQ(form->OrderColumn->count(), 0) << "the descending-marked entry left too";

    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
    form->Sp_ApplySQL->show();
    form->Memo1->setPlainText(QStringLiteral("select 1"));
    Tick(box, QStringLiteral("*"), true);
    EXPECT_TRUE(form->Sp_ApplySQL->isHidden());
    EXPECT_TRUE(Texts(form->OrderList).isEmpty()) << "* is never a sort candidate";

    box->_SelectAll();
    EXPECT_EQ(box->FieldList->GetCheckedItem().size(), box->FieldList->count());
    EXPECT_EQ(form->OrderList->count(), box->FieldList->count() - 1);
    box->_UnSelectAll();
    EXPECT_TRUE(box->FieldList->GetCheckedItem().isEmpty());
    EXPECT_EQ(form->OrderList->count(), 0);
}

TEST_F(BoxTest, AliasesAreCheckedAndRenameTheListEntries) {
    TQBTable* box = Place(QStringLiteral("customers"));
    Place(QStringLiteral("orders"));
    ASSERT_NE(box, nullptr);
    Tick(box, QStringLiteral("City"), true);
    box->ApplyActivationRule();
    ui.AnswerInput(QStringLiteral("1x"))
        .AnswerInput(QStringLiteral("ORDERS"))
        .AnswerInput(QStringLiteral("where"))
        .AnswerInput(QStringLiteral("c"));
    box->MenuItem(TQBTable::miByName)->trigger();
    EXPECT_EQ(box->Alias, QStringLiteral("c"));
    EXPECT_EQ(canvas()->ActiveName, QStringLiteral("c"));
    EXPECT_EQ(ui.Log()[0].Caption, QStringLiteral("请输入别名："));
    EXPECT_EQ(ui.Log()[0].Text, QStringLiteral("别名： "));
    EXPECT_EQ(ui.Log()[2].Caption, QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"));
    EXPECT_TRUE(Entries(QStringLiteral("customers.")).isEmpty());
    EXPECT_TRUE(Entries(QStringLiteral("c.")).contains(QStringLiteral("c.City")));

    // The bare name is taken by another box: the alias stays.
    TQBTable* other = Place(QStringLiteral("customers"));
    ASSERT_NE(other, nullptr);
    ui.ExpectMessage(QStringLiteral("别名不能取消,因为该表表名\r\n已被另一个表的别名或标名占用"),
                     QStringLiteral("提示"));
    box->_CancelByName();
    EXPECT_EQ(box->Alias, QStringLiteral("c"));
    other->_CloseBtn();
    box->_CancelByName();
    EXPECT_TRUE(box->Alias.isEmpty());
    EXPECT_EQ(canvas()->ActiveName, QStringLiteral("customers"));
    EXPECT_TRUE(Entries(QStringLiteral("c.")).isEmpty());
    EXPECT_TRUE(Entries(QStringLiteral("customers.")).contains(QStringLiteral("customers.City")));

    // An empty answer changes nothing; a sub-query's name is its alias.
    ui.AnswerInput(QString());
    box->_InputByName();
    EXPECT_TRUE(box->Alias.isEmpty());
    TQBTable* q =
        canvas()->InsertQTable(10, 300, QStringLiteral("q1"), QStringLiteral("select 1 as x"));
    ui.AnswerInput(QStringLiteral("q2"));
    q->_InputByName();
    EXPECT_EQ(ui.Log().last().Value, QStringLiteral("q1"));
    EXPECT_EQ(q->TableName, QStringLiteral("q2"));
    EXPECT_TRUE(q->Alias.isEmpty());
}

TEST_F(BoxTest, MenuItemsFollowKindAndAlias) {
    TQBTable* box = Place(QStringLiteral("customers"));
    ASSERT_NE(box, nullptr);
    const char* names[] = {
        "mnuSelectAll", "mnuUnSelectAll", "", "mnuByName", "mnuByName", "", "mnuByName", "",
        "mnuUnLink",    "mnuClose"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(box->MenuItem(i)->objectName(), QString::fromLatin1(names[i])) << i;
    box->PopupMenuOnChange();
    EXPECT_FALSE(box->MenuItem(TQBTable::miCancelByName)->isVisible());
    EXPECT_FALSE(box->MenuItem(TQBTable::miBuildSubQuery)->isVisible());
    box->Alias = QStringLiteral("c");
    box->PopupMenuOnChange();
    EXPECT_TRUE(box->MenuItem(TQBTable::miCancelByName)->isVisible());
    TQBTable* q =
        canvas()->InsertQTable(10, 300, QStringLiteral("q"), QStringLiteral("select 1 as x"));
    q->PopupMenuOnChange();
    EXPECT_TRUE(q->MenuItem(TQBTable::miBuildSubQuery)->isVisible());
    EXPECT_EQ(q->MenuItem(TQBTable::miBuildSubQuery)->text(), QStringLiteral("重建子查询表"));
    EXPECT_EQ(ErrorOf([&] { box->SetParent(form.get()); }),
              QStringLiteral("窗体的父类必须是TScrollBox或它的子类"));
    EXPECT_EQ(box->parentWidget(), canvas()->Surface());
}

TEST_F(BoxTest, ClosingRemovesLinksAndEveryListEntryOfTheBox) {
    TQBTable* customers = Place(QStringLiteral("customers"));
    TQBTable* orders = Place(QStringLiteral("orders"));
    ASSERT_TRUE(customers && orders);
    Tick(customers, QStringLiteral("City"), true);
    Tick(customers, QStringLiteral("Phone"), true);
    Tick(orders, QStringLiteral("ShipCity"), true);
    delete form->OrderList->takeItem(form->OrderList->count() - 2);           // customers.Phone ...
    form->OrderColumn->addItem(Marker() + QStringLiteral("customers.Phone")); // ... chosen
    form->GroupColumn->addItem(QStringLiteral("customers.City"));
    ASSERT_NE(canvas()->InsertLink(orders, customers, Row(orders, QStringLiteral("CustomerID")),
                                   Row(customers, QStringLiteral("CustomerID"))),
              nullptr);
    customers->MenuItem(TQBTable::miClose)->trigger();
    EXPECT_TRUE(Entries(QStringLiteral("customers.")).isEmpty());
    EXPECT_TRUE(Texts(form->OrderList).contains(QStringLiteral("orders.ShipCity")));
    EXPECT_TRUE(PickList().contains(QStringLiteral("orders.OrderID")));
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_FALSE(orders->FieldList->IsItemBold(Row(orders, QStringLiteral("CustomerID"))));
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
    for (const Case& c : {Case{dsSqlServer, 'V', QStringLiteral("select OrderID from order_items")},
                          Case{dsOracle, 'V', QStringLiteral("select 1 as OrderID")},
                          Case{dsAccess, 'T', QString()}}) {
        SCOPED_TRACE(c.Kind);
        form->SetDSN(c.Kind);
        auto* box = new TQBTable(canvas());
        ASSERT_TRUE(box->Activate(QStringLiteral("main.v_order_totals"), QString(), 10, 10));
        EXPECT_EQ(box->Kind, c.Expected);
        EXPECT_EQ(box->SourceText, c.Source);
        box->PopupMenuOnChange();
        if (c.Expected == 'V') {
            EXPECT_EQ(box->MenuItem(TQBTable::miBuildSubQuery)->text(), QStringLiteral("编辑视图"));
        }
        box->_CloseBtn();
    }

    // Editing the view: a nested designer, then the view statement of the kind.
    form->SetDSN(dsSqlServer);
    auto* view = new TQBTable(canvas());
    ASSERT_TRUE(view->Activate(QStringLiteral("main.v_order_totals"), QString(), 10, 10));
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(),
                  QStringLiteral("SQL语句生成器--编辑视图:main.v_order_totals"));
        EXPECT_TRUE(nested.Forge(QStringLiteral("select OrderID, Quantity from order_items")));
        return int(mrOk);
    });
    ui.AnswerMessage(mrOk); // SQLite cannot alter a view: the database's message
    view->_BuildSubQuery();
    EXPECT_TRUE(ui.Log().last().Text.contains(QStringLiteral("View")))
        << ui.Log().last().Text.toStdString();
    EXPECT_EQ(view->SourceText, QStringLiteral("select OrderID,Quantity\r\nfrom order_items"));
}

TEST_F(BoxTest, RebuildingASubQueryKeepsTicksAndDropsLinksOfVanishedColumns) {
    TQBTable* orders = Place(QStringLiteral("orders"));
    TQBTable* q = canvas()->InsertQTable(400, 10, QStringLiteral("q"),
                                         QStringLiteral("select CustomerID, City from customers"));
    ASSERT_TRUE(orders && q);
    Tick(q, QStringLiteral("CustomerID"), true);
    Tick(q, QStringLiteral("City"), true);
    const int shipCity = Row(orders, QStringLiteral("ShipCity"));
    const int customerId = Row(orders, QStringLiteral("CustomerID"));
    ASSERT_NE(canvas()->InsertLink(q, orders, 1, customerId), nullptr);
    ASSERT_NE(canvas()->InsertLink(q, orders, 2, shipCity), nullptr);
    ExpectDesigner(ui, [](TFrm_Quillary& nested) {
        EXPECT_EQ(nested.windowTitle(), QStringLiteral("SQL语句生成器--子查询表:q"));
        EXPECT_TRUE(nested.Forge(QStringLiteral("select Region, CustomerID from customers")));
        return int(mrOk);
    });
    q->MenuItem(TQBTable::miBuildSubQuery)->trigger();
    EXPECT_EQ(q->SourceText, QStringLiteral("select Region,CustomerID\r\nfrom customers"));
    EXPECT_EQ(q->FieldList->GetCheckedItem(), QStringList{QStringLiteral("CustomerID")});
    ASSERT_EQ(canvas()->Links().size(), 1);
    EXPECT_EQ(canvas()->Links()[0]->Row1, 2) << "the row follows the column";
    EXPECT_TRUE(q->FieldList->IsItemBold(2));
    EXPECT_TRUE(orders->FieldList->IsItemBold(customerId));
    EXPECT_FALSE(orders->FieldList->IsItemBold(shipCity));
    EXPECT_EQ(Entries(QStringLiteral("q.Region")).size(), 3) << "group list and two pick lists";
    EXPECT_EQ(Entries(QStringLiteral("q.CustomerID")).size(), 4)
        << "once each, and a sort candidate";
}

TEST_F(BoxTest, MovingByTheTitleShowsAnOutlineWithinTheCanvas) {
    TQBTable* a = Place(QStringLiteral("customers"));
    TQBTable* b = canvas()->InsertQTable(400, 200, QStringLiteral("q"),
                                         QStringLiteral("select CustomerID from customers"));
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

    TQBTable* box = Place(QStringLiteral("orders"));
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
    TQBTable* wide = canvas()->InsertQTable(10, 10, QStringLiteral("w"),
                                            QStringLiteral("select ") + columns.join(','));
    TQBTable* other =
        canvas()->InsertQTable(400, 10, QStringLiteral("o"), QStringLiteral("select 1 as x"));
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
    EXPECT_EQ(link->Geometry().bottom() + 1, std::max(wide->GetRowY(25), other->GetRowY(1)) + 7);
}

TEST_F(BoxTest, AColumnDraggedOntoAnotherBoxMakesALink) {
    TQBTable* customers = Place(QStringLiteral("customers"));
    TQBTable* orders = Place(QStringLiteral("orders"));
    ASSERT_TRUE(customers && orders);
    const int from = Row(orders, QStringLiteral("CustomerID"));
    const int to = Row(customers, QStringLiteral("CustomerID"));

    // A click that does not move past the drag distance stays a click.
    QWidget* vp = orders->FieldList->viewport();
    const QPoint at = orders->FieldList->visualItemRect(orders->FieldList->item(from)).center();
    Mouse(vp, QEvent::MouseButtonPress, at);
    Mouse(vp, QEvent::MouseMove, at + QPoint(1, 1));
    Mouse(vp, QEvent::MouseButtonRelease, at + QPoint(1, 1), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_EQ(orders->FieldList->currentRow(), from);

    DragColumn(orders, from, customers, to);
    ASSERT_EQ(canvas()->Links().size(), 1);
    TQBLink* link = canvas()->Links()[0];
    EXPECT_EQ(link->Table1, orders) << "the dragged column is the first end";
    EXPECT_EQ(link->Row1, from);
    EXPECT_EQ(link->Table2, customers);
    EXPECT_EQ(link->Row2, to);
    EXPECT_TRUE(customers->FieldList->IsItemBold(to));

    ui.ExpectMessage(QStringLiteral("表不能与自身建立链接！"), QString());
    DragColumn(orders, from, orders, Row(orders, QStringLiteral("ShipCity")));
    EXPECT_EQ(canvas()->Links().size(), 1);
}

TEST_F(BoxTest, TheDesignAsAValueRoundTrips) {
    TQBTable* customers = Place(QStringLiteral("customers"));
    TQBTable* orders = Place(QStringLiteral("orders"));
    ASSERT_TRUE(customers && orders);
    customers->Alias = QStringLiteral("c");
    Tick(orders, QStringLiteral("OrderDate"), true);
    TQBLink* link = canvas()->InsertLink(orders, customers, 2, 1);
    ASSERT_NE(link, nullptr);
    link->JoinType = 1;
    QueryDesign design;
    canvas()->ReadDesign(design);
    ASSERT_EQ(design.Links.size(), 1);
    EXPECT_EQ(design.Links[0].Table1, 1);
    EXPECT_EQ(design.Boxes[1].Fields[0].Name, QStringLiteral("*"));

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

// A four-table join with a link of every join type, photographed.
TEST_F(BoxTest, PictureOfTheCanvas) {
    QList<TQBTable*> boxes;
    for (const char* table : {"customers", "orders", "order_items", "products"})
        boxes << Place(QString::fromLatin1(table));
    ASSERT_EQ(canvas()->Tables().size(), 4);
    // Spread out as a user would, so that every line runs between facing edges.
    const QPoint spots[] = {{20, 20}, {280, 60}, {540, 20}, {540, 230}};
    for (int i = 0; i < 4; ++i)
        boxes[i]->move(spots[i]);
    auto link = [&](int t1, const char* c1, int t2, const char* c2, int type) {
        TQBLink* made =
            canvas()->InsertLink(boxes[t1], boxes[t2], Row(boxes[t1], QString::fromLatin1(c1)),
                                 Row(boxes[t2], QString::fromLatin1(c2)));
        ASSERT_NE(made, nullptr);
        made->JoinType = type;
    };
    link(1, "CustomerID", 0, "CustomerID", 0);
    link(2, "OrderID", 1, "OrderID", 1);
    link(2, "ProductID", 3, "ProductID", 2);
    link(0, "City", 1, "ShipCity", 3);
    Tick(boxes[0], QStringLiteral("CompanyName"), true);
    Tick(boxes[1], QStringLiteral("OrderDate"), true);
    QApplication::processEvents();
    const QString path =
        qEnvironmentVariable("QUILLARY_CANVAS_PNG", TestDir() + QStringLiteral("/canvas.png"));
    EXPECT_TRUE(canvas()->grab().save(path));
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

    DragColumn(orders, Row(orders, QStringLiteral("CustomerID")), customers,
               Row(customers, QStringLiteral("CustomerID")));
    DragColumn(items, Row(items, QStringLiteral("OrderID")), orders,
               Row(orders, QStringLiteral("OrderID")));
    DragColumn(items, Row(items, QStringLiteral("ProductID")), products,
               Row(products, QStringLiteral("ProductID")));
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
    choose(outer->mnu, QStringLiteral("链接属性"));
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
    choose(last->mnu, QStringLiteral("取消链接"));
    EXPECT_EQ(canvas()->Links().size(), 2);
    EXPECT_FALSE(products->FieldList->IsItemBold(Row(products, QStringLiteral("ProductID"))));
    rightClick(products->Title, QPoint(10, 8));
    ASSERT_TRUE(products->PopupMenu->isVisible());
    choose(products->PopupMenu, QStringLiteral("关闭表"));
    EXPECT_EQ(canvas()->Tables(), (QList<TQBTable*>{customers, orders, items}));
    EXPECT_EQ(canvas()->Links().size(), 2);
}
