// The canvas at scale (Qt offscreen): 200 boxes and 300 links.
//  - one move step of a box that carries 20 links: the box moves a pixel, its
//    links are recomputed and the canvas repaints; the step is reported in
//    microseconds (target: under 2 ms), with the number of links whose
//    geometry changed (the box's 20) and the number of links the repaint drew
//    (those 20 and the ones crossing them); nothing beneath the boxes repaints;
//  - inserting a sub-query box into a canvas of 9 boxes and of 199 boxes,
//    with the ratio of the two measured in the same run (limit 2).
// A ratio benchmark reports an error when its target is missed.
#include "db/ADOConnection.h"
#include "designer/CanvasHost.h"
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QBLink.h"
#include "designer/QBTable.h"
#include "designer/QuillaryDialog.h"
#include "query/QueryDesign.h"
#include "sqltext/DataSourceKind.h"

#include <QApplication>
#include <QFile>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

using namespace quillary;

namespace {

// A designer without pages: the lists the boxes keep are plain lists.
class TBenchHost final : public TCanvasHost {
public:
    TBenchHost() {
        const QString file = m_dir.path() + QStringLiteral("/bench.db");
        QFile(file).open(QIODevice::WriteOnly); // an empty file is an empty database
        const QString csn = QStringLiteral("Provider=SQLite;Data Source=") + file;
        m_dialog.SetOwnConnection(std::make_unique<TADOConnection>(csn));
        m_dialog.OwnConnection()->Open();
    }
    int GetDSN() override { return dsOther; }
    TSqlDialect Dialect() override { return TSqlDialect::Sqlite(); }
    TQuillaryDialog* Dialog() const override { return const_cast<TQuillaryDialog*>(&m_dialog); }
    bool SystemTablesShown() const override { return false; }
    QString SelectedTable() const override { return {}; }
    bool IsTableList(const QObject*) const override { return false; }
    QPoint NextTablePos() const override { return {10, 10}; }
    void PlaceNextAfter(const QRect&) override {}
    void EditColumnLists(const std::function<void(QueryDesign&)>& edit) override {
        edit(m_lists);
    }
    void ColumnTickChanged() override {}
    void OpenToolBox() override {}
    void OpenTableList() override {}
    void OpenUnionPanel() override {}

private:
    QTemporaryDir m_dir;
    TQuillaryDialog m_dialog;
    QueryDesign m_lists;
};

constexpr int kColumns = 10;
constexpr int kGridWidth = 20;

TDesignBox MakeBox(int i) {
    TDesignBox box;
    box.TableName = QStringLiteral("t%1").arg(i);
    box.Left = 10 + (i % kGridWidth) * 200;
    box.Top = 10 + (i / kGridWidth) * 210;
    box.Fields.append({QStringLiteral("*"), 0, false});
    for (int c = 1; c <= kColumns; ++c)
        box.Fields.append({QStringLiteral("c%1").arg(c), 3, c == 1});
    return box;
}

// 200 boxes; box `hub` carries 20 links, 280 more join the other boxes.
QueryDesign MakeDesign(int hub) {
    QueryDesign design;
    for (int i = 0; i < 200; ++i)
        design.Boxes.append(MakeBox(i));
    auto link = [&](int t1, int t2, int r1, int r2) {
        design.Links.append(TDesignLink{t1, t2, r1, r2, QStringLiteral("c%1").arg(r1),
                                        QStringLiteral("c%1").arg(r2), (t1 + t2) % 4, {}});
    };
    const int neighbours[] = {-kGridWidth - 1, -kGridWidth, -kGridWidth + 1, -1, 1,
                              kGridWidth - 1,  kGridWidth,  kGridWidth + 1};
    for (int k = 0; k < 20; ++k)
        link(hub, hub + neighbours[k % 8] * (1 + k / 8), 1 + k % kColumns, 1 + (k * 3) % kColumns);
    for (int k = 0; k < 280; ++k) {
        int a = (k * 7) % 200, b = (k * 13 + 5) % 200;
        if (a == hub) a = (a + 1) % 200;
        if (b == hub || b == a) b = (b + 2) % 200;
        link(a, b, 1 + k % kColumns, 1 + (k / 3) % kColumns);
    }
    return design;
}

// Counts the links a repaint of the surface draws: those of the moved box
// and those whose rectangle meets the strips they freed (clipped to them).
class TPaintCounter : public QObject {
public:
    TPaintCounter(TQBArea* canvas) : m_canvas(canvas) {
        canvas->Surface()->installEventFilter(this);
    }
    int Links = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        const QRegion region = static_cast<QPaintEvent*>(event)->region();
        for (const TQBLink* link : m_canvas->Links())
            if (region.intersects(link->Geometry().adjusted(-4, -4, 4, 4))) ++Links;
        return false;
    }

private:
    TQBArea* m_canvas;
};

void BM_MoveBoxWith20Links(benchmark::State& state) {
    TBenchHost host;
    QWidget window;
    window.resize(1600, 1000);
    auto* canvas = new TQBArea(&host, &window);
    canvas->resize(window.size());
    const int hub = 4 * kGridWidth + 5;
    canvas->ApplyDesign(MakeDesign(hub));
    window.show();
    TQBTable* box = canvas->Tables()[hub];
    canvas->ensureWidgetVisible(box, 600, 400);
    QApplication::processEvents();
    int carried = 0;
    for (const TQBLink* link : canvas->Links())
        carried += link->Table1 == box || link->Table2 == box;

    QList<QRect> before;
    for (const TQBLink* link : canvas->Links())
        before << link->Geometry();
    int step = 0;
    for (auto _ : state) {
        const int dx = (step++ % 20) < 10 ? 1 : -1;
        box->move(box->pos() + QPoint(dx, 0));
        canvas->ReboundLinks4Table(box);
        QApplication::processEvents(); // the repaint
    }
    // One more step, measured for what it touched.
    for (int i = 0; i < canvas->Links().size(); ++i)
        before[i] = canvas->Links()[i]->Geometry();
    TPaintCounter counter(canvas);
    box->move(box->pos() + QPoint(1, 0));
    canvas->ReboundLinks4Table(box);
    QApplication::processEvents();
    int changed = 0;
    for (int i = 0; i < canvas->Links().size(); ++i)
        changed += canvas->Links()[i]->Geometry() != before[i];
    state.counters["boxes"] = double(canvas->Tables().size());
    state.counters["links"] = double(canvas->Links().size());
    state.counters["links_of_box"] = carried;
    state.counters["links_recomputed"] = changed;
    state.counters["links_drawn"] = counter.Links;
    if (changed > carried) state.SkipWithError("links of other boxes were recomputed");
}
BENCHMARK(BM_MoveBoxWith20Links)->Unit(benchmark::kMicrosecond);

// Average seconds of inserting one sub-query box into a canvas of `boxes`.
double InsertSeconds(int boxes, int times) {
    TBenchHost host;
    QWidget window;
    window.resize(1600, 1000);
    auto* canvas = new TQBArea(&host, &window);
    QueryDesign design;
    for (int i = 0; i < boxes; ++i)
        design.Boxes.append(MakeBox(i));
    canvas->ApplyDesign(design);
    window.show();
    QApplication::processEvents();
    const QString sql = QStringLiteral("select 1 as c1, 2 as c2, 3 as c3, 4 as c4, 5 as c5");
    double seconds = 0;
    for (int i = 0; i < times; ++i) {
        const auto start = std::chrono::steady_clock::now();
        TQBTable* box = canvas->InsertQTable(300, 300, QStringLiteral("q%1").arg(i), sql);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        box->_CloseBtn();
        QApplication::processEvents();
    }
    return seconds / times;
}

void BM_InsertBoxScaling(benchmark::State& state) {
    double tenth = 0, last = 0;
    for (auto _ : state) {
        tenth = InsertSeconds(9, 200);
        last = InsertSeconds(199, 200);
    }
    state.counters["insert_10th_us"] = tenth * 1e6;
    state.counters["insert_200th_us"] = last * 1e6;
    state.counters["ratio_200th_to_10th"] = last / tenth;
    if (last / tenth > 2.0) state.SkipWithError("the 200th box costs more than 2x the 10th");
}
BENCHMARK(BM_InsertBoxScaling)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
