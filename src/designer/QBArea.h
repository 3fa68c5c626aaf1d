#pragma once
// TQBArea: the scrollable design surface. It owns the table boxes and links
// (children of its surface widget, in creation order), remembers the active
// box, accepts tables dragged from the table list and inserts sub-query tables.

#include <QList>
#include <QScrollArea>
#include <QStringList>

class QAction;
class QMenu;

namespace quillary {

class TFrm_Quillary;
class TQBTable;

class TQBArea : public QScrollArea {
    Q_OBJECT
public:
    explicit TQBArea(TFrm_Quillary* form);
    ~TQBArea() override;

    TFrm_Quillary* Form() const { return m_form; }
    // The widget that parents the boxes and links.
    QWidget* Surface() const { return m_surface; }

    // The pop-up menu "mnu" and its four items (all named mnuInsertQTable).
    QMenu* mnu;
    QAction* MenuItem(int index) const { return m_items.value(index); }

    // GetTableName() of the active box; empty when none.
    QString ActiveName;
    // Working list of the union panel.
    QStringList UnionList;

    // Inserts the table selected in the form's table list at (x, y).
    TQBTable* InsertTable(int x, int y);
    // Inserts a sub-query table.
    TQBTable* InsertQTable(int x, int y, const QString& name, const QString& sql);
    // The box whose GetTableName() equals `name` ignoring case, latest first.
    TQBTable* FindTable(const QString& name) const;
    // The table boxes in creation order.
    QList<TQBTable*> Tables() const;

    // Menu actions.
    void _InsertQTable();
    void _OpenUnion();
    void _OpenToolBox();
    void _OpenTableList();

    // Drags are accepted only from the form's table list; a drop inserts the
    // selected table at the drop point (surface coordinates).
    bool _DragOver(QObject* source) const;
    void _DragDrop(QObject* source, const QPoint& at);

    // Keeps the surface large enough for every child and the viewport.
    void UpdateSurfaceSize();

    static constexpr int kMenuInsertQTable = 0;
    static constexpr int kMenuUnion = 1;
    static constexpr int kMenuToolBox = 2;
    static constexpr int kMenuTableList = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Applies the activation rule for a newly inserted box.
    void Activated(TQBTable* box);
    // Asks for an alias until it is valid and unused; empty when the user
    // gives up (only possible at the first question).
    QString AskAlias(const QString& caption, const QString& prompt);

    TFrm_Quillary* m_form;
    QWidget* m_surface;
    QList<QAction*> m_items;
};

inline constexpr char kCanvasHint[] = "弹出菜单：插入SQL查询表\r\n              联合";

} // namespace quillary
