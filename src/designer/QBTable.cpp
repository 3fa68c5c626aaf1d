#include "designer/QBTable.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"
#include "sqltext/Common.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace quillary {

TQBLbx::TQBLbx(TQBTable* owner) : QListWidget(owner), m_box(owner) {
    setObjectName(QStringLiteral("FieldList"));
    // Set in full, so that the box's bold measuring font does not reach it.
    QFont font = DesignerFont();
    font.setBold(false);
    setFont(font);
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
}

TQBTable::TQBTable(TQBArea* canvas) : QFrame(canvas->Surface()), m_canvas(canvas) {
    setObjectName(QStringLiteral("QBTable"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    hide(); // until loaded

    Title = new QLabel(this);
    Title->setObjectName(QStringLiteral("Title"));
    QFont titleFont = DesignerFont();
    titleFont.setBold(false);
    Title->setFont(titleFont);
    Title->setAutoFillBackground(true);
    Title->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    FieldList = new TQBLbx(this);

    CloseButton = new QToolButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setToolTip(QStringLiteral("关闭表"));
    CloseButton->hide(); // closing goes through the pop-up menu
    UnlinkButton = new QToolButton(this);
    UnlinkButton->setObjectName(QStringLiteral("UnlinkButton"));
    UnlinkButton->setToolTip(QStringLiteral("取消链接"));
    UnlinkButton->setAutoRaise(true);
    UnlinkButton->setFixedSize(12, 12);
    UnlinkButton->setIcon(QIcon(QStringLiteral(":/quillary/designer/icons/unlink.svg")));
    UnlinkButton->setIconSize(QSize(10, 10));

    PopupMenu = new QMenu(this);
    SetActive(false);
}

TQBTable::~TQBTable() = default;

void TQBTable::SetActive(bool active) {
    m_active = active;
    QPalette p = Title->palette();
    const QPalette system = palette();
    if (active) {
        p.setColor(QPalette::Window, system.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::WindowText, Qt::white);
        raise();
    } else {
        p.setColor(QPalette::Window, system.color(QPalette::Inactive, QPalette::Mid));
        p.setColor(QPalette::WindowText, system.color(QPalette::Inactive, QPalette::WindowText));
    }
    Title->setPalette(p);
}

void TQBTable::UpdateTitle() {
    Title->setText(QLatin1Char(' ') + TableName + QLatin1Char(' ') + Alias);
}

void TQBTable::paintEvent(QPaintEvent* event) {
    UpdateTitle();
    QFrame::paintEvent(event);
}

void TQBTable::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const QRect inner = contentsRect();
    Title->setGeometry(inner.left(), inner.top(), inner.width(), kTitleHeight);
    FieldList->setGeometry(inner.left(), inner.top() + kTitleHeight, inner.width(),
                           inner.height() - kTitleHeight);
    UnlinkButton->move(inner.right() - 19 + 2, inner.top() + 2);
    UnlinkButton->raise();
}

void TQBTable::DetectView() {
    TFrm_Quillary* form = m_canvas->Form();
    // A catalogue that cannot tell leaves the box a table.
    if (dialect::ViewSource(form->Dialog()->GetConn(), form->GetDSN(), TableName, SourceText))
        Kind = 'V';
}

bool TQBTable::LoadColumns(const QString& sql) {
    TFrm_Quillary* form = m_canvas->Form();
    TADOQuery query;
    query.SetConnection(form->Dialog()->GetConn());
    query.SQL() = QStringList{sql};
    try {
        query.Open();
    } catch (const EDatabaseError& e) {
        Ui().MessageBox(e.Message(), QString());
        return false;
    }
    FieldList->clear();
    FieldList->addItem(QStringLiteral("*"));
    const TFieldDefs& defs = query.FieldDefs();
    for (int i = 0; i < defs.Count(); ++i) {
        auto* item = new QListWidgetItem(defs[i].Name, FieldList);
        item->setData(TQBLbx::FieldTypeRole, int(defs[i].DataType));
        form->AddColumnCandidate(GetTableName() + QLatin1Char('.') + defs[i].Name);
    }
    for (int i = 0; i < FieldList->count(); ++i) {
        QListWidgetItem* item = FieldList->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    return true;
}

void TQBTable::SizeToContents() {
    QFont bold = DesignerFont();
    bold.setBold(true);
    bold.setPointSize(8);
    setFont(bold);
    // Items are measured in the font the list draws them with, so that no
    // column name is cut off.
    const QFontMetrics metrics(FieldList->font());
    const int itemHeight = std::max(1, FieldList->sizeHintForRow(0));
    const int rows = std::min(FieldList->count(), kMaxVisibleItems);
    const int listHeight = itemHeight * rows + 4;
    int widest = 0;
    for (int i = 0; i < FieldList->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(FieldList->item(i)->text()));
    const int checkWidth = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, FieldList);
    int width = std::max(110, checkWidth + 20 + widest);
    if (FieldList->count() > kMaxVisibleItems)
        width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FieldList);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(TableName);
    if (titleWidth > width - 34) width = titleWidth + 34;
    resize(width, listHeight + 22);
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
    SizeToContents();
    UpdateTitle();
    show();
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
    SizeToContents();
    UpdateTitle();
    show();
    return true;
}

void TQBTable::_CloseBtn() {
    if (m_closed) return;
    m_closed = true;
    TFrm_Quillary* form = m_canvas->Form();
    form->RemoveColumnCandidates((Alias.isEmpty() ? TableName : Alias) + QLatin1Char('.'));
    m_canvas->ActiveName.clear();
    hide();
    setParent(nullptr);
    deleteLater();
    m_canvas->UpdateSurfaceSize();
}

} // namespace quillary
