#pragma once
// Readable failure output for texts and lists, and the fixed-size groups
// the clause analysers return.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"';
    for (QChar c : s) {
        if (c.unicode() < 32)
            *os << "\\x" << std::hex << int(c.unicode()) << std::dec;
        else
            *os << QString(c).toStdString();
    }
    *os << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i) *os << ", ";
        PrintTo(list[i], os);
    }
    *os << ']';
}

namespace quillary::test {

// Item `group` (0-based) of a list made of groups of `size` items.
inline QStringList Group(const QStringList& list, qsizetype group, qsizetype size) {
    return list.mid(group * size, size);
}

} // namespace quillary::test
