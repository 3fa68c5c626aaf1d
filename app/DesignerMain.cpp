// quillary: opens the designer on a connection string (by default the
// embedded sample database) and prints the statement when the user confirms.
// Without a display, or with --screenshot, the designer is shown offscreen
// and a picture of the window is saved instead.
#include "DesignerMain.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/SampleDatabase.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTextStream>

namespace quillary {

namespace {

// The designer window is shown without a modal loop, photographed and closed.
class TScreenshotUi final : public TUserInteraction {
public:
    explicit TScreenshotUi(const QString& file) : m_file(file) {}
    // Nobody is there to answer: messages go to the terminal, questions get "no".
    int MessageBox(const QString& text, const QString& caption, TMsgButtons buttons,
                   TMsgIcon) override {
        QTextStream(stderr) << caption << ": " << text << Qt::endl;
        return buttons == TMsgButtons::Ok ? mrOk : buttons == TMsgButtons::YesNo ? mrNo : mrCancel;
    }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    int ShowModal(QDialog* form) override {
        auto* designer = qobject_cast<TFrm_Quillary*>(form);
        if (!designer) return mrCancel;
        designer->show();
        QApplication::processEvents();
        // A few tables on the canvas show what the designer is about.
        int x = 10;
        for (const char* table : {"customers", "orders", "order_items"}) {
            const auto found =
                designer->QBTables->findItems(QString::fromLatin1(table), Qt::MatchExactly);
            if (found.isEmpty()) continue;
            designer->QBTables->setCurrentItem(found.first());
            if (QWidget* box = designer->Canvas()->InsertTable(x, 10)) x += box->width() + 40;
        }
        designer->Edit2->setText(QStringLiteral("or"));
        QApplication::processEvents();
        Saved = designer->grab().save(m_file);
        designer->hide();
        return mrCancel;
    }
    bool Saved = false;

private:
    QString m_file;
};

bool HasDisplay() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true; // the user chose
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int PrintCatalogue(const QString& connectionString) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    TADOConnection connection(connectionString);
    connection.SetLoginPrompt(false);
    QStringList names;
    try {
        connection.Open();
        connection.GetTableNames(names, false);
    } catch (const EDatabaseError& e) {
        err << "quillary: " << e.Message() << Qt::endl;
        return 1;
    }
    names.sort(Qt::CaseInsensitive);
    out << "Data source: " << connection.PropertyValue(QStringLiteral("Data Source")) << " ("
        << connection.Provider() << ")\n"
        << names.size() << " tables and views\n";
    TADOQuery query;
    query.SetConnection(&connection);
    for (const QString& name : names) {
        out << "\n" << name << "\n";
        query.SQL() =
            QStringList{QStringLiteral("select * from ") + name + QStringLiteral(" where 1=0")};
        try {
            query.Open();
            const TFieldDefs& defs = query.FieldDefs();
            for (int i = 0; i < defs.Count(); ++i)
                out << "  " << defs[i].Name.leftJustified(24) << ' '
                    << FieldTypeName(defs[i].DataType) << "\n";
            query.Close();
        } catch (const EDatabaseError& e) {
            out << "  (" << e.Message() << ")\n";
        }
    }
    out.flush();
    return 0;
}

} // namespace

int RunDesigner(int argc, char* argv[]) {
    // Decided before the application exists: without a display, offscreen.
    QString screenshot;
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--screenshot" ||
            QByteArray(argv[i]).startsWith("--screenshot="))
            headless = true;
    if (!HasDisplay()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        headless = true;
    } else if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillary"));
    QApplication::setOrganizationName(QStringLiteral("Quillary"));
    QApplication::setFont(DesignerFont());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillary visual SQL query designer"));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("connection"),
        QStringLiteral("Connection string, e.g. \"Provider=SQLite;Data Source=shop.db\" "
                       "(default: the sample database)."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Show the designer offscreen and save a picture of it."),
        QStringLiteral("file.png"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("Print the tables and views with their columns and exit."));
    parser.addOption(screenshotOption);
    parser.addOption(listOption);
    parser.addOption(QCommandLineOption(QStringLiteral("grid-demo"),
                                        QStringLiteral("Show the property grid demo.")));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QString connectionString = parser.positionalArguments().join(QLatin1Char(' '));
    if (connectionString.isEmpty()) {
        const QString path = DefaultSampleDatabasePath();
        QString error;
        if (!EnsureSampleDatabase(path, &error)) {
            err << "quillary: cannot build the sample database " << path << ": " << error
                << Qt::endl;
            return 1;
        }
        connectionString = SqliteConnectionString(path);
    }
    if (parser.isSet(listOption)) return PrintCatalogue(connectionString);

    TQuillaryDialog dialog;
    dialog.IsAllowChangeCSN = true;
    dialog.IsAllowUnion = true;
    dialog.SetConnectionString(connectionString);

    if (headless) {
        screenshot = parser.value(screenshotOption);
        if (screenshot.isEmpty())
            screenshot = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                             .filePath(QStringLiteral("Quillary/designer.png"));
        QDir().mkpath(QFileInfo(screenshot).absolutePath());
        dialog.Form_Width = 900;
        dialog.Form_Height = 640;
        TScreenshotUi ui(QFileInfo(screenshot).absoluteFilePath());
        TUserInteraction* previous = SetUi(&ui);
        dialog.Execute();
        SetUi(previous);
        if (!ui.Saved) {
            err << "quillary: could not save the picture " << screenshot << Qt::endl;
            return 1;
        }
        if (!parser.isSet(screenshotOption))
            out << "No display found: the designer was shown offscreen on " << connectionString
                << Qt::endl;
        out << "Picture of the designer window saved to "
            << QFileInfo(screenshot).absoluteFilePath() << Qt::endl;
        return 0;
    }

    if (dialog.Execute()) out << dialog.SQL << Qt::endl;
    return 0;
}

} // namespace quillary
