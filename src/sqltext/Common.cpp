// Keyword tables, the two stacks, blank trimming, enclosing parentheses,
// aliases, replacement and connection string properties.
#include "sqltext/Common.h"
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

// Drops a final word "as" (with the blanks before it) from a name.
void DropTrailingAs(QString& name) {
    const qsizetype n = name.size();
    if (n > 3 && scan::FoldAscii(name[n - 2].unicode()) == u'a' &&
        scan::FoldAscii(name[n - 1].unicode()) == u's' && scan::IsBlank(name[n - 3].unicode()))
        name = scan::TrimRightBlanks(QStringView(name).first(n - 2)).toString();
}

} // namespace

void GetByName(const QString& item, QString& name, QString& alias, int mode) {
    const qsizetype n = item.size();
    // A quoted or bracketed alias: «[my col] [a b]», «x "total"».
    if (n >= 2 && (item.back() == u'"' || item.back() == u']')) {
        const QChar open = item.back() == u'"' ? QChar(u'"') : QChar(u'[');
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
    // "NAME=" in the text with its ASCII letters upper-cased; positions stay
    // those of the text, so the value keeps its case.
    const QString key = name + u'=';
    const qsizetype n = text.size();
    const qsizetype k = key.size();
    qsizetype at = -1;
    for (qsizetype i = 0; i + k <= n && at < 0; ++i) {
        qsizetype j = 0;
        for (; j < k; ++j) {
            char16_t c = text[i + j].unicode();
            if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
            if (c != key[j].unicode()) break;
        }
        if (j == k) at = i;
    }
    if (at < 0) return QString();
    const qsizetype valueStart = at + k;
    // The value ends at a ";" within the next 255 characters, else at the end.
    constexpr qsizetype kWindow = 255;
    const qsizetype windowEnd = std::min(n, valueStart + kWindow);
    for (qsizetype i = valueStart; i < windowEnd; ++i)
        if (text[i] == u';') return text.mid(valueStart, i - valueStart);
    return text.mid(valueStart);
}

namespace {

TDataLinkReader& DataLinkReader() {
    static TDataLinkReader reader;
    return reader;
}

} // namespace

void SetDataLinkReader(TDataLinkReader reader) {
    DataLinkReader() = std::move(reader);
}

QString GetProperty(const QString& connection, const QString& name) {
    static const QLatin1StringView kFileName("FILE NAME=");
    if (connection.size() >= kFileName.size() &&
        QStringView(connection).first(kFileName.size()).compare(kFileName, Qt::CaseInsensitive) ==
            0) {
        constexpr qsizetype kMaxPath = 260;
        const QString path = connection.mid(kFileName.size(), kMaxPath);
        const TDataLinkReader& reader = DataLinkReader();
        if (!reader) return QString();
        const QString stored = reader(path);
        if (stored.isEmpty()) return QString();
        return ExtractProperty(stored, name);
    }
    return ExtractProperty(connection, name);
}

} // namespace quillary
