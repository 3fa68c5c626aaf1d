// Templates are documents: what their connection section may name, what a
// saved one keeps, and what opening a damaged one says.
#include "DesignerTestSupport.h"
#include "platform/SettingsStore.h"

#include "platform/DataLinkFile.h"

#include <QDir>
#include <QFile>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// The first bytes of a PNG picture.
const char kPicture[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10";

int Mode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray TemplateWith(const QString& connectionLine) {
    return (QStringLiteral("[Table]\nT1=customers,10,10,\n[CONNECTION]\n") + connectionLine +
            QLatin1Char('\n'))
        .toUtf8();
}

} // namespace

class TemplateSafetyTest : public DesignerFormTest {};

TEST_F(TemplateSafetyTest, ATemplateNamesOdbcDriversOnlyByTheirRegisteredNames) {
    Open();
    const QString csn = dialog.GetCSN();
    const TMarkerLibrary marker = MarkerLibrary();
    const QString sample = SharedSampleDatabase();
    const QString refusal =
        QStringLiteral("连接数据源失败!\r\n来自文档的连接字符串不能这样指明 ODBC "
                       "数据源：“Driver”的值“%1”是文件路径；只能写在 unixODBC "
                       "中登记的驱动程序名称")
            .arg(marker.Library);
    // With or without a stored login: refused before anybody is asked.
    for (const char* persist : {"True", "False"}) {
        const QString driverFile =
            QStringLiteral("Persist Security Info=%1;Driver={%2};Database=%3")
                .arg(QLatin1String(persist), marker.Library, sample);
        ui.AnswerOpenFile(WriteTestFile("driver.tmb", TemplateWith("CSN=" + driverFile)));
        ui.ExpectMessage(refusal, "提示");
        form->TB_OPEN->click();
        EXPECT_EQ(dialog.GetCSN(), csn);
        EXPECT_TRUE(dialog.GetConnected());
    }
    // Through a data-link file named by the template.
    const QString udl = QDir(TestDir()).filePath("driver.udl");
    ASSERT_TRUE(WriteDataLinkFile(
        udl, QStringLiteral("Driver={%1};Database=%2").arg(marker.Library, sample)));
    ui.AnswerOpenFile(WriteTestFile("udl.tmb", TemplateWith("CSN=File Name=" + udl)));
    ui.AnswerMessage(mrOk);
    form->TB_OPEN->click();
    EXPECT_TRUE(ui.Log().last().Text.contains(
        QStringLiteral("“Driver”的值“%1”是文件路径").arg(marker.Library)))
        << ui.Log().last().Text.toStdString();
    EXPECT_EQ(dialog.GetCSN(), csn);
    EXPECT_FALSE(QFile::exists(marker.Marker)) << "a template loaded a library";

    // A registered name is fine, and the design comes along.
    ui.AnswerOpenFile(WriteTestFile(
        "registered.tmb",
        TemplateWith("CSN=Persist Security Info=True;Driver={SQLite3};Database=" + sample)));
    form->TB_OPEN->click();
    EXPECT_TRUE(dialog.GetCSN().contains("Driver={SQLite3}"));
    EXPECT_EQ(form->Canvas()->Tables().size(), 1);

    // The application may name the library itself: the driver manager loads it.
    ui.AnswerMessage(mrOk);
    EXPECT_EQ(form->ChangeCSN(QStringLiteral("Persist Security Info=True;Driver={%1};Database=%2")
                                  .arg(marker.Library, sample)),
              -1);
    EXPECT_FALSE(ui.Log().last().Text.contains("来自文档"));
    EXPECT_TRUE(QFile::exists(marker.Marker));
}

TEST_F(TemplateSafetyTest, SavedCopiesKeepAPasswordOnlyWhereTheStringAllowsItAndPrivately) {
    const QString settings = TSettingsStore::FilePath(TSettingsScope::Machine);
    // Not kept first, then kept: the store's file becomes owner-only.
    for (const bool persist : {false, true}) {
        const QString csn = SampleCsn(persist) + ";User ID=u;Password=secret";
        Open(csn);
        const QString saved = QDir(TestDir()).filePath(persist ? "kept.tmb" : "dropped.tmb");
        ui.AnswerSaveFile(saved);
        form->TB_SAVEModel->click();
        form->TB_SaveCSN->click();
        const QString storedCsn =
            TSettingsStore::ReadString(TSettingsScope::Machine, QString::fromLatin1(kForgeKey),
                                       QString::fromLatin1(kConnectionStringValue));
        if (persist) {
            EXPECT_TRUE(Read(saved).endsWith("[CONNECTION]\nCSN=" + csn + "\n"));
            EXPECT_EQ(Mode(saved), 0600);
            EXPECT_EQ(storedCsn, csn);
            EXPECT_EQ(Mode(settings), 0600);
        } else {
            const QString without = csn.left(csn.indexOf(";Password="));
            EXPECT_TRUE(Read(saved).endsWith("[CONNECTION]\nCSN=" + without + "\n"))
                << Read(saved).toStdString();
            EXPECT_EQ(storedCsn, without);
            EXPECT_FALSE(Read(settings).contains("secret"));
        }
    }
}

TEST_F(TemplateSafetyTest, ADamagedTemplateSaysWhatIsWrongAndChangesNothing) {
    Open();
    ASSERT_NE(Place("orders"), nullptr);
    const QString csn = dialog.GetCSN();
    dialog.SQLSet = QStringList{"[SQL]", "SQL=select 1"};
    const QString noCsnLine =
        "界面模板“%1”有误：[CONNECTION] 的下一行应以“CSN=”开头，写明连接字符串";
    struct Case {
        QString Name;
        QByteArray Bytes;
        QString Message;
    };
    const Case cases[] = {
        {"picture.tmb", QByteArray(kPicture, sizeof kPicture - 1),
         "文件“%1”不是界面模板：它是二进制文件"},
        {"no-csn.tmb", TemplateWith("Provider=SQLite;Persist Security Info=True;Data Source=x.db"),
         noCsnLine},
        {"other-key.tmb", TemplateWith("CSX=Provider=SQLite"), noCsnLine},
    };
    for (const Case& c : cases) {
        const QString path = WriteTestFile(c.Name, c.Bytes);
        ui.AnswerOpenFile(path).ExpectMessage(c.Message.arg(path), "提示！");
        form->TB_OPEN->click();
        EXPECT_EQ(dialog.GetCSN(), csn) << c.Name.toStdString();
        EXPECT_EQ(dialog.SQLSet, QStringList({"[SQL]", "SQL=select 1"})) << c.Name.toStdString();
        EXPECT_EQ(form->Canvas()->Tables().size(), 1) << c.Name.toStdString();
    }
    // A section with nothing after it names no connection: the text is
    // kept as the state text, not shown.
    ui.AnswerOpenFile(WriteTestFile("nothing.tmb", "[Table]\nT1=customers,10,10,\n[CONNECTION]\n"));
    form->TB_OPEN->click();
    EXPECT_EQ(dialog.GetCSN(), csn);
    EXPECT_EQ(dialog.SQLSet, QStringList({"[Table]", "T1=customers,10,10,", "[CONNECTION]"}));
    EXPECT_EQ(form->Canvas()->Tables().size(), 1);
    // Letter case and blanks around the key do not matter.
    const QString other = SampleCsn();
    ui.AnswerOpenFile(WriteTestFile("blanks.tmb", TemplateWith("  csn = " + other)));
    form->TB_OPEN->click();
    EXPECT_EQ(dialog.GetCSN(), other);
    EXPECT_EQ(form->Canvas()->Tables().size(), 1) << "the template's box on the new connection";
}
