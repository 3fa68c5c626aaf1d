#pragma once
// Small persistent key/value store with a machine scope and a user scope, the
// place where the designer keeps its saved connection string.
//
// Files (INI): machine scope /etc/xdg/Quillary/Quillary.ini, user scope
// $XDG_CONFIG_HOME/Quillary/Quillary.ini (usually ~/.config). The environment
// variable QUILLARY_SETTINGS_DIR, or SetLocationOverride(), moves both into one
// folder as machine.ini and user.ini.

#include "platform/TextFile.h"

#include <QString>

namespace quillary {

enum class TSettingsScope { Machine, User };

inline constexpr char kForgeKey[] = "Software\\Forge";
inline constexpr char kConnectionStringValue[] = "ConnectionString";

class TSettingsStore {
public:
    static QString FilePath(TSettingsScope scope);
    // Empty restores the default locations.
    static void SetLocationOverride(const QString& folder);

    // Key paths use backslashes between levels ("Software\Forge").
    // Returns false when the store could not be written (no message). For a
    // secret value the file is made owner-only (0600) before the value goes
    // in, and stays so.
    static bool WriteString(TSettingsScope scope, const QString& key, const QString& valueName,
                            const QString& value, TFileAccess access = TFileAccess::Shared);
    static QString ReadString(TSettingsScope scope, const QString& key, const QString& valueName,
                              const QString& defaultValue = {});
};

} // namespace quillary
