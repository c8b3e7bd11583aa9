#include "WriterTestSupport.h"
#include "audiofiles/IffChunks.h"

#include <QJsonArray>

using namespace brivello;
using namespace brivello::test;

namespace {

QByteArray chunk(const QByteArray &id, const QByteArray &payload, bool littleEndian)
{
    return IffChunks::chunk(id, payload, littleEndian);
}

// Chunk ids of a RIFF or FORM file in order, checking every size on the way.
QList<QByteArray> chunkIds(const QByteArray &file, bool littleEndian)
{
    QList<QByteArray> ids;
    qsizetype offset = 12;
    while (offset + 8 <= file.size()) {
        const qint64 length = IffChunks::readSize(file, offset + 4, littleEndian);
        ids << file.mid(offset, 4);
        offset += 8 + length + (length & 1);
    }
    EXPECT_EQ(offset, file.size()) << "chunks do not tile the file";
    EXPECT_EQ(IffChunks::readSize(file, 4, littleEndian), quint32(file.size() - 8));
    return ids;
}

QByteArray chunkPayload(const QByteArray &file, const QByteArray &id, bool littleEndian)
{
    qsizetype offset = 12;
    while (offset + 8 <= file.size()) {
        const qint64 length = IffChunks::readSize(file, offset + 4, littleEndian);
        if (file.mid(offset, 4) == id)
            return file.mid(offset + 8, length);
        offset += 8 + length + (length & 1);
    }
    return {};
}

bool soxParses(const QString &file)
{
    return TestAudioFiles::run("sox", {"--i", file}).ok();
}

} // namespace

class MetadataWriterChunkFilesTest : public WriterTest
{
};

TEST_F(MetadataWriterChunkFilesTest, WavGetsListInfoAndKeepsItsAudio)
{
    const QString file = make("a.wav");
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));

    // INFO cannot hold the album artist: the whole tag goes into an id3 chunk as well.
    const QByteArray bytes = TestAudioFiles::readAll(file);
    EXPECT_EQ(chunkPayload(bytes, "id3 ", true), MetadataWriter::id3Tag(fullTags(), std::nullopt));
    EXPECT_EQ(firstTag(file, "TPE2"), fullTags().albumArtist);
    EXPECT_TRUE(soxParses(file));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("title")).toString(),
              fullTags().title);

    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), bytes);

    // Without an album artist or an id3 chunk before, INFO alone holds the tags.
    const QString plain = make("a2.wav");
    AudioTags tags = fullTags();
    tags.albumArtist.clear();
    MetadataWriter::writeNow(tags, false, url(plain));
    EXPECT_EQ(chunkIds(TestAudioFiles::readAll(plain), true).last(), "LIST");
}

TEST_F(MetadataWriterChunkFilesTest, WavKeepsOtherChunksListsAndId3Frames)
{
    const QString file = make("b.wav");
    // Unmanaged frames in an id3 chunk, written by mutagen.
    ASSERT_TRUE(
        TestAudioFiles::python(
            "import sys\nfrom mutagen.wave import WAVE\nfrom mutagen.id3 import TXXX, TIT2\n"
            "f=WAVE(sys.argv[1]); f.add_tags()\n"
            "f.tags.add(TXXX(encoding=3, desc='CUE', text='1.5'))\n"
            "f.tags.add(TIT2(encoding=3, text='old'))\nf.save()",
            {file})
            .ok());
    QByteArray bytes = TestAudioFiles::readAll(file);
    const QByteArray adtl =
        chunk("LIST", "adtl" + chunk("labl", QByteArray("\1\0\0\0cue\0", 8), true), true);
    const QByteArray info =
        chunk("LIST",
              "INFO" + chunk("INAM", "old\0", true) + chunk("IPRT", "7\0", true) +
                  chunk("ISFT", QByteArray("Lavf\0", 5), true),
              true);
    const QByteArray others =
        chunk("bext", QByteArray(602, 'B'), true) +
        chunk("cue ",
              QByteArray::fromHex("0100000001000000000000006461746100000000000000003a110000"),
              true);
    bytes +=
        others + adtl + info + QByteArray("odd!\x03\0\0\0xyz", 11); // pad byte missing at the end
    TestAudioFiles::writeAll(file, bytes);
    const QByteArray md5 = TestAudioFiles::audioMd5(file);

    AudioTags tags;
    tags.title = "new";
    MetadataWriter::writeNow(tags, false, url(file));
    const QByteArray out = TestAudioFiles::readAll(file);
    const QList<QByteArray> ids = chunkIds(out, true);
    EXPECT_EQ(ids,
              (QList<QByteArray>{"fmt ", "data", "bext", "cue ", "LIST", "odd!", "LIST", "id3 "}))
        << ids.join(',').toStdString();
    EXPECT_TRUE(out.contains(others + adtl));
    EXPECT_TRUE(out.contains(QByteArray("odd!\x03\0\0\0xyz\0", 12)));
    EXPECT_TRUE(out.contains(chunk("ISFT", QByteArray("Lavf\0", 5), true)));
    EXPECT_FALSE(out.contains("old"));
    EXPECT_EQ(firstTag(file, "TXXX:CUE"), "1.5");
    EXPECT_EQ(firstTag(file, "TIT2"), "new");
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(soxParses(file));

    // The cleaner empties the track: its older INFO field must not bring it back.
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    const QByteArray cleaned = TestAudioFiles::readAll(file);
    EXPECT_FALSE(cleaned.contains("IPRT"));
    EXPECT_TRUE(cleaned.contains("ISFT"));
    EXPECT_TRUE(cleaned.contains(others + adtl));
    EXPECT_TRUE(soxParses(file));
}

TEST_F(MetadataWriterChunkFilesTest, WavPictureGoesIntoAnId3ChunkAndTheCleanerRemovesIt)
{
    const QString file = make("c.wav");
    const QByteArray png = TestAudioFiles::pngPicture();
    MetadataWriter::assignArtworkNow(png, fullTags(), url(file));
    QByteArray out = TestAudioFiles::readAll(file);
    EXPECT_EQ(chunkPayload(out, "id3 ", true), MetadataWriter::id3Tag(fullTags(), png));
    EXPECT_TRUE(TestAudioFiles::mutagenTags(file).contains("APIC:"));

    MetadataWriter::writeNow(fullTags(), false, url(file)); // a tag edit keeps the cover
    EXPECT_EQ(chunkPayload(TestAudioFiles::readAll(file), "id3 ", true),
              MetadataWriter::id3Tag(fullTags(), png));

    AudioTags onlyAlbumArtist;
    onlyAlbumArtist.albumArtist = "x";
    MetadataWriter::writeNow(onlyAlbumArtist, true, url(file));
    EXPECT_EQ(chunkIds(TestAudioFiles::readAll(file), true),
              (QList<QByteArray>{"fmt ", "data", "id3 "}));
    EXPECT_EQ(firstTag(file, "TPE2"), "x");
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    EXPECT_EQ(chunkIds(TestAudioFiles::readAll(file), true), (QList<QByteArray>{"fmt ", "data"}));
}

TEST_F(MetadataWriterChunkFilesTest, AifcKeepsItsFormTypeAndLosesItsTextChunks)
{
    const QString file = make("d.aif", 1.0, {"-c:a", "pcm_f32be"});
    QByteArray bytes = TestAudioFiles::readAll(file);
    ASSERT_EQ(bytes.mid(8, 4), "AIFC");
    bytes += chunk("NAME", "old name", false) + chunk("COMT", QByteArray("\0\0", 2), false) +
             chunk("ANNO", "note!", false) + chunk("(c) ", "2001 Label", false) +
             chunk("APPL", "stoc", false);
    bytes.replace(4, 4, IffChunks::sizeBytes(quint32(bytes.size() - 8), false));
    TestAudioFiles::writeAll(file, bytes);
    const QByteArray md5 = TestAudioFiles::audioMd5(file);

    MetadataWriter::writeNow(fullTags(), false, url(file));
    const QByteArray out = TestAudioFiles::readAll(file);
    EXPECT_EQ(out.mid(8, 4), "AIFC");
    const QList<QByteArray> ids = chunkIds(out, false);
    for (const char *gone : {"NAME", "COMT", "ANNO", "(c) "})
        EXPECT_FALSE(ids.contains(gone)) << gone;
    EXPECT_TRUE(ids.contains("APPL"));
    EXPECT_EQ(ids.last(), "ID3 ");
    const QJsonObject read = TestAudioFiles::mutagenTags(file);
    EXPECT_EQ(read.value(QStringLiteral("TIT2")).toArray().first().toString(), fullTags().title);
    EXPECT_EQ(read.value(QStringLiteral("TCOP")).toArray().first().toString(), "2001 Label");
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(soxParses(file));

    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), out);
}

TEST_F(MetadataWriterChunkFilesTest, RefusesBrokenChunkFiles)
{
    const QString wav = make("f.wav");
    QByteArray bytes = TestAudioFiles::readAll(wav);
    bytes += QByteArray("junk\xFF\0\0\0abc", 11); // claims 255 bytes
    TestAudioFiles::writeAll(wav, bytes);
    expectRefused(wav, WriteError::Kind::corruptFile, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(wav));
    });

    const QString notRiff = path("g.wav");
    TestAudioFiles::writeAll(notRiff, "RIFX0000WAVEfmt ");
    expectRefused(notRiff, WriteError::Kind::unsupportedFormat, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(notRiff));
    });

    const QString notAiff = path("h.aif");
    TestAudioFiles::writeAll(notAiff, "FORM0000WAVE");
    const auto error = attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(notAiff)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->payload(), "aiff");
}
