#pragma once
#include "platform/UserInteraction.h"

namespace quillary {

// Qt dialogs, parented to the active window.
class TQtUserInteraction final : public TUserInteraction {
public:
    int MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                   TMsgIcon icon) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& initialPath) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& initialPath) override;
    int ShowModal(QDialog* form) override;
};

} // namespace quillary
