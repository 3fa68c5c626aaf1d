#pragma once
// TQBTable: one table, view or sub-query on the canvas — a title bar with the
// name and alias, an unlink button, and the check list of its columns. It is
// moved by its title, resized by its edges, and a column dragged onto another
// box's list makes a link.

#include "designer/QBLbx.h"
#include "query/QueryDesign.h"

#include <QFrame>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QRubberBand;
class QToolButton;

namespace quillary {

class TQBArea;

class TQBTable : public QFrame {
    Q_OBJECT
public:
    explicit TQBTable(TQBArea* canvas);
    ~TQBTable() override;

    TQBArea* Canvas() const { return m_canvas; }

    // Only a scroll area (the canvas, as a rule) may hold a box: any other
    // parent is refused with an Exception.
    void SetParent(QWidget* parent);

    // Loads a table or view; false (after showing the database's message)
    // when its columns cannot be read.
    bool Activate(const QString& tableName, const QString& alias, int left, int top);
    // Loads a sub-query table from its SELECT text.
    bool ActivateQ(const QString& name, int left, int top, const QString& sql);
    // Builds the box from a design, without asking the database and without
    // registering its columns with the designer's lists (a design brings its
    // own). A box without width or height gets its natural size.
    bool ActivateFrom(const TDesignBox& design);
    // The box as a design: names, kind, source text, geometry, and its items
    // ("*" first) with their types and ticks.
    TDesignBox Design() const;
    // The natural size of a box showing `design`'s items and name.
    static QSize SizeFor(const TDesignBox& design);

    // Fonts, title bar and rows at the canvas's zoom.
    void ApplyZoom();
    // Shows the box at `design` (unscaled canvas coordinates) at the
    // canvas's zoom.
    void PlaceAt(const QRect& design);
    // Where the box stands unscaled: what was placed, unless the user moved
    // or resized it since, so that zooming back and forth does not drift.
    QRect DesignRect() const;
    int TitleHeight() const;

    // The alias when there is one, else the table name.
    QString GetTableName() const { return Alias.isEmpty() ? TableName : Alias; }
    void SetActive(bool active);
    bool IsActive() const { return m_active; }
    // Pressed, clicked, ticked or scrolled: the box becomes the active one.
    void ApplyActivationRule();
    // The canvas y at which a link meets row `row` of the list.
    int GetRowY(int row) const;

    // Sort lists in line with all ticks.
    void UpdateOrderColumn();
    // The designer's lists call the box `newName` instead of `oldName`.
    void UpdateCriterList(const QString& oldName, const QString& newName);
    // Reloads the columns, keeps the ticks, and brings the links up to date.
    void Refresh_new();

    // Menu actions.
    void _SelectAll();
    void _UnSelectAll();
    void _InputByName();
    void _CancelByName();
    void _BuildSubQuery();
    void _UnlinkBtn();
    // Removes the box: its links, its columns from the designer's lists, and
    // the box itself (deleted later, so callers may still return).
    void _CloseBtn();
    void PopupMenuOnChange();
    QAction* MenuItem(int index) const { return m_items.value(index); }

    // Moving by the title: an outline follows the mouse, which stays within
    // the canvas; the box lands where the outline is on release.
    void TitleMouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void TitleMouseMove(const QPoint& globalPos);
    void TitleMouseUp(const QPoint& globalPos);
    bool Moving() const { return m_moving; }
    // The outline, in canvas coordinates.
    QRect MoveOutline() const { return m_outlineRect; }

    // Resizing by the edges; (x, y) relative to the box.
    void MouseDown(Qt::MouseButton button, const QPoint& at);
    void MouseMove(Qt::MouseButtons buttons, const QPoint& at);
    void MouseUp(const QPoint& at);
    int ResizeZone() const { return m_zone; }
    // The edge or corner zone (1-8, 0 for none) of a point relative to a box
    // of `size`, and the cursor that goes with it.
    static int ZoneAt(const QPoint& at, const QSize& size);
    static Qt::CursorShape ZoneCursor(int zone);
    int MinimumResizeHeight() const;

    // Column drags: accepted from a column list of a box; a drop at (x, y) of
    // this box's list links the dragged row to the row there.
    bool _DragOver(QObject* source) const;
    void _DragDrop(QObject* source, int x, int y);

    QString TableName;
    QString Alias;
    QString SourceText;
    char Kind = 'T'; // 'T' table, 'V' view, 'Q' sub-query

    QLabel* Title;
    TQBLbx* FieldList;
    QToolButton* CloseButton;
    QToolButton* UnlinkButton;
    QMenu* PopupMenu;

    static constexpr int kBorder = 3;
    static constexpr int kTitleHeight = 16;
    static constexpr int kMaxVisibleItems = 10;
    static constexpr int kMinimumWidth = 70;

    enum TMenuItem {
        miSelectAll = 0,
        miUnSelectAll = 1,
        miByName = 3,
        miCancelByName = 4,
        miBuildSubQuery = 6,
        miBuildSeparator = 7,
        miUnlink = 8,
        miClose = 9,
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The title bar in these colours: its caption and its text.
    void ColourTitle(const QColor& caption, const QColor& text);
    void CreateMenu();
    // Reads the columns of `sql` and fills the list, registering the columns
    // it did not list before with the designer's lists.
    bool LoadColumns(const QString& sql);
    void DetectView();
    void Show();
    void UpdateTitle();
    // Title, list and unlink button within the frame.
    void LayOutParts();
    QPoint ClampToCanvas(const QPoint& globalPos) const;
    void EndMove(const QPoint& globalPos);
    // Asks for a name until it is empty or valid and not another box's.
    QString AskName(const QString& prefilled);

    TQBArea* m_canvas;
    QList<QAction*> m_items;
    bool m_active = false;
    bool m_closed = false;
    bool m_moving = false;
    QPoint m_pressPoint;
    QRect m_outlineRect;
    QPointer<QRubberBand> m_outline; // lives on the canvas surface
    int m_zone = 0;
    QRect m_designRect; // unscaled, as last placed
    QRect m_zoomedRect; // and as shown then
};

inline constexpr char kBoxParentMessage[] = "窗体的父类必须是TScrollBox或它的子类";

} // namespace quillary
