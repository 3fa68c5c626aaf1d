#include "query/DocumentNames.h"

namespace quillary {

QString TableFromDocument(const QString& text, const TSqlDialect& dialect,
                          const QStringList& tables) {
    if (text.trimmed().isEmpty()) return {}; // names nothing
    const auto listed = [&tables](const QString& name) -> QString {
        for (const QString& t : tables)
            if (t == name) return t;
        for (const QString& t : tables)
            if (t.compare(name, Qt::CaseInsensitive) == 0) return t;
        return {};
    };
    QStringList parts;
    const bool readsAsName = dialect.ReadName(text, parts);
    const QString name = readsAsName ? dialect.QualifiedName(parts) : QString();
    if (readsAsName && (tables.isEmpty() || !listed(name).isEmpty()))
        return tables.isEmpty() ? name : listed(name);
    // A table whose whole name is the text (say one named "[y]" where
    // brackets quote): the list knows it by its quoted name.
    for (const QString& t : tables)
        if (dialect.ReadName(t, parts) && parts.size() == 1 && parts.first() == text) return t;
    return readsAsName ? name : dialect.Quote(text);
}

bool AliasFromDocument(const QString& text, const TSqlDialect& dialect, QString& alias) {
    if (text.isEmpty() || IsValidByName(text, dialect.Kind())) {
        alias = text;
        return true;
    }
    if (!IsNameToken(text)) return false;
    alias = dialect.NameFromText(text);
    return true;
}

QString ColumnFromDocument(const QString& text) {
    QString name;
    return ReadQuotedName(text, name) ? name : text;
}

QStringList SplitOutsideQuotes(const QString& value, qsizetype parts) {
    QStringList cut;
    QChar close;
    qsizetype from = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (!close.isNull()) {
            if (c != close) continue;
            if (i + 1 < value.size() && value[i + 1] == close)
                ++i; // doubled: part of the name
            else
                close = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            close = c;
        } else if (c == QLatin1Char('[')) {
            close = QLatin1Char(']');
        } else if (c == QLatin1Char(',') && (parts < 0 || cut.size() < parts - 1)) {
            cut << value.mid(from, i - from);
            from = i + 1;
        }
    }
    cut << value.mid(from);
    return cut;
}

} // namespace quillary
