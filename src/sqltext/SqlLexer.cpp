#include "sqltext/SqlLexer.h"
#include "sqltext/SqlKeywords.h"

#include <algorithm>

namespace quillary {

namespace {

// Points are set about this many characters apart.
constexpr qsizetype kSpacing = 1024;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\b' || c == u'\f';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsWordStart(char16_t c) {
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'@' ||
               c == u'#';
    return QChar(c).isLetterOrNumber();
}

bool IsWordChar(char16_t c) {
    return IsWordStart(c) || IsDigit(c) || c == u'$';
}

char16_t Closer(TSqlLexState state) {
    switch (state) {
    case TSqlLexState::SingleQuoted:
        return u'\'';
    case TSqlLexState::DoubleQuoted:
        return u'"';
    case TSqlLexState::Bracketed:
        return u']';
    case TSqlLexState::BackQuoted:
        return u'`';
    default:
        return 0;
    }
}

// Whether reading may start at `i` in `state` knowing nothing of the text
// before: no character before `i` combines with the ones from `i` on.
bool IsClean(const char16_t* s, qsizetype i, TSqlLexState state) {
    if (i == 0) return true;
    const char16_t prev = s[i - 1];
    switch (state) {
    case TSqlLexState::Plain:
        return IsBlank(prev) || prev == u'(' || prev == u')' || prev == u',' || prev == u';' ||
               prev == u'=' || prev == u'<' || prev == u'>' || prev == u'+';
    case TSqlLexState::LineComment:
        return true;
    case TSqlLexState::BlockComment:
        return prev != u'*';
    default:
        return prev != Closer(state);
    }
}

// The lexer: reads from `i` in `state` to the next stop — the end of a token
// or of a plain character, or `limit` inside a string, name or comment —
// and hands each token to `sink`.
class TReader {
public:
    TReader(const char16_t* s, qsizetype n) : m_s(s), m_n(n) {}

    template <typename Sink>
    void Step(qsizetype& i, TSqlLexState& state, qsizetype limit, Sink&& sink) const {
        if (state != TSqlLexState::Plain) {
            Continue(i, i, state, limit, sink);
            return;
        }
        const char16_t c = m_s[i];
        const char16_t next = i + 1 < m_n ? m_s[i + 1] : 0;
        if (IsBlank(c)) {
            ++i;
        } else if (c == u'-' && next == u'-') {
            state = TSqlLexState::LineComment;
            Continue(i, i + 2, state, limit, sink);
        } else if (c == u'/' && next == u'*') {
            state = TSqlLexState::BlockComment;
            Continue(i, i + 2, state, limit, sink);
        } else if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            state = c == u'\''  ? TSqlLexState::SingleQuoted
                    : c == u'"' ? TSqlLexState::DoubleQuoted
                    : c == u'[' ? TSqlLexState::Bracketed
                                : TSqlLexState::BackQuoted;
            Continue(i, i + 1, state, limit, sink);
        } else if (c == u'(' || c == u')') {
            sink(TSqlToken{i, 1, c == u'(' ? TSqlTokenKind::OpenParen : TSqlTokenKind::CloseParen});
            ++i;
        } else if (IsDigit(c) || (c == u'.' && IsDigit(next))) {
            qsizetype j = i;
            while (j < m_n && IsDigit(m_s[j]))
                ++j;
            if (j < m_n && m_s[j] == u'.')
                for (++j; j < m_n && IsDigit(m_s[j]);)
                    ++j;
            if (j < m_n && (m_s[j] == u'e' || m_s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < m_n && (m_s[k] == u'+' || m_s[k] == u'-')) ++k;
                if (k < m_n && IsDigit(m_s[k])) {
                    while (k < m_n && IsDigit(m_s[k]))
                        ++k;
                    j = k;
                }
            }
            // Hexadecimal numbers; other digits glued to letters are no number.
            bool number = true;
            if (j < m_n && IsWordChar(m_s[j])) {
                number = j == i + 1 && c == u'0' && (m_s[j] == u'x' || m_s[j] == u'X');
                while (j < m_n && IsWordChar(m_s[j]))
                    ++j;
            }
            if (number) sink(TSqlToken{i, j - i, TSqlTokenKind::Number});
            i = j;
        } else if (IsWordStart(c)) {
            qsizetype j = i + 1;
            while (j < m_n && IsWordChar(m_s[j]))
                ++j;
            if (IsSqlKeyword(QStringView(m_s + i, j - i)))
                sink(TSqlToken{i, j - i, TSqlTokenKind::Keyword});
            i = j;
        } else {
            ++i;
        }
    }

private:
    // Reads on inside the string, name or comment that began at `start`,
    // from `from`, to its end or `limit`.
    template <typename Sink>
    void Continue(qsizetype& i, qsizetype from, TSqlLexState& state, qsizetype limit,
                  Sink&& sink) const {
        const qsizetype stop = std::min(std::max(limit, from), m_n);
        qsizetype j = from;
        TSqlTokenKind kind = TSqlTokenKind::Comment;
        if (state == TSqlLexState::LineComment) {
            while (j < stop && m_s[j] != u'\n' && m_s[j] != u'\r')
                ++j;
            if (j < stop) state = TSqlLexState::Plain;
        } else if (state == TSqlLexState::BlockComment) {
            for (; j < stop; ++j)
                if (m_s[j] == u'*' && j + 1 < m_n && m_s[j + 1] == u'/') {
                    j += 2;
                    state = TSqlLexState::Plain;
                    break;
                }
        } else {
            kind = state == TSqlLexState::SingleQuoted ? TSqlTokenKind::String
                                                       : TSqlTokenKind::QuotedName;
            const char16_t close = Closer(state);
            while (j < stop) {
                if (m_s[j] != close) {
                    ++j;
                    continue;
                }
                if (j + 1 < m_n && m_s[j + 1] == close) {
                    j += 2; // doubled: the quote is part of the text
                    continue;
                }
                ++j;
                state = TSqlLexState::Plain;
                break;
            }
        }
        if (j > i) sink(TSqlToken{i, j - i, kind});
        i = j;
    }

    const char16_t* m_s;
    qsizetype m_n;
};

const char16_t* Chars(QStringView text) {
    return reinterpret_cast<const char16_t*>(text.data());
}

} // namespace

QList<TSqlToken> SqlTokens(QStringView text, qsizetype from, qsizetype to, TSqlLexState state) {
    QList<TSqlToken> tokens;
    const qsizetype n = text.size();
    if (to < 0 || to > n) to = n;
    const TReader reader(Chars(text), n);
    for (qsizetype i = std::max<qsizetype>(from, 0); i < to;)
        reader.Step(i, state, n, [&](const TSqlToken& t) { tokens.append(t); });
    return tokens;
}

// --- the index ---------------------------------------------------------------

TSqlLexIndex::TSqlLexIndex() {
    m_points.append(TPoint{});
}

void TSqlLexIndex::SetText(const QString& text) {
    m_text = text;
    m_points = {TPoint{}};
    m_verified = 1;
    m_complete = false;
    m_tentativeComplete = false;
}

void TSqlLexIndex::Replace(qsizetype position, qsizetype removed, QStringView inserted) {
    position = std::clamp<qsizetype>(position, 0, m_text.size());
    removed = std::clamp<qsizetype>(removed, 0, m_text.size() - position);
    // Points after the edit are kept only as guesses, which must all have
    // been right for one and the same text: the text before the edit is
    // verified first, and guesses left from an earlier edit are dropped.
    Verify(position + 1);
    m_points.resize(m_verified);
    const qsizetype end = position + removed;
    const qsizetype shift = inserted.size() - removed;
    QList<TPoint> kept;
    kept.reserve(m_points.size());
    qsizetype verified = 0;
    for (const TPoint& p : std::as_const(m_points)) {
        if (p.Pos <= position) {
            kept.append(p);
            ++verified;
        } else if (p.Pos >= end && p.Pos > position) {
            kept.append(TPoint{p.Pos + shift, p.State, p.Delta, p.Lowest});
        }
    }
    m_points = std::move(kept);
    m_verified = verified;
    m_tentativeComplete = m_complete;
    m_complete = false;
    m_text.replace(position, removed, inserted.toString());
}

void TSqlLexIndex::Verify(qsizetype upTo) {
    const qsizetype n = m_text.size();
    const char16_t* s = Chars(m_text);
    const TReader reader(s, n);
    while (!m_complete) {
        qsizetype last = m_verified - 1;
        if (m_points[last].Pos >= upTo) return;
        qsizetype i = m_points[last].Pos;
        TSqlLexState state = m_points[last].State;
        int depth = 0, lowest = 0;
        bool converged = false;
        const qsizetype begin = i;
        while (i < n) {
            if (i > m_points[last].Pos) {
                // Guesses passed over are of no more use.
                while (m_verified < m_points.size() && m_points[m_verified].Pos < i)
                    m_points.removeAt(m_verified);
                const bool clean = IsClean(s, i, state);
                if (m_verified < m_points.size() && m_points[m_verified].Pos == i) {
                    if (clean && m_points[m_verified].State == state) {
                        m_points[last].Delta = depth;
                        m_points[last].Lowest = lowest;
                        m_verified = m_points.size();
                        m_complete = m_tentativeComplete;
                        converged = true;
                        break;
                    }
                    m_points.removeAt(m_verified);
                }
                if (clean && i - m_points[last].Pos >= kSpacing) {
                    m_points[last].Delta = depth;
                    m_points[last].Lowest = lowest;
                    m_points.insert(m_verified, TPoint{i, state, 0, 0});
                    last = m_verified++;
                    depth = lowest = 0;
                    if (i >= upTo) {
                        m_read += i - begin;
                        return;
                    }
                }
            }
            // Strings and comments stop where a point is due or a guess lies.
            qsizetype limit = std::max(m_points[last].Pos + kSpacing, i + 1);
            if (m_verified < m_points.size()) limit = std::min(limit, m_points[m_verified].Pos);
            reader.Step(i, state, limit, [&](const TSqlToken& t) {
                if (t.Kind == TSqlTokenKind::OpenParen) {
                    ++depth;
                } else if (t.Kind == TSqlTokenKind::CloseParen) {
                    --depth;
                    lowest = std::min(lowest, depth);
                }
            });
        }
        m_read += i - begin;
        if (converged) continue;
        m_points[last].Delta = depth;
        m_points[last].Lowest = lowest;
        m_points.resize(m_verified);
        m_complete = true;
    }
}

qsizetype TSqlLexIndex::PointBefore(qsizetype position) const {
    const auto end = m_points.begin() + m_verified;
    const auto it = std::upper_bound(m_points.begin(), end, position,
                                     [](qsizetype pos, const TPoint& p) { return pos < p.Pos; });
    return std::max<qsizetype>(0, (it - m_points.begin()) - 1);
}

qsizetype TSqlLexIndex::StretchEnd(qsizetype k) const {
    return k + 1 < m_verified ? m_points[k + 1].Pos : m_text.size();
}

void TSqlLexIndex::ReadStretch(qsizetype k, const std::function<bool(const TSqlToken&)>& visit) {
    const qsizetype end = StretchEnd(k);
    const TReader reader(Chars(m_text), m_text.size());
    qsizetype i = m_points[k].Pos;
    TSqlLexState state = m_points[k].State;
    bool go = true;
    while (go && i < end)
        reader.Step(i, state, end, [&](const TSqlToken& t) { go = go && visit(t); });
    m_read += i - m_points[k].Pos;
}

QList<TSqlToken> TSqlLexIndex::Tokens(qsizetype from, qsizetype to) {
    QList<TSqlToken> tokens;
    to = std::min(to, m_text.size());
    if (from >= to) return tokens;
    Verify(from + 1);
    const qsizetype k = PointBefore(from);
    const TReader reader(Chars(m_text), m_text.size());
    qsizetype i = m_points[k].Pos;
    TSqlLexState state = m_points[k].State;
    const qsizetype begin = i;
    while (i < to)
        reader.Step(i, state, to, [&](const TSqlToken& t) {
            if (t.Start + t.Length > from) tokens.append(t);
        });
    m_read += i - begin;
    return tokens;
}

TSqlLexState TSqlLexIndex::StateAtLineStart(qsizetype position) {
    position = std::clamp<qsizetype>(position, 0, m_text.size());
    Verify(position + 1);
    const qsizetype k = PointBefore(position);
    const TReader reader(Chars(m_text), m_text.size());
    qsizetype i = m_points[k].Pos;
    TSqlLexState state = m_points[k].State;
    m_read += position - i;
    while (i < position)
        reader.Step(i, state, position, [](const TSqlToken&) {});
    return state;
}

qsizetype TSqlLexIndex::MatchingParen(qsizetype position) {
    if (position < 0 || position >= m_text.size()) return -2;
    const char16_t c = m_text[position].unicode();
    if (c != u'(' && c != u')') return -2;
    Verify(position + 1);
    const qsizetype k = PointBefore(position);
    // Within the stretch of the parenthesis: a stack of the open ones.
    QList<qsizetype> open;
    int depth = 0; // relative to the stretch's start
    int at = 0;    // the depth before the parenthesis
    bool found = false;
    qsizetype partner = -1;
    ReadStretch(k, [&](const TSqlToken& t) {
        if (t.Kind != TSqlTokenKind::OpenParen && t.Kind != TSqlTokenKind::CloseParen) return true;
        const bool opening = t.Kind == TSqlTokenKind::OpenParen;
        if (t.Start == position) {
            found = true;
            at = depth;
            if (!opening) {
                partner = open.isEmpty() ? -1 : open.back();
                depth = at - 1;
                return false;
            }
            depth = at + 1;
            return true;
        }
        if (opening) {
            if (!found) open.append(t.Start);
            ++depth;
            return true;
        }
        if (!found && !open.isEmpty()) open.removeLast();
        --depth;
        if (found && depth == at) {
            partner = t.Start;
            return false;
        }
        return true;
    });
    if (!found) return -2;
    if (partner >= 0) return partner;
    if (c == u'(') {
        // On through the later stretches, by their balances.
        int base = depth; // the depth at the next stretch's start
        for (qsizetype j = k + 1;; ++j) {
            // The balance of stretch j is known once the point after it is.
            if (j >= m_verified) Verify(m_points[m_verified - 1].Pos + 1);
            if (j >= m_verified) return -1;
            if (j + 1 >= m_verified) Verify(m_points[j].Pos + 1);
            if (base + m_points[j].Lowest > at) {
                base += m_points[j].Delta;
                continue;
            }
            int d = base;
            qsizetype result = -1;
            ReadStretch(j, [&](const TSqlToken& t) {
                if (t.Kind == TSqlTokenKind::OpenParen) ++d;
                if (t.Kind == TSqlTokenKind::CloseParen && --d == at) {
                    result = t.Start;
                    return false;
                }
                return true;
            });
            return result;
        }
    }
    // A closing one whose partner opened before its stretch: back through
    // the earlier stretches to the last "(" at the depth after it.
    const int target = depth;
    int start = 0; // the depth at the start of stretch j + 1
    for (qsizetype j = k - 1; j >= 0; --j) {
        start -= m_points[j].Delta;
        if (start + m_points[j].Lowest > target) continue;
        int d = start;
        qsizetype result = -1;
        ReadStretch(j, [&](const TSqlToken& t) {
            if (t.Kind == TSqlTokenKind::OpenParen) {
                if (d == target) result = t.Start;
                ++d;
            } else if (t.Kind == TSqlTokenKind::CloseParen) {
                --d;
            }
            return true;
        });
        return result;
    }
    return -1;
}

} // namespace quillary
