#include "platform/UserInteraction.h"
#include "platform/QtUserInteraction.h"

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

TUserInteraction& Ui() {
    return g_installed ? *g_installed : DefaultUi();
}

TUserInteraction* SetUi(TUserInteraction* service) {
    TUserInteraction* previous = g_installed;
    g_installed = service;
    return previous;
}

} // namespace quillary
