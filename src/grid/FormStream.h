#pragma once
// Form files in the component library's style: a component and its
// published properties as a tree, in the text encoding
//
//     object UnionGrid: TStringGridEx
//       Left = 8
//       Options = [goFixedVertLine, goEditing]
//       PropValues = <
//         item
//           PropertyLabel = '('
//         end>
//       ColWidths = (
//         21
//         54)
//     end
//
// or the binary encoding that starts with the signature "TPF0". Both carry
// the same tree; this file reads and writes the tree, GridStreaming.h maps it
// to a grid.

#include "grid/GridTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillary {

// Any failure to read a form (syntax or content).
class EFilerError : public EGridException {
public:
    using EGridException::EGridException;
};

// The text is not well formed; the message names the line.
class EParserError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// The form is well formed but does not fit the component (unknown property,
// wrong value, wrong list length).
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

struct TFormItem;

struct TFormValue {
    enum class TKind { Integer, Float, String, Ident, Set, List, Collection, Binary };
    TKind Kind = TKind::Integer;
    qint64 Int = 0;
    double Float = 0;
    QString Text;                    // String; Ident (True, False, nil, names)
    QStringList Names;               // Set members
    std::vector<TFormValue> Items;   // List elements
    std::vector<TFormItem> Elements; // Collection items
    QByteArray Data;                 // Binary
    int Line = 0;

    static TFormValue Integer(qint64 v);
    static TFormValue String(const QString& s);
    static TFormValue Ident(const QString& s);
    static TFormValue Boolean(bool b);
    static TFormValue SetOf(const QStringList& names);
    static TFormValue ListOf(std::vector<TFormValue> items);
};

struct TFormProperty {
    QString Name; // may be qualified: "PickList.Strings", "Font.Name"
    TFormValue Value;
    int Line = 0;
};

struct TFormItem {
    std::vector<TFormProperty> Properties;
    int Line = 0;
};

struct TFormObject {
    QString Keyword = QStringLiteral("object"); // object, inherited or inline
    QString Name;
    QString ClassName;
    std::vector<TFormProperty> Properties;
    std::vector<TFormObject> Children;
    int Line = 0;
};

// Text encoding. Strings are written with printable ASCII quoted and every
// other character as #code, broken into pieces of 64 joined by "+".
QString WriteFormText(const TFormObject& object);
// Raises EParserError with the line of the problem.
TFormObject ParseFormText(const QString& text);
// One property value in text form ("[a, b]", "'x'", "12", ...).
QString FormValueToText(const TFormValue& value);
TFormValue ParseFormValue(const QString& text);

// Binary encoding ("TPF0" ...). Raises EReadError on malformed data.
QByteArray WriteFormBinary(const TFormObject& object);
TFormObject ReadFormBinary(const QByteArray& data);
bool IsFormBinary(const QByteArray& data);

} // namespace quillary
