#include "sqltext/SqlDialect.h"
#include "sqltext/TextHash.h"

#include <array>
#include <string_view>
#include <unordered_set>

namespace quillary {

namespace {

// The key words of each family, lower case. SQLite: every key word it knows
// (its own advice is to quote them all). PostgreSQL: the words its
// catalogue does not call unreserved (pg_get_keywords). ODBC: the list ODBC
// reserves for all drivers. Transact-SQL adds the words SQL Server and
// Sybase reserve beyond it. MySQL: its reserved words, and MariaDB's.
const char* const kSqliteWords[] = {
    "abort", "action", "add", "after", "all", "alter", "always", "analyze", "and", "as", "asc",
    "attach", "autoincrement", "before", "begin", "between", "by", "cascade", "case", "cast",
    "check", "collate", "column", "commit", "conflict", "constraint", "create", "cross", "current",
    "current_date", "current_time", "current_timestamp", "database", "default", "deferrable",
    "deferred", "delete", "desc", "detach", "distinct", "do", "drop", "each", "else", "end",
    "escape", "except", "exclude", "exclusive", "exists", "explain", "fail", "filter", "first",
    "following", "for", "foreign", "from", "full", "generated", "glob", "group", "groups", "having",
    "if", "ignore", "immediate", "in", "index", "indexed", "initially", "inner", "insert",
    "instead", "intersect", "into", "is", "isnull", "join", "key", "last", "left", "like", "limit",
    "match", "materialized", "natural", "no", "not", "nothing", "notnull", "null", "nulls", "of",
    "offset", "on", "or", "order", "others", "outer", "over", "partition", "plan", "pragma",
    "preceding", "primary", "query", "raise", "range", "recursive", "references", "regexp",
    "reindex", "release", "rename", "replace", "restrict", "returning", "right", "rollback", "row",
    "rows", "savepoint", "select", "set", "table", "temp", "temporary", "then", "ties", "to",
    "transaction", "trigger", "unbounded", "union", "unique", "update", "using", "vacuum",
    "values", "view", "virtual", "when", "where", "window", "with", "without"};

const char* const kPostgresWords[] = {
    "all", "analyse", "analyze", "and", "any", "array", "as", "asc", "asymmetric",
    "authorization", "between", "bigint", "binary", "bit", "boolean", "both", "case", "cast",
    "char", "character", "check", "coalesce", "collate", "collation", "column", "concurrently",
    "constraint", "create", "cross", "current_catalog", "current_date", "current_role",
    "current_schema", "current_time", "current_timestamp", "current_user", "dec", "decimal",
    "default", "deferrable", "desc", "distinct", "do", "else", "end", "except", "exists",
    "extract", "false", "fetch", "float", "for", "foreign", "freeze", "from", "full", "grant",
    "greatest", "group", "grouping", "having", "ilike", "in", "initially", "inner", "inout", "int",
    "integer", "intersect", "interval", "into", "is", "isnull", "join", "lateral", "leading",
    "least", "left", "like", "limit", "localtime", "localtimestamp", "national", "natural",
    "nchar", "none", "normalize", "not", "notnull", "null", "nullif", "numeric", "offset", "on",
    "only", "or", "order", "out", "outer", "overlaps", "overlay", "placing", "position",
    "precision", "primary", "real", "references", "returning", "right", "row", "select",
    "session_user", "setof", "similar", "smallint", "some", "substring", "symmetric", "table",
    "tablesample", "then", "time", "timestamp", "to", "trailing", "treat", "trim", "true", "union",
    "unique", "user", "using", "values", "varchar", "variadic", "verbose", "when", "where",
    "window", "with", "xmlattributes", "xmlconcat", "xmlelement", "xmlexists", "xmlforest",
    "xmlnamespaces", "xmlparse", "xmlpi", "xmlroot", "xmlserialize", "xmltable"};

const char* const kOdbcWords[] = {
    "absolute", "action", "ada", "add", "all", "allocate", "alter", "and", "any", "are", "as",
    "asc", "assertion", "at", "authorization", "avg", "begin", "between", "bit", "bit_length",
    "both", "by", "cascade", "cascaded", "case", "cast", "catalog", "char", "char_length",
    "character", "character_length", "check", "close", "coalesce", "collate", "collation",
    "column", "commit", "connect", "connection", "constraint", "constraints", "continue",
    "convert", "corresponding", "count", "create", "cross", "current", "current_date",
    "current_time", "current_timestamp", "current_user", "cursor", "date", "day", "deallocate",
    "dec", "decimal", "declare", "default", "deferrable", "deferred", "delete", "desc", "describe",
    "descriptor", "diagnostics", "disconnect", "distinct", "domain", "double", "drop", "else",
    "end", "end-exec", "escape", "except", "exception", "exec", "execute", "exists", "external",
    "extract", "false", "fetch", "first", "float", "for", "foreign", "fortran", "found", "from",
    "full", "get", "global", "go", "goto", "grant", "group", "having", "hour", "identity",
    "immediate", "in", "include", "index", "indicator", "initially", "inner", "input",
    "insensitive", "insert", "int", "integer", "intersect", "interval", "into", "is", "isolation",
    "join", "key", "language", "last", "leading", "left", "level", "like", "local", "lower",
    "match", "max", "min", "minute", "module", "month", "names", "national", "natural", "nchar",
    "next", "no", "none", "not", "null", "nullif", "numeric", "octet_length", "of", "on", "only",
    "open", "option", "or", "order", "outer", "output", "overlaps", "pad", "partial", "pascal",
    "pli", "position", "precision", "prepare", "preserve", "primary", "prior", "privileges",
    "procedure", "public", "read", "real", "references", "relative", "restrict", "revoke",
    "right", "rollback", "rows", "schema", "scroll", "second", "section", "select", "session",
    "session_user", "set", "size", "smallint", "some", "space", "sql", "sqlca", "sqlcode",
    "sqlerror", "sqlstate", "sqlwarning", "substring", "sum", "system_user", "table", "temporary",
    "then", "time", "timestamp", "timezone_hour", "timezone_minute", "to", "trailing",
    "transaction", "translate", "translation", "trim", "true", "union", "unique", "unknown",
    "update", "upper", "usage", "user", "using", "value", "values", "varchar", "varying", "view",
    "when", "whenever", "where", "with", "work", "write", "year", "zone"};

const char* const kTransactSqlWords[] = {
    "backup", "break", "browse", "bulk", "checkpoint", "clustered", "compute", "contains",
    "containstable", "database", "dbcc", "deny", "disk", "distributed", "dump", "errlvl", "exit",
    "file", "fillfactor", "freetext", "freetexttable", "function", "holdlock", "identity_insert",
    "identitycol", "if", "kill", "lineno", "load", "merge", "nocheck", "nonclustered", "off",
    "offsets", "opendatasource", "openquery", "openrowset", "openxml", "over", "percent", "pivot",
    "plan", "print", "proc", "raiserror", "readtext", "reconfigure", "replication", "restore",
    "return", "revert", "rowcount", "rowguidcol", "rule", "save", "securityaudit", "setuser",
    "shutdown", "statistics", "tablesample", "textsize", "top", "tran", "trigger", "truncate",
    "tsequal", "unpivot", "updatetext", "use", "waitfor", "while", "within", "writetext"};

const char* const kMySqlWords[] = {
    "accessible", "add", "all", "alter", "analyze", "and", "as", "asc", "asensitive", "before",
    "between", "bigint", "binary", "blob", "both", "by", "call", "cascade", "case", "change",
    "char", "character", "check", "collate", "column", "condition", "constraint", "continue",
    "convert", "create", "cross", "cube", "cume_dist", "current_date", "current_time",
    "current_timestamp", "current_user", "cursor", "database", "databases", "day_hour",
    "day_microsecond", "day_minute", "day_second", "dec", "decimal", "declare", "default",
    "delayed", "delete", "dense_rank", "desc", "describe", "deterministic", "distinct",
    "distinctrow", "div", "double", "drop", "dual", "each", "else", "elseif", "empty", "enclosed",
    "escaped", "except", "exists", "exit", "explain", "false", "fetch", "first_value", "float",
    "float4", "float8", "for", "force", "foreign", "from", "fulltext", "function", "generated",
    "get", "grant", "group", "grouping", "groups", "having", "high_priority", "hour_microsecond",
    "hour_minute", "hour_second", "if", "ignore", "in", "index", "infile", "inner", "inout",
    "insensitive", "insert", "int", "int1", "int2", "int3", "int4", "int8", "integer", "intersect",
    "interval", "into", "io_after_gtids", "io_before_gtids", "is", "iterate", "join", "json_table",
    "key", "keys", "kill", "lag", "last_value", "lateral", "lead", "leading", "leave", "left",
    "like", "limit", "linear", "lines", "load", "localtime", "localtimestamp", "lock", "long",
    "longblob", "longtext", "loop", "low_priority", "master_bind", "master_ssl_verify_server_cert",
    "match", "maxvalue", "mediumblob", "mediumint", "mediumtext", "middleint", "minute_microsecond",
    "minute_second", "mod", "modifies", "natural", "not", "no_write_to_binlog", "nth_value",
    "ntile", "null", "numeric", "of", "offset", "on", "optimize", "optimizer_costs", "option",
    "optionally", "or", "order", "out", "outer", "outfile", "over", "partition", "percent_rank",
    "precision", "primary", "procedure", "purge", "range", "rank", "read", "reads", "read_write",
    "real", "recursive", "references", "regexp", "release", "rename", "repeat", "replace",
    "require", "resignal", "restrict", "return", "returning", "revoke", "right", "rlike", "row",
    "rows", "row_number", "schema", "schemas", "second_microsecond", "select", "sensitive",
    "separator", "set", "show", "signal", "smallint", "spatial", "specific", "sql", "sqlexception",
    "sqlstate", "sqlwarning", "sql_big_result", "sql_calc_found_rows", "sql_small_result", "ssl",
    "starting", "stored", "straight_join", "system", "table", "terminated", "then", "tinyblob",
    "tinyint", "tinytext", "to", "trailing", "trigger", "true", "undo", "union", "unique", "unlock",
    "unsigned", "update", "usage", "use", "using", "utc_date", "utc_time", "utc_timestamp",
    "values", "varbinary", "varchar", "varcharacter", "varying", "virtual", "when", "where",
    "while", "window", "with", "write", "xor", "year_month", "zerofill",
    // MariaDB's own reserved words.
    "current_role", "delete_domain_id", "do_domain_ids", "ignore_domain_ids",
    "master_demote_to_replica", "master_demote_to_slave", "page_checksum", "parse_vcol_expr",
    "portion", "ref_system_id", "stats_auto_recalc", "stats_persistent", "stats_sample_pages"};

// Word sets looked up without copying the word: views of the tables above.
using TWordSet = std::unordered_set<std::string_view>;

template <std::size_t N>
TWordSet WordSet(const char* const (&words)[N]) {
    return TWordSet(std::begin(words), std::end(words));
}

const TWordSet& Words(TKeywordSet family) {
    static const TWordSet sqlite = WordSet(kSqliteWords);
    static const TWordSet postgres = WordSet(kPostgresWords);
    static const TWordSet odbc = WordSet(kOdbcWords);
    static const TWordSet transact = [] {
        TWordSet set = WordSet(kOdbcWords);
        for (const char* w : kTransactSqlWords)
            set.insert(w);
        return set;
    }();
    static const TWordSet mysql = WordSet(kMySqlWords);
    switch (family) {
    case TKeywordSet::Sqlite:
        return sqlite;
    case TKeywordSet::Postgres:
        return postgres;
    case TKeywordSet::TransactSql:
        return transact;
    case TKeywordSet::MySql:
        return mysql;
    case TKeywordSet::Odbc:
        break;
    }
    return odbc;
}

bool IsAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A bare identifier: a letter of any script or "_", then letters, digits,
// "_" or "$".
bool IsIdentifier(QStringView name) {
    if (name.isEmpty()) return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.unicode() >= 0x80) {
            // Surrogate pairs stand for letters of the rarer scripts.
            if (!c.isLetterOrNumber() && !c.isSurrogate()) return false;
            if (i == 0 && c.isNumber()) return false;
            continue;
        }
        const bool ok = IsAsciiLetter(c) || c == QLatin1Char('_') ||
                        (i > 0 && (IsAsciiDigit(c) || c == QLatin1Char('$')));
        if (!ok) return false;
    }
    return true;
}

QChar Closer(QChar open) {
    return open == QLatin1Char('[') ? QLatin1Char(']') : open;
}

bool IsQuoteOpener(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`');
}

} // namespace

namespace {

// Walks the quoted text that opens at `at`: `piece` gets its content run by
// run, a doubled closing quote as one. The position after its closing
// quote, or -1 when it does not close (all of the rest was given).
template <typename Piece> qsizetype WalkQuoted(QStringView text, qsizetype at, Piece&& piece) {
    const QChar close = Closer(text[at]);
    qsizetype run = at + 1;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        if (text[i] != close) continue;
        piece(text.sliced(run, i - run));
        if (i + 1 < text.size() && text[i + 1] == close) {
            piece(text.sliced(i, 1));
            run = ++i + 1;
            continue;
        }
        return i + 1;
    }
    piece(text.sliced(run));
    return -1;
}

} // namespace

qsizetype ReadQuotedText(QStringView text, qsizetype at, QString* content) {
    if (content) content->clear();
    return WalkQuoted(text, at, [&](QStringView piece) {
        if (content) content->append(piece);
    });
}

TSqlDialect::TSqlDialect(int kind) : FKind(kind) {
    switch (kind) {
    case dsAccess:
    case dsSqlServer:
    case dsSybase:
        FQuote = TQuoteStyle::Bracket;
        FKeywords = TKeywordSet::TransactSql;
        FReadsAllQuotes = false;
        break;
    case dsOracle:
        FCase = TNameCase::FoldsUpper;
        FReadsAllQuotes = false;
        break;
    default:
        break;
    }
}

TSqlDialect::TSqlDialect(int kind, TQuoteStyle quote, TNameCase nameCase, TKeywordSet keywords)
    : FKind(kind), FQuote(quote), FCase(nameCase), FKeywords(keywords),
      FReadsAllQuotes(keywords == TKeywordSet::Sqlite) {}

TSqlDialect TSqlDialect::Sqlite() {
    return {dsOther, TQuoteStyle::DoubleQuote, TNameCase::Insensitive, TKeywordSet::Sqlite};
}

TSqlDialect TSqlDialect::Postgres() {
    return {dsOther, TQuoteStyle::DoubleQuote, TNameCase::FoldsLower, TKeywordSet::Postgres};
}

TSqlDialect TSqlDialect::MySql(bool setOperators) {
    TSqlDialect d(dsOther, TQuoteStyle::Backquote, TNameCase::Insensitive, TKeywordSet::MySql);
    d.FSetOperators = setOperators;
    return d;
}

TSqlDialect TSqlDialect::WithKind(int kind) const {
    TSqlDialect d = *this;
    d.FKind = kind;
    return d;
}

bool TSqlDialect::Reads(QChar open) const {
    if (FReadsAllQuotes) return IsQuoteOpener(open);
    switch (FQuote) {
    case TQuoteStyle::Bracket:
        return open == QLatin1Char('[') || open == QLatin1Char('"');
    case TQuoteStyle::Backquote:
        return open == QLatin1Char('`');
    case TQuoteStyle::DoubleQuote:
        break;
    }
    return open == QLatin1Char('"');
}

std::span<const TSqlReading> TSqlDialect::Readings() const {
    static constexpr TSqlReading sqlite[] = {TSqlReading::Standard};
    static constexpr TSqlReading postgres[] = {TSqlReading::Postgres, TSqlReading::PostgresOld};
    static constexpr TSqlReading mysql[] = {TSqlReading::MySql, TSqlReading::MySqlAnsi};
    static constexpr TSqlReading transact[] = {TSqlReading::TransactSql, TSqlReading::Standard};
    static constexpr TSqlReading oracle[] = {TSqlReading::Oracle};
    switch (FKeywords) {
    case TKeywordSet::Sqlite:
        return sqlite;
    case TKeywordSet::Postgres:
        return postgres;
    case TKeywordSet::MySql:
        return mysql;
    case TKeywordSet::TransactSql:
        return transact;
    case TKeywordSet::Odbc:
        break;
    }
    if (FKind == dsOracle) return oracle;
    return kSqlReadings;
}

// Which first letters and lengths the key words of a family have, one bit
// per length under each letter: most names are ruled out by these alone.
using TWordShapes = std::array<quint32, 26>;
const TWordShapes& Shapes(TKeywordSet family) {
    static const auto shapes = [](TKeywordSet f) {
        TWordShapes bits{};
        for (const std::string_view w : Words(f))
            if (!w.empty() && w.size() < 32 && w[0] >= 'a' && w[0] <= 'z')
                bits[std::size_t(w[0] - 'a')] |= 1u << w.size();
        return bits;
    };
    // In the order of the families' values.
    static const std::array<TWordShapes, 5> all{
        shapes(TKeywordSet::Odbc), shapes(TKeywordSet::TransactSql), shapes(TKeywordSet::Sqlite),
        shapes(TKeywordSet::Postgres), shapes(TKeywordSet::MySql)};
    return all[std::size_t(family)];
}

bool TSqlDialect::IsReserved(QStringView word) const {
    // Every key word is short and ASCII, and begins with a letter.
    char lower[32];
    if (word.isEmpty() || word.size() >= qsizetype(sizeof lower)) return false;
    const char16_t first = word[0].unicode() | 0x20;
    if (first < u'a' || first > u'z' ||
        !((Shapes(FKeywords)[std::size_t(first - u'a')] >> word.size()) & 1))
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80) return false;
        lower[i] = char(c >= u'A' && c <= u'Z' ? c + 32 : c);
    }
    return Words(FKeywords).contains(std::string_view(lower, std::size_t(word.size())));
}

bool TSqlDialect::IsPlain(QStringView name) const {
    if (!IsIdentifier(name)) return false;
    for (const QChar c : name) {
        if (FCase == TNameCase::FoldsLower && c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            return false;
        if (FCase == TNameCase::FoldsUpper && c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            return false;
    }
    return !IsReserved(name);
}

QString TSqlDialect::Quote(QStringView name) const {
    QChar open = QLatin1Char('"');
    if (FQuote == TQuoteStyle::Bracket) open = QLatin1Char('[');
    if (FQuote == TQuoteStyle::Backquote) open = QLatin1Char('`');
    const QChar close = Closer(open);
    QString quoted;
    quoted.reserve(name.size() + 2);
    quoted += open;
    for (const QChar c : name) {
        quoted += c;
        if (c == close) quoted += c;
    }
    quoted += close;
    return quoted;
}

QString TSqlDialect::Name(QStringView name) const {
    return IsPlain(name) ? name.toString() : Quote(name);
}

QString TSqlDialect::QualifiedName(const QStringList& parts) const {
    QString text;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) text += QLatin1Char('.');
        text += Name(parts[i]);
    }
    return text;
}

QString TSqlDialect::Designation(const QString& prefix, QStringView column) const {
    return prefix + QLatin1Char('.') + Name(column);
}

bool TSqlDialect::ReadName(QStringView text, QStringList& parts) const {
    parts.clear();
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace())
            ++i;
    };
    skipBlanks();
    while (true) {
        if (i >= n) return false;
        if (IsQuoteOpener(text[i])) {
            if (!Reads(text[i])) return false;
            QString part;
            const qsizetype end = ReadQuotedText(text, i, &part);
            if (end < 0 || part.isEmpty()) return false;
            parts << part;
            i = end;
        } else {
            qsizetype end = i;
            while (end < n && !text[end].isSpace() && text[end] != QLatin1Char('.'))
                ++end;
            const QStringView word = text.mid(i, end - i);
            if (!IsIdentifier(word)) return false;
            QString part = word.toString();
            if (FCase == TNameCase::FoldsLower) {
                for (QChar& c : part)
                    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = c.toLower();
            } else if (FCase == TNameCase::FoldsUpper) {
                for (QChar& c : part)
                    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = c.toUpper();
            }
            parts << part;
            i = end;
        }
        skipBlanks();
        if (i == n) return true;
        if (text[i] != QLatin1Char('.')) return false;
        ++i;
        skipBlanks();
    }
}

namespace {

QString AsciiLower(QString name) {
    for (QChar& c : name)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return name;
}

} // namespace

QString TSqlDialect::NameKey(QStringView name) const {
    if (FCase != TNameCase::Insensitive) return name.toString();
    return *this == Sqlite() ? AsciiLower(name.toString()) : name.toString().toLower();
}

QString TSqlDialect::WrittenNameKey(QStringView written) const {
    QString name;
    const bool quoted = ReadQuotedName(written, name);
    if (!quoted) name = written.toString();
    if (quoted || FCase == TNameCase::Insensitive) return NameKey(name);
    return FCase == TNameCase::FoldsLower ? AsciiLower(name) : name.toUpper();
}

QString TSqlDialect::NameFromText(const QString& text) const {
    if (text.isEmpty()) return {}; // no name at all
    QStringList parts;
    if (ReadName(text, parts)) return QualifiedName(parts);
    return Quote(text);
}

bool ReadQuotedName(QStringView text, QString& name) {
    if (text.size() < 3 || !IsQuoteOpener(text[0])) return false;
    QString inside;
    if (ReadQuotedText(text, 0, &inside) != text.size() || inside.isEmpty()) return false;
    name = inside;
    return true;
}

quint64 NameHash(QStringView token) {
    // ReadQuotedName's reading, hashed piece by piece instead of copied.
    if (token.size() >= 3 && IsQuoteOpener(token[0])) {
        quint64 hash = kTextHashSeed;
        bool empty = true;
        const qsizetype end = WalkQuoted(token, 0, [&](QStringView piece) {
            hash = TextHash(piece, true, hash);
            empty = empty && piece.isEmpty();
        });
        if (end == token.size() && !empty) return hash;
    }
    return TextHash(token, true);
}

bool IsNameToken(QStringView text) {
    QString ignored;
    return IsIdentifier(text) || ReadQuotedName(text, ignored);
}

TRowLimitStyle TSqlDialect::RowLimitStyle() const {
    if (FKind == dsSqlServer) return TRowLimitStyle::Top;
    if (FKind == dsOther) return TRowLimitStyle::Limit;
    return TRowLimitStyle::None;
}

TOuterJoinMark TSqlDialect::OuterJoinMark() const {
    if (FKind == dsSqlServer || FKind == dsSybase) return TOuterJoinMark::Star;
    if (FKind == dsOracle) return TOuterJoinMark::Plus;
    return TOuterJoinMark::None;
}

bool TSqlDialect::JoinsInWhere() const {
    return FKind == dsSybase || FKind == dsOracle;
}

bool TSqlDialect::AliasAfterBlank() const {
    return FKind == dsSqlServer || FKind == dsSybase || FKind == dsOracle;
}

QString TSqlDialect::ExceptWord() const {
    return FKind == dsOracle ? QStringLiteral("minus") : QStringLiteral("except");
}

bool TSqlDialect::UpdateTakesFrom() const {
    return FKind == dsSqlServer || FKind == dsSybase;
}

bool TSqlDialect::HasIsTrue() const {
    return FKind == dsOther || FKind == dsNone;
}

bool TSqlDialect::BracketAliases() const {
    return FKind < dsSybase; // Access, SQL Server, and a source not known yet
}

bool TSqlDialect::StatesUnionType() const {
    return FKind == dsOracle;
}

bool TSqlDialect::TablesAreSheets() const {
    return FKind == dsExcel;
}

bool TSqlDialect::ListsTablesByOwner() const {
    return FKind == dsOracle;
}

bool TSqlDialect::WritesFullJoin() const {
    // MySQL and MariaDB have no full outer join, whatever the kind says.
    if (FKeywords == TKeywordSet::MySql) return false;
    return FKind < dsSybase; // Access, SQL Server, and a source not known yet
}

TSharedColumnOrder TSqlDialect::SharedColumnOrder() const {
    if (FKeywords == TKeywordSet::Sqlite) return TSharedColumnOrder::InPlace;
    if (FKeywords == TKeywordSet::MySql) return TSharedColumnOrder::LeftSideFirst;
    return TSharedColumnOrder::ListFirst;
}

bool TSqlDialect::SortNamesResultColumnsFirst() const {
    return FKeywords == TKeywordSet::Postgres || FKeywords == TKeywordSet::MySql;
}

QStringList TSqlDialect::SetOperators() const {
    QStringList operators = {QStringLiteral("union"), QStringLiteral("union all")};
    // "minus" is written as the source's own difference word (ExceptWord).
    if (FSetOperators) operators << QStringLiteral("minus") << QStringLiteral("intersect");
    return operators;
}

TSqlCatalogue TSqlDialect::Catalogue() const {
    if (FKeywords == TKeywordSet::MySql) return TSqlCatalogue::InformationSchema;
    if (FKind == dsSqlServer) return TSqlCatalogue::SqlServer;
    if (FKind == dsOracle) return TSqlCatalogue::Oracle;
    return TSqlCatalogue::None;
}

TFunctionSet TSqlDialect::FunctionSet() const {
    switch (FKind) {
    case dsSqlServer:
        return TFunctionSet::SqlServer;
    case dsSybase:
        return TFunctionSet::Sybase;
    case dsOracle:
        return TFunctionSet::Oracle;
    case dsOther:
        return TFunctionSet::FromDatabase;
    default:
        return TFunctionSet::None;
    }
}

} // namespace quillary
