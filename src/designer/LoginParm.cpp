#include "designer/LoginParm.h"
#include "db/ConnectionString.h"
#include "designer/DesignerFont.h"
#include "platform/UserInteraction.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QToolButton>

namespace quillary {

namespace {

// Password characters are shown as "*".
class TStarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("请输入数据库用户名和口令"));
    // A dialog frame without the border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(DesignerFont());
    setFixedSize(217, 141);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 201, 89);

    Label1 = new QLabel(QStringLiteral("用户名"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 24, 48, 20);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(72, 22, 125, 22);

    Label2 = new QLabel(QStringLiteral("口令"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(20, 60, 48, 20);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(72, 58, 125, 22);
    Edit2->setEchoMode(QLineEdit::Password);
    auto* style = new TStarPasswordStyle;
    style->setParent(Edit2);
    Edit2->setStyle(style);

    label3 = new QPlainTextEdit(this);
    label3->setObjectName(QStringLiteral("label3"));
    label3->setReadOnly(true);
    label3->setFrameShape(QFrame::NoFrame);
    label3->setGeometry(16, 48, 185, 41);
    label3->setStyleSheet(QStringLiteral("background-color: #ffffe1; color: black;"));
    label3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    label3->hide();

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("?"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(8, 108, 23, 22);

    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(56, 106, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(136, 106, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject); // also Escape

    // Hovering "?" shows the connection string; hovering anything else hides it.
    setMouseTracking(true);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Button1),
                       static_cast<QWidget*>(Button2), static_cast<QWidget*>(SpeedButton1)})
        w->installEventFilter(this);
}

void TForm2::FormShow() {
    if (!Edit1->text().isEmpty()) Edit2->setFocus();
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        if (watched == SpeedButton1) {
            label3->show();
            label3->raise();
        } else if (watched != label3) {
            label3->hide();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool GetLoginParm(QString& user, QString& password, const QString& connectionString) {
    TForm2 form;
    form.Edit1->setText(user);
    form.Edit2->setText(password);
    // The "?" hint shows where the login goes, never a password.
    form.label3->setPlainText(TConnectionString::Masked(connectionString));
    if (Ui().ShowModal(&form) != mrOk) return true;
    user = form.Edit1->text();
    password = form.Edit2->text();
    return false;
}

} // namespace quillary
