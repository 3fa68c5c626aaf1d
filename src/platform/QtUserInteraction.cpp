#include "platform/QtUserInteraction.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace quillary {

namespace {

QMessageBox::StandardButtons ToQt(TMsgButtons buttons) {
    switch (buttons) {
    case TMsgButtons::Ok:
        return QMessageBox::Ok;
    case TMsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesNo:
    case TMsgButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case TMsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TMsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case TMsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

int FromQt(int button) {
    switch (button) {
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Cancel:
        return mrCancel;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    case QMessageBox::Abort:
        return mrAbort;
    case QMessageBox::Retry:
        return mrRetry;
    case QMessageBox::Ignore:
        return mrIgnore;
    default:
        return mrCancel; // closed by the window manager
    }
}

QMessageBox::Icon ToQt(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::None:
        return QMessageBox::NoIcon;
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* ActiveParent() {
    return QApplication::activeWindow();
}

} // namespace

QString QtFileFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description's own "(...)" would repeat the patterns.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            description = description.left(description.lastIndexOf(QLatin1Char('('))).trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            for (const QString& variant :
                 {pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern,
                  pattern.toUpper(), pattern.toLower()})
                if (variant != QLatin1String("*.*") && !patterns.contains(variant))
                    patterns << variant;
        }
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

int TQtUserInteraction::MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                                   TMsgIcon icon) {
    QMessageBox box(ToQt(icon), caption, text, ToQt(buttons), ActiveParent());
    if (buttons == TMsgButtons::YesNoDefaultNo) box.setDefaultButton(QMessageBox::No);
    return FromQt(box.exec());
}

bool TQtUserInteraction::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    bool ok = false;
    const QString typed =
        QInputDialog::getText(ActiveParent(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = typed;
    return ok;
}

QString TQtUserInteraction::OpenFileName(QWidget* parent, const QString& caption,
                                         const QString& filter, const QString& initialPath) {
    return QFileDialog::getOpenFileName(parent ? parent : ActiveParent(), caption, initialPath,
                                        QtFileFilter(filter));
}

QString TQtUserInteraction::SaveFileName(QWidget* parent, const QString& caption,
                                         const QString& filter, const QString& initialPath) {
    return QFileDialog::getSaveFileName(parent ? parent : ActiveParent(), caption, initialPath,
                                        QtFileFilter(filter));
}

int TQtUserInteraction::ShowModal(QDialog* form) {
    if (!form) return mrCancel;
    // accept() ends with 1 (mrOk); reject() and the close box end with 0.
    const int result = form->exec();
    return result == QDialog::Rejected ? mrCancel : result;
}

bool TQtUserInteraction::WaitWithProgress(const QString& text,
                                          const std::function<bool()>& finished) {
    // The windows keep painting; what the user does meanwhile waits, so
    // that nothing starts twice while an attempt that ends quickly runs.
    if (WaitUntil(finished, kProgressDelayMs, QEventLoop::ExcludeUserInputEvents)) return true;
    QProgressDialog dialog(text, QStringLiteral("取消"), 0, 0, ActiveParent());
    dialog.setWindowTitle(QStringLiteral("提示"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    bool cancelled = false;
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { cancelled = true; });
    dialog.show();
    WaitUntil([&] { return cancelled || finished(); }, -1);
    return !cancelled;
}

} // namespace quillary
