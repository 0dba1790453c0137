// Large documents in the real main window (offscreen): memory once a
// generated page is laid out and coloured, the CPU a typed character costs
// with its repaint, and a minified page that is one 5 MB line.
//
//   QT_QPA_PLATFORM=offscreen ./build/bench/bench_large_documents
//
// Memory is measured in a fresh copy of this program per page size (so one
// measurement never inherits another's heap): the resident size above the
// empty window's, at its peak while the page is opened and formatted and
// once background formatting has ended, as multiples of the file's size.
// Pages are generated once into the temporary folder and reused.
#include "BenchHtml.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

namespace {

constexpr const char* kMemoryChild = "VESK_BENCH_MEMORY_MB";
constexpr const char* kMemoryWidth = "VESK_BENCH_MEMORY_WIDTH";

// The generated page of `megabytes` MiB, written once and reused.
QString PageFile(int megabytes, bool minified)
{
    const QString path = QDir::temp().filePath(
        QStringLiteral("vesk_bench_%1_%2mb.html").arg(minified ? "minified" : "tagged").arg(megabytes));
    const std::string page = QFileInfo(path).exists() ? std::string() : vesk::bench::MakeTaggedPage(
                                                                            std::size_t(megabytes) << 20, minified);
    if (!page.empty()) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(page.data(), qint64(page.size()));
    }
    return path;
}

std::int64_t ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return std::int64_t(resident) * sysconf(_SC_PAGESIZE);
}

std::int64_t PeakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    }
    return 0;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The program folder is found once per process: one for every window.
QTemporaryDir& Home()
{
    static QTemporaryDir home;
    return home;
}

struct Window {
    vesk::MsgBoxScript::Scope script;
    std::unique_ptr<vesk::THTMLVeskMain> window;
    explicit Window(int width = 1000)
    {
        window = std::make_unique<vesk::THTMLVeskMain>();
        window->resize(width, 750);
        window->show();
        Settle();
    }
    vesk::TVeskMemoFile& Editor() const { return *window->CurrentEditor(); }
    // Lets the window paint and the background formatting run to its end.
    void Settle() const
    {
        do
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        while (window->CurrentEditor()->FormattingPending());
        QCoreApplication::processEvents();
    }
    void Open(const QString& path)
    {
        window->AddFile(path);
        window->CurrentEditor()->setFocus();
    }
};

void Key(QWidget* target, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// ---- memory ------------------------------------------------------------------

// Runs in the child: prints the empty window's, the peak and the settled
// resident sizes and the file's size in bytes, and the display lines per
// paragraph.
int MeasureMemory(int megabytes, int width)
{
    const QString path = PageFile(megabytes, false);
    Window w(width);
    const std::int64_t empty = ResidentBytes();
    ResetPeak();
    w.Open(path);
    w.Settle();
    const std::int64_t settled = ResidentBytes();
    const std::int64_t peak = PeakResidentBytes();
    std::printf("%lld %lld %lld %lld %f\n", (long long)empty, (long long)peak, (long long)settled,
                (long long)QFileInfo(path).size(), double(w.Editor().LineCount()) / w.Editor().ParagraphCount());
    return 0;
}

void BM_MemoryAfterOpening(benchmark::State& state)
{
    const int megabytes = int(state.range(0));
    const int width = int(state.range(1));
    PageFile(megabytes, false);  // generated outside the measurement
    double empty = 0, peak = 0, settled = 0, file = 1, linesPerParagraph = 0;
    for (auto _ : state) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kMemoryChild), QString::number(megabytes));
        env.insert(QString::fromLatin1(kMemoryWidth), QString::number(width));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        child.waitForFinished(-1);
        std::istringstream out(child.readAllStandardOutput().toStdString());
        if (!(out >> empty >> peak >> settled >> file >> linesPerParagraph)) {
            state.SkipWithError("the measuring child failed");
            return;
        }
    }
    constexpr double kMiB = 1 << 20;
    state.counters["empty_MiB"] = empty / kMiB;
    state.counters["peak_x_file"] = (peak - empty) / file;
    state.counters["settled_x_file"] = (settled - empty) / file;
    state.counters["settled_MiB"] = (settled - empty) / kMiB;
    state.counters["lines_per_paragraph"] = linesPerParagraph;
}
// Pages of 10 and 100 MB in a window 1000 pixels wide, where their
// paragraphs take one line each, and the 100 MB page in one 600 wide, where
// they wrap to two.
BENCHMARK(BM_MemoryAfterOpening)
    ->Args({10, 1000})
    ->Args({100, 1000})
    ->Args({100, 600})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// ---- typing in a 10 MB page ----------------------------------------------------------

// Counts the paint events a widget gets and the pixels they cover.
struct PaintCounter : QObject {
    std::int64_t events = 0, pixels = 0;
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++events;
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
                pixels += std::int64_t(r.width()) * r.height();
        }
        return false;
    }
};

// One keystroke per iteration, typing "x" and taking it back with Backspace
// by turns, each followed by the repaint it caused.
void TypeKeys(benchmark::State& state, Window& w)
{
    QWidget* editor = &w.Editor();
    PaintCounter view(w.Editor().viewport()), gutter(w.window->CurrentGutter());
    bool type = true;
    for (auto _ : state) {
        if (type)
            Key(editor, Qt::Key_X, QStringLiteral("x"));
        else
            Key(editor, Qt::Key_Backspace);
        type = !type;
        QCoreApplication::processEvents();
    }
    // Evidence that each keystroke was painted, and how much of the view.
    const double keys = double(std::max<std::int64_t>(1, state.iterations()));
    state.counters["view_paints_per_key"] = double(view.events) / keys;
    state.counters["view_pixels_per_key"] = double(view.pixels) / keys;
    state.counters["gutter_pixels_per_key"] = double(gutter.pixels) / keys;
}

void BM_TypeAtEnd10MB(benchmark::State& state)
{
    Window w;
    w.Open(PageFile(10, false));
    w.Settle();
    w.Editor().SetSelStart(w.Editor().CharCount());
    w.Editor().ScrollInView();
    w.Settle();
    TypeKeys(state, w);
}
BENCHMARK(BM_TypeAtEnd10MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TypeInMiddle10MB(benchmark::State& state)
{
    Window w;
    w.Open(PageFile(10, false));
    w.Settle();
    const std::int32_t p = w.Editor().ParagraphCount() / 2;
    w.Editor().SetSelStart(w.Editor().ParagraphStart(p) + 40);
    w.Editor().ScrollInView();
    w.Settle();
    TypeKeys(state, w);
}
BENCHMARK(BM_TypeInMiddle10MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---- a minified page: one line of 5 MB ---------------------------------------------

void BM_MinifiedOpenUntilPainted(benchmark::State& state)
{
    const QString path = PageFile(5, true);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        state.ResumeTiming();
        w->Open(path);
        QCoreApplication::processEvents();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MinifiedOpenUntilPainted)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MinifiedScrollPage(benchmark::State& state)
{
    Window w;
    w.Open(PageFile(5, true));
    w.Settle();
    vesk::TVeskMemoFile& editor = w.Editor();
    const std::int32_t page = editor.viewport()->height() / editor.LineHeightPixels();
    std::int32_t top = editor.LineCount() / 2;
    for (auto _ : state) {
        top += page;
        if (top > editor.LineCount() - page)
            top = editor.LineCount() / 2;
        editor.SetTopLine(top);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MinifiedScrollPage)->Unit(benchmark::kMillisecond);

void BM_MinifiedTypeInMiddle(benchmark::State& state)
{
    Window w;
    w.Open(PageFile(5, true));
    w.Settle();
    w.Editor().SetSelStart(w.Editor().CharCount() / 2);
    w.Editor().ScrollInView();
    w.Settle();
    TypeKeys(state, w);
}
BENCHMARK(BM_MinifiedTypeInMiddle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qputenv("HTMLVESK_HOME", Home().path().toUtf8());
    if (const int megabytes = qEnvironmentVariableIntValue(kMemoryChild))
        return MeasureMemory(megabytes, qEnvironmentVariableIntValue(kMemoryWidth));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
