#pragma once
#include "platform/UserInteraction.h"

#include <QString>

namespace quillary {

// A file filter for Qt's file dialogs. The designer's filters are written as
// pairs "description|patterns|description|patterns"; they become
// "description (patterns)" entries, each pattern in both letter cases (file
// names here are case-sensitive) and "*.*" as "*". A filter without "|" is
// one of Qt's already and stays as it is.
QString QtFileFilter(const QString& filter);

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
    bool WaitWithProgress(const QString& text, const std::function<bool()>& finished) override;
};

} // namespace quillary
