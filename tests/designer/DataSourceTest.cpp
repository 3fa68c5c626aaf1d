#include "TestSupport.h"
#include "db/ADOConnection.h"
#include "db/Dialect.h"
#include "query/FieldClass.h"

#include <gtest/gtest.h>

using namespace quillary;
namespace t = quillary::test;

TEST(DataSourceKind, ProvidersAreRecognisedWithoutLookingAtOdbc) {
    TADOConnection none;
    EXPECT_EQ(GetDataSourceType(nullptr), dsNone);
    const std::pair<const char*, int> cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\a.mdb", dsAccess},
        {"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=c:\\a.mdb", dsAccess},
        {"Provider=SQLOLEDB.1;Data Source=QuillarySystem", dsSqlServer}, // the DSN is not consulted
        {"Provider=SQLOLEDB;Data Source=srv", dsSqlServer},
        {"Provider=MSDAORA.1;Data Source=orcl", dsOracle},
        {"Provider=OraOLEDB.Oracle.1;Data Source=orcl", dsOracle},
        {"Provider=sqloledb.1;Data Source=srv", dsOther}, // names compare exactly
        {"Provider=SQLite;Data Source=/tmp/x.db", dsOther},
    };
    for (const auto& [cs, kind] : cases) {
        TADOConnection c(QString::fromUtf8(cs));
        EXPECT_EQ(GetDataSourceType(&c), kind) << cs;
    }
}

TEST(DataSourceKind, OdbcDataSourcesByTheirDriver) {
    const std::pair<QString, int> cases[] = {
        {"Provider=MSDASQL.1;Data Source=AccessLike", dsAccess},
        {"DSN=AnywhereUser", dsSybase}, // user store only, driver name with a version
        {"Data Source=ExcelLike", dsExcel},
        {"Data Source=OracleLike", dsOracle},
        {"Data Source=SqlServerLike", dsSqlServer},
        {"Data Source=QuillarySystem", dsOther},
        {"Data Source=NoSuchDsn", dsOther},
        {"Provider=MSDASQL.1;Data Source=\"broken", dsOther},
    };
    for (const auto& [cs, kind] : cases) {
        TADOConnection c(cs);
        EXPECT_EQ(GetDataSourceType(&c), kind) << cs.toStdString();
    }
}

TEST(DataSourceKind, EveryDriverNameAndTheComparisonRules) {
    const std::pair<const char*, int> cases[] = {
        {"Microsoft Access Driver (*.mdb)", dsAccess},
        {"Microsoft dBase Driver (*.dbf)", dsDBase},
        {"Microsoft Visual FoxPro Driver", dsDBase},
        {"Microsoft FoxPro Driver (*.dbf)", dsDBase},
        {"Microsoft Paradox Driver (*.db )", dsParadox},
        {"Microsoft ODBC for Oracle", dsOracle},
        {"Oracle ODBC Driver", dsOracle},
        {"SQL Server", dsSqlServer},
        {"Sybase System 11", dsSybase},
        {"Sybase SQL Anywhere", dsSybase},
        {"Sybase SQL Anywhere 5.0", dsSybase},
        {"Microsoft Excel Driver (*.xls)", dsExcel},
        {"sql server", dsOther},
        {"SQL Server Native Client", dsOther},
        {"Sybase System 11 ", dsOther},
        {"", dsOther},
    };
    for (const auto& [driver, kind] : cases)
        EXPECT_EQ(DataSourceTypeOfDriver(QString::fromUtf8(driver)), kind) << driver;
}

TEST(FieldTypeClass, NamesAndCodes) {
    const std::tuple<TFieldType, const char*, const char*> cases[] = {
        {ftString, "字符型", "1"},  {ftFixedChar, "字符型", "1"}, {ftWideString, "字符型", "1"},
        {ftSmallint, "整型", "3"},  {ftInteger, "整型", "3"},     {ftWord, "整型", "3"},
        {ftLargeint, "整型", "3"},  {ftFloat, "浮点型", "6"},     {ftCurrency, "浮点型", "6"},
        {ftDate, "日期型", "11"},   {ftTime, "日期型", "11"},     {ftDateTime, "日期型", "11"},
        {ftBoolean, "布尔型", "5"},
    };
    for (const auto& [type, name, code] : cases) {
        QString result;
        GetDataType(type, 1, result);
        EXPECT_EQ(result, QString::fromUtf8(name)) << FieldTypeName(type).toStdString();
        GetDataType(type, 2, result);
        EXPECT_EQ(result, QString::fromUtf8(code));
    }
}

TEST(FieldTypeClass, OtherTypesLeaveTheResultAndBadModesEmptyIt) {
    for (TFieldType type : {ftBCD, ftMemo, ftAutoInc, ftBlob, ftUnknown, ftGuid}) {
        QString result;
        GetDataType(type, 1, result);
        EXPECT_EQ(result, QString());
        GetDataType(type, 2, result);
        EXPECT_EQ(result, QString());
        result = "kept";
        GetDataType(type, 2, result);
        EXPECT_EQ(result, "kept") << "the text is left as the caller passed it";
    }
    QString result = "x";
    GetDataType(ftString, 3, result);
    EXPECT_EQ(result, QString());
    result = "x";
    GetDataType(ftString, 0, result);
    EXPECT_EQ(result, QString());
}

TEST(AliasRule, AcceptsAndRefuses) {
    EXPECT_TRUE(IsValidByName("T1", dsOther));
    EXPECT_TRUE(IsValidByName("emp", dsOracle));
    EXPECT_TRUE(IsValidByName("as", dsOther)) << "the thirteenth word is allowed";
    EXPECT_TRUE(IsValidByName("\"my table\"", dsOracle));
    EXPECT_TRUE(IsValidByName("[order details]", dsSqlServer));
    EXPECT_TRUE(IsValidByName("[order details]", dsAccess));
    EXPECT_TRUE(IsValidByName("[x y]", dsNone));
    EXPECT_FALSE(IsValidByName("[order details]", dsSybase)) << "brackets only below kind 2";
    EXPECT_FALSE(IsValidByName("[order details]", dsOther));
    for (const char* bad :
         {"1T", "t-1", "Where", "SELECT", "desc", "in", "t 1", "_t", "客户", "t_1"})
        EXPECT_FALSE(IsValidByName(QString::fromUtf8(bad), dsOther)) << bad;
    EXPECT_FALSE(IsValidByName(QString(), dsOther));
    EXPECT_EQ(sReservedWords.size(), 13);
    EXPECT_EQ(sReservedWords.last(), "as");
}
