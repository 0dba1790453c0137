// The editor as a user meets it: opening a large file until the first screen
// is painted, one keystroke with its repaint, and scrolling by a page.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench_editor_view
#include "BenchMain.h"
#include "BenchHtml.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

using vesk::bench::MakeHtml;

std::unique_ptr<vesk::TVeskMemo> MakeEditor()
{
    auto editor = std::make_unique<vesk::TVeskMemo>();
    auto keys = std::make_shared<vesk::TStartStopKeyList>();
    vesk::AddHtmlStartStopKeys(*keys);
    editor->Highlighting().SetStartStopKeys(keys);
    editor->Highlighting().SetApplyKeyWords(false);
    editor->SetScrollBars(vesk::TVeskScrollBars::Vertical);
    editor->resize(800, 600);
    return editor;
}

// Paints the whole view, as on the first show.
void Paint(vesk::TVeskMemo& editor)
{
    QImage image(editor.viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    editor.viewport()->render(&painter);
}

// Lets the window system paint what the editor marked dirty, as after
// any user action.
void Repaint()
{
    QCoreApplication::processEvents();
}

void BM_Open100MBUntilFirstPaint(benchmark::State& state)
{
    const std::string text = MakeHtml(100u << 20);
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = MakeEditor();
        QByteArray bytes = QByteArray::fromRawData(text.data(), qsizetype(text.size()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        state.ResumeTiming();
        editor->LoadFromStream(buffer);  // background formatting: only the first screen now
        Paint(*editor);
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = double(text.size()) / (1 << 20);
}
BENCHMARK(BM_Open100MBUntilFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_KeystrokeMid10MB(benchmark::State& state)
{
    const std::string text = MakeHtml(10u << 20);
    auto editor = MakeEditor();
    editor->show();
    editor->SetTextBuf(text);
    editor->FormatSome(0);  // background formatting done, as a few seconds after opening
    const std::int32_t middle = editor->ParagraphStart(editor->ParagraphCount() / 2) + 5;
    editor->GotoParagraph(editor->ParagraphCount() / 2);
    editor->ScrollInView();
    Repaint();
    bool insert = true;
    for (auto _ : state) {
        if (insert) {
            editor->Select(middle, middle);
            editor->TypeText("x");
        } else {
            editor->Select(middle + 1, middle + 1);
            editor->Backspace(false);
        }
        insert = !insert;
        Repaint();
    }
}
BENCHMARK(BM_KeystrokeMid10MB)->Unit(benchmark::kMicrosecond);

void BM_ScrollOnePage10MB(benchmark::State& state)
{
    const std::string text = MakeHtml(10u << 20);
    auto editor = MakeEditor();
    editor->show();
    editor->SetTextBuf(text);
    editor->FormatSome(0);
    Repaint();
    const int page = editor->viewport()->height() / editor->LineHeightPixels();
    std::int32_t top = 0;
    for (auto _ : state) {
        top += page;
        if (top > editor->LineCount() - page)
            top = 0;
        editor->SetTopLine(top);
        Repaint();
    }
}
BENCHMARK(BM_ScrollOnePage10MB)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithApplication(argc, argv);
}
