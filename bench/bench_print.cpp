// Printing a large document to a PDF file: pages per second, and the time
// to wrap the print copy for the printer.
#include "BenchMain.h"
#include "BenchHtml.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemo.h"
#include "print/VeskMemoPrinter.h"

#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using vesk::TVeskMemoFile;
using vesk::TVeskMemoPrinter;

struct Document {
    TVeskMemoFile memo;
    std::shared_ptr<vesk::TStartStopKeyList> keys = std::make_shared<vesk::TStartStopKeyList>();
    QTemporaryDir dir;

    explicit Document(std::size_t bytes)
    {
        vesk::AddHtmlStartStopKeys(*keys);
        memo.Highlighting().SetStartStopKeys(keys);
        memo.SetTextBuf(vesk::bench::MakeHtml(bytes));
    }
    ~Document() { memo.Highlighting().SetStartStopKeys(nullptr); }
    void Setup(TVeskMemoPrinter& printer)
    {
        printer.Printer().setOutputFormat(QPrinter::PdfFormat);
        printer.Printer().setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
        printer.Printer().setPageSize(QPageSize(QPageSize::Letter));
        printer.PrinterChanged();
        printer.SetHeader(QStringLiteral("big.htm - {p}"));
        printer.SetMemoToPrint(&memo);
    }
};

// The whole job: copy, wrap for the printer, print every page.
void BM_Print10MB(benchmark::State& state)
{
    Document doc(std::size_t(state.range(0)) << 20);
    std::int64_t pages = 0;
    for (auto _ : state) {
        TVeskMemoPrinter printer;
        doc.Setup(printer);
        printer.Print();
        pages += printer.PageCount();
    }
    state.counters["pages"] = benchmark::Counter(double(pages) / double(state.iterations()));
    state.counters["pages/s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Print10MB)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

// Only what opening the preview costs: the copy wrapped and paginated.
void BM_Prepare10MB(benchmark::State& state)
{
    Document doc(std::size_t(state.range(0)) << 20);
    for (auto _ : state) {
        TVeskMemoPrinter printer;
        doc.Setup(printer);
        printer.Prepare();
        benchmark::DoNotOptimize(printer.PageCount());
    }
}
BENCHMARK(BM_Prepare10MB)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return vesk::bench::RunWithApplication(argc, argv);
}
