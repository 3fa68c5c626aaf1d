#pragma once
// TQBArea: the scrollable design surface. It owns the table boxes (children
// of its surface widget) and the links (drawn by the surface beneath the
// boxes), keeps both in creation order, remembers the active box, accepts
// tables dragged from the table list, inserts sub-query tables, and keeps the
// link geometry in step with the boxes.

#include <QList>
#include <QScrollArea>
#include <QStringList>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QStyle;
class QWheelEvent;

namespace quillary {

class TCanvasHost;
class TFrm_Quillary;
class TQBLbx;
class TQBLink;
class TQBTable;
struct QueryDesign;
struct TDesignLink;

// Shown on a canvas without boxes.
inline constexpr const char* kEmptyCanvasHint = "双击右侧的表，或把表拖到这里";

class TQBArea : public QScrollArea {
    Q_OBJECT
public:
    // A canvas on the designer form, which it reaches through the form's host.
    explicit TQBArea(TFrm_Quillary* form);
    // A canvas with another host (not owned).
    TQBArea(TCanvasHost* host, QWidget* parent);
    ~TQBArea() override;

    TCanvasHost* Host() const { return m_host; }
    // The widget that parents the boxes and draws the links.
    QWidget* Surface() const { return m_surface; }
    // The canvas whose surface `widget` is; null when it is none.
    static TQBArea* OfSurface(const QWidget* widget);

    // The pop-up menu "mnu" and its four items (all named mnuInsertQTable),
    // and the designer's own commands when ShowDesignCommands asks.
    QMenu* mnu;
    QAction* MenuItem(int index) const { return m_items.value(index); }
    // The check item after them that switches joins from foreign keys.
    QAction* mnuAutoLink = nullptr;
    // 自动排列: the form arranges the boxes (one undo step).
    QAction* mnuArrange = nullptr;

    // GetTableName() of the active box; empty when none.
    QString ActiveName;
    // Working list of the union panel.
    QStringList UnionList;

    // --- boxes ----------------------------------------------------------
    // Inserts the table selected in the form's table list at (x, y).
    TQBTable* InsertTable(int x, int y);
    // Inserts a sub-query table.
    TQBTable* InsertQTable(int x, int y, const QString& name, const QString& sql);
    // The box whose GetTableName() equals `name` ignoring case, latest first.
    TQBTable* FindTable(const QString& name) const;
    // `box` becomes the one active box.
    void MakeActive(TQBTable* box);
    // The boxes and the links in creation order, whatever was raised since.
    const QList<TQBTable*>& Tables() const { return m_tables; }
    const QList<TQBLink*>& Links() const { return m_links; }

    // --- links ----------------------------------------------------------
    // Links row1 of table1 to row2 of table2; null (after the message) when
    // a rule refuses it.
    TQBLink* InsertLink(TQBTable* table1, TQBTable* table2, int row1, int row2);
    // Whether another link joins the same two columns, in either direction.
    bool FindLink(const TQBLink* link) const;
    // Whether a link other than `link` has `table` and `row` at an end.
    bool FindOtherLink(const TQBLink* link, const TQBTable* table, int row) const;
    // Recomputes the link's menu caption, cases and rectangle.
    void ReboundLink(TQBLink* link);
    // The link properties dialog, for the link `sender` is or whose menu
    // `sender` belongs to.
    void SetOptions(QObject* sender);
    // Removes the link `sender` is or whose menu `sender` belongs to.
    void Unlink(QObject* sender);
    // Brings every link of `table` up to date; links whose columns vanished
    // are removed.
    void ReboundLinks4Table(TQBTable* table);
    // Removes every link that touches `table`.
    void UnlinkTable(TQBTable* table);

    // --- the design as a value ------------------------------------------
    // The boxes and links, in canvas order (links name boxes by position).
    void ReadDesign(QueryDesign& design) const;
    // Creates the boxes and links of `design`, silently, without touching
    // the designer's lists.
    void ApplyDesign(const QueryDesign& design);

    // --- menu and drops ---------------------------------------------------
    void _InsertQTable();
    void _OpenUnion();
    void _OpenToolBox();
    void _OpenTableList();

    // Drags are accepted only from the form's table list; a drop inserts the
    // selected table at the drop point (surface coordinates).
    bool _DragOver(QObject* source) const;
    void _DragDrop(QObject* source, const QPoint& at);

    // What the tool tip of a link says: its columns, condition and kind.
    static QString LinkTip(const TQBLink* link);
    // The link a click selected (drawn highlighted; Delete removes it), or
    // null. Activating a box lets it go.
    TQBLink* SelectedLink() const { return m_selectedLink; }
    void SelectLink(TQBLink* link);
    // The topmost link whose hit region holds `at` (surface coordinates).
    TQBLink* LinkAt(const QPoint& at) const;
    // The column list under a screen point, or null.
    TQBLbx* ListAt(const QPoint& globalPos) const;

    // Keeps the surface large enough for every box and the viewport.
    void UpdateSurfaceSize();
    // Lays the boxes out along their links within the visible width, then
    // scales the canvas down as far as it takes for every box to show.
    void Arrange();
    // Whether the two boxes of `link` overlap or touch: its line is then
    // drawn above the boxes too, never hidden under them.
    bool IsCrowded(const TQBLink* link) const;
    void PaintCrowdedLinks(QPainter& painter, const QRegion& area) const;
    // Keeps that layer above every box (after a box is raised).
    void KeepLinksOnTop();

    // --- zoom -------------------------------------------------------------
    // The scale the boxes are shown at. The design keeps its own
    // coordinates whatever the zoom: a box's Design() is unscaled.
    double Zoom() const { return m_zoom; }
    // Scales the canvas; the canvas point under `anchor` (viewport
    // coordinates; the top left corner when none) stays where it is.
    void SetZoom(double zoom, const QPoint& anchor = QPoint());
    // Steps through the zoom levels: up for positive `steps`.
    void ZoomBy(int steps, const QPoint& anchor = QPoint());
    // Ctrl+wheel anywhere on the canvas, the boxes' lists included.
    void WheelZoom(QWheelEvent* event);
    // Scales and scrolls so that every box shows, never above `most`.
    void FitToWindow(double most = 1.0);
    // The style of the column lists at the current zoom (check marks
    // scale with the rows); null at 1, where the lists keep the
    // application's.
    QStyle* ListStyle() const;
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 3.0;
    // 适合窗口 and 实际大小 in the canvas menu.
    QAction* mnuFit = nullptr;
    QAction* mnuActualSize = nullptr;
    // Whether the menu offers the commands above after its four items.
    void ShowDesignCommands(bool visible);

    static constexpr int kMenuInsertQTable = 0;
    static constexpr int kMenuUnion = 1;
    static constexpr int kMenuToolBox = 2;
    static constexpr int kMenuTableList = 3;

    // The owner of the links: not a widget, so that the widget machinery
    // never walks them.
    QObject* LinkOwner() const { return m_linkOwner; }

    // Called by the boxes as they come and go.
    void AddTable(TQBTable* box);
    void TableGone(TQBTable* box);

signals:
    void TableInserted(TQBTable* box);
    void TableClosed(const QString& name);
    void AliasChanged(TQBTable* box, const QString& oldName, const QString& newName);
    void ColumnTicked(TQBTable* box, int row, bool ticked);
    void LinkInserted(TQBLink* link);
    void LinkChanged(TQBLink* link);
    void LinkRemoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void CreateZoomCommands();
    // The zoom shows in the viewport's lower right corner when it is not 1.
    void PlaceZoomLabel();
    // The links as design values, boxes by canvas position; `extra`, when
    // it is not on the canvas yet, comes last.
    QList<TDesignLink> LinkValues(const TQBLink* extra = nullptr) const;
    void Create();
    // Applies the activation rule for a newly inserted box.
    void Activated(TQBTable* box);
    // Asks for an alias until it is valid and unused.
    QString AskAlias(const QString& caption, const QString& prompt);
    TQBLink* LinkOf(QObject* sender) const;
    // Takes a link off the canvas: its columns lose their bold marks unless
    // another link uses them.
    void RemoveLink(TQBLink* link);
    void ClearBold(TQBLink* link, TQBTable* table, int row);
    void Repaint(const QRegion& region);
    void RepaintLink(const TQBLink* link);
    void PaintLinks(QPainter& painter, const QRegion& area) const;

    std::unique_ptr<TCanvasHost> m_ownHost;
    TCanvasHost* m_host;
    QWidget* m_surface = nullptr;
    QWidget* m_overlay = nullptr; // crowded links, above the boxes
    QObject* m_linkOwner = nullptr;
    QList<QAction*> m_items;
    QAction* m_commandsSeparator = nullptr;
    QList<TQBTable*> m_tables;
    QList<TQBLink*> m_links;
    bool m_closing = false;
    TQBLink* m_selectedLink = nullptr;
    double m_zoom = 1.0;
    QStyle* m_zoomStyle = nullptr; // owned by the canvas
    QLabel* m_zoomLabel = nullptr; // the zoom in the viewport's corner
    int m_wheelRest = 0;           // wheel turns short of a whole step

    friend class TQBSurface;
};

inline constexpr char kCanvasHint[] = "弹出菜单：插入SQL查询表\r\n              联合";

} // namespace quillary
