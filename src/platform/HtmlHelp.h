#pragma once
// The help binding: the help viewer library is loaded on first use, not
// linked, so that programs start without it and its absence is reported only
// when help is asked for. The viewer library exports one entry, "HtmlHelpA",
// which takes the commands below; it shows the Qt help file it is given.

#include <QString>
#include <QtGlobal>

namespace quillary {

// Commands of the viewer entry.
inline constexpr quint32 HH_DISPLAY_TOPIC = 0x0000;
inline constexpr quint32 HH_DISPLAY_TOC = 0x0001;
inline constexpr quint32 HH_DISPLAY_INDEX = 0x0002;
inline constexpr quint32 HH_CLOSE_ALL = 0x0012;
inline constexpr quint32 HH_INITIALIZE = 0x001C;
inline constexpr quint32 HH_UNINITIALIZE = 0x001D;

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
