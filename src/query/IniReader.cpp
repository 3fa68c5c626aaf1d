#include "query/IniReader.h"
#include "query/DesignTexts.h"
#include "sqltext/Common.h"

namespace quillary {

namespace {

QString Unquoted(const QString& value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) &&
        value.endsWith(QLatin1Char('\'')))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

QString OnOneLine(QString value) {
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n'))) return value;
    // TrimExp ends a comment at a carriage return; an editor's lines end in
    // LF alone.
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    value.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    value = TrimExp(value);
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

TIniText::TIniText(const QStringList& lines) {
    qsizetype current = -1; // none: before any header, or in a repeated section
    for (QString line : lines) {
        // The ends of lines written on Windows, and carriage returns a value
        // cannot hold (written values hold none): a line read again must
        // not lose one more each time, and a value with one inside is read
        // as it would be written.
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = TrimCell(line);
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            if (close < 0) continue;
            const QString name = TrimCell(trimmed.mid(1, close - 1)).toCaseFolded();
            if (FIndex.contains(name)) {
                current = -1;
            } else {
                current = FSections.size();
                FIndex.insert(name, current);
                FSections.append(QList<TEntry>());
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || current < 0) continue;
        FSections[current].append(
            {TrimCell(line.left(eq)), OnOneLine(Unquoted(line.mid(eq + 1))), line});
    }
}

bool TIniText::HasSection(const QString& section) const {
    return FIndex.contains(section.toCaseFolded());
}

const QList<TIniText::TEntry>& TIniText::Entries(const QString& section) const {
    static const QList<TEntry> none;
    const qsizetype i = FIndex.value(section.toCaseFolded(), -1);
    return i < 0 ? none : FSections[i];
}

QString TIniText::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    for (const TEntry& e : Entries(section))
        if (e.Key.compare(key, Qt::CaseInsensitive) == 0) return e.Value;
    return defaultValue;
}

} // namespace quillary
