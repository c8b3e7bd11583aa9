#include "audiofiles/MP3Header.h"

#include "audiofiles/AudioTechnicalInfo.h"
#include "support/AudioFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray data;
    for (int v : values)
        data.append(static_cast<char>(v));
    return data;
}

QByteArray id3Header(quint32 size)
{
    QByteArray header("ID3\x03\x00\x00", 6);
    header.append(bytes({int((size >> 21) & 0x7F),
                         int((size >> 14) & 0x7F),
                         int((size >> 7) & 0x7F),
                         int(size & 0x7F)}));
    return header;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

TEST(MP3HeaderTest, TablesHoldTheStandardValues)
{
    EXPECT_EQ(MP3Header::kMPEG1LayerIII[9], 128);
    EXPECT_EQ(MP3Header::kMPEG1LayerIII[14], 320);
    EXPECT_EQ(MP3Header::kMPEG1LayerI[14], 448);
    EXPECT_EQ(MP3Header::kMPEG1LayerII[14], 384);
    EXPECT_EQ(MP3Header::kMPEG2LayerI[14], 256);
    EXPECT_EQ(MP3Header::kMPEG2LayerIIAndIII[1], 8);
    EXPECT_EQ(MP3Header::kMPEG2LayerIIAndIII[14], 160);
    for (const auto *table : {&MP3Header::kMPEG1LayerI,
                              &MP3Header::kMPEG1LayerII,
                              &MP3Header::kMPEG1LayerIII,
                              &MP3Header::kMPEG2LayerI,
                              &MP3Header::kMPEG2LayerIIAndIII}) {
        EXPECT_EQ((*table)[0], 0);
        EXPECT_EQ((*table)[15], 0);
        EXPECT_TRUE(std::is_sorted(table->begin(), table->end() - 1));
    }
}

TEST(MP3HeaderTest, ReadsTheBitRateOfEachVersionAndLayer)
{
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xFB, 0x90, 0x00})), 128000.0);
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xF3, 0x80, 0x00})), 64000.0);
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xE3, 0x80, 0x00})), 64000.0);
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xFF, 0xE0, 0x00})), 448000.0); // MPEG-1 L I
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xFD, 0xE0, 0x00})), 384000.0); // MPEG-1 L II
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xF7, 0xE0, 0x00})), 256000.0); // MPEG-2 L I
    EXPECT_EQ(MP3Header::bitRate(bytes({0xFF, 0xF5, 0x10, 0x00})), 8000.0);   // MPEG-2 L II
}

TEST(MP3HeaderTest, PassesOverInvalidHeadersAndKeepsScanning)
{
    for (auto bad : {bytes({0xFF, 0xFA, 0x00}),
                     bytes({0xFF, 0xFB, 0xF0}),
                     bytes({0xFF, 0xEB, 0x90}),
                     bytes({0xFF, 0xF9, 0x90})}) {
        EXPECT_FALSE(MP3Header::bitRate(bad + QByteArray(1, 0)).has_value());
        EXPECT_EQ(MP3Header::bitRate(bad + bytes({0xFF, 0xFB, 0x90, 0x00})), 128000.0);
    }
    EXPECT_FALSE(MP3Header::bitRate(bytes({0xFF, 0xFB, 0x90})).has_value()); // three bytes
    // The last position examined is n - 4.
    EXPECT_FALSE(MP3Header::bitRate(bytes({0x00, 0x00, 0xFF, 0xFB, 0x90})).has_value());
}

TEST(MP3HeaderTest, SkipsTheID3v2Tag)
{
    // A valid-looking header inside the tag is not taken.
    QByteArray data = id3Header(4) + bytes({0xFF, 0xFB, 0xE0, 0x00}) + bytes({0xFF, 0xFB, 0x90, 0});
    EXPECT_EQ(MP3Header::bitRate(data), 128000.0);

    // A tag larger than the window leaves only position n - 4.
    QByteArray large = id3Header(500000) + QByteArray(100, 0) + bytes({0xFF, 0xFB, 0x90, 0x00});
    EXPECT_EQ(MP3Header::bitRate(large), 128000.0);
    large.append(char(0));
    EXPECT_FALSE(MP3Header::bitRate(large).has_value());

    // Nine bytes beginning "ID3" are scanned from the start.
    EXPECT_EQ(MP3Header::bitRate(QByteArray("ID3") + bytes({0xFF, 0xFB, 0x90, 0, 0, 0})), 128000.0);
}

TEST(MP3HeaderTest, OnlyOpensFilesNamedMP3AndReadsOneWindow)
{
    QTemporaryDir dir;
    const QByteArray frame = bytes({0xFF, 0xFB, 0x90, 0x00});
    writeFile(dir.filePath("upper.MP3"), frame);
    writeFile(dir.filePath("sound.wav"), frame);
    writeFile(dir.filePath("late.mp3"), QByteArray(MP3Header::kWindowSize, 0) + frame);
    EXPECT_EQ(MP3Header::bitRate(QUrl::fromLocalFile(dir.filePath("upper.MP3"))), 128000.0);
    EXPECT_FALSE(MP3Header::bitRate(QUrl::fromLocalFile(dir.filePath("sound.wav"))));
    EXPECT_FALSE(MP3Header::bitRate(QUrl::fromLocalFile(dir.filePath("late.mp3"))));
    EXPECT_FALSE(MP3Header::bitRate(QUrl::fromLocalFile(dir.filePath("missing.mp3"))));
}

TEST(AudioTechnicalInfoTest, ReportsPCMDepthAndDataSizeAndZeroDepthForLossy)
{
    QTemporaryDir dir;
    const QString wav16 = dir.filePath("a.wav");
    const QString wav24 = dir.filePath("b.wav");
    const QString aiff = dir.filePath("c.aiff");
    const QString mp3 = dir.filePath("d.mp3");
    test::makeTone(wav16, 1.0, {"-c:a", "pcm_s16le"});
    test::makeTone(wav24, 1.0, {"-c:a", "pcm_s24le"}, 2, 48000);
    test::makeTone(aiff, 1.0, {"-c:a", "pcm_s16be"});
    test::makeTone(mp3, 1.0, {"-c:a", "libmp3lame", "-b:a", "192k"});

    const auto a = AudioTechnicalInfo::read(QUrl::fromLocalFile(wav16));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->bitDepth, 16);
    EXPECT_EQ(a->bitRate, 44100.0 * 16);
    EXPECT_EQ(a->audioDataByteCount, 44100u * 2);

    const auto b = AudioTechnicalInfo::read(QUrl::fromLocalFile(wav24));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->bitDepth, 24);
    EXPECT_EQ(b->audioDataByteCount, 48000u * 2 * 3);

    const auto c = AudioTechnicalInfo::read(QUrl::fromLocalFile(aiff));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->bitDepth, 16);
    EXPECT_EQ(c->audioDataByteCount, 44100u * 2);

    const auto d = AudioTechnicalInfo::read(QUrl::fromLocalFile(mp3));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->bitDepth, 0);
    EXPECT_EQ(d->bitRate, 192000.0);
    EXPECT_EQ(d->audioDataByteCount, 0u);

    writeFile(dir.filePath("text.wav"), "not audio at all");
    EXPECT_FALSE(AudioTechnicalInfo::read(QUrl::fromLocalFile(dir.filePath("text.wav"))));
    EXPECT_FALSE(AudioTechnicalInfo::read(QUrl::fromLocalFile(dir.filePath("gone.wav"))));
}

} // namespace
