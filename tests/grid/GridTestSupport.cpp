#include "GridTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace quillary::test {

void ShowActive(QWidget* w) {
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w->window());
    if (!QTest::qWaitForWindowActive(w->window()))
        ADD_FAILURE() << "the test window did not become active";
    w->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
}

std::unique_ptr<TStringGridEx> ShownGrid(int cols, int rows, int width, int height) {
    auto grid = std::make_unique<TStringGridEx>();
    grid->SetColCount(cols);
    grid->SetRowCount(rows); // synchronises the definitions with ColCount
    grid->resize(width, height);
    ShowActive(grid.get());
    return grid;
}

QPoint CellCenter(const TCustomPrGrid& grid, int col, int row) {
    return grid.CellRect(col, row).center();
}

QPoint ColLine(const TCustomPrGrid& grid, int col) {
    const QRect r = grid.CellRect(col, 0);
    return {r.right() + 1, r.center().y()};
}

QPoint RowLine(const TCustomPrGrid& grid, int row) {
    const QRect r = grid.CellRect(0, row);
    return {r.center().x(), r.bottom() + 1};
}

void Drag(QWidget* w, QPoint from, QPoint to) {
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

void PressKey(int key, Qt::KeyboardModifiers mods) {
    QWidget* target = QApplication::focusWidget();
    if (QWidget* popup = QApplication::activePopupWidget()) target = popup;
    if (!target) {
        ADD_FAILURE() << "no widget has the focus";
        return;
    }
    QTest::keyClick(target, Qt::Key(key), mods);
}

void TypeText(const QString& text) {
    for (QChar ch : text) {
        QWidget* target = QApplication::focusWidget();
        if (QWidget* popup = QApplication::activePopupWidget()) target = popup;
        if (!target) {
            ADD_FAILURE() << "no widget has the focus";
            return;
        }
        int key = Qt::Key_unknown;
        if (ch.unicode() < 128 && ch.isLetterOrNumber()) key = ch.toUpper().unicode();
        if (ch == QLatin1Char(' ')) key = Qt::Key_Space;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

void ClickCell(TCustomPrGrid& grid, int col, int row, Qt::KeyboardModifiers mods) {
    const QRect r = grid.CellRect(col, row);
    if (r.isEmpty()) {
        ADD_FAILURE() << "cell " << col << "," << row << " is not on the screen";
        return;
    }
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods, r.center());
}

QStringList ColumnTexts(const TStringGridEx& grid, int col, int first, int last) {
    QStringList texts;
    for (int r = first; r <= last; ++r)
        texts << grid.GetCells(col, r);
    return texts;
}

void FillColumn(TStringGridEx& grid, int col, int first, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i)
        grid.SetCells(col, first + i, texts.at(i));
}

} // namespace quillary::test
