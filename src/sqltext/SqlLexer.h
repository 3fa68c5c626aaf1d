#pragma once
// The tokens an SQL editor colours — key words, quoted strings, quoted names,
// numbers, comments and parentheses — and an index over a whole text that
// keeps them up to date edit by edit without reading the text again.
//
// Quotes follow the designer's reading of SQL: '...' strings and "...",
// [...] and `...` names, each with its closing character doubled inside;
// "--" comments run to the end of the line, "/* */" comments may span lines.
// Positions here are 0-based character offsets (an editor's positions).

#include <QList>
#include <QString>
#include <QStringView>
#include <functional>

namespace quillary {

// What is open at a position of the text.
enum class TSqlLexState : quint8 {
    Plain,
    SingleQuoted, // '...'
    DoubleQuoted, // "..."
    Bracketed,    // [...]
    BackQuoted,   // `...`
    LineComment,  // -- ...
    BlockComment, // /* ... */
};

enum class TSqlTokenKind : quint8 {
    Keyword,
    String,
    QuotedName,
    Number,
    Comment,
    OpenParen,
    CloseParen,
};

struct TSqlToken {
    qsizetype Start = 0;
    qsizetype Length = 0;
    TSqlTokenKind Kind = TSqlTokenKind::Keyword;
    bool operator==(const TSqlToken&) const = default;
};

// The tokens of `text` from `from` on, read as if `state` were open there,
// up to `to` (a token that begins before `to` is given whole). A string or
// comment already open at `from` is given from `from`.
QList<TSqlToken> SqlTokens(QStringView text, qsizetype from = 0, qsizetype to = -1,
                           TSqlLexState state = TSqlLexState::Plain);

// An SQL text with its lexical state remembered at points about a
// kilobyte apart, so that an edit is read again only from the point before
// it until the states fall in step with the old ones, and any stretch of the
// text is read from the point before it. Each stretch between two points
// also keeps its parenthesis balance, so that a partner is found by walking
// the stretches, not the characters.
class TSqlLexIndex {
public:
    TSqlLexIndex();

    const QString& Text() const { return m_text; }
    void SetText(const QString& text);
    // Replaces `removed` characters at `position` with `inserted`.
    void Replace(qsizetype position, qsizetype removed, QStringView inserted);

    // The tokens that overlap [from, to); a string or comment that goes on
    // beyond `to` is given up to `to`.
    QList<TSqlToken> Tokens(qsizetype from, qsizetype to);
    // The state open at `position`, which must follow a line break or be 0
    // (the start of an editor's block).
    TSqlLexState StateAtLineStart(qsizetype position);
    // The position of the parenthesis that pairs with the one at `position`;
    // -1 when it has none, -2 when no parenthesis of the code (outside
    // strings, names and comments) is there.
    qsizetype MatchingParen(qsizetype position);

    // How many characters were read since the index was made (for tests and
    // measurements of the incremental reading).
    qsizetype CharactersRead() const { return m_read; }

private:
    struct TPoint {
        qsizetype Pos = 0;
        TSqlLexState State = TSqlLexState::Plain;
        // Of the stretch from this point to the next: the parenthesis
        // balance at its end and the lowest balance inside it (<= 0).
        int Delta = 0;
        int Lowest = 0;
    };

    // Reads on from the last verified point until the points reach `upTo`
    // (or the text ends).
    void Verify(qsizetype upTo);
    // The index of the last verified point at or before `position`.
    qsizetype PointBefore(qsizetype position) const;
    // Reads the stretch of point `k` again, calling `visit` for each token.
    void ReadStretch(qsizetype k, const std::function<bool(const TSqlToken&)>& visit);
    qsizetype StretchEnd(qsizetype k) const;

    QString m_text;
    QList<TPoint> m_points;
    // m_points[0, m_verified) are right for the current text; the others
    // were right before the last edit and still are if reading reaches one
    // of them in the same state.
    qsizetype m_verified = 1;
    // Whether the verified points cover the text to its end.
    bool m_complete = false;
    bool m_tentativeComplete = false;
    qsizetype m_read = 0;
};

} // namespace quillary
