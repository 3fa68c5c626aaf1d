#include "db/Dialect.h"
#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/SampleDatabase.h"

#include <gtest/gtest.h>

using namespace quillary;

namespace {

QString Csn(const QString& file) {
    return SqliteConnectionString(file);
}

} // namespace

TEST(Dialect, TableListNamesEveryTableAsStatementsReachIt) {
    // Names that look quoted, hold dots, brackets, separators or a second
    // statement: each listed name reaches its own table and no other.
    const char* const names[] = {"orders", "Orders2", "产品销售汇总", "order items", "x;y",
                                 "select", "a\"b", "[y]", "\"y\"", "`y`", "a.b", "1st", "y"};
    QString script;
    for (const char* name : names) {
        QString quoted = QString::fromUtf8(name);
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        script += QStringLiteral("create table \"%1\"(tag text); insert into \"%1\" values('%2');")
                      .arg(quoted, QString::fromUtf8(name).replace(QLatin1Char('\''),
                                                                    QStringLiteral("''")));
    }
    const QString file = test::CreateSqliteDatabase(script);
    for (const QString& csn : {Csn(file), QStringLiteral("Driver={SQLite3};Database=") + file}) {
        TADOConnection c(csn);
        QStringList listed;
        c.GetTableNames(listed, false);
        ASSERT_EQ(listed.size(), int(std::size(names))) << csn.toStdString();
        for (const QString& table : listed) {
            TADOQuery q;
            q.SetConnection(&c);
            q.SQL() = QStringList{QStringLiteral("select tag from ") + table};
            ASSERT_NO_THROW(q.Open()) << table.toStdString();
            QStringList parts;
            ASSERT_TRUE(dialect::DialectOf(&c).ReadName(table, parts)) << table.toStdString();
            EXPECT_EQ(q.Fields(0).AsString(), parts.join(QLatin1Char('.'))) << table.toStdString();
        }
        EXPECT_TRUE(listed.contains(QStringLiteral("orders")) && listed.contains(
                        QString::fromUtf8("产品销售汇总"))) << "plain names stay bare";
    }
}

TEST(Dialect, ColumnsOfManyTablesAtOnceWithTypesForViewExpressions) {
    const QString file = test::CreateSqliteDatabase(QStringLiteral(
        "create table \"order items\"(id integer, qty smallint, price real);"
        "create table \"x;y\"(d date, name varchar(20));"
        "insert into \"order items\" values(1, 2, 3.5);"
        "create view totals as select id, sum(qty) n, sum(price*qty) amount, 'x' tag "
        "from \"order items\" group by id;"
        "create view empty_totals as select sum(qty) n from \"order items\" where 0;"));
    TADOConnection c(Csn(file));
    c.Open();
    const QStringList names = {QStringLiteral("\"order items\""), QStringLiteral("\"x;y\""),
                               QStringLiteral("totals"), QStringLiteral("empty_totals"),
                               QStringLiteral("missing")};
    const QList<dialect::TCatalogueTable> tables = dialect::ReadColumns(&c, names);
    ASSERT_EQ(tables.size(), names.size());
    auto types = [&](int i) {
        QStringList t;
        for (const dialect::TCatalogueColumn& column : tables[i].Columns)
            t << column.Name + QLatin1Char(':') + FieldTypeName(column.Type);
        return t.join(QLatin1Char(' '));
    };
    EXPECT_EQ(types(0), QStringLiteral("id:ftInteger qty:ftSmallint price:ftFloat"));
    EXPECT_EQ(types(1), QStringLiteral("d:ftDate name:ftString"));
    EXPECT_EQ(types(2), QStringLiteral("id:ftInteger n:ftLargeint amount:ftFloat tag:ftWideString"))
        << "expressions take the type of their values";
    EXPECT_EQ(tables[3].Columns.size(), 1) << "a view without rows still lists its columns";
    EXPECT_TRUE(tables[3].Error.isEmpty());
    EXPECT_FALSE(tables[4].Error.isEmpty()) << "a table that is not there says so";

    // The same through the statements of other providers: one per table.
    TADOConnection odbc(QStringLiteral("Driver={SQLite3};Database=") + file);
    odbc.Open();
    const QList<dialect::TCatalogueTable> viaOdbc = dialect::ReadColumns(&odbc, names);
    ASSERT_EQ(viaOdbc.size(), names.size());
    EXPECT_EQ(viaOdbc[1].Columns.size(), 2) << "the name with a semicolon is quoted";
    EXPECT_FALSE(viaOdbc[4].Error.isEmpty());
}

TEST(Dialect, CreateTableTextGivesTheColumnsTheDatabaseGives) {
    // Each statement is run for real; what the database reports about the
    // columns is the expected answer.
    const struct {
        const char* Table;
        const char* Sql;
    } cases[] = {
        {"a", "create table a(id integer primary key, name varchar(40) not null, "
              "price decimal(10, 2))"},
        {"b c", "create table \"b c\"(\"x y\" text, [z] real default 1.5, `w` date check (w > "
                "'2000'))"},
        {"d", "CREATE TABLE d (k INT, v, u unsigned big int, constraint pk primary key (k, v))"},
        {"e",
         "create table e(s character varying(20) collate nocase, t timestamp references a(id))"},
        {"f", "create table f(a1 int, \"q\"\"uote\" text, total as (a1 * 2), "
              "foreign key(a1) references a)"},
        {"g", "create table g(x double precision unique, y blob, z numeric(5,2) default (1 + 2))"},
        {"h", "create table h(v text default 'a,b(c'  , w bool)"},
        {"i", "create table i([a\"b, c] int, `d``e` text, 'f''g' real)"},
    };
    QString script;
    for (const auto& c : cases)
        script += QString::fromUtf8(c.Sql) + QLatin1Char(';');
    TADOConnection connection(Csn(test::CreateSqliteDatabase(script)));
    connection.Open();
    for (const auto& c : cases) {
        QList<dialect::TCatalogueColumn> parsed;
        ASSERT_TRUE(dialect::ColumnsOfCreateTable(QString::fromUtf8(c.Sql), parsed)) << c.Sql;
        TADOQuery q;
        q.SetConnection(&connection);
        q.SQL() = QStringList{
            QStringLiteral("select name, type from pragma_table_xinfo('%1') where hidden <> 1")
                .arg(QString::fromUtf8(c.Table))};
        q.Open();
        QStringList expected, got;
        for (; !q.Eof(); q.Next())
            expected << q.FieldByName(QStringLiteral("name")).AsString() + QLatin1Char(':') +
                            FieldTypeName(FieldTypeFromSqliteDeclaration(
                                q.FieldByName(QStringLiteral("type")).AsString()));
        for (const dialect::TCatalogueColumn& column : parsed)
            got << column.Name + QLatin1Char(':') + FieldTypeName(column.Type);
        EXPECT_EQ(got.join(QLatin1Char(' ')), expected.join(QLatin1Char(' '))) << c.Sql;
    }
    QList<dialect::TCatalogueColumn> none;
    EXPECT_FALSE(
        dialect::ColumnsOfCreateTable(QStringLiteral("create table x as select 1 a"), none));
    EXPECT_FALSE(
        dialect::ColumnsOfCreateTable(QStringLiteral("create table y(a int -- note\n)"), none));
}
