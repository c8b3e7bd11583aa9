// Track and tempo texts in M4A files: trkn and tmpo hold numbers only, and a text they cannot
// hold reads back exactly all the same.
#include "WriterTestSupport.h"
#include "audiofiles/AudioMetadataLoader.h"

#include <QJsonArray>

using namespace brivello;
using namespace brivello::test;

class MetadataWriterMp4Test : public WriterTest
{
protected:
    QString makeM4a()
    {
        const QString file = path("t.m4a");
        EXPECT_TRUE(toolAccepts("ffmpeg",
                                TestAudioFiles::lavfiArguments("sine=duration=1") +
                                    QStringList{"-c:a", "aac", file}));
        return file;
    }
    AudioTags read(const QString &file)
    {
        return AudioMetadataLoader::read(url(file), AudioTags{}).tags;
    }
    static QString mutagenText(const QString &file, const char *key)
    {
        const QJsonArray values = TestAudioFiles::mutagenTags(file).value(key).toArray();
        return values.isEmpty() ? QString() : values.first().toString();
    }
};

TEST_F(MetadataWriterMp4Test, TracksAndTemposTheIntegerItemsCannotHoldReadBackExactly)
{
    const QString file = makeM4a();
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    AudioTags tags = fullTags();
    const std::pair<const char *, const char *> cases[] = {
        {"128.5", "A1"}, {"fast", "03"}, {"124", "3/12"}, {"90", "B 2"}};
    for (const auto &[bpm, track] : cases) {
        SCOPED_TRACE(std::string(bpm) + " " + track);
        tags.bpm = QString::fromLatin1(bpm);
        tags.track = QString::fromLatin1(track);
        MetadataWriter::writeNow(tags, false, url(file));
        const AudioTags back = read(file);
        EXPECT_EQ(back.bpm, bpm);
        EXPECT_EQ(back.track, track);
        EXPECT_EQ(back.title, tags.title);
    }
    // Whole numbers stay in the integer items alone; other programs see the nearest number.
    EXPECT_EQ(mutagenText(file, "tmpo"), "90");
    EXPECT_EQ(mutagenText(file, "----:com.apple.iTunes:BPM"), "");
    EXPECT_FALSE(mutagenText(file, "----:com.apple.iTunes:TRACKNUMBER").isEmpty());

    tags.bpm = QStringLiteral("128.5");
    tags.track = QStringLiteral("3/12");
    MetadataWriter::writeNow(tags, false, url(file));
    EXPECT_EQ(mutagenText(file, "tmpo"), "129");
    EXPECT_EQ(mutagenText(file, "trkn"), "(3, 12)");
    EXPECT_EQ(mutagenText(file, "----:com.apple.iTunes:TRACKNUMBER"), "");
    EXPECT_EQ(read(file).bpm, "128.5");

    // An edit of another field leaves the exact texts as they were.
    tags.title = QStringLiteral("Other");
    MetadataWriter::writeNow(tags, false, url(file));
    EXPECT_EQ(read(file).bpm, "128.5");
    EXPECT_EQ(read(file).track, "3/12");

    tags.bpm.clear();
    tags.track.clear();
    MetadataWriter::writeNow(tags, false, url(file));
    EXPECT_EQ(read(file).bpm, "");
    EXPECT_EQ(read(file).track, "");
    EXPECT_EQ(mutagenText(file, "tmpo"), "");
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
}
