#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "sqltext/ConnectionText.h"

#include <QRegularExpression>

namespace quillary {

namespace {

bool IsPasswordKey(const QString& key) {
    return key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0 ||
           key.compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0;
}

bool IsExtendedPropertiesKey(const QString& key) {
    return key.compare(QLatin1String("Extended Properties"), Qt::CaseInsensitive) == 0;
}

// A password key of text that does not parse, and what follows it up to the
// next ";".
const QRegularExpression& LoosePassword() {
    static const QRegularExpression re(QStringLiteral("((?:^|;)\\s*(?:password|pwd)\\s*=)[^;]*"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

} // namespace

bool TConnectionString::TryParse(const QString& text, TConnectionString& result, QString* error) {
    result.m_items.clear();
    result.m_index.clear();
    QList<TConnectionItem> tokens;
    if (!ReadConnectionItems(text, tokens, error)) return false;
    result.m_items.reserve(tokens.size());
    for (TConnectionItem& token : tokens) {
        // When a key appears twice, the first occurrence counts.
        const QString folded = token.Key.toCaseFolded();
        if (result.m_index.contains(folded)) continue;
        result.m_index.insert(folded, result.m_items.size());
        result.m_items.append({std::move(token.Key), std::move(token.Value)});
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
    return m_index.contains(key.toCaseFolded());
}

QString TConnectionString::Value(const QString& key) const {
    const auto at = m_index.constFind(key.toCaseFolded());
    return at == m_index.cend() ? QString() : m_items[*at].second;
}

QString TConnectionString::Value(std::initializer_list<const char*> keys) const {
    for (const char* key : keys) {
        const auto at = m_index.constFind(QString::fromLatin1(key).toCaseFolded());
        if (at != m_index.cend()) return m_items[*at].second;
    }
    return {};
}

void TConnectionString::Set(const QString& key, const QString& value) {
    const QString folded = key.toCaseFolded();
    const auto at = m_index.constFind(folded);
    if (at != m_index.cend()) {
        m_items[*at].second = value;
        return;
    }
    m_index.insert(folded, m_items.size());
    m_items.append({key, value});
}

void TConnectionString::Remove(const QString& key) {
    if (!Contains(key)) return;
    m_items.removeIf(
        [&](const TItem& item) { return item.first.compare(key, Qt::CaseInsensitive) == 0; });
    Reindex();
}

void TConnectionString::Reindex() {
    m_index.clear();
    for (qsizetype i = 0; i < m_items.size(); ++i)
        m_index.insert(m_items[i].first.toCaseFolded(), i);
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

bool TConnectionString::PersistsSecurityInfo() const {
    return Value(QStringLiteral("Persist Security Info"))
               .trimmed()
               .compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

QString TConnectionString::Masked(const QString& text) {
    QList<TConnectionItem> tokens;
    if (!ReadConnectionItems(text, tokens)) {
        QString masked = text;
        return masked.replace(LoosePassword(), QStringLiteral("\\1***"));
    }
    QString masked = text;
    // From the end, so that the positions before stay valid.
    for (auto token = tokens.crbegin(); token != tokens.crend(); ++token) {
        QString replacement;
        if (IsPasswordKey(token->Key)) {
            replacement = QStringLiteral("***");
        } else if (IsExtendedPropertiesKey(token->Key)) {
            const QString inner = Masked(token->Value);
            if (inner == token->Value) continue;
            replacement = QuoteValue(inner);
        } else {
            continue;
        }
        masked.replace(token->ValueStart, token->ValueEnd - token->ValueStart, replacement);
    }
    return masked;
}

QString TConnectionString::ForStorage(const QString& text) {
    QList<TConnectionItem> tokens;
    if (!ReadConnectionItems(text, tokens)) {
        QString kept = text;
        kept.remove(LoosePassword());
        // A password that came first leaves its separator behind.
        if (kept.startsWith(QLatin1Char(';')) && !text.startsWith(QLatin1Char(';')))
            kept.remove(0, 1);
        return kept;
    }
    TConnectionString parsed;
    TryParse(text, parsed);
    if (parsed.PersistsSecurityInfo()) return text;
    QString kept = text;
    for (auto token = tokens.crbegin(); token != tokens.crend(); ++token) {
        if (IsPasswordKey(token->Key)) {
            kept.remove(token->Start, token->End - token->Start);
        } else if (IsExtendedPropertiesKey(token->Key)) {
            const QString inner = ForStorage(token->Value);
            if (inner != token->Value)
                kept.replace(token->ValueStart, token->ValueEnd - token->ValueStart,
                             QuoteValue(inner));
        }
    }
    // A password that was the last item leaves its separator behind.
    while (kept.endsWith(QLatin1Char(';')) && !text.endsWith(QLatin1Char(';')))
        kept.chop(1);
    return kept;
}

bool TConnectionString::HoldsPassword(const QString& text) {
    QList<TConnectionItem> tokens;
    if (!ReadConnectionItems(text, tokens)) return LoosePassword().match(text).hasMatch();
    for (const TConnectionItem& token : tokens) {
        if (IsPasswordKey(token.Key) && !token.Value.isEmpty()) return true;
        if (IsExtendedPropertiesKey(token.Key) && HoldsPassword(token.Value)) return true;
    }
    return false;
}

} // namespace quillary
