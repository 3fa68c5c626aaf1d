#include "query/StateText.h"
#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "query/DocumentNames.h"
#include "query/IniReader.h"
#include "query/Links.h"
#include "query/TableBox.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <QHash>

namespace quillary {

namespace {

// Section names and their header lines, in the order they are written.
struct TSection {
    const char* Name;
    const char* Header;
};
const TSection kTable{"Table", "[Table]\t\t\t#原表：名称"};
const TSection kByName{"ByName", "[ByName]\t\t\t#原表别名"};
const TSection kLink{"Link", "[Link]\t\t\t#原表间的链接"};
// Written only when a link has a further condition; older readers skip it.
const TSection kLinkCondition{"LinkCondition", "[LinkCondition]\t#链接的附加条件"};
const TSection kColumn{"Column", "[Column]\t\t#源表列"};
const TSection kCompute{"ComputeColumn", "[ComputeColumn]\t\t#计算列"};
const TSection kWhere{"Where", "[Where]\t\t\t#where条件"};
const TSection kGroup{"Group", "[Group]\t\t\t#分组列"};
const TSection kHaving{"Having", "[Having]\t\t#组内条件"};
const TSection kOrder{"Order", "[Order]\t\t\t#排序列"};
const TSection kSql{"SQL", "[SQL]\t\t\t#SQL语法"};
// The sections a union set's own text is made of, numbered in the main text.
const TSection* const kUnionSetSections[] = {&kTable, &kLink,         &kColumn, &kCompute,
                                             &kWhere, &kGroup,        &kHaving, &kOrder,
                                             &kSql,   &kLinkCondition};

const char kUnionHeader[] = "[Union]   #联合的数目";
const char kUnionPartsLine[] = "#下面是联合语句部分";
const QString kSeparator = QStringLiteral("|||");
const QString kLimitKey = QStringLiteral("RowLimit");
const QString kOffsetKey = QStringLiteral("RowOffset");
const QString kDistinctKey = QStringLiteral("Distinct");
// The union grid's rows are further entries of the union section.
const QString kUnionRowKey = QStringLiteral("Row");
const QString kUnionOperator = QStringLiteral("union");

QString Header(const TSection& s) {
    return QString::fromUtf8(s.Header);
}

// A value the way the reader gives it back: one line, and an extra pair of
// quotes where the reader would take the value's own quotes away.
QString Stored(QString value) {
    value = OnOneLine(value);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) &&
        value.endsWith(QLatin1Char('\'')))
        return QLatin1Char('\'') + value + QLatin1Char('\'');
    return value;
}

QString Entry(const QString& key, const QString& value) {
    return key + QLatin1Char('=') + Stored(value);
}

QString ConditionValue(const QList<QStringList>& rows, int row) {
    QStringList cells;
    for (int c = 0; c < kConditionWidth; ++c)
        cells << GridCell(rows, row, c);
    return cells.join(kSeparator);
}

void WriteConditions(QStringList& out, const TSection& section, const char* key,
                     const QList<QStringList>& rows) {
    out << Header(section);
    for (int r = 1; r <= kStoredConditionRows && IsValidExpression(rows, r) == 0; ++r)
        out << Entry(QLatin1String(key) + QString::number(r), ConditionValue(rows, r));
}

// A union set's own text, its section names numbered k. A union set that
// has no text of its own (one rebuilt from a statement) keeps its statement.
void WriteUnionBlock(QStringList& out, const TUnionSet& set, int k) {
    QStringList lines = set.SQLSet;
    if (lines.isEmpty() && !TrimCell(set.SQL).isEmpty())
        lines = {Header(kSql), Entry(QStringLiteral("SQL"), TrimExp(set.SQL))};
    for (const QString& line : lines) {
        QString copy = line;
        for (const TSection* s : kUnionSetSections) {
            const QString plain = QLatin1Char('[') + QLatin1String(s->Name) + QLatin1Char(']');
            if (line.startsWith(plain)) {
                copy = QLatin1Char('[') + QLatin1String(s->Name) + QString::number(k) +
                       line.mid(plain.size() - 1);
                break;
            }
        }
        out << copy;
    }
    out << QString();
}

// The text after "select " of a statement, lower case, as the reader
// decides DISTINCT from it.
bool ReadsAsDistinct(const QString& sql) {
    return TrimCell(TrimCell(sql).mid(7)).left(9).toLower() == QLatin1String("distinct ");
}

// ---- reading ---------------------------------------------------------------

// Splits at the first `parts - 1` separators.
QStringList SplitCells(const QString& value, int parts) {
    QStringList cells;
    qsizetype from = 0;
    while (cells.size() < parts - 1) {
        const qsizetype at = value.indexOf(kSeparator, from);
        if (at < 0) break;
        cells << value.mid(from, at - from);
        from = at + kSeparator.size();
    }
    cells << value.mid(from);
    while (cells.size() < parts)
        cells << QString();
    return cells;
}

int Coordinate(const QStringList& parts, qsizetype i, int fallback) {
    bool ok = false;
    const int v = i < parts.size() ? TrimCell(parts[i]).toInt(&ok) : 0;
    return ok ? v : fallback;
}

// A box of the Table section as the document gives it, made safe: its
// table looked up by name, its alias or sub-query name one name, its
// sub-query one query. Why not, when the entry carries more than that.
QString BoxFromDocument(const QueryDesign& design, const QString& value, const QString& alias,
                        qsizetype p, const TDesignHooks& hooks, TDesignBox& box) {
    // The name may hold commas inside its quotes.
    const QStringList parts = SplitOutsideQuotes(value, 2);
    const QStringList place = parts.size() > 1 ? parts[1].split(QLatin1Char(',')) : QStringList();
    const QStringList coordinates = QStringList{parts[0]} + place;
    box.Left = Coordinate(coordinates, 1, int(qMin<qsizetype>(p, 1 << 20)) * 150 + 20);
    box.Top = Coordinate(coordinates, 2, 50);
    // The source as the writer keeps it, whoever wrote the text.
    box.SourceText =
        place.size() > 2 ? TrimExp(QStringList(place.mid(2)).join(QLatin1Char(','))) : QString();
    const TSqlDialect& dialect = design.Dialect;
    if (box.SourceText.isEmpty()) {
        box.TableName = TableFromDocument(parts[0], dialect, hooks.Tables);
        if (AliasFromDocument(alias, dialect, box.Alias)) return {};
        return QStringLiteral("别名“%1”不是一个名称。").arg(alias.left(200));
    }
    box.Kind = 'Q';
    if (!AliasFromDocument(parts[0], dialect, box.TableName) || box.TableName.isEmpty())
        return QStringLiteral("子查询的名称“%1”不是一个名称。").arg(parts[0].left(200));
    // A sub-query is run to read its columns: it must be one query that
    // only reads.
    return SingleSelectFault(box.SourceText, dialect.Readings());
}

void ReadBoxes(QueryDesign& design, const TIniText& ini, const TDesignHooks& hooks) {
    TTextHash<int> columns; // ticked designations still to be placed
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kColumn.Name)))
        ++columns[e.Value.toCaseFolded()];
    const QList<TIniText::TEntry>& tables = ini.Entries(QLatin1String(kTable.Name));
    // The aliases by key, the first of a key counting, as the reader reads them.
    TTextHash<QString> aliases;
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kByName.Name)))
        if (const QString key = e.Key.toCaseFolded(); !aliases.contains(key))
            aliases.insert(key, e.Value);
    const int first = int(design.Boxes.size());
    for (qsizetype p = 0; p < tables.size(); ++p) {
        TDesignBox box;
        const QString alias = aliases.value(QLatin1Char('b') + QString::number(p + 1));
        if (const QString fault = BoxFromDocument(design, tables[p].Value, alias, p, hooks, box);
            !fault.isEmpty()) {
            ShowMessage(hooks, QStringLiteral("界面状态中的第%1张表已跳过：").arg(p + 1) + fault,
                        QStringLiteral("提示!"));
            continue;
        }
        if (!LoadBox(hooks, box)) continue;
        const QString prefix = box.GetTableName() + QLatin1Char('.');
        for (TDesignField& f : box.Fields) {
            // Texts written before names were quoted carry the bare name.
            auto it = columns.find(Designation(design, box, f.Name).toCaseFolded());
            if (it == columns.end() || *it == 0)
                it = columns.find((prefix + f.Name).toCaseFolded());
            if (it == columns.end() || *it == 0) continue;
            --*it;
            f.Checked = true;
        }
        ActivateBox(design, box);
    }
    // Each box brings its own columns into the sort lists, box after box.
    UpdateOrderColumns(design, first, int(design.Boxes.size()));
}

int FieldRow(const TDesignBox& box, const QString& field) {
    for (qsizetype f = 0; f < box.Fields.size(); ++f)
        if (box.Fields[f].Name.compare(field, Qt::CaseInsensitive) == 0) return int(f);
    return -1;
}

void ReadLinks(QueryDesign& design, const TIniText& ini, const TDesignHooks& hooks) {
    TTextHash<int> byName; // as FindTable finds them: the last box of a name
    for (qsizetype i = 0; i < design.Boxes.size(); ++i)
        byName.insert(design.Boxes[i].GetTableName().toCaseFolded(), int(i));
    TTextHash<QString> conditions;
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kLinkCondition.Name)))
        conditions.insert(e.Key.toCaseFolded(), e.Value);
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kLink.Name))) {
        const QStringList parts = SplitOutsideQuotes(e.Value);
        if (parts.size() < 4) continue;
        const int box1 = byName.value(parts[0].toCaseFolded(), -1);
        const int box2 = byName.value(parts[2].toCaseFolded(), -1);
        if (box1 < 0 || box2 < 0) continue;
        int rows[2] = {FieldRow(design.Boxes[box1], ColumnFromDocument(parts[1])),
                       FieldRow(design.Boxes[box2], ColumnFromDocument(parts[3]))};
        bool missing = false;
        for (int end = 0; end < 2 && !missing; ++end) {
            if (rows[end] >= 0) continue;
            ShowMessage(hooks,
                        QStringLiteral("表“") + parts[end * 2] + QStringLiteral("”的") +
                            parts[end * 2 + 1] + QStringLiteral("字段已不存在！无法插入链接！"),
                        QStringLiteral("提示!"));
            missing = true;
        }
        if (missing) continue;
        // A join type that is not one of the join keywords reads as inner.
        bool ok = false;
        int type = parts.size() > 4 ? TrimCell(parts[4]).toInt(&ok) : 0;
        if (!ok || type < 0 || type >= sOuterJoin.size()) type = 0;
        const int link = InsertLink(design, box1, box2, rows[0], rows[1], hooks);
        if (link < 0) continue;
        design.Links[link].JoinType = type;
        design.Links[link].Condition = conditions.value(e.Key.toCaseFolded());
    }
}

void ReadPages(QueryDesign& design, const TIniText& ini) {
    // Compute rows without expression hold nothing: they are not read.
    int row = 0;
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kCompute.Name))) {
        const qsizetype at = e.Value.indexOf(kSeparator);
        const QString expression = at < 0 ? e.Value : e.Value.left(at);
        if (TrimCell(expression).isEmpty()) continue;
        SetGridCell(design.ComputeRows, ++row, 0, expression, kComputeWidth);
        if (at >= 0)
            SetGridCell(design.ComputeRows, row, 1, e.Value.mid(at + kSeparator.size()),
                        kComputeWidth);
    }
    // The condition grids hold the rows the writer keeps.
    const auto readConditions = [&](const TSection& s, QList<QStringList>& rows) {
        const QList<TIniText::TEntry>& entries = ini.Entries(QLatin1String(s.Name));
        for (int p = 0; p < entries.size() && p < kStoredConditionRows; ++p) {
            const QStringList cells = SplitCells(entries[p].Value, kConditionWidth);
            for (int c = 0; c < kConditionWidth; ++c)
                SetGridCell(rows, p + 1, c, cells[c], kConditionWidth);
        }
    };
    readConditions(kWhere, design.ConditionRows);
    readConditions(kHaving, design.HavingRows);
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kGroup.Name)))
        design.GroupColumn << e.Value;
    const QString marker = DescendingMarker();
    for (const TIniText::TEntry& e : ini.Entries(QLatin1String(kOrder.Name)))
        design.OrderColumn.append({marker + e.Value.mid(1), e.Value.startsWith(QLatin1Char('1'))});
}

void ReadStatement(QueryDesign& design, const TIniText& ini) {
    const QString section = QLatin1String(kSql.Name);
    const QString distinct = ini.ReadString(section, kDistinctKey);
    if (distinct.isEmpty() ? ReadsAsDistinct(ini.ReadString(section, QStringLiteral("SQL")))
                           : distinct != QLatin1String("0"))
        design.Distinct = true;
    if (const QString limit = ini.ReadString(section, kLimitKey); !TrimCell(limit).isEmpty()) {
        design.RowLimit = limit;
        design.RowOffset = ini.ReadString(section, kOffsetKey);
    }
}

// The union grid rows kept in the union section, in text order.
QList<QStringList> StoredUnionRows(const TIniText& ini) {
    QList<QStringList> rows;
    for (const TIniText::TEntry& e : ini.Entries(QStringLiteral("Union"))) {
        if (!e.Key.startsWith(kUnionRowKey, Qt::CaseInsensitive)) continue;
        bool number = false;
        e.Key.mid(kUnionRowKey.size()).toInt(&number);
        if (number) rows.append(SplitCells(e.Value, kUnionWidth));
    }
    return rows;
}

// The grid row of `part` (0 the main statement) among `parts` union sets as
// a text without stored rows gives it: named after its part, joined to the
// next part by "union", so that the statement stays valid.
QStringList PlainUnionRow(qsizetype part, qsizetype parts) {
    return {QString(), UnionRowName(part), QString(), part < parts ? kUnionOperator : QString()};
}

// Gives the grid a row for every part: rows stored with the union sets
// where the text has them, plain rows where it lacks them.
void ReadUnionRows(QueryDesign& design, const TIniText& ini, qsizetype before) {
    const qsizetype added = design.UnionSets.size() - before;
    const QList<QStringList> stored = StoredUnionRows(ini);
    QList<QStringList>& rows = design.UnionRows;
    for (qsizetype r = rows.size(); r <= before; ++r)
        rows.append({QString(), UnionRowName(r), QString(), QString()});
    if (before == 0 && !stored.isEmpty()) {
        rows[0] = stored[0];
    } else if (TrimCell(GridCell(rows, int(before + 1), 3)).isEmpty()) {
        SetGridCell(rows, int(before + 1), 3, kUnionOperator, kUnionWidth);
    }
    for (qsizetype k = 1; k <= added; ++k) {
        QStringList row =
            k < stored.size() ? stored[k] : PlainUnionRow(before + k, design.UnionSets.size());
        // Parts added behind parts already there take the names of their rows.
        if (before > 0) row[1] = UnionRowName(before + k);
        const qsizetype at = before + k;
        if (at < rows.size())
            rows[at] = row;
        else
            rows.append(row);
    }
    // Rows left from union sets that are gone belong to no part.
    rows.resize(design.UnionSets.size() + 1);
}

void ReadUnionSets(QueryDesign& design, const TIniText& ini, qsizetype lineCount) {
    bool ok = false;
    qsizetype count = TrimCell(ini.ReadString(QStringLiteral("Union"), QStringLiteral("Count"),
                                              QStringLiteral("0")))
                          .toLongLong(&ok);
    // Every union set takes at least a line of the text: more cannot be meant.
    if (!ok || count < 0) count = 0;
    count = qMin(count, lineCount);
    const qsizetype before = design.UnionSets.size();
    for (qsizetype k = 1; k <= count; ++k) {
        const QString number = QString::number(k);
        TUnionSet set;
        set.SQL = ini.ReadString(QLatin1String(kSql.Name) + number, QStringLiteral("SQL"));
        for (const TSection* s : kUnionSetSections) {
            const QList<TIniText::TEntry>& entries = ini.Entries(QLatin1String(s->Name) + number);
            if (s == &kLinkCondition && entries.isEmpty()) continue; // only where there are some
            set.SQLSet << Header(*s);
            for (const TIniText::TEntry& e : entries)
                set.SQLSet << e.Line;
        }
        design.UnionSets.append(set);
    }
    if (count > 0) ReadUnionRows(design, ini, before);
}

// The boxes: table, place and source text, then the aliases.
void WriteBoxes(QStringList& out, const QueryDesign& design) {
    out << Header(kTable);
    for (qsizetype n = 0; n < design.Boxes.size(); ++n) {
        const TDesignBox& box = design.Boxes[n];
        out << Entry(QLatin1Char('T') + QString::number(n + 1),
                     QStringList{box.TableName, QString::number(box.Left), QString::number(box.Top),
                                 TrimExp(box.SourceText)}
                         .join(QLatin1Char(',')));
    }
    out << Header(kByName);
    for (qsizetype n = 0; n < design.Boxes.size(); ++n)
        out << Entry(QLatin1Char('B') + QString::number(n + 1), design.Boxes[n].Alias);
}

// The links between boxes, and the further condition of those that have one.
void WriteLinks(QStringList& out, const QueryDesign& design) {
    out << Header(kLink);
    int n = 0;
    QStringList conditions;
    for (const TDesignLink& link : design.Links) {
        if (link.JoinType < 0 || !HasBoxes(design, link)) continue;
        const QString key = QLatin1Char('L') + QString::number(++n);
        out << Entry(key,
                     QStringList{design.Boxes[link.Table1].GetTableName(),
                                 ColumnText(design, link.Field1),
                                 design.Boxes[link.Table2].GetTableName(),
                                 ColumnText(design, link.Field2), QString::number(link.JoinType)}
                         .join(QLatin1Char(',')));
        if (!TrimCell(link.Condition).isEmpty()) conditions << Entry(key, link.Condition);
    }
    if (!conditions.isEmpty()) out << Header(kLinkCondition) << conditions;
}

// The ticked columns and the computed ones.
void WriteColumns(QStringList& out, const QueryDesign& design) {
    out << Header(kColumn);
    const QStringList checked = GetCheckedItems(design, false);
    for (qsizetype i = 0; i < checked.size(); ++i)
        out << Entry(QLatin1Char('C') + QString::number(i), checked[i]);
    out << Header(kCompute);
    for (int r = 1; r <= design.ComputeRows.size(); ++r) {
        const QString expression = GridCell(design.ComputeRows, r, 0);
        if (TrimCell(expression).isEmpty()) break;
        const QString alias = GridCell(design.ComputeRows, r, 1);
        out << Entry(QLatin1Char('C') + QString::number(r),
                     TrimCell(alias).isEmpty() ? expression : expression + kSeparator + alias);
    }
}

// The sort columns, each with its tick.
void WriteOrder(QStringList& out, const QueryDesign& design) {
    out << Header(kOrder);
    const QString marker = DescendingMarker();
    for (qsizetype i = 0; i < design.OrderColumn.size(); ++i) {
        const TCheckedItem& item = design.OrderColumn[i];
        const QString text =
            item.Text.startsWith(marker) ? item.Text.mid(marker.size()) : item.Text;
        out << Entry(QLatin1Char('O') + QString::number(i),
                     (item.Checked ? QLatin1Char('1') : QLatin1Char('0')) + text);
    }
}

// The union parts, their count and, when they are not the plain ones, the
// rows of the union page.
void WriteUnionParts(QStringList& out, const QueryDesign& design, int kind) {
    out << QString::fromUtf8(kUnionPartsLine);
    for (qsizetype k = 0; k < design.UnionSets.size(); ++k)
        WriteUnionBlock(out, design.UnionSets[k], int(k + 1));
    out << QString::fromUtf8(kUnionHeader);
    out << QStringLiteral("Count=") + QString::number(design.UnionSets.size());
    if (TSqlDialect(kind).StatesUnionType()) out << QStringLiteral("UnionType=union");
    // The grid row of the main statement and of every union set, when
    // they are not the rows reading gives a text without them.
    const qsizetype parts = design.UnionSets.size();
    QList<QStringList> rows;
    bool plain = true;
    for (qsizetype r = 1; r <= qMin(design.UnionRows.size(), parts + 1); ++r) {
        QStringList cells;
        for (int c = 0; c < kUnionWidth; ++c)
            cells << GridCell(design.UnionRows, int(r), c);
        plain = plain && cells == PlainUnionRow(r - 1, parts);
        rows << cells;
    }
    for (qsizetype r = 0; !plain && r < rows.size(); ++r)
        out << Entry(kUnionRowKey + QString::number(r + 1), rows[r].join(kSeparator));
}

// The statement itself with what the pages do not show.
void WriteStatement(QStringList& out, const QueryDesign& design, const QString& statement) {
    out << Header(kSql);
    out << Entry(QStringLiteral("SQL"), statement);
    if (!design.Distinct && ReadsAsDistinct(statement))
        out << Entry(kDistinctKey, QStringLiteral("0"));
    if (!TrimCell(design.RowLimit).isEmpty()) {
        out << Entry(kLimitKey, design.RowLimit);
        if (!TrimCell(design.RowOffset).isEmpty()) out << Entry(kOffsetKey, design.RowOffset);
    }
}

} // namespace

QStringList GetSQLSet(const QueryDesign& design, const QString& sql, int kind) {
    const QString statement = TrimExp(sql);
    if (TrimCell(statement).isEmpty()) return {};
    QStringList out;
    WriteBoxes(out, design);
    WriteLinks(out, design);
    WriteColumns(out, design);
    WriteConditions(out, kWhere, "W", design.ConditionRows);
    out << Header(kGroup);
    for (qsizetype i = 0; i < design.GroupColumn.size(); ++i)
        out << Entry(QLatin1Char('G') + QString::number(i), design.GroupColumn[i]);
    WriteConditions(out, kHaving, "H", design.HavingRows);
    WriteOrder(out, design);
    out << QString();
    if (!design.UnionSets.isEmpty()) WriteUnionParts(out, design, kind);
    WriteStatement(out, design, statement);
    return out;
}

void SetSQLSet(QueryDesign& design, const QStringList& lines, int kind, const TDesignHooks& hooks) {
    Q_UNUSED(kind); // the union type of Oracle texts is read by nobody
    if (lines.isEmpty()) return;
    const TIniText ini(lines);
    ReadBoxes(design, ini, hooks);
    ReadLinks(design, ini, hooks);
    ReadPages(design, ini);
    ReadStatement(design, ini);
    ReadUnionSets(design, ini, lines.size());
}

QStringList TemplateLines(const QStringList& state, const QString& connectionString) {
    return state +
           QStringList{QStringLiteral("[CONNECTION]"), QStringLiteral("CSN=") + connectionString};
}

bool TemplateConnection(const QStringList& lines, QString& connectionString, bool* malformed) {
    if (malformed) *malformed = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (TrimCell(lines[i]).compare(QLatin1String("[Connection]"), Qt::CaseInsensitive) != 0)
            continue;
        // A section that ends the text names no connection, as a state text does.
        if (i + 1 >= lines.size()) return false;
        const QString& line = lines[i + 1];
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 ||
            TrimCell(line.left(equals)).compare(QLatin1String("CSN"), Qt::CaseInsensitive) != 0) {
            if (malformed) *malformed = true;
            return false;
        }
        qsizetype value = equals + 1;
        while (value < line.size() &&
               (line[value] == QLatin1Char(' ') || line[value] == QLatin1Char('\t')))
            ++value;
        connectionString = line.mid(value);
        return true;
    }
    return false;
}

} // namespace quillary
