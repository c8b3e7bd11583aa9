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
    struct Case
    {
        const char *name;
        QStringList options;
        int channels, rate, depth;
        double bitRate;
        quint64 dataBytes;
    };
    for (const Case &c :
         {Case{"a.wav", {"-c:a", "pcm_s16le"}, 1, 44100, 16, 705600.0, 88200},
          Case{"b.wav", {"-c:a", "pcm_s24le"}, 2, 48000, 24, -1, 288000},
          Case{"c.aiff", {"-c:a", "pcm_s16be"}, 1, 44100, 16, -1, 88200},
          Case{"d.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, 1, 44100, 0, 192000.0, 0}}) {
        const QString file = dir.filePath(c.name);
        test::makeTone(file, 1.0, c.options, c.channels, c.rate);
        const auto info = AudioTechnicalInfo::read(QUrl::fromLocalFile(file));
        ASSERT_TRUE(info) << c.name;
        EXPECT_EQ(info->bitDepth, c.depth) << c.name;
        EXPECT_EQ(info->audioDataByteCount, c.dataBytes) << c.name;
        if (c.bitRate > 0) {
            EXPECT_EQ(info->bitRate, c.bitRate) << c.name;
        }
    }
    writeFile(dir.filePath("text.wav"), "not audio at all");
    EXPECT_FALSE(AudioTechnicalInfo::read(QUrl::fromLocalFile(dir.filePath("text.wav"))));
    EXPECT_FALSE(AudioTechnicalInfo::read(QUrl::fromLocalFile(dir.filePath("gone.wav"))));
}

} // namespace
