#pragma once
// TQBLbx: the column check list in the body of a table box. Item 0 is "*",
// then one item per column carrying the column's field type (TFieldType) as
// item data. Columns that take part in a link are drawn in bold. A press
// that moves past the drag distance carries the column to another box's list
// (a mouse-tracking drag, so that it needs no platform drag support).

#include <QList>
#include <QListWidget>
#include <QPoint>
#include <QStringList>

class QStyle;

namespace quillary {

struct TDesignField;

class TQBTable;

class TQBLbx : public QListWidget {
    Q_OBJECT
public:
    explicit TQBLbx(TQBTable* owner);
    TQBTable* Box() const { return m_box; }
    static constexpr int FieldTypeRole = Qt::UserRole + 1;

    // Width of the check-box column.
    int GetCheckW() const;
    static int CheckWidth();
    // Every row is this high.
    int ItemHeight() const { return m_itemHeight; }
    // In `style`; the application's when null.
    static int ItemHeightFor(const QFont& font, const QStyle* style = nullptr);

    // Bold flags, one per item; none until allocated, and they do not follow
    // later insertions or deletions of items.
    void AllocArrBold();
    void SelectItemBold(int index);
    void UnSelectItemBold(int index);
    bool IsItemBold(int index) const;

    // Vertical centre of row `index` counted from the first visible row.
    int GetItemY(int index) const;
    // The first visible row.
    int TopIndex() const;
    void SetTopIndex(int index);
    // The texts of the ticked items, in list order ("*" included).
    QStringList GetCheckedItem() const;
    // Row of the item whose text equals `text` ignoring case; -1 when none.
    int IndexOfText(const QString& text) const;

    // Replaces the items, ticks included, without the tick handling; the
    // bold flags are gone until allocated again.
    void SetFields(const QList<TDesignField>& fields);

    bool IsChecked(int row) const;
    // Ticks or unticks without the tick handling (loading, select all).
    void SetChecked(int row, bool checked);

    // A tick the user changed: sort lists and the SQL page follow.
    void ClickCheck(QListWidgetItem* item);
    // The list scrolled: the link ends follow the rows.
    void CNVSCROLL();

    // Whether a column drag is under way.
    bool Dragging() const { return m_dragging; }

protected:
    // WMLButtonDown: selection, then a drag armed, then the box activated.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Ctrl+wheel zooms the canvas, not the list.
    void wheelEvent(QWheelEvent* event) override;

private:
    TQBLbx* TargetAt(const QPoint& globalPos) const;

    TQBTable* m_box;
    int m_itemHeight = 16;
    bool m_hasBold = false;
    QList<int> m_bold;
    bool m_programmatic = false;
    bool m_dragArmed = false;
    bool m_dragging = false;
    QPoint m_pressPos;
};

} // namespace quillary
