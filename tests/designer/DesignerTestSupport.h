#pragma once
#include "TestSupport.h"
#include "db/ADOQuery.h"

#include "db/Dialect.h"
#include "db/SampleDatabase.h"
#include "designer/Frm_Quillary.h"
#include "designer/LoginParm.h"
#include "designer/QuillaryDialog.h"
#include <memory>

#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace quillary::test {

// A connection string for a private copy of the sample database.
inline QString SampleCsn(bool persist = true) {
    return QStringLiteral("Provider=SQLite;Persist Security Info=%1;Data Source=")
               .arg(persist ? QStringLiteral("True") : QStringLiteral("False")) +
           CopyOfSampleDatabase();
}

// Scripts the designer window: `work` receives the open form and returns the
// modal result that ends the run.
inline void ExpectDesigner(TScriptedUserInteraction& ui, std::function<int(TFrm_Quillary&)> work) {
    ui.AnswerModal([work](QDialog* d) {
        auto* form = qobject_cast<TFrm_Quillary*>(d);
        EXPECT_NE(form, nullptr) << "expected the designer window";
        return form ? work(*form) : int(mrCancel);
    });
}

// Scripts the login dialog: confirms with `user`/`password`, or cancels.
inline void ExpectLogin(TScriptedUserInteraction& ui, const QString& user, const QString& password,
                        bool confirm = true, QString* shownUser = nullptr) {
    ui.AnswerModal([=](QDialog* d) {
        auto* form = qobject_cast<TForm2*>(d);
        EXPECT_NE(form, nullptr) << "expected the login dialog";
        if (!form) return int(mrCancel);
        if (shownUser) *shownUser = form->Edit1->text();
        if (!confirm) return int(mrCancel);
        form->Edit1->setText(user);
        form->Edit2->setText(password);
        return int(mrOk);
    });
}

// A designer window without the modal loop, on a dialog whose own
// connection is open (unless `connect` is false), so that a test drives it
// like a user.
class DesignerFormTest : public ScriptedUiTest {
protected:
    void OpenForm(const QString& csn, bool connect = true) {
        dialog.SetConnectionString(csn);
        if (connect) {
            dialog.SetOwnConnection(std::make_unique<TADOConnection>(csn));
            dialog.OwnConnection()->Open();
        }
        form = std::make_unique<TFrm_Quillary>(&dialog);
        form->ResQuery->SetConnection(dialog.GetConn());
    }
    TQuillaryDialog dialog;
    std::unique_ptr<TFrm_Quillary> form;
};

} // namespace quillary::test
