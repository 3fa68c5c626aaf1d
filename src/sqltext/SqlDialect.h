#pragma once
// How a data source writes and reads names: which names it takes bare, how
// it quotes the others, and which words it keeps for itself. Every name that
// comes from a catalogue or a document reaches a statement through here, so
// that a name is always data and never SQL: a name holding blanks, quotes,
// dots, ";" or a second statement comes out as one quoted name.

#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlStatements.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace quillary {

enum class TQuoteStyle : quint8 {
    DoubleQuote, // "a b", a doubled " inside
    Bracket,     // [a b], a doubled ] inside
    Backquote,   // `a b`, a doubled ` inside
};

// How the data source reads a name written without quotes.
enum class TNameCase : quint8 {
    Insensitive, // as written, letter case ignored
    FoldsLower,  // PostgreSQL: Users is users
    FoldsUpper,  // Oracle: users is USERS
};

// Where a statement of the data source limits its rows.
enum class TRowLimitStyle : quint8 {
    None,  // it has no row limit the designer writes
    Top,   // "top n" after SELECT [DISTINCT]
    Limit, // a last line "limit n [offset m]"
};

// How the data source writes outer joins as WHERE conditions, besides JOIN.
enum class TOuterJoinMark : quint8 {
    None,
    Star, // a *= b (left), a =* b (right)
    Plus, // a = b(+) (left), a(+) = b (right)
};

// Whose built-in functions the paste dialog offers.
enum class TFunctionSet : quint8 { None, SqlServer, Sybase, Oracle, FromDatabase };

// Whose catalogue the designer reads where the driver tells too little: the
// text of a view (and how a view is changed), foreign keys.
enum class TSqlCatalogue : quint8 {
    None,              // the driver's; a view's text is edited in the design only
    SqlServer,         // syscomments; ALTER VIEW
    Oracle,            // dba_views; REPLACE VIEW
    InformationSchema, // MySQL and MariaDB: views, key columns; ALTER VIEW
};

// Whose reserved words: those that break a statement or change its meaning
// when written bare.
enum class TKeywordSet : quint8 { Odbc, TransactSql, Sqlite, Postgres, MySql };

// Where "*" over a USING or NATURAL join shows the shared columns: where
// the left side has them (SQLite), or before all the others, in the left
// side's order (MySQL) or, for USING, in its list's order (the standard).
enum class TSharedColumnOrder : quint8 { InPlace, LeftSideFirst, ListFirst };

class TSqlDialect {
public:
    // The rules usual for data sources of `kind` (implicit: the kind alone
    // says enough where no connection tells more).
    TSqlDialect(int kind = dsNone);
    TSqlDialect(int kind, TQuoteStyle quote, TNameCase nameCase, TKeywordSet keywords);

    static TSqlDialect Sqlite();
    static TSqlDialect Postgres();
    // MySQL and MariaDB; `setOperators`: whether the server runs EXCEPT and
    // INTERSECT (MariaDB from 10.3, MySQL from 8.0.31).
    static TSqlDialect MySql(bool setOperators = true);

    // The same rules for a data source of `kind` (the kind the designer
    // caches may be set apart from the connection's).
    TSqlDialect WithKind(int kind) const;

    int Kind() const { return FKind; }
    TQuoteStyle QuoteStyle() const { return FQuote; }
    TNameCase NameCase() const { return FCase; }
    TKeywordSet Keywords() const { return FKeywords; }

    // How the database reads quotes and comments of a text (all the
    // readings when the dialect does not say which database it is).
    std::span<const TSqlReading> Readings() const;

    // Whether the database reads `open` ("\"", "[" or "`") as the start of
    // a quoted name.
    bool ReadsQuote(QChar open) const { return Reads(open); }

    // A word the data source keeps for itself (letter case ignored).
    bool IsReserved(QStringView word) const;
    // Whether `name` can stand bare in a statement and still mean itself.
    bool IsPlain(QStringView name) const;
    // `name` in quotes, whatever it holds.
    QString Quote(QStringView name) const;
    // `name` as a statement writes it: bare when plain, else quoted.
    QString Name(QStringView name) const;
    // Parts joined by dots, each written as Name does.
    QString QualifiedName(const QStringList& parts) const;
    // A column of the box called `prefix` (already as statements write it).
    QString Designation(const QString& prefix, QStringView column) const;

    // `text` read as a name the way the data source reads it: parts
    // separated by dots, each bare (folded as the data source folds it) or
    // quoted in a style the data source reads. False for anything else.
    bool ReadName(QStringView text, QStringList& parts) const;
    // A name met in a document (a state text, a template, a statement read
    // back), as statements write it: its parts when it reads as a name,
    // else the whole text as one name (nothing for an empty text).
    QString NameFromText(const QString& text) const;
    // A name as the data source keeps it, in the form in which names it
    // takes for one meet: where names have no letter case, in lower case
    // (SQLite folds A-Z only); else as it is.
    QString NameKey(QStringView name) const;
    // The same of a name as a statement writes it, one part, bare or
    // quoted: a quoted one as written, a bare one folded as the data source
    // folds it (PostgreSQL: A-Z to lower case, Ä stays Ä).
    QString WrittenNameKey(QStringView written) const;

    // --- how its statements are written --------------------------------
    TRowLimitStyle RowLimitStyle() const;
    // The outer-join marks it reads in WHERE conditions.
    TOuterJoinMark OuterJoinMark() const;
    // Whether the designer writes every join as WHERE conditions (with the
    // outer-join marks) instead of JOIN ... ON.
    bool JoinsInWhere() const;
    // Whether a select-list alias follows its column after a blank ("a x")
    // instead of " as ".
    bool AliasAfterBlank() const;
    // The set operator of a difference: "minus" or "except".
    QString ExceptWord() const;
    // Whether an UPDATE names the other tables of its condition in FROM.
    bool UpdateTakesFrom() const;
    // Whether a truth value can be tested with IS TRUE ("x is true"): not in
    // SQL Server, Sybase, Access, Oracle or the desktop drivers.
    bool HasIsTrue() const;
    // Whether a table alias may be a name in square brackets.
    bool BracketAliases() const;
    // Whether the union section of a state text says its set operator.
    bool StatesUnionType() const;
    // Whether its tables are worksheets: listed among the system tables,
    // each name quoted in the table list.
    bool TablesAreSheets() const;
    // Whether its table list comes from the owner-qualified catalogue
    // statements rather than the connection's own list.
    bool ListsTablesByOwner() const;
    // Whether it writes a full outer join, so the link dialog offers one.
    bool WritesFullJoin() const;
    // Where "*" over a USING or NATURAL join shows the columns it shares.
    TSharedColumnOrder SharedColumnOrder() const;
    // Whether a bare name in ORDER BY is first the name of a result column,
    // with or without an alias (PostgreSQL, MySQL), rather than an alias or
    // else a column of the tables (SQLite; the others as the design always
    // read them).
    bool SortNamesResultColumnsFirst() const;
    // The set operators the union panel offers: all four where the source
    // runs a difference and an intersection, else the unions alone.
    QStringList SetOperators() const;
    TSqlCatalogue Catalogue() const;
    TFunctionSet FunctionSet() const;

    bool operator==(const TSqlDialect&) const = default;

private:
    bool Reads(QChar open) const;

    int FKind = dsNone;
    TQuoteStyle FQuote = TQuoteStyle::DoubleQuote;
    TNameCase FCase = TNameCase::Insensitive;
    TKeywordSet FKeywords = TKeywordSet::Odbc;
    bool FReadsAllQuotes = true;
    bool FSetOperators = true; // EXCEPT and INTERSECT
};

// Reads the quoted name or literal that opens at `at` ("...", '...', `...`
// or [...]): returns the position after its closing quote, or -1 when it
// does not close; its text into `content` when given, a doubled closing
// quote ("]]" too) standing for one.
qsizetype ReadQuotedText(QStringView text, qsizetype at, QString* content);

// `text` when it is exactly one well-formed quoted name ("...", [...] or
// `...`, the closing character doubled inside) with something inside: the
// name without its quotes.
bool ReadQuotedName(QStringView text, QString& name);
// TextHash (letters folded) of the name ReadQuotedName reads from `token`,
// or of the token itself when it reads none; nothing is copied.
quint64 NameHash(QStringView token);

// Whether `text` is one name a statement can carry without harm: a bare
// identifier (letters of any script, digits after the first character, "_"
// and "$") or one well-formed quoted name.
bool IsNameToken(QStringView text);

} // namespace quillary
