// Keyword tables, the two stacks, blank trimming, enclosing parentheses,
// aliases, replacement and connection string properties.
#include "sqltext/Common.h"
#include "sqltext/ConnectionText.h"
#include "sqltext/ScanCore.h"

namespace quillary {

const QStringList sOuterJoin = {QStringLiteral("INNER JOIN"),
                                QStringLiteral("LEFT JOIN"),
                                QStringLiteral("RIGHT JOIN"),
                                QStringLiteral("FULL JOIN"),
                                QStringLiteral("JOIN"),
                                QStringLiteral("LEFT OUTER JOIN"),
                                QStringLiteral("RIGHT OUTER JOIN"),
                                QStringLiteral("FULL OUTER JOIN")};
const QStringList sLogical = {QStringLiteral("and"), QStringLiteral("or")};
const QStringList sRelaCh1 = {QStringLiteral("=*"), QStringLiteral("*="), QStringLiteral("<>"),
                              QStringLiteral("!="), QStringLiteral(">="), QStringLiteral("<="),
                              QStringLiteral(">"),  QStringLiteral("="),  QStringLiteral("<")};
const QStringList sRelaCh2 = {QStringLiteral("like"), QStringLiteral("not like"),
                              QStringLiteral("in"), QStringLiteral("not in"), QStringLiteral("is")};
const QStringList sUnion = {QStringLiteral("union all"), QStringLiteral("union"),
                            QStringLiteral("minus"), QStringLiteral("intersect")};

QChar TStack::Pop() {
    if (FItems.isEmpty()) return QChar();
    const QChar top = FItems.back();
    FItems.chop(1);
    return top;
}

void TStack_Str::Push(const QString& s) {
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        if (FItems[i].compare(s, Qt::CaseInsensitive) == 0) {
            FItems.removeAt(i);
            break;
        }
    }
    FItems.append(s);
}

QString TStack_Str::Pop() {
    if (FItems.isEmpty()) return QString();
    return FItems.takeLast();
}

QString LTrimSQLElement(const QString& s) {
    return scan::TrimLeftBlanks(s).toString();
}

QString RTrimSQLElement(const QString& s) {
    return scan::TrimRightBlanks(s).toString();
}

QString TrimSQLElement2(const QString& s, QString& left, QString& right) {
    // Most texts are not enclosed in parentheses: nothing to walk. A text
    // of blanks alone stays as it is.
    const QStringView trimmed = scan::TrimBlanks(s);
    if (trimmed.isEmpty() || trimmed.front() != u'(' || trimmed.back() != u')') {
        left.clear();
        right.clear();
        return trimmed.isEmpty() || trimmed.size() == s.size() ? s : trimmed.toString();
    }
    scan::PieceScanner scanner(s);
    const scan::PieceScanner::Stripped stripped = scanner.Strip(s);
    left = QString(stripped.Pairs, u'(');
    right = QString(stripped.Pairs, u')');
    if (stripped.Text.size() == s.size()) return s; // shares the caller's text
    return stripped.Text.toString();
}

QString TrimSQLElement(const QString& s) {
    QString left, right;
    return TrimSQLElement2(s, left, right);
}

namespace {

bool IsAliasChar(QChar c) {
    const char16_t u = c.unicode();
    return scan::IsAsciiLetter(u) || (u >= u'0' && u <= u'9') || u == u'_' || u == u'#' ||
           u == u'$' || u == u'@';
}

} // namespace

void DropTrailingAs(QString& name) {
    const qsizetype n = name.size();
    if (n > 3 && scan::FoldAscii(name[n - 2].unicode()) == u'a' &&
        scan::FoldAscii(name[n - 1].unicode()) == u's' && scan::IsBlank(name[n - 3].unicode()))
        name = scan::TrimRightBlanks(QStringView(name).first(n - 2)).toString();
}

void GetByName(const QString& item, QString& name, QString& alias, int mode) {
    const qsizetype n = item.size();
    // A quoted or bracketed alias: «[my col] [a b]», «x "total"», «t `o`».
    if (n >= 2 && (item.back() == u'"' || item.back() == u']' || item.back() == u'`')) {
        const QChar open = item.back() == u']' ? QChar(u'[') : item.back();
        const qsizetype quote = item.lastIndexOf(open, n - 2);
        if (quote >= 2 && scan::IsBlank(item[quote - 1].unicode())) {
            alias = item.mid(quote);
            name = scan::TrimRightBlanks(QStringView(item).first(quote)).toString();
            DropTrailingAs(name);
            return;
        }
    }
    alias.clear();
    name = item;
    if (n < 2) return;
    qsizetype i = n - 1;
    while (i > 0 && IsAliasChar(item[i]))
        --i;
    if (i == 0 || !scan::IsBlank(item[i].unicode())) return; // "t.col", "count(*)"
    if (i + 1 >= n) return;
    const char16_t first = item[i + 1].unicode();
    if (!scan::IsAsciiLetter(first) && first != u'_') return;
    const QString word = item.mid(i + 1);
    if (mode == 1 && word.compare(QLatin1StringView("end"), Qt::CaseInsensitive) == 0)
        return; // a CASE expression keeps its END
    alias = word;
    name = scan::TrimRightBlanks(QStringView(item).first(i)).toString();
    DropTrailingAs(name);
}

QString ReplaceAll(const QString& s, const QString& from, const QString& to) {
    if (from.isEmpty() || from == to) return s;
    const qsizetype first = s.indexOf(from);
    if (first < 0) return s;
    QString result;
    result.reserve(s.size());
    qsizetype done = 0;
    for (qsizetype at = first; at >= 0; at = s.indexOf(from, done)) {
        result.append(QStringView(s).sliced(done, at - done));
        result.append(to);
        done = at + from.size();
    }
    result.append(QStringView(s).sliced(done));
    return result;
}

QString ExtractProperty(const QString& text, const QString& name) {
    QList<TConnectionItem> items;
    ReadConnectionItems(text, items);
    for (const TConnectionItem& item : std::as_const(items))
        if (item.Key.compare(name, Qt::CaseInsensitive) == 0) return item.Value;
    return QString();
}

QString GetProperty(const QString& connection, const QString& name,
                    const TDataLinkReader& readDataLink) {
    if (!IsDataLinkString(connection)) return ExtractProperty(connection, name);
    if (!readDataLink) return QString();
    const QString stored = readDataLink(ExtractProperty(connection, QStringLiteral("FILE NAME")));
    if (stored.isEmpty()) return QString();
    return ExtractProperty(stored, name);
}

} // namespace quillary
