#include "db/ConnectionString.h"
#include "db/DatabaseError.h"

namespace quillary {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

} // namespace

bool TConnectionString::TryParse(const QString& text, TConnectionString& result, QString* error) {
    result.m_items.clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Malformed connection string at character %1: %2")
                         .arg(i + 1)
                         .arg(reason);
        result.m_items.clear();
        return false;
    };

    while (i < n) {
        while (i < n && (IsBlank(text[i]) || text[i] == QLatin1Char(';')))
            ++i;
        if (i >= n) break;

        // Key, up to a single "=" ("==" is a literal "=").
        QString key;
        bool haveEquals = false;
        while (i < n) {
            const QChar c = text[i];
            if (c == QLatin1Char('=')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('=')) {
                    key += c;
                    i += 2;
                    continue;
                }
                haveEquals = true;
                ++i;
                break;
            }
            if (c == QLatin1Char(';')) break;
            key += c;
            ++i;
        }
        key = key.trimmed();
        if (!haveEquals) return fail(QStringLiteral("«%1» has no value (missing \"=\")").arg(key));
        if (key.isEmpty()) return fail(QStringLiteral("a value has no key"));

        while (i < n && IsBlank(text[i]))
            ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\'') ||
                      text[i] == QLatin1Char('{'))) {
            const QChar open = text[i];
            const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
            const qsizetype start = i;
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += text[i++];
            }
            if (!closed) {
                i = start;
                return fail(QStringLiteral("the value of «%1» opens with %2 but is never closed")
                                .arg(key, QString(open)));
            }
            while (i < n && IsBlank(text[i]))
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                return fail(
                    QStringLiteral("unexpected text after the quoted value of «%1»").arg(key));
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != QLatin1Char(';'))
                ++i;
            value = text.mid(start, i - start).trimmed();
        }
        if (!result.Contains(key)) result.m_items.append({key, value});
    }
    return true;
}

TConnectionString TConnectionString::Parse(const QString& text) {
    TConnectionString result;
    QString error;
    if (!TryParse(text, result, &error)) throw EDatabaseError(error);
    return result;
}

bool TConnectionString::Contains(const QString& key) const {
    for (const TItem& item : m_items)
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString TConnectionString::Value(const QString& key) const {
    for (const TItem& item : m_items)
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) return item.second;
    return {};
}

QString TConnectionString::Value(std::initializer_list<const char*> keys) const {
    for (const char* key : keys) {
        const QString k = QString::fromLatin1(key);
        if (Contains(k)) return Value(k);
    }
    return {};
}

void TConnectionString::Set(const QString& key, const QString& value) {
    for (TItem& item : m_items)
        if (item.first.compare(key, Qt::CaseInsensitive) == 0) {
            item.second = value;
            return;
        }
    m_items.append({key, value});
}

void TConnectionString::Remove(const QString& key) {
    m_items.removeIf(
        [&](const TItem& item) { return item.first.compare(key, Qt::CaseInsensitive) == 0; });
}

QString TConnectionString::QuoteValue(const QString& value) {
    const bool needsQuotes =
        value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('"')) ||
        value.startsWith(QLatin1Char('\'')) || value.startsWith(QLatin1Char('{')) ||
        // "k==v" would read as a key with a literal "=".
        value.startsWith(QLatin1Char('=')) ||
        // Unquoted values lose their outer white space when read.
        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!needsQuotes) return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString TConnectionString::ToString() const {
    QStringList parts;
    for (const TItem& item : m_items) {
        QString key = item.first;
        key.replace(QLatin1Char('='), QStringLiteral("=="));
        parts << key + QLatin1Char('=') + QuoteValue(item.second);
    }
    return parts.join(QLatin1Char(';'));
}

} // namespace quillary
