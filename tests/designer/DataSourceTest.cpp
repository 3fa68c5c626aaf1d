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
    for (TFieldType type : {ftBCD, ftMemo, ftAutoInc, ftBlob, ftUnknown, ftGuid})
        for (int mode : {1, 2}) {
            QString result = "kept";
            GetDataType(type, mode, result);
            EXPECT_EQ(result, "kept") << FieldTypeName(type).toStdString() << " mode " << mode;
        }
    for (int mode : {0, 3}) {
        QString result = "x";
        GetDataType(ftString, mode, result);
        EXPECT_EQ(result, QString()) << mode;
    }
}

TEST(AliasRule, AcceptsAndRefuses) {
    const std::tuple<const char*, int, bool> cases[] = {
        {"T1", dsOther, true},
        {"emp", dsOracle, true},
        {"as", dsOther, true}, // not among the reserved words
        {"\"my table\"", dsOracle, true},
        {"[order details]", dsSqlServer, true},
        {"[order details]", dsAccess, true},
        {"[x y]", dsNone, true},
        {"[order details]", dsSybase, false}, // brackets only below kind 2
        {"[order details]", dsOther, false},
        {"", dsOther, false},
        // SQL identifiers of any script, with "_".
        {"_t", dsOther, true},
        {"t_1", dsOther, true},
        {"sum_qty", dsOracle, true},
        {"客户", dsOther, true},
        {"Größe", dsOther, true},
        {"客户1", dsOther, true},
        // Reserved words only as whole names.
        {"Selected", dsOther, true},
        {"description", dsOther, true},
        {"or_", dsOther, true},
    };
    for (const auto& [alias, kind, valid] : cases)
        EXPECT_EQ(IsValidByName(QString::fromUtf8(alias), kind), valid) << alias << " kind " << kind;
    for (const char* bad : {"1T", "t-1", "Where", "SELECT", "desc", "in", "t 1", "１a", "t$"})
        EXPECT_FALSE(IsValidByName(QString::fromUtf8(bad), dsOther)) << bad;
}
