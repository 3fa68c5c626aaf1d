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

// A few brackets, shared by every row that carries them: they point at
// constant text (which ends where they end), so copying them counts no
// references.
QString Brackets(char16_t bracket, qsizetype count) {
    static constexpr const char16_t* kOpening[] = {
        u"", u"(", u"((", u"(((", u"((((", u"(((((", u"((((((", u"(((((((", u"(((((((("};
    static constexpr const char16_t* kClosing[] = {
        u"", u")", u"))", u")))", u"))))", u")))))", u"))))))", u")))))))", u"))))))))"};
    if (count >= qsizetype(std::size(kOpening))) return QString(count, bracket);
    const char16_t* text = (bracket == u'(' ? kOpening : kClosing)[count];
    return QString::fromRawData(reinterpret_cast<const QChar*>(text), count);
}

QString OpeningText(const Carry& carry, const QString& callerText) {
    if (!carry.Caller || callerText.isEmpty()) return Brackets(u'(', std::max<qsizetype>(carry.Parens, 0));
    QString text = callerText;
    if (carry.Parens > 0) text.append(Brackets(u'(', carry.Parens));
    return text;
}

QString ClosingText(const Carry& carry, const QString& callerText) {
    QString text = Brackets(u')', std::max<qsizetype>(carry.Parens, 0));
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

constexpr CharSet kStatementChars{u'(', u')', u'\'', u'"', u'[', 8, 9, 13, 32};
constexpr CharSet kConditionChars{u'(', u')', u'\'', 8, 9, 13, 32, u'=', u'*', u'<', u'>', u'!'};

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

namespace {

// One analysis of a WHERE text. Pieces wait on a stack; each is read up to
// its first top-level connector (the two sides become pieces again) or
// operator (one condition row, and what follows its value a piece again);
// a piece with neither is a row of its own.
class TWhereAnalysis {
public:
    TWhereAnalysis(const QString& cond, QStringList& list, const QString& openCarry,
                   const QString& closeCarry, const QString& nextConnector)
        : FList(list), FOpenCarry(openCarry), FCloseCarry(closeCarry),
          FNextConnector(nextConnector), FScanner(cond) {
        Reserve(list, 6 * (KeywordCandidates(cond, Logical()).first + 1));
        FPieces.push_back({cond, {true, 0}, {true, 0}, -1});
    }

    void Run() {
        while (!FPieces.empty()) {
            const Piece piece = FPieces.back();
            FPieces.pop_back();
            const PieceScanner::Stripped stripped = FScanner.Strip(piece.Text);
            const TCurrent current{stripped.Text, Plus(piece.Open, stripped.Pairs),
                                   Plus(piece.Close, stripped.Pairs), piece.Next};
            if (Split(current) == TSplit::None) AppendWhole(current);
        }
    }

private:
    enum class TSplit { None, Done, Unbalanced };
    // A stripped piece with the brackets it carries and the connector after it.
    struct TCurrent {
        QStringView S;
        Carry Open;
        Carry Close;
        qsizetype Next;
    };

    static const Keywords<2>& Logical() {
        static const Keywords<2> logical(sLogical);
        return logical;
    }
    static const Keywords<5>& WordOperators() {
        static const Keywords<5> operators(sRelaCh2);
        return operators;
    }
    const QString& Following(const TCurrent& p) const {
        return p.Next < 0 ? FNextConnector : sLogical[p.Next];
    }

    // Walks the piece to its first top-level connector or operator.
    TSplit Split(const TCurrent& p) {
        static const QString kNot = QStringLiteral("not");
        const QStringView s = p.S;
        const qsizetype n = s.size();
        // "not ..." reads no word operator; the word stays in the first row.
        PhraseMatch negation;
        const bool negated =
            FirstOf(s, SkipBlanks(s, 0)) == u'n' && MatchPhrase(s, 0, kNot, true, negation);
        qsizetype i = negated ? negation.Next : 0;
        for (;;) {
            i = SkipOrdinary(s, i, kConditionChars);
            if (i >= n) return TSplit::None;
            const char16_t c = s[i].unicode();
            // Only quotes and parentheses count here; double quotes and
            // brackets are plain characters of a condition.
            if (c == u'(' || c == u'\'') {
                const qsizetype end = FScanner.GroupEnd(s, i);
                i = end < 0 ? n : end + 1;
                continue;
            }
            if (c == u')') return TSplit::Unbalanced;
            if (IsSeparator(c)) {
                const qsizetype next = SkipBlanks(s, i + 1);
                if (SplitAtWord(p, i, next, negated)) return TSplit::Done;
                i = next; // the other blanks of the run would see the same words
                continue;
            }
            if (SplitAtSymbol(p, i)) return TSplit::Done;
            ++i;
        }
    }

    // At the blank `blank`, a connector or (unless negated) a word operator
    // that begins at `next`.
    bool SplitAtWord(const TCurrent& p, qsizetype blank, qsizetype next, bool negated) {
        const QStringView s = p.S;
        const char16_t first = FirstOf(s, next);
        PhraseMatch word;
        for (qsizetype k = 0; k < sLogical.size(); ++k) {
            if (Logical().Entries[k].First != first ||
                !MatchPhrase(s, next, sLogical[k], true, word))
                continue;
            FPieces.push_back({s.sliced(word.Next), {}, p.Close, p.Next});
            FPieces.push_back({s.first(blank), p.Open, {}, k});
            return true;
        }
        for (qsizetype k = 0; k < sRelaCh2.size() && !negated; ++k) {
            if (WordOperators().Entries[k].First != first ||
                !MatchPhrase(s, next, sRelaCh2[k], true, word))
                continue;
            AppendCondition(p, blank, sRelaCh2[k], word.Next);
            return true;
        }
        return false;
    }

    // A symbol operator that begins at `i`.
    bool SplitAtSymbol(const TCurrent& p, qsizetype i) {
        const QStringView s = p.S;
        const char16_t c = s[i].unicode();
        // Only these characters begin a symbol operator.
        if (c != u'=' && c != u'*' && c != u'<' && c != u'>' && c != u'!') return false;
        for (const QString& op : sRelaCh1) {
            if (c != op[0].unicode()) continue;
            qsizetype opEnd = i + 1;
            if (op.size() == 2) {
                // «< >» reads as "<>": blanks inside the operator go.
                const qsizetype second = SkipBlanks(s, i + 1);
                if (second >= s.size() || s[second] != op[1]) continue;
                opEnd = second + 1;
            }
            AppendCondition(p, i, op, opEnd);
            return true;
        }
        return false;
    }

    // A condition with its operator: the value runs to the nearest
    // top-level connector, and what follows that is analysed on.
    void AppendCondition(const TCurrent& p, qsizetype leftEnd, const QString& op,
                         qsizetype valueStart) {
        const QStringView s = p.S;
        const qsizetype n = s.size();
        const ExpEnd end = FindExpEndIn(s, 0, false, Logical().Entries, 2, valueStart);
        FList.append(OpeningText(p.Open, FOpenCarry));
        FList.append(s.first(leftEnd).toString());
        FList.append(op);
        if (end.Keyword < 0) {
            FList.append(valueStart < n ? s.sliced(valueStart).toString() : QString());
            FList.append(ClosingText(p.Close, FCloseCarry));
            FList.append(Following(p));
            return;
        }
        const QString& connector = sLogical[end.Keyword];
        // The value stops before the blank that precedes the connector.
        const qsizetype valueEnd = std::max(valueStart, end.KeyPos - 1);
        FList.append(s.sliced(valueStart, valueEnd - valueStart).toString());
        FList.append(QString());
        FList.append(connector);
        const qsizetype rest = std::min(n, end.KeyPos + connector.size() + 1);
        FPieces.push_back({s.sliced(rest), {}, p.Close, p.Next});
    }

    // A piece without connector or operator is a row of its own.
    void AppendWhole(const TCurrent& p) {
        FList.append(OpeningText(p.Open, FOpenCarry));
        FList.append(p.S.toString());
        FList.append(QString());
        FList.append(QString());
        FList.append(ClosingText(p.Close, FCloseCarry));
        FList.append(Following(p));
    }

    QStringList& FList;
    const QString& FOpenCarry;
    const QString& FCloseCarry;
    const QString& FNextConnector;
    PieceScanner FScanner;
    std::vector<Piece> FPieces;
};

} // namespace

void AnalysisWhereClause(const QString& cond, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextConnector) {
    TWhereAnalysis(cond, list, openCarry, closeCarry, nextConnector).Run();
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
