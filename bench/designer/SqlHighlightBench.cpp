// Colouring SQL as it is typed, on a 1 MB statement (Qt offscreen).
//  - one keystroke in a 1 MB statement written on one line, and in one of
//    20,000 lines: the edit of the document with the highlighter attached
//    and without it; the difference is the colouring's own cost, reported in
//    milliseconds (target: under 20 ms) — the error is reported when missed;
//  - finding the partner of a parenthesis 1 MB away, as the caret moves;
//  - a keystroke in the editor widget itself with its 1 MB line laid out,
//    with and without colouring, for comparison: the widget lays the whole
//    line out again on every edit, whatever colours it.
#include "designer/SqlHighlighter.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

using namespace quillary;

namespace {

constexpr qsizetype kSize = 1000 * 1000;

QString Statement(bool lines) {
    const QString piece = QStringLiteral(
        "select a.col1, 'text ''q'' -- x', 123.45 from t /* c */ where (x = 1) and ");
    QString text;
    text.reserve(kSize + piece.size() + 1);
    while (text.size() < kSize)
        text += lines && text.size() % 50 < piece.size() ? piece + QLatin1Char('\n') : piece;
    return text;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Average milliseconds of typing one character in the middle of `text`,
// with or without colouring; the visible part is a screenful there.
double Keystroke(const QString& text, bool coloured, int times) {
    QTextDocument document;
    document.setPlainText(text);
    std::unique_ptr<TSqlHighlighter> highlighter;
    const int at = int(text.size() / 2);
    if (coloured) {
        highlighter = std::make_unique<TSqlHighlighter>(&document);
        highlighter->SetVisibleRange(at - 2000, at + 2000);
        QApplication::processEvents(); // the first colouring
    }
    double total = 0;
    for (int i = 0; i < times; ++i) {
        QTextCursor cursor(&document);
        cursor.setPosition(at + i % 7);
        const auto start = std::chrono::steady_clock::now();
        cursor.insertText(i % 2 ? QStringLiteral("(") : QStringLiteral("x"));
        total += Milliseconds(std::chrono::steady_clock::now() - start);
    }
    return total / times;
}

void KeystrokeBench(benchmark::State& state, bool lines) {
    const QString text = Statement(lines);
    double with = 0, without = 0;
    for (auto _ : state) {
        with = Keystroke(text, true, 20);
        without = Keystroke(text, false, 20);
    }
    state.counters["keystroke_ms"] = with;
    state.counters["without_colouring_ms"] = without;
    state.counters["colouring_ms"] = with - without;
    if (with - without > 20) state.SkipWithError("colouring a keystroke costs 20 ms or more");
}

void BM_KeystrokeOneLine1MB(benchmark::State& state) {
    KeystrokeBench(state, false);
}
BENCHMARK(BM_KeystrokeOneLine1MB)->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_Keystroke20000Lines1MB(benchmark::State& state) {
    KeystrokeBench(state, true);
}
BENCHMARK(BM_Keystroke20000Lines1MB)->Iterations(2)->Unit(benchmark::kMillisecond);

// The partner of the opening parenthesis of "(" + 1 MB + ")", as a caret
// move asks for it (the text was read once before).
void BM_ParenPartner1MBAway(benchmark::State& state) {
    QTextDocument document;
    document.setPlainText(QLatin1Char('(') + Statement(false) + QLatin1Char(')'));
    TSqlHighlighter highlighter(&document);
    const int last = document.characterCount() - 2;
    if (highlighter.ParenPairAt(0) != std::pair<int, int>(0, last))
        state.SkipWithError("wrong partner");
    for (auto _ : state)
        benchmark::DoNotOptimize(highlighter.ParenPairAt(0));
}
BENCHMARK(BM_ParenPartner1MBAway)->Unit(benchmark::kMicrosecond);

// One keystroke in the editor widget, laid out and painted.
double EditorKeystroke(const QString& text, bool coloured) {
    QPlainTextEdit edit;
    if (coloured) TSqlHighlighter::Attach(&edit);
    edit.resize(800, 400);
    edit.show();
    edit.setPlainText(text);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(int(text.size() / 2));
    edit.setTextCursor(cursor);
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    edit.textCursor().insertText(QStringLiteral("x"));
    QApplication::processEvents();
    edit.viewport()->repaint();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

void BM_EditorKeystrokeOneLine1MB(benchmark::State& state) {
    const QString text = Statement(false);
    double with = 0, without = 0;
    for (auto _ : state) {
        with = EditorKeystroke(text, true);
        without = EditorKeystroke(text, false);
    }
    state.counters["keystroke_ms"] = with;
    state.counters["without_colouring_ms"] = without;
}
BENCHMARK(BM_EditorKeystrokeOneLine1MB)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
