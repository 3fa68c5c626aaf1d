#pragma once
// Readable failure output for texts and lists, and the fixed-size groups
// the clause analysers return.

#include <QString>
#include <QStringList>

#include "QtPrinters.h"

namespace quillary::test {

// Item `group` (0-based) of a list made of groups of `size` items.
inline QStringList Group(const QStringList& list, qsizetype group, qsizetype size) {
    return list.mid(group * size, size);
}

} // namespace quillary::test
