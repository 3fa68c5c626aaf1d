#include "query/Links.h"
#include "query/FieldClass.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

namespace quillary {

namespace {

QString ClassName(const TDesignBox& box, int row) {
    QString name;
    if (row < box.Fields.size()) GetDataType(box.Fields[row].FieldType, 1, name);
    return name;
}

QString FieldName(const TDesignBox& box, int row) {
    return row < box.Fields.size() ? box.Fields[row].Name : QString();
}

bool SameColumns(const TDesignLink& a, const TDesignLink& b) {
    return (a.Table1 == b.Table1 && a.Row1 == b.Row1 && a.Table2 == b.Table2 && a.Row2 == b.Row2) ||
           (a.Table1 == b.Table2 && a.Row1 == b.Row2 && a.Table2 == b.Table1 && a.Row2 == b.Row1);
}

// Oracle's outer-join mark "(+)" at the end of an operand.
bool TakeOuterMark(QString& operand) {
    if (operand.size() <= 3 || !operand.endsWith(QLatin1String("(+)"))) return false;
    operand = TrimSQLElement(operand.left(operand.size() - 3));
    return true;
}

} // namespace

TLinkRefusal CheckNewLink(const TDesignBox& box1, const TDesignBox& box2, bool sameBox, int row1,
                          int row2) {
    if (row1 < 0 || row2 < 0)
        return {true, QStringLiteral("无法插入链接！链接的字段已不存在！"),
                QStringLiteral("提示!")};
    if (row1 == 0 || row2 == 0) return {true, {}, {}};
    if (sameBox) return {true, QStringLiteral("表不能与自身建立链接！"), {}};
    // A row beyond its box is not compared: the link is made with that end
    // marked missing.
    const bool inside = row1 < box1.Fields.size() && row2 < box2.Fields.size();
    const QString class1 = ClassName(box1, row1);
    const QString class2 = ClassName(box2, row2);
    if (inside && class1 != class2)
        return {true,
                QStringLiteral("链接字段类型必须一致！\r\n") + box1.TableName +
                    QStringLiteral("的字段") + FieldName(box1, row1) +
                    QStringLiteral("数据类型是") + class1 + QStringLiteral(",\r\n而") +
                    box2.TableName + QStringLiteral("的字段") + FieldName(box2, row2) +
                    QStringLiteral("数据类型是") + class2,
                {}};
    return {};
}

TLinkVerdict JudgeNewLink(const TDesignBox& box1, int table1, const TDesignBox& box2, int table2,
                          int row1, int row2, const QList<TDesignLink>& links) {
    TLinkVerdict verdict;
    const TLinkRefusal refusal = CheckNewLink(box1, box2, table1 == table2, row1, row2);
    if (refusal.Refused) {
        verdict.Refused = true;
        verdict.Refusal = {refusal.Text, refusal.Caption};
        return verdict;
    }
    const auto keep = [&](const TDesignBox& box, int row, int& kept, QString& field) {
        if (row < box.Fields.size()) {
            kept = row;
            field = box.Fields[row].Name;
            return;
        }
        kept = -1;
        field.clear();
        verdict.Notices.append({QStringLiteral("表") + box.TableName + QStringLiteral("不存在第") +
                                    QString::number(qint64(row) + 1) + QStringLiteral("列！"),
                                QStringLiteral("提示！")});
    };
    keep(box1, row1, verdict.Row1, verdict.Field1);
    keep(box2, row2, verdict.Row2, verdict.Field2);
    TDesignLink made;
    made.Table1 = table1;
    made.Table2 = table2;
    made.Row1 = verdict.Row1;
    made.Row2 = verdict.Row2;
    if (IsAlreadyLinked(links, made)) {
        verdict.Refused = true;
        verdict.Refusal = {QStringLiteral("These tables are already linked."), QString()};
    }
    return verdict;
}

bool IsAlreadyLinked(const QList<TDesignLink>& links, const TDesignLink& link, qsizetype except) {
    for (qsizetype i = 0; i < links.size(); ++i)
        if (i != except && SameColumns(links[i], link)) return true;
    return false;
}

bool IsLinkedAt(const QList<TDesignLink>& links, qsizetype except, int table, int row) {
    for (qsizetype i = 0; i < links.size(); ++i) {
        if (i == except) continue;
        const TDesignLink& l = links[i];
        if ((l.Table1 == table && l.Row1 == row) || (l.Table2 == table && l.Row2 == row))
            return true;
    }
    return false;
}

int InsertLink(QueryDesign& design, int table1, int table2, int row1, int row2,
               const TDesignHooks& hooks) {
    if (table1 < 0 || table2 < 0 || table1 >= design.Boxes.size() || table2 >= design.Boxes.size())
        return -1;
    const TLinkVerdict verdict = JudgeNewLink(design.Boxes[table1], table1, design.Boxes[table2],
                                              table2, row1, row2, design.Links);
    for (const TLinkMessage& notice : verdict.Notices)
        ShowMessage(hooks, notice.Text, notice.Caption);
    if (verdict.Refused) {
        if (!verdict.Refusal.Text.isEmpty())
            ShowMessage(hooks, verdict.Refusal.Text, verdict.Refusal.Caption);
        return -1;
    }
    TDesignLink link;
    link.Table1 = table1;
    link.Table2 = table2;
    link.Row1 = verdict.Row1;
    link.Row2 = verdict.Row2;
    link.Field1 = verdict.Field1;
    link.Field2 = verdict.Field2;
    design.Links.append(link);
    return int(design.Links.size()) - 1;
}

bool FindLink(const QueryDesign& design, int index) {
    return index >= 0 && index < design.Links.size() &&
           IsAlreadyLinked(design.Links, design.Links[index], index);
}

bool FindOtherLink(const QueryDesign& design, int index, int table, int row) {
    return IsLinkedAt(design.Links, index, table, row);
}

TFieldIndex::TFieldIndex(const QueryDesign& design) : FDesign(design) {
    qsizetype fields = 0;
    for (const TDesignBox& box : design.Boxes)
        fields += box.Fields.size();
    FFields.reserve(fields);
    for (qsizetype b = 0; b < design.Boxes.size(); ++b) {
        const TDesignBox& box = design.Boxes[b];
        FBoxes[box.GetTableName().toCaseFolded()].append(int(b));
        TTextSet folded;
        for (qsizetype f = 0; f < box.Fields.size(); ++f) {
            const QString key = box.Fields[f].Name.toCaseFolded();
            FFields[key].append({int(b), int(f)});
            if (folded.contains(key)) FTwins.insert(int(b));
            folded.insert(key);
        }
    }
}

// Of columns whose names differ only in case (PostgreSQL's "Val" and val),
// the one `operand` names letter for letter as the data source reads it (a
// bare name folded as it folds one); `row` is left alone when none is.
void TFieldIndex::PreferWritten(const QString& operand, int box, int& row) const {
    QStringList parts;
    if (!FDesign.Dialect.ReadName(operand, parts) || parts.isEmpty()) return;
    const QString& written = parts.last();
    const QList<TDesignField>& fields = FDesign.Boxes[box].Fields;
    if (fields[row].Name == written) return;
    for (qsizetype f = 0; f < fields.size(); ++f)
        if (fields[f].Name == written &&
            fields[f].Name.toCaseFolded() == fields[row].Name.toCaseFolded()) {
            row = int(f);
            return;
        }
}

QMap<int, int> TFieldIndex::Matches(const QString& operand) const {
    QMap<int, int> first;
    const auto take = [&first](int box, int row) {
        auto it = first.find(box);
        if (it == first.end())
            first.insert(box, row);
        else if (row < *it)
            *it = row;
    };
    const QString key = operand.toCaseFolded();
    for (const auto& [box, row] : FFields.value(key))
        take(box, row);
    // Quoted names, as the designer writes them: the column without its
    // quotes, the box by the name it writes. (Also a box whose name the
    // designer quotes, a keyword such as "Match", named without quotes.)
    const auto byName = [&] {
        QStringList parts;
        if (!FDesign.Dialect.ReadName(operand, parts)) return;
        const QString column = parts.takeLast().toCaseFolded();
        const QList<int> boxes =
            parts.isEmpty() ? QList<int>()
                            : FBoxes.value(FDesign.Dialect.QualifiedName(parts).toCaseFolded());
        if (parts.isEmpty())
            for (const auto& [box, row] : FFields.value(column))
                take(box, row);
        for (const int box : boxes) {
            const QList<TDesignField>& fields = FDesign.Boxes[box].Fields;
            for (qsizetype f = 0; f < fields.size(); ++f)
                if (fields[f].Name.toCaseFolded() == column) {
                    take(box, int(f));
                    break;
                }
        }
    };
    const bool quoted = operand.contains(QLatin1Char('"')) || operand.contains(QLatin1Char('[')) ||
                        operand.contains(QLatin1Char('`'));
    if (quoted) byName();
    // "name.field", cut at any of its dots: names and fields may hold dots.
    for (qsizetype dot = key.indexOf(QLatin1Char('.')); dot >= 0;
         dot = key.indexOf(QLatin1Char('.'), dot + 1)) {
        const QString field = key.mid(dot + 1);
        for (const int box : FBoxes.value(key.left(dot))) {
            const QList<TDesignField>& fields = FDesign.Boxes[box].Fields;
            for (qsizetype f = 0; f < fields.size(); ++f)
                if (fields[f].Name.toCaseFolded() == field) {
                    take(box, int(f));
                    break;
                }
        }
    }
    if (first.isEmpty() && !quoted && key.contains(QLatin1Char('.'))) byName();
    for (auto it = first.begin(); it != first.end(); ++it)
        if (FTwins.contains(it.key())) PreferWritten(operand, it.key(), *it);
    return first;
}

int IsLinkList(QueryDesign& design, const QStringList& elements, int kind, int joinType,
               const TDesignHooks& hooks, const TFieldIndex* index) {
    if (elements.size() != 6) return -2;
    // The operator first: most conditions are no equality.
    const QString op = TrimSQLElement(elements[2]);
    const TOuterJoinMark mark = TSqlDialect(kind).OuterJoinMark();
    const bool oldStyle = mark == TOuterJoinMark::Star;
    if (op != QLatin1String("=") &&
        !(oldStyle && (op == QLatin1String("*=") || op == QLatin1String("=*"))))
        return -1;
    if (TrimSQLElement(elements[5]).compare(QLatin1String("or"), Qt::CaseInsensitive) == 0 ||
        !TrimSQLElement(elements[0] + elements[4]).isEmpty())
        return -1;

    QString left = elements[1];
    QString right = elements[3];
    int oracleType = 0;
    if (mark == TOuterJoinMark::Plus) {
        if (TakeOuterMark(left))
            oracleType = 2;
        else if (TakeOuterMark(right))
            oracleType = 1;
    }

    // Boxes from the last to the first; in each, the first field that one of
    // the operands still unmatched names (the left one first) is its match,
    // so that both cannot match in the same box.
    std::optional<TFieldIndex> own;
    if (!index) own.emplace(design);
    const TFieldIndex& fields = index ? *index : *own;
    const QMap<int, int> lefts = fields.Matches(left);
    const QMap<int, int> rights = fields.Matches(right);
    QList<int> candidates = lefts.keys() + rights.keys();
    std::sort(candidates.begin(), candidates.end(), std::greater<int>());
    int leftBox = -1, leftRow = -1, rightBox = -1, rightRow = -1;
    for (const int b : candidates) {
        if (leftBox >= 0 && rightBox >= 0) break;
        if (b == leftBox || b == rightBox) continue;
        const int l = leftBox < 0 ? lefts.value(b, INT_MAX) : INT_MAX;
        const int r = rightBox < 0 ? rights.value(b, INT_MAX) : INT_MAX;
        if (l == INT_MAX && r == INT_MAX) continue;
        if (l <= r)
            leftBox = b, leftRow = l;
        else
            rightBox = b, rightRow = r;
    }
    if (leftBox < 0 || rightBox < 0 || leftBox == rightBox) return -1;

    const int link = InsertLink(design, leftBox, rightBox, leftRow, rightRow, hooks);
    if (link < 0) return -1;
    int type = 0;
    if (joinType != -1)
        type = joinType;
    else if (oldStyle)
        type = op == QLatin1String("*=") ? 1 : op == QLatin1String("=*") ? 2 : 0;
    else if (mark == TOuterJoinMark::Plus)
        type = oracleType;
    design.Links[link].JoinType = type;
    return type;
}

} // namespace quillary
