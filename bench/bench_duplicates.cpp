// Duplicate search over folders, beside jdupes -r and rmlint on the same folders in the same
// run: the exact pass (sizes with file identities, same-size candidates, the hashing pool) and
// the whole DuplicateSearch run as the window starts it (metadata, preparing, hashing,
// matching), with the longest stall of the main thread during it.
//   bench_duplicates DIR...      one line per folder and round, path first; relative paths work
//   bench_duplicates             a generated 3 GB tree of 600 files under /tmp, removed after
//   --rounds=N                   rounds per folder (default 3); the last line holds the medians
// The machine may be shared: compare the ratios of one round, not times across runs.
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "library/AudioFileWalk.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "platform/Defaults.h"
#include "records/Track.h"
#include "workspaces/DuplicateHasher.h"
#include "workspaces/DuplicateSearch.h"
#include "workspaces/DuplicateSearchFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace brivello;

namespace {

constexpr qint64 kFileSize = 5 * 1000 * 1000;
constexpr int kFileCount = 445; // with copies and twins, 600 files and 3 GB

struct Round
{
    double exact = 0;
    double exactCPU = 0; // user and system time of the exact pass, all threads
    int groups = 0;
    qint64 bytesRead = 0;
    double whole = -1;
    int wholeGroups = 0;
    double stall = 0; // longest main-thread gap during the whole run, seconds
    double jdupes = -1;
    double rmlint = -1;
};

QStringList g_folders;
int g_rounds = 3;

QList<Track> audioTracks(const QString &folder)
{
    QList<Track> tracks;
    for (const QUrl &url :
         AudioFileWalk::audioURLs({bench::fileURL(folder)}, TrackImporter::playlistExtensions()))
        tracks.append(Track::make(url));
    return tracks;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void searchExact(const QString &folder, Round &round)
{
    const double cpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const QList<Track> tracks = audioTracks(folder);
    const QList<DuplicateFiles::SizedFile> sized = DuplicateFiles::sizeFiles(tracks);
    QList<DuplicateFiles::Candidate> candidates;
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (!sized[i].aliasOf && sized[i].byteCount.value_or(0) > 0)
            candidates.append({tracks[i].id, tracks[i].url, *sized[i].byteCount, sized[i].device});
    }
    const QList<DuplicateFiles::Candidate> sameSize =
        DuplicateFiles::sameSizeCandidates(candidates);
    DuplicateHasher::Progress progress;
    const DuplicateHasher::Result result =
        DuplicateHasher::group(sameSize, DuplicateHasher::defaultThreadCount(sameSize), &progress);
    round.groups = int(DuplicateFiles::duplicateGroups(result.groups).size());
    round.exact = clock.nsecsElapsed() / 1e9;
    round.exactCPU = cpuSeconds() - cpu;
    round.bytesRead = progress.bytesRead;
}

// The store as the application makes it, its duplicate workspace holding the folder's files.
void searchWhole(LibraryStore &store, const QString &folder, Round &round)
{
    store.setDuplicateTracks(audioTracks(folder));
    setDuplicateSearchRoots(store, {bench::fileURL(folder)});
    DuplicateSearch search(store);
    QEventLoop loop;
    QObject::connect(&search, &DuplicateSearch::searchFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
        round.stall = std::max(round.stall, sinceTick.nsecsElapsed() / 1e9);
        sinceTick.restart();
    });
    clock.start();
    sinceTick.start();
    probe.start(5);
    search.findDuplicates();
    if (isSearchingDuplicates(store))
        loop.exec();
    round.whole = clock.nsecsElapsed() / 1e9;
    round.wholeGroups = int(duplicateGroups(store).size());
    store.setDuplicateTracks({});
}

// Wall time of a peer tool over the folder; negative when it is not installed.
double peerSeconds(const QString &program, QStringList arguments, const QString &folder)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return -1;
    arguments << folder;
    QElapsedTimer clock;
    clock.start();
    if (!bench::runProgram(program, arguments))
        return -1;
    return clock.nsecsElapsed() / 1e9;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Tagged MP3 files. Every fourth has a copy, every eighth a hard link, every tenth a twin
// differing in its last byte; seven sizes, so most same-size files are no copies.
void generateTree(const QString &root)
{
    QDir().mkpath(root + QStringLiteral("/a"));
    QDir().mkpath(root + QStringLiteral("/b"));
    const QByteArray frames = bench::mp3Frames(root, 10);
    for (int i = 0; i < kFileCount; ++i) {
        const qint64 size = kFileSize - (i % 7) * 1000;
        QByteArray bytes = bench::id3TitleTag(QStringLiteral("Track %1").arg(i));
        while (!frames.isEmpty() && bytes.size() < size)
            bytes.append(frames);
        if (frames.isEmpty()) {
            bytes.resize(size);
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                                  bytes.size() / 4);
        }
        bytes.truncate(size);
        const QString path = root + QStringLiteral("/a/%1.mp3").arg(i);
        writeFile(path, bytes);
        if (i % 4 == 1)
            writeFile(root + QStringLiteral("/b/%1 copy.mp3").arg(i), bytes);
        const QString link = root + QStringLiteral("/b/%1 link.mp3").arg(i);
        if (i % 8 == 2 &&
            ::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) != 0)
            std::perror("link");
        if (i % 10 == 3) {
            bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 1);
            writeFile(root + QStringLiteral("/b/%1 twin.flac").arg(i), bytes);
        }
    }
}

void warm(const QString &folder)
{
    const QByteArray command =
        "find '" + LocalFile::encodeName(folder) + "' -type f -exec cat {} + >/dev/null 2>&1";
    if (std::system(command.constData()) != 0)
        std::fprintf(stderr, "could not read all of %s\n", bench::printable(folder).constData());
}

QString ratio(double ours, double peer)
{
    return peer > 0 ? QString::asprintf("x%.2f", ours / peer) : QStringLiteral("-");
}

void printRound(const QString &folder, const Round &r, const char *label)
{
    std::printf(
        "%s\t%s\texact %.3f s (cpu %.3f s, %d groups, %.0f MB read)\twhole %.3f s (%d groups, "
        "stall %.0f ms)\tjdupes %.3f s\trmlint %.3f s\texact/jdupes %s\twhole/jdupes "
        "%s\texact/rmlint %s\twhole/rmlint %s\n",
        bench::printable(folder).constData(),
        label,
        r.exact,
        r.exactCPU,
        r.groups,
        r.bytesRead / 1e6,
        r.whole,
        r.wholeGroups,
        r.stall * 1000,
        r.jdupes,
        r.rmlint,
        qPrintable(ratio(r.exact, r.jdupes)),
        qPrintable(ratio(r.whole, r.jdupes)),
        qPrintable(ratio(r.exact, r.rmlint)),
        qPrintable(ratio(r.whole, r.rmlint)));
    std::fflush(stdout);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

// The median of each figure, and of each round's ratios (a round's tools ran side by side).
void printMedians(const QString &folder, const QList<Round> &rounds)
{
    const auto middle = [&rounds](const std::function<double(const Round &)> &figure) {
        QList<double> values;
        for (const Round &round : rounds)
            values << figure(round);
        return median(values);
    };
    std::printf("%s\tmedian\texact %.3f s (cpu %.3f s)\twhole %.3f s (stall %.0f ms)\tjdupes "
                "%.3f s\trmlint %.3f s\texact/jdupes x%.2f\twhole/jdupes x%.2f\texact/rmlint "
                "x%.2f\twhole/rmlint x%.2f\n",
                bench::printable(folder).constData(),
                middle([](const Round &r) { return r.exact; }),
                middle([](const Round &r) { return r.exactCPU; }),
                middle([](const Round &r) { return r.whole; }),
                middle([](const Round &r) { return r.stall * 1000; }),
                middle([](const Round &r) { return r.jdupes; }),
                middle([](const Round &r) { return r.rmlint; }),
                middle([](const Round &r) { return r.exact / r.jdupes; }),
                middle([](const Round &r) { return r.whole / r.jdupes; }),
                middle([](const Round &r) { return r.exact / r.rmlint; }),
                middle([](const Round &r) { return r.whole / r.rmlint; }));
    std::fflush(stdout);
}

void BM_DuplicateSearch(benchmark::State &state)
{
    LibraryStore store{Defaults::standard()};
    // rmlint moves an existing output file aside before writing; as root it would move /dev/null.
    const QTemporaryDir rmlintOutput;
    const QString summary = QStringLiteral("summary:") + rmlintOutput.filePath("summary.txt");
    for (auto _ : state) {
        for (const QString &folder : std::as_const(g_folders)) {
            warm(folder);
            QList<Round> rounds;
            for (int i = 0; i < g_rounds; ++i) {
                Round round;
                round.jdupes = peerSeconds(QStringLiteral("jdupes"), {"-r", "-q"}, folder);
                searchExact(folder, round);
                round.rmlint =
                    peerSeconds(QStringLiteral("rmlint"), {"-o", summary, "-T", "df"}, folder);
                searchWhole(store, folder, round);
                printRound(folder, round, qPrintable(QStringLiteral("round %1").arg(i + 1)));
                rounds.append(round);
            }
            printMedians(folder, rounds);
            state.SetIterationTime(rounds.last().exact);
        }
    }
}
BENCHMARK(BM_DuplicateSearch)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The store reads and writes its settings in a folder of its own, not the user's.
    QTemporaryDir home;
    bench::useTemporaryHome(home);
    QCoreApplication app(argc, argv);
    g_folders = bench::fileArguments(argc, argv);
    g_rounds = bench::countOption(argc, argv, "--rounds", g_rounds, 1);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir generated(QDir::tempPath() + QStringLiteral("/bench_duplicates-XXXXXX"));
    if (g_folders.isEmpty()) {
        generateTree(generated.path());
        g_folders.append(generated.path());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
