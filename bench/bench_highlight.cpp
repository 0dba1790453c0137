// Markup colouring speed: highlighting a whole 10 MB page with the HTML keys,
// and the re-parse one keystroke inside a tag in the middle of it costs.
//
//   build/bench/bench_highlight
#include "editor/HighlightEngine.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemoStore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

namespace {

using vesk::THighlightEngine;
using vesk::TStartStopKeyList;
using vesk::TVeskMemoStore;

constexpr std::size_t kPageBytes = 10u * 1024 * 1024;

// One line of hand-written-looking HTML, 20 to 120 characters, most with a
// tag or two, some tags running on to the next line.
void AppendLine(std::string& out, std::mt19937& rng)
{
    static const char* const words[] = {
        "<p>", "</p>", "<td>", "</td>", "<a href=\"index.html\">", "</a>", "<b>", "</b>", "<br>",
        "<img src=\"logo.gif\"", "alt=\"\">", "<!-- menu -->", "the", "menu", "of", "today", "and",
        "price", "table", "page", "&nbsp;", "&amp;", "with", "caf\xC3\xA9", "\xE4\xB8\xAD\xE6\x96\x87",
    };
    constexpr int kWords = int(sizeof words / sizeof words[0]);
    const int target = std::uniform_int_distribution<int>(20, 120)(rng);
    std::string line(std::size_t(std::uniform_int_distribution<int>(0, 3)(rng)), '\t');
    while (int(line.size()) < target) {
        line += words[std::uniform_int_distribution<int>(0, kWords - 1)(rng)];
        line.push_back(' ');
    }
    out += line;
    out += "\r\n";
}

const std::string& Page()
{
    static const std::string page = [] {
        std::mt19937 rng(2024);
        std::string text;
        text.reserve(kPageBytes + 256);
        while (text.size() < kPageBytes)
            AppendLine(text, rng);
        return text;
    }();
    return page;
}

void UseHtmlKeys(THighlightEngine& engine)
{
    auto keys = std::make_shared<TStartStopKeyList>();
    vesk::AddHtmlStartStopKeys(*keys);
    engine.SetStartStopKeys(keys);
    engine.SetApplyKeyWords(false);  // as the document editors run
    engine.ReApplyKeywords();
}

void BM_HighlightWhole10MB(benchmark::State& state)
{
    const std::string& page = Page();
    std::int64_t paragraphs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<TVeskMemoStore>();
        store->SetTextBuf(page);
        auto engine = std::make_unique<THighlightEngine>(*store);
        UseHtmlKeys(*engine);
        state.ResumeTiming();

        engine->EnsureParsedAll();
        paragraphs = std::int64_t(engine->ParagraphsParsed());

        state.PauseTiming();
        engine.reset();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(page.size()));
    state.counters["file_MB"] = double(page.size()) / (1024.0 * 1024.0);
    state.counters["paragraphs"] = double(paragraphs);
}
BENCHMARK(BM_HighlightWhole10MB)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// One character typed into, then deleted from, a tag in the middle paragraph
// of the highlighted page; each iteration is one keystroke and the catch-up
// parse after it.
void BM_KeystrokeInTagMid10MB(benchmark::State& state)
{
    TVeskMemoStore store;
    store.SetTextBuf(Page());
    THighlightEngine engine(store);
    UseHtmlKeys(engine);
    engine.EnsureParsedAll();

    // Just after the first "<" of the middle paragraph that has one.
    std::int32_t at = -1;
    for (std::int32_t p = store.ParagraphCount() / 2; p < store.ParagraphCount() && at < 0; ++p) {
        const std::string text = store.ParagraphText(p).value_or(std::string());
        if (text.find('<') != std::string::npos) {
            const std::int32_t start = store.ParagraphStart(p);
            for (std::int32_t o = start; o < start + store.Paragraph(p).length; ++o) {
                if (store.CharAt(o) == U'<') {
                    at = o + 1;
                    break;
                }
            }
        }
    }
    if (at < 0) {
        state.SkipWithError("no tag in the second half of the page");
        return;
    }

    const std::uint64_t parsedBefore = engine.ParagraphsParsed();
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            store.ReplaceRange(at, at + 1, "");
        else
            store.ReplaceRange(at, at, "x");
        typed = !typed;
        engine.EnsureParsedAll();
    }
    state.counters["paragraphs_per_keystroke"] =
        double(engine.ParagraphsParsed() - parsedBefore) / double(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["paragraphs"] = double(store.ParagraphCount());
}
BENCHMARK(BM_KeystrokeInTagMid10MB)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
