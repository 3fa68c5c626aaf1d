// The entry of the viewer library, looked up by name by the help binding.
// One viewer window per help file; initialising hands out a cookie,
// uninitialising (or "close all") closes every viewer.
#include "HelpViewer.h"
#include "platform/HtmlHelp.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QPointer>
#include <QTemporaryDir>
#include <memory>

namespace {

using quillary::THelpViewer;

struct TViewerState {
    QMap<QString, QPointer<THelpViewer>> Viewers;
    std::unique_ptr<QTemporaryDir> Scratch;
    quint32 Sessions = 0;
    int Collections = 0;
};

TViewerState& State() {
    static TViewerState state;
    return state;
}

void CloseAll() {
    for (const QPointer<THelpViewer>& viewer : std::as_const(State().Viewers))
        delete viewer.data();
    State().Viewers.clear();
}

THelpViewer* ViewerFor(const QString& file) {
    TViewerState& state = State();
    const QString key = QDir::cleanPath(QDir().absoluteFilePath(file));
    if (THelpViewer* open = state.Viewers.value(key)) return open;
    if (!state.Scratch || !state.Scratch->isValid())
        state.Scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                        QStringLiteral("/quillary-help-XXXXXX"));
    const QString collection =
        state.Scratch->filePath(QStringLiteral("viewer%1.qhc").arg(++state.Collections));
    auto* viewer = new THelpViewer(key, collection);
    state.Viewers.insert(key, viewer);
    return viewer;
}

QString Text(quintptr data) {
    return data ? QString::fromUtf8(reinterpret_cast<const char*>(data)) : QString();
}

} // namespace

extern "C" Q_DECL_EXPORT quintptr HtmlHelpA(quintptr, const char* file, quint32 command,
                                            quintptr data) {
    using namespace quillary;
    switch (command) {
    case HH_INITIALIZE:
        if (data) *reinterpret_cast<quint32*>(data) = ++State().Sessions;
        return 0;
    case HH_UNINITIALIZE:
        CloseAll();
        State().Scratch.reset();
        return 0;
    case HH_CLOSE_ALL:
        CloseAll();
        return 0;
    case HH_DISPLAY_TOPIC:
    case HH_DISPLAY_TOC:
    case HH_DISPLAY_INDEX:
        break;
    default:
        return 0;
    }
    if (!file || !*file || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    THelpViewer* viewer = ViewerFor(QString::fromUtf8(file));
    if (viewer->Valid()) {
        if (command == HH_DISPLAY_TOPIC) {
            viewer->ShowContents();
            viewer->ShowTopic(Text(data));
        } else if (command == HH_DISPLAY_TOC) {
            viewer->ShowContents();
        } else {
            viewer->ShowIndex(Text(data));
        }
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return quintptr(viewer);
}
