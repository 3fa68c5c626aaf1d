#include "FormsFuzz.h"

#include "grid/CellValueProps.h"
#include "grid/GridStreaming.h"
#include "grid/StringGridEx.h"

#include <QApplication>
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
    TStringGridEx again;
    try {
        ReadGridText(written, again);
    } catch (const EGridException& e) {
        std::fprintf(stderr, "%s\n%s\n", e.what(), written.toUtf8().constData());
        Fail("the written form of a loaded grid does not load", bytes);
    }
    if (WriteGridText(again) != written)
        Fail("a written form does not load to the same form", bytes);
}

} // namespace quillary::fuzz
