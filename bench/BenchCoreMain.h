// main() for the benchmarks that need only a QCoreApplication (sockets,
// FTP): every benchmark the command line selects, then `beforeExit` while
// the application still exists (to stop servers a benchmark started).
#pragma once

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace vesk::bench {

inline void RunSelectedBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

inline int RunWithCoreApplication(int argc, char** argv, const std::function<void()>& beforeExit = {})
{
    QCoreApplication app(argc, argv);
    RunSelectedBenchmarks(argc, argv);
    if (beforeExit)
        beforeExit();
    return 0;
}

} // namespace vesk::bench
