#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

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
                                 const QString& value) {
    const QString file = FilePath(scope);
    QDir().mkpath(QFileInfo(file).absolutePath());
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
