#include "platform/UserInteraction.h"
#include "platform/QtUserInteraction.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace quillary {

namespace {
TUserInteraction* g_installed = nullptr;

TUserInteraction& DefaultUi() {
    static TQtUserInteraction service;
    return service;
}
} // namespace

QString TUserInteraction::InputBox(const QString& caption, const QString& prompt,
                                   const QString& defaultValue) {
    QString value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}

bool TUserInteraction::WaitUntil(const std::function<bool()>& finished, int timeoutMs,
                                 QEventLoop::ProcessEventsFlags flags) {
    if (finished()) return true;
    const QDeadlineTimer deadline =
        timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    // The work tells nobody when it ends: look often enough not to be noticed.
    constexpr int kPollMs = 10;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished() || deadline.hasExpired()) loop.quit();
    });
    poll.start(kPollMs);
    loop.exec(flags);
    return finished();
}

bool TUserInteraction::WaitWithProgress(const QString&, const std::function<bool()>& finished) {
    return WaitUntil(finished, -1);
}

TUserInteraction& Ui() {
    return g_installed ? *g_installed : DefaultUi();
}

TUserInteraction* SetUi(TUserInteraction* service) {
    TUserInteraction* previous = g_installed;
    g_installed = service;
    return previous;
}

} // namespace quillary
