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
    return {text, !text.isEmpty() && IsSeparator(text[0].unicode())};
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
            ++i;
            continue;
        }
        if (hasEndChar && c == endChar) {
            result.Result = i;
            return result;
        }
        if (keywordCount > 0 && IsSeparator(c)) {
            const qsizetype next = SkipBlanks(s, i + 1);
            for (qsizetype k = 0; k < keywordCount; ++k) {
                PhraseMatch match;
                if (keywords[k].AtBlank) {
                    match.Begin = i;
                } else if (!MatchPhrase(s, next, keywords[k].Text, true, match)) {
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

GroupTable::GroupTable(QStringView text) : FText(text) {
    using Index = std::int32_t;
    const qsizetype n = text.size();
    // Where each walk mode ends when it starts at index q (-1: never):
    //  quote       - inside '...': the closing quote (doubled quotes skipped)
    //  doubleQuote - inside "...": the closing double quote
    //  bracket     - inside [...]: the closing bracket
    //  paren       - inside (...): the ")" that pops it
    //  topClose    - at the top level: the first ")" met with an empty stack
    // A quote opened inside any mode runs to its own end before that mode
    // goes on; so each value is either q itself or a value further right.
    const size_t size = size_t(n) + 2;
    std::vector<Index> quote(size, -1), doubleQuote(size, -1), bracket(size, -1), paren(size, -1),
        topClose(size, -1);
    auto after = [](const std::vector<Index>& mode, Index close) -> Index {
        return close < 0 ? -1 : mode[size_t(close) + 1];
    };
    for (qsizetype q = n - 1; q >= 0; --q) {
        const size_t u = size_t(q);
        const Index self = Index(q);
        const char16_t c = text[q].unicode();
        if (c == u'\'')
            quote[u] = (q + 1 < n && text[q + 1] == u'\'') ? quote[u + 2] : self;
        else
            quote[u] = quote[u + 1];
        const Index quoteEnd = c == u'\'' ? quote[u + 1] : -1;
        doubleQuote[u] = c == u'"'    ? self
                         : c == u'\'' ? after(doubleQuote, quoteEnd)
                                      : doubleQuote[u + 1];
        bracket[u] = c == u']' ? self : c == u'\'' ? after(bracket, quoteEnd) : bracket[u + 1];
        switch (c) {
        case u')':
            paren[u] = self;
            topClose[u] = self;
            break;
        case u'(':
            paren[u] = after(paren, paren[u + 1]);
            topClose[u] = after(topClose, paren[u + 1]);
            break;
        case u'\'':
            paren[u] = after(paren, quoteEnd);
            topClose[u] = after(topClose, quoteEnd);
            break;
        case u'"':
            paren[u] = paren[u + 1];
            topClose[u] = after(topClose, doubleQuote[u + 1]);
            break;
        case u'[':
            paren[u] = paren[u + 1];
            topClose[u] = after(topClose, bracket[u + 1]);
            break;
        default:
            paren[u] = paren[u + 1];
            topClose[u] = topClose[u + 1];
            break;
        }
    }
    FQuote = std::move(quote);
    FDoubleQuote = std::move(doubleQuote);
    FBracket = std::move(bracket);
    FParen = std::move(paren);
    FTopClose = std::move(topClose);
}

qsizetype GroupTable::At(const std::vector<std::int32_t>& table, qsizetype index) {
    if (index < 0 || size_t(index) >= table.size()) return -1;
    return table[size_t(index)];
}

qsizetype GroupTable::CloseOf(char16_t opener, qsizetype index) const {
    switch (opener) {
    case u'(':
        return At(FParen, index);
    case u'\'':
        return At(FQuote, index);
    case u'"':
        return At(FDoubleQuote, index);
    case u'[':
        return At(FBracket, index);
    default:
        return -1;
    }
}

qsizetype GroupTable::TopClose(qsizetype index) const {
    return At(FTopClose, index);
}

WalkAllowance& PlainWalkAllowance() {
    static WalkAllowance allowance;
    return allowance;
}

PieceScanner::PieceScanner(QStringView root)
    : FRoot(root),
      FBudget(PlainWalkAllowance().PerCharacter * root.size() + PlainWalkAllowance().Fixed) {}

PieceScanner::~PieceScanner() = default;

bool PieceScanner::Spend() {
    if (FTable) return false;
    if (--FBudget >= 0) return true;
    if (FRoot.size() >= std::numeric_limits<std::int32_t>::max() - 2) {
        FBudget = std::numeric_limits<qsizetype>::max(); // too long to index: walk on
        return true;
    }
    FTable = std::make_unique<GroupTable>(FRoot);
    return false;
}

qsizetype PieceScanner::InView(QStringView s, qsizetype offset, qsizetype absolute) {
    // Beyond the view (or never closing in the whole text) the view's own
    // end decides, which the table does not know.
    if (absolute < 0 || absolute - offset >= s.size()) return -2;
    return absolute - offset;
}

qsizetype PieceScanner::GroupEnd(QStringView s, qsizetype i) {
    const qsizetype n = s.size();
    MarkStack marks;
    ApplyMark(s, i, marks);
    qsizetype k = i + 1;
    bool spending = true;
    while (k < n) {
        if (spending && !Spend()) {
            const qsizetype offset = s.data() - FRoot.data();
            const qsizetype close =
                InView(s, offset, FTable->CloseOf(s[i].unicode(), offset + i + 1));
            if (close >= 0) return close;
            spending = false; // rare: finish the walk by hand
        }
        const MarkStep step = ApplyMark(s, k, marks);
        if (marks.IsEmpty()) return k;
        k += step == MarkStep::Doubled ? 2 : 1;
    }
    return -1;
}

qsizetype PieceScanner::FirstTopClose(QStringView s) {
    const qsizetype n = s.size();
    MarkStack marks;
    qsizetype i = 1;
    while (i < n) {
        if (!Spend()) {
            // s ends with ")", so the table's answer holds for s when it lies inside.
            const qsizetype offset = s.data() - FRoot.data();
            const qsizetype close = FTable->TopClose(offset + 1);
            return close < 0 || close - offset >= n ? -1 : close - offset;
        }
        switch (ApplyMark(s, i, marks)) {
        case MarkStep::Unmatched:
            return i;
        case MarkStep::Doubled:
            i += 2;
            break;
        default:
            ++i;
            break;
        }
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
