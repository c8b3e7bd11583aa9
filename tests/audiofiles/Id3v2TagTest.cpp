#include "audiofiles/Id3v2Tag.h"

#include "audiofiles/ArtworkChange.h"
#include "audiofiles/ByteSource.h"
#include "audiofiles/MetadataWriter.h"
#include "audiofiles/Mp3TagRewriter.h"
#include "audiofiles/NativeTagReader.h"
#include "audiofiles/WriteError.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

QByteArray frame(const char *id, const QByteArray &payload, bool synchsafe = false)
{
    QByteArray out(id);
    const qint64 n = payload.size();
    for (int shift : {24, 16, 8, 0}) {
        if (synchsafe)
            out += char((n >> (shift / 8 * 7)) & 0x7F);
        else
            out += char((n >> shift) & 0xFF);
    }
    return out + QByteArray(2, '\0') + payload;
}

QByteArray tag(int major, const QByteArray &frames, quint8 flags = 0)
{
    QByteArray out("ID3");
    out += char(major);
    out += char(0);
    out += char(flags);
    const qint64 n = frames.size();
    for (int shift : {21, 14, 7, 0})
        out += char((n >> shift) & 0x7F);
    return out + frames;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

TEST(Id3v2TagTest, BuildsTheExactV23Layout)
{
    AudioTags tags;
    tags.title = "Ab";
    tags.comment = "c";
    // TIT2: 01 FF FE 'A' 00 'b' 00 (7 bytes); COMM: 01 'eng' FF FE 00 00 FF FE 'c' 00 (12 bytes)
    const QByteArray golden = hex("49443303000000000027") +
                              hex("5449543200000007000001fffe41006200") +
                              hex("434f4d4d0000000c000001656e67fffe0000fffe6300");
    EXPECT_EQ(MetadataWriter::id3Tag(tags, std::nullopt).toHex(), golden.toHex());
}

TEST(Id3v2TagTest, WritesFramesInFixedOrderAndSkipsEmptyValues)
{
    AudioTags tags;
    tags.musicalKey = "8A";
    tags.title = " ";
    tags.year = "1999";
    tags.bpm = "128";
    const QByteArray built = MetadataWriter::id3Tag(tags, std::nullopt);
    const auto frames = Id3v2Tag::parseFrames(built);
    QList<QByteArray> ids;
    for (const auto &f : frames)
        ids << f.id;
    EXPECT_EQ(ids, (QList<QByteArray>{"TIT2", "TYER", "TBPM", "TKEY"}));
    EXPECT_EQ(MetadataWriter::id3Tag(AudioTags{}, std::nullopt), QByteArray());
}

TEST(Id3v2TagTest, LabelsPicturesAndEncodesSurrogatePairs)
{
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + "rest";
    const QByteArray gif("GIF89a....");
    EXPECT_TRUE(Id3v2Tag::picturePayload(png).startsWith(QByteArray("\0image/png\0\x03\0", 13)));
    EXPECT_TRUE(Id3v2Tag::picturePayload(gif).startsWith(QByteArray("\0image/jpeg\0\x03\0", 14)));
    EXPECT_EQ(Id3v2Tag::textPayload(QString::fromUtf8("\xF0\x9F\x8E\xB5")).toHex(),
              QByteArray("01fffe3cd8b5df"));
}

TEST(Id3v2TagTest, ConvertsV24FramesToV23Framing)
{
    // TXXX in UTF-8, a PRIV frame with a data length indicator, TDRC (managed: dropped).
    const QByteArray priv("owner\0data", 10);
    const QByteArray frames = frame("TXXX", hex("0343554500") + "Pt\xC3\xA9", true) + "PRIV" +
                              hex("0000000e00010000000a") + priv +
                              frame("TDRC", hex("0332303230"), true) +
                              frame("TPE1", hex("03410042"), true);
    const auto parsed = Id3v2Tag::parseFrames(tag(4, frames));
    ASSERT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed[0].id, "TXXX");
    EXPECT_EQ(parsed[0].payload.toHex(), QByteArray("01fffe4300550045000000fffe50007400e900"));
    EXPECT_EQ(parsed[1].id, "PRIV");
    EXPECT_EQ(parsed[1].payload, priv);
    EXPECT_EQ(Id3v2Tag::textValues(parsed[3]), (QStringList{"A", "B"})); // both values kept
    const auto kept = Id3v2Tag::unmanaged(parsed, true);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].id, "PRIV");
}

TEST(Id3v2TagTest, ReadsV22FramesAndUnsynchronisedV23Tags)
{
    const QByteArray v22 =
        tag(2,
            QByteArray("TT2\0\0\x04\0abc", 10) + QByteArray("PIC\0\0\x09\0PNG\x03\0\x89PN", 15) +
                QByteArray("XYZ\0\0\x01\0", 7) + QByteArray("RVA\0\0\x03\x03\x10\x20", 9));
    const auto parsed = Id3v2Tag::parseFrames(v22);
    ASSERT_EQ(parsed.size(), 3u); // XYZ has no v2.3 counterpart
    EXPECT_EQ(parsed[0].id, "TIT2");
    EXPECT_EQ(parsed[1].id, "APIC");
    EXPECT_EQ(parsed[1].payload, QByteArray("\0image/png\0\x03\0\x89PN", 16));
    EXPECT_EQ(parsed[2], (Id3Frame{"RVAD", 0, QByteArray("\x03\x10\x20", 3)}));

    // 0xFF 0x00 in an unsynchronised v2.3 tag reads back as 0xFF.
    const QByteArray body = frame("PRIV", QByteArray("a\0\xFF\xE0", 4));
    QByteArray unsynced = body;
    unsynced.replace(QByteArray("\xFF\xE0", 2), QByteArray("\xFF\0\xE0", 3));
    const auto frames = Id3v2Tag::parseFrames(tag(3, unsynced, 0x80));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, QByteArray("a\0\xFF\xE0", 4));
}

TEST(Id3v2TagTest, RejectsFramesThatRunPastTheTag)
{
    QByteArray frames = frame("TIT2", QByteArray("\0abc", 4));
    frames[7] = 0x40; // claims 64 bytes
    EXPECT_THROW(Id3v2Tag::parseFrames(tag(3, frames)), WriteError);
    // Padding and junk after the frames end the walk quietly.
    EXPECT_EQ(
        Id3v2Tag::parseFrames(tag(3, frame("TIT2", QByteArray("\0a", 2)) + QByteArray(20, '\0')))
            .size(),
        1u);
}

TEST(Id3v2TagTest, RefusesTagsPastTheSynchsafeLimit)
{
    AudioTags tags;
    tags.title = "x";
    const QByteArray huge((qint64(1) << 28), 'p');
    try {
        Id3v2Tag::build(tags, {}, huge);
        ADD_FAILURE() << "expected tooLarge";
    } catch (const WriteError &error) {
        EXPECT_EQ(error.kind(), WriteError::Kind::tooLarge);
    }
}

TEST(Id3v2TagTest, Mp3PlanSkipsTheLeadingTagAndTrailingId3v1)
{
    AudioTags tags;
    tags.artist = "Z";
    const QByteArray audio(300, 'a');
    QByteArray v1("TAG");
    v1 += QByteArray(125, ' ');
    // A v2.4 tag with a footer: 20 bytes plus its size are skipped.
    QByteArray old = tag(4, frame("TIT2", QByteArray("\0x", 2), true), 0x10);
    old += "3DI" + old.mid(3, 7);
    const MemoryByteSource source(old + audio + v1);
    const QByteArray out =
        Mp3TagRewriter::plan(source, tags, ArtworkChange::keep()).materialize(source);
    EXPECT_EQ(out, MetadataWriter::id3Tag(tags, std::nullopt) + audio);

    // A 9-byte file, or one without "ID3": nothing is skipped at the front.
    const MemoryByteSource tiny(QByteArray("123456789"));
    EXPECT_EQ(Mp3TagRewriter::plan(tiny, {}, ArtworkChange::keep()).materialize(tiny), "123456789");
    // Exactly 128 bytes starting with "TAG": all of it is an ID3v1 block.
    const MemoryByteSource onlyV1(v1);
    EXPECT_EQ(Mp3TagRewriter::plan(onlyV1, {}, ArtworkChange::keep()).materialize(onlyV1), "");
    // A size claiming more than the file holds.
    const MemoryByteSource lying(tag(3, QByteArray()).replace(8, 1, "\x7f") + audio);
    EXPECT_THROW(Mp3TagRewriter::plan(lying, tags, ArtworkChange::keep()), WriteError);
}

TEST(Id3v2TagTest, TheReaderInflatesCompressedFramesAndSkipsEncryptedOnes)
{
    AudioTags tags;
    tags.artist = "kept";
    std::optional<QByteArray> picture;
    const std::vector<Id3Frame> frames = {
        {"TIT2", 0x0080, qCompress(Id3v2Tag::textPayload("Zipped"))},
        {"TPE1", 0x0040, Id3v2Tag::textPayload("secret")},
        {"TALB", 0x0080, QByteArray("\xFF\xFF\xFF\xFFjunk", 8)}};
    NativeTagReader::applyId3(frames, tags, picture);
    EXPECT_EQ(tags.title, "Zipped");
    EXPECT_EQ(tags.artist, "kept");
    EXPECT_TRUE(tags.album.isEmpty());
}
