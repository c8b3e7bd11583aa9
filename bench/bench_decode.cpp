// Mono decoding of a 5-minute MP3 at 11025 Hz: times faster than real time, through the ffmpeg
// child process and through the in-process decoder.
#include "BenchFiles.h"
#include "audiofiles/AudioPCMDecoder.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace brivello;

namespace {

constexpr double kSeconds = 300;

const QString &mp3File()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath("five-minutes.mp3");
        bench::runProgram(
            "ffmpeg",
            bench::lavfiArguments(QStringLiteral("sine=frequency=220:duration=%1").arg(kSeconds)) +
                QStringList{"-ac", "2", "-c:a", "libmp3lame", "-b:a", "192k", file});
        return file;
    }();
    return path;
}

template <typename Decode> void measure(benchmark::State &state, Decode decode)
{
    size_t samples = 0;
    for (auto _ : state)
        samples = decode().size();
    state.counters["samples"] = double(samples);
    state.counters["x_real_time"] =
        benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DecodeWithFFmpeg(benchmark::State &state)
{
    const QUrl url = QUrl::fromLocalFile(mp3File());
    measure(state, [&] { return AudioPCMDecoder::monoSamples(url, 11025, {}, false); });
}
BENCHMARK(BM_DecodeWithFFmpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DecodeInProcess(benchmark::State &state)
{
    const QUrl url = QUrl::fromLocalFile(mp3File());
    measure(state, [&] { return AudioPCMDecoder::monoSamplesInProcess(url, 11025, {}); });
}
BENCHMARK(BM_DecodeInProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    mp3File();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
