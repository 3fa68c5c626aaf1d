#pragma once
// The paste dialog of the page grids' menu: picks an SQL function name of the
// data source, or a column of the tables on the canvas, for the cell being
// edited. Also the reverse text search that the table boxes use.

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace quillary {

class TADOConnection;

// The choice of the last paste dialog; cleared before every dialog is shown,
// so a dialog closed without a choice leaves it empty.
extern QString returnvalue;

// The entry of the table selector that stands for all tables.
inline constexpr char kAllTables[] = "所有表";

class TFrm_Paste : public QDialog {
    Q_OBJECT
public:
    explicit TFrm_Paste(QWidget* parent = nullptr);
    ~TFrm_Paste() override;

    // "粘贴" and the double click on the list: takes the selected entry.
    void Button1Click();
    // "取消": no choice.
    void Button2Click();
    // Shows the columns of the table chosen in ComboBox1, or all of them.
    void ComboBox1Change();

    // The prefix of the columns of a ComboBox1 entry: the alias of
    // "name(alias)", else the whole entry.
    static QString TablePrefix(const QString& entry);

    // Column mode shows the table selector; function mode hides it.
    void SetColumnMode(bool columns);
    bool ColumnMode() const;

    // Every column entry handed to the dialog (prefix + "." + column).
    QStringList& ColumnStore() { return m_columnStore; }

    QFrame* Panel1;
    QFrame* Panel2;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QListWidget* ListBox1;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList m_columnStore;
};

// The function names offered for a kind of data source (empty for kinds
// without a list of their own).
QStringList FunctionNames(int kind);
// The functions the database behind `connection` names itself (SQLite and
// PostgreSQL, also through ODBC), sorted and without duplicates; empty when
// it cannot list them.
QStringList DatabaseFunctionNames(TADOConnection* connection);

// Shows the dialog with the functions of `kind` and returns the chosen name,
// or an empty text. Kind 99 (other data sources) offers what
// DatabaseFunctionNames(connection) finds.
QString PasteFunction(int kind, TADOConnection* connection = nullptr);
// Shows the dialog with `columns` (prefix + "." + column) and the table
// selector filled from `tables` ("name" or "name(alias)"); returns the chosen
// column, or an empty text. A blank first entry of `columns`, kept by the
// caller for its own drop-down, is left out while the dialog runs and is
// there again afterwards.
QString PasteColumn(QStringList& columns, const QStringList& tables);

// 1-based position of the last occurrence of `sub` in `s` that begins at or
// before length(s) - length(sub); 0 when there is none. An occurrence that
// ends with the last character of `s` is not found.
int ReversePos(const QString& sub, const QString& s);

} // namespace quillary
