// The SQL text unit on machine-made statements. Every case runs at a base
// size and at ten times that size; at the end the ratio of the two times is
// printed per case: linear work gives about 10, the limit is 12.
//  - WHERE of 100,000 conditions joined by or
//  - UNION of 20,000 parts
//  - FROM of 1,000 joins
//  - TrimExp and FindExpEnd on 1 MB of text (throughput shown as bytes per
//    second, one character counted as one byte)
// plus deep and left-nested parentheses and texts built to defeat shortcuts,
// and the three clause analysers on statements of 1 MB (bytes per second,
// one character counted as one byte) next to a plain loop over the same
// characters: each analyser should reach 100 MB/s, within 15x of the loop
// (the ratio is measured with both run alternately). The WHERE analyser is
// also run on the conditions people write (RealisticSql.h): bracketed OR
// pairs with LIKE patterns and quoted names, nested in blocks.
#include "RealisticSql.h"
#include "sqltext/Common.h"

#include <benchmark/benchmark.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace quillary;

namespace {

// Numbers of one width, so that ten times the count is ten times the text.
QString N(qsizetype i) {
    return QString::number(i).rightJustified(7, u'0');
}

QString WhereText(int conditions) {
    QString s;
    s.reserve(conditions * 24);
    for (int i = 0; i < conditions; ++i) {
        if (i) s += QStringLiteral(" or ");
        s += QStringLiteral("t.c%1 = '值%1'").arg(N(i));
    }
    return s;
}

QString UnionText(int parts) {
    QString s;
    for (int i = 0; i < parts; ++i) {
        if (i) s += i % 2 ? QStringLiteral(" union all ") : QStringLiteral(" union ");
        s += QStringLiteral("select a%1, b from t%1 where b = 'x union y'").arg(N(i));
    }
    return s;
}

QString FromText(int joins) {
    QString s = QStringLiteral("t0");
    for (int i = 1; i <= joins; ++i)
        s += QStringLiteral(" left join t%1 on t%1.id = t%2.id and t%1.k = %1").arg(N(i), N(i - 1));
    return s;
}

// Whole chunks, at least `characters` long, so the text ends at the top level.
QString SqlText(qsizetype characters) {
    const QString chunk = QStringLiteral(
        "select  a.x, b.y  as 名称,\r\n  count(*) -- how many\r\n from [order items] a\t"
        "left join b on (a.id = b.id) where a.n = 'it''s  x' and b.k >= 1\r\n  ");
    return chunk.repeated((characters + chunk.size() - 1) / chunk.size());
}

// The results of the clause analysers take hundreds of megabytes at 10x.
// glibc keeps a freed result of the 1x size for the next iteration but
// gives one of the 10x size back to the system, so only 10x would pay for
// fresh pages in every iteration. Giving memory back after every iteration
// (outside the timing) measures both sizes the same way, as a designer
// reading one statement does.
void ReleaseMemory(benchmark::State& state) {
#ifdef __GLIBC__
    state.PauseTiming();
    malloc_trim(0);
    state.ResumeTiming();
#else
    (void)state;
#endif
}

// Inputs are built once per size, outside the timed loops.
template <typename Make>
const QString& Cached(std::map<qsizetype, QString>& cache, qsizetype size, Make make) {
    auto it = cache.find(size);
    if (it == cache.end()) it = cache.emplace(size, make(size)).first;
    return it->second;
}

// One scaling case: `analyse` on the text of state.range(0) items, the
// memory of the last iteration given back outside the timing. `analyse`
// returns the count it found, checked against `expected` when that is set.
template <typename Make, typename Analyse>
void Scaling(benchmark::State& state, Make make, Analyse analyse, qsizetype expected = -1) {
    static std::map<qsizetype, QString> cache;
    const QString& text = Cached(cache, state.range(0), make);
    for (auto _ : state) {
        ReleaseMemory(state);
        const qsizetype found = analyse(text);
        benchmark::DoNotOptimize(found);
        if (expected >= 0 && found != expected) state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

qsizetype WhereRows(const QString& text) {
    QStringList rows;
    AnalysisWhereClause(text, rows, QString(), QString(), QString());
    return rows.size();
}

qsizetype UnionParts(const QString& text) {
    QStringList parts;
    AnalysisUnionClause(text, parts, QString(), QString(), QString());
    return parts.size();
}

qsizetype FromTables(const QString& text) {
    QStringList joins, tables;
    AnalysisFromClause(text, joins, tables);
    return tables.size();
}

void BM_WhereOrConditions(benchmark::State& state) {
    Scaling(
        state, [](qsizetype n) { return WhereText(int(n)); }, WhereRows, 6 * state.range(0));
}
BENCHMARK(BM_WhereOrConditions)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_UnionParts(benchmark::State& state) {
    Scaling(
        state, [](qsizetype n) { return UnionText(int(n)); }, UnionParts, 4 * state.range(0));
}
BENCHMARK(BM_UnionParts)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_FromJoins(benchmark::State& state) {
    Scaling(
        state, [](qsizetype n) { return FromText(int(n)); }, FromTables, state.range(0) + 1);
}
BENCHMARK(BM_FromJoins)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TrimExp(benchmark::State& state) {
    static std::map<qsizetype, QString> cache;
    const QString& text = Cached(cache, state.range(0), SqlText);
    for (auto _ : state)
        benchmark::DoNotOptimize(TrimExp(text).size());
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_TrimExp)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void BM_FindExpEnd(benchmark::State& state) {
    static std::map<qsizetype, QString> cache;
    const QString& text = Cached(cache, state.range(0), SqlText);
    const QStringList keywords{QStringLiteral("group by"), QStringLiteral("order by")};
    for (auto _ : state) {
        QString found;
        int keyPos = 0;
        const int end = FindExpEnd(text, QChar(), &keywords, found, keyPos, 1);
        benchmark::DoNotOptimize(end);
        if (end != text.size()) state.SkipWithError("the text should run to its end");
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_FindExpEnd)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The whole condition list inside one pair of parentheses, each condition
// in its own: every piece starts and ends with a parenthesis.
void BM_WhereParenthesised(benchmark::State& state) {
    Scaling(
        state,
        [](qsizetype n) {
            QString s = QStringLiteral("(");
            for (qsizetype i = 0; i < n; ++i)
                s += (i ? QStringLiteral(" or (c = %1)") : QStringLiteral("(c = %1)")).arg(N(i));
            return s + u')';
        },
        WhereRows);
}
BENCHMARK(BM_WhereParenthesised)->Arg(50000)->Arg(500000)->Unit(benchmark::kMillisecond);

// Conditions with an unclosed bracket: each piece's search for its
// enclosing parenthesis would run to the end of the text.
void BM_WhereOpenBrackets(benchmark::State& state) {
    Scaling(
        state,
        [](qsizetype n) {
            return QStringLiteral("([x = 1) or ").repeated(n - 1) + QStringLiteral("([x = 1)");
        },
        WhereRows);
}
BENCHMARK(BM_WhereOpenBrackets)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// ((((c0 = 0 or c1 = 1) or c2 = 2) ...): every level holds all the others.
void BM_WhereLeftNested(benchmark::State& state) {
    Scaling(
        state,
        [](qsizetype n) {
            QString s = QString(n - 1, u'(') + QStringLiteral("c0 = 0");
            for (qsizetype i = 1; i < n; ++i)
                s += QStringLiteral(" or c%1 = %1)").arg(N(i));
            return s;
        },
        WhereRows);
}
BENCHMARK(BM_WhereLeftNested)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NestedParentheses(benchmark::State& state) {
    Scaling(
        state,
        [](qsizetype n) { return QString(n, u'(') + QStringLiteral("a = 1") + QString(n, u')'); },
        [](const QString& text) {
            QString left, right;
            return TrimSQLElement2(text, left, right).size();
        });
}
BENCHMARK(BM_NestedParentheses)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Statements of at least `characters` characters, whole conditions, parts
// or joins.
QString WhereOf(qsizetype characters) {
    return WhereText(int(characters / 24 + 1));
}
QString UnionOf(qsizetype characters) {
    return UnionText(int(characters / 56 + 1));
}
QString FromOf(qsizetype characters) {
    return FromText(int(characters / 50 + 1));
}

// The WHERE clause of a realistic statement, without its keyword.
QString BracketedWhereOf(qsizetype characters) {
    const QString sql = bench::RealisticStatement(characters);
    const qsizetype start = sql.indexOf(QLatin1String("\nwhere ")) + 7;
    return sql.mid(start, sql.lastIndexOf(QLatin1String("\norder by")) - start);
}

const QString& Statement(int which) {
    static const QString texts[] = {WhereOf(1 << 20), UnionOf(1 << 20), FromOf(1 << 20),
                                    BracketedWhereOf(1 << 20)};
    return texts[which];
}
const char* const StatementNames[] = {"WHERE", "UNION", "FROM", "WHERE, bracketed OR pairs"};

// The reference: one pass that looks at every character once, telling
// quoted text from blanks at the top level.
qsizetype PlainLoop(const QString& text) {
    qsizetype blanks = 0;
    bool quoted = false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == 32 || c == 9 || c == 13 || c == 8))
            ++blanks;
    }
    return blanks;
}

void BM_PlainLoop(benchmark::State& state) {
    const QString& text = Statement(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainLoop(text));
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetLabel(StatementNames[state.range(0)]);
}
BENCHMARK(BM_PlainLoop)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void RunAnalyser(int which, const QString& text, QStringList* result = nullptr) {
    QStringList a, b;
    switch (which) {
    case 0:
    case 3:
        AnalysisWhereClause(text, a, QString(), QString(), QString());
        break;
    case 1:
        AnalysisUnionClause(text, a, QString(), QString(), QString());
        break;
    default:
        AnalysisFromClause(text, a, b);
        break;
    }
    benchmark::DoNotOptimize(a.size());
    if (result) *result = std::move(a);
}

// With the heap warm, as in a designer that has been running, and with the
// memory given back to the system after every statement (as the scaling
// cases above do), which makes every result pay for fresh pages.
void BM_AnalyserThroughput(benchmark::State& state) {
    const int which = int(state.range(0));
    const bool release = state.range(1) != 0;
    const QString& text = Statement(which);
    for (auto _ : state) {
        if (release) ReleaseMemory(state);
        RunAnalyser(which, text);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetLabel(std::string(StatementNames[which]) + (release ? ", memory given back" : ""));
}
BENCHMARK(BM_AnalyserThroughput)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

// What any analyser pays that returns the list this one returns for a
// statement: its entries made and freed, each string of the statement's
// text copied from where it stands (texts of up to two characters, such as
// brackets, operators and connectors, shared). Over the same characters as
// BM_AnalyserThroughput, so the two rates compare directly.
void BM_AnalyserResultAlone(benchmark::State& state) {
    const int which = int(state.range(0));
    const QString& text = Statement(which);
    QStringList result;
    RunAnalyser(which, text, &result);
    // Each entry: where its text stands (>= 0) or, as -1 - k, shared entry k.
    std::vector<std::pair<qsizetype, qsizetype>> entries;
    QStringList shared;
    qsizetype from = 0;
    for (const QString& entry : result) {
        const qsizetype at = entry.size() > 2 ? text.indexOf(entry, from) : -1;
        if (at >= 0) {
            entries.emplace_back(at, entry.size());
            from = at;
        } else {
            entries.emplace_back(-1 - shared.size(), 0);
            shared << entry;
        }
    }
    for (auto _ : state) {
        QStringList made;
        made.reserve(qsizetype(entries.size()));
        for (const auto& [at, size] : entries)
            made.append(at >= 0 ? QString(text.constData() + at, size) : shared[-1 - at]);
        benchmark::DoNotOptimize(made.size());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.SetLabel(StatementNames[which]);
}
BENCHMARK(BM_AnalyserResultAlone)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Analyser time over plain-loop time on the same statement, the two run
// alternately so that a busy machine slows both alike; the limit is 15.
void BM_AnalyserToPlainLoopRatio(benchmark::State& state) {
    const int which = int(state.range(0));
    const QString& text = Statement(which);
    double analyser = 0;
    double loop = 0;
    for (auto _ : state) {
        for (int k = 0; k < 20; ++k) {
            double start = ThreadSeconds();
            RunAnalyser(which, text);
            analyser += ThreadSeconds() - start;
            start = ThreadSeconds();
            for (int r = 0; r < 4; ++r)
                benchmark::DoNotOptimize(PlainLoop(text));
            loop += (ThreadSeconds() - start) / 4;
        }
    }
    const double ratio = analyser / loop;
    state.counters["ratio"] = ratio;
    state.counters["analyser_MB_per_s"] =
        double(text.size()) * 20 * double(state.iterations()) / analyser / 1e6;
    state.SetLabel(StatementNames[which]);
    if (ratio > 15) state.SkipWithError("the analyser takes more than 15x a plain loop");
}
BENCHMARK(BM_AnalyserToPlainLoopRatio)
    ->DenseRange(0, 3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
