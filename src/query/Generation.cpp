#include "query/Generation.h"
#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "query/DocumentNames.h"
#include "query/JoinClause.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/ScanCore.h"
#include "sqltext/SqlDialect.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace quillary {

namespace {

const QString kLineBreak = QString::fromLatin1(kCrLf);

TSqlResult Refusal(const char* text, int page = -1) {
    return {QString(), QString::fromUtf8(text), QString::fromUtf8(kHintCaption), page};
}

QString QualifiedField(const QueryDesign& design, int box, const QString& field) {
    return Designation(design, design.Boxes[box], field);
}

// `text` without the single box's prefix `prefix` ("t."): only where it
// stands for that box. Inside a sub-select "t." may be the outer box's (a
// correlated reference) and inside quotes it is text, so there it stays; so
// it does after a letter ("xt." is another name) and after a dot ("s.t."
// names the box's table in a schema: the whole name stays).
QString WithoutOwnPrefix(const QString& text, const QString& prefix,
                         const QSet<QString>& aliases = {}) {
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    const auto isWordChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    const auto quoteEnd = [&](qsizetype at) {
        const QChar close = text[at] == QLatin1Char('[') ? QLatin1Char(']') : text[at];
        for (qsizetype j = at + 1; j < n; ++j) {
            if (text[j] != close) continue;
            if (j + 1 < n && text[j + 1] == close && close != QLatin1Char(']')) {
                ++j;
                continue;
            }
            return j + 1;
        }
        return n;
    };
    while (i < n) {
        const QChar c = text[i];
        if (QStringView(text).mid(i).startsWith(prefix) &&
            (i == 0 || (!isWordChar(text[i - 1]) && text[i - 1] != QLatin1Char('.')))) {
            // A name that is also an alias keeps its prefix: bare, some
            // databases read the alias (in OVER, GROUP BY, HAVING).
            qsizetype end = i + prefix.size();
            while (end < n && isWordChar(text[end]))
                ++end;
            if (!aliases.contains(text.mid(i + prefix.size(), end - i - prefix.size()).toLower())) {
                i += prefix.size();
                continue;
            }
            out += QStringView(text).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
            c == QLatin1Char('[')) {
            const qsizetype end = quoteEnd(i);
            out += QStringView(text).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char('(')) {
            qsizetype j = i + 1;
            while (j < n && text[j].isSpace())
                ++j;
            if (QStringView(text).mid(j, 6).compare(QLatin1String("select"), Qt::CaseInsensitive) ==
                    0 &&
                (j + 6 >= n || !isWordChar(text[j + 6]))) {
                // The sub-select up to its closing bracket, as it stands.
                int depth = 0;
                for (j = i; j < n; ++j) {
                    const QChar d = text[j];
                    if (d == QLatin1Char('\'') || d == QLatin1Char('"') || d == QLatin1Char('`') ||
                        d == QLatin1Char('[')) {
                        j = quoteEnd(j) - 1;
                    } else if (d == QLatin1Char('(')) {
                        ++depth;
                    } else if (d == QLatin1Char(')') && --depth == 0) {
                        break;
                    }
                }
                const qsizetype end = std::min(j + 1, n);
                out += QStringView(text).mid(i, end - i);
                i = end;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

// A link's further condition as a WHERE condition, followed by " and ".
QString FurtherCondition(const TDesignLink& link) {
    return link.Condition.trimmed().isEmpty() ? QString()
                                              : link.Condition + QLatin1String(" and ");
}

void DropLastComma(QString& s) {
    if (s.endsWith(QLatin1Char(','))) s.chop(1);
}

// The row limit as the data source writes it at the head of the select list.
QString TopClause(const QueryDesign& design, int kind) {
    const QString limit = TrimCell(design.RowLimit);
    if (TSqlDialect(kind).RowLimitStyle() != TRowLimitStyle::Top || limit.isEmpty()) return {};
    return QLatin1String("top ") + limit + QLatin1Char(' ');
}

// ... or as the last line of the statement.
QString LimitLine(const QueryDesign& design, int kind) {
    const QString limit = TrimCell(design.RowLimit);
    if (TSqlDialect(kind).RowLimitStyle() != TRowLimitStyle::Limit || limit.isEmpty()) return {};
    QString line = QLatin1String("limit ") + limit;
    const QString offset = TrimCell(design.RowOffset);
    if (!offset.isEmpty()) line += QLatin1String(" offset ") + offset;
    return line;
}

// A decimal number as the platform's float conversion reads it.
bool IsNumber(const QString& s) {
    const QString t = TrimCell(s);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    qsizetype digits = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i, ++digits;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
        qsizetype exponent = 0;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
            ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == t.size();
}

// The select list, wrapped so that no line grows much beyond 55 characters.
// Returns false when no column was written.
bool WriteSelectList(const QueryDesign& design, int kind, QString& select,
                     QStringList& displayColumns) {
    qsizetype lineLength = select.size();
    const bool blankAlias = TSqlDialect(kind).AliasAfterBlank();
    const QLatin1StringView before = blankAlias ? QLatin1StringView(" ") : QLatin1StringView(" as ");
    for (const QStringList& row : design.DisplayRows) {
        const QStringView column = row.size() > 1 ? TrimmedCell(row.at(1)) : QStringView();
        if (column.isEmpty()) break;
        displayColumns << (column.size() == row.at(1).size() ? row.at(1) : column.toString());
        const QStringView alias = row.size() > 2 ? TrimmedCell(row.at(2)) : QStringView();
        // The item is written straight into the list: "column[ as alias],".
        const qsizetype itemSize =
            column.size() + (alias.isEmpty() ? 0 : before.size() + alias.size()) + 1;
        if (lineLength > 50 || lineLength + itemSize > 55) {
            select += kLineBreak;
            lineLength = 0;
        }
        select += column;
        if (!alias.isEmpty()) {
            select += before;
            select += alias;
        }
        select += QLatin1Char(',');
        lineLength += itemSize;
    }
    DropLastComma(select);
    return !displayColumns.isEmpty();
}

// Joins written as WHERE conditions, outer joins with the data source's
// marks.
void WriteOldStyleJoins(const QueryDesign& design, int kind, QString& where) {
    const bool star = TSqlDialect(kind).OuterJoinMark() == TOuterJoinMark::Star;
    static const char* const sybase[] = {"=", "*=", "=*", "*=*"};
    for (const TDesignLink& link : design.Links) {
        if (link.JoinType < 0 || !HasBoxes(design, link)) continue;
        const QString first = QualifiedField(design, link.Table1, link.Field1);
        const QString second = QualifiedField(design, link.Table2, link.Field2);
        if (star) {
            // The longer spellings join as their short forms do.
            where +=
                first + QLatin1String(sybase[link.JoinType % 4]) + second + QLatin1String(" and ");
            if (link.JoinType % 4 == 0) where += FurtherCondition(link);
        } else if (link.JoinType == 0) {
            where += first + QLatin1Char('=') + second + QLatin1String(" and ") +
                     FurtherCondition(link);
        } else if (link.JoinType == 1) {
            where += first + QLatin1Char('=') + second + QLatin1String("(+) and ");
        } else if (link.JoinType == 2) {
            where += first + QLatin1String("(+)=") + second + QLatin1String(" and ");
        }
    }
}

// The FROM clause as a comma list of every box.
void WriteTableList(const QueryDesign& design, QString& join) {
    for (qsizetype i = 0; i < design.Boxes.size(); ++i) {
        const TDesignBox& box = design.Boxes[i];
        join += i == 0 ? QStringLiteral(" from ") : QStringLiteral(",");
        if (box.Kind == 'Q') {
            join += QLatin1String(" (") + box.SourceText + QLatin1String(") ") + box.TableName;
        } else {
            join += box.TableName;
            if (!box.Alias.isEmpty()) join += QLatin1Char(' ') + box.Alias;
        }
    }
}

// The boxes that no link touches, after the join text.
void WriteUnlinkedBoxes(const QueryDesign& design, QString& join) {
    QList<bool> linked(design.Boxes.size(), false);
    for (const TDesignLink& link : design.Links) {
        if (!HasBoxes(design, link)) continue;
        linked[link.Table1] = true;
        linked[link.Table2] = true;
    }
    // Those a link's condition names stand in the join text already.
    const QHash<int, QList<int>> crossed = CrossJoinedBoxes(design);
    for (const QList<int>& boxes : crossed)
        for (const int b : boxes)
            linked[b] = true;
    for (qsizetype i = 0; i < design.Boxes.size(); ++i) {
        if (linked[i]) continue;
        const TDesignBox& box = design.Boxes[i];
        join += QLatin1Char(',');
        if (box.Kind == 'Q') join += QLatin1Char('(') + box.SourceText + QLatin1String(") ");
        join += box.TableName;
        if (!box.Alias.isEmpty()) join += QLatin1Char(' ') + box.Alias;
    }
}

// The predicates of the complete rows from row 1, each followed by a blank.
void AppendConditions(const QList<QStringList>& rows, QString& text) {
    for (int row = 1; row <= rows.size() && IsValidExpression(rows, row) == 0; ++row) {
        AppendExpression(rows, row, text);
        text += QLatin1Char(' ');
    }
}

// Whether the written condition rows join by an OR outside brackets.
bool OrOutsideBrackets(const QList<QStringList>& rows) {
    const auto isOr = [](const QStringList& row) {
        return row.size() > 3 &&
               TrimmedCell(row[3]).compare(QLatin1String("or"), Qt::CaseInsensitive) == 0;
    };
    if (std::none_of(rows.begin(), rows.end(), isOr)) return false;
    scan::BracketWalk walk;
    for (int row = 1; row <= rows.size() && IsValidExpression(rows, row) == 0; ++row) {
        walk.Quote = 0; // a quote ends with its row
        for (int col = 0; col < 3; ++col)
            for (const QChar c : GridCellText(rows, row, col))
                walk.Step(c.unicode());
        if (walk.Depth <= 0 && TrimmedCell(GridCellText(rows, row, 3))
                                       .compare(QLatin1String("or"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Link conditions followed by no complete row leave a connector behind.
void DropDanglingConnector(QString& where) {
    for (const QLatin1String connector : {QLatin1String(" and"), QLatin1String(" or")})
        if (where.endsWith(connector)) {
            where.chop(connector.size());
            return;
        }
}

// A string (double quotes hold strings in MySQL), a number or a truth value
// written as such, also in brackets (a number there is a position too), or
// a window function (which written again may number the rows tied in its
// window otherwise): sorted by their position.
bool IsConstant(const QString& written, const TSqlDialect& dialect) {
    static const QRegularExpression window(QStringLiteral("\\)\\s*over\\s*\\("),
                                           QRegularExpression::CaseInsensitiveOption);
    if (written.contains(QLatin1String("over"), Qt::CaseInsensitive) &&
        window.match(written).hasMatch())
        return true;
    static const QRegularExpression number(
        QStringLiteral("^[+-]?\\s*(0[xX][0-9a-fA-F]+|(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)$"));
    const QString column = TrimSQLElement(written).trimmed();
    if (number.match(column).hasMatch()) return true;
    for (const QChar quote : {QLatin1Char('\''), QLatin1Char('"')})
        if (column.size() >= 2 && column.startsWith(quote) && column.endsWith(quote) &&
            (quote == QLatin1Char('\'') || !dialect.ReadsQuote(quote)))
            return true;
    for (const char* word : {"true", "false", "null"})
        if (column.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return true;
    // A string with a prefix of its own: E'…', U&'…', B'…', X'…', N'…',
    // _utf8mb4'…'.
    static const QRegularExpression prefixed(
        QStringLiteral("^(?:[eEbBxXnN]|[uU]&|_\\w+)'(?:[^']|'')*'(?:\\s+uescape\\s+'.')?$"),
        QRegularExpression::CaseInsensitiveOption);
    return column.endsWith(QLatin1Char('\'')) && prefixed.match(column).hasMatch();
}

// Whether `text` begins with the word `word` (any case).
bool StartsWord(QStringView text, QStringView word) {
    return text.startsWith(word, Qt::CaseInsensitive) &&
           (text.size() == word.size() ||
            !(text[word.size()].isLetterOrNumber() || text[word.size()] == QLatin1Char('_')));
}

// The name PostgreSQL gives the result column of words [from, to) of
// `text`: a column's own name, also through brackets, casts and a CASE's
// ELSE; empty where it gives one of its own words (or the reading goes
// deeper than any name worth finding).
QString PostgresName(QStringView text, const QList<TSqlWord>& w, qsizetype from, qsizetype to) {
    const auto word = [&](qsizetype i, const char* k) {
        return i >= from && i < to && w[i].Kind == TSqlWord::Word &&
               text.sliced(w[i].Start, w[i].End - w[i].Start)
                       .compare(QLatin1String(k), Qt::CaseInsensitive) == 0;
    };
    const auto symbol = [&](qsizetype i, QStringView s) {
        return i >= from && i < to && w[i].Kind == TSqlWord::Symbol &&
               text.sliced(w[i].Start, w[i].End - w[i].Start) == s;
    };
    // Each step reads on in a part of the words: the name is that part's.
    for (int step = 0; step < 64 && from < to; ++step) {
        const int depth = w[from].Depth; // a bracket counts itself out
        const auto top = [&](qsizetype i) {
            return w[i].Depth == depth && w[i].Kind != TSqlWord::Open &&
                   w[i].Kind != TSqlWord::Close;
        };
        // "(x)", "cast(x as t)"
        const bool castCall =
            word(from, "cast") && from + 1 < to && w[from + 1].Kind == TSqlWord::Open;
        const qsizetype open = castCall ? from + 1 : from;
        if (w[open].Kind == TSqlWord::Open && w[to - 1].Kind == TSqlWord::Close) {
            qsizetype close = open + 1;
            while (close < to &&
                   !(w[close].Kind == TSqlWord::Close && w[close].Depth == w[open].Depth))
                ++close;
            if (close == to - 1) {
                qsizetype as = close - 1;
                while (castCall && as > open &&
                       !(w[as].Depth == w[open].Depth + 1 && word(as, "as")))
                    --as;
                if (castCall && as == open) return {};
                from = open + 1;
                to = castCall ? as : close;
                continue;
            }
        }
        // "x::t": the name of x
        qsizetype cast = to - 1;
        while (cast > from && !(top(cast) && (symbol(cast, u"::") ||
                                              (symbol(cast, u":") && symbol(cast - 1, u":")))))
            --cast;
        if (cast > from) {
            to = symbol(cast, u"::") ? cast : cast - 1;
            continue;
        }
        // "case … else x end": the name of x
        if (word(from, "case") && word(to - 1, "end")) {
            int nested = 0;
            qsizetype otherwise = -1;
            for (qsizetype i = from + 1; i < to - 1 && otherwise < 0; ++i) {
                if (!top(i)) continue;
                if (word(i, "case")) ++nested;
                if (word(i, "end")) --nested;
                if (nested == 0 && word(i, "else")) otherwise = i;
            }
            if (otherwise < 0) return {};
            from = otherwise + 1;
            to = to - 1;
            continue;
        }
        // "t.x", "x": the last name
        for (qsizetype i = from; i < to; ++i) {
            const bool name = w[i].Kind == TSqlWord::Word || w[i].Kind == TSqlWord::Name;
            if ((i - from) % 2 == 0 ? !name : !symbol(i, u".")) return {};
        }
        if ((to - from) % 2 == 0) return {};
        return ColumnFromDocument(
            text.sliced(w[to - 1].Start, w[to - 1].End - w[to - 1].Start).toString());
    }
    return {};
}

// Whether result column `display` is named `word` by the data source.
bool NamedSo(const QueryDesign& design, const QString& display, const QString& word) {
    if (display.section(QLatin1Char('.'), -1).compare(word, Qt::CaseInsensitive) == 0) return true;
    // PostgreSQL also names a cast or a CASE after the column it gives.
    if (design.Dialect != TSqlDialect::Postgres() || !display.contains(word, Qt::CaseInsensitive))
        return false;
    const QList<TSqlWord> w = SqlWords(display, design.Dialect.Readings().front());
    return PostgresName(display, w, 0, w.size())
               .compare(ColumnFromDocument(word), Qt::CaseInsensitive) == 0;
}

// An ORDER BY name that names a result column reads as that column: a
// column of the box written bare (the single box's prefix left out) must not
// be the alias of another result column.
bool TakenByAlias(const QueryDesign& design, const QStringList& displayColumns,
                  const QString& writtenText, const QString& column) {
    // A name in brackets is read as the name ("order by (dept)").
    const QString written = TrimSQLElement(writtenText).trimmed();
    // A name that lost its prefix is a word of its own in what is written
    // ("name nulls last"): that word must be no alias, nor the name of two
    // result columns.
    const bool bare = IsNameToken(written);
    if (!bare && written == column) return false;
    if (written != column) {
        const QString word = written.section(QLatin1Char(' '), 0, 0);
        int named = 0;
        for (const QString& display : displayColumns)
            named += NamedSo(design, display, word);
        if (named > 1) return true;
    }
    const QString name = bare ? ColumnFromDocument(written) : QString();
    for (qsizetype k = 0; k < displayColumns.size(); ++k) {
        const QStringView alias = TrimmedCell(design.DisplayRows[k].value(2));
        if (alias.isEmpty()) continue;
        const bool quoted = !alias.first().isLetterOrNumber() && alias.first() != QLatin1Char('_');
        const QString unquoted = quoted ? ColumnFromDocument(alias.toString()) : QString();
        const QStringView aliasName = quoted ? QStringView(unquoted) : alias;
        if (bare ? aliasName.compare(name, Qt::CaseInsensitive) == 0 &&
                       TFoldedKey(displayColumns[k]) != TFoldedKey(column)
                 : StartsWord(written, aliasName))
            return true;
    }
    return false;
}

// `ownPrefix`: the single box's prefix, left out where it stands for it.
QString OrderByText(const QueryDesign& design, const QStringList& displayColumns,
                    const QString& ownPrefix) {
    const QString marker = DescendingMarker();
    const QString computed = ComputedMarker();
    // Made when a column is first to be written as its position.
    QHash<TFoldedKey, qsizetype> position;
    const auto positionOf = [&](const QString& column) {
        if (position.isEmpty())
            for (qsizetype p = displayColumns.size() - 1; p >= 0; --p)
                position.insert(TFoldedKey(displayColumns[p]), p);
        return position.value(TFoldedKey(column), -1);
    };
    QString order = QStringLiteral("order by ");
    bool any = false;
    for (const TCheckedItem& item : design.OrderColumn) {
        QString column = item.Text;
        if (column.startsWith(marker)) column.remove(0, marker.size());
        if (column.startsWith(computed)) column.remove(0, computed.size());
        // A constant sorts nothing (or is refused): its position does.
        const bool constant = IsConstant(column, design.Dialect);
        if (!design.UnionSets.isEmpty() || IsNumber(column) ||
            (constant && positionOf(column) >= 0)) {
            const qsizetype p = positionOf(column);
            if (p >= 0) column = QString::number(p + 1);
        } else {
            const QString written =
                ownPrefix.isEmpty() ? column : WithoutOwnPrefix(column, ownPrefix);
            if (!TakenByAlias(design, displayColumns, written, column))
                column = written;
            else if (const qsizetype p = positionOf(column); p >= 0)
                column = QString::number(p + 1);
        }
        order += column + (item.Checked ? QStringLiteral(" desc,") : QStringLiteral(","));
        any = true;
    }
    if (!any) return {};
    DropLastComma(order);
    return order;
}

QString GroupByText(const QueryDesign& design) {
    if (design.GroupColumn.isEmpty()) return {};
    return QStringLiteral("group by ") + design.GroupColumn.join(QLatin1Char(','));
}

// The union sets after the statement so far, each between its brackets and
// after the set operator of the row before it.
void AppendUnionParts(const QueryDesign& design, QString& sql) {
    const QList<QStringList>& rows = design.UnionRows;
    for (int k = 1; k <= design.UnionSets.size(); ++k) {
        const QString& part = design.UnionSets[k - 1].SQL;
        if (TrimCell(part).isEmpty()) continue;
        if (k == 1) sql = GridCell(rows, 1, 0) + sql + GridCell(rows, 1, 2);
        sql += kLineBreak + GridCell(rows, k, 3) + kLineBreak + GridCell(rows, k + 1, 0) + part +
               GridCell(rows, k + 1, 2);
    }
}

// The statement of a design whose display rows follow its ticks.
TSqlResult Statement(const QueryDesign& design, int kind, const TConfirm& confirm) {
    const QString singleTable = design.Boxes.size() == 1 ? design.Boxes[0].TableName : QString();
    QString select = QStringLiteral("select ");
    if (design.Distinct) select += QLatin1String("distinct ");
    select += TopClause(design, kind);

    switch (IsValidDisplayCol(design, kind)) {
    case -1:
        return Refusal("别名不符合命名规范", kDisplayPage);
    case -2:
        return Refusal("别名重复", kDisplayPage);
    default:
        break;
    }
    QStringList displayColumns;
    if (!WriteSelectList(design, kind, select, displayColumns)) return {};

    QString where = QStringLiteral(" where ");
    QString join;
    bool joined = false;
    if (!TSqlDialect(kind).JoinsInWhere()) {
        const QString clause = GetJoinClause(design);
        if (clause == QLatin1String("-1")) return Refusal("链接有闭路！");
        if (clause == QLatin1String("-2"))
            return Refusal("至少有两个以上的链接星形网络之间没有关联");
        if (clause == QLatin1String("0")) {
            for (const TDesignLink& link : design.Links)
                if (HasBoxes(design, link))
                    where += QualifiedField(design, link.Table1, link.Field1) + QLatin1Char('=') +
                             QualifiedField(design, link.Table2, link.Field2) +
                             QLatin1String(" and ") + FurtherCondition(link);
        } else if (!clause.isEmpty()) {
            join = QStringLiteral(" from ") + TrimCell(clause);
            joined = true;
        }
    } else {
        const QString clause = GetJoinClause(design);
        if (clause == QLatin1String("-1") &&
            !Ask(confirm, QStringLiteral("链接有闭路！是否继续？")))
            return {};
        if (clause == QLatin1String("-2") &&
            !Ask(confirm, QStringLiteral("至少有两个以上的链接星形网络之间没有关联！是否继续？")))
            return {};
        WriteOldStyleJoins(design, kind, where);
    }
    if (joined)
        WriteUnlinkedBoxes(design, join);
    else
        WriteTableList(design, join);
    DropLastComma(join);
    if (TrimCell(join) == QLatin1String("from")) return {};

    if (TrimCell(where) == QLatin1String("where")) {
        AppendConditions(design.ConditionRows, where);
    } else {
        // Joins written before the rows join them by AND: rows with an OR
        // outside brackets go in brackets, or the OR would take the joins.
        QString rows;
        AppendConditions(design.ConditionRows, rows);
        rows = TrimCell(rows);
        DropDanglingConnector(rows);
        if (OrOutsideBrackets(design.ConditionRows))
            rows = QLatin1Char('(') + rows + QLatin1Char(')');
        where += rows;
    }
    if (TrimCell(where) == QLatin1String("where")) where.clear();
    where = TrimCell(where);
    DropDanglingConnector(where);

    QString groupBy = GroupByText(design);
    QString having = QStringLiteral("having ");
    AppendConditions(design.HavingRows, having);
    if (TrimCell(having) == QLatin1String("having")) having.clear();
    const QString ownPrefix = singleTable.isEmpty() ? QString() : singleTable + QLatin1Char('.');
    QString orderBy = OrderByText(design, displayColumns, ownPrefix);
    if (!ownPrefix.isEmpty()) {
        QSet<QString> aliases;
        for (const QStringList& row : design.DisplayRows)
            if (const QStringView alias = TrimmedCell(row.value(2)); !alias.isEmpty())
                aliases << ColumnFromDocument(alias.toString()).toLower();
        // Where an alias may be read for a bare name: GROUP BY, HAVING and a
        // window's OVER (in MySQL); WHERE and the select list read columns.
        const bool windows = select.contains(QLatin1String("over"), Qt::CaseInsensitive);
        select = WithoutOwnPrefix(select, ownPrefix, windows ? aliases : QSet<QString>());
        where = WithoutOwnPrefix(where, ownPrefix);
        groupBy = WithoutOwnPrefix(groupBy, ownPrefix, aliases);
        having = WithoutOwnPrefix(having, ownPrefix, aliases);
    }

    QString sql = TrimCell(select) + kLineBreak + TrimCell(join);
    for (const QString* text : {&where, &groupBy, &having})
        if (const QString t = TrimCell(*text); !t.isEmpty()) sql += kLineBreak + t;
    AppendUnionParts(design, sql);
    if (const QString t = TrimCell(orderBy); !t.isEmpty()) sql += kLineBreak + t;
    if (const QString limit = LimitLine(design, kind); !limit.isEmpty()) sql += kLineBreak + limit;
    return {sql, {}, {}, -1};
}

} // namespace

TSqlResult GetSQLOfFollowed(const QueryDesign& design, int kind, const TConfirm& confirm) {
    return Statement(design, kind, confirm);
}

TSqlResult GetSQL(const QueryDesign& design, int kind, const TConfirm& confirm) {
    if (IsMatch(design)) return Statement(design, kind, confirm);
    QueryDesign followed = design; // lists are shared until the display rows change
    TS_DisplayEnter(followed);
    return Statement(followed, kind, confirm);
}

} // namespace quillary
