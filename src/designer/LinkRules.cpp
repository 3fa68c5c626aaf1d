#include "designer/LinkRules.h"
#include "query/Links.h"

namespace quillary {

namespace {

bool Lists(const TDesignBox& box, int row) {
    return row >= 0 && row < box.Fields.size();
}

} // namespace

bool IsAlreadyLinked(const QList<TDesignLink>& links, const TDesignLink& link, qsizetype except) {
    for (qsizetype i = 0; i < links.size(); ++i) {
        if (i == except) continue;
        const TDesignLink& l = links[i];
        const bool same = l.Table1 == link.Table1 && l.Row1 == link.Row1 &&
                          l.Table2 == link.Table2 && l.Row2 == link.Row2;
        const bool crossed = l.Table1 == link.Table2 && l.Row1 == link.Row2 &&
                             l.Table2 == link.Table1 && l.Row2 == link.Row1;
        if (same || crossed) return true;
    }
    return false;
}

TLinkVerdict JudgeNewLink(const TDesignBox& box1, int table1, const TDesignBox& box2, int table2,
                          int row1, int row2, const QList<TDesignLink>& links) {
    TLinkVerdict verdict;
    auto refuse = [&](const QString& text, const QString& caption) {
        verdict.Refused = true;
        verdict.Refusal = {text, caption};
        return verdict;
    };
    // Missing columns, the "*" row, a box with itself, different type classes.
    const TLinkRefusal refusal = CheckNewLink(box1, box2, table1 == table2, row1, row2);
    if (refusal.Refused) return refuse(refusal.Text, refusal.Caption);
    auto keep = [&](const TDesignBox& box, int row, int& kept, QString& field) {
        if (Lists(box, row)) {
            kept = row;
            field = box.Fields[row].Name;
            return;
        }
        kept = -1;
        field.clear();
        verdict.Notices.append({QStringLiteral("表") + box.TableName + QStringLiteral("不存在第") +
                                    QString::number(row + 1) + QStringLiteral("列！"),
                                QStringLiteral("提示！")});
    };
    keep(box1, row1, verdict.Row1, verdict.Field1);
    keep(box2, row2, verdict.Row2, verdict.Field2);
    TDesignLink made;
    made.Table1 = table1;
    made.Table2 = table2;
    made.Row1 = verdict.Row1;
    made.Row2 = verdict.Row2;
    if (IsAlreadyLinked(links, made)) return refuse(QString::fromUtf8(kAlreadyLinked), QString());
    return verdict;
}

} // namespace quillary
