#pragma once
// The help binding: the help viewer library is loaded on first use, not
// linked, so that programs start without it and its absence is reported only
// when help is asked for. The viewer library exports one entry, "HtmlHelpA",
// which takes the commands below; it shows the Qt help file it is given.

#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace quillary {

// Commands of the viewer entry.
inline constexpr quint32 HH_DISPLAY_TOPIC = 0x0000;
inline constexpr quint32 HH_DISPLAY_TOC = 0x0001;
inline constexpr quint32 HH_DISPLAY_INDEX = 0x0002;
inline constexpr quint32 HH_CLOSE_ALL = 0x0012;
inline constexpr quint32 HH_INITIALIZE = 0x001C;
inline constexpr quint32 HH_UNINITIALIZE = 0x001D;

// The toolbar actions a viewer window reports, in the order of the
// published help header (HHACT_LAST_ENUM is 23).
enum THHACT : int {
    HHACT_TAB_CONTENTS,
    HHACT_TAB_INDEX,
    HHACT_TAB_SEARCH,
    HHACT_TAB_HISTORY,
    HHACT_TAB_FAVORITES,
    HHACT_EXPAND,
    HHACT_CONTRACT,
    HHACT_BACK,
    HHACT_FORWARD,
    HHACT_STOP,
    HHACT_REFRESH,
    HHACT_HOME,
    HHACT_SYNC,
    HHACT_OPTIONS,
    HHACT_PRINT,
    HHACT_HIGHLIGHT,
    HHACT_CUSTOMIZE,
    HHACT_JUMP1,
    HHACT_JUMP2,
    HHACT_ZOOM,
    HHACT_TOC_NEXT,
    HHACT_TOC_PREV,
    HHACT_NOTES,
    HHACT_LAST_ENUM,
};
static_assert(HHACT_LAST_ENUM == 23);

// A global property of the viewer and its value.
enum HH_GPROPID : int {
    HH_GPROPID_SINGLETHREAD = 1,
    HH_GPROPID_TOOLBAR_MARGIN = 2,
    HH_GPROPID_UI_LANGUAGE = 3,
    HH_GPROPID_CURRENT_SUBSET = 4,
    HH_GPROPID_CONTENT_LANGUAGE = 5,
};
struct tagHH_GLOBAL_PROPERTY {
    HH_GPROPID id = HH_GPROPID_SINGLETHREAD;
    QVariant var;
};
using HH_GLOBAL_PROPERTY = tagHH_GLOBAL_PROPERTY;

// The viewer entry: caller window (a QWidget*, or 0), help file name (UTF-8,
// zero-terminated, or null), command, data. Returns the viewer window (a
// QWidget*) or 0.
using THtmlHelpEntry = quintptr (*)(quintptr, const char*, quint32, quintptr);

inline constexpr char kHelpViewerEntry[] = "HtmlHelpA";
inline constexpr char kHelpViewerLibrary[] = "libquillary_helpviewer.so";
inline constexpr char kHelpFile[] = "forge.qch";

inline constexpr char kHelpNotInstalledMessage[] =
    "HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!";
inline constexpr char kHelpEntryMissingMessage[] = "Function HTMLHELP cannot loaded!";

// Loads and initialises the viewer library on the first call (again after a
// failed load), then forwards the call to its entry. Throws Exception with
// kHelpNotInstalledMessage when the library cannot be loaded and with
// kHelpEntryMissingMessage when it has no entry.
quintptr HtmlHelp(quintptr callerWindow, const QString& fileName, quint32 command, quintptr data);

// Uninitialises and unloads the viewer library when it is loaded. A shutdown
// hook for programs; nothing calls it on its own.
void CloseHtmlHelpSystem();

// The help file of a program in `executableFolder`: the folder, a "/" unless
// it already ends in one, and kHelpFile.
QString HelpFileName(const QString& executableFolder);

// The folder the viewer library is loaded from: the folder of the library that
// holds this binding (where the package's libraries are installed), unless
// SetHelpLibraryFolder chose another. An empty text restores the default.
QString HelpLibraryFolder();
void SetHelpLibraryFolder(const QString& folder);

} // namespace quillary
