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

TEST(OdbcLookup, DriverOfASystemDsnComesFromTheSystemStore) {
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kSystemDsn)), L(t::kSqliteOdbcDriver));
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kAccessDsn)), L(t::kAccessDriver));
}

TEST(OdbcLookup, UserOnlyDsnIsFoundInTheUserStore) {
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kUserDsn)), L(t::kSqliteOdbcDriver));
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kAnywhereDsn)), L(t::kAnywhereDriver));
}

TEST(OdbcLookup, SystemStoreWinsOverTheUserStore) {
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kBothDsn)), L(t::kSqliteOdbcDriver));
}

TEST(OdbcLookup, MissingDsnGivesNothingAndSectionDriverIsTheLastResort) {
    EXPECT_EQ(OdbcDriverOfDsn(QStringLiteral("NoSuchDsn")), QString());
    EXPECT_EQ(OdbcDriverOfDsn(QString()), QString());
    EXPECT_EQ(OdbcDriverOfDsn(QStringLiteral("  ")), QString());
    EXPECT_EQ(OdbcDriverOfDsn(L(t::kSectionOnlyDsn)), L(t::kSqliteOdbcDriver));
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
    TADOConnection c(QStringLiteral("Provider=MSDASQL.1;Data Source=NoSuchDsn"));
    try {
        c.Open();
        FAIL() << "connected to a DSN that does not exist";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Data source name not found"))) << e.what();
    }
    EXPECT_FALSE(c.Connected());

    TADOConnection nothing(QStringLiteral("Provider=MSDASQL.1;User ID=sa"));
    try {
        nothing.Open();
        FAIL() << "connected without a data source";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("DSN="))) << e.what();
    }
}

TEST(OdbcConnection, LookupOnlyDsnFailsToConnectWithAMessage) {
    TADOConnection c(QStringLiteral("DSN=AccessLike"));
    EXPECT_THROW(c.Open(), EDatabaseError);
    EXPECT_FALSE(c.Connected());
}
