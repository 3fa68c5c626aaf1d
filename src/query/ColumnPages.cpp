#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/ScanCore.h"
#include "sqltext/TextHash.h"

#include <QHash>
#include <QSet>

#include <list>

namespace quillary {

namespace {

// The non-empty compute rows: trimmed expressions and their trimmed aliases.
void ComputedColumns(const QueryDesign& design, QStringList& expressions, QStringList& aliases) {
    for (const QStringList& row : design.ComputeRows) {
        const QString e = TrimCell(row.value(0));
        if (e.isEmpty()) continue;
        expressions << e;
        aliases << TrimCell(row.value(1));
    }
}

// Compute rows up to the first empty expression, trimmed.
QStringList LeadingExpressions(const QueryDesign& design) {
    QStringList list;
    for (const QStringList& row : design.ComputeRows) {
        const QString e = TrimCell(row.value(0));
        if (e.isEmpty()) break;
        list << e;
    }
    return list;
}

// The operators written without blanks around them: =, >, <, >=, <=, <>.
bool IsTightOperator(QStringView op) {
    if (op.isEmpty() || op.size() > 2) return false;
    const char16_t a = op[0].unicode();
    if (op.size() == 1) return a == u'=' || a == u'>' || a == u'<';
    const char16_t b = op[1].unicode();
    return b == u'=' ? a == u'>' || a == u'<' : a == u'<' && b == u'>';
}

} // namespace

QStringList GetCheckedItems(const QueryDesign& design, bool bare) {
    QStringList items;
    for (const TDesignBox& box : design.Boxes)
        for (const TDesignField& f : box.Fields)
            if (f.Checked)
                items << (bare ? ColumnText(design, f.Name) : Designation(design, box, f.Name));
    return items;
}

// Each display row's status and text is looked up among the status and text
// of every ticked field and computed column, ignoring case as a string
// list's search does: the first key that equals it. Keys are found by a
// hash of status and text one after the other, so that none is written out;
// the key a hash finds is compared, and only a shared hash has every key
// compared.
bool IsMatch(const QueryDesign& design) {
    const QStringList items = GetCheckedItems(design, false);
    QStringList expressions, aliases;
    ComputedColumns(design, expressions, aliases);
    const qsizetype fields = items.size(), count = fields + expressions.size();
    if (design.DisplayRows.size() != count) return false;
    static const QString one = QStringLiteral("1"), zero = QStringLiteral("0"), none;
    const auto status = [&](qsizetype i) -> const QString& { return i < fields ? one : zero; };
    const auto text = [&](qsizetype i) -> const QString& {
        return i < fields ? items[i] : expressions[i - fields];
    };
    // The hash of s + t; a character cut in two at the join is hashed whole.
    const auto hash = [](const QString& s, const QString& t) {
        return !s.isEmpty() && s.back().isHighSurrogate() ? TextHash(s + t, true)
                                                          : TextHash(t, true, TextHash(s, true));
    };
    const auto equals = [&](qsizetype i, const QString& s, const QString& t) {
        if (s.size() != 1) return (s + t).compare(status(i) + text(i), Qt::CaseInsensitive) == 0;
        return s.compare(status(i), Qt::CaseInsensitive) == 0 &&
               t.compare(text(i), Qt::CaseInsensitive) == 0;
    };
    QHash<quint64, qsizetype> first;
    first.reserve(count);
    for (qsizetype i = count - 1; i >= 0; --i) // the first occurrence wins
        first.insert(hash(status(i), text(i)), i);
    for (const QStringList& row : design.DisplayRows) {
        const QString& s = row.isEmpty() ? none : row[0];
        const QString& t = row.size() > 1 ? row[1] : none;
        const auto found = first.constFind(hash(s, t));
        if (found == first.cend()) return false; // equal keys hash alike
        qsizetype at = *found;
        if (!equals(at, s, t)) {
            at = -1;
            for (qsizetype i = 0; i < count && at < 0; ++i)
                if (equals(i, s, t)) at = i;
            if (at < 0) return false;
        }
        if (s == zero && (at < fields || row.value(2) != aliases[at - fields])) return false;
    }
    return true;
}

void TS_DisplayEnter(QueryDesign& design) {
    if (IsMatch(design)) return;

    struct Entry {
        QString Key, Alias;
        char Status;
    };
    using Iter = std::list<Entry>::iterator;
    std::list<Entry> entries;
    QHash<TFoldedKey, Iter> index; // first entry of each key, ignoring case
    const auto find = [&](const QString& key) {
        return index.value(TFoldedKey(key), entries.end());
    };
    const auto add = [&](Iter before, Entry e) {
        TFoldedKey key(e.Key);
        const Iter it = entries.insert(before, std::move(e));
        if (!index.contains(key)) index.insert(key, it);
    };

    for (const QStringList& row : design.DisplayRows)
        add(entries.end(), {row.value(0) + row.value(1), row.value(2), '0'});

    const QStringList fields = GetCheckedItems(design, false);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString key = QLatin1Char('1') + fields[i];
        if (const Iter it = find(key); it != entries.end()) {
            it->Status = '1';
            continue;
        }
        Iter at = entries.begin();
        if (i == 0) {
            if (fields.size() > 1)
                if (const Iter second = find(QLatin1Char('1') + fields[1]); second != entries.end())
                    at = second;
        } else if (const Iter prev = find(QLatin1Char('1') + fields[i - 1]);
                   prev != entries.end()) {
            at = std::next(prev);
        }
        add(at, {key, QString(), '2'});
    }

    QStringList expressions, aliases;
    ComputedColumns(design, expressions, aliases);
    for (qsizetype j = 0; j < expressions.size(); ++j) {
        const QString key = QLatin1Char('0') + expressions[j];
        if (const Iter it = find(key); it != entries.end()) {
            it->Status = '1';
            if (it->Alias.isEmpty()) it->Alias = aliases[j];
            continue;
        }
        Iter at = entries.end();
        if (j == 0) {
            if (expressions.size() > 1)
                if (const Iter second = find(QLatin1Char('0') + expressions[1]);
                    second != entries.end())
                    at = second;
        } else if (const Iter prev = find(QLatin1Char('0') + expressions[j - 1]);
                   prev != entries.end()) {
            at = std::next(prev);
        }
        add(at, {key, aliases[j], '2'});
    }

    QList<QStringList> rows;
    for (const Entry& e : entries) {
        if (e.Status == '0') continue;
        // The hidden last column keeps what its grid row held.
        rows.append({e.Key.left(1), e.Key.mid(1), e.Alias,
                     GridCell(design.DisplayRows, int(rows.size()) + 1, 3)});
    }
    if (rows.isEmpty()) rows.append(QStringList(kDisplayWidth, QString()));
    design.DisplayRows = rows;
}

int IsValidDisplayCol(const QueryDesign& design, int kind) {
    TTextSet seen;
    bool repeated = false;
    for (const QStringList& row : design.DisplayRows) {
        const QString alias = row.value(2);
        if (alias.isEmpty()) continue;
        // A name in backquotes where the data source quotes names so
        // (MySQL, MariaDB) is one name, as a double-quoted one is.
        QString inside;
        const bool backquoted = design.Dialect.QuoteStyle() == TQuoteStyle::Backquote &&
                                alias.startsWith(QLatin1Char('`')) && ReadQuotedName(alias, inside);
        if (!backquoted && !IsValidByName(alias, kind)) return -1;
        const QString trimmed = TrimCell(alias);
        if (seen.contains(trimmed)) repeated = true;
        seen.insert(trimmed);
    }
    return repeated ? -2 : 0;
}

bool IsUnaryOperator(QStringView op) {
    return scan::IsKeyword(op, QLatin1StringView("exists")) ||
           scan::IsKeyword(op, QLatin1StringView("not exists")) ||
           scan::IsKeyword(op, QLatin1StringView("not"));
}

int IsValidExpression(const QList<QStringList>& rows, int row) {
    // EXISTS tests its operand alone: the first cell holds brackets or nothing.
    const bool unary = IsUnaryOperator(TrimmedCell(GridCellText(rows, row, 1)));
    int empty = 0;
    for (int col = unary ? 1 : 0; col < 3; ++col)
        if (TrimmedCell(GridCellText(rows, row, col)).isEmpty()) ++empty;
    if (row > 1 && TrimmedCell(GridCellText(rows, row - 1, 3)).isEmpty()) ++empty;
    return empty == 4 ? -1 : empty == 0 ? 0 : 1;
}

void AppendExpression(const QList<QStringList>& rows, int row, QString& text) {
    const QStringView connector =
        row > 1 ? TrimmedCell(GridCellText(rows, row - 1, 3)) : QStringView();
    const QString& field = GridCellText(rows, row, 0);
    const QStringView op = TrimmedCell(GridCellText(rows, row, 1));
    const QStringView value = TrimmedCell(GridCellText(rows, row, 2));
    if (!connector.isEmpty()) {
        text += connector;
        text += QLatin1Char(' ');
    }
    if (TrimmedCell(field).isEmpty() && IsUnaryOperator(op)) {
        text += op;
        text += QLatin1Char(' ');
        text += value;
        return;
    }
    text += field;
    if (IsTightOperator(op)) {
        text += op;
        // A value that opens with a prefix operator (PostgreSQL's "@ a",
        // "|/ a") stands apart, or the two would read as one ("=@"); but
        // "<@", "<^" and ">^" are operators of their own that the reading
        // cut at their first symbol, and stay whole.
        const bool own = (op.endsWith(u'<') || op.endsWith(u'>')) && !value.isEmpty() &&
                         (value.front() == u'@' || value.front() == u'^');
        if (!own && !value.isEmpty() && QStringView(u"@~!#%^&|").contains(value.front()))
            text += QLatin1Char(' ');
    } else {
        text += QLatin1Char(' ');
        text += op;
        text += QLatin1Char(' ');
    }
    text += value;
}

QString GetExpression(const QList<QStringList>& rows, int row) {
    QString text;
    AppendExpression(rows, row, text);
    return text;
}

void TS_OrderEnter(QueryDesign& design) {
    const QString computed = ComputedMarker();
    const QString chosen = DescendingMarker() + computed;
    design.OrderList.removeIf([&](const QString& s) { return s.startsWith(computed); });
    const QStringList expressions = LeadingExpressions(design);
    QStringList chosenTexts;
    for (const TCheckedItem& item : design.OrderColumn)
        chosenTexts << item.Text;
    for (const QString& e : expressions)
        if (!HoldsText(design.OrderList, computed + e) && !HoldsText(chosenTexts, chosen + e))
            design.OrderList << computed + e;
    // A chosen one stays while any compute row has its expression, also
    // one after an empty row.
    QStringList all;
    for (const QStringList& row : design.ComputeRows)
        if (const QString e = TrimCell(row.value(0)); !e.isEmpty()) all << e;
    design.OrderColumn.removeIf([&](const TCheckedItem& item) {
        return item.Text.startsWith(chosen) && !HoldsText(all, item.Text.mid(chosen.size()));
    });
}

void ChooseSortColumn(QueryDesign& design, qsizetype candidate, bool descending) {
    if (candidate < 0 || candidate >= design.OrderList.size()) return;
    const QString chosen = DescendingMarker() + design.OrderList[candidate];
    for (const TCheckedItem& item : std::as_const(design.OrderColumn))
        if (item.Text.compare(chosen, Qt::CaseInsensitive) == 0) return;
    design.OrderColumn.append({chosen, descending});
    design.OrderList.removeAt(candidate);
}

void ReturnSortColumn(QueryDesign& design, qsizetype chosen) {
    if (chosen < 0 || chosen >= design.OrderColumn.size()) return;
    design.OrderList << design.OrderColumn.takeAt(chosen).Text.mid(DescendingMarker().size());
}

void ChooseGroupColumn(QueryDesign& design, qsizetype candidate) {
    if (candidate < 0 || candidate >= design.GroupList.size() ||
        HoldsText(design.GroupColumn, design.GroupList[candidate]))
        return;
    design.GroupColumn << design.GroupList.takeAt(candidate);
}

void ReturnGroupColumn(QueryDesign& design, qsizetype chosen) {
    if (chosen < 0 || chosen >= design.GroupColumn.size()) return;
    design.GroupList << design.GroupColumn.takeAt(chosen);
}

qsizetype FindCandidate(const QStringList& candidates, const QString& text) {
    if (const qsizetype at = IndexOfText(candidates, text); at >= 0) return at;
    const QString column = QLatin1Char('.') + text;
    for (qsizetype i = 0; i < candidates.size(); ++i)
        if (candidates[i].endsWith(column, Qt::CaseInsensitive)) return i;
    return -1;
}

} // namespace quillary
