// main() for the benchmarks that need a QApplication: offscreen unless a
// platform is chosen, then every benchmark the command line selects.
#pragma once

#include "BenchCoreMain.h"

#include <QApplication>
#include <QByteArray>

namespace vesk::bench {

inline int RunWithApplication(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RunSelectedBenchmarks(argc, argv);
    return 0;
}

} // namespace vesk::bench
