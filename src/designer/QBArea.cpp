#include "designer/QBArea.h"
#include "designer/AutoLink.h"
#include "designer/CanvasHost.h"
#include "designer/DropFilter.h"
#include "designer/Frm_Quillary.h"
#include "designer/LinkDialog.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"
#include "query/Layout.h"
#include "query/Links.h"
#include "query/QueryDesign.h"
#include "sqltext/DataSourceKind.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QToolTip>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quillary {

// The widget beneath the boxes: it draws the links, which therefore always
// lie under the boxes.
class TQBSurface final : public QWidget {
public:
    explicit TQBSurface(TQBArea* canvas) : m_canvas(canvas) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_canvas->PaintLinks(painter, event->region());
        if (m_canvas->Tables().isEmpty()) {
            // What to do first, in the middle of what shows of the canvas.
            painter.setPen(palette().color(QPalette::Light));
            painter.drawText(visibleRegion().boundingRect(), Qt::AlignCenter,
                             QString::fromUtf8(kEmptyCanvasHint));
        }
    }

private:
    TQBArea* m_canvas;
};

// Links whose boxes overlap or touch would run under the boxes: they are
// drawn again above them, on a layer that lets every mouse event through.
class TLinkOverlay final : public QWidget {
public:
    TLinkOverlay(TQBArea* canvas, QWidget* surface) : QWidget(surface), m_canvas(canvas) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("QBAreaLinkOverlay"));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_canvas->PaintCrowdedLinks(painter, event->region());
    }

private:
    TQBArea* m_canvas;
};

namespace {

// The style of the column lists when the canvas is zoomed: the check
// marks shrink and grow with the rows.
class TZoomStyle final : public QProxyStyle {
public:
    double Zoom = 1.0;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            return std::max(4, int(std::lround(base * Zoom)));
        case PM_ScrollBarExtent:
            return std::max(8, int(std::lround(base * std::min(Zoom, 1.5))));
        default:
            return base;
        }
    }
};

// What Ctrl+wheel and the zoom keys step through.
constexpr double kZoomLevels[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.9, 1.0,
                                  1.1,  1.25, 1.5, 1.75, 2.0,  2.5, 3.0};

} // namespace

TQBArea::TQBArea(TFrm_Quillary* form)
    : QScrollArea(form), m_ownHost(std::make_unique<TFormCanvasHost>(form)),
      m_host(m_ownHost.get()) {
    Create();
}

TQBArea::TQBArea(TCanvasHost* host, QWidget* parent) : QScrollArea(parent), m_host(host) {
    Create();
}

TQBArea::~TQBArea() {
    // Boxes and links go first, while the canvas they report to is whole.
    m_closing = true;
    qDeleteAll(m_links);
    m_links.clear();
    m_tables.clear();
    delete takeWidget();
}

void TQBArea::Create() {
    setObjectName(QStringLiteral("QBArea"));
    setFrameShape(QFrame::StyledPanel);
    setWidgetResizable(false);
    setToolTip(QString::fromUtf8(kCanvasHint));

    m_linkOwner = new QObject(this);
    m_surface = new TQBSurface(this);
    m_surface->setObjectName(QStringLiteral("QBAreaSurface"));
    m_surface->setAutoFillBackground(true);
    QPalette palette = m_surface->palette();
    palette.setColor(QPalette::Window, QColor(114, 143, 143));
    m_surface->setPalette(palette);
    m_overlay = new TLinkOverlay(this, m_surface);
    m_surface->setAcceptDrops(true);
    m_surface->installEventFilter(this);
    // Only tables dragged from the form's own table list are taken, also
    // when they are let go over a link line.
    new TDropFilter(
        m_surface, [this](QObject* source) { return _DragOver(source); },
        [this](QObject* source, const QPoint& at) { _DragDrop(source, at); });
    setWidget(m_surface);
    viewport()->setAutoFillBackground(true);
    viewport()->setPalette(palette);

    mnu = new QMenu(this);
    mnu->setObjectName(QStringLiteral("mnu"));
    const char* captions[] = {"插入SQL查询表", "联合", "打开工具箱", "打开数据表列表"};
    for (const char* caption : captions) {
        QAction* item = mnu->addAction(QString::fromUtf8(caption));
        item->setObjectName(QStringLiteral("mnuInsertQTable"));
        m_items << item;
    }
    connect(m_items[kMenuInsertQTable], &QAction::triggered, this, &TQBArea::_InsertQTable);
    connect(m_items[kMenuUnion], &QAction::triggered, this, &TQBArea::_OpenUnion);
    connect(m_items[kMenuToolBox], &QAction::triggered, this, &TQBArea::_OpenToolBox);
    connect(m_items[kMenuTableList], &QAction::triggered, this, &TQBArea::_OpenTableList);
    m_items[kMenuToolBox]->setVisible(false);
    m_items[kMenuTableList]->setVisible(false);
    mnuAutoLink = CreateAutoLinkItem(this);
    mnuArrange = new QAction(QStringLiteral("自动排列"), this);
    mnuArrange->setObjectName(QStringLiteral("mnuArrange"));
    CreateZoomCommands();
    UpdateSurfaceSize();
}

void TQBArea::CreateZoomCommands() {
    // Parented to the canvas after its viewport, so that it outlives the
    // lists that use it.
    m_zoomStyle = new TZoomStyle;
    m_zoomStyle->setParent(this);

    mnuFit = new QAction(QStringLiteral("适合窗口"), this);
    mnuFit->setObjectName(QStringLiteral("mnuFit"));
    connect(mnuFit, &QAction::triggered, this, [this] { FitToWindow(); });
    mnuActualSize = new QAction(QStringLiteral("实际大小"), this);
    mnuActualSize->setObjectName(QStringLiteral("mnuActualSize"));
    connect(mnuActualSize, &QAction::triggered, this, [this] { SetZoom(1.0); });

    // Keys of the canvas and what lies on it.
    auto key = [this](std::initializer_list<QKeySequence> keys, auto slot) {
        auto* action = new QAction(this);
        action->setShortcuts(QList<QKeySequence>(keys));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    key({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { SetZoom(1.0); });
    key({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { ZoomBy(1); });
    key({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { ZoomBy(-1); });

    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    m_zoomLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_zoomLabel->setAutoFillBackground(true);
    m_zoomLabel->setMargin(2);
    m_zoomLabel->hide();
}

QStyle* TQBArea::ListStyle() const {
    return m_zoom == 1.0 ? nullptr : m_zoomStyle;
}

void TQBArea::SetZoom(double zoom, const QPoint& anchor) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (std::abs(zoom - 1.0) < 0.005) zoom = 1.0;
    if (zoom == m_zoom) return;
    // A box on the move or being resized keeps the scale it started in.
    for (const TQBTable* box : std::as_const(m_tables))
        if (box->Moving() || box->ResizeZone() != 0) return;
    // The canvas point under the anchor, unscaled.
    const QPointF offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QPointF at = (offset + QPointF(anchor)) / m_zoom;
    QList<QRect> places;
    places.reserve(m_tables.size());
    for (const TQBTable* box : std::as_const(m_tables))
        places << box->DesignRect();

    m_zoom = zoom;
    static_cast<TZoomStyle*>(m_zoomStyle)->Zoom = zoom;
    for (qsizetype i = 0; i < m_tables.size(); ++i) {
        m_tables[i]->ApplyZoom();
        m_tables[i]->PlaceAt(places[i]);
    }
    for (TQBLink* link : std::as_const(m_links))
        ReboundLink(link);
    UpdateSurfaceSize();
    const QPointF scrolled = at * zoom - QPointF(anchor);
    horizontalScrollBar()->setValue(int(std::lround(scrolled.x())));
    verticalScrollBar()->setValue(int(std::lround(scrolled.y())));
    m_surface->update();

    m_zoomLabel->setText(QStringLiteral("%1%").arg(std::lround(zoom * 100)));
    m_zoomLabel->adjustSize();
    m_zoomLabel->setVisible(zoom != 1.0);
    PlaceZoomLabel();
}

void TQBArea::ZoomBy(int steps, const QPoint& anchor) {
    double zoom = m_zoom;
    for (; steps > 0; --steps) {
        const double* next = std::upper_bound(std::begin(kZoomLevels), std::end(kZoomLevels),
                                              zoom + 0.001);
        if (next != std::end(kZoomLevels)) zoom = *next;
    }
    for (; steps < 0; ++steps) {
        const double* below = std::lower_bound(std::begin(kZoomLevels), std::end(kZoomLevels),
                                               zoom - 0.001);
        if (below != std::begin(kZoomLevels)) zoom = *(below - 1);
    }
    SetZoom(zoom, anchor);
}

void TQBArea::FitToWindow(double most) {
    QRect bounds;
    for (const TQBTable* box : std::as_const(m_tables))
        if (box->isVisibleTo(m_surface)) bounds |= box->DesignRect();
    if (bounds.isEmpty()) {
        SetZoom(std::min(1.0, most));
        return;
    }
    // Room for the boxes with a margin, and for scroll bars in case the
    // boxes stand away from the canvas's corner.
    constexpr int kMargin = 10;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize room = maximumViewportSize() - QSize(bar + 2 * kMargin, bar + 2 * kMargin);
    const double zoom = std::min({most, double(room.width()) / bounds.width(),
                                  double(room.height()) / bounds.height()});
    SetZoom(zoom);
    horizontalScrollBar()->setValue(int(std::lround(bounds.left() * m_zoom)) - kMargin);
    verticalScrollBar()->setValue(int(std::lround(bounds.top() * m_zoom)) - kMargin);
}

void TQBArea::PlaceZoomLabel() {
    if (!m_zoomLabel) return;
    const QRect view = viewport()->geometry();
    m_zoomLabel->move(view.right() - m_zoomLabel->width() - 4,
                      view.bottom() - m_zoomLabel->height() - 4);
    m_zoomLabel->raise();
}

void TQBArea::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier)
        WheelZoom(event);
    else
        QScrollArea::wheelEvent(event);
}

void TQBArea::WheelZoom(QWheelEvent* event) {
    // A step per notch; finer wheels add up to one.
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRest -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps) ZoomBy(steps, viewport()->mapFromGlobal(event->globalPosition().toPoint()));
    event->accept();
}

void TQBArea::ShowDesignCommands(bool visible) {
    if (visible == mnu->actions().contains(mnuArrange)) return;
    if (!m_commandsSeparator) {
        m_commandsSeparator = new QAction(this);
        m_commandsSeparator->setSeparator(true);
    }
    const QList<QAction*> commands{m_commandsSeparator, mnuAutoLink, mnuArrange, mnuFit,
                                   mnuActualSize};
    if (visible)
        mnu->addActions(commands);
    else
        for (QAction* command : commands)
            mnu->removeAction(command);
}

TQBArea* TQBArea::OfSurface(const QWidget* widget) {
    const QWidget* viewport = widget ? widget->parentWidget() : nullptr;
    auto* canvas = viewport ? qobject_cast<TQBArea*>(viewport->parentWidget()) : nullptr;
    return canvas && canvas->m_surface == widget ? canvas : nullptr;
}

void TQBArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    UpdateSurfaceSize();
    PlaceZoomLabel();
}

void TQBArea::UpdateSurfaceSize() {
    if (!m_surface) return;
    QRect bounds(QPoint(0, 0), viewport()->size());
    for (const TQBTable* box : m_tables)
        if (box->isVisibleTo(m_surface))
            bounds = bounds.united(box->geometry().adjusted(0, 0, 10, 10));
    for (const TQBLink* link : m_links)
        bounds = bounds.united(link->Geometry().adjusted(0, 0, 10, 10));
    if (m_surface->size() != bounds.size()) m_surface->resize(bounds.size());
    if (m_overlay) m_overlay->setGeometry(m_surface->rect());
}

void TQBArea::KeepLinksOnTop() {
    if (m_overlay) m_overlay->raise();
}

bool TQBArea::IsCrowded(const TQBLink* link) const {
    return link->Table1 && link->Table2 &&
           link->Table1->geometry().adjusted(-1, -1, 1, 1).intersects(link->Table2->geometry());
}

void TQBArea::PaintCrowdedLinks(QPainter& painter, const QRegion& area) const {
    for (const TQBLink* link : m_links)
        if (IsCrowded(link) && area.intersects(link->Geometry().adjusted(-4, -4, 4, 4)))
            link->Paint(painter);
}

void TQBArea::Repaint(const QRegion& region) {
    m_surface->update(region);
    if (m_overlay) m_overlay->update(region);
}

void TQBArea::RepaintLink(const TQBLink* link) {
    // Boxes are opaque and lie above the links: what a box covers needs no
    // repaint, which would only make the box paint itself again.
    QRegion region = link->PaintRegion();
    const QRect bounds = region.boundingRect();
    for (const TQBTable* box : m_tables)
        if (box->isVisible() && bounds.intersects(box->geometry())) region -= box->geometry();
    if (!region.isEmpty()) m_surface->update(region);
    if (m_overlay) m_overlay->update(link->PaintRegion());
}

void TQBArea::PaintLinks(QPainter& painter, const QRegion& area) const {
    for (const TQBLink* link : m_links)
        if (area.intersects(link->Geometry().adjusted(-4, -4, 4, 4))) link->Paint(painter);
}

bool TQBArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_surface) return QScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ToolTip: {
        // A link tells its join: readable however small the canvas shows.
        auto* e = static_cast<QHelpEvent*>(event);
        if (const TQBLink* link = LinkAt(e->pos())) {
            QToolTip::showText(e->globalPos(), LinkTip(link), m_surface);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        // A click on a link selects it, for Delete; elsewhere it lets go.
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) SelectLink(LinkAt(e->position().toPoint()));
        break;
    }
    case QEvent::ContextMenu: {
        auto* e = static_cast<QContextMenuEvent*>(event);
        if (TQBLink* link = LinkAt(e->pos()))
            link->WMRButtonDown(e->globalPos());
        else
            mnu->popup(e->globalPos());
        return true;
    }
    default:
        break;
    }
    return QScrollArea::eventFilter(watched, event);
}

QString TQBArea::LinkTip(const TQBLink* link) {
    const QString t1 = link->Table1->GetTableName(), t2 = link->Table2->GetTableName();
    QString tip = t1 + QLatin1Char('.') + link->Field1 + QStringLiteral(" = ") + t2 +
                  QLatin1Char('.') + link->Field2;
    if (!link->Condition.isEmpty()) tip += QStringLiteral(" and ") + link->Condition;
    switch (link->JoinType) {
    case 1:
        return tip + QStringLiteral("\n外连接：包括 %1 的所有行").arg(t1);
    case 2:
        return tip + QStringLiteral("\n外连接：包括 %1 的所有行").arg(t2);
    case 3:
        return tip + QStringLiteral("\n外连接：包括两表的所有行");
    default:
        return tip + QStringLiteral("\n内连接：只包括连接字段相等的行");
    }
}

bool TQBArea::_DragOver(QObject* source) const {
    return m_host->IsTableList(source);
}

void TQBArea::_DragDrop(QObject* source, const QPoint& at) {
    if (_DragOver(source)) InsertTable(at.x(), at.y());
}

TQBLink* TQBArea::LinkAt(const QPoint& at) const {
    for (qsizetype i = m_links.size() - 1; i >= 0; --i)
        if (m_links[i]->CMHitTest(at - m_links[i]->Geometry().topLeft())) return m_links[i];
    return nullptr;
}

TQBLbx* TQBArea::ListAt(const QPoint& globalPos) const {
    if (!viewport()->rect().contains(viewport()->mapFromGlobal(globalPos))) return nullptr;
    for (QWidget* w = m_surface->childAt(m_surface->mapFromGlobal(globalPos)); w && w != m_surface;
         w = w->parentWidget())
        if (auto* list = qobject_cast<TQBLbx*>(w)) return list;
    return nullptr;
}

// --- boxes -------------------------------------------------------------------

void TQBArea::AddTable(TQBTable* box) {
    m_tables.append(box);
    KeepLinksOnTop();
    if (m_tables.size() == 1) m_surface->update(); // the hint goes
}

void TQBArea::TableGone(TQBTable* box) {
    if (m_closing || !m_tables.contains(box)) return;
    UnlinkTable(box);
    m_tables.removeOne(box);
    if (m_tables.isEmpty()) m_surface->update(); // the hint comes back
    UpdateSurfaceSize();
    emit TableClosed(box->GetTableName());
}

TQBTable* TQBArea::FindTable(const QString& name) const {
    for (qsizetype i = m_tables.size() - 1; i >= 0; --i)
        if (m_tables[i]->GetTableName().compare(name, Qt::CaseInsensitive) == 0) return m_tables[i];
    return nullptr;
}

void TQBArea::Activated(TQBTable* box) {
    MakeActive(box);
    emit TableInserted(box);
}

void TQBArea::SelectLink(TQBLink* link) {
    if (link == m_selectedLink) return;
    if (m_selectedLink) Repaint(m_selectedLink->PaintRegion());
    m_selectedLink = link;
    if (link) Repaint(link->PaintRegion());
}

void TQBArea::MakeActive(TQBTable* box) {
    SelectLink(nullptr); // one thing at a time is selected
    box->SetActive(true);
    // Every other box goes inactive: names may differ only in letter case,
    // so the one named ActiveName is not always the one to switch off.
    for (TQBTable* other : std::as_const(m_tables))
        if (other != box && other->IsActive()) other->SetActive(false);
    ActiveName = box->GetTableName();
}

QString TQBArea::AskAlias(const QString& caption, const QString& prompt) {
    const QString retry = QStringLiteral("请重新输入   ");
    QString answer = Ui().InputBox(caption, prompt, QString());
    for (;;) {
        if (!IsValidByName(answer, m_host->GetDSN()))
            answer = Ui().InputBox(QString::fromUtf8(kInvalidAliasMessage), retry, answer);
        else if (FindTable(answer))
            answer = Ui().InputBox(QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"),
                                   retry, answer);
        else
            return answer;
    }
}

TQBTable* TQBArea::InsertTable(int x, int y) {
    const QString name = m_host->SelectedTable();
    if (name.isEmpty()) return nullptr;
    QString alias;
    if (FindTable(name)) {
        if (Ui().MessageBox(
                QStringLiteral("这张表已经选择过,是否要加入?若加入，请给该表加一个别名"),
                QStringLiteral("提示!"), TMsgButtons::YesNoDefaultNo, TMsgIcon::Question) != mrYes)
            return nullptr;
        alias = AskAlias(QString(), QStringLiteral("请输入别名：  "));
    }
    auto* box = new TQBTable(this);
    if (!box->Activate(name, alias, x, y)) {
        box->_CloseBtn();
        return nullptr;
    }
    Activated(box);
    AutoLinkPlacedTable(this, box);
    return box;
}

TQBTable* TQBArea::InsertQTable(int x, int y, const QString& name, const QString& sql) {
    auto* box = new TQBTable(this);
    if (!box->ActivateQ(name, x, y, sql)) {
        box->_CloseBtn();
        return nullptr;
    }
    Activated(box);
    return box;
}

void TQBArea::_InsertQTable() {
    TQuillaryDialog* owner = m_host->Dialog();
    if (!CheckConnected(owner ? &owner->Session() : nullptr, QStringLiteral("数据源尚未选择"),
                        QStringLiteral("提示")))
        return;
    TQuillaryDialog nested;
    nested.SetConnection(owner->GetConn());
    PrepareNestedRun(nested, window()->pos(), m_host->SystemTablesShown(),
                     QStringLiteral("SQL语句生成器--插入子查询表"), true);
    nested.IsAutoLink = owner->IsAutoLink;
    nested.IsDesignCommands = owner->IsDesignCommands;
    if (!nested.Execute()) return;
    const QString sql = nested.SQL.trimmed();
    if (sql.isEmpty()) return;
    const QString name = AskAlias(QStringLiteral("请输入别名："), QStringLiteral("别名： "));
    const QPoint next = m_host->NextTablePos();
    if (TQBTable* box = InsertQTable(next.x(), next.y(), name, sql))
        m_host->PlaceNextAfter(box->geometry());
}

void TQBArea::_OpenUnion() {
    TQuillaryDialog* owner = m_host->Dialog();
    if (!CheckConnected(owner ? &owner->Session() : nullptr, QStringLiteral("源数据源尚未选择！"),
                        QStringLiteral("提示！")))
        return;
    m_host->OpenUnionPanel();
}

void TQBArea::_OpenToolBox() {
    m_host->OpenToolBox();
}

void TQBArea::_OpenTableList() {
    m_host->OpenTableList();
}

// --- links -------------------------------------------------------------------

QList<TDesignLink> TQBArea::LinkValues(const TQBLink* extra) const {
    QHash<const TQBTable*, int> position;
    for (qsizetype i = 0; i < m_tables.size(); ++i)
        position.insert(m_tables[i], int(i));
    auto value = [&](const TQBLink* l) {
        return TDesignLink{position.value(l->Table1, -1),
                           position.value(l->Table2, -1),
                           l->Row1,
                           l->Row2,
                           QString(),
                           QString(),
                           l->JoinType,
                           {}};
    };
    QList<TDesignLink> links;
    links.reserve(m_links.size() + 1);
    for (const TQBLink* l : m_links)
        links.append(value(l));
    if (extra && !m_links.contains(extra)) links.append(value(extra));
    return links;
}

TQBLink* TQBArea::InsertLink(TQBTable* table1, TQBTable* table2, int row1, int row2) {
    if (!table1 || !table2) return nullptr;
    const QList<TDesignLink> existing = LinkValues();
    const int position1 = int(m_tables.indexOf(table1));
    const int position2 = int(m_tables.indexOf(table2));
    const TLinkVerdict verdict = JudgeNewLink(table1->Design(), position1, table2->Design(),
                                              position2, row1, row2, existing);
    for (const TLinkMessage& notice : verdict.Notices)
        Ui().MessageBox(notice.Text, notice.Caption);
    if (verdict.Refused) {
        if (!verdict.Refusal.Text.isEmpty())
            Ui().MessageBox(verdict.Refusal.Text, verdict.Refusal.Caption);
        return nullptr;
    }
    auto* link = new TQBLink(this, table1, table2);
    link->Row1 = verdict.Row1;
    link->Row2 = verdict.Row2;
    link->Field1 = verdict.Field1;
    link->Field2 = verdict.Field2;
    m_links.append(link);
    for (auto [table, row] : {std::pair{table1, link->Row1}, std::pair{table2, link->Row2}}) {
        if (row == -1) continue;
        table->FieldList->SelectItemBold(row);
        table->FieldList->viewport()->update();
    }
    ReboundLink(link);
    UpdateSurfaceSize();
    emit LinkInserted(link);
    return link;
}

bool TQBArea::FindLink(const TQBLink* link) const {
    const QList<TDesignLink> links = LinkValues(link);
    const qsizetype at = link ? m_links.indexOf(link) : -1;
    const qsizetype self = at >= 0 ? at : links.size() - 1;
    return link && IsAlreadyLinked(links, links[self], self);
}

bool TQBArea::FindOtherLink(const TQBLink* link, const TQBTable* table, int row) const {
    const qsizetype at = m_links.indexOf(link);
    return IsLinkedAt(LinkValues(), at, int(m_tables.indexOf(table)), row);
}

void TQBArea::ReboundLink(TQBLink* link) {
    RepaintLink(link);
    TQBTable* a = link->Table1;
    TQBTable* b = link->Table2;
    const QString caption = a->TableName + QStringLiteral(" :: ") + b->TableName;
    if (link->mnuLinkName->text() != caption) link->mnuLinkName->setText(caption);
    const int la = a->x(), wa = a->width(), lb = b->x(), wb = b->width();
    int left = 0, right = 0;
    if (a == b) {
        left = la + wa;
        right = left + 15;
    } else if (lb > la) {
        if (la + wa + 15 < lb) {
            left = la + wa, right = lb, link->HorizontalCase = 1;
        } else if (la + wa > lb + wb) {
            left = lb + wb, right = la + wa + 15, link->HorizontalCase = 3;
        } else {
            left = la + wa, right = lb + wb + 15, link->HorizontalCase = 2;
        }
    } else {
        if (lb + wb + 15 <= la) {
            left = lb + wb, right = la, link->HorizontalCase = 4;
        } else if (lb + wb > la + wa) {
            left = la + wa, right = lb + wb + 15, link->HorizontalCase = 2;
        } else {
            left = lb + wb, right = la + wa + 15, link->HorizontalCase = 3;
        }
    }
    const int ya = a->GetRowY(link->Row1);
    const int yb = b->GetRowY(link->Row2);
    int top, bottom;
    if (yb > ya) {
        top = ya - 7, bottom = yb + 7, link->VerticalCase = 1;
    } else {
        top = yb - 7, bottom = ya + 7, link->VerticalCase = 2;
    }
    link->SetGeometry(QRect(left, top, right - left, bottom - top));
    RepaintLink(link);
}

void TQBArea::ReboundLinks4Table(TQBTable* table) {
    for (qsizetype i = 0; i < m_links.size();) {
        TQBLink* link = m_links[i];
        if (link->Table1 != table && link->Table2 != table) {
            ++i;
            continue;
        }
        link->Row1 = link->Table1->FieldList->IndexOfText(link->Field1);
        link->Row2 = link->Table2->FieldList->IndexOfText(link->Field2);
        if (link->Row1 == -1 || link->Row2 == -1) {
            RemoveLink(link); // the walk goes on at the same place
            continue;
        }
        ReboundLink(link);
        ++i;
    }
}

void TQBArea::ClearBold(TQBLink* link, TQBTable* table, int row) {
    if (row == -1 || FindOtherLink(link, table, row)) return;
    table->FieldList->UnSelectItemBold(row);
    table->FieldList->viewport()->update();
}

void TQBArea::RemoveLink(TQBLink* link) {
    if (!m_links.removeOne(link)) return;
    if (link == m_selectedLink) m_selectedLink = nullptr;
    ClearBold(link, link->Table1, link->Row1);
    ClearBold(link, link->Table2, link->Row2);
    Repaint(link->PaintRegion());
    // Its own menu may be the one that asked for the removal.
    link->deleteLater();
    emit LinkRemoved();
}

void TQBArea::UnlinkTable(TQBTable* table) {
    for (qsizetype i = m_links.size() - 1; i >= 0; --i)
        if (m_links[i]->Table1 == table || m_links[i]->Table2 == table) RemoveLink(m_links[i]);
}

TQBLink* TQBArea::LinkOf(QObject* sender) const {
    for (TQBLink* link : m_links)
        if (sender == link || sender == link->mnu || sender == link->mnuOptions ||
            sender == link->mnuUnlink)
            return link;
    return nullptr;
}

void TQBArea::Unlink(QObject* sender) {
    if (TQBLink* link = LinkOf(sender)) RemoveLink(link);
}

void TQBArea::SetOptions(QObject* sender) {
    TQBLink* link = LinkOf(sender);
    if (!link) return;
    TQBTable* t1 = link->Table1;
    TQBTable* t2 = link->Table2;
    auto nameOf = [](const TQBTable* t) {
        return t->Alias.isEmpty() ? t->TableName
                                  : t->TableName + QLatin1Char('(') + t->Alias + QLatin1Char(')');
    };
    const QString lname = nameOf(t1);
    const QString rname = nameOf(t2);
    Tfrm_link dialog(window());
    dialog.Label1->setText(QStringLiteral("左表名称 ") + lname);
    dialog.Label1->adjustSize();
    dialog.Label2->setText(QStringLiteral("右表名称 ") + rname);
    dialog.Label2->adjustSize();
    auto fill = [](QComboBox* combo, const TQBTable* table, int row) {
        for (int i = 1; i < table->FieldList->count(); ++i)
            combo->addItem(table->FieldList->item(i)->text());
        combo->setCurrentIndex(row >= 1 ? row - 1 : -1);
    };
    fill(dialog.ComboBox1, t1, link->Row1);
    fill(dialog.ComboBox2, t2, link->Row2);
    auto allOf = [](const QString& all, const QString& matching) {
        return QStringLiteral("包括所有表") + QLatin1Char('\'') + all + QLatin1Char('\'') +
               QStringLiteral("的记录和那些连接字段相同的") + QLatin1Char('\'') + matching +
               QLatin1Char('\'') + QStringLiteral("记录");
    };
    dialog.RadioType->SetItem(1, allOf(lname, rname));
    dialog.RadioType->SetItem(2, allOf(rname, lname));
    // A full outer join only where the data source writes one.
    if (!m_host->Dialect().WritesFullJoin()) dialog.RadioType->RemoveItem(3);
    dialog.RadioType->SetItemIndex(link->JoinType);
    dialog.EditCondition->setText(link->Condition);
    if (Ui().ShowModal(&dialog) != mrOk) return;

    auto change = [&](QComboBox* combo, TQBTable* table, int& row, QString& field) {
        const int chosen = combo->currentIndex();
        if (chosen < 0 || chosen + 1 == row) return;
        ClearBold(link, table, row);
        row = chosen + 1;
        table->FieldList->SelectItemBold(row);
        field = combo->currentText();
        table->FieldList->viewport()->update();
    };
    change(dialog.ComboBox1, t1, link->Row1, link->Field1);
    change(dialog.ComboBox2, t2, link->Row2, link->Field2);
    link->JoinType = dialog.RadioType->ItemIndex();
    link->Condition = dialog.EditCondition->text().trimmed();
    ReboundLink(link);
    ReboundLinks4Table(t1);
    if (t2 != t1) ReboundLinks4Table(t2);
    t1->update();
    t2->update();
    emit LinkChanged(link);
}

// --- the design as a value ---------------------------------------------------

void TQBArea::ReadDesign(QueryDesign& design) const {
    design.Dialect = m_host->Dialect();
    design.Boxes.clear();
    design.Links.clear();
    QHash<const TQBTable*, int> position;
    for (qsizetype i = 0; i < m_tables.size(); ++i) {
        position.insert(m_tables[i], int(i));
        design.Boxes.append(m_tables[i]->Design());
    }
    for (const TQBLink* l : m_links)
        design.Links.append(TDesignLink{position.value(l->Table1, -1),
                                        position.value(l->Table2, -1), l->Row1, l->Row2, l->Field1,
                                        l->Field2, l->JoinType, l->Condition});
}

void TQBArea::Arrange() {
    if (m_tables.isEmpty()) return;
    QueryDesign design;
    ReadDesign(design);
    TArrangeSpacing spacing;
    spacing.Width = viewport()->width();
    ArrangeBoxes(design, spacing);
    for (qsizetype i = 0; i < m_tables.size(); ++i) {
        const TDesignBox& b = design.Boxes[i];
        m_tables[i]->PlaceAt(QRect(b.Left, b.Top, b.Width, b.Height));
    }
    for (TQBLink* link : std::as_const(m_links))
        ReboundLink(link);
    UpdateSurfaceSize();
    // Laid out for the window at full size, then scaled down until every
    // box shows: one step makes the whole design readable.
    FitToWindow();
}

void TQBArea::ApplyDesign(const QueryDesign& design) {
    QList<TQBTable*> made;
    for (const TDesignBox& b : design.Boxes) {
        auto* box = new TQBTable(this);
        if (!box->ActivateFrom(b)) {
            box->_CloseBtn();
            box = nullptr;
        }
        made.append(box);
    }
    for (const TDesignLink& l : design.Links) {
        TQBTable* t1 = made.value(l.Table1);
        TQBTable* t2 = made.value(l.Table2);
        if (!t1 || !t2) continue;
        auto* link = new TQBLink(this, t1, t2);
        link->Row1 = l.Row1;
        link->Row2 = l.Row2;
        link->Field1 = l.Field1;
        link->Field2 = l.Field2;
        link->JoinType = l.JoinType;
        link->Condition = l.Condition;
        m_links.append(link);
        if (l.Row1 >= 1) t1->FieldList->SelectItemBold(l.Row1);
        if (l.Row2 >= 1) t2->FieldList->SelectItemBold(l.Row2);
        ReboundLink(link);
    }
    UpdateSurfaceSize();
}

} // namespace quillary
