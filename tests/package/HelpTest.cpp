// The help binding with the viewer library present, absent and without its
// entry; the real viewer on the manual; the manual's help file.
#include "../designer/DesignerTestSupport.h"
#include "platform/HtmlHelp.h"

#include <QCoreApplication>
#include <QFile>
#include <QHelpEngineCore>
#include <QHelpLink>
#include <QListView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace quillary::test {
namespace {

const QString kRecordingDir = QStringLiteral(QUILLARY_RECORDING_VIEWER_DIR);
const QString kLibraryName = QString::fromLatin1(kHelpViewerLibrary);

// What the stand-in viewer libraries were called with, from the first call on.
QStringList RecordedCalls() {
    QFile file(TestDir() + "/help-calls.txt");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString Call(quint32 command, quintptr caller, quintptr data, const QString& file) {
    return QStringLiteral("%1 caller=%2 data=%3 file=%4")
        .arg(command ? "0x" + QString::number(command, 16) : "0")
        .arg(caller ? "0x" + QString::number(caller, 16) : "0")
        .arg(data ? "0x" + QString::number(data, 16) : "0")
        .arg(file);
}

TEST(HelpFileName, BesideTheExecutableWithOneSlash) {
    const QList<QPair<QString, QString>> cases = {{"/usr/bin", "/usr/bin/forge.qch"},
                                                  {"/usr/bin/", "/usr/bin/forge.qch"},
                                                  {"/", "/forge.qch"},
                                                  {"/opt/两 字", "/opt/两 字/forge.qch"}};
    for (const auto& [folder, file] : cases)
        EXPECT_EQ(HelpFileName(folder), file);
}

class HelpButton : public DesignerFormTest {
protected:
    void SetUp() override {
        DesignerFormTest::SetUp();
        OpenForm(SampleCsn(), false);
        QFile::remove(TestDir() + "/help-calls.txt");
        qputenv("QUILLARY_HELP_CALLS", QFile::encodeName(TestDir() + "/help-calls.txt"));
    }
    void TearDown() override {
        CloseHtmlHelpSystem();
        SetHelpLibraryFolder(QString());
        DesignerFormTest::TearDown();
    }
    void Press() { form->TB_HELP->click(); }
    const QString helpFile = QCoreApplication::applicationDirPath() + "/forge.qch";
};

TEST_F(HelpButton, TwoPressesLoadAndInitialiseOnceAndShowTheIndex) {
    SetHelpLibraryFolder(kRecordingDir);
    Press();
    Press();
    const quintptr window = quintptr(form.get());
    QStringList calls = RecordedCalls();
    ASSERT_EQ(calls.size(), 3) << calls.join('\n').toStdString();
    EXPECT_TRUE(calls[0].startsWith("0x1c caller=0 data=0x")) << calls[0].toStdString();
    EXPECT_TRUE(calls[0].endsWith("file=(none)"));
    EXPECT_EQ(calls[1], Call(HH_DISPLAY_INDEX, window, 0, helpFile));
    EXPECT_EQ(calls[2], calls[1]);

    // Closing hands the library's cookie back; the next press starts afresh.
    CloseHtmlHelpSystem();
    CloseHtmlHelpSystem();
    Press();
    calls = RecordedCalls();
    ASSERT_EQ(calls.size(), 6) << calls.join(QLatin1Char(10)).toStdString();
    EXPECT_EQ(calls[3], Call(HH_UNINITIALIZE, 0, 0x5EED, "(none)"));
    EXPECT_TRUE(calls[4].startsWith("0x1c "));
    EXPECT_EQ(calls[5], calls[1]);
}

TEST_F(HelpButton, MissingLibraryIsReportedAndTriedAgain) {
    QTemporaryDir folder;
    SetHelpLibraryFolder(folder.path());
    const QString message = QString::fromLatin1(kHelpNotInstalledMessage);
    EXPECT_EQ(message, "HHCtrl.OCX not installed!\r HTMLHELP cannot displayed!");
    ui.ExpectMessage(message, QString());
    Press();
    ui.ExpectMessage(message, QString());
    Press();
    // Installed meanwhile: the next press loads it.
    ASSERT_TRUE(QFile::copy(kRecordingDir + '/' + kLibraryName, folder.filePath(kLibraryName)));
    Press();
    const QStringList calls = RecordedCalls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[1], Call(HH_DISPLAY_INDEX, quintptr(form.get()), 0, helpFile));
}

TEST_F(HelpButton, LibraryWithoutEntryIsReportedOnEveryPress) {
    SetHelpLibraryFolder(QStringLiteral(QUILLARY_NO_ENTRY_VIEWER_DIR));
    const QString message = QString::fromLatin1(kHelpEntryMissingMessage);
    EXPECT_EQ(message, "Function HTMLHELP cannot loaded!");
    ui.ExpectMessage(message, QString());
    ui.ExpectMessage(message, QString());
    Press();
    Press();
    EXPECT_EQ(ErrorOf([] { HtmlHelp(0, "x", HH_DISPLAY_TOC, 0); }), message);
}

// The viewer library of the build, on the manual.
class HelpViewer : public ScriptedUiTest {
protected:
    void TearDown() override {
        CloseHtmlHelpSystem();
        ScriptedUiTest::TearDown();
    }
    static QWidget* Show(const QString& file, quint32 command, const char* data = nullptr) {
        return reinterpret_cast<QWidget*>(HtmlHelp(0, file, command, quintptr(data)));
    }
};

TEST_F(HelpViewer, OpensTheManualAtItsIndexOnce) {
    QWidget* viewer = Show(QUILLARY_HELP_FILE, HH_DISPLAY_INDEX);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    auto* tabs = viewer->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QString::fromUtf8("索引"));
    auto* index = tabs->currentWidget()->findChild<QListView*>();
    ASSERT_NE(index, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return index->model()->rowCount() > 20; }, 10000));
    auto* browser = viewer->findChild<QTextBrowser*>();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !browser->toPlainText().isEmpty(); }, 10000));

    EXPECT_EQ(Show(QUILLARY_HELP_FILE, HH_DISPLAY_TOC), viewer) << "one viewer per help file";
    EXPECT_EQ(tabs->currentIndex(), 0);
    // A keyword narrows the index down to it.
    EXPECT_EQ(Show(QUILLARY_HELP_FILE, HH_DISPLAY_INDEX, "联合"), viewer);
    EXPECT_TRUE(QTest::qWaitFor([&] { return index->model()->rowCount() < 5; }, 10000));
    ASSERT_GT(index->model()->rowCount(), 0);
    EXPECT_EQ(index->model()->index(0, 0).data().toString(), QString::fromUtf8("联合"));
}

TEST_F(HelpViewer, FiltersTheIndexByAKeywordGivenBeforeItIsReady) {
    QWidget* viewer = Show(QUILLARY_HELP_FILE, HH_DISPLAY_INDEX, "视图");
    ASSERT_NE(viewer, nullptr);
    auto* index = viewer->findChild<QTabWidget*>()->currentWidget()->findChild<QListView*>();
    const auto entries = [&] {
        QStringList shown;
        for (int row = 0; row < index->model()->rowCount(); ++row)
            shown << index->model()->index(row, 0).data().toString();
        return shown;
    };
    // Only entries with the keyword, the keyword itself among them.
    const QString keyword = QString::fromUtf8("视图");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList shown = entries();
            return shown.contains(keyword) && shown.filter(keyword) == shown;
        },
        10000))
        << entries().join(' ').toStdString();
}

TEST_F(HelpViewer, ReportsAMissingHelpFile) {
    const QString missing = TestDir() + "/nowhere/forge.qch";
    QWidget* viewer = Show(missing, HH_DISPLAY_INDEX);
    ASSERT_NE(viewer, nullptr);
    const QString text = viewer->findChild<QTextBrowser*>()->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("找不到帮助文件"))) << text.toStdString();
    EXPECT_TRUE(text.contains(missing));
}

TEST(HelpFile, HoldsContentsAndAnIndexOfTheManual) {
    QTemporaryDir scratch;
    QHelpEngineCore engine(scratch.filePath("test.qhc"));
    engine.setReadOnly(false);
    ASSERT_TRUE(engine.setupData());
    ASSERT_TRUE(engine.registerDocumentation(QUILLARY_HELP_FILE)) << engine.error().toStdString();
    const char* keywords[] = {"联合", "工具栏", "登录", "视图", "SQL语法", "执行SQL语句", "模板"};
    for (const char* keyword : keywords)
        EXPECT_FALSE(engine.documentsForKeyword(QString::fromUtf8(keyword)).isEmpty()) << keyword;
    const QString ns = QHelpEngineCore::namespaceName(QUILLARY_HELP_FILE);
    const QByteArray page = engine.fileData(QUrl("qthelp://" + ns + "/manual/index.html"));
    EXPECT_TRUE(QString::fromUtf8(page).contains(QString::fromUtf8("设计器窗口")));
}

} // namespace
} // namespace quillary::test
