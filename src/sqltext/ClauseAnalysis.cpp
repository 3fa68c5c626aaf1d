// The clause analysers. Each splits its text into pieces that are analysed
// again in the same way; the pieces are views of the caller's text kept on
// an explicit work stack, so machine-made statements with a hundred thousand
// conditions need neither deep recursion nor copies of the remaining text.
// The walks look at the top level only: a quoted, bracketed or parenthesised
// group is stepped over whole (PieceScanner::GroupEnd), which keeps deeply
// nested groups from being walked again at every level.
#include "sqltext/Common.h"
#include "sqltext/ScanCore.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace quillary {

using namespace quillary::scan;

namespace {

// Parentheses carried to the first (opening) or last (closing) statement or
// condition of a split text: the caller's own carried text (only the first
// or last piece gets it) and a number of parentheses.
struct Carry {
    bool Caller = false;
    qsizetype Parens = 0;
};

QString OpeningText(const Carry& carry, const QString& callerText) {
    QString text = carry.Caller ? callerText : QString();
    if (carry.Parens > 0) text.append(QString(carry.Parens, u'('));
    return text;
}

QString ClosingText(const Carry& carry, const QString& callerText) {
    QString text = carry.Parens > 0 ? QString(carry.Parens, u')') : QString();
    if (carry.Caller) text.append(callerText);
    return text;
}

Carry Plus(Carry carry, qsizetype parens) {
    carry.Parens += parens;
    return carry;
}

// A keyword table with the first character of each entry, so that a walk
// tries only the entries that can begin at the next word.
template <std::size_t N> struct Keywords {
    explicit Keywords(const QStringList& table) {
        for (std::size_t k = 0; k < N; ++k)
            Entries[k] = MakeExpKeyword(table[qsizetype(k)]);
    }
    ExpKeyword Entries[N];
};

// The folded first character of the word that begins at `next`, 0 at the end.
char16_t FirstOf(QStringView s, qsizetype next) {
    return next < s.size() ? FoldAscii(s[next].unicode()) : 0;
}

// How many keywords of one or two tables a walk of s can meet at most: the
// separator blanks followed by a first character of one of them. One quick
// pass without branches, so that a result list grows once instead of step
// by step.
template <std::size_t N, std::size_t M = 1>
std::pair<qsizetype, qsizetype> KeywordCandidates(QStringView s, const Keywords<N>& first,
                                                  const Keywords<M>* second = nullptr) {
    unsigned char classes[128] = {};
    for (char16_t c : {8, 9, 13, 32})
        classes[c] = 1;
    const auto mark = [&](const ExpKeyword* entries, std::size_t count, unsigned char bit) {
        for (std::size_t k = 0; k < count; ++k) {
            const char16_t c = entries[k].First;
            if (c >= 128) continue;
            classes[c] |= bit;
            if (c >= u'a' && c <= u'z') classes[c - 32] |= bit;
        }
    };
    mark(first.Entries, N, 2);
    if (second) mark(second->Entries, M, 4);
    qsizetype counts[2] = {};
    unsigned afterBlank = 0;
    for (const QChar ch : s) {
        const char16_t c = ch.unicode();
        const unsigned cls = c < 128 ? classes[c] : 0;
        counts[0] += afterBlank & (cls >> 1);
        counts[1] += afterBlank & (cls >> 2);
        afterBlank = cls & 1;
    }
    return {counts[0], counts[1]};
}

// The characters a walk has to look at; every other one it passes over in a
// tight loop (all characters beyond ASCII are ordinary).
struct CharSet {
    constexpr CharSet(std::initializer_list<char16_t> chars) {
        for (char16_t c : chars)
            In[c] = true;
    }
    bool In[128] = {};
};
constexpr CharSet kStatementChars{u'(', u')', u'\'', u'"', u'[', 8, 9, 13, 32};
constexpr CharSet kConditionChars{u'(', u')', u'\'', 8, 9, 13, 32, u'=', u'*', u'<', u'>', u'!'};

qsizetype SkipOrdinary(QStringView s, qsizetype i, const CharSet& set) {
    const qsizetype n = s.size();
    while (i < n) {
        const char16_t c = s[i].unicode();
        if (c < 128 && set.In[c]) break;
        ++i;
    }
    return i;
}

// Room for `items` more entries; a generous guess costs only address space.
void Reserve(QStringList& list, qsizetype items) {
    constexpr qsizetype kMost = qsizetype(1) << 22;
    list.reserve(list.size() + std::min(items, kMost));
}

// A piece still to analyse; Next indexes the keyword table, -1 standing
// for the caller's own following text.
struct Piece {
    QStringView Text;
    Carry Open;
    Carry Close;
    qsizetype Next = -1;
};

} // namespace

QString AnalysisSQLClause(const QString& sql, const QString& keyword,
                          const QStringList& nextKeywords, int& nextPos, QString& nextKeyword,
                          QStringList& items, int start) {
    nextKeyword.clear();
    nextPos = 0;
    const qsizetype offset = start < 1 ? 0 : qsizetype(start) - 1;
    const QStringView tail = offset < sql.size() ? QStringView(sql).sliced(offset) : QStringView();
    PhraseMatch clause;
    if (!MatchPhrase(tail, 0, keyword, true, clause))
        return QStringLiteral("not Found KeyWord \"") + keyword + QStringLiteral("\" ");
    std::vector<ExpKeyword> keys;
    keys.reserve(size_t(nextKeywords.size()));
    for (const QString& k : nextKeywords)
        keys.push_back(MakeExpKeyword(k));
    PieceScanner scanner(tail);
    qsizetype current = clause.WordsEnd;
    while (current < tail.size()) {
        const ExpEnd end =
            FindExpEndIn(tail, u',', true, keys.data(), qsizetype(keys.size()), current);
        if (end.Result == 0) {
            QString error = QStringLiteral("在【");
            error.append(tail.first(current + 1));
            error.append(QStringLiteral("】后有语法错误！"));
            return error;
        }
        items.append(scanner.Strip(tail.sliced(current, end.Result - current)).Text.toString());
        if (end.Keyword >= 0) {
            nextKeyword = nextKeywords.at(end.Keyword);
            nextPos = int(offset + end.KeyPos + 1);
            break;
        }
        current = end.Result + 1; // past the comma
    }
    return QString();
}

void AnalysisUnionClause(const QString& sql, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextOperator) {
    static const Keywords<4> operators(sUnion);
    Reserve(list, 4 * (KeywordCandidates(sql, operators).first + 1));
    PieceScanner scanner(sql);
    std::vector<Piece> pieces{{sql, {true, 0}, {true, 0}, -1}};
    while (!pieces.empty()) {
        const Piece piece = pieces.back();
        pieces.pop_back();
        const PieceScanner::Stripped stripped = scanner.Strip(piece.Text);
        const QStringView s = stripped.Text;
        if (s.isEmpty()) continue;
        const Carry open = Plus(piece.Open, stripped.Pairs);
        const Carry close = Plus(piece.Close, stripped.Pairs);
        bool split = false;
        bool unbalanced = false;
        qsizetype i = 0;
        while (!split && !unbalanced) {
            i = SkipOrdinary(s, i, kStatementChars);
            if (i >= s.size()) break;
            const char16_t c = s[i].unicode();
            if (c == u'(' || c == u'\'' || c == u'"' || c == u'[') {
                const qsizetype end = scanner.GroupEnd(s, i);
                i = end < 0 ? s.size() : end + 1;
                continue;
            }
            unbalanced = c == u')';
            if (!IsSeparator(c)) {
                ++i;
                continue;
            }
            const qsizetype next = SkipBlanks(s, i + 1);
            const char16_t first = FirstOf(s, next);
            for (qsizetype k = 0; k < sUnion.size() && !split; ++k) {
                PhraseMatch op;
                if (operators.Entries[k].First != first ||
                    !MatchPhrase(s, next, sUnion[k], true, op))
                    continue;
                // The right-hand side splits itself further; the left is
                // analysed first because it comes first in the list.
                pieces.push_back({s.sliced(op.Next), {}, close, piece.Next});
                pieces.push_back({s.first(op.Begin), open, {}, k});
                split = true;
            }
            i = next;
        }
        if (split || unbalanced) continue;
        list.append(OpeningText(open, openCarry));
        list.append(s.toString());
        list.append(ClosingText(close, closeCarry));
        list.append(piece.Next < 0 ? nextOperator : sUnion[piece.Next]);
    }
}

void AnalysisWhereClause(const QString& cond, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextConnector) {
    static const QString kNot = QStringLiteral("not");
    static const Keywords<2> logical(sLogical);
    static const Keywords<5> wordOperators(sRelaCh2);
    const ExpKeyword* connectors = logical.Entries;
    Reserve(list, 6 * (KeywordCandidates(cond, logical).first + 1));
    PieceScanner scanner(cond);
    std::vector<Piece> pieces{{cond, {true, 0}, {true, 0}, -1}};
    while (!pieces.empty()) {
        const Piece piece = pieces.back();
        pieces.pop_back();
        const PieceScanner::Stripped stripped = scanner.Strip(piece.Text);
        const QStringView s = stripped.Text;
        const qsizetype n = s.size();
        const Carry open = Plus(piece.Open, stripped.Pairs);
        const Carry close = Plus(piece.Close, stripped.Pairs);
        const QString& following = piece.Next < 0 ? nextConnector : sLogical[piece.Next];

        // A condition with its operator: the value runs to the nearest
        // top-level connector, and what follows that is analysed on.
        auto condition = [&](qsizetype leftEnd, const QString& op, qsizetype valueStart) {
            const ExpEnd end = FindExpEndIn(s, 0, false, connectors, 2, valueStart);
            list.append(OpeningText(open, openCarry));
            list.append(s.first(leftEnd).toString());
            list.append(op);
            if (end.Keyword < 0) {
                list.append(valueStart < n ? s.sliced(valueStart).toString() : QString());
                list.append(ClosingText(close, closeCarry));
                list.append(following);
                return;
            }
            const QString& connector = sLogical[end.Keyword];
            // The value stops before the blank that precedes the connector.
            const qsizetype valueEnd = std::max(valueStart, end.KeyPos - 1);
            list.append(s.sliced(valueStart, valueEnd - valueStart).toString());
            list.append(QString());
            list.append(connector);
            const qsizetype rest = std::min(n, end.KeyPos + connector.size() + 1);
            pieces.push_back({s.sliced(rest), {}, close, piece.Next});
        };

        // "not ..." reads no word operator; the word stays in the first row.
        PhraseMatch negation;
        const bool negated = MatchPhrase(s, 0, kNot, true, negation);
        bool done = false;
        bool unbalanced = false;
        qsizetype i = negated ? negation.Next : 0;
        while (!done && !unbalanced) {
            i = SkipOrdinary(s, i, kConditionChars);
            if (i >= n) break;
            const char16_t c = s[i].unicode();
            // Only quotes and parentheses count here; double quotes and
            // brackets are plain characters of a condition.
            if (c == u'(' || c == u'\'') {
                const qsizetype end = scanner.GroupEnd(s, i);
                i = end < 0 ? n : end + 1;
                continue;
            }
            if (c == u')') {
                unbalanced = true;
                continue;
            }
            if (IsSeparator(c)) {
                const qsizetype next = SkipBlanks(s, i + 1);
                const char16_t first = FirstOf(s, next);
                PhraseMatch word;
                for (qsizetype k = 0; k < sLogical.size() && !done; ++k) {
                    if (connectors[k].First != first ||
                        !MatchPhrase(s, next, sLogical[k], true, word))
                        continue;
                    pieces.push_back({s.sliced(word.Next), {}, close, piece.Next});
                    pieces.push_back({s.first(i), open, {}, k});
                    done = true;
                }
                for (qsizetype k = 0; k < sRelaCh2.size() && !done && !negated; ++k) {
                    if (wordOperators.Entries[k].First != first ||
                        !MatchPhrase(s, next, sRelaCh2[k], true, word))
                        continue;
                    condition(i, sRelaCh2[k], word.Next);
                    done = true;
                }
                i = next; // the other blanks of the run would see the same words
                continue;
            }
            // Only these characters begin a symbol operator.
            const bool symbol = c == u'=' || c == u'*' || c == u'<' || c == u'>' || c == u'!';
            for (qsizetype k = 0; symbol && k < sRelaCh1.size(); ++k) {
                const QString& op = sRelaCh1[k];
                if (c != op[0].unicode()) continue;
                qsizetype opEnd = i + 1;
                if (op.size() == 2) {
                    // «< >» reads as "<>": blanks inside the operator go.
                    const qsizetype second = SkipBlanks(s, i + 1);
                    if (second >= n || s[second] != op[1]) continue;
                    opEnd = second + 1;
                }
                condition(i, op, opEnd);
                done = true;
                break;
            }
            ++i;
        }
        if (done || unbalanced) continue;
        list.append(OpeningText(open, openCarry));
        list.append(s.toString());
        list.append(QString());
        list.append(QString());
        list.append(ClosingText(close, closeCarry));
        list.append(following);
    }
}

namespace {

// A keyword met in a FROM clause: 1..8 a join keyword (1-based index in
// sOuterJoin), 9 an ON. Begin is where the keyword begins, End the first
// non-blank character after it. Gap marks a keyword that closed a pending
// join: the text between the record below and this keyword has been used
// up and no longer counts.
struct JoinRecord {
    int Kind = 0;
    qsizetype Begin = 0;
    qsizetype End = 0;
    bool Gap = false;
};
constexpr int kOnRecord = 9;

struct FromFrame {
    QStringView S;
    qsizetype Walk = 0;
    std::vector<JoinRecord> Joins;
    bool SeenJoin = false;
    bool Done = false;
    QStringView Pieces[2];
    int PieceCount = 0;
    int NextPiece = 0;
};

class FromAnalysis {
public:
    FromAnalysis(const QString& from, QStringList& joins, QStringList& tables)
        : FScanner(from), FJoinList(joins), FTableList(tables) {
        const auto [joinCount, andCount] = KeywordCandidates(from, JoinKeywords(), &AndKeyword());
        Reserve(FTableList, joinCount + 1);
        Reserve(FJoinList, joinCount + andCount);
        Open(from);
        // Every piece is analysed before the text after it, as a recursive
        // reading would; the frames only keep that order without recursion.
        while (FDepth > 0) {
            FromFrame& frame = FFrames[std::size_t(FDepth - 1)];
            if (frame.NextPiece < frame.PieceCount) {
                Open(frame.Pieces[frame.NextPiece++]);
            } else if (frame.Done) {
                --FDepth;
            } else {
                Walk(frame);
            }
        }
    }

private:
    static const Keywords<8>& JoinKeywords() {
        static const Keywords<8> table(sOuterJoin);
        return table;
    }
    static const Keywords<1>& AndKeyword() {
        static const Keywords<1> table(QStringList{QStringLiteral("and")});
        return table;
    }

    // Frames are used again, with the room their join stacks already have;
    // a deque keeps the frames in place while it grows.
    void Open(QStringView text) {
        if (FDepth == qsizetype(FFrames.size())) FFrames.emplace_back();
        FromFrame& frame = FFrames[std::size_t(FDepth++)];
        frame.S = FScanner.Strip(text).Text;
        frame.Walk = 0;
        frame.Joins.clear();
        frame.SeenJoin = false;
        frame.Done = false;
        frame.PieceCount = 0;
        frame.NextPiece = 0;
    }

    // Walks on until a join closes (its pieces are then analysed first) or
    // the text ends.
    void Walk(FromFrame& f) {
        const QStringView s = f.S;
        const qsizetype n = s.size();
        if (n == 0) {
            f.Done = true;
            return;
        }
        for (;;) {
            f.Walk = SkipOrdinary(s, f.Walk, kStatementChars);
            if (f.Walk >= n) break;
            const qsizetype i = f.Walk;
            const char16_t c = s[i].unicode();
            if (c == u'(' || c == u'\'' || c == u'"' || c == u'[') {
                const qsizetype end = FScanner.GroupEnd(s, i);
                f.Walk = end < 0 ? n : end + 1;
                continue;
            }
            if (c == u')') {
                f.Done = true; // nothing further from this text
                return;
            }
            if (!IsSeparator(c)) {
                ++f.Walk;
                continue;
            }
            const qsizetype next = SkipBlanks(s, i + 1);
            const char16_t first = FirstOf(s, next);
            PhraseMatch keyword;
            int kind = 0;
            const ExpKeyword* joins = JoinKeywords().Entries;
            for (qsizetype k = 0; k < sOuterJoin.size() && kind == 0; ++k)
                if (joins[k].First == first && MatchPhrase(s, next, sOuterJoin[k], true, keyword))
                    kind = int(k) + 1;
            static const QString kOn = QStringLiteral("on");
            if (kind == 0 && first == u'o' && !f.Joins.empty() &&
                MatchPhrase(s, next, kOn, true, keyword))
                kind = kOnRecord;
            if (kind == 0) {
                f.Walk = next;
                continue;
            }
            if (kind != kOnRecord) f.SeenJoin = true;
            JoinRecord record{kind, keyword.Begin, keyword.Next, false};
            f.Walk = keyword.Next;
            if (f.Joins.empty() || f.Joins.back().Kind != kOnRecord) {
                f.Joins.push_back(record);
                continue;
            }
            Close(f, i);
            record.Gap = true;
            f.Joins.push_back(record);
            return; // the closed join's pieces come first
        }
        f.Done = true;
        if (!f.SeenJoin) {
            FTableList.append(s.toString());
        } else if (!f.Joins.empty() && f.Joins.back().Kind == kOnRecord) {
            Close(f, n);
        }
    }

    // Closes the pending join: its ON condition ends at conditionEnd. A
    // second ON after a closed join («a join b on x on y») has no join of
    // its own: like a join without ON it adds nothing.
    void Close(FromFrame& f, qsizetype conditionEnd) {
        const JoinRecord on = f.Joins.back();
        f.Joins.pop_back();
        f.PieceCount = 0;
        f.NextPiece = 0;
        if (f.Joins.empty()) return;
        const JoinRecord join = f.Joins.back();
        f.Joins.pop_back();
        const QStringView s = f.S;
        const qsizetype conditionStart = std::min(on.End, conditionEnd);
        AppendJoinTerms(s.sliced(conditionStart, conditionEnd - conditionStart), join.Kind);
        const qsizetype leftStart = f.Joins.empty() ? 0 : f.Joins.back().End;
        f.Pieces[0] = join.Gap ? QStringView() : Between(s, leftStart, join.Begin);
        f.Pieces[1] = on.Gap ? QStringView() : Between(s, join.End, on.Begin);
        f.PieceCount = 2;
    }

    static QStringView Between(QStringView s, qsizetype from, qsizetype to) {
        return to > from ? s.sliced(from, to - from) : QStringView();
    }

    // One join item per top-level AND term of an ON condition.
    void AppendJoinTerms(QStringView condition, int kind) {
        static const QString kAnd = QStringLiteral("and");
        const ExpKeyword& andKeyword = AndKeyword().Entries[0];
        const QChar digit(u'0' + kind);
        // One string per item: the kind digit, then the term.
        const auto item = [&](QStringView term) {
            const QStringView text = FScanner.Strip(term).Text;
            QString joined;
            joined.reserve(text.size() + 1);
            joined.append(digit).append(text);
            return joined;
        };
        qsizetype from = 0;
        for (;;) {
            const ExpEnd end = FindExpEndIn(condition, 0, false, &andKeyword, 1, from);
            if (end.Keyword < 0) {
                const QStringView last =
                    from < condition.size() ? condition.sliced(from) : QStringView();
                FJoinList.append(item(last));
                return;
            }
            FJoinList.append(item(condition.sliced(from, end.KeyPos - from)));
            from = end.KeyPos + kAnd.size();
        }
    }

    PieceScanner FScanner;
    QStringList& FJoinList;
    QStringList& FTableList;
    std::deque<FromFrame> FFrames;
    qsizetype FDepth = 0;
};

} // namespace

void AnalysisFromClause(const QString& from, QStringList& joinList, QStringList& tableList) {
    FromAnalysis(from, joinList, tableList);
}

} // namespace quillary
