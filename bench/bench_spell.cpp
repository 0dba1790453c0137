// Spell checker speed: dictionary loading, the check loop on 10 MB of prose
// with markup, and suggestions for 1000 misspellings (the first list and the
// whole background list); the thesaurus's loading (each time its dialog
// opens) and look-ups. Run by hand: ./build/bench/bench_spell
#include "editor/VeskMemoCore.h"
#include "spell/SpellChecker.h"
#include "spell/ThesaurusFile.h"
#include "spell/VeskMemoParser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>

namespace {

using namespace vesk;

const QString kDictionary = QStringLiteral(VESK_GENERATED_DATA_DIR "/english.dct");

const std::vector<std::string>& WordList()
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> out;
        std::ifstream in(VESK_WORD_LIST);
        for (std::string w; std::getline(in, w);)
            if (!w.empty())
                out.push_back(w);
        return out;
    }();
    return words;
}

bool Plain(const std::string& w)
{
    return std::all_of(w.begin(), w.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// Sentences of dictionary words (mostly short common ones) in paragraphs
// and inline tags, never the same word twice in a row: a text without stops.
std::string MakeProse(std::size_t bytes)
{
    const auto& all = WordList();
    std::vector<std::string> common;
    for (const auto& w : all)
        if (Plain(w) && w.size() <= 7)
            common.push_back(w);
    std::mt19937 rng(20261207);
    const char* tags[][2] = {{"<p>", "</p>"}, {"<b>", "</b>"}, {"<i>", "</i>"},
                             {"<a href=\"page.html\">", "</a>"}, {"<em>", "</em>"}};
    std::string out, previous;
    while (out.size() < bytes) {
        const auto& tag = tags[rng() % 5];
        out += tag[0];
        for (int i = 0, n = 8 + int(rng() % 9); i < n; ++i) {
            std::string w;
            do
                w = rng() % 5 ? common[rng() % common.size()] : all[rng() % all.size()];
            while (w == previous);
            previous = w;
            if (i == 0 && Plain(w))
                w[0] = static_cast<char>(w[0] - 32);
            out += ' ';
            out += w;
        }
        out += ". ";
        out += tag[1];
        out += "\r\n";
    }
    return out;
}

// An engine over a folder holding a copy of english.dct, dictionaries kept open.
struct Engine {
    QTemporaryDir dir;
    TSpellChecker engine;
    int stops = 0;
    Engine()
    {
        QFile::copy(kDictionary, dir.filePath(QStringLiteral("english.dct")));
        engine.SetConfigInAppDir(false);
        engine.SetConfigFileName(dir.filePath(QStringLiteral("SPELLCHK.CFG")));
        engine.SetAlwaysActive(true);
        engine.SetWaitForCompletion(false);
        engine.SetEndShowMessage(TEndShowMessage::emNever);
        engine.OnProcessMessages = [] {};
        engine.OpenDictionaries();
    }
};

void BM_DictionaryLoad(benchmark::State& state)
{
    for (auto _ : state) {
        TDictionary d;
        if (d.Open(kDictionary))
            state.SkipWithError("english.dct cannot be opened");
        benchmark::DoNotOptimize(d.SubDictionaryCount());
    }
}
BENCHMARK(BM_DictionaryLoad)->Unit(benchmark::kMillisecond);

const QString kThesaurus = QStringLiteral(VESK_GENERATED_DATA_DIR "/THESAUR.THR");

void BM_ThesaurusLoad(benchmark::State& state)
{
    for (auto _ : state) {
        TThesaurusFile f;
        if (f.Open(kThesaurus))
            state.SkipWithError("THESAUR.THR cannot be opened");
        benchmark::DoNotOptimize(f.EntryCount());
    }
}
BENCHMARK(BM_ThesaurusLoad)->Unit(benchmark::kMillisecond);

// Every word of the file looked up and its meanings named, as the dialog
// fills its meanings list.
void BM_ThesaurusLookups(benchmark::State& state)
{
    TThesaurusFile f;
    if (f.Open(kThesaurus)) {
        state.SkipWithError("THESAUR.THR cannot be opened");
        return;
    }
    std::vector<std::string> words;
    for (std::size_t n = 0; n < f.NodeCount(); ++n)
        if (!f.Links(int(n)).empty())
            words.push_back(f.WordOf(int(n)));
    for (auto _ : state)
        for (const std::string& w : words)
            for (const TThesLink& link : f.Links(*f.Lookup(w)))
                benchmark::DoNotOptimize(f.WordOf(f.Master(link.entry)));
    state.SetItemsProcessed(state.iterations() * std::int64_t(words.size()));
}
BENCHMARK(BM_ThesaurusLookups)->Unit(benchmark::kMillisecond);

void BM_CheckLoop10MB(benchmark::State& state)
{
    Engine e;
    const std::string text = MakeProse(10u << 20);
    TVeskMemoCore editor;
    editor.SetTextBuf(text);
    std::int64_t words = 0;
    for (auto _ : state) {
        e.engine.Check(std::make_unique<TVeskMemoParser>(editor));
        if (e.engine.Checking()) {
            state.SkipWithError("the prose has a stop");
            break;
        }
        words += e.engine.WordsChecked();
    }
    state.SetItemsProcessed(words);
    state.SetBytesProcessed(std::int64_t(text.size()) * state.iterations());
}
BENCHMARK(BM_CheckLoop10MB)->Unit(benchmark::kMillisecond);

// 500 words one edit and 500 two edits from a dictionary word, none a word.
std::vector<std::string> Misspellings(const TSpellChecker& engine)
{
    std::vector<std::string> base;
    for (const auto& w : WordList())
        if (Plain(w) && w.size() >= 4 && w.size() <= 10)
            base.push_back(w);
    std::mt19937 rng(11);
    std::vector<std::string> out;
    while (out.size() < 1000) {
        std::string w = base[rng() % base.size()];
        const int edits = out.size() < 500 ? 1 : 2;
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % w.size();
            const char letter = static_cast<char>('a' + rng() % 26);
            switch (rng() % 4) {
            case 0: w.erase(at, 1); break;
            case 1: w.insert(at, 1, letter); break;
            case 2: w[at] = letter; break;
            default: if (at + 1 < w.size()) std::swap(w[at], w[at + 1]); break;
            }
        }
        if (!w.empty() && !engine.IsAccepted(w))
            out.push_back(w);
    }
    return out;
}

void BM_FirstSuggestions(benchmark::State& state)
{
    Engine e;
    const auto words = Misspellings(e.engine);
    std::int64_t n = 0;
    double worst = 0;
    for (auto _ : state)
        for (const auto& w : words) {
            const auto t0 = std::chrono::steady_clock::now();
            TSuggestionList list(50);
            e.engine.Suggest(w, list);
            benchmark::DoNotOptimize(list.Items().size());
            worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            ++n;
        }
    state.SetItemsProcessed(n);
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_FirstSuggestions)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BackgroundList(benchmark::State& state)
{
    Engine e;
    const auto words = Misspellings(e.engine);
    std::int64_t n = 0;
    double worst = 0, total = 0;
    for (auto _ : state)
        for (const auto& w : words) {
            const auto t0 = std::chrono::steady_clock::now();
            TSuggestionList list(50);
            e.engine.Suggest(w, list);
            e.engine.SuggestMore(w, list, false, [] { return true; });
            benchmark::DoNotOptimize(list.Items().size());
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            worst = std::max(worst, ms);
            total += ms;
            ++n;
        }
    state.SetItemsProcessed(n);
    state.counters["mean_ms"] = total / double(std::max<std::int64_t>(n, 1));
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_BackgroundList)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
