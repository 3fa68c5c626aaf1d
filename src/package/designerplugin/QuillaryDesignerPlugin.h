#pragma once
// The Qt Designer plugin: TStringGridEx and the dialog's stand-in on the
// widget-box group "Corvane", and the component editors' verbs in the
// designer's context menu (task menu).

#include <QDesignerTaskMenuExtension>
#include <QExtensionFactory>
#include <QIcon>
#include <QPointer>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

class QAction;
class QDesignerFormEditorInterface;

namespace quillary {

class TComponentEditor;

// One component in the widget box.
class TComponentWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    struct TDescription {
        QString ClassName;   // with namespace, as uic writes it
        QString DisplayName; // the name in the widget box
        QString Bitmap;      // palette bitmap name
        QString ToolTip;
        QString WhatsThis;
        QString IncludeFile;
        QSize Size;
        std::function<QWidget*(QWidget*)> Create;
    };
    TComponentWidgetPlugin(TDescription description, QObject* parent);

    QString name() const override { return m_d.ClassName; }
    QString group() const override;
    QString toolTip() const override { return m_d.ToolTip; }
    QString whatsThis() const override { return m_d.WhatsThis; }
    QString includeFile() const override { return m_d.IncludeFile; }
    QIcon icon() const override { return m_icon; }
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override { return m_d.Create(parent); }
    bool isInitialized() const override { return m_initialized; }
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;

private:
    TDescription m_d;
    QIcon m_icon;
    bool m_initialized = false;
};

class TQuillaryWidgetCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit TQuillaryWidgetCollection(QObject* parent = nullptr);
    ~TQuillaryWidgetCollection() override;
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

// The verbs of the component editor of one widget on a form.
class TComponentEditorTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)
public:
    TComponentEditorTaskMenu(QWidget* widget, QObject* parent);
    // A double click: the editor's Edit.
    QAction* preferredEditAction() const override { return m_editAction; }
    QList<QAction*> taskActions() const override { return m_verbs; }

private:
    // Runs `step` on a fresh editor; property changes go through the form
    // window, so that they are stored with the form and can be undone.
    void Run(const std::function<void(TComponentEditor&)>& step);
    QPointer<QWidget> m_widget;
    QAction* m_editAction;
    QList<QAction*> m_verbs;
};

class TComponentEditorTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT
public:
    explicit TComponentEditorTaskMenuFactory(QExtensionManager* parent);

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

// The component a widget on a form stands for: the dialog of a stand-in,
// else the widget itself.
QObject* ComponentOf(QWidget* widget);

} // namespace quillary
