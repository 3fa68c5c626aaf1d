// Long statements through the SQL page (SQLite, Qt offscreen), written as
// people write them (RealisticSql.h: 10,000 bracketed pairs of conditions,
// the rest NOT IN lists):
//  - "应用" on a statement of 6 MB: the rebuild, its test run, the design
//    applied to the canvas, lists and grids, and the statement written back
//    into the page; the time (target: under 2 s) and the growth of the
//    resident set at its peak over the statement already in the page
//    (target: under 100 MB). database_s and database_peak_MB are what
//    SQLite alone takes to prepare the statement and give its first row
//    once;
//  - a .sql file of 60 MB opened: the peak growth of the resident set over
//    the program before (target: well under 1 GB), and what the user is
//    told.
// A benchmark reports an error when its target is missed or when the
// designer shows a message it should not.
#include "BenchDesigner.h"
#include "RealisticSql.h"
#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "designer/Frm_Quillary.h"
#include "designer/QuillaryDialog.h"
#include "platform/UserInteraction.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

using namespace quillary;

namespace {

constexpr qsizetype kPairs = 10000;

// A value of /proc/self/status in kilobytes ("VmRSS", "VmHWM").
long StatusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    return 0;
}

// Makes the peak resident set start again from the current one.
void ResetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

// The user: every message is recorded and answered No.
class TBenchUser final : public TUserInteraction {
public:
    int MessageBox(const QString& text, const QString&, TMsgButtons, TMsgIcon) override {
        Messages << text;
        return mrNo;
    }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    int ShowModal(QDialog*) override { return mrCancel; }
    QStringList Messages;
};

// A designer on a database holding the tables the statements name, with a
// few rows each.
class TSqlPageDesigner {
public:
    TSqlPageDesigner() {
        SetUi(&m_user);
        QString script;
        for (int t = 0; t < bench::kRealisticTables; ++t) {
            QStringList columns;
            for (const QString& c : bench::RealisticColumns())
                columns << QLatin1Char('"') + c + QStringLiteral("\" ") +
                               (c == QLatin1String("name") ? QStringLiteral("text")
                                                           : QStringLiteral("integer"));
            script += QStringLiteral("create table t%1 (%2);").arg(t).arg(columns.join(u','));
            script += QStringLiteral(
                          "with recursive n(i) as (select 1 union all select i + 1 from n where "
                          "i < 50) insert into t%1 (id, k, name, v, \"unit price\") select i, i, "
                          "'x' || i, i, i from n;")
                          .arg(t);
        }
        m_designer = std::make_unique<bench::TBenchDesigner>(script);
    }
    ~TSqlPageDesigner() {
        m_designer.reset();
        SetUi(nullptr);
    }
    TFrm_Quillary& Form() { return m_designer->Form(); }
    TBenchUser& User() { return m_user; }
    QString Path(const QString& name) const { return m_designer->Path(name); }

private:
    TBenchUser m_user;
    std::unique_ptr<bench::TBenchDesigner> m_designer;
};

TSqlPageDesigner& Designer() {
    return bench::MadeOnce<TSqlPageDesigner>();
}

// The form back to an empty design with the SQL page shown.
void Reset(TFrm_Quillary& form) {
    form.Init();
    form.PageControl1->setCurrentIndex(TFrm_Quillary::pgSQL);
    QApplication::processEvents();
}

void BM_SqlPageApply(benchmark::State& state) {
    TSqlPageDesigner& designer = Designer();
    TFrm_Quillary& form = designer.Form();
    const QString sql = bench::RealisticStatement(state.range(0), kPairs);
    double database = 0;
    long databaseKb = 0; // what the database itself takes to prepare and run it
    {
        TADOQuery query;
        query.SetConnection(form.ResQuery->Connection());
        query.SQL() = QStringList{sql};
        const long before = StatusKb("VmRSS");
        ResetPeak();
        const auto start = std::chrono::steady_clock::now();
        query.Open();
        database = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        databaseKb = StatusKb("VmHWM") - before;
    }
    double worstSeconds = 0;
    long growthKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        form.Memo1->setPlainText(sql);
        QApplication::processEvents();
        designer.User().Messages.clear();
        const long before = StatusKb("VmRSS");
        ResetPeak();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        form.Sp_ApplySQLClick();
        QApplication::processEvents(); // the page laid out and painted
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        worstSeconds = std::max(worstSeconds, seconds);
        growthKb = std::max(growthKb, StatusKb("VmHWM") - before);
        state.ResumeTiming();
    }
    state.counters["worst_s"] = worstSeconds;
    state.counters["database_s"] = database;
    state.counters["peak_growth_MB"] = double(growthKb) / 1024;
    state.counters["database_peak_MB"] = double(databaseKb) / 1024;
    state.counters["statement_MB"] = double(sql.size()) / 1e6;
    const QStringList& messages = designer.User().Messages;
    const std::string figures = QStringLiteral("%1 s (database %2 s), peak growth %3 MB "
                                               "(database alone %4 MB)")
                                    .arg(worstSeconds, 0, 'f', 2)
                                    .arg(database, 0, 'f', 2)
                                    .arg(double(growthKb) / 1024, 0, 'f', 1)
                                    .arg(double(databaseKb) / 1024, 0, 'f', 1)
                                    .toStdString();
    if (!messages.isEmpty())
        state.SkipWithError(("a message: " + messages.first().left(200)).toStdString().c_str());
    else if (form.Memo1->toPlainText() == sql)
        state.SkipWithError("the statement was not applied");
    else if (worstSeconds >= 2)
        state.SkipWithError(("applying took 2 s or more: " + figures).c_str());
    else if (growthKb >= 100 * 1024)
        state.SkipWithError(("the resident set grew by 100 MB or more: " + figures).c_str());
}
BENCHMARK(BM_SqlPageApply)->Arg(6000000)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_OpenLongSqlFile(benchmark::State& state) {
    TSqlPageDesigner& designer = Designer();
    TFrm_Quillary& form = designer.Form();
    const QString path = designer.Path(QStringLiteral("long.sql"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bench::RealisticStatement(state.range(0), kPairs).toUtf8()) < 0) {
            state.SkipWithError("cannot write the file");
            return;
        }
    }
    const qint64 bytes = QFile(path).size();
    long growthKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        designer.User().Messages.clear();
        const long before = StatusKb("VmRSS");
        ResetPeak();
        state.ResumeTiming();
        form.OpenSqlFile(path);
        QApplication::processEvents();
        state.PauseTiming();
        growthKb = std::max(growthKb, StatusKb("VmHWM") - before);
        state.ResumeTiming();
    }
    state.counters["peak_growth_MB"] = double(growthKb) / 1024;
    state.counters["file_MB"] = double(bytes) / 1e6;
    state.counters["messages"] = double(designer.User().Messages.size());
    if (!designer.User().Messages.isEmpty())
        state.SetLabel(designer.User().Messages.first().left(120).toStdString());
    if (growthKb >= 1024 * 1024)
        state.SkipWithError(QStringLiteral("the resident set grew by 1 GB or more: %1 MB")
                                .arg(growthKb / 1024)
                                .toStdString()
                                .c_str());
}
BENCHMARK(BM_OpenLongSqlFile)->Arg(60000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
