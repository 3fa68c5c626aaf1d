#pragma once
// The statements of a text as the database will see them. Databases read
// quotes and comments differently ('\'' is a string in MySQL and the end of
// one in SQLite; $$;$$ is a string in PostgreSQL; # starts a comment in
// MySQL), and a text built to be read one way can hide a second statement
// from a reader that reads it another way. So every judgement here is made
// under each reading a supported database may apply, and a text passes only
// when all of them agree.

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <span>

namespace quillary {

// One statement of a text under one reading.
struct TSqlStatement {
    qsizetype Start = 0; // 0-based, the statement without its ";"
    qsizetype End = 0;
    // The word that says what it does, lower case: the first word after any
    // opening brackets; for WITH, the word of the statement after the
    // common table expressions ("select", "delete", ...).
    QString Kind;
    // A WHERE outside brackets after that word.
    bool HasWhere = false;
    // A word that writes inside an otherwise reading statement (INTO of
    // SELECT ... INTO, INSERT/UPDATE/DELETE/MERGE inside brackets), lower
    // case; empty when none.
    QString Writes;
};

// The ways of reading a text that the supported databases apply.
enum class TSqlReading {
    Standard,      // SQLite: '' "" [] `` quotes, -- and flat /* */ comments
    TransactSql,   // SQL Server, Sybase, Access: nested comments, no backquotes
    Postgres,      // E'\'' strings, $tag$ quotes, nested comments
    PostgresOld,   // ... with backslashes escaping in every string
    MySql,         // \ escapes, "" strings, # and "-- " comments, /*! */ is code
    MySqlAnsi,     // ... without backslash escapes
    Oracle,        // q'[...]' strings
};
// Whether `reading` is MySQL's, with or without backslash escapes.
inline bool IsMySqlReading(TSqlReading reading) {
    return reading == TSqlReading::MySql || reading == TSqlReading::MySqlAnsi;
}
inline constexpr TSqlReading kSqlReadings[] = {
    TSqlReading::Standard, TSqlReading::TransactSql, TSqlReading::Postgres,
    TSqlReading::PostgresOld, TSqlReading::MySql, TSqlReading::MySqlAnsi, TSqlReading::Oracle};

// The statements of `text` under `reading`; statements made only of blanks
// and comments are left out.
QList<TSqlStatement> SplitStatements(QStringView text, TSqlReading reading);

// One token of a text: a word (key word, bare name or number), a quoted
// name, a string, a bracket, a ";" or another character. Comments and
// blanks are no tokens.
struct TSqlWord {
    enum TKind : quint8 { Word, Name, String, Open, Close, Separator, Symbol };
    qsizetype Start = 0; // 0-based, [Start, End)
    qsizetype End = 0;
    int Depth = 0; // brackets open around it (an opening bracket counts itself out)
    TKind Kind = Word;
};
// The tokens of `text` under `reading`, in order.
QList<TSqlWord> SqlWords(QStringView text, TSqlReading reading,
                         QList<TSqlStatement>* statements = nullptr);
// The same without holding them all: handed over in order, some hundred
// at a time.
void ForEachSqlWord(QStringView text, TSqlReading reading,
                    const std::function<void(std::span<const TSqlWord>)>& visit);

// Where the positional parameters ("?") of `text` stand under `reading`, as
// an application binds their values by their place: not "?2", which has
// its number, nor PostgreSQL's "?" (an operator there).
QList<qsizetype> PositionalParameters(QStringView text, TSqlReading reading);

// Whether a query may give other rows each time it runs, even within one
// statement: it calls a function of chance or of a sequence.
bool MayDifferEachTime(const QString& query);

// Whether a backslash escapes the character after it in `stringToken` (a
// String token) under `reading`: in MySQL's strings, PostgreSQL's E'' ones
// and every string of older PostgreSQL.
bool BackslashEscapes(QStringView stringToken, TSqlReading reading);

// The length of the longest line of `text` (lines end at "\n"), or of the
// first longer than `enough`: the search stops there.
qsizetype LongestLine(QStringView text, qsizetype enough);

// `text` with every line longer than `longest` characters broken into
// lines of about `width` at blanks between tokens: blanks that every
// reading reads as such, and not between two strings (which some databases
// join across a line break). Each break takes a blank's place, so the
// statement stays the same to every database; what a text view cannot lay
// out in one piece it can in lines.
QString WithLongLinesBroken(const QString& text, qsizetype longest, qsizetype width);

// Empty when `text` is exactly one query that only reads — SELECT, or
// brackets or WITH leading to one — under every one of `readings` (those
// of the database at hand; all when it is not known); otherwise the message
// (Chinese) that says why it is not run. An empty text gives the message
// for "no statement".
QString SingleSelectFault(QStringView text, std::span<const TSqlReading> readings = kSqlReadings);
// The same, where the text has been read under `readAlready` already: its
// statements there (SplitStatements' or SqlWords') are not read again.
QString SingleSelectFault(QStringView text, std::span<const TSqlReading> readings,
                          TSqlReading readAlready, const QList<TSqlStatement>& statements);

// A statement of a script that removes or changes data wholesale: DROP,
// TRUNCATE, ALTER, and DELETE or UPDATE without WHERE.
struct TSweepingStatement {
    QString Kind; // upper case: "DROP", "DELETE", ...
    bool WithoutWhere = false;
    QString Text; // the statement as written
};
// Those of `text` under any of `readings`, each once, in text order.
QList<TSweepingStatement> SweepingStatements(QStringView text,
                                             std::span<const TSqlReading> readings = kSqlReadings);
// The question asked before one runs: "确定执行…？" naming its kind.
QString SweepingQuestion(const TSweepingStatement& statement);

} // namespace quillary
