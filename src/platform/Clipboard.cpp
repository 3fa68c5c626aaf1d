#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace quillary {

QString TClipboard::AsText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void TClipboard::SetAsText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
}

} // namespace quillary
