// Profile look-up speed: cached look-ups in an unchanged 50 KB file, and the
// cost when the file is touched or rewritten between look-ups.
//
//   ./build/bench/bench_profile
#include "platform/ProfileFile.h"
#include "platform/ProfileModel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A rules-file-like INI of about 50 KB: many sections with a few keys each.
std::string MakeIni()
{
    std::string s = "; benchmark file\n";
    int n = 0;
    while (s.size() < 50 * 1024) {
        s += "[ELEMENT" + std::to_string(n) + "]\n";
        s += "elem=%block;%inline;SCRIPT;NOSCRIPT\n";
        s += "chars=1\n";
        s += "attr=id,class,style,title,lang,dir,onclick,ondblclick\n";
        s += "ReqAttr0=alt\n";
        s += "ReqElem0=TITLE\n\n";
        ++n;
    }
    return s;
}

struct BenchFile {
    std::string path;
    BenchFile()
    {
        char tmpl[] = "/tmp/vesk-bench-XXXXXX";
        const int fd = ::mkstemp(tmpl);
        const std::string text = MakeIni();
        if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            std::perror("write");
        ::close(fd);
        path = tmpl;
        SetTime(1000000000);  // written long ago, as a shipped rules file is
        // File times are trusted alone only once the clock is well past the
        // last change (including the inode change of SetTime just now).
        ::sleep(3);
    }
    ~BenchFile() { ::unlink(path.c_str()); }
    void SetTime(time_t seconds) const
    {
        timespec t[2] = {{seconds, 0}, {seconds, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), t, 0);
    }
};

void BM_LookupUnchangedFile(benchmark::State& state)
{
    BenchFile file;
    vesk::ClearProfileCache();
    int i = 0;
    for (auto _ : state) {
        const std::string section = "ELEMENT" + std::to_string(i++ % 300);
        benchmark::DoNotOptimize(vesk::GetPrivateProfileString(section, "attr", "", file.path));
    }
}
BENCHMARK(BM_LookupUnchangedFile)->Iterations(1000000)->Unit(benchmark::kNanosecond);

void BM_LookupTouchedBetweenLookups(benchmark::State& state)
{
    BenchFile file;
    vesk::ClearProfileCache();
    time_t t = 1000000000;
    int i = 0;
    for (auto _ : state) {
        file.SetTime(++t);  // new stamp, same content
        const std::string section = "ELEMENT" + std::to_string(i++ % 300);
        benchmark::DoNotOptimize(vesk::GetPrivateProfileString(section, "attr", "", file.path));
    }
}
BENCHMARK(BM_LookupTouchedBetweenLookups)->Iterations(1000000)->Unit(benchmark::kNanosecond);

void BM_TouchOnly(benchmark::State& state)
{
    BenchFile file;
    time_t t = 1000000000;
    for (auto _ : state)
        file.SetTime(++t);
}
BENCHMARK(BM_TouchOnly)->Iterations(1000000)->Unit(benchmark::kNanosecond);

void BM_Parse50KB(benchmark::State& state)
{
    const std::string text = MakeIni();
    for (auto _ : state) {
        vesk::profile::Model model(text);
        benchmark::DoNotOptimize(model.FindSection("ELEMENT7"));
    }
}
BENCHMARK(BM_Parse50KB)->Unit(benchmark::kMicrosecond);

void BM_LookupAfterEveryRewrite(benchmark::State& state)
{
    BenchFile file;
    vesk::ClearProfileCache();
    std::string text = MakeIni();
    int i = 0;
    for (auto _ : state) {
        text[text.size() - 2] = static_cast<char>('a' + (i++ % 26));  // a real change
        const int fd = ::open(file.path.c_str(), O_WRONLY | O_TRUNC);
        if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            std::perror("write");
        ::close(fd);
        benchmark::DoNotOptimize(vesk::GetPrivateProfileString("ELEMENT7", "attr", "", file.path));
    }
}
BENCHMARK(BM_LookupAfterEveryRewrite)->Iterations(20000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
