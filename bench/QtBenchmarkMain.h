#pragma once

#include <QtGlobal>

#include <benchmark/benchmark.h>

// A benchmark program's main: runs the benchmarks the command line selects
// inside an application object of the given kind. Drawing goes to the
// offscreen platform unless QT_QPA_PLATFORM names another.
template <typename Application> int runBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
