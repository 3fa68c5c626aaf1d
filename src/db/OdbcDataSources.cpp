#include "db/OdbcDataSources.h"

#include <QByteArray>
#include <odbcinst.h>

namespace quillary {

namespace {

constexpr int kBufferSize = 64 * 1024;

// Restores the "both stores" mode that the driver manager expects.
struct TConfigModeScope {
    explicit TConfigModeScope(UWORD mode) { SQLSetConfigMode(mode); }
    ~TConfigModeScope() { SQLSetConfigMode(ODBC_BOTH_DSN); }
};

QString ReadValue(UWORD mode, const QString& section, const QString& entry,
                  const char* file = "odbc.ini") {
    if (section.isEmpty() || entry.isEmpty()) return {};
    TConfigModeScope scope(mode);
    QByteArray buffer(kBufferSize, '\0');
    const QByteArray s = section.toLocal8Bit();
    const QByteArray e = entry.toLocal8Bit();
    const int n = SQLGetPrivateProfileString(s.constData(), e.constData(), "", buffer.data(),
                                             buffer.size(), file);
    if (n <= 0) return {};
    return QString::fromLocal8Bit(buffer.constData(), std::min(n, int(buffer.size()))).trimmed();
}

// NUL-separated list of the keys of `section`, or of the section names when
// `section` is null.
QStringList ReadList(UWORD mode, const char* section) {
    TConfigModeScope scope(mode);
    QByteArray buffer(kBufferSize, '\0');
    const int n =
        SQLGetPrivateProfileString(section, nullptr, "", buffer.data(), buffer.size(), "odbc.ini");
    QStringList items;
    int start = 0;
    for (int i = 0; i < std::min(n, int(buffer.size())); ++i) {
        if (buffer[i] != '\0') continue;
        if (i > start) items << QString::fromLocal8Bit(buffer.constData() + start, i - start);
        start = i + 1;
    }
    if (start < std::min(n, int(buffer.size())))
        items << QString::fromLocal8Bit(buffer.constData() + start,
                                        std::min(n, int(buffer.size())) - start);
    return items;
}

const char kSourcesSection[] = "ODBC Data Sources";

} // namespace

QString OdbcDriverOfDsn(const QString& dsn) {
    const QString name = dsn.trimmed();
    if (name.isEmpty()) return {};
    const QString sources = QString::fromLatin1(kSourcesSection);
    for (UWORD mode : {UWORD(ODBC_SYSTEM_DSN), UWORD(ODBC_USER_DSN)}) {
        const QString driver = ReadValue(mode, sources, name);
        if (!driver.isEmpty()) return driver;
    }
    for (UWORD mode : {UWORD(ODBC_SYSTEM_DSN), UWORD(ODBC_USER_DSN)}) {
        const QString driver = ReadValue(mode, name, QStringLiteral("Driver"));
        if (!driver.isEmpty()) return driver;
    }
    return {};
}

QString OdbcDsnValue(const QString& dsn, const QString& entry) {
    const QString name = dsn.trimmed();
    for (UWORD mode : {UWORD(ODBC_SYSTEM_DSN), UWORD(ODBC_USER_DSN)}) {
        const QString value = ReadValue(mode, name, entry);
        if (!value.isEmpty()) return value;
    }
    return {};
}

bool IsFileDatabaseOdbcDriver(const QString& driver) {
    const QString name = driver.trimmed();
    if (name.isEmpty()) return false;
    const auto saysSqlite = [](const QString& text) {
        return text.contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
    };
    if (saysSqlite(name)) return true;
    // unixODBC also takes the driver library's own path as the driver.
    if (name.contains(QLatin1Char('/'))) return false;
    return saysSqlite(ReadValue(ODBC_BOTH_DSN, name, QStringLiteral("Driver"), "odbcinst.ini"));
}

QStringList OdbcDriverNames() {
    QByteArray buffer(kBufferSize, '\0');
    if (!SQLGetInstalledDrivers(buffer.data(), WORD(buffer.size() - 1), nullptr)) return {};
    // NUL-separated, ending with an empty name.
    QStringList names;
    for (const QByteArray& name : buffer.split('\0'))
        if (!name.isEmpty() && name != "ODBC") names << QString::fromLocal8Bit(name);
    return names;
}

QStringList OdbcDataSourceNames() {
    QStringList names;
    for (UWORD mode : {UWORD(ODBC_SYSTEM_DSN), UWORD(ODBC_USER_DSN)}) {
        names << ReadList(mode, kSourcesSection);
        for (const QString& section : ReadList(mode, nullptr))
            if (section.compare(QLatin1String(kSourcesSection), Qt::CaseInsensitive) != 0 &&
                section.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) != 0)
                names << section;
    }
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace quillary
