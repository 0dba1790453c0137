// Documents in each encoding: loading and saving 20 MB of HTML as UTF-8,
// Windows-1252, UTF-16 and UTF-32, and the safe save to disk.
//
//   build/bench/bench_documents
#include "BenchHtml.h"

#include "editor/VeskMemoStore.h"
#include "editor/WideEncoding.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using vesk::TextEncoding;
using vesk::TVeskMemoStore;

constexpr std::size_t kBytes = 20u << 20;

// The page in `encoding`, with its mark where it has one.
const std::string& Page(TextEncoding encoding)
{
    static std::string pages[7];
    std::string& page = pages[int(encoding)];
    if (page.empty()) {
        const std::string utf8 = vesk::bench::MakeHtml(kBytes);
        page = std::string(vesk::ByteOrderMark(encoding));
        if (encoding == TextEncoding::Windows1252) {
            vesk::Utf8ToWindows1252(utf8, page);
        } else if (vesk::IsWideEncoding(encoding)) {
            vesk::AppendUtf8AsWide(utf8, encoding, page);
        } else {
            page += utf8;
        }
    }
    return page;
}

void Load(TVeskMemoStore& store, const std::string& bytes)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    store.LoadFromStream(buffer);
}

void BM_Load(benchmark::State& state)
{
    const auto encoding = TextEncoding(state.range(0));
    const std::string& page = Page(encoding);
    for (auto _ : state) {
        TVeskMemoStore store;
        store.SetNullReplacement(vesk::kNulSubstitute);
        Load(store, page);
        if (store.Encoding() != encoding)
            state.SkipWithError("detected another encoding");
        benchmark::DoNotOptimize(store.CharCount());
    }
    state.SetBytesProcessed(state.iterations() * qint64(page.size()));
}

void BM_Save(benchmark::State& state)
{
    const auto encoding = TextEncoding(state.range(0));
    TVeskMemoStore store;
    Load(store, Page(encoding));
    QByteArray out;
    for (auto _ : state) {
        out.clear();
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        if (store.SaveToStream(buffer) != encoding)
            state.SkipWithError("saved in another encoding");
    }
    state.SetBytesProcessed(state.iterations() * out.size());
}

void Encodings(benchmark::internal::Benchmark* b)
{
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Windows1252, TextEncoding::Utf16LE,
                           TextEncoding::Utf32BE})
        b->Arg(int(e));
}

BENCHMARK(BM_Load)->Apply(Encodings)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Save)->Apply(Encodings)->Unit(benchmark::kMillisecond)->UseRealTime();

// Replacing a 20 MB file through a flushed temporary file, and writing it
// over in place with the space reserved first (a file with hard links).
void BM_WriteToDisk(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    const std::string& page = Page(TextEncoding::Utf8);
    const QByteArrayView bytes(page.data(), qsizetype(page.size()));
    vesk::ReplaceFile(path, bytes);
    for (auto _ : state) {
        const int error = state.range(0) ? vesk::OverwriteFileInPlace(path, bytes) : vesk::ReplaceFile(path, bytes);
        if (error)
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * qint64(page.size()));
}
BENCHMARK(BM_WriteToDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
