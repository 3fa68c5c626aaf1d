#pragma once
#include <QString>

namespace quillary {

// The system clipboard, as plain text.
class TClipboard {
public:
    static QString AsText();
    static void SetAsText(const QString& text);
};

} // namespace quillary
