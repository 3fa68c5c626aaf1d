#pragma once
// The grid's single in-place editor: a borderless line edit placed over the
// current cell, with a button strip at its right edge chosen by the column's
// edit mode: a drop-down arrow that opens the column's pick list
// (TPopupListbox, a top-level pop-up), an ellipsis button that raises the
// grid's OnEditButtonClick, or an empty strip. Keys, clicks and the wheel go
// to the grid first, as in a classic grid's in-place editor.

#include "grid/GridTypes.h"

#include <QLineEdit>
#include <QListWidget>
#include <functional>

namespace quillary {

class TCustomPrGrid;
class TPropertyInplaceEdit;

// The drop-down pick list. Typing searches incrementally: the characters
// typed within 2 seconds of each other (32 at most) select the first entry
// that begins with them.
class TPopupListbox : public QListWidget {
    Q_OBJECT

public:
    static constexpr int SearchPause = 2000; // milliseconds
    static constexpr int MaxSearchText = 32;

    explicit TPopupListbox(TPropertyInplaceEdit* Owner);

    TPropertyInplaceEdit* Owner() const { return m_owner; }
    // Height of one entry.
    int ItemHeight() const;
    const QString& SearchText() const { return m_searchText; }
    // The millisecond clock of the search (tests replace it).
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // Incremental search; a consumed key comes back null.
    void KeyPress(QChar& Key);
    // A key the editor passes on while the list is shown.
    void HandleKey(QKeyEvent* e);

    // Bound to the editor's ListMouseUp.
    TMouseEvent OnMouseUp;

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void ListMouse(QMouseEvent* e, const QPoint& viewportPos);

    TPropertyInplaceEdit* m_owner;
    QString m_searchText;
    qint64 m_searchTickCount = 0;
    std::function<qint64()> m_clock;
    bool m_pressedInList = false;
};

class TPropertyInplaceEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TPropertyInplaceEdit(QWidget* Owner);
    ~TPropertyInplaceEdit() override;

    TCustomPrGrid* Grid() const { return m_grid; }
    void SetGrid(TCustomPrGrid* Value);

    // Places the editor on `Loc` (viewport coordinates) and shows it; an empty
    // rectangle hides it. Takes the focus when the grid has it.
    void Move(const QRect& Loc);
    // As Move, after the grid scrolled.
    void UpdateLoc(const QRect& Loc);
    // Hides the editor, handing its focus back to the grid.
    void Hide();
    void Invalidate();
    void SetFocus();
    bool Visible() const;
    // No selection, caret at the end.
    void Deselect();

    // Loads the grid's current cell: edit mode, mask, text, length limit.
    virtual void UpdateContents();
    // Narrows the text area for the button strip.
    virtual void BoundsChanged();
    QRect ButtonRect() const;
    int ButtonWidth() const { return m_buttonWidth; }

    void DropDown();
    void CloseUp(bool Accept);
    TPropEditMode EditMode() const { return m_editMode; }
    void SetEditMode(TPropEditMode Value);
    // The pick list (created on first need) and the list in use (pick-list mode).
    TPopupListbox* PickList() const { return m_pickList; }
    TPopupListbox* ActiveList() const { return m_activeList; }
    bool ListVisible() const { return m_listVisible; }
    bool Tracking() const { return m_tracking; }
    bool Pressed() const { return m_pressed; }

    // Edit mask in the component library's syntax ("mask;save;blank").
    const QString& EditMask() const { return m_editMask; }
    void SetEditMask(const QString& Value);
    // 0: no limit; -1: the cell may not be modified.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int Value);
    bool EditCanModify() const;

    // A text change: fires the grid's OnCellChange (editor as sender), then OnChange.
    void Change();
    TNotifyEvent OnChange;

    // Types `Ch` as if it came from the keyboard.
    void TypeChar(QChar Ch);
    // Enter/Esc while the list is shown, Alt+Up/Down; true when consumed.
    bool DoDropDownKeys(int& Key, Qt::KeyboardModifiers Shift);
    void ListMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void TrackButton(int X, int Y);
    void StopTracking();
    bool OverButton(const QPoint& p) const;

    // Internal hand-shakes with the grid.
    void NoteGridPress(qint64 timestamp);
    bool HandingFocusBack() const { return m_handingFocusBack; }

protected:
    virtual void KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    virtual void KeyPress(QChar& Key);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class TPopupListbox;
    void InternalMove(const QRect& Loc, bool Redraw);
    void PaintButton(QPainter& p);
    void DoubleClick(QMouseEvent* e);

    TCustomPrGrid* m_grid = nullptr;
    qint64 m_clickTime = 0;
    bool m_clickTimeSet = false;
    bool m_doubleClickSent = false;
    TPropEditMode m_editMode = emSimple;
    TPopupListbox* m_pickList = nullptr;
    int m_buttonWidth = 0;
    TPopupListbox* m_activeList = nullptr;
    bool m_listVisible = false;
    bool m_tracking = false;
    bool m_pressed = false;
    QString m_editMask;
    int m_maxLength = 0;
    bool m_handingFocusBack = false;
};

// The component library's edit mask as a Qt input mask ("" when empty).
QString EditMaskToInputMask(const QString& mask);

} // namespace quillary
