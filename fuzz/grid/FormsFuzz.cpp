#include "FormsFuzz.h"

#include "grid/CellValueProps.h"
#include "grid/GridStreaming.h"
#include "grid/StringGridEx.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quillary::fuzz {

namespace {

[[noreturn]] void Fail(const char* what, const QByteArray& input) {
    std::fprintf(stderr, "forms fuzz: %s\n  input (%lld bytes): %s\n", what,
                 static_cast<long long>(input.size()),
                 input.left(2000).toPercentEncoding(" =()<>[]'#").constData());
    std::abort();
}

// Widgets need an application; one for the whole run.
void EnsureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_forms";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

} // namespace

void RunFormInput(const std::uint8_t* data, std::size_t size) {
    EnsureApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TStringGridEx grid;
    try {
        ReadGrid(bytes, grid);
    } catch (const EGridException&) {
        return; // refused with the reader's own error: fine
    }
    // A column count that differs from the number of column definitions is
    // kept as loaded, but the stored form cannot express it (the widths list
    // follows the definitions on reading): no round trip to check then.
    if (grid.ColCount() != grid.PropValues()->Count()) return;
    QString written;
    try {
        written = WriteGridText(grid);
    } catch (const EGridException&) {
        Fail("a grid that loaded cannot be written", bytes);
    }
    // Values equal to the engine's defaults are not written, so a fresh grid
    // reading the form keeps its own start values for them. Everything else
    // must come back as it was written.
    const TFormObject first = ParseFormText(written);
    const TStringGridEx fresh;
    const std::pair<const char*, int> startValues[] = {
        {"DefaultColWidth", fresh.DefaultColWidth()},
        {"DefaultRowHeight", fresh.DefaultRowHeight()},
        {"RowCount", fresh.RowCount()},
        {"ColCount", fresh.ColCount()}};
    const auto has = [](const TFormObject& form, const char* name) {
        for (const TFormProperty& p : form.Properties)
            if (p.Name == QLatin1String(name)) return true;
        return false;
    };
    TStringGridEx again;
    try {
        ReadGridText(written, again);
    } catch (const EGridException& e) {
        // Heights stored for the engine's default row count no longer fit
        // the start row count.
        if (!has(first, "RowCount") && has(first, "RowHeights")) return;
        std::fprintf(stderr, "%s\n%s\n", e.what(), written.toUtf8().constData());
        Fail("the written form of a loaded grid does not load", bytes);
    }
    TFormObject second = GridToFormObject(again);
    for (const auto& startValue : startValues) {
        const char* name = startValue.first;
        const int start = startValue.second;
        if (has(first, name)) continue;
        auto& props = second.Properties;
        const auto it = std::find_if(props.begin(), props.end(), [&](const TFormProperty& p) {
            return p.Name == QLatin1String(name);
        });
        // ColCount comes back through the definitions that follow it.
        if (it == props.end()) continue;
        if (it->Value.Kind != TFormValue::TKind::Integer || it->Value.Int != start)
            Fail("a value left out as the default does not come back as the start value", bytes);
        props.erase(it);
    }
    if (WriteFormText(second) != written) {
        std::fprintf(stderr, "%s\n---\n%s\n", written.toUtf8().constData(),
                     WriteFormText(second).toUtf8().constData());
        Fail("a written form does not load to the same form", bytes);
    }
}

} // namespace quillary::fuzz
