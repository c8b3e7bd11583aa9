#include "WriterTestSupport.h"

#include <QJsonArray>

using namespace brivello;
using namespace brivello::test;

class MetadataWriterExportTest : public WriterTest
{
};

TEST_F(MetadataWriterExportTest, M4aGetsTheFiveItemsByStreamCopy)
{
    const QString file = make(QStringLiteral("a.m4a"));
    ASSERT_TRUE(
        TestAudioFiles::python("import sys\nfrom mutagen.mp4 import MP4\nf=MP4(sys.argv[1])\n"
                               "f['\\xa9nam']=['old']\nf['\\xa9ART']=['old artist']\nf.save()",
                               {file})
            .ok());
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    AudioTags tags = fullTags();
    tags.artist.clear(); // a cleared field is removed, not left behind
    MetadataWriter::writeNow(tags, false, url(file));

    const QJsonObject read = TestAudioFiles::mutagenTags(file);
    const auto first = [&](const QString &key) {
        return read.value(key).toArray().first().toString();
    };
    EXPECT_EQ(first(QStringLiteral("©nam")), tags.title);
    EXPECT_EQ(first(QStringLiteral("©alb")), tags.album);
    EXPECT_EQ(first(QStringLiteral("©gen")), tags.genre);
    EXPECT_EQ(first(QStringLiteral("©cmt")), tags.comment);
    EXPECT_FALSE(read.contains(QStringLiteral("©ART")));
    EXPECT_FALSE(read.contains(QStringLiteral("©day"))); // year is not one of the five
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterExportTest, M4aCoverStaysOnAnEditAndGoesWithTheCleaner)
{
    const QString file = make(QStringLiteral("cover.m4a"));
    const QString jpeg = path(QStringLiteral("c.jpg"));
    TestAudioFiles::writeAll(jpeg, TestAudioFiles::jpegPicture());
    ASSERT_TRUE(TestAudioFiles::python("import sys\nfrom mutagen.mp4 import MP4, MP4Cover\n"
                                       "f=MP4(sys.argv[1])\n"
                                       "f['covr']=[MP4Cover(open(sys.argv[2],'rb').read())]\n"
                                       "f.save()",
                                       {file, jpeg})
                    .ok());
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_TRUE(TestAudioFiles::mutagenTags(file).contains(QStringLiteral("covr")));
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    EXPECT_FALSE(TestAudioFiles::mutagenTags(file).contains(QStringLiteral("covr")));
}

TEST_F(MetadataWriterExportTest, ContainersWithoutAWayInAreRefusedUntouched)
{
    for (const QString &name : {QStringLiteral("b.aac"), QStringLiteral("c.ogg")}) {
        const QString file = make(name);
        expectRefused(file, WriteError::Kind::unsupportedFormat, [&] {
            MetadataWriter::writeNow(fullTags(), false, url(file));
        });
    }
    // An "m4a" ffmpeg cannot read: the export fails and the file stays as it was.
    const QString broken = path(QStringLiteral("d.M4A"));
    TestAudioFiles::writeAll(broken, QByteArray(4096, 'x'));
    expectRefused(broken, WriteError::Kind::rewriteFailed, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(broken));
    });
    const auto error = attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(broken)); });
    EXPECT_EQ(error->payload(), QStringLiteral("M4A"));
}

TEST_F(MetadataWriterExportTest, AssignedCoversAreVerifiedInEveryContainer)
{
    const QByteArray png = TestAudioFiles::pngPicture(20);
    for (const QString &name : {QStringLiteral("e.mp3"),
                                QStringLiteral("f.flac"),
                                QStringLiteral("g.wav"),
                                QStringLiteral("h.aiff"),
                                QStringLiteral("i.aif")}) {
        const QString file = make(name);
        const QByteArray md5 = TestAudioFiles::audioMd5(file);
        MetadataWriter::assignArtworkNow(png, fullTags(), url(file));
        EXPECT_TRUE(MetadataWriter::containsArtworkBytes(png, file)) << name.toStdString();
        EXPECT_FALSE(MetadataWriter::containsArtworkBytes(TestAudioFiles::jpegPicture(), file));
        EXPECT_EQ(TestAudioFiles::audioMd5(file), md5) << name.toStdString();
    }
    const QString m4a = make(QStringLiteral("j.m4a"));
    expectRefused(m4a, WriteError::Kind::unsupportedFormat, [&] {
        MetadataWriter::assignArtworkNow(png, fullTags(), url(m4a));
    });
}

TEST_F(MetadataWriterExportTest, VerificationLooksOnlyInTheTagArea)
{
    const QByteArray marker("PICTURE-BYTES-IN-AUDIO");
    const QString mp3 = path(QStringLiteral("k.mp3"));
    TestAudioFiles::writeAll(mp3, MetadataWriter::id3Tag(fullTags(), std::nullopt) + marker);
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, mp3));
    TestAudioFiles::writeAll(mp3, "ID3\x03"); // shorter than a header
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, mp3));

    const QString flac = path(QStringLiteral("l.flac"));
    TestAudioFiles::writeAll(flac, QByteArray("fLaC\x86\0\0\x40", 8) + marker); // cut short
    EXPECT_FALSE(MetadataWriter::containsArtworkBytes(marker, flac));
}
