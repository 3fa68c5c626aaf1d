#include "query/DesignHooks.h"
#include "query/QueryDesign.h"

namespace quillary {

void ShowMessage(const TDesignHooks& hooks, const QString& text, const QString& caption) {
    if (hooks.Message) hooks.Message(text, caption);
}

bool Ask(const TConfirm& confirm, const QString& question) {
    return confirm ? confirm(question) : true;
}

bool LoadBox(const TDesignHooks& hooks, TDesignBox& box) {
    if (hooks.LoadBox) return hooks.LoadBox(box);
    box.Fields = {TDesignField{QStringLiteral("*")}};
    box.Width = kDefaultBoxWidth;
    box.Height = kDefaultBoxHeight;
    return true;
}

bool TestRun(const TDesignHooks& hooks, const QString& statement) {
    return hooks.TestRun ? hooks.TestRun(statement) : true;
}

} // namespace quillary
