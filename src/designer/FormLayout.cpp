// The designer window's controls and their layout.
#include "db/ADOQuery.h"
#include "db/QueryModel.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/SqlHighlighter.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillary {

namespace {

QIcon Icon(const char* name) {
    return QIcon(QStringLiteral(":/quillary/designer/icons/%1.svg").arg(QLatin1StringView(name)));
}

QFrame* Panel(const char* name, QWidget* parent = nullptr) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

QToolButton* SmallButton(const char* name, const char* icon, const QString& hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Icon(icon));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setFixedSize(24, 24);
    return button;
}

// A list box with its caption above it.
QWidget* CaptionedList(const QString& caption, QListWidget* list) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(caption));
    layout->addWidget(list, 1);
    return box;
}

QListWidget* List(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

} // namespace

QWidget* TFrm_Quillary::CreateToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setFixedHeight(42);
    ToolBar1->setMovable(false);
    auto add = [this](const char* name, const char* icon, const char* hint) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(Icon(icon));
        button->setIconSize(QSize(32, 32));
        button->setFixedSize(39, 38);
        button->setAutoRaise(true);
        button->setToolTip(QString::fromUtf8(hint));
        button->setText(QString::fromUtf8(hint));
        ToolBar1->addWidget(button);
        return button;
    };
    TB_NEW = add("TB_NEW", "new", "新建");
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    N_InitWin = PopupMenu3->addAction(QStringLiteral("初始化界面"));
    N_InitWin->setObjectName(QStringLiteral("N_InitWin"));
    N_NewWin = PopupMenu3->addAction(QStringLiteral("新窗口"));
    N_NewWin->setObjectName(QStringLiteral("N_NewWin"));
    TB_NEW->setMenu(PopupMenu3);
    // The drop-down arrow is drawn within the button, as wide as the others.
    TB_NEW->setPopupMode(QToolButton::InstantPopup);
    TB_SAVE = add("TB_SAVE", "save", "保存SQL脚本");
    TB_CopySQL = add("TB_CopySQL", "copysql", "复制SQL");
    TB_SAVEModel = add("TB_SAVEModel", "savemodel", "保存界面");
    TB_SaveCSN = add("TB_SaveCSN", "savecsn", "保存数据库连接信息");
    ToolBar1->addSeparator();
    Tb_Quillary = add("Tb_Quillary", "opensql", "打开SQL文件");
    TB_OPEN = add("TB_OPEN", "opentemplate", "打开模板");
    TB_OPENSOURCE = add("TB_OPENSOURCE", "opensource", "打开连接");
    ToolBar1->addSeparator();
    TB_JOIN = add("TB_JOIN", "join", "联合");
    TB_HELP = add("TB_HELP", "help", "帮助");
    ToolBar1->addSeparator();
    tb_ToolBox = add("tb_ToolBox", "toolbox", "工具箱");
    tb_ToolBox->setCheckable(true);
    tb_ToolBox->setChecked(true);
    Tb_Tablist = add("Tb_Tablist", "tablist", "数据表列表");
    Tb_Tablist->setCheckable(true);
    Tb_Tablist->setChecked(true);
    TB_CreateView = add("TB_CreateView", "createview", "创建视图");
    // The designer's own commands, from here to the end.
    const qsizetype commandsFrom = ToolBar1->actions().size();
    TB_Arrange = add("TB_Arrange", "arrange", "自动排列");
    TB_Fit = add("TB_Fit", "fit", "适合窗口");
    ToolBar1->addSeparator();
    TB_Undo = add("TB_Undo", "undo", "撤销");
    TB_Redo = add("TB_Redo", "redo", "重做");
    m_designCommands = ToolBar1->actions().mid(commandsFrom);
    return ToolBar1;
}

QWidget* TFrm_Quillary::CreateTablePanel() {
    Panel1 = Panel("Panel1");
    Panel1->setMinimumWidth(120);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    Panel2 = Panel("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* title = new QHBoxLayout(Panel2);
    title->setContentsMargins(4, 1, 1, 1);
    title->addWidget(new QLabel(QStringLiteral("源数据源表")));
    title->addStretch(1);
    CheckBox2 = new QCheckBox(QStringLiteral("取系统表"));
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    title->addWidget(CheckBox2);
    SpeedButton11 = SmallButton("SpeedButton11", "close", QStringLiteral("关闭"), Panel2);
    SpeedButton11->setFixedSize(18, 18);
    SpeedButton11->setIconSize(QSize(10, 10));
    title->addWidget(SpeedButton11);
    layout->addWidget(Panel2);

    Panel8 = Panel("Panel8");
    auto* search = new QHBoxLayout(Panel8);
    search->setContentsMargins(4, 0, 2, 0);
    search->addWidget(new QLabel(QStringLiteral("搜索")));
    Edit2 = new QLineEdit;
    Edit2->setObjectName(QStringLiteral("Edit2"));
    search->addWidget(Edit2, 1);
    layout->addWidget(Panel8);

    QBTables = List("QBTables");
    QBTables->setSortingEnabled(true);
    QBTables->setDragEnabled(true);
    QBTables->setDragDropMode(QAbstractItemView::DragOnly);
    QBTables->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(QBTables, 1);

    Panel10 = Panel("Panel10");
    auto* buttons = new QHBoxLayout(Panel10);
    buttons->setContentsMargins(4, 2, 4, 4);
    Button1 = new QPushButton(QStringLiteral("确定"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("取消"));
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(60);
        buttons->addWidget(b);
    }
    layout->addWidget(Panel10);
    return Panel1;
}

QWidget* TFrm_Quillary::CreateBottomToolBox() {
    P_bottom = Panel("P_bottom");
    auto* layout = new QHBoxLayout(P_bottom);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto page = [this](const char* name, const char* caption) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        PageControl1->addTab(w, QString::fromUtf8(caption));
        return w;
    };
    TS_Order = page("TS_Order", "排序");
    TS_Group = page("TS_Group", "分组");
    TS_Condition = page("TS_Condition", "条件");
    TS_ConditionGroup = page("TS_ConditionGroup", "组内条件");
    TS_Compute = page("TS_Compute", "计算字段");
    TS_Display = page("TS_Display", "显示顺序");
    TS_SQL = page("TS_SQL", "SQL语法");
    TS_Query = page("TS_Query", "查询结果");
    TS_ExcuteSQL = page("TS_ExcuteSQL", "执行SQL语句");

    CreateListPages();
    CreatePageGrids();
    CreateSqlPage();
    CreateQueryPage();
    CreateExecutePage();
    layout->addWidget(PageControl1, 1);
    layout->addWidget(CreateSideButtons());
    ConnectPageHandlers();
    return P_bottom;
}

// Pages 0 and 1: pairs of lists between which columns move.
void TFrm_Quillary::CreateListPages() {
    OrderList = List("OrderList");
    OrderColumn = List("OrderColumn");
    GroupList = List("GroupList");
    GroupColumn = List("GroupColumn");
    for (QListWidget* l : {OrderList, OrderColumn, GroupList, GroupColumn}) {
        l->setDragEnabled(true);
        l->setAcceptDrops(true);
        l->setDragDropMode(QAbstractItemView::DragDrop);
        l->setDefaultDropAction(Qt::MoveAction);
    }
    auto pair = [](QWidget* pageWidget, QWidget* left, QWidget* right) {
        auto* l = new QHBoxLayout(pageWidget);
        l->setContentsMargins(2, 2, 2, 2);
        l->addWidget(left, 1);
        l->addWidget(right, 1);
    };
    pair(TS_Order, CaptionedList(QStringLiteral("供排序字段（请用鼠标拖动或双击）"), OrderList),
         CaptionedList(QStringLiteral("已选择的排序字段（请用鼠标拖动或双击）"), OrderColumn));
    pair(TS_Group, CaptionedList(QStringLiteral("供分组字段（请用鼠标拖动或双击）"), GroupList),
         CaptionedList(QStringLiteral("已选择的分组字段（请用鼠标拖动或双击）"), GroupColumn));
}

// Page 6: the statement, the distinct box and the apply button.
void TFrm_Quillary::CreateSqlPage() {
    auto* l = new QHBoxLayout(TS_SQL);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    Memo1 = new QPlainTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    TSqlHighlighter::Attach(Memo1);
    l->addWidget(Memo1, 1);
    auto* side = new QVBoxLayout;
    side->setSpacing(2);
    CheckBox1 = new QCheckBox;
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Label3 = new QLabel(QStringLiteral("记\n录\n取\n唯\n一\n值"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setBuddy(CheckBox1);
    auto* distinct = new QHBoxLayout;
    distinct->setSpacing(0);
    distinct->addWidget(CheckBox1, 0, Qt::AlignTop);
    distinct->addWidget(Label3, 0, Qt::AlignTop);
    side->addLayout(distinct);
    side->addStretch(1);
    Sp_ApplySQL = new QToolButton;
    Sp_ApplySQL->setObjectName(QStringLiteral("Sp_ApplySQL"));
    Sp_ApplySQL->setText(QStringLiteral("应用"));
    Sp_ApplySQL->setIcon(Icon("apply"));
    Sp_ApplySQL->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Sp_ApplySQL->hide();
    side->addWidget(Sp_ApplySQL);
    l->addLayout(side);
}

// Page 7: the rows of the statement, with a status panel below.
void TFrm_Quillary::CreateQueryPage() {
    auto* l = new QVBoxLayout(TS_Query);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    ResQuery = new TADOQuery(this);
    ResQuery->setObjectName(QStringLiteral("ResQuery"));
    // The rows of the design and of a test run are read without writing.
    ResQuery->SetReadOnly(true);
    DataSource1 = new TADOQueryModel(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->SetQuery(ResQuery);
    DBGrid1 = new QTableView;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(DataSource1);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    l->addWidget(DBGrid1, 1);
    Panel3 = Panel("Panel3");
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3->setFixedHeight(25);
    auto* status = new QVBoxLayout(Panel3);
    status->setContentsMargins(4, 2, 4, 2);
    auto* line = new QHBoxLayout;
    line->setSpacing(12);
    Panel3Text = new QLabel;
    Panel3Text->setObjectName(QStringLiteral("Panel3Text"));
    line->addWidget(Panel3Text, 1);
    Panel3Fetched = new QLabel;
    Panel3Fetched->setObjectName(QStringLiteral("Panel3Fetched"));
    Panel3Fetched->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(Panel3Fetched);
    BtnExport = new QToolButton;
    BtnExport->setObjectName(QStringLiteral("BtnExport"));
    BtnExport->setText(QStringLiteral("导出…"));
    BtnExport->setToolTip(QStringLiteral("把全部记录导出为 CSV 文件"));
    BtnExport->setAutoRaise(true);
    line->addWidget(BtnExport);
    status->addLayout(line);
    Memo2 = new QPlainTextEdit;
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setReadOnly(true);
    Memo2->hide();
    status->addWidget(Memo2, 1);
    l->addWidget(Panel3);
}

// Page 8: any statement.
void TFrm_Quillary::CreateExecutePage() {
    auto* l = new QVBoxLayout(TS_ExcuteSQL);
    l->setContentsMargins(0, 0, 0, 0);
    MExcuteSQL = new QPlainTextEdit;
    MExcuteSQL->setObjectName(QStringLiteral("MExcuteSQL"));
    TSqlHighlighter::Attach(MExcuteSQL);
    l->addWidget(MExcuteSQL);
}

// Right of the pages: close, row up and down, and the row selection switch.
QWidget* TFrm_Quillary::CreateSideButtons() {
    Panel22 = Panel("Panel22");
    Panel22->setFixedWidth(30);
    auto* side = new QVBoxLayout(Panel22);
    side->setContentsMargins(2, 2, 2, 2);
    side->setSpacing(2);
    SpeedButton5 = SmallButton("SpeedButton5", "close", QStringLiteral("关闭"), Panel22);
    side->addWidget(SpeedButton5);
    side->addStretch(1);
    Sp_up = SmallButton("Sp_up", "up", QStringLiteral("上移"), Panel22);
    sp_down = SmallButton("sp_down", "down", QStringLiteral("下移"), Panel22);
    side->addWidget(Sp_up);
    side->addWidget(sp_down);
    ToolBar2 = new QToolBar(Panel22);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setIconSize(QSize(24, 24));
    ToolBar2->setOrientation(Qt::Vertical);
    Sp_Select = new QToolButton(ToolBar2);
    Sp_Select->setObjectName(QStringLiteral("Sp_Select"));
    Sp_Select->setIcon(Icon("select"));
    Sp_Select->setIconSize(QSize(24, 24));
    Sp_Select->setAutoRaise(true);
    Sp_Select->setCheckable(true);
    Sp_Select->setToolTip(QStringLiteral("选择行"));
    ToolBar2->addWidget(Sp_Select);
    side->addWidget(ToolBar2);
    side->addStretch(1);
    return Panel22;
}

void TFrm_Quillary::CreateMenus() {
    auto item = [](QMenu* menu, const char* name, const char* caption,
                   const QKeySequence& keys = {}) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutVisibleInContextMenu(true);
        return a;
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N_Copy = item(PopupMenu1, "N_Copy", "复制", QKeySequence(Qt::CTRL | Qt::Key_C));
    N_Cut = item(PopupMenu1, "N_Cut", "剪切", QKeySequence(Qt::CTRL | Qt::Key_X));
    N_Paste = item(PopupMenu1, "N_Paste", "粘贴", QKeySequence(Qt::CTRL | Qt::Key_V));
    PopupMenu1->addSeparator();
    N_PasteFun = item(PopupMenu1, "N_PasteFun", "粘贴函数", QKeySequence(Qt::CTRL | Qt::Key_F));
    N_PasteColumn = item(PopupMenu1, "N_PasteColumn", "粘贴字段");
    N_PasteSQL = item(PopupMenu1, "N_PasteSQL", "粘贴SQL");
    PopupMenu1->addSeparator();
    N_InsLine = PopupMenu1->addMenu(QStringLiteral("插入"));
    N_InsLine->setObjectName(QStringLiteral("N_InsLine"));
    N_InsUp = item(N_InsLine, "N_InsUp", "上面一行");
    N_InsDown = item(N_InsLine, "N_InsDown", "下面一行");
    N_ClearLine = PopupMenu1->addMenu(QStringLiteral("清除"));
    N_ClearLine->setObjectName(QStringLiteral("N_ClearLine"));
    N_ClearSingleLine = item(N_ClearLine, "N_ClearSingleLine", "当前行");
    N_ClearMultiLine = item(N_ClearLine, "N_ClearMultiLine", "所有选中行");
    N_Delete = PopupMenu1->addMenu(QStringLiteral("删除"));
    N_Delete->setObjectName(QStringLiteral("N_Delete"));
    N_DeleteSingle = item(N_Delete, "N_DeleteSingle", "当前行");
    N_DeleteMulti = item(N_Delete, "N_DeleteMulti", "所有选中行");
    M_Line = PopupMenu1->addSeparator();
    M_Line->setObjectName(QStringLiteral("M_Line"));
    ReForge = item(PopupMenu1, "ReForge", "重建子查询");
    M_Line->setVisible(false);
    ReForge->setVisible(false);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    N_CopySQL =
        item(PopupMenu2, "N_CopySQL", "复制SQL", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    PopupMenu2->addSeparator();
    N_Copy2 = item(PopupMenu2, "N_Copy2", "复制", QKeySequence(Qt::CTRL | Qt::Key_C));
    N_Paste2 = item(PopupMenu2, "N_Paste2", "粘贴", QKeySequence(Qt::CTRL | Qt::Key_V));
    N_Cut2 = item(PopupMenu2, "N_Cut2", "剪切", QKeySequence(Qt::CTRL | Qt::Key_X));
    N5 = item(PopupMenu2, "N5", "全选", QKeySequence(Qt::CTRL | Qt::Key_A));
    N_ApplySQLLine = PopupMenu2->addSeparator();
    N_ApplySQL = item(PopupMenu2, "N_ApplySQL", "应用所作修改");
    PopupMenu2->addSeparator();
    MenuItem2 = item(PopupMenu2, "MenuItem2", "转换为插入语句", QKeySequence(Qt::CTRL | Qt::Key_I));
    MenuItem3 = item(PopupMenu2, "MenuItem3", "转换为更新语句", QKeySequence(Qt::CTRL | Qt::Key_U));
}

void TFrm_Quillary::CreateLayout() {
    setFont(DesignerFont());
    CreateMenus();
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(CreateToolBar());

    // The canvas with the table list on its right, and below both the tool
    // box across the whole width, so that its nine pages have room.
    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(2);
    Splitter1->setChildrenCollapsible(false);
    m_canvas = new TQBArea(this);
    Splitter1->addWidget(m_canvas);
    Splitter1->addWidget(CreateTablePanel());
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter3 = new QSplitter(Qt::Vertical);
    Splitter3->setObjectName(QStringLiteral("Splitter3"));
    Splitter3->setHandleWidth(4);
    Splitter3->setChildrenCollapsible(false);
    Splitter3->addWidget(Splitter1);
    Splitter3->addWidget(CreateBottomToolBox());
    Splitter3->setStretchFactor(0, 1);
    Splitter3->setStretchFactor(1, 0);
    root->addWidget(Splitter3, 1);
    CreateUnionPanel();
}

} // namespace quillary
