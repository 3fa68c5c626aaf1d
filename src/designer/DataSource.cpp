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

} // namespace

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

} // namespace quillary
