#include "query/Skeletons.h"
#include "query/ColumnPages.h"
#include "query/DesignTexts.h"
#include "query/StateText.h"
#include "sqltext/DataSourceKind.h"

namespace quillary {

namespace {

QStringList TickedFields(const QueryDesign& design, const TDesignBox& box) {
    QStringList fields;
    for (const TDesignField& f : box.Fields)
        if (f.Checked) fields << ColumnText(design, f.Name);
    return fields;
}

TSkeletonResult Refusal(const char* message) {
    return {{}, QString::fromUtf8(message)};
}

// The other boxes as the FROM list of an UPDATE: a view or sub-query box
// with its statement in brackets.
QString FromPart(const QueryDesign& design, qsizetype target) {
    QString from;
    for (qsizetype i = 0; i < design.Boxes.size(); ++i) {
        if (i == target) continue;
        const TDesignBox& box = design.Boxes[i];
        from += from.isEmpty() ? QStringLiteral("from ") : QStringLiteral(",");
        if (!box.SourceText.isEmpty())
            from += QStringLiteral(" (") + box.SourceText + QStringLiteral(") ") + box.TableName +
                    QLatin1Char(' ');
        else
            from += QLatin1Char(' ') + box.TableName + QLatin1Char(' ');
    }
    return from;
}

} // namespace

TSkeletonResult InsertSkeleton(const QueryDesign& design) {
    if (design.Boxes.isEmpty()) return Refusal("没有选择表");
    if (design.Boxes.size() > 1) return Refusal("只能选择一张表");
    const TDesignBox& box = design.Boxes.first();
    const QStringList fields = TickedFields(design, box);
    if (fields.isEmpty()) return Refusal("没有选中列");
    return {QStringLiteral("Insert into ") + box.TableName + QStringLiteral(" (") +
                fields.join(QLatin1Char(',')) + QStringLiteral(") values()"),
            {}};
}

TSkeletonResult UpdateSkeleton(const QueryDesign& design, int kind) {
    if (design.Boxes.isEmpty()) return Refusal("没有选择表");
    qsizetype target = -1;
    int ticked = 0;
    for (qsizetype i = 0; i < design.Boxes.size(); ++i) {
        if (TickedFields(design, design.Boxes[i]).isEmpty()) continue;
        ++ticked;
        target = i;
    }
    if (ticked == 0) return Refusal("没有表选中列");
    if (ticked > 1) return Refusal("有多个表被选中列");

    const QString crLf = QString::fromLatin1(kCrLf);
    const TDesignBox& box = design.Boxes[target];
    QString text = QStringLiteral("Update ") + box.TableName + QStringLiteral(" set ");
    for (const QString& field : TickedFields(design, box))
        text += crLf + field + QStringLiteral("=,");
    text.chop(1);

    if (TSqlDialect(kind).UpdateTakesFrom()) {
        const QString from = FromPart(design, target);
        if (!from.isEmpty()) text += crLf + from;
    }

    const QString start = QStringLiteral("where ");
    QString where = start;
    QStringList joins;
    for (const TDesignLink& link : design.Links) {
        if (link.JoinType != 0) return Refusal("存在外连接");
        if (!HasBoxes(design, link)) continue;
        joins << design.Boxes[link.Table1].TableName + QLatin1Char('.') +
                     ColumnText(design, link.Field1) + QLatin1Char('=') +
                     design.Boxes[link.Table2].TableName + QLatin1Char('.') +
                     ColumnText(design, link.Field2);
        if (!link.Condition.trimmed().isEmpty()) joins << link.Condition;
    }
    where += joins.join(QStringLiteral(" and "));
    // Conditions behind the links go in brackets; each later row brings its
    // own connector.
    const bool linked = !joins.isEmpty();
    bool bracketed = false;
    for (int row = 1;
         row <= kStoredConditionRows && IsValidExpression(design.ConditionRows, row) == 0; ++row) {
        const QString expression = GetExpression(design.ConditionRows, row);
        if (row > 1) {
            where += QLatin1Char(' ') + expression;
        } else if (linked) {
            where += QStringLiteral(" and (") + expression;
            bracketed = true;
        } else {
            where += expression;
        }
    }
    if (bracketed) where += QLatin1Char(')');
    if (where.size() > start.size()) text += crLf + where;
    return {text, {}};
}

} // namespace quillary
