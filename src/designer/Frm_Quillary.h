#pragma once
// TFrm_Quillary: the designer window of one TQuillaryDialog::Execute run —
// tool bar, table list, canvas, the bottom tool box with its nine pages, and
// the floating union panel. Its operations live in files named after what
// they do (form shell, catalogue, union panel, ...).

#include "query/DesignTexts.h"
#include "sqltext/SqlDialect.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableView;
class QToolBar;
class QToolButton;

namespace quillary {

class TADOConnection;
enum class TConnectionOrigin;
class TADOQuery;
class TADOQueryModel;
class TConnectionSession;
class TQBArea;
class TDesignHistory;
struct QueryDesign;
struct TDesignBox;
struct TDesignHooks;
class TQBTable;
class TQuillaryDialog;
class TPropertyInplaceEdit;
class TStringGridEx;

// One row of a condition grid (rows from 1): 0 complete, 1 incomplete,
// -1 empty; and the predicate it stands for, led by the previous connector.
int IsValidExpression(int row, const TStringGridEx* grid);
QString GetExpression(int row, const TStringGridEx* grid);

class TFrm_Quillary : public QDialog {
    Q_OBJECT
public:
    // Page indexes of PageControl1.
    enum TPage {
        pgOrder = 0,
        pgGroup = 1,
        pgCondition = 2,
        pgConditionGroup = 3,
        pgCompute = 4,
        pgDisplay = 5,
        pgSQL = 6,
        pgQuery = 7,
        pgExecute = 8,
    };

    explicit TFrm_Quillary(TQuillaryDialog* dialog, QWidget* parent = nullptr);
    ~TFrm_Quillary() override;

    TQuillaryDialog* Dialog() const { return m_dialog; }
    TQBArea* Canvas() const { return m_canvas; }

    // --- data source and catalogue -------------------------------------
    int GetDSN();
    void SetDSN(int kind) {
        m_dsn = kind;
        m_dialectKnown = false;
    }
    // How the data source writes names: quotes, reserved words (its kind is
    // GetDSN()).
    TSqlDialect Dialect();
    void GetTablesList(bool systemTables);
    // Fills the table list for the source just connected: a source whose
    // tables are sheets turns `systemTables` on and quotes them.
    void ShowTableList(bool& systemTables);
    // Excel sources: every table list entry in double quotes.
    void QuoteTableList();
    // 0: same string, nothing done; 1: switched; -1: connection failed.
    int ChangeCSN(const QString& connectionString);
    // The same for a string from `origin` (a template's is a document's).
    int ChangeCSN(const QString& connectionString, TConnectionOrigin origin);
    void TB_OPENSOURCEClick();
    void TB_SaveCSNClick();

    // --- shell ------------------------------------------------------------
    void FormCreate();
    void FormShow();
    // What the window's first showing does to the design's pages (FormShow),
    // and where undoing ends; once. Execute calls it before the modal loop,
    // so that a scripted run sees the window as the user does.
    void Opening();
    void Init();
    void PageControl1Change(int index);
    void CheckBox2Click();
    void Tb_TablistClick();
    void tb_ToolBoxClick();
    void SpeedButton11Click();
    void SpeedButton5Click();
    void Button2Click();
    void N_InitWinClick();
    // Puts GetSQL() into the SQL page; when that text differs from the saved
    // statement and is not empty, asks `question`. True: go on.
    bool GoOnDespiteRewrittenSql(const QString& question);
    void TB_EXITClick();
    // "新窗口" and the spare tool button: nothing to do.
    void N_NewWinClick() {}
    void ToolButton2Click() {}
    void QBTablesDblClick();
    // Virtual-key codes of the keys the table list panel handles.
    static constexpr int kKeyReturn = 13;
    static constexpr int kKeyUp = 38;
    static constexpr int kKeyDown = 40;
    // Enter (kKeyReturn) in the table list places the selected table.
    void QBTablesKeyDown(int key);
    void Edit2Change(const QString& text);
    // Up/Down (kKeyUp, kKeyDown) in the search box move the table list selection.
    void Edit2KeyDown(int key);
    // Moves the next placement point on after a box landed at `box`.
    void PlaceNextAfter(const QRect& box);
    QPoint NextTablePos() const { return {m_nextTableX, m_nextTableY}; }
    void SetNextTablePos(const QPoint& p) {
        m_nextTableX = p.x();
        m_nextTableY = p.y();
    }
    // Dropped files: only the first is considered.
    void DropFiles(const QStringList& files);
    void WMDrops(const QStringList& files) { DropFiles(files); }
    // Closing in create-view mode; false keeps the form open.
    bool FormCloseQuery();
    void SetUnionMenuVisible(bool visible);
    // The designer's own commands in the canvas menu and the tool bar.
    void SetDesignCommandsVisible(bool visible);
    void TB_JOINClick();
    // Opens the help file beside the program at its index.
    void TB_HELPClick();

    // --- union panel --------------------------------------------------------
    // Shows the floating panel on the canvas, in front, holding the pointer:
    // until it is released, the pointer does nothing elsewhere in the window.
    void ShowUnionPanel();
    void btn_CloseClick();
    void ReleaseCursor();
    bool HoldsPointer() const { return m_unionHeld; }
    void Pan_UnionMouseDown(const QPoint& globalPos);
    void Pan_UnionMouseMove(const QPoint& globalPos);
    void Pan_UnionMouseUp(const QPoint& globalPos);

    // --- column designations kept for the pages ------------------------------
    // Reads the sort, group and pick lists into `design`, runs `edit` over
    // it and shows the lists it leaves.
    void EditColumnLists(const std::function<void(QueryDesign&)>& edit);

    // --- side buttons of the grid pages -------------------------------------
    void Sp_UpDownClick(bool up);
    void Sp_SelectClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    // --- column pages: sort and group columns, display list, grid lines -----
    void OrderListDblClick();
    void OrderColumnDblClick();
    bool OrderListDragOver(QObject* source) const;
    void OrderListDragDrop(QObject* source);
    bool OrderColumnDragOver(QObject* source) const;
    void OrderColumnDragDrop(QObject* source);
    void GroupListDblClick();
    void GroupColumnDblClick();
    bool GroupListDragOver(QObject* source) const;
    void GroupListDragDrop(QObject* source);
    bool GroupColumnDragOver(QObject* source) const;
    void GroupColumnDragDrop(QObject* source);
    // Only the alias column of the display list can be selected.
    void DisplayListSelectCell(int col, int row, bool& canSelect);
    // A double click on any page grid toggles row selection.
    void DisplayListDblClick(TStringGridEx* grid);
    // The page grid that has the focus (or holds it in its cell editor), or null.
    TStringGridEx* ActiveGrid() const;
    // The open cell editor of the active grid, or null.
    TPropertyInplaceEdit* ActiveCellEditor() const;
    // The bracketed sub-select of the cell editor's text that holds the caret.
    bool SubSelectAtCaret(int& sqlStart, int& sqlEnd) const;
    // "上面一行" / "下面一行": `sender` tells which.
    void N_InsUpClick(QObject* sender);
    void N_DeleteClick();
    void N_DeleteMultiClick();
    void N_ClearSingleLineClick();
    void N_ClearMultiLineClick();
    void N_CopyClick();
    void N_CutClick();
    void N_PasteClick();
    void PopupMenu1Change();

    // --- paste commands of the grid menu -------------------------------------
    void N_PasteFunClick();
    void N_PasteColumnClick();
    void N_PasteSQLClick();
    // A non-empty text goes to the clipboard, and from there in at the caret
    // of the active grid's open cell editor.
    void PasteIntoCellEditor(const QString& text);

    // Page 8: runs the statement typed there; rows go to the result page.
    void ExecuteStatement();
    void N_CopySQLClick();

    // --- file commands -------------------------------------------------------
    void TB_SAVEClick();
    void TB_SAVEModelClick();
    void TB_OPENClick();
    void Tb_QuillaryClick();
    // Rebuilds the design from an SQL or text file; false (after a message
    // naming the file) when it cannot be read.
    bool OpenSqlFile(const QString& path);

    // --- union sets -------------------------------------------------------------
    void btn_NewClick();
    void btn_OpenClick();
    void btn_DeleteClick();

    // --- the SQL memo's menu and views -------------------------------------------
    void N_Copy2Click();
    void N_Cut2Click();
    void N_Paste2Click();
    void N5Click();
    void PopupMenu2Change();
    void MenuItem2Click();
    void MenuItem3Click();
    void TB_CreateViewClick();
    // 自动排列: the boxes laid out along their links, one undo step.
    void ArrangeClick();

    // --- the design as a value ---------------------------------------------
    // The canvas, the pages, the distinct box, the row limit and the union
    // sets as one value.
    QueryDesign ReadDesign() const;
    // Replaces everything the design holds (boxes, links, pages, union sets).
    void ApplyDesign(const QueryDesign& design);
    // The union sets: the dialogs this form owns, in creation order.
    QList<TQuillaryDialog*> UnionSets() const;
    // A union set on the designer's connection, owned by the form.
    TQuillaryDialog* NewUnionSet();
    // The form's messages, questions and database for the design functions.
    TDesignHooks Hooks();
    // The columns and size of a box from the database; false (silently) when
    // its source cannot be read.
    bool LoadBox(TDesignBox& box);

    // --- undo and redo of design edits ----------------------------------------
    // Takes the design as a step of the history when it changed.
    void Checkpoint();
    // A checkpoint once the current action (and any dialog it opened) is over.
    void ScheduleCheckpoint(int delay = 0);
    void UndoClick();
    void RedoClick();
    bool CanUndo() const;
    bool CanRedo() const;
    // Starts the history afresh from the current design.
    void ClearHistory();

    // --- statement, state text and rebuild -----------------------------------
    // The SELECT statement of the design; empty (after the message) when the
    // design is refused.
    QString GetSQL();
    // The join text of the links, or "0", "-1", "-2", "" (no link).
    QString GetJoinClause();
    // Reads one condition (six texts) as a link between two boxes and draws
    // it; the join type given, -1 when it is no link, -2 for a wrong size.
    int IsLinkList(const QStringList& elements, int kind, int joinType);
    QStringList GetCheckedItems(bool bare);
    bool IsMatch();
    int IsValidDisplayCol();
    void TS_SQLEnter();
    void CheckBox1Click();
    void TS_DisplayEnter();
    void TS_OrderEnter();
    // Page 7: runs the statement and shows its rows.
    void TS_QueryEnter();
    // The rows again, ordered by `column` (0-based); a second click on the
    // same column orders them the other way.
    void SortResultBy(int column);
    // The selected cells onto the clipboard, tab-separated.
    void CopyResultCells();
    void ExportResultClick();
    QStringList GetSQLSet();
    // The same, handing out the statement it was written with: the design
    // is read and the statement written once (a question asked while
    // writing it is asked once).
    QStringList GetSQLSet(QString& sql);
    // Adds the design of the dialog's state text.
    void SetSQLSet();
    // Restores the design from the dialog's state text, or rebuilds it from
    // its SQL text, when there is one.
    void RestoreDesign();
    // Rebuilds the design from SQL text; false after a message.
    bool Forge(const QString& text);
    void Sp_ApplySQLClick();
    void Memo1Change();
    void ReForgeClick();
    // The row limit of the statement (TOP n, LIMIT n OFFSET m); empty for none.
    QString RowLimit() const { return m_rowLimit; }
    QString RowOffset() const { return m_rowOffset; }

    QString CurrentFileName() const { return m_fileName; }
    QString ViewName() const { return m_viewName; }

    // --- controls, by their designer names -------------------------------
    QToolBar* ToolBar1;
    QToolButton* TB_NEW;
    QMenu* PopupMenu3;
    QAction* N_InitWin;
    QAction* N_NewWin;
    QToolButton* TB_SAVE;
    QToolButton* TB_CopySQL;
    QToolButton* TB_SAVEModel;
    QToolButton* TB_SaveCSN;
    QToolButton* Tb_Quillary;
    QToolButton* TB_OPEN;
    QToolButton* TB_OPENSOURCE;
    QToolButton* TB_JOIN;
    QToolButton* TB_HELP;
    QToolButton* tb_ToolBox;
    QToolButton* Tb_Tablist;
    QToolButton* TB_CreateView;
    QToolButton* TB_Arrange;
    QToolButton* TB_Fit;
    QToolButton* TB_Undo;
    QToolButton* TB_Redo;

    QSplitter* Splitter1; // between the canvas column and the table list
    QSplitter* Splitter3; // between the canvas and the bottom tool box
    QFrame* Panel1;
    QFrame* Panel2;
    QCheckBox* CheckBox2;
    QToolButton* SpeedButton11;
    QFrame* Panel8;
    QLineEdit* Edit2;
    QListWidget* QBTables;
    QFrame* Panel10;
    QPushButton* Button1;
    QPushButton* Button2;

    QFrame* P_bottom;
    QTabWidget* PageControl1;
    QWidget* TS_Order;
    QWidget* TS_Group;
    QWidget* TS_Condition;
    QWidget* TS_ConditionGroup;
    QWidget* TS_Compute;
    QWidget* TS_Display;
    QWidget* TS_SQL;
    QWidget* TS_Query;
    QWidget* TS_ExcuteSQL;
    QListWidget* OrderList;
    QListWidget* OrderColumn;
    QListWidget* GroupList;
    QListWidget* GroupColumn;
    TStringGridEx* ConditionList;
    TStringGridEx* ConditionListGroup;
    TStringGridEx* ComputeColumnList;
    TStringGridEx* DisplayList;
    QPlainTextEdit* Memo1;
    QCheckBox* CheckBox1;
    QLabel* Label3; // the vertical caption beside CheckBox1
    QToolButton* Sp_ApplySQL;
    QTableView* DBGrid1;
    // 导出…: every row of the result page into a CSV file.
    QToolButton* BtnExport;
    QFrame* Panel3;
    QLabel* Panel3Text;
    QLabel* Panel3Fetched; // rows fetched so far, beside the status text
    QPlainTextEdit* Memo2;
    QPlainTextEdit* MExcuteSQL;
    QFrame* Panel22;
    QToolButton* Sp_up;
    QToolButton* sp_down;
    QToolButton* SpeedButton5;
    QToolBar* ToolBar2;
    QToolButton* Sp_Select;

    QFrame* Pan_Union;
    QFrame* Panel11;
    TStringGridEx* UnionGrid;
    QPushButton* btn_New;
    QPushButton* btn_Open;
    QPushButton* btn_Delete;
    QPushButton* btn_Close;

    QMenu* PopupMenu1;
    QAction* N_Copy;
    QAction* N_Cut;
    QAction* N_Paste;
    QAction* N_PasteFun;
    QAction* N_PasteColumn;
    QAction* N_PasteSQL;
    QMenu* N_InsLine;
    QAction* N_InsUp;
    QAction* N_InsDown;
    QMenu* N_ClearLine;
    QAction* N_ClearSingleLine;
    QAction* N_ClearMultiLine;
    QMenu* N_Delete;
    QAction* N_DeleteSingle;
    QAction* N_DeleteMulti;
    QAction* M_Line;
    QAction* ReForge;
    QMenu* PopupMenu2;
    QAction* N_CopySQL;
    QAction* N_Copy2;
    QAction* N_Paste2;
    QAction* N_Cut2;
    QAction* N5;
    QAction* N_ApplySQLLine;
    QAction* N_ApplySQL;
    QAction* MenuItem2;
    QAction* MenuItem3;

    TADOQuery* ResQuery;
    TADOQueryModel* DataSource1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    // Escape: the "取消" button.
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QAction*> m_designCommands; // of the tool bar: 自动排列 to 重做
    void CreateLayout();
    QWidget* CreateToolBar();
    QWidget* CreateTablePanel();
    QWidget* CreateBottomToolBox();
    void CreateListPages();
    void CreateSqlPage();
    void CreateQueryPage();
    void CreateExecutePage();
    QWidget* CreateSideButtons();
    void CreateUnionPanel();
    // UnionGrid, loaded from its stored form.
    TStringGridEx* CreateUnionGrid(QWidget* parent);
    void CreatePageGrids();
    void ApplyPages(const QueryDesign& design);
    void ReadColumnLists(QueryDesign& design) const;
    // The statement of `design`, read from the form just now: the display
    // list follows the ticks first (in `design` and on the page); a refusal
    // is shown and gives an empty text.
    QString StatementOf(QueryDesign& design);
    void ApplyColumnLists(const QueryDesign& design);
    void CreateUndoRedo();
    void RestoreSnapshot(const QueryDesign& design);
    void ConnectKeys();
    // Init without closing the result page's rows.
    void ClearDesign();
    void ConnectResultPage();
    // Hides the tables the search text does not name (IsFilterTables).
    void FilterTableList();
    // Arranges the boxes when the dialog asks for it after every change of
    // boxes (not when undo brings back an arrangement of its own).
    void AutoArrange();
    void UpdateUndoButtons();
    void ConnectPageHandlers();
    void CreateMenus();
    void ConnectHandlers();
    // Empties the page grids as a new design starts.
    void ClearPageGrids();
    // Columns 0 and 3 of DisplayList hold hidden data.
    void HideDisplayDataColumns();
    bool GridAllowsEditing(TStringGridEx* grid) const;
    // The grid whose page is active (pages 2 to 5), or null.
    TStringGridEx* PageGrid(int page) const;
    void UpdateSelectButton(int page);
    // The result page: the rows of the open ResQuery, counted by `count`
    // (-1: unknown, the rows fetched so far stand for it).
    void ShowResultCount(int count);
    void UpdateFetchedRows();
    // Saves the memo as a script; the bookkeeping of a saved file on success.
    bool SaveScript(const QString& path);
    // Hands the panel's buttons and grid the pointer, nothing else in the window.
    bool HoldPointerEvent(QObject* watched, QEvent* event);

    TQuillaryDialog* m_dialog;
    // The dialog's data source: what the form asks about the connection.
    TConnectionSession* m_session;
    TQBArea* m_canvas = nullptr;
    int m_nextTableX = 10;
    int m_nextTableY = 10;
    // The statement the result page sorts, and how it sorted it last.
    QString m_sortBase;
    QString m_sortedSql;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    int m_dsn = -1;
    TSqlDialect m_dialect;
    bool m_dialectKnown = false;
    const TADOConnection* m_dialectConnection = nullptr;
    QString m_fileName;
    QString m_viewName;
    QString m_rowLimit;
    QString m_rowOffset;
    std::unique_ptr<TDesignHistory> m_history;
    bool m_restoringHistory = false;
    bool m_checkpointPending = false;
    bool m_shownOnce = false;
    bool m_opened = false;
    // Side button actions, rebound on every page switch.
    std::function<void()> m_upAction, m_downAction, m_selectAction;

    // Union panel drag state.
    bool m_unionDragging = false;
    QPoint m_unionDragStart;
    QRect m_unionDragRect;
    QWidget* m_unionOutline = nullptr;
    bool m_unionHeld = false;

    // Result page: the count is taken from the rows fetched (the count
    // query failed); the next entry of the page keeps the rows shown.
    bool m_countFetched = false;
    bool m_keepResult = false;
};

} // namespace quillary
