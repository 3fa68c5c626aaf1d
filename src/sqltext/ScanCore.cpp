#include "sqltext/ScanCore.h"

#include <algorithm>
#include <limits>

namespace quillary::scan {

QStringView TrimLeftBlanks(QStringView s) {
    qsizetype b = 0;
    while (b < s.size() && IsBlank(s[b].unicode()))
        ++b;
    return s.sliced(b);
}

QStringView TrimRightBlanks(QStringView s) {
    qsizetype e = s.size();
    while (e > 0 && IsBlank(s[e - 1].unicode()))
        --e;
    return s.first(e);
}

QStringView TrimBlanks(QStringView s) {
    return TrimRightBlanks(TrimLeftBlanks(s));
}

bool MatchPhrase(QStringView s, qsizetype from, QStringView phrase, bool ignoreCase,
                 PhraseMatch& match) {
    if (phrase.isEmpty()) return false;
    const qsizetype n = s.size();
    const qsizetype pn = phrase.size();
    qsizetype i = SkipBlanks(s, std::min(from, n));
    match.Begin = i;
    match.WordsEnd = i;
    qsizetype w = 0;
    for (;;) {
        qsizetype we = w;
        while (we < pn && phrase[we] != u' ')
            ++we;
        const qsizetype length = we - w;
        if (n - i < length) return false;
        for (qsizetype k = 0; k < length; ++k) {
            char16_t a = s[i + k].unicode();
            char16_t b = phrase[w + k].unicode();
            if (ignoreCase) {
                a = FoldAscii(a);
                b = FoldAscii(b);
            }
            if (a != b) return false;
        }
        i += length;
        if (i < n && !IsBlank(s[i].unicode())) return false;
        if (length > 0) match.WordsEnd = i;
        i = SkipBlanks(s, i);
        if (we >= pn) break;
        w = we + 1;
    }
    match.Next = i;
    return true;
}

ExpKeyword MakeExpKeyword(QStringView text) {
    if (text.isEmpty()) return {text, false, 0};
    return {text, IsSeparator(text[0].unicode()), FoldAscii(text[0].unicode())};
}

ExpEnd FindExpEndIn(QStringView s, char16_t endChar, bool hasEndChar, const ExpKeyword* keywords,
                    qsizetype keywordCount, qsizetype from) {
    ExpEnd result;
    const qsizetype n = s.size();
    // Every blank of a run sees the same text after it, so one test per run
    // is enough, unless the end character is itself a blank.
    const bool endIsBlank = hasEndChar && IsBlank(endChar);
    MarkStack marks;
    qsizetype i = std::max<qsizetype>(from, 0);
    while (i < n) {
        const char16_t c = s[i].unicode();
        if (IsMarkChar(c)) {
            switch (ApplyMark(s, i, marks)) {
            case MarkStep::Unmatched:
                return result; // Result 0
            case MarkStep::Doubled:
                i += 2;
                continue;
            default:
                ++i;
                continue;
            }
        }
        if (!marks.IsEmpty()) {
            // Inside a group only the marks count.
            ++i;
            while (i < n && !IsMarkChar(s[i].unicode()))
                ++i;
            continue;
        }
        if (hasEndChar && c == endChar) {
            result.Result = i;
            return result;
        }
        if (keywordCount > 0 && IsSeparator(c)) {
            const qsizetype next = SkipBlanks(s, i + 1);
            const char16_t first = next < n ? FoldAscii(s[next].unicode()) : 0;
            for (qsizetype k = 0; k < keywordCount; ++k) {
                PhraseMatch match;
                if (keywords[k].AtBlank) {
                    match.Begin = i;
                } else if (keywords[k].First != first ||
                           !MatchPhrase(s, next, keywords[k].Text, true, match)) {
                    continue;
                }
                result.Result = i;
                result.Keyword = k;
                result.KeyPos = match.Begin;
                return result;
            }
            if (!endIsBlank) {
                i = next;
                continue;
            }
        }
        ++i;
    }
    result.Result = marks.IsEmpty() ? n : 0;
    return result;
}

GroupTable::GroupTable(QStringView text)
    : FText(text), FSize(text.size() + 2),
      FEntries(std::make_unique_for_overwrite<Entry[]>(size_t(FSize))) {
    using Index = std::int32_t;
    const qsizetype n = text.size();
    // Where each walk mode ends when it starts at index q (-1: never):
    //  Quote       - inside '...': the closing quote (doubled quotes skipped)
    //  DoubleQuote - inside "...": the closing double quote
    //  Bracket     - inside [...]: the closing bracket
    //  Paren       - inside (...): the ")" that pops it
    // A quote opened inside any mode runs to its own end before that mode
    // goes on; so each value is either q itself or a value further right.
    Entry* e = FEntries.get();
    e[n] = e[n + 1] = Entry{-1, -1, -1, -1}; // past the end nothing closes
    auto after = [e](Index close, Index Entry::*mode) -> Index {
        return close < 0 ? -1 : e[close + 1].*mode;
    };
    for (qsizetype q = n - 1; q >= 0; --q) {
        const Index self = Index(q);
        const char16_t c = text[q].unicode();
        Entry& here = e[q];
        const Entry& next = e[q + 1];
        if (c == u'\'') {
            here.Quote = (q + 1 < n && text[q + 1] == u'\'') ? e[q + 2].Quote : self;
            here.DoubleQuote = after(next.Quote, &Entry::DoubleQuote);
            here.Bracket = after(next.Quote, &Entry::Bracket);
            here.Paren = after(next.Quote, &Entry::Paren);
            continue;
        }
        here.Quote = next.Quote;
        here.DoubleQuote = c == u'"' ? self : next.DoubleQuote;
        here.Bracket = c == u']' ? self : next.Bracket;
        here.Paren = c == u')' ? self : c == u'(' ? after(next.Paren, &Entry::Paren) : next.Paren;
    }
}

qsizetype GroupTable::CloseOf(char16_t opener, qsizetype index) const {
    if (index < 0 || index >= FSize) return -1;
    const Entry& entry = FEntries[size_t(index)];
    switch (opener) {
    case u'(':
        return entry.Paren;
    case u'\'':
        return entry.Quote;
    case u'"':
        return entry.DoubleQuote;
    case u'[':
        return entry.Bracket;
    default:
        return -1;
    }
}

WalkAllowance& PlainWalkAllowance() {
    static WalkAllowance allowance;
    return allowance;
}

PieceScanner::PieceScanner(QStringView root)
    : FRoot(root),
      FBudget(PlainWalkAllowance().PerCharacter * root.size() + PlainWalkAllowance().Fixed) {
    if (root.size() >= PlainWalkAllowance().RememberFrom) {
        if (root.size() < std::numeric_limits<std::int32_t>::max())
            FGroupCloses = std::make_unique<CloseMemo>(root.size());
        FTopCloses = std::make_unique<KnownCloses>();
    }
}

qsizetype PieceScanner::Known(const KnownCloses* table, QStringView s, qsizetype i) {
    if (!table || s[i] != u'(') return -2;
    const KnownClose& known = (*table)[Slot(s.data() + i)];
    if (known.Open != s.data() + i || known.Close >= s.data() + s.size()) return -2;
    return known.Close - s.data();
}

void PieceScanner::Remember(KnownCloses* table, QStringView s, qsizetype i, qsizetype close) {
    if (table && close >= 0 && s[i] == u'(')
        (*table)[Slot(s.data() + i)] = {s.data() + i, s.data() + close};
}

PieceScanner::CloseMemo::Close PieceScanner::MemoClose(QStringView s, qsizetype i) const {
    if (!FGroupCloses || s[i] != u'(') return {};
    const qsizetype offset = s.data() - FRoot.data();
    CloseMemo::Close close = FGroupCloses->Find(offset + i);
    // A close past the view's end does not hold for the view.
    if (close.At < 0 || close.At - offset >= s.size()) return {};
    close.At -= offset;
    return close;
}

void PieceScanner::RememberGroupEnd(QStringView s, qsizetype i, qsizetype close, bool sameForTop) {
    if (!FGroupCloses || close < 0 || s[i] != u'(') return;
    const qsizetype offset = s.data() - FRoot.data();
    FGroupCloses->Insert(offset + i, offset + close, sameForTop);
}

qsizetype PieceScanner::GroupEnd(QStringView s, qsizetype i) {
    if (const qsizetype known = MemoClose(s, i).At; known >= 0) return known;
    bool sameForTop = false;
    const qsizetype end = WalkGroupEnd(s, i, sameForTop);
    RememberGroupEnd(s, i, end, sameForTop);
    return end;
}

qsizetype PieceScanner::FirstTopClose(QStringView s) {
    if (const CloseMemo::Close known = MemoClose(s, 0); known.At >= 0 && known.SameForTop)
        return known.At;
    if (const qsizetype known = Known(FTopCloses.get(), s, 0); known >= 0) return known;
    bool namesQuoted = false;
    const qsizetype close = WalkFirstTopClose(s, namesQuoted);
    Remember(FTopCloses.get(), s, 0, close);
    // Without a double quote or a bracket at its top level, the walk of a
    // "(" group reads it as GroupEnd does: that answer is known too.
    if (!namesQuoted) RememberGroupEnd(s, 0, close, true);
    return close;
}

PieceScanner::~PieceScanner() = default;

// Called when the budget of plain walking is used up: builds the table, or,
// for a text too long to index, lets plain walking go on; true then.
bool PieceScanner::BuildTable() {
    if (FRoot.size() >= std::numeric_limits<std::int32_t>::max() - 2) {
        FBudget = std::numeric_limits<qsizetype>::max();
        return true;
    }
    FTable = std::make_unique<GroupTable>(FRoot);
    return false;
}

qsizetype PieceScanner::InView(QStringView s, qsizetype offset, qsizetype absolute,
                               char16_t opener) {
    if (absolute >= 0 && absolute - offset < s.size()) return absolute - offset;
    // The text goes on past s (or the group never closes in it): s is read
    // the same way up to its last character, and only a quote there, which
    // always closes at the end of s, could close a quoted group in s alone.
    if (opener != u'\'' || s.back() != u'\'') return -1;
    return -2; // not known: walk
}

namespace {

// The tight loops below take this many steps for one of the allowance (one
// step of the general walk).
constexpr qsizetype kQuickSteps = 4;

// The walk of GroupEnd over a "(" or "'" group in one tight loop. Inside
// parentheses only parentheses and quotes count, inside quotes only the
// quote; the walk looks at no more than `most` characters. The index that
// closes the group, -1 when s ends first, -2 when the walk stopped early;
// `steps` receives how many characters it looked at. `nested` is told
// where every "(" inside the group closes, and may already know:
// nested.Known(open) is its close or -1, nested.Closed(open, close,
// sameForTop) takes a close found. `sameForTop` receives whether
// FirstTopClose reads the group the same: a double-quoted name at its top
// level may hold no quote or parenthesis, and a bracketed one is not
// looked into.
template <typename Nested>
qsizetype QuickGroupEnd(QStringView s, qsizetype i, qsizetype most, qsizetype& steps,
                        std::vector<OpenParen>& opens, Nested& nested, bool& sameForTop) {
    const qsizetype n = s.size();
    const qsizetype limit = most < n - i ? i + 1 + most : n;
    const QChar* data = s.data();
    const bool paren = data[i] == u'(';
    // The groups deeper than this are walked without keeping their closes,
    // so that deep nesting costs no memory.
    constexpr qsizetype kTrackedDepth = 1024;
    qsizetype depth = paren ? 1 : 0;
    opens.clear();
    if (paren) opens.push_back({i, true});
    qsizetype k = paren ? i + 1 : i; // a quote group starts at its quote
    qsizetype end = -2;
    while (k < limit) {
        k = FindGroupChar(data, k, limit);
        if (k >= limit) break;
        const char16_t c = data[k].unicode();
        if (c == u'(') {
            if (const qsizetype close = nested.Known(k); close >= 0 && close < limit) {
                k = close + 1;
                continue;
            }
            if (++depth <= kTrackedDepth) opens.push_back({k, true});
            ++k;
            continue;
        }
        if (c == u')') {
            const bool tracked = depth-- <= kTrackedDepth;
            const OpenParen closed = tracked ? opens.back() : OpenParen{-1, false};
            if (tracked) opens.pop_back();
            if (depth == 0) {
                end = k;
                sameForTop = closed.SameForTop;
                break;
            }
            if (tracked) nested.Closed(closed.At, k, closed.SameForTop);
            ++k;
            continue;
        }
        if (c == u'"' || c == u'[') {
            // A name: to the walk here a run of plain characters.
            const qsizetype next = FindGroupChar(data, k + 1, limit);
            if (depth <= kTrackedDepth && (c == u'[' || next >= limit || data[next] != u'"'))
                opens.back().SameForTop = false;
            k = c == u'"' && next < limit && data[next] == u'"' ? next + 1 : k + 1;
            continue;
        }
        // A string: to its closing quote; a doubled quote stays inside.
        for (++k;; k += 2) {
            k = FindInRange(data, k, limit, u'\'', 0);
            if (k >= limit || k + 1 >= n || data[k + 1] != u'\'') break;
        }
        if (k >= limit) break;
        if (depth == 0) {
            end = k;
            sameForTop = false; // FirstTopClose asks about "(" groups only
            break;
        }
        ++k;
    }
    steps = std::min(k, limit) - i;
    if (end >= 0) return end;
    return limit == n ? -1 : -2;
}

} // namespace

qsizetype PieceScanner::WalkGroupEnd(QStringView s, qsizetype i, bool& sameForTop) {
    sameForTop = false;
    const qsizetype n = s.size();
    if (!FTable && (s[i] == u'(' || s[i] == u'\'')) {
        qsizetype steps = 0;
        struct Nested {
            PieceScanner& Scanner;
            QStringView S;
            qsizetype Known(qsizetype open) const { return Scanner.MemoClose(S, open).At; }
            void Closed(qsizetype open, qsizetype close, bool same) {
                Scanner.RememberGroupEnd(S, open, close, same);
            }
        } nested{*this, s};
        const qsizetype end = QuickGroupEnd(s, i, std::max<qsizetype>(FBudget, 0) * kQuickSteps,
                                            steps, FOpenParens, nested, sameForTop);
        FBudget -= (steps + kQuickSteps - 1) / kQuickSteps;
        if (end >= -1) return end;
        // The walks have cost enough: the table answers from here on.
    }
    MarkStack marks;
    ApplyMark(s, i, marks);
    qsizetype k = i + 1;
    bool spending = true;
    while (k < n) {
        if (spending && !Spend()) {
            const qsizetype offset = s.data() - FRoot.data();
            const char16_t opener = s[i].unicode();
            const qsizetype close =
                InView(s, offset, FTable->CloseOf(opener, offset + i + 1), opener);
            if (close >= -1) return close;
            spending = false; // rare: finish the walk by hand
        }
        const MarkStep step = ApplyMark(s, k, marks);
        if (marks.IsEmpty()) return k;
        k += step == MarkStep::Doubled ? 2 : 1;
    }
    return -1;
}

qsizetype PieceScanner::WalkFirstTopClose(QStringView s, bool& namesQuoted) {
    // The top level of s after its first character; groups are stepped over.
    const qsizetype n = s.size();
    const QChar* data = s.data();
    qsizetype i = 1;
    namesQuoted = false;
    while (i < n) {
        // Plain characters in a run, paid for at once.
        const qsizetype from = i;
        i = FindGroupChar(data, i, n);
        if (!FTable && i > from && (FBudget -= (i - from + kQuickSteps - 1) / kQuickSteps) < 0)
            BuildTable();
        if (i >= n) break;
        const char16_t c = data[i].unicode();
        if (c == u')') return i;
        namesQuoted = namesQuoted || c == u'"' || c == u'[';
        const qsizetype end = GroupEnd(s, i);
        if (end < 0) return -1;
        i = end + 1;
    }
    return -1;
}

QStringView PieceScanner::Trim(QStringView s) {
    s = TrimLeftBlanks(s);
    if (s.isEmpty() || !IsBlank(s.back().unicode())) return s;
    // Many pieces of one text share its end; a long blank run there is
    // measured once.
    const QChar* end = s.data() + s.size();
    const auto known = FTrimmedEnds.find(end);
    if (known != FTrimmedEnds.end())
        return s.first(std::max<qsizetype>(0, known->second - s.data()));
    const QStringView trimmed = TrimRightBlanks(s);
    if (s.size() - trimmed.size() >= 64) {
        if (FTrimmedEnds.size() > 4096) FTrimmedEnds.clear();
        FTrimmedEnds.emplace(end, trimmed.data() + trimmed.size());
    }
    return trimmed;
}

PieceScanner::Stripped PieceScanner::Strip(QStringView s) {
    Stripped result{s, 0};
    QStringView current = s;
    for (;;) {
        current = Trim(current);
        if (current.isEmpty()) return result; // keeps its last value
        if (current.front() != u'(' || current.back() != u')') {
            result.Text = current;
            return result;
        }
        const qsizetype close = FirstTopClose(current);
        if (close == current.size() - 1) {
            current = current.sliced(1, current.size() - 2);
            ++result.Pairs;
            result.Text = current;
            continue;
        }
        if (close >= 0) result.Text = current; // "(a) or (b)": not one pair
        return result;                         // else the last value stays
    }
}

} // namespace quillary::scan
