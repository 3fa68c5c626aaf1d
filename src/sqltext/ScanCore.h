#pragma once
// Internal building blocks of the SQL scanners. Everything works on views of
// the caller's text and 0-based indexes; the public functions in Common.h
// translate to 1-based positions. Nothing here copies the text it scans, so
// analysing a long statement piece by piece stays linear.

#include <QStringView>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

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
// on top, or a double quote / bracket / quote at the bottom.
class MarkStack {
public:
    bool IsEmpty() const { return FMarks.empty(); }
    char16_t Top() const { return FMarks.empty() ? 0 : FMarks.back(); }
    void Push(char16_t c) { FMarks.push_back(c); }
    void Pop() { FMarks.pop_back(); }

private:
    std::vector<char16_t> FMarks;
};

enum class MarkStep : unsigned char {
    Plain,     // not a mark character (or one the walk does not track)
    Pushed,    // a mark was opened
    Popped,    // a mark was closed
    Ignored,   // a mark character that changes nothing here
    Doubled,   // a doubled quote inside a string: both characters consumed
    Unmatched, // ")" with an empty stack: each scanner decides
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
};
struct ExpEnd {
    qsizetype Result = 0;   // the 1-based result of FindExpEnd
    qsizetype Keyword = -1; // index into the keyword list, -1 when none ended it
    qsizetype KeyPos = -1;  // 0-based index where that keyword begins
};
ExpKeyword MakeExpKeyword(QStringView text);
ExpEnd FindExpEndIn(QStringView s, char16_t endChar, bool hasEndChar, const ExpKeyword* keywords,
                    qsizetype keywordCount, qsizetype from);

// For every index of a text, the first ")" that a walk starting there with
// an empty mark stack meets while the stack is empty. Computed right to
// left in one pass, so any number of questions costs linear time in all.
// The answer also holds for a view of the text that ends with a ")": a walk
// there behaves the same up to that ")" (only a quote looks at the character
// after it), so the view's answer is this one when it lies inside the view,
// else none.
class CloseFinder {
public:
    explicit CloseFinder(QStringView text);
    // -1 when the walk reaches the end of the text first.
    qsizetype From(qsizetype index) const;
    QStringView Text() const { return FText; }

private:
    QStringView FText;
    std::vector<std::int32_t> FTopClose;
};

// TrimSQLElement2 on views of one root text. Enclosing pairs are found by
// plain walks while they are cheap; once the walks have cost a few times the
// root's length, one CloseFinder answers all further questions.
class EnclosingStripper {
public:
    explicit EnclosingStripper(QStringView root);
    ~EnclosingStripper();

    struct Result {
        QStringView Text;
        qsizetype Pairs = 0;
    };
    // s must be a view into the root text.
    Result Strip(QStringView s);

private:
    // The index in s of the first top-level ")" of a walk from index 1, -1 if none.
    qsizetype FirstTopClose(QStringView s);
    QStringView Trim(QStringView s);

    QStringView FRoot;
    qsizetype FBudget;
    std::unique_ptr<CloseFinder> FFinder;
    // End of a view -> end of the same view without its trailing blanks.
    std::unordered_map<const QChar*, const QChar*> FTrimmedEnds;
};

} // namespace quillary::scan
