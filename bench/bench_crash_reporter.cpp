// The crash check in a crowded folder: 10,000 other files and 100 handled
// logs beside one new log of 200 MB. The time of one check (listing, dates,
// reading the report), and how much of the log is read and held.
#include "Platform/Sim/SimAlerts.h"
#include "Platform/Sim/SimClock.h"
#include "Platform/Sim/SimUserDefaults.h"
#include "Services/CrashLogText.h"
#include "Services/CrashReporter.h"

#include "QtBenchmarkMain.h"
#include "ResidentMemory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QDateTime base(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
constexpr qint64 bigLogBytes = qint64(200) << 20;

void touch(const QString& path, const QDateTime& modified)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// Built once: creating 10,000 files takes seconds on some disks.
struct Folder {
    Folder()
    {
        for (int i = 0; i < 10000; ++i)
            touch(dir.filePath(QStringLiteral("Other-%1.ips").arg(i)), base.addSecs(-i));
        for (int i = 0; i < 100; ++i)
            touch(dir.filePath(QStringLiteral("TesselNav-old-%1.ips").arg(i)), base.addSecs(-i));
        QFile big(bigLog());
        if (big.open(QIODevice::WriteOnly)) {
            big.write(QByteArray(1 << 20, 'x')); // text, then a sparse run of zeros
            big.resize(bigLogBytes);
            big.setFileTime(base.addSecs(60), QFileDevice::FileModificationTime);
        }
    }
    QString bigLog() const { return dir.filePath(QStringLiteral("TesselNav-big.ips")); }

    QTemporaryDir dir;
};

Folder& folder()
{
    static Folder instance;
    return instance;
}

void BM_CheckForCrashes(benchmark::State& state)
{
    const bool withNewLog = state.range(0) != 0;
    SimAlerts alerts;
    QNetworkAccessManager network;
    const SimClock clock;
    CrashReporter::Config config;
    config.logFolder = folder().dir.path();
    config.promptDelay = 1h; // the prompt never comes up here
    qint64 held = 0;
    for (auto _ : state) {
        SimUserDefaults defaults;
        defaults.set(CrashReporter::lastHandledKey,
                     double((withNewLog ? base : base.addSecs(120)).toSecsSinceEpoch()));
        const qint64 before = residentBytes();
        auto reporter = std::make_unique<CrashReporter>(defaults, alerts, network, clock, config);
        reporter->checkForCrashes();
        held = std::max(held, residentBytes() - before);
    }
    state.counters["rss_growth_MB"] = double(held) / 1e6;
}

// Reading the report out of the 200 MB log, and out of /dev/zero (a device
// has no position: its bytes read are not counted).
enum class Source { bigLog, devZero };

void BM_ReadReport(benchmark::State& state, Source source)
{
    const QString path = source == Source::bigLog ? folder().bigLog() : QStringLiteral("/dev/zero");
    qint64 consumed = 0;
    qsizetype characters = 0;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open");
            return;
        }
        characters = CrashLogText::read(file, CrashReporter::maxReportCharacters)->size();
        consumed = file.isSequential() ? 0 : file.pos();
    }
    state.counters["bytes_read_MB"] = double(consumed) / 1e6;
    state.counters["characters"] = double(characters);
}

} // namespace

BENCHMARK(BM_CheckForCrashes)
    ->ArgName("new_200MB_log")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadReport, Log200MB, Source::bigLog)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadReport, DevZero, Source::devZero)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
