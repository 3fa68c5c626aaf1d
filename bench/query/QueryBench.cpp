// The query layer on machine-made designs and statements. Every case runs at
// a base size and at ten times that size; at the end the ratio of the two
// CPU times is printed per case: linear work gives about 10.
//  - GetSQL (display list merged afresh) and GetJoinClause on 500 boxes
//    chained by 499 links, every tenth an outer join, two ticked fields per
//    box and 2,000 condition rows
//  - the state text of that design written and read back
//  - Forge on a 100 KB and a 1 MB statement over 20 joined tables, and on
//    100 tables with 99 joins and 1,000 WHERE rows; the 1 MB statement
//    should rebuild at 50 MB/s or more (bytes_per_second over wall time;
//    one character counted as one byte)
//  - Forge on a statement written as people write them (RealisticSql.h) of
//    100 KB and 1 MB on SQLite, the same speed asked
//  - what the rebuild of that 1 MB statement cannot do without, each part
//    alone at the same measure: the design's rows made and freed, its
//    statement written, one token walk
//  - GetSQL on 100 boxes joined by 99 outer links, as a chain and as a star,
//    and GetJoinClause on chains of 10, 100 and 300 outer links
#include "RealisticSql.h"
#include "query/Generation.h"
#include "query/JoinClause.h"
#include "query/Links.h"
#include "query/Rebuild.h"
#include "query/StateText.h"
#include "query/TableBox.h"
#include "sqltext/DataSourceKind.h"
#include "sqltext/SqlStatements.h"

#include <benchmark/benchmark.h>

#include <QHash>

#include <map>
#include <utility>
#include <vector>

using namespace quillary;

namespace {

const QStringList kColumns{"id", "k", "name", "v"};

bool LoadColumns(TDesignBox& box) {
    box.Fields = {TDesignField{QStringLiteral("*")}};
    for (qsizetype c = 0; c < 50; ++c)
        box.Fields.append({QStringLiteral("c%1").arg(c), 3});
    for (const QString& c : kColumns)
        box.Fields.append({c, c == QLatin1String("name") ? 1 : 3});
    box.Width = 150;
    box.Height = 120;
    return true;
}

TDesignHooks Hooks() {
    TDesignHooks hooks;
    hooks.LoadBox = LoadColumns;
    return hooks;
}

// Boxes T0..Tn-1 chained by links Ti.k = Ti+1.id, 4n condition rows.
QueryDesign ChainDesign(int boxes) {
    QueryDesign d;
    for (int i = 0; i < boxes; ++i) {
        TDesignBox box;
        box.TableName = QStringLiteral("T%1").arg(i);
        box.Left = 10 + i % 4 * 160;
        box.Top = 10 + i / 4 * 130;
        LoadColumns(box);
        box.Fields[53].Checked = true; // name
        box.Fields[54].Checked = true; // v
        ActivateBox(d, box);
    }
    UpdateOrderColumns(d, 0, boxes);
    for (int i = 0; i + 1 < boxes; ++i) {
        const int link = InsertLink(d, i, i + 1, 52, 51, {});
        d.Links[link].JoinType = i % 10 == 0 ? 1 : 0;
    }
    for (int r = 0; r < 4 * boxes; ++r)
        d.ConditionRows.append({QStringLiteral("T%1.v").arg(r % boxes), QStringLiteral(">"),
                                QString::number(r), QStringLiteral("and")});
    d.ConditionRows.last()[3].clear();
    d.ComputeRows = {{QStringLiteral("count(*)"), QStringLiteral("n")}};
    return d;
}

// `boxes` boxes with two ticked fields each, joined by left outer links: a
// chain (Ti.k = Ti+1.id) or a star (T0.k = Ti.id).
QueryDesign OuterDesign(int boxes, bool star) {
    QueryDesign d;
    for (int i = 0; i < boxes; ++i) {
        TDesignBox box;
        box.TableName = QStringLiteral("T%1").arg(i);
        LoadColumns(box);
        box.Fields[53].Checked = true;
        box.Fields[54].Checked = true;
        ActivateBox(d, box);
    }
    for (int i = 0; i + 1 < boxes; ++i) {
        const int link = InsertLink(d, star ? 0 : i, i + 1, 52, 51, {});
        d.Links[link].JoinType = 1;
    }
    return d;
}

const QueryDesign& Cached(int boxes) {
    static std::map<int, QueryDesign> cache;
    auto it = cache.find(boxes);
    if (it == cache.end()) it = cache.emplace(boxes, ChainDesign(boxes)).first;
    return it->second;
}

// A statement of about `size` characters: 20 tables joined, a long select
// list of fields and computed columns, and a long WHERE clause.
QString Statement(qsizetype size) {
    QString from = QStringLiteral("T0");
    for (int t = 1; t < 20; ++t)
        from += QStringLiteral(" %1 join T%2 on T%3.k = T%2.id")
                    .arg(t % 3 ? QStringLiteral("inner") : QStringLiteral("left"))
                    .arg(t)
                    .arg(t - 1);
    QString select = QStringLiteral("select T0.id");
    QString where;
    for (qsizetype i = 0; select.size() + where.size() < size - from.size(); ++i) {
        select += i % 2
                      ? QStringLiteral(", T%1.c%2").arg(i % 20).arg(i / 20 % 50)
                      : QStringLiteral(", T%1.c%2 * 2 + %3 as x%3").arg(i % 20).arg(i % 50).arg(i);
        where += QStringLiteral("%1T%2.v > %3")
                     .arg(i ? QStringLiteral(" and ") : QString())
                     .arg(i % 20)
                     .arg(i);
    }
    return select + QStringLiteral("\r\nfrom ") + from + QStringLiteral("\r\nwhere ") + where +
           QStringLiteral("\r\ngroup by T0.id, T1.name\r\norder by T0.id desc");
}

void BM_GetSQL(benchmark::State& state) {
    const QueryDesign& base = Cached(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QueryDesign d = base;
        state.ResumeTiming();
        const TSqlResult r = GetSQL(d, dsAccess);
        if (r.SQL.isEmpty()) state.SkipWithError("no statement");
        benchmark::DoNotOptimize(r.SQL.size());
    }
}
BENCHMARK(BM_GetSQL)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_GetJoinClause(benchmark::State& state) {
    const QueryDesign& d = Cached(int(state.range(0)));
    for (auto _ : state) {
        const QString clause = GetJoinClause(d);
        if (clause.size() < 10) state.SkipWithError("no join text");
        benchmark::DoNotOptimize(clause.size());
    }
}
BENCHMARK(BM_GetJoinClause)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_GetSQL_OuterChainAndStar(benchmark::State& state) {
    const QueryDesign base = OuterDesign(100, state.range(0) == 1);
    state.SetLabel(state.range(0) == 1 ? "star" : "chain");
    for (auto _ : state) {
        state.PauseTiming();
        QueryDesign d = base;
        state.ResumeTiming();
        const TSqlResult r = GetSQL(d, dsOther);
        if (r.SQL.isEmpty()) state.SkipWithError("no statement");
        benchmark::DoNotOptimize(r.SQL.size());
    }
}
BENCHMARK(BM_GetSQL_OuterChainAndStar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GetJoinClause_OuterLinks(benchmark::State& state) {
    const QueryDesign d = OuterDesign(int(state.range(0)) + 1, false);
    for (auto _ : state) {
        const QString clause = GetJoinClause(d);
        if (clause.size() < 10) state.SkipWithError("no join text");
        benchmark::DoNotOptimize(clause.size());
    }
}
BENCHMARK(BM_GetJoinClause_OuterLinks)->Arg(10)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_StateText(benchmark::State& state) {
    QueryDesign d = Cached(int(state.range(0)));
    const QString sql = GetSQL(d, dsAccess).SQL;
    for (auto _ : state) {
        const QStringList lines = GetSQLSet(d, sql, dsAccess);
        QueryDesign back;
        SetSQLSet(back, lines, dsAccess, Hooks());
        if (back.Links.size() != d.Links.size()) state.SkipWithError("links lost");
    }
}
BENCHMARK(BM_StateText)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_Forge(benchmark::State& state) {
    static std::map<qsizetype, QString> cache;
    auto it = cache.find(state.range(0));
    if (it == cache.end()) it = cache.emplace(state.range(0), Statement(state.range(0))).first;
    const QString& sql = it->second;
    for (auto _ : state) {
        const TForgeResult r = Forge(sql, dsAccess, {}, Hooks());
        if (!r.Ok || r.Design.Boxes.size() != 20) state.SkipWithError("not rebuilt");
        benchmark::DoNotOptimize(r.Sql.SQL.size());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
}
BENCHMARK(BM_Forge)->Arg(100000)->Arg(1000000)->UseRealTime()->Unit(benchmark::kMillisecond);

// For each cell of `rows` (row by row), the cell of `source` with the same
// text as {row, column}, {-1, -1} for none.
using TCellShares = std::vector<std::pair<qsizetype, qsizetype>>;
TCellShares SharedCells(const QList<QStringList>& rows, const QList<QStringList>& source) {
    QHash<QString, std::pair<qsizetype, qsizetype>> where;
    for (qsizetype r = 0; r < source.size(); ++r)
        for (qsizetype c = 0; c < source[r].size(); ++c)
            where.insert(source[r][c], {r, c});
    TCellShares shares;
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            shares.push_back(where.value(cell, {-1, -1}));
    return shares;
}

// A copy of `rows` whose cells of more than two characters are made anew,
// unless `shares` names a cell of `source` with the same text to share.
QList<QStringList> MadeRows(const QList<QStringList>& rows, const QList<QStringList>* source,
                            const TCellShares* shares) {
    QList<QStringList> made;
    made.reserve(rows.size());
    std::size_t k = 0;
    for (const QStringList& row : rows) {
        QStringList cells;
        cells.reserve(row.size());
        for (const QString& cell : row) {
            const auto [r, c] = shares ? (*shares)[k] : std::pair<qsizetype, qsizetype>{-1, -1};
            ++k;
            if (r >= 0)
                cells.append((*source)[r][c]);
            else
                cells.append(cell.size() > 2 ? QString(cell.constData(), cell.size()) : cell);
        }
        made.append(std::move(cells));
    }
    return made;
}

// What a rebuild of the 1 MB statement of BM_Forge pays besides its own
// reading, each part over the statement's length so that its rate compares
// with BM_Forge's 50 MB/s: 0 the rows the design holds (condition, computed
// column and display rows) made and freed, each text of the statement copied
// once (cells of up to two characters, such as operators, connectors and
// kind marks, shared, and so are the computed columns' texts in the display
// rows): no rebuild that returns these rows can do with less; 1 the design's
// statement as generation writes it today; 2 one walk of the statement's
// tokens (reading the statement takes one, and the check that the design
// carries it walks it and the written statement).
void BM_ForgeFloor(benchmark::State& state) {
    static const QString sql = Statement(1000000);
    static const QueryDesign design = Forge(sql, dsAccess, {}, Hooks()).Design;
    const int part = int(state.range(0));
    static const char* const labels[] = {"rows made and freed", "statement written",
                                         "one token walk"};
    const TSqlReading reading = design.Dialect.Readings().front();
    static const TCellShares displayShares = SharedCells(design.DisplayRows, design.ComputeRows);
    for (auto _ : state) {
        qsizetype made = 0;
        if (part == 0) {
            // Display rows of computed columns share the computed rows' texts.
            const QList<QStringList> compute = MadeRows(design.ComputeRows, {}, {});
            const QList<QStringList> display =
                MadeRows(design.DisplayRows, &compute, &displayShares);
            const QList<QStringList> conditions = MadeRows(design.ConditionRows, {}, {});
            const QList<QStringList> having = MadeRows(design.HavingRows, {}, {});
            made = compute.size() + display.size() + conditions.size() + having.size();
        } else if (part == 1) {
            made = GetSQLOfFollowed(design, dsAccess).SQL.size();
        } else {
            ForEachSqlWord(sql, reading, [&](std::span<const TSqlWord> words) {
                made += qsizetype(words.size());
            });
        }
        if (made < 1000) state.SkipWithError("nothing made");
        benchmark::DoNotOptimize(made);
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
    state.SetLabel(labels[part]);
}
BENCHMARK(BM_ForgeFloor)->DenseRange(0, 2)->UseRealTime()->Unit(benchmark::kMillisecond);

// `tables` tables joined by tables - 1 joins (every third a left join), two
// columns of each selected and 10 WHERE rows per table.
QString JoinedStatement(int tables) {
    QString select = QStringLiteral("select T0.id, T0.name");
    QString from = QStringLiteral("T0");
    QString where;
    for (int t = 1; t < tables; ++t) {
        select += QStringLiteral(", T%1.id, T%1.name").arg(t);
        from += QStringLiteral(" %1 join T%2 on T%3.k = T%2.id")
                    .arg(t % 3 ? QStringLiteral("inner") : QStringLiteral("left"))
                    .arg(t)
                    .arg(t - 1);
    }
    for (int i = 0; i < 10 * tables; ++i)
        where += QStringLiteral("%1T%2.v > %3")
                     .arg(i ? QStringLiteral(" and ") : QString())
                     .arg(i % tables)
                     .arg(i);
    return select + QStringLiteral("\r\nfrom ") + from + QStringLiteral("\r\nwhere ") + where;
}

void BM_ForgeJoinedTables(benchmark::State& state) {
    const int tables = int(state.range(0));
    static std::map<int, QString> cache;
    auto it = cache.find(tables);
    if (it == cache.end()) it = cache.emplace(tables, JoinedStatement(tables)).first;
    for (auto _ : state) {
        const TForgeResult r = Forge(it->second, dsOther, {}, Hooks());
        if (!r.Ok || r.Design.Boxes.size() != tables || r.Design.Links.size() != tables - 1)
            state.SkipWithError("not rebuilt");
        benchmark::DoNotOptimize(r.Sql.SQL.size());
    }
}
BENCHMARK(BM_ForgeJoinedTables)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

// The statement people write (RealisticSql.h) read back on SQLite, whose
// tables have the columns the statement names.
void BM_ForgeRealistic(benchmark::State& state) {
    static std::map<qsizetype, QString> cache;
    auto it = cache.find(state.range(0));
    if (it == cache.end())
        it = cache.emplace(state.range(0), bench::RealisticStatement(state.range(0))).first;
    const QString& sql = it->second;
    TDesignHooks hooks;
    hooks.LoadBox = [](TDesignBox& box) {
        box.Fields = {TDesignField{QStringLiteral("*")}};
        for (const QString& c : bench::RealisticColumns())
            box.Fields.append({c, c == QLatin1String("name")         ? 1
                                  : c == QLatin1String("unit price") ? 6
                                                                     : 3});
        box.Width = 150;
        box.Height = 120;
        return true;
    };
    for (int t = 0; t < bench::kRealisticTables; ++t)
        hooks.Tables << QStringLiteral("t%1").arg(t);
    QueryDesign current;
    current.Dialect = TSqlDialect::Sqlite();
    for (auto _ : state) {
        const TForgeResult r = Forge(sql, dsOther, current, hooks);
        if (!r.Ok || r.Design.Boxes.size() != bench::kRealisticTables || !r.NotCarried.isEmpty())
            state.SkipWithError("not rebuilt whole");
        benchmark::DoNotOptimize(r.Sql.SQL.size());
    }
    state.SetBytesProcessed(state.iterations() * sql.size());
}
BENCHMARK(BM_ForgeRealistic)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
