#include "audiofiles/MetadataWriter.h"

#include <gtest/gtest.h>

using namespace brivello;

TEST(TagBlockBytesTest, VorbisCommentCountsUtf8BytesAndSkipsEmptyFields)
{
    AudioTags tags;
    tags.title = "Ёж";
    tags.musicalKey = "8A";
    const QByteArray body = MetadataWriter::flacComments(tags);
    const QByteArray expected = MetadataWriter::leData(8) + "Brivello" + MetadataWriter::leData(2) +
                                MetadataWriter::leData(10) + "TITLE=\xD0\x81\xD0\xB6" +
                                MetadataWriter::leData(13) + "INITIALKEY=8A";
    EXPECT_EQ(body.toHex(), expected.toHex());
    EXPECT_TRUE(MetadataWriter::flacComments(AudioTags{}).isEmpty());
}

TEST(TagBlockBytesTest, FlacPictureNamesItsMimeType)
{
    const QByteArray jpeg("\xFF\xD8\xFF\xE0", 4);
    const QByteArray png("\x89PNG", 4);
    EXPECT_EQ(MetadataWriter::flacPicture(jpeg).toHex(),
              (MetadataWriter::beData(3) + MetadataWriter::beData(10) + "image/jpeg" +
               QByteArray(20, '\0') + MetadataWriter::beData(4) + jpeg)
                  .toHex());
    EXPECT_EQ(MetadataWriter::flacPicture(png).mid(4, 13), MetadataWriter::beData(9) + "image/png");
}

TEST(TagBlockBytesTest, InfoListPadsOddSubChunksAndSkipsAlbumArtist)
{
    AudioTags tags;
    tags.albumArtist = "only this";
    EXPECT_TRUE(MetadataWriter::wavInfo(tags).isEmpty());
    tags.title = "abc";
    tags.artist = "abcd";
    EXPECT_EQ(MetadataWriter::wavInfo(tags),
              QByteArray("INFO"
                         "INAM\x04\0\0\0abc\0"
                         "IART\x05\0\0\0abcd\0\0",
                         30));
    EXPECT_EQ(MetadataWriter::riffChunk("ID3 ", "xyz", false),
              QByteArray("ID3 \0\0\0\x03xyz\0", 12));
}
