#include "designer/QBLink.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"

#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace quillary {

TQBLink::TQBLink(TQBArea* canvas, TQBTable* table1, TQBTable* table2)
    : QObject(canvas->LinkOwner()), Table1(table1), Table2(table2), m_canvas(canvas),
      m_bounds(0, 0, 105, 105), m_hit(QRect(0, 0, 15, 15)) {
    setObjectName(QStringLiteral("QBLink"));
    // The menu is a window of its own; the link frees it.
    mnu = new QMenu;
    mnu->setObjectName(QStringLiteral("mnu"));
    mnuLinkName = mnu->addAction(QString());
    mnuLinkName->setObjectName(QStringLiteral("mnuLinkName"));
    mnu->addSeparator();
    mnuOptions = mnu->addAction(QStringLiteral("链接属性"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuUnlink = mnu->addAction(QStringLiteral("取消链接"));
    mnuUnlink->setObjectName(QStringLiteral("mnuUnlink"));
    connect(mnuOptions, &QAction::triggered, canvas, [this] { m_canvas->SetOptions(this); });
    connect(mnuUnlink, &QAction::triggered, canvas, [this] { m_canvas->Unlink(this); });
}

TQBLink::~TQBLink() {
    delete mnu;
}

void TQBLink::SetGeometry(const QRect& bounds) {
    m_bounds = bounds;
    ComputeShape();
}

void TQBLink::ComputeShape() {
    const int w = m_bounds.width();
    const int h = m_bounds.height();
    const int hc = HorizontalCase;
    const int vc = VerticalCase;
    bool patternA = true;
    if (Table1 == Table2) {
        m_points = {QPoint(0, 7), QPoint(10, 7), QPoint(10, h - 7), QPoint(0, h - 7)};
    } else if ((hc == 1 && vc == 1) || (hc == 4 && vc == 2)) {
        m_points = {QPoint(0, 7), QPoint(15, 7), QPoint(w - 15, h - 7), QPoint(w, h - 7)};
    } else if ((hc == 4 && vc == 1) || (hc == 1 && vc == 2)) {
        m_points = {QPoint(w, 7), QPoint(w - 15, 7), QPoint(15, h - 7), QPoint(0, h - 7)};
        patternA = false;
    } else if (w >= 28 && ((hc == 2 && vc == 1) || (hc == 3 && vc == 2))) {
        m_points = {QPoint(0, 7), QPoint(15, 7), QPoint(w - 5, h - 7), QPoint(w - 15, h - 7)};
    } else if (w >= 28) {
        m_points = {QPoint(w - 15, 7), QPoint(w - 5, 7), QPoint(15, h - 7), QPoint(0, h - 7)};
        patternA = false;
    } else {
        m_points = {QPoint(0, 7), QPoint(w - 12, 7), QPoint(w - 12, h - 7), QPoint(0, h - 7)};
        patternA = false;
    }
    const QPoint p1 = m_points[1];
    const QPoint p2 = m_points[2];
    if (patternA)
        m_hit = QPolygon({QPoint(p1.x() + 5, p1.y() - 5), QPoint(p1.x() - 5, p1.y() + 5),
                          QPoint(p2.x() - 5, p2.y() + 5), QPoint(p2.x() + 5, p2.y() - 5)});
    else
        m_hit = QPolygon({QPoint(p1.x() - 5, p1.y() - 5), QPoint(p1.x() + 5, p1.y() + 5),
                          QPoint(p2.x() + 5, p2.y() + 5), QPoint(p2.x() - 5, p2.y() - 5)});

    // P0 is Table1's end when it lies on Table1's left or right edge, within
    // its height; otherwise P3 is.
    const QPoint p0 = m_bounds.topLeft() + m_points[0];
    const QRect t1 = Table1->geometry();
    const bool onEdge = p0.x() == t1.left() || p0.x() == t1.left() + t1.width();
    m_p0IsTable1 = onEdge && p0.y() >= t1.top() && p0.y() <= t1.top() + t1.height();

    // Strips along the segments rather than the whole rectangle, so that a
    // long diagonal does not repaint everything beneath it.
    m_region = QRegion();
    auto strip = [&](const QPoint& a, const QPoint& b) {
        const QPoint delta = b - a;
        const int steps = std::max(1, std::max(std::abs(delta.x()), std::abs(delta.y())) / 48);
        for (int i = 0; i < steps; ++i) {
            const QPoint from = a + delta * i / steps;
            const QPoint to = a + delta * (i + 1) / steps;
            m_region += QRect(from, to).normalized().adjusted(-4, -4, 4, 4);
        }
    };
    strip(m_points[0], m_points[1]);
    strip(m_points[1], m_points[2]);
    strip(m_points[2], m_points[3]);
    m_region.translate(m_bounds.topLeft());
}

bool TQBLink::MarkAtP0() const {
    return JoinType == 3 || (JoinType == 2 && m_p0IsTable1) || (JoinType == 1 && !m_p0IsTable1);
}

bool TQBLink::MarkAtP3() const {
    return JoinType == 3 || (JoinType == 2 && !m_p0IsTable1) || (JoinType == 1 && m_p0IsTable1);
}

std::array<QPoint, 3> TQBLink::EndMark(const QPoint& end, const QPoint& neighbour) {
    const int d = end.x() > neighbour.x() ? -3 : 3;
    return {QPoint(end.x() + d, end.y() + d), end, QPoint(end.x() + d, end.y() - d)};
}

bool TQBLink::CMHitTest(const QPoint& at) const {
    return QRect(QPoint(0, 0), m_bounds.size()).contains(at) &&
           m_hit.containsPoint(at, Qt::OddEvenFill);
}

void TQBLink::Paint(QPainter& painter) const {
    painter.save();
    painter.translate(m_bounds.topLeft());
    const bool selected = m_canvas->SelectedLink() == this;
    painter.setPen(selected ? QPen(QColor(0, 90, 200), 2) : QPen(Qt::black, 1));
    painter.drawPolyline(m_points.data(), int(m_points.size()));
    // Enlarged with the boxes, never made smaller than at full size.
    const double scale = std::max(1.0, m_canvas->Zoom());
    auto drawMark = [&](const QPoint& end, const QPoint& neighbour) {
        const auto mark = EndMark(end, neighbour);
        QPolygonF shape;
        for (const QPoint& p : mark)
            shape << QPointF(end) + QPointF(p - end) * scale;
        painter.drawPolyline(shape);
    };
    if (MarkAtP0()) drawMark(m_points[0], m_points[1]);
    if (MarkAtP3()) drawMark(m_points[3], m_points[2]);
    painter.restore();
}

void TQBLink::WMRButtonDown(const QPoint& globalPos) {
    mnu->popup(globalPos);
}

} // namespace quillary
