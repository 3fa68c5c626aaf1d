#pragma once
// Tfrm_link: the link properties dialog, in which the user picks the two
// joined columns and the join type.

#include <QDialog>
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace quillary {

// A group of radio buttons chosen by index, as a radio group of the
// component library: an index beyond the entries selects the last one, -1
// none.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);
    QStringList Items() const { return m_items; }
    void SetItems(const QStringList& items);
    // Replaces the text of one entry.
    void SetItem(int index, const QString& text);
    void RemoveItem(int index);
    int ItemIndex() const;
    void SetItemIndex(int index);
    // A widget shown below the entries, inside the group's frame.
    void SetFooter(QWidget* footer);

private:
    void Rebuild();
    QStringList m_items;
    QButtonGroup* m_group;
    QVBoxLayout* m_layout;
};

class Tfrm_link : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_link(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    TRadioGroup* RadioType;
    QLabel* Label5;
    QLineEdit* EditCondition;
    QPushButton* bt_ok;
    QPushButton* bt_cancel;
};

} // namespace quillary
