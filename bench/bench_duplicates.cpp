// Exact-duplicate search over folders: sizes with file identities, same-size candidates and
// SHA-256 of each, as the duplicate search does them, beside jdupes and rmlint on the same
// folders. bench_duplicates DIR... measures the given folders (one line per folder); without
// arguments it generates a 1 GB tree with copies, hard links and near-copies.
#include "library/AudioFileWalk.h"
#include "records/Track.h"
#include "workspaces/DuplicateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace brivello;

namespace {

constexpr qint64 kFileSize = 5 * 1024 * 1024;
constexpr int kFileCount = 200; // 1 GB

struct Outcome
{
    double seconds = 0;
    qint64 bytesRead = 0;
    int groups = 0;
};

QStringList g_folders;

Outcome searchExact(const QString &folder)
{
    const auto start = std::chrono::steady_clock::now();
    QList<Track> tracks;
    for (const QUrl &url : AudioFileWalk::audioURLs(
             {QUrl::fromLocalFile(folder)}, {QStringLiteral("mp3"), QStringLiteral("flac")}))
        tracks.append(Track::make(url));
    const QList<DuplicateFiles::SizedFile> sized = DuplicateFiles::sizeFiles(tracks);
    QList<DuplicateFiles::Candidate> candidates;
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (!sized[i].aliasOf && sized[i].byteCount.value_or(0) > 0)
            candidates.append({tracks[i].id, tracks[i].url, *sized[i].byteCount});
    }
    std::atomic<qint64> bytesRead = 0;
    DuplicateFiles::DigestGroups digests;
    QHash<QString, qsizetype> index;
    const QList<DuplicateFiles::Candidate> sameSize =
        DuplicateFiles::sameSizeCandidates(candidates);
    const QSet<qsizetype> needed = DuplicateFiles::needFullDigest(sameSize, &bytesRead);
    for (qsizetype i = 0; i < sameSize.size(); ++i) {
        const DuplicateFiles::Candidate &candidate = sameSize[i];
        if (!needed.contains(i))
            continue;
        const std::optional<QString> digest = DuplicateFiles::sha256(candidate.url, &bytesRead);
        if (!digest)
            continue;
        if (!index.contains(*digest)) {
            index.insert(*digest, digests.size());
            digests.append({*digest, {}});
        }
        digests[index.value(*digest)].second.append(candidate);
    }
    const int groups = static_cast<int>(DuplicateFiles::duplicateGroups(digests).size());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), bytesRead.load(), groups};
}

// Wall time of a peer tool over the folder; negative when it is not installed.
double peerSeconds(const char *command, const QString &folder)
{
    if (QStandardPaths::findExecutable(QString::fromLatin1(command).section(QLatin1Char(' '), 0, 0))
            .isEmpty())
        return -1;
    const QByteArray line =
        QByteArray(command) + " '" + QFile::encodeName(folder) + "' >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(line.constData()) < 0)
        return -1;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Every fourth file has a copy, every eighth a hard link, every tenth a twin differing in
// its last byte.
void generateTree(const QString &root)
{
    QDir().mkpath(root + QStringLiteral("/a"));
    QDir().mkpath(root + QStringLiteral("/b"));
    QByteArray bytes(kFileSize, Qt::Uninitialized);
    for (int i = 0; i < kFileCount; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                              bytes.size() / 4);
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

void BM_ExactDuplicates(benchmark::State &state)
{
    for (auto _ : state) {
        for (const QString &folder : std::as_const(g_folders)) {
            const Outcome ours = searchExact(folder);
            const double jdupes = peerSeconds("jdupes -r -q", folder);
            const double rmlint = peerSeconds("rmlint -o summary:/dev/null", folder);
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("%s\twall %.3f s\tread %lld bytes\tpeak %ld KiB\tgroups %d",
                        qPrintable(folder),
                        ours.seconds,
                        static_cast<long long>(ours.bytesRead),
                        usage.ru_maxrss,
                        ours.groups);
            if (jdupes > 0)
                std::printf("\tjdupes %.3f s (x%.2f)", jdupes, ours.seconds / jdupes);
            if (rmlint > 0)
                std::printf("\trmlint %.3f s (x%.2f)", rmlint, ours.seconds / rmlint);
            std::printf("\n");
            state.SetIterationTime(ours.seconds);
        }
    }
}
BENCHMARK(BM_ExactDuplicates)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir generated;
    for (int i = 1; i < argc; ++i)
        g_folders.append(QString::fromLocal8Bit(argv[i]));
    if (g_folders.isEmpty()) {
        generateTree(generated.path());
        g_folders.append(generated.path());
    }
    // Every tool reads from a warm page cache.
    for (const QString &folder : std::as_const(g_folders)) {
        const QByteArray warm =
            "find '" + QFile::encodeName(folder) + "' -type f -exec cat {} + >/dev/null 2>&1";
        if (std::system(warm.constData()) != 0)
            std::fprintf(stderr, "could not read all of %s\n", qPrintable(folder));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
