#include "query/JoinClause.h"
#include "sqltext/Common.h"

#include <QHash>

#include <cstdlib>
#include <vector>

namespace quillary {

namespace {

// How a box stands in join text: a sub-query as its bracketed text first.
QString BoxText(const TDesignBox& box) {
    QString text;
    if (box.Kind == 'Q') text = QLatin1Char('(') + box.SourceText + QLatin1String(") ");
    text += box.TableName;
    if (!box.Alias.isEmpty()) text += QLatin1Char(' ') + box.Alias;
    return text;
}

struct Placed {
    qsizetype Pos = 0; // 1-based start in the join text
    qsizetype Len = 0;
};

struct Pending {
    int Link;
    int Visits = 0;
};

// One pass of the writer over the pending links.
class JoinWriter {
public:
    JoinWriter(const QueryDesign& design, const std::vector<Pending>& pending)
        : FDesign(design), FPending(pending) {}

    QString Run() {
        if (!WriteLink(0, 0, FText)) return QStringLiteral("-1");
        Record();
        std::size_t k = 0;
        while (!FPending.empty()) {
            if (k >= FPending.size()) k = 0;
            const TDesignLink& link = FDesign.Links[FPending[k].Link];
            const QString name1 = Name(link.Table1);
            const QString name2 = Name(link.Table2);
            const bool has1 = FPlaced.contains(name1);
            const bool has2 = FPlaced.contains(name2);
            if (has1 && has2) return QStringLiteral("-1");
            if (!has1 && !has2) {
                if (FPending[k].Visits > 0) return QStringLiteral("-2");
                FPending[k].Visits = 1;
                k = (k + 1) % FPending.size();
                continue;
            }
            // The table already written is the anchor: its text gives way to
            // the bracketed join, which repeats it.
            const Placed anchor = FPlaced.value(has1 ? name1 : name2);
            QString written;
            const qsizetype before = anchor.Pos - 1;
            if (!WriteLink(k, anchor.Pos, written)) return QStringLiteral("-1");
            const qsizetype growth = written.size() + 2 - anchor.Len;
            FText = FText.left(before) + QLatin1Char('(') + written + QLatin1Char(')') +
                    FText.mid(before + anchor.Len);
            Shift(anchor.Pos, growth);
            Record();
            // Progress was made: every link may be reachable again.
            for (Pending& p : FPending)
                p.Visits = 0;
        }
        return FText;
    }

private:
    QString Name(int box) const { return FDesign.Boxes[box].GetTableName(); }

    // Writes pending link p (and the other links between the same two boxes)
    // as if it began at position base + 1. The tables' places are kept in
    // FNew until Record(). False when two links between the boxes disagree.
    bool WriteLink(std::size_t p, qsizetype base, QString& text) {
        const TDesignLink link = FDesign.Links[FPending[p].Link];
        const TDesignBox& box1 = FDesign.Boxes[link.Table1];
        const TDesignBox& box2 = FDesign.Boxes[link.Table2];
        const QString name1 = box1.GetTableName();
        const QString name2 = box2.GetTableName();
        text = BoxText(box1);
        FNew[0] = {name1, {base + 1, text.size()}};
        text += QLatin1Char(' ') + JoinKeyword(link.JoinType) + QLatin1Char(' ');
        const qsizetype s = text.size();
        const QString second = BoxText(box2);
        FNew[1] = {name2, {base + 1 + s, second.size()}};
        text += second + QLatin1String(" on ") + Condition(name1, link.Field1, name2, link.Field2);
        FPending.erase(FPending.begin() + std::ptrdiff_t(p));

        for (std::size_t i = 0; i < FPending.size();) {
            const TDesignLink& other = FDesign.Links[FPending[i].Link];
            const QString other1 = Name(other.Table1);
            const QString other2 = Name(other.Table2);
            if (other1 == name1 && other2 == name2) {
                if (other.JoinType != link.JoinType) return false;
                text +=
                    QLatin1String(" and ") + Condition(name1, other.Field1, name2, other.Field2);
            } else if (other1 == name2 && other2 == name1) {
                const bool agree = (other.JoinType == 0 && link.JoinType == 0) ||
                                   std::abs(other.JoinType - link.JoinType) == 1;
                if (!agree) return false;
                text +=
                    QLatin1String(" and ") + Condition(other2, other.Field2, other1, other.Field1);
            } else {
                ++i;
                continue;
            }
            FPending.erase(FPending.begin() + std::ptrdiff_t(i));
        }
        return true;
    }

    static QString Condition(const QString& n1, const QString& f1, const QString& n2,
                             const QString& f2) {
        return n1 + QLatin1Char('.') + f1 + QLatin1Char('=') + n2 + QLatin1Char('.') + f2;
    }

    // Tables that stood after the replaced anchor move by the growth.
    void Shift(qsizetype anchorPos, qsizetype growth) {
        for (Placed& placed : FPlaced)
            if (placed.Pos > anchorPos) placed.Pos += growth;
    }

    void Record() {
        for (const auto& [name, placed] : FNew)
            FPlaced.insert(name, placed);
    }

    const QueryDesign& FDesign;
    std::vector<Pending> FPending;
    QHash<QString, Placed> FPlaced;
    std::pair<QString, Placed> FNew[2];
    QString FText;
};

} // namespace

QString JoinKeyword(int joinType) {
    return joinType >= 0 && joinType < sOuterJoin.size() ? sOuterJoin[joinType] : sOuterJoin[0];
}

QString GetJoinClause(const QueryDesign& design) {
    std::vector<Pending> pending;
    std::size_t inner = 0;
    for (qsizetype i = 0; i < design.Links.size(); ++i) {
        if (!HasBoxes(design, design.Links[i])) continue;
        pending.push_back({int(i)});
        if (design.Links[i].JoinType == 0) ++inner;
    }
    if (pending.empty()) return {};
    if (inner == pending.size()) return QStringLiteral("0");
    return JoinWriter(design, pending).Run();
}

} // namespace quillary
