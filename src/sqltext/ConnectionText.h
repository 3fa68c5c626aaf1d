#pragma once
// Connection strings as text: «Key=Value;Key=Value», read one way by every
// layer (the connection, the login, the SQL text unit's GetProperty).
// Keys are compared without regard to case and may be surrounded by blanks; a
// literal "=" in a key is written "==". A value may be enclosed in double or
// single quotes (the quote doubled inside stands for itself) or, as in ODBC, in
// braces; otherwise it runs to the next ";" and loses its outer blanks.

#include <QList>
#include <QString>
#include <QStringView>

namespace quillary {

// One "key=value" of a text as written, duplicates included.
struct TConnectionItem {
    QString Key;
    QString Value;
    qsizetype Start = 0;      // the key's first character
    qsizetype ValueStart = 0; // the value as written, quotes included
    qsizetype ValueEnd = 0;
    qsizetype End = 0; // after the separator that follows, if any
};

// The items of `text` in the order written. On malformed text: false, the
// reason with its position in `error`, and in `items` what was read before
// the fault.
bool ReadConnectionItems(QStringView text, QList<TConnectionItem>& items, QString* error = nullptr);

// Whether `text` names a data-link file ("File Name=<path>", any case, blanks
// before it) instead of a data source.
bool IsDataLinkString(QStringView text);

} // namespace quillary
