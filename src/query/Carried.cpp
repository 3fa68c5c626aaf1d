#include "query/Carried.h"
#include "sqltext/SqlStatements.h"
#include "sqltext/TextHash.h"

#include <QHash>

#include <optional>
#include <utility>
#include <vector>

namespace quillary {

namespace {

// The hash of a text as a part of the given kind.
quint64 Tagged(char tag, quint64 textHash) {
    return (textHash ^ quint64(quint8(tag))) * 1099511628211ULL;
}
// A tag, then the characters, letters folded when asked.
quint64 Hash(char tag, QStringView text, bool fold) {
    return Tagged(tag, TextHash(text, fold));
}

// What a word is to the check.
enum class TWordRole : quint8 {
    Name,      // counted as itself
    Keyword,   // its loss changes what a statement returns: counted by class
    Structure, // says how the statement is written, not what it returns
};
struct TWordInfo {
    TWordRole Role = TWordRole::Name;
    quint64 Class = 0; // of a keyword: the hash its class is counted under
    bool OrderBy = false, OrderByEnd = false, By = false;
    bool BeforeColumns = false; // a "*" after it stands for columns
    bool As = false;            // a string after it is a name (an alias)
};

// The class LEFT and RIGHT are counted under.
quint64 LeftOrRight() {
    return Hash('k', QStringLiteral("left|right"), false);
}

// The part a "*" that stands for columns is counted under.
quint64 Star() {
    return Hash('*', u"*", false);
}

// The words the check knows, by the hash of their folded text. LEFT and
// RIGHT are one class (an outer join may be written from its other side),
// and so are EXCEPT and MINUS (Oracle's name for it).
QHash<quint64, TWordInfo> KnownWordList() {
    QHash<quint64, TWordInfo> w;
    const auto word = [](const char* text) { return Hash('w', QString::fromLatin1(text), true); };
    for (const char* k :
         {"not",      "exists", "in",    "between",   "like", "ilike", "glob", "regexp",
          "is",       "null",   "or",    "case",      "when", "then",  "else", "end",
          "distinct", "union",  "all",   "intersect", "full", "desc",  "over", "partition",
          "select",   "true",   "false", "any",       "some", "escape"})
        w.insert(word(k), {TWordRole::Keyword, Hash('k', QString::fromLatin1(k), false)});
    for (const char* k : {"left", "right"})
        w.insert(word(k), {TWordRole::Keyword, LeftOrRight()});
    for (const char* k : {"except", "minus"})
        w.insert(word(k), {TWordRole::Keyword, Hash('k', QStringLiteral("except|minus"), false)});
    for (const char* k :
         {"as",     "and",  "on",    "join",  "inner",     "outer",        "cross",  "natural",
          "using",  "from", "where", "group", "by",        "order",        "having", "limit",
          "offset", "top",  "asc",   "with",  "recursive", "materialized", "fetch"})
        w.insert(word(k), {TWordRole::Structure});
    w[word("order")].OrderBy = true;
    w[word("by")].By = true;
    for (const char* k : {"limit", "offset", "fetch", "union", "except", "intersect", "minus"})
        w[word(k)].OrderByEnd = true;
    for (const char* k : {"select", "distinct", "all"})
        w[word(k)].BeforeColumns = true;
    w[word("as")].As = true;
    return w;
}

// Where values stand in a vector, by a 64-bit hash key: an open table of
// slots, each holding its key, kept at most half full. A statement of a
// million characters has some hundred thousand parts, each looked up once
// or twice, and every word is looked up among the known ones.
class TKeyIndex {
public:
    // The index of `key`; -1 when there is none.
    qsizetype Find(quint64 key) const { return FSlots[SlotOf(key)].Index; }
    // The index of `key`, `next` when it is new.
    qsizetype Insert(quint64 key, qsizetype next) {
        std::size_t at = SlotOf(key);
        if (FSlots[at].Index >= 0) return FSlots[at].Index;
        if ((FCount + 1) * 2 > FSlots.size()) {
            const std::vector<TSlot> old = std::exchange(FSlots, std::vector<TSlot>(FSlots.size() * 2));
            for (const TSlot& slot : old)
                if (slot.Index >= 0) FSlots[SlotOf(slot.Key)] = slot;
            at = SlotOf(key);
        }
        FSlots[at] = {key, qint32(next)};
        ++FCount;
        return next;
    }

private:
    struct TSlot {
        quint64 Key = 0;
        qint32 Index = -1;
    };
    std::size_t SlotOf(quint64 key) const {
        const std::size_t mask = FSlots.size() - 1;
        std::size_t at = std::size_t((key * 0x9E3779B97F4A7C15ULL) >> 20) & mask;
        while (FSlots[at].Index >= 0 && FSlots[at].Key != key)
            at = (at + 1) & mask;
        return at;
    }
    std::vector<TSlot> FSlots = std::vector<TSlot>(1024);
    std::size_t FCount = 0;
};

// The known words, by the hash of their folded text.
class TKnownWords {
public:
    explicit TKnownWords(const QHash<quint64, TWordInfo>& words) {
        for (auto it = words.cbegin(); it != words.cend(); ++it) {
            FIndex.Insert(it.key(), qsizetype(FInfos.size()));
            FInfos.push_back(it.value()); // the keys of a hash are distinct
        }
    }
    const TWordInfo* Find(quint64 key) const {
        const qsizetype at = FIndex.Find(key);
        return at < 0 ? nullptr : &FInfos[std::size_t(at)];
    }

private:
    TKeyIndex FIndex;
    std::vector<TWordInfo> FInfos;
};

const TKnownWords& KnownWords() {
    static const TKnownWords table(KnownWordList());
    return table;
}

// A part of a statement by a hash of its normalised text; the position of
// its first appearance shows it.
struct TPart {
    int Count = 0;
    qsizetype Start = 0, End = 0; // where it is written first
    bool Keyword = false;         // shown upper case
};
// The parts in order of first appearance.
struct TParts {
    std::vector<TPart> Parts;
    TKeyIndex Index;
    // Read against other parts: how often each of those appears, by its
    // index; parts of no interest are not kept.
    std::vector<int> AgainstCount;

    qsizetype Find(quint64 key) const { return Index.Find(key); }
    TPart& Add(quint64 key) {
        const qsizetype at = Index.Insert(key, qsizetype(Parts.size()));
        if (std::size_t(at) == Parts.size()) Parts.emplace_back();
        return Parts[std::size_t(at)];
    }
};

// The parts of `text`, or with `against` how often its parts appear in it.
TParts PartsOf(const QString& text, TSqlReading reading, const TParts* against = nullptr) {
    TParts parts;
    if (against) parts.AgainstCount.resize(against->Parts.size());
    const TKnownWords& known = KnownWords();
    const auto add = [&](quint64 key, qsizetype start, qsizetype end, bool keyword = false) {
        if (against) {
            if (const qsizetype index = against->Find(key); index >= 0)
                ++parts.AgainstCount[std::size_t(index)];
            return;
        }
        TPart& part = parts.Add(key);
        if (++part.Count == 1) {
            part.Start = start;
            part.End = end;
            part.Keyword = keyword;
        }
    };
    // One token behind: a name followed by "." is a qualifier. A word is
    // looked up among the known ones once, when it is read.
    std::optional<TSqlWord> held;
    const TWordInfo* heldInfo = nullptr;
    bool dotAfterHeld = false;
    bool orderBy = false;    // inside the ORDER BY of the whole statement
    bool afterOrder = false; // the last word outside brackets was ORDER
    const auto count = [&](const TSqlWord& w, const TWordInfo* info, quint64 folded) {
        const QStringView written = QStringView(text).mid(w.Start, w.End - w.Start);
        if (w.Kind == TSqlWord::String) {
            if (!orderBy) add(Hash('s', written, false), w.Start, w.End);
            return;
        }
        if (w.Kind == TSqlWord::Name) {
            if (!orderBy) add(Tagged('n', NameHash(written)), w.Start, w.End);
            return;
        }
        if (info && info->Role == TWordRole::Keyword) {
            if (!orderBy || written.compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0)
                add(info->Class, w.Start, w.End, true);
            return;
        }
        if (orderBy || (info && info->Role == TWordRole::Structure)) return;
        if (written[0].isDigit())
            add(Hash('v', written, true), w.Start, w.End); // 1E0 is 1e0
        else
            add(Tagged('n', folded), w.Start, w.End);
    };
    // A "*" that stands for columns, bare or after a box's name: the box
    // named in "t.*" may be left out where t is the only box, so both
    // count as one part, the star.
    bool starPlace = false;
    const quint64 star = Star();
    quint64 heldHash = 0;
    // Where a string after an operand names a column ("x 'name'": SQLite,
    // MySQL), the token before it: its kind, end, and known word.
    const bool stringNames = reading == TSqlReading::Standard || IsMySqlReading(reading);
    TSqlWord before;
    const TWordInfo* beforeInfo = nullptr;
    bool haveBefore = false;
    const auto namesAfterOperand = [&](const TSqlWord& w) {
        if (!stringNames || !haveBefore || before.End >= w.Start) return false;
        if (before.Kind == TSqlWord::Name || before.Kind == TSqlWord::Close) return true;
        if (before.Kind != TSqlWord::Word) return false;
        const QStringView word = QStringView(text).mid(before.Start, before.End - before.Start);
        // (The END of a CASE ends an operand too, and so do NULL, TRUE and FALSE.)
        if (beforeInfo && beforeInfo->Role != TWordRole::Name) {
            for (const char* value : {"end", "null", "true", "false"})
                if (word.compare(QLatin1String(value), Qt::CaseInsensitive) == 0) return true;
            return false;
        }
        for (const char* typed : {"date", "time", "timestamp", "interval"})
            if (word.compare(QLatin1String(typed), Qt::CaseInsensitive) == 0) return false;
        return !word.startsWith(u'_');
    };
    const auto visitOne = [&](const TSqlWord& w, const TWordInfo*& seen) {
        const QStringView written = QStringView(text).mid(w.Start, w.End - w.Start);
        const TWordInfo* info = nullptr;
        // A word's folded characters are hashed once: for the known words
        // and as a name. No known word begins with a digit.
        quint64 folded = 0;
        if (w.Kind == TSqlWord::Word && !written[0].isDigit()) {
            folded = TextHash(written, true);
            info = known.Find(Tagged('w', folded));
        }
        seen = info;
        // Symbols are one character: compared as such, not as texts.
        const char16_t symbol =
            w.Kind == TSqlWord::Symbol && written.size() == 1 ? written[0].unicode() : 0;
        const bool wasStarPlace = starPlace;
        starPlace = w.Kind == TSqlWord::Open || symbol == u',' ||
                    (info && info->BeforeColumns);
        if (symbol == u'.') {
            // (A number's dot, "1. order by", qualifies nothing.)
            dotAfterHeld = held.has_value() && !text[held->Start].isDigit();
            starPlace = dotAfterHeld;
            return;
        }
        const bool columnsStar = wasStarPlace && symbol == u'*';
        const bool afterAs = held && heldInfo && heldInfo->As;
        // TOP is SQL Server's only right after SELECT; elsewhere it is a name.
        if (info && info->Role == TWordRole::Structure &&
            !(held && heldInfo && heldInfo->BeforeColumns) &&
            written.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0)
            info = nullptr;
        if (held) {
            // A qualifier stands for its box: only the name after the last dot counts.
            const bool qualifier = dotAfterHeld && (w.Kind == TSqlWord::Word ||
                                                    w.Kind == TSqlWord::Name || columnsStar);
            if (!qualifier) count(*held, heldInfo, heldHash);
            // After a qualifier a word is a name, whatever it spells
            // elsewhere (PostgreSQL's t.by, MySQL's t.order).
            if (qualifier) info = nullptr;
            held.reset();
        }
        dotAfterHeld = false;
        if (columnsStar && !orderBy) add(star, w.Start, w.End);
        if (w.Kind == TSqlWord::Word && w.Depth == 0) {
            if (info && info->By && afterOrder) orderBy = true;
            if (info && info->OrderByEnd) orderBy = false;
            afterOrder = info && info->OrderBy;
        }
        if (w.Kind == TSqlWord::Word || w.Kind == TSqlWord::Name) {
            held = w;
            heldInfo = info;
            heldHash = folded;
            return;
        }
        if (w.Kind == TSqlWord::String) {
            // "x as 'y'" (SQLite, MySQL) names a column: the design writes
            // the name as a quoted one.
            if ((afterAs || namesAfterOperand(w)) && !orderBy && written.size() >= 3 &&
                written[0] == QLatin1Char('\'')) {
                const QString name = written.sliced(1, written.size() - 2)
                                         .toString()
                                         .replace(QLatin1String("''"), QLatin1String("'"));
                add(Tagged('n', TextHash(name, true)), w.Start, w.End);
                return;
            }
            count(w, nullptr, 0);
        }
    };
    const auto visit = [&](const TSqlWord& w) {
        const TWordInfo* seen = nullptr;
        visitOne(w, seen);
        before = w;
        beforeInfo = seen;
        haveBefore = true;
    };
    ForEachSqlWord(text, reading, [&](std::span<const TSqlWord> words) {
        for (const TSqlWord& w : words)
            visit(w);
    });
    if (held) count(*held, heldInfo, heldHash);
    return parts;
}

} // namespace

QStringList NotCarried(const QString& original, const QString& regenerated,
                       const TSqlDialect& dialect, int outerMadeInner, int starsSpelled) {
    const TSqlReading reading = dialect.Readings().front();
    const TParts before = PartsOf(original, reading);
    TParts after = PartsOf(regenerated, reading, &before);
    if (outerMadeInner > 0)
        if (const qsizetype sides = before.Find(LeftOrRight()); sides >= 0)
            after.AgainstCount[std::size_t(sides)] += outerMadeInner;
    if (starsSpelled > 0)
        if (const qsizetype star = before.Find(Star()); star >= 0)
            after.AgainstCount[std::size_t(star)] += starsSpelled;
    QStringList missing;
    for (std::size_t index = 0; index < before.Parts.size(); ++index) {
        const TPart& part = before.Parts[index];
        if (part.Count <= after.AgainstCount[index]) continue;
        const QString written = original.mid(part.Start, part.End - part.Start);
        missing << (part.Keyword ? written.toUpper() : written);
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
