// Tempo estimation. With file arguments: one line per file (path, tempo, confidence, seconds),
// then the totals. Without: drum patterns at known tempi from 70 to 180 BPM (some through
// MP3) with the accuracy figures beside aubio's on the same files, then the time of one
// estimate of a 5-minute MP3.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "analysis/AnalysisError.h"
#include "analysis/BPMAnalyzer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>

using namespace brivello;

namespace {

// aubio's tempo: the median of its beat-tracker readings, one line per file.
const char *kAubioScript = R"(
import sys, statistics
import aubio
for path in sys.argv[1:]:
    try:
        src = aubio.source(path, 0, 512)
        tempo = aubio.tempo("default", 1024, 512, src.samplerate)
        beats = []
        while True:
            samples, read = src()
            if tempo(samples):
                beats.append(tempo.get_last_s())
            if read < 512:
                break
        gaps = [b - a for a, b in zip(beats, beats[1:])]
        print(60.0 / statistics.median(gaps) if gaps else 0.0)
    except Exception:
        print(0.0)
)";

QString drumPattern(double bpm)
{
    const QString beat = QString::number(60.0 / bpm, 'f', 6);
    return QStringLiteral("aevalsrc='0.7*sin(2*PI*55*mod(t,B))*exp(-18*mod(t,B))"
                          "+0.4*(2*random(0)-1)*exp(-30*mod(t+B,2*B))"
                          "+0.12*(2*random(1)-1)*exp(-60*mod(t+B/2,B))':s=44100:d=%1")
        .replace(QLatin1Char('B'), beat);
}

struct Track
{
    QString path;
    double bpm;
};

std::vector<Track> generatedSet(const QTemporaryDir &dir)
{
    std::vector<Track> set;
    for (int bpm = 70; bpm <= 180; bpm += 5) {
        const bool mp3 = bpm % 10 == 5;
        const QString path =
            dir.filePath(QStringLiteral("drums-%1.%2").arg(bpm).arg(mp3 ? "mp3" : "wav"));
        bench::runProgram("ffmpeg",
                          bench::lavfiArguments(drumPattern(bpm).arg(60)) + QStringList{path});
        set.push_back({path, double(bpm)});
    }
    return set;
}

// Halved or doubled into the estimator's 70 … 140 range.
double intoRange(double bpm)
{
    while (bpm > 140.5)
        bpm /= 2;
    while (bpm > 0 && bpm < 69.5)
        bpm *= 2;
    return bpm;
}

struct Accuracy
{
    int acc1 = 0;
    int acc2 = 0;
    int exact = 0;

    void add(double estimate, double truth)
    {
        const double folded = intoRange(truth);
        acc1 += std::abs(intoRange(estimate) - folded) <= 0.04 * folded;
        for (double factor : {1.0 / 3, 0.5, 1.0, 2.0, 3.0}) {
            if (std::abs(estimate - truth * factor) <= 0.04 * truth * factor) {
                ++acc2;
                break;
            }
        }
        exact += std::lround(estimate) == std::lround(folded);
    }
};

struct Reading
{
    double bpm = 0;
    double confidence = 0;
    double seconds = 0;
    QString error;
};

Reading estimate(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    Reading reading;
    try {
        const BPMAnalyzer::Estimate result =
            BPMAnalyzer::estimateDetailed(bench::fileURL(path), 70, 200, false);
        reading.bpm = result.bpm;
        reading.confidence = result.confidence;
    } catch (const AnalysisError &error) {
        reading.error = QStringLiteral("error %1 %2").arg(error.domain()).arg(error.code());
    } catch (const std::exception &error) {
        reading.error = QString::fromUtf8(error.what());
    }
    reading.seconds = double(timer.nsecsElapsed()) / 1e9;
    return reading;
}

std::vector<double> aubioTempi(const QStringList &files)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{"-c", kAubioScript} + files);
    if (!python.waitForFinished(-1) || python.exitCode() != 0)
        return {};
    std::vector<double> tempi;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        if (!line.trimmed().isEmpty())
            tempi.push_back(line.trimmed().toDouble());
    }
    return tempi.size() == size_t(files.size()) ? tempi : std::vector<double>{};
}

int runOnFiles(const QStringList &files)
{
    double total = 0;
    for (const QString &file : files) {
        const Reading r = estimate(file);
        total += r.seconds;
        if (r.error.isEmpty())
            std::printf("%s\t%.0f BPM\tconfidence %.2f\t%.3f s\n",
                        bench::printable(file).constData(),
                        r.bpm,
                        r.confidence,
                        r.seconds);
        else
            std::printf("%s\t%s\t%.3f s\n",
                        bench::printable(file).constData(),
                        qPrintable(r.error),
                        r.seconds);
    }
    std::printf("total: %lld files, %.3f s\n", qint64(files.size()), total);
    return 0;
}

void runGeneratedSet()
{
    QTemporaryDir dir;
    const std::vector<Track> set = generatedSet(dir);
    QStringList files;
    for (const Track &track : set)
        files << track.path;
    const std::vector<double> aubio = aubioTempi(files);
    Accuracy ours, theirs;
    for (size_t i = 0; i < set.size(); ++i) {
        const Reading r = estimate(set[i].path);
        ours.add(r.bpm, set[i].bpm);
        if (!aubio.empty())
            theirs.add(aubio[i], set[i].bpm);
        std::printf("%s\ttrue %.0f\tours %.0f (confidence %.2f, %.3f s)\taubio %.1f\n",
                    qPrintable(QFileInfo(set[i].path).fileName()),
                    set[i].bpm,
                    r.bpm,
                    r.confidence,
                    r.seconds,
                    aubio.empty() ? 0.0 : aubio[i]);
    }
    const int n = int(set.size());
    std::printf(
        "ours:  Acc1 %d/%d  Acc2 %d/%d  exact %d/%d\n", ours.acc1, n, ours.acc2, n, ours.exact, n);
    if (aubio.empty())
        std::printf("aubio: not compared (python3-aubio is not installed)\n");
    else
        std::printf("aubio: Acc1 %d/%d  Acc2 %d/%d  exact %d/%d\n",
                    theirs.acc1,
                    n,
                    theirs.acc2,
                    n,
                    theirs.exact,
                    n);
}

const QString &fiveMinuteMp3()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath("five-minutes.mp3");
        bench::runProgram("ffmpeg",
                          bench::lavfiArguments(drumPattern(124).arg(300)) +
                              QStringList{"-c:a", "libmp3lame", "-b:a", "192k", file});
        return file;
    }();
    return path;
}

void BM_TempoFiveMinuteMp3(benchmark::State &state)
{
    const QUrl url = QUrl::fromLocalFile(fiveMinuteMp3());
    for (auto _ : state)
        benchmark::DoNotOptimize(BPMAnalyzer::estimateDetailed(url, 70, 200, false));
}
BENCHMARK(BM_TempoFiveMinuteMp3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList files = bench::fileArguments(argc, argv);
    if (!files.isEmpty())
        return runOnFiles(files);
    runGeneratedSet();
    benchmark::Initialize(&argc, argv);
    fiveMinuteMp3();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
