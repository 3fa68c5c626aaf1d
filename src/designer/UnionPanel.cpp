// The floating union panel: its layout, showing and hiding, and moving it
// with the mouse within the canvas.
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/UnionGridForm.h"
#include "grid/GridStreaming.h"
#include "grid/StringGridEx.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QVBoxLayout>

namespace quillary {

namespace {

// A part of the panel that moves it when pressed with the left button: the
// panel itself and its caption bar.
class TUnionGrip : public QFrame {
public:
    TUnionGrip(TFrm_Quillary* form, QWidget* parent) : QFrame(parent), m_form(form) {}

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            m_form->Pan_UnionMouseDown(e->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        m_form->Pan_UnionMouseMove(e->globalPosition().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) m_form->Pan_UnionMouseUp(e->globalPosition().toPoint());
    }

private:
    TFrm_Quillary* m_form;
};

// The caption bar " 联合".
class TUnionCaption : public TUnionGrip {
public:
    TUnionCaption(TFrm_Quillary* form, QWidget* parent) : TUnionGrip(form, parent) {
        setObjectName(QStringLiteral("Panel11"));
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::WindowText, Qt::white);
        setPalette(p);
        setFixedHeight(18);
        setCursor(Qt::SizeAllCursor);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(2, 0, 2, 0);
        layout->addWidget(new QLabel(QStringLiteral(" 联合"), this));
    }
};

} // namespace

TStringGridEx* TFrm_Quillary::CreateUnionGrid(QWidget* parent) {
    auto* grid = new TStringGridEx(parent);
    grid->setObjectName(QStringLiteral("UnionGrid"));
    ReadGridText(UnionGridFormText(), *grid);
    grid->SetFixedCols(0); // brackets are typed into column 0
    return grid;
}

void TFrm_Quillary::CreateUnionPanel() {
    Pan_Union = new TUnionGrip(this, m_canvas->viewport());
    Pan_Union->setObjectName(QStringLiteral("Pan_Union"));
    Pan_Union->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Pan_Union->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(Pan_Union);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    Panel11 = new TUnionCaption(this, Pan_Union);
    layout->addWidget(Panel11);
    UnionGrid = CreateUnionGrid(Pan_Union);
    layout->addWidget(UnionGrid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    auto button = [&](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(QString::fromUtf8(caption), Pan_Union);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFixedWidth(44);
        buttons->addWidget(b);
    };
    button(btn_New, "btn_New", "新建");
    button(btn_Open, "btn_Open", "打开");
    button(btn_Delete, "btn_Delete", "删除");
    button(btn_Close, "btn_Close", "关闭");
    layout->addLayout(buttons);
    Pan_Union->resize(196, 150);
    Pan_Union->move(20, 20);
    Pan_Union->hide();
}

void TFrm_Quillary::ShowUnionPanel() {
    if (Pan_Union->parentWidget() != m_canvas->viewport())
        Pan_Union->setParent(m_canvas->viewport());
    Pan_Union->show();
    Pan_Union->raise();
    if (!m_unionHeld) {
        m_unionHeld = true;
        qApp->installEventFilter(this);
    }
}

void TFrm_Quillary::btn_CloseClick() {
    Pan_Union->hide();
    ReleaseCursor();
}

void TFrm_Quillary::ReleaseCursor() {
    if (m_unionDragging) {
        m_unionDragging = false;
        Pan_Union->releaseMouse();
        if (m_unionOutline) m_unionOutline->hide();
    }
    if (m_unionHeld) {
        m_unionHeld = false;
        qApp->removeEventFilter(this);
    }
}

bool TFrm_Quillary::HoldPointerEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        break;
    case QEvent::ContextMenu:
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) break;
        return false;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // Other windows (message boxes, nested designers) and the panel itself
    // keep the pointer; a drag of the panel goes where its grab sends it.
    if (!widget || m_unionDragging || widget->window() != this || widget == Pan_Union ||
        Pan_Union->isAncestorOf(widget))
        return false;
    if (event->type() == QEvent::MouseMove) {
        // The pointer goes back over the panel, as far as the platform lets us.
        const QRect panel(Pan_Union->mapToGlobal(QPoint(0, 0)), Pan_Union->size());
        const QPoint at = QCursor::pos();
        const QPoint inside(std::clamp(at.x(), panel.left(), panel.right()),
                            std::clamp(at.y(), panel.top(), panel.bottom()));
        if (inside != at) QCursor::setPos(inside);
    }
    return true;
}

void TFrm_Quillary::Pan_UnionMouseDown(const QPoint& globalPos) {
    m_unionDragging = true;
    m_unionDragStart = globalPos;
    Pan_Union->grabMouse();
    // The outline lives on the canvas, where the panel may go.
    QWidget* area = m_canvas->viewport();
    m_unionDragRect = Pan_Union->geometry();
    if (!m_unionOutline) m_unionOutline = new QRubberBand(QRubberBand::Rectangle, area);
    m_unionOutline->setGeometry(m_unionDragRect);
    m_unionOutline->show();
    m_unionOutline->raise();
}

void TFrm_Quillary::Pan_UnionMouseMove(const QPoint& globalPos) {
    if (!m_unionDragging) return;
    // The cursor is kept within the canvas, so the panel follows only that far.
    QWidget* area = m_canvas->viewport();
    const QRect bounds(area->mapToGlobal(QPoint(0, 0)), area->size());
    const QPoint cursor(std::clamp(globalPos.x(), bounds.left(), bounds.right()),
                        std::clamp(globalPos.y(), bounds.top(), bounds.bottom()));
    m_unionDragRect = Pan_Union->geometry().translated(cursor - m_unionDragStart);
    m_unionOutline->setGeometry(m_unionDragRect);
}

void TFrm_Quillary::Pan_UnionMouseUp(const QPoint& globalPos) {
    if (!m_unionDragging) return;
    Pan_UnionMouseMove(globalPos);
    m_unionDragging = false;
    Pan_Union->releaseMouse();
    m_unionOutline->hide();
    // The panel, in its new place, holds the pointer again.
    Pan_Union->move(m_unionDragRect.topLeft());
}

} // namespace quillary
