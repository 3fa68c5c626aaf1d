#pragma once
// TQBTable: one table, view or sub-query on the canvas — a title bar with the
// name and alias, and the check list of its columns.

#include <QFrame>
#include <QListWidget>
#include <QString>

class QLabel;
class QMenu;
class QToolButton;

namespace quillary {

class TQBArea;
class TQBTable;

// The column check list of a box: item 0 is "*", then one item per column
// carrying the column's field type (TFieldType) as item data.
class TQBLbx : public QListWidget {
    Q_OBJECT
public:
    explicit TQBLbx(TQBTable* owner);
    TQBTable* Box() const { return m_box; }
    static constexpr int FieldTypeRole = Qt::UserRole + 1;

private:
    TQBTable* m_box;
};

class TQBTable : public QFrame {
    Q_OBJECT
public:
    explicit TQBTable(TQBArea* canvas);
    ~TQBTable() override;

    TQBArea* Canvas() const { return m_canvas; }

    // Loads a table or view; false (after showing the database's message)
    // when its columns cannot be read.
    bool Activate(const QString& tableName, const QString& alias, int left, int top);
    // Loads a sub-query table from its SELECT text.
    bool ActivateQ(const QString& name, int left, int top, const QString& sql);

    // The alias when there is one, else the table name.
    QString GetTableName() const { return Alias.isEmpty() ? TableName : Alias; }
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

    // Removes the box: its links, its columns from the designer's lists, and
    // the box itself (deleted later, so callers may still return).
    void _CloseBtn();

    QString TableName;
    QString Alias;
    QString SourceText;
    char Kind = 'T'; // 'T' table, 'V' view, 'Q' sub-query

    QLabel* Title;
    TQBLbx* FieldList;
    QToolButton* CloseButton;
    QToolButton* UnlinkButton;
    QMenu* PopupMenu;

    static constexpr int kTitleHeight = 16;
    static constexpr int kMaxVisibleItems = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Reads the columns of `sql` and fills the list and the designer's lists.
    bool LoadColumns(const QString& sql);
    void DetectView();
    void SizeToContents();
    void UpdateTitle();

    TQBArea* m_canvas;
    bool m_active = false;
    bool m_closed = false;
};

} // namespace quillary
