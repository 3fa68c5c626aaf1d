#include "designer/QBArea.h"
#include "db/Dialect.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

namespace quillary {

TQBArea::TQBArea(TFrm_Quillary* form) : QScrollArea(form), m_form(form) {
    setObjectName(QStringLiteral("QBArea"));
    setFrameShape(QFrame::StyledPanel);
    setWidgetResizable(false);
    setToolTip(QString::fromUtf8(kCanvasHint));

    m_surface = new QWidget;
    m_surface->setObjectName(QStringLiteral("QBAreaSurface"));
    m_surface->setAutoFillBackground(true);
    QPalette palette = m_surface->palette();
    palette.setColor(QPalette::Window, QColor(114, 143, 143));
    m_surface->setPalette(palette);
    m_surface->setAcceptDrops(true);
    m_surface->installEventFilter(this);
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
    UpdateSurfaceSize();
}

TQBArea::~TQBArea() = default;

void TQBArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    UpdateSurfaceSize();
}

void TQBArea::UpdateSurfaceSize() {
    QRect bounds(QPoint(0, 0), viewport()->size());
    for (QWidget* child : m_surface->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisibleTo(m_surface))
            bounds = bounds.united(child->geometry().adjusted(0, 0, 10, 10));
    m_surface->resize(bounds.size());
}

bool TQBArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_surface) return QScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ContextMenu: {
        auto* e = static_cast<QContextMenuEvent*>(event);
        mnu->popup(e->globalPos());
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Only tables dragged from the form's own table list are taken.
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (_DragOver(e->source()))
            e->acceptProposedAction();
        else
            e->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!_DragOver(e->source())) return false;
        e->acceptProposedAction();
        _DragDrop(e->source(), e->position().toPoint());
        return true;
    }
    case QEvent::ChildRemoved:
    case QEvent::ChildAdded:
        UpdateSurfaceSize();
        break;
    default:
        break;
    }
    return QScrollArea::eventFilter(watched, event);
}

bool TQBArea::_DragOver(QObject* source) const {
    return source && source == m_form->QBTables;
}

void TQBArea::_DragDrop(QObject* source, const QPoint& at) {
    if (_DragOver(source)) InsertTable(at.x(), at.y());
}

QList<TQBTable*> TQBArea::Tables() const {
    QList<TQBTable*> tables;
    for (QObject* child : m_surface->children())
        if (auto* t = qobject_cast<TQBTable*>(child)) tables << t;
    return tables;
}

TQBTable* TQBArea::FindTable(const QString& name) const {
    const QObjectList& children = m_surface->children();
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        if (auto* t = qobject_cast<TQBTable*>(children[i]))
            if (t->GetTableName().compare(name, Qt::CaseInsensitive) == 0) return t;
    return nullptr;
}

void TQBArea::Activated(TQBTable* box) {
    box->SetActive(true);
    const QString name = box->GetTableName();
    if (!ActiveName.isEmpty() && ActiveName != name)
        if (TQBTable* previous = FindTable(ActiveName); previous && previous != box)
            previous->SetActive(false);
    ActiveName = name;
}

QString TQBArea::AskAlias(const QString& caption, const QString& prompt) {
    const QString retry = QStringLiteral("请重新输入   ");
    QString answer = Ui().InputBox(caption, prompt, QString());
    for (;;) {
        if (!IsValidByName(answer, m_form->GetDSN()))
            answer = Ui().InputBox(QString::fromUtf8(kInvalidAliasMessage), retry, answer);
        else if (FindTable(answer))
            answer = Ui().InputBox(QStringLiteral("你输入的别名与以选择的表的别名或表名重复！"),
                                   retry, answer);
        else
            return answer;
    }
}

TQBTable* TQBArea::InsertTable(int x, int y) {
    QListWidgetItem* selected = m_form->QBTables->currentItem();
    if (!selected || !selected->isSelected()) return nullptr;
    const QString name = selected->text();
    QString alias;
    if (FindTable(name)) {
        if (Ui().MessageBox(
                QStringLiteral("这张表已经选择过,是否要加入?若加入，请给该表加一个别名"),
                QStringLiteral("提示!"), TMsgButtons::YesNo, TMsgIcon::Question) != mrYes)
            return nullptr;
        alias = AskAlias(QString(), QStringLiteral("请输入别名：  "));
    }
    auto* box = new TQBTable(this);
    if (!box->Activate(name, alias, x, y)) {
        box->_CloseBtn();
        return nullptr;
    }
    Activated(box);
    UpdateSurfaceSize();
    return box;
}

TQBTable* TQBArea::InsertQTable(int x, int y, const QString& name, const QString& sql) {
    auto* box = new TQBTable(this);
    if (!box->ActivateQ(name, x, y, sql)) {
        box->_CloseBtn();
        return nullptr;
    }
    Activated(box);
    UpdateSurfaceSize();
    return box;
}

void TQBArea::_InsertQTable() {
    TQuillaryDialog* owner = m_form->Dialog();
    if (!owner->GetConn()) {
        Ui().MessageBox(QStringLiteral("数据源尚未选择"), QStringLiteral("提示"));
        return;
    }
    if (!owner->GetConnected()) {
        Ui().MessageBox(QStringLiteral("数据源尚未连接成功"), QStringLiteral("提示"));
        return;
    }
    TQuillaryDialog nested;
    nested.SystemTable = m_form->CheckBox2->isChecked();
    nested.SetConnection(owner->GetConn());
    nested.Form_Left = m_form->x() + 10;
    nested.Form_Top = m_form->y() + 10;
    nested.Caption = QStringLiteral("SQL语句生成器--插入子查询表");
    nested.IsAllowUnion = true;
    if (!nested.Execute()) return;
    const QString sql = nested.SQL.trimmed();
    if (sql.isEmpty()) return;
    const QString name = AskAlias(QStringLiteral("请输入别名："), QStringLiteral("别名： "));
    const QPoint next = m_form->NextTablePos();
    if (TQBTable* box = InsertQTable(next.x(), next.y(), name, sql))
        m_form->PlaceNextAfter(box->geometry());
}

void TQBArea::_OpenUnion() {
    TQuillaryDialog* owner = m_form->Dialog();
    if (!owner->GetConn()) {
        Ui().MessageBox(QStringLiteral("源数据源尚未选择！"), QStringLiteral("提示！"));
        return;
    }
    if (!owner->GetConnected()) {
        Ui().MessageBox(QStringLiteral("数据源尚未连接成功"), QStringLiteral("提示"));
        return;
    }
    m_form->ShowUnionPanel();
}

void TQBArea::_OpenToolBox() {
    m_form->tb_ToolBox->setChecked(true);
    m_form->tb_ToolBoxClick();
}

void TQBArea::_OpenTableList() {
    m_form->Tb_Tablist->setChecked(true);
    m_form->Tb_TablistClick();
}

} // namespace quillary
