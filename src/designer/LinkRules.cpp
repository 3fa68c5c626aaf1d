#include "designer/LinkRules.h"
#include "query/FieldClass.h"

namespace quillary {

namespace {

bool Lists(const TDesignBox& box, int row) {
    return row >= 0 && row < box.Fields.size();
}

QString ClassName(const TDesignBox& box, int row) {
    QString name;
    GetDataType(box.Fields[row].FieldType, 1, name);
    return name;
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
    if (row1 < 0 || row2 < 0)
        return refuse(QString::fromUtf8(kLinkedColumnGone), QStringLiteral("提示!"));
    if (row1 == 0 || row2 == 0) return refuse(QString(), QString());
    if (table1 == table2) return refuse(QString::fromUtf8(kLinkToItself), QString());
    // A row beyond the columns has no type to compare; it becomes a missing
    // end below.
    if (Lists(box1, row1) && Lists(box2, row2)) {
        const QString class1 = ClassName(box1, row1);
        const QString class2 = ClassName(box2, row2);
        if (class1 != class2)
            return refuse(QStringLiteral("链接字段类型必须一致！\r\n") + box1.TableName +
                              QStringLiteral("的字段") + box1.Fields[row1].Name +
                              QStringLiteral("数据类型是") + class1 + QStringLiteral(",") +
                              QStringLiteral("\r") + QStringLiteral("\n") + QStringLiteral("而") +
                              box2.TableName + QStringLiteral("的字段") + box2.Fields[row2].Name +
                              QStringLiteral("数据类型是") + class2,
                          QString());
    }
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
