// The statements the generator writes for data sources of the other kind
// (SQLite, PostgreSQL, MariaDB) are run on a real database, and their rows
// are compared with those of a statement written by hand.
#include "DesignBuilder.h"

#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/SampleDatabase.h"
#include "query/Generation.h"
#include "sqltext/DataSourceKind.h"

#include <gtest/gtest.h>
#include <memory>

using namespace quillary;
using namespace quillary::test;

namespace {

// Portable to every database: departments, employees and projects, with a
// department without employees, an employee without department and a project
// of no department, so that every kind of join gives other rows.
const char* const kSchema[] = {
    "drop table if exists st_proj",
    "drop table if exists st_emp",
    "drop table if exists st_dept",
    "create table st_dept(id integer primary key, name varchar(20))",
    "create table st_emp(id integer primary key, name varchar(20), dept_id integer, salary "
    "integer)",
    "create table st_proj(id integer primary key, title varchar(20), dept_id integer)",
    "insert into st_dept values (1, '销售'), (2, '研发'), (3, '空部门')",
    "insert into st_emp values (1, '张', 1, 100), (2, '李', 1, 200), (3, '王', 2, 300), (4, '赵', "
    "null, 400)",
    "insert into st_proj values (1, '甲', 1), (2, '乙', 2), (3, '丙', 99)",
};

class StatementsRun : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const QString which = QString::fromLatin1(GetParam());
        QString csn;
        if (which == QLatin1String("sqlite")) {
            csn = SqliteConnectionString(CreateSqliteDatabase(QString()));
        } else {
            const TDatabaseServer& server =
                which == QLatin1String("mariadb") ? MariaDbServer() : PostgresServer();
            if (!server.Available) GTEST_SKIP() << server.Problem.toStdString();
            csn = server.ConnectionString();
        }
        connection = std::make_unique<TADOConnection>(csn);
        connection->Open();
        for (const char* sql : kSchema)
            Exec(QString::fromUtf8(sql));
        for (const dialect::TCatalogueTable& table :
             dialect::ReadColumns(connection.get(), {"st_dept", "st_emp", "st_proj"})) {
            QStringList columns;
            for (const dialect::TCatalogueColumn& c : table.Columns)
                columns << c.Name + QLatin1Char(':') + QString::number(int(c.Type));
            catalogue.Table(table.Name, columns);
        }
    }

    void Exec(const QString& sql) {
        TADOQuery q;
        q.SetConnection(connection.get());
        q.SQL() = QStringList{sql};
        q.ExecSQL();
    }

    // The rows of `sql`, each as its values joined by "|", sorted unless the
    // statement orders them itself.
    QStringList Rows(const QString& sql, bool ordered = false) {
        TADOQuery q;
        q.SetConnection(connection.get());
        q.SQL() = QStringList{sql};
        try {
            q.Open();
        } catch (const EDatabaseError& e) {
            ADD_FAILURE() << "the database refused\n"
                          << sql.toStdString() << "\n"
                          << e.Message().toStdString();
            return {};
        }
        QStringList rows;
        for (; !q.Eof(); q.Next()) {
            QStringList values;
            for (int i = 0; i < q.FieldCount(); ++i) {
                const QVariant v = q.Fields(i).Value();
                values << (v.isNull() ? "<null>" : v.toString());
            }
            rows << values.join(QLatin1Char('|'));
        }
        if (!ordered) rows.sort();
        return rows;
    }

    // The generated statement of `design` gives the rows of `reference`.
    void ExpectSameRows(QueryDesign& design, const char* reference, bool ordered = false) {
        const TSqlResult result = GetSQL(design, dsOther);
        ASSERT_FALSE(result.SQL.isEmpty()) << result.Message.toStdString();
        EXPECT_EQ(Rows(result.SQL, ordered), Rows(QString::fromUtf8(reference), ordered))
            << result.SQL.toStdString();
    }

    TCatalogue catalogue;
    std::unique_ptr<TADOConnection> connection;
};

} // namespace

TEST_P(StatementsRun, JoinsOfEveryType) {
    const struct {
        int JoinType;
        const char* Reference;
    } cases[] = {
        {0, "select d.name, e.name from st_dept d join st_emp e on d.id = e.dept_id"},
        {1, "select d.name, e.name from st_dept d left join st_emp e on d.id = e.dept_id"},
        {2, "select d.name, e.name from st_dept d right join st_emp e on d.id = e.dept_id"},
        {3, "select d.name, e.name from st_dept d full join st_emp e on d.id = e.dept_id"},
        {5, "select d.name, e.name from st_dept d left outer join st_emp e on d.id = e.dept_id"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.JoinType);
        // MariaDB has no full join (and the link dialog offers none there).
        if (c.JoinType == 3 && connection->Dialect().Keywords() == TKeywordSet::MySql) continue;
        TDesignBuilder b(catalogue);
        b.Box("st_dept").Box("st_emp").Tick("st_emp.name").Tick("st_dept.name");
        b.Link("st_dept.id", "st_emp.dept_id", c.JoinType);
        ExpectSameRows(b, c.Reference);
    }
}

TEST_P(StatementsRun, NestedJoinsOfThreeTablesWithConditions) {
    // An outer and an inner link: the join text nests one join in the other.
    TDesignBuilder b(catalogue);
    b.Box("st_emp", "e").Box("st_dept", "d").Box("st_proj", "p");
    b.Tick("e.name").Tick("p.title");
    b.Link("d.id", "e.dept_id", 1).Link("d.id", "p.dept_id", 0);
    b.Where({"e.salary", ">=", "200", "or"}).Where({"e.name", "is", "null", ""});
    ExpectSameRows(b, "select e.name, p.title from st_dept d left join st_emp e on d.id = "
                      "e.dept_id join st_proj p on d.id = p.dept_id "
                      "where e.salary >= 200 or e.name is null");
}

TEST_P(StatementsRun, GroupsWithHavingAndComputedColumnsWithAliases) {
    TDesignBuilder b(catalogue);
    b.Box("st_dept", "d").Box("st_emp", "e").Tick("d.name");
    b.Link("d.id", "e.dept_id");
    b.Compute("count(*)", "headcount").Compute("sum(e.salary)", "total");
    b.Group("d.name").Having({"count(*)", ">", "1", ""});
    ExpectSameRows(b, "select d.name, count(*), sum(e.salary) from st_dept d join st_emp e on "
                      "d.id = e.dept_id group by d.name having count(*) > 1");
    // Without links the boxes are a comma list: a cross join with a condition.
    TDesignBuilder single(catalogue);
    single.Box("st_emp").Tick("st_emp.name").Compute("salary * 2", "twice");
    single.Where({"salary", "<", "300", ""}).Order("st_emp.name", true);
    ExpectSameRows(
        single, "select name, salary * 2 from st_emp where salary < 300 order by name desc", true);
}

TEST_P(StatementsRun, OrderByPositionAfterAUnion) {
    TDesignBuilder b(catalogue);
    b.Box("st_dept").Tick("st_dept.name").Order("st_dept.name", true);
    b.Union("select title from st_proj", {QString(), "union0", QString(), "union"});
    QueryDesign& design = b;
    const QString sql = GetSQL(design, dsOther).SQL;
    EXPECT_TRUE(sql.endsWith("order by 1 desc")) << sql.toStdString();
    ExpectSameRows(b, "select name from st_dept union select title from st_proj order by 1 desc",
                   true);
}

INSTANTIATE_TEST_SUITE_P(Databases, StatementsRun,
#if defined(QUILLARY_STATEMENTS_ON_POSTGRES)
                         ::testing::Values("postgres")
#elif defined(QUILLARY_STATEMENTS_ON_MARIADB)
                         ::testing::Values("mariadb")
#else
                         ::testing::Values("sqlite")
#endif
);
