#pragma once
// Reading SQL text back: keyword tables, the character and string stacks,
// blank trimming, removal of enclosing parentheses, comment and blank
// normalisation, scanners that find the end of an expression, a keyword, a
// sub-select or an alias, and the clause analysers that cut a SELECT
// statement into the pieces the designer rebuilds its design from.
//
// Conventions of the whole unit:
//  * Positions are 1-based character indexes into the text; 0 means "none".
//  * Blank characters are backspace, tab, line feed, carriage return and
//    space. Keywords may only begin after a separator blank (the same set
//    without line feed) and must be followed by a blank or the end of text.
//  * Keywords match without regard to case (ASCII letters), as whole words
//    outside quotes, brackets and parentheses.
//  * No function throws; malformed text gives the "not found" value (0,
//    false or an empty text). Long input is analysed without recursion.
//
// Depends on QtCore only: the data-link files GetProperty reads come in
// through a reader its caller hands in.

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>

namespace quillary {

// Keyword tables. The order decides which entry is tried first.
// Join keywords of a FROM clause; a link's join type is the 0-based index.
extern const QStringList sOuterJoin;
// Connectors of conditions: "and", "or".
extern const QStringList sLogical;
// Comparison operators written with symbols; two-character operators first.
extern const QStringList sRelaCh1;
// Comparison operators written as words.
extern const QStringList sRelaCh2;
// Set operators between whole statements; "union all" before "union".
extern const QStringList sUnion;

// A stack of single characters; Pop and Gettop give QChar() (0) when empty.
class TStack {
public:
    bool IsEmpty() const { return FItems.isEmpty(); }
    void Push(QChar c) { FItems.append(c); }
    QChar Pop();
    QChar Gettop() const { return FItems.isEmpty() ? QChar() : FItems.back(); }
    int fcount() const { return int(FItems.size()); }

private:
    QString FItems; // the top is the last character
};

// A stack of texts. Pushing a text already on the stack (ignoring case)
// moves it to the top instead of stacking it twice.
class TStack_Str {
public:
    bool IsEmpty() const { return FItems.isEmpty(); }
    void Push(const QString& s);
    QString Pop();
    QString Gettop() const { return FItems.isEmpty() ? QString() : FItems.back(); }
    int fcount() const { return int(FItems.size()); }

private:
    QStringList FItems; // the top is the last item
};

// s without its leading / trailing blank characters.
QString LTrimSQLElement(const QString& s);
QString RTrimSQLElement(const QString& s);
// s trimmed and stripped of enclosing parenthesis pairs, "((a + b))" -> "a + b".
// A text made only of blanks comes back as it is.
QString TrimSQLElement(const QString& s);
// As TrimSQLElement; left receives one "(" and right one ")" per removed pair.
QString TrimSQLElement2(const QString& s, QString& left, QString& right);
// s with the blanks around every top-level "." removed: "a . b" -> "a.b".
QString TrimAroundDot(const QString& s);
// s with "--" comments (to the next carriage return) removed and every run
// of blanks outside quotes and brackets turned into one space.
QString TrimExp(const QString& s);

// Drops a final word "as" (with the blanks before it) from a name.
void DropTrailingAs(QString& name);

// Position of the last character of the expression that begins at start:
// it ends before endChar or before the blank that precedes one of keywords
// (tried in list order), both only at the top level. found and keyPos
// receive the keyword that ended it and where that keyword begins. Returns
// the length of s when the text runs out, 0 on an unmatched ")" or an
// unclosed quote, bracket or parenthesis. endChar QChar() and a null
// keywords pointer mean "none". A keyword whose first character is a
// separator blank (" ") matches at every top-level blank.
int FindExpEnd(const QString& s, QChar endChar, const QStringList* keywords, QString& found,
               int& keyPos, int start);
// Where keyword begins as a top-level word after start (after a blank), 0 if absent.
int FindKeyWord(const QString& s, const QString& keyword, int start);
// Where phrase (words separated by single spaces) begins at or after start,
// only blanks preceding it; 0 if s does not continue with it there. Words
// of the phrase may be separated by any run of blanks in s, and each must
// be followed by a blank or the end. endPos receives the position of the
// first non-blank character after the phrase (length + 1 when none). An
// empty phrase never matches.
int IsBeginWithPhrase(const QString& phrase, const QString& s, int& endPos, int start,
                      bool ignoreCase);
// IsBeginWithPhrase, always ignoring case.
int IsBeginWith(const QString& word, const QString& s, int& endPos, int start, bool ignoreCase);
// The first parenthesised sub-select at or after start: sqlStart receives
// the position of its word select, sqlEnd the position before its closing
// parenthesis. An inner sub-select is found before the one that holds it.
// Both are 0 when none is found.
bool FindSQLInExp(const QString& exp, int start, int& sqlStart, int& sqlEnd);
// Splits "expression [as] alias" into name and alias. With mode 1 a final
// word "end" is not an alias (a CASE expression keeps its END).
void GetByName(const QString& item, QString& name, QString& alias, int mode);
// s with every occurrence of from replaced by to, left to right, never
// re-reading inserted text. An empty from changes nothing.
QString ReplaceAll(const QString& s, const QString& from, const QString& to);
// Reads the connection string stored in a data-link file (empty when it
// cannot). This unit reads no files: a caller that wants data-link strings
// read hands one in.
using TDataLinkReader = std::function<QString(const QString& path)>;
// The value of property name (e.g. "USER ID") in a connection string; a
// data-link string ("FILE NAME=<path>") is read from its file through
// readDataLink. Empty when the file cannot be read or no reader is given.
QString GetProperty(const QString& connection, const QString& name,
                    const TDataLinkReader& readDataLink = {});
// The value of property name in a "NAME=value;NAME=value" text, read as
// every connection string is read (sqltext/ConnectionText.h): keys in any
// case, quoted values; the first of duplicates; on malformed text only what
// comes before the fault.
QString ExtractProperty(const QString& text, const QString& name);

// Cuts one clause ("select", "group by", ...) that begins at start into its
// comma-separated items, each trimmed with TrimSQLElement, up to the first
// top-level keyword of nextKeywords; nextKeyword and nextPos receive that
// keyword and its position (0 when the items run to the end). Returns an
// error text, empty on success.
QString AnalysisSQLClause(const QString& sql, const QString& keyword,
                          const QStringList& nextKeywords, int& nextPos, QString& nextKeyword,
                          QStringList& items, int start);
// Splits a text at its set operators; appends 4 items per statement:
// opening parentheses, statement, closing parentheses, following operator.
void AnalysisUnionClause(const QString& sql, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextOperator);
// Turns a FROM clause (without the word from) into tables and join
// conditions ("2a.id = b.id": the 1-based sOuterJoin index, then the term).
void AnalysisFromClause(const QString& from, QStringList& joinList, QStringList& tableList);
// Turns a WHERE or HAVING text into condition rows of 6 items: opening
// parentheses, left operand, operator, right operand, closing parentheses,
// connector.
void AnalysisWhereClause(const QString& cond, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextConnector);

} // namespace quillary
