// The designer window's shell: start-up, reset, page switch, the table list
// panel, dropped files and closing.
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/QueryModel.h"
#include "designer/ConnectionSession.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "designer/SqlHighlighter.h"
#include "grid/StringGridEx.h"
#include "platform/Clipboard.h"
#include "platform/Exception.h"
#include "platform/HtmlHelp.h"
#include "platform/TextFile.h"
#include "platform/UserInteraction.h"
#include "query/DesignHistory.h"
#include "sqltext/Common.h"
#include "sqltext/SqlStatements.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

// Resources of a library that may be linked statically are registered by hand.
static void InitDesignerResources() {
    Q_INIT_RESOURCE(designer);
}

namespace quillary {

TFrm_Quillary::TFrm_Quillary(TQuillaryDialog* dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_session(dialog ? &dialog->Session() : nullptr) {
    InitDesignerResources();
    setObjectName(QStringLiteral("Frm_Quillary"));
    setWindowTitle(QString::fromUtf8(kDefaultDesignerCaption));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    resize(714, 533);
    CreateLayout();
    ConnectHandlers();
    CreateUndoRedo();
    SetDesignCommandsVisible(dialog && dialog->IsDesignCommands);
    FormCreate();
}

TFrm_Quillary::~TFrm_Quillary() {
    // Queries first: the connections they use belong to the dialog.
    ResQuery->Close();
    // The result model resets when its query goes with the children, after
    // this form has stopped being one.
    disconnect(DataSource1, nullptr, this, nullptr);
}

void TFrm_Quillary::ConnectHandlers() {
    connect(N_InitWin, &QAction::triggered, this, &TFrm_Quillary::N_InitWinClick);
    connect(TB_OPENSOURCE, &QToolButton::clicked, this, &TFrm_Quillary::TB_OPENSOURCEClick);
    connect(TB_SaveCSN, &QToolButton::clicked, this, &TFrm_Quillary::TB_SaveCSNClick);
    connect(TB_JOIN, &QToolButton::clicked, this, &TFrm_Quillary::TB_JOINClick);
    connect(TB_HELP, &QToolButton::clicked, this, &TFrm_Quillary::TB_HELPClick);
    connect(TB_CopySQL, &QToolButton::clicked, this, &TFrm_Quillary::N_CopySQLClick);
    connect(N_CopySQL, &QAction::triggered, this, &TFrm_Quillary::N_CopySQLClick);
    connect(tb_ToolBox, &QToolButton::clicked, this, &TFrm_Quillary::tb_ToolBoxClick);
    connect(Tb_Tablist, &QToolButton::clicked, this, &TFrm_Quillary::Tb_TablistClick);
    connect(SpeedButton11, &QToolButton::clicked, this, &TFrm_Quillary::SpeedButton11Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TFrm_Quillary::SpeedButton5Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TFrm_Quillary::CheckBox2Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TFrm_Quillary::Edit2Change);
    connect(QBTables, &QListWidget::itemDoubleClicked, this, &TFrm_Quillary::QBTablesDblClick);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, &TFrm_Quillary::reject);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFrm_Quillary::PageControl1Change);
    connect(Sp_up, &QToolButton::clicked, this, [this] {
        if (m_upAction) m_upAction();
    });
    connect(sp_down, &QToolButton::clicked, this, [this] {
        if (m_downAction) m_downAction();
    });
    connect(Sp_Select, &QToolButton::clicked, this, [this] {
        if (m_selectAction) m_selectAction();
    });
    connect(TB_SAVE, &QToolButton::clicked, this, &TFrm_Quillary::TB_SAVEClick);
    connect(TB_SAVEModel, &QToolButton::clicked, this, &TFrm_Quillary::TB_SAVEModelClick);
    connect(TB_OPEN, &QToolButton::clicked, this, &TFrm_Quillary::TB_OPENClick);
    connect(Tb_Quillary, &QToolButton::clicked, this, &TFrm_Quillary::Tb_QuillaryClick);
    connect(TB_CreateView, &QToolButton::clicked, this, &TFrm_Quillary::TB_CreateViewClick);
    connect(TB_Arrange, &QToolButton::clicked, this, &TFrm_Quillary::ArrangeClick);
    connect(TB_Fit, &QToolButton::clicked, m_canvas, [this] { m_canvas->FitToWindow(); });
    connect(m_canvas->mnuArrange, &QAction::triggered, this, &TFrm_Quillary::ArrangeClick);
    connect(m_canvas, &TQBArea::TableInserted, this, &TFrm_Quillary::AutoArrange);
    connect(btn_New, &QPushButton::clicked, this, &TFrm_Quillary::btn_NewClick);
    connect(btn_Open, &QPushButton::clicked, this, &TFrm_Quillary::btn_OpenClick);
    connect(btn_Delete, &QPushButton::clicked, this, &TFrm_Quillary::btn_DeleteClick);
    connect(btn_Close, &QPushButton::clicked, this, &TFrm_Quillary::btn_CloseClick);
    connect(N_Copy2, &QAction::triggered, this, &TFrm_Quillary::N_Copy2Click);
    connect(N_Cut2, &QAction::triggered, this, &TFrm_Quillary::N_Cut2Click);
    connect(N_Paste2, &QAction::triggered, this, &TFrm_Quillary::N_Paste2Click);
    connect(N5, &QAction::triggered, this, &TFrm_Quillary::N5Click);
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TFrm_Quillary::PopupMenu2Change);
    connect(MenuItem2, &QAction::triggered, this, &TFrm_Quillary::MenuItem2Click);
    connect(MenuItem3, &QAction::triggered, this, &TFrm_Quillary::MenuItem3Click);
    // The memo's own keys cover copy, cut, paste and select all; these are
    // the menu's further shortcuts.
    for (QAction* a : {N_CopySQL, MenuItem2, MenuItem3}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        Memo1->addAction(a);
    }
    connect(DataSource1, &QAbstractItemModel::rowsInserted, this,
            &TFrm_Quillary::UpdateFetchedRows);
    connect(DataSource1, &QAbstractItemModel::modelReset, this, &TFrm_Quillary::UpdateFetchedRows);
    connect(CheckBox1, &QCheckBox::toggled, this, &TFrm_Quillary::CheckBox1Click);
    connect(Sp_ApplySQL, &QToolButton::clicked, this, &TFrm_Quillary::Sp_ApplySQLClick);
    connect(N_ApplySQL, &QAction::triggered, this, &TFrm_Quillary::Sp_ApplySQLClick);
    connect(ReForge, &QAction::triggered, this, &TFrm_Quillary::ReForgeClick);
    // Only the user's edits offer "应用": text set by the designer starts a
    // fresh undo history.
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (Memo1->document()->isUndoAvailable()) Memo1Change();
    });
    connect(Memo1, &QPlainTextEdit::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(Memo1->mapToGlobal(at)); });
    ConnectKeys();
    ConnectResultPage();
    Edit2->installEventFilter(this);
    QBTables->installEventFilter(this);
    // File drops belong to the window, not to the text boxes under the cursor.
    for (QPlainTextEdit* memo : {Memo1, Memo2, MExcuteSQL})
        memo->viewport()->installEventFilter(this);
}

void TFrm_Quillary::ConnectKeys() {
    // Delete on the canvas removes the selected link, or else closes the
    // active box, as its close button does.
    auto* remove = new QAction(m_canvas);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_canvas->addAction(remove);
    connect(remove, &QAction::triggered, this, [this] {
        if (TQBLink* link = m_canvas->SelectedLink()) {
            m_canvas->Unlink(link);
            return;
        }
        for (TQBTable* box : m_canvas->Tables())
            if (box->IsActive()) {
                box->_CloseBtn();
                return;
            }
    });
    // F5 and Ctrl+Enter show the statement's rows.
    auto* run = new QAction(this);
    run->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                       QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    run->setShortcutContext(Qt::WindowShortcut);
    addAction(run);
    connect(run, &QAction::triggered, this, [this] { PageControl1->setCurrentWidget(TS_Query); });
}

void TFrm_Quillary::FormCreate() {
    m_nextTableX = 10;
    m_nextTableY = 10;
    UnionGrid->SetRowCount(2);
    UnionGrid->SetCells(1, 1, QStringLiteral("union0"));
    m_viewName.clear();
    m_fileName.clear();
    setAcceptDrops(true);
}

void TFrm_Quillary::FormShow() {
    PageControl1->setCurrentIndex(pgConditionGroup);
    HideDisplayDataColumns();
}

void TFrm_Quillary::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    // The table list 180 wide, the tool box 162 high.
    Splitter1->setSizes({std::max(100, width() - 182), 180});
    Splitter3->setSizes({std::max(100, Splitter3->height() - 166), 162});
    Opening();
}

void TFrm_Quillary::Opening() {
    if (m_opened) return;
    m_opened = true;
    FormShow();
    // The design as the window opens is where undoing ends.
    ClearHistory();
}

void TFrm_Quillary::Init() {
    ClearDesign();
    ResQuery->Close();
}

void TFrm_Quillary::ClearDesign() {
    // Closing a box removes it from the canvas at once, so walk a snapshot.
    for (TQBTable* box : m_canvas->Tables())
        box->_CloseBtn();
    // The union sets are the dialogs this form owns.
    for (TQuillaryDialog* set : findChildren<TQuillaryDialog*>(Qt::FindDirectChildrenOnly))
        delete set;
    OrderList->clear();
    OrderColumn->clear();
    GroupList->clear();
    GroupColumn->clear();
    ClearPageGrids();
    Memo1->clear();
    setWindowTitle(m_dialog->Caption);
    m_dialog->SavedSQL.clear();
    m_fileName.clear();
    Sp_ApplySQL->hide();
    // The row limit belongs to the design that is gone.
    m_rowLimit.clear();
    m_rowOffset.clear();
    m_nextTableX = 10;
    m_nextTableY = 10;
}

void TFrm_Quillary::PageControl1Change(int index) {
    m_upAction = m_downAction = m_selectAction = nullptr;
    Sp_Select->setCheckable(true);
    Sp_Select->setChecked(false);
    switch (index) {
    case pgOrder:
        TS_OrderEnter();
        m_upAction = [this] { SpeedButton1Click(); };
        m_downAction = [this] { SpeedButton2Click(); };
        break;
    case pgGroup:
        m_upAction = [this] { SpeedButton3Click(); };
        m_downAction = [this] { SpeedButton4Click(); };
        break;
    case pgCondition:
    case pgConditionGroup:
    case pgCompute:
    case pgDisplay:
        if (index == pgDisplay) TS_DisplayEnter();
        m_upAction = [this] { Sp_UpDownClick(true); };
        m_downAction = [this] { Sp_UpDownClick(false); };
        m_selectAction = [this] { Sp_SelectClick(); };
        Sp_Select->setChecked(!GridAllowsEditing(PageGrid(index)));
        break;
    case pgSQL:
        TS_SQLEnter();
        break;
    case pgQuery:
        TS_QueryEnter();
        break;
    case pgExecute:
        Sp_Select->setCheckable(false);
        m_selectAction = [this] { Sp_SelectClick(); };
        break;
    default:
        break;
    }
}

void TFrm_Quillary::CheckBox2Click() {
    if (!m_session->Connected()) return;
    GetTablesList(CheckBox2->isChecked());
    if (Dialect().TablesAreSheets()) QuoteTableList();
}

void TFrm_Quillary::Tb_TablistClick() {
    Panel1->setVisible(Tb_Tablist->isChecked());
    m_canvas->MenuItem(TQBArea::kMenuTableList)->setVisible(Panel1->isHidden());
}

void TFrm_Quillary::tb_ToolBoxClick() {
    P_bottom->setVisible(tb_ToolBox->isChecked());
    m_canvas->MenuItem(TQBArea::kMenuToolBox)->setVisible(P_bottom->isHidden());
}

void TFrm_Quillary::SpeedButton11Click() {
    Tb_Tablist->setChecked(false);
    Tb_TablistClick();
}

void TFrm_Quillary::SpeedButton5Click() {
    tb_ToolBox->setChecked(false);
    tb_ToolBoxClick();
}

void TFrm_Quillary::Button2Click() {
    m_dialog->IsCreateView = false;
}

void TFrm_Quillary::TB_EXITClick() {
    close();
}

void TFrm_Quillary::TB_HELPClick() {
    try {
        HtmlHelp(quintptr(this), HelpFileName(QCoreApplication::applicationDirPath()),
                 HH_DISPLAY_INDEX, 0);
    } catch (const Exception& e) {
        // What the application does with an error nobody caught: show it.
        Ui().MessageBox(e.Message(), QGuiApplication::applicationDisplayName(), TMsgButtons::Ok,
                        TMsgIcon::Error);
    }
}

void TFrm_Quillary::TB_JOINClick() {
    m_canvas->_OpenUnion();
}

void TFrm_Quillary::SetUnionMenuVisible(bool visible) {
    m_canvas->MenuItem(TQBArea::kMenuUnion)->setVisible(visible);
}

void TFrm_Quillary::SetDesignCommandsVisible(bool visible) {
    m_canvas->ShowDesignCommands(visible);
    for (QAction* action : m_designCommands)
        action->setVisible(visible);
}

bool TFrm_Quillary::GoOnDespiteRewrittenSql(const QString& question) {
    TSqlHighlighter::SetText(Memo1, GetSQL());
    const QString text = Memo1->toPlainText();
    return text == m_dialog->SavedSQL || text.isEmpty() ||
           Ui().MessageBox(question, QStringLiteral("提示"), TMsgButtons::YesNo,
                           TMsgIcon::Question) == mrYes;
}

void TFrm_Quillary::N_InitWinClick() {
    if (!GoOnDespiteRewrittenSql(QStringLiteral("SQL语句已经被改写,是否还是要初始化界面？")))
        return;
    Init();
    ClearHistory(); // a new design starts a new history
}

void TFrm_Quillary::PlaceNextAfter(const QRect& box) {
    if (m_nextTableX + 150 > 500) m_nextTableY = (box.top() + box.height() + 10) % 400;
    m_nextTableX = (box.left() + box.width() + 10) % 500;
    if (m_nextTableX < 160) m_nextTableX = 10;
}

void TFrm_Quillary::QBTablesKeyDown(int key) {
    if (key == kKeyReturn) QBTablesDblClick();
}

void TFrm_Quillary::QBTablesDblClick() {
    QListWidgetItem* item = QBTables->currentItem();
    if (!item || !item->isSelected()) return;
    if (TQBTable* box = m_canvas->InsertTable(m_nextTableX, m_nextTableY))
        PlaceNextAfter(box->geometry());
}

void TFrm_Quillary::FilterTableList() {
    const QString text = m_dialog->IsFilterTables ? Edit2->text() : QString();
    for (int i = 0; i < QBTables->count(); ++i) {
        QListWidgetItem* item = QBTables->item(i);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

void TFrm_Quillary::Edit2Change(const QString& text) {
    FilterTableList();
    if (text.isEmpty()) return;
    const QString wanted = text.toLower();
    auto matches = [&](int row) {
        return !QBTables->item(row)->isHidden() &&
               QBTables->item(row)->text().toLower().startsWith(wanted);
    };
    const int current = QBTables->currentRow();
    if (current >= 0 && QBTables->item(current)->isSelected() && matches(current)) return;
    for (int i = 0; i < QBTables->count(); ++i) {
        if (!matches(i)) continue;
        // Passing by the far end first scrolls the match into view.
        QBTables->setCurrentRow(i == 0 ? QBTables->count() - 1 : 0);
        QBTables->setCurrentRow(i);
        return;
    }
}

void TFrm_Quillary::Edit2KeyDown(int key) {
    // To the neighbour among the entries the filter leaves.
    int step = key == kKeyUp ? -1 : key == kKeyDown ? 1 : 0;
    if (step == 0) return;
    int row = QBTables->currentRow() + step;
    if (row < 0) { // up stops at the first entry, also from no selection
        row = 0;
        step = 1;
    }
    for (; row >= 0 && row < QBTables->count(); row += step)
        if (!QBTables->item(row)->isHidden()) {
            QBTables->setCurrentRow(row);
            return;
        }
}

void TFrm_Quillary::DropFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    const QString path = files.first();
    const QString extension = QLatin1Char('.') + QFileInfo(path).suffix().toUpper();
    if (extension != QLatin1String(".SQL") && extension != QLatin1String(".TXT")) {
        Ui().MessageBox(QStringLiteral("仅支持SQL文件和文本文件的自动拖放！"),
                        QStringLiteral("提示！"));
        return;
    }
    if (!m_session->Connected()) {
        Ui().MessageBox(QStringLiteral("请先连接数据源"), QStringLiteral("提示！"));
        return;
    }
    if (!GoOnDespiteRewrittenSql(QStringLiteral("SQL语句已经被改写,是否还是要打开新的文件？")))
        return;
    OpenSqlFile(path);
}

void TFrm_Quillary::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFrm_Quillary::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    DropFiles(files);
}

bool TFrm_Quillary::eventFilter(QObject* watched, QEvent* event) {
    if (m_unionHeld && HoldPointerEvent(watched, event)) return true;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // The key handlers take the virtual-key codes.
        if (watched == Edit2 && (key == Qt::Key_Up || key == Qt::Key_Down))
            Edit2KeyDown(key == Qt::Key_Up ? kKeyUp : kKeyDown); // and the edit still gets the key
        // Esc clears a filter rather than closing the window.
        if (watched == Edit2 && key == Qt::Key_Escape && m_dialog->IsFilterTables &&
            !Edit2->text().isEmpty()) {
            Edit2->clear();
            return true;
        }
        if (watched == QBTables && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            QBTablesKeyDown(kKeyReturn);
            return true;
        }
    }
    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) &&
        static_cast<QDropEvent*>(event)->mimeData()->hasUrls() && watched != QBTables) {
        static_cast<QDropEvent*>(event)->ignore(); // passes on to the window
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFrm_Quillary::FormCloseQuery() {
    if (!m_dialog->IsCreateView) return true;
    TSqlHighlighter::SetText(Memo1, GetSQL());
    TADOConnection* connection = m_session->Connection();
    for (;;) {
        QString name = m_viewName;
        if (!Ui().InputQuery(QStringLiteral("提示！"), QStringLiteral("请输入视图名称： "), name))
            return true;
        m_viewName = name;
        if (name.isEmpty()) continue;
        // The name is a name, whatever was typed; the view's text one query.
        const QString select = Memo1->toPlainText();
        TADOQuery query;
        query.SetConnection(connection);
        if (SingleSelectFault(select, Dialect().Readings()).isEmpty()) {
            query.SQL() = QStringList{dialect::CreateView(Dialect().NameFromText(name), select)};
            try {
                query.ExecSQL();
                return true;
            } catch (const EDatabaseError&) {
            }
        }
        query.SetReadOnly(true);
        query.SQL() = QStringList{select};
        try {
            query.Open();
            query.Close();
        } catch (const EDatabaseError&) {
            // The statement itself is wrong: back to the designer, or leave.
            return Ui().MessageBox(QStringLiteral("查询语句发生错误，是否修改这个错误？"),
                                   QStringLiteral("提示！"), TMsgButtons::YesNo,
                                   TMsgIcon::Question) != mrYes;
        }
        // The statement runs, so the name is the problem.
        if (Ui().MessageBox(QStringLiteral("试图名称被占用或者其他原因，是否重新输入名称?"),
                            QStringLiteral("提示！"), TMsgButtons::YesNo,
                            TMsgIcon::Question) != mrYes)
            return true;
    }
}

void TFrm_Quillary::done(int result) {
    if (!FormCloseQuery()) return;
    ReleaseCursor();
    QDialog::done(result);
}

void TFrm_Quillary::reject() {
    Button2Click();
    done(mrCancel);
}

void TFrm_Quillary::closeEvent(QCloseEvent* event) {
    // The close box ends the run like "取消" does, without switching off
    // create-view mode.
    event->ignore();
    done(mrCancel);
}

} // namespace quillary
