// The statement check: how two results are compared, how a rebuild's outcome
// is judged, and the whole check on the sample database without a window.
#include "DesignerTestSupport.h"

#include "db/DatabaseError.h"
#include "designer/SqlCheck.h"

#include <gtest/gtest.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// Ties on k (two rows with k = 2), NULLs, a real column.
const char kTable[] = "create table t (k integer, v text, x real);"
                      "insert into t values (1, 'a', 1.0), (2, 'b', null), (2, 'c', 2.5),"
                      "(3, 'c', null);"
                      // abs() overflows on the third row only.
                      "create table w (n integer);"
                      "insert into w values (1), (2), (-9223372036854775808);";

class SqlCheckTest : public ScriptedUiTest {
protected:
    void SetUp() override {
        ScriptedUiTest::SetUp();
        connection = std::make_unique<TADOConnection>(
            SqliteConnectionString(CreateSqliteDatabase(QString::fromLatin1(kTable))));
        connection->Open();
    }
    std::unique_ptr<TADOConnection> connection;
};

struct TCompareCase {
    const char* Original;
    const char* Regenerated;
    bool Same;
    TRowRule Rule;
};

} // namespace

TEST_F(SqlCheckTest, RowsAreComparedByTheRuleOfTheOriginalsTopLevel) {
    const TCompareCase cases[] = {
        // Values: numbers by value, NULL only with NULL, text is not a number.
        {"select 1", "select 1.0", true, TRowRule::Multiset},
        {"select 2.5", "select 5 / 2.0", true, TRowRule::Multiset},
        {"select null", "select ''", false, TRowRule::Multiset},
        {"select '1'", "select 1", false, TRowRule::Multiset},
        {"select x from t", "select coalesce(x, 0) from t", false, TRowRule::Multiset},
        // Without ORDER BY: multisets, in any order, duplicates counted.
        {"select v from t", "select v from t order by v desc", true, TRowRule::Multiset},
        {"select v from t", "select distinct v from t", false, TRowRule::Multiset},
        {"select k from t", "select k, v from t", false, TRowRule::Multiset},
        // ORDER BY on result columns: keys in sequence, tied rows in any order.
        {"select k, v from t order by k", "select k, v from t order by k, v desc", true,
         TRowRule::InOrder},
        {"select k, v from t order by k", "select k, v from t order by k desc", false,
         TRowRule::InOrder},
        {"select k as key, v from t order by key", "select k, v from t order by v desc", false,
         TRowRule::InOrder},
        // An alias comes before a column's own name, wherever it stands.
        {"select k, 4 - k as k from t order by k", "select k, 4 - k as k from t order by 2", true,
         TRowRule::InOrder},
        {"select k, v from t order by 1 desc", "select k, v from t order by k desc", true,
         TRowRule::InOrder},
        {"select t.k, v from t order by t.k desc nulls last", "select k, v from t order by k desc",
         true, TRowRule::InOrder},
        // A qualified key is no alias of another column, nor under a star
        // known among columns of one name.
        {"select v k from t order by t.k", "select v k from t order by t.k, v", true,
         TRowRule::KeysShown},
        {"select t.*, u.v from t, t u order by u.k",
         "select t.*, u.v from t, t u order by u.k, t.k desc", true, TRowRule::KeysShown},
        // Keys that are no result column are added to both results.
        {"select v from t order by k + 0", "select v from t order by v desc", false,
         TRowRule::KeysShown},
        {"select v from t order by k + 0", "select v from t order by k, x", true,
         TRowRule::KeysShown},
        // Under a row limit the rows tied on the last key may be any of them.
        {"select k, v from t order by k limit 2", "select k, v from t order by k, v desc limit 2",
         true, TRowRule::UpToLimit},
        {"select k, v from t order by k limit 2", "select k, v from t order by k desc limit 2",
         false, TRowRule::UpToLimit},
        {"select k, v from t order by k limit 3",
         "select k, case k when 1 then 'z' else v end from t order by k limit 3", false,
         TRowRule::UpToLimit},
        // The * of a product is no star: the items still stand for the columns.
        {"select k + 0, k * 2 from t order by k + 0 limit 2",
         "select k + 0, k * 2 from t order by k + 0 desc limit 2", false, TRowRule::UpToLimit},
        // A limit without known keys leaves any rows: the number of rows,
        // and the rows once the limits (LIMIT, OFFSET, FETCH) are cut.
        {"select v from t limit 2", "select v from t order by v desc limit 2", true,
         TRowRule::WithoutLimit},
        {"select v from t order by k + 0 limit 2", "select v from t limit 3", false,
         TRowRule::CountOnly},
        {"select v from t order by k * 2 limit 2", "select v from t order by k limit 2", true,
         TRowRule::KeysShown},
        {"select v from t order by -k limit 1", "select v from t order by k limit 1", false,
         TRowRule::KeysShown},
        // Under OFFSET the first group is cut too.
        {"select v from t order by k + 0 limit 2 offset 1",
         "select v from t order by k + 0, v desc limit 2 offset 1", true, TRowRule::KeysShown},
        // Tied rows under a limit come from the same rows without it.
        {"select v from t order by abs(k) - k limit 2",
         "select coalesce(x, v) from t order by abs(k) - k limit 2", false, TRowRule::KeysShown},
        // Keys a result cannot show (an alias of the list, after DISTINCT):
        // the rows without the limits.
        {"select k + 1 as n, v from t order by n * 2 limit 1",
         "select k + 1 as n, v from t order by n * 2 limit 1", true, TRowRule::WithoutLimit},
        {"select distinct v from t order by k limit 2",
         "select distinct v from t order by k limit 2", true, TRowRule::WithoutLimit},
        {"select v from t order by k + 0 limit 2 offset 1",
         "select v from t where k > 1 order by k + 0 limit 1, 2", false, TRowRule::KeysShown},
        {"select v from t order by (select 1) limit 2",
         "select coalesce(x, v) from t order by (select 1) limit 2", false, TRowRule::KeysShown},
        // Only the top level counts: words in strings, comments and
        // sub-selects are no ORDER BY or limit of the statement.
        {"select v from t /* limit 1 */", "select k from t", false, TRowRule::Multiset},
        {"select k as top from t", "select k + 10 from t", false, TRowRule::Multiset},
        {"select v, 'order by v limit 1' from t",
         "select v, 'order by v limit 1' from t order by v", true, TRowRule::Multiset},
        {"select k from (select k from t order by k limit 2)",
         "select k from t where k > 1 limit 2", false, TRowRule::Multiset},
        // A name spelled as a limit word is no limit (SQLite takes it).
        {"select count(*) as offset from t", "select count(*) + 1 as offset from t", false,
         TRowRule::Multiset},
        {"select offset.k from t offset", "select offset.k from t offset where k > 1", false,
         TRowRule::Multiset},
    };
    for (const TCompareCase& c : cases) {
        SCOPED_TRACE(c.Original);
        const TRowComparison result = CompareRows(connection.get(), c.Original, c.Regenerated);
        EXPECT_EQ(result.Same, c.Same) << result.Difference.toStdString();
        EXPECT_EQ(result.Rule, c.Rule);
        EXPECT_EQ(result.Difference.isEmpty(), c.Same);
    }
    // Keys out of step: the order alone, or other rows (under a limit).
    for (const auto& [regenerated, difference] :
         {std::pair{"select k, v from t order by k desc", "行的排序不同"},
          std::pair{"select k, v from t order by k desc limit 2", "而内容不同"}}) {
        const QString original = QString::fromUtf8(regenerated).replace(" desc", "");
        const TRowComparison result = CompareRows(connection.get(), original, regenerated);
        EXPECT_TRUE(result.Difference.contains(QString::fromUtf8(difference)))
            << result.Difference.toStdString();
    }
}

TEST_F(SqlCheckTest, AStatementThatCannotRunRaisesTheDatabasesMessage) {
    EXPECT_EQ(
        ErrorOf([&] { CompareRows(connection.get(), "select k from t", "select nope from t"); }),
        "no such column: nope");
}

TEST_F(SqlCheckTest, TheRebuildsOutcomeIsJudgedAndDifferentRowsOnlyWhenNothingWasSaid) {
    struct TCase {
        const char* Name;
        bool Ok;
        const char* Regenerated;
        const char* SqlMessage;
        QStringList NotCarried;
        QStringList Shown;
        TCheckOutcome Outcome;
        const char* Reason;
    };
    const char* original = "select k, v from t where k > 1";
    const TCase cases[] = {
        {"same rows",
         true,
         "select k, v from t where not k <= 1",
         "",
         {},
         {},
         TCheckOutcome::SameRows,
         ""},
        {"other rows, silently",
         true,
         "select k, v from t",
         "",
         {},
         {},
         TCheckOutcome::DifferentRows,
         "原语句3行，生成的语句4行"},
        {"other rows after a word",
         true,
         "select k, v from t",
         "",
         {},
         {"第一句\n第二行", "以后"},
         TCheckOutcome::NotCarried,
         "第一句"},
        {"parts named",
         true,
         "select k, v from t",
         "",
         {"k > 1", "where"},
         {},
         TCheckOutcome::NotCarried,
         "k > 1，where"},
        {"refused text",
         false,
         "",
         "",
         {},
         {"括号不匹配！"},
         TCheckOutcome::Refused,
         "括号不匹配！"},
        {"refused design",
         true,
         "",
         "别名不符合命名规范",
         {},
         {},
         TCheckOutcome::Refused,
         "别名不符合命名规范"},
        {"nothing written", true, "", "", {}, {}, TCheckOutcome::DifferentRows, "设计没有生成语句"},
        {"statement fails",
         true,
         "select k from nowhere",
         "",
         {},
         {},
         TCheckOutcome::DifferentRows,
         "生成的语句无法运行：no such table: nowhere"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TForgeResult forged;
        forged.Ok = c.Ok;
        forged.Rebuilt = c.Ok;
        forged.Sql.SQL = QString::fromUtf8(c.Regenerated);
        forged.Sql.Message = QString::fromUtf8(c.SqlMessage);
        forged.NotCarried = c.NotCarried;
        const TStatementCheck check = JudgeRebuild(connection.get(), original, forged, c.Shown);
        EXPECT_EQ(check.Outcome, c.Outcome);
        EXPECT_EQ(check.Reason, QString::fromUtf8(c.Reason));
    }
}

// Rows that change from run to run are no measure of the design.
// By the functions it calls, or by a second run of the original.
TEST_F(SqlCheckTest, AnOriginalWhoseRowsChangeFromRunToRunIsUnsettled) {
    const std::pair<const char*, const char*> cases[] = {
        {"select k, random() from t", "select k, 1 from t"},
        {"select k, julianday('now') from t", "select k, 1 from t"},
        {"select k, hex(randomblob(8)) from t", "select k, hex(randomblob(8)) from t"},
    };
    for (const auto& [original, regenerated] : cases) {
        TForgeResult forged;
        forged.Ok = forged.Rebuilt = true;
        forged.Sql.SQL = QString::fromUtf8(regenerated);
        const TStatementCheck check = JudgeRebuild(connection.get(), original, forged, {});
        EXPECT_EQ(check.Outcome, TCheckOutcome::Unsettled) << original;
        EXPECT_TRUE(check.Reason.startsWith("原语句每次运行返回的行可能不同")) << original;
    }
    EXPECT_EQ(OutcomeName(TCheckOutcome::Unsettled), "结果不定");
}

// A column neither grouped nor aggregated takes its value from any row of
// its group, also one a star stands for, and a window function that numbers
// rows from the order ties leave: where only such columns differ, the rows
// are no measure.
TEST_F(SqlCheckTest, AColumnTheDatabaseChoosesFreelyIsUnsettled) {
    const QStringList plain{"1", "t.k", "", ""}, value{"1", "t.v", "", ""};
    struct TCase {
        const char* Original;
        QList<QStringList> Display;
        const char* Regenerated;
        QStringList Groups;
        const char* Reason; // empty: the rows differ
        QList<QStringList> Having = {};
    } cases[] = {
        {"select k, v from t group by k",
         {plain, value},
         "select k, v from (select * from t order by v desc) t group by k",
         {"t.k"},
         "原语句第2列既不分组也不在聚合函数中，其值取自组内任意一行，由数据库决定"},
        // A grouped column that differs is a difference.
        {"select k, v from t group by k",
         {plain, value},
         "select k + 1, v from t group by k",
         {"t.k"},
         ""},
        // Without grouping there is no such column.
        {"select k, v from t group by k",
         {plain, value},
         "select k, v from (select * from t order by v desc) t group by k",
         {},
         ""},
        // The star's columns but the grouped one.
        {"select *, count(*) from t group by k",
         {{"1", "t.*", "", ""}, {"0", "count(*)", "", ""}},
         "select *, count(*) from (select * from t order by v desc) t group by k",
         {"t.k"},
         "原语句第2、3列既不分组也不在聚合函数中，其值取自组内任意一行，由数据库决定"},
        {"select k, v, row_number() over (order by k) from t",
         {plain, value, {"0", "row_number() over (order by k)", "", ""}},
         "select k, v, row_number() over (order by k, v desc) from t",
         {},
         "原语句第3列的窗口函数在排序相同的行之间取值不定，由数据库决定"},
        // A string that reads like an aggregate aggregates nothing.
        {"select k, v, 'count(x)' from t",
         {plain, value, {"0", "'count(x)'", "", ""}},
         "select k, v + 1, 'count(x)' from t",
         {},
         ""},
        // Values joined in the order rows come, without an order of their own.
        {"select k, group_concat(v) from t group by k",
         {plain, {"0", "group_concat(v)", "", ""}},
         "select k, group_concat(v) from (select * from t order by v desc) t group by k",
         {"t.k"},
         "原语句第2列的聚合函数按行的先后连接各值，没有指定顺序，由数据库决定"},
        {"select k, group_concat(v) from t group by k",
         {plain, {"0", "group_concat(v)", "", ""}},
         "select k + 1, group_concat(v) from t group by k",
         {"t.k"},
         ""},
        // A HAVING that reads a column from any row of its group.
        {"select k, sum(x) as s from t group by k having v > 'b'",
         {plain, {"0", "sum(x)", "s", ""}},
         "select k, sum(x) as s from (select * from t order by v desc) t group by k having v > 'b'",
         {"t.k"},
         "原语句HAVING中的列既不分组也不在聚合函数中，其值取自组内任意一行，由数据库决定哪些组留下",
         {{"v", ">", "'b'", ""}}},
        {"select k, sum(x) as s from t group by k having max(v) > 'b'",
         {plain, {"0", "sum(x)", "s", ""}},
         "select k, sum(x) as s from t group by k having max(v) > 'c'",
         {"t.k"},
         "",
         {{"max(v)", ">", "'b'", ""}}},
        // The other columns still count.
        {"select k, v, row_number() over (order by k) from t",
         {plain, value, {"0", "row_number() over (order by k)", "", ""}},
         "select k + 1, v, row_number() over (order by k, v desc) from t",
         {},
         ""},
    };
    for (const TCase& c : cases) {
        TForgeResult forged;
        forged.Ok = forged.Rebuilt = true;
        TDesignBox box;
        box.TableName = "t";
        box.Fields = {{"*"}, {"k"}, {"v"}, {"x"}};
        forged.Design.Boxes = {box};
        forged.Design.DisplayRows = c.Display;
        forged.Design.GroupColumn = c.Groups;
        forged.Design.HavingRows = c.Having;
        forged.Sql.SQL = QString::fromUtf8(c.Regenerated);
        const TStatementCheck check =
            JudgeRebuild(connection.get(), QString::fromUtf8(c.Original), forged, {});
        SCOPED_TRACE(c.Regenerated);
        EXPECT_EQ(check.Outcome,
                  *c.Reason ? TCheckOutcome::Unsettled : TCheckOutcome::DifferentRows)
            << check.Reason.toStdString();
        if (*c.Reason) {
            EXPECT_EQ(check.Reason, QString::fromUtf8(c.Reason));
        }
    }
}

// A row after the first that fails fails the original as well; one the row
// limit keeps out leaves the number of rows to compare.
TEST_F(SqlCheckTest, ARowThatFailsLaterIsTheOriginalsOwnFailure) {
    const std::pair<const char*, TCheckOutcome> cases[] = {
        {"select abs(n) from w", TCheckOutcome::Refused},
        {"select abs(n) from w limit 1", TCheckOutcome::SameRows},
    };
    for (const auto& [sql, outcome] : cases) {
        TForgeResult forged;
        forged.Ok = forged.Rebuilt = true;
        forged.Sql.SQL = QString::fromUtf8(sql);
        const TStatementCheck check = JudgeRebuild(connection.get(), sql, forged, {});
        EXPECT_EQ(check.Outcome, outcome) << sql;
        if (outcome == TCheckOutcome::Refused) {
            EXPECT_EQ(check.Reason, "integer overflow");
        }
    }
}

TEST_F(SqlCheckTest, AnOriginalThatCannotRunIsRefusedWithItsMessage) {
    TForgeResult forged;
    forged.Ok = forged.Rebuilt = true;
    forged.Sql.SQL = QStringLiteral("select k from t");
    const TStatementCheck check = JudgeRebuild(connection.get(), "select nope from t", forged, {});
    EXPECT_EQ(check.Outcome, TCheckOutcome::Refused);
    EXPECT_EQ(check.Reason, "no such column: nope");
}

TEST_F(SqlCheckTest, TheWholeCheckRunsOnTheSampleDatabaseWithoutAWindow) {
    // The scripted user fails the test on any message box or dialog.
    TADOConnection sample(SampleCsn());
    sample.Open();
    struct TCase {
        const char* Statement;
        TCheckOutcome Outcome;
        const char* Reason;
    };
    const TCase cases[] = {
        {"select ProductName, UnitPrice from products where UnitPrice > 20 order by UnitPrice desc",
         TCheckOutcome::SameRows, ""},
        {"select p.ProductName, c.CategoryName from products p inner join categories c on "
         "p.CategoryID = c.CategoryID",
         TCheckOutcome::SameRows, ""},
        {"select 产品名称, 销售金额 from 产品销售汇总 where 类别 = '饮料'", TCheckOutcome::SameRows,
         ""},
        {"select * from nosuchtable", TCheckOutcome::Refused, "no such table: nosuchtable"},
        {"select ProductName from products where (UnitPrice > 20", TCheckOutcome::Refused,
         "括号不匹配！"},
        // Statements of a script that are no query: nothing runs, and the line says why.
        {"create view v as select ProductName from products", TCheckOutcome::Refused,
         "这段SQL文本不是SELECT查询（以“CREATE”开头）。为了不改动数据，这里只运行一条只读的SELECT查"
         "询，"
         "什么也没有执行。"},
        {"update products set UnitPrice = 0", TCheckOutcome::Refused,
         "这段SQL文本不是SELECT查询（以“UPDATE”开头）。为了不改动数据，这里只运行一条只读的SELECT查"
         "询，"
         "什么也没有执行。"},
        // Positional parameters: the design is judged, the rows cannot be.
        {"select ProductName from products where UnitPrice > ? and CategoryID = ?",
         TCheckOutcome::Refused,
         "语句含有2个位置参数（?），没有参数的值无法运行；设计承载了语句的全部内容"},
        {"select p.ProductName from products p left join categories c on c.CategoryID = "
         "p.CategoryID and c.CategoryName = ? left join suppliers s on s.SupplierID = "
         "p.SupplierID and s.Country = ? where p.UnitPrice > ?",
         TCheckOutcome::NotCarried, "?（参数的先后次序）"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Statement);
        const TStatementCheck check = CheckStatement(&sample, QString::fromUtf8(c.Statement));
        EXPECT_EQ(check.Outcome, c.Outcome) << CheckLine(check).toStdString();
        EXPECT_EQ(check.Reason, QString::fromUtf8(c.Reason));
        if (c.Outcome == TCheckOutcome::SameRows) {
            EXPECT_TRUE(check.Compared);
            EXPECT_GT(check.Rows.OriginalRows, 0);
            EXPECT_FALSE(check.Regenerated.isEmpty());
        }
    }
}

TEST_F(SqlCheckTest, HeadlessHooksReadBoxesRunTestsAndAnswerYes) {
    TADOConnection sample(SampleCsn());
    sample.Open();
    QStringList shown;
    const TDesignHooks hooks = ConnectionHooks(&sample, &shown);
    EXPECT_TRUE(hooks.Tables.contains("products"));
    TDesignBox box;
    box.TableName = QStringLiteral("categories");
    ASSERT_TRUE(hooks.LoadBox(box));
    EXPECT_EQ(box.Kind, 'T');
    ASSERT_GE(box.Fields.size(), 3);
    EXPECT_EQ(box.Fields[0].Name, "*");
    EXPECT_EQ(box.Fields[1].Name, "CategoryID");
    EXPECT_EQ(box.Fields[1].FieldType, int(ftInteger));
    EXPECT_GE(box.Width, 150);
    EXPECT_GT(box.Height, 0);
    TDesignBox missing;
    missing.TableName = QStringLiteral("nosuchtable");
    EXPECT_FALSE(hooks.LoadBox(missing));
    // The test run leaves nothing open and tells the database's reason.
    EXPECT_TRUE(hooks.TestRun("select * from categories"));
    EXPECT_FALSE(hooks.TestRun("select * from nosuchtable"));
    EXPECT_EQ(shown, QStringList{"no such table: nosuchtable"});
    EXPECT_TRUE(hooks.Confirm("继续？"));
    EXPECT_EQ(shown.last(), "继续？");
}
