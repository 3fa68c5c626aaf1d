#pragma once
// The one door through which the system talks to the user modally: message
// boxes, input boxes, file dialogs and modal forms. Production installs the Qt
// implementation; tests install a scripted one and play the user.

#include <QEventLoop>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace quillary {

// Modal results, with the values of the platform's dialog results.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

enum class TMsgButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    RetryCancel,
    AbortRetryIgnore,
    YesNoDefaultNo, // Yes and No, with No as the default (Enter) button
};
enum class TMsgIcon { None, Information, Warning, Error, Question };

// How long something may take before a progress dialog shows that it runs.
inline constexpr int kProgressDelayMs = 500;

class TUserInteraction {
public:
    virtual ~TUserInteraction() = default;

    // Returns the button the user chose as a TModalResult.
    virtual int MessageBox(const QString& text, const QString& caption,
                           TMsgButtons buttons = TMsgButtons::Ok,
                           TMsgIcon icon = TMsgIcon::None) = 0;

    // Asks for one line of text. Returns false when the user cancelled; `value`
    // holds the default on entry and the typed text after OK.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;

    // Returns the chosen file, or an empty text when the user cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter,
                                 const QString& initialPath) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                 const QString& initialPath) = 0;

    // Runs a form modally and returns its modal result. The form stays owned by
    // the caller.
    virtual int ShowModal(QDialog* form) = 0;

    // Waits, with the event loop running, until `finished` says the work
    // done elsewhere (another thread) is over. When that takes more than
    // kProgressDelayMs a progress dialog shows `text` with a "取消" button.
    // True when the work finished; false when the user pressed 取消 (the
    // work is then left to end on its own). This default shows nothing and
    // always waits.
    virtual bool WaitWithProgress(const QString& text, const std::function<bool()>& finished);

    // Input box: the typed text, or `defaultValue` when the user cancelled.
    QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue);

protected:
    // Runs the event loop (with `flags`) until `finished` says so, or for
    // `timeoutMs` at most when that is not negative; true when finished.
    static bool WaitUntil(const std::function<bool()>& finished, int timeoutMs,
                          QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
};

// The service in use. Defaults to the Qt implementation.
TUserInteraction& Ui();
// Installs another service (not owned); nullptr restores the Qt implementation.
// Returns the previously installed one (nullptr when it was the default).
TUserInteraction* SetUi(TUserInteraction* service);

} // namespace quillary
