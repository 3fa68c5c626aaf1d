#pragma once
#include "TestSupport.h"
#include "db/ADOQuery.h"

#include "db/Dialect.h"
#include "db/SampleDatabase.h"
#include "designer/Frm_Quillary.h"
#include "designer/LoginParm.h"
#include "designer/QBArea.h"
#include "designer/QBLbx.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace quillary::test {

// A connection string for a private copy of the sample database.
inline QString SampleCsn(bool persist = true) {
    return QStringLiteral("Provider=SQLite;Persist Security Info=%1;Data Source=")
               .arg(persist ? QStringLiteral("True") : QStringLiteral("False")) +
           CopyOfSampleDatabase();
}

// The texts of a list's entries, in order.
inline QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Writes `bytes` to `name` in the test folder and gives back its path.
inline QString WriteTestFile(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(TestDir()).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
    return path;
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

// A nested designer (captioned `caption` unless that is empty) that builds
// `sql` and ends with `result`.
inline void ExpectNestedDesign(TScriptedUserInteraction& ui, const QString& caption,
                               const QString& sql, int result = mrOk) {
    ExpectDesigner(ui, [=](TFrm_Quillary& nested) {
        if (!caption.isEmpty()) {
            EXPECT_EQ(nested.windowTitle(), caption);
        }
        EXPECT_TRUE(nested.Forge(sql));
        return result;
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
    // The form shown, its tables listed when connected.
    void Open(const QString& csn = SampleCsn(), bool connect = true) {
        OpenForm(csn, connect);
        if (connect) form->GetTablesList(false);
        form->resize(900, 650);
        form->show();
        QApplication::processEvents();
    }
    // Double-clicks `table` in the table list; the new box, if one was placed.
    TQBTable* Place(const QString& table) {
        const auto found = form->QBTables->findItems(table, Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << table.toStdString();
        if (found.isEmpty()) return nullptr;
        form->QBTables->setCurrentItem(found.first());
        const qsizetype before = form->Canvas()->Tables().size();
        form->QBTablesDblClick();
        return form->Canvas()->Tables().size() > before ? form->Canvas()->Tables().last() : nullptr;
    }
    static int Row(const TQBTable* box, const QString& column) {
        return box->FieldList->IndexOfText(column);
    }
    static void Tick(TQBTable* box, const QString& column, bool on = true) {
        box->FieldList->item(Row(box, column))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    TQuillaryDialog dialog;
    std::unique_ptr<TFrm_Quillary> form;
};

} // namespace quillary::test
