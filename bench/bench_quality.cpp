// Spectral quality analysis. With file arguments: one line per file (path, verdict, cut-off,
// seconds, and the ratio to `ffmpeg -i FILE -f null -` decoding the same file). Without:
// verdicts on a generated set of genuine and transcoded FLAC files (right out of total), then
// one analysis of a 5-minute FLAC and MP3 with the same ratio.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "analysis/AnalysisError.h"
#include "analysis/AudioQualityAnalyzer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sys/resource.h>

using namespace brivello;

namespace {

struct Sample
{
    QString path;
    AudioQualityVerdict expected;
};

QString generate(const QTemporaryDir &dir, const QString &name, const QString &graph)
{
    const QString path = dir.filePath(name);
    // Stereo, as lame's low-pass at a given bit rate is set for two channels.
    bench::runProgram("ffmpeg", bench::lavfiArguments(graph) + QStringList{"-ac", "2", path});
    return path;
}

// `source` through lame at `bitrate` and back to FLAC.
QString transcode(const QTemporaryDir &dir, const QString &source, const QString &bitrate)
{
    const QString mp3 = dir.filePath(QStringLiteral("t%1.mp3").arg(bitrate));
    const QString flac = dir.filePath(
        QStringLiteral("%1-from-mp3-%2.flac").arg(QFileInfo(source).baseName(), bitrate));
    const QStringList quiet{"-nostdin", "-v", "error", "-y", "-i"};
    bench::runProgram("ffmpeg",
                      quiet + QStringList{source, "-c:a", "libmp3lame", "-b:a", bitrate, mp3});
    bench::runProgram("ffmpeg", quiet + QStringList{mp3, flac});
    return flac;
}

std::vector<Sample> generatedSet(const QTemporaryDir &dir)
{
    const QString noise =
        QStringLiteral("anoisesrc=color=%1:duration=20:sample_rate=%2:amplitude=0.4");
    const QString pink = generate(dir, "pink.flac", noise.arg("pink").arg(44100));
    const QString brown = generate(dir, "brown.flac", noise.arg("brown").arg(44100));
    const QString pink48 = generate(dir, "pink48.flac", noise.arg("pink").arg(48000));
    std::vector<Sample> set = {
        {pink, AudioQualityVerdict::lossless},
        {brown, AudioQualityVerdict::lossless},
        {pink48, AudioQualityVerdict::lossless},
        {generate(dir, "white.flac", noise.arg("white").arg(44100)), AudioQualityVerdict::lossless},
        {generate(dir,
                  "drums.flac",
                  "aevalsrc='0.6*sin(2*PI*60*t)*exp(-8*mod(t,0.5))+0.3*(random(0)-0.5)*exp(-30*mod("
                  "t,0.25))':d=20:s=44100"),
         AudioQualityVerdict::lossless},
    };
    // lame low-passes near 15 kHz at 96k and 17 kHz at 128k, below the limit; at 192k and
    // above it keeps more than the limit, so those copies cannot be told from the originals.
    for (const QString &source : {pink, brown, pink48}) {
        for (const QString bitrate : {"96k", "128k"})
            set.push_back({transcode(dir, source, bitrate), AudioQualityVerdict::suspicious});
    }
    set.push_back({transcode(dir, pink, "320k"), AudioQualityVerdict::lossless});
    return set;
}

struct Line
{
    QString verdict;
    double cutoff = 0;
    double seconds = 0;
};

Line analyse(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    Line line;
    try {
        const AudioQualityAnalysis result =
            AudioQualityAnalyzer::analyze(bench::fileURL(path), 4096, 100);
        line.verdict = result.verdict.rawValue();
        line.cutoff = result.cutoffHz;
    } catch (const AnalysisError &error) {
        line.verdict = QStringLiteral("error %1 %2").arg(error.domain()).arg(error.code());
    }
    line.seconds = double(timer.nsecsElapsed()) / 1e9;
    return line;
}

// Seconds ffmpeg takes to decode the whole file and throw the audio away.
double ffmpegDecodeSeconds(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    if (!bench::runProgram("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"}))
        return 0;
    return double(timer.nsecsElapsed()) / 1e9;
}

void printLine(const QString &path, const Line &line)
{
    const double peer = ffmpegDecodeSeconds(path);
    std::printf("%s\t%s\t%.0f Hz\t%.3f s\tffmpeg %.3f s\tratio %.2f\n",
                bench::printable(path).constData(),
                qPrintable(line.verdict),
                line.cutoff,
                line.seconds,
                peer,
                peer > 0 ? line.seconds / peer : 0.0);
}

QString fiveMinuteFile(const QString &extension)
{
    static QTemporaryDir dir;
    const QString name = QStringLiteral("five-minutes.") + extension;
    if (!QFileInfo::exists(dir.filePath(name)))
        generate(dir, name, "anoisesrc=color=pink:duration=300:sample_rate=44100:amplitude=0.4");
    return dir.filePath(name);
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The peak resident size may not grow with the file: only windows are held. The ratio is to
// ffmpeg decoding the same file to nothing.
void runFiveMinutes(benchmark::State &state, const QString &extension)
{
    const QString path = fiveMinuteFile(extension);
    const QUrl url = QUrl::fromLocalFile(path);
    const double before = peakResidentMegabytes();
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state)
        benchmark::DoNotOptimize(AudioQualityAnalyzer::analyze(url, 4096, 100));
    const double seconds = double(timer.nsecsElapsed()) / 1e9 / double(state.iterations());
    state.counters["peak_rss_growth_MB"] = peakResidentMegabytes() - before;
    const double peer = ffmpegDecodeSeconds(path);
    state.counters["ratio_to_ffmpeg"] = peer > 0 ? seconds / peer : 0.0;
}

void BM_QualityFiveMinuteFlac(benchmark::State &state)
{
    runFiveMinutes(state, QStringLiteral("flac"));
}
BENCHMARK(BM_QualityFiveMinuteFlac)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_QualityFiveMinuteMp3(benchmark::State &state)
{
    runFiveMinutes(state, QStringLiteral("mp3"));
}
BENCHMARK(BM_QualityFiveMinuteMp3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList files = bench::fileArguments(argc, argv);
    if (!files.isEmpty()) {
        for (const QString &file : files)
            printLine(file, analyse(file));
        return 0;
    }
    QTemporaryDir dir;
    int right = 0;
    const std::vector<Sample> set = generatedSet(dir);
    for (const Sample &sample : set) {
        const Line line = analyse(sample.path);
        printLine(QFileInfo(sample.path).fileName(), line);
        right += line.verdict == sample.expected.rawValue();
    }
    std::printf("verdicts right: %d of %zu\n", right, set.size());
    benchmark::Initialize(&argc, argv);
    fiveMinuteFile(QStringLiteral("flac"));
    fiveMinuteFile(QStringLiteral("mp3"));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
