#include "designer/LinkDialog.h"
#include "designer/DesignerFont.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillary {

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent) {
    m_group = new QButtonGroup(this);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(8, 0, 8, 2);
    m_layout->setSpacing(0);
}

void TRadioGroup::SetFooter(QWidget* footer) {
    m_layout->addWidget(footer);
}

void TRadioGroup::SetItems(const QStringList& items) {
    m_items = items;
    Rebuild();
}

void TRadioGroup::SetItem(int index, const QString& text) {
    if (index < 0 || index >= m_items.size()) return;
    m_items[index] = text;
    m_group->button(index)->setText(text);
}

void TRadioGroup::RemoveItem(int index) {
    if (index < 0 || index >= m_items.size()) return;
    const int selected = ItemIndex();
    m_items.removeAt(index);
    Rebuild();
    SetItemIndex(selected == index ? -1 : selected > index ? selected - 1 : selected);
}

void TRadioGroup::Rebuild() {
    for (QAbstractButton* button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    for (int i = 0; i < m_items.size(); ++i) {
        auto* button = new QRadioButton(m_items[i], this);
        m_group->addButton(button, i);
        m_layout->insertWidget(i, button); // above a footer

    }
}

int TRadioGroup::ItemIndex() const {
    return m_group->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    index = std::min(index, int(m_items.size()) - 1);
    if (index < 0) {
        // Unchecking needs the group to let go of its exclusive hold.
        m_group->setExclusive(false);
        for (QAbstractButton* button : m_group->buttons())
            button->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    m_group->button(index)->setChecked(true);
}

Tfrm_link::Tfrm_link(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_link"));
    setWindowTitle(QStringLiteral("连接属性"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(DesignerFont());
    setFixedSize(433, 206);

    auto label = [this](const char* name, const char* text, int x, int y) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    Label1 = label("Label1", "左表名称", 16, 10);
    Label2 = label("Label2", "右表名称", 240, 10);
    Label3 = label("Label3", "左列名称", 16, 35);
    Label4 = label("Label4", "右列名称", 240, 35);
    auto combo = [this](const char* name, int x) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(false);
        c->setGeometry(x, 32, 107, 22);
        return c;
    };
    ComboBox1 = combo("ComboBox1", 72);
    ComboBox2 = combo("ComboBox2", 297);

    RadioType = new TRadioGroup(this);
    RadioType->setObjectName(QStringLiteral("RadioType"));
    RadioType->setGeometry(2, 56, 427, 113);
    RadioType->SetItems({QStringLiteral("只包含来自两个表的连接字段相等处的行"),
                         QStringLiteral("包括所有表的记录和那些连接字段相同的记录"),
                         QStringLiteral("包括所有表的记录和那些连接字段相同的记录"),
                         QStringLiteral("包含两表的所有行")});

    // A further condition of the join, written in ON after the equality:
    // a line at the foot of the join types, which it qualifies.
    auto* footer = new QWidget(RadioType);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 2, 0, 0);
    Label5 = new QLabel(QStringLiteral("附加条件"), footer);
    Label5->setObjectName(QStringLiteral("Label5"));
    EditCondition = new QLineEdit(footer);
    EditCondition->setObjectName(QStringLiteral("EditCondition"));
    EditCondition->setFixedHeight(20);
    EditCondition->setPlaceholderText(QStringLiteral("例如：o.Freight > 100（写在 ON 中连接字段之后）"));
    row->addWidget(Label5);
    row->addWidget(EditCondition, 1);
    RadioType->SetFooter(footer);

    bt_ok = new QPushButton(QStringLiteral("确定"), this);
    bt_ok->setObjectName(QStringLiteral("bt_ok"));
    bt_ok->setGeometry(81, 179, 75, 25);
    bt_ok->setDefault(true);
    bt_cancel = new QPushButton(QStringLiteral("取消"), this);
    bt_cancel->setObjectName(QStringLiteral("bt_cancel"));
    bt_cancel->setGeometry(273, 179, 75, 25);
    connect(bt_ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(bt_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace quillary
