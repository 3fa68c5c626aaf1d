#pragma once
// The login dialog: user name and password for a connection attempt.

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace quillary {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QFrame* Bevel1;
    QPushButton* Button1;
    QPushButton* Button2;
    QToolButton* SpeedButton1;
    QPlainTextEdit* label3; // the connection string, shown while the mouse is over "?"

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Shows the login dialog pre-filled with `user` and `password`, with the
// connection string behind its "?" button. Returns true when the user
// cancelled; false when confirmed, with the typed texts in `user` and
// `password`.
bool GetLoginParm(QString& user, QString& password, const QString& connectionString);

} // namespace quillary
