#include "package/Registration.h"

#include <QMetaObject>
#include <algorithm>

namespace quillary {

namespace {

// Never destroyed: a host may unload the package after static destruction began.
QList<TRegistration>& Table() {
    static auto* table = new QList<TRegistration>;
    return *table;
}

QString ShortClassName(const char* className) {
    const QString name = QString::fromLatin1(className);
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? name : name.mid(colons + 2);
}

// How near `className` is to the component's class: 0 for the class itself,
// 1 for its base, ...; -1 when it is none of them.
int Distance(const QStringList& classes, const QString& className) {
    return int(classes.indexOf(className));
}

} // namespace

void TComponentEditor::Edit() {
    if (GetVerbCount() > 0) ExecuteVerb(0);
}

void TComponentEditor::ExecuteVerb(int) {}

QString TComponentEditor::GetVerb(int) {
    return QString();
}

int TComponentEditor::GetVerbCount() {
    return 0;
}

void TDefaultEditor::Edit() {
    if (Designer()) Designer()->EditDefaultEvent(Component());
}

void TPropertyEditor::Edit() {
    if (!(GetAttributes() & paValueList)) return;
    const QStringList values = GetValues();
    if (values.isEmpty()) return;
    const qsizetype at = values.indexOf(GetValue());
    SetValue(values.at((at + 1) % values.size()));
}

TPropertyAttributes TPropertyEditor::GetAttributes() {
    return paRevertable;
}

QString TPropertyEditor::GetValue() {
    return QStringLiteral("(Unknown)");
}

void TPropertyEditor::SetValue(const QString&) {}

QString TPropertyEditor::GetStrValue() const {
    return m_property.Get ? m_property.Get(m_component).toString() : QString();
}

void TPropertyEditor::SetStrValue(const QString& Value) {
    if (!m_property.Set || GetStrValue() == Value) return;
    m_property.Set(m_component, Value);
    if (m_designer) m_designer->Modified();
}

TPropertyAttributes TStringProperty::GetAttributes() {
    return paMultiSelect | paRevertable;
}

void RegisterComponents(const QString& Page, const QStringList& ComponentClasses) {
    for (const QString& name : ComponentClasses)
        Table().append({TRegistration::Component, Page, name, {}, {}, {}, {}});
}

void RegisterComponentEditor(const QString& ComponentClass, TComponentEditorClass ComponentEditor) {
    Table().append({TRegistration::ComponentEditor,
                    {},
                    ComponentClass,
                    {},
                    {},
                    std::move(ComponentEditor),
                    {}});
}

void RegisterPropertyEditor(const QString& PropertyType, const QString& ComponentClass,
                            const QString& PropertyName, TPropertyEditorClass EditorClass) {
    Table().append({TRegistration::PropertyEditor,
                    {},
                    ComponentClass,
                    PropertyType,
                    PropertyName,
                    {},
                    std::move(EditorClass)});
}

const QList<TRegistration>& Registrations() {
    return Table();
}

void ClearRegistrations() {
    Table().clear();
}

QStringList ComponentClassNames(const QObject* component) {
    QStringList names;
    if (!component) return names;
    for (const QMetaObject* meta = component->metaObject(); meta; meta = meta->superClass())
        names << ShortClassName(meta->className());
    return names;
}

namespace {

// The component editor registration that applies: nearest class, latest wins.
const TRegistration* FindComponentEditor(const QObject* component) {
    const QStringList classes = ComponentClassNames(component);
    const TRegistration* best = nullptr;
    int bestDistance = -1;
    for (const TRegistration& r : Table()) {
        if (r.Kind != TRegistration::ComponentEditor) continue;
        const int d = Distance(classes, r.ComponentClass);
        if (d >= 0 && (bestDistance < 0 || d <= bestDistance)) {
            best = &r;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

bool HasComponentEditor(const QObject* component) {
    return FindComponentEditor(component) != nullptr;
}

std::unique_ptr<TComponentEditor> GetComponentEditor(QObject* component, TFormDesigner* designer) {
    if (const TRegistration* r = FindComponentEditor(component))
        return r->ComponentEditorClass(component, designer);
    return std::make_unique<TDefaultEditor>(component, designer);
}

std::unique_ptr<TPropertyEditor> GetPropertyEditor(QObject* component, const QString& propertyName,
                                                   TFormDesigner* designer) {
    const QList<TPublishedProperty> properties = PublishedProperties(component);
    const auto property =
        std::find_if(properties.begin(), properties.end(), [&](const TPublishedProperty& p) {
            return p.Name.compare(propertyName, Qt::CaseInsensitive) == 0;
        });
    if (property == properties.end()) return nullptr;
    const QStringList classes = ComponentClassNames(component);
    const TRegistration* best = nullptr;
    int bestDistance = -1;
    for (const TRegistration& r : Table()) {
        if (r.Kind != TRegistration::PropertyEditor || r.PropertyType != property->TypeName)
            continue;
        if (!r.PropertyName.isEmpty() &&
            r.PropertyName.compare(property->Name, Qt::CaseInsensitive) != 0)
            continue;
        const int d = Distance(classes, r.ComponentClass);
        if (d >= 0 && (bestDistance < 0 || d <= bestDistance)) {
            best = &r;
            bestDistance = d;
        }
    }
    if (best) return best->PropertyEditorClass(designer, component, *property);
    return std::make_unique<TStringProperty>(designer, component, *property);
}

} // namespace quillary
