#include "WriterTestSupport.h"

#include <QJsonArray>

using namespace brivello;
using namespace brivello::test;

class MetadataWriterExportTest : public WriterTest
{
};

TEST_F(MetadataWriterExportTest, ContainersWithoutAWayInAreRefusedUntouched)
{
    for (const char *name : {"b.aac", "c.ogg"}) {
        const QString file = make(name);
        expectRefused(file, WriteError::Kind::unsupportedFormat, [&] {
            MetadataWriter::writeNow(fullTags(), false, url(file));
        });
    }
    // An "m4a" ffmpeg cannot read: the export fails and the file stays as it was.
    const QString broken = path("d.M4A");
    TestAudioFiles::writeAll(broken, QByteArray(4096, 'x'));
    expectRefused(broken, WriteError::Kind::rewriteFailed, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(broken));
    });
    const auto error = attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(broken)); });
    EXPECT_EQ(error->payload(), "M4A");
}

TEST_F(MetadataWriterExportTest, AssignedCoversAreVerifiedInEveryContainer)
{
    const QByteArray png = TestAudioFiles::pngPicture(20);
    for (const char *name : {"e.mp3", "f.flac", "g.wav", "h.aiff", "i.aif"}) {
        const QString file = make(name);
        const QByteArray md5 = TestAudioFiles::audioMd5(file);
        MetadataWriter::assignArtworkNow(png, fullTags(), url(file));
        EXPECT_TRUE(MetadataWriter::containsArtworkBytes(png, file)) << name;
        EXPECT_FALSE(MetadataWriter::containsArtworkBytes(TestAudioFiles::jpegPicture(), file));
        EXPECT_EQ(TestAudioFiles::audioMd5(file), md5) << name;
    }
    const QString m4a = make("j.m4a");
    expectRefused(m4a, WriteError::Kind::unsupportedFormat, [&] {
        MetadataWriter::assignArtworkNow(png, fullTags(), url(m4a));
    });
}

TEST_F(MetadataWriterExportTest, VerificationLooksOnlyInTheTagArea)
{
    const QByteArray marker("PICTURE-BYTES-IN-AUDIO");
    const QString mp3 = path("k.mp3");
    TestAudioFiles::writeAll(mp3, MetadataWriter::id3Tag(fullTags(), std::nullopt) + marker);
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, mp3));
    TestAudioFiles::writeAll(mp3, "ID3\x03"); // shorter than a header
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, mp3));

    const QString flac = path("l.flac");
    TestAudioFiles::writeAll(flac, QByteArray("fLaC\x86\0\0\x40", 8) + marker); // cut short
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, flac));
}
