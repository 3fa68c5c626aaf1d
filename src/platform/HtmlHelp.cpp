#include "platform/HtmlHelp.h"
#include "platform/Exception.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <dlfcn.h>
#include <memory>

namespace quillary {

namespace {

// Process-wide state: the loaded library, its entry and the cookie the
// library gave back when it was initialised.
struct THelpState {
    std::unique_ptr<QLibrary> Library;
    THtmlHelpEntry Entry = nullptr;
    quint32 Cookie = 0;
    QString Folder;
};

THelpState& State() {
    static THelpState state;
    return state;
}

QString OwnFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&OwnFolder), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

} // namespace

QString HelpLibraryFolder() {
    const QString& chosen = State().Folder;
    return chosen.isEmpty() ? OwnFolder() : chosen;
}

void SetHelpLibraryFolder(const QString& folder) {
    State().Folder = folder;
}

QString HelpFileName(const QString& executableFolder) {
    QString name = executableFolder;
    if (!name.endsWith(QLatin1Char('/'))) name += QLatin1Char('/');
    return name + QLatin1String(kHelpFile);
}

quintptr HtmlHelp(quintptr callerWindow, const QString& fileName, quint32 command, quintptr data) {
    THelpState& state = State();
    if (!state.Library) {
        auto library = std::make_unique<QLibrary>(
            QDir(HelpLibraryFolder()).filePath(QLatin1String(kHelpViewerLibrary)));
        // The viewer's widget classes must outlive any stray reference to
        // them, so the code stays mapped after it is freed.
        library->setLoadHints(QLibrary::PreventUnloadHint);
        // A failed load leaves the state empty, so that the next call tries again.
        if (!library->load()) throw Exception(QString::fromLatin1(kHelpNotInstalledMessage));
        state.Library = std::move(library);
        state.Entry = reinterpret_cast<THtmlHelpEntry>(state.Library->resolve(kHelpViewerEntry));
        if (state.Entry) state.Entry(0, nullptr, HH_INITIALIZE, quintptr(&state.Cookie));
    }
    // A library without the entry stays loaded and every call says so.
    if (!state.Entry) throw Exception(QString::fromLatin1(kHelpEntryMissingMessage));
    const QByteArray name = fileName.toUtf8();
    return state.Entry(callerWindow, name.constData(), command, data);
}

void CloseHtmlHelpSystem() {
    THelpState& state = State();
    if (!state.Library) return;
    if (state.Entry) state.Entry(0, nullptr, HH_UNINITIALIZE, quintptr(state.Cookie));
    state.Library->unload();
    state.Library.reset();
    state.Entry = nullptr;
    state.Cookie = 0;
}

} // namespace quillary
