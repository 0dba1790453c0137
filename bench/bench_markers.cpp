// The line-marker rebuild that follows every change: it reads the markers an
// index keeps up to date from the edits (the text is scanned once, when
// first needed). Measured alone and as part of a keystroke in the main
// window, on a 10 MB document without markers (once the worst case: the
// whole text was scanned each time) and with nine markers near the start.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench_markers
#include "BenchMain.h"
#include "BenchHtml.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

// The benchmark page, with "<!>" at the start of every tenth of its first
// ninety lines when `markers` is set.
std::string MakeHtml(std::size_t bytes, bool markers)
{
    std::string out = vesk::bench::MakeHtml(bytes, 11);
    if (!markers)
        return out;
    std::size_t at = 0;
    for (int line = 0; line < 90 && at != std::string::npos; ++line) {
        if (line % 10 == 0)
            out.insert(at, "<!>");
        at = out.find("\r\n", at);
        if (at != std::string::npos)
            at += 2;
    }
    return out;
}

struct Window {
    QTemporaryDir home;
    vesk::MsgBoxScript::Scope script;
    std::unique_ptr<vesk::THTMLVeskMain> window;
    explicit Window(bool markers)
    {
        qputenv("HTMLVESK_HOME", home.path().toUtf8());
        window = std::make_unique<vesk::THTMLVeskMain>();
        window->resize(900, 700);
        window->CurrentEditor()->SetTextBuf(MakeHtml(10'000'000, markers));
        window->CurrentEditor()->Select(5000, 5000);
    }
};

void BM_Rebuild(benchmark::State& state)
{
    Window w(state.range(0) != 0);
    for (auto _ : state)
        w.window->OnPopup5();
    state.SetLabel(state.range(0) ? "nine markers at the start" : "no markers");
}
BENCHMARK(BM_Rebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Keystroke(benchmark::State& state)
{
    Window w(state.range(0) != 0);
    vesk::TVeskMemoFile& editor = *w.window->CurrentEditor();
    for (auto _ : state) {
        editor.TypeText("x");  // the change runs the window's update, markers included
        editor.Backspace(false);
    }
    state.SetLabel("type + backspace, 10 MB");
}
BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithApplication(argc, argv);
}
