#include "query/Carried.h"
#include "sqltext/SqlStatements.h"

#include <QHash>
#include <QSet>

#include <optional>

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

// A part of a statement by a hash of its normalised text; the position of
// its first appearance shows it.
struct TParts {
    QHash<quint64, int> Count;
    QHash<quint64, std::pair<qsizetype, qsizetype>> First; // where it is written first
    QList<quint64> Order;                                  // keys in order of first appearance
    QHash<quint64, QString> Shown;                         // keyword parts shown upper case
};

// FNV-1a over a tag and characters, letters folded when asked.
quint64 Hash(char tag, QStringView text, bool fold) {
    quint64 h = 1469598103934665603ULL ^ quint64(tag);
    for (const QChar c : text) {
        const char16_t u = fold ? (c.unicode() < 0x80 ? (c.unicode() >= u'A' && c.unicode() <= u'Z'
                                                             ? char16_t(c.unicode() + 32)
                                                             : c.unicode())
                                                       : c.toCaseFolded().unicode())
                                : c.unicode();
        h = (h ^ (u & 0xFF)) * 1099511628211ULL;
        h = (h ^ (u >> 8)) * 1099511628211ULL;
    }
    return h;
}

TParts PartsOf(const QString& text, TSqlReading reading) {
    TParts parts;
    const auto add = [&](quint64 key, qsizetype start, qsizetype end, const QString& shown = {}) {
        if (++parts.Count[key] == 1) {
            parts.First.insert(key, {start, end});
            parts.Order << key;
            if (!shown.isEmpty()) parts.Shown.insert(key, shown);
        }
    };
    // One token behind: a name followed by "." is a qualifier.
    std::optional<TSqlWord> held;
    bool dotAfterHeld = false;
    bool orderBy = false; // inside the ORDER BY of the whole statement
    QString previousWord;
    const auto count = [&](const TSqlWord& w) {
        const QStringView written = QStringView(text).mid(w.Start, w.End - w.Start);
        if (w.Kind == TSqlWord::String) {
            if (!orderBy) add(Hash('s', written, false), w.Start, w.End);
            return;
        }
        if (w.Kind == TSqlWord::Name) {
            QString name;
            if (!ReadQuotedName(written, name)) name = written.toString();
            if (!orderBy) add(Hash('n', name, true), w.Start, w.End);
            return;
        }
        const QString lower = written.size() <= 12 ? written.toString().toLower() : QString();
        if (const QString keyword = KeywordClass(lower); !keyword.isEmpty()) {
            if (!orderBy || keyword == QLatin1String("desc"))
                add(Hash('k', keyword, false), w.Start, w.End, written.toString().toUpper());
            return;
        }
        if (orderBy || IsStructureWord(lower)) return;
        if (written[0].isDigit())
            add(Hash('v', written, false), w.Start, w.End);
        else
            add(Hash('n', written, true), w.Start, w.End);
    };
    ForEachSqlWord(text, reading, [&](const TSqlWord& w) {
        const QStringView written = QStringView(text).mid(w.Start, w.End - w.Start);
        if (w.Kind == TSqlWord::Symbol && written == QLatin1String(".")) {
            dotAfterHeld = held.has_value();
            return;
        }
        if (held) {
            // A qualifier stands for its box: only the name after the last dot counts.
            const bool qualifier =
                dotAfterHeld && (w.Kind == TSqlWord::Word || w.Kind == TSqlWord::Name);
            if (!qualifier) count(*held);
            held.reset();
        }
        dotAfterHeld = false;
        if (w.Kind == TSqlWord::Word && w.Depth == 0 && written.size() <= 9) {
            const QString lower = written.toString().toLower();
            if (lower == QLatin1String("by") && previousWord == QLatin1String("order"))
                orderBy = true;
            else if (lower == QLatin1String("limit") || lower == QLatin1String("offset") ||
                     lower == QLatin1String("fetch") || lower == QLatin1String("union") ||
                     lower == QLatin1String("except") || lower == QLatin1String("intersect") ||
                     lower == QLatin1String("minus"))
                orderBy = false;
            previousWord = lower;
        } else if (w.Kind == TSqlWord::Word && w.Depth == 0) {
            previousWord.clear();
        }
        if (w.Kind == TSqlWord::Word || w.Kind == TSqlWord::Name) {
            held = w;
            return;
        }
        if (w.Kind == TSqlWord::String) count(w);
    });
    if (held) count(*held);
    return parts;
}

} // namespace

QStringList NotCarried(const QString& original, const QString& regenerated,
                       const TSqlDialect& dialect) {
    const TSqlReading reading = dialect.Readings().front();
    const TParts before = PartsOf(original, reading);
    const TParts after = PartsOf(regenerated, reading);
    QStringList missing;
    for (const quint64 key : before.Order) {
        if (before.Count.value(key) <= after.Count.value(key)) continue;
        const auto [start, end] = before.First.value(key);
        missing << before.Shown.value(key, original.mid(start, end - start));
    }
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
