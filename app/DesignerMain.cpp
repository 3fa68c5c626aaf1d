// quillary: opens the designer on a connection string (by default the
// embedded sample database) and prints the statement when the user confirms.
// Without a display, or with --screenshot, the designer is shown offscreen
// and a picture of the window is saved instead.
#include "DesignerMain.h"
#include "Unattended.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "db/SampleDatabase.h"
#include "designer/DesignerFont.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "designer/SqlCheck.h"
#include "platform/TextFile.h"
#include "platform/UserInteraction.h"
#include "sqltext/SqlStatements.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>
#include <memory>
#include <unistd.h>

namespace quillary {

namespace {

// The designer window is shown without a modal loop, photographed and closed.
class TScreenshotUi final : public TUnattendedUi {
public:
    explicit TScreenshotUi(const QString& file) : m_file(file) {}
    int ShowModal(QDialog* form) override {
        auto* designer = qobject_cast<TFrm_Quillary*>(form);
        if (!designer) return mrCancel;
        designer->show();
        QApplication::processEvents();
        PlaceDemoTables(*designer);
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

// Columns a terminal gives `text`: East Asian wide characters take two.
int DisplayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

QString PadToWidth(const QString& text, int width) {
    return text + QString(std::max(0, width - DisplayWidth(text)), QLatin1Char(' '));
}

bool IsFileDatabase(const QString& connectionString) {
    return TADOConnection(connectionString).ProviderKind() == TProviderKind::SQLite;
}

// A file database has no user or password: a string given without the key
// gets the login stored, so that the designer connects without asking.
QString WithStoredLogin(QString connectionString) {
    if (!IsFileDatabase(connectionString) ||
        !ConnectionProperty(connectionString, QStringLiteral("PERSIST SECURITY INFO")).isEmpty())
        return connectionString;
    if (!connectionString.trimmed().endsWith(QLatin1Char(';')))
        connectionString += QLatin1Char(';');
    return connectionString + QStringLiteral("Persist Security Info=True");
}

// Opens `connectionString` without anybody to ask: a source that would need
// a login is refused with a word on what to do. False after the reason went
// to standard error.
bool ConnectUnattended(TADOConnection& connection, const QString& connectionString) {
    QTextStream err(stderr);
    TConnectionString parsed;
    QString error;
    if (!TConnectionString::TryParse(connectionString, parsed, &error)) {
        err << "quillary: " << error << Qt::endl;
        return false;
    }
    connection.SetLoginPrompt(false);
    connection.SetConnectionString(connectionString);
    // A database server asks for a login; ODBC drivers such as SQLite's
    // need none and are tried, and a provider that cannot be opened here
    // is named by the attempt.
    if ((connection.ProviderKind() == TProviderKind::PostgreSQL ||
         connection.ProviderKind() == TProviderKind::MySql) &&
        !TQuillaryDialog::PersistsSecurityInfo(connectionString) &&
        parsed.Value({"Password", "PWD"}).isEmpty()) {
        err << "quillary: " << connection.Provider()
            << " 数据源需要用户名和口令，而这里没有人可以回答；请在连接字符串中写上"
               "“Persist Security Info=True;User ID=...;Password=...”"
            << Qt::endl;
        return false;
    }
    try {
        connection.Open();
        return true;
    } catch (const EDatabaseError& e) {
        err << "quillary: " << e.Message() << Qt::endl;
        return false;
    }
}

int PrintCatalogue(const QString& connectionString) {
    QTextStream out(stdout);
    TADOConnection connection;
    if (!ConnectUnattended(connection, connectionString)) return 1;
    QStringList names;
    try {
        connection.GetTableNames(names, false);
    } catch (const EDatabaseError& e) {
        QTextStream(stderr) << "quillary: " << e.Message() << Qt::endl;
        return 1;
    }
    names.sort(Qt::CaseInsensitive);
    out << "Data source: " << connection.PropertyValue(QStringLiteral("Data Source")) << " ("
        << connection.Provider() << ")\n"
        << names.size() << " tables and views\n";
    QString text;
    for (const dialect::TCatalogueTable& table : dialect::ReadColumns(&connection, names)) {
        text += QLatin1Char('\n') + table.Name + QLatin1Char('\n');
        if (!table.Error.isEmpty())
            text += QStringLiteral("  (") + table.Error + QStringLiteral(")\n");
        for (const dialect::TCatalogueColumn& column : table.Columns)
            text += QStringLiteral("  ") + PadToWidth(column.Name, 24) + QLatin1Char(' ') +
                    FieldTypeName(column.Type) + QLatin1Char('\n');
    }
    out << text;
    out.flush();
    return 0;
}

// Exit codes of --check-sql: every statement gave the same rows; some did
// not; nothing was checked (no file, an unreadable one, no statement in it,
// or no connection).
constexpr int kAllSame = 0, kNotAllSame = 1, kNotChecked = 2;

// The first line of `text`, shortened for a report line.
QString Short(const QString& text) {
    constexpr qsizetype kMax = 100;
    QString line = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (line.size() > kMax) line = line.left(kMax) + QStringLiteral("…");
    return line;
}

int CheckSqlFile(const QString& path, const QString& connectionString) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString text, error;
    if (!ReadTextFile(path, text, &error)) {
        err << "quillary: " << error << Qt::endl;
        return kNotChecked;
    }
    TADOConnection connection;
    if (!ConnectUnattended(connection, connectionString)) return kNotChecked;
    const QList<TSqlStatement> statements =
        SplitStatements(text, connection.Dialect().Readings().front());
    if (statements.isEmpty()) {
        err << "quillary: 文件“" << path << "”中没有SQL语句" << Qt::endl;
        return kNotChecked;
    }
    int counts[5] = {};
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const TSqlStatement& s = statements[i];
        const TStatementCheck check =
            CheckStatement(&connection, text.mid(s.Start, s.End - s.Start));
        ++counts[int(check.Outcome)];
        const qsizetype line = text.left(s.Start).count(QLatin1Char('\n')) + 1;
        QString report = QStringLiteral("第%1条（第%2行）：%3")
                             .arg(i + 1)
                             .arg(line)
                             .arg(OutcomeName(check.Outcome));
        if (check.Outcome != TCheckOutcome::SameRows && !check.Reason.isEmpty())
            report += QStringLiteral("：") + Short(check.Reason);
        out << report << Qt::endl;
    }
    out << QStringLiteral("共%1条语句：行相同%2条，行不同%3条，未能承载%4条，拒绝%5条")
               .arg(statements.size())
               .arg(counts[int(TCheckOutcome::SameRows)])
               .arg(counts[int(TCheckOutcome::DifferentRows)])
               .arg(counts[int(TCheckOutcome::NotCarried)])
               .arg(counts[int(TCheckOutcome::Refused)])
        << (counts[int(TCheckOutcome::Unsettled)] > 0
                ? QStringLiteral("，结果不定%1条").arg(counts[int(TCheckOutcome::Unsettled)])
                : QString())
        << Qt::endl;
    return counts[int(TCheckOutcome::SameRows)] == statements.size() ? kAllSame : kNotAllSame;
}

// The offscreen platform's notes on what it cannot do are no news to the user.
void QuietPlatformMessages(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type != QtFatalMsg &&
        (message.startsWith(QLatin1String("This plugin does not support")) ||
         QByteArray(context.category ? context.category : "").startsWith("qt.qpa")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << Qt::endl;
    if (type == QtFatalMsg) abort();
}

bool HasArgument(int argc, char* argv[], const std::function<bool(const QByteArray&)>& matches) {
    for (int i = 1; i < argc; ++i)
        if (matches(QByteArray(argv[i]))) return true;
    return false;
}

// Decided before the application exists: without a display, or for a
// picture, the offscreen platform; a private run-time folder when none is
// set (Qt warns otherwise). True when the run is headless.
bool PrepareEnvironment(int argc, char* argv[]) {
    bool headless = HasArgument(argc, argv, [](const QByteArray& a) {
        return a == "--screenshot" || a.startsWith("--screenshot=");
    });
    if (!HasDisplay()) headless = true;
    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/quillary-runtime-") +
                                QString::number(quint64(getuid()));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    if (headless) qInstallMessageHandler(QuietPlatformMessages);
    return headless;
}

// The options of the program on a parser.
struct TCommandLine {
    QCommandLineParser Parser;
    const QCommandLineOption Screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Show the designer offscreen and save a picture of it."),
        QStringLiteral("file.png")};
    const QCommandLineOption List{
        QStringLiteral("list"),
        QStringLiteral("Print the tables and views with their columns and exit.")};
    const QCommandLineOption Check{
        QStringLiteral("check-sql"),
        QStringLiteral("Rebuild a design from each statement of the file, run both statements "
                       "and tell whether they return the same rows."),
        QStringLiteral("file.sql")};

    TCommandLine() {
        Parser.setApplicationDescription(QStringLiteral("Quillary visual SQL query designer"));
        Parser.addHelpOption();
        Parser.addVersionOption();
        Parser.addPositionalArgument(
            QStringLiteral("connection"),
            QStringLiteral("Connection string, e.g. \"Provider=SQLite;Data Source=shop.db\" "
                           "(default: the sample database)."));
        Parser.addOption(Screenshot);
        Parser.addOption(List);
        Parser.addOption(Check);
        Parser.addOption(QCommandLineOption(QStringLiteral("grid-demo"),
                                            QStringLiteral("Show the property grid demo.")));
    }
};

// The connection string of the command line, else the sample database's
// (made on first use); empty after the reason when that cannot be made.
// A string that opens a file database gets its login stored.
QString ChosenConnectionString(const QCommandLineParser& parser) {
    QString connectionString = parser.positionalArguments().join(QLatin1Char(' '));
    if (connectionString.isEmpty()) {
        const QString path = DefaultSampleDatabasePath();
        QString error;
        if (!EnsureSampleDatabase(path, &error)) {
            QTextStream(stderr) << "quillary: 无法建立示例数据库“" << path << "”：" << error
                                << Qt::endl;
            return QString();
        }
        connectionString = SqliteConnectionString(path);
    }
    return WithStoredLogin(connectionString);
}

// Nobody can answer a login or read a message box: a data source that
// cannot be opened unattended ends the run with the reason. The open
// connection `unattended` then serves the designer, so that it asks
// nothing, and the designer is photographed into `screenshot`, a place of
// its own when the user named none (`asked`).
int ShowOffscreen(TQuillaryDialog& dialog, TADOConnection& unattended,
                  const QString& connectionString, QString screenshot, bool asked) {
    if (!ConnectUnattended(unattended, connectionString)) return 1;
    dialog.SetConnection(&unattended);
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
        QTextStream(stderr) << "quillary: 无法保存设计器窗口的图片“" << screenshot << "”"
                            << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    if (!asked)
        out << "No display found: the designer was shown offscreen on "
            << TConnectionString::Masked(connectionString) << Qt::endl;
    out << "Picture of the designer window saved to " << QFileInfo(screenshot).absoluteFilePath()
        << Qt::endl;
    return 0;
}

} // namespace

int RunDesigner(int argc, char* argv[]) {
    const bool headless = PrepareEnvironment(argc, argv);

    // A listing and a check need no windows: they start without the GUI.
    const bool checking =
        HasArgument(argc, argv, [](const QByteArray& a) { return a.startsWith("--check-sql"); });
    const bool listing = checking || HasArgument(argc, argv, [](const QByteArray& a) {
                             return a == "--list" || a == "--version" || a == "-v";
                         });
    std::unique_ptr<QCoreApplication> application;
    if (listing)
        application = std::make_unique<QCoreApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillary"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quillary"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLARY_VERSION));
    if (!listing) QApplication::setFont(DesignerFont());

    TCommandLine commandLine;
    QCommandLineParser& parser = commandLine.Parser;
    // A check tells a wrong call from statements that did not survive.
    if (checking) {
        const bool parsed = parser.parse(QCoreApplication::arguments());
        if (!parsed || parser.value(commandLine.Check).isEmpty()) {
            QTextStream err(stderr);
            err << "quillary: 用法：quillary --check-sql 文件.sql [\"连接字符串\"]";
            if (!parsed) err << "（" << parser.errorText() << "）";
            err << Qt::endl;
            return kNotChecked;
        }
    }
    parser.process(*application);
    const QString connectionString = ChosenConnectionString(parser);
    if (connectionString.isEmpty()) return checking ? kNotChecked : 1;
    if (parser.isSet(commandLine.Check))
        return CheckSqlFile(parser.value(commandLine.Check), connectionString);
    if (parser.isSet(commandLine.List)) return PrintCatalogue(connectionString);

    TADOConnection unattended; // outlives the dialog that may use it
    TQuillaryDialog dialog;
    dialog.IsAllowChangeCSN = true;
    dialog.IsAllowUnion = true;
    // The program's own comforts: joins from foreign keys, boxes laid out
    // along their links, the table list filtered by the search text, the
    // database's own functions to paste.
    dialog.IsAutoLink = true;
    dialog.IsAutoArrange = true;
    dialog.IsFilterTables = true;
    dialog.IsDatabaseFunctions = true;
    dialog.IsDesignCommands = true;
    // A window of today's screens, so that an arranged design shows large.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize() * 9 / 10;
        dialog.Form_Width = std::clamp(room.width(), dialog.Form_Width, 1200);
        dialog.Form_Height = std::clamp(room.height(), dialog.Form_Height, 820);
    }
    dialog.SetConnectionString(connectionString);
    if (headless)
        return ShowOffscreen(dialog, unattended, connectionString,
                             parser.value(commandLine.Screenshot),
                             parser.isSet(commandLine.Screenshot));
    if (dialog.Execute()) QTextStream(stdout) << dialog.SQL << Qt::endl;
    return 0;
}

} // namespace quillary
