#pragma once
// What the program's runs without a user share: nobody answers, and a few
// tables of the sample database show what the designer is about.

#include "platform/UserInteraction.h"

#include <QList>

namespace quillary {

class TFrm_Quillary;
class TQBTable;

// Messages go to the terminal and get "no" (or "OK" where that is the only
// button); inputs and file dialogs are cancelled. Forms are the subclass's.
class TUnattendedUi : public TUserInteraction {
public:
    int MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                   TMsgIcon icon) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& initialPath) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& initialPath) override;
};

// Places customers, orders and order_items side by side (those the list
// holds) and types "or" into the table search; returns the boxes placed.
QList<TQBTable*> PlaceDemoTables(TFrm_Quillary& form);

} // namespace quillary
