#include "query/TableBox.h"
#include "query/DesignTexts.h"
#include "sqltext/TextHash.h"

#include <QHash>

namespace quillary {

int ActivateBox(QueryDesign& design, const TDesignBox& box) {
    design.Boxes.append(box);
    QStringList columns;
    columns.reserve(box.Fields.size());
    for (qsizetype f = 1; f < box.Fields.size(); ++f)
        columns << Designation(design, box, box.Fields[f].Name);
    OfferColumns(design, columns);
    return int(design.Boxes.size()) - 1;
}

void OfferColumns(QueryDesign& design, const QStringList& designations) {
    design.GroupList << designations;
    design.ConditionPickList << designations;
}

void WithdrawColumns(QueryDesign& design, const QString& prefix) {
    for (QStringList* list :
         {&design.OrderList, &design.GroupList, &design.GroupColumn, &design.ConditionPickList})
        list->removeIf([&](const QString& s) { return s.startsWith(prefix); });
    const qsizetype marker = DescendingMarker().size();
    design.OrderColumn.removeIf(
        [&](const TCheckedItem& item) { return item.Text.mid(marker).startsWith(prefix); });
}

namespace {

// The two sort lists with their entries found by text, ignoring case, as
// the lists search them.
class TSortLists {
public:
    explicit TSortLists(QueryDesign& design) : FDesign(design) {
        for (const QString& c : design.OrderList)
            ++FOffered[c.toCaseFolded()];
        for (const TCheckedItem& item : design.OrderColumn)
            ++FChosen[item.Text.toCaseFolded()];
    }

    void Tick(const QString& c, const QString& d) {
        const QString folded = c.toCaseFolded();
        if (FOffered.value(folded) > 0 ||
            (!FChosen.isEmpty() && FChosen.value(d.toCaseFolded()) > 0))
            return;
        FDesign.OrderList << c;
        ++FOffered[folded];
    }

    void Untick(const QString& c, const QString& d) {
        if (const auto it = FOffered.find(c.toCaseFolded());
            it != FOffered.end() && *it > 0 && RemoveText(FDesign.OrderList, c))
            --*it;
        if (FChosen.isEmpty()) return;
        const auto it = FChosen.find(d.toCaseFolded());
        if (it == FChosen.end() || *it == 0) return;
        for (qsizetype i = 0; i < FDesign.OrderColumn.size(); ++i)
            if (FDesign.OrderColumn[i].Text.compare(d, Qt::CaseInsensitive) == 0) {
                FDesign.OrderColumn.removeAt(i);
                --*it;
                return;
            }
    }

private:
    QueryDesign& FDesign;
    TTextHash<int> FOffered, FChosen;
};

} // namespace

void UpdateOrderColumn(QueryDesign& design, int index) {
    UpdateOrderColumns(design, index, index + 1);
}

void TickSortCandidates(QueryDesign& design, const QList<TSortTick>& ticks) {
    TSortLists lists(design);
    const QString marker = DescendingMarker();
    for (const TSortTick& tick : ticks) {
        if (tick.Ticked)
            lists.Tick(tick.Designation, marker + tick.Designation);
        else
            lists.Untick(tick.Designation, marker + tick.Designation);
    }
}

void UpdateOrderColumns(QueryDesign& design, int first, int end) {
    QList<TSortTick> ticks;
    for (int index = qMax(first, 0); index < end && index < design.Boxes.size(); ++index) {
        const TDesignBox& box = design.Boxes[index];
        for (qsizetype f = 1; f < box.Fields.size(); ++f)
            ticks.append({Designation(design, box, box.Fields[f].Name), box.Fields[f].Checked});
    }
    TickSortCandidates(design, ticks);
}

void UpdateCriterList(QueryDesign& design, const QString& oldName, const QString& newName) {
    const QString from = oldName + QLatin1Char('.');
    const QString to = newName + QLatin1Char('.');
    const auto rename = [&](QString& s, qsizetype at) {
        if (s.mid(at).startsWith(from)) s.replace(at, from.size(), to);
    };
    for (QStringList* list :
         {&design.OrderList, &design.GroupList, &design.GroupColumn, &design.ConditionPickList})
        for (QString& s : *list)
            rename(s, 0);
    const qsizetype marker = DescendingMarker().size();
    for (TCheckedItem& item : design.OrderColumn)
        rename(item.Text, marker);
}

void CloseBox(QueryDesign& design, int index) {
    if (index < 0 || index >= design.Boxes.size()) return;
    for (qsizetype i = design.Links.size() - 1; i >= 0; --i) {
        const TDesignLink& link = design.Links[i];
        if (link.Table1 == index || link.Table2 == index) design.Links.removeAt(i);
    }
    for (TDesignLink& link : design.Links) {
        if (link.Table1 > index) --link.Table1;
        if (link.Table2 > index) --link.Table2;
    }
    WithdrawColumns(design, design.Boxes[index].GetTableName() + QLatin1Char('.'));
    design.Boxes.removeAt(index);
}

void Init(QueryDesign& design) {
    while (!design.Boxes.isEmpty())
        CloseBox(design, 0);
    design.UnionSets.clear();
    design.RowLimit.clear();
    design.RowOffset.clear();
    design.OrderList.clear();
    design.OrderColumn.clear();
    design.GroupList.clear();
    design.GroupColumn.clear();
    const auto empty = [](QList<QStringList>& rows, std::initializer_list<int> cols) {
        for (QStringList& row : rows)
            for (int c : cols)
                if (c < row.size()) row[c].clear();
    };
    empty(design.ComputeRows, {0, 1});
    empty(design.ConditionRows, {0, 1, 2, 3});
    empty(design.HavingRows, {0, 1, 2, 3});
    empty(design.DisplayRows, {1, 2});
    design.DisplayRows = design.DisplayRows.mid(0, 1);
    EnsureGridRows(design.DisplayRows, 1, kDisplayWidth);
}

} // namespace quillary
