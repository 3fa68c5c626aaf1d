#include "query/Rebuild.h"
#include "query/Carried.h"
#include "query/DesignTexts.h"
#include "query/DocumentNames.h"
#include "query/Links.h"
#include "query/TableBox.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/ScanCore.h"
#include "sqltext/SqlStatements.h"

#include <QHash>
#include <QRegularExpression>

#include <deque>
#include <optional>

namespace quillary {

namespace {

const QString kCaption = QString::fromUtf8(kHintCaption);

QString WithCrLf(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QString copy = text;
    return copy.replace(breaks, QString::fromLatin1(kCrLf));
}

// Quoted names as the text scanners can read them. The scanners know "..."
// and [...] only partly (a ' inside one opens a string for them) and `...`
// not at all, so the characters inside a quoted name other than letters,
// digits and "_" stand in for themselves as characters of a private range
// while the text is cut into its clauses; every piece is given back its own
// characters before it meets a name of the design or the database.
class TNameMask {
public:
    TNameMask(const QString& text, const TSqlDialect& dialect) : FDialect(dialect) {
        // A text that holds characters of the range already is left as it is.
        FOn = std::none_of(text.begin(), text.end(), [](QChar c) { return Private(c); });
    }

    QString Encode(const QString& text) const {
        if (!FOn) return text;
        QString out;
        out.reserve(text.size());
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n) {
            const QChar c = text[i];
            if (c == QLatin1Char('\'')) { // a string, as written
                const qsizetype end = StringEnd(text, i);
                out += QStringView(text).mid(i, end - i);
                i = end;
                continue;
            }
            const bool name = (c == QLatin1Char('"') || c == QLatin1Char('[') ||
                               c == QLatin1Char('`')) &&
                              FDialect.ReadsQuote(c);
            if (!name) {
                out += c;
                ++i;
                continue;
            }
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            out += c;
            for (++i; i < n; ++i) {
                const QChar d = text[i];
                if (d == close) {
                    if (i + 1 < n && text[i + 1] == close) {
                        out += QChar(char16_t(kDoubled + d.unicode())); // one of the name
                        ++i;
                        continue;
                    }
                    out += d;
                    ++i;
                    break;
                }
                const bool plain = d.unicode() >= 0x80 ? d.isLetterOrNumber() || d.isSurrogate()
                                                       : d.isLetterOrNumber() || d == QLatin1Char('_');
                out += plain ? d : Masked(d);
            }
        }
        return out;
    }

    QString Decode(const QString& text) const {
        if (!FOn) return text;
        QString out;
        out.reserve(text.size());
        for (const QChar c : text) {
            if (!Private(c)) {
                out += c;
                continue;
            }
            // A closing quote inside a name is written doubled.
            const bool doubled = c.unicode() >= kDoubled;
            const QChar original(char16_t(c.unicode() - (doubled ? kDoubled : kBase)));
            out += original;
            if (doubled) out += original;
        }
        return out;
    }
    void Decode(QStringList& texts) const {
        for (QString& t : texts)
            t = Decode(t);
    }

private:
    static constexpr char16_t kBase = 0xE000;
    static constexpr char16_t kDoubled = kBase + 0x80;
    static bool Private(QChar c) { return c.unicode() >= kBase && c.unicode() < kBase + 0x100; }
    static QChar Masked(QChar c) {
        return c.unicode() < 0x80 ? QChar(char16_t(kBase + c.unicode())) : c;
    }
    static qsizetype StringEnd(const QString& text, qsizetype open) {
        for (qsizetype i = open + 1; i < text.size(); ++i) {
            if (text[i] != QLatin1Char('\'')) continue;
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return text.size();
    }

    const TSqlDialect& FDialect;
    bool FOn = true;
};

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

// Takes a final "limit n [offset m]" off the text.
void CutLimit(QString& text, QString& limit, QString& offset) {
    static const QRegularExpression tail(
        QStringLiteral("^limit\\s+(\\d+)(?:\\s+offset\\s+(\\d+))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const qsizetype at = text.lastIndexOf(QLatin1String("limit"), -1, Qt::CaseInsensitive);
    if (at < 1 || !scan::IsBlank(text[at - 1].unicode())) return;
    const QRegularExpressionMatch m = tail.match(QStringView(text).mid(at));
    if (!m.hasMatch() || !AtTopLevel(text, at)) return;
    limit = m.captured(1);
    offset = m.captured(2);
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
    QList<QStringList> Where, Having; // 6 texts per condition
    QStringList Group, Order;
    bool Distinct = false;
    QString Limit;
};

QList<QStringList> Conditions(const QString& text, bool trim) {
    QStringList flat;
    AnalysisWhereClause(text, flat, {}, {}, {});
    QList<QStringList> rows;
    for (qsizetype i = 0; i + 6 <= flat.size(); i += 6) {
        QStringList row = flat.mid(i, 6);
        if (trim)
            for (QString& s : row)
                s = TrimCell(s);
        rows.append(row);
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

// Steps of the analysis that can refuse the text; false after a message.
// `tried` is the statement as the test run sends it to the database, `whole`
// the text it comes from, `readings` how the database reads quotes.
bool Analyse(const QString& whole, const QString& statement, const QString& tried,
             std::span<const TSqlReading> readings, const TDesignHooks& hooks, TStatement& st) {
    int pos = 0;
    QString keyword;
    const QString error = AnalysisSQLClause(statement, QStringLiteral("select"),
                                            {QStringLiteral("from")}, pos, keyword, st.Items, 1);
    if (!error.isEmpty()) return ShowMessage(hooks, error, kCaption), false;
    // Nothing reaches the database but one query that only reads.
    for (const QString& text : {whole, tried})
        if (const QString fault = SingleSelectFault(text, readings); !fault.isEmpty())
            return ShowMessage(hooks, fault, kCaption), false;
    if (!TestRun(hooks, tried)) return false;
    if (keyword.isEmpty()) return true; // a select list without FROM clause

    QStringList from;
    const QString fromError = AnalysisSQLClause(
        statement, QStringLiteral("from"),
        {QStringLiteral("where"), QStringLiteral("group by"), QStringLiteral("order by")}, pos,
        keyword, from, pos);
    if (!fromError.isEmpty()) return ShowMessage(hooks, fromError, kCaption), false;
    for (const QString& item : from)
        AnalysisFromClause(item, st.Joins, st.Tables);

    // The later clauses are left out quietly when they cannot be read.
    if (keyword == QLatin1String("where"))
        st.Where = Conditions(
            ConditionText(statement, pos + 6,
                          {QStringLiteral("group by"), QStringLiteral("order by")}, keyword, pos),
            true);
    // (The clause keyword is passed as a copy: the analysis clears its result first.)
    if (keyword == QLatin1String("group by"))
        AnalysisSQLClause(statement, QString(keyword),
                          {QStringLiteral("having"), QStringLiteral("order by")}, pos, keyword,
                          st.Group, pos);
    if (keyword == QLatin1String("having"))
        st.Having = Conditions(
            ConditionText(statement, pos + 6, {QStringLiteral("order by")}, keyword, pos), false);
    if (keyword == QLatin1String("order by"))
        AnalysisSQLClause(statement, QString(keyword), {}, pos, keyword, st.Order, pos);
    return true;
}

// Select items as names and aliases; DISTINCT and TOP n of the first item.
void ReadSelectItems(TStatement& st, int kind, const TNameMask& mask) {
    for (qsizetype i = 0; i < st.Items.size(); ++i) {
        QString item = TrimCell(st.Items[i]);
        if (i == 0) {
            int end = 0;
            if (IsBeginWith(QStringLiteral("distinct"), item, end, 1, true) > 0) {
                st.Distinct = true;
                item = item.mid(end - 1);
            }
            if (kind == dsSqlServer) CutTop(item, st.Limit);
        }
        QString name, alias;
        GetByName(TrimAroundDot(item), name, alias, kind);
        st.Items[i] = mask.Decode(name);
        st.Aliases << mask.Decode(alias);
        st.Kinds << QLatin1Char('0') + st.Aliases.last();
    }
}

class TRebuilder {
public:
    TRebuilder(QueryDesign& design, TStatement& st, int kind, const TDesignHooks& hooks,
               const TNameMask& mask)
        : FDesign(design), FSt(st), FKind(kind), FHooks(hooks), FMask(mask),
          FTaken(st.Items.size(), false) {
        for (qsizetype i = 0; i < st.Items.size(); ++i)
            FByText[st.Items[i].toLower()].push_back(i);
    }

    void Build() {
        PlaceTables();
        FillComputeAndDisplay();
        qsizetype row = 0;
        ReadJoins(row);
        ReadWhere(row);
        ReadGroups();
        FillHaving();
        ReadOrder();
    }

private:
    void PlaceTables() {
        int x = 10, y = 10;
        for (const QString& item : FSt.Tables) {
            QString name, alias;
            GetByName(TrimAroundDot(item), name, alias, FKind);
            TDesignBox box;
            QString stripped = TrimSQLElement(name);
            int end = 0;
            const bool select = IsBeginWith(QStringLiteral("select"), stripped, end, 1, true) > 0;
            name = FMask.Decode(name);
            alias = FMask.Decode(alias);
            stripped = FMask.Decode(stripped);
            // Names read back are names: looked up, or quoted, never spliced.
            if (select) {
                box.Kind = 'Q';
                if (!AliasFromDocument(alias, FDesign.Dialect, box.TableName)) continue;
                box.SourceText = stripped;
            } else {
                box.TableName = TableFromDocument(name, FDesign.Dialect, FHooks.Tables);
                if (!AliasFromDocument(alias, FDesign.Dialect, box.Alias)) continue;
            }
            box.Left = x;
            box.Top = y;
            if (!LoadBox(FHooks, box)) continue;
            const int index = ActivateBox(FDesign, box);
            TickSelected(index);
            const TDesignBox& placed = FDesign.Boxes[index];
            if (x + 150 > 500) y = (placed.Top + placed.Height + 10) % 400;
            x = (placed.Left + placed.Width + 10) % 500;
            if (x < 160) x = 10;
        }
    }

    // Ticks the fields that select items name, the earliest item first.
    void TickSelected(int index) {
        TDesignBox& box = FDesign.Boxes[index];
        const QString name = box.GetTableName();
        for (qsizetype f = 0; f < box.Fields.size(); ++f) {
            const QString field = box.Fields[f].Name;
            const QString column = ColumnText(FDesign, field);
            const QString qualified = name + QLatin1Char('.') + column;
            std::deque<qsizetype>* best = nullptr;
            // The item as the designer writes it, or with the bare name.
            for (const QString& key : {qualified.toLower(), column.toLower(),
                                       (name + QLatin1Char('.') + field).toLower(),
                                       field.toLower()}) {
                const auto it = FByText.find(key);
                if (it != FByText.end() && !it->empty() && (!best || it->front() < best->front()))
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
        for (qsizetype j = 0; j < remaining.size(); ++j) {
            const QString& item = FSt.Items[remaining[j]];
            if (item == QLatin1String("*")) continue;
            SetGridCell(FDesign.ComputeRows, int(j + 1), 0, item, kComputeWidth);
            SetGridCell(FDesign.ComputeRows, int(j + 1), 1, FSt.Aliases[remaining[j]],
                        kComputeWidth);
            FDesign.OrderList << computed + item;
        }
        FDesign.DisplayRows.clear();
        EnsureGridRows(FDesign.DisplayRows, int(qMax<qsizetype>(FSt.Items.size(), 1)),
                       kDisplayWidth);
        for (qsizetype k = 0; k < FSt.Items.size(); ++k)
            if (FSt.Items[k] != QLatin1String("*"))
                FDesign.DisplayRows[k] = {FSt.Kinds[k].left(1), FSt.Items[k], FSt.Aliases[k],
                                          QString()};
    }

    // The boxes' fields, looked up by every join term and WHERE row: the
    // boxes are all placed before the first.
    const TFieldIndex& Fields() {
        if (!FFields) FFields.emplace(FDesign);
        return *FFields;
    }

    void AddCondition(qsizetype& row, const QStringList& cells) {
        ++row;
        for (int c = 0; c < kConditionWidth; ++c)
            SetGridCell(FDesign.ConditionRows, int(row), c, cells[c], kConditionWidth);
    }

    void ReadJoins(qsizetype& row) {
        for (const QString& join : FSt.Joins) {
            if (join.isEmpty()) continue;
            const int type = join[0].digitValue() - 1;
            const QString term = join.mid(1);
            const qsizetype eq = term.indexOf(QLatin1Char('='));
            const QString left = FMask.Decode(TrimSQLElement(eq < 0 ? term : term.left(eq)));
            const QString right =
                eq < 0 ? QString() : FMask.Decode(TrimSQLElement(term.mid(eq + 1)));
            const QStringList condition{QString(), left,      QStringLiteral("="),
                                        right,     QString(), QString()};
            if (IsLinkList(FDesign, condition, FKind, type, FHooks, &Fields()) >= 0) continue;
            AddCondition(row, {left, QStringLiteral("="), right, QStringLiteral("and")});
        }
    }

    void ReadWhere(qsizetype& row) {
        EnsureGridRows(FDesign.ConditionRows, int(row + FSt.Where.size()), kConditionWidth);
        for (qsizetype i = 0; i < FSt.Where.size(); ++i) {
            QStringList c = FSt.Where[i];
            if (i + 1 < FSt.Where.size() && JoinBetween(c, FSt.Where[i + 1])) ++i;
            FMask.Decode(c);
            if (IsLinkList(FDesign, c, FKind, -1, FHooks, &Fields()) >= 0) continue;
            AddCondition(row, {c[0] + c[1], c[2], c[3] + c[4], c[5]});
        }
    }

    // "x between a and b" comes out of the analysis as two rows without an
    // operator, cut at its "and": one row again, the operator "between".
    static bool JoinBetween(QStringList& c, const QStringList& next) {
        static const QRegularExpression between(
            QStringLiteral("^(.*\\S)\\s+((?:not\\s+)?between)\\s+(\\S.*)$"),
            QRegularExpression::CaseInsensitiveOption |
                QRegularExpression::DotMatchesEverythingOption);
        const auto bare = [](const QStringList& row) {
            return row[2].trimmed().isEmpty() && row[3].trimmed().isEmpty();
        };
        if (!bare(c) || !bare(next) || next[1].trimmed().isEmpty() ||
            c[5].trimmed().compare(QLatin1String("and"), Qt::CaseInsensitive) != 0)
            return false;
        const QRegularExpressionMatch m = between.match(c[1]);
        if (!m.hasMatch()) return false;
        c = {c[0],          m.captured(1),
             m.captured(2), m.captured(3) + QLatin1String(" and ") + next[1],
             next[4],       next[5]};
        return true;
    }

    void ReadGroups() {
        for (const QStringList& row : FDesign.ComputeRows) {
            const QString e = TrimCell(row.value(0));
            if (e.isEmpty()) break;
            FDesign.GroupList << e;
        }
        for (const QString& encoded : FSt.Group) {
            const QString g = FMask.Decode(encoded);
            qsizetype at = IndexOfText(FDesign.GroupList, g);
            for (qsizetype i = 0; at < 0 && i < FDesign.GroupList.size(); ++i)
                if (FDesign.GroupList[i].endsWith(QLatin1Char('.') + g, Qt::CaseInsensitive))
                    at = i;
            FDesign.GroupColumn << (at < 0 ? g : FDesign.GroupList.takeAt(at));
        }
    }

    void FillHaving() {
        EnsureGridRows(FDesign.HavingRows, int(FSt.Having.size()), kConditionWidth);
        for (qsizetype r = 0; r < FSt.Having.size(); ++r) {
            QStringList c = FSt.Having[r];
            FMask.Decode(c);
            FDesign.HavingRows[r] = {c[0] + c[1], c[2], c[3] + c[4], c[5]};
        }
    }

    // A trailing word "desc" or "asc" of an order item.
    static bool CutDirection(QString& item, const QString& word) {
        const int at = FindKeyWord(item, word, 1);
        if (at <= 0 || at + word.size() - 1 != item.size()) return false;
        item = TrimSQLElement(item.left(at - 2));
        return true;
    }

    void ReadOrder() {
        const QString marker = DescendingMarker();
        const QString computed = ComputedMarker();
        static const QRegularExpression number(QStringLiteral("^\\d+$"));
        for (QString o : FSt.Order) {
            const bool descending = CutDirection(o, QStringLiteral("desc"));
            if (!descending) CutDirection(o, QStringLiteral("asc"));
            o = FMask.Decode(o);
            if (number.match(o).hasMatch()) {
                bool ok = false;
                const qsizetype n = o.toLongLong(&ok);
                if (!ok || n < 1 || n > FDesign.DisplayRows.size()) continue;
                const QString text = FDesign.DisplayRows[n - 1].value(1);
                FDesign.OrderColumn.append({marker + text, descending});
                RemoveText(FDesign.OrderList, text);
                continue;
            }
            qsizetype at = IndexOfText(FDesign.OrderList, o);
            for (qsizetype i = 0; at < 0 && i < FDesign.OrderList.size(); ++i)
                if (FDesign.OrderList[i].endsWith(QLatin1Char('.') + o, Qt::CaseInsensitive))
                    at = i;
            if (at >= 0) {
                FDesign.OrderColumn.append({marker + FDesign.OrderList.takeAt(at), descending});
            } else if (RemoveText(FDesign.OrderList, computed + o)) {
                FDesign.OrderColumn.append({marker + computed + o, descending});
            } else {
                FDesign.OrderColumn.append({marker + o, descending});
            }
        }
    }

    QueryDesign& FDesign;
    TStatement& FSt;
    const int FKind;
    const TDesignHooks& FHooks;
    const TNameMask& FMask;
    QList<bool> FTaken;
    QHash<QString, std::deque<qsizetype>> FByText; // lower-case item -> items not yet taken
    std::optional<TFieldIndex> FFields;
};

void AddUnionSets(QueryDesign& design, const QStringList& parts) {
    design.UnionRows.clear();
    for (qsizetype k = 0; k + 4 <= parts.size(); k += 4) {
        design.UnionRows.append({parts[k], UnionRowName(k / 4), parts[k + 2], parts[k + 3]});
        if (k > 0) design.UnionSets.append({parts[k + 1], {}});
    }
}

} // namespace

TForgeResult Forge(const QString& sql, int kind, const QueryDesign& current,
                   const TDesignHooks& hooks) {
    TForgeResult result;
    result.Design = current;
    const TNameMask mask(sql, current.Dialect);
    QString text = TrimSQLElement(mask.Encode(sql));
    if (TrimCell(text).isEmpty()) {
        result.Ok = true;
        return result;
    }
    text = WithCrLf(text);
    QString limit, offset;
    if (kind == dsOther) CutLimit(text, limit, offset);
    QStringList parts;
    if (ParenthesesBalance(text)) AnalysisUnionClause(text, parts, {}, {}, {});
    if (parts.size() < 4) {
        ShowMessage(hooks, QStringLiteral("括号不匹配！"), kCaption);
        return result;
    }
    TStatement st;
    const QString statement = TrimExp(parts[1]);
    // A single statement is tried with its row limit, as it will run.
    QString tried = statement;
    if (!limit.isEmpty() && parts.size() == 4) {
        tried += QLatin1String(" limit ") + limit;
        if (!offset.isEmpty()) tried += QLatin1String(" offset ") + offset;
    }
    if (!Analyse(sql, statement, mask.Decode(tried), current.Dialect.Readings(), hooks, st))
        return result;
    ReadSelectItems(st, kind, mask);

    QueryDesign& design = result.Design;
    Init(design);
    design.Distinct = st.Distinct;
    design.RowLimit = kind == dsOther ? limit : st.Limit;
    design.RowOffset = kind == dsOther ? offset : QString();
    TRebuilder(design, st, kind, hooks, mask).Build();
    mask.Decode(parts);
    AddUnionSets(design, parts);
    result.Ok = true;
    result.Rebuilt = true;
    result.Sql = GetSQL(design, kind, hooks.Confirm);
    // A design that does not carry the whole statement is applied only when
    // the user says so after being told what it lacks.
    result.NotCarried = NotCarried(sql, result.Sql.SQL, current.Dialect);
    if (!result.NotCarried.isEmpty() &&
        !(hooks.Confirm && hooks.Confirm(NotCarriedQuestion(result.NotCarried)))) {
        result.Ok = false;
        result.Rebuilt = false;
        result.Design = current;
    }
    return result;
}

} // namespace quillary
