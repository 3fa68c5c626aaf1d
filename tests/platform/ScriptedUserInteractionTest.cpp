#include "platform/ScriptedUserInteraction.h"
#include "platform/QtUserInteraction.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillary;

namespace {

// A scripted user whose problems are collected instead of failing the test,
// so that the reporting itself can be checked.
struct Recorder {
    TScriptedUserInteraction ui;
    QStringList problems;
    Recorder() {
        ui.OnUnexpected = [this](const QString& p) { problems << p; };
        ui.Install();
    }
};

} // namespace

TEST(ScriptedUserInteraction, AnswersInOrderAndRecordsEverythingShown) {
    Recorder r;
    r.ui.AnswerMessage(mrYes)
        .AnswerInput(QStringLiteral("t2"))
        .AnswerOpenFile(QStringLiteral("/tmp/a.sql"))
        .AnswerMessage(mrNo)
        .CancelInput()
        .CancelInput();

    EXPECT_EQ(
        Ui().MessageBox(QStringLiteral("改变连接？"), QStringLiteral("提示"), TMsgButtons::YesNo),
        mrYes);
    EXPECT_EQ(
        Ui().InputBox(QStringLiteral("别名"), QStringLiteral("请输入别名"), QStringLiteral("t1")),
        QStringLiteral("t2"));
    EXPECT_EQ(
        Ui().OpenFileName(nullptr, QStringLiteral("打开"), QStringLiteral("*.sql"), QString()),
        QStringLiteral("/tmp/a.sql"));
    EXPECT_EQ(Ui().MessageBox(QStringLiteral("second"), QStringLiteral("提示!"),
                              TMsgButtons::YesNoDefaultNo),
              mrNo);
    // A cancelled input box gives the default; a cancelled query keeps the value.
    EXPECT_EQ(Ui().InputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("default")),
              QStringLiteral("default"));
    QString value = QStringLiteral("x");
    EXPECT_FALSE(Ui().InputQuery(QStringLiteral("c"), QStringLiteral("p"), value));
    EXPECT_EQ(value, QStringLiteral("x"));

    EXPECT_EQ(r.ui.MessageTexts(),
              (QStringList{QStringLiteral("改变连接？"), QStringLiteral("second")}));
    EXPECT_EQ(r.ui.Captions(), (QStringList{"提示", "别名", "打开", "提示!", "c", "c"}));
    ASSERT_EQ(r.ui.Log().size(), 6);
    EXPECT_EQ(r.ui.Log()[1].Value, QStringLiteral("t1")) << "the input default is recorded";
    EXPECT_EQ(r.ui.Log()[3].Buttons, TMsgButtons::YesNoDefaultNo);
    EXPECT_EQ(r.ui.Remaining(), 0);
    EXPECT_TRUE(r.problems.isEmpty());
}

TEST(ScriptedUserInteraction, ReportsInteractionsTheScriptDidNotExpect) {
    Recorder r;
    // Nothing scripted: the message box is reported and answered safely.
    EXPECT_EQ(
        Ui().MessageBox(QStringLiteral("是否保存?"), QStringLiteral("提示"), TMsgButtons::YesNo),
        mrNo);
    ASSERT_EQ(r.problems.size(), 1);
    EXPECT_TRUE(r.problems[0].contains(QStringLiteral("是否保存?")));

    // A different kind than scripted: reported, and the step stays for later.
    r.ui.AnswerSaveFile(QStringLiteral("/tmp/x.sql"));
    EXPECT_EQ(Ui().OpenFileName(nullptr, QStringLiteral("open"), QString(), QString()), QString());
    ASSERT_EQ(r.problems.size(), 2);
    EXPECT_TRUE(r.problems[1].contains(QStringLiteral("save dialog")));
    EXPECT_EQ(r.ui.Remaining(), 1);
    EXPECT_EQ(Ui().SaveFileName(nullptr, QStringLiteral("save"), QString(), QString()),
              QStringLiteral("/tmp/x.sql"));
}

TEST(ScriptedUserInteraction, ChecksExpectedTextAndCaption) {
    Recorder r;
    r.ui.ExpectMessage(QStringLiteral("连接数据源失败!\r\n"), QStringLiteral("提示"))
        .ExpectMessage(QStringLiteral("a"), QStringLiteral("提示"))
        .ExpectMessage(QStringLiteral("b"), QStringLiteral("提示"));
    Ui().MessageBox(QStringLiteral("连接数据源失败!\r\n"), QStringLiteral("提示"));
    EXPECT_TRUE(r.problems.isEmpty());
    Ui().MessageBox(QStringLiteral("a"), QStringLiteral("提示!"));
    Ui().MessageBox(QStringLiteral("c"), QStringLiteral("提示"));
    ASSERT_EQ(r.problems.size(), 2);
    EXPECT_TRUE(r.problems[0].contains(QStringLiteral("caption «提示»")));
    EXPECT_TRUE(r.problems[1].contains(QStringLiteral("text «b»")));
}

TEST(ScriptedUserInteraction, ModalFormIsHandedToTheScript) {
    Recorder r;
    QDialog form;
    form.setObjectName(QStringLiteral("Form2"));
    form.setWindowTitle(QStringLiteral("请输入数据库用户名和口令"));
    auto* edit = new QLineEdit(&form);
    edit->setObjectName(QStringLiteral("Edit1"));
    r.ui.AnswerModal([](QDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("sa"));
        return int(mrOk);
    });
    EXPECT_EQ(Ui().ShowModal(&form), mrOk);
    EXPECT_EQ(edit->text(), QStringLiteral("sa"));
    ASSERT_EQ(r.ui.Log().size(), 1);
    EXPECT_EQ(r.ui.Log()[0].Caption, QStringLiteral("请输入数据库用户名和口令"));
    EXPECT_EQ(r.ui.Log()[0].Value, QStringLiteral("Form2"));
}

TEST(ScriptedUserInteraction, InstallingAndRemovingRestoresThePreviousService) {
    TUserInteraction* before = &Ui();
    {
        TScriptedUserInteraction outer;
        outer.Install();
        EXPECT_EQ(&Ui(), &outer);
        {
            TScriptedUserInteraction inner;
            inner.Install();
            EXPECT_EQ(&Ui(), &inner);
        }
        EXPECT_EQ(&Ui(), &outer);
    }
    EXPECT_EQ(&Ui(), before);
    EXPECT_NE(dynamic_cast<TQtUserInteraction*>(&Ui()), nullptr);
}

TEST(QtUserInteraction, EnterAnswersTheDefaultButton) {
    struct Case {
        TMsgButtons Buttons;
        int Enter;
    };
    for (const Case& c :
         {Case{TMsgButtons::YesNo, mrYes}, Case{TMsgButtons::YesNoDefaultNo, mrNo}}) {
        TQtUserInteraction service;
        TUserInteraction& qt = service;
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(qt.MessageBox(QStringLiteral("加入?"), QStringLiteral("提示!"), c.Buttons),
                  c.Enter);
    }
}

TEST(ScriptedUserInteraction, AProgressDialogShowsOnlyForSlowWorkAndMayBeCancelled) {
    Recorder r;
    // Quick work shows nothing and takes no step of the script.
    r.ui.CancelProgress();
    EXPECT_TRUE(r.ui.WaitWithProgress(QStringLiteral("正在连接数据源…"), [] { return true; }));
    EXPECT_EQ(r.ui.Remaining(), 1);
    // Slow work: the dialog shows and 取消 gives up.
    EXPECT_FALSE(r.ui.WaitWithProgress(QStringLiteral("正在连接数据源…"), [] { return false; }));
    ASSERT_EQ(r.ui.Log().size(), 1);
    EXPECT_EQ(r.ui.Log().last().Kind, TScriptedUserInteraction::TKind::Progress);
    EXPECT_EQ(r.ui.Log().last().Text, QStringLiteral("正在连接数据源…"));
    // Watched, or not scripted at all: waits until the work is done.
    int polls = 0;
    const auto slow = [&polls] { return ++polls > 80; };
    r.ui.WatchProgress();
    EXPECT_TRUE(r.ui.WaitWithProgress(QStringLiteral("x"), slow));
    EXPECT_EQ(r.ui.Remaining(), 0);
    polls = 0;
    EXPECT_TRUE(r.ui.WaitWithProgress(QStringLiteral("x"), slow));
    EXPECT_EQ(r.ui.Log().size(), 2) << "an unscripted wait asks nothing";
    EXPECT_TRUE(r.problems.isEmpty()) << r.problems.join('\n').toStdString();
}

TEST(QtUserInteraction, AProgressDialogWithCancelShowsForSlowWork) {
    TQtUserInteraction service;
    TUserInteraction& qt = service;
    // Done before half a second: no dialog.
    int polls = 0;
    QString shown;
    QTimer::singleShot(kProgressDelayMs / 5, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) shown = w->metaObject()->className();
    });
    EXPECT_TRUE(
        qt.WaitWithProgress(QStringLiteral("正在连接数据源…"), [&] { return ++polls > 3; }));
    EXPECT_EQ(shown, QString());
    // Never done: the dialog shows the text, and 取消 ends the wait.
    QString label;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        label = dialog->labelText();
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("取消")) button->click();
    });
    look.start(50);
    EXPECT_FALSE(qt.WaitWithProgress(QStringLiteral("正在连接数据源…"), [] { return false; }));
    EXPECT_EQ(label, QStringLiteral("正在连接数据源…"));
}

TEST(QtFileFilter, TurnsDescriptionPatternPairsIntoQtFilters) {
    EXPECT_EQ(QtFileFilter(
                  QStringLiteral("SQL脚本(*.SQL)|*.SQL|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*")),
              QStringLiteral("SQL脚本 (*.SQL *.sql);;文本文件 (*.txt *.TXT);;所有文件 (*)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("界面摸班|*.tmb;*.x")),
              QStringLiteral("界面摸班 (*.tmb *.TMB *.x *.X)"));
    const QString qtFilter = QStringLiteral("SQLite 数据库 (*.db);;所有文件 (*)");
    EXPECT_EQ(QtFileFilter(qtFilter), qtFilter);
}
