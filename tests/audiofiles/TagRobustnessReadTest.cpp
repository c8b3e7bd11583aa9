#include "audiofiles/AudioMetadataLoader.h"
#include "support/TestAudioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace brivello;

namespace {

constexpr rlim_t kHeadroomBytes = rlim_t(768) << 20;
constexpr unsigned kSecondsPerFile = 60;

rlim_t currentAddressSpace()
{
    unsigned long pages = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE));
}

// Runs in a child: the address space is capped and an alarm set, so a crash, a hang or an
// allocation sized by a broken header ends the child with something other than exit code 0.
// The file is read under its own name and under every other audio extension, since the
// readers pick their parser by name.
[[noreturn]] void readWithinBounds(const QString &source)
{
    QTemporaryDir dir;
    const rlimit cap{currentAddressSpace() + kHeadroomBytes, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &cap);
    alarm(kSecondsPerFile);
    AudioTags fallback;
    fallback.title = "Kept";
    AudioMetadataLoader::read(QUrl::fromLocalFile(source), fallback);
    const QString base = QFileInfo(source).completeBaseName();
    int code = 0;
    for (const char *suffix : {"mp3", "flac", "wav", "aiff", "m4a"}) {
        const QString copy = dir.filePath(base + QLatin1Char('.') + QLatin1String(suffix));
        if (!QFile::copy(source, copy)) {
            code = 2;
            break;
        }
        const LoadedTrackMetadata loaded =
            AudioMetadataLoader::read(QUrl::fromLocalFile(copy), fallback);
        if (loaded.duration < 0 || loaded.bitRate < 0) {
            code = 3;
            break;
        }
    }
    // _Exit skips destructors: the copies go first.
    dir.remove();
    std::_Exit(code);
}

} // namespace

// Reading the shared corpus of broken and unusual tags returns for every file, in bounded
// memory and time, whatever its name says it is.
TEST(TagRobustnessReadTest, EveryCorpusFileIsReadInBoundedMemoryAndTime)
{
    const QDir corpus(brivello::test::TestAudioFiles::corpusFolder());
    const QStringList files = brivello::test::TestAudioFiles::corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "tag robustness corpus not found at " << corpus.path().toStdString();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EXIT(readWithinBounds(corpus.filePath(name)), ::testing::ExitedWithCode(0), "");
    }
}
