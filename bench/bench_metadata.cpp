// Metadata reading of 500 tagged files (250 MP3 with ID3v2 and a cover, 250 FLAC with Vorbis
// comments): files per second in process on one thread and on every core, beside ffprobe
// reading the same files, as a ratio. With folders or files as arguments: one line per file
// with what was read, then the files per second over them.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "audiofiles/AudioMetadataLoader.h"
#include "library/AudioFileWalk.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "support/MetadataSummary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace brivello;

namespace {

constexpr int kFilesPerFormat = 250;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

using bench::runProgram;

// Two tones made once, copied and tagged with mutagen in a single Python run.
const QStringList &files()
{
    static const QStringList list = [] {
        QStringList made;
        const QString base = folder().path();
        for (const QString codec : {"libmp3lame", "flac"}) {
            const QString ext = codec == "flac" ? "flac" : "mp3";
            const QString seed = base + "/seed." + ext;
            runProgram("ffmpeg",
                       bench::lavfiArguments("sine=frequency=440:duration=20") +
                           QStringList{"-c:a", codec, seed});
            for (int i = 0; i < kFilesPerFormat; ++i) {
                const QString copy = QStringLiteral("%1/track%2.%3").arg(base).arg(i).arg(ext);
                QFile::copy(seed, copy);
                made << copy;
            }
        }
        const char *script = R"PY(
import sys, mutagen
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2, TCON, TDRC, TRCK, TBPM, TKEY, APIC
cover = b"\x89PNG\r\n\x1a\n" + b"\0" * 30000
for i, path in enumerate(sys.argv[1:]):
    if path.endswith(".mp3"):
        t = ID3()
        for f in [TIT2(text="Title %d" % i), TPE1(text="Artist"), TALB(text="Album"),
                  TPE2(text="Various"), TCON(text="House"), TDRC(text="2024"), TRCK(text="1"),
                  TBPM(text="124"), TKEY(text="8A"),
                  APIC(mime="image/png", type=3, desc="", data=cover)]:
            t.add(f)
        t.save(path, v2_version=3)
    else:
        f = mutagen.File(path)
        f.update(dict(title="Title %d" % i, artist="Artist", album="Album", genre="House",
                      date="2024", tracknumber="1", bpm="124", initialkey="8A"))
        f.save()
)PY";
        runProgram("/usr/bin/python3", QStringList{"-c", script} + made);
        return made;
    }();
    return list;
}

// Files per second reading every file once on `threads` threads.
double filesPerSecond(const QList<QUrl> &urls, int threads)
{
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    QElapsedTimer clock;
    clock.start();
    QtConcurrent::blockingMap(&pool, urls, [](const QUrl &url) {
        LoadedTrackMetadata loaded = AudioMetadataLoader::read(url, {});
        benchmark::DoNotOptimize(loaded);
    });
    return urls.size() / std::max(clock.nsecsElapsed() / 1e9, 1e-9);
}

// Folders and files from the command line, relative to the working folder or absolute.
int runOnFiles(const QStringList &arguments)
{
    QList<QUrl> roots;
    for (const QString &argument : arguments)
        roots << bench::fileURL(argument);
    const QList<QUrl> urls = AudioFileWalk::audioURLs(roots, TrackImporter::playlistExtensions());
    for (const QUrl &url : urls) {
        const LoadedTrackMetadata loaded = AudioMetadataLoader::read(url, {});
        std::printf("%s\t%s\n",
                    bench::printable(LocalFile::path(url)).constData(),
                    qPrintable(test::MetadataSummary::line(loaded)));
    }
    if (urls.isEmpty()) {
        std::fprintf(stderr, "no audio files under the given paths\n");
        return 1;
    }
    const int cores = QThread::idealThreadCount();
    const double single = filesPerSecond(urls, 1);
    std::printf("%lld files: %.0f files/s on one thread, %.0f files/s on %d threads\n",
                static_cast<long long>(urls.size()),
                single,
                filesPerSecond(urls, cores),
                cores);
    return 0;
}

double g_loaderSecondsPerFile = 0;
double g_ffprobeSecondsPerFile = 0;

void BM_AudioMetadataLoader(benchmark::State &state)
{
    const QStringList &all = files();
    qint64 read = 0;
    for (auto _ : state) {
        for (const QString &file : all) {
            LoadedTrackMetadata loaded = AudioMetadataLoader::read(QUrl::fromLocalFile(file), {});
            benchmark::DoNotOptimize(loaded);
        }
        read += all.size();
    }
    state.SetItemsProcessed(read);
}
BENCHMARK(BM_AudioMetadataLoader)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The same files on every core, as the load queue reads them.
void BM_AudioMetadataLoaderAllCores(benchmark::State &state)
{
    QList<QUrl> urls;
    for (const QString &file : files())
        urls << QUrl::fromLocalFile(file);
    double rate = 0;
    for (auto _ : state)
        rate = filesPerSecond(urls, QThread::idealThreadCount());
    state.counters["files_per_s"] = rate;
    state.counters["threads"] = QThread::idealThreadCount();
}
BENCHMARK(BM_AudioMetadataLoaderAllCores)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

void BM_FFprobe(benchmark::State &state)
{
    const QStringList &all = files();
    qint64 read = 0;
    for (auto _ : state) {
        for (const QString &file : all)
            runProgram("ffprobe", {"-v", "error", "-show_format", "-show_streams", file});
        read += all.size();
    }
    state.SetItemsProcessed(read);
}
BENCHMARK(BM_FFprobe)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const double perFile = run.GetAdjustedRealTime() / 1000.0 / (2 * kFilesPerFormat);
            if (run.benchmark_name().find("AllCores") != std::string::npos)
                continue;
            if (run.benchmark_name().find("Loader") != std::string::npos)
                g_loaderSecondsPerFile = perFile;
            else
                g_ffprobeSecondsPerFile = perFile;
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList paths = bench::fileArguments(argc, argv);
    if (!paths.isEmpty())
        return runOnFiles(paths);
    benchmark::Initialize(&argc, argv);
    files();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (g_loaderSecondsPerFile > 0 && g_ffprobeSecondsPerFile > 0) {
        std::printf("metadata reading: %.0f files/s in process on one thread (target 2000), "
                    "%.0f files/s with ffprobe, %.1fx faster per file\n",
                    1.0 / g_loaderSecondsPerFile,
                    1.0 / g_ffprobeSecondsPerFile,
                    g_ffprobeSecondsPerFile / g_loaderSecondsPerFile);
    }
    benchmark::Shutdown();
    return 0;
}
