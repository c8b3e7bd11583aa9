// From "play" to the player panel's scrubber drawn, for a 5-minute MP3, through the real main
// window on a capture sink: with a cold waveform cache (a file never seen, target under 1 s)
// and with a warm one (its envelope in memory, target under 50 ms). Given file paths, prints
// one line per file instead: the path and the cold and warm times in seconds.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "playback/CaptureAudioSink.h"
#include "playback/EngineAudioPlayer.h"
#include "playback/ui/PlayerBar.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "shell/BrivelloApp.h"
#include "shell/MainWindow.h"
#include "waveform/ui/WaveformScrubber.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace brivello;

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString fiveMinuteMP3()
{
    const QString file = folder().filePath(QStringLiteral("five.mp3"));
    if (!QFileInfo::exists(file))
        bench::runProgram(
            "ffmpeg",
            bench::lavfiArguments(
                QStringLiteral("aevalsrc='sin(2*PI*220*t)*(0.3+0.7*abs(sin(2*PI*0.2*t)))':d=300")) +
                QStringList{
                    "-ac", "2", "-ar", "44100", "-c:a", "libmp3lame", "-b:a", "192k", file});
    return file;
}

// The application as it starts, on a sink that plays nothing by itself; made in main().
BrivelloApp *g_application = nullptr;

BrivelloApp &application()
{
    return *g_application;
}

PlayerBar &panel()
{
    return *qobject_cast<PlayerBar *>(application().window().playerBlock()->panel());
}

// Seconds from play() until the scrubber of the file has its envelope and has painted it.
double playUntilDrawn(const QString &file)
{
    const Track track = Track::make(bench::fileURL(file));
    QElapsedTimer timer;
    timer.start();
    application().player().play(track);
    while (true) {
        WaveformScrubber *scrubber = panel().scrubber();
        if (scrubber && scrubber->url() == track.url && !scrubber->samples().empty()) {
            scrubber->repaint();
            return timer.nsecsElapsed() / 1e9;
        }
        if (timer.elapsed() > 60000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
}

// A copy under a new name: the cache knows it neither in memory nor on disk.
QString freshCopy(const QString &file)
{
    static int count = 0;
    const QString copy = folder().filePath(QStringLiteral("copy-%1.mp3").arg(++count));
    QFile::copy(file, copy);
    return copy;
}

void BM_PlayToScrubberColdCache5MinuteMP3(benchmark::State &state)
{
    const QString file = fiveMinuteMP3();
    for (auto _ : state) {
        const double seconds = playUntilDrawn(freshCopy(file));
        state.SetIterationTime(seconds);
        if (seconds < 0)
            state.SkipWithError("the scrubber never appeared");
    }
}
BENCHMARK(BM_PlayToScrubberColdCache5MinuteMP3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_PlayToScrubberWarmCache5MinuteMP3(benchmark::State &state)
{
    // Two files whose envelopes are in memory, played in turn.
    const QString first = freshCopy(fiveMinuteMP3());
    const QString second = freshCopy(first);
    playUntilDrawn(first);
    playUntilDrawn(second);
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        const double seconds = playUntilDrawn(odd ? first : second);
        state.SetIterationTime(seconds);
        if (seconds < 0)
            state.SkipWithError("the scrubber never appeared");
    }
}
BENCHMARK(BM_PlayToScrubberWarmCache5MinuteMP3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

int printFiles(const QStringList &files)
{
    for (const QString &file : files) {
        const double cold = playUntilDrawn(file);
        playUntilDrawn(fiveMinuteMP3()); // another track, so the next play is a switch
        const double warm = playUntilDrawn(file);
        std::printf("%s\t%.3f\t%.3f\n", bench::printable(file).constData(), cold, warm);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and the waveform cache in folders of their own: the cold case stays cold.
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, folder().filePath(QString::fromLatin1(name)).toLocal8Bit());
    QApplication app(argc, argv);
    BrivelloApp brivello(
        BrivelloApp::Services{[] { return std::make_unique<CaptureAudioSink>(); }});
    brivello.show();
    g_application = &brivello;
    const QStringList files = bench::fileArguments(argc, argv);
    int result = 0;
    if (!files.isEmpty()) {
        result = printFiles(files);
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return result;
}
