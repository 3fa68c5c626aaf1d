#pragma once
// ADO-style connection strings: «Key=Value;Key=Value», read by the one
// reader of sqltext/ConnectionText.h (keys in any case, quoted and braced
// values). When a key appears twice, the first occurrence counts.

#include "sqltext/TextHash.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <initializer_list>

namespace quillary {

class TConnectionString {
public:
    using TItem = QPair<QString, QString>;

    TConnectionString() = default;

    // Throws EDatabaseError with the position and reason on malformed text.
    static TConnectionString Parse(const QString& text);
    // The same without raising: false and a reason on malformed text.
    static bool TryParse(const QString& text, TConnectionString& result, QString* error = nullptr);

    bool Contains(const QString& key) const;
    // The value of the first of `keys` that is present (synonyms); empty when none.
    QString Value(const QString& key) const;
    QString Value(std::initializer_list<const char*> keys) const;
    // Replaces the first occurrence, or appends.
    void Set(const QString& key, const QString& value);
    void Remove(const QString& key);

    const QList<TItem>& Items() const { return m_items; }
    bool IsEmpty() const { return m_items.isEmpty(); }

    // Writes the items back, quoting values that need it.
    QString ToString() const;
    static QString QuoteValue(const QString& value);

    // Whether "Persist Security Info" says True: only then may a stored copy
    // of the string keep its password (ADO's meaning of the key).
    bool PersistsSecurityInfo() const;

    // `text` as it may be printed or shown: every value of "Password" and
    // "PWD" (also inside "Extended Properties") reads "***". Malformed text is
    // masked too, from each such key to the next ";".
    static QString Masked(const QString& text);
    // `text` as it may be kept in a file: without its passwords unless it
    // says "Persist Security Info=True"; otherwise unchanged, letter for letter.
    static QString ForStorage(const QString& text);
    // Whether `text` carries a password that is not empty.
    static bool HoldsPassword(const QString& text);

private:
    void Reindex();

    QList<TItem> m_items;
    // Case-folded key -> position in m_items: look-ups stay cheap on strings
    // of a hundred thousand keys.
    TTextHash<qsizetype> m_index;
};

} // namespace quillary
