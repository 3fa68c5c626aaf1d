#pragma once
// Whether a statement read back into a design comes out whole: every
// literal, column reference and clause word of the statement must be found
// again in the statement the design writes. Joins written the other way,
// ORDER BY by position or by text, aliases with or without AS and names
// with or without their box's prefix count as the same.

#include "sqltext/SqlDialect.h"

#include <QString>
#include <QStringList>

namespace quillary {

// The parts of `original` (as written there) that `regenerated` lacks;
// empty when it carries them all. `outerMadeInner` outer joins of the
// original were read as the inner joins they amount to (an inner join
// after them drops their rows of nulls): their LEFT or RIGHT may be gone.
// `starsSpelled` "*" were written as the columns they stand for.
QStringList NotCarried(const QString& original, const QString& regenerated,
                       const TSqlDialect& dialect, int outerMadeInner = 0, int starsSpelled = 0);

// The question put to the user when parts are not carried (Chinese).
QString NotCarriedQuestion(const QStringList& parts);

} // namespace quillary
