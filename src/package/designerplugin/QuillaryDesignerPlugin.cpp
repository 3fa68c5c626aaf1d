#include "QuillaryDesignerPlugin.h"
#include "grid/StringGridEx.h"
#include "package/Package.h"
#include "package/QuillaryDialogStandIn.h"
#include "package/Registration.h"
#include "platform/UserInteraction.h"

#include <QAction>
#include <QDesignerFormEditorInterface>
#include <QDesignerFormWindowCursorInterface>
#include <QDesignerFormWindowInterface>
#include <QExtensionManager>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QPixmap>

namespace quillary {

namespace {

// The form window as the component editors' designer.
class TFormWindowDesigner final : public TFormDesigner {
public:
    explicit TFormWindowDesigner(QDesignerFormWindowInterface* form) : m_form(form) {}
    void Modified() override {
        if (m_form) m_form->setDirty(true);
    }

private:
    QPointer<QDesignerFormWindowInterface> m_form;
};

QVariantMap WritableProperties(const QObject* object) {
    QVariantMap values;
    const QMetaObject* meta = object->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.isWritable() && property.isStored())
            values.insert(QString::fromLatin1(property.name()), property.read(object));
    }
    return values;
}

} // namespace

QObject* ComponentOf(QWidget* widget) {
    if (auto* standIn = qobject_cast<TQuillaryDialogStandIn*>(widget)) return standIn->Dialog();
    return widget;
}

TComponentWidgetPlugin::TComponentWidgetPlugin(TDescription description, QObject* parent)
    : QObject(parent), m_d(std::move(description)),
      m_icon(QPixmap::fromImage(PaletteBitmap(m_d.Bitmap))) {}

QString TComponentWidgetPlugin::group() const {
    return QString::fromLatin1(kPalettePage);
}

void TComponentWidgetPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (m_initialized) return;
    m_initialized = true;
    // One factory serves every component that has a component editor.
    QExtensionManager* manager = core ? core->extensionManager() : nullptr;
    if (manager && !manager->findChild<TComponentEditorTaskMenuFactory*>())
        manager->registerExtensions(new TComponentEditorTaskMenuFactory(manager),
                                    Q_TYPEID(QDesignerTaskMenuExtension));
}

QString TComponentWidgetPlugin::domXml() const {
    return QStringLiteral("<ui language=\"c++\" displayname=\"%1\">\n"
                          " <widget class=\"%2\" name=\"%3\">\n"
                          "  <property name=\"geometry\">\n"
                          "   <rect><x>0</x><y>0</y><width>%4</width><height>%5</height></rect>\n"
                          "  </property>\n"
                          " </widget>\n"
                          "</ui>\n")
        .arg(m_d.DisplayName, m_d.ClassName, m_d.DisplayName.mid(1) + QLatin1Char('1'))
        .arg(m_d.Size.width())
        .arg(m_d.Size.height());
}

TQuillaryWidgetCollection::TQuillaryWidgetCollection(QObject* parent) : QObject(parent) {
    Initialize();
    ClearRegistrations();
    RegisterPackage();
    m_widgets << new TComponentWidgetPlugin(
        {QStringLiteral("quillary::TStringGridEx"), QStringLiteral("TStringGridEx"),
         QStringLiteral("TSTRINGGRIDEX"), QStringLiteral("属性表格 (TStringGridEx)"),
         QStringLiteral("A string grid whose columns are property-column definitions: "
                        "a label, a default value, an edit mode and a pick list."),
         QStringLiteral("grid/StringGridEx.h"), QSize(320, 120),
         [](QWidget* parent) { return new TStringGridEx(parent); }},
        this);
    m_widgets << new TComponentWidgetPlugin(
        {QStringLiteral("quillary::TQuillaryDialogStandIn"), QStringLiteral("TQuillaryDialog"),
         QStringLiteral("TQUILLARYDIALOG"), QStringLiteral("SQL语句生成器 (TQuillaryDialog)"),
         QStringLiteral("The visual SQL query designer. Not shown at run time: call "
                        "Dialog()->Execute() and read Dialog()->SQL."),
         QStringLiteral("package/QuillaryDialogStandIn.h"), QSize(28, 28),
         [](QWidget* parent) {
             auto* standIn = new TQuillaryDialogStandIn(parent);
             standIn->SetDesignTime(true);
             return standIn;
         }},
        this);
}

TQuillaryWidgetCollection::~TQuillaryWidgetCollection() {
    ClearRegistrations();
    Finalize();
}

TComponentEditorTaskMenu::TComponentEditorTaskMenu(QWidget* widget, QObject* parent)
    : QObject(parent), m_widget(widget) {
    const auto editor = GetComponentEditor(ComponentOf(widget), nullptr);
    m_editAction = new QAction(editor->GetVerbCount() ? editor->GetVerb(0) : QString(), this);
    connect(m_editAction, &QAction::triggered, this,
            [this] { Run([](TComponentEditor& e) { e.Edit(); }); });
    for (int i = 0; i < editor->GetVerbCount(); ++i) {
        auto* action = new QAction(editor->GetVerb(i), this);
        connect(action, &QAction::triggered, this,
                [this, i] { Run([i](TComponentEditor& e) { e.ExecuteVerb(i); }); });
        m_verbs << action;
    }
}

void TComponentEditorTaskMenu::Run(const std::function<void(TComponentEditor&)>& step) {
    if (!m_widget) return;
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(m_widget);
    TFormWindowDesigner designer(form);
    const QVariantMap before = WritableProperties(m_widget);
    try {
        const auto editor = GetComponentEditor(ComponentOf(m_widget), &designer);
        step(*editor);
    } catch (const std::exception& e) {
        // The designer must survive whatever the component runs into.
        Ui().MessageBox(QString::fromUtf8(e.what()), QGuiApplication::applicationDisplayName(),
                        TMsgButtons::Ok, TMsgIcon::Error);
    }
    if (!m_widget || !form) return;
    const QVariantMap after = WritableProperties(m_widget);
    for (auto value = after.cbegin(); value != after.cend(); ++value) {
        const QVariant old = before.value(value.key());
        if (old == value.value()) continue;
        // Back to the old value, then forward through the form window's
        // cursor: the change is recorded for saving and for undo.
        m_widget->setProperty(value.key().toLatin1().constData(), old);
        form->cursor()->setWidgetProperty(m_widget, value.key(), value.value());
    }
}

TComponentEditorTaskMenuFactory::TComponentEditorTaskMenuFactory(QExtensionManager* parent)
    : QExtensionFactory(parent) {}

QObject* TComponentEditorTaskMenuFactory::createExtension(QObject* object, const QString& iid,
                                                          QObject* parent) const {
    if (iid != QLatin1String(Q_TYPEID(QDesignerTaskMenuExtension))) return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !HasComponentEditor(ComponentOf(widget))) return nullptr;
    return new TComponentEditorTaskMenu(widget, parent);
}

} // namespace quillary
