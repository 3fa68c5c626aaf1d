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
const char kCaption[] = "数据链接属性";

enum TPage { SqlitePage, OdbcPage, PostgresPage };

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
    const int page = std::max(0, ProviderBox->currentIndex());
    m_pages->setCurrentIndex(page);
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

void TDataLinkDialog::SetConnectionString(const QString& connectionString) {
    m_initial = connectionString;
    TConnectionString cs;
    if (!TConnectionString::TryParse(connectionString, cs)) return;
    switch (provider::KindOf(cs.Value("Provider"))) {
    case TProviderKind::SQLite:
        ProviderBox->setCurrentIndex(SqlitePage);
        FileEdit->setText(cs.Value({"Data Source", "Database"}));
        break;
    case TProviderKind::PostgreSQL:
        ProviderBox->setCurrentIndex(PostgresPage);
        HostEdit->setText(cs.Value({"Data Source", "Server", "Host"}));
        if (const int port = cs.Value("Port").toInt(); port > 0 && port <= 65535)
            PortSpin->setValue(port);
        DatabaseEdit->setText(cs.Value({"Initial Catalog", "Database"}));
        break;
    case TProviderKind::Odbc:
    case TProviderKind::Unknown:
        ProviderBox->setCurrentIndex(OdbcPage);
        DsnBox->setCurrentText(cs.Value({"Data Source", "DSN"}));
        break;
    }
    UserEdit->setText(cs.Value({"User ID", "UID", "User"}));
    PasswordEdit->setText(cs.Value({"Password", "PWD"}));
    PersistCheck->setChecked(IsTrue(cs.Value("Persist Security Info")));
}

QString TDataLinkDialog::ConnectionString() const {
    TConnectionString kept;
    TConnectionString::TryParse(m_initial, kept);
    for (const char* key : kOwnKeys)
        kept.Remove(QString::fromLatin1(key));

    TConnectionString cs;
    const int page = ProviderBox->currentIndex();
    cs.Set(QStringLiteral("Provider"), ProviderBox->currentData().toString());
    if (page == SqlitePage) {
        cs.Set(QStringLiteral("Persist Security Info"), QStringLiteral("True"));
        cs.Set(QStringLiteral("Data Source"), FileEdit->text().trimmed());
    } else {
        const bool persist = PersistCheck->isChecked();
        cs.Set(QStringLiteral("Persist Security Info"),
               persist ? QStringLiteral("True") : QStringLiteral("False"));
        if (!UserEdit->text().isEmpty()) cs.Set(QStringLiteral("User ID"), UserEdit->text());
        if (persist) cs.Set(QStringLiteral("Password"), PasswordEdit->text());
        if (page == OdbcPage) {
            cs.Set(QStringLiteral("Data Source"), DsnBox->currentText().trimmed());
        } else {
            cs.Set(QStringLiteral("Data Source"), HostEdit->text().trimmed());
            cs.Set(QStringLiteral("Port"), QString::number(PortSpin->value()));
            if (!DatabaseEdit->text().trimmed().isEmpty())
                cs.Set(QStringLiteral("Initial Catalog"), DatabaseEdit->text().trimmed());
        }
    }
    for (const auto& [key, value] : kept.Items())
        cs.Set(key, value);
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
    try {
        connection.Open();
    } catch (const EDatabaseError& e) {
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
