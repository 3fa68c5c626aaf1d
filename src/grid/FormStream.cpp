#include "grid/FormStream.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cmath>
#include <limits>

namespace quillary {

struct TFormValue::TParts {
    QStringList Names;
    std::vector<qint64> Numbers;
    std::vector<int> NumberLines;
    std::vector<TFormValue> Items; // once an element is not an integer
    std::vector<TFormItem> Elements;
    QByteArray Data;
};

TFormValue::TFormValue() = default;
TFormValue::TFormValue(TFormValue&& other) noexcept = default;
TFormValue& TFormValue::operator=(TFormValue&& other) noexcept = default;
TFormValue::~TFormValue() = default;

TFormValue::TFormValue(const TFormValue& other)
    : Kind(other.Kind), Line(other.Line), Int(other.Int), Float(other.Float), Text(other.Text),
      m_parts(other.m_parts ? std::make_unique<TParts>(*other.m_parts) : nullptr) {}

TFormValue& TFormValue::operator=(const TFormValue& other) {
    if (this != &other) *this = TFormValue(other);
    return *this;
}

TFormValue::TParts& TFormValue::Parts() {
    if (!m_parts) m_parts = std::make_unique<TParts>();
    return *m_parts;
}

const TFormValue::TParts& TFormValue::NoParts() {
    static const TParts none;
    return none;
}

const QStringList& TFormValue::Names() const {
    return m_parts ? m_parts->Names : NoParts().Names;
}
QStringList& TFormValue::Names() {
    return Parts().Names;
}
qsizetype TFormValue::ItemCount() const {
    if (!m_parts) return 0;
    return qsizetype(m_parts->Numbers.size() + m_parts->Items.size());
}

TFormValue TFormValue::Item(qsizetype index) const {
    const TParts& parts = m_parts ? *m_parts : NoParts();
    if (!parts.Numbers.empty()) {
        TFormValue v = Integer(parts.Numbers.at(std::size_t(index)));
        v.Line = parts.NumberLines.at(std::size_t(index));
        return v;
    }
    return parts.Items.at(std::size_t(index));
}

void TFormValue::AppendItem(TFormValue item) {
    TParts& parts = Parts();
    if (item.Kind == TKind::Integer && parts.Items.empty()) {
        parts.Numbers.push_back(item.Int);
        parts.NumberLines.push_back(item.Line);
        return;
    }
    if (!parts.Numbers.empty()) {
        parts.Items.reserve(parts.Numbers.size() + 1);
        for (std::size_t i = 0; i < parts.Numbers.size(); ++i) {
            parts.Items.push_back(Integer(parts.Numbers[i]));
            parts.Items.back().Line = parts.NumberLines[i];
        }
        parts.Numbers = {};
        parts.NumberLines = {};
    }
    parts.Items.push_back(std::move(item));
}
const std::vector<TFormItem>& TFormValue::Elements() const {
    return m_parts ? m_parts->Elements : NoParts().Elements;
}
std::vector<TFormItem>& TFormValue::Elements() {
    return Parts().Elements;
}
const QByteArray& TFormValue::Data() const {
    return m_parts ? m_parts->Data : NoParts().Data;
}
QByteArray& TFormValue::Data() {
    return Parts().Data;
}

TFormValue TFormValue::Integer(qint64 v) {
    TFormValue value;
    value.Kind = TKind::Integer;
    value.Int = v;
    return value;
}

TFormValue TFormValue::String(const QString& s) {
    TFormValue value;
    value.Kind = TKind::String;
    value.Text = s;
    return value;
}

TFormValue TFormValue::Ident(const QString& s) {
    TFormValue value;
    value.Kind = TKind::Ident;
    value.Text = s;
    return value;
}

TFormValue TFormValue::Boolean(bool b) {
    return Ident(b ? QStringLiteral("True") : QStringLiteral("False"));
}

TFormValue TFormValue::SetOf(const QStringList& names) {
    TFormValue value;
    value.Kind = TKind::Set;
    value.Names() = names;
    return value;
}

TFormValue TFormValue::ListOf(std::vector<TFormValue> items) {
    TFormValue value;
    value.Kind = TKind::List;
    for (TFormValue& item : items)
        value.AppendItem(std::move(item));
    return value;
}

// --- text writer ------------------------------------------------------------------

namespace {

constexpr int LineLength = 64;

QString Indent(int level) {
    return QString(level * 2, QLatin1Char(' '));
}

bool IsPlain(QChar c) {
    return c.unicode() >= 32 && c.unicode() <= 126 && c != QLatin1Char('\'');
}

// 'abc'#13#10'def', in pieces of at most 64 characters joined by " +".
QString StringLiteral(const QString& s, int level) {
    if (s.isEmpty()) return QStringLiteral("''");
    QString out;
    int i = 0;
    int pieceStart = 0;
    const int n = int(s.size());
    while (i < n) {
        if (i - pieceStart >= LineLength) {
            out += QStringLiteral(" +\n") + Indent(level);
            pieceStart = i;
        }
        if (IsPlain(s.at(i))) {
            const int j = i;
            while (i < n && IsPlain(s.at(i)) && i - pieceStart < LineLength)
                ++i;
            out += QLatin1Char('\'') + s.mid(j, i - j) + QLatin1Char('\'');
        } else {
            char32_t code = s.at(i).unicode();
            if (s.at(i).isHighSurrogate() && i + 1 < n && s.at(i + 1).isLowSurrogate()) {
                code = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
                ++i;
            }
            out += QLatin1Char('#') + QString::number(quint32(code));
            ++i;
        }
    }
    return out;
}

void WriteValue(QString& out, const TFormValue& value, int level);

void WriteProperties(QString& out, const std::vector<TFormProperty>& props, int level) {
    for (const TFormProperty& p : props) {
        out += Indent(level) + p.Name + QStringLiteral(" = ");
        WriteValue(out, p.Value, level + 1);
        out += QLatin1Char('\n');
    }
}

void WriteValue(QString& out, const TFormValue& value, int level) {
    switch (value.Kind) {
    case TFormValue::TKind::Integer:
        out += QString::number(value.Int);
        break;
    case TFormValue::TKind::Float:
        out += QString::number(value.Float, 'g', 17);
        break;
    case TFormValue::TKind::String:
        out += StringLiteral(value.Text, level);
        break;
    case TFormValue::TKind::Ident:
        out += value.Text;
        break;
    case TFormValue::TKind::Set:
        out += QLatin1Char('[') + value.Names().join(QStringLiteral(", ")) + QLatin1Char(']');
        break;
    case TFormValue::TKind::List:
        out += QLatin1Char('(');
        for (qsizetype i = 0; i < value.ItemCount(); ++i) {
            out += QLatin1Char('\n') + Indent(level);
            WriteValue(out, value.Item(i), level + 1);
        }
        out += QLatin1Char(')');
        break;
    case TFormValue::TKind::Collection:
        out += QLatin1Char('<');
        for (std::size_t i = 0; i < value.Elements().size(); ++i) {
            out += QLatin1Char('\n') + Indent(level) + QStringLiteral("item\n");
            WriteProperties(out, value.Elements()[i].Properties, level + 1);
            out += Indent(level) + QStringLiteral("end");
        }
        out += QLatin1Char('>');
        break;
    case TFormValue::TKind::Binary: {
        out += QLatin1Char('{');
        const QByteArray hex = value.Data().toHex().toUpper();
        for (int i = 0; i < hex.size(); i += LineLength) {
            out += QLatin1Char('\n') + Indent(level);
            out += QString::fromLatin1(hex.mid(i, LineLength));
        }
        out += QLatin1Char('}');
        break;
    }
    }
}

void WriteObject(QString& out, const TFormObject& object, int level) {
    out += Indent(level) + object.Keyword + QLatin1Char(' ');
    if (!object.Name.isEmpty()) out += object.Name + QStringLiteral(": ");
    out += object.ClassName + QLatin1Char('\n');
    WriteProperties(out, object.Properties, level + 1);
    for (const TFormObject& child : object.Children)
        WriteObject(out, child, level + 1);
    out += Indent(level) + QStringLiteral("end\n");
}

} // namespace

QString WriteFormText(const TFormObject& object) {
    QString out;
    WriteObject(out, object, 0);
    return out;
}

QString FormValueToText(const TFormValue& value) {
    QString out;
    WriteValue(out, value, 1);
    return out;
}

// --- text parser ------------------------------------------------------------------------

namespace {

enum class TToken { End, Symbol, Ident, String, Integer, Float };

class TFormParser {
public:
    explicit TFormParser(const QString& text) : m_text(text) { Next(); }

    TFormObject ParseObject() {
        const TDepth guard(this);
        TFormObject object;
        object.Line = m_tokenLine;
        if (m_token != TToken::Ident || !IsObjectKeyword(m_tokenText))
            Fail(QStringLiteral("'object' expected"));
        object.Keyword = m_tokenText.toLower();
        Next();
        const QString first = ExpectIdent();
        if (IsSymbol(':')) {
            Next();
            object.Name = first;
            object.ClassName = ExpectIdent();
        } else {
            object.ClassName = first;
        }
        SkipIndex();
        for (;;) {
            if (m_token == TToken::End) Fail(QStringLiteral("'end' expected"));
            if (m_token != TToken::Ident) Fail(QStringLiteral("Identifier expected"));
            if (m_tokenText.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) {
                Next();
                break;
            }
            if (IsObjectKeyword(m_tokenText) && PeekSymbol() != QLatin1Char('=')) {
                object.Children.push_back(ParseObject());
                continue;
            }
            object.Properties.push_back(ParseProperty());
        }
        return object;
    }

    TFormValue ParseValueOnly() {
        TFormValue value = ParseValue();
        if (m_token != TToken::End) Fail(QStringLiteral("End of value expected"));
        return value;
    }

    bool AtEnd() const { return m_token == TToken::End; }
    [[noreturn]] void Fail(const QString& what) const {
        throw EParserError(QStringLiteral("%1 on line %2").arg(what).arg(m_tokenLine));
    }

private:
    // Nesting is bounded so that hostile text cannot exhaust the stack.
    struct TDepth {
        explicit TDepth(TFormParser* p) : parser(p) {
            if (++parser->m_depth > MaxDepth)
                parser->Fail(QStringLiteral("Values nested too deeply"));
        }
        ~TDepth() { --parser->m_depth; }
        TFormParser* parser;
    };
    static constexpr int MaxDepth = 64;

    static bool IsObjectKeyword(const QString& s) {
        return s.compare(QLatin1String("object"), Qt::CaseInsensitive) == 0 ||
               s.compare(QLatin1String("inherited"), Qt::CaseInsensitive) == 0 ||
               s.compare(QLatin1String("inline"), Qt::CaseInsensitive) == 0;
    }

    TFormProperty ParseProperty() {
        TFormProperty prop;
        prop.Line = m_tokenLine;
        prop.Name = ExpectIdent();
        while (IsSymbol('.')) {
            Next();
            prop.Name += QLatin1Char('.') + ExpectIdent();
        }
        ExpectSymbol('=');
        prop.Value = ParseValue();
        return prop;
    }

    TFormValue ParseValue() {
        const TDepth guard(this);
        TFormValue value;
        value.Line = m_tokenLine;
        switch (m_token) {
        case TToken::Integer:
            value.Kind = TFormValue::TKind::Integer;
            value.Int = m_int;
            Next();
            return value;
        case TToken::Float:
            value.Kind = TFormValue::TKind::Float;
            value.Float = m_float;
            Next();
            return value;
        case TToken::String:
            value.Kind = TFormValue::TKind::String;
            value.Text = m_tokenText;
            Next();
            while (IsSymbol('+')) {
                Next();
                if (m_token != TToken::String) Fail(QStringLiteral("String expected"));
                value.Text += m_tokenText;
                Next();
            }
            return value;
        case TToken::Ident:
            value.Kind = TFormValue::TKind::Ident;
            value.Text = m_tokenText;
            Next();
            while (IsSymbol('.')) {
                Next();
                value.Text += QLatin1Char('.') + ExpectIdent();
            }
            return value;
        case TToken::Symbol:
            break;
        case TToken::End:
            Fail(QStringLiteral("Property value expected"));
        }
        const QChar symbol = m_tokenText.at(0);
        if (symbol == QLatin1Char('[')) {
            value.Kind = TFormValue::TKind::Set;
            Next();
            if (!IsSymbol(']')) {
                for (;;) {
                    value.Names().append(ExpectIdent());
                    if (IsSymbol(']')) break;
                    ExpectSymbol(',');
                }
            }
            Next();
            return value;
        }
        if (symbol == QLatin1Char('(')) {
            value.Kind = TFormValue::TKind::List;
            Next();
            while (!IsSymbol(')')) {
                if (m_token == TToken::End) Fail(QStringLiteral("')' expected"));
                value.AppendItem(ParseValue());
            }
            Next();
            return value;
        }
        if (symbol == QLatin1Char('<')) {
            value.Kind = TFormValue::TKind::Collection;
            Next();
            while (!IsSymbol('>')) {
                TFormItem item;
                item.Line = m_tokenLine;
                if (m_token != TToken::Ident ||
                    m_tokenText.compare(QLatin1String("item"), Qt::CaseInsensitive) != 0)
                    Fail(QStringLiteral("'item' expected"));
                Next();
                SkipIndex();
                for (;;) {
                    if (m_token == TToken::End) Fail(QStringLiteral("'end' expected"));
                    if (m_token == TToken::Ident &&
                        m_tokenText.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) {
                        Next();
                        break;
                    }
                    item.Properties.push_back(ParseProperty());
                }
                value.Elements().push_back(std::move(item));
            }
            Next();
            return value;
        }
        if (symbol == QLatin1Char('{')) {
            value.Kind = TFormValue::TKind::Binary;
            value.Data() = ReadBinaryBlock();
            Next();
            return value;
        }
        Fail(QStringLiteral("Invalid property value"));
    }

    QString ExpectIdent() {
        if (m_token != TToken::Ident) Fail(QStringLiteral("Identifier expected"));
        const QString s = m_tokenText;
        Next();
        return s;
    }

    // An optional "[n]" after an object or item header (its position among
    // its siblings), which carries nothing we keep.
    void SkipIndex() {
        if (!IsSymbol('[')) return;
        Next();
        if (m_token != TToken::Integer) Fail(QStringLiteral("Number expected"));
        Next();
        ExpectSymbol(']');
    }
    void ExpectSymbol(char c) {
        if (!IsSymbol(c)) Fail(QStringLiteral("'%1' expected").arg(QLatin1Char(c)));
        Next();
    }

    bool IsSymbol(char c) const {
        return m_token == TToken::Symbol && m_tokenText.at(0) == QLatin1Char(c);
    }

    // The first non-blank character after the current token.
    QChar PeekSymbol() const {
        int p = m_pos;
        while (p < m_text.size() && m_text.at(p).isSpace())
            ++p;
        return p < m_text.size() ? m_text.at(p) : QChar();
    }

    QByteArray ReadBinaryBlock() {
        // The hex digits up to '}' (the current token is '{').
        QByteArray hex;
        while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('}')) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('\n')) ++m_line;
            if (!c.isSpace()) {
                if (!isxdigit(c.toLatin1())) Fail(QStringLiteral("Invalid binary value"));
                hex += c.toLatin1();
            }
            ++m_pos;
        }
        if (m_pos >= m_text.size()) Fail(QStringLiteral("'}' expected"));
        if (hex.size() % 2 != 0) Fail(QStringLiteral("Invalid binary value"));
        ++m_pos; // past '}'
        m_token = TToken::Symbol;
        m_tokenText = QStringLiteral("}");
        return QByteArray::fromHex(hex);
    }

    void Next() {
        const int n = int(m_text.size());
        while (m_pos < n && m_text.at(m_pos).isSpace()) {
            if (m_text.at(m_pos) == QLatin1Char('\n')) ++m_line;
            ++m_pos;
        }
        m_tokenLine = m_line;
        if (m_pos >= n) {
            m_token = TToken::End;
            m_tokenText.clear();
            return;
        }
        const QChar c = m_text.at(m_pos);
        if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = m_pos;
            while (m_pos < n &&
                   (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == QLatin1Char('_')))
                ++m_pos;
            m_token = TToken::Ident;
            m_tokenText = m_text.mid(start, m_pos - start);
            return;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
            ReadString();
            return;
        }
        const bool signedNumber =
            (c == QLatin1Char('-') || c == QLatin1Char('+')) && m_pos + 1 < n &&
            (m_text.at(m_pos + 1).isDigit() || m_text.at(m_pos + 1) == QLatin1Char('$'));
        if (c.isDigit() || c == QLatin1Char('$') || signedNumber) {
            ReadNumber();
            return;
        }
        m_token = TToken::Symbol;
        m_tokenText = QString(c);
        ++m_pos;
    }

    void ReadString() {
        const int n = int(m_text.size());
        QString s;
        for (;;) {
            if (m_pos < n && m_text.at(m_pos) == QLatin1Char('\'')) {
                ++m_pos;
                for (;;) {
                    if (m_pos >= n || m_text.at(m_pos) == QLatin1Char('\n') ||
                        m_text.at(m_pos) == QLatin1Char('\r'))
                        Fail(QStringLiteral("Unterminated string"));
                    const QChar ch = m_text.at(m_pos++);
                    if (ch == QLatin1Char('\'')) {
                        if (m_pos < n && m_text.at(m_pos) == QLatin1Char('\'')) {
                            s += QLatin1Char('\'');
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    s += ch;
                }
            } else if (m_pos < n && m_text.at(m_pos) == QLatin1Char('#')) {
                ++m_pos;
                bool hex = false;
                if (m_pos < n && m_text.at(m_pos) == QLatin1Char('$')) {
                    hex = true;
                    ++m_pos;
                }
                const int start = m_pos;
                while (m_pos < n && (hex ? isxdigit(m_text.at(m_pos).toLatin1()) != 0
                                         : m_text.at(m_pos).isDigit()))
                    ++m_pos;
                if (m_pos == start || m_pos - start > 10)
                    Fail(QStringLiteral("Invalid character code"));
                bool ok = false;
                const quint64 code =
                    m_text.mid(start, m_pos - start).toULongLong(&ok, hex ? 16 : 10);
                if (!ok || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                    Fail(QStringLiteral("Invalid character code"));
                const char32_t c32 = char32_t(code);
                s += QString::fromUcs4(&c32, 1);
            } else {
                break;
            }
        }
        m_token = TToken::String;
        m_tokenText = s;
    }

    void ReadNumber() {
        const int n = int(m_text.size());
        const int start = m_pos;
        bool negative = false;
        if (m_text.at(m_pos) == QLatin1Char('-') || m_text.at(m_pos) == QLatin1Char('+')) {
            negative = m_text.at(m_pos) == QLatin1Char('-');
            ++m_pos;
        }
        if (m_pos < n && m_text.at(m_pos) == QLatin1Char('$')) {
            ++m_pos;
            const int digits = m_pos;
            while (m_pos < n && isxdigit(m_text.at(m_pos).toLatin1()))
                ++m_pos;
            bool ok = false;
            const quint64 v = m_text.mid(digits, m_pos - digits).toULongLong(&ok, 16);
            if (!ok || m_pos - digits > 16) Fail(QStringLiteral("Invalid number"));
            m_token = TToken::Integer;
            // Hex digits are the 64 bits themselves; negating in unsigned
            // arithmetic keeps -$8000000000000000 defined.
            m_int = qint64(negative ? 0 - v : v);
            return;
        }
        while (m_pos < n && m_text.at(m_pos).isDigit())
            ++m_pos;
        bool isFloat = false;
        if (m_pos < n && m_text.at(m_pos) == QLatin1Char('.') && m_pos + 1 < n &&
            m_text.at(m_pos + 1).isDigit()) {
            isFloat = true;
            ++m_pos;
            while (m_pos < n && m_text.at(m_pos).isDigit())
                ++m_pos;
        }
        if (m_pos < n &&
            (m_text.at(m_pos) == QLatin1Char('e') || m_text.at(m_pos) == QLatin1Char('E'))) {
            int p = m_pos + 1;
            if (p < n && (m_text.at(p) == QLatin1Char('+') || m_text.at(p) == QLatin1Char('-')))
                ++p;
            if (p < n && m_text.at(p).isDigit()) {
                isFloat = true;
                m_pos = p;
                while (m_pos < n && m_text.at(m_pos).isDigit())
                    ++m_pos;
            }
        }
        const QString number = m_text.mid(start, m_pos - start);
        bool ok = false;
        if (isFloat) {
            m_token = TToken::Float;
            m_float = number.toDouble(&ok);
        } else {
            m_token = TToken::Integer;
            m_int = number.toLongLong(&ok);
        }
        if (!ok) Fail(QStringLiteral("Invalid number"));
    }

    QString m_text;
    int m_pos = 0;
    int m_line = 1;
    int m_tokenLine = 1;
    TToken m_token = TToken::End;
    QString m_tokenText;
    qint64 m_int = 0;
    double m_float = 0;
    int m_depth = 0;
};

} // namespace

TFormObject ParseFormText(const QString& text) {
    TFormParser parser(text);
    TFormObject object = parser.ParseObject();
    if (!parser.AtEnd()) parser.Fail(QStringLiteral("End of text expected"));
    return object;
}

TFormValue ParseFormValue(const QString& text) {
    TFormParser parser(text);
    return parser.ParseValueOnly();
}

// --- binary encoding ---------------------------------------------------------------------------

namespace {

enum TValueType : quint8 {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

const char Signature[] = "TPF0";
constexpr quint8 PrefixMask = 0xF0;
constexpr quint8 ffInherited = 1;
constexpr quint8 ffInline = 4;

class TBinaryWriter {
public:
    QByteArray Data;

    void Byte(quint8 b) { Data.append(char(b)); }
    template <class T> void Raw(T v) {
        T le = qToLittleEndian(v);
        Data.append(reinterpret_cast<const char*>(&le), sizeof(T));
    }
    void ShortString(const QString& s) {
        QByteArray bytes = s.toUtf8();
        if (bytes.size() > 255) throw EFilerError(QStringLiteral("Name too long: %1").arg(s));
        Byte(quint8(bytes.size()));
        Data.append(bytes);
    }
    void Value(const TFormValue& v) {
        switch (v.Kind) {
        case TFormValue::TKind::Integer:
            if (v.Int >= -128 && v.Int <= 127) {
                Byte(vaInt8);
                Raw<qint8>(qint8(v.Int));
            } else if (v.Int >= -32768 && v.Int <= 32767) {
                Byte(vaInt16);
                Raw<qint16>(qint16(v.Int));
            } else if (v.Int >= std::numeric_limits<qint32>::min() &&
                       v.Int <= std::numeric_limits<qint32>::max()) {
                Byte(vaInt32);
                Raw<qint32>(qint32(v.Int));
            } else {
                Byte(vaInt64);
                Raw<qint64>(v.Int);
            }
            break;
        case TFormValue::TKind::Float:
            Byte(vaDouble);
            Raw<double>(v.Float);
            break;
        case TFormValue::TKind::String: {
            bool ascii = true;
            for (QChar c : v.Text)
                if (c.unicode() > 127) ascii = false;
            if (ascii && v.Text.size() <= 255) {
                Byte(vaString);
                Byte(quint8(v.Text.size()));
                Data.append(v.Text.toLatin1());
            } else if (ascii) {
                Byte(vaLString);
                Raw<qint32>(qint32(v.Text.size()));
                Data.append(v.Text.toLatin1());
            } else {
                Byte(vaWString);
                Raw<qint32>(qint32(v.Text.size()));
                for (QChar c : v.Text)
                    Raw<quint16>(c.unicode());
            }
            break;
        }
        case TFormValue::TKind::Ident:
            if (v.Text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                Byte(vaTrue);
            } else if (v.Text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
                Byte(vaFalse);
            } else if (v.Text.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) {
                Byte(vaNil);
            } else {
                Byte(vaIdent);
                ShortString(v.Text);
            }
            break;
        case TFormValue::TKind::Set:
            Byte(vaSet);
            for (const QString& name : v.Names())
                ShortString(name);
            Byte(0);
            break;
        case TFormValue::TKind::List:
            Byte(vaList);
            for (qsizetype i = 0; i < v.ItemCount(); ++i)
                Value(v.Item(i));
            Byte(vaNull);
            break;
        case TFormValue::TKind::Collection:
            Byte(vaCollection);
            for (const TFormItem& item : v.Elements()) {
                Byte(vaList);
                Properties(item.Properties);
            }
            Byte(vaNull);
            break;
        case TFormValue::TKind::Binary:
            Byte(vaBinary);
            Raw<qint32>(qint32(v.Data().size()));
            Data.append(v.Data());
            break;
        }
    }
    void Properties(const std::vector<TFormProperty>& props) {
        for (const TFormProperty& p : props) {
            ShortString(p.Name);
            Value(p.Value);
        }
        Byte(vaNull);
    }
    void Object(const TFormObject& o) {
        quint8 flags = 0;
        if (o.Keyword == QLatin1String("inherited")) flags |= ffInherited;
        if (o.Keyword == QLatin1String("inline")) flags |= ffInline;
        if (flags) Byte(PrefixMask | flags);
        ShortString(o.ClassName);
        ShortString(o.Name);
        Properties(o.Properties);
        for (const TFormObject& child : o.Children)
            Object(child);
        Byte(vaNull);
    }
};

// Byte strings of the older stream format are in the writer's code page;
// for the Chinese forms this system reads that is GBK.
QString AnsiString(const QByteArray& bytes) {
    bool ascii = true;
    for (char c : bytes)
        if (quint8(c) > 127) ascii = false;
    if (ascii) return QString::fromLatin1(bytes);
    QStringDecoder gbk("GBK");
    if (gbk.isValid()) {
        const QString text = gbk.decode(bytes);
        if (!gbk.hasError()) return text;
    }
    return QString::fromLatin1(bytes);
}

class TBinaryReader {
public:
    explicit TBinaryReader(const QByteArray& data) : m_data(data) {}

    TFormObject Read() {
        if (!IsFormBinary(m_data)) Fail(QStringLiteral("Invalid stream format"));
        m_pos = 4;
        TFormObject object = Object(0);
        if (m_pos != m_data.size()) Fail(QStringLiteral("Data after the end of the component"));
        return object;
    }

private:
    [[noreturn]] void Fail(const QString& what) const {
        throw EReadError(QStringLiteral("%1 at offset %2").arg(what).arg(m_pos));
    }
    quint8 Byte() {
        if (m_pos >= m_data.size()) Fail(QStringLiteral("Unexpected end of stream"));
        return quint8(m_data.at(m_pos++));
    }
    quint8 PeekByte() const {
        if (m_pos >= m_data.size()) Fail(QStringLiteral("Unexpected end of stream"));
        return quint8(m_data.at(m_pos));
    }
    QByteArray Bytes(qint64 n) {
        if (n < 0 || n > m_data.size() - m_pos) Fail(QStringLiteral("Unexpected end of stream"));
        QByteArray b = m_data.mid(m_pos, int(n));
        m_pos += int(n);
        return b;
    }
    template <class T> T Raw() {
        const QByteArray b = Bytes(sizeof(T));
        T v;
        memcpy(&v, b.constData(), sizeof(T));
        return qFromLittleEndian(v);
    }
    QString ShortString() {
        const quint8 n = Byte();
        return QString::fromUtf8(Bytes(n));
    }
    // Names and identifiers as the text form can carry them: letters, digits
    // and "_", not starting with a digit; a property name may be qualified
    // with dots; none may be a word of the text form's own structure.
    static bool IsIdentifier(const QString& s) {
        if (s.isEmpty() || !(s.front().isLetter() || s.front() == QLatin1Char('_'))) return false;
        for (QChar c : s)
            if (!c.isLetterOrNumber() && c != QLatin1Char('_')) return false;
        return true;
    }
    static bool IsStructureWord(const QString& s) {
        for (const char* word : {"object", "inherited", "inline", "end", "item"})
            if (s.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
        return false;
    }
    QString Identifier(const char* what, bool dotted = false, bool allowEmpty = false) {
        const int at = m_pos;
        const QString s = ShortString();
        if (allowEmpty && s.isEmpty()) return s;
        const QStringList parts = dotted ? s.split(QLatin1Char('.')) : QStringList{s};
        for (const QString& part : parts)
            if (!IsIdentifier(part) || IsStructureWord(part)) {
                m_pos = at;
                Fail(QStringLiteral("Invalid %1 \"%2\"").arg(QLatin1String(what), s));
            }
        return s;
    }
    TFormValue Value(int depth) {
        if (depth > 64) Fail(QStringLiteral("Values nested too deeply"));
        TFormValue v;
        const quint8 type = Byte();
        switch (type) {
        case vaInt8:
            return TFormValue::Integer(Raw<qint8>());
        case vaInt16:
            return TFormValue::Integer(Raw<qint16>());
        case vaInt32:
            return TFormValue::Integer(Raw<qint32>());
        case vaInt64:
            return TFormValue::Integer(Raw<qint64>());
        case vaDouble: {
            v.Kind = TFormValue::TKind::Float;
            v.Float = Raw<double>();
            if (!std::isfinite(v.Float)) Fail(QStringLiteral("Invalid floating-point value"));
            return v;
        }
        case vaSingle: {
            v.Kind = TFormValue::TKind::Float;
            v.Float = double(Raw<float>());
            if (!std::isfinite(v.Float)) Fail(QStringLiteral("Invalid floating-point value"));
            return v;
        }
        case vaString: {
            const quint8 n = Byte();
            return TFormValue::String(AnsiString(Bytes(n)));
        }
        case vaLString: {
            const qint32 n = Raw<qint32>();
            return TFormValue::String(AnsiString(Bytes(n)));
        }
        case vaUTF8String: {
            const qint32 n = Raw<qint32>();
            return TFormValue::String(QString::fromUtf8(Bytes(n)));
        }
        case vaWString: {
            const qint32 n = Raw<qint32>();
            if (n < 0 || qint64(n) * 2 > m_data.size() - m_pos)
                Fail(QStringLiteral("Unexpected end of stream"));
            QString s;
            s.reserve(n);
            for (qint32 i = 0; i < n; ++i)
                s += QChar(Raw<quint16>());
            return TFormValue::String(s);
        }
        case vaIdent:
            return TFormValue::Ident(Identifier("identifier"));
        case vaFalse:
            return TFormValue::Boolean(false);
        case vaTrue:
            return TFormValue::Boolean(true);
        case vaNil:
            return TFormValue::Ident(QStringLiteral("nil"));
        case vaSet: {
            v.Kind = TFormValue::TKind::Set;
            for (;;) {
                const QString name = Identifier("set member", false, true);
                if (name.isEmpty()) break;
                v.Names().append(name);
            }
            return v;
        }
        case vaList: {
            v.Kind = TFormValue::TKind::List;
            while (PeekByte() != vaNull)
                v.AppendItem(Value(depth + 1));
            Byte();
            return v;
        }
        case vaCollection: {
            v.Kind = TFormValue::TKind::Collection;
            while (PeekByte() != vaNull) {
                const quint8 marker = PeekByte();
                if (marker == vaInt8 || marker == vaInt16 || marker == vaInt32) Value(depth + 1);
                if (Byte() != vaList) Fail(QStringLiteral("Collection item expected"));
                TFormItem item;
                item.Properties = Properties(depth + 1);
                v.Elements().push_back(std::move(item));
            }
            Byte();
            return v;
        }
        case vaBinary: {
            v.Kind = TFormValue::TKind::Binary;
            v.Data() = Bytes(Raw<qint32>());
            return v;
        }
        default:
            Fail(QStringLiteral("Unsupported value type %1").arg(type));
        }
    }
    std::vector<TFormProperty> Properties(int depth) {
        std::vector<TFormProperty> props;
        while (PeekByte() != vaNull) {
            TFormProperty p;
            p.Name = Identifier("property name", true);
            p.Value = Value(depth);
            props.push_back(std::move(p));
        }
        Byte();
        return props;
    }
    TFormObject Object(int depth) {
        if (depth > 32) Fail(QStringLiteral("Components nested too deeply"));
        TFormObject o;
        if ((PeekByte() & PrefixMask) == PrefixMask) {
            const quint8 flags = Byte() & 0x0F;
            if (flags & ffInherited) o.Keyword = QStringLiteral("inherited");
            if (flags & ffInline) o.Keyword = QStringLiteral("inline");
            if (flags & 2) Value(depth); // child position
        }
        if (PeekByte() == 0) Fail(QStringLiteral("Class name expected"));
        o.ClassName = Identifier("class name");
        o.Name = Identifier("component name", false, true);
        o.Properties = Properties(depth);
        while (PeekByte() != vaNull)
            o.Children.push_back(Object(depth + 1));
        Byte();
        return o;
    }

    const QByteArray& m_data;
    int m_pos = 0;
};

} // namespace

bool IsFormBinary(const QByteArray& data) {
    return data.startsWith(Signature);
}

QByteArray WriteFormBinary(const TFormObject& object) {
    TBinaryWriter writer;
    writer.Data.append(Signature, 4);
    writer.Object(object);
    return writer.Data;
}

TFormObject ReadFormBinary(const QByteArray& data) {
    TBinaryReader reader(data);
    return reader.Read();
}

} // namespace quillary
