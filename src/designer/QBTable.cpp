#include "designer/QBTable.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "designer/CanvasHost.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QuillaryDialog.h"
#include "platform/Exception.h"
#include "platform/UserInteraction.h"
#include "query/TableBox.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlStatements.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollArea>
#include <QSet>
#include <QStyle>
#include <QToolButton>

namespace quillary {

namespace {

// Title colours of the classic desktop scheme: active and inactive captions.
const QColor kActiveCaption(10, 36, 106);
const QColor kActiveCaptionText(Qt::white);
const QColor kInactiveCaption(128, 128, 128);
const QColor kInactiveCaptionText(212, 208, 200);

QFont MeasuringFont() {
    QFont bold = DesignerFont();
    bold.setBold(true);
    bold.setPointSize(8);
    return bold;
}

// The font of the title and of the column list.
QFont ListFont() {
    QFont font = DesignerFont();
    font.setBold(false);
    return font;
}

QFont Zoomed(QFont font, double zoom) {
    if (zoom != 1.0) font.setPointSizeF(font.pointSizeF() * zoom);
    return font;
}

int Scaled(int length, double zoom) {
    return zoom == 1.0 ? length : qRound(length * zoom);
}

QRect Scaled(const QRect& rect, double zoom) {
    if (zoom == 1.0) return rect;
    return {qRound(rect.x() * zoom), qRound(rect.y() * zoom), qRound(rect.width() * zoom),
            qRound(rect.height() * zoom)};
}

// The size of a box listing `items` under the title `tableName`, at `zoom`
// with the lists in `style` (the application's when null).
QSize NaturalSize(const QStringList& items, const QString& tableName, double zoom = 1.0,
                  const QStyle* style = nullptr) {
    const QFont listFont = Zoomed(ListFont(), zoom);
    const int itemHeight = TQBLbx::ItemHeightFor(listFont, style);
    const int rows = std::min(int(items.size()), TQBTable::kMaxVisibleItems);
    const int listHeight = itemHeight * rows + Scaled(4, zoom);
    // Items are measured in the font the list draws them with, so that no
    // column name is cut off; the widest counts as at least 110 pixels.
    const QFontMetrics metrics(listFont);
    int widest = Scaled(110, zoom);
    for (const QString& item : items)
        widest = std::max(widest, metrics.horizontalAdvance(item));
    const int check =
        style ? style->pixelMetric(QStyle::PM_IndicatorWidth) : TQBLbx::CheckWidth();
    int width = check + Scaled(20, zoom) + widest;
    const int titleWidth =
        QFontMetrics(Zoomed(MeasuringFont(), zoom)).horizontalAdvance(tableName);
    if (titleWidth > width - Scaled(34, zoom)) width = titleWidth + Scaled(34, zoom);
    return {width, listHeight + 2 * TQBTable::kBorder + Scaled(TQBTable::kTitleHeight, zoom)};
}

} // namespace

TQBTable::TQBTable(TQBArea* canvas) : QFrame(nullptr), m_canvas(canvas) {
    setObjectName(QStringLiteral("QBTable"));
    // Raised bevels and a border: three pixels to take hold of when resizing.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setMouseTracking(true);
    // Opaque, so that moving a box shifts its pixels instead of repainting
    // it and everything beneath.
    setAutoFillBackground(true);
    hide(); // until loaded
    SetParent(canvas);

    Title = new QLabel(this);
    Title->setObjectName(QStringLiteral("Title"));
    Title->setAutoFillBackground(true);
    Title->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Title->setLineWidth(1);
    Title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Title->setCursor(Qt::ArrowCursor);
    Title->installEventFilter(this);

    FieldList = new TQBLbx(this);

    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setToolTip(QStringLiteral("关闭表"));
    CloseButton->setIcon(QIcon(QStringLiteral(":/quillary/designer/icons/close.svg")));
    CloseButton->hide(); // closing goes through the pop-up menu
    UnlinkButton = new QToolButton(this);
    UnlinkButton->setObjectName(QStringLiteral("UnlinkButton"));
    UnlinkButton->setToolTip(QStringLiteral("取消链接"));
    UnlinkButton->setAutoRaise(true);
    UnlinkButton->setIcon(QIcon(QStringLiteral(":/quillary/designer/icons/unlink.svg")));
    UnlinkButton->setCursor(Qt::ArrowCursor);
    connect(UnlinkButton, &QToolButton::clicked, this, &TQBTable::_UnlinkBtn);

    ApplyZoom();
    CreateMenu();
    // Not active yet: the inactive caption colour, with the white text the
    // title is created with until the box first changes state.
    ColourTitle(kInactiveCaption, kActiveCaptionText);
    m_canvas->AddTable(this);
}

TQBTable::~TQBTable() {
    delete m_outline;
    if (!m_closed) m_canvas->TableGone(this);
    // The list goes while the box is whole: its signals reach the box.
    delete FieldList;
}

void TQBTable::CreateMenu() {
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    struct TItem {
        const char* Caption;
        const char* Name;
        void (TQBTable::*Action)();
    };
    const TItem items[] = {
        {"全选", "mnuSelectAll", &TQBTable::_SelectAll},
        {"全不选", "mnuUnSelectAll", &TQBTable::_UnSelectAll},
        {nullptr, nullptr, nullptr},
        {"别名", "mnuByName", &TQBTable::_InputByName},
        {"取消别名", "mnuByName", &TQBTable::_CancelByName},
        {nullptr, nullptr, nullptr},
        {"重新生成子查询表", "mnuByName", &TQBTable::_BuildSubQuery},
        {nullptr, nullptr, nullptr},
        {"取消链接", "mnuUnLink", &TQBTable::_UnlinkBtn},
        {"关闭表", "mnuClose", &TQBTable::_CloseBtn},
    };
    for (const TItem& item : items) {
        if (!item.Caption) {
            m_items << PopupMenu->addSeparator();
            continue;
        }
        QAction* action = PopupMenu->addAction(QString::fromUtf8(item.Caption));
        action->setObjectName(QString::fromLatin1(item.Name));
        connect(action, &QAction::triggered, this, item.Action);
        m_items << action;
    }
    connect(PopupMenu, &QMenu::aboutToShow, this, &TQBTable::PopupMenuOnChange);
}

void TQBTable::PopupMenuOnChange() {
    m_items[miCancelByName]->setVisible(!Alias.isEmpty());
    const bool nested = Kind == 'Q' || Kind == 'V';
    m_items[miBuildSubQuery]->setVisible(nested);
    m_items[miBuildSeparator]->setVisible(nested);
    if (Kind == 'Q') m_items[miBuildSubQuery]->setText(QStringLiteral("重建子查询表"));
    if (Kind == 'V') m_items[miBuildSubQuery]->setText(QStringLiteral("编辑视图"));
}

void TQBTable::SetParent(QWidget* parent) {
    if (!parent) {
        setParent(nullptr);
        return;
    }
    TQBArea* canvas = qobject_cast<TQBArea*>(parent);
    if (!canvas) canvas = TQBArea::OfSurface(parent);
    if (canvas) {
        setParent(canvas->Surface());
        return;
    }
    // Any scroll area may hold a box: it stands on the area's contents.
    auto* area = qobject_cast<QScrollArea*>(parent);
    if (!area) throw Exception(QString::fromUtf8(kBoxParentMessage));
    setParent(area->widget() ? area->widget() : area->viewport());
}

void TQBTable::ColourTitle(const QColor& caption, const QColor& text) {
    QPalette p = Title->palette();
    p.setColor(QPalette::Window, caption);
    p.setColor(QPalette::WindowText, text);
    Title->setPalette(p);
}

void TQBTable::SetActive(bool active) {
    m_active = active;
    ColourTitle(active ? kActiveCaption : kInactiveCaption,
                active ? kActiveCaptionText : kInactiveCaptionText);
    if (active) {
        raise(); // painting order only; the canvas keeps creation order
        m_canvas->KeepLinksOnTop();
    }
}

void TQBTable::ApplyActivationRule() {
    m_canvas->SelectLink(nullptr); // the box is what the user works on now
    if (!m_active) m_canvas->MakeActive(this);
}

void TQBTable::UpdateTitle() {
    const QString text = QLatin1Char(' ') + TableName + QLatin1Char(' ') + Alias;
    if (Title->text() != text) Title->setText(text);
}

void TQBTable::paintEvent(QPaintEvent* event) {
    UpdateTitle();
    QFrame::paintEvent(event);
}

void TQBTable::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOutParts();
}

void TQBTable::LayOutParts() {
    const QRect inner = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    const int title = TitleHeight();
    Title->setGeometry(inner.left(), inner.top(), inner.width(), title);
    FieldList->setGeometry(inner.left(), inner.top() + title, inner.width(),
                           inner.height() - title);
    // At the title bar's right end, 2 pixels from the box's top.
    const int button = UnlinkButton->width();
    UnlinkButton->move(width() - kBorder - button - Scaled(4, m_canvas->Zoom()),
                       Scaled(2, m_canvas->Zoom()));
}

int TQBTable::TitleHeight() const {
    return Scaled(kTitleHeight, m_canvas->Zoom());
}

void TQBTable::ApplyZoom() {
    const double zoom = m_canvas->Zoom();
    // The style first: the list's row height reads it with the font.
    QStyle* style = m_canvas->ListStyle();
    if (FieldList->style() != (style ? style : QApplication::style())) FieldList->setStyle(style);
    FieldList->setFont(Zoomed(ListFont(), zoom));
    Title->setFont(Zoomed(ListFont(), zoom));
    setFont(Zoomed(MeasuringFont(), zoom));
    UnlinkButton->setFixedSize(Scaled(12, zoom), Scaled(12, zoom));
    UnlinkButton->setIconSize(QSize(Scaled(10, zoom), Scaled(10, zoom)));
    LayOutParts();
}

void TQBTable::PlaceAt(const QRect& design) {
    m_designRect = design;
    m_zoomedRect = Scaled(design, m_canvas->Zoom());
    setGeometry(m_zoomedRect);
}

QRect TQBTable::DesignRect() const {
    const QRect shown = geometry();
    if (shown == m_zoomedRect) return m_designRect;
    const double zoom = m_canvas->Zoom();
    return Scaled(shown, 1.0 / zoom);
}

void TQBTable::DetectView() {
    TCanvasHost* host = m_canvas->Host();
    TADOConnection* connection = host->Dialog() ? host->Dialog()->GetConn() : nullptr;
    // A catalogue that cannot tell leaves the box a table.
    if (dialect::ViewSource(connection, host->GetDSN(), TableName, SourceText)) Kind = 'V';
}

bool TQBTable::LoadColumns(const QString& sql) {
    TCanvasHost* host = m_canvas->Host();
    TADOQuery query;
    query.SetConnection(host->Dialog() ? host->Dialog()->GetConn() : nullptr);
    query.SetReadOnly(true); // a sub-query's text may come from anywhere
    query.SQL() = QStringList{sql};
    try {
        query.Open();
    } catch (const EDatabaseError& e) {
        Ui().MessageBox(e.Message(), QString());
        return false;
    }
    QSet<QString> listed;
    for (int i = 1; i < FieldList->count(); ++i)
        listed.insert(FieldList->item(i)->text());
    QList<TDesignField> fields{{QStringLiteral("*"), 0, false}};
    const TFieldDefs& defs = query.FieldDefs();
    for (int i = 0; i < defs.Count(); ++i)
        fields.append({defs[i].Name, int(defs[i].DataType), false});
    FieldList->SetFields(fields);
    // A reload registers only the columns that are new, so that the
    // designer's lists hold each column once.
    const TSqlDialect dialect = host->Dialect();
    QStringList added;
    for (int i = 0; i < defs.Count(); ++i)
        if (!listed.contains(defs[i].Name))
            added << dialect.Designation(GetTableName(), defs[i].Name);
    host->EditColumnLists([&added](QueryDesign& lists) { OfferColumns(lists, added); });
    FieldList->AllocArrBold();
    return true;
}

void TQBTable::Show() {
    QStringList items;
    for (int i = 0; i < FieldList->count(); ++i)
        items << FieldList->item(i)->text();
    resize(NaturalSize(items, TableName, m_canvas->Zoom(), m_canvas->ListStyle()));
    CloseButton->hide();
    UnlinkButton->raise();
    UpdateTitle();
    show();
    m_canvas->UpdateSurfaceSize();
}

QSize TQBTable::SizeFor(const TDesignBox& design) {
    QStringList items;
    for (const TDesignField& field : design.Fields)
        items << field.Name;
    if (items.isEmpty() || items.first() != QLatin1String("*")) items.prepend(QStringLiteral("*"));
    return NaturalSize(items, design.TableName);
}

bool TQBTable::Activate(const QString& tableName, const QString& alias, int left, int top) {
    move(left, top);
    setToolTip(tableName);
    TableName = tableName;
    Alias = alias;
    SourceText.clear();
    Kind = 'T';
    DetectView();
    if (!LoadColumns(dialect::ColumnsOf(tableName))) return false;
    Show();
    return true;
}

bool TQBTable::ActivateQ(const QString& name, int left, int top, const QString& sql) {
    move(left, top);
    setToolTip(sql);
    TableName = name;
    Alias.clear();
    SourceText = sql;
    Kind = 'Q';
    if (!LoadColumns(sql)) return false;
    Show();
    return true;
}

bool TQBTable::ActivateFrom(const TDesignBox& design) {
    if (design.TableName.isEmpty()) return false;
    const double zoom = m_canvas->Zoom();
    move(Scaled(design.Left, zoom), Scaled(design.Top, zoom));
    TableName = design.TableName;
    Alias = design.Alias;
    SourceText = design.SourceText;
    Kind = design.Kind;
    setToolTip(Kind == 'Q' ? SourceText : TableName);
    QList<TDesignField> fields = design.Fields;
    if (fields.isEmpty() || fields.first().Name != QLatin1String("*"))
        fields.prepend({QStringLiteral("*"), 0, false});
    FieldList->SetFields(fields);
    FieldList->AllocArrBold();
    Show();
    const QSize size = design.Width > 0 && design.Height > 0
                           ? QSize(design.Width, design.Height)
                           : Scaled(QRect(QPoint(), this->size()), 1.0 / zoom).size();
    PlaceAt(QRect(QPoint(design.Left, design.Top), size));
    return true;
}

TDesignBox TQBTable::Design() const {
    TDesignBox design;
    design.TableName = TableName;
    design.Alias = Alias;
    design.Kind = Kind;
    design.SourceText = SourceText;
    const QRect place = DesignRect();
    design.Left = place.x();
    design.Top = place.y();
    design.Width = place.width();
    design.Height = place.height();
    design.Fields.reserve(FieldList->count());
    for (int i = 0; i < FieldList->count(); ++i) {
        const QListWidgetItem* item = FieldList->item(i);
        design.Fields.append({item->text(), item->data(TQBLbx::FieldTypeRole).toInt(),
                              item->checkState() == Qt::Checked});
    }
    return design;
}

int TQBTable::GetRowY(int row) const {
    const int top = FieldList->TopIndex();
    const QRect list = FieldList->geometry();
    int y;
    if (row < top) {
        y = list.top() + FieldList->GetItemY(-1);
    } else {
        y = list.top() + FieldList->GetItemY(row - top);
        if (y > list.top() + list.height()) y = list.top() + list.height();
    }
    return y + this->y();
}

// --- the designer's lists ---------------------------------------------------

void TQBTable::UpdateOrderColumn() {
    TCanvasHost* host = m_canvas->Host();
    const TSqlDialect dialect = host->Dialect();
    QList<TSortTick> ticks;
    ticks.reserve(FieldList->count());
    for (int i = 1; i < FieldList->count(); ++i)
        ticks.append({dialect.Designation(GetTableName(), FieldList->item(i)->text()),
                      FieldList->IsChecked(i)});
    host->EditColumnLists([&ticks](QueryDesign& lists) { TickSortCandidates(lists, ticks); });
}

void TQBTable::UpdateCriterList(const QString& oldName, const QString& newName) {
    m_canvas->Host()->EditColumnLists(
        [&](QueryDesign& lists) { quillary::UpdateCriterList(lists, oldName, newName); });
}

void TQBTable::_SelectAll() {
    for (int i = 0; i < FieldList->count(); ++i)
        FieldList->SetChecked(i, true);
    UpdateOrderColumn();
}

void TQBTable::_UnSelectAll() {
    for (int i = 0; i < FieldList->count(); ++i)
        FieldList->SetChecked(i, false);
    UpdateOrderColumn();
}

// --- aliases ----------------------------------------------------------------

QString TQBTable::AskName(const QString& prefilled) {
    const QString retry = QStringLiteral("请重新输入   ");
    QString answer =
        Ui().InputBox(QStringLiteral("请输入别名："), QStringLiteral("别名： "), prefilled);
    while (!answer.isEmpty()) {
        TQBTable* other = m_canvas->FindTable(answer);
        if (!IsValidByName(answer, m_canvas->Host()->GetDSN()))
            answer = Ui().InputBox(QString::fromUtf8(kInvalidAliasMessage), retry, answer);
        else if (other && other != this)
            answer = Ui().InputBox(QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"),
                                   retry, answer);
        else
            return answer;
    }
    return {};
}

void TQBTable::_InputByName() {
    const QString oldName = GetTableName();
    // A sub-query's name is its alias.
    const QString answer = AskName(Kind == 'Q' ? TableName : Alias);
    if (answer.isEmpty()) return;
    if (Kind == 'Q')
        TableName = answer;
    else
        Alias = answer;
    if (m_active) m_canvas->ActiveName = answer;
    UpdateCriterList(oldName, answer);
    UpdateTitle();
    update();
    m_canvas->ReboundLinks4Table(this); // link menus name the boxes
    emit m_canvas->AliasChanged(this, oldName, answer);
}

void TQBTable::_CancelByName() {
    if (Alias.isEmpty()) return;
    if (TQBTable* other = m_canvas->FindTable(TableName); other && other != this) {
        Ui().MessageBox(QStringLiteral("别名不能取消,因为该表表名\r\n已被另一个表的别名或标名占用"),
                        QStringLiteral("提示"));
        return;
    }
    const QString oldName = Alias;
    UpdateCriterList(Alias, TableName);
    Alias.clear();
    m_canvas->ActiveName = TableName;
    UpdateTitle();
    update();
    emit m_canvas->AliasChanged(this, oldName, TableName);
}

// --- reloading --------------------------------------------------------------

void TQBTable::_BuildSubQuery() {
    if (Kind != 'Q' && Kind != 'V') return;
    TCanvasHost* host = m_canvas->Host();
    TQuillaryDialog* owner = host->Dialog();
    if (!owner) return;
    TQuillaryDialog nested;
    nested.SetConnection(owner->GetConn());
    nested.IsAllowChangeCSN = false;
    nested.IsAllowUnion = true;
    nested.SQL = SourceText;
    nested.Caption = (Kind == 'Q' ? QStringLiteral("SQL语句生成器--子查询表:")
                                  : QStringLiteral("SQL语句生成器--编辑视图:")) +
                     TableName;
    if (!nested.Execute()) return;
    SourceText = nested.SQL;
    if (Kind == 'V') {
        const QString statement = dialect::AlterView(host->Dialect(), TableName, SourceText);
        // The view's new text must be one query, or the statement would
        // carry more than the view.
        if (const QString fault = SingleSelectFault(SourceText, host->Dialect().Readings());
            !statement.isEmpty() && !fault.isEmpty()) {
            Ui().MessageBox(fault, QString(), TMsgButtons::Ok, TMsgIcon::Error);
            return;
        }
        if (!statement.isEmpty()) {
            TADOQuery query;
            query.SetConnection(owner->GetConn());
            query.SQL() = QStringList{statement};
            try {
                query.ExecSQL();
            } catch (const EDatabaseError& e) {
                Ui().MessageBox(e.Message(), QString(), TMsgButtons::Ok, TMsgIcon::Error);
                return;
            }
        }
    }
    Refresh_new();
}

void TQBTable::Refresh_new() {
    const QStringList ticked = FieldList->GetCheckedItem();
    const bool loaded = Kind == 'Q' ? ActivateQ(TableName, x(), y(), SourceText)
                                    : Activate(TableName, Alias, x(), y());
    if (!loaded) return;
    for (int i = 0; i < FieldList->count(); ++i)
        if (ticked.contains(FieldList->item(i)->text(), Qt::CaseInsensitive))
            FieldList->SetChecked(i, true);
    // The reload gave the list fresh bold flags; the links that survive
    // keep their rows but mark nothing anew.
    m_canvas->ReboundLinks4Table(this);
}

// --- removal ----------------------------------------------------------------

void TQBTable::_UnlinkBtn() {
    m_canvas->UnlinkTable(this);
}

void TQBTable::_CloseBtn() {
    if (m_closed) return;
    m_canvas->UnlinkTable(this);
    // A box that never loaded registered nothing (and may share its name
    // with a box that did).
    if (FieldList->count() > 0) {
        const QString prefix = GetTableName() + QLatin1Char('.');
        m_canvas->Host()->EditColumnLists(
            [&prefix](QueryDesign& lists) { WithdrawColumns(lists, prefix); });
    }
    m_canvas->ActiveName.clear();
    m_closed = true;
    m_canvas->TableGone(this);
    hide();
    deleteLater();
}

// --- mouse ------------------------------------------------------------------

bool TQBTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Title) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        TitleMouseDown(e->button(), e->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseMove:
        TitleMouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        TitleMouseUp(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}

void TQBTable::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu->popup(event->globalPos());
}

QPoint TQBTable::ClampToCanvas(const QPoint& globalPos) const {
    const QWidget* area = m_canvas->viewport();
    const QRect bounds(area->mapToGlobal(QPoint(0, 0)), area->size());
    return {std::clamp(globalPos.x(), bounds.left(), bounds.right()),
            std::clamp(globalPos.y(), bounds.top(), bounds.bottom())};
}

void TQBTable::TitleMouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    ApplyActivationRule();
    if (button != Qt::LeftButton) return;
    m_moving = true;
    m_pressPoint = ClampToCanvas(globalPos);
    m_outlineRect = geometry();
    if (!m_outline) m_outline = new QRubberBand(QRubberBand::Rectangle, m_canvas->Surface());
    m_outline->setGeometry(m_outlineRect);
    m_outline->show();
    m_outline->raise();
}

void TQBTable::TitleMouseMove(const QPoint& globalPos) {
    if (!m_moving) return;
    m_outlineRect = geometry().translated(ClampToCanvas(globalPos) - m_pressPoint);
    m_outline->setGeometry(m_outlineRect);
}

void TQBTable::TitleMouseUp(const QPoint& globalPos) {
    if (m_moving) EndMove(globalPos);
}

void TQBTable::EndMove(const QPoint& globalPos) {
    TitleMouseMove(globalPos);
    m_moving = false;
    m_outline->hide();
    if (m_outlineRect.topLeft() != pos()) {
        move(m_outlineRect.topLeft());
        m_canvas->UpdateSurfaceSize();
    }
    m_canvas->ReboundLinks4Table(this);
}

int TQBTable::ZoneAt(const QPoint& at, const QSize& size) {
    const int x = at.x(), y = at.y(), w = size.width(), h = size.height();
    auto within = [](int v, int low, int high) { return v >= low && v <= high; };
    if (x < 5 && y < 5) return 1;
    if (within(y, -5, 5) && x > 5 && x < w - 5) return 2;
    if (within(y, -5, 5) && within(x, w - 5, w + 5)) return 3;
    if (within(x, w - 5, w + 5) && y >= 6 && y < h - 5) return 4;
    if (within(x, w - 5, w + 5) && within(y, h - 5, h + 5)) return 5;
    if (x > 5 && x < w - 5 && within(y, h - 5, h + 5)) return 6;
    if (within(x, -5, 5) && within(y, h - 5, h + 5)) return 7;
    if (within(x, -5, 5) && y >= 6 && y < h - 5) return 8;
    return 0;
}

Qt::CursorShape TQBTable::ZoneCursor(int zone) {
    switch (zone) {
    case 1:
    case 5:
        return Qt::SizeFDiagCursor;
    case 2:
    case 6:
        return Qt::SizeVerCursor;
    case 3:
    case 7:
        return Qt::SizeBDiagCursor;
    case 4:
    case 8:
        return Qt::SizeHorCursor;
    default:
        return Qt::ArrowCursor;
    }
}

int TQBTable::MinimumResizeHeight() const {
    return FieldList->ItemHeight() + Title->geometry().bottom() + 1 + 2;
}

void TQBTable::MouseDown(Qt::MouseButton button, const QPoint& at) {
    ApplyActivationRule();
    if (button == Qt::LeftButton) m_zone = ZoneAt(at, size());
}

void TQBTable::MouseMove(Qt::MouseButtons buttons, const QPoint& at) {
    if (m_zone == 0) {
        if (buttons == Qt::NoButton) setCursor(ZoneCursor(ZoneAt(at, size())));
        return;
    }
    const int x = at.x(), y = at.y();
    const int minHeight = MinimumResizeHeight();
    const bool left = m_zone == 1 || m_zone == 7 || m_zone == 8;
    const bool top = m_zone == 1 || m_zone == 2 || m_zone == 3;
    const bool right = m_zone == 3 || m_zone == 4 || m_zone == 5;
    const bool bottom = m_zone == 5 || m_zone == 6 || m_zone == 7;
    QRect g = geometry();
    // A left or top edge moves with the mouse while the rest stays above the
    // minimum; a right or bottom edge follows it beyond the minimum.
    if (left && g.width() - x > kMinimumWidth) g.setLeft(g.left() + x);
    if (top && g.height() - y > minHeight) g.setTop(g.top() + y);
    if (right && x > kMinimumWidth) g.setWidth(x);
    if (bottom && y > minHeight) g.setHeight(y);
    if (g == geometry()) return;
    setGeometry(g);
    m_canvas->ReboundLinks4Table(this);
}

void TQBTable::MouseUp(const QPoint& at) {
    m_zone = 0;
    if (m_moving) EndMove(mapToGlobal(at));
    m_canvas->UpdateSurfaceSize();
    m_canvas->ReboundLinks4Table(this);
}

void TQBTable::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    MouseDown(event->button(), event->position().toPoint());
}

void TQBTable::mouseMoveEvent(QMouseEvent* event) {
    MouseMove(event->buttons(), event->position().toPoint());
}

void TQBTable::mouseReleaseEvent(QMouseEvent* event) {
    MouseUp(event->position().toPoint());
}

// --- column drags -----------------------------------------------------------

bool TQBTable::_DragOver(QObject* source) const {
    const auto* list = qobject_cast<const TQBLbx*>(source);
    return list && list->Box() && list->Box()->Canvas() == m_canvas;
}

void TQBTable::_DragDrop(QObject* source, int, int y) {
    auto* list = qobject_cast<TQBLbx*>(source);
    if (!list || !_DragOver(source)) return;
    const int itemHeight = FieldList->ItemHeight();
    int row = itemHeight ? y / itemHeight : 0;
    if (row > FieldList->count() - 1) row = FieldList->count() - 1;
    TQBTable* from = list->Box();
    // Only a column from another box counts from the first visible row; a
    // drop on the own list is refused by the link rules either way.
    if (from != this)
        m_canvas->InsertLink(from, this, list->currentRow(), row + FieldList->TopIndex());
    else if (row != FieldList->currentRow())
        m_canvas->InsertLink(this, this, FieldList->currentRow(), row);
}

} // namespace quillary
