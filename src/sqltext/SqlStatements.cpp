#include "sqltext/SqlStatements.h"
#include "sqltext/ScanCore.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace quillary {

namespace {

struct TRules {
    bool Brackets = true;        // [name]
    bool Backquotes = true;      // `name`
    bool DoubleStrings = false;  // "..." is a string with \ escapes (MySQL)
    bool Backslashes = false;    // \ escapes in every '...' string
    bool EStrings = false;       // E'...' with \ escapes (PostgreSQL)
    bool DollarQuotes = false;   // $tag$...$tag$ (PostgreSQL)
    bool QStrings = false;       // q'[...]' (Oracle)
    bool HashComments = false;   // # to the end of the line (MySQL)
    bool DashNeedsBlank = false; // "--" starts a comment only before a blank (MySQL)
    bool NestedComments = false; // /* /* */ */ (PostgreSQL, SQL Server)
    bool CodeComments = false;   // /*! ... */ holds code (MySQL)
    bool operator==(const TRules&) const = default;
};

TRules RulesOf(TSqlReading reading) {
    TRules r;
    switch (reading) {
    case TSqlReading::Standard:
        break;
    case TSqlReading::TransactSql:
        r.Backquotes = false;
        r.NestedComments = true;
        break;
    case TSqlReading::PostgresOld:
        r.Backslashes = true;
        [[fallthrough]];
    case TSqlReading::Postgres:
        r.Brackets = false;
        r.Backquotes = false;
        r.EStrings = true;
        r.DollarQuotes = true;
        r.NestedComments = true;
        break;
    case TSqlReading::MySql:
        r.Backslashes = true;
        [[fallthrough]];
    case TSqlReading::MySqlAnsi:
        r.Brackets = false;
        r.DoubleStrings = true;
        r.HashComments = true;
        r.DashNeedsBlank = true;
        r.CodeComments = true;
        break;
    case TSqlReading::Oracle:
        r.Brackets = false;
        r.Backquotes = false;
        r.QStrings = true;
        break;
    }
    return r;
}

// The characters that some rule reads differently, as far as a text holds them.
struct TSigns {
    bool Bracket = false, Backquote = false, DoubleQuote = false, Backslash = false;
    bool Dollar = false, Hash = false, Dashes = false, Comment = false;
    bool Prefixed = false; // E'...', q'...': a quote right after a letter (or any
                           // character beyond ASCII, which might fold to one)
};

TSigns SignsOf(QStringView text) {
    TSigns g;
    char16_t before = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'[': g.Bracket = true; break;
        case u'`': g.Backquote = true; break;
        case u'"': g.DoubleQuote = true; break;
        case u'\\': g.Backslash = true; break;
        case u'$': g.Dollar = true; break;
        case u'#': g.Hash = true; break;
        case u'-': g.Dashes = g.Dashes || before == u'-'; break;
        case u'*': g.Comment = g.Comment || before == u'/'; break;
        case u'\'':
            g.Prefixed = g.Prefixed || before >= 0x80 || (before >= u'a' && before <= u'z') ||
                         (before >= u'A' && before <= u'Z');
            break;
        default: break;
        }
        before = u;
    }
    return g;
}

// The rules as they bear on a text: a rule whose sign the text does not
// hold reads it as if it were off, so readings that differ only in such
// rules read it alike.
TRules RulesOn(TRules r, const TSigns& g) {
    r.Brackets = r.Brackets && g.Bracket;
    r.Backquotes = r.Backquotes && g.Backquote;
    r.DoubleStrings = r.DoubleStrings && g.DoubleQuote;
    r.Backslashes = r.Backslashes && g.Backslash;
    r.DollarQuotes = r.DollarQuotes && g.Dollar;
    r.HashComments = r.HashComments && g.Hash;
    r.DashNeedsBlank = r.DashNeedsBlank && g.Dashes;
    r.NestedComments = r.NestedComments && g.Comment;
    r.CodeComments = r.CodeComments && g.Comment;
    r.EStrings = r.EStrings && g.Prefixed;
    r.QStrings = r.QStrings && g.Prefixed;
    return r;
}

// What an ASCII character is to the scanner under one set of rules.
enum TCharClass : quint8 {
    kOther = 0,
    kBlank = 1,     // passed over
    kWordStart = 2, // begins and continues a word, nothing else to check
    kWordPart = 4,  // continues a word ("$" may begin a dollar quote first)
};

struct TCharClasses {
    explicit TCharClasses(const TRules& rules) {
        for (char16_t u = 0; u < 128; ++u) {
            quint8 c = u <= 0x20 ? kBlank : kOther;
            const bool word = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                              (u >= u'0' && u <= u'9') || u == u'_' || u == u'@' ||
                              (u == u'#' && !rules.HashComments);
            if (word) c |= kWordStart | kWordPart;
            if (u == u'$') c |= kWordPart;
            Of[u] = c;
        }
    }
    quint8 Of[128];
};

bool IsBlank(QChar c) {
    return c.unicode() <= 0x20 || (c.unicode() >= 0x80 && c.isSpace());
}

inline bool IsWordChar(QChar c, const TCharClasses& classes) {
    const char16_t u = c.unicode();
    if (u >= 0x80) return c.isLetterOrNumber() || c.isSurrogate();
    return classes.Of[u] & kWordPart;
}

bool Is(QStringView word, const char* keyword) {
    return word.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
}

using scan::IsKeyword;

// Token sinks of the scanner: none, a list, or a caller's function.
struct TNoWords {
    static constexpr bool kWanted = false;
    void operator()(const TSqlWord&) {}
};
struct TWordList {
    static constexpr bool kWanted = true;
    // Written in place, the list grown by hand: cheaper than appending.
    struct TFill {
        QList<TSqlWord>& Words;
        qsizetype Count = 0;
    };
    TFill& Fill;
    void operator()(const TSqlWord& w) {
        if (Fill.Count == Fill.Words.size()) Fill.Words.resize(Fill.Count * 2 + 64);
        Fill.Words.data()[Fill.Count++] = w;
    }
};
struct TWordBatches {
    static constexpr bool kWanted = true;
    struct TBuffer {
        const std::function<void(std::span<const TSqlWord>)>& Visit;
        std::array<TSqlWord, 256> Words{};
        std::size_t Count = 0;
        void Flush() {
            if (Count > 0) Visit(std::span<const TSqlWord>(Words.data(), Count));
            Count = 0;
        }
    };
    TBuffer& Buffer;
    void operator()(const TSqlWord& w) {
        Buffer.Words[Buffer.Count++] = w;
        if (Buffer.Count == Buffer.Words.size()) Buffer.Flush();
    }
};

// Reads a text under one set of rules, statement after statement; the
// tokens go to the sink.
template <typename Sink> class TScanner {
public:
    TScanner(QStringView text, const TRules& rules, Sink sink)
        : s(text), n(text.size()), r(rules), FClasses(rules), FSink(sink) {}

    // Reads the whole text.
    QList<TSqlStatement> Run() {
        qsizetype i = 0;
        while (i < n) {
            const QChar c = s[i];
            const char16_t u = c.unicode();
            // Blanks and plain words, most of any text, first.
            if (u < 0x80) {
                const quint8 cls = FClasses.Of[u];
                if (cls & kBlank) {
                    ++i;
                    continue;
                }
                if (cls & kWordStart) {
                    i = ReadWord(i);
                    continue;
                }
            } else if (IsBlank(c)) {
                ++i;
                continue;
            }
            const QChar next = i + 1 < n ? s[i + 1] : QChar();
            const qsizetype start = i;
            if (c == QLatin1Char('\'')) {
                i = SkipString(i, r.Backslashes);
                Token(TKind::Other, i, TSqlWord::String, start);
            } else if (c == QLatin1Char('"')) {
                i = r.DoubleStrings ? SkipString(i, r.Backslashes) : SkipQuoted(i, c);
                Token(TKind::Other, i, r.DoubleStrings ? TSqlWord::String : TSqlWord::Name, start);
            } else if ((c == QLatin1Char('[') && r.Brackets) ||
                       (c == QLatin1Char('`') && r.Backquotes)) {
                i = SkipQuoted(i, c == QLatin1Char('[') ? QLatin1Char(']') : c);
                Token(TKind::Other, i, TSqlWord::Name, start);
            } else if (c == QLatin1Char('-') && next == QLatin1Char('-') &&
                       (!r.DashNeedsBlank || i + 2 >= n || IsBlank(s[i + 2]))) {
                i = LineEnd(i);
            } else if (c == QLatin1Char('#') && r.HashComments) {
                i = LineEnd(i);
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                // "/*!" and MariaDB's "/*M!", with the version they ask for,
                // hold code: it is read as code, and its "*/" is no token.
                const qsizetype bang =
                    i + 2 < n && s[i + 2] == QLatin1Char('M') ? i + 3 : i + 2;
                if (r.CodeComments && bang < n && s[bang] == QLatin1Char('!')) {
                    Begin(i); // the statement holds its markers
                    i = bang + 1;
                    for (int digits = 0; digits < 6 && i < n && unsigned(s[i].unicode() - u'0') < 10u; ++digits)
                        ++i;
                    FInCode = true;
                    continue;
                }
                i = SkipComment(i);
            } else if (FInCode && c == QLatin1Char('*') && next == QLatin1Char('/')) {
                FInCode = false;
                Begin(i);
                i += 2;
                FEnd = i;
            } else if (c == QLatin1Char('$') && r.DollarQuotes && DollarTagAt(i) > 0) {
                i = SkipDollar(i);
                Token(TKind::Other, i, TSqlWord::String, start);
            } else if (c == QLatin1Char(';')) {
                EndStatement(i);
                Emit(TSqlWord::Separator, i, i + 1);
                ++i;
            } else if (c == QLatin1Char('(')) {
                Begin(i);
                Token(TKind::Open, i + 1, TSqlWord::Open, start);
                ++FDepth;
                ++i;
            } else if (c == QLatin1Char(')')) {
                Begin(i);
                if (FDepth > 0) --FDepth;
                Token(TKind::Close, i + 1, TSqlWord::Close, start);
                ++i;
            } else if (IsWordChar(c, FClasses)) {
                i = ReadWord(i);
            } else {
                Begin(i);
                Token(TKind::Other, i + 1, TSqlWord::Symbol, start);
                ++i;
            }
        }
        EndStatement(n);
        return FStatements;
    }

private:
    enum class TKind { Word, Open, Close, Other };

    // A word from i, or a prefixed string (E'...', q'...'); the position after it.
    qsizetype ReadWord(qsizetype i) {
        qsizetype end = i + 1;
        while (end < n && IsWordChar(s[end], FClasses))
            ++end;
        const QStringView word = s.mid(i, end - i);
        Begin(i);
        if (end < n && s[end] == QLatin1Char('\'') &&
            ((r.EStrings && Is(word, "e")) || (r.QStrings && (Is(word, "q") || Is(word, "nq"))))) {
            const qsizetype stringEnd = Is(word, "e") ? SkipString(end, true) : SkipQString(end);
            Token(TKind::Other, stringEnd, TSqlWord::String, i);
            return stringEnd;
        }
        Word(word);
        Token(TKind::Word, end, TSqlWord::Word, i);
        return end;
    }

    qsizetype LineEnd(qsizetype i) const {
        while (i < n && s[i] != QLatin1Char('\n') && s[i] != QLatin1Char('\r'))
            ++i;
        return i;
    }

    // From the opening quote; the position after the string (the end of the
    // text when it does not close).
    qsizetype SkipString(qsizetype i, bool backslashes) {
        Begin(i);
        const char16_t quote = s[i].unicode();
        const QChar* data = s.data();
        for (++i; i < n; ++i) {
            const char16_t u = data[i].unicode();
            if (backslashes && u == u'\\') {
                ++i;
                continue;
            }
            if (u != quote) continue;
            if (i + 1 < n && data[i + 1].unicode() == quote) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return n;
    }

    qsizetype SkipQuoted(qsizetype i, QChar close) {
        Begin(i);
        for (++i; i < n; ++i) {
            if (s[i] != close) continue;
            if (i + 1 < n && s[i + 1] == close) {
                ++i;
                continue;
            }
            return i + 1;
        }
        return n;
    }

    // q'x...x'; x one of ([{< closes with its partner.
    qsizetype SkipQString(qsizetype quote) {
        if (quote + 1 >= n) return n;
        QChar close = s[quote + 1];
        if (close == QLatin1Char('(')) close = QLatin1Char(')');
        if (close == QLatin1Char('[')) close = QLatin1Char(']');
        if (close == QLatin1Char('{')) close = QLatin1Char('}');
        if (close == QLatin1Char('<')) close = QLatin1Char('>');
        for (qsizetype i = quote + 2; i + 1 < n; ++i)
            if (s[i] == close && s[i + 1] == QLatin1Char('\'')) return i + 2;
        return n;
    }

    qsizetype SkipComment(qsizetype i) {
        int depth = 0;
        while (i < n) {
            if (s[i] == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*') &&
                (depth == 0 || r.NestedComments)) {
                ++depth;
                i += 2;
            } else if (s[i] == QLatin1Char('*') && i + 1 < n && s[i + 1] == QLatin1Char('/')) {
                i += 2;
                if (--depth == 0) return i;
            } else {
                ++i;
            }
        }
        return n;
    }

    // The length of the $tag$ at i, 0 when none is there ($1 is a parameter,
    // a$b a name).
    qsizetype DollarTagAt(qsizetype i) const {
        if (i > 0 && IsWordChar(s[i - 1], FClasses)) return 0;
        qsizetype j = i + 1;
        while (j < n && s[j] != QLatin1Char('$')) {
            const QChar c = s[j];
            const bool letter = c.isLetter() || c == QLatin1Char('_');
            const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
            if (!letter && !(digit && j > i + 1)) return 0;
            ++j;
        }
        return j < n ? j - i + 1 : 0;
    }

    qsizetype SkipDollar(qsizetype i) {
        Begin(i);
        const qsizetype length = DollarTagAt(i);
        const QStringView tag = s.mid(i, length);
        const qsizetype end = s.indexOf(tag, i + length);
        return end < 0 ? n : end + length;
    }

    void Begin(qsizetype at) {
        if (!FOpen) {
            FOpen = true;
            FCurrent = TSqlStatement();
            FCurrent.Start = at;
            FDepth = 0;
            FKindDepth = -1;
            FWith = false;
            FLast = FBeforeLast = TKind::Other;
        }
    }

    void Token(TKind kind, qsizetype end, TSqlWord::TKind wordKind, qsizetype start) {
        FBeforeLast = FLast;
        FLast = kind;
        FEnd = end;
        Emit(wordKind, start, end);
    }

    void Emit(TSqlWord::TKind kind, qsizetype start, qsizetype end) {
        if constexpr (Sink::kWanted) FSink(TSqlWord{start, end, FDepth, kind});
    }

    void Word(QStringView word) {
        const auto writer = [&word] {
            return IsKeyword(word, QLatin1StringView("insert")) || IsKeyword(word, QLatin1StringView("update")) ||
                   IsKeyword(word, QLatin1StringView("delete")) || IsKeyword(word, QLatin1StringView("merge"));
        };
        if (FKindDepth < 0) {
            // The first word, after any opening brackets.
            FCurrent.Kind = word.toString().toLower();
            FKindDepth = FDepth;
            FWith = FCurrent.Kind == QLatin1String("with");
            return;
        }
        // Most words are none of the few that matter: a quick look first.
        if (word.size() < 4 || word.size() > 6) return;
        // The statement after the WITH list may stand in brackets: "with x
        // as (…) (select …)", its bracket right after the last body's.
        const bool bracketedAfterWith =
            FDepth == FKindDepth + 1 && FLast == TKind::Open && FBeforeLast == TKind::Close;
        if (FWith && (FDepth == FKindDepth || bracketedAfterWith) &&
            (IsKeyword(word, QLatin1StringView("select")) ||
             IsKeyword(word, QLatin1StringView("values")) || writer())) {
            FCurrent.Kind = word.toString().toLower();
            FWith = false;
            return;
        }
        if (FDepth == FKindDepth && IsKeyword(word, QLatin1StringView("where")))
            FCurrent.HasWhere = true;
        if (FCurrent.Writes.isEmpty() &&
            (IsKeyword(word, QLatin1StringView("into")) || (FLast == TKind::Open && writer())))
            FCurrent.Writes = word.toString().toLower();
    }

    void EndStatement(qsizetype at) {
        if (!FOpen) return;
        FOpen = false;
        FCurrent.End = std::min(at, std::max(FEnd, FCurrent.Start));
        FStatements.append(FCurrent);
    }

    QStringView s;
    qsizetype n;
    const TRules& r;
    QList<TSqlStatement> FStatements;
    TSqlStatement FCurrent;
    bool FOpen = false;
    int FDepth = 0;
    bool FInCode = false; // inside MySQL's /*! … */
    int FKindDepth = -1;
    bool FWith = false;
    TKind FLast = TKind::Other;
    TKind FBeforeLast = TKind::Other; // the kind of the token before the last
    qsizetype FEnd = 0;
    const TCharClasses FClasses;
    Sink FSink;
};

const char kNothingRun[] = "为了不改动数据，这里只运行一条只读的SELECT查询，什么也没有执行。";

} // namespace

QList<TSqlStatement> SplitStatements(QStringView text, TSqlReading reading) {
    const TRules rules = RulesOf(reading);
    return TScanner(text, rules, TNoWords{}).Run();
}

void ForEachSqlWord(QStringView text, TSqlReading reading,
                    const std::function<void(std::span<const TSqlWord>)>& visit) {
    const TRules rules = RulesOf(reading);
    TWordBatches::TBuffer buffer{visit};
    TScanner(text, rules, TWordBatches{buffer}).Run();
    buffer.Flush();
}

QList<TSqlWord> SqlWords(QStringView text, TSqlReading reading,
                         QList<TSqlStatement>* statements) {
    QList<TSqlWord> words(text.size() / 4);
    const TRules rules = RulesOf(reading);
    TWordList::TFill fill{words};
    QList<TSqlStatement> read = TScanner(text, rules, TWordList{fill}).Run();
    words.resize(fill.Count);
    if (statements) *statements = std::move(read);
    if (words.capacity() > words.size() + words.size() / 4) words.squeeze();
    return words;
}

QList<qsizetype> PositionalParameters(QStringView text, TSqlReading reading) {
    QList<qsizetype> at;
    if (reading == TSqlReading::Postgres || reading == TSqlReading::PostgresOld ||
        !text.contains(u'?'))
        return at;
    for (const TSqlWord& w : SqlWords(text, reading))
        if (w.Kind == TSqlWord::Symbol && w.End - w.Start == 1 && text[w.Start] == u'?' &&
            !(w.End < text.size() && text[w.End].isDigit()))
            at << w.Start;
    return at;
}

bool MayDifferEachTime(const QString& query) {
    static const QRegularExpression volatileCall(
        QStringLiteral("\\b(?:random|rand|newid|uuid\\w*|gen_random_uuid|nextval|setseed|"
                       "clock_timestamp|timeofday|sys_guid|dbms_random\\.\\w+)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    return volatileCall.match(query).hasMatch();
}

bool BackslashEscapes(QStringView stringToken, TSqlReading reading) {
    const TRules r = RulesOf(reading);
    return r.Backslashes || (r.EStrings && !stringToken.isEmpty() &&
                             (stringToken[0] == u'E' || stringToken[0] == u'e'));
}

qsizetype LongestLine(QStringView text, qsizetype enough) {
    qsizetype longest = 0;
    for (qsizetype at = 0; at <= text.size() && longest <= enough;) {
        qsizetype end = text.indexOf(u'\n', at);
        if (end < 0) end = text.size();
        longest = std::max(longest, end - at);
        at = end + 1;
    }
    return longest;
}

QString WithLongLinesBroken(const QString& text, qsizetype longest, qsizetype width) {
    if (LongestLine(text, longest) <= longest) return text;
    const auto lineEnd = [&](qsizetype at) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), at);
        return end < 0 ? text.size() : end;
    };

    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    // How many readings read each blank as one between two tokens.
    std::vector<quint8> readings(std::size_t(text.size()), 0);
    for (const TSqlReading reading : kSqlReadings) {
        qsizetype previousEnd = -1;
        bool previousString = false;
        ForEachSqlWord(text, reading, [&](std::span<const TSqlWord> words) {
            for (const TSqlWord& w : words) {
                const QStringView gap = previousEnd < 0 ? QStringView()
                                                        : QStringView(text).sliced(
                                                              previousEnd, w.Start - previousEnd);
                if (!(previousString && w.Kind == TSqlWord::String) &&
                    std::all_of(gap.begin(), gap.end(), [](QChar c) { return c.isSpace(); }))
                    for (qsizetype p = previousEnd; p >= 0 && p < w.Start; ++p)
                        readings[std::size_t(p)] += isBlank(text[p]);
                previousEnd = w.End;
                previousString = w.Kind == TSqlWord::String;
            }
        });
    }
    const auto safe = [&](qsizetype p) {
        return readings[std::size_t(p)] == std::size(kSqlReadings);
    };
    QString out = text;
    for (qsizetype at = 0; at <= text.size(); at = lineEnd(at) + 1) {
        const qsizetype end = lineEnd(at);
        if (end - at <= longest) continue;
        for (qsizetype from = at; end - from > width;) {
            qsizetype q = from + width;
            while (q > from && !safe(q))
                --q;
            if (q == from) { // no blank within the width: the next one
                q = from + width + 1;
                while (q < end && !safe(q))
                    ++q;
                if (q >= end) break;
            }
            out[q] = QLatin1Char('\n');
            from = q + 1;
        }
    }
    return out;
}

namespace {

// What keeps the statements one reading finds from being run as one
// read-only query; empty when nothing does.
QString FaultOf(const QList<TSqlStatement>& statements) {
    const QString tail = QString::fromUtf8(kNothingRun);
    if (statements.isEmpty()) return QStringLiteral("没有可以运行的SQL语句。");
    if (statements.size() > 1)
        return QStringLiteral("这段SQL文本包含%1条语句。").arg(statements.size()) + tail;
    const TSqlStatement& st = statements.first();
    if (st.Kind != QLatin1String("select"))
        return QStringLiteral("这段SQL文本不是SELECT查询（以“%1”开头）。").arg(st.Kind.toUpper()) +
               tail;
    if (!st.Writes.isEmpty())
        return QStringLiteral("这条查询含有会写入数据的“%1”。").arg(st.Writes.toUpper()) + tail;
    return {};
}

// The fault of the first reading that finds one. A reading that reads the
// text as one already judged would judge it alike.
QString FaultOfReadings(QStringView text, std::span<const TSqlReading> readings,
                        const TSqlReading* readAlready, const QList<TSqlStatement>* statements) {
    const TSigns signs = SignsOf(text);
    QList<TRules> judged;
    if (readAlready) judged.append(RulesOn(RulesOf(*readAlready), signs));
    for (const TSqlReading reading : readings) {
        const TRules rules = RulesOn(RulesOf(reading), signs);
        if (readAlready && rules == judged.first()) {
            if (const QString fault = FaultOf(*statements); !fault.isEmpty()) return fault;
            continue;
        }
        if (judged.contains(rules)) continue;
        judged.append(rules);
        if (const QString fault = FaultOf(TScanner(text, rules, TNoWords{}).Run()); !fault.isEmpty())
            return fault;
    }
    return {};
}

} // namespace

QString SingleSelectFault(QStringView text, std::span<const TSqlReading> readings) {
    return FaultOfReadings(text, readings, nullptr, nullptr);
}

QString SingleSelectFault(QStringView text, std::span<const TSqlReading> readings,
                          TSqlReading readAlready, const QList<TSqlStatement>& statements) {
    return FaultOfReadings(text, readings, &readAlready, &statements);
}

QList<TSweepingStatement> SweepingStatements(QStringView text,
                                             std::span<const TSqlReading> readings) {
    static const QSet<QString> always = {QStringLiteral("drop"), QStringLiteral("truncate"),
                                         QStringLiteral("alter")};
    static const QSet<QString> unlessWhere = {QStringLiteral("delete"), QStringLiteral("update")};
    QList<std::pair<qsizetype, TSweepingStatement>> found;
    QSet<QString> seen;
    for (const TSqlReading reading : readings)
        for (const TSqlStatement& st : SplitStatements(text, reading)) {
            const bool sweeping =
                always.contains(st.Kind) || (unlessWhere.contains(st.Kind) && !st.HasWhere);
            if (!sweeping) continue;
            const QString statementText = text.mid(st.Start, st.End - st.Start).toString().trimmed();
            const QString key = st.Kind + QChar(0) + statementText;
            if (seen.contains(key)) continue;
            seen.insert(key);
            found.append({st.Start,
                          {st.Kind.toUpper(), unlessWhere.contains(st.Kind), statementText}});
        }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<TSweepingStatement> result;
    for (const auto& [start, statement] : found)
        result.append(statement);
    return result;
}

QString SweepingQuestion(const TSweepingStatement& statement) {
    QString effect;
    if (statement.Kind == QLatin1String("DROP"))
        effect = QStringLiteral("它会删除数据库对象");
    else if (statement.Kind == QLatin1String("TRUNCATE"))
        effect = QStringLiteral("它会清空表中的全部记录");
    else if (statement.Kind == QLatin1String("ALTER"))
        effect = QStringLiteral("它会改变数据库对象的结构");
    else if (statement.Kind == QLatin1String("DELETE"))
        effect = QStringLiteral("它会删除表中的全部记录");
    else
        effect = QStringLiteral("它会修改表中的全部记录");
    QString shown = statement.Text;
    if (shown.size() > 300) shown = shown.left(300) + QStringLiteral("…");
    return QStringLiteral("确定执行%1%2语句？%3：\n\n%4")
        .arg(statement.WithoutWhere ? QStringLiteral("没有WHERE条件的") : QString(),
             statement.Kind, effect, shown);
}

} // namespace quillary
