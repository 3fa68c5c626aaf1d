// Forms read from text.
#include "grid/FormStream.h"

namespace quillary {

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

} // namespace quillary
