// Database access on big schemas and long results (SQLite, in a temporary
// folder): the catalogue of thousands of tables, the column list of a wide
// table, and reading many rows; connection strings of 12,000 and 120,000 keys,
// read in time linear in their length, and the same through a data-link file
// (1.7 MB in UTF-16); a connection of 100,000 keys opened and asked for its
// properties.
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "db/ConnectionString.h"
#include "db/SampleDatabase.h"
#include "platform/DataLinkFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace quillary;

namespace {

QTemporaryDir* g_dir = nullptr;

QString MakeDatabase(const QString& name, const QString& script) {
    const QString path = QDir(g_dir->path()).filePath(name);
    if (QFile::exists(path)) return path;
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

QString ManyTables(int count) {
    QString script = QStringLiteral("begin;");
    for (int i = 0; i < count; ++i)
        script +=
            QStringLiteral("create table t%1 (id integer primary key, name varchar(20), d date);")
                .arg(i);
    return MakeDatabase(QStringLiteral("tables-%1.db").arg(count),
                        script + QStringLiteral("commit;"));
}

void BM_CatalogueOfManyTables(benchmark::State& state) {
    TADOConnection c(SqliteConnectionString(ManyTables(int(state.range(0)))));
    c.Open();
    QStringList names;
    for (auto _ : state) {
        c.GetTableNames(names, false);
        benchmark::DoNotOptimize(names.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CatalogueOfManyTables)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FieldDefsOfWideTable(benchmark::State& state) {
    const int columns = int(state.range(0));
    QString create = QStringLiteral("create table wide (c0 integer");
    for (int i = 1; i < columns; ++i)
        create += QStringLiteral(", c%1 %2")
                      .arg(i)
                      .arg(i % 3 == 0   ? "varchar(10)"
                           : i % 3 == 1 ? "date"
                                        : "real");
    const QString path =
        MakeDatabase(QStringLiteral("wide-%1.db").arg(columns), create + QStringLiteral(");"));
    TADOConnection c(SqliteConnectionString(path));
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select * from wide where 1=0")};
    for (auto _ : state) {
        q.Open();
        benchmark::DoNotOptimize(q.FieldDefs().Count());
        q.Close();
    }
}
BENCHMARK(BM_FieldDefsOfWideTable)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_ReadAllRows(benchmark::State& state) {
    const int rows = int(state.range(0));
    const QString path =
        MakeDatabase(QStringLiteral("rows-%1.db").arg(rows),
                     QStringLiteral("create table r (id integer, name varchar(20), amount real);"
                                    "insert into r with recursive s(n) as (select 1 union all "
                                    "select n + 1 from s where n < %1) "
                                    "select n, 'name ' || n, n * 1.5 from s;")
                         .arg(rows));
    TADOConnection c(SqliteConnectionString(path));
    TADOQuery q;
    q.SetConnection(&c);
    q.SQL() = QStringList{QStringLiteral("select * from r")};
    for (auto _ : state) {
        q.Open();
        benchmark::DoNotOptimize(q.RecordCount());
        q.Close();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ReadAllRows)->Arg(100000)->Unit(benchmark::kMillisecond);

// Keys of one width, so that ten times the keys is ten times the text.
QString ManyKeys(int keys) {
    QString text = QStringLiteral("Provider=SQLite");
    text.reserve(keys * 7);
    for (int i = 0; i < keys; ++i)
        text += QStringLiteral(";%1=v").arg(i, 4, 36, QLatin1Char('0'));
    return text;
}

void BM_ParseManyKeys(benchmark::State& state) {
    const QString text = ManyKeys(int(state.range(0)));
    for (auto _ : state) {
        const TConnectionString cs = TConnectionString::Parse(text);
        if (cs.Items().size() != state.range(0) + 1) state.SkipWithError("keys were lost");
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseManyKeys)->Arg(12000)->Arg(120000)->Unit(benchmark::kMillisecond);

// The provider of a data-link file of 120,000 keys (a UTF-16 file of about 1 MB),
// read by a fresh connection each time (a connection reads it once).
void BM_DataLinkFileOfManyKeys(benchmark::State& state) {
    const QString udl = QDir(g_dir->path()).filePath(QStringLiteral("many.udl"));
    WriteDataLinkFile(udl, ManyKeys(int(state.range(0))));
    for (auto _ : state) {
        TADOConnection c(QStringLiteral("File Name=") + udl);
        if (c.Provider() != QLatin1String("SQLite")) state.SkipWithError("wrong provider");
    }
    state.SetLabel(QStringLiteral("%1 bytes").arg(QFileInfo(udl).size()).toStdString());
}
BENCHMARK(BM_DataLinkFileOfManyKeys)->Arg(120000)->Unit(benchmark::kMillisecond);

// Opening and asking a 100,000-key string what it names, as the designer does
// when it switches to it: provider, data source, user, password. The string
// is parsed once per Open (299 ms when every look-up parsed it again).
void BM_OpenManyKeys(benchmark::State& state) {
    const QString text = SqliteConnectionString(ManyTables(1)) + QLatin1Char(';') +
                         ManyKeys(int(state.range(0))).mid(qstrlen("Provider=SQLite;"));
    for (auto _ : state) {
        TADOConnection c(text);
        c.Open();
        for (const char* key : {"Provider", "Data Source", "User ID", "Password", "Initial Catalog"})
            benchmark::DoNotOptimize(c.PropertyValue(QString::fromLatin1(key)));
        benchmark::DoNotOptimize(c.ProviderKind());
        c.Close();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenManyKeys)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
