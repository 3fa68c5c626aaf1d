#pragma once
// The rules by which two columns may be linked, and the reading of one
// condition as a link.

#include "query/DesignHooks.h"
#include "query/QueryDesign.h"
#include "sqltext/TextHash.h"

#include <QHash>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

namespace quillary {

// Why a new link is refused. Refused with an empty Text is the silent
// refusal of the "*" row; an empty Caption is the plain message box.
struct TLinkRefusal {
    bool Refused = false;
    QString Text;
    QString Caption;
};

// The checks made before a link between row1 of box1 and row2 of box2 is
// created: missing columns, the "*" row, a box linked to itself, and
// columns of different type classes.
TLinkRefusal CheckNewLink(const TDesignBox& box1, const TDesignBox& box2, bool sameBox, int row1,
                          int row2);

// A message to show: text and caption. An empty text shows nothing.
struct TLinkMessage {
    QString Text;
    QString Caption;
    bool operator==(const TLinkMessage&) const = default;
};

struct TLinkVerdict {
    bool Refused = false;
    // Why, when refused (empty text: refused without a word).
    TLinkMessage Refusal;
    // Shown before the refusal or the new link: ends whose row lies beyond
    // their box's columns. Such an end is kept as missing.
    QList<TLinkMessage> Notices;
    // The rows the new link keeps (-1 for a missing end) and their columns.
    int Row1 = -1;
    int Row2 = -1;
    QString Field1;
    QString Field2;
};

// Judges a link from row `row1` of box `box1` to row `row2` of box `box2`.
// `table1` and `table2` identify the boxes as Table1/Table2 do in `links`.
// In order: a negative row, the "*" row (silently), a box with itself, columns
// of different type classes, then, with ends beyond a box's columns kept as
// missing, a link that joins the same two columns already. The canvas and a
// design without widgets both judge by it.
TLinkVerdict JudgeNewLink(const TDesignBox& box1, int table1, const TDesignBox& box2, int table2,
                          int row1, int row2, const QList<TDesignLink>& links);

// Whether a link other than links[except] joins the same two columns as
// `link`, in either direction.
bool IsAlreadyLinked(const QList<TDesignLink>& links, const TDesignLink& link,
                     qsizetype except = -1);
// Whether a link other than links[except] has box `table` and row `row` at
// an end.
bool IsLinkedAt(const QList<TDesignLink>& links, qsizetype except, int table, int row);

// Links row1 of box table1 to row2 of box table2 with join type 0. Every
// refusal is shown through hooks.Message; returns the new link's index, or
// -1 when the link was refused. A row beyond its box's columns still makes
// the link, with that end marked missing (-1), after a message.
int InsertLink(QueryDesign& design, int table1, int table2, int row1, int row2,
               const TDesignHooks& hooks);

// True when another link joins the same two columns as link `index`, in
// either direction.
bool FindLink(const QueryDesign& design, int index);
// True when a link other than `index` has box `table` and row `row` at an end.
bool FindOtherLink(const QueryDesign& design, int index, int table, int row);

// The fields of a design's boxes by their names and by their qualified
// names, letter case folded: reading many conditions against boxes that do
// not change meanwhile looks each operand up instead of walking every field.
class TFieldIndex {
public:
    // Keeps a reference to `design`, whose boxes must not change meanwhile.
    explicit TFieldIndex(const QueryDesign& design);
    // The first row of every box at which `operand` names a field, by box.
    QMap<int, int> Matches(const QString& operand) const;

private:
    void PreferWritten(const QString& operand, int box, int& row) const;

    const QueryDesign& FDesign;
    TTextHash<QList<QPair<int, int>>> FFields; // field name -> (box, row)
    TTextHash<QList<int>> FBoxes;              // box name -> boxes
    QSet<int> FTwins; // boxes with columns whose names differ only in case
};

// Reads one condition (opening brackets, left operand, operator, right
// operand, closing brackets, connector) as a link between fields of two
// boxes of data source `kind`. Makes the link (InsertLink) and returns its
// join type: `joinType` when not -1, else the one the operator gives. -1
// when the condition is no link, -2 when `elements` does not hold six texts.
// `index`, when given, must be one of the design's boxes as they are now.
int IsLinkList(QueryDesign& design, const QStringList& elements, int kind, int joinType,
               const TDesignHooks& hooks, const TFieldIndex* index = nullptr);

} // namespace quillary
