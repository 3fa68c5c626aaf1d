#include "CanvasTestSupport.h"

#include "designer/LinkDialog.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const QList<std::pair<QString, TFieldType>> kColumns = {
    {"id", ftInteger}, {"price", ftFloat}, {"name", ftString},
    {"note", ftMemo},  {"memo", ftBlob},   {"qty", ftSmallint},
};

} // namespace

class LinkTest : public CanvasFixture {
protected:
    void SetUp() override {
        CanvasFixture::SetUp();
        Open();
        a = Box("A", QRect(10, 10, 150, 150), kColumns);
        b = Box("B", QRect(300, 10, 150, 150), kColumns);
    }
    TQBTable* a = nullptr;
    TQBTable* b = nullptr;
};

// The rules themselves are judged widget-free; here they reach the user.
TEST_F(LinkTest, TheLinkRulesRefuseWithAMessageOrLink) {
    ui.ExpectMessage("表不能与自身建立链接！", QString());
    EXPECT_EQ(canvas()->InsertLink(a, a, 1, 2), nullptr);
    EXPECT_EQ(canvas()->InsertLink(a, b, 0, 1), nullptr) << "the star row, silently";
    EXPECT_FALSE(a->FieldList->IsItemBold(1));
    EXPECT_NE(canvas()->InsertLink(a, b, 1, 6), nullptr) << "integer and small integer";
    ui.ExpectMessage("These tables are already linked.", QString());
    EXPECT_EQ(canvas()->InsertLink(b, a, 6, 1), nullptr);
    EXPECT_EQ(canvas()->Links().size(), 1);
    EXPECT_TRUE(a->FieldList->IsItemBold(1));
    EXPECT_FALSE(canvas()->FindLink(canvas()->Links().first()));
}

TEST_F(LinkTest, AnEndBeyondTheColumnsIsKeptMissingUntilTheNextUpdate) {
    ui.ExpectMessage("表B不存在第10列！", "提示！");
    TQBLink* link = canvas()->InsertLink(a, b, 2, 9);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Row2, -1);
    EXPECT_TRUE(link->Field2.isEmpty());
    EXPECT_TRUE(a->FieldList->IsItemBold(2));
    canvas()->ReboundLinks4Table(b);
    EXPECT_TRUE(canvas()->Links().isEmpty());
    EXPECT_FALSE(a->FieldList->IsItemBold(2));
}

TEST_F(LinkTest, BoldStaysWhileAnotherLinkUsesTheRow) {
    TQBTable* c = Box("C", QRect(10, 300, 150, 150), kColumns);
    TQBLink* ab = canvas()->InsertLink(a, b, 1, 1);
    TQBLink* ac = canvas()->InsertLink(a, c, 1, 6);
    ASSERT_TRUE(ab && ac);
    EXPECT_TRUE(canvas()->FindOtherLink(ab, a, 1));
    EXPECT_FALSE(canvas()->FindOtherLink(ab, b, 1));
    ab->mnuUnlink->trigger();
    EXPECT_TRUE(a->FieldList->IsItemBold(1)) << "A.id still joins C";
    EXPECT_FALSE(b->FieldList->IsItemBold(1));
    canvas()->Unlink(ac);
    EXPECT_FALSE(a->FieldList->IsItemBold(1));
    EXPECT_FALSE(c->FieldList->IsItemBold(6));
    EXPECT_TRUE(canvas()->Links().isEmpty());
}

// Placement of the two boxes against the link's rectangle and line.
TEST_F(LinkTest, GeometryFollowsThePlacementOfTheBoxes) {
    struct Case {
        int LeftA, WidthA, LeftB, WidthB;
        int Horizontal, XLeft, XRight;
    };
    const Case cases[] = {
        {10, 150, 200, 150, 1, 160, 200}, // apart, A on the left
        {10, 150, 175, 150, 2, 160, 340}, // a gap of exactly 15: loops beyond B
        {10, 300, 100, 100, 3, 200, 325}, // B inside A's extent
        {300, 100, 10, 150, 4, 160, 300}, // apart, B on the left
        {175, 100, 10, 150, 4, 160, 175}, // a gap of exactly 15 on that side
        {150, 100, 10, 150, 3, 160, 265}, {100, 100, 10, 300, 2, 200, 325},
        {10, 150, 10, 150, 3, 160, 175}, // one above the other
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.LeftA << "/" << c.WidthA << " " << c.LeftB << "/" << c.WidthB);
        a->setGeometry(c.LeftA, 10, c.WidthA, 150);
        b->setGeometry(c.LeftB, 200, c.WidthB, 150);
        TQBLink* link = canvas()->InsertLink(a, b, 1, 1);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->HorizontalCase, c.Horizontal);
        EXPECT_EQ(link->Geometry().left(), c.XLeft);
        EXPECT_EQ(link->Geometry().left() + link->Geometry().width(), c.XRight);
        EXPECT_EQ(link->VerticalCase, 1) << "A's row is above B's";
        EXPECT_EQ(link->Geometry().top(), a->GetRowY(1) - 7);
        EXPECT_EQ(link->Geometry().bottom() + 1, b->GetRowY(1) + 7);
        canvas()->Unlink(link);
    }
}

TEST_F(LinkTest, LinePointsHitRegionAndEndMarks) {
    struct Case {
        const char* What;
        QRect A, B;
        int Row1, Row2;
        int Horizontal, Vertical;
        bool P0IsA;
    };
    const Case cases[] = {
        {"A left, row above", {10, 10, 150, 150}, {300, 10, 150, 150}, 1, 6, 1, 1, true},
        {"A left, row below", {10, 10, 150, 150}, {300, 10, 150, 150}, 6, 1, 1, 2, false},
        {"A right, row above", {300, 10, 150, 150}, {10, 10, 150, 150}, 1, 6, 4, 1, true},
        {"overlapping, loop beyond B", {10, 10, 150, 150}, {170, 10, 150, 150}, 1, 6, 2, 1, true},
        {"overlapping, loop beyond A", {10, 10, 300, 150}, {100, 200, 100, 150}, 6, 1, 3, 1, true},
        {"one above the other, narrow", {10, 10, 150, 150}, {10, 200, 150, 150}, 1, 1, 3, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        a->setGeometry(c.A);
        b->setGeometry(c.B);
        TQBLink* link = canvas()->InsertLink(a, b, c.Row1, c.Row2);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->HorizontalCase, c.Horizontal);
        EXPECT_EQ(link->VerticalCase, c.Vertical);
        const int w = link->Geometry().width(), h = link->Geometry().height();
        const auto& p = link->Points();
        std::array<QPoint, 4> expected;
        const bool narrow = w < 28 && (c.Horizontal == 2 || c.Horizontal == 3);
        const bool first = (c.Horizontal == 1 || c.Horizontal == 2) == (c.Vertical == 1);
        if (narrow)
            expected = {QPoint(0, 7), QPoint(w - 12, 7), QPoint(w - 12, h - 7), QPoint(0, h - 7)};
        else if (c.Horizontal == 1 || c.Horizontal == 4)
            expected = first ? std::array{QPoint(0, 7), QPoint(15, 7), QPoint(w - 15, h - 7),
                                          QPoint(w, h - 7)}
                             : std::array{QPoint(w, 7), QPoint(w - 15, 7), QPoint(15, h - 7),
                                          QPoint(0, h - 7)};
        else
            expected = first ? std::array{QPoint(0, 7), QPoint(15, 7), QPoint(w - 5, h - 7),
                                          QPoint(w - 15, h - 7)}
                             : std::array{QPoint(w - 15, 7), QPoint(w - 5, 7), QPoint(15, h - 7),
                                          QPoint(0, h - 7)};
        EXPECT_EQ(p, expected);

        // Only points near the middle segment belong to the link.
        const QPoint middle = (p[1] + p[2]) / 2;
        EXPECT_TRUE(link->CMHitTest(middle));
        EXPECT_EQ(canvas()->LinkAt(link->Geometry().topLeft() + middle), link);
        const QPoint beside(p[1].x() < p[2].x() ? w - 2 : 2, 1);
        EXPECT_FALSE(link->CMHitTest(beside));
        EXPECT_EQ(canvas()->LinkAt(link->Geometry().topLeft() + beside), nullptr);

        // Join type 1 marks B's end, 2 A's end, 3 both, 0 none.
        for (int type = 0; type <= 3; ++type) {
            link->JoinType = type;
            const bool atA = type == 2 || type == 3;
            const bool atB = type == 1 || type == 3;
            EXPECT_EQ(link->MarkAtP0(), c.P0IsA ? atA : atB) << "type " << type;
            EXPECT_EQ(link->MarkAtP3(), c.P0IsA ? atB : atA) << "type " << type;
        }
        canvas()->Unlink(link);
    }
}

TEST_F(LinkTest, AnEndMarkIsAnArrowHeadTouchingTheBox) {
    using Mark = std::array<QPoint, 3>;
    EXPECT_EQ(TQBLink::EndMark(QPoint(0, 7), QPoint(15, 7)),
              (Mark{QPoint(3, 10), QPoint(0, 7), QPoint(3, 4)}));
    EXPECT_EQ(TQBLink::EndMark(QPoint(100, 30), QPoint(85, 30)),
              (Mark{QPoint(97, 27), QPoint(100, 30), QPoint(97, 33)}));
}

TEST_F(LinkTest, ALinkOfABoxWithItselfLoopsBesideIt) {
    QueryDesign design;
    canvas()->ReadDesign(design);
    design.Links.append(TDesignLink{0, 0, 1, 3, "id", "name", 0, {}});
    design.Boxes.removeAt(1);
    design.Boxes[0].Left = 500;
    canvas()->ApplyDesign(design);
    TQBLink* link = canvas()->Links().last();
    const int w = link->Geometry().width(), h = link->Geometry().height();
    EXPECT_EQ(link->Geometry().left(), 650);
    EXPECT_EQ(w, 15);
    EXPECT_EQ(link->Points(),
              (std::array{QPoint(0, 7), QPoint(10, 7), QPoint(10, h - 7), QPoint(0, h - 7)}));
    EXPECT_TRUE(canvas()->Tables().last()->FieldList->IsItemBold(3));
}

TEST_F(LinkTest, LinkDialogChangesColumnsAndJoinType) {
    b->Alias = "bb";
    TQBLink* link = canvas()->InsertLink(a, b, 1, 1);
    ASSERT_NE(link, nullptr);
    ASSERT_NE(canvas()->InsertLink(a, b, 3, 3), nullptr); // keeps A.name bold
    form->SetDSN(dsAccess);
    ui.AnswerModal([](QDialog* d) {
        auto* dialog = qobject_cast<Tfrm_link*>(d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return int(mrCancel);
        EXPECT_EQ(dialog->windowTitle(), "连接属性");
        EXPECT_EQ(dialog->Label1->text(), "左表名称 A");
        EXPECT_EQ(dialog->Label2->text(), "右表名称 B(bb)");
        EXPECT_EQ(dialog->ComboBox1->count(), 6) << "every column but *";
        EXPECT_EQ(dialog->ComboBox2->geometry().topLeft(), QPoint(297, 32));
        // The further condition lives inside the join types' frame: the
        // dialog keeps its size and its buttons' places.
        EXPECT_EQ(dialog->size(), QSize(433, 206));
        EXPECT_EQ(dialog->RadioType->geometry(), QRect(2, 56, 427, 113));
        EXPECT_EQ(dialog->bt_ok->geometry().topLeft(), QPoint(81, 179));
        EXPECT_EQ(dialog->bt_cancel->geometry().topLeft(), QPoint(273, 179));
        EXPECT_TRUE(dialog->RadioType->isAncestorOf(dialog->EditCondition));
        EXPECT_EQ(dialog->ComboBox1->currentText(), "id");
        EXPECT_EQ(dialog->RadioType->Items(),
                  (QStringList{"只包含来自两个表的连接字段相等处的行",
                               "包括所有表'A'的记录和那些连接字段相同的'B(bb)'记录",
                               "包括所有表'B(bb)'的记录和那些连接字段相同的'A'记录",
                               "包含两表的所有行"}));
        EXPECT_EQ(dialog->RadioType->ItemIndex(), 0);
        EXPECT_EQ(dialog->EditCondition->text(), "");
        dialog->ComboBox1->setCurrentIndex(2); // name
        dialog->ComboBox2->setCurrentIndex(2);
        dialog->RadioType->SetItemIndex(3);
        dialog->EditCondition->setText(" bb.price > 10 ");
        return int(mrOk);
    });
    link->mnuOptions->trigger();
    EXPECT_EQ(link->Row1, 3);
    EXPECT_EQ(link->Field1, "name");
    EXPECT_EQ(link->Field2, "name");
    EXPECT_EQ(link->JoinType, 3);
    EXPECT_EQ(link->Condition, "bb.price > 10") << "a further condition of the join, trimmed";
    QueryDesign design;
    canvas()->ReadDesign(design);
    EXPECT_EQ(design.Links.value(0).Condition, "bb.price > 10") << "the design carries it";
    EXPECT_FALSE(a->FieldList->IsItemBold(1));
    EXPECT_TRUE(a->FieldList->IsItemBold(3));

    // Cancel changes nothing; Oracle offers three join types, so the full
    // outer join shows as the last one left.
    form->SetDSN(dsOracle);
    ui.AnswerModal([](QDialog* d) {
        auto* dialog = qobject_cast<Tfrm_link*>(d);
        EXPECT_EQ(dialog->RadioType->Items().size(), 3);
        EXPECT_EQ(dialog->RadioType->ItemIndex(), 2);
        EXPECT_EQ(dialog->EditCondition->text(), "bb.price > 10");
        dialog->ComboBox1->setCurrentIndex(0);
        return int(mrCancel);
    });
    canvas()->SetOptions(link);
    EXPECT_EQ(link->Row1, 3);
    EXPECT_EQ(link->JoinType, 3);
    canvas()->SetOptions(a); // not a link: nothing
}

TEST_F(LinkTest, RightClickOnTheLinePopsItsMenuBesideItTheCanvasMenu) {
    TQBLink* link = canvas()->InsertLink(a, b, 1, 6);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->mnuLinkName->text(), "A :: B");
    const auto& p = link->Points();
    const QPoint on = link->Geometry().topLeft() + (p[1] + p[2]) / 2;
    QWidget* surface = canvas()->Surface();
    QContextMenuEvent onLine(QContextMenuEvent::Mouse, on, surface->mapToGlobal(on));
    QApplication::sendEvent(surface, &onLine);
    EXPECT_TRUE(link->mnu->isVisible());
    EXPECT_FALSE(canvas()->mnu->isVisible());
    link->mnu->hide();
    const QPoint off = link->Geometry().topLeft() + QPoint(p[2].x(), p[1].y());
    QContextMenuEvent beside(QContextMenuEvent::Mouse, off, surface->mapToGlobal(off));
    QApplication::sendEvent(surface, &beside);
    EXPECT_TRUE(canvas()->mnu->isVisible());
    canvas()->mnu->hide();

    // A table let go over the line lands at the drop point.
    EXPECT_EQ(canvas()->LinkAt(on), link);
    form->QBTables->setCurrentItem(form->QBTables->findItems("products", Qt::MatchExactly).first());
    canvas()->_DragDrop(form->QBTables, on);
    EXPECT_EQ(canvas()->Tables().last()->pos(), on);
}

