// Forms in the binary encoding ("TPF0" ...).
#include "grid/FormStream.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cmath>
#include <limits>

namespace quillary {

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
