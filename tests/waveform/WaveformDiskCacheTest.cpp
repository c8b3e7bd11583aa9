#include "waveform/WaveformDiskCache.h"

#include "support/TestAudioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <gtest/gtest.h>

using namespace brivello;
using test::TestAudioFiles;

namespace {

std::vector<float> ramp()
{
    std::vector<float> values(4096);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = float(i) / 4096.0f - 0.25f;
    return values;
}

void setAge(const QString &path, qint64 secondsAgo)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                     QFileDevice::FileModificationTime);
}

TEST(WaveformDiskCacheTest, FileNameIsTheSha256OfTheKeyText)
{
    QTemporaryDir dir;
    const QString audio = dir.filePath("a b/../Track ü.mp3");
    QDir().mkpath(dir.filePath("a b"));
    ASSERT_TRUE(TestAudioFiles::writeAll(dir.filePath("Track ü.mp3"), QByteArray(1234, 'x')));

    const std::optional<QString> key = WaveformDiskCache::keyText(QUrl::fromLocalFile(audio));
    ASSERT_TRUE(key);
    const QStringList fields = key->split('|');
    ASSERT_EQ(fields.size(), 5);
    EXPECT_EQ(fields[0], dir.filePath("Track ü.mp3")); // standardised: no "..", absolute
    EXPECT_EQ(fields[1], "1234");
    EXPECT_TRUE(fields[2].contains('.'));
    EXPECT_EQ(fields[3], "4096");
    EXPECT_EQ(fields[4], "2");

    const auto hashed =
        TestAudioFiles::run("sh", {"-c", "printf %s \"$1\" | sha256sum", "sh", *key});
    ASSERT_TRUE(hashed.ok());
    const QString expected = QString::fromLatin1(hashed.out.left(64));
    const std::optional<QString> file =
        WaveformDiskCache::persistentCacheFile(QUrl::fromLocalFile(audio), dir.path());
    ASSERT_TRUE(file);
    EXPECT_EQ(QFileInfo(*file).fileName(), expected + ".waveform");
    EXPECT_FALSE(WaveformDiskCache::keyText(QUrl::fromLocalFile(dir.filePath("missing"))));
    EXPECT_EQ(WaveformDiskCache::defaultDirectory(),
              qEnvironmentVariable("XDG_CACHE_HOME") + "/Brivello/Waveforms");
}

TEST(WaveformDiskCacheTest, ATouchOrAResizeAloneGivesANewFile)
{
    QTemporaryDir dir;
    const QString audio = dir.filePath("a.mp3");
    ASSERT_TRUE(TestAudioFiles::writeAll(audio, QByteArray(500, 'x')));
    setAge(audio, 3600);
    const auto fileFor = [&] {
        return *WaveformDiskCache::persistentCacheFile(QUrl::fromLocalFile(audio), dir.path());
    };
    const QString before = fileFor();
    EXPECT_EQ(fileFor(), before);
    // Same size, same content, another modification time.
    setAge(audio, 60);
    const QString touched = fileFor();
    EXPECT_NE(touched, before);
    // Same modification time, another size.
    const QDateTime modified = QFileInfo(audio).lastModified();
    ASSERT_TRUE(TestAudioFiles::writeAll(audio, QByteArray(501, 'x')));
    QFile file(audio);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(modified, QFileDevice::FileModificationTime);
    file.close();
    EXPECT_NE(fileFor(), touched);
    EXPECT_NE(fileFor(), before);
    // Re-rendered within the same second at the same size: the fraction of the second tells.
    const QString resized = fileFor();
    const QDateTime second = QDateTime::fromSecsSinceEpoch(modified.toSecsSinceEpoch() - 60);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(second.addMSecs(200), QFileDevice::FileModificationTime));
    const QString early = fileFor();
    ASSERT_TRUE(file.setFileTime(second.addMSecs(700), QFileDevice::FileModificationTime));
    EXPECT_NE(fileFor(), early);
    EXPECT_NE(early, resized);
    EXPECT_TRUE(
        WaveformDiskCache::keyText(QUrl::fromLocalFile(audio))->split('|')[2].endsWith(".7"));
}

TEST(WaveformDiskCacheTest, SecondsAreWrittenShortestWithADecimalPoint)
{
    const struct
    {
        double seconds;
        const char *text;
    } cases[] = {{1765000000.0, "1765000000.0"},
                 {0.0, "0.0"},
                 {-1.0, "-1.0"},
                 {1.5, "1.5"},
                 {1765000000.123456, "1765000000.123456"},
                 {0.1, "0.1"}};
    for (const auto &c : cases)
        EXPECT_EQ(WaveformDiskCache::secondsText(c.seconds), c.text) << c.text;
    // Nanosecond times read back to the very same double.
    const double odd = 1765000000.0 + 123456789e-9;
    const QByteArray text = WaveformDiskCache::secondsText(odd).toLatin1();
    double back = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), back);
    EXPECT_EQ(back, odd);
}

TEST(WaveformDiskCacheTest, SavedFileHolds4096LittleEndianFloatsReadByOd)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Waveforms/x.waveform");
    WaveformDiskCache::save(ramp(), file, WaveformDiskCache::kDefaultLimitBytes);
    EXPECT_EQ(QFileInfo(file).size(), 16384);
    const auto dumped =
        TestAudioFiles::run("od", {"-An", "-v", "-t", "f4", "--endian=little", file});
    ASSERT_TRUE(dumped.ok());
    const QStringList values = QString::fromLatin1(dumped.out).simplified().split(' ');
    ASSERT_EQ(values.size(), 4096);
    for (int i : {0, 1, 1024, 4095})
        EXPECT_NEAR(values[i].toDouble(), ramp()[size_t(i)], 1e-6) << i;
    EXPECT_EQ(WaveformDiskCache::read(file), ramp());
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(dir.filePath("Waveforms")).isEmpty());

    // Other lengths are never written.
    WaveformDiskCache::save(
        std::vector<float>(4095, 0.5f), dir.filePath("short.waveform"), 1 << 30);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("short.waveform")));
}

TEST(WaveformDiskCacheTest, FilesOfAnyOtherLengthAreMisses)
{
    QTemporaryDir dir;
    for (int size : {0, 16383, 16385, 32768}) {
        const QString file = dir.filePath(QString::number(size));
        ASSERT_TRUE(TestAudioFiles::writeAll(file, QByteArray(size, '\0')));
        EXPECT_FALSE(WaveformDiskCache::read(file)) << size;
    }
    EXPECT_FALSE(WaveformDiskCache::read(dir.filePath("absent")));
}

TEST(WaveformDiskCacheTest, PruningRemovesTheOldestFilesBeyondTheLimit)
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << dir.filePath(QStringLiteral("%1.waveform").arg(i));
        WaveformDiskCache::save(ramp(), files.last(), 1 << 30);
        setAge(files.last(), 1000 - i * 100); // file 0 is the oldest
    }
    ASSERT_TRUE(TestAudioFiles::writeAll(dir.filePath("other.txt"), QByteArray(50000, 'x')));
    setAge(files[0], 5000);

    // Room for three files; file 0 is the one just written, so it stays.
    WaveformDiskCache::prune(dir.path(), 3 * 16384, files[0]);
    EXPECT_TRUE(QFileInfo::exists(files[0]));
    EXPECT_FALSE(QFileInfo::exists(files[1]));
    EXPECT_FALSE(QFileInfo::exists(files[2]));
    EXPECT_TRUE(QFileInfo::exists(files[3]));
    EXPECT_TRUE(QFileInfo::exists(files[4]));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("other.txt")));
}

} // namespace
