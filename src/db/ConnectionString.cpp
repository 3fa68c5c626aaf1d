#include "db/ConnectionString.h"
#include "db/DatabaseError.h"

#include <QSet>

namespace quillary {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

} // namespace

bool TConnectionString::TryParse(const QString& text, TConnectionString& result, QString* error) {
    result.m_items.clear();
    const QStringView s(text);
    const qsizetype n = s.size();
    qsizetype i = 0;
    // The keys met so far, case folded: one look-up per key keeps a string of
    // a hundred thousand keys linear.
    QSet<QString> seen;
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("连接字符串有误（第 %1 个字符）：%2").arg(i + 1).arg(reason);
        result.m_items.clear();
        return false;
    };

    while (i < n) {
        while (i < n && (IsBlank(s[i]) || s[i] == QLatin1Char(';')))
            ++i;
        if (i >= n) break;

        // Key, up to a single "=" ("==" is a literal "="); copied in runs.
        QString key;
        bool haveEquals = false;
        qsizetype run = i;
        while (i < n) {
            const QChar c = s[i];
            if (c == QLatin1Char('=')) {
                if (i + 1 < n && s[i + 1] == QLatin1Char('=')) {
                    key.append(s.sliced(run, i + 1 - run));
                    i += 2;
                    run = i;
                    continue;
                }
                haveEquals = true;
                break;
            }
            if (c == QLatin1Char(';')) break;
            ++i;
        }
        key.append(s.sliced(run, i - run));
        if (haveEquals) ++i;
        key = key.trimmed();
        if (!haveEquals) return fail(QStringLiteral("“%1”后面缺少“=”和值").arg(key));
        if (key.isEmpty()) return fail(QStringLiteral("有一个值前面没有键名"));

        while (i < n && IsBlank(s[i]))
            ++i;
        QString value;
        if (i < n &&
            (s[i] == QLatin1Char('"') || s[i] == QLatin1Char('\'') || s[i] == QLatin1Char('{'))) {
            const QChar open = s[i];
            const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
            const qsizetype start = i;
            ++i;
            run = i;
            bool closed = false;
            while (i < n) {
                if (s[i] != close) {
                    ++i;
                    continue;
                }
                if (i + 1 < n && s[i + 1] == close) { // doubled: one stands for itself
                    value.append(s.sliced(run, i + 1 - run));
                    i += 2;
                    run = i;
                    continue;
                }
                value.append(s.sliced(run, i - run));
                closed = true;
                ++i;
                break;
            }
            if (!closed) {
                i = start;
                return fail(QStringLiteral("“%1”的值以 %2 开头，却没有结束的 %3")
                                .arg(key, QString(open), QString(close)));
            }
            while (i < n && IsBlank(s[i]))
                ++i;
            if (i < n && s[i] != QLatin1Char(';'))
                return fail(QStringLiteral("“%1”带引号的值后面还有别的文字").arg(key));
        } else {
            const qsizetype start = i;
            while (i < n && s[i] != QLatin1Char(';'))
                ++i;
            value = s.sliced(start, i - start).trimmed().toString();
        }
        const QString folded = key.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(folded);
            result.m_items.append({key, value});
        }
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
