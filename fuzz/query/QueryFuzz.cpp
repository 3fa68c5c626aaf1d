#include "QueryFuzz.h"

#include "query/Generation.h"
#include "query/QueryDesign.h"
#include "query/Rebuild.h"
#include "query/StateText.h"
#include "sqltext/Common.h"
#include "sqltext/DataSourceKind.h"

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace quillary::fuzz {

namespace {

// A line with its control characters shown as \xNN.
QByteArray Shown(const QString& line) {
    QByteArray out;
    for (QChar c : line)
        out += c.unicode() < 32 ? QByteArray("\\x") + QByteArray::number(c.unicode(), 16)
                                : QString(c).toUtf8();
    return out;
}

[[noreturn]] void Fail(const char* what, const QByteArray& input, const QStringList& a,
                       const QStringList& b) {
    std::fprintf(stderr, "query fuzz: %s\n  input (%lld bytes): %s\n", what,
                 static_cast<long long>(input.size()),
                 input.left(2000).toPercentEncoding(" =()<>[]'#,.|").constData());
    for (qsizetype i = 0; i < qMax(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            std::fprintf(stderr, "  line %lld:\n    %s\n    %s\n", static_cast<long long>(i),
                         Shown(a.value(i)).constData(), Shown(b.value(i)).constData());
    std::abort();
}

// A catalogue made up from the names: some sources cannot be read, the
// others get a few columns of mixed types and a size. A sub-query's columns
// depend on its statement as the database reads it: without comments and
// blanks.
bool InventColumns(TDesignBox& box) {
    QString source = box.Kind == 'Q' ? TrimExp(box.SourceText) : box.TableName;
    source.remove(QRegularExpression(QStringLiteral("\\s")));
    const size_t h = qHash(source.toLower(), 0);
    if (source.isEmpty() || h % 7 == 0) return false;
    static const TDesignField pool[] = {{"id", 3}, {"name", 1}, {"v", 6},
                                        {"d", 11}, {"m", 16},   {"k", 3}};
    box.Fields = {TDesignField{QStringLiteral("*")}};
    for (size_t i = 0; i < 1 + h % 6; ++i)
        box.Fields.append(pool[(h / 7 + i) % 6]);
    box.Width = 110 + int(h % 80);
    box.Height = 40 + int(h / 80 % 100);
    return true;
}

const int kKinds[] = {dsAccess, dsSqlServer, dsSybase,  dsOracle,
                      dsOther,  dsExcel,     dsParadox, dsNone};

TDesignHooks Hooks() {
    TDesignHooks hooks;
    hooks.LoadBox = InventColumns;
    return hooks;
}

QStringList StateOf(QueryDesign& design, int kind) {
    return GetSQLSet(design, GetSQL(design, kind).SQL, kind);
}

QStringList Reread(const QStringList& lines, int kind) {
    QueryDesign design;
    SetSQLSet(design, lines, kind, Hooks());
    return StateOf(design, kind);
}

// Cells joined by "|||" cannot be told apart again when a cell ends or
// begins with "|": the format has no escape for that.
bool Ambiguous(const QStringList& lines) {
    static const QRegularExpression cells(QStringLiteral("^(?:[CWH]|Row)\\d+=.*\\|\\|\\|\\|"));
    for (const QString& line : lines)
        if (cells.match(line).hasMatch()) return true;
    return false;
}

} // namespace

void RunQueryInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return;
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const int kind = kKinds[(data[0] >> 1) % std::size(kKinds)];
    const QString text = QString::fromUtf8(input.mid(1));

    QStringList first;
    if (data[0] & 1) {
        // Read as the data source of that kind reads its statements; for
        // other data sources, as SQLite, PostgreSQL or MySQL does.
        QueryDesign current;
        current.Dialect = TSqlDialect(kind);
        if (kind == dsOther) {
            const TSqlDialect others[] = {TSqlDialect(kind), TSqlDialect::Sqlite(),
                                          TSqlDialect::Postgres(), TSqlDialect::MySql()};
            current.Dialect = others[(data[0] >> 4) & 3];
        }
        TForgeResult r = Forge(text, kind, current, Hooks());
        if (!r.Ok || !r.Rebuilt) return;
        // The rebuilt design is not one read from a state text: its text is.
        first = Reread(StateOf(r.Design, kind), kind);
    } else {
        const QStringList lines = text.split(QLatin1Char('\n'));
        QueryDesign design;
        SetSQLSet(design, lines, kind, Hooks());
        first = StateOf(design, kind);
        // The same lines as a template: whatever connection it names.
        QString named;
        TemplateConnection(lines, named);
    }
    if (Ambiguous(first)) return;
    const QStringList second = Reread(first, kind);
    if (second != first)
        Fail("the state text of a design read from text changes", input, first, second);
    // Saved as a template, the design and its connection come back.
    const QString csn = QStringLiteral("Provider=SQLite;Data Source=") + QString::number(size);
    const QStringList saved = TemplateLines(first, csn);
    QString named;
    if (!TemplateConnection(saved, named) || named != csn)
        Fail("a template does not name its connection", input, {csn}, {named});
    const QStringList reopened = Reread(saved, kind);
    if (reopened != first)
        Fail("the design of a template differs from its state text", input, first, reopened);
}

} // namespace quillary::fuzz
