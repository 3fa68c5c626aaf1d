// The in-place editor and its pick list: loading and writing cells, the
// button strip per edit mode, drop-down geometry, accepting and rejecting,
// incremental search, the ellipsis button and read-only cells.
#include "GridTestSupport.h"

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

const QStringList Operators{"=",    ">",        "<",  ">=", "<=",     "<>",
                            "like", "not like", "is", "in", "not in", ""};

// A condition-like grid: a free column, a pick-list column, an ellipsis
// column and a no-edit column, editing always on.
struct EditorFixture : ::testing::Test {
    std::unique_ptr<TStringGridEx> grid;

    void SetUp() override {
        grid = std::make_unique<TStringGridEx>();
        grid->SetRowCount(9);
        grid->PropValues()->Items(1)->SetPropertyLabel(QStringLiteral("字段名或表达式"));
        grid->AddPropertyCol(QStringLiteral("关系运算符"), QStringLiteral("="), emPickList);
        grid->PropValues()->Items(2)->SetPickList(Operators);
        grid->AddPropertyCol(QStringLiteral("表达式"), QString(), emEllipsis);
        grid->AddPropertyCol(QStringLiteral("备注"), QString(), emNoEdit);
        grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor + goTabs);
        grid->resize(480, 220);
        ShowActive(grid.get());
    }
    void TearDown() override {
        if (TPropertyInplaceEdit* e = editor())
            if (e->ListVisible()) e->CloseUp(false);
        grid.reset();
    }
    TPropertyInplaceEdit* editor() const { return grid->InplaceEditor(); }
    TPopupListbox* list() const { return editor() ? editor()->ActiveList() : nullptr; }
    void GoTo(int col, int row) {
        grid->SetCol(col);
        grid->SetRow(row);
        ASSERT_NE(editor(), nullptr);
        ASSERT_TRUE(editor()->isVisible());
    }
    QPoint ButtonCenter() const { return editor()->ButtonRect().center(); }
    void OpenList() {
        QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
        QTest::mouseRelease(editor(), Qt::LeftButton, {}, ButtonCenter());
        ASSERT_TRUE(editor()->ListVisible());
    }
};

} // namespace

TEST_F(EditorFixture, AlwaysShownEditorLoadsTheCellAndCellsFollowTyping) {
    ASSERT_NE(editor(), nullptr);
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->geometry(), grid->CellRect(1, 1));
    EXPECT_EQ(editor()->EditMode(), emSimple);

    int setEdits = 0;
    int cellChanges = 0;
    QObject* changeSender = nullptr;
    grid->OnSetEditText = [&](QObject*, int, int, const QString&) { ++setEdits; };
    grid->OnCellChange = [&](QObject* sender) {
        ++cellChanges;
        changeSender = sender;
    };
    TypeText(QStringLiteral("ab"));
    EXPECT_EQ(grid->GetCells(1, 1), QStringLiteral("ab"));
    EXPECT_EQ(setEdits, 2);
    EXPECT_EQ(cellChanges, 2); // once per change, not twice
    EXPECT_EQ(changeSender, editor());
    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(grid->GetCells(1, 1), QStringLiteral("a"));

    // Down goes to the grid; the editor follows onto the next row.
    grid->SetCells(1, 2, QStringLiteral("next"));
    PressKey(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(editor()->text(), QStringLiteral("next"));
    EXPECT_EQ(editor()->geometry(), grid->CellRect(1, 2));
    EXPECT_TRUE(editor()->hasSelectedText());

    // Left and Right leave the editor only at its edges.
    editor()->setCursorPosition(2);
    editor()->deselect();
    PressKey(Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 1);
    editor()->setCursorPosition(int(editor()->text().size()));
    PressKey(Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    PressKey(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(grid->Col(), 1);

    // A write from outside into the current cell reloads the editor.
    grid->SetCells(1, 2, QStringLiteral("reloaded"));
    EXPECT_EQ(editor()->text(), QStringLiteral("reloaded"));

    // Enter toggles the selection while the editor always shows.
    editor()->selectAll();
    PressKey(Qt::Key_Return);
    EXPECT_FALSE(editor()->hasSelectedText());
    EXPECT_EQ(editor()->cursorPosition(), 8);
    PressKey(Qt::Key_Return);
    EXPECT_EQ(editor()->selectedText(), QStringLiteral("reloaded"));
    EXPECT_TRUE(editor()->isVisible());
}

TEST_F(EditorFixture, ButtonStripPerEditMode) {
    const int strip = editor()->ButtonWidth() + 2;
    // column, mode, right margin, has a list
    const std::tuple<int, TPropEditMode, int, bool> columns[] = {
        {1, emSimple, 2, false},
        {2, emPickList, strip, true},
        {3, emEllipsis, strip, false},
        {4, emNoEdit, strip, false},
    };
    for (const auto& [col, mode, margin, hasList] : columns) {
        GoTo(col, 1);
        EXPECT_EQ(editor()->EditMode(), mode) << col;
        EXPECT_EQ(editor()->textMargins().right(), margin) << col;
        EXPECT_EQ(editor()->ActiveList() != nullptr, hasList) << col;
    }
    EXPECT_EQ(editor()->ButtonRect(), QRect(editor()->width() - editor()->ButtonWidth(), 0,
                                            editor()->ButtonWidth(), editor()->height()));
    // Text can still be typed into a no-edit column.
    TypeText(QStringLiteral("note"));
    EXPECT_EQ(grid->GetCells(4, 1), QStringLiteral("note"));
    // Pressing the empty strip does nothing.
    QTest::mouseClick(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_FALSE(editor()->ListVisible());

    // A changed edit mode shows when the editor reloads.
    GoTo(1, 1);
    grid->PropValues()->Items(1)->SetEditMode(emEllipsis);
    EXPECT_EQ(editor()->EditMode(), emSimple); // not yet
    grid->ChangePropertyCol(1, QStringLiteral("字段"), QString(), emPickList);
    EXPECT_EQ(editor()->EditMode(), emPickList);
}

TEST_F(EditorFixture, PickListOpensBelowWithTheColumnsEntries) {
    GoTo(2, 1);
    grid->SetCells(2, 1, QStringLiteral("like")); // the cell's text is not highlighted
    OpenList();
    TPopupListbox* l = list();
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(l->isVisible());
    EXPECT_TRUE(l->isWindow());
    EXPECT_EQ(l->count(), Operators.size());
    EXPECT_EQ(l->currentRow(), 0); // the column's value "="
    // 12 entries, 7 rows shown: the list scrolls.
    EXPECT_EQ(l->height(), 7 * l->ItemHeight() + 4);
    EXPECT_TRUE(l->verticalScrollBar()->isVisible());
    // Not narrower than the column; opens just below the editor.
    EXPECT_EQ(l->viewport()->width(), grid->ColWidths(2));
    const QPoint editorTopLeft = editor()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(l->geometry().topLeft(),
              QPoint(editorTopLeft.x(), editorTopLeft.y() + editor()->height()));
    EXPECT_TRUE(editor()->hasFocus() || QApplication::activePopupWidget() == l);

    // Esc rejects.
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_FALSE(l->isVisible());
    EXPECT_EQ(grid->GetCells(2, 1), QStringLiteral("like"));

    // Alt+Down opens, arrows move, Enter accepts.
    PressKey(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor()->ListVisible());
    PressKey(Qt::Key_Down);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(l->currentRow(), 2);
    PressKey(Qt::Key_Return);
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 1), QStringLiteral("<"));
    EXPECT_EQ(editor()->text(), QStringLiteral("<")); // the editor reloaded

    // Alt+Up while open accepts too.
    QTest::keyClick(editor(), Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor()->ListVisible());
    QTest::keyClick(l, Qt::Key_End);
    QTest::keyClick(editor(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 1), QString()); // the last entry is empty
}

TEST_F(EditorFixture, PickListByMouse) {
    GoTo(2, 3);
    int cellChanges = 0;
    grid->OnCellChange = [&](QObject*) { ++cellChanges; };
    OpenList();
    TPopupListbox* l = list();
    // Click an entry: accepted.
    const QRect likeRect = l->visualItemRect(l->item(6));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, likeRect.center());
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 3), QStringLiteral("like"));
    EXPECT_EQ(cellChanges, 1); // the accepted entry is one cell change

    // A press outside rejects.
    OpenList();
    QTest::keyClick(l, Qt::Key_Down);
    QTest::mousePress(l, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 3), QStringLiteral("like"));

    // A press on the button while open closes without accepting.
    OpenList();
    QTest::keyClick(l, Qt::Key_Home);
    QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_FALSE(editor()->ListVisible());
    QTest::mouseRelease(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 3), QStringLiteral("like"));

    // Press on the button, drag into the list, release on an entry.
    QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
    ASSERT_TRUE(editor()->ListVisible());
    EXPECT_TRUE(editor()->Tracking());
    EXPECT_TRUE(editor()->Pressed());
    const QPoint target = l->visualItemRect(l->item(5)).center();
    QTest::mouseMove(l->viewport(), target);
    EXPECT_FALSE(editor()->Tracking());
    QTest::mouseRelease(l->viewport(), Qt::LeftButton, {}, target);
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 3), QStringLiteral("<>"));

    // Released on the button itself (through the pop-up): the list stays open.
    QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
    const QPoint onButton = l->mapFromGlobal(editor()->mapToGlobal(ButtonCenter()));
    QTest::mouseRelease(l, Qt::LeftButton, {}, onButton);
    EXPECT_TRUE(editor()->ListVisible());
    EXPECT_FALSE(editor()->Tracking());
    EXPECT_FALSE(editor()->Pressed());

    // Losing the focus closes the list without accepting.
    QTest::keyClick(list(), Qt::Key_Down);
    QWidget other;
    ShowActive(&other);
    EXPECT_FALSE(editor()->ListVisible());
    EXPECT_EQ(grid->GetCells(2, 3), QStringLiteral("<>"));
}

TEST_F(EditorFixture, PickListHeightWidthAndPlacement) {
    TCellValueProp* d = grid->PropValues()->Items(2);
    GoTo(2, 1);
    d->SetPickList(QStringList{"and", "or", "not"});
    OpenList();
    EXPECT_EQ(list()->height(), 3 * list()->ItemHeight() + 4);
    EXPECT_FALSE(list()->verticalScrollBar()->isVisible());
    editor()->CloseUp(false);

    d->SetDropDownRows(0);
    OpenList();
    EXPECT_EQ(list()->height(), 4);
    editor()->CloseUp(false);

    d->SetDropDownRows(7);
    d->SetPickList(QStringList{});
    OpenList(); // an empty list drops down, 4 pixels high
    EXPECT_EQ(list()->height(), 4);
    EXPECT_EQ(list()->count(), 0);
    PressKey(Qt::Key_Return); // nothing selected: nothing written
    EXPECT_EQ(grid->GetCells(2, 1), QString());

    // The widest entry, without its surrounding blanks, sets the width.
    const QString wide = QStringLiteral("一个相当长的比较运算符条目");
    d->SetPickList(QStringList{"=", QStringLiteral("   ") + wide + QStringLiteral("   ")});
    OpenList();
    const int textWidth = QFontMetrics(list()->font()).horizontalAdvance(wide);
    ASSERT_GT(textWidth, grid->ColWidths(2));
    EXPECT_EQ(list()->viewport()->width(), textWidth);
    editor()->CloseUp(false);

    // Near the bottom of the screen the list opens above the editor.
    const QRect screen = grid->screen()->geometry();
    grid->move(grid->x(), screen.bottom() - grid->height() + 1);
    QCoreApplication::processEvents();
    d->SetPickList(Operators);
    GoTo(2, 8);
    OpenList();
    const QPoint editorTop = editor()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(list()->geometry().bottom(), editorTop.y() - 1);
    editor()->CloseUp(false);

    // The list highlights the column's value.
    d->SetPropertyValue(QStringLiteral("like"));
    OpenList();
    EXPECT_EQ(list()->currentItem()->text(), QStringLiteral("like"));
}

TEST_F(EditorFixture, IncrementalSearchInTheOpenList) {
    GoTo(2, 1);
    OpenList();
    TPopupListbox* l = list();
    qint64 now = 10000;
    l->SetClock([&] { return now; });
    TypeText(QStringLiteral("no"));
    EXPECT_EQ(l->currentItem()->text(), QStringLiteral("not like"));
    EXPECT_EQ(l->SearchText(), QStringLiteral("no"));
    now += 500;
    TypeText(QStringLiteral("t i"));
    EXPECT_EQ(l->currentItem()->text(), QStringLiteral("not in"));

    now += 2001; // after a pause a new search starts
    TypeText(QStringLiteral("l"));
    EXPECT_EQ(l->SearchText(), QStringLiteral("l"));
    EXPECT_EQ(l->currentItem()->text(), QStringLiteral("like"));

    TypeText(QStringLiteral("zz")); // no match: the selection stays
    EXPECT_EQ(l->currentItem()->text(), QStringLiteral("like"));
    PressKey(Qt::Key_Backspace);
    EXPECT_EQ(l->SearchText(), QString());
    TypeText(QString(40, QLatin1Char('a')));
    EXPECT_EQ(l->SearchText().size(), TPopupListbox::MaxSearchText);
    EXPECT_TRUE(editor()->ListVisible()); // typing never closes the list
}

TEST_F(EditorFixture, EllipsisButtonFiresOnReleaseOverItOrCtrlEnter) {
    GoTo(3, 1);
    grid->SetCells(3, 1, QStringLiteral("x > 1"));
    int clicks = 0;
    grid->OnEditButtonClick = [&](QObject* sender) {
        EXPECT_EQ(sender, grid.get());
        ++clicks;
    };
    QTest::mouseClick(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_EQ(clicks, 1);

    // Pressed on the button, released elsewhere: nothing.
    QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_TRUE(editor()->Pressed());
    QTest::mouseMove(editor(), QPoint(3, 3));
    EXPECT_FALSE(editor()->Pressed());
    QTest::mouseRelease(editor(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(editor(), Qt::LeftButton, {}, ButtonCenter());
    QTest::mouseRelease(editor(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(clicks, 1);

    // Ctrl+Enter, without a line break in the text.
    QTest::keyClick(editor(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(grid->GetCells(3, 1), QStringLiteral("x > 1"));
    // Ctrl+Shift+Enter is not the shortcut.
    QTest::keyClick(editor(), Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(clicks, 2);
    // A double click on the button is swallowed.
    int doubles = 0;
    grid->OnDblClick = [&](QObject*) { ++doubles; };
    QTest::mouseDClick(editor(), Qt::LeftButton, {}, ButtonCenter());
    EXPECT_EQ(doubles, 0);
}

TEST_F(EditorFixture, SecondClickOnTheShownEditorIsADoubleClick) {
    GoTo(1, 2);
    int doubles = 0;
    grid->OnDblClick = [&](QObject*) { ++doubles; };
    auto send = [](QWidget* w, QEvent::Type type, QPoint at, ulong timestamp) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        e.setTimestamp(timestamp);
        QApplication::sendEvent(w, &e);
    };
    // A press on the grid's current cell shows the editor under the pointer;
    // a press on it right after is the second click of a double click, a
    // late one an ordinary click.
    const QPoint p = CellCenter(*grid, 1, 2);
    const QPoint e = editor()->mapFrom(grid->viewport(), p);
    for (const ulong second : {100150, 105000}) {
        send(grid->viewport(), QEvent::MouseButtonPress, p, 100000);
        send(grid->viewport(), QEvent::MouseButtonRelease, p, 100050);
        ASSERT_TRUE(editor()->isVisible());
        send(editor(), QEvent::MouseButtonPress, e, second);
        EXPECT_EQ(doubles, 1);
    }
}

namespace {

// A grid whose cells may not be modified through the editor.
class ReadOnlyGrid : public TStringGridEx {
public:
    int GetEditLimit() override { return -1; }
};

} // namespace

TEST(InplaceEditReadOnly, KeysThatModifyAreDropped) {
    ReadOnlyGrid grid;
    grid.SetOptions(grid.Options() + goEditing + goAlwaysShowEditor);
    grid.SetCells(1, 1, QStringLiteral("fixed"));
    grid.resize(300, 200);
    ShowActive(&grid);
    ASSERT_NE(grid.InplaceEditor(), nullptr);
    EXPECT_FALSE(grid.CanEditModify());
    EXPECT_FALSE(grid.InplaceEditor()->EditCanModify());
    TypeText(QStringLiteral("x"));
    PressKey(Qt::Key_Backspace);
    PressKey(Qt::Key_Delete);
    PressKey(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.GetCells(1, 1), QStringLiteral("fixed"));
    EXPECT_EQ(grid.InplaceEditor()->text(), QStringLiteral("fixed"));
}

TEST(InplaceEditMask, ComponentLibraryMasksBecomeInputMasks) {
    // Characters special only to Qt are escaped; escaped ones stay literal.
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"!99/99/00;1;_", "00/00/99;_"},
        {">LL<ll;0; ", ">AA<aa; "},
        {"AaCc#", "NnXx#;_"},
        {"D-\\L0", "\\D-\\L9;_"},
    };
    for (const auto& [mask, input] : cases)
        EXPECT_EQ(EditMaskToInputMask(QString::fromLatin1(mask)), QString::fromLatin1(input));
}

TEST(InplaceEditPlacement, EditorFollowsTheGridWhenALayoutSizesIt) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TStringGridEx;
    grid->SetOptions(grid->Options() + goEditing + goAlwaysShowEditor);
    grid->resize(0, 0); // sized by the layout only after it is shown
    layout->addWidget(grid);
    window.resize(300, 200);
    ShowActive(&window);
    QCoreApplication::processEvents();
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->isVisible());
    EXPECT_EQ(grid->InplaceEditor()->geometry(), grid->CellRect(1, 1));

    // Scrolled out of view and back, the editor hides and returns.
    grid->SetRowCount(100);
    grid->SetTopRow(50);
    EXPECT_FALSE(grid->InplaceEditor()->isVisible());
    grid->SetTopRow(1);
    EXPECT_TRUE(grid->InplaceEditor()->isVisible());
}

TEST(InplaceEditEvents, CellChangeFiresOncePerChangeEvenWhenBoundBeforeTheEditor) {
    TStringGridEx grid;
    int changes = 0;
    grid.OnCellChange = [&](QObject*) { ++changes; }; // before the editor exists
    grid.SetOptions(grid.Options() + goEditing + goAlwaysShowEditor);
    grid.resize(300, 200);
    ShowActive(&grid);
    ASSERT_NE(grid.InplaceEditor(), nullptr);
    int ownChanges = 0;
    grid.InplaceEditor()->OnChange = [&](QObject*) { ++ownChanges; };
    changes = 0;
    TypeText(QStringLiteral("abc"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(ownChanges, 3); // the editor's own handler runs after the grid's
    EXPECT_EQ(grid.GetCells(1, 1), QStringLiteral("abc"));
}
