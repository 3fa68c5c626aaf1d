#pragma once
// Internal building blocks of the SQL scanners. Everything works on views of
// the caller's text and 0-based indexes; the public functions in Common.h
// translate to 1-based positions. Nothing here copies the text it scans, so
// analysing a long statement piece by piece stays linear.

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillary::scan {

inline bool IsBlank(char16_t c) {
    return c == 8 || c == 9 || c == 10 || c == 13 || c == 32;
}
// The blanks after which a keyword may begin: line feed does not count.
inline bool IsSeparator(char16_t c) {
    return c == 8 || c == 9 || c == 13 || c == 32;
}
inline char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}
// Whether `word` is the lower-case ASCII `keyword` in any case, without a
// library call when the word is ASCII (other letters may fold to ASCII
// ones: those ask the library).
inline bool IsKeyword(QStringView word, QLatin1StringView keyword) {
    if (word.size() != keyword.size()) return false;
    for (qsizetype k = 0; k < word.size(); ++k) {
        const char16_t u = word[k].unicode();
        if (u >= 0x80) return word.compare(keyword, Qt::CaseInsensitive) == 0;
        if (FoldAscii(u) != char16_t(keyword[k].unicode())) return false;
    }
    return true;
}

// Whether `text` holds `keyword` (lower case ASCII) anywhere, in any case of
// ASCII letters: a quick look before a closer one.
inline bool HoldsKeyword(QStringView text, QLatin1StringView keyword) {
    const char16_t first = char16_t(keyword[0].unicode());
    for (qsizetype i = 0; i + keyword.size() <= text.size(); ++i)
        if (FoldAscii(text[i].unicode()) == first &&
            IsKeyword(text.sliced(i, keyword.size()), keyword))
            return true;
    return false;
}

inline bool IsAsciiLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

inline qsizetype SkipBlanks(QStringView s, qsizetype i) {
    const qsizetype n = s.size();
    while (i < n && IsBlank(s[i].unicode()))
        ++i;
    return i;
}

QStringView TrimBlanks(QStringView s);
QStringView TrimLeftBlanks(QStringView s);
QStringView TrimRightBlanks(QStringView s);

// The marks that tell top-level text from text inside quotes, brackets and
// parentheses. The stack only ever holds parentheses with at most one quote
// on top, or a double quote / bracket / quote at the bottom. The first marks
// live in the object itself: a scan of a short piece allocates nothing.
class MarkStack {
public:
    bool IsEmpty() const { return FSize == 0; }
    char16_t Top() const {
        if (FSize == 0) return 0;
        return FSize <= kInline ? FInline[FSize - 1] : FMore.back();
    }
    void Push(char16_t c) {
        if (FSize < kInline)
            FInline[FSize] = c;
        else
            FMore.push_back(c);
        ++FSize;
    }
    void Pop() {
        if (FSize > kInline) FMore.pop_back();
        --FSize;
    }

private:
    static constexpr qsizetype kInline = 32;
    char16_t FInline[kInline];
    qsizetype FSize = 0;
    std::vector<char16_t> FMore;
};

enum class MarkStep : unsigned char {
    Plain,     // not a mark character (or one the walk does not track)
    Pushed,    // a mark was opened
    Popped,    // a mark was closed
    Ignored,   // a mark character that changes nothing here
    Doubled,   // a doubled quote inside a string: both characters consumed
    Unmatched, // ")" with an empty stack: each scanner decides
};

// The characters a walk has to look at; every other one it passes over in a
// tight loop (all characters beyond ASCII are ordinary).
struct CharSet {
    constexpr CharSet(std::initializer_list<char16_t> chars) {
        for (char16_t c : chars)
            In[c] = true;
    }
    bool Has(char16_t c) const { return c < 128 && In[c]; }
    bool In[128] = {};
};

// The first index from `i` on whose character is in `set` (the end when none).
inline qsizetype SkipOrdinary(QStringView s, qsizetype i, const CharSet& set) {
    const qsizetype n = s.size();
    while (i < n && !set.Has(s[i].unicode()))
        ++i;
    return i;
}

// The first index in [i, end) whose character lies in [low, low + span]
// (end when none). Eight characters at a time where the processor can: the
// group walks spend most of their time looking for the next quote or
// parenthesis.
inline qsizetype FindInRange(const QChar* data, qsizetype i, qsizetype end, char16_t low,
                             char16_t span) {
#if defined(__SSE2__)
    const __m128i lows = _mm_set1_epi16(short(low));
    const __m128i spans = _mm_set1_epi16(short(span));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= end; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        // Unsigned: x - low <= span exactly when the saturated difference is 0.
        const __m128i beyond = _mm_subs_epu16(_mm_sub_epi16(x, lows), spans);
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi16(beyond, zero));
        if (found != 0) return i + (__builtin_ctz(unsigned(found)) >> 1);
    }
#endif
    for (; i < end; ++i)
        if (char16_t(data[i].unicode() - low) <= span) return i;
    return end;
}

// The first index in [i, end) holding a character that opens or closes a
// group: ( ) ' " [ (end when none). Eight characters at a time where the
// processor can, like FindInRange.
inline qsizetype FindGroupChar(const QChar* data, qsizetype i, qsizetype end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi16(u'\'');
    const __m128i two = _mm_set1_epi16(2);
    const __m128i doubleQuote = _mm_set1_epi16(u'"');
    const __m128i bracket = _mm_set1_epi16(u'[');
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= end; i += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i parensOrQuote =
            _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(x, quote), two), zero);
        const __m128i names =
            _mm_or_si128(_mm_cmpeq_epi16(x, doubleQuote), _mm_cmpeq_epi16(x, bracket));
        const int found = _mm_movemask_epi8(_mm_or_si128(parensOrQuote, names));
        if (found != 0) return i + (__builtin_ctz(unsigned(found)) >> 1);
    }
#endif
    for (; i < end; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'(' || c == u')' || c == u'\'' || c == u'"' || c == u'[') return i;
    }
    return end;
}

// Round brackets counted along a text outside its quotes ('…', "…" and
// `…`): how deep a character stands in the pieces the design keeps.
struct BracketWalk {
    int Depth = 0;
    char16_t Quote = 0;
    // Takes in `c`; the depth after it.
    int Step(char16_t c) {
        if (Quote != 0) {
            if (c == Quote) Quote = 0;
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            Quote = c;
        } else if (c == u'(') {
            ++Depth;
        } else if (c == u')') {
            --Depth;
        }
        return Depth;
    }
};

inline bool IsMarkChar(char16_t c) {
    return c == u'(' || c == u')' || c == u'"' || c == u'\'' || c == u'[' || c == u']';
}

// Applies the mark rules to s[i]. With allMarks false only single quotes
// and parentheses are tracked (condition texts), and double quotes and
// brackets are plain characters.
inline MarkStep ApplyMark(QStringView s, qsizetype i, MarkStack& m, bool allMarks = true) {
    switch (s[i].unicode()) {
    case u'(':
        if (m.IsEmpty() || m.Top() == u'(') {
            m.Push(u'(');
            return MarkStep::Pushed;
        }
        return MarkStep::Ignored;
    case u')':
        if (m.IsEmpty()) return MarkStep::Unmatched;
        if (m.Top() == u'(') {
            m.Pop();
            return MarkStep::Popped;
        }
        return MarkStep::Ignored;
    case u'\'':
        if (m.Top() != u'\'') { // also when empty
            m.Push(u'\'');
            return MarkStep::Pushed;
        }
        if (i + 1 < s.size() && s[i + 1] == u'\'') return MarkStep::Doubled;
        m.Pop();
        return MarkStep::Popped;
    case u'"':
        if (!allMarks) return MarkStep::Plain;
        if (m.IsEmpty()) {
            m.Push(u'"');
            return MarkStep::Pushed;
        }
        if (m.Top() == u'"') {
            m.Pop();
            return MarkStep::Popped;
        }
        return MarkStep::Ignored;
    case u'[':
        if (!allMarks) return MarkStep::Plain;
        if (m.IsEmpty()) {
            m.Push(u'[');
            return MarkStep::Pushed;
        }
        return MarkStep::Ignored;
    case u']':
        if (!allMarks) return MarkStep::Plain;
        if (m.Top() == u'[') {
            m.Pop();
            return MarkStep::Popped;
        }
        return MarkStep::Ignored;
    default:
        return MarkStep::Plain;
    }
}

// A phrase found in a text: where its first word begins, where the last of
// its characters ends (exclusive) and the first non-blank character after
// it (or the text size).
struct PhraseMatch {
    qsizetype Begin = -1;
    qsizetype WordsEnd = -1;
    qsizetype Next = -1;
};

// Whether s continues at `from` (after blanks) with the words of phrase,
// each followed by a blank or the end of s. Case is compared on ASCII
// letters only when ignoreCase.
bool MatchPhrase(QStringView s, qsizetype from, QStringView phrase, bool ignoreCase,
                 PhraseMatch& match);

// Where an expression ends (see FindExpEnd). A keyword whose first
// character is a separator blank matches at every top-level blank.
struct ExpKeyword {
    QStringView Text;
    bool AtBlank = false;
    char16_t First = 0; // the first character, case folded: a quick test
};
struct ExpEnd {
    qsizetype Result = 0;   // the 1-based result of FindExpEnd
    qsizetype Keyword = -1; // index into the keyword list, -1 when none ended it
    qsizetype KeyPos = -1;  // 0-based index where that keyword begins
};
ExpKeyword MakeExpKeyword(QStringView text);
ExpEnd FindExpEndIn(QStringView s, char16_t endChar, bool hasEndChar, const ExpKeyword* keywords,
                    qsizetype keywordCount, qsizetype from);

// Where every mark of a text closes, computed right to left in one pass, so
// that any number of questions costs linear time in all: for each index,
// where a walk that starts there inside a quote, a double quote, a bracket
// or a parenthesis leaves it again.
// The answers also hold for a view of the text that ends at or after the
// answer: a walk there behaves the same up to that point (only a quote
// looks at the character after it, and a quote that closes at the last
// position of the view closes there in the text too).
class GroupTable {
public:
    explicit GroupTable(QStringView text);
    QStringView Text() const { return FText; }
    // The index that closes a mark opened just before index (a "(", "'",
    // '"' or "[" named by opener), -1 when it stays open to the end.
    qsizetype CloseOf(char16_t opener, qsizetype index) const;

private:
    // What is known about one index; kept together because the table is
    // built and read one index at a time. The pass writes every entry, so
    // the storage is not filled first.
    struct Entry {
        std::int32_t Quote, DoubleQuote, Bracket, Paren;
    };

    QStringView FText;
    qsizetype FSize;
    std::unique_ptr<Entry[]> FEntries;
};

// How many steps of plain walking a PieceScanner may take, per character of
// its root text plus a fixed amount, before it builds its GroupTable. The
// tests and the fuzz target set both to 0 so that every answer comes from
// the table; both ways must give the same results.
struct WalkAllowance {
    qsizetype PerCharacter = 4;
    qsizetype Fixed = 4096;
    // From this length of its root text on, a PieceScanner remembers where
    // the groups it walked close (shorter texts are walked quickly enough);
    // the tests and the fuzz target set it to 0 as well.
    qsizetype RememberFrom = 4096;
};
WalkAllowance& PlainWalkAllowance();

// A "(" a quick walk of a group has open, with whether FirstTopClose would
// read it the same so far.
struct OpenParen {
    qsizetype At;
    bool SameForTop;
};

// Reads the pieces of one root text the way the clause analysers cut it:
// strips enclosing parentheses (TrimSQLElement2) and steps over quoted,
// bracketed and parenthesised groups. Plain walks answer while they are
// cheap; once they have cost a few times the root's length, one GroupTable
// answers everything else, so no text is walked over and over again.
class PieceScanner {
public:
    explicit PieceScanner(QStringView root);
    ~PieceScanner();

    struct Stripped {
        QStringView Text;
        qsizetype Pairs = 0;
    };
    // s must be a view into the root text.
    Stripped Strip(QStringView s);
    // s[i] opens a mark on an empty stack ("(", "'", and with all marks '"'
    // and "["): the index in s of the character that closes it, -1 when it
    // stays open to the end of s. Inside a group both kinds of walk follow
    // the same rules, so one answer serves both.
    qsizetype GroupEnd(QStringView s, qsizetype i);

private:
    // The index in s of the first top-level ")" of a walk from index 1, -1 if none.
    qsizetype FirstTopClose(QStringView s);
    // `sameForTop`: whether FirstTopClose of a "(" group reads it the same.
    qsizetype WalkGroupEnd(QStringView s, qsizetype i, bool& sameForTop);
    // `namesQuoted`: whether a double quote or a bracket stood at its top level.
    qsizetype WalkFirstTopClose(QStringView s, bool& namesQuoted);

    // Where the first top-level ")" of FirstTopClose's walks stood, by the
    // address of their "(": the pieces of a text are read more than once
    // (stripped, then split, then stripped inside), and a long group is
    // walked once. A close found within one view holds for every view that
    // reaches it: inside parentheses nothing looks past it.
    struct KnownClose {
        const QChar* Open = nullptr;
        const QChar* Close = nullptr;
    };
    static constexpr std::size_t kKnownCloses = 1024;
    using KnownCloses = std::array<KnownClose, kKnownCloses>;
    static std::size_t Slot(const QChar* open) {
        return (reinterpret_cast<std::uintptr_t>(open) >> 1) % kKnownCloses;
    }
    static qsizetype Known(const KnownCloses* table, QStringView s, qsizetype i);
    static void Remember(KnownCloses* table, QStringView s, qsizetype i, qsizetype close);
    // The closes of GroupEnd keep every group a walk passes on the way,
    // nested ones too (a walk from a nested "(" reads the same characters),
    // so that the pieces cut later need no walk of their own. With each
    // close goes whether FirstTopClose of the group gives the same answer:
    // it does unless a double-quoted or bracketed name at the group's top
    // level holds a quote or a parenthesis. One entry per eight characters
    // of the root (more for roots of over 16 million characters, so that
    // the memo stays under 16 MB), found by where the "(" stands; of two
    // "(" that close together the later one stays.
    class CloseMemo {
    public:
        struct Close {
            qsizetype At = -1; // -1: not known
            bool SameForTop = false;
        };
        explicit CloseMemo(qsizetype rootSize) {
            while ((rootSize >> FShift) >= kMostSlots)
                ++FShift;
            FSlots = std::size_t(rootSize >> FShift) + 1;
        }
        Close Find(qsizetype open) const {
            if (!FEntries) return {};
            const Entry& e = FEntries[std::size_t(open >> FShift)];
            if (e.OpenPlusOne != std::uint32_t(open + 1)) return {};
            return {qsizetype(e.CloseTwice >> 1), (e.CloseTwice & 1) != 0};
        }
        void Insert(qsizetype open, qsizetype close, bool sameForTop) {
            if (!FEntries) FEntries = std::make_unique<Entry[]>(FSlots);
            FEntries[std::size_t(open >> FShift)] = {
                std::uint32_t(open + 1), std::uint32_t(2 * close + (sameForTop ? 1 : 0))};
        }

    private:
        static constexpr qsizetype kMostSlots = qsizetype(1) << 21;
        struct Entry {
            std::uint32_t OpenPlusOne = 0;
            std::uint32_t CloseTwice = 0;
        };
        int FShift = 3;
        std::size_t FSlots = 0;
        std::unique_ptr<Entry[]> FEntries; // made at the first close
    };
    CloseMemo::Close MemoClose(QStringView s, qsizetype i) const;
    void RememberGroupEnd(QStringView s, qsizetype i, qsizetype close, bool sameForTop);
    std::unique_ptr<CloseMemo> FGroupCloses; // of GroupEnd
    std::unique_ptr<KnownCloses> FTopCloses; // of FirstTopClose
    // Reused from walk to walk.
    std::vector<OpenParen> FOpenParens;
    QStringView Trim(QStringView s);
    // Spends budget on a plain walk of one step; false once the table is built.
    bool Spend() { return !FTable && (--FBudget >= 0 || !BuildTable()); }
    bool BuildTable();
    // The table's answer for an absolute index turned into one for s; -2
    // when only a walk of s can tell.
    static qsizetype InView(QStringView s, qsizetype offset, qsizetype absolute, char16_t opener);

    QStringView FRoot;
    qsizetype FBudget;
    std::unique_ptr<GroupTable> FTable;
    // End of a view -> end of the same view without its trailing blanks.
    std::unordered_map<const QChar*, const QChar*> FTrimmedEnds;
};

} // namespace quillary::scan
