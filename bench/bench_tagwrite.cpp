// Tag rewrite of a 300 MB WAV and a 10 MB MP3: wall time and peak memory of each run, beside
// `cp` of the same file (the physical limit) and mutagen saving the same tags. Every contender
// runs in a child process so its peak resident size can be read the same way (wait4).
// Afterwards one line per file (the generated WAV, then each path given as an argument): the
// rewrite's time over that of a copy followed by fsync, the durable peer of a safe rewrite.
#include "BenchArguments.h"
#include "audiofiles/MetadataWriter.h"
#include "platform/LocalFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brivello;

namespace {

constexpr qint64 kWavBytes = 300LL * 1024 * 1024;
constexpr qint64 kMp3Bytes = 10LL * 1024 * 1024;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

AudioTags benchTags()
{
    AudioTags tags;
    tags.title = QStringLiteral("Ночной трек");
    tags.artist = QStringLiteral("Артист");
    tags.album = QStringLiteral("Альбом");
    tags.genre = QStringLiteral("House");
    tags.year = QStringLiteral("2024");
    tags.comment = QStringLiteral("bench");
    tags.bpm = QStringLiteral("124");
    return tags;
}

void writeNoise(QFile &file, qint64 bytes)
{
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
    for (qint64 done = 0; done < bytes; done += block.size())
        file.write(block.constData(), std::min<qint64>(block.size(), bytes - done));
}

// A 16-bit stereo WAV of noise, made once.
QString wavFile()
{
    const QString path = folder().filePath(QStringLiteral("big.wav"));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const qint64 data = kWavBytes - 44;
    file.write("RIFF" + le32(quint32(36 + data)) + "WAVEfmt " + le32(16));
    file.write(QByteArray::fromHex("0100020044ac000010b1020004001000"));
    file.write("data" + le32(quint32(data)));
    writeNoise(file, data);
    return path;
}

// An MP3 made of real frames (lame through ffmpeg), padded to 10 MB with a long tone.
QString mp3File()
{
    const QString path = folder().filePath(QStringLiteral("big.mp3"));
    if (!QFile::exists(path)) {
        const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=262 "
                                    "-c:a libmp3lame -b:a 320k '" +
                                    path.toStdString() + "'";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return path;
}

struct Run
{
    double seconds = 0;
    double peakMiB = 0;
};

// Forks, runs `child` there, and measures the child's wall time and peak resident size.
template <typename Child> Run measure(Child child)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        child();
        _exit(0);
    }
    int status = 0;
    struct rusage usage
    {
    };
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), usage.ru_maxrss / 1024.0};
}

void execute(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

const char *kMutagenSave = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, TYER, COMM, TBPM
from mutagen.wave import WAVE
path = sys.argv[1]
frames = [TIT2(encoding=1, text='Ночной трек'), TPE1(encoding=1, text='Артист'),
          TALB(encoding=1, text='Альбом'), TCON(encoding=1, text='House'),
          TYER(encoding=1, text='2024'), COMM(encoding=1, lang='eng', desc='', text='bench'),
          TBPM(encoding=1, text='124')]
if path.endswith('.wav'):
    f = WAVE(path)
    if f.tags is None: f.add_tags()
    for fr in frames: f.tags.add(fr)
    f.save(v2_version=3)
else:
    t = ID3()
    for fr in frames: t.add(fr)
    t.save(path, v2_version=3)
)";

std::map<std::string, double> &cpSeconds()
{
    static std::map<std::string, double> seconds;
    return seconds;
}

// Runs `one` per iteration and reports mean time, peak memory and the ratio to plain cp.
template <typename One>
void runAll(
    benchmark::State &state, const std::string &kind, const QString &file, bool isCopy, One one)
{
    double total = 0;
    double peak = 0;
    for (auto _ : state) {
        const Run run = one();
        state.SetIterationTime(run.seconds);
        total += run.seconds;
        peak = std::max(peak, run.peakMiB);
    }
    const double mean = total / double(state.iterations());
    if (isCopy)
        cpSeconds()[kind] = mean;
    state.counters["peak_MiB"] = peak;
    state.counters["file_MiB"] = QFile(file).size() / 1048576.0;
    if (cpSeconds().count(kind))
        state.counters["x_cp"] = mean / cpSeconds()[kind];
}

void copyBench(benchmark::State &state, const QString &file, const std::string &kind)
{
    const std::string source = file.toStdString();
    const std::string target = source + ".copy";
    runAll(state, kind, file, true, [&] {
        return measure([&] { execute({"cp", source, target}); });
    });
    QFile::remove(QString::fromStdString(target));
}

// cp followed by a flush of the copy: the durable peer of a safe rewrite.
void syncedCopyBench(benchmark::State &state, const QString &file, const std::string &kind)
{
    const std::string target = file.toStdString() + ".copy";
    const std::string script = "cp \"$1\" \"$2\" && sync \"$2\"";
    runAll(state, kind, file, false, [&] {
        return measure([&] { execute({"sh", "-c", script, "sh", file.toStdString(), target}); });
    });
    QFile::remove(QString::fromStdString(target));
}

void brivelloBench(benchmark::State &state, const QString &file, const std::string &kind)
{
    const QUrl url = QUrl::fromLocalFile(file);
    runAll(state, kind, file, false, [&] {
        return measure([&] {
            try {
                MetadataWriter::writeNow(benchTags(), false, url);
            } catch (const WriteError &error) {
                std::fprintf(stderr, "%s\n", qPrintable(error.errorDescription()));
                _exit(1);
            }
        });
    });
}

void mutagenBench(benchmark::State &state, const QString &file, const std::string &kind)
{
    runAll(state, kind, file, false, [&] {
        return measure([&] {
            execute({"/usr/bin/python3", "-c", kMutagenSave, file.toStdString()});
        });
    });
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Rewrite time over copy-and-fsync time for a copy of `file` (the file itself is not touched).
void printRatio(const QString &file)
{
    const QString work = folder().filePath(QStringLiteral("ratio.") + QFileInfo(file).suffix());
    QFile::remove(work);
    if (LocalFile::copy(file, work) != 0) {
        std::printf("%s cannot be copied\n", bench::printable(file).constData());
        return;
    }
    const std::string target = work.toStdString() + ".copy";
    const std::string script = "cp \"$1\" \"$2\" && sync \"$2\"";
    const QUrl url = QUrl::fromLocalFile(work);
    std::vector<double> copies;
    std::vector<double> rewrites;
    bool failed = false;
    for (int round = 0; round < 3 && !failed; ++round) {
        copies.push_back(measure([&] {
                             execute({"sh", "-c", script, "sh", work.toStdString(), target});
                         }).seconds);
        QFile::remove(QString::fromStdString(target));
        rewrites.push_back(measure([&] {
                               try {
                                   MetadataWriter::writeNow(benchTags(), false, url);
                               } catch (const WriteError &) {
                                   _exit(1);
                               }
                           }).seconds);
        failed = !QFile::exists(work);
    }
    QFile::remove(work);
    std::printf("%s rewrite/(cp+fsync) %.2f\n",
                bench::printable(file).constData(),
                median(rewrites) / median(copies));
}

void BM_CopyWav(benchmark::State &state)
{
    copyBench(state, wavFile(), "wav");
}
void BM_SyncedCopyWav(benchmark::State &state)
{
    syncedCopyBench(state, wavFile(), "wav");
}
void BM_BrivelloWav(benchmark::State &state)
{
    brivelloBench(state, wavFile(), "wav");
}
void BM_MutagenWav(benchmark::State &state)
{
    mutagenBench(state, wavFile(), "wav");
}
void BM_CopyMp3(benchmark::State &state)
{
    copyBench(state, mp3File(), "mp3");
}
void BM_SyncedCopyMp3(benchmark::State &state)
{
    syncedCopyBench(state, mp3File(), "mp3");
}
void BM_BrivelloMp3(benchmark::State &state)
{
    brivelloBench(state, mp3File(), "mp3");
}
void BM_MutagenMp3(benchmark::State &state)
{
    mutagenBench(state, mp3File(), "mp3");
}

} // namespace

BENCHMARK(BM_CopyWav)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncedCopyWav)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrivelloWav)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MutagenWav)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyMp3)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncedCopyMp3)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrivelloMp3)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MutagenMp3)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printRatio(wavFile());
    for (const QString &file : bench::fileArguments(argc, argv))
        printRatio(file);
    benchmark::Shutdown();
    return 0;
}
