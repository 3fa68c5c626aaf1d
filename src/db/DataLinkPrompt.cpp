#include "db/DataLinkPrompt.h"
#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/OdbcDataSources.h"
#include "db/Providers.h"
#include "platform/UserInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillary {

namespace {

constexpr int kDefaultPostgresPort = 5432;
constexpr int kDefaultMySqlPort = 3306;
const char kCaption[] = "数据链接属性";

enum TPage { SqlitePage, OdbcPage, ServerPage };
// The providers offered by name, in ProviderBox's order; an unknown provider
// of the initial string is added after them.
enum TKnownProvider { SqliteItem, OdbcItem, PostgresItem, MySqlItem };
constexpr int kKnownProviders = 4;
// Item data of ProviderBox: the page that edits the provider's string.
constexpr int kPageRole = Qt::UserRole + 1;

// Keys the dialog edits itself; everything else of the initial string is kept.
const char* const kOwnKeys[] = {"Provider",
                                "Persist Security Info",
                                "User ID",
                                "UID",
                                "User",
                                "Password",
                                "PWD",
                                "Data Source",
                                "DSN",
                                "Server",
                                "Host",
                                "Port",
                                "Initial Catalog",
                                "Database"};

bool IsTrue(const QString& value) {
    return value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

TDataLinkDialog::TDataLinkDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DataLinkDialog"));
    setWindowTitle(QString::fromUtf8(kCaption));

    ProviderBox = new QComboBox(this);
    ProviderBox->setObjectName(QStringLiteral("ProviderBox"));
    ProviderBox->addItem(QStringLiteral("SQLite 数据库文件"), QStringLiteral("SQLite"));
    ProviderBox->addItem(QStringLiteral("ODBC 数据源"), QStringLiteral("MSDASQL.1"));
    ProviderBox->addItem(QStringLiteral("PostgreSQL 服务器"), QStringLiteral("PostgreSQL"));
    ProviderBox->addItem(QStringLiteral("MySQL / MariaDB 服务器"), QStringLiteral("MySQL"));
    ProviderBox->setItemData(SqliteItem, SqlitePage, kPageRole);
    ProviderBox->setItemData(OdbcItem, OdbcPage, kPageRole);
    ProviderBox->setItemData(PostgresItem, ServerPage, kPageRole);
    ProviderBox->setItemData(MySqlItem, ServerPage, kPageRole);

    m_pages = new QStackedWidget(this);

    auto* sqlitePage = new QWidget;
    auto* sqliteForm = new QFormLayout(sqlitePage);
    FileEdit = new QLineEdit;
    FileEdit->setObjectName(QStringLiteral("FileEdit"));
    BrowseButton = new QPushButton(QStringLiteral("浏览..."));
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileEdit, 1);
    fileRow->addWidget(BrowseButton);
    sqliteForm->addRow(QStringLiteral("数据库文件:"), fileRow);
    m_pages->addWidget(sqlitePage);

    auto* odbcPage = new QWidget;
    auto* odbcForm = new QFormLayout(odbcPage);
    DsnBox = new QComboBox;
    DsnBox->setObjectName(QStringLiteral("DsnBox"));
    DsnBox->setEditable(true);
    DsnBox->addItems(OdbcDataSourceNames());
    odbcForm->addRow(QStringLiteral("数据源名称(DSN):"), DsnBox);
    m_pages->addWidget(odbcPage);

    auto* pgPage = new QWidget;
    auto* pgForm = new QFormLayout(pgPage);
    HostEdit = new QLineEdit(QStringLiteral("localhost"));
    HostEdit->setObjectName(QStringLiteral("HostEdit"));
    PortSpin = new QSpinBox;
    PortSpin->setObjectName(QStringLiteral("PortSpin"));
    PortSpin->setRange(1, 65535);
    PortSpin->setValue(kDefaultPostgresPort);
    DatabaseEdit = new QLineEdit;
    DatabaseEdit->setObjectName(QStringLiteral("DatabaseEdit"));
    pgForm->addRow(QStringLiteral("服务器:"), HostEdit);
    pgForm->addRow(QStringLiteral("端口:"), PortSpin);
    pgForm->addRow(QStringLiteral("数据库:"), DatabaseEdit);
    m_pages->addWidget(pgPage);

    UserEdit = new QLineEdit;
    UserEdit->setObjectName(QStringLiteral("UserEdit"));
    PasswordEdit = new QLineEdit;
    PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    PasswordEdit->setEchoMode(QLineEdit::Password);
    PersistCheck = new QCheckBox(QStringLiteral("允许保存密码"));
    PersistCheck->setObjectName(QStringLiteral("PersistCheck"));
    auto* loginForm = new QFormLayout;
    loginForm->addRow(QStringLiteral("用户名:"), UserEdit);
    loginForm->addRow(QStringLiteral("密码:"), PasswordEdit);
    loginForm->addRow(QString(), PersistCheck);

    TestButton = new QPushButton(QStringLiteral("测试连接"));
    TestButton->setObjectName(QStringLiteral("TestButton"));
    auto* buttons = new QDialogButtonBox;
    OkButton = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    CancelButton = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    OkButton->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(TestButton);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto* providerForm = new QFormLayout;
    providerForm->addRow(QStringLiteral("提供程序:"), ProviderBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(providerForm);
    layout->addWidget(m_pages);
    layout->addLayout(loginForm);
    layout->addStretch(1);
    layout->addLayout(bottom);
    resize(460, sizeHint().height());

    connect(ProviderBox, &QComboBox::currentIndexChanged, this, &TDataLinkDialog::ProviderChanged);
    connect(BrowseButton, &QPushButton::clicked, this, &TDataLinkDialog::Browse);
    connect(TestButton, &QPushButton::clicked, this, [this] { TestConnection(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ProviderChanged();
}

void TDataLinkDialog::ProviderChanged() {
    const int page = ProviderBox->currentData(kPageRole).toInt();
    m_pages->setCurrentIndex(page);
    // The other server's usual port becomes this one's.
    const int item = ProviderBox->currentIndex();
    if (item == MySqlItem && PortSpin->value() == kDefaultPostgresPort)
        PortSpin->setValue(kDefaultMySqlPort);
    if (item == PostgresItem && PortSpin->value() == kDefaultMySqlPort)
        PortSpin->setValue(kDefaultPostgresPort);
    // A SQLite file has no login.
    const bool login = page != SqlitePage;
    UserEdit->setEnabled(login);
    PasswordEdit->setEnabled(login);
    PersistCheck->setEnabled(login);
}

void TDataLinkDialog::Browse() {
    const QString file = Ui().OpenFileName(
        this, QStringLiteral("选择数据库文件"),
        QStringLiteral("SQLite 数据库 (*.db *.sqlite *.sqlite3 *.db3);;所有文件 (*)"),
        FileEdit->text());
    if (!file.isEmpty()) FileEdit->setText(file);
}

TDataLinkDialog::TShown TDataLinkDialog::Shown() const {
    return {ProviderBox->currentIndex(), FileEdit->text(), DsnBox->currentText(), HostEdit->text(),
            DatabaseEdit->text(),        UserEdit->text(), PasswordEdit->text(),  PortSpin->value(),
            PersistCheck->isChecked()};
}

void TDataLinkDialog::SetConnectionString(const QString& connectionString) {
    m_initial = connectionString;
    // A provider the dialog does not know stays selectable under its own name.
    while (ProviderBox->count() > kKnownProviders)
        ProviderBox->removeItem(ProviderBox->count() - 1);
    TConnectionString cs;
    if (TConnectionString::TryParse(connectionString, cs)) {
        const QString provider = cs.Value("Provider");
        switch (provider::KindOf(provider)) {
        case TProviderKind::SQLite:
            ProviderBox->setCurrentIndex(SqliteItem);
            FileEdit->setText(cs.Value({"Data Source", "Database"}));
            break;
        case TProviderKind::PostgreSQL:
        case TProviderKind::MySql:
            ProviderBox->setCurrentIndex(
                provider::KindOf(provider) == TProviderKind::MySql ? MySqlItem : PostgresItem);
            HostEdit->setText(cs.Value({"Data Source", "Server", "Host"}));
            if (const int port = cs.Value("Port").toInt(); port > 0 && port <= 65535)
                PortSpin->setValue(port);
            DatabaseEdit->setText(cs.Value({"Initial Catalog", "Database"}));
            break;
        case TProviderKind::Unknown:
            ProviderBox->addItem(provider + QStringLiteral(" (其他提供程序)"), provider);
            ProviderBox->setItemData(ProviderBox->count() - 1, int(OdbcPage), kPageRole);
            ProviderBox->setCurrentIndex(ProviderBox->count() - 1);
            DsnBox->setCurrentText(cs.Value({"Data Source", "DSN"}));
            break;
        case TProviderKind::Odbc:
            ProviderBox->setCurrentIndex(OdbcItem);
            DsnBox->setCurrentText(cs.Value({"Data Source", "DSN"}));
            break;
        }
        UserEdit->setText(cs.Value({"User ID", "UID", "User"}));
        PasswordEdit->setText(cs.Value({"Password", "PWD"}));
        PersistCheck->setChecked(IsTrue(cs.Value("Persist Security Info")));
    }
    m_initialShown = Shown();
}

QString TDataLinkDialog::ConnectionString() const {
    const TShown now = Shown();
    // Nothing changed: the string comes back exactly as it came in, so that
    // the designer sees the same data source.
    if (now == m_initialShown) return m_initial;

    TConnectionString cs;
    const bool parsed = TConnectionString::TryParse(m_initial, cs);
    const int page = ProviderBox->currentData(kPageRole).toInt();
    // Changes go into the key the string already spells, else the usual one.
    auto put = [&](std::initializer_list<const char*> synonyms, const QString& value) {
        for (const char* key : synonyms)
            if (cs.Contains(QString::fromLatin1(key))) {
                cs.Set(QString::fromLatin1(key), value);
                return;
            }
        cs.Set(QString::fromLatin1(*synonyms.begin()), value);
    };
    const bool providerChanged = !parsed || now.Provider != m_initialShown.Provider;
    if (providerChanged) {
        // Another provider: the keys this dialog edits start afresh.
        for (const char* key : kOwnKeys)
            cs.Remove(QString::fromLatin1(key));
        TConnectionString fresh;
        fresh.Set(QStringLiteral("Provider"), ProviderBox->currentData().toString());
        for (const auto& [key, value] : cs.Items())
            fresh.Set(key, value);
        cs = fresh;
    }
    auto changed = [&](auto member) {
        return providerChanged || now.*member != m_initialShown.*member;
    };

    if (page == SqlitePage) {
        // A file has no login: stored, so that connecting asks nothing.
        if (providerChanged || !cs.Contains(QStringLiteral("Persist Security Info")))
            cs.Set(QStringLiteral("Persist Security Info"), QStringLiteral("True"));
        if (changed(&TShown::File)) put({"Data Source", "Database"}, now.File.trimmed());
        return cs.ToString();
    }
    if (changed(&TShown::Persist) || changed(&TShown::Password))
        put({"Persist Security Info"},
            now.Persist ? QStringLiteral("True") : QStringLiteral("False"));
    if (changed(&TShown::User)) {
        if (now.User.isEmpty())
            for (const char* key : {"User ID", "UID", "User"})
                cs.Remove(QString::fromLatin1(key));
        else
            put({"User ID", "UID", "User"}, now.User);
    }
    if (changed(&TShown::Persist) || changed(&TShown::Password)) {
        // The password stays in the string only when the user allows it.
        for (const char* key : {"Password", "PWD"})
            cs.Remove(QString::fromLatin1(key));
        if (now.Persist) cs.Set(QStringLiteral("Password"), now.Password);
    }
    if (page == OdbcPage) {
        if (changed(&TShown::Dsn)) {
            cs.Remove(QStringLiteral("DSN"));
            cs.Set(QStringLiteral("Data Source"), now.Dsn.trimmed());
        }
    } else {
        if (changed(&TShown::Host)) put({"Data Source", "Server", "Host"}, now.Host.trimmed());
        if (changed(&TShown::Port)) cs.Set(QStringLiteral("Port"), QString::number(now.Port));
        if (changed(&TShown::Database)) {
            if (now.Database.trimmed().isEmpty())
                for (const char* key : {"Initial Catalog", "Database"})
                    cs.Remove(QString::fromLatin1(key));
            else
                put({"Initial Catalog", "Database"}, now.Database.trimmed());
        }
    }
    return cs.ToString();
}

bool TDataLinkDialog::TestConnection() {
    TADOConnection connection(ConnectionString());
    connection.SetLoginPrompt(false);
    // The password is tested even when it will not be kept in the string.
    const QString typedPassword = PasswordEdit->text();
    connection.OnWillConnect = [&](TADOConnection*, const QString&, QString&, QString& password,
                                   int&, TEventStatus&) {
        if (password.isEmpty()) password = typedPassword;
    };
    // The dialog stays responsive while a server is tried.
    bool cancelled = false;
    connection.OnConnectWait = [&](const std::function<bool()>& finished) {
        cancelled = !Ui().WaitWithProgress(QStringLiteral("正在连接数据源…"), finished);
        return !cancelled;
    };
    try {
        connection.Open();
    } catch (const EDatabaseError& e) {
        if (cancelled) return false; // the user gave up: no news for them
        Ui().MessageBox(QStringLiteral("测试连接失败:\n") + e.Message(),
                        QString::fromUtf8(kCaption), TMsgButtons::Ok, TMsgIcon::Warning);
        return false;
    }
    connection.Close();
    Ui().MessageBox(QStringLiteral("测试连接成功。"), QString::fromUtf8(kCaption), TMsgButtons::Ok,
                    TMsgIcon::Information);
    return true;
}

QString PromptDataSource(QWidget* parent, const QString& initial) {
    TDataLinkDialog dialog(parent);
    dialog.SetConnectionString(initial);
    if (Ui().ShowModal(&dialog) != mrOk) return initial;
    return dialog.ConnectionString();
}

} // namespace quillary
