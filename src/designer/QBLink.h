#pragma once
// TQBLink: the join between one column of one box and one column of another,
// drawn by the canvas beneath the boxes as a line of three segments between
// the two rows, with arrow marks at the end(s) whose table gives only the
// matching rows. Only points near the middle segment belong to the link, so
// clicks beside the line reach whatever lies beneath.

#include <QObject>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QString>
#include <array>

class QAction;
class QMenu;
class QPainter;

namespace quillary {

class TQBArea;
class TQBTable;

// The join operators of the four join types, in type order.
inline constexpr std::array<const char*, 4> kJoinOperators = {"=", "*=", "=*", "*=*"};

class TQBLink : public QObject {
    Q_OBJECT
public:
    TQBLink(TQBArea* canvas, TQBTable* table1, TQBTable* table2);
    ~TQBLink() override;

    TQBArea* Canvas() const { return m_canvas; }

    TQBTable* Table1;
    TQBTable* Table2;
    int Row1 = -1; // item index in Table1's list; -1 when the column is missing
    int Row2 = -1;
    QString Field1; // column names, to find the rows again after a reload
    QString Field2;
    int JoinType = 0;       // 0 inner, 1 all of Table1, 2 all of Table2, 3 all of both
    QString Condition;      // a further condition of the join, written in ON after the equality
    int HorizontalCase = 1; // 1 Table1 left of Table2, 4 right of it, 2/3 overlapping
    int VerticalCase = 1;   // 1 Table1's row above Table2's, 2 otherwise

    // The pop-up menu "mnu": the two table names, properties, removal.
    QMenu* mnu;
    QAction* mnuLinkName;
    QAction* mnuOptions;
    QAction* mnuUnlink;

    // The link's rectangle on the canvas.
    QRect Geometry() const { return m_bounds; }
    // Sets the rectangle and works out the line, the hit region and which
    // end belongs to which table.
    void SetGeometry(const QRect& bounds);

    // The line's four points and the hit region's corners, in the link's
    // own coordinates.
    const std::array<QPoint, 4>& Points() const { return m_points; }
    const QPolygon& HitCorners() const { return m_hit; }
    // Whether the arrow marks are drawn at P0 and P3.
    bool MarkAtP0() const;
    bool MarkAtP3() const;
    // The two-segment arrow head at end `end` whose neighbour is `neighbour`.
    static std::array<QPoint, 3> EndMark(const QPoint& end, const QPoint& neighbour);

    // Whether a point in the link's coordinates belongs to the link.
    bool CMHitTest(const QPoint& at) const;
    // Draws the line and its marks, in canvas coordinates.
    void Paint(QPainter& painter) const;
    // The canvas area the drawing touches.
    const QRegion& PaintRegion() const { return m_region; }
    // Right button: the menu pops up at the click.
    void WMRButtonDown(const QPoint& globalPos);

private:
    void ComputeShape();

    TQBArea* m_canvas;
    QRect m_bounds;
    std::array<QPoint, 4> m_points{};
    QPolygon m_hit;
    QRegion m_region;
    bool m_p0IsTable1 = true;
};

} // namespace quillary
