// Names and documents that an attacker writes, tried through the designer on
// a real database: every name is data, every document is data, and a table
// called victim survives all of it. The same tests run on SQLite and, in the
// PostgreSQL and MariaDB test programs, on the servers ctest starts.
#include "DesignerTestSupport.h"

#include "db/QueryModel.h"
#include "db/DatabaseError.h"
#include "designer/QBLink.h"
#include "grid/StringGridEx.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

struct TDatabase {
    const char* Name;
    // A fresh database holding `script`; the designer's connection string.
    QString (*Make)(const QString& script);
};

void PrintTo(const TDatabase& database, std::ostream* os) {
    *os << database.Name;
}

#if defined(QUILLARY_TEST_POSTGRES)
QString MakePostgres(const QString& script) {
    RunOnPostgres(QStringLiteral("drop schema if exists public cascade; create schema public;") +
                  script);
    return PostgresServer().ConnectionString();
}
#elif defined(QUILLARY_TEST_MARIADB)
QString MakeMariaDb(const QString& script) {
    RunOnServer(MariaDbServer(), QStringLiteral("drop database if exists quillary; "
                                                "create database quillary; use quillary;") +
                                     script);
    return MariaDbServer().ConnectionString();
}
#else
QString MakeSqlite(const QString& script) {
    return QStringLiteral("Provider=SQLite;Persist Security Info=True;Data Source=") +
           CreateSqliteDatabase(script);
}
#endif

const QString kVictim = QStringLiteral(
    "create table victim (id integer); insert into victim values (1); "
    "insert into victim values (2); insert into victim values (3);");

// `name` quoted as the database reads a created name: in double quotes, or
// in backquotes on MariaDB.
QString Quoted(QString name) {
#ifdef QUILLARY_TEST_MARIADB
    const QString quote = QStringLiteral("`");
#else
    const QString quote = QStringLiteral("\"");
#endif
    return quote + name.replace(quote, quote + quote) + quote;
}

QString Literal(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

const QStringList kHostileColumns = {
    QStringLiteral("order"),     QStringLiteral("a b"),       QStringLiteral("q\"uote"),
    QStringLiteral("[br]"),      QStringLiteral("a.b"),       QStringLiteral("semi;colon"),
    QStringLiteral("中文名"),    QStringLiteral("back`tick"), QStringLiteral("MixedCase"),
    QStringLiteral("select"),    QStringLiteral("user"),      QStringLiteral("it's"),
    QStringLiteral("from t; drop table victim; select id"),   QStringLiteral("id")};

const QStringList kHostileTables = {
    QStringLiteral("y"),   QStringLiteral("[y]"),    QStringLiteral("\"y\""),
    QStringLiteral("`y`"), QStringLiteral("a.b"),    QStringLiteral("a b"),
    QStringLiteral("select"), QStringLiteral("it\"s"), QStringLiteral("x'; drop table victim; --")};

} // namespace

class SafetyTest : public DesignerFormTest, public ::testing::WithParamInterface<TDatabase> {
protected:
    void OpenOn(const QString& script) {
        m_csn = GetParam().Make(kVictim + script);
        if (HasFatalFailure()) return;
        Open(m_csn);
    }
    // What the victim holds, read on a connection of its own.
    int VictimRows() const {
        TADOConnection c(m_csn);
        TADOQuery q;
        q.SetConnection(&c);
        q.SQL() = QStringList{QStringLiteral("select count(*) from victim")};
        try {
            q.Open();
        } catch (const EDatabaseError& e) {
            ADD_FAILURE() << "the victim is gone: " << e.Message().toStdString();
            return -1;
        }
        return q.Fields(0).Value().toInt();
    }
    // The entry of the table list that names `table`.
    QString Listed(const QString& table) const {
        return dialog.GetConn()->Dialect().Name(table);
    }
    // Enters the result page: the rows shown, or the error text.
    QString ResultPage() {
        form->PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
        form->PageControl1->setCurrentIndex(TFrm_Quillary::pgQuery);
        QApplication::processEvents();
        if (form->Memo2->isVisible()) return QStringLiteral("error: ") + form->Memo2->toPlainText();
        return form->Panel3Text->text();
    }
    QString m_csn;
};

TEST_P(SafetyTest, HostileColumnNamesArePlacedTickedSortedGeneratedAndRun) {
    QStringList columns, values;
    for (qsizetype i = 0; i < kHostileColumns.size(); ++i) {
        columns << Quoted(kHostileColumns[i]) + QStringLiteral(" integer");
        values << QString::number(i);
    }
    OpenOn(QStringLiteral("create table t (%1); insert into t values (%2);")
               .arg(columns.join(QLatin1Char(',')), values.join(QLatin1Char(','))));
    TQBTable* box = Place(QStringLiteral("t"));
    ASSERT_NE(box, nullptr);
    // The list shows the names exactly as the database has them.
    EXPECT_EQ(Texts(box->FieldList), QStringList{QStringLiteral("*")} + kHostileColumns);
    for (const QString& column : kHostileColumns)
        Tick(box, column);
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgOrder);
    while (form->OrderList->count() > 0) {
        form->OrderList->setCurrentRow(0);
        form->OrderListDblClick();
    }
    EXPECT_EQ(ResultPage(), QStringLiteral("共1条记录"));
    const QString sql = form->GetSQL();
    ASSERT_FALSE(sql.isEmpty());

    // The state text and the rebuild give the same statement back.
    dialog.SQLSet = form->GetSQLSet();
    form->Init();
    form->SetSQLSet();
    EXPECT_EQ(form->GetSQL(), sql);
    ASSERT_TRUE(form->Forge(sql));
    EXPECT_EQ(form->GetSQL(), sql);
    EXPECT_EQ(ResultPage(), QStringLiteral("共1条记录"));
    EXPECT_EQ(VictimRows(), 3);
}

TEST_P(SafetyTest, HostileTableNamesReachTheirOwnTableAndNoOther) {
    QString script;
    for (const QString& table : kHostileTables)
        script += QStringLiteral("create table %1 (tag text); insert into %1 values (%2);")
                      .arg(Quoted(table), Literal(table));
    OpenOn(script);
    for (const QString& table : kHostileTables) {
        form->Init();
        TQBTable* box = Place(Listed(table));
        ASSERT_NE(box, nullptr) << table.toStdString();
        Tick(box, QStringLiteral("tag"));
        EXPECT_EQ(ResultPage(), QStringLiteral("共1条记录")) << table.toStdString();
        EXPECT_EQ(form->DataSource1->data(form->DataSource1->index(0, 0)).toString(), table)
            << form->GetSQL().toStdString();
    }
    // Two of them joined, the outer join in the FROM clause.
    form->Init();
    TQBTable* left = Place(Listed(kHostileTables[1]));
    TQBTable* right = Place(Listed(kHostileTables.last()));
    ASSERT_TRUE(left && right);
    TQBLink* link = form->Canvas()->InsertLink(left, right, 1, 1);
    ASSERT_NE(link, nullptr);
    link->JoinType = 1;
    Tick(left, QStringLiteral("tag"));
    EXPECT_EQ(ResultPage(), QStringLiteral("共1条记录")) << form->GetSQL().toStdString();
    EXPECT_EQ(VictimRows(), 3);
}

TEST_P(SafetyTest, StateTextsCarryingSqlRunNothing) {
    OpenOn(QStringLiteral("create table t (tag text); insert into t values ('a');"));
    const QString drop = QStringLiteral("drop table victim");
    const struct {
        const char* Case;
        QStringList Lines;
        const char* Message; // the start of the message shown; nullptr: none
    } cases[] = {
        {"a table entry", {"[Table]", "T1=victim; " + drop + "; --,20,50,", "[Column]",
                           "C0=t.tag", "[SQL]", "SQL=x"}, nullptr},
        {"a sub-query", {"[Table]", "T1=q,20,50,select 1; " + drop, "[SQL]", "SQL=x"},
         "界面状态中的第1张表已跳过："},
        {"an alias", {"[Table]", "T1=t,20,50,", "[ByName]", "B1=x; " + drop + "; --", "[SQL]",
                      "SQL=x"}, "界面状态中的第1张表已跳过："},
        {"a condition", {"[Table]", "T1=t,20,50,", "[Column]", "C0=t.tag", "[Where]",
                         "W1=tag|||=|||'a'; " + drop + "; --|||", "[SQL]", "SQL=x"}, nullptr},
        {"a computed column", {"[Table]", "T1=t,20,50,", "[ComputeColumn]", "C1=1; " + drop,
                               "[SQL]", "SQL=x"}, nullptr},
        {"a union set", {"[Table]", "T1=t,20,50,", "[Column]", "C0=t.tag", "[SQL1]",
                         "SQL=select 1; " + drop, "[Union]", "Count=1", "[SQL]", "SQL=x"},
         nullptr},
        {"a group column", {"[Table]", "T1=t,20,50,", "[Column]", "C0=t.tag", "[Group]",
                            "G0=tag; " + drop, "[SQL]", "SQL=x"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        form->Init();
        dialog.SQLSet = c.Lines;
        if (c.Message) ui.AnswerMessage(mrOk);
        form->SetSQLSet();
        if (c.Message) {
            EXPECT_TRUE(ui.MessageTexts().last().startsWith(QString::fromUtf8(c.Message)));
        }
        const QString result = ResultPage();
        if (!form->GetSQL().isEmpty() && form->GetSQL().contains(drop)) {
            EXPECT_TRUE(result.contains(QStringLiteral("什么也没有执行"))) << result.toStdString();
        }
        EXPECT_EQ(VictimRows(), 3);
    }

    // The same in a template of the connection in use.
    const QStringList lines = {"[Table]", "T1=t,20,50,", "[Column]", "C0=t.tag", "[Where]",
                               "W1=tag|||=|||'a'; " + drop + "|||", "[SQL]", "SQL=x",
                               "[CONNECTION]", "CSN=" + m_csn};
    form->Init();
    ui.AnswerOpenFile(WriteTestFile(QStringLiteral("hostile.tmb"),
                                    lines.join(QLatin1Char('\n')).toUtf8()));
    form->TB_OPENClick();
    EXPECT_TRUE(form->GetSQL().contains(drop)) << "the template was read";
    EXPECT_TRUE(ResultPage().contains(QStringLiteral("什么也没有执行")));
    EXPECT_EQ(VictimRows(), 3);
}

TEST_P(SafetyTest, SeveralStatementsReachNothingFromTheSqlPageAFileOrTheResultPage) {
    OpenOn(QStringLiteral("create table t (tag text); insert into t values ('a');"));
    ASSERT_TRUE(form->Forge(QStringLiteral("select tag from t")));
    const QString kept = form->GetSQL();
    const QString text = QStringLiteral("select tag from t; drop table victim");

    // The SQL page.
    form->PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
    form->Memo1->setPlainText(text);
    ui.AnswerMessage(mrOk);
    form->Sp_ApplySQLClick();
    EXPECT_TRUE(ui.MessageTexts().last().contains(QStringLiteral("2条语句")));
    EXPECT_EQ(form->GetSQL(), kept) << "the design stays";

    // A dropped file.
    const QString file = WriteTestFile(QStringLiteral("two.sql"), text.toUtf8());
    ui.ExpectMessage(QStringLiteral("SQL语句已经被改写,是否还是要打开新的文件？"), QString(), mrYes);
    ui.AnswerMessage(mrOk);
    form->DropFiles({file});
    EXPECT_TRUE(ui.MessageTexts().last().contains(QStringLiteral("2条语句")));
    EXPECT_EQ(form->GetSQL(), kept);

    // The result page, with the second statement in a condition row.
    form->ConditionList->SetCells(0, 1, QStringLiteral("tag"));
    form->ConditionList->SetCells(1, 1, QStringLiteral("="));
    form->ConditionList->SetCells(2, 1, QStringLiteral("'a'; drop table victim"));
    EXPECT_TRUE(ResultPage().contains(QStringLiteral("2条语句")));
    EXPECT_EQ(VictimRows(), 3);
}

TEST_P(SafetyTest, AQueryIntoATableIsRefusedBeforeItRuns) {
    OpenOn(QString());
    ui.AnswerMessage(mrOk);
    EXPECT_FALSE(form->Forge(QStringLiteral("select * into copied from victim")));
    EXPECT_TRUE(ui.MessageTexts().last().contains(QStringLiteral("“INTO”")));
    TADOQuery q;
    q.SetConnection(dialog.GetConn());
    q.SQL() = QStringList{QStringLiteral("select count(*) from copied")};
    EXPECT_THROW(q.Open(), EDatabaseError) << "no table was made";
}

#if defined(QUILLARY_TEST_MARIADB)
INSTANTIATE_TEST_SUITE_P(MariaDb, SafetyTest,
                         ::testing::Values(TDatabase{"MariaDB", MakeMariaDb}),
                         [](const auto&) { return std::string("MariaDB"); });
#elif defined(QUILLARY_TEST_POSTGRES)
INSTANTIATE_TEST_SUITE_P(Postgres, SafetyTest,
                         ::testing::Values(TDatabase{"PostgreSQL", MakePostgres}),
                         [](const auto&) { return std::string("PostgreSQL"); });

// A query with a side effect runs read-only: the sequence does not move.
TEST(SafetyPostgres, TheTestRunAndTheResultPageCannotWrite) {
    RunOnPostgres(QStringLiteral("drop schema if exists public cascade; create schema public;"
                                 "create sequence s; create table t (a integer);"
                                 "insert into t values (1);"));
    TScriptedUserInteraction ui;
    ui.Install();
    TQuillaryDialog dialog;
    dialog.SetOwnConnection(std::make_unique<TADOConnection>(PostgresServer().ConnectionString()));
    dialog.OwnConnection()->Open();
    TFrm_Quillary form(&dialog);
    form.ResQuery->SetConnection(dialog.GetConn());
    form.GetTablesList(false);
    ui.AnswerMessage(mrOk);
    EXPECT_FALSE(form.Forge(QStringLiteral("select nextval('s') from t")));
    EXPECT_TRUE(ui.MessageTexts().last().contains(QStringLiteral("read-only")))
        << ui.MessageTexts().last().toStdString();
    // Writing afterwards works: the read-only run ended with the query.
    TADOQuery write;
    write.SetConnection(dialog.GetConn());
    write.SQL() = QStringList{QStringLiteral("insert into t values (2)")};
    EXPECT_EQ(write.ExecSQL(), 1);
    TADOQuery q;
    q.SetConnection(dialog.GetConn());
    q.SQL() = QStringList{QStringLiteral("select last_value, is_called from s")};
    q.Open();
    EXPECT_EQ(q.Fields(1).AsString(), QStringLiteral("False")) << "nextval never ran";
}
#else
INSTANTIATE_TEST_SUITE_P(Sqlite, SafetyTest, ::testing::Values(TDatabase{"SQLite", MakeSqlite}),
                         [](const auto&) { return std::string("SQLite"); });

// The execute page asks before statements that sweep data away, each before
// anything runs; No runs nothing at all.
class ExecutePageSafety : public DesignerFormTest {
protected:
    int Run(const QString& script, bool confirm, QList<int> answers) {
        const QString file = CreateSqliteDatabase(kVictim);
        Open(QStringLiteral("Provider=SQLite;Persist Security Info=True;Data Source=") + file);
        dialog.IsConfirmChanges = confirm;
        form->PageControl1->setCurrentIndex(TFrm_Quillary::pgExecute);
        form->MExcuteSQL->setPlainText(script);
        const qsizetype shown = ui.MessageTexts().size();
        for (const int answer : answers)
            ui.AnswerMessage(answer);
        form->Sp_Select->click();
        m_asked = ui.MessageTexts().mid(shown);
        TADOQuery q;
        q.SetConnection(dialog.GetConn());
        q.SQL() = QStringList{QStringLiteral("select count(*) from victim")};
        try {
            q.Open();
        } catch (const EDatabaseError&) {
            return -1; // gone
        }
        return q.Fields(0).Value().toInt();
    }
    QStringList m_asked;
};

TEST_F(ExecutePageSafety, AsksBeforeSweepingStatementsAndRunsNothingOnNo) {
    const struct {
        const char* Script;
        bool Confirm;
        QList<int> Answers;
        int Rows;      // the victim's rows after the run; -1: dropped
        int Questions; // how many were asked
    } cases[] = {
        {"delete from victim where id = 1", true, {}, 2, 0},
        {"delete from victim", true, {mrNo}, 3, 1},
        {"delete from victim", true, {mrYes}, 0, 1},
        {"delete from victim where id = 1; drop table victim", true, {mrNo}, 3, 1},
        {"update victim set id = 0; delete from victim", true, {mrYes, mrNo}, 3, 2},
        {"drop table victim", true, {mrYes}, -1, 1},
        {"alter table victim add column c integer", true, {mrNo}, 3, 1},
        {"delete from victim", false, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Script);
        EXPECT_EQ(Run(QString::fromUtf8(c.Script), c.Confirm, c.Answers), c.Rows);
        EXPECT_EQ(m_asked.size(), c.Questions) << m_asked.join(QLatin1Char('|')).toStdString();
        for (const QString& q : m_asked)
            EXPECT_TRUE(q.startsWith(QStringLiteral("确定执行"))) << q.toStdString();
    }
}
#endif
