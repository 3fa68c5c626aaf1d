#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillary {

namespace {

QString g_override;

QString SettingsFolder() {
    if (!g_override.isEmpty()) return g_override;
    return qEnvironmentVariable("QUILLARY_SETTINGS_DIR");
}

QString KeyPath(const QString& key, const QString& valueName) {
    QString path = key;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.isEmpty() ? valueName : path + QLatin1Char('/') + valueName;
}

} // namespace

void TSettingsStore::SetLocationOverride(const QString& folder) {
    g_override = folder;
}

QString TSettingsStore::FilePath(TSettingsScope scope) {
    const QString folder = SettingsFolder();
    if (!folder.isEmpty())
        return QDir(folder).filePath(scope == TSettingsScope::Machine
                                         ? QStringLiteral("machine.ini")
                                         : QStringLiteral("user.ini"));
    if (scope == TSettingsScope::Machine) return QStringLiteral("/etc/xdg/Quillary/Quillary.ini");
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Quillary/Quillary.ini"));
}

bool TSettingsStore::WriteString(TSettingsScope scope, const QString& key, const QString& valueName,
                                 const QString& value, TFileAccess access) {
    const QString file = FilePath(scope);
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (access == TFileAccess::OwnerOnly) {
        // QSettings replaces the file by a new one with the old one's
        // permissions: made 0600 first (created empty if need be), it is
        // never readable by others once the secret is in.
        const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_CLOEXEC,
                              S_IRUSR | S_IWUSR);
        if (fd < 0) return false;
        const bool owned = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0;
        ::close(fd);
        if (!owned) return false;
    }
    QSettings settings(file, QSettings::IniFormat);
    if (!settings.isWritable()) return false;
    settings.setValue(KeyPath(key, valueName), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString TSettingsStore::ReadString(TSettingsScope scope, const QString& key,
                                   const QString& valueName, const QString& defaultValue) {
    QSettings settings(FilePath(scope), QSettings::IniFormat);
    return settings.value(KeyPath(key, valueName), defaultValue).toString();
}

} // namespace quillary
