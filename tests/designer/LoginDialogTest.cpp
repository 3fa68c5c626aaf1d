#include "TestSupport.h"
#include "designer/LoginParm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace quillary;

class LoginDialogTest : public test::ScriptedUiTest {};

TEST_F(LoginDialogTest, ConfirmedLoginHandsBackTheTypedTexts) {
    ui.AnswerModal([](QDialog* d) {
        auto* form = qobject_cast<TForm2*>(d);
        EXPECT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "请输入数据库用户名和口令");
        EXPECT_EQ(form->Edit1->text(), "sa");
        EXPECT_EQ(form->Edit2->echoMode(), QLineEdit::Password);
        EXPECT_EQ(form->label3->toPlainText(), "Provider=X;User ID=sa");
        form->Edit1->setText("scott");
        form->Edit2->setText("tiger");
        form->Button1->click();
        return form->result();
    });
    QString user = "sa", password;
    EXPECT_FALSE(GetLoginParm(user, password, "Provider=X;User ID=sa"));
    EXPECT_EQ(user, "scott");
    EXPECT_EQ(password, "tiger");
}

TEST_F(LoginDialogTest, TheConnectionStringHintNeverShowsAPassword) {
    ui.AnswerModal([](QDialog* d) {
        auto* form = static_cast<TForm2*>(d);
        EXPECT_EQ(form->label3->toPlainText(),
                  "Provider=X;User ID=sa;Password=***;Extended Properties=\"DSN=y;PWD=***\"");
        return int(mrCancel);
    });
    QString user = "sa", password;
    GetLoginParm(user, password,
                 "Provider=X;User ID=sa;Password=tiger;Extended Properties=\"DSN=y;PWD=lion\"");
}

TEST_F(LoginDialogTest, CancelKeepsTheArguments) {
    ui.AnswerModal([](QDialog* d) {
        auto* form = static_cast<TForm2*>(d);
        form->Edit1->setText("typed");
        form->Button2->click();
        return form->result() == QDialog::Rejected ? int(mrCancel) : form->result();
    });
    QString user = "sa", password = "p";
    EXPECT_TRUE(GetLoginParm(user, password, QString()));
    EXPECT_EQ(user, "sa");
    EXPECT_EQ(password, "p");
}

TEST(LoginDialog, FocusGoesToThePasswordWhenTheUserIsKnown) {
    TForm2 form;
    form.Edit1->setText("sa");
    form.show();
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), form.Edit2);
    EXPECT_TRUE(form.Button1->isDefault());
}

TEST(LoginDialog, QuestionMarkShowsTheConnectionStringWhileHovered) {
    TForm2 form;
    form.label3->setPlainText("Provider=PostgreSQL;Data Source=db");
    form.show();
    QApplication::processEvents();
    EXPECT_FALSE(form.label3->isVisible());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(form.SpeedButton1, &enter);
    EXPECT_TRUE(form.label3->isVisible());
    QApplication::sendEvent(form.Edit1, &enter);
    EXPECT_FALSE(form.label3->isVisible());
    QApplication::sendEvent(form.SpeedButton1, &enter);
    QTest::mouseMove(&form, QPoint(200, 5));
    EXPECT_FALSE(form.label3->isVisible()) << "moving over the form hides it";
}
