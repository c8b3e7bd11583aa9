// The playback engine: clock drift against played frames over 10 minutes in accelerated time,
// seek-to-audible latency on the silent real-time sink, CPU use while a FLAC plays, and
// underruns while the main thread is blocked for 200 ms.
#include "BenchFiles.h"
#include "playback/AudioPlaybackEngine.h"
#include "playback/CaptureAudioSink.h"
#include "playback/SilentAudioSink.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

using namespace brivello;

namespace {

constexpr int kRate = 44100;
constexpr double kLongSeconds = 600;

QString makeFlac(const QString &name, double seconds)
{
    static QTemporaryDir dir;
    const QString file = dir.filePath(name);
    bench::runProgram(
        "ffmpeg",
        bench::lavfiArguments(QStringLiteral("sine=frequency=330:sample_rate=%1:duration=%2")
                                  .arg(kRate)
                                  .arg(seconds)) +
            QStringList{"-ac", "2", file});
    return file;
}

const QString &longFlac()
{
    static const QString path = makeFlac("ten-minutes.flac", kLongSeconds);
    return path;
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The long FLAC playing for a moment already; without a factory on the default output (the
// sound card when there is one, else the silent sink).
std::unique_ptr<AudioPlaybackEngine> playingEngine(AudioPlaybackEngine::SinkFactory factory = {})
{
    auto engine = factory ? std::make_unique<AudioPlaybackEngine>(std::move(factory))
                          : std::make_unique<AudioPlaybackEngine>();
    engine->open(QFile::encodeName(longFlac()));
    engine->play();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return engine;
}

void BM_ClockDriftOverTenMinutes(benchmark::State &state)
{
    constexpr qint64 kBlock = 441;
    constexpr qint64 kLatency = 2048;
    double worstMs = 0;
    for (auto _ : state) {
        CaptureAudioSink *sink = nullptr;
        AudioPlaybackEngine engine([&] {
            auto capture = std::make_unique<CaptureAudioSink>(kRate, kLatency);
            capture->setKeepsSamples(false);
            sink = capture.get();
            return capture;
        });
        engine.open(QFile::encodeName(longFlac()));
        engine.play();
        const auto total = static_cast<qint64>((kLongSeconds - 0.1) * kRate);
        while (sink->renderedFrames() < total) {
            sink->advance(kBlock, kBlock);
            const double expected = double(sink->playedFrames()) / kRate;
            worstMs = std::max(worstMs, std::abs(engine.position() - expected) * 1000);
        }
    }
    state.counters["max_drift_ms"] = worstMs;
    state.counters["x_real_time"] =
        benchmark::Counter(kLongSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ClockDriftOverTenMinutes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_SeekToAudibleLatency(benchmark::State &state)
{
    auto engine = playingEngine([] { return std::make_unique<SilentAudioSink>(kRate); });
    double sumMs = 0;
    double worstMs = 0;
    int seeks = 0;
    for (auto _ : state) {
        const double start = wallSeconds();
        engine->seek(std::fmod(37.0 * (seeks + 1), kLongSeconds - 10));
        while (true) {
            const std::optional<qint64> audible = engine->seekAudibleFrame();
            if (audible && engine->playedFrames() >= *audible)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double ms = (wallSeconds() - start) * 1000;
        sumMs += ms;
        worstMs = std::max(worstMs, ms);
        ++seeks;
    }
    state.counters["mean_ms"] = sumMs / seeks;
    state.counters["max_ms"] = worstMs;
}
BENCHMARK(BM_SeekToAudibleLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_PlayingFlacCpu(benchmark::State &state)
{
    const auto engine = playingEngine();
    double percent = 0;
    for (auto _ : state) {
        const double cpu = processCpuSeconds();
        const double wall = wallSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        percent = (processCpuSeconds() - cpu) / (wallSeconds() - wall) * 100;
    }
    state.counters["cpu_percent_of_one_core"] = percent;
}
BENCHMARK(BM_PlayingFlacCpu)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_UnderrunsWhileMainThreadBlocked(benchmark::State &state)
{
    const auto engine = playingEngine();
    const qint64 before = engine->underruns();
    for (auto _ : state) {
        // Busy, not asleep: the main thread holds its core for 200 ms.
        const double until = wallSeconds() + 0.2;
        while (wallSeconds() < until)
            benchmark::DoNotOptimize(until);
        QCoreApplication::processEvents();
    }
    state.counters["underruns"] = double(engine->underruns() - before);
}
BENCHMARK(BM_UnderrunsWhileMainThreadBlocked)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    longFlac();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
