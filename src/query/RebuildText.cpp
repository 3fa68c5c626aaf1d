#include "query/RebuildText.h"
#include "sqltext/Common.h"
#include "sqltext/ScanCore.h"
#include "sqltext/SqlStatements.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>

namespace quillary {

namespace {

// The private range: quoted names' characters, then the marks.
constexpr char16_t kNameBase = 0xE000;    // a character of a quoted name
constexpr char16_t kNameDoubled = 0xE080; // a doubled closing quote of one
constexpr char16_t kGlue = 0xE200;        // a blank the scanners must not see
constexpr char16_t kNegated = 0xE210;     // + k: NOT before a group, k brackets further out
constexpr char16_t kConditionStart = 0xE220;
// + n after kConditionStart: the ON's place in the FROM clause as written,
// where the analysis lists ONs in another order.
constexpr char16_t kConditionPlace = 0xF000;
constexpr qsizetype kConditionPlaces = 0x800;
bool IsConditionPlace(QChar c) {
    return c.unicode() >= kConditionPlace && c.unicode() < kConditionPlace + kConditionPlaces;
}
constexpr char16_t kShared = 0xE230; // USING / NATURAL: the box, then its columns
constexpr char16_t kSharedNext = 0xE232;
// In a string: a line break (CR, LF), and an apostrophe inside double quotes.
constexpr char16_t kStringCr = 0xE240;
constexpr char16_t kStringLf = 0xE241;
constexpr char16_t kStringQuote = 0xE242;
constexpr char16_t kStringTab = 0xE243; // a tab in a string in double quotes
constexpr char16_t kStringBackspace = 0xE244;
constexpr char16_t kBetweenAnd = 0xE245;  // the blank before a BETWEEN's glued AND
constexpr char16_t kArrayComma = 0xE246;  // a comma inside PostgreSQL's [ ]
constexpr char16_t kCrossJoined = 0xE250; // a FROM item after a CROSS JOIN
constexpr char16_t kRangeEnd = 0xE300;

bool IsPrivate(QChar c) {
    return c.unicode() >= kNameBase && c.unicode() < kRangeEnd;
}

// A quoted name whose characters other than letters, digits and "_" stand
// in for themselves (a doubled closing quote as one character).
QString Masked(const QString& name) {
    QString masked;
    masked.reserve(name.size());
    const QChar close = name[0] == QLatin1Char('[') ? QLatin1Char(']') : name[0];
    masked += name[0];
    for (qsizetype c = 1; c < name.size(); ++c) {
        const QChar d = name[c];
        if (d == close && c + 1 < name.size() && name[c + 1] == close) {
            masked += QChar(char16_t(kNameDoubled + d.unicode()));
            ++c;
        } else if (d == close && c + 1 == name.size()) {
            masked += d;
        } else if (d.unicode() < 0x80 && !d.isLetterOrNumber() && d != QLatin1Char('_')) {
            masked += QChar(char16_t(kNameBase + d.unicode()));
        } else {
            masked += d;
        }
    }
    return masked;
}

struct TEdit {
    qsizetype At = 0;
    qsizetype Removed = 0;
    QString Inserted;
};

// The text with its edits made, in one pass; at one place what is put in
// goes before what follows a removal there.
QString Apply(const QString& text, QList<TEdit> edits) {
    if (edits.isEmpty()) return text;
    std::stable_sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) {
        return a.At != b.At ? a.At < b.At : a.Removed < b.Removed;
    });
    QString out;
    out.reserve(text.size() + edits.size() * 2);
    qsizetype at = 0;
    for (const TEdit& e : edits) {
        if (e.At < at) continue; // overlapping: the earlier one holds
        out += QStringView(text).mid(at, e.At - at);
        out += e.Inserted;
        at = e.At + e.Removed;
    }
    out += QStringView(text).mid(at);
    return out;
}

// A text with its tokens under the data source's reading.
class TTokens {
public:
    TTokens(const QString& text, TSqlReading reading, QList<TSqlStatement>* statements = nullptr)
        : Text(text), Words(SqlWords(text, reading, statements)) {}
    TTokens(const QString& text, QList<TSqlWord> words) : Text(text), Words(std::move(words)) {}

    qsizetype Size() const { return Words.size(); }
    const TSqlWord& operator[](qsizetype i) const { return Words[i]; }
    QString TextOf(qsizetype i) const {
        return i >= 0 && i < Words.size() ? Text.mid(Words[i].Start, Words[i].End - Words[i].Start)
                                          : QString();
    }
    // The lower-case word at i; empty for anything but a word.
    QString Word(qsizetype i) const {
        return i >= 0 && i < Words.size() && Words[i].Kind == TSqlWord::Word ? TextOf(i).toLower()
                                                                             : QString();
    }
    // Whether the token at i is the word `word` (lower case), in any case.
    bool IsWord(qsizetype i, QLatin1StringView word) const {
        if (i < 0 || i >= Words.size()) return false;
        const TSqlWord& w = Words.at(i);
        return w.End - w.Start == word.size() && w.Kind == TSqlWord::Word &&
               scan::IsKeyword(QStringView(Text).sliced(w.Start, word.size()), word);
    }
    bool Is(qsizetype i, TSqlWord::TKind kind) const {
        return i >= 0 && i < Words.size() && Words[i].Kind == kind;
    }
    bool IsSymbol(qsizetype i, QChar c) const {
        return Is(i, TSqlWord::Symbol) && Text[Words[i].Start] == c;
    }
    // Whether the token at i is a name, bare or quoted.
    bool IsName(qsizetype i) const { return Is(i, TSqlWord::Word) || Is(i, TSqlWord::Name); }
    // The first part of the dotted name ("s.t", "s"."t") that ends at i.
    qsizetype NameStart(qsizetype i) const {
        while (IsSymbol(i - 1, QLatin1Char('.')) && IsName(i - 2))
            i -= 2;
        return i;
    }
    // Past the last token that is no statement separator.
    qsizetype End() const {
        qsizetype end = Size();
        while (end > 0 && Is(end - 1, TSqlWord::Separator))
            --end;
        return end;
    }
    // The opening bracket that pairs with the closing one at i; -1 when none.
    qsizetype Opener(qsizetype i) const {
        for (qsizetype j = i - 1; j >= 0; --j)
            if (Words[j].Kind == TSqlWord::Open && Words[j].Depth == Words[i].Depth) return j;
        return -1;
    }
    // The closing bracket that pairs with the opening one at i; -1 when none.
    qsizetype Partner(qsizetype i) const {
        for (qsizetype j = i + 1; j < Words.size(); ++j)
            if (Words[j].Kind == TSqlWord::Close && Words[j].Depth == Words[i].Depth) return j;
        return -1;
    }
    // A name token (bare or quoted) as a name.
    QString Name(qsizetype i) const {
        QString name = TextOf(i);
        if (Is(i, TSqlWord::Name)) ReadQuotedName(TextOf(i), name);
        return name;
    }

    QString Text;
    QList<TSqlWord> Words;
};

// Words that end a table reference in a FROM clause.
bool EndsTableReference(const QString& word) {
    static const QSet<QString> words = {
        QStringLiteral("where"),  QStringLiteral("group"),   QStringLiteral("order"),
        QStringLiteral("having"), QStringLiteral("limit"),   QStringLiteral("offset"),
        QStringLiteral("union"),  QStringLiteral("except"),  QStringLiteral("intersect"),
        QStringLiteral("minus"),  QStringLiteral("join"),    QStringLiteral("inner"),
        QStringLiteral("left"),   QStringLiteral("right"),   QStringLiteral("full"),
        QStringLiteral("cross"),  QStringLiteral("natural"), QStringLiteral("on"),
        QStringLiteral("using"),  QStringLiteral("window"),  QStringLiteral("fetch"),
        QStringLiteral("for"),    QStringLiteral("outer")};
    return words.contains(word);
}

// Whether the token at k names what stands before it: a name that does not
// end the table reference (an AS before it is the caller's to pass).
bool IsAliasAt(const TTokens& t, qsizetype k) {
    return (t.Is(k, TSqlWord::Word) && !EndsTableReference(t.Word(k))) || t.Is(k, TSqlWord::Name);
}

bool EndsFromClause(const QString& word) {
    static const QSet<QString> words = {
        QStringLiteral("where"),  QStringLiteral("group"),  QStringLiteral("order"),
        QStringLiteral("having"), QStringLiteral("limit"),  QStringLiteral("offset"),
        QStringLiteral("union"),  QStringLiteral("except"), QStringLiteral("intersect"),
        QStringLiteral("minus"),  QStringLiteral("window"), QStringLiteral("fetch"),
        QStringLiteral("for")};
    return words.contains(word);
}

bool IsJoinWord(const QString& w) {
    return w == QLatin1String("join") || w == QLatin1String("inner") ||
           w == QLatin1String("left") || w == QLatin1String("right") ||
           w == QLatin1String("full") || w == QLatin1String("cross") ||
           w == QLatin1String("natural") || w == QLatin1String("outer");
}

// Whether token k begins a query (SELECT or WITH), as after a bracket that
// holds one.
bool BeginsQuery(const TTokens& t, qsizetype k) {
    return t.IsWord(k, QLatin1StringView("select")) || t.IsWord(k, QLatin1StringView("with"));
}

// Whether the FROM clause ends before token k: the text or the statement
// ends, or a clause word follows.
bool EndsFromAt(const TTokens& t, qsizetype k) {
    return k >= t.Size() || t.Is(k, TSqlWord::Separator) || EndsFromClause(t.Word(k));
}

// Whether a table reference or a group of joins ends before token k: the
// FROM clause ends, or a comma or a join follows.
bool EndsTablesAt(const TTokens& t, qsizetype k) {
    return EndsFromAt(t, k) || t.IsSymbol(k, QLatin1Char(',')) || IsJoinWord(t.Word(k));
}

// The first of the words of the join whose JOIN is token i ("left outer
// join": "left"), not before token `lowest`.
qsizetype JoinStart(const TTokens& t, qsizetype lowest, qsizetype i) {
    while (i > lowest && IsJoinWord(t.Word(i - 1)))
        --i;
    return i;
}

// Along the tokens of a text: whether the one read stands inside a
// bracketed query (a sub-query's words are its own).
class TSubQueries {
public:
    // Takes in token i (an opening or closing bracket changes the answer).
    void Step(const TTokens& t, qsizetype i) {
        const TSqlWord::TKind kind = t[i].Kind;
        if (kind == TSqlWord::Open) {
            const bool query = BeginsQuery(t, i + 1);
            FOpens << query;
            FQueries += query;
        } else if (kind == TSqlWord::Close && !FOpens.isEmpty()) {
            FQueries -= FOpens.takeLast();
        }
    }
    bool Inside() const { return FQueries > 0; }

private:
    QList<bool> FOpens; // per open bracket: whether it holds a query
    int FQueries = 0;   // of the brackets open, how many hold a query
};

// A string whose own quote is escaped by a backslash (MySQL, PostgreSQL's
// E'' and older strings) with that quote doubled instead, which every
// reading takes as the same value; null when it has none.
QString QuoteEscapesDoubled(QStringView token, TSqlReading reading) {
    if (!token.contains(u'\\') || !BackslashEscapes(token, reading)) return {};
    qsizetype q = 0;
    while (q < token.size() && token[q] != u'\'' && token[q] != u'"')
        ++q;
    if (q + 1 >= token.size() || token.back() != token[q]) return {}; // unclosed
    const QChar quote = token[q];
    QString out;
    out.reserve(token.size() + 8);
    out += token.first(q + 1);
    bool changed = false;
    for (qsizetype k = q + 1; k < token.size(); ++k) {
        if (token[k] == u'\\' && k + 2 < token.size()) {
            changed = changed || token[k + 1] == quote;
            out += token[k + 1] == quote ? quote : token[k];
            out += token[++k];
            continue;
        }
        out += token[k];
    }
    return changed ? out : QString();
}

// A PostgreSQL string between dollar quotes ("$$it's$$", "$t$a--b$t$") as
// the same string in single quotes, which every scanner reads; null for any
// other token. Where backslashes escape in every string they are doubled.
QString DollarQuotedAsPlain(QStringView token, TSqlReading reading) {
    if (token.size() < 4 || token[0] != u'$') return {};
    const qsizetype tag = token.indexOf(u'$', 1) + 1;
    if (tag <= 0 || token.size() < 2 * tag || !token.endsWith(token.first(tag))) return {};
    const QStringView body = token.sliced(tag, token.size() - 2 * tag);
    QString out;
    out.reserve(body.size() + 8);
    out += u'\'';
    for (const QChar c : body) {
        out += c;
        if (c == u'\'' || (c == u'\\' && reading == TSqlReading::PostgresOld)) out += c;
    }
    out += u'\'';
    return out;
}

// Whether `word` is one of the words that are no function or name, which
// the scanners read only with a blank after them.
bool StandsApart(QStringView word) {
    static constexpr QLatin1StringView words[] = {
        QLatin1StringView("and"),      QLatin1StringView("all"),    QLatin1StringView("by"),
        QLatin1StringView("distinct"), QLatin1StringView("else"),   QLatin1StringView("exists"),
        QLatin1StringView("from"),     QLatin1StringView("having"), QLatin1StringView("in"),
        QLatin1StringView("join"),     QLatin1StringView("not"),    QLatin1StringView("or"),
        QLatin1StringView("on"),       QLatin1StringView("select"), QLatin1StringView("then"),
        QLatin1StringView("union"),    QLatin1StringView("when"),   QLatin1StringView("where")};
    return std::any_of(std::begin(words), std::end(words),
                       [&](QLatin1StringView w) { return scan::IsKeyword(word, w); });
}

// Whether token i is a comparison written as a word ("like", …) where it
// compares.
bool IsComparisonWordAt(const TTokens& t, qsizetype i);

// The words that begin or cut a clause, which an alias after AS may be.
bool IsClauseWordAlias(QStringView word) {
    static constexpr QLatin1StringView words[] = {
        QLatin1StringView("select"),    QLatin1StringView("from"),   QLatin1StringView("where"),
        QLatin1StringView("group"),     QLatin1StringView("order"),  QLatin1StringView("having"),
        QLatin1StringView("limit"),     QLatin1StringView("offset"), QLatin1StringView("fetch"),
        QLatin1StringView("union"),     QLatin1StringView("except"), QLatin1StringView("minus"),
        QLatin1StringView("intersect"), QLatin1StringView("join"),   QLatin1StringView("on"),
        QLatin1StringView("desc"),      QLatin1StringView("asc"),    QLatin1StringView("or"),
        QLatin1StringView("and"),       QLatin1StringView("in")};
    return std::any_of(std::begin(words), std::end(words),
                       [&](QLatin1StringView w) { return scan::IsKeyword(word, w); });
}

// Comments out, a final ";" out, "in(" and "exists(" spaced as the
// scanners read words, quotes escaped by a backslash doubled: what the
// database reads, written plainly.
QString Plain(const QString& text, const TSqlDialect& dialect, QList<TSqlWord>& words,
              QList<TSqlStatement>& statements) {
    const TSqlReading reading = dialect.Readings().front();
    const TTokens t(text, reading, &statements);
    words = t.Words;
    const qsizetype last = t.End() - 1;
    if (last < 0) return {};
    // Runs of the text that need no change are copied whole, and a text
    // that needs none is returned as it is.
    QString out;
    qsizetype copied = t[0].Start; // the text before is out
    // The text [from, to) written `with`, the unchanged text before it first.
    const auto replace = [&](qsizetype from, qsizetype to, QStringView with) {
        if (out.isNull()) out.reserve(text.size() + 16);
        out += QStringView(text).mid(copied, from - copied);
        out += with;
        copied = to;
    };
    for (qsizetype i = 0; i <= last; ++i) {
        const qsizetype gapStart = i == 0 ? 0 : t[i - 1].End;
        const QStringView gap = QStringView(text).mid(gapStart, t[i].Start - gapStart);
        // PostgreSQL joins two strings with only blanks and a line break
        // between them into one: 'a'<newline>'b' is 'ab'.
        // (Backslashes escape nowhere in such strings.)
        if (reading == TSqlReading::Postgres && i > 0 && t.Is(i, TSqlWord::String) &&
            t.Is(i - 1, TSqlWord::String) && text[t[i].Start] == u'\'' &&
            text[t[i - 1].Start] == u'\'' && gap.contains(u'\n') && copied <= t[i - 1].End - 1) {
            replace(t[i - 1].End - 1, t[i].Start + 1, u"");
            continue;
        }
        // A gap with a comment is one blank (the text before the first
        // token is not written at all).
        if (std::any_of(gap.begin(), gap.end(), [](QChar c) { return !c.isSpace(); }))
            replace(std::max(gapStart, copied), t[i].Start, i == 0 ? u"" : u" ");
        const QStringView token = QStringView(text).mid(t[i].Start, t[i].End - t[i].Start);
        if (t.Is(i, TSqlWord::String)) {
            if (const QString doubled = QuoteEscapesDoubled(token, reading); !doubled.isNull())
                replace(t[i].Start, t[i].End, doubled);
            else if (const QString plain = DollarQuotedAsPlain(token, reading); !plain.isNull())
                replace(t[i].Start, t[i].End, plain);
        }
        // "--x" where "--" starts a comment only before a blank (MySQL) is
        // two minus signs: apart, for scanners that read a comment there.
        if (i > 0 && t.IsSymbol(i, QLatin1Char('-')) && t.IsSymbol(i - 1, QLatin1Char('-')) &&
            t[i].Start == t[i - 1].End)
            replace(t[i].Start, t[i].Start, u" ");
        // MySQL's STRAIGHT_JOIN between two tables only fixes the order in
        // which the server joins them: an inner join, as the design has it.
        if (IsMySqlReading(reading) && t.IsWord(i, QLatin1StringView("straight_join")) && i > 0 &&
            !t.IsWord(i - 1, QLatin1StringView("select")) &&
            !t.IsWord(i - 1, QLatin1StringView("distinct")) &&
            !t.IsWord(i - 1, QLatin1StringView("all")))
            replace(t[i].Start, t[i].End, u"join");
        // ")order by", "'x'and", "*from": a word right after a bracket, a
        // string or a quoted name stands apart from it, and so does a word
        // that is no name from a symbol before it.
        if (i > 0 && t.Is(i, TSqlWord::Word) && t[i].Start == t[i - 1].End &&
            (t.Is(i - 1, TSqlWord::Close) || t.Is(i - 1, TSqlWord::String) ||
             t.Is(i - 1, TSqlWord::Name) ||
             (t.Is(i - 1, TSqlWord::Symbol) && !t.IsSymbol(i - 1, QLatin1Char('.')) &&
              StandsApart(token))))
            replace(t[i].Start, t[i].Start, u" ");
        // ")\"x\"", "name\"x\"", "'a'\"x\"": a quoted name right after a
        // bracket, a word or a string is an alias, apart from it.
        if (i > 0 && t.Is(i, TSqlWord::Name) && t[i].Start == t[i - 1].End &&
            (t.Is(i - 1, TSqlWord::Close) || t.Is(i - 1, TSqlWord::String) ||
             (t.Is(i - 1, TSqlWord::Word) && !StandsApart(t.TextOf(i - 1)))))
            replace(t[i].Start, t[i].Start, u" ");
        // "as limit", "as union": a clause word right after AS names a
        // column there; quoted, no scanner takes it for its clause.
        if (i > 0 && t.Is(i, TSqlWord::Word) && t.IsWord(i - 1, QLatin1StringView("as")) &&
            IsClauseWordAlias(token))
            replace(t[i].Start, t[i].End, dialect.Quote(token));
        // "in(", "select*", "by(", "where\"x\"": a word that is no function
        // or name stands apart from the bracket, symbol, string or quoted
        // name right after it (a dot after it makes it a name).
        if (t.Is(i, TSqlWord::Word) && i < last && t[i + 1].Start == t[i].End &&
            !t.IsSymbol(i + 1, QLatin1Char('.')) &&
            (StandsApart(token) || IsComparisonWordAt(t, i)))
            replace(t[i].End, t[i].End, u" ");
    }
    const qsizetype end = t[last].End;
    if (out.isNull() && copied == 0 && end == text.size()) return text;
    replace(end, end, {});
    return out;
}

// The words a FROM clause's tables stand after or before.
enum class TClause { None, From, Join, Distinct, Other };
TClause ClauseWord(const TTokens& t, qsizetype i) {
    static constexpr struct {
        QLatin1StringView Word;
        TClause Clause;
    } words[] = {{QLatin1StringView("from"), TClause::From},
                 {QLatin1StringView("join"), TClause::Join},
                 {QLatin1StringView("distinct"), TClause::Distinct},
                 {QLatin1StringView("select"), TClause::Other},
                 {QLatin1StringView("set"), TClause::Other},
                 {QLatin1StringView("where"), TClause::Other},
                 {QLatin1StringView("window"), TClause::Other},
                 {QLatin1StringView("by"), TClause::Other},
                 {QLatin1StringView("having"), TClause::Other},
                 {QLatin1StringView("on"), TClause::Other},
                 {QLatin1StringView("using"), TClause::Other},
                 {QLatin1StringView("union"), TClause::Other},
                 {QLatin1StringView("values"), TClause::Other},
                 {QLatin1StringView("except"), TClause::Other},
                 {QLatin1StringView("minus"), TClause::Other},
                 {QLatin1StringView("intersect"), TClause::Other},
                 {QLatin1StringView("limit"), TClause::Other},
                 {QLatin1StringView("returning"), TClause::Other}};
    // Most tokens are no such word: length and first letter tell.
    const TSqlWord& w = t[i];
    const qsizetype length = w.End - w.Start;
    const char16_t first = t.Text[w.Start].toLower().unicode();
    for (const auto& [word, clause] : words)
        if (word.size() == length && word.front().unicode() == first && t.IsWord(i, word))
            return clause;
    return TClause::None;
}

// Whether token j stands right after FROM or JOIN: where a table does.
bool AfterFromOrJoin(const TTokens& u, qsizetype j) {
    // "x IS [NOT] DISTINCT FROM (select …)" compares with a sub-select.
    if (u.IsWord(j - 1, QLatin1StringView("from")))
        return !u.IsWord(j - 2, QLatin1StringView("distinct"));
    return u.IsWord(j - 1, QLatin1StringView("join"));
}

// Whether the name at token j stands where a table does: right after FROM
// or JOIN, or after a comma of a FROM clause (the last clause word before
// it at its level is FROM).
bool InTablePosition(const TTokens& u, qsizetype j) {
    if (AfterFromOrJoin(u, j)) return true;
    if (!u.IsSymbol(j - 1, QLatin1Char(','))) return false;
    const int depth = u[j].Depth;
    for (qsizetype i = j - 2; i >= 0; --i) {
        if (u[i].Depth < depth) return false;
        if (u[i].Depth > depth || u[i].Kind != TSqlWord::Word) continue;
        // A comma after a join's condition goes on with the FROM list.
        if (u.IsWord(i, QLatin1StringView("on")) || u.IsWord(i, QLatin1StringView("using")))
            return true;
        if (const TClause c = ClauseWord(u, i); c == TClause::From || c == TClause::Other)
            return c == TClause::From;
    }
    return false;
}

// The name token i as the data source tells names apart ("M" and m are two
// tables in PostgreSQL).
QString TableKey(const TTokens& t, qsizetype i, const TSqlDialect& dialect) {
    return dialect.WrittenNameKey(t.TextOf(i));
}

// Where a WITH inside a text declares a table again under a name: there
// the name means that table, not the one of the same name outside.
struct TInnerWith {
    // The opening bracket of the body under the name; the bodies of the
    // list (opening and closing bracket), in order; the token past the
    // clause.
    qsizetype Declared = -1;
    QList<std::pair<qsizetype, qsizetype>> Bodies;
    bool Recursive = false;
    qsizetype End = 0;

    // Whether the name at token j means the inner table: in the query the
    // clause belongs to, or in the body of a table listed after it (any
    // body under RECURSIVE). Within its own body and those before it, the
    // name still means the outer table.
    bool Holds(qsizetype j) const {
        if (j <= Bodies.front().first || j >= End) return false;
        for (qsizetype k = 0; k < Bodies.size(); ++k)
            if (j > Bodies[k].first && j < Bodies[k].second)
                return Recursive || Bodies[k].first > Declared;
        return j > Bodies.back().second;
    }
};

// The WITH clauses of `u` that declare the table `key` (TableKey) again.
QList<TInnerWith> InnerWiths(const TTokens& u, const QString& key, const TSqlDialect& dialect) {
    QList<TInnerWith> found;
    for (qsizetype w = 0; w < u.Size(); ++w) {
        if (!u.IsWord(w, QLatin1StringView("with"))) continue;
        TInnerWith with;
        qsizetype i = w + 1;
        with.Recursive = u.IsWord(i, QLatin1StringView("recursive"));
        if (with.Recursive) ++i;
        // name [(columns)] AS [NOT] [MATERIALIZED] (body), …
        while (u.IsName(i)) {
            const qsizetype nameToken = i++;
            if (u.Is(i, TSqlWord::Open)) i = u.Partner(i) + 1;
            if (i <= 0 || !u.IsWord(i, QLatin1StringView("as"))) break;
            ++i;
            while (u.IsWord(i, QLatin1StringView("not")) ||
                   u.IsWord(i, QLatin1StringView("materialized")))
                ++i;
            const qsizetype close = u.Is(i, TSqlWord::Open) ? u.Partner(i) : -1;
            if (close < 0) break;
            if (with.Declared < 0 && TableKey(u, nameToken, dialect) == key) with.Declared = i;
            with.Bodies.append({i, close});
            i = close + 1;
            if (!u.IsSymbol(i, QLatin1Char(','))) break;
            ++i;
        }
        if (with.Declared < 0) continue;
        // The clause reaches to the end of the brackets it stands in.
        const int depth = u[w].Depth;
        with.End = i;
        while (with.End < u.Size() && u[with.End].Depth >= depth)
            ++with.End;
        found.append(with);
    }
    return found;
}

// Where `u` reads the table `key` (TableKey): a name where a table stands,
// not a qualifier, an alias or a function, and with `inLists` also SQLite's
// table of "x in name", which takes no name of its own (each use's token,
// and whether it is such a list). A name that a WITH inside `u` declares
// again means that WITH's table where it declares it.
QList<std::pair<qsizetype, bool>> TableUses(const TTokens& u, const QString& key, bool inLists,
                                            const TSqlDialect& dialect) {
    QList<std::pair<qsizetype, bool>> uses;
    const QList<TInnerWith> inner = InnerWiths(u, key, dialect);
    const auto shadowed = [&inner](qsizetype j) {
        return std::any_of(inner.begin(), inner.end(),
                           [j](const TInnerWith& with) { return with.Holds(j); });
    };
    for (qsizetype j = 0; j < u.Size(); ++j) {
        if (!u.IsName(j) || TableKey(u, j, dialect) != key || u.IsSymbol(j + 1, QLatin1Char('.')) ||
            u.Is(j + 1, TSqlWord::Open))
            continue;
        // A table first in brackets that stand where a table does: "join (w x)",
        // "from ((w join v on …) join …)".
        qsizetype at = j;
        while (u.Is(at - 1, TSqlWord::Open))
            --at;
        if (shadowed(j)) continue;
        if (InTablePosition(u, j) || (at < j && InTablePosition(u, at)))
            uses.append({j, false});
        else if (inLists && u.IsWord(j - 1, QLatin1StringView("in")))
            uses.append({j, true});
    }
    return uses;
}

// Whether token i is a set operator: UNION, EXCEPT, INTERSECT or MINUS.
bool IsSetOperator(const TTokens& t, qsizetype i) {
    return t.IsWord(i, QLatin1StringView("union")) || t.IsWord(i, QLatin1StringView("except")) ||
           t.IsWord(i, QLatin1StringView("intersect")) || t.IsWord(i, QLatin1StringView("minus"));
}

// The token of the name an item that ends at token `end` is given ("x",
// "AS x" after it); -1 when it has none.
qsizetype NameAfter(const TTokens& t, qsizetype end) {
    const qsizetype alias = t.IsWord(end + 1, QLatin1StringView("as")) ? end + 2 : end + 1;
    return IsAliasAt(t, alias) ? alias : -1;
}

// Words after which a name is an operand, not the name of what stands
// before it.
bool TakesOperand(const QString& word) {
    static const QSet<QString> words = {
        QStringLiteral("and"),    QStringLiteral("or"),       QStringLiteral("not"),
        QStringLiteral("is"),     QStringLiteral("like"),     QStringLiteral("ilike"),
        QStringLiteral("glob"),   QStringLiteral("regexp"),   QStringLiteral("rlike"),
        QStringLiteral("match"),  QStringLiteral("between"),  QStringLiteral("in"),
        QStringLiteral("escape"), QStringLiteral("collate"),  QStringLiteral("over"),
        QStringLiteral("case"),   QStringLiteral("when"),     QStringLiteral("then"),
        QStringLiteral("else"),   QStringLiteral("select"),   QStringLiteral("distinct"),
        QStringLiteral("all"),    QStringLiteral("interval"), QStringLiteral("div"),
        QStringLiteral("mod"),    QStringLiteral("xor"),      QStringLiteral("similar"),
        QStringLiteral("to"),     QStringLiteral("any"),      QStringLiteral("some"),
        QStringLiteral("exists"), QStringLiteral("as"),       QStringLiteral("binary")};
    return words.contains(word);
}

// Whether token i is a comparison written as a word ("like", "between", …)
// where it compares: after an operand, or after a NOT that follows one.
// Elsewhere "like(" or "glob(" calls SQLite's function of that name.
bool IsComparisonWordAt(const TTokens& t, qsizetype i) {
    static constexpr QLatin1StringView words[] = {
        QLatin1StringView("like"),   QLatin1StringView("ilike"), QLatin1StringView("glob"),
        QLatin1StringView("regexp"), QLatin1StringView("rlike"), QLatin1StringView("between")};
    if (std::none_of(std::begin(words), std::end(words),
                     [&](QLatin1StringView w) { return t.IsWord(i, w); }))
        return false;
    const qsizetype before = t.IsWord(i - 1, QLatin1StringView("not")) ? i - 2 : i - 1;
    if (t.Is(before, TSqlWord::Close) || t.Is(before, TSqlWord::String) ||
        t.Is(before, TSqlWord::Name))
        return true;
    return t.Is(before, TSqlWord::Word) && !TakesOperand(t.Word(before)) &&
           ClauseWord(t, before) == TClause::None;
}

// Words that end an expression rather than name it: postfix operators,
// truth values, interval units and the end of a CASE.
bool EndsExpression(const QString& word) {
    static const QSet<QString> words = {
        QStringLiteral("null"), QStringLiteral("isnull"), QStringLiteral("notnull"),
        QStringLiteral("true"), QStringLiteral("false"),  QStringLiteral("unknown"),
        QStringLiteral("end"),  QStringLiteral("asc"),    QStringLiteral("desc"),
        QStringLiteral("year"), QStringLiteral("month"),  QStringLiteral("day"),
        QStringLiteral("hour"), QStringLiteral("minute"), QStringLiteral("second"),
        QStringLiteral("week"), QStringLiteral("quarter")};
    return words.contains(word) || TakesOperand(word);
}

// The token of the name a select item [first, last) gives its column ("x
// AS n", "x n"); -1 when it gives none. A name after an operator or an
// operator word is an operand ("v > k", "k is null", "v::text", "v
// notnull").
qsizetype ItemAlias(const TTokens& t, qsizetype first, qsizetype last) {
    const qsizetype n = last - 1;
    if (n <= first || !t.IsName(n)) return -1;
    if (t.IsWord(n - 1, QLatin1StringView("as"))) return n;
    if (t.Is(n, TSqlWord::Word) && EndsExpression(t.Word(n))) return -1;
    const bool afterOperand = t.Is(n - 1, TSqlWord::Close) || t.Is(n - 1, TSqlWord::String) ||
                              t.Is(n - 1, TSqlWord::Name) ||
                              (t.Is(n - 1, TSqlWord::Word) && !TakesOperand(t.Word(n - 1)));
    return afterOperand ? n : -1;
}

// Whether tokens [from, to) of the query they stand in (not of its
// sub-selects) hold a bare name of `names` (keys as TableKey gives them).
bool NamesAny(const TTokens& t, qsizetype from, qsizetype to, const QSet<QString>& names,
              bool skipSubQueries, const TSqlDialect& dialect) {
    TSubQueries subQueries;
    for (qsizetype i = std::max<qsizetype>(from, 0); i < to && i < t.Size(); ++i) {
        subQueries.Step(t, i);
        if (skipSubQueries && subQueries.Inside()) continue;
        if (t.IsName(i) && !t.IsSymbol(i - 1, QLatin1Char('.')) &&
            names.contains(TableKey(t, i, dialect)))
            return true;
    }
    return false;
}

// The select list of `body` with its columns named `names`, in order: each
// item keeps its expression and takes its name as alias. Of a union of
// parts the first part's, which names the union's columns. False, leaving
// the body alone, when it does not begin with SELECT, lists "*" or another
// number of items, or orders a union (by names the aliases would hide).
bool NameColumns(QString& body, const QList<QString>& names, const TSqlDialect& dialect) {
    const TTokens t(body, dialect.Readings().front());
    if (t.Size() == 0 || t.Word(0) != QLatin1String("select")) return false;
    const int depth = t[0].Depth;
    qsizetype start = 1;
    if (t.Word(start) == QLatin1String("distinct") || t.Word(start) == QLatin1String("all"))
        ++start;
    qsizetype partEnd = t.Size();
    for (qsizetype i = start; i < t.Size(); ++i) {
        if (t[i].Depth != depth) continue;
        if (partEnd == t.Size() && IsSetOperator(t, i)) partEnd = i;
        if (partEnd < t.Size() && t.IsWord(i, QLatin1StringView("order"))) return false;
    }
    QList<std::pair<qsizetype, qsizetype>> items; // token ranges [first, end)
    qsizetype end = partEnd;
    for (qsizetype i = start; i < partEnd; ++i) {
        if (t[i].Depth != depth || t.Is(i, TSqlWord::Open)) continue;
        const QString w = t.Word(i);
        if (end == partEnd && w == QLatin1String("from")) end = i;
        if (end == partEnd && t.IsSymbol(i, QLatin1Char(','))) {
            items.append({start, i});
            start = i + 1;
        }
    }
    items.append({start, end});
    if (items.size() != names.size()) return false;
    QList<TEdit> edits;
    // The names the columns take and the names they lose: the rest of the
    // body must name neither, or it would read another column than before.
    QSet<QString> renamed;
    for (qsizetype k = 0; k < items.size(); ++k) {
        const auto [first, last] = items[k];
        if (first >= last) return false;
        const qsizetype from = t[first].Start, to = t[last - 1].End;
        const QString item = body.mid(from, to - from);
        if (item == QLatin1String("*") || item.endsWith(QLatin1String(".*"))) return false;
        const qsizetype alias = ItemAlias(t, first, last);
        qsizetype expressionEnd = last;
        if (alias >= 0)
            expressionEnd = t.IsWord(alias - 1, QLatin1StringView("as")) ? alias - 1 : alias;
        if (expressionEnd <= first) return false;
        // The name the column had: its alias, or the column it reads.
        const bool column = t.NameStart(expressionEnd - 1) == first && t.IsName(first);
        const QString had = alias >= 0 ? TableKey(t, alias, dialect)
                            : column   ? TableKey(t, expressionEnd - 1, dialect)
                                       : QString();
        if (const QString key = dialect.WrittenNameKey(names[k]); had != key) {
            renamed << key;
            if (alias >= 0) renamed << had;
        }
        edits.append(
            {from, to - from,
             body.mid(from, t[expressionEnd - 1].End - from) + QStringLiteral(" as ") + names[k]});
    }
    if (NamesAny(t, end, partEnd, renamed, true, dialect)) return false;
    // The items' own windows: their PARTITION BY and ORDER BY may read the
    // select list's names.
    for (const auto& [first, last] : std::as_const(items))
        for (qsizetype i = first; i < last; ++i)
            if (t.IsWord(i, QLatin1StringView("over")) && t.Is(i + 1, TSqlWord::Open) &&
                NamesAny(t, i + 2, t.Partner(i + 1), renamed, false, dialect))
                return false;
    body = Apply(body, edits);
    return true;
}

// The names of a bracketed list of names from the opening bracket at
// `open` (as written); empty when it holds anything else.
QList<QString> NameList(const TTokens& t, qsizetype open) {
    const qsizetype close = t.Partner(open);
    QList<QString> names;
    for (qsizetype i = open + 1; i < close; i += 2) {
        if (!t.Is(i, TSqlWord::Word) && !t.Is(i, TSqlWord::Name)) return {};
        names << t.TextOf(i);
        if (i + 1 < close && !t.IsSymbol(i + 1, QLatin1Char(','))) return {};
    }
    return close < 0 ? QList<QString>() : names;
}

// The tokens of `text`: those of `t` while no step has changed the text.
void Follow(TTokens& t, const QString& text, TSqlReading reading) {
    if (t.Text.constData() != text.constData() || t.Text.size() != text.size())
        t = TTokens(text, reading);
}

// "(select a, count(b) from …) [as] x (k, n)": the columns named in the
// select list itself, so that the sub-query box has them. Empty, or the
// message that refuses the text when a list cannot be moved in.
QString NameDerivedColumns(QString& text, TTokens& t, const TSqlDialect& dialect) {
    const TSqlReading reading = dialect.Readings().front();
    for (int round = 0; round < 1000; ++round) {
        Follow(t, text, reading);
        bool changed = false;
        for (qsizetype o = 0; o < t.Size() && !changed; ++o) {
            if (!t.Is(o, TSqlWord::Open) || !t.IsWord(o + 1, QLatin1StringView("select")) ||
                !InTablePosition(t, o))
                continue;
            const qsizetype c = t.Partner(o);
            if (c < 0) continue;
            const qsizetype k = NameAfter(t, c);
            if (k < 0 || !t.Is(k + 1, TSqlWord::Open)) continue;
            const QList<QString> names = NameList(t, k + 1);
            if (names.isEmpty()) continue; // not a list of names
            QString body = text.mid(t[o].End, t[c].Start - t[o].End);
            if (!NameColumns(body, names, dialect))
                return QStringLiteral("子查询表“%1”带有列名列表，无法在设计中表示。").arg(t.Name(k));
            text = Apply(text, {{t[o].End, t[c].Start - t[o].End, body},
                                {t[k].End, t[t.Partner(k + 1)].End - t[k].End, QString()}});
            changed = true;
        }
        if (!changed) break;
    }
    return {};
}

// Whether a set operator joins statements of the text outside brackets.
bool HasSetOperator(const TTokens& t) {
    for (qsizetype i = 0; i < t.Size(); ++i)
        if (t[i].Depth == 0 && IsSetOperator(t, i)) return true;
    return false;
}

// Whether tokens [from, to) may name a column: a name that is no function
// called, literal or word of a type or an expression.
bool NamesColumns(const TTokens& t, qsizetype from, qsizetype to) {
    static const QSet<QString> words{QStringLiteral("as"),
                                     QStringLiteral("and"),
                                     QStringLiteral("or"),
                                     QStringLiteral("not"),
                                     QStringLiteral("is"),
                                     QStringLiteral("null"),
                                     QStringLiteral("true"),
                                     QStringLiteral("false"),
                                     QStringLiteral("in"),
                                     QStringLiteral("between"),
                                     QStringLiteral("case"),
                                     QStringLiteral("when"),
                                     QStringLiteral("then"),
                                     QStringLiteral("else"),
                                     QStringLiteral("end"),
                                     QStringLiteral("values"),
                                     QStringLiteral("date"),
                                     QStringLiteral("time"),
                                     QStringLiteral("timestamp"),
                                     QStringLiteral("interval"),
                                     QStringLiteral("with"),
                                     QStringLiteral("without"),
                                     QStringLiteral("zone"),
                                     QStringLiteral("integer"),
                                     QStringLiteral("int"),
                                     QStringLiteral("bigint"),
                                     QStringLiteral("numeric"),
                                     QStringLiteral("decimal"),
                                     QStringLiteral("real"),
                                     QStringLiteral("text"),
                                     QStringLiteral("varchar"),
                                     QStringLiteral("char"),
                                     QStringLiteral("boolean"),
                                     QStringLiteral("current_date"),
                                     QStringLiteral("current_timestamp"),
                                     QStringLiteral("current_time"),
                                     QStringLiteral("localtimestamp"),
                                     QStringLiteral("localtime"),
                                     QStringLiteral("day"),
                                     QStringLiteral("month"),
                                     QStringLiteral("year"),
                                     QStringLiteral("hour"),
                                     QStringLiteral("minute"),
                                     QStringLiteral("second"),
                                     QStringLiteral("week"),
                                     QStringLiteral("array")};
    for (qsizetype k = from; k < to; ++k) {
        if (t.Is(k, TSqlWord::Name)) return true;
        if (!t.Is(k, TSqlWord::Word) || t.Is(k + 1, TSqlWord::Open)) continue;
        const QString w = t.Word(k);
        if (!w.isEmpty() && !w[0].isDigit() && !words.contains(w)) return true;
    }
    return false;
}

// A clause word that SQLite and MySQL take for a table's name where one
// stands ("from orders offset join …", "t as window"): in the database's
// quotes, which it reads as the same name, every step below reads a name
// and no clause. So are its uses before a dot. Whether the text changed.
bool QuoteClauseWordNames(QString& text, const TTokens& t, const TSqlDialect& dialect) {
    QSet<QString> names;
    QSet<qsizetype> given; // where a name is given
    for (qsizetype k = 1; k < t.Size(); ++k) {
        // Every such word has three to nine letters.
        const qsizetype letters = t[k].End - t[k].Start;
        if (letters < 3 || letters > 9 || t[k].Depth != 0 || !t.Is(k, TSqlWord::Word)) continue;
        // After AS any word that ends a table reference names; bare, those
        // SQLite and MySQL take. (The first letter rules out most words:
        // those begin with f, m, o or w, all with one of these.)
        const char16_t first = t.Text[t[k].Start].unicode() | 0x20;
        constexpr auto letterBits = [](std::initializer_list<char> letters) {
            quint32 bits = 0;
            for (const char c : letters)
                bits |= 1u << (c - 'a');
            return bits;
        };
        constexpr quint32 firsts =
            letterBits({'c', 'e', 'f', 'g', 'h', 'i', 'j', 'l', 'm', 'n', 'o', 'r', 'u', 'w'});
        if (first < u'a' || first > u'z' || !((firsts >> (first - u'a')) & 1)) continue;
        static constexpr QLatin1StringView bareWords[] = {
            QLatin1StringView("offset"), QLatin1StringView("window"), QLatin1StringView("fetch"),
            QLatin1StringView("minus"), QLatin1StringView("for")};
        const bool bare = (first == u'f' || first == u'm' || first == u'o' || first == u'w') &&
                          std::any_of(std::begin(bareWords), std::end(bareWords),
                                      [&](QLatin1StringView w) { return t.IsWord(k, w); });
        const bool afterAs = t.IsWord(k - 1, QLatin1StringView("as"));
        if (!bare && !afterAs) continue;
        const QString w = t.Word(k);
        if (!bare && !EndsTableReference(w)) continue;
        // What it names: a table's name (perhaps "s.t") or a derived table.
        qsizetype named = afterAs ? k - 2 : k - 1;
        if (t.Is(named, TSqlWord::Close)) {
            named = t.Opener(named);
        } else {
            if (!t.IsName(named)) continue;
            named = t.NameStart(named);
        }
        if (named < 0 || !InTablePosition(t, named)) continue;
        // Where the clause would follow with its count, its name or its
        // words, the word is that clause.
        if (!afterAs && k + 1 < t.Size() && !t.Is(k + 1, TSqlWord::Separator) &&
            !t.IsSymbol(k + 1, QLatin1Char(',')) && !t.Is(k + 1, TSqlWord::Close) &&
            !EndsTableReference(t.Word(k + 1)))
            continue;
        names << w;
        given << k;
    }
    if (names.isEmpty()) return false;
    QList<TEdit> edits;
    for (qsizetype k = 0; k < t.Size(); ++k) {
        if (!t.Is(k, TSqlWord::Word) || !names.contains(t.Word(k))) continue;
        if (given.contains(k) || t.IsSymbol(k + 1, QLatin1Char('.')))
            edits.append({t[k].Start, t[k].End - t[k].Start, dialect.Quote(t.TextOf(k))});
    }
    text = Apply(text, edits);
    return !edits.isEmpty();
}

// A column named by a key word after its box's name ("x.null", "x.user"):
// in the database's quotes, as it reads the name there. The design writes
// a box's columns without the box where it is the only one, and bare the
// word would be the key word again. Whether the text changed.
bool QuoteKeywordColumns(QString& text, const TTokens& t, const TSqlDialect& dialect) {
    QList<TEdit> edits;
    QStringList parts;
    for (qsizetype k = 2; k < t.Size(); ++k) {
        if (t[k].Depth != 0 || !t.Is(k, TSqlWord::Word) || !t.IsSymbol(k - 1, QLatin1Char('.')) ||
            t.IsSymbol(k + 1, QLatin1Char('.')) || t.Is(k + 1, TSqlWord::Open) ||
            (!t.Is(k - 2, TSqlWord::Word) && !t.Is(k - 2, TSqlWord::Name)) ||
            // (A number's dot: "5. and" is 5, then AND.)
            (t.Is(k - 2, TSqlWord::Word) && t.Text[t[k - 2].Start].isDigit()))
            continue;
        const QStringView word = QStringView(t.Text).sliced(t[k].Start, t[k].End - t[k].Start);
        if (!dialect.IsReserved(word)) continue;
        if (!dialect.ReadName(word, parts) || parts.size() != 1 || dialect.IsPlain(parts.first()))
            continue;
        edits.append({t[k].Start, t[k].End - t[k].Start, dialect.Quote(parts.first())});
    }
    text = Apply(text, edits);
    return !edits.isEmpty();
}

// "(select …)": brackets around the whole of one statement group nothing.
// Whether the text changed.
bool UnwrapWholeStatement(QString& text, const TTokens& t) {
    qsizetype opens = 0;
    while (t.Is(opens, TSqlWord::Open))
        ++opens;
    if (opens == 0 || !BeginsQuery(t, opens)) return false;
    QList<TEdit> edits;
    for (qsizetype k = 0; k < opens && t.Partner(k) == t.Size() - 1 - k; ++k) {
        edits.append({t[k].Start, 1, QStringLiteral(" ")});
        edits.append({t[t.Size() - 1 - k].Start, 1, QStringLiteral(" ")});
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// "(select …) order by … limit …" (MySQL, PostgreSQL): the query in
// brackets with the statement's own ORDER BY or row limit after it. Without
// an order or a row limit of its own the brackets group nothing; with a row
// limit, or an order the statement's ORDER BY replaces, it is a derived
// table that the statement orders and cuts, "select * from (…) order by …"
// (named later). Whether the text changed.
bool UnwrapOrderedStatement(QString& text, const TTokens& t) {
    if (!t.Is(0, TSqlWord::Open) || !BeginsQuery(t, 1)) return false;
    const qsizetype close = t.Partner(0);
    if (close < 0 || close + 1 >= t.Size()) return false;
    const auto isLimit = [&](qsizetype i) {
        return t.IsWord(i, QLatin1StringView("limit")) ||
               t.IsWord(i, QLatin1StringView("offset")) || t.IsWord(i, QLatin1StringView("fetch"));
    };
    const auto isOrder = [&](qsizetype i) {
        return t.IsWord(i, QLatin1StringView("order")) && t.IsWord(i + 1, QLatin1StringView("by"));
    };
    const bool outerOrder = isOrder(close + 1);
    if (!outerOrder && !isLimit(close + 1)) return false;
    bool innerOrder = false, innerLimit = false;
    for (qsizetype i = 1; i < close; ++i) {
        if (t[i].Depth != 1) continue;
        innerOrder = innerOrder || isOrder(i);
        innerLimit = innerLimit || isLimit(i);
    }
    if (!innerOrder && !innerLimit)
        text = Apply(
            text, {{t[0].Start, 1, QStringLiteral(" ")}, {t[close].Start, 1, QStringLiteral(" ")}});
    else if (innerLimit || outerOrder)
        text = Apply(text, {{t[0].Start, 0, QStringLiteral("select * from ")}});
    else
        return false; // its own order, the statement's limit: left as written
    return true;
}

// "(select … join …) union …": the brackets around a first part without an
// ORDER BY or a row limit of its own (WrapOrderedFirstPart keeps those) group
// nothing either; the scanners read its joins as they read a statement's.
// `brackets` counts them, for the union grid that shows them. Whether the
// text changed.
bool UnwrapFirstPart(QString& text, const TTokens& t, int& brackets) {
    if (UnwrapWholeStatement(text, t)) return true;
    if (!t.Is(0, TSqlWord::Open) || !BeginsQuery(t, 1)) return false;
    const qsizetype close = t.Partner(0);
    if (close < 0 || !IsSetOperator(t, close + 1)) return false;
    for (qsizetype i = 1; i < close; ++i)
        if (t[i].Depth == 1 &&
            ((t.IsWord(i, QLatin1StringView("order")) &&
              t.IsWord(i + 1, QLatin1StringView("by"))) ||
             t.IsWord(i, QLatin1StringView("limit")) || t.IsWord(i, QLatin1StringView("offset")) ||
             t.IsWord(i, QLatin1StringView("fetch"))))
            return false;
    text = Apply(text,
                 {{t[0].Start, 1, QStringLiteral(" ")}, {t[close].Start, 1, QStringLiteral(" ")}});
    ++brackets;
    return true;
}

// "FROM (a NATURAL JOIN b) JOIN c USING (k)": joins are read from the left,
// so brackets around the joins that begin a FROM clause group them as the
// reading does anyway. The scanners read such a group when its joins have
// ON conditions (as the design writes them) but not a NATURAL or USING join
// in it: that group loses its brackets, and so do brackets around the whole
// list of tables (the design never writes them, and the joins inside read
// as the same joins without them). Brackets further on change what is joined with what and
// stay, and so do brackets with a name of their own, around a query, or
// around a comma before a join (MySQL's comma binds less than JOIN).
// Whether the text changed.
bool UnwrapLeadingJoins(QString& text, const TTokens& t) {
    // A group's own rows: a query, a VALUES list or a TABLE.
    const auto rows = [&](qsizetype k) {
        return BeginsQuery(t, k) || t.IsWord(k, QLatin1StringView("values")) ||
               t.IsWord(k, QLatin1StringView("table"));
    };
    QList<TEdit> edits;
    for (qsizetype i = 0; i + 1 < t.Size(); ++i) {
        if (t[i].End - t[i].Start != 4 || t[i].Depth != 0 ||
            !t.IsWord(i, QLatin1StringView("from")) ||
            t.IsWord(i - 1, QLatin1StringView("distinct")))
            continue;
        // The closing brackets taken out so far, the outermost first: a
        // group they close right after another is followed by what follows them.
        QList<qsizetype> closes;
        for (qsizetype open = i + 1; t.Is(open, TSqlWord::Open); ++open) {
            const qsizetype close = t.Partner(open);
            qsizetype after = close + 1;
            for (auto c = closes.crbegin(); c != closes.crend() && *c == after; ++c)
                ++after;
            // What may follow such a group: a join, or what ends the FROM clause.
            if (close < 0 || !EndsTablesAt(t, after)) break;
            bool comma = false, shared = false;
            for (qsizetype k = open + 1; k < close && !comma; ++k) {
                comma = t[k].Depth == t[open].Depth + 1 && t.IsSymbol(k, QLatin1Char(','));
                shared = shared || t.IsWord(k, QLatin1StringView("natural")) ||
                         t.IsWord(k, QLatin1StringView("using"));
            }
            // Brackets around the whole list of tables group nothing either,
            // commas and queries in it included.
            if (comma && !rows(open + 1) && EndsFromAt(t, after)) {
                edits.append({t[open].Start, 1, QStringLiteral(" ")});
                edits.append({t[close].Start, 1, QStringLiteral(" ")});
                closes.append(close);
                continue;
            }
            qsizetype first = open + 1;
            while (t.Is(first, TSqlWord::Open))
                ++first;
            if (!t.Is(first, TSqlWord::Name) && (!t.Is(first, TSqlWord::Word) || rows(first) ||
                                                 t.IsWord(first, QLatin1StringView("lateral"))))
                break;
            if (comma || (!shared && !EndsFromAt(t, after))) break;
            edits.append({t[open].Start, 1, QStringLiteral(" ")});
            edits.append({t[close].Start, 1, QStringLiteral(" ")});
            closes.append(close);
        }
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// "left join o on (o.id = c.id and o.f > 1)": brackets around a whole ON
// condition group nothing, and without them its terms are read one by one
// (an outer join's become its link and the link's further condition).
// Whether the text changed.
bool UnwrapOnConditions(QString& text, const TTokens& t) {
    // Whether token i stands inside a bracketed query: one of the brackets
    // around it opens one (looked at for an ON before a bracket alone).
    const auto inQuery = [&](qsizetype i) {
        for (int depth = t[i].Depth; i > 0 && depth > 0; --i)
            if (t.Is(i - 1, TSqlWord::Open) && t[i - 1].Depth < depth) {
                depth = t[i - 1].Depth;
                if (BeginsQuery(t, i)) return true;
            }
        return false;
    };
    QList<TEdit> edits;
    for (qsizetype i = 0; i + 1 < t.Size(); ++i) {
        const TSqlWord& w = t[i];
        if (w.Kind != TSqlWord::Word || w.End - w.Start != 2 || !t.Is(i + 1, TSqlWord::Open) ||
            !t.IsWord(i, QLatin1StringView("on")) || inQuery(i))
            continue;
        qsizetype outer = -1; // the close of the bracket taken out before
        for (qsizetype open = i + 1; t.Is(open, TSqlWord::Open); ++open) {
            const qsizetype close = t.Partner(open);
            if (close < 0 || BeginsQuery(t, open + 1)) break;
            // The condition ends with the bracket: what follows is no
            // operand of it.
            const qsizetype after = close + 1;
            const bool whole = outer >= 0 ? after == outer
                                          : t.Is(after, TSqlWord::Close) || EndsTablesAt(t, after);
            if (!whole) break;
            edits.append({t[open].Start, 1, QStringLiteral(" ")});
            edits.append({t[close].Start, 1, QStringLiteral(" ")});
            outer = close;
        }
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// "… OVER w … WINDOW w AS (PARTITION BY a)": a named window is the
// definition it names, written where it is used ("OVER (PARTITION BY a)",
// "OVER (w ORDER BY b)" as "OVER (PARTITION BY a ORDER BY b)"), and the
// WINDOW clause goes: a design has none. A sub-query's windows are its own
// and stay, and so do those of the parts of a union, each of which may
// give one name its own window. Whether the text changed.
bool InlineNamedWindows(QString& text, const TTokens& t) {
    qsizetype clause = -1;
    // Most statements have none: their words are told by length first.
    for (qsizetype i = 0; i < t.Size() && clause < 0; ++i)
        if (t[i].End - t[i].Start == 6 && t[i].Depth == 0 &&
            t.IsWord(i, QLatin1StringView("window")) && t.IsName(i + 1) &&
            t.IsWord(i + 2, QLatin1StringView("as")) && t.Is(i + 3, TSqlWord::Open))
            clause = i;
    if (clause < 0 || HasSetOperator(t)) return false;
    // Name (lower case) -> definition, without its brackets; one that
    // begins with an earlier window's name has that window's written out.
    QHash<QString, QString> windows;
    const auto definition = [&](qsizetype open, qsizetype close) {
        const qsizetype first = open + 1;
        if (first < close && t.IsName(first))
            if (const auto known = windows.constFind(t.Name(first).toLower());
                known != windows.cend())
                return (*known + QLatin1Char(' ') +
                        text.mid(t[first].End, t[close].Start - t[first].End))
                    .trimmed();
        return text.mid(t[open].End, t[close].Start - t[open].End).trimmed();
    };
    qsizetype end = clause;
    for (qsizetype i = clause + 1;; i = end + 2) {
        if (!t.IsName(i) || !t.IsWord(i + 1, QLatin1StringView("as")) ||
            !t.Is(i + 2, TSqlWord::Open))
            return false;
        end = t.Partner(i + 2);
        if (end < 0) return false;
        windows.insert(t.Name(i).toLower(), definition(i + 2, end));
        if (!t.IsSymbol(end + 1, QLatin1Char(','))) break;
    }
    QList<TEdit> edits;
    TSubQueries subQueries;
    for (qsizetype k = 0; k < t.Size(); ++k) {
        subQueries.Step(t, k);
        if (subQueries.Inside() || (k >= clause && k <= end) ||
            !t.IsWord(k, QLatin1StringView("over")))
            continue;
        if (t.IsName(k + 1)) {
            if (const auto w = windows.constFind(t.Name(k + 1).toLower()); w != windows.cend())
                edits.append({t[k + 1].Start, t[k + 1].End - t[k + 1].Start,
                              QLatin1Char('(') + *w + QLatin1Char(')')});
        } else if (t.Is(k + 1, TSqlWord::Open) && t.IsName(k + 2)) {
            if (const auto w = windows.constFind(t.Name(k + 2).toLower()); w != windows.cend())
                edits.append({t[k + 2].Start, t[k + 2].End - t[k + 2].Start, *w});
        }
    }
    edits.append({t[clause].Start, t[end].End - t[clause].Start, QStringLiteral(" ")});
    text = Apply(text, edits);
    return true;
}

// Whether the bracket at token o holds joins and stands as a table under a
// name of its own ("from (a join b on …) as m"), without column names.
bool JoinsUnderAName(const TTokens& t, qsizetype o) {
    if (BeginsQuery(t, o + 1) || t.IsWord(o + 1, QLatin1StringView("values")) ||
        !InTablePosition(t, o))
        return false;
    const qsizetype close = t.Partner(o);
    if (close < 0) return false;
    const qsizetype alias = NameAfter(t, close);
    if (alias < 0 || t.Is(alias + 1, TSqlWord::Open)) return false;
    bool joins = false;
    for (qsizetype k = o + 1; k < close; ++k) {
        if (t[k].Depth != t[o].Depth + 1) continue;
        // "((select …) union select … join …) m" holds a query.
        if (BeginsQuery(t, k) || IsSetOperator(t, k)) return false;
        joins = joins || IsJoinWord(t.Word(k));
    }
    return joins;
}

// A function's rows or a VALUES list standing as a table of the statement
// ("generate_series(…) as g", "json_each(x)", "(values (1), (2)) v (n)"):
// the same rows as a sub-query of them, which a sub-query box holds.
// Arguments that name columns of the other tables (which PostgreSQL allows)
// cannot run in a sub-query: the box is then not placed, and the rebuild
// says what it lost. LATERAL and WITH ORDINALITY stay as they are. Whether
// the text changed.
bool WrapTableSources(QString& text, const TTokens& t) {
    QList<TEdit> edits;
    // Whether a comma separates tables: the last clause word before it was
    // FROM (InTablePosition's rule), read forward once as far as asked.
    qsizetype scanned = 0;
    bool afterFrom = false;
    const auto inFromList = [&](qsizetype comma) {
        for (; scanned < comma; ++scanned)
            if (t[scanned].Depth == 0 && t[scanned].Kind == TSqlWord::Word)
                if (const TClause c = ClauseWord(t, scanned);
                    c == TClause::From || c == TClause::Other)
                    afterFrom = c == TClause::From;
        return afterFrom;
    };
    static const QSet<QString> notFunctions{QStringLiteral("lateral"), QStringLiteral("only"),
                                            QStringLiteral("rows")};
    qsizetype done = -1; // the last token of the last item wrapped
    for (qsizetype o = 0; o < t.Size(); ++o) {
        // Every candidate has its bracket at the statement's own level.
        if (t[o].Depth != 0 || t[o].Kind != TSqlWord::Open) continue;
        qsizetype i = o;
        if (o > done && JoinsUnderAName(t, o)) {
            // "(a join b using (k)) m": the name hides the boxes inside, as
            // it does for the rows of "select *" over the same joins.
            edits.append({t[o].End, 0, QStringLiteral("select * from ")});
            done = t.Partner(o);
            continue;
        }
        if (!t.IsWord(o + 1, QLatin1StringView("values"))) {
            if (!t.IsName(o - 1)) continue;
            i = t.NameStart(o - 1);
            if (notFunctions.contains(t.Word(i))) continue;
        }
        if (i <= done) continue;
        const bool tablePosition =
            AfterFromOrJoin(t, i) || (t.IsSymbol(i - 1, QLatin1Char(',')) && inFromList(i - 1));
        if (!tablePosition) continue;
        const qsizetype open = o;
        qsizetype close = t.Partner(open);
        if (close < 0 || NamesColumns(t, open + 1, close)) continue;
        // A function's rows numbered (PostgreSQL): the number is a column too.
        if (t.IsWord(close + 1, QLatin1StringView("with")) &&
            t.IsWord(close + 2, QLatin1StringView("ordinality")) && i < o)
            close += 2;
        else if (t.IsWord(close + 1, QLatin1StringView("with")))
            continue;
        qsizetype end = close;
        qsizetype alias = t.IsWord(close + 1, QLatin1StringView("as")) ? close + 2 : close + 1;
        if (IsAliasAt(t, alias)) {
            end = alias;
            if (t.Is(alias + 1, TSqlWord::Open)) {
                end = t.Partner(alias + 1);
                if (end < 0) continue;
            }
        } else if (alias == close + 2) {
            continue; // AS and no name
        } else {
            alias = -1;
        }
        const qsizetype from = t[i].Start, span = t[end].End - from;
        // Without a name of its own the sub-query gets one later.
        edits.append({from, span,
                      QStringLiteral("(select * from ") + text.mid(from, span) + QLatin1Char(')') +
                          (alias < 0 ? QString() : QLatin1Char(' ') + t.TextOf(alias))});
        done = end;
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// "(select … order by x limit 2) union …": the order and the row limit of
// the first part in brackets are its own, while the design's would order
// and cut the whole union. The part becomes a derived table that keeps
// them, "select * from (select … limit 2) union …", named later. (Later
// parts are kept as they are written.) Whether the text changed.
bool WrapOrderedFirstPart(QString& text, const TTokens& t) {
    if (!t.Is(0, TSqlWord::Open) || !BeginsQuery(t, 1)) return false;
    const qsizetype close = t.Partner(0);
    if (close < 0 || !IsSetOperator(t, close + 1)) return false;
    bool own = false;
    for (qsizetype i = 1; i < close && !own; ++i)
        own = t[i].Depth == 1 &&
              ((t.IsWord(i, QLatin1StringView("order")) &&
                t.IsWord(i + 1, QLatin1StringView("by"))) ||
               t.IsWord(i, QLatin1StringView("limit")) ||
               t.IsWord(i, QLatin1StringView("offset")) || t.IsWord(i, QLatin1StringView("fetch")));
    if (!own) return false;
    text = Apply(text, {{t[0].Start, 0, QStringLiteral("select * from ")}});
    return true;
}

// "(select …)" standing as a table without a name of its own, which SQLite
// reads: named Q1, Q2, … as no word of the statement is, since a sub-query
// box is known by its name.
void NameUnnamedDerivedTables(QString& text, const TTokens& t) {
    // The closing bracket of each top-level opening one, found in one pass.
    QList<std::pair<qsizetype, qsizetype>> pairs;
    for (qsizetype i = 0, open = -1; i < t.Size(); ++i) {
        if (t[i].Depth != 0) continue;
        if (t.Is(i, TSqlWord::Open)) open = i;
        if (t.Is(i, TSqlWord::Close) && open >= 0) pairs.append({std::exchange(open, -1), i});
    }
    QList<TEdit> edits;
    QSet<QString> words;
    int next = 0;
    for (const auto& [o, c] : std::as_const(pairs)) {
        if (!BeginsQuery(t, o + 1) || !InTablePosition(t, o)) continue;
        if (t.IsWord(c + 1, QLatin1StringView("as")) || IsAliasAt(t, c + 1)) continue;
        if (words.isEmpty())
            for (qsizetype i = 0; i < t.Size(); ++i)
                if (t.Is(i, TSqlWord::Word) || t.Is(i, TSqlWord::Name)) words << t.Name(i).toLower();
        QString name;
        do
            name = QStringLiteral("Q%1").arg(++next);
        while (words.contains(name.toLower()));
        edits.append({t[c].End, 0, QLatin1Char(' ') + name});
    }
    text = Apply(text, edits);
}

// "x isnull", "x notnull" and SQLite's "x not null" outside select lists:
// the tests "x is null" and "x is not null", which the designer writes.
// (In a select list the text stays, as the column's heading.) Whether the
// text changed.
bool PostfixNullTests(QString& text, const TTokens& t) {
    if (!scan::HoldsKeyword(text, QLatin1StringView("null"))) return false;
    static const char* const noOperand[] = {
        "and",     "or",   "not",      "is",     "where",  "having", "on",
        "when",    "then", "else",     "select", "by",     "in",     "like",
        "between", "case", "distinct", "exists", "escape", "glob",   "regexp"};
    const auto afterOperand = [&](qsizetype i) {
        if (t.Is(i, TSqlWord::Close) || t.Is(i, TSqlWord::Name) || t.Is(i, TSqlWord::String))
            return true;
        if (!t.Is(i, TSqlWord::Word)) return false;
        for (const char* word : noOperand)
            if (t.IsWord(i, QLatin1StringView(word))) return false;
        return true;
    };
    QList<bool> selectList{false}; // per depth: inside a select list
    QList<TEdit> edits;
    for (qsizetype i = 0; i < t.Size(); ++i) {
        const int depth = t[i].Depth;
        while (selectList.size() < depth + 2)
            selectList << false;
        if (t.Is(i, TSqlWord::Open)) {
            selectList[depth + 1] = false;
            continue;
        }
        if (!t.Is(i, TSqlWord::Word)) continue;
        if (t.IsWord(i, QLatin1StringView("select"))) {
            selectList[depth] = true;
            continue;
        }
        if (t.IsWord(i, QLatin1StringView("from"))) selectList[depth] = false;
        const bool isNull = t.IsWord(i, QLatin1StringView("isnull"));
        const bool notNull =
            t.IsWord(i, QLatin1StringView("not")) && t.IsWord(i + 1, QLatin1StringView("null"));
        if (selectList[depth] || !(isNull || notNull || t.IsWord(i, QLatin1StringView("notnull"))))
            continue;
        if (t.Is(i + 1, TSqlWord::Open) || t.IsSymbol(i + 1, QLatin1Char('.')) ||
            t.IsSymbol(i - 1, QLatin1Char('.')) || !afterOperand(i - 1))
            continue;
        const qsizetype end = notNull ? t[i + 1].End : t[i].End;
        edits.append({t[i].Start, end - t[i].Start,
                      isNull ? QStringLiteral("is null") : QStringLiteral("is not null")});
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// MySQL's "&&" is AND, which the designer writes. (Its "||" is OR, or in
// ANSI mode a joining of strings: it stays as written.) Whether the text
// changed.
bool MySqlLogicalSymbols(QString& text, const TTokens& t) {
    QList<TEdit> edits;
    for (qsizetype i = 0; i < t.Size(); ++i) {
        if (!t.Is(i, TSqlWord::Symbol)) continue;
        // Read as one symbol or as two side by side.
        qsizetype end = t[i].End;
        if (end - t[i].Start == 1 && t.Is(i + 1, TSqlWord::Symbol) && t[i + 1].Start == end)
            end = t[i + 1].End;
        const QStringView symbol = QStringView(text).sliced(t[i].Start, end - t[i].Start);
        if (symbol != u"&&") continue;
        edits.append({t[i].Start, symbol.size(), QStringLiteral(" and ")});
        if (end != t[i].End) ++i;
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// MySQL's "from dual" names no table: the statement without it is the same.
// Only where it ends the statement: a select list without FROM is read to
// the end, clauses after it included.
bool DropFromDual(QString& text, const TTokens& t) {
    for (qsizetype i = 0; i + 1 < t.Size(); ++i) {
        if (t[i].Depth != 0 || !t.IsWord(i, QLatin1StringView("from"))) continue;
        if (!t.IsWord(i + 1, QLatin1StringView("dual")) ||
            !(i + 2 == t.Size() || t.Is(i + 2, TSqlWord::Separator)))
            return false;
        text = Apply(text, {{t[i].Start, t[i + 1].End - t[i].Start, QString()}});
        return true;
    }
    return false;
}

// "select all …": ALL is what a select list gives without DISTINCT, and
// no name of the column after it. Whether the text changed.
bool DropSelectAll(QString& text, const TTokens& t) {
    QList<TEdit> edits;
    for (qsizetype i = 0; i + 1 < t.Size(); ++i)
        if (t.IsWord(i, QLatin1StringView("select")) && t.IsWord(i + 1, QLatin1StringView("all")))
            edits.append({t[i].End, t[i + 1].End - t[i].End, QString()});
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// SQLite's "from 'Order Details'": a string where a table's name stands
// is that name, quoted as a name. Whether the text changed.
bool StringTableNames(QString& text, const TTokens& t) {
    QList<TEdit> edits;
    for (qsizetype j = 1; j < t.Size(); ++j) {
        // (Read through the tokens: a write access to `text` would copy it.
        // A string after a string and a comma is taken for a value of a
        // list without a walk back to its clause.)
        if (!t.Is(j, TSqlWord::String) || t.Text[t[j].Start] != u'\'' ||
            (t.IsSymbol(j - 1, QLatin1Char(',')) && t.Is(j - 2, TSqlWord::String)) ||
            !InTablePosition(t, j))
            continue;
        QString name = t.TextOf(j).sliced(1, t[j].End - t[j].Start - 2);
        name.replace(QLatin1String("''"), QLatin1String("'"));
        name.replace(QLatin1String("\""), QLatin1String("\"\""));
        edits.append(
            {t[j].Start, t[j].End - t[j].Start, QLatin1Char('"') + name + QLatin1Char('"')});
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// SQLite's "from a, b on b.k = a.k": a comma followed by ON joins as the
// inner join it is written as here. Whether the text changed.
bool CommaJoinsWithOn(QString& text, const TTokens& t) {
    QList<TEdit> edits;
    bool inFrom = false; // the last clause word was FROM, a join's, its ON or USING
    for (qsizetype i = 0; i < t.Size(); ++i) {
        if (t[i].Depth != 0) continue;
        if (t.Is(i, TSqlWord::Word)) {
            if (const TClause c = ClauseWord(t, i); c == TClause::From || c == TClause::Join)
                inFrom = true;
            else if (c == TClause::Other && !t.IsWord(i, QLatin1StringView("on")) &&
                     !t.IsWord(i, QLatin1StringView("using")))
                inFrom = false;
        }
        if (!inFrom || !t.IsSymbol(i, QLatin1Char(','))) continue;
        // The table reference after it, to the word or symbol that ends it.
        qsizetype j = i + 1;
        while (j < t.Size() &&
               (t[j].Depth != 0 || !(EndsTablesAt(t, j) || t.IsWord(j, QLatin1StringView("on")) ||
                                     t.IsWord(j, QLatin1StringView("using")))))
            ++j;
        if (t.IsWord(j, QLatin1StringView("on")))
            edits.append({t[i].Start, t[i].End - t[i].Start, QStringLiteral(" join")});
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// MySQL's words that steer how the server finds the rows, never which ones:
// select modifiers such as SQL_NO_CACHE or HIGH_PRIORITY, and index hints
// ("from t force index (k)"). The design has no place for them, so they go;
// DISTINCTROW is the DISTINCT it means. (SQL_CALC_FOUND_ROWS stays: what it
// counts is asked for after the statement.) Whether the text changed.
bool DropServerHints(QString& text, const TTokens& t) {
    static const QSet<QString> modifiers{
        QStringLiteral("sql_no_cache"),      QStringLiteral("sql_cache"),
        QStringLiteral("sql_small_result"),  QStringLiteral("sql_big_result"),
        QStringLiteral("sql_buffer_result"), QStringLiteral("high_priority"),
        QStringLiteral("straight_join")};
    static const QSet<QString> hints{QStringLiteral("use"), QStringLiteral("force"),
                                     QStringLiteral("ignore")};
    // The token after the hint that begins at i ("use index for join (k)"),
    // -1 when none begins there.
    const auto hintEnd = [&](qsizetype i) -> qsizetype {
        if (!t.Is(i, TSqlWord::Word) || !hints.contains(t.Word(i)) ||
            (!t.IsWord(i + 1, QLatin1StringView("index")) &&
             !t.IsWord(i + 1, QLatin1StringView("key"))))
            return -1;
        qsizetype k = i + 2;
        if (t.IsWord(k, QLatin1StringView("for"))) {
            if (t.IsWord(k + 1, QLatin1StringView("join")))
                k += 2;
            else if ((t.IsWord(k + 1, QLatin1StringView("order")) ||
                      t.IsWord(k + 1, QLatin1StringView("group"))) &&
                     t.IsWord(k + 2, QLatin1StringView("by")))
                k += 3;
            else
                return -1;
        }
        const qsizetype close = t.Is(k, TSqlWord::Open) ? t.Partner(k) : -1;
        return close < 0 ? -1 : close + 1;
    };
    QList<TEdit> edits;
    for (qsizetype i = 0; i < t.Size(); ++i) {
        if (t[i].Depth == 0 && t.IsWord(i, QLatin1StringView("select"))) {
            qsizetype k = i + 1;
            if (t.IsWord(k, QLatin1StringView("distinctrow")))
                edits.append({t[k].Start, t[k].End - t[k].Start, QStringLiteral("distinct")});
            if (t.IsWord(k, QLatin1StringView("distinctrow")) ||
                t.IsWord(k, QLatin1StringView("distinct")) || t.IsWord(k, QLatin1StringView("all")))
                ++k;
            // (Before a dot the word names a table: "select sql_cache.k".)
            for (; t.Is(k, TSqlWord::Word) && !t.IsSymbol(k + 1, QLatin1Char('.')) &&
                   modifiers.contains(t.Word(k));
                 ++k)
                edits.append({t[k].Start, t[k].End - t[k].Start, QString()});
            i = k - 1;
            continue;
        }
        qsizetype end = hintEnd(i);
        if (end < 0) continue;
        // Hints in a list: each comma goes with the hint before it.
        while (t.IsSymbol(end, QLatin1Char(',')) && hintEnd(end + 1) > 0)
            end = hintEnd(end + 1);
        edits.append({t[i].Start, t[end - 1].End - t[i].Start, QString()});
        i = end - 1;
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// SQL Server's table hints ("from t with (nolock)", the older "from t
// (nolock)"), join hints ("inner loop join") and query hints ("option
// (recompile)"): like MySQL's index hints they steer how the server reads
// the rows, never which ones, and the design has no place for them. A
// bracket goes only when every entry in it is a table hint; OPTION goes
// unless it limits recursion (MAXRECURSION decides whether a recursive
// query runs at all). Whether the text changed.
bool DropTableHints(QString& text, const TTokens& t) {
    static const QSet<QString> single{QStringLiteral("nolock"),
                                      QStringLiteral("readuncommitted"),
                                      QStringLiteral("readcommitted"),
                                      QStringLiteral("readcommittedlock"),
                                      QStringLiteral("repeatableread"),
                                      QStringLiteral("serializable"),
                                      QStringLiteral("snapshot"),
                                      QStringLiteral("holdlock"),
                                      QStringLiteral("updlock"),
                                      QStringLiteral("xlock"),
                                      QStringLiteral("rowlock"),
                                      QStringLiteral("paglock"),
                                      QStringLiteral("tablock"),
                                      QStringLiteral("tablockx"),
                                      QStringLiteral("readpast"),
                                      QStringLiteral("nowait"),
                                      QStringLiteral("noexpand"),
                                      QStringLiteral("forcescan"),
                                      QStringLiteral("keepidentity"),
                                      QStringLiteral("keepdefaults"),
                                      QStringLiteral("ignore_constraints"),
                                      QStringLiteral("ignore_triggers")};
    // Hints that take an index or a number after them: "index (ix)",
    // "index = ix", "forceseek (ix (c))".
    static const QSet<QString> withArguments{QStringLiteral("index"), QStringLiteral("forceseek"),
                                             QStringLiteral("spatial_window_max_cells")};
    // The closing bracket of a list of table hints that the bracket at k
    // opens; -1 when it holds anything else. Without WITH, only words alone.
    const auto hintList = [&](qsizetype k, bool withWord) -> qsizetype {
        const qsizetype close = t.Partner(k);
        if (close < 0) return -1;
        bool entryStart = true;
        for (qsizetype j = k + 1; j < close; ++j) {
            if (t[j].Depth != t[k].Depth + 1) continue;
            if (entryStart) {
                const QString w = t.Word(j);
                if (!single.contains(w) && !(withWord && withArguments.contains(w))) return -1;
                entryStart = false;
            } else if (t.IsSymbol(j, QLatin1Char(','))) {
                entryStart = true;
            } else if (!withWord) {
                return -1;
            }
        }
        return entryStart ? -1 : close; // empty, or a comma at the end
    };
    // Whether a table's name, qualified or not, ends at token i.
    const auto tableName = [&](qsizetype i) {
        return t.IsName(i) && InTablePosition(t, t.NameStart(i));
    };
    // Whether token i ends a table reference: the table's name or its alias
    // (so that "in (nolock)" or "max(nolock)" stay as they are).
    const auto afterTable = [&](qsizetype i) {
        if (tableName(i)) return true;
        if (!IsAliasAt(t, i)) return false;
        return tableName(t.IsWord(i - 1, QLatin1StringView("as")) ? i - 2 : i - 1);
    };
    QList<TEdit> edits;
    for (qsizetype i = 1; i + 1 < t.Size(); ++i) {
        const bool withWord = t.IsWord(i, QLatin1StringView("with")) && t.Is(i + 1, TSqlWord::Open);
        const qsizetype open = withWord ? i + 1 : i;
        if (!t.Is(open, TSqlWord::Open) || !afterTable(i - 1)) continue;
        const qsizetype close = hintList(open, withWord);
        if (close < 0) continue;
        edits.append({t[i].Start, t[close].End - t[i].Start, QString()});
        i = close;
    }
    // Join hints: "inner loop join", "left outer hash join".
    static const QSet<QString> joinHints{QStringLiteral("loop"), QStringLiteral("hash"),
                                         QStringLiteral("merge"), QStringLiteral("remote")};
    static const QSet<QString> joinTypes{QStringLiteral("inner"), QStringLiteral("outer"),
                                         QStringLiteral("left"), QStringLiteral("right"),
                                         QStringLiteral("full")};
    for (qsizetype i = 1; i + 1 < t.Size(); ++i)
        if (t.IsWord(i + 1, QLatin1StringView("join")) && joinHints.contains(t.Word(i)) &&
            joinTypes.contains(t.Word(i - 1)))
            edits.append({t[i - 1].End, t[i].End - t[i - 1].End, QString()});
    for (qsizetype i = 0; i + 1 < t.Size(); ++i) {
        if (t[i].Depth != 0 || !t.IsWord(i, QLatin1StringView("option")) ||
            !t.Is(i + 1, TSqlWord::Open))
            continue;
        const qsizetype close = t.Partner(i + 1);
        if (close < 0 || close + 1 != t.End()) continue;
        bool recursion = false;
        for (qsizetype j = i + 2; j < close && !recursion; ++j)
            recursion = t.IsWord(j, QLatin1StringView("maxrecursion"));
        if (!recursion) edits.append({t[i].Start, t[close].End - t[i].Start, QString()});
        break;
    }
    if (edits.isEmpty()) return false;
    text = Apply(text, edits);
    return true;
}

// PostgreSQL's standard row limit at the end of a statement, "[offset m
// rows] fetch first n rows only" (the two parts in either order) or
// "offset m" alone, as the LIMIT the design keeps ("limit n offset m",
// "limit all offset m"): the same rows. FETCH … WITH TIES keeps more rows
// than LIMIT and stays. Whether the text changed.
bool StandardRowLimit(QString& text, const TTokens& t) {
    const qsizetype end = t.End();
    // The count (or offset) that ends just before token `after`: one token
    // or one bracket; its first token, -1 when none stands there.
    const auto valueBefore = [&](qsizetype after) -> qsizetype {
        const qsizetype last = after - 1;
        if (last < 0 || t[last].Depth != 0) return -1;
        if (t.Is(last, TSqlWord::Close)) return t.Opener(last);
        const bool value = t.Is(last, TSqlWord::Symbol) ? t.IsSymbol(last, QLatin1Char('?'))
                                                        : !t.Is(last, TSqlWord::Open);
        return value && !t.IsWord(last, QLatin1StringView("first")) &&
                       !t.IsWord(last, QLatin1StringView("next"))
                   ? last
                   : -1;
    };
    const auto isRows = [&](qsizetype i) {
        return t.IsWord(i, QLatin1StringView("rows")) || t.IsWord(i, QLatin1StringView("row"));
    };
    const auto textOf = [&](qsizetype from, qsizetype to) { // tokens [from, to)
        return text.mid(t[from].Start, t[to - 1].End - t[from].Start);
    };
    // "fetch first|next [n] row|rows only|ties" ending before token `after`:
    // its first token (-1 when none) and its count.
    const auto fetchBefore = [&](qsizetype after, bool& ties, QString& count) -> qsizetype {
        ties = t.IsWord(after - 1, QLatin1StringView("ties")) &&
               t.IsWord(after - 2, QLatin1StringView("with"));
        if (!ties && !t.IsWord(after - 1, QLatin1StringView("only"))) return -1;
        qsizetype k = after - (ties ? 2 : 1);
        if (!isRows(k - 1)) return -1;
        k -= 1;
        const qsizetype value = valueBefore(k);
        count = value >= 0 ? textOf(value, k) : QStringLiteral("1");
        if (value >= 0) k = value;
        if (!t.IsWord(k - 1, QLatin1StringView("first")) &&
            !t.IsWord(k - 1, QLatin1StringView("next")))
            return -1;
        return t.IsWord(k - 2, QLatin1StringView("fetch")) && t[k - 2].Depth == 0 ? k - 2 : -1;
    };
    // "offset m [rows]" ending before token `after`: its first token, -1 when none.
    const auto offsetBefore = [&](qsizetype after, QString& offset) -> qsizetype {
        qsizetype k = after;
        if (isRows(k - 1)) --k;
        const qsizetype value = valueBefore(k);
        if (value <= 0 || !t.IsWord(value - 1, QLatin1StringView("offset")) ||
            t[value - 1].Depth != 0 || t.IsWord(value - 2, QLatin1StringView("limit")))
            return -1;
        offset = textOf(value, k);
        return value - 1;
    };
    QString limit = QStringLiteral("all"), offset, count;
    bool ties = false;
    qsizetype cut = end; // where the clause begins
    if (const qsizetype fetch = fetchBefore(end, ties, count); fetch >= 0) {
        if (ties) return false;
        limit = count;
        const qsizetype before = offsetBefore(fetch, offset);
        cut = before >= 0 ? before : fetch;
    } else if (const qsizetype at = offsetBefore(end, offset); at >= 0) {
        cut = at;
        if (const qsizetype before = fetchBefore(at, ties, count); before >= 0) {
            // FETCH … WITH TIES first: the offset goes before it, where
            // the clause reads the same and the design keeps it.
            if (ties) {
                const QString fetchText = textOf(before, at);
                text = Apply(text,
                             {{t[before].Start, t[end - 1].End - t[before].Start,
                               QStringLiteral("offset ") + offset + QLatin1Char(' ') + fetchText}});
                return true;
            }
            limit = count;
            cut = before;
        }
    } else {
        return false;
    }
    // A LIMIT before it would be a second limit: left to the database.
    for (qsizetype i = 0; i < cut; ++i)
        if (t[i].Depth == 0 && t.IsWord(i, QLatin1StringView("limit"))) return false;
    QString clause = QStringLiteral("limit ") + limit;
    if (!offset.isEmpty()) clause += QStringLiteral(" offset ") + offset;
    text = Apply(text, {{t[cut].Start, t[end - 1].End - t[cut].Start, clause}});
    return true;
}

// What follows a SELECT of the statement itself (not one inside brackets)
// that the designer cannot draw, upper case: "DISTINCT ON", which keeps one
// row per key, or one of MySQL's modifiers (SQL_CALC_FOUND_ROWS and the
// like); empty when none.
QString SelectModifier(const TTokens& t) {
    static const QSet<QString> modifiers{
        QStringLiteral("sql_calc_found_rows"), QStringLiteral("sql_no_cache"),
        QStringLiteral("sql_cache"),           QStringLiteral("sql_small_result"),
        QStringLiteral("sql_big_result"),      QStringLiteral("sql_buffer_result"),
        QStringLiteral("high_priority"),       QStringLiteral("straight_join"),
        QStringLiteral("distinctrow")};
    for (qsizetype i = 0; i + 1 < t.Size(); ++i) {
        if (t[i].Depth != 0 || !t.IsWord(i, QLatin1StringView("select"))) continue;
        qsizetype k = i + 1;
        if (t.IsWord(k, QLatin1StringView("distinct")) && t.IsWord(k + 1, QLatin1StringView("on")) &&
            t.Is(k + 2, TSqlWord::Open))
            return QStringLiteral("DISTINCT ON");
        if (t.IsWord(k, QLatin1StringView("distinct")) || t.IsWord(k, QLatin1StringView("all"))) ++k;
        if (t.Is(k, TSqlWord::Word) && !t.IsSymbol(k + 1, QLatin1Char('.')) &&
            modifiers.contains(t.Word(k)))
            return t.Word(k).toUpper();
    }
    return {};
}

} // namespace

TStatementText::TStatementText(const QString& sql, const TSqlDialect& dialect) : FDialect(dialect) {
    FMasks = std::none_of(sql.begin(), sql.end(), IsPrivate);
    Prepare(sql);
}

void TStatementText::Prepare(const QString& sql) {
    const TSqlReading reading = FDialect.Readings().front();
    QList<TSqlWord> words; // of `sql`
    QString text = Plain(sql, FDialect, words, FStatements);
    if (QStringView(text).trimmed().startsWith(u'(')) {
        const TTokens bracketed(text, reading);
        if (UnwrapWholeStatement(text, bracketed) || UnwrapOrderedStatement(text, bracketed))
            words.clear();
    }

    // Common table expressions: each used once takes its place as a
    // sub-query; the rest cannot be drawn.
    const QStringView start = QStringView(text).trimmed();
    if (start.size() >= 4 && start.first(4).compare(u"with", Qt::CaseInsensitive) == 0) {
        const TTokens t(text, reading);
        qsizetype i = 1;
        const bool recursive = t.Word(i) == QLatin1String("recursive");
        if (recursive) ++i;
        QStringList names, keys, bodies; // keys: as TableKey
        // Of a table that stays a WITH table (below): what stands before its
        // body ("r (n) as"), written again before it in the derived table
        // that takes its place (empty for the others).
        QStringList heads, written;
        const bool sqlite = FDialect == TSqlDialect::Sqlite();
        const bool mysql = IsMySqlReading(reading);
        while (true) {
            if (!t.Is(i, TSqlWord::Word) && !t.Is(i, TSqlWord::Name)) break;
            const qsizetype nameToken = i;
            const QString name = t.Name(i++);
            const QString key = TableKey(t, nameToken, FDialect);
            // A list of column names is moved into the body's select list.
            QList<QString> columns;
            if (t.Is(i, TSqlWord::Open)) {
                columns = NameList(t, i);
                if (columns.isEmpty()) break;
                i = t.Partner(i) + 1;
            }
            if (t.Word(i) != QLatin1String("as")) break;
            ++i;
            while (t.Word(i) == QLatin1String("not") || t.Word(i) == QLatin1String("materialized"))
                ++i;
            if (!t.Is(i, TSqlWord::Open)) break;
            const qsizetype close = t.Partner(i);
            if (close < 0) break;
            QString body = text.mid(t[i].End, t[close].Start - t[i].End).trimmed();
            // A table that reads itself, and in SQLite one whose body is a
            // union of parts (in a FROM clause such a sub-query's columns
            // would compare with other affinities than the table's), stays
            // a WITH table: in a derived table of its own.
            const TTokens bodyWords(body, reading);
            const bool self =
                (recursive && !TableUses(bodyWords, key, sqlite, FDialect).isEmpty()) ||
                (sqlite && HasSetOperator(bodyWords));
            heads << (self ? text.mid(t[nameToken].Start, t[i].Start - t[nameToken].Start)
                           : QString());
            written << t.TextOf(nameToken);
            if (!self && !columns.isEmpty() && !NameColumns(body, columns, FDialect)) {
                FRefusal =
                    QStringLiteral("WITH子句中的“%1”带有列名列表，无法在设计中表示。").arg(name);
                return;
            }
            names << name;
            keys << key;
            bodies << body;
            i = close + 1;
            if (!t.IsSymbol(i, QLatin1Char(','))) break;
            ++i;
        }
        if (names.isEmpty() || i >= t.Size() || t.Is(i, TSqlWord::Symbol)) {
            FRefusal = QStringLiteral("无法读懂这条语句的WITH子句。");
            return;
        }
        // A table read before it is defined: only WITH RECURSIVE allows it,
        // and the derived table of the one that reads it would lack it.
        for (qsizetype k = 0; recursive && k < bodies.size(); ++k) {
            const TTokens body(bodies[k], reading);
            for (qsizetype later = k + 1; later < names.size(); ++later)
                if (!TableUses(body, keys[later], sqlite, FDialect).isEmpty()) {
                    FRefusal = QStringLiteral(
                        "这条语句的WITH RECURSIVE（递归的公用表表达式）无法在设计中表示。");
                    return;
                }
        }
        QStringList targets = bodies;
        targets << text.mid(t[i].Start);
        for (qsizetype k = 0; k < names.size(); ++k) {
            // The references to it: a name where a table stands, not a
            // qualifier, an alias or a function; in SQLite also the table
            // of "x in name".
            struct TUse {
                qsizetype Target, Token;
                bool InList; // the list of "x in name": it takes no name of its own
            };
            QList<TUse> uses;
            for (qsizetype g = k + 1; g < targets.size(); ++g) {
                const TTokens target(targets[g], reading);
                // MySQL and MariaDB read a name that an inner WITH declares
                // again each in its own way, not always as the standard does.
                if (mysql && !InnerWiths(target, keys[k], FDialect).isEmpty()) {
                    FRefusal = QStringLiteral("WITH子句中的“%1”在内层的WITH中又被定义了一次；"
                                              "这种数据源对同名的表读法不一，无法在设计中表示。")
                                   .arg(names[k]);
                    return;
                }
                for (const auto& [j, inList] : TableUses(target, keys[k], sqlite, FDialect))
                    uses.append({g, j, inList});
            }
            // Each use takes the body's place. Used more than once, a body
            // whose result may differ from one evaluation to the next would
            // change the rows.
            if (uses.size() > 1 && MayDifferEachTime(bodies[k])) {
                FRefusal =
                    QStringLiteral(
                        "WITH子句中的“%1”被使用了%2次；设计中的一个子查询表只能代表其中一处。")
                        .arg(names[k])
                        .arg(uses.size());
                return;
            }
            QHash<qsizetype, QList<TEdit>> edits; // by target
            for (const auto& [g, j, inList] : std::as_const(uses)) {
                const TTokens u(targets[g], reading);
                const bool aliased =
                    inList || u.Word(j + 1) == QLatin1String("as") || IsAliasAt(u, j + 1);
                // "(with recursive r (n) as (…) select * from r)"
                const QString body = heads[k].isEmpty()
                                         ? bodies[k]
                                         : QStringLiteral("%1 %2(%3) select * from %4")
                                               .arg(recursive ? QStringLiteral("with recursive")
                                                              : QStringLiteral("with"),
                                                    heads[k], bodies[k], written[k]);
                const QString inserted = QLatin1Char('(') + body + QLatin1Char(')') +
                                         (aliased ? QString() : QLatin1Char(' ') + u.TextOf(j));
                edits[g].append({u[j].Start, u[j].End - u[j].Start, inserted});
            }
            for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
                targets[it.key()] = Apply(targets[it.key()], it.value());
                if (it.key() < bodies.size()) bodies[it.key()] = targets[it.key()];
            }
        }
        text = targets.last();
    }
    // The steps below share the text's tokens, read again only after a
    // step has changed the text. Those of `sql` serve while the text is it
    // (a changed text cannot have its characters where `sql` keeps them).
    TTokens t = text.constData() == sql.constData() ? TTokens(text, std::move(words))
                                                    : TTokens(text, reading);
    if (reading == TSqlReading::TransactSql && DropTableHints(text, t)) Follow(t, text, reading);
    if (QuoteClauseWordNames(text, t, FDialect)) Follow(t, text, reading);
    if (QuoteKeywordColumns(text, t, FDialect)) Follow(t, text, reading);
    if (UnwrapLeadingJoins(text, t)) Follow(t, text, reading);
    if (UnwrapOnConditions(text, t)) Follow(t, text, reading);
    if (InlineNamedWindows(text, t)) Follow(t, text, reading);
    if (WrapTableSources(text, t)) Follow(t, text, reading);
    if (UnwrapFirstPart(text, t, FFirstPartBrackets)) Follow(t, text, reading);
    if (WrapOrderedFirstPart(text, t)) Follow(t, text, reading);
    NameUnnamedDerivedTables(text, t);
    if (const QString refusal = NameDerivedColumns(text, t, FDialect); !refusal.isEmpty()) {
        FRefusal = refusal;
        return;
    }
    Follow(t, text, reading);
    if (PostfixNullTests(text, t)) Follow(t, text, reading);
    if (DropSelectAll(text, t)) Follow(t, text, reading);
    if (FDialect == TSqlDialect::Sqlite() && CommaJoinsWithOn(text, t)) Follow(t, text, reading);
    if (FDialect == TSqlDialect::Sqlite() && StringTableNames(text, t)) Follow(t, text, reading);
    if ((reading == TSqlReading::Postgres || reading == TSqlReading::PostgresOld) &&
        StandardRowLimit(text, t))
        Follow(t, text, reading);
    if (IsMySqlReading(reading)) {
        if (MySqlLogicalSymbols(text, t)) Follow(t, text, reading);
        if (DropFromDual(text, t)) Follow(t, text, reading);
        if (DropServerHints(text, t)) Follow(t, text, reading);
    }
    if (const QString modifier = SelectModifier(t); !modifier.isEmpty()) {
        FRefusal = QStringLiteral("这条语句的SELECT %1无法在设计中表示。").arg(modifier);
        return;
    }
    // A LATERAL sub-query reads the tables before it, which no sub-query
    // box can: the box would be named by its whole text.
    for (qsizetype i = 0; i + 1 < t.Size(); ++i)
        if (t[i].Depth == 0 && t.IsWord(i, QLatin1StringView("lateral")) &&
            t.Is(i + 1, TSqlWord::Open) && InTablePosition(t, i)) {
            FRefusal = QStringLiteral("这条语句的LATERAL子查询无法在设计中表示。");
            return;
        }
    FReference = text;
    FScanned = ForScanners(text, std::move(t.Words));
}

namespace {

// Where the set operators of a text stand: the first statement ends at the
// first one outside brackets; the others are kept as text, for nested
// designers to read.
struct TSetOperatorReading {
    qsizetype FirstEnd = 0; // token index
    QString First;
    QStringList Operators;
};

// Reads the set operators; the scanners split at union [all], minus and
// intersect only, so EXCEPT and INTERSECT ALL are written for them.
TSetOperatorReading ReadSetOperators(const QString& text, const TTokens& t, QList<TEdit>& edits) {
    TSetOperatorReading reading;
    reading.FirstEnd = t.Size();
    reading.First = TrimSQLElement(text);
    for (qsizetype i = 0; i < t.Size(); ++i) {
        // Only words of five, six or nine letters can be set operators.
        const qsizetype letters = t[i].End - t[i].Start;
        if (t[i].Depth != 0 || !t.Is(i, TSqlWord::Word) ||
            (letters != 5 && letters != 6 && letters != 9))
            continue;
        if (!IsSetOperator(t, i)) continue;
        const QString w = t.Word(i);
        const bool all = t.Word(i + 1) == QLatin1String("all");
        reading.Operators << (all ? w + QLatin1String(" all") : w);
        if (i < reading.FirstEnd) reading.First = TrimSQLElement(text.left(t[i].Start));
        reading.FirstEnd = std::min(reading.FirstEnd, i);
        const qsizetype end = all ? t[i + 1].End : t[i].End;
        const qsizetype length = end - t[i].Start;
        if (w == QLatin1String("except") || ((w == QLatin1String("intersect")) && all))
            edits.append({t[i].Start, length,
                          (w == QLatin1String("except") ? QStringLiteral("minus")
                                                        : QStringLiteral("intersect"))
                              .leftJustified(length, QLatin1Char(' '))});
    }
    return reading;
}

// Whether the FROM at token i is that of "x IS [NOT] DISTINCT FROM y".
bool IsDistinctFrom(const TTokens& t, qsizetype i) {
    if (!t.IsWord(i - 1, QLatin1StringView("distinct"))) return false;
    const qsizetype is = t.IsWord(i - 2, QLatin1StringView("not")) ? i - 3 : i - 2;
    return t.IsWord(is, QLatin1StringView("is"));
}

// The FROM clause of the first statement as token indexes [from, end);
// from is -1 when there is none.
std::pair<qsizetype, qsizetype> FromClause(const TTokens& t, qsizetype firstEnd) {
    qsizetype from = -1;
    for (qsizetype i = 0; i < firstEnd; ++i)
        if (t[i].Depth == 0 && t.IsWord(i, QLatin1StringView("from")) && !IsDistinctFrom(t, i)) {
            from = i;
            break;
        }
    if (from < 0) return {-1, firstEnd};
    for (qsizetype i = from + 1; i < firstEnd; ++i)
        if (t[i].Depth == 0 && t.Is(i, TSqlWord::Word) && t[i].End - t[i].Start <= 9 &&
            EndsFromClause(t.Word(i)))
            return {from, i};
    return {from, firstEnd};
}

// One join that begins at token i: NATURAL and USING become an ON with the
// shared columns, found once the boxes are there; CROSS JOIN and a JOIN
// without ON become a comma. Returns the token of the word JOIN, or i when
// no join begins there.
qsizetype JoinEdit(const TTokens& t, qsizetype i, qsizetype fromEnd, QList<TEdit>& edits) {
    qsizetype j = i;
    qsizetype natural = -1;
    bool cross = false, outer = false;
    while (j < fromEnd && t[j].Depth == 0 && IsJoinWord(t.Word(j)) &&
           t.Word(j) != QLatin1String("join")) {
        if (t.Word(j) == QLatin1String("natural")) natural = j;
        cross = cross || t.Word(j) == QLatin1String("cross");
        outer = outer || t.Word(j) == QLatin1String("left") ||
                t.Word(j) == QLatin1String("right") || t.Word(j) == QLatin1String("full");
        ++j;
    }
    if (t.Word(j) != QLatin1String("join")) return i;
    const qsizetype keywordEnd = j; // the word join
    qsizetype k = j + 1;
    while (k < fromEnd &&
           !(t[k].Depth == 0 &&
             (IsJoinWord(t.Word(k)) || t.Word(k) == QLatin1String("on") ||
              t.Word(k) == QLatin1String("using") || t.IsSymbol(k, QLatin1Char(',')))))
        ++k;
    const qsizetype tableEnd = k; // the table reference is [keywordEnd + 1, tableEnd)
    if (tableEnd <= keywordEnd + 1) return i;
    // Joins in brackets without a name of their own: no one box to name.
    if ((natural >= 0 || t.Word(tableEnd) == QLatin1String("using")) &&
        t.Is(tableEnd - 1, TSqlWord::Close))
        return keywordEnd;
    // The box is named by its alias, else by its whole name ("s.t").
    qsizetype first = tableEnd - 1;
    while (first - 2 > keywordEnd && t.IsSymbol(first - 1, QLatin1Char('.')))
        first -= 2;
    const QString box = t.Text.mid(t[first].Start, t[tableEnd - 1].End - t[first].Start);
    const QString using_ = t.Word(tableEnd);
    if (natural >= 0) {
        edits.append({t[natural].Start, t[natural + 1].Start - t[natural].Start, QString()});
        edits.append({t[tableEnd - 1].End, 0,
                      QStringLiteral(" on ") + QChar(kConditionStart) + QChar(kShared) + box});
    } else if (using_ == QLatin1String("using") && t.Is(tableEnd + 1, TSqlWord::Open)) {
        const qsizetype close = t.Partner(tableEnd + 1);
        if (close < 0) return i;
        QString columns;
        for (qsizetype c = tableEnd + 2; c < close; ++c)
            if (!t.IsSymbol(c, QLatin1Char(','))) columns += QChar(kSharedNext) + t.TextOf(c);
        edits.append(
            {t[tableEnd].Start, t[close].End - t[tableEnd].Start,
             QStringLiteral("on ") + QChar(kConditionStart) + QChar(kShared) + box + columns});
    } else if (using_ != QLatin1String("on") && (cross || !outer)) {
        // CROSS JOIN, or a JOIN without ON: every row with every row. (It
        // binds as a join: USING or NATURAL after it sees the boxes before.)
        edits.append({t[i].Start, t[keywordEnd].End - t[i].Start,
                      QStringLiteral(",") + QChar(kCrossJoined)});
    } else if (cross) {
        // MySQL's CROSS JOIN with ON is an inner join.
        edits.append({t[i].Start, t[keywordEnd].End - t[i].Start, QStringLiteral("join")});
    }
    return keywordEnd;
}

// The tables of the FROM items in tokens [first, end), by the names the
// statement gives them (a sub-query by its name); `joins` tells whether a
// join stands among them.
QStringList TableNamesIn(const TTokens& t, qsizetype first, qsizetype end, bool* joins = nullptr) {
    QStringList names;
    TSubQueries subQueries;
    for (qsizetype k = first; k < end; ++k) {
        const bool table = k == first || (t.Is(k - 1, TSqlWord::Open) && !BeginsQuery(t, k)) ||
                           t.IsWord(k - 1, QLatin1StringView("join"));
        // A sub-query there by its name.
        if (table && !subQueries.Inside() && t.Is(k, TSqlWord::Open) && BeginsQuery(t, k + 1))
            if (const qsizetype close = t.Partner(k); close > 0)
                if (const qsizetype alias = NameAfter(t, close); alias >= 0) names << t.Name(alias);
        subQueries.Step(t, k);
        if (subQueries.Inside()) continue;
        if (joins) *joins = *joins || t.IsWord(k, QLatin1StringView("join"));
        if (!table || (!t.Is(k, TSqlWord::Word) && !t.Is(k, TSqlWord::Name))) continue;
        qsizetype name = k;
        while (t.IsSymbol(name + 1, QLatin1Char('.')))
            name += 2;
        const qsizetype alias = NameAfter(t, name);
        names << t.Name(alias >= 0 ? alias : name);
    }
    return names;
}

// The joins of the first statement's FROM clause, and the mark at the
// start of every ON condition. Where joins stand in brackets, the analysis
// lists the ON of a join in brackets after the ON of the join around it:
// then every ON is marked with its place as written, and `places` gets
// where each join and its two sides stand. (Not where USING or NATURAL
// joins stand, whose conditions are made here.)
void JoinEdits(const TTokens& t, qsizetype from, qsizetype fromEnd, QList<TEdit>& edits,
               QList<TStatementText::TJoinPlace>& places) {
    QList<qsizetype> ons;
    bool shared = false, inBrackets = false;
    TSubQueries subQueries;
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        subQueries.Step(t, i);
        if (subQueries.Inside()) continue;
        shared = shared || t.IsWord(i, QLatin1StringView("using")) ||
                 t.IsWord(i, QLatin1StringView("natural"));
        if (t.IsWord(i, QLatin1StringView("on")) && i + 1 < fromEnd) {
            ons << i;
            inBrackets = inBrackets || t[i].Depth != 0;
        }
    }
    const bool placed = inBrackets && !shared && ons.size() <= kConditionPlaces;
    for (qsizetype k = 0; k < ons.size(); ++k) {
        const qsizetype on = ons[k];
        if (!placed && t[on].Depth != 0) continue;
        QString mark = QString(QChar(kConditionStart));
        if (placed) {
            mark += QChar(char16_t(kConditionPlace + k));
            // Its join: the word JOIN before its table at its depth, the
            // kind before that, and the first side from where the
            // bracket, the FROM clause or the item after a comma begins.
            const int depth = t[on].Depth;
            qsizetype join = on - 1;
            while (join > from &&
                   !(t[join].Depth == depth && t.IsWord(join, QLatin1StringView("join"))))
                --join;
            qsizetype kind = join;
            TStatementText::TJoinPlace place;
            while (kind - 1 > from && t[kind - 1].Depth == depth && IsJoinWord(t.Word(kind - 1))) {
                --kind;
                if (t.IsWord(kind, QLatin1StringView("left"))) place.Kind = 1;
                if (t.IsWord(kind, QLatin1StringView("right"))) place.Kind = 2;
                if (t.IsWord(kind, QLatin1StringView("full"))) place.Kind = 3;
            }
            qsizetype first = kind - 1;
            while (first > from && t[first].Depth >= depth &&
                   !(t[first].Depth == depth && t.IsSymbol(first, QLatin1Char(','))))
                --first;
            place.On = t[on].Start;
            place.LeftFrom = t[first + 1].Start;
            place.LeftTo = t[kind].Start;
            place.RightFrom = t[join].End;
            place.RightTo = t[on].Start;
            place.LeftTables = TableNamesIn(t, first + 1, kind);
            place.RightTables = TableNamesIn(t, join + 1, on);
            places << place;
        }
        edits.append({t[on + 1].Start, 0, mark});
    }
    if (!placed) places.clear();
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i)
        if (t[i].Depth == 0 && IsJoinWord(t.Word(i))) i = JoinEdit(t, i, fromEnd, edits);
}

// A join written in brackets ("a LEFT JOIN (b JOIN c ON …) ON …"), the
// first one; empty when there is none. Whether an outer join takes part
// in the clause goes to `outer`.
QString FirstBracketedJoin(const TTokens& t, qsizetype from, qsizetype fromEnd, bool& outer) {
    outer = false;
    QString bracketed;
    TSubQueries subQueries;
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        subQueries.Step(t, i);
        if (subQueries.Inside()) continue;
        // An outer join in brackets of brackets takes part as well.
        outer = outer || ((t.IsWord(i, QLatin1StringView("left")) ||
                           t.IsWord(i, QLatin1StringView("right")) ||
                           t.IsWord(i, QLatin1StringView("full"))) &&
                          (t.IsWord(i + 1, QLatin1StringView("join")) ||
                           t.IsWord(i + 1, QLatin1StringView("outer"))));
        if (!bracketed.isEmpty() || t[i].Depth != 0 || !t.Is(i, TSqlWord::Open) ||
            BeginsQuery(t, i + 1))
            continue;
        const qsizetype close = t.Partner(i);
        // (A join in brackets inside these, "((a join b on …)) join c", counts too.)
        TSubQueries inner;
        for (qsizetype k = i + 1; k < close; ++k) {
            inner.Step(t, k);
            if (!inner.Inside() && t.IsWord(k, QLatin1StringView("join"))) {
                bracketed = t.Text.mid(t[i].Start, t[close].End - t[i].Start);
                break;
            }
        }
    }
    return bracketed;
}

// The tables of each join written in brackets in the FROM clause (outside
// sub-queries; a bracket inside another is a group of its own too), by the
// names the statement gives them.
QList<QStringList> TablesOfBracketedJoins(const TTokens& t, qsizetype from, qsizetype fromEnd) {
    QList<QStringList> groups;
    TSubQueries outer;
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        outer.Step(t, i);
        if (outer.Inside() || !t.Is(i, TSqlWord::Open) || BeginsQuery(t, i + 1)) continue;
        const qsizetype close = t.Partner(i);
        if (close < 0) break;
        bool joins = false;
        const QStringList names = TableNamesIn(t, i + 1, close, &joins);
        if (joins) groups << names;
    }
    return groups;
}

// A RIGHT or FULL join that follows another join of the FROM clause outside
// brackets, as written up to its table; empty when there is none.
QString RightJoinAfterOthers(const TTokens& t, qsizetype from, qsizetype fromEnd) {
    bool joinBefore = false;
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        if (t[i].Depth != 0) continue;
        if (t.IsSymbol(i, QLatin1Char(','))) joinBefore = true;
        if (!t.IsWord(i, QLatin1StringView("join"))) continue;
        const qsizetype first = JoinStart(t, from + 1, i);
        bool rightOrFull = false;
        for (qsizetype k = first; k < i; ++k)
            rightOrFull = rightOrFull || t.IsWord(k, QLatin1StringView("right")) ||
                          t.IsWord(k, QLatin1StringView("full"));
        if (rightOrFull && joinBefore)
            return t.Text.mid(t[first].Start, t[std::min(i + 1, fromEnd - 1)].End - t[first].Start);
        joinBefore = true;
    }
    return {};
}

// The first ON condition of the FROM clause with both an AND and an OR
// outside brackets, from its ON; empty when there is none. `mysql`: the
// data source reads XOR and || as well.
QString FirstOnWithOr(const TTokens& t, qsizetype from, qsizetype fromEnd, bool mysql) {
    // Also the ON of a join in brackets (outside sub-queries), up to the
    // bracket that closes around it.
    TSubQueries subQueries;
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        subQueries.Step(t, i);
        if (subQueries.Inside() || !t.IsWord(i, QLatin1StringView("on"))) continue;
        const int depth = t[i].Depth;
        qsizetype end = i + 1;
        bool orFound = false, andFound = false;
        for (; end < fromEnd && t[end].Depth >= depth; ++end) {
            if (t[end].Depth != depth) continue;
            // (A bracket at this depth closes a group inside the ON; the
            // one around a join in brackets stands further out.)
            if (IsJoinWord(t.Word(end)) || t.IsSymbol(end, QLatin1Char(','))) break;
            // (MySQL's XOR and || bind more loosely than AND as well.)
            orFound = orFound || t.IsWord(end, QLatin1StringView("or")) ||
                      (mysql && (t.IsWord(end, QLatin1StringView("xor")) ||
                                 (t.Is(end, TSqlWord::Symbol) &&
                                  QStringView(t.Text).sliced(t[end].Start).startsWith(u"||"))));
            andFound = andFound || t.IsWord(end, QLatin1StringView("and"));
        }
        if (orFound && andFound) return t.Text.mid(t[i].Start, t[end - 1].End - t[i].Start);
    }
    return {};
}

// A join whose ON comes after another join's ("a LEFT JOIN b JOIN c ON x
// ON y", which PostgreSQL and MySQL read as "a LEFT JOIN (b JOIN c ON x) ON
// y"), as written up to that ON; empty when there is none. The scanners
// would read it as two joins in a row.
QString NestedJoinWithoutBrackets(const TTokens& t, qsizetype from, qsizetype fromEnd) {
    struct TOpen {
        qsizetype First; // the first word of the join
        bool Extended;   // another join came before its ON
    };
    std::vector<TOpen> open; // joins that wait for their ON or USING
    for (qsizetype i = from + 1; from >= 0 && i < fromEnd; ++i) {
        if (t[i].Depth != 0) continue;
        if (t.IsSymbol(i, QLatin1Char(','))) open.clear(); // (a comma ends the joins)
        if (t.IsWord(i, QLatin1StringView("join"))) {
            const qsizetype first = JoinStart(t, from + 1, i);
            bool qualified = true; // CROSS and NATURAL joins take no condition
            for (qsizetype k = first; k < i; ++k)
                qualified = qualified && !t.IsWord(k, QLatin1StringView("cross")) &&
                            !t.IsWord(k, QLatin1StringView("natural"));
            if (!open.empty()) open.back().Extended = true;
            if (qualified) open.push_back({first, false});
            continue;
        }
        if ((t.IsWord(i, QLatin1StringView("on")) || t.IsWord(i, QLatin1StringView("using"))) &&
            !open.empty()) {
            const TOpen join = open.back();
            open.pop_back();
            if (join.Extended)
                return t.Text.mid(t[join.First].Start, t[i].End - t[join.First].Start);
        }
    }
    return {};
}

// AND and OR inside CASE … END (outside brackets) belong to its WHEN: glued
// to the words around them, so that no clause is cut there.
void CaseConnectorEdits(const TTokens& t, qsizetype firstEnd, QList<TEdit>& edits) {
    QList<int> cases; // the bracket depth of each CASE still open
    for (qsizetype i = 0; i < firstEnd; ++i) {
        if (t[i].Kind != TSqlWord::Word || t.IsSymbol(i - 1, QLatin1Char('.'))) continue;
        if (t.IsWord(i, QLatin1StringView("case"))) {
            cases << t[i].Depth;
        } else if (t.IsWord(i, QLatin1StringView("end"))) {
            if (!cases.isEmpty() && cases.last() == t[i].Depth) cases.removeLast();
        } else if (!cases.isEmpty() && cases.last() == t[i].Depth && i > 0 &&
                   (t.IsWord(i, QLatin1StringView("and")) ||
                    t.IsWord(i, QLatin1StringView("or")))) {
            edits.append({t[i - 1].End, t[i].Start - t[i - 1].End, QString(QChar(kGlue))});
            if (i + 1 < t.Size())
                edits.append({t[i].End, t[i + 1].Start - t[i].End, QString(QChar(kGlue))});
        }
    }
}

// Whether token i stands in the ON condition of a join (also inside
// brackets there): the last clause word before it, further out, is ON.
bool InOnCondition(const TTokens& t, qsizetype i) {
    int depth = t[i].Depth;
    for (qsizetype j = i - 1; j >= 0; --j) {
        if (t[j].Depth > depth) continue;
        depth = t[j].Depth;
        if (t[j].Kind != TSqlWord::Word || t.IsSymbol(j - 1, QLatin1Char('.'))) continue;
        if (t.IsWord(j, QLatin1StringView("on"))) return true;
        if (ClauseWord(t, j) != TClause::None || t.IsWord(j, QLatin1StringView("using")) ||
            t.IsWord(j, QLatin1StringView("case")) || t.IsWord(j, QLatin1StringView("when")))
            return false;
    }
    return false;
}

// "x between (select …) and (select …)": the AND of a BETWEEN with a
// sub-select as a bound is glued to its bounds. The analysis would take it
// for a connector and then read the sub-select, bare, as conditions. So is
// the AND of every BETWEEN in an ON condition, which the analysis cuts into
// terms whose brackets it takes off (a bound's among them).
void BetweenConnectorEdits(const TTokens& t, qsizetype firstEnd, QList<TEdit>& edits) {
    const auto subSelect = [&](qsizetype i) {
        return t.Is(i, TSqlWord::Open) && BeginsQuery(t, i + 1);
    };
    for (qsizetype i = 0; i < firstEnd; ++i) {
        if (!t.IsWord(i, QLatin1StringView("between")) || t.IsSymbol(i - 1, QLatin1Char('.')))
            continue;
        // Its AND: the first at its depth, past any CASE opened after it.
        int cases = 0;
        qsizetype a = i + 1;
        for (; a < firstEnd && t[a].Depth >= t[i].Depth; ++a) {
            if (t[a].Depth != t[i].Depth) continue;
            if (t.IsWord(a, QLatin1StringView("case"))) ++cases;
            if (t.IsWord(a, QLatin1StringView("end")) && cases > 0) --cases;
            if (cases == 0 && t.IsWord(a, QLatin1StringView("and"))) break;
        }
        if (a >= firstEnd || !t.IsWord(a, QLatin1StringView("and")) ||
            !(subSelect(i + 1) || subSelect(a + 1) || InOnCondition(t, i)))
            continue;
        // (Inside a CASE it may be glued already.)
        if (std::any_of(edits.cbegin(), edits.cend(),
                        [&](const TEdit& e) { return e.At == t[a - 1].End; }))
            continue;
        edits.append({t[a - 1].End, t[a].Start - t[a - 1].End, QString(QChar(kBetweenAnd))});
        edits.append({t[a].End, t[a + 1].Start - t[a].End, QString(QChar(kGlue))});
    }
}

// NOT before a condition: glued to what it negates, or, before a group,
// carried into the group's first condition.
void NegationEdits(const TTokens& t, qsizetype firstEnd, QList<TEdit>& edits) {
    TSubQueries subQueries;
    for (qsizetype i = 0; i < firstEnd; ++i) {
        subQueries.Step(t, i);
        if (subQueries.Inside() || !t.IsWord(i, QLatin1StringView("not")) || i + 1 >= t.Size())
            continue;
        const QString before = t.Word(i - 1);
        const bool start = i == 0 || t.Is(i - 1, TSqlWord::Open) ||
                           before == QLatin1String("where") || before == QLatin1String("having") ||
                           before == QLatin1String("on") || before == QLatin1String("and") ||
                           before == QLatin1String("or") || before == QLatin1String("when") ||
                           before == QLatin1String("not");
        if (!start) continue;
        if (t.Is(i + 1, TSqlWord::Open) && t.Word(i + 2) != QLatin1String("select") &&
            t.Word(i + 2) != QLatin1String("with")) {
            qsizetype first = i + 2;
            int further = 0;
            while (t.Is(first, TSqlWord::Open) && t.Word(first + 1) != QLatin1String("select")) {
                ++first;
                ++further;
            }
            if (first >= t.Size() || further > 15) continue;
            edits.append({t[i].Start, t[i + 1].Start - t[i].Start, QString()});
            edits.append({t[first].Start, 0, QString(QChar(char16_t(kNegated + further)))});
            continue;
        }
        edits.append({t[i].End, t[i + 1].Start - t[i].End, QString(QChar(kGlue))});
    }
}

} // namespace

QString TStatementText::ForScanners(const QString& text, QList<TSqlWord> words) {
    QList<TEdit> edits;
    TTokens t(text, std::move(words));
    TSetOperatorReading parts = ReadSetOperators(text, t, edits);
    FFirst = std::move(parts.First);
    FSetOperators = std::move(parts.Operators);
    // The FROM clause of the first statement as token indexes [from, fromEnd).
    const auto [from, fromEnd] = FromClause(t, parts.FirstEnd);
    // "x is distinct from y" in the select list: its FROM is none of the
    // statement's to the scanners.
    for (qsizetype i = 0; i < (from < 0 ? parts.FirstEnd : from); ++i)
        if (const TSqlWord& w = t[i]; w.Depth == 0 && w.End - w.Start == 4 &&
                                      t.IsWord(i, QLatin1StringView("from")) &&
                                      IsDistinctFrom(t, i))
            edits.append({t[i - 1].End, w.Start - t[i - 1].End, QString(QChar(kGlue))});
    bool outer = false;
    const QString bracketed = FirstBracketedJoin(t, from, fromEnd, outer);
    FBracketedJoin = !bracketed.isEmpty();
    FBracketedOuterJoin = outer ? bracketed : QString();
    if (outer) FBracketGroups = TablesOfBracketedJoins(t, from, fromEnd);
    const TSqlReading reading = FDialect.Readings().front();
    if (const QString join = FirstOnWithOr(t, from, fromEnd, IsMySqlReading(reading));
        !join.isEmpty())
        FNotCarried << join;
    if (const QString join = NestedJoinWithoutBrackets(t, from, fromEnd); !join.isEmpty())
        FNotCarried << join;
    FRightJoinAfterOthers = quillary::RightJoinAfterOthers(t, from, fromEnd);
    JoinEdits(t, from, fromEnd, edits, FJoinPlaces);
    NegationEdits(t, parts.FirstEnd, edits);
    CaseConnectorEdits(t, parts.FirstEnd, edits);
    BetweenConnectorEdits(t, parts.FirstEnd, edits);
    // PostgreSQL's "array[[1,2],[3,4]]": a comma inside square brackets
    // separates no items of a list the scanners cut.
    if (FMasks && (reading == TSqlReading::Postgres || reading == TSqlReading::PostgresOld)) {
        int squares = 0;
        for (qsizetype i = 0; i < parts.FirstEnd; ++i) {
            if (t.IsSymbol(i, QLatin1Char('[')))
                ++squares;
            else if (t.IsSymbol(i, QLatin1Char(']')) && squares > 0)
                --squares;
            else if (squares > 0 && t.IsSymbol(i, QLatin1Char(',')))
                edits.append({t[i].Start, 1, QString(QChar(kArrayComma))});
        }
    }
    // Quoted names: their characters stand in for themselves. So do the
    // line breaks of a string, which the scanners would take for the
    // statement's own, and the apostrophes and blanks of a string in double
    // quotes (MySQL), which they would take for the start of one, or join
    // inside brackets (where a double quote is no quote to them).
    if (FMasks)
        for (qsizetype i = 0; i < t.Size(); ++i) {
            if (t.Is(i, TSqlWord::Name)) {
                edits.append({t[i].Start, t[i].End - t[i].Start, Masked(t.TextOf(i))});
                continue;
            }
            if (!t.Is(i, TSqlWord::String)) continue;
            const QStringView written = QStringView(text).mid(t[i].Start, t[i].End - t[i].Start);
            const bool doubleQuoted = written.startsWith(QLatin1Char('"'));
            const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\b'; };
            if (!written.contains(QLatin1Char('\r')) && !written.contains(QLatin1Char('\n')) &&
                !(doubleQuoted && (written.contains(QLatin1Char('\'')) ||
                                   std::any_of(written.begin(), written.end(), blank))))
                continue;
            QString masked = written.toString();
            for (QChar& c : masked)
                if (c == QLatin1Char('\r'))
                    c = QChar(kStringCr);
                else if (c == QLatin1Char('\n'))
                    c = QChar(kStringLf);
                else if (doubleQuoted && c == QLatin1Char('\''))
                    c = QChar(kStringQuote);
                else if (doubleQuoted && blank(c))
                    c = QChar(c == u' ' ? kGlue : c == u'\t' ? kStringTab : kStringBackspace);
            edits.append({t[i].Start, t[i].End - t[i].Start, masked});
        }
    return Apply(text, edits);
}

QString TStatementText::Restore(const QString& piece) const {
    if (!FMasks) return piece;
    if (std::none_of(piece.begin(), piece.end(), IsPrivate)) return piece;
    QString out;
    out.reserve(piece.size() + 8);
    int wrapped = 0; // groups of a NOT written around the whole piece
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const char16_t c = piece[i].unicode();
        if (c >= kNameBase && c < kNameDoubled) {
            out += QChar(char16_t(c - kNameBase));
        } else if (c >= kNameDoubled && c < kNameDoubled + 0x80) {
            out += QChar(char16_t(c - kNameDoubled));
            out += QChar(char16_t(c - kNameDoubled));
        } else if (c == kGlue) {
            out += QLatin1Char(' ');
        } else if (c >= kNegated && c < kNegated + 16) {
            // The NOT goes back before its group's bracket.
            int brackets = c - kNegated + 1;
            qsizetype at = out.size();
            bool blocked = false;
            while (at > 0 && brackets > 0 && !blocked) {
                --at;
                if (out[at] == QLatin1Char('('))
                    --brackets;
                else
                    blocked = !out[at].isSpace();
            }
            if (brackets == 0) {
                out.insert(at, QStringLiteral("not "));
            } else if (!blocked) {
                // The group's bracket went with the piece's own, which the
                // scanners took off: the group is the whole piece.
                out.insert(0, QStringLiteral("not ("));
                ++wrapped;
            } else {
                out.insert(out.size(), QStringLiteral("not "));
            }
        } else if (c == kBetweenAnd) {
            out += QLatin1Char(' ');
        } else if (c == kArrayComma) {
            out += QLatin1Char(',');
        } else if (c == kStringTab || c == kStringBackspace) {
            out += QChar(c == kStringTab ? u'\t' : u'\b');
        } else if (c == kStringCr || c == kStringLf || c == kStringQuote) {
            out += QChar(c == kStringCr ? u'\r' : c == kStringLf ? u'\n' : u'\'');
        } else if (c == kShared || c == kSharedNext || c == kConditionStart) {
            out += c == kSharedNext ? QStringLiteral(",") : QString();
            if (c == kConditionStart && i + 1 < piece.size() && IsConditionPlace(piece[i + 1]))
                ++i; // (its place goes with it)
        } else {
            out += piece[i];
        }
    }
    out += QString(wrapped, QLatin1Char(')'));
    return out;
}

void TStatementText::Restore(QStringList& pieces) const {
    if (!FMasks) return;
    // A list shared with others is copied only when a piece changes.
    for (qsizetype i = 0; i < pieces.size(); ++i)
        if (std::any_of(pieces.at(i).begin(), pieces.at(i).end(), IsPrivate))
            pieces[i] = Restore(pieces.at(i));
}

bool TStatementText::TakeConditionStart(QString& term) {
    const qsizetype at = term.indexOf(QChar(kConditionStart));
    if (at < 0) return false;
    term.remove(at, at + 1 < term.size() && IsConditionPlace(term[at + 1]) ? 2 : 1);
    return true;
}

qsizetype TStatementText::ConditionPlace(const QString& term) {
    const qsizetype at = term.indexOf(QChar(kConditionStart));
    if (at < 0 || at + 1 >= term.size() || !IsConditionPlace(term[at + 1])) return -1;
    return term[at + 1].unicode() - kConditionPlace;
}

bool TStatementText::HoldsGluedBetween(const QString& text) {
    return text.contains(QChar(kBetweenAnd));
}

bool TStatementText::TakeCrossJoined(QString& item) {
    const qsizetype at = item.indexOf(QChar(kCrossJoined));
    if (at < 0) return false;
    item.remove(at, 1);
    return true;
}

int TStatementText::TakeNegatedGroup(QString& operand) {
    // Brackets still before the mark are the operand's: those the NOT
    // stands in front of are written after it, and when the NOT itself
    // stands inside the operand ("(not (a) or b) = 0"), it goes back there.
    QVarLengthArray<qsizetype, 4> inside;
    for (qsizetype i = 0; i < operand.size(); ++i) {
        const char16_t c = operand[i].unicode();
        if (c >= kNegated && c < kNegated + 16) {
            operand.remove(i, 1);
            const qsizetype further = c - kNegated;
            if (further >= inside.size()) return int(further - inside.size());
            operand.insert(inside[inside.size() - 1 - further], QStringLiteral("not "));
            return -1;
        }
        if (operand[i] == QLatin1Char('('))
            inside << i;
        else if (!operand[i].isSpace())
            break;
    }
    return -1;
}

bool TStatementText::TakeSharedColumns(const QString& term, TSharedColumns& shared) const {
    const qsizetype at = term.indexOf(QChar(kShared));
    if (at < 0) return false;
    const QStringList parts = term.mid(at + 1).split(QChar(kSharedNext));
    shared.Box = Restore(parts.first()).trimmed();
    shared.Columns.clear();
    for (qsizetype i = 1; i < parts.size(); ++i)
        shared.Columns << Restore(parts[i]).trimmed();
    return true;
}

} // namespace quillary
