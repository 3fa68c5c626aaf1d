#pragma once
// The user, played by a test: answers every interaction from a script, in
// order, and records what the system showed. An interaction the script did not
// expect (none left, or a different kind) is reported through OnUnexpected and
// answered as a cancel.

#include "platform/UserInteraction.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace quillary {

class TScriptedUserInteraction final : public TUserInteraction {
public:
    enum class TKind { Message, Input, OpenFile, SaveFile, Modal, Progress };

    struct TRecord {
        TKind Kind;
        QString Caption;
        QString Text;  // message text, input prompt, dialog filter, or form class name
        QString Value; // input default / initial path / form object name
        TMsgButtons Buttons = TMsgButtons::Ok; // the buttons of a message box
    };

    using TModalScript = std::function<int(QDialog*)>;

    TScriptedUserInteraction();
    ~TScriptedUserInteraction() override;

    // Installs itself as Ui() for its lifetime.
    void Install();

    // Script steps, consumed in the order they were added.
    TScriptedUserInteraction& AnswerMessage(int modalResult);
    // Also checks the text (and the caption when not empty) that is shown.
    TScriptedUserInteraction& ExpectMessage(const QString& text, const QString& caption,
                                            int modalResult = mrOk);
    TScriptedUserInteraction& AnswerInput(const QString& typed); // user types and confirms
    TScriptedUserInteraction& CancelInput();
    TScriptedUserInteraction& AnswerOpenFile(const QString& path); // empty = cancel
    TScriptedUserInteraction& AnswerSaveFile(const QString& path); // empty = cancel
    // The test receives the form, may work on it, and returns its modal result.
    TScriptedUserInteraction& AnswerModal(TModalScript script);
    // A progress dialog, once it shows (after kProgressDelayMs, as the real
    // one): 取消 pressed at once, or watched to the end. A progress dialog the
    // script does not name next is watched to the end without a record: it
    // asks the user nothing.
    TScriptedUserInteraction& CancelProgress();
    TScriptedUserInteraction& WatchProgress();

    const QList<TRecord>& Log() const { return m_log; }
    QStringList MessageTexts() const;
    QStringList Captions() const;
    int Remaining() const { return int(m_steps.size()); }
    const QStringList& Problems() const { return m_problems; }

    // Called with a description for every unexpected interaction or mismatch.
    std::function<void(const QString&)> OnUnexpected;

    int MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                   TMsgIcon icon) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& initialPath) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& initialPath) override;
    int ShowModal(QDialog* form) override;
    bool WaitWithProgress(const QString& text, const std::function<bool()>& finished) override;

    static QString KindName(TKind kind);

private:
    struct TStep {
        explicit TStep(TKind kind = TKind::Message) : Kind(kind) {}
        TKind Kind;
        int Result = mrOk;
        QString Text;
        bool Confirm = true;
        bool CheckText = false;
        QString ExpectedText;
        QString ExpectedCaption;
        TModalScript Modal;
    };

    // Takes the next step if it is of `kind`; otherwise reports and returns false.
    bool Next(TKind kind, const TRecord& record, TStep& step);
    void Problem(const QString& description);

    std::deque<TStep> m_steps;
    QList<TRecord> m_log;
    QStringList m_problems;
    bool m_installed = false;
    TUserInteraction* m_previous = nullptr;
};

} // namespace quillary
