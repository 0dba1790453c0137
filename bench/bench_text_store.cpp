// Text store speed: loading a very large page, reading at random places in a
// million paragraphs, and typing single characters into a 10 MB text.
//
//   build/bench/bench_text_store
//
// The 100 MB file is generated once into the temporary folder and reused by
// later runs while its size matches.
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using vesk::TVeskMemoStore;
using vesk::TVeskNavigator;

// Appends one line of hand-written-looking HTML, 20 to 120 characters long,
// now and then with non-ASCII words.
void AppendLine(std::string& out, std::mt19937& rng)
{
    static const char* const words[] = {
        "<p>", "</p>", "<td>", "</td>", "<a href=\"index.html\">", "</a>", "<b>", "</b>", "<br>",
        "the", "menu", "of", "today", "and", "price", "table", "page", "&nbsp;", "&amp;", "with",
        "class=\"x\"", "<img src=\"logo.gif\" alt=\"\">", "caf\xC3\xA9", "\xC3\xBC" "ber", "na\xC3\xAFve",
        "\xE2\x80\x94", "\xE4\xB8\xAD\xE6\x96\x87", "5\xE2\x82\xAC",
    };
    constexpr int kWords = int(sizeof words / sizeof words[0]);
    const int target = std::uniform_int_distribution<int>(20, 120)(rng);
    const int indent = std::uniform_int_distribution<int>(0, 3)(rng);
    std::string line(std::size_t(indent), '\t');
    while (int(line.size()) < target) {
        // Mostly ASCII: the last six words (non-ASCII) are drawn rarely.
        int w = std::uniform_int_distribution<int>(0, kWords - 7)(rng);
        if (std::uniform_int_distribution<int>(0, 19)(rng) == 0)
            w = std::uniform_int_distribution<int>(kWords - 6, kWords - 1)(rng);
        line += words[w];
        line.push_back(' ');
    }
    line.resize(std::size_t(target));
    // Never end inside a multi-byte character.
    while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0x80) != 0)
        line.pop_back();
    out += line;
    out += "\r\n";
}

std::string Paragraphs(std::int32_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string text;
    text.reserve(std::size_t(count) * 72);
    for (std::int32_t i = 0; i < count; ++i)
        AppendLine(text, rng);
    return text;
}

std::string TextOfSize(std::size_t bytes, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes)
        AppendLine(text, rng);
    return text;
}

constexpr long long kBigFileBytes = 100LL * 1024 * 1024;

// The 100 MB page, written in pieces so that generating it does not count
// towards the memory the load is measured with.
std::string BigFile()
{
    const std::string path = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) +
                             "/vesk_bench_text_store_100mb.htm";
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && st.st_size >= kBigFileBytes && st.st_size < kBigFileBytes + 256)
        return path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::mt19937 rng(1234);
    long long written = 0;
    std::string piece;
    while (written < kBigFileBytes) {
        piece.clear();
        while (piece.size() < (1u << 20))
            AppendLine(piece, rng);
        out.write(piece.data(), std::streamsize(piece.size()));
        written += (long long)piece.size();
    }
    return path;
}

// A value of /proc/self/status in MB ("VmHWM", "VmRSS"); -1 when unknown.
double StatusMb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string name;
    while (in >> name) {
        if (name == std::string(key) + ":") {
            double kb = 0;
            in >> kb;
            return kb / 1024.0;
        }
        std::string rest;
        std::getline(in, rest);
    }
    return -1;
}

// Lets VmHWM start again from the current resident size (Linux 4.0 and later).
void ResetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void BM_Load100MB(benchmark::State& state)
{
    const std::string path = BigFile();
    const QString qpath = QString::fromStdString(path);
    const double rssBefore = StatusMb("VmRSS");
    ResetPeakMemory();
    std::int64_t paragraphs = 0;
    for (auto _ : state) {
        auto store = std::make_unique<TVeskMemoStore>();
        QFile file(qpath);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the generated file");
            break;
        }
        store->LoadFromStream(file);
        paragraphs = store->ParagraphCount();
        benchmark::DoNotOptimize(paragraphs);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    const double peak = StatusMb("VmHWM");

    // The same file through `wc -l`, for scale: the least any reader of it costs.
    const std::string command = "wc -l < '" + path + "' > /dev/null";
    double wcMs = 1e99;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            break;
        const auto t1 = std::chrono::steady_clock::now();
        wcMs = std::min(wcMs, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }

    QFile file(qpath);
    const double fileMb = double(file.size()) / (1024.0 * 1024.0);
    state.SetBytesProcessed(state.iterations() * file.size());
    state.counters["file_MB"] = fileMb;
    state.counters["paragraphs"] = double(paragraphs);
    state.counters["rss_before_MB"] = rssBefore;
    state.counters["peak_rss_MB"] = peak;
    state.counters["wc_l_ms"] = wcMs;
    std::fprintf(stderr, "load: %.1f MB file, %lld paragraphs, peak resident %.0f MB (%.0f MB before); wc -l: %.1f ms\n",
                 fileMb, (long long)paragraphs, peak, rssBefore, wcMs);
}
BENCHMARK(BM_Load100MB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One store of a million paragraphs shared by the reading benchmarks.
TVeskMemoStore& MillionParagraphs()
{
    static TVeskMemoStore* store = [] {
        auto* s = new TVeskMemoStore;
        std::string text = Paragraphs(1000000, 42);
        text.resize(text.size() - 2);  // no empty paragraph after the last line
        s->SetTextBuf(text);
        return s;
    }();
    return *store;
}

std::vector<std::int32_t> RandomOffsets(std::int32_t limit, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::int32_t> v(1 << 16);
    for (auto& o : v)
        o = std::uniform_int_distribution<std::int32_t>(0, limit)(rng);
    return v;
}

void BM_CharAtRandom(benchmark::State& state)
{
    TVeskMemoStore& store = MillionParagraphs();
    const auto offsets = RandomOffsets(store.CharCount() - 1, 5);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.CharAt(offsets[i]));
        i = (i + 1) & (offsets.size() - 1);
    }
    state.counters["paragraphs"] = store.ParagraphCount();
}
BENCHMARK(BM_CharAtRandom)->Unit(benchmark::kNanosecond);

void BM_GetTextPart80Random(benchmark::State& state)
{
    TVeskMemoStore& store = MillionParagraphs();
    const auto offsets = RandomOffsets(store.CharCount() - 80, 6);
    std::size_t i = 0;
    for (auto _ : state) {
        std::string part = store.GetTextPart(offsets[i], offsets[i] + 80);
        benchmark::DoNotOptimize(part.data());
        i = (i + 1) & (offsets.size() - 1);
    }
    state.counters["paragraphs"] = store.ParagraphCount();
}
BENCHMARK(BM_GetTextPart80Random)->Unit(benchmark::kNanosecond);

// 10 000 characters typed one at a time at random places of a 10 MB text,
// with a caret and an anchor navigator registered as in an open editor.
void BM_Insert10000Chars(benchmark::State& state)
{
    constexpr int kInserts = 10000;
    TVeskMemoStore store;
    store.SetTextBuf(TextOfSize(10u * 1024 * 1024, 77));
    TVeskNavigator caret(&store), anchor(&store);
    std::mt19937 rng(8);
    const char* const typed[] = {"a", "e", " ", "<", "\xC3\xA9"};
    for (auto _ : state) {
        for (int k = 0; k < kInserts; ++k) {
            std::int32_t at = std::uniform_int_distribution<std::int32_t>(0, store.CharCount())(rng);
            if (store.CharAt(at) == 10)
                --at;  // typing goes before a break, never into it
            caret.SetOffset(at);
            store.ReplaceRange(at, at, typed[k % 5]);
        }
    }
    state.counters["chars"] = store.CharCount();
    state.counters["per_insert"] = benchmark::Counter(double(state.iterations()) * kInserts,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Insert10000Chars)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
