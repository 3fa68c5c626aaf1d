#include "designer/QBLbx.h"
#include "db/FieldType.h"
#include "designer/CanvasHost.h"
#include "designer/DesignerFont.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "query/FieldClass.h"
#include "query/QueryDesign.h"
#include "query/TableBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace quillary {

namespace {

// Draws a linked column in bold and gives every row the list's fixed height.
class TBoldDelegate : public QStyledItemDelegate {
public:
    explicit TBoldDelegate(TQBLbx* list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_list->ItemHeight()};
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_list->IsItemBold(index.row())) option->font.setBold(true);
    }

private:
    TQBLbx* m_list;
};

// The type class a column belongs to, shown in its tool tip: a link needs
// equal classes at both ends.
QString TypeTip(int fieldType) {
    QString name;
    GetDataType(fieldType, 1, name);
    return name.isEmpty() ? FieldTypeName(TFieldType(fieldType)) : name;
}

} // namespace

TQBLbx::TQBLbx(TQBTable* owner) : QListWidget(owner), m_box(owner) {
    setObjectName(QStringLiteral("FieldList"));
    // Set in full, so that the box's bold measuring font does not reach it.
    // A list of its own is 8 pt; the box gives it the designer's size.
    QFont font = DesignerFont();
    font.setBold(false);
    font.setPointSize(8);
    setFont(font);
    m_itemHeight = ItemHeightFor(font);
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
    setSpacing(0);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new TBoldDelegate(this));
    // The box's sizing cursors must not show over the list.
    setCursor(Qt::ArrowCursor);
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!m_programmatic) ClickCheck(item);
    });
    // Link ends follow the rows however the list scrolled; a scroll by the
    // user also activates the box.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { m_box->Canvas()->ReboundLinks4Table(m_box); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { CNVSCROLL(); });
}

int TQBLbx::CheckWidth() {
    return QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth);
}

int TQBLbx::GetCheckW() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
}

int TQBLbx::ItemHeightFor(const QFont& font, const QStyle* style) {
    if (!style) style = QApplication::style();
    const int check = style->pixelMetric(QStyle::PM_IndicatorHeight);
    return std::max(QFontMetrics(font).height(), check) + 2;
}

void TQBLbx::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_itemHeight = ItemHeightFor(font(), style());
}

void TQBLbx::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier)
        m_box->Canvas()->WheelZoom(event);
    else
        QListWidget::wheelEvent(event);
}

void TQBLbx::AllocArrBold() {
    m_bold = QList<int>(count(), 0);
    m_hasBold = true;
}

void TQBLbx::SelectItemBold(int index) {
    if (m_hasBold && index >= 0 && index < m_bold.size() && m_bold[index] == 0) m_bold[index] = 1;
}

void TQBLbx::UnSelectItemBold(int index) {
    if (m_hasBold && index >= 0 && index < m_bold.size() && m_bold[index] == 1) m_bold[index] = 0;
}

bool TQBLbx::IsItemBold(int index) const {
    return m_hasBold && index >= 0 && index < m_bold.size() && m_bold[index] == 1;
}

int TQBLbx::GetItemY(int index) const {
    return m_itemHeight * index + m_itemHeight / 2 + 1;
}

int TQBLbx::TopIndex() const {
    return verticalScrollBar()->value();
}

void TQBLbx::SetTopIndex(int index) {
    verticalScrollBar()->setValue(index);
}

QStringList TQBLbx::GetCheckedItem() const {
    QStringList checked;
    for (int i = 0; i < count(); ++i)
        if (item(i)->checkState() == Qt::Checked) checked << item(i)->text();
    return checked;
}

int TQBLbx::IndexOfText(const QString& text) const {
    for (int i = 0; i < count(); ++i)
        if (item(i)->text().compare(text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TQBLbx::SetFields(const QList<TDesignField>& fields) {
    m_programmatic = true;
    clear();
    for (const TDesignField& field : fields) {
        auto* item = new QListWidgetItem(field.Name, this);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(field.Checked ? Qt::Checked : Qt::Unchecked);
        if (count() > 1) {
            item->setData(FieldTypeRole, field.FieldType);
            item->setToolTip(TypeTip(field.FieldType));
        }
    }
    m_programmatic = false;
    m_bold.clear();
    m_hasBold = false;
}

bool TQBLbx::IsChecked(int row) const {
    const QListWidgetItem* i = item(row);
    return i && i->checkState() == Qt::Checked;
}

void TQBLbx::SetChecked(int row, bool checked) {
    QListWidgetItem* i = item(row);
    if (!i) return;
    m_programmatic = true;
    i->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_programmatic = false;
}

void TQBLbx::ClickCheck(QListWidgetItem* changed) {
    if (count() == 0 || !changed) return;
    m_box->ApplyActivationRule();
    const int index = row(changed);
    const bool ticked = changed->checkState() == Qt::Checked;
    TQBArea* canvas = m_box->Canvas();
    // "*" is never a sort candidate.
    if (index > 0) {
        const TSortTick tick{
            canvas->Host()->Dialect().Designation(m_box->GetTableName(), changed->text()), ticked};
        canvas->Host()->EditColumnLists(
            [&tick](QueryDesign& lists) { TickSortCandidates(lists, {tick}); });
    }
    canvas->Host()->ColumnTickChanged();
    emit canvas->ColumnTicked(m_box, index, ticked);
}

void TQBLbx::CNVSCROLL() {
    m_box->Canvas()->ReboundLinks4Table(m_box);
    m_box->ApplyActivationRule();
}

TQBLbx* TQBLbx::TargetAt(const QPoint& globalPos) const {
    return m_box->Canvas()->ListAt(globalPos);
}

void TQBLbx::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_dragArmed = true;
        m_dragging = false;
        m_pressPos = event->position().toPoint();
    }
    m_box->ApplyActivationRule();
}

void TQBLbx::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragArmed || !(event->buttons() & Qt::LeftButton)) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    // A held button never sweeps the selection: the pressed row is the one
    // a drag carries.
    if (!m_dragging && (event->position().toPoint() - m_pressPos).manhattanLength() <
                           QApplication::startDragDistance())
        return;
    m_dragging = true;
    TQBLbx* target = TargetAt(event->globalPosition().toPoint());
    setCursor(target && target->Box()->_DragOver(this) ? Qt::DragLinkCursor : Qt::ForbiddenCursor);
}

void TQBLbx::mouseReleaseEvent(QMouseEvent* event) {
    const bool dropping = m_dragging && event->button() == Qt::LeftButton;
    m_dragArmed = false;
    m_dragging = false;
    if (!dropping) {
        QListWidget::mouseReleaseEvent(event);
        return;
    }
    setCursor(Qt::ArrowCursor);
    const QPoint global = event->globalPosition().toPoint();
    if (TQBLbx* target = TargetAt(global); target && target->Box()->_DragOver(this)) {
        const QPoint at = target->mapFromGlobal(global);
        target->Box()->_DragDrop(this, at.x(), at.y());
    }
}

} // namespace quillary
