#pragma once
// Texts and lists printed readably when a test fails.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"';
    for (QChar c : s) {
        if (c == QLatin1Char('\n'))
            *os << "\\n";
        else if (c == QLatin1Char('\r'))
            *os << "\\r";
        else if (c == QLatin1Char('\t'))
            *os << "\\t";
        else if (c.unicode() < 32)
            *os << "\\x" << std::hex << int(c.unicode()) << std::dec << "\\";
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
