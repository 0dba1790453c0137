// Keys and text from other programs: one key through the key table, pasting
// a large LF text through the clipboard, and laying out a wrapped document
// while the line count is followed.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench_exchange
#include "BenchMain.h"
#include "BenchHtml.h"
#include "editor/VeskMemo.h"

#include <QApplication>
#include <QClipboard>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using vesk::bench::MakeHtml;

// The same text with the LF line ends of other Linux programs.
std::string LfText(std::size_t bytes)
{
    std::string text = MakeHtml(bytes);
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r')
            out += c;
    }
    return out;
}

void BM_KeyTableCaretRight(benchmark::State& state)
{
    vesk::TVeskMemoCore core;
    core.SetTextBuf(MakeHtml(64u << 10));
    const QString none;
    for (auto _ : state) {
        if (core.SelStart() >= core.CharCount() - 1)
            core.Select(0, 0);
        benchmark::DoNotOptimize(core.HandleKey(Qt::Key_Right, Qt::NoModifier, none));
    }
}
BENCHMARK(BM_KeyTableCaretRight)->Unit(benchmark::kNanosecond);

void BM_KeyTableLastRow(benchmark::State& state)
{
    // Ctrl+Z with nothing to undo: the key the table reaches last.
    vesk::TVeskMemoCore core;
    const QString none;
    for (auto _ : state)
        benchmark::DoNotOptimize(core.HandleKey(Qt::Key_Z, Qt::ControlModifier, none));
}
BENCHMARK(BM_KeyTableLastRow)->Unit(benchmark::kNanosecond);

void BM_PasteLfLines10MB(benchmark::State& state)
{
    const QString text = QString::fromStdString(LfText(10u << 20));
    QGuiApplication::clipboard()->setText(text);
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<vesk::TVeskMemo>();
        editor->resize(800, 600);
        state.ResumeTiming();
        editor->PasteFromClipboard();
        state.PauseTiming();
        benchmark::DoNotOptimize(editor->ParagraphCount());
        editor.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = double(text.size()) / (1 << 20);
}
BENCHMARK(BM_PasteLfLines10MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FormatAll10MBWrapped(benchmark::State& state)
{
    const std::string text = MakeHtml(10u << 20);
    auto editor = std::make_unique<vesk::TVeskMemo>();
    editor->resize(300, 600);  // narrow: most paragraphs wrap, so line counts move
    editor->SetTextBuf(text);
    for (auto _ : state) {
        editor->InvalidateLayout();
        editor->FormatSome(0);
    }
    state.counters["lines"] = editor->LineCount();
}
BENCHMARK(BM_FormatAll10MBWrapped)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithApplication(argc, argv);
}
