#pragma once
// Joins from foreign keys: a table placed from the table list is linked to
// the boxes already on the canvas along the foreign keys the database
// declares between their tables, in either direction, as inner joins.
// Every link goes through TQBArea::InsertLink, so its rules and bold marks
// apply; a key that a rule would refuse is left out without a word. The
// rebuild from SQL and the state text never come here.

#include "db/ForeignKeys.h"

#include <QList>

class QAction;

namespace quillary {

class TQBArea;
class TQBLink;
class TQBTable;

inline constexpr char kAutoLinkCaption[] = "按外键自动链接";

// Links `box` along `keys` (of its table) to the other boxes. A key between
// two copies of one table (a table that refers to itself) links the box
// already there, as the referring one, to the new copy. Where several boxes
// show the other table, the latest placed one is taken.
QList<TQBLink*> LinkByForeignKeys(TQBArea* canvas, TQBTable* box,
                                  const QList<dialect::TForeignKey>& keys);

// Whether placing a table makes links: the designer dialog's IsAutoLink,
// or the menu item's tick where the canvas has no dialog.
bool AutoLinkOn(const TQBArea* canvas);
// Reads the keys of the table of `box`, which was just placed from the
// table list, and links it when the switch is on.
void AutoLinkPlacedTable(TQBArea* canvas, TQBTable* box);
// The check item of the canvas's pop-up menu that switches it.
QAction* CreateAutoLinkItem(TQBArea* canvas);

} // namespace quillary
