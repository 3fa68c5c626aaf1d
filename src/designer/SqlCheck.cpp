#include "designer/SqlCheck.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/DatabaseError.h"
#include "db/Dialect.h"
#include "designer/BoxColumns.h"
#include "query/DesignTexts.h"
#include "sqltext/Common.h"
#include "sqltext/SqlDialect.h"
#include "sqltext/SqlLexer.h"
#include "sqltext/SqlStatements.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace quillary {

namespace {

// --- a box without a window ----------------------------------------------------

// A box's size from its texts, near what the canvas gives it: the box is
// never drawn, but the rebuild places the next box beside it.
void SizeFromTexts(TDesignBox& box) {
    constexpr int kCharWidth = 7, kItemHeight = 16, kMaxItems = 10, kFrame = 6 + 16;
    qsizetype widest = box.GetTableName().size();
    for (const TDesignField& field : box.Fields)
        widest = std::max(widest, field.Name.size());
    box.Width = int(std::max<qsizetype>(150, widest * kCharWidth + 40));
    box.Height = int(std::min<qsizetype>(box.Fields.size(), kMaxItems)) * kItemHeight + 4 + kFrame;
}

// --- rows as canonical texts ---------------------------------------------------------

bool IsNumericType(TFieldType type) {
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

QString NumberText(double value) {
    if (value == 0) return QStringLiteral("0"); // -0 too
    if (std::isfinite(value) && std::floor(value) == value && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    // Sums taken in another order may differ in the last bits.
    return QString::number(value, 'g', 12);
}

// Kinds of canonical text, so that the number 1 and the text "1" differ and
// no text can pass for NULL.
constexpr QChar kNull(u'\x01'), kNumber(u'n'), kText(u's'), kBytes(u'b');
constexpr QChar kValueSeparator(u'\x1f');

QString Canonical(const QVariant& value, TFieldType type) {
    if (!value.isValid() || value.isNull()) return QString(kNull);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return kNumber + QString(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return kNumber + QString::number(value.toLongLong());
    case QMetaType::ULongLong:
        return kNumber + QString::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return kNumber + NumberText(value.toDouble());
    case QMetaType::QByteArray:
        return kBytes + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QDate:
        return kText + value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return kText + value.toTime().toString(Qt::ISODateWithMs);
    case QMetaType::QDateTime:
        return kText + value.toDateTime().toString(Qt::ISODateWithMs);
    default:
        break;
    }
    const QString text = value.toString();
    if (IsNumericType(type)) { // decimals some drivers hand over as text
        bool ok = false;
        const double number = text.trimmed().toDouble(&ok);
        if (ok) return kNumber + NumberText(number);
    }
    return kText + text;
}

struct TRows {
    int Columns = 0;
    QStringList FieldNames;
    QStringList Rows; // canonical values joined by kValueSeparator
    QList<QStringList> Values;
    bool Truncated = false; // more than kMaxComparedRows
};

// At most `limit` rows, one more to tell that there are more.
TRows ReadRows(TADOConnection* connection, const QString& sql, int limit = kMaxComparedRows) {
    TADOQuery query;
    query.SetConnection(connection);
    query.SetReadOnly(true);
    query.SQL() = QStringList{sql};
    query.Open();
    TRows rows;
    rows.Columns = query.FieldCount();
    QList<TFieldType> types;
    for (int c = 0; c < rows.Columns; ++c) {
        rows.FieldNames << query.FieldDefs()[c].Name;
        types << query.FieldDefs()[c].DataType;
    }
    for (; !query.Eof(); query.Next()) {
        if (rows.Rows.size() == limit) {
            rows.Truncated = true;
            break;
        }
        QStringList values;
        values.reserve(rows.Columns);
        for (int c = 0; c < rows.Columns; ++c)
            values << Canonical(query.Fields(c).Value(), types[c]);
        rows.Rows << values.join(kValueSeparator);
        rows.Values << values;
    }
    // Rows cut short are no result to compare.
    if (!query.FetchError().isEmpty()) throw EDatabaseError(query.FetchError());
    query.Close(); // a read-only transaction ends with it
    return rows;
}

// --- the top level of a statement --------------------------------------------------

// Where the ORDER BY items and select items of a statement's top level are,
// and whether a row limit follows. Read with the statement lexer, so that
// words in strings, names and comments and in brackets do not count.
struct TTopLevel {
    QStringList SelectItems;
    QStringList OrderItems;
    bool Limited = false;
    // Where the row limit begins when it closes the statement (LIMIT,
    // OFFSET, FETCH); -1 for TOP or none.
    qsizetype LimitFrom = -1;
    // Where the first select list ends; -1 without one.
    qsizetype SelectTo = -1;
    // A UNION, EXCEPT, INTERSECT or MINUS at the top level.
    bool SetOperation = false;
};

// `text` with strings and comments blanked out (same length), so that
// commas and words inside them are not taken for the statement's own.
QString Masked(const QString& text, const QList<TSqlToken>& tokens) {
    QString masked = text;
    for (const TSqlToken& t : tokens)
        if (t.Kind == TSqlTokenKind::String || t.Kind == TSqlTokenKind::Comment)
            for (qsizetype i = t.Start; i < t.Start + t.Length && i < masked.size(); ++i)
                masked[i] = QLatin1Char(' ');
    return masked;
}

// The pieces of text[from, to) between commas outside brackets and quoted
// names.
QStringList SplitTopLevel(const QString& text, const QString& masked, qsizetype from,
                          qsizetype to) {
    QStringList items;
    int depth = 0;
    QChar quote;
    qsizetype start = from;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = masked[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            quote = QLatin1Char(']');
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            items << text.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    const QString last = text.mid(start, to - start).trimmed();
    if (!last.isEmpty() || !items.isEmpty()) items << last;
    return items;
}

// The keyword a token is, in lower case; empty for any other token.
QString KeywordOf(const QString& sql, const TSqlToken& t) {
    return t.Kind == TSqlTokenKind::Keyword ? sql.mid(t.Start, t.Length).toLower() : QString();
}

// Whether a count follows the word `t` (a number, a bracketed expression or
// a parameter), as after OFFSET; SQLite and MySQL also take the word for a
// table's or column's name ("from t offset join …").
bool CountFollows(const QString& sql, const TSqlToken& t) {
    qsizetype i = t.Start + t.Length;
    // Blanks and comments ("offset /* rows */ 2") come before it.
    for (qsizetype before = -1; before != i;) {
        before = i;
        while (i < sql.size() && sql[i].isSpace())
            ++i;
        if (QStringView(sql).sliced(i).startsWith(u"/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? sql.size() : end + 2;
        } else if (QStringView(sql).sliced(i).startsWith(u"--")) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? sql.size() : end + 1;
        }
    }
    if (i >= sql.size()) return false;
    const QChar c = sql[i];
    return c.isDigit() || c == u'(' || c == u'?' || c == u':' || c == u'$' || c == u'@' ||
           c == u'-' || c == u'+';
}

// The lowest bracket depth at which a SELECT stands: the outer statement's.
int LowestSelectDepth(const QString& sql, const QList<TSqlToken>& tokens) {
    int depth = 0;
    int lowest = INT_MAX;
    for (const TSqlToken& t : tokens)
        if (t.Kind == TSqlTokenKind::OpenParen) {
            ++depth;
        } else if (t.Kind == TSqlTokenKind::CloseParen) {
            --depth;
        } else if (depth < lowest && KeywordOf(sql, t) == QLatin1String("select")) {
            lowest = depth;
        }
    return lowest;
}

// TOP is a row limit right after SELECT [DISTINCT|ALL], elsewhere a name.
bool FollowsSelect(const QString& sql, const QList<TSqlToken>& tokens, qsizetype k) {
    for (qsizetype j = k - 1; j >= 0; --j) {
        const QString before = KeywordOf(sql, tokens[j]);
        if (before == QLatin1String("select")) return true;
        if (before != QLatin1String("distinct") && before != QLatin1String("all")) return false;
    }
    return false;
}

TTopLevel ReadTopLevel(const QString& sql) {
    const QList<TSqlToken> tokens = SqlTokens(sql);
    const QString masked = Masked(sql, tokens);
    TTopLevel top;
    const auto word = [&](const TSqlToken& t) { return KeywordOf(sql, t); };
    // The first select list: its select word at the lowest depth, up to the
    // FROM (or the next clause) at that depth.
    int depth = 0, selectDepth = -1;
    qsizetype selectFrom = -1, selectTo = -1, orderFrom = -1, orderTo = -1;
    const int lowest = LowestSelectDepth(sql, tokens);
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        const TSqlToken& t = tokens[k];
        if (t.Kind == TSqlTokenKind::OpenParen) {
            ++depth;
            continue;
        }
        if (t.Kind == TSqlTokenKind::CloseParen) {
            --depth;
            continue;
        }
        const QString w = word(t);
        if (w.isEmpty()) continue;
        if (selectFrom < 0 && w == QLatin1String("select") && depth == lowest) {
            selectFrom = t.Start + t.Length;
            selectDepth = depth;
            continue;
        }
        if (selectFrom >= 0 && selectTo < 0 && depth == selectDepth &&
            (w == QLatin1String("from") || w == QLatin1String("where") ||
             w == QLatin1String("union") || w == QLatin1String("except") ||
             w == QLatin1String("intersect") || w == QLatin1String("order") ||
             w == QLatin1String("limit") || w == QLatin1String("into")))
            selectTo = t.Start;
        if (depth != 0) continue;
        if (w == QLatin1String("union") || w == QLatin1String("except") ||
            w == QLatin1String("intersect") || w == QLatin1String("minus"))
            top.SetOperation = true;
        if (w == QLatin1String("order") && k + 1 < tokens.size() &&
            word(tokens[k + 1]) == QLatin1String("by")) {
            orderFrom = tokens[k + 1].Start + tokens[k + 1].Length;
            orderTo = -1;
            ++k;
        } else if (w == QLatin1String("limit") ||
                   (w == QLatin1String("offset") && CountFollows(sql, t)) ||
                   (w == QLatin1String("fetch") && k + 1 < tokens.size() &&
                    (word(tokens[k + 1]) == QLatin1String("first") ||
                     word(tokens[k + 1]) == QLatin1String("next"))) ||
                   (w == QLatin1String("top") && FollowsSelect(sql, tokens, k))) {
            if (w == QLatin1String("top")) {
                top.LimitFrom = -1;
            } else if (!top.Limited) {
                top.LimitFrom = t.Start;
            }
            top.Limited = true;
            if (orderFrom >= 0 && orderTo < 0) orderTo = t.Start;
        } else if (orderFrom >= 0 && orderTo < 0 &&
                   (w == QLatin1String("for") || w == QLatin1String("union") ||
                    w == QLatin1String("except") || w == QLatin1String("intersect"))) {
            orderTo = t.Start;
        }
    }
    if (selectFrom >= 0) {
        if (selectTo < 0) selectTo = sql.size();
        top.SelectItems = SplitTopLevel(sql, masked, selectFrom, selectTo);
        top.SelectTo = selectTo;
    }
    if (orderFrom >= 0) {
        if (orderTo < 0) orderTo = sql.size();
        top.OrderItems = SplitTopLevel(sql, masked, orderFrom, orderTo);
    }
    return top;
}

// Letters in lower case, blanks gone where they do not separate words.
QString Normalized(const QString& text) {
    QString out;
    bool blank = false;
    for (const QChar c : text.trimmed()) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        const auto joins = [](QChar x) {
            return x == QLatin1Char('(') || x == QLatin1Char(')') || x == QLatin1Char(',') ||
                   x == QLatin1Char('.');
        };
        if (blank && !out.isEmpty() && !joins(out.back()) && !joins(c)) out += QLatin1Char(' ');
        blank = false;
        out += c.toLower();
    }
    return out;
}

// The item without a trailing ASC/DESC and NULLS FIRST/LAST.
QString WithoutDirection(QString item) {
    for (;;) {
        const QString lower = item.toLower();
        bool cut = false;
        for (const QLatin1String tail :
             {QLatin1String("asc"), QLatin1String("desc"), QLatin1String("nulls first"),
              QLatin1String("nulls last")}) {
            if (lower.endsWith(tail) && lower.size() > tail.size() &&
                lower[lower.size() - tail.size() - 1].isSpace()) {
                item = item.left(item.size() - tail.size()).trimmed();
                cut = true;
                break;
            }
        }
        if (!cut) return item;
    }
}

// The name a bare or quoted name part stands for.
QString Unquoted(QString part) {
    part = part.trimmed();
    QString name;
    if (ReadQuotedName(part, name)) return name;
    return part;
}

// The result column an ORDER BY item sorts by, or -1.
int KeyColumn(const QString& orderItem, const TTopLevel& top, const TRows& rows) {
    const QString item = WithoutDirection(orderItem);
    bool number = false;
    const int position = item.toInt(&number);
    if (number) return position >= 1 && position <= rows.Columns ? position - 1 : -1;
    const QString wanted = Normalized(item);
    // The select items as written (the first without DISTINCT or ALL), as
    // expressions and aliases.
    struct TSelect {
        QString Text, Expression, Alias;
    };
    QList<TSelect> selects;
    for (qsizetype i = 0; i < top.SelectItems.size(); ++i) {
        TSelect s{top.SelectItems[i], {}, {}};
        if (i == 0) {
            int end = 0;
            if (IsBeginWith(QStringLiteral("distinct"), s.Text, end, 1, true) > 0 ||
                IsBeginWith(QStringLiteral("all"), s.Text, end, 1, true) > 0)
                s.Text = s.Text.mid(end - 1);
        }
        GetByName(s.Text, s.Expression, s.Alias, 1);
        selects << s;
    }
    // Select items stand for result columns one by one unless one is a star
    // ("*", "t.*"; not the * of "k * 2" or "count(*)").
    const bool starred = std::any_of(selects.begin(), selects.end(), [](const TSelect& s) {
        const QString text = s.Text.trimmed();
        return text == QLatin1String("*") || text.endsWith(QLatin1String(".*"));
    });
    if (!starred && selects.size() == rows.Columns) {
        // An alias comes first, wherever it stands: "select k, v as k …
        // order by k" sorts by v.
        for (int i = 0; i < rows.Columns; ++i)
            if (!selects[i].Alias.isEmpty() &&
                Normalized(Unquoted(selects[i].Alias)) == Normalized(Unquoted(item)))
                return i;
        for (int i = 0; i < rows.Columns; ++i)
            if (Normalized(selects[i].Expression) == wanted ||
                Normalized(selects[i].Text) == wanted)
                return i;
    }
    // A column by its name, qualified or not, when one column is called so.
    QStringList parts;
    if (!TSqlDialect().ReadName(item, parts) || parts.isEmpty()) return -1;
    const QString name = parts.last();
    // "t.k" is no result column aliased k, and under a star any of the
    // columns called k: which column it is goes unknown.
    if (parts.size() > 1 && starred) return -1;
    if (parts.size() > 1)
        for (const TSelect& select : std::as_const(selects))
            if (!select.Alias.isEmpty() && Normalized(Unquoted(select.Alias)) == Normalized(name))
                return -1;
    int found = -1;
    for (int i = 0; i < rows.Columns; ++i) {
        if (rows.FieldNames[i].compare(name, Qt::CaseInsensitive) != 0) continue;
        if (found >= 0) return -1;
        found = i;
    }
    return found;
}

// MySQL's collations take 'a', 'A' and 'a ' for one value: DISTINCT, UNION
// and GROUP BY keep whichever of them the server meets first, and rows tied
// on them sort in either order. Compared so, they are one.
void FoldCollated(TRows& rows) {
    rows.Rows.clear();
    for (QStringList& values : rows.Values) {
        for (QString& v : values) {
            if (!v.startsWith(kText)) continue;
            v = v.toCaseFolded();
            qsizetype end = v.size();
            while (end > 1 && v[end - 1] == QLatin1Char(' '))
                --end;
            v.truncate(end);
        }
        rows.Rows << values.join(kValueSeparator);
    }
}

// The rows of `sql` as they are compared.
TRows ComparedRows(TADOConnection* connection, const QString& sql) {
    TRows rows = ReadRows(connection, sql);
    if (connection->ProviderKind() == TProviderKind::MySql) FoldCollated(rows);
    return rows;
}

QString Key(const QStringList& values, const QList<int>& keys) {
    QStringList key;
    for (const int k : keys)
        key << values[k];
    return key.join(kValueSeparator);
}

QStringList Sorted(QStringList rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The original with its ORDER BY keys that are no result column added to
// its result, after its own columns, and its rows; Keys: the columns of
// all its keys.
struct TKeysShown {
    QString Sql;
    QList<int> Keys;
    qsizetype LimitFrom = -1; // as TTopLevel's, in Sql
    TRows Rows;
};

// The first `columns` columns of each row.
QStringList RowsOf(const TRows& rows, int columns) {
    if (rows.Columns == columns) return rows.Rows;
    QStringList cut;
    for (const QStringList& v : rows.Values)
        cut << v.mid(0, columns).join(kValueSeparator);
    return cut;
}

// Where a limit cuts an ordered result: rows tied on the keys of its edge
// may be any of the tied rows, as the database may choose any of them.
struct TCut {
    bool Limited = false;
    bool Offset = false; // the first rows are cut too
    // The rows of the statement without its limit, keys as in a; none
    // where they cannot be read.
    const TRows* Whole = nullptr;
};

// Where b's rows differ from a's in a's order: a's rows grouped by their
// keys (columns `keys` of a) in sequence, and at the same places in b the
// same rows, in any order within a group. A group at the edge of a cut
// may hold any rows the whole result has with its key (without the whole
// result, any rows). Only the first `columns` columns of a's rows count.
QString OrderedDifference(const TRows& a, const QList<int>& keys, const TRows& b, const TCut& cut,
                          int columns) {
    const QStringList rowsA = RowsOf(a, columns);
    const QString other = QStringLiteral("行数相同（%1行）而内容不同").arg(rowsA.size());
    // The rows the whole result has with a key.
    const auto tied = [&](const QString& key) {
        QStringList pool;
        for (qsizetype i = 0; i < cut.Whole->Values.size(); ++i)
            if (Key(cut.Whole->Values[i], keys) == key)
                pool << cut.Whole->Values[i].mid(0, columns).join(kValueSeparator);
        return pool;
    };
    QStringList restA, restB; // the rows of the groups not at an edge
    bool inOrder = true, fromTied = true;
    for (qsizetype from = 0; from < rowsA.size();) {
        const QString key = Key(a.Values[from], keys);
        qsizetype to = from + 1;
        while (to < rowsA.size() && Key(a.Values[to], keys) == key)
            ++to;
        const QStringList groupB = b.Rows.mid(from, to - from);
        if (cut.Limited && (to == rowsA.size() || (cut.Offset && from == 0))) {
            if (cut.Whole) {
                QStringList pool = tied(key);
                for (const QString& row : groupB)
                    fromTied = fromTied && pool.removeOne(row);
            }
        } else {
            const QStringList groupA = rowsA.mid(from, to - from);
            inOrder = inOrder && Sorted(groupA) == Sorted(groupB);
            restA << groupA;
            restB << groupB;
        }
        from = to;
    }
    if (inOrder && fromTied) return {};
    return inOrder || Sorted(restA) != Sorted(restB)
               ? other
               : QStringLiteral("行的排序不同（%1行）").arg(rowsA.size());
}

// The original's rows once more with its ORDER BY keys that are no result
// column added to them; none where adding them could change the rows
// (after DISTINCT, in a set operation), for a position beyond the result,
// or where the database refuses them.
std::optional<TKeysShown> WithShownKeys(TADOConnection* connection, const QString& original,
                                        const TTopLevel& top, const TRows& a) {
    if (top.OrderItems.isEmpty() || top.SelectItems.isEmpty() || top.SetOperation) return {};
    int end = 0;
    if (IsBeginWith(QStringLiteral("distinct"), top.SelectItems.first(), end, 1, true) > 0)
        return {};
    TKeysShown shown;
    QStringList added;
    for (const QString& item : top.OrderItems) {
        if (const int k = KeyColumn(item, top, a); k >= 0) {
            shown.Keys << k;
            continue;
        }
        const QString expression = WithoutDirection(item);
        bool number = false;
        expression.toInt(&number);
        if (number || expression.isEmpty()) return {};
        shown.Keys << a.Columns + int(added.size());
        added << expression;
    }
    if (added.isEmpty()) return {};
    const QString inserted =
        QStringLiteral(", ") + added.join(QStringLiteral(", ")) + QLatin1Char(' ');
    shown.Sql = original.left(top.SelectTo) + inserted + original.mid(top.SelectTo);
    // The limit stands after the select list.
    shown.LimitFrom = top.LimitFrom < 0 ? -1 : top.LimitFrom + inserted.size();
    try {
        shown.Rows = ComparedRows(connection, shown.Sql);
    } catch (const EDatabaseError&) {
        return {}; // a key the select list cannot name (an alias of it, say)
    }
    if (shown.Rows.Truncated || shown.Rows.Rows.size() != a.Rows.size() ||
        shown.Rows.Columns != a.Columns + added.size())
        return {};
    return shown;
}

QString CountText(const TRows& rows) {
    return rows.Truncated ? QStringLiteral("超过%1").arg(kMaxComparedRows)
                          : QString::number(rows.Rows.size());
}

QString FirstLine(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype end = trimmed.indexOf(QLatin1Char('\n'));
    QString line = (end < 0 ? trimmed : trimmed.left(end)).trimmed();
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return line;
}

} // namespace

// --- comparison ---------------------------------------------------------------------

TRowComparison CompareRows(TADOConnection* connection, const QString& original,
                           const QString& regenerated) {
    const TRows a = ComparedRows(connection, original);
    const TRows b = ComparedRows(connection, regenerated);
    TRowComparison result;
    result.OriginalRows = int(a.Rows.size());
    result.RegeneratedRows = int(b.Rows.size());
    const TTopLevel top = ReadTopLevel(original);
    QList<int> keys;
    for (const QString& item : top.OrderItems) {
        const int k = KeyColumn(item, top, a);
        if (k < 0) {
            keys.clear();
            break;
        }
        keys << k;
    }
    const bool knownKeys = !top.OrderItems.isEmpty() && !keys.isEmpty();
    result.Rule = knownKeys     ? (top.Limited ? TRowRule::UpToLimit : TRowRule::InOrder)
                  : top.Limited ? TRowRule::CountOnly
                                : TRowRule::Multiset;
    const auto differ = [&](const QString& why) {
        result.Same = false;
        result.Difference = why;
        return result;
    };
    const QString counts =
        QStringLiteral("原语句%1行，生成的语句%2行").arg(CountText(a), CountText(b));
    if (a.Columns != b.Columns)
        return differ(QStringLiteral("原语句%1列，生成的语句%2列").arg(a.Columns).arg(b.Columns));
    if (a.Truncated || b.Truncated) {
        if (a.Truncated && b.Truncated) {
            result.Rule = TRowRule::CountOnly;
            result.Same = true;
            return result;
        }
        return differ(counts);
    }
    if (a.Rows.size() != b.Rows.size()) return differ(counts);
    const auto judged = [&](const QString& difference) {
        if (!difference.isEmpty()) return differ(difference);
        result.Same = true;
        return result;
    };
    // The rows of both once their limits are cut (LIMIT, OFFSET and FETCH,
    // not TOP): which of the rows tied on their keys a limit leaves is the
    // database's choice, but it takes them from these. The original's may
    // be known already (`whole`, its own columns first). Empty when they
    // agree; none when they cannot be read so.
    const auto withoutLimits = [&](const TRows* whole) -> std::optional<QString> {
        const qsizetype regeneratedFrom = ReadTopLevel(regenerated).LimitFrom;
        if (top.LimitFrom < 0 || regeneratedFrom < 0) return {};
        TRows read, allRegenerated;
        try {
            if (!whole) read = ComparedRows(connection, original.left(top.LimitFrom));
            allRegenerated = ComparedRows(connection, regenerated.left(regeneratedFrom));
        } catch (const EDatabaseError&) {
            return {}; // a row the limit kept out fails (a cast, an overflow)
        }
        const TRows& all = whole ? *whole : read;
        if (all.Truncated || allRegenerated.Truncated) return {};
        const QStringList rows = RowsOf(all, a.Columns);
        const QString unlimited = QStringLiteral("不计行数限制时，");
        if (rows.size() != allRegenerated.Rows.size())
            return unlimited + QStringLiteral("原语句%1行，生成的语句%2行")
                                   .arg(rows.size())
                                   .arg(allRegenerated.Rows.size());
        if (Sorted(rows) != Sorted(allRegenerated.Rows))
            return unlimited + QStringLiteral("行数相同（%1行）而内容不同").arg(rows.size());
        return QString();
    };
    // Rows compared in the order of the keys of `ordered` (the original's
    // rows, or those of `orderedSql`, the original with its keys shown,
    // whose limit begins at `limitFrom`), and under a limit also without it.
    const auto keyed = [&](const TRows& ordered, const QList<int>& keyColumns,
                           const QString& orderedSql, qsizetype limitFrom) {
        TCut cut;
        cut.Limited = top.Limited;
        std::optional<TRows> whole;
        if (top.Limited && limitFrom >= 0) {
            const QString limit = orderedSql.mid(limitFrom).toLower();
            cut.Offset = limit.contains(QLatin1String("offset")) || limit.contains(u',');
            try {
                whole = ComparedRows(connection, orderedSql.left(limitFrom));
            } catch (const EDatabaseError&) {
                // a row the limit kept out fails: tied rows go unchecked
            }
            if (whole && !whole->Truncated) cut.Whole = &*whole;
        }
        const QString difference = OrderedDifference(ordered, keyColumns, b, cut, a.Columns);
        if (!difference.isEmpty() || !top.Limited) return judged(difference);
        return judged(withoutLimits(cut.Whole).value_or(QString()));
    };
    if (knownKeys) return keyed(a, keys, original, top.LimitFrom);
    // Without a limit the rows come first, whatever their keys.
    if (!top.Limited && Sorted(a.Rows) != Sorted(b.Rows))
        return differ(QStringLiteral("行数相同（%1行）而内容不同").arg(a.Rows.size()));
    // Keys that are no result column: the original runs once more with them.
    if (const std::optional<TKeysShown> shown = WithShownKeys(connection, original, top, a)) {
        result.Rule = TRowRule::KeysShown;
        return keyed(shown->Rows, shown->Keys, shown->Sql, shown->LimitFrom);
    }
    if (result.Rule == TRowRule::CountOnly)
        if (const std::optional<QString> unlimited = withoutLimits(nullptr)) {
            result.Rule = TRowRule::WithoutLimit;
            return judged(*unlimited);
        }
    result.Same = true;
    return result;
}

// --- the check ----------------------------------------------------------------------

namespace {

// Whether `sql` calls a function whose value changes from one run to the
// next: of chance (MayDifferEachTime) or of the time (now(),
// current_timestamp, date('now'), …).
bool ChangesBetweenRuns(const QString& sql, TSqlReading reading) {
    if (MayDifferEachTime(sql)) return true;
    static const QSet<QString> time = {QStringLiteral("now"),
                                       QStringLiteral("current_timestamp"),
                                       QStringLiteral("current_time"),
                                       QStringLiteral("current_date"),
                                       QStringLiteral("localtime"),
                                       QStringLiteral("localtimestamp"),
                                       QStringLiteral("sysdate"),
                                       QStringLiteral("systimestamp"),
                                       QStringLiteral("getdate"),
                                       QStringLiteral("getutcdate"),
                                       QStringLiteral("sysdatetime"),
                                       QStringLiteral("curdate"),
                                       QStringLiteral("curtime"),
                                       QStringLiteral("utc_timestamp"),
                                       QStringLiteral("utc_date"),
                                       QStringLiteral("utc_time"),
                                       QStringLiteral("unix_timestamp"),
                                       QStringLiteral("statement_timestamp"),
                                       QStringLiteral("transaction_timestamp")};
    // SQLite's date('now'), PostgreSQL's 'now'::timestamp: the string asks for the time.
    for (const TSqlWord& w : SqlWords(sql, reading)) {
        const QStringView text = QStringView(sql).sliced(w.Start, w.End - w.Start);
        if ((w.Kind == TSqlWord::Word && time.contains(text.toString().toLower())) ||
            (w.Kind == TSqlWord::String && text.compare(u"'now'", Qt::CaseInsensitive) == 0))
            return true;
    }
    return false;
}

// The result columns a query leaves to the database, counted from 0: in a
// query that groups or aggregates, a plain column neither grouped nor inside
// an aggregate takes its value from any row of its group (SQLite, MySQL),
// also one a star stands for; a window function that numbers rows or reads
// a neighbour (ROW_NUMBER, LAG, …) takes its value from the order of rows
// its window's ORDER BY leaves tied; an aggregate that joins its values in
// the order rows come (GROUP_CONCAT, STRING_AGG, …) without an ORDER BY of
// its own takes that order from the way the database joins. Empty when there
// is none, or a star stands for columns the design does not list.
// `HavingBare`: a HAVING condition names such a plain column, whose row the
// database picks, so that even which groups pass may change.
struct TArbitraryColumns {
    QList<int> Bare, Tied, Ordered;
    bool HavingBare = false;
};

// `text` with every string and quoted name reduced to '', so that the words
// a test looks for are the expression's own and not what a literal says.
QString WithoutLiterals(const QString& text, TSqlReading reading) {
    QString out;
    qsizetype from = 0;
    for (const TSqlWord& w : SqlWords(text, reading)) {
        if (w.Kind != TSqlWord::String && w.Kind != TSqlWord::Name) continue;
        out += QStringView(text).sliced(from, w.Start - from);
        out += QLatin1String("''");
        from = w.End;
    }
    if (from == 0) return text;
    out += QStringView(text).sliced(from);
    return out;
}

// Whether a HAVING operand names a column of a box outside every aggregate
// that the query does not group by (a bare name SQLite reads as the column
// before an alias; MySQL only where no result column has that alias).
bool NamesUngroupedColumn(const QueryDesign& design, const QString& operand,
                          const QSet<QString>& grouped, const QSet<QString>& aliases,
                          const QRegularExpression& aggregate) {
    const TSqlReading reading = design.Dialect.Readings().front();
    QString code = WithoutLiterals(operand, reading);
    // The aggregates' arguments are left out, brackets and all.
    for (QRegularExpressionMatch m = aggregate.match(code); m.hasMatch();
         m = aggregate.match(code, m.capturedStart())) {
        qsizetype end = m.capturedEnd(), depth = 1;
        while (end < code.size() && depth > 0) {
            depth += code[end] == u'(' ? 1 : code[end] == u')' ? -1 : 0;
            ++end;
        }
        code.remove(m.capturedStart(), end - m.capturedStart());
    }
    static const QRegularExpression name(QStringLiteral(
        "(?<![\\w$.])([A-Za-z_][\\w$]*)(?:\\.([A-Za-z_][\\w$]*))?(?![\\w$]|\\s*\\()"));
    const bool sqlite = design.Dialect == TSqlDialect::Sqlite();
    for (QRegularExpressionMatchIterator it = name.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString qualifier = m.captured(2).isEmpty() ? QString() : m.captured(1);
        const QString column = m.captured(2).isEmpty() ? m.captured(1) : m.captured(2);
        if (grouped.contains(Normalized(m.captured(0))) || grouped.contains(Normalized(column)))
            continue;
        if (qualifier.isEmpty() && !sqlite && aliases.contains(column.toLower())) continue;
        for (int b = 0; b < design.Boxes.size(); ++b) {
            const TDesignBox& box = design.Boxes[b];
            if (!qualifier.isEmpty() && design.FindTable(qualifier) != b) continue;
            for (qsizetype f = 1; f < box.Fields.size(); ++f)
                if (box.Fields[f].Name.compare(column, Qt::CaseInsensitive) == 0 &&
                    !grouped.contains(Normalized(Designation(design, box, box.Fields[f].Name))))
                    return true;
        }
    }
    return false;
}

TArbitraryColumns ArbitraryColumns(const QueryDesign& design) {
    static const QRegularExpression aggregate(
        QStringLiteral("\\b(count|sum|avg|min|max|total|group_concat)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tied(
        QStringLiteral("\\b(row_number|ntile|lag|lead|first_value|last_value|nth_value)\\s*\\("
                       "[^()]*\\)\\s*over\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression concatenating(
        QStringLiteral("\\b(group_concat|string_agg|array_agg|listagg|xmlagg|json_group_array|"
                       "json_group_object|json_agg|jsonb_agg|json_object_agg|jsonb_object_agg|"
                       "json_arrayagg|json_objectagg)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    QSet<QString> grouped;
    for (const QString& g : design.GroupColumn)
        grouped << Normalized(g);
    bool aggregates = !grouped.isEmpty();
    for (const QStringList& row : design.HavingRows)
        aggregates = aggregates || !TrimCell(row.value(1)).isEmpty();
    const TSqlReading reading = design.Dialect.Readings().front();
    TArbitraryColumns columns;
    int column = 0;
    for (qsizetype i = 0; i < design.DisplayRows.size(); ++i) {
        const QStringList& row = design.DisplayRows[i];
        const QString text = TrimCell(row.value(1));
        if (text.isEmpty()) break;
        const QString code = WithoutLiterals(text, reading);
        if (text == QLatin1String("*") || text.endsWith(QLatin1String(".*"))) {
            // Every box's columns, or those of the box the star names.
            QList<int> boxes;
            if (text == QLatin1String("*"))
                for (int b = 0; b < design.Boxes.size(); ++b)
                    boxes << b;
            else if (const int b = design.FindTable(text.chopped(2)); b >= 0)
                boxes << b;
            if (boxes.isEmpty()) return {};
            for (const int b : std::as_const(boxes)) {
                const TDesignBox& box = design.Boxes[b];
                for (qsizetype f = 1; f < box.Fields.size(); ++f, ++column)
                    if (!grouped.contains(
                            Normalized(Designation(design, box, box.Fields[f].Name))) &&
                        !grouped.contains(Normalized(box.Fields[f].Name)))
                        columns.Bare << column;
            }
            continue;
        }
        if (tied.match(code).hasMatch()) {
            columns.Tied << column;
        } else if (concatenating.match(code).hasMatch() && !orderBy.match(code).hasMatch()) {
            columns.Ordered << column;
            aggregates = true;
        } else if (row.value(0).startsWith(QLatin1Char('1'))) {
            if (!grouped.contains(Normalized(text))) columns.Bare << column;
        } else if (aggregate.match(code).hasMatch()) {
            aggregates = true;
        }
        ++column;
    }
    if (!aggregates) columns.Bare.clear();
    QSet<QString> aliases;
    for (const QStringList& row : design.DisplayRows)
        if (const QString alias = TrimCell(row.value(2)); !alias.isEmpty())
            aliases << alias.toLower();
    for (const QStringList& row : design.HavingRows)
        columns.HavingBare =
            columns.HavingBare ||
            NamesUngroupedColumn(design, row.value(0), grouped, aliases, aggregate) ||
            NamesUngroupedColumn(design, row.value(2), grouped, aliases, aggregate);
    return columns;
}

// Whether the two statements give the same rows (their row limits left
// out) once the columns `left` are left out.
bool SameWithout(TADOConnection* connection, const QString& original, const QString& regenerated,
                 const QList<int>& left) {
    const TTopLevel topA = ReadTopLevel(original), topB = ReadTopLevel(regenerated);
    if ((topA.Limited && topA.LimitFrom < 0) || (topB.Limited && topB.LimitFrom < 0)) return false;
    const TRows a =
        ComparedRows(connection, topA.Limited ? original.left(topA.LimitFrom) : original);
    const TRows b =
        ComparedRows(connection, topB.Limited ? regenerated.left(topB.LimitFrom) : regenerated);
    if (a.Truncated || b.Truncated || a.Columns != b.Columns || a.Rows.size() != b.Rows.size())
        return false;
    const auto kept = [&left](const TRows& rows) {
        QStringList out;
        for (const QStringList& values : rows.Values) {
            QStringList row;
            for (qsizetype c = 0; c < values.size(); ++c)
                if (!left.contains(int(c))) row << values[c];
            out << row.join(kValueSeparator);
        }
        return Sorted(out);
    };
    return kept(a) == kept(b);
}

} // namespace

TDesignHooks ConnectionHooks(TADOConnection* connection, QStringList* shown) {
    TDesignHooks hooks;
    const int kind = GetDataSourceType(connection);
    hooks.Message = [shown](const QString& text, const QString&) {
        if (shown) shown->append(text);
    };
    hooks.Confirm = [shown](const QString& question) {
        if (shown) shown->append(question);
        return true;
    };
    hooks.LoadBox = [connection, kind](TDesignBox& box) {
        if (!ReadBoxColumns(connection, kind, box)) return false;
        SizeFromTexts(box);
        return true;
    };
    hooks.TestRun = [connection, shown](const QString& statement) {
        TADOQuery query;
        query.SetConnection(connection);
        query.SetReadOnly(true);
        query.SQL() = QStringList{statement};
        try {
            query.Open();
            query.Close();
            return true;
        } catch (const EDatabaseError& e) {
            if (shown) shown->append(e.Message());
            return false;
        }
    };
    try {
        connection->GetTableNames(hooks.Tables, false);
    } catch (const EDatabaseError&) {
        hooks.Tables.clear(); // names are then quoted, and the database says what is missing
    }
    return hooks;
}

TStatementCheck CheckStatement(TADOConnection* connection, const QString& statement) {
    QStringList shown;
    TDesignHooks hooks = ConnectionHooks(connection, &shown);
    QueryDesign start;
    start.Dialect = connection->Dialect();
    // Without the values an application binds, a statement with positional
    // parameters cannot run: the rebuild is judged without its test run,
    // and the rows are not compared.
    const qsizetype parameters =
        PositionalParameters(statement, start.Dialect.Readings().front()).size();
    if (parameters > 0) hooks.TestRun = {};
    const TForgeResult forged = Forge(statement, GetDataSourceType(connection), start, hooks);
    return JudgeRebuild(connection, statement, forged, shown, parameters);
}

TStatementCheck JudgeRebuild(TADOConnection* connection, const QString& statement,
                             const TForgeResult& forged, const QStringList& shown,
                             qsizetype parameters) {
    TStatementCheck check;
    check.Shown = shown;
    if (!forged.NotCarried.isEmpty()) {
        check.Outcome = TCheckOutcome::NotCarried;
        check.Reason = forged.NotCarried.join(QStringLiteral("，"));
        return check;
    }
    if (!forged.Ok) {
        check.Outcome = TCheckOutcome::Refused;
        // A script's CREATE VIEW or UPDATE is refused for not being a query:
        // saying so reads better than the missing SELECT the rebuild names.
        const QString fault = SingleSelectFault(statement, connection->Dialect().Readings());
        check.Reason = !fault.isEmpty()  ? FirstLine(fault)
                       : shown.isEmpty() ? QStringLiteral("（没有说明）")
                                         : FirstLine(shown.last());
        return check;
    }
    if (forged.Rebuilt && forged.Sql.Refused()) {
        check.Shown << forged.Sql.Message;
        check.Outcome = TCheckOutcome::Refused;
        check.Reason = FirstLine(forged.Sql.Message);
        return check;
    }
    check.Regenerated = forged.Sql.SQL;
    if (parameters > 0 && forged.Rebuilt) {
        check.Outcome = TCheckOutcome::Refused;
        check.Reason = QStringLiteral("语句含有%1个位置参数（?），没有参数的值无法运行；"
                                      "设计承载了语句的全部内容")
                           .arg(parameters);
        return check;
    }
    // A rebuild that told the user something has not lost the rows silently.
    const auto lost = [&](const QString& what) {
        if (shown.isEmpty()) {
            check.Outcome = TCheckOutcome::DifferentRows;
            check.Reason = what;
        } else {
            check.Outcome = TCheckOutcome::NotCarried;
            check.Reason = FirstLine(shown.first());
        }
        return check;
    };
    if (!forged.Rebuilt || TrimSQLElement(check.Regenerated).isEmpty())
        return lost(QStringLiteral("设计没有生成语句"));
    try {
        check.Rows = CompareRows(connection, statement, check.Regenerated);
        check.Compared = true;
    } catch (const EDatabaseError& e) {
        // The rebuild's test run has run the original: as a rule the design's
        // statement failed, but a caller's own rebuild may have had none, and
        // a row after the first may fail the original too.
        try {
            ReadRows(connection, statement);
        } catch (const EDatabaseError& original) {
            check.Outcome = TCheckOutcome::Refused;
            check.Reason = FirstLine(original.Message());
            return check;
        }
        return lost(QStringLiteral("生成的语句无法运行：") + FirstLine(e.Message()));
    }
    if (!check.Rows.Same && shown.isEmpty()) {
        // Rows that change with the time or by chance differ between any
        // two runs: the original's calls, or the original against itself,
        // tell.
        QString again;
        if (ChangesBetweenRuns(statement, connection->Dialect().Readings().front())) {
            again = QStringLiteral("它调用随时间或随机变化的函数");
        } else {
            try {
                again = CompareRows(connection, statement, statement).Difference;
            } catch (const EDatabaseError&) {
                // judged on the first comparison
            }
        }
        if (!again.isEmpty()) {
            check.Outcome = TCheckOutcome::Unsettled;
            check.Reason = QStringLiteral("原语句每次运行返回的行可能不同（%1）").arg(again);
            return check;
        }
        // Columns whose values the database takes from any row of a group
        // may change with the way it joins; the rest must agree.
        const TArbitraryColumns arbitrary = ArbitraryColumns(forged.Design);
        if (arbitrary.HavingBare) {
            check.Outcome = TCheckOutcome::Unsettled;
            check.Reason = QStringLiteral("原语句HAVING中的列既不分组也不在聚合函数中，其值取自组内"
                                          "任意一行，由数据库决定哪些组留下");
            return check;
        }
        if (!arbitrary.Bare.isEmpty() || !arbitrary.Tied.isEmpty() ||
            !arbitrary.Ordered.isEmpty()) {
            bool same = false;
            try {
                same = SameWithout(connection, statement, check.Regenerated,
                                   arbitrary.Bare + arbitrary.Tied + arbitrary.Ordered);
            } catch (const EDatabaseError&) {
                // judged on the first comparison
            }
            if (same) {
                const auto numbers = [](const QList<int>& list) {
                    QStringList out;
                    for (const int c : list)
                        out << QString::number(c + 1);
                    return out.join(QStringLiteral("、"));
                };
                QStringList reasons;
                if (!arbitrary.Bare.isEmpty())
                    reasons << QStringLiteral("原语句第%1列既不分组也不在聚合函数中，"
                                              "其值取自组内任意一行，由数据库决定")
                                   .arg(numbers(arbitrary.Bare));
                if (!arbitrary.Tied.isEmpty())
                    reasons << QStringLiteral("原语句第%1列的窗口函数在排序相同的行之间"
                                              "取值不定，由数据库决定")
                                   .arg(numbers(arbitrary.Tied));
                if (!arbitrary.Ordered.isEmpty())
                    reasons << QStringLiteral("原语句第%1列的聚合函数按行的先后连接各值，"
                                              "没有指定顺序，由数据库决定")
                                   .arg(numbers(arbitrary.Ordered));
                check.Outcome = TCheckOutcome::Unsettled;
                check.Reason = reasons.join(QStringLiteral("；"));
                return check;
            }
        }
    }
    if (!check.Rows.Same) return lost(check.Rows.Difference);
    check.Outcome = TCheckOutcome::SameRows;
    return check;
}

QString OutcomeName(TCheckOutcome outcome) {
    switch (outcome) {
    case TCheckOutcome::SameRows:
        return QStringLiteral("行相同");
    case TCheckOutcome::DifferentRows:
        return QStringLiteral("行不同");
    case TCheckOutcome::NotCarried:
        return QStringLiteral("未能承载");
    case TCheckOutcome::Refused:
        return QStringLiteral("拒绝");
    case TCheckOutcome::Unsettled:
        return QStringLiteral("结果不定");
    }
    return {};
}

QString CheckLine(const TStatementCheck& check) {
    QString line = OutcomeName(check.Outcome);
    if (check.Outcome != TCheckOutcome::SameRows && !check.Reason.isEmpty())
        line += QStringLiteral("：") + FirstLine(check.Reason);
    return line;
}

} // namespace quillary
