// Forms written as text.
#include "grid/FormStream.h"

namespace quillary {

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

} // namespace quillary
