#pragma once
// The FROM clause written with nested JOIN ... ON from the links, and the
// checks of the link graph made on the way.

#include "query/QueryDesign.h"

#include <QHash>
#include <QList>
#include <QString>

namespace quillary {

// The join text (without the word from), or a code: "0" every link is an
// inner join (the joins go into the WHERE clause), "-1" a closed loop or two
// links between the same boxes that do not agree, "-2" link networks that
// are not connected; an empty text when there is no link. Links are taken
// in design order.
QString GetJoinClause(const QueryDesign& design);

// The links whose further condition names a box the join text has not
// written where the condition stands (a box joined later, or not joined):
// that condition cannot see it. A condition naming boxes written before
// has its join written after all of them ("(t JOIN u on …) LEFT JOIN w on
// t.k=w.k and u.g = w.h").
QList<int> LinksBeyondReach(const QueryDesign& design);

// The boxes `text` names before a dot ("t.k", "\"t\".k", "s.v.k"), in
// order, each once.
QList<int> QualifierBoxes(const QueryDesign& design, const QString& text);

// The join keyword of a join type; types outside the keyword table write
// as an inner join.
QString JoinKeyword(int joinType);

// The boxes no link joins that a link's further condition names, by the
// box that link keeps all rows of (the first box of an inner one): the join
// text writes them cross joined with it, for the condition to see them
// ("(t CROSS JOIN u) LEFT JOIN w on t.k=w.k and u.g = w.h"), and nowhere
// else. A full join keeps none.
QHash<int, QList<int>> CrossJoinedBoxes(const QueryDesign& design);

} // namespace quillary
