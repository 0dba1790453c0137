// Parsing and sorting a remote directory listing of many entries, as the uploader does after each refresh.
//
//   ./build/bench/bench_upload
#include "upload/RemoteListing.h"

#include <benchmark/benchmark.h>

namespace {

// An "ls -l" listing of `count` entries, one in ten a directory, in an
// order the sort has to work on.
QByteArray Listing(int count)
{
    QByteArray listing = "total " + QByteArray::number(count) + "\r\n";
    listing.reserve(count * 80);
    for (int i = 0; i < count; ++i) {
        const bool directory = i % 10 == 0;
        listing += directory ? "drwxr-xr-x    2 vesk     users    " : "-rw-r--r--    1 vesk     users    ";
        listing += QByteArray::number(i * 37 % 100000).rightJustified(10, ' ');
        listing += " Dec 07 18:00 page-";
        listing += QByteArray::number((i * 7919) % count);
        listing += directory ? "\r\n" : ".htm\r\n";
    }
    return listing;
}

void ParseRemoteListing(benchmark::State& state)
{
    const QByteArray listing = Listing(int(state.range(0)));
    for (auto _ : state) {
        std::vector<vesk::TRemoteEntry> entries = vesk::ParseListing(listing);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ParseRemoteListing)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
