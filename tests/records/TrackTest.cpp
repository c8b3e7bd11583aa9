#include "records/Track.h"

#include <QJsonObject>
#include <gtest/gtest.h>
#include <limits>

using namespace brivello;

namespace {

struct NameCase
{
    const char *file;
    const char *artist;
    const char *title;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.file;
}

class FallbackTagsTest : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(FallbackTagsTest, GuessesArtistAndTitleFromTheFileName)
{
    const NameCase c = GetParam();
    const AudioTags tags = Track::fallbackTags(QUrl::fromLocalFile(QString::fromUtf8(c.file)));
    EXPECT_EQ(tags.artist, QString::fromUtf8(c.artist)) << c.file;
    EXPECT_EQ(tags.title, QString::fromUtf8(c.title)) << c.file;
    EXPECT_TRUE(tags.album.isEmpty() && tags.genre.isEmpty() && tags.bpm.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Names,
    FallbackTagsTest,
    ::testing::Values(NameCase{"/Music/128 - 8A - Artist - Title.mp3", "Artist", "Title"},
                      NameCase{"/m/124.5_Am_Artist - Title.flac", "Artist", "Title"},
                      NameCase{"/m/  Artist - Title.wav", "Artist", "Title"},
                      NameCase{"/m/Artist - Title.mp3", "Artist", "Title"},
                      NameCase{"/m/01 Artist - Title.mp3", "Artist", "Title"},
                      NameCase{"/m/1 Artist - Title.mp3", "1 Artist", "Title"},
                      NameCase{"/m/2024 - Title.mp3", "2024", "Title"},
                      NameCase{"/m/A - Song.mp3", "", "Song"},
                      NameCase{"/m/Am - Song.mp3", "", "Song"},
                      NameCase{"/m/D Artist - Song.mp3", "Artist", "Song"},
                      NameCase{"/m/Artist  -  Title.mp3", "Artist ", " Title"},
                      NameCase{"/m/Just A Title.mp3", "", "Just A Title"},
                      NameCase{"/m/Artist - .mp3", "Artist", ""},
                      NameCase{"/m/X – B - C.mp3", "X – B", "C"},
                      NameCase{"/m/Artist — Title.aiff", "Artist", "Title"},
                      NameCase{"/m/Title .mp3", "", "Title "},
                      NameCase{"/m/noextension", "", "noextension"},
                      // Digits and white space of any script.
                      NameCase{"/m/\u0663\u0663 - Arabic digits - T.mp3", "Arabic digits", "T"},
                      NameCase{
                          "/m/\uff11\uff12\uff18 - 8A - Artist - Title.mp3", "Artist", "Title"},
                      NameCase{"/m/\u00a0Artist - Title.mp3", "Artist", "Title"},
                      NameCase{"/m/\u3000Artist - Title.mp3", "Artist", "Title"}),
    [](const ::testing::TestParamInfo<NameCase> &param) { return std::to_string(param.index); });

TEST(ClockTextTest, FormatsMinutesAndSecondsByTruncation)
{
    EXPECT_EQ(clockText(0), "0:00");
    EXPECT_EQ(clockText(2.9), "0:02");
    EXPECT_EQ(clockText(59.99), "0:59");
    EXPECT_EQ(clockText(61.5), "1:01");
    EXPECT_EQ(clockText(3600), "60:00");
    EXPECT_EQ(clockText(3725), "62:05");
    EXPECT_EQ(clockText(std::numeric_limits<double>::infinity()), "0:00");
    EXPECT_EQ(clockText(std::numeric_limits<double>::quiet_NaN()), "0:00");
}

TEST(TrackTest, BitRateTextRoundsHalvesAwayFromZero)
{
    Track t;
    const std::pair<double, const char *> cases[] = {{320000, "320 kbps"},
                                                     {127500, "128 kbps"},
                                                     {999, "1 kbps"},
                                                     {499, "0 kbps"},
                                                     {0, "\u2014 kbps"},
                                                     {-5, "\u2014 kbps"},
                                                     {std::nan(""), "\u2014 kbps"}};
    for (const auto &[rate, text] : cases) {
        t.bitRate = rate;
        EXPECT_EQ(t.bitRateText(), QString::fromUtf8(text)) << rate;
    }
}

TEST(AudioTagsTest, EqualityIsCanonicalButCaseAndSpaceSensitive)
{
    AudioTags a, b;
    a.title = QString::fromUtf8("Caf\u00e9");
    b.title = QString::fromUtf8("Cafe\u0301");
    EXPECT_EQ(a, b);
    b.title = "café ";
    EXPECT_NE(a, b);
    b.title = "CAFÉ";
    EXPECT_NE(a, b);
}

TEST(AudioTagsTest, CodedFormNeedsAllTenStringKeys)
{
    AudioTags tags;
    tags.title = "T";
    tags.musicalKey = "8A";
    QJsonObject json = tags.toJson();
    EXPECT_EQ(json.size(), 10);
    json.insert("extra", 1);
    ASSERT_TRUE(AudioTags::fromJson(json).has_value());
    EXPECT_EQ(*AudioTags::fromJson(json), tags);

    for (int i = 0; i < AudioTags::kFieldCount; ++i) {
        QJsonObject missing = tags.toJson();
        missing.remove(AudioTags::fieldKey(i));
        EXPECT_FALSE(AudioTags::fromJson(missing).has_value()) << AudioTags::fieldKey(i);
        QJsonObject wrong = tags.toJson();
        wrong.insert(AudioTags::fieldKey(i), QJsonValue());
        EXPECT_FALSE(AudioTags::fromJson(wrong).has_value()) << AudioTags::fieldKey(i);
    }
}

} // namespace
