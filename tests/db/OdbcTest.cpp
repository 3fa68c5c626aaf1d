#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/OdbcDataSources.h"

#include <gtest/gtest.h>

using namespace quillary;
namespace t = quillary::test;

namespace {
QString L(const char* s) {
    return QString::fromUtf8(s);
}
} // namespace

TEST(OdbcLookup, DriverOfADsnComesFromTheSystemStoreThenTheUserStore) {
    const std::pair<const char*, const char*> cases[] = {
        {t::kSystemDsn, t::kSqliteOdbcDriver},
        {t::kAccessDsn, t::kAccessDriver},
        {t::kUserDsn, t::kSqliteOdbcDriver}, // only in the user store
        {t::kAnywhereDsn, t::kAnywhereDriver},
        {t::kBothDsn, t::kSqliteOdbcDriver},        // the system store wins
        {t::kSectionOnlyDsn, t::kSqliteOdbcDriver}, // the section's driver as a last resort
        {"NoSuchDsn", ""},
        {"", ""},
        {"  ", ""},
    };
    for (const auto& [dsn, driver] : cases)
        EXPECT_EQ(OdbcDriverOfDsn(L(dsn)), L(driver)) << dsn;
}

TEST(OdbcLookup, ListsEveryDataSourceOfBothStores) {
    const QStringList names = OdbcDataSourceNames();
    for (const char* dsn : {t::kSystemDsn, t::kUserDsn, t::kAccessDsn, t::kAnywhereDsn, t::kBothDsn,
                            t::kSectionOnlyDsn})
        EXPECT_TRUE(names.contains(L(dsn))) << dsn;
    EXPECT_FALSE(names.contains(QStringLiteral("ODBC Data Sources")));
    EXPECT_EQ(names.count(L(t::kBothDsn)), 1);
}

TEST(OdbcConnection, SystemDsnByNameWithOrWithoutProvider) {
    for (const QString& cs :
         {QStringLiteral(
              "Provider=MSDASQL.1;Persist Security Info=False;Data Source=QuillarySystem"),
          QStringLiteral("DSN=QuillarySystem"), QStringLiteral("Data Source=QuillarySystem")}) {
        TADOConnection c(cs);
        EXPECT_EQ(c.ProviderKind(), TProviderKind::Odbc) << cs.toStdString();
        EXPECT_EQ(c.PropertyValue(QStringLiteral("Data Source")), QStringLiteral("QuillarySystem"));
        c.Open();
        QStringList names;
        c.GetTableNames(names, false);
        EXPECT_TRUE(names.contains(QStringLiteral("orders"))) << names.join(',').toStdString();
        EXPECT_TRUE(names.contains(QStringLiteral("v_order_totals")));
    }
}

TEST(OdbcConnection, UserDsnAndDriverStrings) {
    TADOConnection user(QStringLiteral("Provider=MSDASQL;DSN=QuillaryUser"));
    user.Open();
    EXPECT_TRUE(user.Connected());

    TADOConnection driver(
        QStringLiteral("Driver={SQLite3};Database=%1").arg(t::SharedSampleDatabase()));
    driver.Open();
    TADOQuery q;
    q.SetConnection(&driver);
    q.SQL() = QStringList{QStringLiteral("select count(*) as n from customers")};
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("n")).AsString(), QStringLiteral("120"));
}

TEST(OdbcConnection, ColumnTypesComeFromTheDriver) {
    TADOConnection c(QStringLiteral("DSN=QuillarySystem"));
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{
        QStringLiteral("select EmployeeID, LastName, BirthDate, Notes from employees where 1=0")};
    q.Open();
    ASSERT_EQ(q.FieldDefs().Count(), 4);
    EXPECT_EQ(q.FieldDefs()[0].DataType, ftInteger);
    EXPECT_EQ(q.FieldDefs()[1].DataType, ftString);
    EXPECT_EQ(q.FieldDefs()[2].DataType, ftDate);
    EXPECT_EQ(q.FieldDefs()[3].DataType, ftMemo) << "the driver reports TEXT as a long text";
    EXPECT_TRUE(q.IsEmpty());
}

TEST(OdbcConnection, MissingDsnRaisesTheDriverManagersText) {
    // A DSN known only to the lookup (no driver installed) fails as well.
    const std::pair<const char*, const char*> cases[] = {
        {"Provider=MSDASQL.1;Data Source=NoSuchDsn", "Data source name not found"},
        {"Provider=MSDASQL.1;User ID=sa", "DSN="},
        {"DSN=AccessLike", ""},
    };
    for (const auto& [cs, text] : cases) {
        TADOConnection c(L(cs));
        const QString error = t::ErrorOf([&] { c.Open(); });
        EXPECT_NE(error, QStringLiteral("<no error>")) << cs;
        EXPECT_TRUE(error.contains(L(text))) << error.toStdString();
        EXPECT_FALSE(c.Connected());
    }
}
