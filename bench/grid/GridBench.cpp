// The property grid at scale (Qt offscreen):
//  - memory: a grid of 1,000,000 rows and 1,000 columns with no cells written
//    against one of 100 rows, then the heap growth per cell written;
//  - 100,000 cell writes and 100,000 cell reads;
//  - painting one screen of a grid of 100 rows and of 1,000,000 rows, with
//    the ratio of the two measured in the same run (limit 1.5);
//  - moving one row in grids of 1,000 and 100,000 rows with 10, 100 and 1,000
//    columns: the cost follows the columns, not the rows;
//  - loading hostile stored forms of up to 1 MB (huge counts with zero
//    extents, a megabyte of definitions, extents, pick lists or string),
//    then showing and painting the grid: each within a quarter second.
// The memory figures come from the C library's heap statistics, so they count
// every allocation (Qt's string data included). The ratio benchmarks report an
// error when a target is missed: paint 1M/100 rows above 1.5, unwritten-grid
// memory 1M/100 rows above 1.1, row move 100k/1k rows above 1.5.
#include "grid/GridStreaming.h"
#include "grid/StringGridEx.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <vector>

using namespace quillary;

namespace {

long long HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return (long long)(info.uordblks + info.hblkhd);
}

std::unique_ptr<TStringGridEx> MakeGrid(int cols, int rows) {
    auto grid = std::make_unique<TStringGridEx>();
    grid->SetColCount(cols);
    grid->SetRowCount(rows); // brings the column definitions to `cols`
    return grid;
}

// Cell i of a scattered pattern over the whole grid.
inline int CellCol(int i, int cols) {
    return 1 + (i * 7) % (cols - 1);
}
inline int CellRow(int i, int rows) {
    return 1 + int((long long)(i)*9973 % (rows - 1));
}

void BM_EmptyGridMemory(benchmark::State& state) {
    const int rows = int(state.range(0));
    long long grown = 0;
    for (auto _ : state) {
        const long long before = HeapInUse();
        auto grid = MakeGrid(1000, rows);
        grown = HeapInUse() - before;
        benchmark::DoNotOptimize(grid.get());
    }
    state.counters["heap_bytes"] = double(grown);
    state.counters["row_lists"] = 1; // row 0 holds the (empty) labels
}
// The heap of an unwritten 1,000,000-row grid against a 100-row one.
void BM_EmptyGridMemoryRatio(benchmark::State& state) {
    double ratio = 0;
    for (auto _ : state) {
        long long before = HeapInUse();
        auto small = MakeGrid(1000, 100);
        const long long smallBytes = HeapInUse() - before;
        before = HeapInUse();
        auto large = MakeGrid(1000, 1000000);
        const long long largeBytes = HeapInUse() - before;
        ratio = double(largeBytes) / double(smallBytes);
    }
    state.counters["ratio_1M_to_100"] = ratio;
    if (ratio > 1.1) state.SkipWithError("an unwritten grid's memory grows with its rows");
}
BENCHMARK(BM_EmptyGridMemoryRatio)->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_EmptyGridMemory)->Arg(100)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Heap growth per cell: scattered (every cell in a row of its own, the worst
// case: each row list takes a section of 256 slots in a grid this wide) and
// dense (whole rows filled).
void BM_HeapPerWrittenCell(benchmark::State& state) {
    const int cells = int(state.range(0));
    const bool dense = state.range(1) != 0;
    constexpr int cols = 1000;
    constexpr int rows = 1000000;
    double perCell = 0;
    for (auto _ : state) {
        auto grid = MakeGrid(cols, rows);
        const long long before = HeapInUse();
        for (int i = 0; i < cells; ++i) {
            const int col = dense ? i % cols : CellCol(i, cols);
            const int row = dense ? 1 + i / cols : CellRow(i, rows);
            grid->SetCells(col, row, QStringLiteral("字段%1").arg(i));
        }
        perCell = double(HeapInUse() - before) / cells;
    }
    state.counters["heap_bytes_per_cell"] = perCell;
    state.SetLabel(dense ? "dense rows" : "scattered cells");
}
BENCHMARK(BM_HeapPerWrittenCell)
    ->Args({1000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_WriteCells(benchmark::State& state) {
    constexpr int cols = 1000;
    constexpr int rows = 1000000;
    constexpr int cells = 100000;
    const QString text = QStringLiteral("orders.订购日期");
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = MakeGrid(cols, rows);
        state.ResumeTiming();
        for (int i = 0; i < cells; ++i)
            grid->SetCells(CellCol(i, cols), CellRow(i, rows), text);
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * cells);
}
BENCHMARK(BM_WriteCells)->Unit(benchmark::kMillisecond);

void BM_ReadCells(benchmark::State& state) {
    constexpr int cols = 1000;
    constexpr int rows = 1000000;
    constexpr int cells = 100000;
    auto grid = MakeGrid(cols, rows);
    for (int i = 0; i < cells; ++i)
        grid->SetCells(CellCol(i, cols), CellRow(i, rows), QStringLiteral("v%1").arg(i));
    const bool written = state.range(0) != 0;
    for (auto _ : state) {
        qsizetype total = 0;
        for (int i = 0; i < cells; ++i) {
            // Unwritten cells: the neighbour row of each written one.
            const int row = CellRow(i, rows) + (written ? 0 : 1);
            total += grid->GetCells(CellCol(i, cols), row).size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * cells);
    state.SetLabel(written ? "written cells" : "unwritten cells");
}
BENCHMARK(BM_ReadCells)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A shown 640x400 grid with a screen of cells filled from `top`.
std::unique_ptr<TStringGridEx> PaintGrid(int rows, int top) {
    auto grid = MakeGrid(8, rows);
    grid->SetOptions(grid->Options() + goEditing);
    grid->resize(640, 400);
    grid->show();
    QCoreApplication::processEvents();
    if (top > 1) grid->SetTopRow(top);
    for (int r = top; r < top + 30 && r < rows; ++r)
        for (int c = 0; c < 8; ++c)
            grid->SetCells(c, r, QStringLiteral("单元%1-%2").arg(c).arg(r - top));
    grid->SetSelection(TGridRect{2, top + 2, 5, top + 6});
    QCoreApplication::processEvents();
    return grid;
}

double PaintSeconds(TStringGridEx& grid, QImage& image, int times) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        grid.viewport()->render(&image);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PaintScreen(benchmark::State& state) {
    const int rows = int(state.range(0));
    const int top = int(state.range(1));
    auto grid = PaintGrid(rows, top);
    QImage image(grid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        grid->viewport()->render(&image);
    state.SetLabel(QStringLiteral("%1 rows, top row %2").arg(rows).arg(top).toStdString());
}
BENCHMARK(BM_PaintScreen)
    ->Args({100, 1})
    ->Args({1000000, 1})
    ->Args({1000000, 500000})
    ->Unit(benchmark::kMicrosecond);

// Both sizes painted alternately in one run; the ratio must stay at or below 1.5.
void BM_PaintRatio(benchmark::State& state) {
    auto small = PaintGrid(100, 1);
    auto large = PaintGrid(1000000, 500000);
    QImage image(small->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    double smallTime = 0;
    double largeTime = 0;
    for (auto _ : state) {
        smallTime += PaintSeconds(*small, image, 20);
        largeTime += PaintSeconds(*large, image, 20);
    }
    const double ratio = largeTime / smallTime;
    state.counters["ratio_1M_to_100"] = ratio;
    if (ratio > 1.5) state.SkipWithError("painting 1,000,000 rows costs more than 1.5x 100 rows");
}
BENCHMARK(BM_PaintRatio)->Iterations(25)->Unit(benchmark::kMillisecond);

// One MoveDown and one MoveUp of a one-row selection in the middle of the grid.
void BM_MoveRow(benchmark::State& state) {
    const int rows = int(state.range(0));
    const int cols = int(state.range(1));
    auto grid = MakeGrid(cols, rows);
    const int middle = rows / 2;
    for (int r = middle - 5; r <= middle + 5; ++r)
        for (int c = 0; c < cols; ++c)
            grid->SetCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
    grid->SetSelection(TGridRect{1, middle, 1, middle});
    for (auto _ : state) {
        grid->MoveDown();
        grid->MoveUp();
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel(QStringLiteral("%1 rows x %2 columns").arg(rows).arg(cols).toStdString());
}
BENCHMARK(BM_MoveRow)
    ->Args({1000, 10})
    ->Args({100000, 10})
    ->Args({1000, 100})
    ->Args({100000, 100})
    ->Args({1000, 1000})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMicrosecond);

// One row moved down and up again: 100,000 rows against 1,000 (same cost),
// and 1,000 columns against 10 (about 100 times the cost).
double MoveSeconds(int rows, int cols, int times) {
    auto grid = MakeGrid(cols, rows);
    const int middle = rows / 2;
    for (int r = middle - 2; r <= middle + 2; ++r)
        for (int c = 0; c < cols; ++c)
            grid->SetCells(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
    grid->SetSelection(TGridRect{1, middle, 1, middle});
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) {
        grid->MoveDown();
        grid->MoveUp();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_MoveRowScaling(benchmark::State& state) {
    double rowsRatio = 0;
    double colsRatio = 0;
    for (auto _ : state) {
        rowsRatio = MoveSeconds(100000, 100, 200) / MoveSeconds(1000, 100, 200);
        colsRatio = MoveSeconds(1000, 1000, 20) / MoveSeconds(1000, 10, 20);
    }
    state.counters["rows_100k_to_1k"] = rowsRatio;
    state.counters["cols_1000_to_10"] = colsRatio;
    if (rowsRatio > 1.5) state.SkipWithError("moving a row costs more in a grid of more rows");
}
BENCHMARK(BM_MoveRowScaling)->Iterations(3)->Unit(benchmark::kMillisecond);

// The engine's MoveRow of one row to the next position (storage rotation).
void BM_EngineMoveRow(benchmark::State& state) {
    const int rows = int(state.range(0));
    const int cols = int(state.range(1));
    auto grid = MakeGrid(cols, rows);
    const int middle = rows / 2;
    for (int c = 0; c < cols; ++c)
        grid->SetCells(c, middle, QStringLiteral("x"));
    grid->SetRowHeights(middle, 30);
    for (auto _ : state) {
        grid->MoveRow(middle, middle + 1);
        grid->MoveRow(middle + 1, middle);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel(QStringLiteral("%1 rows x %2 columns").arg(rows).arg(cols).toStdString());
}
BENCHMARK(BM_EngineMoveRow)->Args({1000, 100})->Args({100000, 100})->Unit(benchmark::kMicrosecond);

// Stored forms of up to 1 MB that push the loader and the geometry: they
// load or are refused, and a loaded one shows and paints, each well under a
// second.
struct THostileForm {
    const char* Label;
    QByteArray Data;
};

QByteArray Repeated(const char* piece, int times) {
    QByteArray out;
    out.reserve(int(qstrlen(piece)) * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

const std::vector<THostileForm>& HostileForms() {
    static const std::vector<THostileForm> forms = [] {
        const QByteArray head = "object G: TStringGridEx\n";
        const QByteArray noLines = "  Options = []\n  GridLineWidth = 0\n";
        std::vector<THostileForm> f;
        f.push_back({"2^31-1 rows of height 0",
                     head + "  DefaultRowHeight = 0\n  RowCount = 2147483647\nend\n"});
        f.push_back({"2^31-1 rows of height 0 without lines",
                     head + noLines + "  DefaultRowHeight = 0\n  RowCount = 2147483647\nend\n"});
        f.push_back({"65536 columns of width 0, 2^31-1 rows of height 0, no lines",
                     head + noLines +
                         "  DefaultColWidth = 0\n  DefaultRowHeight = 0\n  RowCount = 2147483647\n"
                         "  ColCount = 65536\nend\n"});
        f.push_back({"2^31-1 rows of height 1",
                     head + "  DefaultRowHeight = 1\n  RowCount = 2147483647\nend\n"});
        f.push_back({"110,000 column definitions",
                     head + "  PropValues = <" + Repeated(" item end", 110000) + ">\nend\n"});
        f.push_back({"65,536 columns of width 0",
                     head + "  PropValues = <" + Repeated(" item end", 65536) +
                         ">\n  ColWidths = (" + Repeated(" 0", 65536) + ")\nend\n"});
        f.push_back({"400,000 rows with heights", head + "  RowCount = 400000\n  RowHeights = (" +
                                                      Repeated(" 0", 400000) + ")\nend\n"});
        f.push_back({"a pick list of 100,000 entries",
                     head + "  PropValues = < item PickList.Strings = (" +
                         Repeated(" 'abcdefg'", 100000) + ") end>\nend\n"});
        f.push_back({"a pick list of 330,000 empty entries",
                     head + "  PropValues = < item PickList.Strings = (" + Repeated(" ''", 330000) +
                         ") end>\nend\n"});
        f.push_back({"500,000 identifiers in a list",
                     head + "  RowHeights = (" + Repeated(" a", 500000) + ")\nend\n"});
        f.push_back({"330,000 empty lists in a list",
                     head + "  RowHeights = (" + Repeated(" ()", 330000) + ")\nend\n"});
        f.push_back(
            {"a hint of 1 MB", head + "  Hint = '" + QByteArray(1 << 20, 'x') + "'\nend\n"});
        f.push_back({"a hint of 250,000 character codes",
                     head + "  Hint = " + Repeated("#20320", 170000) + "\nend\n"});
        // The largest of them again in the binary encoding.
        TStringGridEx grid;
        ReadGrid(f.at(5).Data, grid);
        f.push_back({"65,536 columns of width 0, binary", WriteGridBinary(grid)});
        return f;
    }();
    return forms;
}

void BM_LoadHostileForm(benchmark::State& state) {
    const THostileForm& form = HostileForms().at(std::size_t(state.range(0)));
    const bool paint = state.range(1) != 0;
    double slowest = 0;
    bool loaded = false;
    // Processor time of this thread: other work on a shared machine does not
    // count, the page faults of the load do.
    const auto cpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    for (auto _ : state) {
        const double start = cpuSeconds();
        TStringGridEx grid;
        try {
            ReadGrid(form.Data, grid);
            loaded = true;
        } catch (const EGridException&) {
            loaded = false;
        }
        if (paint) {
            grid.resize(640, 400);
            grid.show();
            QImage image(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
            grid.viewport()->render(&image);
            grid.SetRow(grid.RowCount() - 1);
            grid.viewport()->render(&image);
            grid.hide();
        }
        slowest = std::max(slowest, cpuSeconds() - start);
    }
    state.counters["bytes"] = double(form.Data.size());
    state.counters["slowest_cpu_s"] = slowest;
    state.SetLabel(std::string(form.Label) + (loaded ? ", loaded" : ", refused") +
                   (paint ? ", shown and painted" : ""));
    if (slowest > 0.25) state.SkipWithError("a stored form took more than a quarter second");
}
BENCHMARK(BM_LoadHostileForm)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 13, 1), {0, 1}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

} // namespace
