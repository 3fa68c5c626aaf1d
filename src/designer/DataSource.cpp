#include "designer/DataSource.h"
#include "db/ADOConnection.h"
#include "db/OdbcDataSources.h"

#include <array>

namespace quillary {

namespace {

struct TKindName {
    const char* Name;
    int Kind;
};

// Provider names, compared exactly.
constexpr std::array<TKindName, 6> kProviders = {{
    {"Microsoft.Jet.OLEDB.4.0", dsAccess},
    {"Microsoft.Jet.OLEDB.3.51", dsAccess},
    {"SQLOLEDB.1", dsSqlServer},
    {"SQLOLEDB", dsSqlServer},
    {"MSDAORA.1", dsOracle},
    {"OraOLEDB.Oracle.1", dsOracle},
}};

// ODBC driver names in the order they are tried, compared exactly.
constexpr std::array<TKindName, 11> kDrivers = {{
    {"Microsoft Access Driver (*.mdb)", dsAccess},
    {"Microsoft dBase Driver (*.dbf)", dsDBase},
    {"Microsoft Visual FoxPro Driver", dsDBase},
    {"Microsoft FoxPro Driver (*.dbf)", dsDBase},
    {"Microsoft Paradox Driver (*.db )", dsParadox},
    {"Microsoft ODBC for Oracle", dsOracle},
    {"Oracle ODBC Driver", dsOracle},
    {"SQL Server", dsSqlServer},
    {"Sybase System 11", dsSybase},
    {"Sybase SQL Anywhere", dsSybase}, // a prefix: a version follows
    {"Microsoft Excel Driver (*.xls)", dsExcel},
}};

constexpr std::array<const char*, 5> kClassNames = {"字符型", "整型", "浮点型", "日期型", "布尔型"};
constexpr std::array<const char*, 5> kClassCodes = {"1", "3", "6", "11", "5"};

int ClassOf(TFieldType type) {
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return 0;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
        return 1;
    case ftFloat:
    case ftCurrency:
        return 2;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return 3;
    case ftBoolean:
        return 4;
    default:
        return -1;
    }
}

} // namespace

const QStringList sReservedWords = {
    QStringLiteral("select"), QStringLiteral("from"),   QStringLiteral("where"),
    QStringLiteral("group"),  QStringLiteral("having"), QStringLiteral("order"),
    QStringLiteral("desc"),   QStringLiteral("asc"),    QStringLiteral("and"),
    QStringLiteral("or"),     QStringLiteral("not"),    QStringLiteral("in"),
    QStringLiteral("as")};

int DataSourceTypeOfDriver(const QString& odbcDriver) {
    for (const TKindName& d : kDrivers) {
        const QLatin1StringView name(d.Name);
        const bool prefix = d.Kind == dsSybase && name == QLatin1StringView("Sybase SQL Anywhere");
        if (prefix ? odbcDriver.startsWith(name) : odbcDriver == name) return d.Kind;
    }
    return dsOther;
}

int GetDataSourceType(TADOConnection* connection) {
    if (!connection) return dsNone;
    const QString provider = connection->Provider();
    for (const TKindName& p : kProviders)
        if (provider == QLatin1StringView(p.Name)) return p.Kind;
    // Treated as ODBC: the data source's driver decides.
    const QString dsn = connection->PropertyValue(QStringLiteral("Data Source"));
    return DataSourceTypeOfDriver(OdbcDriverOfDsn(dsn));
}

void GetDataType(TFieldType type, int mode, QString& result) {
    if (mode != 1 && mode != 2) {
        result.clear();
        return;
    }
    const int cls = ClassOf(type);
    if (cls < 0) return;
    result = QString::fromUtf8(mode == 1 ? kClassNames[size_t(cls)] : kClassCodes[size_t(cls)]);
}

bool IsValidByName(const QString& name, int mode) {
    if (name.isEmpty()) return false;
    const QString lower = name.toLower();
    // "as" (the last reserved word) stays usable as an alias.
    for (qsizetype i = 0; i + 1 < sReservedWords.size(); ++i)
        if (lower == sReservedWords[i]) return false;
    if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))) return true;
    if (mode < 2 && name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        return true;
    auto letter = [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); };
    auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    if (!letter(lower[0])) return false;
    for (qsizetype i = 1; i < lower.size(); ++i)
        if (!letter(lower[i]) && !digit(lower[i])) return false;
    return true;
}

} // namespace quillary
