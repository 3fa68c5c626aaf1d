#include "package/CorvaneAbout.h"
#include "db/ADOQuery.h"
#include "db/DataLinkPrompt.h"
// QuillaryDialog.h needs the form class complete (its QPointer).
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"

#include <QGuiApplication>
#include <memory>

namespace quillary {

namespace {

// What TSQLProperty keeps between uses: the dialog it runs for queries and
// the statement it showed last.
struct TSqlPropertyState {
    std::unique_ptr<TQuillaryDialog> Dialog;
    QString Cached;
};

// Never destroyed: the package's finalisation frees what it holds.
TSqlPropertyState& SqlState() {
    static auto* state = new TSqlPropertyState;
    return *state;
}

void ShowMessage(const QString& text) {
    Ui().MessageBox(text, QGuiApplication::applicationDisplayName(), TMsgButtons::Ok);
}

} // namespace

void TQuillaryEditor::Edit() {
    auto* dialog = qobject_cast<TQuillaryDialog*>(Component());
    if (!dialog) return;
    dialog->Caption = QString::fromUtf8(kTestDialogCaption);
    dialog->IsAllowUnion = true;
    if (dialog->Execute()) ShowMessage(QString::fromUtf8(kSqlSyntaxPrefix) + dialog->SQL);
}

void TQuillaryEditor::ExecuteVerb(int Index) {
    if (Index == 0) {
        Edit();
        return;
    }
    auto* dialog = qobject_cast<TQuillaryDialog*>(Component());
    if (!dialog) return;
    dialog->SetConnectionString(PromptDataSource(nullptr, dialog->ConnectionString()));
}

QString TQuillaryEditor::GetVerb(int Index) {
    return QString::fromLatin1(Index == 0 ? kTestDialogVerb : kEditConnectionStringVerb);
}

void TQueryEditor_Quillary::ExecuteVerb(int Index) {
    if (Index < TDefaultEditor::GetVerbCount()) {
        TDefaultEditor::ExecuteVerb(Index);
        return;
    }
    auto* query = qobject_cast<TADOQuery*>(Component());
    if (!query) return;
    // Freed on every way out, errors included.
    const auto dialog = std::make_unique<TQuillaryDialog>();
    dialog->IsAllowChangeCSN = true;
    dialog->IsAllowUnion = true;
    if (query->Connection())
        dialog->SetConnection(query->Connection());
    else
        dialog->SetConnectionString(query->ConnectionString());
    dialog->SQL = query->SQLText();
    dialog->Caption = QString::fromUtf8(kQueryBuilderCaption);
    if (dialog->Execute()) {
        query->SQL() = dialog->GetSQLS();
        if (Designer()) Designer()->Modified();
    }
}

QString TQueryEditor_Quillary::GetVerb(int) {
    return QString::fromLatin1(kQueryBuilderVerb);
}

void TCNSProperty::Edit() {
    TStringProperty::Edit();
    auto* dialog = qobject_cast<TQuillaryDialog*>(GetComponent());
    if (!dialog) return;
    SetStrValue(PromptDataSource(nullptr, dialog->ConnectionString()));
}

TPropertyAttributes TVersionProperty::GetAttributes() {
    return TStringProperty::GetAttributes() | paDialog | paReadOnly;
}

QString TVersionProperty::GetValue() {
    const QString value = GetStrValue();
    const qsizetype at = value.indexOf(QLatin1String(" v"));
    return at < 0 ? value : value.mid(at + 1);
}

void TVersionProperty::Edit() {
    Ui().MessageBox(GetValue() + QStringLiteral("\n\n") + QString::fromUtf8(kOwnershipNotice),
                    QStringLiteral("QuillaryDialog"), TMsgButtons::Ok, TMsgIcon::Information);
}

QString TSQLProperty::GetValue() {
    TSqlPropertyState& state = SqlState();
    if (auto* query = qobject_cast<TADOQuery*>(GetComponent())) state.Cached = query->SQLText();
    return state.Cached;
}

void TSQLProperty::Edit() {
    TSqlPropertyState& state = SqlState();
    auto* query = qobject_cast<TADOQuery*>(GetComponent());
    TQuillaryDialog* dialog = qobject_cast<TQuillaryDialog*>(GetComponent());
    if (query) {
        if (!state.Dialog) {
            state.Dialog = std::make_unique<TQuillaryDialog>();
            state.Dialog->IsAllowChangeCSN = true;
            state.Dialog->IsAllowUnion = true;
        }
        dialog = state.Dialog.get();
        // The query being edited brings its connection each time.
        if (query->Connection())
            dialog->SetConnection(query->Connection());
        else
            dialog->SetConnectionString(query->ConnectionString());
    }
    if (!dialog) return;
    if (dialog->Execute() && query) {
        if (!query->Connection() && query->ConnectionString().isEmpty())
            query->SetConnectionString(dialog->ConnectionString());
        query->SQL() = dialog->GetSQLS();
        state.Cached = dialog->SQL;
        if (Designer()) Designer()->Modified();
        return;
    }
    state.Cached = dialog->SQL;
}

void FinalizeCorvaneAbout() {
    SqlState().Dialog.reset();
    SqlState().Cached.clear();
}

} // namespace quillary
