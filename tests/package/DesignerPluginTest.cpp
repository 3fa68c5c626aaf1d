// The Qt Designer plugin as Qt Designer meets it: loaded from the build tree,
// its widgets created, and the dialog's verbs in the task menu run.
#include "../designer/DesignerTestSupport.h"
#include "db/DataLinkPrompt.h"
#include "package/CorvaneAbout.h"
#include "package/QuillaryDialogStandIn.h"

#include <QAction>
#include <QDesignerFormEditorInterface>
#include <QDesignerTaskMenuExtension>
#include <QExtensionManager>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

namespace quillary::test {
namespace {

// Qt Designer's core as the host gives it to plugins: with an extension manager.
class TCore : public QDesignerFormEditorInterface {
public:
    TCore() { setExtensionManager(new QExtensionManager(this)); }
};

class DesignerPlugin : public ScriptedUiTest {
protected:
    void SetUp() override {
        ScriptedUiTest::SetUp();
        loader.setFileName(QUILLARY_DESIGNER_PLUGIN);
        auto* collection =
            qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
        ASSERT_NE(collection, nullptr) << loader.errorString().toStdString();
        for (QDesignerCustomWidgetInterface* w : collection->customWidgets())
            widgets[w->name()] = w;
        for (QDesignerCustomWidgetInterface* w : std::as_const(widgets))
            w->initialize(&core);
    }
    // The plugin instance lives as long as the process, and so does its host.
    static TCore& Core() {
        static TCore* core = new TCore;
        return *core;
    }
    QDesignerTaskMenuExtension* TaskMenu(QWidget* widget) {
        return qt_extension<QDesignerTaskMenuExtension*>(core.extensionManager(), widget);
    }
    QAction* Verb(QDesignerTaskMenuExtension* menu, const QString& text) {
        for (QAction* action : menu->taskActions())
            if (action->text() == text) return action;
        ADD_FAILURE() << "no verb " << text.toStdString();
        return nullptr;
    }
    QPluginLoader loader;
    QMap<QString, QDesignerCustomWidgetInterface*> widgets;
    TCore& core = Core();
};

TEST_F(DesignerPlugin, PutsBothComponentsOnTheCorvanePage) {
    ASSERT_EQ(widgets.keys(),
              QStringList({"quillary::TQuillaryDialogStandIn", "quillary::TStringGridEx"}));
    const QMap<QString, QPair<QString, QSize>> expected = {
        {"quillary::TQuillaryDialogStandIn", {"TQuillaryDialog", QSize(24, 24)}},
        {"quillary::TStringGridEx", {"TStringGridEx", QSize(27, 27)}}};
    for (QDesignerCustomWidgetInterface* w : std::as_const(widgets)) {
        SCOPED_TRACE(w->name().toStdString());
        EXPECT_EQ(w->group(), "Corvane");
        EXPECT_TRUE(w->isInitialized());
        EXPECT_FALSE(w->isContainer());
        EXPECT_FALSE(w->toolTip().isEmpty());
        EXPECT_TRUE(w->icon().availableSizes().contains(expected[w->name()].second));
        EXPECT_TRUE(
            QFileInfo::exists(QStringLiteral(QUILLARY_SOURCE_DIR "/src/") + w->includeFile()));
        std::unique_ptr<QWidget> made(w->createWidget(nullptr));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), w->name());

        // The widget box entry: shown under its component name, creating the class.
        QXmlStreamReader xml(w->domXml());
        ASSERT_TRUE(xml.readNextStartElement());
        EXPECT_EQ(xml.name(), QLatin1String("ui"));
        EXPECT_EQ(xml.attributes().value("displayname"), expected[w->name()].first);
        ASSERT_TRUE(xml.readNextStartElement());
        EXPECT_EQ(xml.attributes().value("class"), w->name());
        EXPECT_FALSE(xml.hasError());
    }
}

TEST_F(DesignerPlugin, StandInCarriesTheDialogPropertiesAndHidesAtRunTime) {
    std::unique_ptr<QWidget> made(
        widgets["quillary::TQuillaryDialogStandIn"]->createWidget(nullptr));
    auto* standIn = qobject_cast<TQuillaryDialogStandIn*>(made.get());
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(standIn->property("Form_Width").toInt(), 716);
    EXPECT_EQ(standIn->property("Version").toString(), "2.0");
    ASSERT_TRUE(standIn->setProperty("SQL", "select 1"));
    EXPECT_EQ(standIn->Dialog()->SQL, "select 1");
    standIn->show();
    EXPECT_TRUE(standIn->isVisible());

    TQuillaryDialogStandIn onForm; // as uic makes it for a running program
    onForm.show();
    EXPECT_FALSE(onForm.isVisible());
}

TEST_F(DesignerPlugin, TaskMenuListsAndRunsTheDialogVerbs) {
    std::unique_ptr<QWidget> grid(widgets["quillary::TStringGridEx"]->createWidget(nullptr));
    EXPECT_EQ(TaskMenu(grid.get()), nullptr) << "the grid has no component editor";

    std::unique_ptr<QWidget> made(
        widgets["quillary::TQuillaryDialogStandIn"]->createWidget(nullptr));
    auto* standIn = qobject_cast<TQuillaryDialogStandIn*>(made.get());
    QDesignerTaskMenuExtension* menu = TaskMenu(standIn);
    ASSERT_NE(menu, nullptr);
    QStringList verbs;
    for (QAction* action : menu->taskActions())
        verbs << action->text();
    EXPECT_EQ(verbs, QStringList({"Test Dialog", "Edit ConnectionString"}));
    ASSERT_NE(menu->preferredEditAction(), nullptr);

    standIn->setProperty("ConnectionString", SampleCsn());
    const QString file = CopyOfSampleDatabase();
    QString chosen;
    ui.AnswerModal([&](QDialog* d) {
        auto* prompt = qobject_cast<TDataLinkDialog*>(d);
        EXPECT_NE(prompt, nullptr);
        if (!prompt) return int(mrCancel);
        prompt->FileEdit->setText(file);
        chosen = prompt->ConnectionString();
        return int(mrOk);
    });
    Verb(menu, "Edit ConnectionString")->trigger();
    EXPECT_EQ(standIn->property("ConnectionString").toString(), chosen);

    ExpectDesigner(ui, [](TFrm_Quillary& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(kTestDialogCaption));
        EXPECT_TRUE(form.Forge("select * from employees"));
        return int(mrOk);
    });
    ui.ExpectMessage(QString::fromUtf8(kSqlSyntaxPrefix) + "select *\r\nfrom employees", QString());
    Verb(menu, "Test Dialog")->trigger();
    EXPECT_EQ(standIn->property("SQL").toString(), "select *\r\nfrom employees");
    EXPECT_EQ(standIn->property("Caption").toString(), QString::fromUtf8(kTestDialogCaption));
    EXPECT_TRUE(standIn->property("IsAllowUnion").toBool());

    // A double click runs Edit: the same run, cancelled this time.
    ExpectDesigner(ui, [](TFrm_Quillary&) { return int(mrCancel); });
    menu->preferredEditAction()->trigger();
    EXPECT_EQ(standIn->property("SQL").toString(), "select *\r\nfrom employees");
}

} // namespace
} // namespace quillary::test
