#include "query/Rebuild.h"
#include "query/Carried.h"
#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "query/DocumentNames.h"
#include "query/FieldClass.h"
#include "query/JoinClause.h"
#include "query/Links.h"
#include "query/RebuildText.h"
#include "query/TableBox.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/ScanCore.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVarLengthArray>

#include <functional>
#include <numeric>
#include <optional>

namespace quillary {

namespace {

const QString kCaption = QString::fromUtf8(kHintCaption);

// Every line break ("\r\n", "\r" or "\n") written "\r\n".
QString WithCrLf(const QString& text) {
    const QStringView crLf = u"\r\n";
    const auto bare = [&](qsizetype i) {
        return text[i] == u'\r' ? i + 1 >= text.size() || text[i + 1] != u'\n'
                                 : text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r');
    };
    qsizetype first = 0;
    while (first < text.size() && !bare(first))
        ++first;
    if (first == text.size()) return text;
    QString out;
    out.reserve(text.size() + 16);
    const QChar* data = text.constData();
    qsizetype from = 0; // the text before the first bare break stands as it is
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\r' && c != u'\n') continue;
        out.append(QStringView(data + from, i - from)).append(crLf);
        if (c == u'\r' && i + 1 < text.size() && data[i + 1] == u'\n') ++i;
        from = i + 1;
    }
    return out.append(QStringView(data + from, text.size() - from));
}

constexpr qsizetype kLimitLength = 5;

// Whether "limit" stands at `at`, letter case folded as Qt folds it.
bool IsLimitAt(const QString& text, qsizetype at) {
    static constexpr char16_t kWord[] = u"limit";
    const auto folded = [](char16_t c) -> char16_t {
        if (c < 0x80) return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        return QChar(c).toCaseFolded().unicode();
    };
    if (at < 0 || at + kLimitLength > text.size()) return false;
    qsizetype k = 0;
    while (k < kLimitLength && folded(text[at + k].unicode()) == kWord[k])
        ++k;
    return k == kLimitLength;
}

// The last place of "limit" in text; -1 when there is none.
qsizetype LastLimitWord(const QString& text) {
    for (qsizetype at = text.size() - kLimitLength; at >= 0; --at)
        if (IsLimitAt(text, at)) return at;
    return -1;
}

// The same outer join seen from its other table: left and right trade places.
int MirroredJoin(int type) {
    switch (type) {
    case 1:
        return 2;
    case 2:
        return 1;
    case 5:
        return 6;
    case 6:
        return 5;
    default:
        return type;
    }
}

// Whether the parentheses outside quotes and brackets balance.
bool ParenthesesBalance(const QString& text) {
    scan::MarkStack marks;
    qsizetype depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!scan::IsMarkChar(c)) continue;
        switch (scan::ApplyMark(text, i, marks)) {
        case scan::MarkStep::Unmatched:
            return false;
        case scan::MarkStep::Pushed:
            if (c == u'(') ++depth;
            break;
        case scan::MarkStep::Popped:
            if (c == u')') --depth;
            break;
        case scan::MarkStep::Doubled:
            ++i;
            break;
        default:
            break;
        }
    }
    return depth == 0;
}

// Whether position `at` (0-based) of text lies outside quotes, brackets and
// parentheses.
bool AtTopLevel(const QString& text, qsizetype at) {
    scan::MarkStack marks;
    for (qsizetype i = 0; i < at; ++i) {
        if (!scan::IsMarkChar(text[i].unicode())) continue;
        if (scan::ApplyMark(text, i, marks) == scan::MarkStep::Doubled) ++i;
    }
    return marks.IsEmpty();
}

// Takes a final "limit n [offset m]" or "limit m, n" off the text; n and m
// may be expressions ("-1", "all", "2 * 5", a sub-select).
void CutLimit(QString& text, QString& limit, QString& offset) {
    // The last "limit" of the text is mostly the statement's own; else the
    // last one outside brackets is, read in one walk.
    qsizetype at = LastLimitWord(text);
    if (at > 0 && !AtTopLevel(text, at)) {
        scan::MarkStack marks;
        const qsizetype last = at;
        at = -1;
        for (qsizetype i = 0; i < last; ++i) {
            if (marks.IsEmpty() && IsLimitAt(text, i)) at = i;
            if (scan::IsMarkChar(text[i].unicode()) &&
                scan::ApplyMark(text, i, marks) == scan::MarkStep::Doubled)
                ++i;
        }
    }
    if (at < 1 || !scan::IsBlank(text[at - 1].unicode()) || at + kLimitLength >= text.size() ||
        !scan::IsBlank(text[at + kLimitLength].unicode()))
        return;
    // The place of a top-level OFFSET word and of the top-level commas.
    const QStringView rest = QStringView(text).mid(at + kLimitLength);
    constexpr qsizetype kOffset = 6; // "offset"
    scan::BracketWalk walk;
    qsizetype offsetAt = -1, commaAt = -1;
    int commas = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const bool outside = walk.Quote == 0 && walk.Depth == 0;
        if (walk.Step(rest[i].unicode()) < 0) return;
        if (!outside) continue;
        if (rest[i] == QLatin1Char(',')) {
            commaAt = i;
            ++commas;
        } else if (offsetAt < 0 && scan::IsBlank(rest[i].unicode()) &&
                   i + 1 + kOffset < rest.size() &&
                   scan::IsKeyword(rest.sliced(i + 1, kOffset), QLatin1StringView("offset")) &&
                   scan::IsBlank(rest[i + 1 + kOffset].unicode())) {
            offsetAt = i;
        }
    }
    if (walk.Depth != 0 || walk.Quote != 0 || commas > 1 || (commas == 1 && offsetAt >= 0)) return;
    QString first, second;
    if (offsetAt >= 0) {
        first = rest.first(offsetAt).trimmed().toString();
        second = rest.sliced(offsetAt + 1 + kOffset).trimmed().toString();
        if (second.isEmpty()) return;
    } else if (commas == 1) { // the comma form names the offset first
        second = rest.first(commaAt).trimmed().toString();
        first = rest.sliced(commaAt + 1).trimmed().toString();
        if (second.isEmpty()) return;
    } else {
        first = rest.trimmed().toString();
    }
    if (first.isEmpty()) return;
    limit = first;
    offset = second;
    text = TrimCell(text.left(at));
}

// A leading "top n" or "top (n)" of a select item: the number, and the item
// without it. A column named top is left alone.
bool CutTop(QString& item, QString& limit) {
    static const QRegularExpression top(
        QStringLiteral("^top\\s*(?:(\\d+)|\\(\\s*(\\d+)\\s*\\))(?:\\s+|$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = top.match(item);
    if (!m.hasMatch()) return false;
    limit = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    item = TrimCell(item.mid(m.capturedEnd()));
    return true;
}

// The pieces of one SELECT statement.
struct TStatement {
    QStringList Items, Aliases, Kinds; // select items; Kinds: "0"/"1" + alias
    QStringList Tables, Joins;
    QList<int> TableGroups;           // per table: which item of the FROM list holds it
    QList<QStringList> Where, Having; // 6 texts per condition
    QStringList Group, Order;
    bool Distinct = false;
    QString Limit;
    QString Unread; // a clause after a select list without FROM
};

QList<QStringList> Conditions(const QString& text, bool trim) {
    QStringList flat;
    AnalysisWhereClause(text, flat, {}, {}, {});
    QList<QStringList> rows;
    rows.reserve(flat.size() / 6);
    QString* cells = flat.data();
    for (qsizetype i = 0; i + 6 <= flat.size(); i += 6) {
        QStringList row(6); // one allocation, the cells moved in
        QString* out = row.data();
        for (qsizetype k = 0; k < 6; ++k) {
            QString& cell = cells[i + k];
            if (trim)
                if (const QStringView t = TrimmedCell(cell); t.size() != cell.size())
                    cell = t.toString();
            out[k] = std::move(cell);
        }
        rows.append(std::move(row));
    }
    return rows;
}

// The condition text that begins at `start` (1-based) and ends before one
// of `next`; `keyword` and `keyPos` receive the keyword that ended it.
QString ConditionText(const QString& statement, int start, const QStringList& next,
                      QString& keyword, int& keyPos) {
    const int end = FindExpEnd(statement, QChar(), &next, keyword, keyPos, start);
    if (end <= 0) return {};
    return statement.mid(start - 1, end - start + 1);
}

// Whether `term` holds a BETWEEN outside brackets whose AND it lacks.
bool HasOpenBetween(const QString& term, TSqlReading reading) {
    // Most terms have none: they are not read word by word.
    if (!term.contains(QLatin1String("between"), Qt::CaseInsensitive)) return false;
    int open = 0;
    for (const TSqlWord& w : SqlWords(term, reading)) {
        if (w.Depth != 0 || w.Kind != TSqlWord::Word) continue;
        const QStringView word = QStringView(term).sliced(w.Start, w.End - w.Start);
        if (scan::IsKeyword(word, QLatin1StringView("between")))
            ++open;
        else if (open > 0 && scan::IsKeyword(word, QLatin1StringView("and")))
            --open;
    }
    return open > 0;
}

// The analysis cuts an ON condition at every AND, also the one of a BETWEEN
// ("a between 1 and 2"): the pieces of one term are joined again.
void JoinBetweenPieces(QStringList& joins, TSqlReading reading) {
    for (qsizetype i = 0; i + 1 < joins.size(); ++i) {
        QString next = joins[i + 1];
        if (joins[i].isEmpty() || next.isEmpty() || next[0] != joins[i][0] ||
            TStatementText::TakeConditionStart(next) || !HasOpenBetween(joins[i].mid(1), reading))
            continue;
        joins[i] += QStringLiteral(" and ") + next.mid(1);
        joins.removeAt(i + 1);
        --i; // "between a and b and c": one more piece may belong to it
    }
}

// Without FROM the select list runs to the end of the statement: a WHERE,
// GROUP BY, HAVING, WINDOW or ORDER BY there is cut off its last column
// into `Unread`, which the design cannot write without a table.
void CutClauseAfterList(TStatement& st, TSqlReading reading) {
    if (st.Items.isEmpty()) return;
    QString& last = st.Items.last();
    const QList<TSqlWord> words = SqlWords(last, reading);
    const auto isWord = [&](qsizetype i, QLatin1StringView word) {
        return i < words.size() && words[i].Depth == 0 && words[i].Kind == TSqlWord::Word &&
               scan::IsKeyword(
                   QStringView(last).sliced(words[i].Start, words[i].End - words[i].Start), word);
    };
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (!isWord(i, QLatin1StringView("where")) && !isWord(i, QLatin1StringView("having")) &&
            !(isWord(i, QLatin1StringView("window")) && i + 2 < words.size()) &&
            !((isWord(i, QLatin1StringView("group")) || isWord(i, QLatin1StringView("order"))) &&
              isWord(i + 1, QLatin1StringView("by"))))
            continue;
        st.Unread = TrimCell(last.mid(words[i].Start));
        last = TrimCell(last.first(words[i].Start));
        return;
    }
}

// Steps of the analysis that can refuse the text; false after a message.
// `prepared` holds `whole` as the database reads it: its first statement
// is what the test run sends, with its blanks trimmed.
bool Analyse(const QString& whole, const QString& statement, const TStatementText& prepared,
             const TDesignHooks& hooks, TStatement& st) {
    int pos = 0;
    QString keyword;
    const QString error = AnalysisSQLClause(statement, QStringLiteral("select"),
                                            {QStringLiteral("from")}, pos, keyword, st.Items, 1);
    if (!error.isEmpty()) return ShowMessage(hooks, error, kCaption), false;
    // Nothing reaches the database but one query that only reads: the whole
    // text is one, and the statement tried is its first part.
    if (const QString fault = SingleSelectFault(whole, prepared.Readings(), prepared.Reading(),
                                                prepared.Statements());
        !fault.isEmpty())
        return ShowMessage(hooks, fault, kCaption), false;
    if (hooks.TestRun && !TestRun(hooks, TrimExp(prepared.FirstStatement()))) return false;
    if (keyword.isEmpty()) { // a select list without FROM clause
        CutClauseAfterList(st, prepared.Reading());
        return true;
    }

    QStringList from;
    // HAVING may follow without GROUP BY.
    const QString fromError =
        AnalysisSQLClause(statement, QStringLiteral("from"),
                          {QStringLiteral("where"), QStringLiteral("group by"),
                           QStringLiteral("having"), QStringLiteral("order by")},
                          pos, keyword, from, pos);
    if (!fromError.isEmpty()) return ShowMessage(hooks, fromError, kCaption), false;
    for (QString& item : from) {
        // A cross join stays in the group of the boxes before it.
        const bool crossJoined = TStatementText::TakeCrossJoined(item);
        AnalysisFromClause(item, st.Joins, st.Tables);
        st.TableGroups.resize(
            st.Tables.size(),
            int(st.TableGroups.isEmpty() ? 0 : st.TableGroups.last() + !crossJoined));
    }
    JoinBetweenPieces(st.Joins, prepared.Reading());

    // The later clauses are left out quietly when they cannot be read.
    if (keyword == QLatin1String("where"))
        st.Where = Conditions(ConditionText(statement, pos + 6,
                                            {QStringLiteral("group by"), QStringLiteral("having"),
                                             QStringLiteral("order by")},
                                            keyword, pos),
                              true);
    // (The clause keyword is passed as a copy: the analysis clears its result first.)
    if (keyword == QLatin1String("group by")) {
        AnalysisSQLClause(statement, QString(keyword),
                          {QStringLiteral("having"), QStringLiteral("order by")}, pos, keyword,
                          st.Group, pos);
        // "group by ()" (PostgreSQL) makes one group of all rows, which the
        // analysis left as an empty item.
        for (QString& g : st.Group)
            if (TrimCell(g).isEmpty()) g = QStringLiteral("()");
    }
    if (keyword == QLatin1String("having"))
        st.Having = Conditions(
            ConditionText(statement, pos + 6, {QStringLiteral("order by")}, keyword, pos), false);
    if (keyword == QLatin1String("order by"))
        AnalysisSQLClause(statement, QString(keyword), {}, pos, keyword, st.Order, pos);
    return true;
}

// GetByName, and where that finds no alias because the last word has
// letters of another script than Latin ("customers 사원", "sum(a) as 总数"),
// that word as the alias: SQL reads such identifiers as it reads ASCII ones.
void SplitAlias(const QString& item, QString& name, QString& alias, int mode) {
    GetByName(item, name, alias, mode);
    if (!alias.isEmpty()) return;
    qsizetype start = item.size();
    bool wide = false;
    while (start > 0 && (item[start - 1].isLetterOrNumber() || item[start - 1] == u'_')) {
        wide = wide || item[start - 1].unicode() >= 0x80;
        --start;
    }
    if (!wide || start == 0 || !scan::IsBlank(item[start - 1].unicode()) ||
        !(item[start].isLetter() || item[start] == u'_'))
        return;
    alias = item.mid(start);
    name = scan::TrimRightBlanks(QStringView(item).first(start)).toString();
    DropTrailingAs(name);
}

// Whether `word` is the unit that ends "interval n unit" (MySQL, PostgreSQL):
// microsecond to year, or two of them joined by "_" (day_hour, year_month).
bool IsIntervalUnit(QStringView word) {
    static constexpr QLatin1StringView units[] = {
        QLatin1StringView("microsecond"), QLatin1StringView("second"),  QLatin1StringView("minute"),
        QLatin1StringView("hour"),        QLatin1StringView("day"),     QLatin1StringView("week"),
        QLatin1StringView("month"),       QLatin1StringView("quarter"), QLatin1StringView("year")};
    const auto isUnit = [](QStringView part) {
        return std::any_of(std::begin(units), std::end(units),
                           [&](QLatin1StringView u) { return scan::IsKeyword(part, u); });
    };
    const qsizetype joint = word.indexOf(QLatin1Char('_'));
    return joint < 0 ? isUnit(word) : isUnit(word.left(joint)) && isUnit(word.mid(joint + 1));
}

// Whether the word INTERVAL stands outside brackets in `expression`: a
// unit after it ends the value ("interval '1' year", "x::interval day"),
// no alias.
bool HasIntervalWord(const QString& expression) {
    static const QLatin1StringView word("interval");
    const auto wordChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    int depth = 0;
    for (qsizetype i = 0; i < expression.size(); ++i) {
        const QChar c = expression[i];
        if (c == u'(') ++depth;
        if (c == u')') --depth;
        if (depth != 0 || (i > 0 && wordChar(expression[i - 1])) ||
            !QStringView(expression).sliced(i).startsWith(word, Qt::CaseInsensitive))
            continue;
        const qsizetype end = i + word.size();
        if (end == expression.size() || !wordChar(expression[end])) return true;
    }
    return false;
}

// The word CASE, whose END is no alias.
const QRegularExpression& CaseWord() {
    static const QRegularExpression word(QStringLiteral("(^|[^\\w$.])case([^\\w$]|$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return word;
}

// Whether `last` ends a type of several words that `expression` begins
// ("::double precision", "character varying", "time with time zone",
// "integer array"): part of a cast, no alias.
bool EndsWithTypeWords(const QString& expression, const QString& last) {
    const auto is = [](QStringView a, QLatin1StringView b) {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    };
    if (is(last, QLatin1StringView("array"))) return true;
    const QStringView before = QStringView(expression).trimmed();
    qsizetype start = before.size();
    while (start > 0 && (before[start - 1].isLetterOrNumber() || before[start - 1] == u'_'))
        --start;
    const QStringView word = before.sliced(start);
    if (is(last, QLatin1StringView("precision"))) return is(word, QLatin1StringView("double"));
    if (is(last, QLatin1StringView("varying")))
        return is(word, QLatin1StringView("character")) || is(word, QLatin1StringView("char")) ||
               is(word, QLatin1StringView("bit")) || is(word, QLatin1StringView("nchar"));
    if (is(last, QLatin1StringView("zone"))) return is(word, QLatin1StringView("time"));
    return false;
}

// Whether an expression ends in an operator that wants an operand after it.
// Read from the end: a regular expression would try every position.
bool EndsWithOperator(const QString& expression) {
    qsizetype end = expression.size();
    while (end > 0 && expression[end - 1].isSpace())
        --end;
    if (end == 0) return false;
    if (QStringView(u"-+*/%|&^=<>~!,(:#@?").contains(expression[end - 1])) return true;
    // PostgreSQL's "a operator(pg_catalog.+) b".
    static const QRegularExpression namedOperator(
        QStringLiteral("\\boperator\\s*\\([^()]*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    if (expression[end - 1] == u')' && expression.contains(namedOperator)) return true;
    // A whole word: no letter, digit or "_" right before it.
    const auto wordChar = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    qsizetype start = end;
    while (start > 0 && wordChar(expression[start - 1]))
        --start;
    // A qualified name's last part ("t.mod") is no operator.
    if (end - start > 8 || (start > 0 && expression[start - 1] == u'.')) return false;
    // The word operators of the databases (regexp, div, xor: MySQL; glob,
    // match: SQLite; ilike, similar to: PostgreSQL) and MySQL's prefix binary.
    static const QStringView words[] = {
        u"and",     u"or",     u"not",  u"like",   u"in",    u"is",     u"between",
        u"case",    u"when",   u"then", u"else",   u"to",    u"binary", u"distinct",
        u"collate", u"escape", u"from", u"regexp", u"rlike", u"glob",   u"match",
        u"ilike",   u"div",    u"mod",  u"xor",    u"zone"};
    const QStringView last = QStringView(expression).mid(start, end - start);
    const QStringView before = QStringView(expression).first(start).trimmed();
    // "collate binary" names a collation; ZONE is an operator's only in
    // "at time zone" ("with time zone" ends a type).
    if (last.compare(u"binary", Qt::CaseInsensitive) == 0 &&
        before.endsWith(u"collate", Qt::CaseInsensitive))
        return false;
    if (last.compare(u"zone", Qt::CaseInsensitive) == 0) {
        static const QRegularExpression atTime(QStringLiteral("(^|\\W)at\\s+time$"),
                                               QRegularExpression::CaseInsensitiveOption);
        return atTime.match(before).hasMatch();
    }
    // A word alone is an operator only where it stands before its operand
    // ("binary a", "not x"); "escape x" names the column escape.
    if (before.isEmpty())
        return last.compare(u"not", Qt::CaseInsensitive) == 0 ||
               last.compare(u"binary", Qt::CaseInsensitive) == 0 ||
               last.compare(u"distinct", Qt::CaseInsensitive) == 0 ||
               last.compare(u"case", Qt::CaseInsensitive) == 0;
    return std::any_of(std::begin(words), std::end(words), [&](QStringView w) {
        return last.size() == w.size() && last.compare(w, Qt::CaseInsensitive) == 0;
    });
}

// An item the clause analysis took out of its brackets, given them back
// when it is a query of its own (a scalar sub-select): without them it is
// no expression.
QString WithQueryBrackets(const QString& item) {
    const QStringView trimmed = TrimmedCell(item);
    // Only a text that begins with one of those words can be one.
    const QChar first = trimmed.isEmpty() ? QChar() : trimmed.first().toLower();
    if (first != QLatin1Char('s') && first != QLatin1Char('w')) return item;
    const QString text = trimmed.toString();
    int end = 0;
    // (A word alone is a name: "order by with".)
    if ((IsBeginWith(QStringLiteral("select"), text, end, 1, true) > 0 ||
         IsBeginWith(QStringLiteral("with"), text, end, 1, true) > 0) &&
        !TrimCell(text.mid(end - 1)).isEmpty())
        return QLatin1Char('(') + text + QLatin1Char(')');
    return item;
}

// The tokens of a text, asked one by one (out of range: none).
struct TWordsOf {
    const QString& Text;
    const QList<TSqlWord>& Words;
    QStringView Of(qsizetype i) const {
        return QStringView(Text).sliced(Words[i].Start, Words[i].End - Words[i].Start);
    }
    bool IsWord(qsizetype i, QLatin1StringView word) const {
        return i >= 0 && i < Words.size() && Words[i].Kind == TSqlWord::Word &&
               Of(i).compare(word, Qt::CaseInsensitive) == 0;
    }
    bool IsSymbol(qsizetype i, QChar c) const {
        return i >= 0 && i < Words.size() && Words[i].Kind == TSqlWord::Symbol &&
               Words[i].End - Words[i].Start == 1 && Text[Words[i].Start] == c;
    }
};

// `item` without blanks around the dots of its names ("t . k" is t.k), as
// written where a dot is a number's ("5. x" is 5 named x, "when .5").
QString WithoutBlanksAtDots(const QString& item) {
    // Most items have no blank beside a dot: nothing to join.
    bool blankAtDot = false;
    for (qsizetype i = item.indexOf(u'.'); i >= 0 && !blankAtDot; i = item.indexOf(u'.', i + 1))
        blankAtDot =
            (i > 0 && item[i - 1].isSpace()) || (i + 1 < item.size() && item[i + 1].isSpace());
    if (!blankAtDot) return item;
    // "5. x" and "x .5" hold numbers; "t1. a" is a qualified name.
    static const QRegularExpression numberDot(QStringLiteral("(?:^|[^\\w.])\\d+\\.\\s|\\s\\.\\d"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    return item.contains(numberDot) ? item : TrimAroundDot(item);
}

// Whether `word` types the string after it ("date '2024-01-01'",
// "interval '1 day'"): a literal, no name and no operand of its own.
bool IsTypedLiteralWord(QStringView word) {
    for (const QLatin1StringView typed :
         {QLatin1StringView("date"), QLatin1StringView("time"), QLatin1StringView("timestamp"),
          QLatin1StringView("interval")})
        if (word.compare(typed, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Whether the string at token i is a literal of another type (x'41',
// b'1', date '…'), which joins no string after it (strings of a character
// set, N'x' and _utf8mb4'x', do).
bool PrefixedLiteral(const TWordsOf& t, qsizetype i) {
    if (i < 1 || t.Words[i].Kind != TSqlWord::String || t.Words[i - 1].Kind != TSqlWord::Word)
        return false;
    return (t.Words[i - 1].End == t.Words[i].Start &&
            (t.IsWord(i - 1, QLatin1StringView("x")) || t.IsWord(i - 1, QLatin1StringView("b")))) ||
           IsTypedLiteralWord(t.Of(i - 1));
}

// "x 'name'" where a string after an operand names the column (MySQL,
// SQLite): `name` and `alias` (quoted as the dialect quotes a name) from
// `item`; unchanged where the string is an operand itself ('a' 'b' joined,
// a typed literal, a value after an operator).
void StringAlias(const QString& item, const TStatementText& mask, QString& name, QString& alias) {
    const TSqlReading reading = mask.Reading();
    if (reading != TSqlReading::Standard && !IsMySqlReading(reading)) return;
    const QList<TSqlWord> words = SqlWords(item, reading);
    const qsizetype n = words.size();
    if (n < 2 || words[n - 1].Kind != TSqlWord::String || item[words[n - 1].Start] != u'\'' ||
        words[n - 2].End == words[n - 1].Start || words[n - 1].Depth != 0)
        return;
    const TWordsOf t{item, words};
    const TSqlWord& before = words[n - 2];
    const bool operand =
        before.Kind == TSqlWord::Name || before.Kind == TSqlWord::Close ||
        (before.Kind == TSqlWord::String && PrefixedLiteral(t, n - 2)) ||
        (before.Kind == TSqlWord::Word && item[before.Start] != u'_' &&
         !t.IsWord(n - 2, QLatin1StringView("as")) && !IsTypedLiteralWord(t.Of(n - 2)));
    const QString rest = TrimCell(item.left(words[n - 1].Start));
    if (!operand || rest.isEmpty() || EndsWithOperator(rest)) return;
    const QString written =
        item.mid(words[n - 1].Start + 1, words[n - 1].End - words[n - 1].Start - 2);
    if (written.isEmpty()) return;
    name = rest;
    alias = mask.Dialect().Quote(QString(written).replace(QLatin1String("''"), QLatin1String("'")));
}

// Whether `item` holds a comma outside brackets and quotes (one walk: most
// items hold none, and those with one hold it inside a call's brackets).
bool HasTopLevelComma(const QString& item) {
    if (!item.contains(QLatin1Char(','))) return false;
    int depth = 0;
    QChar quote;
    for (const QChar c : item) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            quote = c;
        } else if (c == u'[') {
            quote = QLatin1Char(']');
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (c == u',' && depth == 0) {
            return true;
        }
    }
    return false;
}

// Whether `alias`, split off the end of `item`, stands after an AS.
bool AliasAfterAs(const QString& item, const QString& alias) {
    return !alias.isEmpty() && alias.size() < item.size() &&
           TrimCell(item.chopped(alias.size())).endsWith(QLatin1String(" as"), Qt::CaseInsensitive);
}

// Select items as names and aliases; DISTINCT and TOP n of the first item.
void ReadSelectItems(TStatement& st, int kind, const TStatementText& mask) {
    for (qsizetype i = 0; i < st.Items.size(); ++i) {
        QString item = WithQueryBrackets(TrimCell(st.Items[i]));
        // "(a, b)", a row, came out of its brackets: a comma outside
        // brackets gets them back.
        if (HasTopLevelComma(item)) item = QLatin1Char('(') + item + QLatin1Char(')');
        // "a is distinct from b" needs its brackets back where it stands
        // before the FROM clause.
        if (scan::HoldsKeyword(item, QLatin1StringView("from")) &&
            FindKeyWord(item, QStringLiteral("from"), 1) > 0)
            item = QLatin1Char('(') + item + QLatin1Char(')');
        if (i == 0) {
            int end = 0;
            if (IsBeginWith(QStringLiteral("distinct"), item, end, 1, true) > 0) {
                st.Distinct = true;
                item = item.mid(end - 1);
            }
            if (TSqlDialect(kind).RowLimitStyle() == TRowLimitStyle::Top) CutTop(item, st.Limit);
        }
        QString name, alias;
        const QString dotted = WithoutBlanksAtDots(item);
        SplitAlias(dotted, name, alias, kind);
        // "[…]" at the end is an alias only where brackets quote names
        // (PostgreSQL's "array[1, 2]" ends in its own).
        if (alias.startsWith(QLatin1Char('[')) && !mask.Dialect().ReadsQuote(QLatin1Char('['))) {
            name = dotted;
            alias.clear();
        }
        // Where double quotes hold strings (MySQL), "x" after a string is
        // another string the database joins to the one before it (after a
        // literal with a prefix of its own, x'41' "x", it names the column).
        if (alias.startsWith(QLatin1Char('"')) && !mask.Dialect().ReadsQuote(QLatin1Char('"')) &&
            (name.endsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('"'))) &&
            !AliasAfterAs(dotted, alias)) {
            const QList<TSqlWord> words = SqlWords(dotted, mask.Reading());
            if (words.size() < 3 || !PrefixedLiteral({dotted, words}, words.size() - 2)) {
                name = dotted;
                alias.clear();
            }
        }
        // "x as 'name'" (MySQL, SQLite): the name as the dialect quotes one.
        static const QRegularExpression stringAlias(
            QStringLiteral("^(.*\\S)\\s+as\\s+'((?:[^']|'')+)'$"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        if (alias.isEmpty() && item.endsWith(QLatin1Char('\'')))
            if (const QRegularExpressionMatch m = stringAlias.match(dotted); m.hasMatch()) {
                name = m.captured(1);
                alias = mask.Dialect().Quote(
                    m.captured(2).replace(QLatin1String("''"), QLatin1String("'")));
            }
        // "x 'name'" (MySQL, SQLite): a string after an operand names the
        // column, as the dialect quotes a name.
        if (alias.isEmpty() && dotted.endsWith(QLatin1Char('\'')))
            StringAlias(dotted, mask, name, alias);
        // "a + b": the last word is an operand, not an alias; nor is the
        // postfix test of "a isnull", "a notnull" (SQLite, PostgreSQL), the
        // END of a CASE, whatever the data source, or the unit of an
        // interval outside brackets ("d + interval 1 day").
        // (A word after AS is the alias whatever it spells.)
        if (!alias.isEmpty() && !AliasAfterAs(dotted, alias) &&
            (EndsWithOperator(name) || (IsIntervalUnit(alias) && HasIntervalWord(name)) ||
             EndsWithTypeWords(name, alias) ||
             alias.compare(QLatin1String("isnull"), Qt::CaseInsensitive) == 0 ||
             alias.compare(QLatin1String("notnull"), Qt::CaseInsensitive) == 0 ||
             (alias.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0 &&
              name.contains(CaseWord())))) {
            name = dotted;
            alias.clear();
        }
        st.Items[i] = mask.Restore(name);
        st.Aliases << mask.Restore(alias);
        // "x as `y`", "x as [y]" where the data source reads those quotes:
        // the name as the dialect quotes one.
        if (QString& a = st.Aliases.last();
            a.size() > 2 && (a.front() == QLatin1Char('`') || a.front() == QLatin1Char('[')) &&
            mask.Dialect().ReadsQuote(a.front()) && IsNameToken(a))
            a = mask.Dialect().Quote(ColumnFromDocument(a));
        // A bare name the database reads that the alias rule refuses
        // ("total$"): the same name quoted, as the database reads it.
        else if (QStringList parts; !a.isEmpty() && !IsValidByName(a, mask.Dialect().Kind()) &&
                                    mask.Dialect().ReadName(a, parts) && parts.size() == 1)
            a = mask.Dialect().Quote(parts.first());
        QString kind;
        kind.reserve(1 + st.Aliases.last().size());
        kind += QLatin1Char('0');
        kind += st.Aliases.last();
        st.Kinds << kind;
    }
}

// The boxes that links join, as groups. Where the design writes its joins
// in FROM (a join other than an inner one written in WHERE), a ring of
// links cannot be written: an equality between two boxes of one group
// stays a condition row.
class TBoxGroups {
public:
    explicit TBoxGroups(const QueryDesign& design)
        : FJoinSyntax(std::any_of(design.Links.cbegin(), design.Links.cend(),
                                  [](const TDesignLink& l) { return l.JoinType != 0; })) {
        FParent.resize(design.Boxes.size());
        std::iota(FParent.begin(), FParent.end(), 0);
        for (const TDesignLink& l : design.Links)
            Join(l);
    }
    void Join(const TDesignLink& link) {
        const int a = Root(link.Table1), b = Root(link.Table2);
        if (a >= 0 && b >= 0) FParent[std::size_t(a)] = b;
    }
    bool ClosesRing(const QStringList& c, const TFieldIndex& fields) {
        if (!FJoinSyntax || TrimmedCell(c.value(2)) != u"=") return false;
        const QMap<int, int> left = fields.Matches(c.value(1));
        const QMap<int, int> right = fields.Matches(c.value(3));
        if (left.size() != 1 || right.size() != 1 || left.firstKey() == right.firstKey())
            return false;
        const int a = Root(left.firstKey());
        return a >= 0 && a == Root(right.firstKey());
    }

private:
    int Root(int box) {
        if (box < 0 || std::size_t(box) >= FParent.size()) return -1;
        while (FParent[std::size_t(box)] != box)
            box = FParent[std::size_t(box)] = FParent[std::size_t(FParent[std::size_t(box)])];
        return box;
    }
    std::vector<int> FParent;
    bool FJoinSyntax;
};

class TRebuilder {
public:
    TRebuilder(QueryDesign& design, TStatement& st, int kind, const TDesignHooks& hooks,
               const TStatementText& text)
        : FDesign(design), FSt(st), FKind(kind), FHooks(hooks), FText(text), FQuiet(hooks) {
        // Links tried while a statement is read back refuse without a word.
        FQuiet.Message = nullptr;
    }

    void Build() {
        const QList<TDesignBox> boxes = ReadBoxes();
        const QList<int> placed = PlaceBoxes(boxes);
        // Two boxes of one name (a table joined to itself without an alias)
        // are one to every name that points at them.
        TTextSet names;
        for (const TDesignBox& box : std::as_const(FDesign.Boxes)) {
            const QString name = box.GetTableName().toLower();
            if (names.contains(name)) FLost << box.GetTableName();
            names.insert(name);
        }
        ReadOnScopes(placed);
        ReadSharedColumns();
        if (!FShared.isEmpty())
            for (qsizetype i = 0; i < FSt.Items.size(); ++i) {
                const QString written = TrimCell(FSt.Items[i]);
                Qualify(FSt.Items[i]);
                // A column a full join merged, written alone, keeps its name.
                if (!FSt.Aliases[i].isEmpty() || !IsNameToken(written) ||
                    !FSt.Items[i].startsWith(QLatin1String("coalesce(")))
                    continue;
                if (!IsValidByName(written, FKind)) Lose(written);
                FSt.Aliases[i] = written;
                FSt.Kinds[i] = QLatin1Char('0') + written;
            }
        ExpandStar(boxes, placed);
        FTaken = QList<bool>(FSt.Items.size(), false);
        FByText.reserve(FSt.Items.size());
        for (qsizetype i = 0; i < FSt.Items.size(); ++i)
            FByText[TFoldedKey(FSt.Items[i])].push_back(i);
        for (const int index : placed)
            TickSelected(index);
        FillComputeAndDisplay();
        qsizetype row = 0;
        ReadJoins(row);
        ReadWhere(row);
        ReadGroups();
        FillHaving();
        ReadOrder();
        DropCrossJoinedLinks();
        WriteSeparateNetworksInWhere();
        WriteLaterOuterJoinsFirst(PlacedAsRead(placed));
        if (!TSqlDialect(FKind).JoinsInWhere())
            for (const int l : LinksBeyondReach(FDesign))
                FLost << FDesign.Links[l].Condition;
        if (!FNoCrossing.isEmpty()) {
            const QHash<int, QList<int>> crossed = CrossJoinedBoxes(FDesign);
            for (const TNoCrossing& n : std::as_const(FNoCrossing))
                for (const QList<int>& boxes : crossed)
                    if (boxes.contains(n.Box)) Lose(n.Written);
        }
    }

    // A RIGHT or FULL join after other joins keeps its table's rows against
    // all that was joined before it. The design writes its first link as the
    // join and each later one in the place of the box it shares with what
    // is written: with the links of the joins in reverse order, each join
    // takes the place of the one box it and the joins after it see of what
    // came before (the RIGHT join is a LEFT join from its own table). That
    // holds when every join links its table to one box before it, and the
    // box the later joins are written at is always the table of the join
    // before or the box that one links to.
    void WriteLaterOuterJoinsFirst(bool placedAsRead) {
        const QString written = FText.RightJoinAfterOthers();
        // (An inner join on a box it gave nulls for made it an inner one.)
        bool outer = false;
        for (int l = 0; l < FDesign.Links.size() && !outer; ++l)
            outer = FTermKind.value(l) % 4 >= 2 && FDesign.Links[l].JoinType != 0;
        if (written.isEmpty() || !outer) return;
        // Moved to WHERE, a shared column of a join before would drop the
        // rows the outer join keeps.
        for (const QString& term : std::as_const(FOnRowsBeforeOuter))
            Lose(term);
        const qsizetype boxes = FDesign.Boxes.size();
        QList<int> partner(boxes, -1);
        QList<bool> inner(boxes, true); // the joins up to the box are inner ones
        bool chain = placedAsRead && !FText.BracketedJoin() && boxes > 2 &&
                     !TSqlDialect(FKind).JoinsInWhere();
        for (const TDesignLink& link : std::as_const(FDesign.Links)) {
            if (!chain) break;
            const int earlier = std::min(link.Table1, link.Table2);
            const int later = std::max(link.Table1, link.Table2);
            chain = earlier >= 0 && later < boxes && earlier != later &&
                    FGroup.value(earlier) == FGroup.value(later) &&
                    (partner[later] < 0 || partner[later] == earlier);
            if (chain) {
                partner[later] = earlier;
                inner[later] = inner[later] && link.JoinType % 4 == 0;
            }
        }
        for (qsizetype b = 1; chain && b < boxes; ++b) {
            chain = partner[b] >= 0;
            inner[b] = inner[b] && inner[b - 1];
        }
        // Inner joins alone before the place: written there in any order.
        int place = chain ? partner[boxes - 1] : -1;
        for (qsizetype b = boxes - 2; chain && b >= 1 && !inner[b]; --b) {
            chain = place == b || place == partner[b];
            place = partner[b];
        }
        if (!chain) {
            Lose(written);
            return;
        }
        std::stable_sort(FDesign.Links.begin(), FDesign.Links.end(),
                         [](const TDesignLink& a, const TDesignLink& b) {
                             return std::max(a.Table1, a.Table2) > std::max(b.Table1, b.Table2);
                         });
    }

    // Inner joins whose links fall apart into separate networks (an ON
    // term kept as a row was all that joined them: "… join c on a.x = c.x
    // or b.y = c.y join d on c.k = d.k"): no JOIN clause can write them, but
    // as WHERE equalities between the tables they mean the same.
    void WriteSeparateNetworksInWhere() {
        if (FDesign.Links.isEmpty() ||
            std::any_of(FDesign.Links.cbegin(), FDesign.Links.cend(),
                        [](const TDesignLink& l) { return l.JoinType != 0 && l.JoinType != 4; }) ||
            GetJoinClause(FDesign) != QLatin1String("-2"))
            return;
        for (TDesignLink& l : FDesign.Links)
            l.JoinType = 0;
    }

    // What the design cannot carry that the check of the written statement
    // does not see.
    const QStringList& Lost() const { return FLost; }
    // Every select item is a column of the design's statement: one the
    // display order lost (an item written twice) is not carried.
    void ReadDisplay() {
        // A name that two columns take, which the databases allow and the
        // display page does not: the later columns go without it, and the
        // rebuild says so.
        TTextSet aliases;
        for (QStringList& row : FDesign.DisplayRows) {
            if (TrimmedCell(row.value(1)).isEmpty()) break;
            const QString alias = TrimCell(row.value(2));
            if (alias.isEmpty()) continue;
            if (aliases.contains(alias)) {
                Lose(TrimCell(row.value(1)) + QStringLiteral(" as ") + alias);
                row[2].clear();
            }
            aliases.insert(alias);
        }
        // As many columns as items: none lost (the usual case, at no cost).
        qsizetype columns = 0, items = 0;
        for (const QStringList& row : std::as_const(FDesign.DisplayRows)) {
            if (TrimmedCell(row.value(1)).isEmpty()) break;
            ++columns;
        }
        for (const QString& item : std::as_const(FSt.Items))
            items += item != QLatin1String("*");
        if (columns >= items) return;
        QHash<TFoldedKey, qsizetype> shown;
        for (const QStringList& row : std::as_const(FDesign.DisplayRows)) {
            const QString column = TrimCell(row.value(1));
            if (column.isEmpty()) break;
            ++shown[TFoldedKey(column)];
        }
        // PostgreSQL's "select from t" has a list of no columns, which no
        // design writes: it is named, not shown as an empty part.
        for (const QString& item : std::as_const(FSt.Items))
            if (item != QLatin1String("*") && --shown[TFoldedKey(TrimCell(item))] < 0)
                Lose(TrimCell(item).isEmpty() ? QStringLiteral("（空的选择列表）") : item);
    }

    // The ORDER BY after set operators names columns of the whole result:
    // a shared column's bare name there is left as it is, and with ON in
    // place of USING it is one no longer.
    void ReadCompoundOrder(const QString& lastPart) {
        if (FShared.isEmpty()) return;
        const int at = FindKeyWord(lastPart, QStringLiteral("order by"), 1);
        if (at <= 0) return;
        QString order = lastPart.mid(at - 1);
        Qualify(order, false);
    }
    // How many outer joins were read as the inner joins they amount to.
    int OuterMadeInner() const { return FOuterMadeInner; }
    // How many "*" were written as the columns they stand for.
    int StarsSpelled() const { return FStarsSpelled; }

private:
    // A box's name written in quotes that the database reads the same
    // without them ("p" where bare names fold to lower case): bare, as the
    // conditions that name the box without quotes know it.
    QString Unquoted(const QString& name) const {
        QStringList parts;
        if (!FDesign.Dialect.ReadName(name, parts) || parts.size() != 1) return name;
        return FDesign.Dialect.IsPlain(parts.first()) ? parts.first() : name;
    }

    // The boxes the FROM items name, not loaded yet.
    QList<TDesignBox> ReadBoxes() {
        QList<TDesignBox> boxes;
        for (qsizetype t = 0; t < FSt.Tables.size(); ++t) {
            const QString& item = FSt.Tables[t];
            QString name, alias;
            SplitAlias(WithoutBlanksAtDots(item), name, alias, FKind);
            TDesignBox box;
            QString stripped = TrimSQLElement(name);
            int end = 0;
            // A derived table may open with its own WITH tables, or with a
            // part of a union in brackets ("((select …) except (select …)) q").
            QString lead = stripped;
            while (lead.startsWith(QLatin1Char('(')))
                lead = TrimCell(lead.mid(1));
            const bool select = IsBeginWith(QStringLiteral("select"), lead, end, 1, true) > 0 ||
                                IsBeginWith(QStringLiteral("with"), lead, end, 1, true) > 0;
            name = FText.Restore(name);
            alias = FText.Restore(alias);
            stripped = FText.Restore(stripped);
            // Names read back are names: looked up, or quoted, never spliced.
            if (select) {
                box.Kind = 'Q';
                if (!AliasFromDocument(alias, FDesign.Dialect, box.TableName)) continue;
                box.TableName = Unquoted(box.TableName);
                box.SourceText = stripped;
            } else {
                box.TableName = TableFromDocument(name, FDesign.Dialect, FHooks.Tables);
                if (!AliasFromDocument(alias, FDesign.Dialect, box.Alias)) continue;
                box.Alias = Unquoted(box.Alias);
            }
            boxes.append(box);
            FGroupOfRead << FSt.TableGroups.value(t);
        }
        return boxes;
    }

    // "*" over several boxes is every box's "*"; over USING or NATURAL
    // joins, the columns it stands for, each shared one once.
    void ExpandStar(const QList<TDesignBox>& boxes, const QList<int>& placed) {
        if (boxes.size() < 2) return;
        for (qsizetype i = FSt.Items.size() - 1; i >= 0; --i) {
            if (FSt.Items[i] != QLatin1String("*")) continue;
            QStringList aliases;
            QStringList items = SpelledStar(placed, aliases);
            // A column a full join merges is named by an alias no other
            // column of the list may have.
            for (const QString& alias : std::as_const(aliases))
                if (!alias.isEmpty() &&
                    (aliases.count(alias) > 1 || FSt.Aliases.contains(alias, Qt::CaseInsensitive)))
                    items.clear();
            if (items.isEmpty()) {
                FStarExpanded = true;
                aliases.clear();
                for (const TDesignBox& box : boxes)
                    items << box.GetTableName() + QLatin1String(".*");
            } else {
                ++FStarsSpelled;
            }
            FSt.Items.remove(i);
            FSt.Aliases.remove(i);
            FSt.Kinds.remove(i);
            for (qsizetype k = items.size() - 1; k >= 0; --k) {
                const QString alias = aliases.value(k);
                FSt.Items.insert(i, items[k]);
                FSt.Aliases.insert(i, alias);
                FSt.Kinds.insert(i, QLatin1Char('0') + alias);
            }
        }
    }

    // The value of a column a full join merges: the first of its two
    // columns that is not null.
    static QString FullJoinValue(const QString& left, const QString& right) {
        return QStringLiteral("coalesce(%1, %2)").arg(left, right);
    }

    // The columns "*" stands for where USING or NATURAL joins merge some:
    // the data source's order, each merged column once, as the box whose
    // column holds its value, or where a full join merges it, as the first
    // of the two that is not null, named by `aliases`. Empty when there are
    // no such joins, or when a box or its columns are missing.
    QStringList SpelledStar(const QList<int>& placed, QStringList& aliases) const {
        if (!PlacedAsRead(placed)) return {};
        const qsizetype count = FDesign.Boxes.size();
        // A name that two columns of a box have names only the first.
        for (qsizetype b = 0; b < count; ++b) {
            const QList<TDesignField>& fields = FDesign.Boxes[b].Fields;
            if (fields.size() < 2) return {};
            TTextSet names;
            for (qsizetype f = 1; f < fields.size(); ++f)
                names.insert(fields[f].Name.toCaseFolded());
            if (names.size() != fields.size() - 1) return {};
        }
        // By the joined box: its shared columns, whether NATURAL found them,
        // and whether a right join merged them (their value is then the
        // joined box's: the left side's is null where the join added a row).
        struct TShared {
            QStringList Columns;
            bool Natural = false, Right = false, Full = false;
        };
        QHash<int, TShared> sharedOf;
        const TSharedColumnOrder order = FDesign.Dialect.SharedColumnOrder();
        for (const auto& [shared, joined, type] : SharedJoins()) {
            if (joined <= 0 || sharedOf.contains(joined) ||
                (type == 3 && order == TSharedColumnOrder::LeftSideFirst))
                return {};
            sharedOf.insert(joined, {SharedColumns(shared, joined), shared.Columns.isEmpty(),
                                     type == 2, type == 3});
        }
        if (sharedOf.isEmpty()) return {};
        // A box, a field row; a box below 0 stands for the column of
        // `coalesced` at -1 - box.
        using TColumn = std::pair<int, qsizetype>;
        QStringList coalesced, coalescedNames;
        const auto name = [&](const TColumn& c) -> const QString& {
            return c.first < 0 ? coalescedNames[-1 - c.first]
                               : FDesign.Boxes[c.first].Fields[c.second].Name;
        };
        const auto designation = [&](const TColumn& c) {
            return c.first < 0 ? coalesced[-1 - c.first]
                               : Designation(FDesign, FDesign.Boxes[c.first], name(c));
        };
        QList<TColumn> all, joinedSoFar; // the result; that of the FROM item read
        for (int b = 0; b < int(count); ++b) {
            if (b > 0 && FGroup.value(b) != FGroup.value(b - 1))
                all += std::exchange(joinedSoFar, {});
            const auto [shared, natural, right, full] = sharedOf.value(b);
            const TDesignBox& box = FDesign.Boxes[b];
            QList<qsizetype> places; // on the left side, in the order shown
            for (const QString& column : shared) {
                // The one column of that name the join's left side has.
                qsizetype at = -1;
                for (qsizetype k = 0; k < joinedSoFar.size(); ++k) {
                    if (name(joinedSoFar[k]).compare(column, Qt::CaseInsensitive) != 0) continue;
                    if (at >= 0) return {};
                    at = k;
                }
                if (at < 0) return {};
                places << at;
                const TColumn joinedColumn{b, FieldRow(box, column)};
                if (right) joinedSoFar[at] = joinedColumn;
                if (full) {
                    const QString& shown = name(joinedSoFar[at]);
                    if (!IsValidByName(shown, FKind)) return {};
                    coalesced << FullJoinValue(designation(joinedSoFar[at]),
                                               designation(joinedColumn));
                    coalescedNames << shown;
                    joinedSoFar[at] = {-int(coalesced.size()), 0};
                }
            }
            if (right && order == TSharedColumnOrder::LeftSideFirst) {
                // MySQL reads a right join as a left join from its other
                // side: the joined box's columns come first, in its order.
                QList<TColumn> front;
                for (qsizetype f = 1; f < box.Fields.size(); ++f)
                    if (shared.contains(box.Fields[f].Name, Qt::CaseInsensitive))
                        front.append({b, f});
                for (qsizetype f = 1; f < box.Fields.size(); ++f)
                    if (!shared.contains(box.Fields[f].Name, Qt::CaseInsensitive))
                        front.append({b, f});
                std::sort(places.begin(), places.end(), std::greater<>());
                for (const qsizetype at : std::as_const(places))
                    joinedSoFar.remove(at);
                joinedSoFar = front + joinedSoFar;
                continue;
            }
            if (order != TSharedColumnOrder::InPlace) {
                // NATURAL has no list: the left side's order.
                if (natural || order == TSharedColumnOrder::LeftSideFirst)
                    std::sort(places.begin(), places.end());
                QList<TColumn> merged;
                for (const qsizetype at : std::as_const(places))
                    merged << joinedSoFar[at];
                std::sort(places.begin(), places.end(), std::greater<>());
                for (const qsizetype at : std::as_const(places))
                    joinedSoFar.remove(at);
                joinedSoFar = merged + joinedSoFar;
            }
            for (qsizetype f = 1; f < box.Fields.size(); ++f)
                if (!shared.contains(box.Fields[f].Name, Qt::CaseInsensitive))
                    joinedSoFar.append({b, f});
        }
        all += joinedSoFar;
        QStringList items;
        aliases.clear();
        for (const TColumn& c : std::as_const(all)) {
            items << designation(c);
            aliases << (c.first < 0 ? name(c) : QString());
        }
        return items;
    }

    // Whether every FROM item has its box, in the order read (the design
    // held none before): box b is the b-th item.
    bool PlacedAsRead(const QList<int>& placed) const {
        if (placed.size() != FSt.Tables.size() || placed.size() != FDesign.Boxes.size())
            return false;
        for (qsizetype b = 0; b < placed.size(); ++b)
            if (placed[b] != b) return false;
        return true;
    }

    // The boxes that could be loaded, placed on the canvas; their indexes.
    QList<int> PlaceBoxes(const QList<TDesignBox>& boxes) {
        QList<int> placedBoxes;
        int x = 10, y = 10;
        for (qsizetype read = 0; read < boxes.size(); ++read) {
            TDesignBox box = boxes[read];
            box.Left = x;
            box.Top = y;
            if (!LoadBox(FHooks, box)) continue;
            const int index = ActivateBox(FDesign, box);
            placedBoxes << index;
            FGroup[index] = FGroupOfRead.value(read);
            const TDesignBox& placed = FDesign.Boxes[index];
            if (x + 150 > 500) y = (placed.Top + placed.Height + 10) % 400;
            x = (placed.Left + placed.Width + 10) % 500;
            if (x < 160) x = 10;
        }
        return placedBoxes;
    }

    // Ticks the fields that select items name, the earliest item first.
    void TickSelected(int index) {
        TDesignBox& box = FDesign.Boxes[index];
        const QString name = box.GetTableName();
        // Columns whose names differ only in case ("Total" and total): an
        // item names one of them only as it is written, letter for letter.
        bool twins = false;
        TTextSet folded;
        for (qsizetype f = 1; f < box.Fields.size() && !twins; ++f) {
            const QString lower = box.Fields[f].Name.toLower();
            twins = folded.contains(lower);
            folded.insert(lower);
        }
        for (qsizetype f = 0; f < box.Fields.size(); ++f) {
            const QString field = box.Fields[f].Name;
            const QString column = ColumnText(FDesign, field);
            const QString qualified = name + QLatin1Char('.') + column;
            TItemQueue* best = nullptr;
            // The item as the designer writes it, or with the bare name. A
            // column named by no identifier ("COUNT(*)" of an unnamed
            // sub-query column) is named only quoted: bare, it is an
            // expression.
            const QString keys[] = {qualified, column, name + QLatin1Char('.') + field, field};
            const int tried = IsNameToken(field) ? 4 : 2;
            for (int k = 0; k < tried; ++k) {
                // Bare, a word the data source reserves is that word (the
                // function user), not the column.
                if (k == 3 && FDesign.Dialect.IsReserved(field)) continue;
                const QString& key = keys[k];
                const auto it = FByText.find(TFoldedKey(key));
                if (it != FByText.end() && !it->empty() && (!best || it->front() < best->front()) &&
                    (!twins || FSt.Items[it->front()] == key))
                    best = &*it;
            }
            if (!best) continue;
            const qsizetype item = best->front();
            best->pop_front();
            box.Fields[f].Checked = true;
            if (f > 0) FDesign.OrderList << qualified;
            FSt.Items[item] = qualified;
            FSt.Kinds[item][0] = QLatin1Char('1');
            FTaken[item] = true;
        }
    }

    void FillComputeAndDisplay() {
        const QString computed = ComputedMarker();
        QList<qsizetype> remaining;
        for (qsizetype i = 0; i < FSt.Items.size(); ++i)
            if (!FTaken[i]) remaining << i;
        EnsureGridRows(FDesign.ComputeRows, int(remaining.size()), kComputeWidth);
        // The display page knows a computed column by its text: one written
        // again under another name ("count(*) c1, count(*) c2") is written
        // in brackets, the same value under a text of its own. Texts are
        // compared by their hashes first: most lists repeat few or none.
        std::vector<std::pair<quint64, qsizetype>> hashes;
        hashes.reserve(std::size_t(remaining.size()));
        for (const qsizetype k : std::as_const(remaining))
            if (FSt.Items[k] != QLatin1String("*"))
                hashes.emplace_back(TextHash(FSt.Items[k], true), k);
        std::sort(hashes.begin(), hashes.end());
        for (std::size_t g = 0, e = 0; g < hashes.size(); g = e) {
            for (e = g + 1; e < hashes.size() && hashes[e].first == hashes[g].first; ++e) {
            }
            // (A text repeated under one name alone stays as it is.)
            const QString& name = FSt.Aliases[hashes[g].second];
            if (std::all_of(hashes.cbegin() + std::ptrdiff_t(g),
                            hashes.cbegin() + std::ptrdiff_t(e),
                            [&](const auto& h) { return FSt.Aliases[h.second] == name; }))
                continue;
            QStringList names; // the names the text has had, in order
            const QString first = FSt.Items[hashes[g].second];
            for (std::size_t h = g; h < e; ++h) {
                const qsizetype k = hashes[h].second;
                if (FSt.Items[k].compare(first, Qt::CaseInsensitive) != 0) continue;
                qsizetype depth = names.indexOf(FSt.Aliases[k]);
                if (depth < 0) {
                    depth = names.size();
                    names << FSt.Aliases[k];
                }
                if (depth > 0)
                    FSt.Items[k] = QString(depth, QLatin1Char('(')) + FSt.Items[k] +
                                   QString(depth, QLatin1Char(')'));
            }
        }
        for (qsizetype j = 0; j < remaining.size(); ++j) {
            const QString& item = FSt.Items[remaining[j]];
            if (item == QLatin1String("*")) continue;
            FDesign.ComputeRows[j] = {item, FSt.Aliases[remaining[j]]};
            FDesign.OrderList << computed + item;
        }
        FDesign.DisplayRows.clear();
        EnsureGridRows(FDesign.DisplayRows, int(qMax<qsizetype>(FSt.Items.size(), 1)),
                       kDisplayWidth);
        // The kinds are few: one text each, shared by the rows.
        QHash<QChar, QString> kinds;
        for (qsizetype k = 0; k < FSt.Items.size(); ++k) {
            if (FSt.Items[k] == QLatin1String("*")) continue;
            const QString& written = FSt.Kinds[k];
            QString kind;
            if (!written.isEmpty()) {
                auto known = kinds.find(written[0]);
                if (known == kinds.end()) known = kinds.insert(written[0], written.left(1));
                kind = *known;
            }
            FDesign.DisplayRows[k] = {kind, FSt.Items[k], FSt.Aliases[k], QString()};
        }
    }

    // The boxes' fields, looked up by every join term and WHERE row: the
    // boxes are all placed before the first.
    const TFieldIndex& Fields() {
        if (!FFields) FFields.emplace(FDesign);
        return *FFields;
    }

    // The boxes an outer join of `kind` (1 left, 2 right, 3 full) may give
    // rows of nulls for, the joined box the later of its links' boxes.
    void MarkNullSide(int kind, const QList<int>& links) {
        int joined = -1;
        for (const int l : links)
            joined = std::max({joined, FDesign.Links[l].Table1, FDesign.Links[l].Table2});
        const TNullSupplier supplier{links, kind, FPlace};
        // Where the join's place is known, the boxes of its sides are.
        const QList<TStatementText::TJoinPlace>& places = FText.JoinPlaces();
        if (FPlace >= 0 && FPlace < places.size()) {
            const TStatementText::TJoinPlace& place = places[FPlace];
            for (int b = 0; b < FDesign.Boxes.size(); ++b)
                if (((kind == 1 || kind == 3) && InGroup(b, place.RightTables)) ||
                    ((kind == 2 || kind == 3) && InGroup(b, place.LeftTables)))
                    FNullSide[b] << supplier;
            return;
        }
        if (kind == 1) {
            // The ON of a join in brackets comes among the terms of the join
            // around it: each left join gives nulls to the box it joins, the
            // later of its link's boxes.
            QMap<int, QList<int>> byJoined;
            for (const int l : links)
                byJoined[std::max(FDesign.Links[l].Table1, FDesign.Links[l].Table2)] << l;
            for (auto j = byJoined.cbegin(); j != byJoined.cend(); ++j)
                FNullSide[j.key()] << TNullSupplier{j.value(), kind, FPlace};
        }
        // A join inside brackets gives nulls to the boxes of its brackets
        // alone: those of the smallest group that holds its links' boxes.
        const QStringList* group = nullptr;
        for (const QStringList& g : FText.BracketGroups())
            if (std::all_of(links.cbegin(), links.cend(),
                            [&](int l) {
                                return InGroup(FDesign.Links[l].Table1, g) &&
                                       InGroup(FDesign.Links[l].Table2, g);
                            }) &&
                (!group || g.size() < group->size()))
                group = &g;
        for (int b = 0; (kind == 2 && b < joined) || (kind == 3 && b <= joined); ++b)
            if (!group || InGroup(b, *group)) FNullSide[b] << supplier;
    }

    // Whether box `box` is one of the tables of a join in brackets.
    bool InGroup(int box, const QStringList& group) const {
        return box >= 0 && box < FDesign.Boxes.size() &&
               group.contains(FDesign.Boxes[box].GetTableName(), Qt::CaseInsensitive);
    }

    // The boxes an operand of an equality names that an outer join may
    // give nulls for.
    QSet<int> NullSideBoxes(const QStringList& c) {
        QSet<int> found;
        if (FNullSide.isEmpty()) return found;
        // Only equalities make links.
        const QStringView op = TrimmedCell(c.value(2));
        if (op != u"=" && op != u"*=" && op != u"=*") return found;
        for (const int box : OperandBoxes(c))
            if (OnNullSide(box)) found << box;
        return found;
    }

    // The boxes the two operands of condition row `c` name.
    QSet<int> OperandBoxes(const QStringList& c) {
        QSet<int> boxes;
        for (const QString& operand : {c.value(1), c.value(3)}) {
            const QMap<int, int> named = Fields().Matches(operand);
            for (auto it = named.cbegin(); it != named.cend(); ++it)
                boxes << it.key();
        }
        return boxes;
    }
    bool TouchesNullSide(const QStringList& c) {
        return !NullSideBoxes(c).isEmpty() || DropsNullsOfBracketedGroup(c);
    }

    // Whether an inner join's equality names a box of a join in brackets
    // that an outer join gave nulls for through another of its boxes (the
    // one it links): the whole group's rows of nulls go, which the design,
    // knowing only the linked box, would keep.
    bool DropsNullsOfBracketedGroup(const QStringList& c) {
        const QList<QStringList>& groups = FText.BracketGroups();
        if (groups.isEmpty() || FNullSide.isEmpty()) return false;
        for (const int box : OperandBoxes(c)) {
            if (OnNullSide(box)) continue; // (JoinedAfterAll's)
            for (const QStringList& group : groups) {
                if (!InGroup(box, group)) continue;
                for (auto n = FNullSide.cbegin(); n != FNullSide.cend(); ++n) {
                    if (!InGroup(n.key(), group)) continue;
                    for (const TNullSupplier& supplier : n.value()) {
                        if (!JoinedBefore(supplier.Place)) continue;
                        for (const int l : supplier.Links)
                            if (!InGroup(FDesign.Links[l].Table1, group) ||
                                !InGroup(FDesign.Links[l].Table2, group))
                                return true;
                    }
                }
            }
        }
        return false;
    }

    // Whether an outer join's nulls reach the join read now: it was read
    // before, and it stands before it as written. (The analysis lists the
    // ON of a join in the brackets that begin the FROM clause after the
    // joins around it; the join text writes such a join back in the same
    // place, so its nulls reach only the joins written after it.)
    bool JoinedBefore(qsizetype place) const { return place < 0 || FPlace < 0 || place < FPlace; }
    bool OnNullSide(int box) const {
        const auto it = FNullSide.constFind(box);
        return it != FNullSide.cend() &&
               std::any_of(it->cbegin(), it->cend(),
                           [this](const auto& s) { return JoinedBefore(s.Place); });
    }

    // An inner join whose equality names `box` keeps none of the rows of
    // nulls the outer joins gave it (a left join, then a right join against
    // both its boxes, give nulls twice): each is an inner one, and so,
    // through its own equality, are those that gave nulls to its other
    // boxes. False when a full join stands in the way (it keeps rows of
    // nulls on both sides), which the design cannot say.
    bool JoinedAfterAll(int box) {
        const auto it = FNullSide.constFind(box);
        if (it == FNullSide.cend()) return true;
        QList<TNullSupplier> suppliers = *it;
        suppliers.removeIf([this](const TNullSupplier& s) { return !JoinedBefore(s.Place); });
        if (std::any_of(suppliers.cbegin(), suppliers.cend(),
                        [](const TNullSupplier& s) { return s.Kind == 3; }))
            return false;
        QSet<int> others;
        for (const TNullSupplier& supplier : suppliers) {
            ++FOuterMadeInner;
            for (const int l : supplier.Links) {
                TDesignLink& link = FDesign.Links[l];
                link.JoinType = 0;
                others << link.Table1 << link.Table2;
            }
            for (auto n = FNullSide.begin(); n != FNullSide.end();) {
                n->removeIf([&](const TNullSupplier& s) { return s.Links == supplier.Links; });
                n = n->isEmpty() ? FNullSide.erase(n) : std::next(n);
            }
        }
        for (const int other : std::as_const(others))
            if (!JoinedAfterAll(other)) return false;
        return true;
    }

    // Where the marks give the ONs' places (joins in the brackets that begin
    // the FROM clause): the join text writes each link in place of the box
    // it shares with those written before it (its anchor), inside the joins
    // around that box. A join the statement joins after another then stands
    // inside it, and one the statement has inside another may come to stand
    // on its other side. Where that changes rows, the outer join an inner
    // join after it drops the nulls of becomes the inner join it amounts
    // to, and anything else is named as not carried.
    void JoinAsTheTextNests() {
        if (FLinkPlace.isEmpty()) return;
        // Per box: the sides of the links written around it, outermost
        // first (link, 1 for the side of its first box, 2 for its second's).
        QHash<int, QList<std::pair<int, int>>> around;
        QList<int> pending(FDesign.Links.size());
        std::iota(pending.begin(), pending.end(), 0);
        QSet<int> written;
        int lost = -1; // a link whose join the text would nest otherwise
        const auto write = [&](int x, int anchor) {
            const TDesignLink& link = FDesign.Links[x];
            const QList<std::pair<int, int>> outside =
                anchor < 0 ? QList<std::pair<int, int>>() : around.value(anchor);
            for (const auto& [y, side] : outside)
                if (!SameNesting(x, anchor, y, side) && lost < 0) lost = y;
            for (const int box : {link.Table1, link.Table2}) {
                around[box] = outside;
                around[box].append({x, box == link.Table1 ? 1 : 2});
            }
            written << link.Table1 << link.Table2;
            // The links between the same two boxes go into the same ON.
            pending.removeIf([&](int other) {
                const TDesignLink& o = FDesign.Links[other];
                return (o.Table1 == link.Table1 && o.Table2 == link.Table2) ||
                       (o.Table1 == link.Table2 && o.Table2 == link.Table1);
            });
        };
        if (pending.isEmpty()) return;
        write(pending.takeFirst(), -1);
        for (qsizetype k = 0, idle = 0; !pending.isEmpty() && idle <= pending.size();) {
            k %= pending.size();
            const TDesignLink& link = FDesign.Links[pending[k]];
            const bool one = written.contains(link.Table1), two = written.contains(link.Table2);
            if (one == two) {
                if (one) break; // a ring: no join text
                ++k;
                ++idle;
                continue;
            }
            write(pending.takeAt(k), one ? link.Table1 : link.Table2);
            idle = 0;
        }
        if (lost < 0) return;
        const TDesignLink& link = FDesign.Links[lost];
        FLost << (!FText.BracketedOuterJoin().isEmpty()
                      ? FText.BracketedOuterJoin()
                      : Designation(FDesign, FDesign.Boxes[link.Table1], link.Field1) +
                            QStringLiteral(" = ") +
                            Designation(FDesign, FDesign.Boxes[link.Table2], link.Field2));
    }

    // Whether link x, written in place of box `anchor` inside side `side`
    // of link y, joins as the statement joins them; an outer y that the
    // statement has x drop the nulls of becomes an inner one.
    bool SameNesting(int x, int anchor, int y, int side) {
        const QList<TStatementText::TJoinPlace>& places = FText.JoinPlaces();
        const qsizetype px = FLinkPlace.value(x, -1), py = FLinkPlace.value(y, -1);
        if (px < 0 || py < 0 || px == py || px >= places.size() || py >= places.size()) return true;
        const TDesignLink& inner = FDesign.Links[x];
        TDesignLink& outer = FDesign.Links[y];
        const int xType = inner.JoinType % 4, yType = outer.JoinType % 4;
        // Here x stands in a side of y that keeps its rows, or in one y
        // gives nulls for.
        const bool nulls = yType == 3 || (yType == 1 && side == 2) || (yType == 2 && side == 1);
        // In the statement.
        const TStatementText::TJoinPlace& of = places[py];
        const TStatementText::TJoinPlace& around = places[px];
        if (of.InLeft(around.On) || of.InRight(around.On)) {
            if (yType == 0) return true; // (made an inner join)
            return nulls == of.GivesNullsTo(around.On);
        }
        // Joins apart from each other in the statement are judged by those
        // that hold them.
        if (!around.InLeft(of.On) && !around.InRight(of.On)) return true;
        // The statement joins x after y: an inner join, or a left join that
        // keeps the rows of its anchor, reads the same inside a side that
        // keeps its rows; inside a side of nulls, an inner join drops the
        // nulls the statement's inner join drops too, and a left join that
        // keeps its anchor's rows reads the same.
        const bool keeps = xType == 0 || (xType == 1 && anchor == inner.Table1) ||
                           (xType == 2 && anchor == inner.Table2);
        if (!nulls || xType != 0) return keeps;
        outer.JoinType = 0;
        ++FOuterMadeInner;
        return true;
    }

    // Whether the join text writes a join whose condition names boxes
    // after those boxes: not where joins go into WHERE, nor where a right
    // or full join after others has the design write its joins otherwise.
    bool WritesJoinsAsRead() const {
        return !TSqlDialect(FKind).JoinsInWhere() && FText.RightJoinAfterOthers().isEmpty();
    }

    void AddCondition(qsizetype& row, const QStringList& cells) {
        ++row;
        EnsureGridRows(FDesign.ConditionRows, int(row), kConditionWidth);
        QStringList& target = FDesign.ConditionRows[row - 1];
        if (target.size() <= kConditionWidth) {
            target = cells; // the whole row: shared, not copied cell by cell
            return;
        }
        for (int c = 0; c < kConditionWidth; ++c)
            target[c] = cells[c];
    }

    // A join that the link rules refuse is no message while a statement is
    // read back: its condition is kept as a row, or reported as not carried.
    int TryLink(const QStringList& condition, int joinType) {
        const qsizetype before = FDesign.Links.size();
        const int type = IsLinkList(FDesign, condition, FKind, joinType, FQuiet, &Fields());
        if (type < 0 || FDesign.Links.size() == before) return -1;
        // An inner JOIN whose boxes other links join already would close a
        // ring, which no JOIN clause can write: the term is kept as a row of
        // WHERE instead, where it means the same. (An outer join's term
        // could not move: it stays a link, and a design that cannot be
        // written says what it lacks.) A ring of INNER JOIN terms stays
        // links where all joins are spelled so (or written with commas): the
        // design then writes every link in WHERE.
        if ((type == 4 || (type == 0 && WritesJoinClause())) &&
            AlreadyJoined(FDesign.Links.last())) {
            FDesign.Links.removeLast();
            return -1;
        }
        // The link runs from the first-named column; when that is the joined
        // table's (on b.x = a.x), the outer side is the link's other end.
        TDesignLink& link = FDesign.Links.last();
        if (link.Table1 > link.Table2) link.JoinType = MirroredJoin(link.JoinType);
        if (FPlace >= 0) FLinkPlace.insert(int(FDesign.Links.size()) - 1, FPlace);
        return int(FDesign.Links.size()) - 1;
    }

    // Whether the statement has a join other than INNER JOIN (an outer
    // one, or one spelled JOIN): its links are written in a join clause.
    bool WritesJoinClause() const {
        return std::any_of(FSt.Joins.cbegin(), FSt.Joins.cend(), [](const QString& join) {
            return !join.isEmpty() && join[0].digitValue() - 1 != 0;
        });
    }

    // Whether the boxes of `link` (the last link) are joined already through
    // links between other pairs of boxes. Links are only added while the
    // joins are read (a link refused right away being the last), so the
    // boxes the links before it join are kept merged as they come; only
    // boxes joined at all are walked.
    bool AlreadyJoined(const TDesignLink& link) {
        const qsizetype before = FDesign.Links.size() - 1;
        if (before < FMergedLinks || FMergedParent.size() < std::size_t(FDesign.Boxes.size())) {
            FMergedParent.assign(std::size_t(FDesign.Boxes.size()), -1);
            FMergedLinks = 0;
        }
        const auto root = [&](int box) {
            while (FMergedParent[std::size_t(box)] >= 0) {
                int& parent = FMergedParent[std::size_t(box)];
                // Halving the path keeps later walks short.
                if (FMergedParent[std::size_t(parent)] >= 0)
                    parent = FMergedParent[std::size_t(parent)];
                box = parent;
            }
            return box;
        };
        for (; FMergedLinks < before; ++FMergedLinks) {
            const TDesignLink& l = FDesign.Links[FMergedLinks];
            const int r1 = root(l.Table1), r2 = root(l.Table2);
            if (r1 != r2) FMergedParent[std::size_t(r1)] = r2;
        }
        if (root(link.Table1) != root(link.Table2)) return false;
        // Joined: through other pairs of boxes, or only by links between these two.
        const auto pair = [](const TDesignLink& l) { return std::minmax(l.Table1, l.Table2); };
        std::vector<std::vector<int>> next(std::size_t(FDesign.Boxes.size()));
        for (qsizetype i = 0; i < before; ++i) {
            const TDesignLink& l = FDesign.Links[i];
            if (pair(l) == pair(link)) continue;
            next[std::size_t(l.Table1)].push_back(l.Table2);
            next[std::size_t(l.Table2)].push_back(l.Table1);
        }
        std::vector<bool> reached(next.size(), false);
        reached[std::size_t(link.Table1)] = true;
        std::vector<int> todo{link.Table1};
        while (!todo.empty()) {
            const int box = todo.back();
            todo.pop_back();
            for (const int other : next[std::size_t(box)]) {
                if (other == link.Table2) return true;
                if (!reached[std::size_t(other)]) {
                    reached[std::size_t(other)] = true;
                    todo.push_back(other);
                }
            }
        }
        return false;
    }

    // The row of `field` in `box`: the column of that name letter for
    // letter, else (unless `exact`) the first one whose name differs only
    // in case; -1 when none.
    static int FieldRow(const TDesignBox& box, const QString& field, bool exact = false) {
        for (qsizetype f = 1; f < box.Fields.size(); ++f)
            if (box.Fields[f].Name == field) return int(f);
        for (qsizetype f = 1; f < box.Fields.size() && !exact; ++f)
            if (box.Fields[f].Name.compare(field, Qt::CaseInsensitive) == 0) return int(f);
        return -1;
    }

    // Whether the data source tells column names apart by letter case
    // (PostgreSQL's "Val" and val): then NATURAL joins only the columns
    // named letter for letter alike, and a bare name in USING is folded.
    bool NamesHaveCase() const { return FDesign.Dialect.NameCase() != TNameCase::Insensitive; }
    // Whether a result column has the name `written` as its alias.
    bool HasAlias(const QString& written) const {
        const QString key = WrittenKey(written);
        return std::any_of(FSt.Aliases.cbegin(), FSt.Aliases.cend(), [&](const QString& alias) {
            return !alias.isEmpty() && WrittenKey(alias) == key;
        });
    }
    // A name as a statement writes it, as the data source tells names apart.
    QString WrittenKey(const QString& written) const {
        return FDesign.Dialect.WrittenNameKey(written);
    }

    // A USING or NATURAL join: what it shares, the box it brings (-1 when
    // that is not placed) and its kind (0 inner, 1 left, 2 right, 3 full).
    struct TSharedJoin {
        TStatementText::TSharedColumns Shared;
        int Joined = -1;
        int Type = 0;
    };
    // The USING and NATURAL joins of the FROM clause, in order.
    QList<TSharedJoin> SharedJoins() const {
        QList<TSharedJoin> joins;
        for (const QString& join : FSt.Joins) {
            if (join.isEmpty()) continue;
            QString term = join.mid(1);
            TStatementText::TakeConditionStart(term);
            TSharedJoin shared;
            if (!FText.TakeSharedColumns(TrimSQLElement(term), shared.Shared)) continue;
            shared.Joined = SharingBox(shared.Shared);
            shared.Type = (join[0].digitValue() - 1) % 4;
            joins << shared;
        }
        return joins;
    }

    // The box a USING or NATURAL join brings; -1 when it is not placed.
    int SharingBox(const TStatementText::TSharedColumns& shared) const {
        // As written first: a bare word the dialect would quote ("first")
        // names the box it named.
        const int box = FDesign.FindTable(shared.Box);
        return box >= 0 ? box : FDesign.FindTable(FDesign.Dialect.NameFromText(shared.Box));
    }

    // The columns a USING or NATURAL join of box `joined` shares.
    QStringList SharedColumns(const TStatementText::TSharedColumns& shared, int joined) const {
        QStringList columns;
        for (const QString& c : shared.Columns)
            columns << (NamesHaveCase() ? WrittenKey(c) : ColumnFromDocument(c));
        if (columns.isEmpty()) // NATURAL: the columns it shares with the boxes before it
            for (qsizetype f = 1; f < FDesign.Boxes[joined].Fields.size(); ++f)
                for (int b = 0; b < joined; ++b)
                    if (FieldRow(FDesign.Boxes[b], FDesign.Boxes[joined].Fields[f].Name,
                                 NamesHaveCase()) > 0) {
                        columns << FDesign.Boxes[joined].Fields[f].Name;
                        break;
                    }
        return columns;
    }

    // How many of the first `count` boxes have `column`.
    int BoxesHaving(const QString& column, qsizetype count) const {
        int having = 0;
        for (qsizetype b = 0; b < count; ++b)
            having += FieldRow(FDesign.Boxes[b], column) > 0;
        return having;
    }

    // The nearest box before `joined` that has `column`; -1 when none has.
    int BoxBefore(int joined, const QString& column) const {
        for (int b = joined - 1; b >= 0; --b)
            if (FieldRow(FDesign.Boxes[b], column) > 0) return b;
        return -1;
    }

    // A column USING or NATURAL joins share, read join by join in FROM
    // order: how many boxes the joins so far have merged it over, and the
    // box whose column holds the merged value (the box before after an
    // inner or left join, the joined box after a right join; none after a
    // full join, which merges both).
    struct TMerge {
        int Boxes = 0;
        int Stands = -1;
        bool Inner = true; // merged by inner joins alone: every box holds it
    };
    using TMerges = QHash<QString, TMerge>; // by the column, lower case

    // The box whose column the join of box `joined` matches `column` with;
    // -1 when no one box stands for it. Several boxes before the join may
    // have the column only when joins before merged it over all of them.
    int SharedWith(const TMerges& merges, const QString& column, int joined) const {
        const int having = BoxesHaving(column, joined);
        if (having <= 1) return BoxBefore(joined, column);
        const auto it = merges.constFind(column.toLower());
        if (it == merges.cend() || it->Boxes != having) return -1;
        // Equal in every box: the nearest, which the join's other columns
        // are likeliest to link with too.
        return it->Inner ? BoxBefore(joined, column) : it->Stands;
    }
    // `joinedWider`: the inner join's merged column is the joined box's,
    // as PostgreSQL takes the side it need not convert (which decides what
    // a GROUP BY of it lets the select list name).
    static void Merge(TMerges& merges, const QString& column, int before, int joined, int type,
                      bool joinedWider) {
        TMerge& m = merges[column.toLower()];
        m.Boxes = std::max(m.Boxes, 1) + 1;
        m.Stands = type % 4 == 3                                     ? -1
                   : type % 4 == 2 || (type % 4 == 0 && joinedWider) ? joined
                                                                     : before;
        m.Inner = m.Inner && type % 4 == 0;
    }

    // A column USING or NATURAL shares is one column of the result: written
    // bare it is the column of the box before the join (inner and left
    // joins) or of the joined box (right joins), the first of the two that
    // is not null under a full join. The design writes ON, after which a
    // bare name would be ambiguous: bare references are given the box they
    // stand for.
    void ReadSharedColumns() {
        TMerges merges;
        for (const auto& [shared, joined, type] : SharedJoins()) {
            if (joined < 0) continue;
            for (const QString& column : SharedColumns(shared, joined)) {
                const int before = SharedWith(merges, column, joined);
                const QString key = FDesign.Dialect.NameKey(column);
                if (before < 0 || FieldRow(FDesign.Boxes[joined], column) < 0) {
                    // Several boxes have it, not merged, or the joined box
                    // lacks it (the database would refuse the join): no box
                    // stands for it.
                    if (BoxBefore(joined, column) >= 0) FShared[key] = QString();
                    continue;
                }
                const auto fieldOf = [&](int b) -> const TDesignField& {
                    const TDesignBox& box = FDesign.Boxes[b];
                    return box.Fields[FieldRow(box, column)];
                };
                Merge(merges, column, before, joined, type,
                      FDesign.Dialect.Keywords() == TKeywordSet::Postgres &&
                          PostgresWidens(fieldOf(before).FieldType, fieldOf(joined).FieldType));
                const int side = merges[column.toLower()].Stands;
                const auto columnOf = [&](int b) {
                    return Designation(FDesign, FDesign.Boxes[b], fieldOf(b).Name);
                };
                const QString designation =
                    side >= 0 ? columnOf(side) : FullJoinValue(columnOf(before), columnOf(joined));
                // The name of a result column as well: no one box stands for
                // every bare reference, unless that column is the merged one
                // ("select t.k k … using (k) group by k").
                bool known = true;
                for (qsizetype i = 0; i < FSt.Aliases.size() && known; ++i)
                    known = FSt.Aliases[i].compare(column, Qt::CaseInsensitive) != 0 ||
                            TrimCell(FSt.Items[i]).compare(designation, Qt::CaseInsensitive) == 0;
                FShared[key] = known ? designation : QString();
            }
        }
    }

    // `text` (as written) with its bare references to shared columns given
    // their box; one that no box stands for is not carried.
    void Qualify(QString& text, bool rewrite = true) {
        if (FShared.isEmpty() || text.isEmpty()) return;
        text = WithBareNames(text, [&](const QString& written) {
            const auto it = FShared.constFind(WrittenKey(written));
            if (it == FShared.cend()) return QString();
            if (it->isEmpty() || !rewrite) {
                Lose(written);
                return QString();
            }
            return *it;
        });
        if (rewrite) QualifyInSubSelects(text);
    }

    // A shared column written bare inside a sub-select whose own tables
    // lack it names the column the join shares, which ON instead of USING
    // leaves to two boxes: it is given the box that stands for it. (Where a
    // table of the sub-select is not known, the name stays as written.)
    void QualifyInSubSelects(QString& text) {
        if (!text.contains(QLatin1String("select"), Qt::CaseInsensitive)) return;
        const QList<TSqlWord> words = SqlWords(text, FText.Reading());
        const TWordsOf tokens{text, words};
        const auto textOf = [&](qsizetype i) { return tokens.Of(i).toString(); };
        const auto isWord = [&](qsizetype i, QLatin1StringView w) { return tokens.IsWord(i, w); };
        const auto isDot = [&](qsizetype i) { return tokens.IsSymbol(i, QLatin1Char('.')); };
        // Per sub-select open around a token: whether its tables may have the
        // column (unknown tables may).
        struct TScope {
            qsizetype Close = -1;
            QStringList Tables;
        };
        QSet<qsizetype> tableWords; // the tables of sub-selects and their names
        QList<TScope> scopes;
        QList<std::pair<qsizetype, QString>> replaced;
        for (qsizetype i = 0; i < words.size(); ++i) {
            while (!scopes.isEmpty() && i > scopes.last().Close)
                scopes.removeLast();
            const TSqlWord& w = words[i];
            if (w.Kind == TSqlWord::Open && (isWord(i + 1, QLatin1StringView("select")) ||
                                             isWord(i + 1, QLatin1StringView("with")))) {
                TScope scope;
                for (qsizetype k = i + 1; k < words.size(); ++k) {
                    if (words[k].Kind == TSqlWord::Close && words[k].Depth == w.Depth) {
                        scope.Close = k;
                        break;
                    }
                    if (words[k].Depth != w.Depth + 1) continue;
                    if ((isWord(k - 1, QLatin1StringView("from")) ||
                         isWord(k - 1, QLatin1StringView("join")) ||
                         tokens.IsSymbol(k - 1, QLatin1Char(','))) &&
                        (words[k].Kind == TSqlWord::Word || words[k].Kind == TSqlWord::Name) &&
                        !isDot(k + 1)) {
                        scope.Tables << FDesign.Dialect.NameFromText(textOf(k));
                        // Its name after it, with or without AS.
                        const qsizetype name =
                            isWord(k + 1, QLatin1StringView("as")) ? k + 2 : k + 1;
                        tableWords << k << name;
                    } else if (words[k].Kind == TSqlWord::Open &&
                               (isWord(k - 1, QLatin1StringView("from")) ||
                                isWord(k - 1, QLatin1StringView("join"))))
                        scope.Tables << QString(); // a derived table: not known
                }
                if (scope.Close < 0) return;
                scopes << scope;
                continue;
            }
            if (scopes.isEmpty() || (w.Kind != TSqlWord::Word && w.Kind != TSqlWord::Name) ||
                tableWords.contains(i) || isDot(i - 1) || isDot(i + 1) ||
                (i + 1 < words.size() && words[i + 1].Kind == TSqlWord::Open) ||
                isWord(i - 1, QLatin1StringView("as")))
                continue;
            const QString written = textOf(i);
            const auto it = FShared.constFind(WrittenKey(written));
            if (it == FShared.cend() || it->isEmpty()) continue;
            bool own = false;
            for (const TScope& scope : std::as_const(scopes))
                for (const QString& table : scope.Tables)
                    own = own || TableMayHave(table, written);
            if (!own) replaced.append({i, *it});
        }
        for (auto r = replaced.crbegin(); r != replaced.crend(); ++r)
            text.replace(words[r->first].Start, words[r->first].End - words[r->first].Start,
                         r->second);
    }

    // Whether table `table` (a name of the catalogue) has a column written
    // `column`; true when the table is not known.
    bool TableMayHave(const QString& table, const QString& column) {
        if (table.isEmpty() || !FQuiet.LoadBox) return true;
        auto it = FTableColumns.find(table.toLower());
        if (it == FTableColumns.end()) {
            TDesignBox box;
            box.TableName = table;
            QStringList keys;
            if (FQuiet.LoadBox(box))
                for (const TDesignField& f : std::as_const(box.Fields))
                    keys << FDesign.Dialect.NameKey(f.Name);
            else
                keys << QString(); // not known
            it = FTableColumns.insert(table.toLower(), keys);
        }
        return it->contains(QString()) || it->contains(WrittenKey(column));
    }

    // `text` with each bare name (ForEachBareName's) written as `replaced`
    // gives it; one it gives no text for stays as it is.
    QString WithBareNames(const QString& text,
                          const std::function<QString(const QString&)>& replaced) const {
        QString out;
        qsizetype done = 0;
        ForEachBareName(text, [&](qsizetype start, qsizetype end) {
            const QString with = replaced(text.mid(start, end - start));
            if (with.isNull()) return false;
            out += QStringView(text).mid(done, start - done);
            out += with;
            done = end;
            return false;
        });
        if (done == 0) return text;
        out += QStringView(text).mid(done);
        return out;
    }

    // Calls `visit` (start, end) with each bare name of `text` outside
    // sub-selects, which have names of their own: not a qualified name, a
    // qualifier, a function or a type after AS. Stops when `visit` says so.
    void ForEachBareName(const QString& text,
                         const std::function<bool(qsizetype, qsizetype)>& visit) const {
        const QList<TSqlWord> words = SqlWords(text, FText.Reading());
        const TWordsOf tokens{text, words};
        const auto isSymbol = [&](qsizetype i, QChar c) { return tokens.IsSymbol(i, c); };
        const auto isWord = [&](qsizetype i, QLatin1StringView w) { return tokens.IsWord(i, w); };
        for (qsizetype i = 0; i < words.size(); ++i) {
            const TSqlWord& w = words[i];
            if (w.Kind == TSqlWord::Open && (isWord(i + 1, QLatin1StringView("select")) ||
                                             isWord(i + 1, QLatin1StringView("with")))) {
                while (i + 1 < words.size() &&
                       !(words[i + 1].Kind == TSqlWord::Close && words[i + 1].Depth == w.Depth))
                    ++i;
                continue;
            }
            if (w.Kind != TSqlWord::Word && w.Kind != TSqlWord::Name) continue;
            if (isSymbol(i - 1, QLatin1Char('.')) || isSymbol(i + 1, QLatin1Char('.')) ||
                (i + 1 < words.size() && words[i + 1].Kind == TSqlWord::Open) ||
                isWord(i - 1, QLatin1StringView("as")))
                continue;
            // A word the data source reserves (PostgreSQL's user,
            // current_user, from) written bare is no column; nor is a type
            // after "::", a unit after a string ("interval '1' day"), the
            // field of EXTRACT or the words of AT TIME ZONE.
            if (w.Kind == TSqlWord::Word &&
                (FDesign.Dialect.IsReserved(tokens.Of(i)) || isSymbol(i - 1, QLatin1Char(':')) ||
                 (i > 0 && words[i - 1].Kind == TSqlWord::String) ||
                 (i > 1 && words[i - 1].Kind == TSqlWord::Open &&
                  isWord(i - 2, QLatin1StringView("extract"))) ||
                 (isWord(i, QLatin1StringView("zone")) &&
                  isWord(i - 1, QLatin1StringView("time")) &&
                  isWord(i - 2, QLatin1StringView("at"))) ||
                 (isWord(i, QLatin1StringView("time")) && isWord(i - 1, QLatin1StringView("at")) &&
                  isWord(i + 1, QLatin1StringView("zone")))))
                continue;
            // The prefix of a literal (N'x', b'1', _utf8mb4 'x', date '…',
            // {d '…'}) is no name.
            if (w.Kind == TSqlWord::Word && i + 1 < words.size() &&
                words[i + 1].Kind == TSqlWord::String &&
                (words[i + 1].Start == w.End || text[w.Start] == u'_' ||
                 IsTypedLiteralWord(tokens.Of(i)) ||
                 (isSymbol(i - 1, QLatin1Char('{')) &&
                  (isWord(i, QLatin1StringView("d")) || isWord(i, QLatin1StringView("t")) ||
                   isWord(i, QLatin1StringView("ts"))))))
                continue;
            if (visit(w.Start, w.End)) return;
        }
    }

    // The statement is written up to the first row that is no whole
    // condition (a truth value under NOT keeps no operator): that row on is
    // not carried.
    void LoseUnwritten(const QList<QStringList>& rows, qsizetype count) {
        for (qsizetype r = 1; r <= count; ++r) {
            // A row with its three texts after one with a connector is whole.
            const QStringList& cells = rows[r - 1];
            if (cells.size() >= 3 && !TrimmedCell(cells[0]).isEmpty() &&
                !TrimmedCell(cells[1]).isEmpty() && !TrimmedCell(cells[2]).isEmpty() &&
                (r == 1 || !TrimmedCell(rows[r - 2].value(3)).isEmpty()))
                continue;
            if (IsValidExpression(rows, int(r)) != 0) {
                Lose(cells.mid(0, 3).join(QLatin1Char(' ')).simplified());
                return;
            }
        }
    }

    // Whether a bare name of `text` (outside sub-selects) is a column of
    // more than one box.
    bool NamesSeveralBoxes(const QString& text) const {
        bool several = false;
        ForEachBareName(text, [&](qsizetype start, qsizetype end) {
            several = BoxesHaving(ColumnFromDocument(text.mid(start, end - start)),
                                  FDesign.Boxes.size()) > 1;
            return several;
        });
        return several;
    }

    // The boxes each ON condition of the FROM clause sees, in order: those
    // of its FROM item up to the one its join brings, [first, last]. (MySQL
    // and PostgreSQL read a bare name of an ON among them alone.) None where
    // the clause nests joins in brackets or a box is missing.
    void ReadOnScopes(const QList<int>& placed) {
        if (FText.BracketedJoin() || !PlacedAsRead(placed)) return;
        const int count = int(FDesign.Boxes.size());
        QList<std::pair<int, int>> scopes;
        for (int b = 1, first = 0; b < count; ++b) {
            if (FGroup.value(b) != FGroup.value(b - 1))
                first = b; // after a comma
            else
                scopes.append({first, b});
        }
        qsizetype conditions = 0;
        for (const QString& join : FSt.Joins) {
            QString term = join.mid(1);
            conditions += TStatementText::TakeConditionStart(term);
        }
        if (conditions == scopes.size()) FOnScopes = std::move(scopes);
    }

    // `text` with each bare name that several boxes have but only one of
    // the boxes [first, last] has given that box; with `everyName` also a
    // name one box alone has (of all boxes, when the scope is not known).
    QString Scoped(const QString& text, std::pair<int, int> scope, bool everyName = false) const {
        if ((scope.first < 0 && !everyName) || text.isEmpty()) return text;
        if (scope.first < 0) scope = {0, int(FDesign.Boxes.size()) - 1};
        return WithBareNames(text, [&](const QString& written) {
            const QString name = ColumnFromDocument(written);
            if (!everyName && BoxesHaving(name, FDesign.Boxes.size()) < 2) return QString();
            int only = -1;
            for (int b = scope.first; b <= scope.second; ++b) {
                if (FieldRow(FDesign.Boxes[b], name) <= 0) continue;
                if (only >= 0) return QString(); // the database finds it ambiguous
                only = b;
            }
            if (only < 0) return QString();
            const TDesignBox& box = FDesign.Boxes[only];
            return Designation(FDesign, box, box.Fields[FieldRow(box, name)].Name);
        });
    }

    // `part` is not carried: named once.
    void Lose(const QString& part) {
        if (!FLost.contains(part)) FLost << part;
    }

    // USING (columns) and NATURAL: the joined box's columns linked to the
    // same columns of the nearest box before it that has them; each link's
    // equality as a condition writes it in `texts`.
    void LinkSharedColumns(const TStatementText::TSharedColumns& shared, int type, QList<int>& made,
                           QHash<int, QString>& texts, qsizetype& row) {
        // "*" shows a column USING or NATURAL shares once; every box's "*"
        // shows it once per box. After a right or full join some databases
        // fill a box's "t.*" with the other side's values of it.
        if (FStarExpanded) Lose(QStringLiteral("*"));
        if (type % 4 == 2 || type % 4 == 3)
            for (const QString& item : std::as_const(FSt.Items))
                if (item == QLatin1String("*") || item.endsWith(QLatin1String(".*"))) Lose(item);
        const bool natural = shared.Columns.isEmpty();
        const int joined = SharingBox(shared);
        if (joined < 0) {
            // The join's condition has no box to join: without a word it
            // would be every row with every row.
            Lose(natural
                     ? QStringLiteral("NATURAL JOIN %1").arg(shared.Box)
                     : QStringLiteral("USING (%1)").arg(shared.Columns.join(QStringLiteral(", "))));
            return;
        }
        const bool inner = type == 0 || type == 4;
        for (const QString& column : SharedColumns(shared, joined)) {
            const QString written = natural ? QStringLiteral("NATURAL JOIN %1").arg(shared.Box)
                                            : QStringLiteral("USING (%1)").arg(column);
            const int row2 = FieldRow(FDesign.Boxes[joined], column);
            if (row2 <= 0 || BoxBefore(joined, column) < 0) continue;
            // Several boxes before the join have the column: databases
            // differ over which one it joins (SQLite takes the first, others
            // refuse), unless joins before merged it over all of them.
            const int b = SharedWith(FMerges, column, joined);
            if (b < 0) {
                Lose(written);
                continue;
            }
            // A join binds closer than a comma: the boxes before the comma
            // are not the join's.
            if (FGroup.value(b) != FGroup.value(joined)) {
                Lose(written);
                continue;
            }
            // An inner join on a box an outer join gave nulls for, as with ON.
            if (inner && !JoinedAfterAll(b)) Lose(written);
            int link =
                InsertLink(FDesign, b, joined, FieldRow(FDesign.Boxes[b], column), row2, FQuiet);
            // Shared with another box than the join's other columns: a link
            // would close a ring, so the inner join's equality is a row.
            if (link >= 0 && inner && AlreadyJoined(FDesign.Links[link])) {
                FDesign.Links.removeLast();
                link = -1;
            }
            if (link >= 0 || inner) Merge(FMerges, column, b, joined, type, false);
            if (link >= 0) {
                FDesign.Links[link].JoinType = type;
                FTermKind[link] = type;
                made << link;
                texts.insert(link, Designation(FDesign, FDesign.Boxes[b], column) +
                                       QStringLiteral(" = ") +
                                       Designation(FDesign, FDesign.Boxes[joined], column));
            } else if (inner) {
                // Columns of kinds the link rules keep apart: a condition.
                FOnRows << written;
                AddCondition(
                    row,
                    {Designation(FDesign, FDesign.Boxes[b],
                                 FDesign.Boxes[b].Fields[FieldRow(FDesign.Boxes[b], column)].Name),
                     QStringLiteral("="),
                     Designation(FDesign, FDesign.Boxes[joined],
                                 FDesign.Boxes[joined].Fields[row2].Name),
                     QStringLiteral("and")});
            } else {
                Lose(written);
            }
        }
    }

    void ReadJoins(qsizetype& row) {
        // The terms of one ON condition come together, the first marked;
        // terms an outer join cannot make links of stay with its link.
        QList<int> made; // links of the current ON condition
        QHash<int, QString> madeTexts; // their terms as a condition writes them
        QStringList extra;
        int groupType = 0;
        QStringList groupTerms; // as written, for the question
        bool apart = false;     // a term became no link
        // Where the joins' places are known: a term moved out of the ON of
        // a join inside the side an outer join gives nulls for, or kept with
        // its link while it names other boxes than the link's.
        bool moved = false;
        const auto close = [&] {
            // An outer join without a link cannot carry its ON (no term is
            // an equality of two boxes' columns): its condition is named.
            if (made.isEmpty() && groupType % 4 != 0 && !groupTerms.isEmpty())
                FLost << groupTerms.join(QStringLiteral(" and "));
            if (!made.isEmpty() && !extra.isEmpty()) {
                QString& condition = FDesign.Links[made.last()].Condition;
                const QString added = extra.join(QStringLiteral(" and "));
                for (const int b : QualifierBoxes(FDesign, added))
                    moved = moved || (b != FDesign.Links[made.last()].Table1 &&
                                      b != FDesign.Links[made.last()].Table2);
                condition = condition.isEmpty() ? added : condition + QStringLiteral(" and ") + added;
                // Where the design writes its joins in an order of its own,
                // a term that names a third box might come before that box
                // (the join text writes a join after the boxes its condition
                // names where it can: LinksBeyondReach, once all is read).
                const TDesignLink& link = FDesign.Links[made.last()];
                if (!WritesJoinsAsRead())
                    for (const int b : QualifierBoxes(FDesign, added))
                        if (b != link.Table1 && b != link.Table2) {
                            FLost << added;
                            break;
                        }
            }
            // A box a left join's condition names besides its two: cross
            // joined with the box the join keeps all rows of, it would take
            // that box's rows of nulls from an outer join before.
            if (!made.isEmpty() && groupType % 4 == 1) {
                const TDesignLink& first = FDesign.Links[made.first()];
                const int joined = std::max(first.Table1, first.Table2);
                const int kept = std::min(first.Table1, first.Table2);
                if (OnNullSide(kept)) {
                    const QList<int> named =
                        QualifierBoxes(FDesign, extra.join(QStringLiteral(" and ")));
                    for (int b = 0; b < FDesign.Boxes.size(); ++b) {
                        if (b == kept || b == joined) continue;
                        const bool linked = std::any_of(made.cbegin(), made.cend(), [&](int l) {
                            return FDesign.Links[l].Table1 == b || FDesign.Links[l].Table2 == b;
                        });
                        if (linked || named.contains(b))
                            FNoCrossing.append({b, groupTerms.join(QStringLiteral(" and "))});
                    }
                }
            }
            if (!made.isEmpty() && groupType % 4 != 0) {
                // An outer join against two boxes at once (a cross join
                // before it) is no link between two boxes.
                QSet<int> boxes;
                for (const int l : std::as_const(made))
                    boxes << FDesign.Links[l].Table1 << FDesign.Links[l].Table2;
                // (Brackets read away join the terms of two joins, unless
                // each ON's place is known.)
                if (boxes.size() > 2 &&
                    (FText.BracketedOuterJoin().isEmpty() || !FText.JoinPlaces().isEmpty()) &&
                    !CrossJoinTerms(made, madeTexts, groupType))
                    FLost << groupTerms.join(QStringLiteral(" and "));
            }
            // Each link by the kind of the join its term stands in: a join
            // in brackets brings its ON terms among those around it.
            QMap<int, QList<int>> byKind;
            for (const int l : std::as_const(made))
                byKind[FTermKind.value(l, groupType) % 4] << l;
            for (auto k = byKind.cbegin(); k != byKind.cend(); ++k)
                MarkNullSide(k.key(), k.value());
            made.clear();
            madeTexts.clear();
            extra.clear();
            groupTerms.clear();
        };
        qsizetype condition = -1; // the ON condition read
        std::pair<int, int> scope{-1, -1};
        for (const QString& join : FSt.Joins) {
            if (join.isEmpty()) continue;
            const int type = join[0].digitValue() - 1;
            QString term = join.mid(1);
            const qsizetype place = TStatementText::ConditionPlace(term);
            if (TStatementText::TakeConditionStart(term)) {
                close();
                FPlace = place;
                groupType = type;
                if (type % 4 == 2 || type % 4 == 3) FOnRowsBeforeOuter = FOnRows;
                ++condition;
                scope = condition < FOnScopes.size() ? FOnScopes[condition]
                                                     : std::pair<int, int>{-1, -1};
            }
            term = TrimSQLElement(term);
            groupTerms << FText.Restore(term);
            TStatementText::TSharedColumns shared;
            if (FText.TakeSharedColumns(term, shared)) {
                LinkSharedColumns(shared, type, made, madeTexts, row);
                continue;
            }
            // A term of several conditions (an OR, a NOT over a group) came
            // in brackets, which the analysis took off: it gets them back.
            // Only a term that is one comparison is read at its "=".
            // So does a sub-select alone, a truth value, and a term with
            // MySQL's XOR or || (OR there), which the analysis does not cut.
            static const QRegularExpression looser(QStringLiteral("\\|\\||\\bxor\\b"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const bool several = JoinedConditions(term).size() > 1 ||
                                 WithQueryBrackets(term) != term || term.contains(looser);
            const QString written = several ? QLatin1Char('(') + term + QLatin1Char(')') : term;
            const qsizetype eq = several ? -1 : term.indexOf(QLatin1Char('='));
            QString left = FText.Restore(TrimSQLElement(eq < 0 ? term : term.left(eq)));
            QString right = eq < 0 ? QString() : FText.Restore(TrimSQLElement(term.mid(eq + 1)));
            Qualify(left);
            Qualify(right);
            left = Scoped(left, scope);
            right = Scoped(right, scope);
            // Without the boxes the ON sees, a bare name several boxes have
            // might be linked from another box than the database reads.
            if (scope.first < 0 && NamesSeveralBoxes(left + QLatin1Char(' ') + right))
                Lose(FText.Restore(term));
            const QStringList condition{QString(), left,      QStringLiteral("="),
                                        right,     QString(), QString()};
            if (eq >= 0 && !IsComparison(term, eq)) {
                // "a >= b", "a <> b": not an equality
            } else if (eq >= 0) {
                // An inner join on a box an outer join gave nulls for drops
                // those rows: that outer join becomes an inner one.
                bool joinable = true;
                if (type == 0 || type == 4) {
                    joinable = !DropsNullsOfBracketedGroup(condition);
                    for (const int box : NullSideBoxes(condition))
                        joinable = JoinedAfterAll(box) && joinable;
                }
                if (!joinable) FLost << FText.Restore(term);
                if (const int link = TryLink(condition, type); link >= 0) {
                    FTermKind[link] = type;
                    made << link;
                    madeTexts.insert(link, left + QStringLiteral(" = ") + right);
                    continue;
                }
            }
            // Before a later right or full join, WHERE would drop the rows
            // that join keeps: an inner join's term stays with its link too.
            const bool inner = (type == 0 || type == 4) && FText.RightJoinAfterOthers().isEmpty();
            apart = true;
            moved = moved || (inner && InsideNullSide(FPlace));
            // Moved to WHERE, or to an ON the design nests otherwise, a bare
            // name sees other boxes than those the join brought together:
            // it is given the one box its ON sees, or it is not carried.
            const bool equality = inner && eq >= 0 && IsComparison(term, eq);
            const QString restoredTerm = FText.Restore(term);
            if (NamesSeveralBoxes(inner && !equality ? restoredTerm : Scoped(restoredTerm, scope)))
                Lose(restoredTerm);
            if (equality) {
                // The row keeps the operands' brackets: "(x > 0) = true".
                QString leftRow = FText.Restore(TrimCell(term.left(eq)));
                QString rightRow = FText.Restore(TrimCell(term.mid(eq + 1)));
                Qualify(leftRow);
                Qualify(rightRow);
                AddCondition(row, {Scoped(leftRow, scope), QStringLiteral("="),
                                   Scoped(rightRow, scope), QStringLiteral("and")});
            } else if (inner)
                AddExpression(row, written);
            else {
                QString restored = FText.Restore(written);
                Qualify(restored);
                // Every name with its box where the join text writes the
                // join after the boxes its condition names (LinksBeyondReach).
                extra << Scoped(restored, scope, WritesJoinsAsRead());
            }
        }
        close();
        JoinAsTheTextNests();
        FPlace = -1;
        // Read as if its brackets were not there, such a join keeps only
        // the terms that became links where they were.
        // (Where the places are known, each join keeps its own terms.)
        if ((FText.JoinPlaces().isEmpty() ? apart : moved) && !FText.BracketedOuterJoin().isEmpty())
            FLost << FText.BracketedOuterJoin();
        FLost << FText.NotCarried();
    }

    // Whether the join of the ON at `place` stands inside a side that an
    // outer join of the statement gives nulls for.
    bool InsideNullSide(qsizetype place) const {
        const QList<TStatementText::TJoinPlace>& places = FText.JoinPlaces();
        if (place < 0 || place >= places.size()) return true;
        const qsizetype on = places[place].On;
        return std::any_of(places.cbegin(), places.cend(),
                           [on](const auto& p) { return p.GivesNullsTo(on); });
    }

    // A left join against two boxes at once ("t join u on … left join w on
    // w.k = t.k and w.h = u.g", or after a cross join): the link with the
    // box it keeps all rows of stays, and the terms with the other boxes go
    // into its condition. The join text writes that join after the boxes the
    // condition names, or cross joins a box no link joins with the one it
    // keeps all rows of (LinksBeyondReach, once all is read, names what it
    // cannot). Only where the joins are written in FROM. False when it is no
    // such join.
    bool CrossJoinTerms(const QList<int>& made, const QHash<int, QString>& texts, int type) {
        // (Access has no CROSS JOIN.)
        if (type % 4 != 1 || FKind == dsAccess || !WritesJoinsAsRead()) return false;
        // The box every link joins: the one this join brings in.
        const TDesignLink& first = FDesign.Links[made.first()];
        int joined = -1;
        for (const int box : {first.Table1, first.Table2})
            if (std::all_of(made.cbegin(), made.cend(), [&](int l) {
                    return FDesign.Links[l].Table1 == box || FDesign.Links[l].Table2 == box;
                }))
                joined = box;
        if (joined < 0) return false;
        const int kept = first.Table1 == joined ? first.Table2 : first.Table1;
        QList<int> moved;
        for (const int l : made) {
            const TDesignLink& link = FDesign.Links[l];
            if ((link.Table1 == joined ? link.Table2 : link.Table1) == kept) continue;
            if (!texts.contains(l)) return false;
            moved << l;
        }
        QStringList terms;
        for (const int l : std::as_const(moved)) {
            const TDesignLink& link = FDesign.Links[l];
            terms << texts.value(l);
            if (!link.Condition.isEmpty()) terms << link.Condition;
            FCrossLinks << l;
        }
        QString& condition = FDesign.Links[made.first()].Condition;
        if (!condition.isEmpty()) terms.prepend(condition);
        condition = terms.join(QStringLiteral(" and "));
        return true;
    }

    // The links CrossJoinTerms took the terms of go. (A box they joined that
    // the join text neither cross joins nor writes before the condition is
    // found by LinksBeyondReach.)
    void DropCrossJoinedLinks() {
        if (FCrossLinks.isEmpty()) return;
        std::sort(FCrossLinks.begin(), FCrossLinks.end(), std::greater<>());
        for (const int l : std::as_const(FCrossLinks))
            FDesign.Links.removeAt(l);
        // The kinds of the links that stay, by their new indexes.
        QHash<int, int> kinds;
        for (auto it = FTermKind.cbegin(); it != FTermKind.cend(); ++it) {
            if (FCrossLinks.contains(it.key())) continue;
            const auto below = std::count_if(FCrossLinks.cbegin(), FCrossLinks.cend(),
                                             [&](int l) { return l < it.key(); });
            kinds.insert(it.key() - int(below), it.value());
        }
        FTermKind = kinds;
    }

    // Whether the "=" at `eq` of `term` is an equality of its own.
    static bool IsComparison(const QString& term, qsizetype eq) {
        const QChar before = eq > 0 ? term[eq - 1] : QChar();
        const QChar after = eq + 1 < term.size() ? term[eq + 1] : QChar();
        return before != QLatin1Char('<') && before != QLatin1Char('>') &&
               before != QLatin1Char('!') && after != QLatin1Char('=');
    }

    // A condition of a join kept as a WHERE row: cut as WHERE text is (the
    // text as the scanners read it).
    void AddExpression(qsizetype& row, const QString& text) {
        FBrackets.Reset();
        for (QStringList c : JoinedConditions(text)) {
            ReadRow(c);
            if (TrimCell(c[5]).isEmpty()) c[5] = QStringLiteral("and");
            AddCondition(row, ConditionRow(c));
        }
    }

    // The cells of a condition row given back their text, a NOT before a
    // group before its bracket, EXISTS as the operator of its sub-query, and
    // a truth value written alone given an operator.
    void Restore(QStringList& c) const {
        const int further = TStatementText::TakeNegatedGroup(c[1]);
        FText.Restore(c);
        if (further >= 0) {
            qsizetype at = c[0].size();
            for (int seen = 0; at > 0 && seen <= further; --at)
                if (c[0][at - 1] == QLatin1Char('(')) ++seen;
            c[0].insert(at, QStringLiteral("not "));
        }
        if (!TrimCell(c[2]).isEmpty() || !TrimCell(c[3]).isEmpty()) return;
        static const QRegularExpression exists(QStringLiteral("^\\s*((?:not\\s+)?exists)\\s*(\\(.*)$"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = exists.match(c[1]);
        if (!m.hasMatch()) return;
        c[1].clear();
        c[2] = m.captured(1).toLower().simplified();
        c[3] = m.captured(2);
    }

    // A row of a condition clause read back: its text restored, and a truth
    // value written alone given an operator.
    void ReadRow(QStringList& c) {
        Restore(c);
        Qualify(c[1]);
        Qualify(c[3]);
        FBrackets.Open(c[0]);
        GiveTruthValueAnOperator(c, FBrackets.Negated(),
                                 FDesign.Dialect.Keywords() == TKeywordSet::Postgres,
                                 FDesign.Dialect.HasIsTrue());
        FBrackets.Close(c[4]);
    }

    // A truth value on its own — a column, a quoted name, a function's
    // result, a string — is "x is true", which keeps the same rows wherever "where x"
    // reads, unless a NOT stands around it: NOT turns the unknown of a null
    // into another answer than false. "not x" takes NOT as its operator.
    // Where the data source has no IS TRUE, the value stays without one.
    static void GiveTruthValueAnOperator(QStringList& c, bool negated, bool postgres, bool isTrue) {
        if (!TrimmedCell(c[2]).isEmpty() || !TrimmedCell(c[3]).isEmpty()) return;
        // Pattern operators of one database or another: the row writes them
        // back between its operands as they stood.
        static const QRegularExpression pattern(
            QStringLiteral("^(.*?\\S)\\s+((?:not\\s+)?(?:ilike|similar\\s+to|glob|regexp|rlike))"
                           "\\s+(\\S.*)$"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        if (const QRegularExpressionMatch p = pattern.match(c[1]); p.hasMatch()) {
            c[1] = p.captured(1);
            c[2] = p.captured(2).toLower().simplified();
            c[3] = p.captured(3);
            return;
        }
        // PostgreSQL's pattern symbols (~, ~*, !~, !~*, and ~~ … for LIKE),
        // after an operand that may hold whole strings but no other quote.
        static const QRegularExpression symbol(
            QStringLiteral("^((?:[^']|'[^']*')*?[^\\s!~])\\s*(!?~~?\\*?)\\s*([^\\s~*].*)$"),
            QRegularExpression::DotMatchesEverythingOption);
        // PostgreSQL's operators that answer true or false: text search
        // (@@), containment (@>, <@), overlap (&&), keys of jsonb (?, ?|,
        // ?&), a text's start (^@), ranges and geometry (<<, >>, &<, &>,
        // -|-, ~=, …).
        static const QRegularExpression postgresSymbol(
            QStringLiteral(
                "^((?:[^']|'[^']*')*?[^\\s@<>&?|#~^-])\\s*"
                "(\\^@|@@@?|@>|<@|&&|\\?\\|\\||\\?-\\||\\?[|&#-]?|-\\|-|&<\\||\\|&>|&<|&>|"
                "<<\\||\\|>>|<<|>>|~=)\\s*([^\\s@<>&?|#~=].*)$"),
            QRegularExpression::DotMatchesEverythingOption);
        for (const QRegularExpression* operators : {&symbol, postgres ? &postgresSymbol : nullptr})
            if (const QRegularExpressionMatch p =
                    operators ? operators->match(c[1]) : QRegularExpressionMatch();
                p.hasMatch()) {
                c[1] = p.captured(1);
                c[2] = p.captured(2);
                c[3] = p.captured(3);
                return;
            }
        // A name may be quoted with blanks or brackets of its own inside.
        static const QRegularExpression bare(
            QStringLiteral(
                "^\\s*(not\\s+)?((?:[\\w.]|\"(?:[^\"]|\"\")*\"|`(?:[^`]|``)*`|\\[[^\\]]*\\])+"
                "(?:\\s*\\(.*\\))?|'(?:[^']|'')*')\\s*$"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption |
                QRegularExpression::UseUnicodePropertiesOption);
        const QRegularExpressionMatch b = bare.match(c[1]);
        if (b.hasMatch() && b.captured(2).compare(QLatin1String("not"), Qt::CaseInsensitive) == 0)
            return;
        if (b.capturedLength(1) > 0) {
            c[1].clear();
            c[2] = QStringLiteral("not");
            c[3] = b.captured(2);
            return;
        }
        // IS TRUE goes after one name or one call; any other value (two
        // calls an operator joins, "f(a) || g(b)", an OR in MySQL; a sum)
        // goes in brackets first, as IS binds closer than some operators.
        // Under NOT it stays as it was: a null's unknown would become false.
        const QString operand = b.hasMatch() ? b.captured(2) : TrimCell(c[1]);
        static const QRegularExpression notWord(QStringLiteral("^not\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (negated || !isTrue || operand.isEmpty() || notWord.match(operand).hasMatch() ||
            !ParenthesesBalance(operand))
            return;
        bool one = false;
        if (b.hasMatch()) {
            const qsizetype open = CallOpening(operand);
            one = open < 0 || ClosesAtEnd(operand, open);
            // MySQL's full-text test "MATCH (…) AGAINST (…)" is one operand too.
            if (!one && operand.left(open).trimmed().compare(QLatin1String("match"),
                                                             Qt::CaseInsensitive) == 0) {
                static const QRegularExpression against(
                    QStringLiteral("^\\s*against\\s*\\("), QRegularExpression::CaseInsensitiveOption);
                const QString rest = operand.mid(CloseOf(operand, open) + 1);
                if (const QRegularExpressionMatch m = against.match(rest); m.hasMatch())
                    one = ClosesAtEnd(rest, m.capturedEnd() - 1);
            }
        }
        c[1] = one ? operand : QLatin1Char('(') + operand + QLatin1Char(')');
        c[2] = QStringLiteral("is");
        c[3] = QStringLiteral("true");
    }

    // The brackets open around the rows of one clause, each marked when a
    // NOT stands before it.
    struct TBrackets {
        QList<bool> Negations;
        void Reset() { Negations.clear(); }
        bool Negated() const { return Negations.contains(true); }
        void Open(const QString& opening) {
            bool negation = false;
            for (qsizetype i = 0; i < opening.size(); ++i) {
                if (opening[i] == QLatin1Char('(')) {
                    Negations << negation;
                    negation = false;
                } else if (opening.mid(i, 3).compare(QLatin1String("not"), Qt::CaseInsensitive) == 0) {
                    negation = true;
                    i += 2;
                }
            }
        }
        void Close(const QString& closing) {
            for (const QChar ch : closing)
                if (ch == QLatin1Char(')') && !Negations.isEmpty()) Negations.removeLast();
        }
    };

    // A condition row from the analysis's cells: brackets joined to the
    // operands (most rows have none, and then no text is made anew).
    static QStringList ConditionRow(const QStringList& c) {
        const auto joined = [](const QString& a, const QString& b) {
            return a.isEmpty() ? b : b.isEmpty() ? a : a + b;
        };
        return {joined(c[0], c[1]), c[2], joined(c[3], c[4]), c[5]};
    }

    void ReadWhere(qsizetype& row) {
        EnsureGridRows(FDesign.ConditionRows, int(row + FSt.Where.size()), kConditionWidth);
        // Only a row that the whole WHERE joins by AND alone may become a
        // link: outside brackets, with no OR outside brackets anywhere
        // (AND binds closer: "a or b = c and d" holds no such row).
        QList<bool> outside(FSt.Where.size());
        bool orOutside = false;
        int depth = 0;
        for (qsizetype i = 0; i < FSt.Where.size(); ++i) {
            const QStringList& c = FSt.Where[i];
            const int opens = int(c[0].count(QLatin1Char('('))),
                      closes = int(c[4].count(QLatin1Char(')')));
            outside[i] = depth == 0 && opens == 0 && closes == 0;
            depth += opens - closes;
            orOutside = orOutside ||
                        (depth <= 0 &&
                         TrimmedCell(c[5]).compare(QLatin1String("or"), Qt::CaseInsensitive) == 0);
        }
        const qsizetype first = row; // rows before it come from joins
        FBrackets.Reset();
        TBoxGroups linked(FDesign);
        for (qsizetype i = 0; i < FSt.Where.size(); ++i) {
            QStringList c = std::move(FSt.Where[i]); // read once
            const bool linkable = outside[i] && !orOutside;
            if (i + 1 < FSt.Where.size() && JoinBetween(c, FSt.Where[i + 1])) ++i;
            SplitGluedBetween(c);
            ReadRow(c);
            if (linkable && !TouchesNullSide(c) && !linked.ClosesRing(c, Fields()) &&
                IsLinkList(FDesign, c, FKind, -1, FQuiet, &Fields()) >= 0) {
                linked.Join(FDesign.Links.last());
                continue;
            }
            AddCondition(row, ConditionRow(c));
        }
        LoseUnwritten(FDesign.ConditionRows, row);
        // Join conditions kept as rows come first, joined by AND: an OR of
        // the WHERE goes in brackets after them.
        if (first > 0 && orOutside && row > first) {
            FDesign.ConditionRows[first][0].prepend(QLatin1Char('('));
            FDesign.ConditionRows[row - 1][2].append(QLatin1Char(')'));
        }
    }

    // The condition rows of `text`, a BETWEEN and its AND one row.
    static QList<QStringList> JoinedConditions(const QString& text) {
        QList<QStringList> rows = Conditions(text, true);
        for (qsizetype i = 0; i + 1 < rows.size(); ++i)
            if (JoinBetween(rows[i], rows[i + 1])) rows.removeAt(i + 1);
        for (QStringList& row : rows)
            SplitGluedBetween(row);
        return rows;
    }

    // A BETWEEN the analysis left whole (a bound is a sub-select): the
    // operator "between" and its bounds.
    static void SplitGluedBetween(QStringList& c) {
        if (c.size() < 6 || !c[2].trimmed().isEmpty() || !c[3].trimmed().isEmpty() ||
            !TStatementText::HoldsGluedBetween(c[1]))
            return;
        const qsizetype at = LastBetween(c[1]);
        if (at < 0) return;
        const QRegularExpressionMatch m = BetweenWord().match(QStringView(c[1]).sliced(at));
        if (!m.hasMatch()) return;
        c = {c[0], TrimCell(c[1].left(at)), m.captured(1), m.captured(2), c[4], c[5]};
    }

    // "[not] between" and the text after it, at the start of a text.
    static const QRegularExpression& BetweenWord() {
        static const QRegularExpression word(QStringLiteral("^((?:not\\s+)?between)\\s+(\\S.*)$"),
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::DotMatchesEverythingOption);
        return word;
    }

    // "x between a and b" comes out of the analysis as two rows without an
    // operator, cut at its "and": one row again, the operator "between".
    static bool JoinBetween(QStringList& c, const QStringList& next) {
        const auto bare = [](const QStringList& row) {
            return row[2].trimmed().isEmpty() && row[3].trimmed().isEmpty();
        };
        if (!bare(next) || next[1].trimmed().isEmpty() ||
            c[5].trimmed().compare(QLatin1String("and"), Qt::CaseInsensitive) != 0)
            return false;
        // Brackets around the upper bound open in the next row's first cell
        // and close in its fifth: they are the value's.
        const qsizetype opened = next[0].count(QLatin1Char('('));
        QString closing = next[4], closed;
        while (closed.count(QLatin1Char(')')) < opened && !closing.isEmpty()) {
            closed += closing[0];
            closing.remove(0, 1);
        }
        const QString upper =
            QLatin1String(" and ") + TrimCell(next[0]) + next[1] + TrimCell(closed);
        // "x < case … end between a": the analysis cut at an operator
        // before the BETWEEN, whose AND then ended the row.
        if (!bare(c)) {
            // (Or at one inside the lower bound: "x between case when a = 1 …",
            // whose AND is still to come.)
            if (LastBetween(c[3]) < 0 && !WaitsForAnd(c[1])) return false;
            c = {c[0], c[1], c[2], c[3] + upper, closing, next[5]};
            return true;
        }
        const qsizetype at = LastBetween(c[1]);
        if (at < 0) return false;
        const QRegularExpressionMatch m = BetweenWord().match(QStringView(c[1]).sliced(at));
        if (!m.hasMatch()) return false;
        c = {c[0], TrimCell(c[1].left(at)), m.captured(1), m.captured(2) + upper, closing, next[5]};
        return true;
    }

    // Whether the last BETWEEN of `text` outside its brackets has no AND
    // after it yet.
    static bool WaitsForAnd(const QString& text) {
        static const QRegularExpression andWord(QStringLiteral("\\band\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
        const qsizetype at = LastBetween(text);
        return at >= 0 && !text.sliced(at).contains(andWord);
    }

    // Where the last BETWEEN of `text` outside its brackets begins (with a
    // NOT before it), still waiting for its AND; -1 when there is none. A
    // BETWEEN inside brackets has had its AND.
    static qsizetype LastBetween(const QString& text) {
        static const QRegularExpression between(QStringLiteral("\\s((?:not\\s+)?between)\\s+\\S"),
                                                QRegularExpression::CaseInsensitiveOption);
        qsizetype found = -1;
        for (auto it = between.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (OutsideBrackets(text, m.capturedStart(1))) found = m.capturedStart(1);
        }
        return found;
    }

    // The first bracket of `text` outside its quoted names; -1 when none.
    static qsizetype CallOpening(const QString& text) {
        scan::BracketWalk walk;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (walk.Quote == 0 && text[i] == QLatin1Char('[')) {
                i = text.indexOf(QLatin1Char(']'), i);
                if (i < 0) return -1;
                continue;
            }
            if (walk.Quote == 0 && text[i] == QLatin1Char('(')) return i;
            walk.Step(text[i].unicode());
        }
        return -1;
    }

    // Whether the bracket that opens at `open` of `text` closes at its end
    // (quotes read as the scanners read them).
    static bool ClosesAtEnd(const QString& text, qsizetype open) {
        const qsizetype close = CloseOf(text, open);
        return close >= 0 && TrimCell(text.mid(close + 1)).isEmpty();
    }

    // The bracket that closes the one at `open`; -1 when none does.
    static qsizetype CloseOf(const QString& text, qsizetype open) {
        scan::BracketWalk walk;
        for (qsizetype i = open; i < text.size(); ++i) {
            const bool closing = text[i] == QLatin1Char(')') && walk.Quote == 0;
            if (walk.Step(text[i].unicode()) == 0 && closing) return i;
        }
        return -1;
    }

    // Whether position `at` of `text` stands outside its brackets (quotes
    // read as the scanners read them).
    static bool OutsideBrackets(const QString& text, qsizetype at) {
        scan::BracketWalk walk;
        for (qsizetype i = 0; i < at && i < text.size(); ++i)
            walk.Step(text[i].unicode());
        return walk.Depth == 0;
    }

    // The candidate of the group page that `g` names. Where the data source
    // folds bare names, quoted ones keep their letter case: "Name" and name
    // are two columns there, and a name is matched as the database reads it.
    qsizetype GroupCandidate(const QString& g) const {
        // A position is no column ("group by 2" is not the "2" of "1.2").
        if (!g.isEmpty() && std::all_of(g.cbegin(), g.cend(), [](QChar c) { return c.isDigit(); }))
            return -1;
        const TSqlDialect& dialect = FDesign.Dialect;
        QStringList want, have;
        if (dialect.NameCase() == TNameCase::Insensitive || !dialect.ReadName(g, want)) {
            // Letter for letter first: of two columns whose names differ
            // only in a letter SQLite does not fold (Ä and ä), the one written.
            const QStringList& list = FDesign.GroupList;
            if (const qsizetype at = list.indexOf(g); at >= 0) return at;
            for (qsizetype i = 0; i < list.size(); ++i)
                if (list[i].endsWith(QLatin1Char('.') + g)) return i;
            return FindCandidate(list, g);
        }
        const QStringList& list = FDesign.GroupList;
        for (qsizetype i = 0; i < list.size(); ++i)
            if (dialect.ReadName(list[i], have) && have == want) return i;
        if (want.size() == 1) // a bare column: the candidate of its box
            for (qsizetype i = 0; i < list.size(); ++i)
                if (dialect.ReadName(list[i], have) && have.size() > 1 &&
                    have.last() == want.first())
                    return i;
        return -1;
    }

    void ReadGroups() {
        for (const QStringList& row : FDesign.ComputeRows) {
            const QString e = TrimCell(row.value(0));
            if (e.isEmpty()) break;
            FDesign.GroupList << e;
        }
        for (const QString& cut : FSt.Group) {
            QString g = WithQueryBrackets(FText.Restore(cut));
            // A bare name that columns of several boxes have is, to MySQL,
            // the result column of that name (the others refuse it): the
            // first box's column would group its nulls of an outer join
            // as one.
            if (IsNameToken(g) && FText.SetOperators().isEmpty() &&
                !FShared.contains(WrittenKey(g)) &&
                BoxesHaving(ColumnFromDocument(g), FDesign.Boxes.size()) >= 2)
                if (const qsizetype k = UnaliasedResultColumn(g, FirstStar()); k >= 0)
                    g = FDesign.DisplayRows[k].value(1);
            Qualify(g);
            if (const qsizetype at = GroupCandidate(g); at >= 0)
                ChooseGroupColumn(FDesign, at);
            else
                FDesign.GroupColumn << g;
        }
    }

    void FillHaving() {
        QList<QStringList> rows;
        FBrackets.Reset();
        for (qsizetype i = 0; i < FSt.Having.size(); ++i) {
            QStringList c = std::move(FSt.Having[i]); // read once
            if (i + 1 < FSt.Having.size() && JoinBetween(c, FSt.Having[i + 1])) ++i;
            SplitGluedBetween(c);
            ReadRow(c);
            rows.append(ConditionRow(c));
        }
        EnsureGridRows(FDesign.HavingRows, int(rows.size()), kConditionWidth);
        for (qsizetype r = 0; r < rows.size(); ++r)
            FDesign.HavingRows[r] = rows[r];
        LoseUnwritten(FDesign.HavingRows, rows.size());
    }

    // A trailing word "desc" or "asc" of an order item.
    static bool CutDirection(QString& item, const QString& word) {
        const int at = FindKeyWord(item, word, 1);
        if (at <= 0 || at + word.size() - 1 != item.size()) return false;
        item = TrimSQLElement(item.left(at - 2));
        return true;
    }

    // An ORDER BY item: the candidate `at` when offered, else `text` as
    // written.
    void Choose(const QString& text, qsizetype at, bool descending) {
        if (at >= 0)
            ChooseSortColumn(FDesign, at, descending);
        else
            FDesign.OrderColumn.append({DescendingMarker() + text, descending});
    }

    // The index of the first select item that is a star; the number of
    // items when there is none.
    qsizetype FirstStar() const {
        for (qsizetype i = 0; i < FSt.Items.size(); ++i)
            if (FSt.Items[i] == QLatin1String("*") || FSt.Items[i].endsWith(QLatin1String(".*")))
                return i;
        return FSt.Items.size();
    }

    void ReadOrder() {
        const QString computed = ComputedMarker();
        const qsizetype firstStar = FirstStar();
        static const QRegularExpression number(QStringLiteral("^\\d+$"));
        for (QString o : FSt.Order) {
            const bool descending = CutDirection(o, QStringLiteral("desc"));
            if (!descending) CutDirection(o, QStringLiteral("asc"));
            o = WithQueryBrackets(FText.Restore(o));
            // Where double quotes hold strings (MySQL), "a" is a constant
            // that sorts nothing, not the column a.
            if (o.startsWith(QLatin1Char('"')) && !FDesign.Dialect.ReadsQuote(QLatin1Char('"'))) {
                Choose(o, -1, descending);
                continue;
            }
            // Where a bare sort name is first the name of a result column,
            // one without an alias is that column too (`select u.k … order
            // by k` sorts by u.k, not by a column USING merged).
            if (FDesign.Dialect.SortNamesResultColumnsFirst() && FText.SetOperators().isEmpty())
                if (const qsizetype k = UnaliasedResultColumn(o, firstStar); k >= 0) {
                    const QString text = FDesign.DisplayRows[k].value(1);
                    Choose(text, IndexOfText(FDesign.OrderList, text), descending);
                    continue;
                }
            // A bare result column's alias is no shared column.
            // (After a set operator it names a column of the whole result.)
            if (!HasAlias(o) && FText.SetOperators().isEmpty()) Qualify(o);
            if (number.match(o).hasMatch()) {
                bool ok = false;
                const qsizetype n = o.toLongLong(&ok);
                // A star before it stands for columns of its own: the
                // position is kept as it is written.
                if (ok && n > firstStar) {
                    Choose(o, -1, descending);
                    continue;
                }
                if (!ok || n < 1 || n > FDesign.DisplayRows.size()) continue;
                const QString text = FDesign.DisplayRows[n - 1].value(1);
                Choose(text, IndexOfText(FDesign.OrderList, text), descending);
                continue;
            }
            // A star's column comes before a column of another box that
            // the name might find ("select c.*, t.n as x … order by n").
            if (const QString column = StarColumn(o); !column.isEmpty()) o = column;
            qsizetype at = FindCandidate(FDesign.OrderList, o);
            if (at < 0) at = IndexOfText(FDesign.OrderList, computed + o);
            // A bare name that is the alias of another result column than the
            // column it names is that result column: the database reads it so.
            if (at >= 0) {
                QString named = FDesign.OrderList[at];
                if (named.startsWith(computed)) named.remove(0, computed.size());
                if (const qsizetype k = AliasedColumn(o, named); k >= 0) {
                    const QString text = FDesign.DisplayRows[k].value(1);
                    Choose(text, IndexOfText(FDesign.OrderList, text), descending);
                    continue;
                }
            }
            Choose(o, at, descending);
        }
    }

    // A bare sort name that a box's star gives and more than one box has:
    // the database reads it as the first such result column, which the
    // name loses once the design brackets the joins. That column with its
    // box; empty when there is none, or a result column named so comes first.
    QString StarColumn(const QString& name) const {
        if (!IsNameToken(name) || HasAlias(name)) return {};
        const QString bare = ColumnFromDocument(name);
        if (BoxesHaving(bare, FDesign.Boxes.size()) < 2) return {};
        for (qsizetype k = 0; k < FSt.Items.size(); ++k) {
            const QString& item = FSt.Items[k];
            if (!item.endsWith(QLatin1String(".*"))) {
                // A column with an alias is a result column of that name.
                if (!FSt.Aliases.value(k).isEmpty()) continue;
                const QString column = item.mid(item.lastIndexOf(QLatin1Char('.')) + 1);
                if (WrittenKey(column) == WrittenKey(name)) return {};
                continue;
            }
            const int b = FDesign.FindTable(item.chopped(2));
            if (const int row = b < 0 ? -1 : FieldRow(FDesign.Boxes[b], bare); row > 0)
                return Designation(FDesign, FDesign.Boxes[b], FDesign.Boxes[b].Fields[row].Name);
        }
        return {};
    }

    // The display row of the one result column before the first star whose
    // name is `name` without an alias (a column written as box.column or
    // column); -1 when there is none, when another has that alias, or when
    // columns of several boxes have that name (the database refuses that).
    qsizetype UnaliasedResultColumn(const QString& name, qsizetype firstStar) const {
        if (!IsNameToken(name)) return -1;
        const QString bare = ColumnFromDocument(name);
        qsizetype found = -1;
        const qsizetype rows =
            std::min({firstStar, FSt.Aliases.size(), FDesign.DisplayRows.size()});
        for (qsizetype k = 0; k < FSt.Aliases.size(); ++k) {
            if (!FSt.Aliases[k].isEmpty() && WrittenKey(FSt.Aliases[k]) == WrittenKey(name))
                return -1;
            if (k >= rows || !FSt.Aliases[k].isEmpty()) continue;
            const QString column = FDesign.DisplayRows[k].value(1);
            const QStringList parts = column.split(QLatin1Char('.'));
            if (std::any_of(parts.cbegin(), parts.cend(),
                            [](const QString& p) { return !IsNameToken(p); }) ||
                WrittenKey(parts.last()) != WrittenKey(name))
                continue;
            if (found >= 0 &&
                FDesign.DisplayRows[found].value(1).compare(column, Qt::CaseInsensitive) != 0)
                return -1;
            if (found < 0) found = k;
        }
        return found;
    }

    // The display row whose alias is `name` when its column is not
    // `column`; -1 when there is none.
    qsizetype AliasedColumn(const QString& name, const QString& column) const {
        if (!IsNameToken(name)) return -1;
        const QString bare = ColumnFromDocument(name);
        for (qsizetype k = 0; k < FSt.Aliases.size() && k < FDesign.DisplayRows.size(); ++k)
            if (!FSt.Aliases[k].isEmpty() && WrittenKey(FSt.Aliases[k]) == WrittenKey(name) &&
                FDesign.DisplayRows[k].value(1).compare(column, Qt::CaseInsensitive) != 0)
                return k;
        return -1;
    }

    QueryDesign& FDesign;
    TStatement& FSt;
    const int FKind;
    const TDesignHooks& FHooks;
    const TStatementText& FText;
    TDesignHooks FQuiet;
    QStringList FLost;
    // The boxes an outer join read so far may give nulls for, with the
    // links of that join and its kind.
    struct TNullSupplier {
        QList<int> Links;
        int Kind = 0;
        qsizetype Place = -1; // of its ON as written, -1 when not known
    };
    QHash<int, QList<TNullSupplier>> FNullSide;
    QHash<int, int> FTermKind; // link -> the kind of join its term stands in
    // CrossJoinTerms': the links whose terms went into another's condition.
    QList<int> FCrossLinks;
    // Boxes a left join's condition names that the join text must not cross
    // join with another (an outer join before gave the box the join keeps
    // nulls), with the ON condition as written.
    struct TNoCrossing {
        int Box = -1;
        QString Written;
    };
    QList<TNoCrossing> FNoCrossing;
    // Shared columns of inner joins that became condition rows, as written;
    // those read before the last RIGHT or FULL join.
    QStringList FOnRows, FOnRowsBeforeOuter;
    // Per box: the item of the FROM list it stands in (as read, as placed).
    QList<int> FGroupOfRead;
    QHash<int, int> FGroup;
    int FOuterMadeInner = 0;
    // The place as written of the ON read now (TStatementText::ConditionPlace),
    // -1 when not known or after the FROM clause.
    qsizetype FPlace = -1;
    QHash<int, qsizetype> FLinkPlace;     // link -> the place of the ON it was read from
    QList<std::pair<int, int>> FOnScopes; // per ON condition: the boxes it sees
    bool FStarExpanded = false;           // into every box's "*"
    int FStarsSpelled = 0;      // "*" written as the columns it stands for
    QList<bool> FTaken;
    TBrackets FBrackets;
    // The items of one text, earliest first: a deque's blocks would cost
    // more than all of them.
    struct TItemQueue {
        QVarLengthArray<qsizetype, 2> Items; // most texts are one item's
        qsizetype Next = 0;
        bool empty() const { return Next >= Items.size(); }
        qsizetype front() const { return Items[Next]; }
        void pop_front() { ++Next; }
        void push_back(qsizetype item) { Items << item; }
    };
    QHash<TFoldedKey, TItemQueue> FByText; // item, any case -> items not yet taken
    // Boxes the links read so far join, as a forest (AlreadyJoined): the
    // parent of each box (-1 a root), and how many links are merged into it.
    std::vector<int> FMergedParent;
    qsizetype FMergedLinks = 0;
    std::optional<TFieldIndex> FFields;
    // Columns USING or NATURAL shares, lower case -> the designation bare
    // references stand for (empty: none).
    QHash<QString, QString> FShared;
    // Columns of the tables sub-selects read, by lower-case table name (an
    // empty key: the table is not known).
    QHash<QString, QStringList> FTableColumns;
    TMerges FMerges; // the columns USING or NATURAL joins merged so far
};

// The union grid and the union sets; the set operators as the text writes
// them (EXCEPT where the data source writes that, MINUS for Oracle).
void AddUnionSets(QueryDesign& design, const QStringList& parts, const QStringList& operators,
                  int kind) {
    design.UnionRows.clear();
    for (qsizetype k = 0; k + 4 <= parts.size(); k += 4) {
        QString op = parts[k + 3];
        if (const qsizetype n = k / 4; !op.isEmpty() && n < operators.size()) {
            op = operators[n];
            // A data source that writes the difference otherwise takes its word.
            const QString word = TSqlDialect(kind).ExceptWord();
            if (op.startsWith(QLatin1String("except")) && word != QLatin1String("except")) op = word;
        }
        design.UnionRows.append({parts[k], UnionRowName(k / 4), parts[k + 2], op});
        if (k > 0) design.UnionSets.append({parts[k + 1], {}});
    }
}

// Whether the design's statement writes the positional parameters ("?")
// of `sql` in the order `sql` has them, as an application binds their
// values; true where there are fewer than two, and where "?" is an
// operator (PostgreSQL). The statement is read again with each "?" a
// number of its own, and the numbers are looked for in what it writes.
bool ParametersKeepTheirOrder(const QString& sql, int kind, const QueryDesign& current,
                              const TDesignHooks& hooks) {
    if (sql.count(u'?') < 2) return true;
    const QList<qsizetype> at = PositionalParameters(sql, current.Dialect.Readings().front());
    if (at.size() < 2) return true;
    // A number no literal of the statement has, then the parameter's place.
    QString base = QStringLiteral("7316");
    while (sql.contains(base))
        base += QLatin1Char('3');
    constexpr int kPlaces = 6;
    QString numbered;
    qsizetype copied = 0;
    for (qsizetype k = 0; k < at.size(); ++k) {
        numbered += QStringView(sql).mid(copied, at[k] - copied);
        numbered += base + QStringLiteral("%1").arg(k, kPlaces, 10, QLatin1Char('0'));
        copied = at[k] + 1;
    }
    numbered += QStringView(sql).mid(copied);
    TDesignHooks quiet = hooks;
    quiet.Message = {};
    quiet.Confirm = [](const QString&) { return false; };
    quiet.TestRun = {};
    const QString written = Forge(numbered, kind, current, quiet).Sql.SQL;
    if (written.isEmpty()) return true; // nothing rebuilt: nothing reordered
    qsizetype next = 0;
    for (qsizetype i = written.indexOf(base); i >= 0; i = written.indexOf(base, i + 1)) {
        if (written.mid(i + base.size(), kPlaces).toLongLong() != next) return false;
        ++next;
    }
    return next == at.size();
}

} // namespace

TForgeResult Forge(const QString& sql, int kind, const QueryDesign& current,
                   const TDesignHooks& hooks) {
    TForgeResult result;
    result.Design = current;
    TStatementText prepared(sql, current.Dialect);
    if (TrimCell(TrimSQLElement(prepared.Reference())).isEmpty() && prepared.Refusal().isEmpty()) {
        result.Ok = true;
        return result;
    }
    if (!prepared.Refusal().isEmpty()) {
        ShowMessage(hooks, prepared.Refusal(), kCaption);
        return result;
    }
    // A statement of millions of characters is not held more often than
    // needed: each copy goes when it has been read.
    QString limit, offset;
    const bool limitLine = TSqlDialect(kind).RowLimitStyle() == TRowLimitStyle::Limit;
    QStringList parts;
    {
        QString text = WithCrLf(TrimSQLElement(prepared.TakeScanned()));
        if (limitLine) CutLimit(text, limit, offset);
        if (ParenthesesBalance(text)) {
            // Without set operators, and brackets that might hold it whole,
            // the statement is the one part: it is not walked for them.
            const QStringView whole = scan::TrimBlanks(text);
            if (prepared.SetOperators().isEmpty() && !whole.isEmpty() && whole.front() != u'(')
                parts = {QString(), whole.toString(), QString(), QString()};
            else
                AnalysisUnionClause(text, parts, {}, {}, {});
        }
    }
    if (parts.size() < 4) {
        ShowMessage(hooks, QStringLiteral("括号不匹配！"), kCaption);
        return result;
    }
    // The union grid shows the brackets of the first part the text was read without.
    if (prepared.FirstPartBrackets() > 0 && parts.size() >= 8) {
        parts[0] = QString(prepared.FirstPartBrackets(), QLatin1Char('(')) + parts[0];
        parts[2] = QString(prepared.FirstPartBrackets(), QLatin1Char(')')) + parts[2];
    }
    TStatement st;
    // The first statement is tried as the database reads it (a single one
    // with its row limit). The statement analysed is held only while it is
    // read, and its untrimmed text not even then.
    {
        const QString statement = TrimExp(std::exchange(parts[1], QString()));
        if (!Analyse(sql, statement, prepared, hooks, st))
            return result;
    }
    ReadSelectItems(st, kind, prepared);

    QueryDesign& design = result.Design;
    Init(design);
    design.Distinct = st.Distinct;
    design.RowLimit = limitLine ? limit : st.Limit;
    design.RowOffset = limitLine ? offset : QString();
    TRebuilder rebuilder(design, st, kind, hooks, prepared);
    rebuilder.Build();
    prepared.Restore(parts);
    if (parts.size() >= 8) rebuilder.ReadCompoundOrder(parts[parts.size() - 3]);
    AddUnionSets(design, parts, prepared.SetOperators(), kind);
    result.Ok = true;
    result.Rebuilt = true;
    TS_DisplayEnter(design);
    rebuilder.ReadDisplay();
    result.Sql = GetSQLOfFollowed(design, kind, hooks.Confirm);
    // A design that does not carry the whole statement is applied only when
    // the user says so after being told what it lacks. (The statement's
    // tokens are read again here rather than held through the test run:
    // for a long statement the database needs the memory then.)
    // A design that writes no statement carries none of it: its refusal
    // says why better than every word of the statement would.
    result.NotCarried =
        rebuilder.Lost() +
        (result.Sql.Refused()
             ? QStringList{QStringLiteral("按设计写不出语句：") + result.Sql.Message}
             : NotCarried(prepared.Reference(), result.Sql.SQL, current.Dialect,
                          rebuilder.OuterMadeInner(), rebuilder.StarsSpelled()));
    if (!st.Unread.isEmpty()) result.NotCarried.prepend(prepared.Restore(st.Unread));
    if (!ParametersKeepTheirOrder(sql, kind, current, hooks))
        result.NotCarried << QStringLiteral("?（参数的先后次序）");
    // A part two rules found is named once.
    result.NotCarried.removeDuplicates();
    if (!result.NotCarried.isEmpty() &&
        !(hooks.Confirm && hooks.Confirm(NotCarriedQuestion(result.NotCarried)))) {
        result.Ok = false;
        result.Rebuilt = false;
        result.Design = current;
    }
    return result;
}

} // namespace quillary
