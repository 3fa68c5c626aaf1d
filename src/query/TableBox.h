#pragma once
// What a table box does to the rest of the design when it arrives, changes
// its ticks or name, and leaves: the pick lists and sort lists follow it.

#include "query/QueryDesign.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quillary {

// Puts a loaded box on the canvas (at the end of the canvas order) and
// offers its columns as group candidates and condition operands. Returns
// the box's index.
int ActivateBox(QueryDesign& design, const TDesignBox& box);

// Offers columns (designations) for grouping and as condition operands.
void OfferColumns(QueryDesign& design, const QStringList& designations);
// Removes every entry of a box (designations beginning with `prefix`, its
// name and "."), from the sort, group and pick lists.
void WithdrawColumns(QueryDesign& design, const QString& prefix);

// A column whose tick changed.
struct TSortTick {
    QString Designation;
    bool Ticked = false;
};
// A ticked column is offered for sorting unless it is offered or chosen
// already; an unticked one leaves both sort lists. Applied in order.
void TickSortCandidates(QueryDesign& design, const QList<TSortTick>& ticks);

// Brings the sort lists into line with all ticks of box `index`: a ticked
// column is offered for sorting, an unticked one leaves both sort lists.
void UpdateOrderColumn(QueryDesign& design, int index);
// The same for the boxes from `first` up to (not including) `end`, in order.
void UpdateOrderColumns(QueryDesign& design, int first, int end);

// Renames the prefix old + "." to new + "." in the candidate, group and
// pick lists and in the chosen sort columns. Grid cells are not rewritten.
void UpdateCriterList(QueryDesign& design, const QString& oldName, const QString& newName);

// Closes box `index`: its links go, its columns leave the lists, and the
// boxes after it move up (links are renumbered).
void CloseBox(QueryDesign& design, int index);

// An empty design as the designer resets it: every box closed, no union set
// and no row limit, empty sort and group lists, grid cells emptied (the grids
// keep their rows; the display list keeps one), union grid and distinct left
// alone.
void Init(QueryDesign& design);

} // namespace quillary
