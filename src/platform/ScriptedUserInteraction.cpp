#include "platform/ScriptedUserInteraction.h"

#include <QDialog>

namespace quillary {

TScriptedUserInteraction::TScriptedUserInteraction() = default;

TScriptedUserInteraction::~TScriptedUserInteraction() {
    if (m_installed) SetUi(m_previous);
}

void TScriptedUserInteraction::Install() {
    if (m_installed) return;
    m_previous = SetUi(this);
    m_installed = true;
}

QString TScriptedUserInteraction::KindName(TKind kind) {
    switch (kind) {
    case TKind::Message:
        return QStringLiteral("message box");
    case TKind::Input:
        return QStringLiteral("input box");
    case TKind::OpenFile:
        return QStringLiteral("open dialog");
    case TKind::SaveFile:
        return QStringLiteral("save dialog");
    case TKind::Modal:
        return QStringLiteral("modal form");
    case TKind::Progress:
        return QStringLiteral("progress dialog");
    }
    return {};
}

TScriptedUserInteraction& TScriptedUserInteraction::AnswerMessage(int modalResult) {
    TStep step{TKind::Message};
    step.Result = modalResult;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::ExpectMessage(const QString& text,
                                                                  const QString& caption,
                                                                  int modalResult) {
    TStep step{TKind::Message};
    step.Result = modalResult;
    step.CheckText = true;
    step.ExpectedText = text;
    step.ExpectedCaption = caption;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::AnswerInput(const QString& typed) {
    TStep step{TKind::Input};
    step.Text = typed;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::CancelInput() {
    TStep step{TKind::Input};
    step.Confirm = false;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::AnswerOpenFile(const QString& path) {
    TStep step{TKind::OpenFile};
    step.Text = path;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::AnswerSaveFile(const QString& path) {
    TStep step{TKind::SaveFile};
    step.Text = path;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::AnswerModal(TModalScript script) {
    TStep step{TKind::Modal};
    step.Modal = std::move(script);
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::CancelProgress() {
    TStep step{TKind::Progress};
    step.Confirm = false;
    m_steps.push_back(step);
    return *this;
}

TScriptedUserInteraction& TScriptedUserInteraction::WatchProgress() {
    m_steps.push_back(TStep{TKind::Progress});
    return *this;
}

QStringList TScriptedUserInteraction::MessageTexts() const {
    QStringList texts;
    for (const TRecord& r : m_log)
        if (r.Kind == TKind::Message) texts << r.Text;
    return texts;
}

QStringList TScriptedUserInteraction::Captions() const {
    QStringList captions;
    for (const TRecord& r : m_log)
        captions << r.Caption;
    return captions;
}

void TScriptedUserInteraction::Problem(const QString& description) {
    m_problems << description;
    if (OnUnexpected) OnUnexpected(description);
}

bool TScriptedUserInteraction::Next(TKind kind, const TRecord& record, TStep& step) {
    m_log << record;
    const QString shown =
        QStringLiteral("%1 «%2» (caption «%3»)").arg(KindName(kind), record.Text, record.Caption);
    if (m_steps.empty()) {
        Problem(QStringLiteral("unexpected %1: the script has no steps left").arg(shown));
        return false;
    }
    if (m_steps.front().Kind != kind) {
        Problem(QStringLiteral("unexpected %1: the script expected a %2")
                    .arg(shown, KindName(m_steps.front().Kind)));
        return false;
    }
    step = std::move(m_steps.front());
    m_steps.pop_front();
    if (step.CheckText) {
        if (record.Text != step.ExpectedText)
            Problem(QStringLiteral("%1: expected the text «%2»").arg(shown, step.ExpectedText));
        else if (!step.ExpectedCaption.isEmpty() && record.Caption != step.ExpectedCaption)
            Problem(
                QStringLiteral("%1: expected the caption «%2»").arg(shown, step.ExpectedCaption));
    }
    return true;
}

int TScriptedUserInteraction::MessageBox(const QString& text, const QString& caption,
                                         TMsgButtons buttons, TMsgIcon) {
    TStep step;
    if (!Next(TKind::Message, {TKind::Message, caption, text, {}, buttons}, step)) {
        if (buttons == TMsgButtons::Ok) return mrOk;
        const bool yesNo = buttons == TMsgButtons::YesNo || buttons == TMsgButtons::YesNoDefaultNo;
        return yesNo ? mrNo : mrCancel;
    }
    return step.Result;
}

bool TScriptedUserInteraction::InputQuery(const QString& caption, const QString& prompt,
                                          QString& value) {
    TStep step;
    if (!Next(TKind::Input, {TKind::Input, caption, prompt, value}, step)) return false;
    if (!step.Confirm) return false;
    value = step.Text;
    return true;
}

QString TScriptedUserInteraction::OpenFileName(QWidget*, const QString& caption,
                                               const QString& filter, const QString& initialPath) {
    TStep step;
    if (!Next(TKind::OpenFile, {TKind::OpenFile, caption, filter, initialPath}, step)) return {};
    return step.Text;
}

QString TScriptedUserInteraction::SaveFileName(QWidget*, const QString& caption,
                                               const QString& filter, const QString& initialPath) {
    TStep step;
    if (!Next(TKind::SaveFile, {TKind::SaveFile, caption, filter, initialPath}, step)) return {};
    return step.Text;
}

int TScriptedUserInteraction::ShowModal(QDialog* form) {
    TStep step;
    const QString className =
        form ? QString::fromLatin1(form->metaObject()->className()) : QString();
    const QString caption = form ? form->windowTitle() : QString();
    const QString name = form ? form->objectName() : QString();
    if (!Next(TKind::Modal, {TKind::Modal, caption, className, name}, step)) return mrCancel;
    return step.Modal ? step.Modal(form) : mrCancel;
}

bool TScriptedUserInteraction::WaitWithProgress(const QString& text,
                                                const std::function<bool()>& finished) {
    // As for the real user: an attempt that ends quickly shows nothing.
    if (WaitUntil(finished, kProgressDelayMs)) return true;
    if (m_steps.empty() || m_steps.front().Kind != TKind::Progress) return WaitUntil(finished, -1);
    TStep step;
    Next(TKind::Progress, {TKind::Progress, QString(), text, {}}, step);
    if (!step.Confirm) return false; // 取消
    return WaitUntil(finished, -1);
}

} // namespace quillary
