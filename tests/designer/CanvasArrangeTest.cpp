#include "CanvasTestSupport.h"

#include "designer/QuillaryDialog.h"
#include "query/Layout.h"

#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// How many pixels of the link's line lie outside every box: what the user
// sees of it between the boxes.
int VisibleLength(const TQBLink* link, const QList<TQBTable*>& boxes) {
    const std::array<QPoint, 4>& p = link->Points();
    const QPoint origin = link->Geometry().topLeft();
    int visible = 0;
    for (int s = 0; s < 3; ++s) {
        const QPoint a = origin + p[s], b = origin + p[s + 1];
        const int steps = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
        for (int k = 0; k < steps; ++k) {
            const QPoint at = a + (b - a) * k / steps;
            if (std::none_of(boxes.begin(), boxes.end(),
                             [&](const TQBTable* box) { return box->geometry().contains(at); }))
                ++visible;
        }
    }
    return visible;
}

} // namespace

class ArrangeTest : public CanvasFixture {
protected:
    ArrangeTest() { dialog.IsDesignCommands = true; }
    QueryDesign Read() const {
        QueryDesign design;
        canvas()->ReadDesign(design);
        return design;
    }
    void ExpectReadable() {
        EXPECT_FALSE(BoxesOverlap(Read()));
        for (const TQBLink* link : canvas()->Links())
            EXPECT_GE(VisibleLength(link, canvas()->Tables()), 40 * canvas()->Zoom())
                << link->Table1->GetTableName().toStdString() << " - "
                << link->Table2->GetTableName().toStdString();
    }
    // Every box lies wholly in what the canvas shows.
    void ExpectAllShown() {
        const QRect shown = canvas()->viewport()->rect();
        for (const TQBTable* box : canvas()->Tables()) {
            const QRect at(box->mapTo(canvas()->viewport(), QPoint(0, 0)), box->size());
            EXPECT_TRUE(shown.contains(at)) << box->GetTableName().toStdString();
        }
    }
    QList<QRect> Shown() const {
        QList<QRect> rects;
        for (const TQBTable* box : canvas()->Tables())
            rects << box->geometry();
        return rects;
    }
    // The canvas as the user sees it, kept where QUILLARY_TEST_PICTURES
    // names a folder.
    void Picture(const char* name) {
        const QString folder = qEnvironmentVariable("QUILLARY_TEST_PICTURES", TestDir());
        EXPECT_TRUE(form->Canvas()->grab().save(QDir(folder).filePath(QString::fromLatin1(name))));
    }
};

TEST_F(ArrangeTest, ARebuiltJoinOfFourTablesIsLaidOutWhenTheDialogAsks) {
    dialog.IsAutoArrange = true;
    Open();
    ASSERT_TRUE(form->Forge("select c.City, p.ProductName from customers c "
                            "join orders o on c.CustomerID = o.CustomerID "
                            "join order_items i on o.OrderID = i.OrderID "
                            "left join products p on i.ProductID = p.ProductID"));
    ASSERT_EQ(canvas()->Tables().size(), 4);
    ASSERT_EQ(canvas()->Links().size(), 3);
    ExpectReadable();
    Picture("arranged-4.png");

    // Placing one more table arranges again.
    form->QBTables->setCurrentItem(form->QBTables->findItems("suppliers", Qt::MatchExactly)[0]);
    form->QBTablesDblClick();
    ASSERT_EQ(canvas()->Tables().size(), 5);
    EXPECT_FALSE(BoxesOverlap(Read()));
}

TEST_F(ArrangeTest, TwentyBoxesArrangedAndShownWholeInOneStepThatUndoTakesBack) {
    Open();
    form->resize(dialog.Form_Width, dialog.Form_Height); // the window as it first opens
    QApplication::processEvents();
    // A tree of twenty boxes, each of a few columns, all in one place.
    for (int i = 0; i < 20; ++i)
        Box(QStringLiteral("t%1").arg(i), QRect(10 + i * 5, 10 + i * 5, 140, 110),
            {{"id", ftInteger}, {"parent", ftInteger}, {"name", ftString}});
    const QList<TQBTable*> boxes = canvas()->Tables();
    for (int i = 1; i < 20; ++i)
        ASSERT_TRUE(canvas()->InsertLink(boxes[(i - 1) / 3], boxes[i], 1, 2));
    form->Checkpoint();
    const QueryDesign before = Read();
    ASSERT_TRUE(BoxesOverlap(before));

    form->TB_Arrange->click();
    ExpectReadable();
    ExpectAllShown();
    EXPECT_LT(canvas()->Zoom(), 1.0) << "twenty boxes do not fit the first window at full size";
    Picture("arranged-20.png");
    const QueryDesign arranged = Read();
    EXPECT_EQ(arranged.Links, before.Links) << "only the places change";

    form->UndoClick();
    EXPECT_EQ(Read().Boxes, before.Boxes) << "one undo step takes the arrangement back";
    form->RedoClick();
    EXPECT_EQ(Read().Boxes, arranged.Boxes);
}

TEST_F(ArrangeTest, DeleteClosesTheActiveBoxAndF5ShowsTheRows) {
    Open();
    for (const char* table : {"customers", "orders"}) {
        form->QBTables->setCurrentItem(form->QBTables->findItems(table, Qt::MatchExactly)[0]);
        form->QBTablesDblClick();
    }
    ASSERT_EQ(canvas()->Tables().size(), 2);
    TQBTable* customers = canvas()->Tables().first();
    TQBTable* orders = canvas()->Tables().last();
    canvas()->Arrange();
    const TQBLink* link = canvas()->InsertLink(customers, orders, 1, 2);
    ASSERT_TRUE(link);
    QApplication::setActiveWindow(form.get());

    // A click on the link selects it; Delete then removes the link only.
    const QPoint middle = link->Geometry().topLeft() + (link->Points()[1] + link->Points()[2]) / 2;
    Mouse(canvas()->Surface(), QEvent::MouseButtonPress, middle);
    Mouse(canvas()->Surface(), QEvent::MouseButtonRelease, middle, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(canvas()->SelectedLink(), link);
    canvas()->Surface()->setFocus();
    QTest::keyClick(canvas()->Surface(), Qt::Key_Delete);
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_EQ(canvas()->SelectedLink(), nullptr);
    EXPECT_FALSE(customers->FieldList->IsItemBold(1)) << "removed with its clean-up";
    ASSERT_EQ(canvas()->Tables().size(), 2);

    // A box made active lets a selected link go: Delete closes the box.
    ASSERT_TRUE(canvas()->InsertLink(customers, orders, 1, 2));
    Mouse(canvas()->Surface(), QEvent::MouseButtonPress, middle);
    orders->ApplyActivationRule();
    EXPECT_EQ(canvas()->SelectedLink(), nullptr);
    customers->FieldList->setFocus();
    QTest::keyClick(customers->FieldList, Qt::Key_Delete);
    ASSERT_EQ(canvas()->Tables().size(), 1) << "the active box, not the one with the focus";
    EXPECT_EQ(canvas()->Tables().first()->GetTableName(), "customers");
    EXPECT_FALSE(Texts(form->GroupList).contains("orders.OrderID")) << "closed with its clean-up";

    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_Delete); // text keys stay the text's
    EXPECT_EQ(canvas()->Tables().size(), 1);
    QTest::keyClick(form->Memo1, Qt::Key_F5);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TS_Query);
}

TEST_F(ArrangeTest, LinksOfBoxesThatOverlapOrTouchAreDrawnAboveThem) {
    Open();
    const QList<std::pair<QString, TFieldType>> columns = {{"id", ftInteger}, {"y", ftInteger}};
    TQBTable* a = Box("a", QRect(20, 20, 140, 110), columns);
    TQBTable* b = Box("b", QRect(100, 60, 140, 110), columns); // over a
    TQBTable* c = Box("c", QRect(300, 20, 140, 110), columns);
    TQBTable* d = Box("d", QRect(440, 20, 140, 110), columns); // touching c
    TQBTable* e = Box("e", QRect(300, 250, 140, 110), columns); // apart
    const QList<TQBLink*> links = {canvas()->InsertLink(a, b, 1, 2),
                                   canvas()->InsertLink(c, d, 2, 1),
                                   canvas()->InsertLink(c, e, 1, 1)};
    ASSERT_FALSE(links.contains(nullptr));
    EXPECT_TRUE(canvas()->IsCrowded(links[0]));
    EXPECT_TRUE(canvas()->IsCrowded(links[1]));
    EXPECT_FALSE(canvas()->IsCrowded(links[2]));
    // The layer they are drawn on lies above every box, also after a box is
    // brought forward, covers the canvas and takes no mouse event.
    c->ApplyActivationRule();
    const QWidget* layer = canvas()->Surface()->findChild<QWidget*>("QBAreaLinkOverlay");
    ASSERT_TRUE(layer);
    EXPECT_EQ(canvas()->Surface()->children().last(), layer);
    EXPECT_EQ(layer->geometry(), canvas()->Surface()->rect());
    EXPECT_TRUE(layer->testAttribute(Qt::WA_TransparentForMouseEvents));
    Picture("crowded.png");
}

TEST_F(ArrangeTest, ZoomScalesWhatIsShownAndNeverTheDesign) {
    Open();
    ASSERT_TRUE(form->Forge("select c.City, o.OrderDate from customers c "
                            "left join orders o on c.CustomerID = o.CustomerID "
                            "left join order_items i on o.OrderID = i.OrderID"));
    const QueryDesign design = Read();
    const QList<QRect> full = Shown();
    TQBTable* box = canvas()->Tables().first();
    const int rowHeight = box->FieldList->ItemHeight();
    const int checkWidth = box->FieldList->GetCheckW();

    canvas()->SetZoom(0.5);
    EXPECT_EQ(Read().Boxes, design.Boxes);
    EXPECT_EQ(Read().Links, design.Links);
    for (qsizetype i = 0; i < full.size(); ++i) {
        const QRect at = Shown()[i];
        EXPECT_NEAR(at.left(), full[i].left() / 2, 1);
        EXPECT_NEAR(at.width(), full[i].width() / 2, 1);
    }
    EXPECT_LT(box->FieldList->ItemHeight(), rowHeight * 3 / 4) << "rows shrink with the text";
    EXPECT_LT(box->FieldList->GetCheckW(), checkWidth) << "and so do the check marks";
    for (const TQBLink* link : canvas()->Links()) {
        // Each end of a link meets a side of its box, at a row.
        const QPoint origin = link->Geometry().topLeft();
        for (const QPoint end : {origin + link->Points()[0], origin + link->Points()[3]}) {
            const bool onSide = std::any_of(
                canvas()->Tables().begin(), canvas()->Tables().end(), [&](const TQBTable* b) {
                    const QRect g = b->geometry();
                    return (b == link->Table1 || b == link->Table2) &&
                           (end.x() == g.left() || end.x() == g.left() + g.width()) &&
                           end.y() > g.top() + b->TitleHeight() && end.y() <= g.bottom();
                });
            EXPECT_TRUE(onSide) << end.x() << "," << end.y();
        }
    }
    EXPECT_FALSE(form->TB_Undo->isEnabled()) << "zooming is no step of the design";

    // However small, a link tells its join when the mouse rests on it.
    const TQBLink* outer = canvas()->Links().first();
    const QPoint middle = outer->Geometry().topLeft() + (outer->Points()[1] + outer->Points()[2]) / 2;
    ASSERT_EQ(canvas()->LinkAt(middle), outer);
    QHelpEvent hover(QEvent::ToolTip, middle, canvas()->Surface()->mapToGlobal(middle));
    QApplication::sendEvent(canvas()->Surface(), &hover);
    EXPECT_EQ(QToolTip::text(), "c.CustomerID = o.CustomerID\n外连接：包括 c 的所有行");
    Picture("zoomed.png");

    // Moved by 20 pixels at half size, the box moves 40 in the design.
    const QPoint title = box->Title->mapToGlobal(QPoint(5, 5));
    box->TitleMouseDown(Qt::LeftButton, title);
    canvas()->SetZoom(2.0);
    EXPECT_EQ(canvas()->Zoom(), 0.5) << "not while a box moves";
    box->TitleMouseUp(title + QPoint(20, 10));
    EXPECT_EQ(Read().Boxes[0].Left, design.Boxes[0].Left + 40);
    EXPECT_EQ(Read().Boxes[0].Top, design.Boxes[0].Top + 20);

    // Ctrl+wheel over a list steps the zoom; the canvas point under the
    // mouse stays under it.
    TQBTable* last = canvas()->Tables().last();
    QWidget* list = last->FieldList->viewport();
    const QPoint mouse = list->rect().center();
    const QPoint before = list->mapTo(canvas()->Surface(), mouse);
    QWheelEvent wheel(QPointF(mouse), QPointF(list->mapToGlobal(mouse)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &wheel);
    EXPECT_EQ(canvas()->Zoom(), 0.67);
    const QPoint viewBefore = canvas()->Surface()->mapTo(canvas()->viewport(), before * 0.67 / 0.5);
    EXPECT_LE((viewBefore - canvas()->viewport()->mapFromGlobal(list->mapToGlobal(mouse)))
                  .manhattanLength(),
              30);

    // Ctrl+0: back to full size, where nothing has drifted.
    QApplication::setActiveWindow(form.get());
    box->FieldList->setFocus();
    QTest::keyClick(box->FieldList, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(canvas()->Zoom(), 1.0);
    for (qsizetype i = 1; i < full.size(); ++i)
        EXPECT_EQ(Shown()[i], full[i]);
    EXPECT_EQ(Shown()[0], full[0].translated(40, 20));
    EXPECT_EQ(box->FieldList->style(), QApplication::style());
    EXPECT_EQ(box->FieldList->ItemHeight(), rowHeight);
}

TEST_F(ArrangeTest, ABoxPlacedWhileZoomedTakesItsNaturalSizeInTheDesign) {
    Open();
    canvas()->SetZoom(0.5);
    form->QBTables->setCurrentItem(form->QBTables->findItems("products", Qt::MatchExactly)[0]);
    form->QBTablesDblClick();
    ASSERT_EQ(canvas()->Tables().size(), 1);
    const TDesignBox placed = Read().Boxes[0];
    const QSize natural = TQBTable::SizeFor(placed);
    // Small type is not quite proportional: within a fifth.
    EXPECT_NEAR(placed.Width, natural.width(), natural.width() / 5);
    EXPECT_NEAR(placed.Height, natural.height(), natural.height() / 5);

    // Fitting a small design never enlarges it past full size.
    canvas()->FitToWindow();
    EXPECT_EQ(canvas()->Zoom(), 1.0);
    EXPECT_EQ(Read().Boxes[0], placed);
}
