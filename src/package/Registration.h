#pragma once
// The registration interface between the package and a host form designer:
// components on palette pages, component editors that add verbs to the
// host's context menu, and property editors for single properties. The
// host-neutral part; the Qt Designer plugin is one host on top of it.

#include <QFlags>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace quillary {

// The host's side of the form being designed.
class TFormDesigner {
public:
    virtual ~TFormDesigner() = default;
    // The form changed: the host marks it modified.
    virtual void Modified() = 0;
    // Opens the handler of the component's default event; hosts without a
    // code editor do nothing.
    virtual void EditDefaultEvent(QObject* component) { Q_UNUSED(component); }
};

class TComponentEditor {
public:
    TComponentEditor(QObject* component, TFormDesigner* designer)
        : m_component(component), m_designer(designer) {}
    virtual ~TComponentEditor() = default;
    TComponentEditor(const TComponentEditor&) = delete;
    TComponentEditor& operator=(const TComponentEditor&) = delete;

    // A double click on the component: runs the first verb when there is one.
    virtual void Edit();
    virtual void ExecuteVerb(int Index);
    virtual QString GetVerb(int Index);
    virtual int GetVerbCount();

    QObject* Component() const { return m_component; }
    TFormDesigner* Designer() const { return m_designer; }

private:
    QObject* m_component;
    TFormDesigner* m_designer;
};

// The editor every component has: no verbs; a double click opens the
// component's default event.
class TDefaultEditor : public TComponentEditor {
public:
    using TComponentEditor::TComponentEditor;
    void Edit() override;
};

enum TPropertyAttribute {
    paValueList = 0x01,
    paSubProperties = 0x02,
    paDialog = 0x04,
    paMultiSelect = 0x08,
    paAutoUpdate = 0x10,
    paSortList = 0x20,
    paReadOnly = 0x40,
    paRevertable = 0x80,
};
Q_DECLARE_FLAGS(TPropertyAttributes, TPropertyAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPropertyAttributes)

// A published property of a component class: the reflection through which
// property editors read and write it.
struct TPublishedProperty {
    QString Name;
    QString TypeName; // "Boolean", "Integer", "String", "WideString", "TStrings", ...
    std::function<QVariant(const QObject*)> Get;
    std::function<void(QObject*, const QVariant&)> Set; // empty: read-only
};

// The published properties of `component`'s class (and its bases), in
// declaration order; empty for classes the package does not describe.
QList<TPublishedProperty> PublishedProperties(const QObject* component);

class TPropertyEditor {
public:
    TPropertyEditor(TFormDesigner* designer, QObject* component, TPublishedProperty property)
        : m_designer(designer), m_component(component), m_property(std::move(property)) {}
    virtual ~TPropertyEditor() = default;
    TPropertyEditor(const TPropertyEditor&) = delete;
    TPropertyEditor& operator=(const TPropertyEditor&) = delete;

    // The ellipsis button or a double click: a value list steps to its next value.
    virtual void Edit();
    virtual TPropertyAttributes GetAttributes();
    virtual QString GetValue();
    virtual void SetValue(const QString& Value);
    virtual QStringList GetValues() { return {}; }

    QObject* GetComponent() const { return m_component; }
    TFormDesigner* Designer() const { return m_designer; }
    QString GetName() const { return m_property.Name; }
    QString GetStrValue() const;
    // Writes the property and tells the designer when the value changed.
    void SetStrValue(const QString& Value);

private:
    TFormDesigner* m_designer;
    QObject* m_component;
    TPublishedProperty m_property;
};

class TStringProperty : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    QString GetValue() override { return GetStrValue(); }
    void SetValue(const QString& Value) override { SetStrValue(Value); }
};

using TComponentEditorClass =
    std::function<std::unique_ptr<TComponentEditor>(QObject* component, TFormDesigner* designer)>;
using TPropertyEditorClass = std::function<std::unique_ptr<TPropertyEditor>(
    TFormDesigner* designer, QObject* component, const TPublishedProperty& property)>;

template <class TEditor> TComponentEditorClass ComponentEditorClass() {
    return [](QObject* c, TFormDesigner* d) { return std::make_unique<TEditor>(c, d); };
}
template <class TEditor> TPropertyEditorClass PropertyEditorClass() {
    return [](TFormDesigner* d, QObject* c, const TPublishedProperty& p) {
        return std::make_unique<TEditor>(d, c, p);
    };
}

// Component classes are named without namespace ("TQuillaryDialog").
void RegisterComponents(const QString& Page, const QStringList& ComponentClasses);
void RegisterComponentEditor(const QString& ComponentClass, TComponentEditorClass ComponentEditor);
// An empty PropertyName stands for every property of that type.
void RegisterPropertyEditor(const QString& PropertyType, const QString& ComponentClass,
                            const QString& PropertyName, TPropertyEditorClass EditorClass);

// One registration, as the host received it.
struct TRegistration {
    enum TKind { Component, ComponentEditor, PropertyEditor };
    TKind Kind;
    QString Page;           // Component
    QString ComponentClass; // all kinds
    QString PropertyType;   // PropertyEditor
    QString PropertyName;   // PropertyEditor
    TComponentEditorClass ComponentEditorClass;
    TPropertyEditorClass PropertyEditorClass;
};

// Every registration in the order it was made.
const QList<TRegistration>& Registrations();
// Forgets every registration (the host unloaded the package).
void ClearRegistrations();

// The class name of `component` without namespace, and those of its bases.
QStringList ComponentClassNames(const QObject* component);
// The editor registered last for the component's class or its nearest base;
// TDefaultEditor when there is none.
std::unique_ptr<TComponentEditor> GetComponentEditor(QObject* component, TFormDesigner* designer);
// Whether a component editor is registered for the class or a base.
bool HasComponentEditor(const QObject* component);
// The editor of one published property: the one registered last for its
// type, class (or a base) and name; TStringProperty when none; null when the
// component has no such published property.
std::unique_ptr<TPropertyEditor> GetPropertyEditor(QObject* component, const QString& propertyName,
                                                   TFormDesigner* designer);

} // namespace quillary
