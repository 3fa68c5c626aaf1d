#pragma once
// An in-memory reader of INI-style text with the reading rules of the
// designer state text: sections by name (the text between "[" and "]" of a
// header line, letter case ignored), only the first occurrence of a section
// name is read, keys compared without regard to letter case, one pair of
// enclosing single quotes removed from a value, and every line that is
// neither a header nor an entry ("key=value") ignored.

#include "sqltext/TextHash.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillary {

class TIniText {
public:
    struct TEntry {
        QString Key;
        QString Value; // enclosing quotes removed
        QString Line;  // the line as written
    };

    explicit TIniText(const QStringList& lines);

    bool HasSection(const QString& section) const;
    // The entries of the section in text order, whatever their keys.
    const QList<TEntry>& Entries(const QString& section) const;
    // The value of the first entry with this key, or `defaultValue`.
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue = {}) const;

private:
    QList<QList<TEntry>> FSections;
    TTextHash<qsizetype> FIndex; // folded name -> section
};

// `value` as a value of one line: with a line break in it, its comments are
// taken out first (a comment the break ended would take the rest of the
// line) and every break becomes a blank.
QString OnOneLine(QString value);

} // namespace quillary
