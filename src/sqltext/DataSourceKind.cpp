#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlDialect.h"

#include <optional>

namespace quillary {

const QStringList sReservedWords = {
    QStringLiteral("select"), QStringLiteral("from"),   QStringLiteral("where"),
    QStringLiteral("group"),  QStringLiteral("having"), QStringLiteral("order"),
    QStringLiteral("desc"),   QStringLiteral("asc"),    QStringLiteral("and"),
    QStringLiteral("or"),     QStringLiteral("not"),    QStringLiteral("in"),
    QStringLiteral("as")};

namespace {

// Whether a name in lower case is a reserved word; "as" (the last) stays
// usable as an alias.
template <typename Text> bool IsReserved(const Text& lower) {
    for (qsizetype i = 0; i + 1 < sReservedWords.size(); ++i)
        if (lower == sReservedWords[i]) return true;
    return false;
}

// Of a name of ASCII letters, digits and "_" (no digit first): whether it is
// no reserved word ("as" aside), told without copying it; empty for other
// names.
std::optional<bool> AsciiIdentifier(const QString& name) {
    char folded[8];
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        if (!letter && !(i > 0 && c >= u'0' && c <= u'9')) return std::nullopt;
        if (i < qsizetype(sizeof folded)) folded[i] = char(c | 0x20);
    }
    if (name.size() > qsizetype(sizeof folded)) return true; // no reserved word is as long
    return !IsReserved(QLatin1StringView(folded, name.size()));
}

} // namespace

bool IsValidByName(const QString& name, int mode) {
    if (name.isEmpty()) return false;
    // Most names are plain ASCII ones: read without copies.
    if (const std::optional<bool> ascii = AsciiIdentifier(name)) return *ascii;
    if (IsReserved(name.toLower())) return false;
    // A quoted name must be one whole quoted name: a quote inside that is
    // not doubled would end it and let the rest of the text into the
    // statement.
    QString inside;
    if (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return ReadQuotedName(name, inside);
    if (TSqlDialect(mode).BracketAliases() && name.startsWith(QLatin1Char('[')) &&
        name.endsWith(QLatin1Char(']')))
        return ReadQuotedName(name, inside);
    // An SQL identifier: a letter of any script or "_", then letters, digits
    // or "_".
    const QList<uint> points = name.toUcs4();
    for (qsizetype i = 0; i < points.size(); ++i) {
        const uint c = points[i];
        const bool letter = QChar::isLetter(c) || c == '_';
        if (!(letter || (i > 0 && QChar::isLetterOrNumber(c)))) return false;
    }
    return true;
}

} // namespace quillary
