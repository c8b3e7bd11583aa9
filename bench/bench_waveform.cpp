// Waveform envelopes of a 5-minute MP3 and a 2-hour mix: wall time beside ffmpeg alone decoding
// the same file to 8 kHz mono (ratio), and the process's peak resident memory; painting the
// scrubber at 1600×80. Given file paths, prints one line per file instead: the path, the
// extraction time in seconds and the first 8 envelope values.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "audiofiles/ChildProcess.h"
#include "waveform/AudioProcessor.h"
#include "waveform/BezierCurveDrawer.h"
#include "waveform/DefaultWaveformScrubberStyle.h"
#include "waveform/FFmpegEnvelopeSource.h"
#include "waveform/WaveformScrubberRenderer.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <sys/resource.h>

using namespace brivello;

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString makeMP3(const QString &name, int seconds)
{
    const QString file = folder().filePath(name);
    if (!QFileInfo::exists(file))
        bench::runProgram(
            "ffmpeg",
            bench::lavfiArguments(
                QStringLiteral("aevalsrc='sin(2*PI*220*t)*(0.3+0.7*abs(sin(2*PI*0.2*t)))':d=%1")
                    .arg(seconds)) +
                QStringList{
                    "-ac", "2", "-ar", "44100", "-c:a", "libmp3lame", "-b:a", "192k", file});
    return file;
}

// Empty when the extraction fails (QCoro::waitFor would never return from a throwing task).
QCoro::Task<std::vector<float>> extractOrNothing(QString file)
{
    try {
        auto task = AudioProcessor::extractEnvelope(bench::fileURL(file), 4096, false);
        co_return co_await task;
    } catch (...) {
        co_return {};
    }
}

std::vector<float> extract(const QString &file)
{
    return QCoro::waitFor(extractOrNothing(file));
}

// ffmpeg alone, its output read and dropped, at the priority the extraction gives it: on a
// busy machine a peer at a higher priority would measure the scheduler, not our overhead.
void decodeOnly(const QString &file)
{
    ChildProcess child(*AudioProcessor::waveformFFmpegPath(),
                       FFmpegEnvelopeSource::arguments(file),
                       ChildProcess::ErrorOutput::discard,
                       FFmpegEnvelopeSource::niceness(false));
    while (!child.read(FFmpegEnvelopeSource::kReadSize, {}).isEmpty()) {
    }
    child.wait();
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void measureEnvelope(benchmark::State &state, const QString &file)
{
    double ownSeconds = 0;
    double peerSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(extract(file));
        const double seconds = timer.nsecsElapsed() / 1e9;
        ownSeconds += seconds;
        state.SetIterationTime(seconds);
        timer.restart();
        decodeOnly(file);
        peerSeconds += timer.nsecsElapsed() / 1e9;
    }
    state.counters["ffmpeg_alone_s"] = peerSeconds / double(state.iterations());
    state.counters["ratio_to_ffmpeg"] = ownSeconds / peerSeconds;
    state.counters["peak_rss_MB"] = peakResidentMegabytes();
}

void BM_Envelope5MinuteMP3(benchmark::State &state)
{
    measureEnvelope(state, makeMP3("five-minutes.mp3", 300));
}
BENCHMARK(BM_Envelope5MinuteMP3)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_Envelope2HourMix(benchmark::State &state)
{
    measureEnvelope(state, makeMP3("two-hours.mp3", 7200));
}
BENCHMARK(BM_Envelope2HourMix)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// A music-like envelope: loudness that swells and falls, with some spread from beat to beat.
std::vector<float> musicEnvelope()
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(0.0f, 1.0f);
    std::vector<float> envelope(4096);
    for (size_t i = 0; i < envelope.size(); ++i)
        envelope[i] = 0.65f + 0.2f * std::sin(float(i) / 70.0f) + 0.15f * spread(random);
    return envelope;
}

// The player's look at 1600×80. `Frame` moves the split as playback does (the waveform is
// rasterised once); `Cold` paints a new waveform every time.
void paintScrubber(benchmark::State &state, bool cold)
{
    const auto drawer = std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 3});
    const std::vector<float> samples = AudioProcessor::prepareSamples(
        musicEnvelope(), drawer->sampleCount(QSizeF(1600, 80)), drawer->upsampleStrategy());
    const ScrubberConfig config{QColor(94, 214, 196, 245), QColor(94, 214, 196, 51)};
    const DefaultWaveformScrubberStyle style(config.activeTint, config.inactiveTint);
    QImage image(1600, 80, QImage::Format_ARGB32_Premultiplied);
    WaveformScrubberRenderer renderer;
    double progress = 0;
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        if (cold)
            renderer = WaveformScrubberRenderer();
        progress = std::fmod(progress + 0.001, 1.0);
        renderer.paint(painter, QSizeF(1600, 80), samples, drawer, progress, config, style);
    }
    state.counters["samples"] = double(samples.size());
}

void BM_PaintScrubber1600x80Frame(benchmark::State &state)
{
    paintScrubber(state, false);
}
BENCHMARK(BM_PaintScrubber1600x80Frame)->Unit(benchmark::kMillisecond);

void BM_PaintScrubber1600x80Cold(benchmark::State &state)
{
    paintScrubber(state, true);
}
BENCHMARK(BM_PaintScrubber1600x80Cold)->Unit(benchmark::kMillisecond);

int printFiles(const QStringList &files)
{
    for (const QString &file : files) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<float> envelope = extract(file);
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%s\t%.3f", bench::printable(file).constData(), seconds);
        for (size_t i = 0; i < std::min<size_t>(8, envelope.size()); ++i)
            std::printf("%s%.6f", i ? " " : "\t", double(envelope[i]));
        std::printf("%s\n", envelope.empty() ? "\tfailed" : "");
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList files = bench::fileArguments(argc, argv);
    if (!files.isEmpty())
        return printFiles(files);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
