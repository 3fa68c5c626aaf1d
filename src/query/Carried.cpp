#include "query/Carried.h"
#include "sqltext/SqlStatements.h"

#include <QHash>
#include <QSet>

namespace quillary {

namespace {

// Words whose loss changes what a statement returns. LEFT and RIGHT are one
// class: an outer join may be written from its other side.
QString KeywordClass(const QString& word) {
    static const QSet<QString> kept = {
        QStringLiteral("not"),   QStringLiteral("exists"),    QStringLiteral("in"),
        QStringLiteral("between"), QStringLiteral("like"),    QStringLiteral("ilike"),
        QStringLiteral("glob"),  QStringLiteral("regexp"),    QStringLiteral("is"),
        QStringLiteral("null"),  QStringLiteral("or"),        QStringLiteral("case"),
        QStringLiteral("when"),  QStringLiteral("then"),      QStringLiteral("else"),
        QStringLiteral("end"),   QStringLiteral("distinct"),  QStringLiteral("union"),
        QStringLiteral("all"),   QStringLiteral("except"),    QStringLiteral("intersect"),
        QStringLiteral("minus"), QStringLiteral("full"),      QStringLiteral("desc"),
        QStringLiteral("over"),  QStringLiteral("partition"), QStringLiteral("select"),
        QStringLiteral("true"),  QStringLiteral("false"),     QStringLiteral("any"),
        QStringLiteral("some"),  QStringLiteral("escape")};
    if (word == QLatin1String("left") || word == QLatin1String("right"))
        return QStringLiteral("left|right");
    // Oracle writes EXCEPT as MINUS.
    if (word == QLatin1String("except") || word == QLatin1String("minus"))
        return QStringLiteral("except|minus");
    return kept.contains(word) ? word : QString();
}

// Words that say how a statement is written rather than what it returns.
bool IsStructureWord(const QString& word) {
    static const QSet<QString> words = {
        QStringLiteral("as"),     QStringLiteral("and"),    QStringLiteral("on"),
        QStringLiteral("join"),   QStringLiteral("inner"),  QStringLiteral("outer"),
        QStringLiteral("cross"),  QStringLiteral("natural"), QStringLiteral("using"),
        QStringLiteral("from"),   QStringLiteral("where"),  QStringLiteral("group"),
        QStringLiteral("by"),     QStringLiteral("order"),  QStringLiteral("having"),
        QStringLiteral("limit"),  QStringLiteral("offset"), QStringLiteral("top"),
        QStringLiteral("asc"),    QStringLiteral("with"),   QStringLiteral("recursive"),
        QStringLiteral("materialized")};
    return words.contains(word);
}

struct TParts {
    QHash<QString, int> Count;
    QHash<QString, QString> Shown; // key -> the part as first written
    QStringList Order;             // keys in order of first appearance
};

TParts PartsOf(const QString& text, TSqlReading reading) {
    TParts parts;
    const QList<TSqlWord> words = SqlWords(text, reading);
    const auto add = [&](const QString& key, const QString& shown) {
        if (++parts.Count[key] == 1) {
            parts.Shown.insert(key, shown);
            parts.Order << key;
        }
    };
    const auto textOf = [&](const TSqlWord& w) { return text.mid(w.Start, w.End - w.Start); };
    bool orderBy = false; // inside the ORDER BY of the whole statement
    for (qsizetype i = 0; i < words.size(); ++i) {
        const TSqlWord& w = words[i];
        const QString written = textOf(w);
        if (w.Kind == TSqlWord::Word && w.Depth == 0) {
            const QString lower = written.toLower();
            if (lower == QLatin1String("order") && i + 1 < words.size() &&
                textOf(words[i + 1]).compare(QLatin1String("by"), Qt::CaseInsensitive) == 0)
                orderBy = true;
            else if (lower == QLatin1String("limit") || lower == QLatin1String("offset") ||
                     lower == QLatin1String("fetch") || lower == QLatin1String("union") ||
                     lower == QLatin1String("except") || lower == QLatin1String("intersect") ||
                     lower == QLatin1String("minus"))
                orderBy = false;
        }
        if (w.Kind == TSqlWord::String) {
            if (!orderBy) add(QStringLiteral("s:") + written, written);
            continue;
        }
        if (w.Kind != TSqlWord::Word && w.Kind != TSqlWord::Name) continue;
        // A qualifier stands for its box: only the name after the last dot counts.
        if (i + 2 < words.size() && words[i + 1].Kind == TSqlWord::Symbol &&
            textOf(words[i + 1]) == QLatin1String(".") &&
            (words[i + 2].Kind == TSqlWord::Word || words[i + 2].Kind == TSqlWord::Name))
            continue;
        if (w.Kind == TSqlWord::Name) {
            QString name;
            if (!ReadQuotedName(written, name)) name = written;
            if (!orderBy) add(QStringLiteral("n:") + name.toCaseFolded(), written);
            continue;
        }
        const QString lower = written.toLower();
        if (const QString keyword = KeywordClass(lower); !keyword.isEmpty()) {
            if (!orderBy || keyword == QLatin1String("desc"))
                add(QStringLiteral("k:") + keyword, written.toUpper());
            continue;
        }
        if (IsStructureWord(lower) || orderBy) continue;
        if (written[0].isDigit()) {
            add(QStringLiteral("v:") + written, written);
            continue;
        }
        add(QStringLiteral("n:") + written.toCaseFolded(), written);
    }
    return parts;
}

} // namespace

QStringList NotCarried(const QString& original, const QString& regenerated,
                       const TSqlDialect& dialect) {
    const TSqlReading reading = dialect.Readings().front();
    const TParts before = PartsOf(original, reading);
    const TParts after = PartsOf(regenerated, reading);
    QStringList missing;
    for (const QString& key : before.Order)
        if (before.Count.value(key) > after.Count.value(key)) missing << before.Shown.value(key);
    return missing;
}

QString NotCarriedQuestion(const QStringList& parts) {
    constexpr qsizetype kShown = 20;
    QStringList shown;
    for (qsizetype i = 0; i < parts.size() && i < kShown; ++i)
        shown << QStringLiteral("「") + parts[i].left(80) + QStringLiteral("」");
    QString list = shown.join(QStringLiteral("、"));
    if (parts.size() > kShown) list += QStringLiteral("等%1处").arg(parts.size());
    return QStringLiteral("设计没有包含原语句中的这些部分：%1。按设计生成的语句可能返回不同的记录。"
                          "\n是否仍然应用这个设计？")
        .arg(list);
}

} // namespace quillary
