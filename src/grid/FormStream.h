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
// the same tree; this unit (FormValue, FormTextWriter, FormTextParser,
// FormBinary; a library of its own that knows nothing of the grid) reads
// and writes the tree, GridStreaming.h maps it to a grid.

#include "grid/GridError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
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
    enum class TKind : quint8 { Integer, Float, String, Ident, Set, List, Collection, Binary };
    TKind Kind = TKind::Integer;
    int Line = 0;
    qint64 Int = 0;
    double Float = 0;
    QString Text; // String; Ident (True, False, nil, names)

    // Set members, list elements, collection items and binary data live in a
    // block of their own, made when first written to: a value in a long list
    // stays small (a stored form of a megabyte may hold half a million).
    const QStringList& Names() const;
    QStringList& Names();
    // List elements. While every element is an integer (the extents of a
    // grid) they are kept as plain numbers with their lines.
    qsizetype ItemCount() const;
    TFormValue Item(qsizetype index) const;
    void AppendItem(TFormValue item);
    const std::vector<TFormItem>& Elements() const;
    std::vector<TFormItem>& Elements();
    const QByteArray& Data() const;
    QByteArray& Data();

    TFormValue();
    TFormValue(const TFormValue& other);
    TFormValue(TFormValue&& other) noexcept;
    TFormValue& operator=(const TFormValue& other);
    TFormValue& operator=(TFormValue&& other) noexcept;
    ~TFormValue();

    static TFormValue Integer(qint64 v);
    static TFormValue String(const QString& s);
    static TFormValue Ident(const QString& s);
    static TFormValue Boolean(bool b);
    static TFormValue SetOf(const QStringList& names);
    static TFormValue ListOf(std::vector<TFormValue> items);

private:
    struct TParts;
    TParts& Parts();
    static const TParts& NoParts();
    std::unique_ptr<TParts> m_parts;
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
