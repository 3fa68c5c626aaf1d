// The published properties of the package's components, in declaration
// order, for the property editors. Connections travel as void*.
#include "db/ADOQuery.h"
// QuillaryDialog.h needs the form class complete (its QPointer).
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "package/Registration.h"

namespace quillary {

namespace {

using TDialog = TQuillaryDialog;

TDialog* D(QObject* o) {
    return static_cast<TDialog*>(o);
}
const TDialog* D(const QObject* o) {
    return static_cast<const TDialog*>(o);
}

template <class T> TPublishedProperty Field(const char* name, const char* type, T TDialog::*field) {
    return {QString::fromLatin1(name), QString::fromLatin1(type),
            [field](const QObject* o) { return QVariant::fromValue(D(o)->*field); },
            [field](QObject* o, const QVariant& v) { D(o)->*field = v.value<T>(); }};
}

QList<TPublishedProperty> DialogProperties() {
    return {
        Field("IsCreateView", "Boolean", &TDialog::IsCreateView),
        Field("IsAllowUnion", "Boolean", &TDialog::IsAllowUnion),
        Field("IsAllowOrderBy", "Boolean", &TDialog::IsAllowOrderBy),
        Field("IsAllowChangeCSN", "Boolean", &TDialog::IsAllowChangeCSN),
        {QStringLiteral("Connected"),
         QStringLiteral("Boolean"),
         [](const QObject* o) { return QVariant(D(o)->GetConnected()); },
         {}},
        {QStringLiteral("CSN"),
         QStringLiteral("WideString"),
         [](const QObject* o) { return QVariant(D(o)->GetCSN()); },
         {}},
        {QStringLiteral("Connection"), QStringLiteral("TADOConnection"),
         [](const QObject* o) {
             return QVariant::fromValue(static_cast<void*>(D(o)->GetConnection()));
         },
         [](QObject* o, const QVariant& v) {
             D(o)->SetConnection(static_cast<TADOConnection*>(v.value<void*>()));
         }},
        {QStringLiteral("ConnectionString"), QStringLiteral("WideString"),
         [](const QObject* o) { return QVariant(D(o)->ConnectionString()); },
         [](QObject* o, const QVariant& v) { D(o)->SetConnectionString(v.toString()); }},
        {QStringLiteral("SQLS"),
         QStringLiteral("TStrings"),
         [](const QObject* o) { return QVariant(const_cast<TDialog*>(D(o))->GetSQLS()); },
         {}},
        Field("SQL", "String", &TDialog::SQL),
        {QStringLiteral("SQLSet"), QStringLiteral("TStrings"),
         [](const QObject* o) { return QVariant(D(o)->SQLSet); },
         [](QObject* o, const QVariant& v) { D(o)->FSetSQL(v.toStringList()); }},
        Field("Form_Left", "Integer", &TDialog::Form_Left),
        Field("Form_Top", "Integer", &TDialog::Form_Top),
        Field("Form_Width", "Integer", &TDialog::Form_Width),
        Field("Form_Height", "Integer", &TDialog::Form_Height),
        Field("SystemTable", "Boolean", &TDialog::SystemTable),
        Field("Version", "String", &TDialog::Version),
        Field("Caption", "String", &TDialog::Caption),
        Field("IsAutoLink", "Boolean", &TDialog::IsAutoLink),
        Field("IsConfirmChanges", "Boolean", &TDialog::IsConfirmChanges),
        Field("IsAutoArrange", "Boolean", &TDialog::IsAutoArrange),
        Field("IsFilterTables", "Boolean", &TDialog::IsFilterTables),
        Field("IsDatabaseFunctions", "Boolean", &TDialog::IsDatabaseFunctions),
        Field("IsDesignCommands", "Boolean", &TDialog::IsDesignCommands),
    };
}

TADOQuery* Q(QObject* o) {
    return static_cast<TADOQuery*>(o);
}
const TADOQuery* Q(const QObject* o) {
    return static_cast<const TADOQuery*>(o);
}

QList<TPublishedProperty> QueryProperties() {
    return {
        {QStringLiteral("Connection"), QStringLiteral("TADOConnection"),
         [](const QObject* o) {
             return QVariant::fromValue(static_cast<void*>(Q(o)->Connection()));
         },
         [](QObject* o, const QVariant& v) {
             Q(o)->SetConnection(static_cast<TADOConnection*>(v.value<void*>()));
         }},
        {QStringLiteral("ConnectionString"), QStringLiteral("WideString"),
         [](const QObject* o) { return QVariant(Q(o)->ConnectionString()); },
         [](QObject* o, const QVariant& v) { Q(o)->SetConnectionString(v.toString()); }},
        {QStringLiteral("SQL"), QStringLiteral("TStrings"),
         [](const QObject* o) { return QVariant(Q(o)->SQL()); },
         [](QObject* o, const QVariant& v) { Q(o)->SQL() = v.toStringList(); }},
    };
}

} // namespace

QList<TPublishedProperty> PublishedProperties(const QObject* component) {
    if (qobject_cast<const TQuillaryDialog*>(component)) return DialogProperties();
    if (qobject_cast<const TADOQuery*>(component)) return QueryProperties();
    return {};
}

} // namespace quillary
