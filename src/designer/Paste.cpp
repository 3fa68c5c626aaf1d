#include "designer/Paste.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "designer/DesignerFont.h"
#include "platform/UserInteraction.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlDialect.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace quillary {

QString returnvalue;

namespace {

QString AllTables() {
    return QString::fromUtf8(kAllTables);
}

QStringList Names(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}

const QStringList& SqlServerFunctions() {
    static const QStringList names =
        Names({"ceiling", "convert", "count", "dateadd", "datediff", "exp", "getdate", "isnull",
               "left", "len", "lower", "ltrim", "max", "min", "right", "substring", "sum"});
    return names;
}

const QStringList& SybaseFunctions() {
    static const QStringList names = [] {
        QStringList list = SqlServerFunctions();
        list.insert(list.indexOf(QStringLiteral("substring")), QStringLiteral("sign"));
        return list;
    }();
    return names;
}

// "greatetest" is how the list has always spelled it.
const QStringList& OracleFunctions() {
    static const QStringList names =
        Names({"ceil",     "cos",        "count",   "decode",  "exp",
               "floor",    "greatetest", "initcap", "instr",   "last_day",
               "least",    "length",     "ln",      "log",     "lower",
               "ltrim",    "max",        "min",     "mod",     "months_between",
               "new_time", "next_day",   "nvl",     "power",   "round",
               "rpad",     "rtrim",      "sign",    "sin",     "sinh",
               "soundex",  "sqrt",       "stddev",  "sum",     "sysdate",
               "tan",      "tanh",       "to_char", "to_date", "trunc",
               "upper",    "variance"});
    return names;
}

// SQLite names its functions in a pragma, which a library built without it
// ignores silently (no rows) and whose table form it refuses.
const char kSqliteFunctions[] = "pragma function_list";
const char kSqliteFunctionTable[] = "select name from pragma_function_list";
// PostgreSQL's built-in functions, without those nobody calls in a query:
// operator implementations, type input/output and aggregate internals.
const char kPostgresFunctions[] =
    "select distinct p.proname from pg_catalog.pg_proc p "
    "join pg_catalog.pg_namespace n on n.oid = p.pronamespace "
    "join pg_catalog.pg_type r on r.oid = p.prorettype "
    "where n.nspname = 'pg_catalog' "
    "and r.typname not in ('internal', 'cstring', 'trigger', 'event_trigger', "
    "'language_handler', 'fdw_handler', 'index_am_handler', 'table_am_handler', 'tsm_handler') "
    "and not exists (select 1 from pg_catalog.pg_type a "
    "where a.oid = any (p.proargtypes::oid[]) and a.typname in ('internal', 'cstring')) "
    "and not exists (select 1 from pg_catalog.pg_operator o where o.oprcode = p.oid) "
    "and not exists (select 1 from pg_catalog.pg_type t where p.oid in (t.typsend, t.typreceive)) "
    "and not exists (select 1 from pg_catalog.pg_aggregate g where p.oid in (g.aggtransfn, "
    "g.aggfinalfn, g.aggcombinefn, g.aggmtransfn, g.aggminvtransfn, g.aggmfinalfn))";

// MySQL and MariaDB keep their built-in functions in help tables that an
// ordinary login cannot read: the usual ones, and the database's own.
const char* const kMySqlFunctions[] = {
    "abs",         "avg",        "ceil",           "char_length", "coalesce",  "concat",
    "concat_ws",   "count",      "curdate",        "date_add",    "date_format", "date_sub",
    "datediff",    "day",        "dayofweek",      "floor",       "format",    "group_concat",
    "hour",        "if",         "ifnull",         "instr",       "left",      "length",
    "locate",      "lower",      "lpad",           "ltrim",       "max",       "min",
    "minute",      "mod",        "month",          "now",         "nullif",    "replace",
    "right",       "round",      "rpad",           "rtrim",       "second",    "sign",
    "sqrt",        "str_to_date", "substring",     "substring_index", "sum",   "sysdate",
    "timestampdiff", "trim",     "truncate",       "upper",       "year"};
const char kMySqlOwnFunctions[] =
    "select routine_name from information_schema.routines "
    "where routine_type = 'FUNCTION' and routine_schema = database()";

// The first column of every row of `statement`; empty when it fails.
QStringList FirstColumn(TADOConnection* connection, const char* statement) {
    TADOQuery query;
    query.SetConnection(connection);
    query.SQL() = QStringList{QString::fromLatin1(statement)};
    QStringList values;
    try {
        query.Open();
        if (query.FieldCount() == 0) return {};
        for (query.First(); !query.Eof(); query.Next())
            values << query.Fields(0).AsString();
    } catch (const EDatabaseError&) {
        return {};
    }
    return values;
}

} // namespace

// --- the dialog -------------------------------------------------------------------

TFrm_Paste::TFrm_Paste(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frm_Paste"));
    // A fixed dialog frame with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font = DesignerFont();
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(308, 212);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 225, 212);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setFixedHeight(41);
    Label1 = new QLabel(QStringLiteral("表"), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 12, 20, 18);
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(48, 9, 153, 22);
    ComboBox1->addItem(AllTables());
    column->addWidget(Panel2);

    ListBox1 = new QListWidget(Panel1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->viewport()->installEventFilter(this);
    column->addWidget(ListBox1, 1);

    Button1 = new QPushButton(QStringLiteral("粘贴"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(242, 24, 49, 29);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(242, 64, 49, 29);

    connect(Button1, &QPushButton::clicked, this, &TFrm_Paste::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFrm_Paste::Button2Click);
    connect(ComboBox1, &QComboBox::activated, this, &TFrm_Paste::ComboBox1Change);
}

TFrm_Paste::~TFrm_Paste() = default;

void TFrm_Paste::SetColumnMode(bool columns) {
    Panel2->setFixedHeight(columns ? 41 : 0);
    Panel2->setVisible(columns);
}

bool TFrm_Paste::ColumnMode() const {
    return !Panel2->isHidden();
}

QString TFrm_Paste::TablePrefix(const QString& entry) {
    if (!entry.endsWith(QLatin1Char(')'))) return entry;
    // Back from the second-to-last character to the second one.
    for (qsizetype i = entry.size() - 2; i >= 1; --i)
        if (entry.at(i) == QLatin1Char('(')) return entry.mid(i + 1, entry.size() - i - 2);
    return entry;
}

void TFrm_Paste::ComboBox1Change() {
    const QString table = ComboBox1->currentText();
    ListBox1->clear();
    if (table == AllTables()) {
        ListBox1->addItems(m_columnStore);
        return;
    }
    const QString prefix = TablePrefix(table) + QLatin1Char('.');
    for (const QString& entry : std::as_const(m_columnStore))
        if (entry.startsWith(prefix)) ListBox1->addItem(entry.mid(prefix.size()));
}

void TFrm_Paste::Button1Click() {
    const QListWidgetItem* item = ListBox1->count() ? ListBox1->currentItem() : nullptr;
    if (!item || !item->isSelected()) {
        Ui().MessageBox(QStringLiteral("请先选择!"), QStringLiteral("提示"));
        return;
    }
    const QString table = ComboBox1->currentText();
    if (ColumnMode() && ComboBox1->currentIndex() >= 0 && table != AllTables())
        returnvalue = TablePrefix(table) + QLatin1Char('.') + item->text();
    else
        returnvalue = item->text();
    accept();
}

void TFrm_Paste::Button2Click() {
    returnvalue.clear();
    reject();
}

bool TFrm_Paste::eventFilter(QObject* watched, QEvent* event) {
    // A double click anywhere on the list acts as "粘贴"; the press before it
    // has already selected the entry under the mouse.
    if (watched == ListBox1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Button1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// --- function and column lists --------------------------------------------------

QStringList FunctionNames(int kind) {
    switch (TSqlDialect(kind).FunctionSet()) {
    case TFunctionSet::SqlServer:
        return SqlServerFunctions();
    case TFunctionSet::Sybase:
        return SybaseFunctions();
    case TFunctionSet::Oracle:
        return OracleFunctions();
    case TFunctionSet::FromDatabase:
    case TFunctionSet::None:
        break;
    }
    return {};
}

QStringList DatabaseFunctionNames(TADOConnection* connection) {
    if (!connection || !connection->Connected()) return {};
    QList<const char*> statements;
    switch (connection->ProviderKind()) {
    case TProviderKind::SQLite:
        statements = {kSqliteFunctions, kSqliteFunctionTable};
        break;
    case TProviderKind::PostgreSQL:
        statements = {kPostgresFunctions};
        break;
    case TProviderKind::MySql: {
        QStringList names = FirstColumn(connection, kMySqlOwnFunctions);
        for (const char* name : kMySqlFunctions)
            names << QString::fromLatin1(name);
        names.sort();
        names.removeDuplicates();
        return names;
    }
    case TProviderKind::Odbc: // whichever database answers
        statements = {kSqliteFunctions, kSqliteFunctionTable, kPostgresFunctions};
        break;
    case TProviderKind::Unknown:
        return {};
    }
    for (const char* statement : statements) {
        QStringList names = FirstColumn(connection, statement);
        names.removeAll(QString());
        if (names.isEmpty()) continue;
        names.sort();
        names.erase(std::unique(names.begin(), names.end()), names.end());
        return names;
    }
    return {};
}

namespace {

// The dialog stays above the window it was called from.
QWidget* CallingWindow() {
    return QApplication::activeWindow();
}

} // namespace

QString PasteFunction(int kind, TADOConnection* connection) {
    TFrm_Paste form(CallingWindow());
    form.setWindowTitle(QStringLiteral("请选择一个函数"));
    form.SetColumnMode(false);
    form.ListBox1->addItems(TSqlDialect(kind).FunctionSet() == TFunctionSet::FromDatabase
                                ? DatabaseFunctionNames(connection)
                                : FunctionNames(kind));
    returnvalue.clear();
    Ui().ShowModal(&form);
    return returnvalue;
}

QString PasteColumn(QStringList& columns, const QStringList& tables) {
    TFrm_Paste form(CallingWindow());
    form.SetColumnMode(true);
    form.setWindowTitle(QStringLiteral("请选择一个字段"));
    if (!columns.isEmpty() && columns.first().trimmed().isEmpty()) columns.removeFirst();
    form.ListBox1->addItems(columns);
    form.ComboBox1->clear();
    form.ComboBox1->addItems(tables);
    form.ColumnStore() = columns;
    if (tables.size() != 1) {
        form.ComboBox1->addItem(AllTables());
        form.ComboBox1->setCurrentIndex(form.ComboBox1->count() - 1);
    } else {
        form.ComboBox1->setCurrentIndex(0);
        form.ComboBox1Change();
    }
    returnvalue.clear();
    Ui().ShowModal(&form);
    if (!columns.isEmpty() && !columns.first().trimmed().isEmpty()) columns.prepend(QString());
    return returnvalue;
}

int ReversePos(const QString& sub, const QString& s) {
    const qsizetype last = s.size() - sub.size(); // 1-based latest start
    if (last < 1) return 0;
    return int(s.lastIndexOf(sub, last - 1) + 1);
}

} // namespace quillary
