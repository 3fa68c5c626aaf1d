#pragma once
// The data-link prompt: a dialog that builds a connection string for the
// providers we open (SQLite file, ODBC data source, PostgreSQL or MySQL
// server), with a button that tests the connection. The only widget code of this layer.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace quillary {

class TDataLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDataLinkDialog(QWidget* parent = nullptr);

    // Fills the fields from a string; keys the dialog does not show are kept.
    void SetConnectionString(const QString& connectionString);
    QString ConnectionString() const;

    // Tries the connection and tells the user the outcome. True on success.
    bool TestConnection();

    QComboBox* ProviderBox;
    QLineEdit* FileEdit;
    QPushButton* BrowseButton;
    QComboBox* DsnBox;
    QLineEdit* HostEdit;
    QSpinBox* PortSpin;
    QLineEdit* DatabaseEdit;
    QLineEdit* UserEdit;
    QLineEdit* PasswordEdit;
    QCheckBox* PersistCheck;
    QPushButton* TestButton;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    // What the fields show, to tell which of them the user changed.
    struct TShown {
        int Provider = -1;
        QString File, Dsn, Host, Database, User, Password;
        int Port = 0;
        bool Persist = false;
        bool operator==(const TShown&) const = default;
    };
    TShown Shown() const;
    void ProviderChanged();
    void Browse();
    QString m_initial;
    TShown m_initialShown;
    QStackedWidget* m_pages;
};

// Shows the dialog pre-filled with `initial`; returns the string built, or
// `initial` unchanged when the user cancels.
QString PromptDataSource(QWidget* parent, const QString& initial);

} // namespace quillary
