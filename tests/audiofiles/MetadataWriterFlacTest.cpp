#include "WriterTestSupport.h"

#include <QJsonArray>
#include <QRegularExpression>

using namespace brivello;
using namespace brivello::test;

namespace {

// Block types in file order, as metaflac lists them.
QStringList blockTypes(const QString &file)
{
    const auto result = TestAudioFiles::run("metaflac", {"--list", file});
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    QStringList types;
    static const QRegularExpression type("^  type: \\d+ \\((\\w+)\\)$",
                                         QRegularExpression::MultilineOption);
    for (auto it = type.globalMatch(QString::fromUtf8(result.out)); it.hasNext();)
        types << it.next().captured(1);
    return types;
}

bool flacTestPasses(const QString &file)
{
    return toolAccepts("flac", {"-t", "-s", file});
}

// Puts an APPLICATION block right after STREAMINFO.
const char *kAddApplicationBlock = R"(
import sys
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'fLaC'
length = int.from_bytes(data[5:8], 'big')
end = 8 + length
app = b'riff' + b'application bytes'
header = bytes([2]) + len(app).to_bytes(3, 'big')
first = bytes([data[4] & 0x7F])
open(sys.argv[1], 'wb').write(data[:4] + first + data[5:end] + header + app + data[end:])
)";

} // namespace

class MetadataWriterFlacTest : public WriterTest
{
protected:
    // Tagged the way other software leaves a file; `everyBlockKind` adds SEEKTABLE, CUESHEET and
    // APPLICATION blocks.
    QString makeTagged(bool everyBlockKind = false)
    {
        const QString file = make("a.flac", 2.0);
        const QString cover = path("cover.png");
        TestAudioFiles::writeAll(cover, TestAudioFiles::pngPicture());
        const QString cues = path("cues.txt");
        TestAudioFiles::writeAll(cues,
                                 "FILE \"x.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                 "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
        if (everyBlockKind) {
            EXPECT_TRUE(toolAccepts("metaflac",
                                    {"--add-seekpoint=10x",
                                     "--set-tag=year=1999",
                                     "--set-tag=DESCRIPTION=liner notes",
                                     "--set-tag=KEY=Am",
                                     "--import-cuesheet-from=" + cues,
                                     file}));
            EXPECT_TRUE(TestAudioFiles::python(kAddApplicationBlock, {file}).ok());
        }
        const auto result = TestAudioFiles::run("metaflac",
                                                {"--set-tag=title=old",
                                                 "--set-tag=Comment=old",
                                                 "--set-tag=REPLAYGAIN_TRACK_GAIN=-6.20 dB",
                                                 "--set-tag=ISRC=USRC17607839",
                                                 "--set-tag=MY_KEY=keep me",
                                                 "--import-picture-from=" + cover,
                                                 "--add-padding=512",
                                                 file});
        EXPECT_TRUE(result.ok()) << result.err.toStdString();
        return file;
    }
};

TEST_F(MetadataWriterFlacTest, TagsReadBackAndUnmanagedFieldsAndPictureSurvive)
{
    const QString file = makeTagged(true);
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    const auto list = [&] { return TestAudioFiles::run("metaflac", {"--list", file}).out; };
    const QByteArray before = list();
    MetadataWriter::writeNow(fullTags(), false, url(file));
    const QByteArray after = list();
    for (const char *kept : {"SEEKTABLE", "APPLICATION", "CUESHEET", "PADDING", "72696666"})
        EXPECT_TRUE(after.contains(kept)) << kept;
    EXPECT_EQ(before.count("seek point"), after.count("seek point"));

    EXPECT_TRUE(flacTestPasses(file));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    const QJsonObject tags = TestAudioFiles::mutagenTags(file);
    const auto values = [&](const char *key) {
        QStringList out;
        for (const auto &v : tags.value(QLatin1String(key)).toArray())
            out << v.toString();
        return out;
    };
    EXPECT_EQ(values("title"), QStringList{fullTags().title}); // "title=old" replaced
    EXPECT_EQ(values("comment"), QStringList{fullTags().comment});
    EXPECT_EQ(values("initialkey"), QStringList{fullTags().musicalKey});
    EXPECT_EQ(values("replaygain_track_gain"), QStringList{"-6.20 dB"});
    EXPECT_EQ(values("my_key"), QStringList{"keep me"});
    // Older spellings of written fields stay while their field has a value.
    EXPECT_EQ(values("year"), QStringList{"1999"});
    EXPECT_EQ(values("description"), QStringList{"liner notes"});
    EXPECT_EQ(values("key"), QStringList{"Am"});
    EXPECT_EQ(values("PICTURE").size(), 1);

    const QByteArray written = TestAudioFiles::readAll(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), written);

    // The cleaner empties the year: its older spelling must not bring it back.
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    const QJsonObject cleared = TestAudioFiles::mutagenTags(file);
    for (const char *gone : {"year", "date", "description", "key"})
        EXPECT_FALSE(cleared.contains(gone)) << gone;
    EXPECT_TRUE(cleared.contains("replaygain_track_gain"));
    EXPECT_TRUE(flacTestPasses(file));
}

TEST_F(MetadataWriterFlacTest, NewBlocksFollowTheKeptOnesWithTheLastFlagMoved)
{
    const QString file = make("b.flac");
    TestAudioFiles::run("metaflac", {"--remove-all", "--dont-use-padding", file});
    TestAudioFiles::run("metaflac", {"--add-padding=100", file});
    ASSERT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING"}));

    AudioTags title;
    title.title = "t";
    MetadataWriter::writeNow(title, false, url(file));
    EXPECT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING", "VORBIS_COMMENT"}));

    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    EXPECT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING"}));
    EXPECT_TRUE(flacTestPasses(file));
}

TEST_F(MetadataWriterFlacTest, ANewCoverReplacesEveryOldPicture)
{
    const QString file = makeTagged();
    const QString second = path("back.png");
    TestAudioFiles::writeAll(second, TestAudioFiles::pngPicture(8));
    TestAudioFiles::run("metaflac", {"--import-picture-from=4||||" + second, file});
    ASSERT_EQ(blockTypes(file).count("PICTURE"), 2);

    const QByteArray jpeg = TestAudioFiles::jpegPicture(24);
    MetadataWriter::assignArtworkNow(jpeg, fullTags(), url(file));
    const QStringList types = blockTypes(file);
    EXPECT_EQ(types.count("PICTURE"), 1);
    EXPECT_EQ(types.last(), "PICTURE");
    EXPECT_EQ(firstTag(file, "PICTURE"), QStringLiteral("image/jpeg %1").arg(jpeg.size()));
    EXPECT_TRUE(flacTestPasses(file));
}

TEST_F(MetadataWriterFlacTest, RefusesWhatIsNotAFlacStreamOrIsCutShort)
{
    const QString file = make("c.flac");
    QByteArray bytes = TestAudioFiles::readAll(file);

    const QString withId3 = path("id3.flac");
    TestAudioFiles::writeAll(withId3, QByteArray("ID3\x03\0\0\0\0\0\0", 10) + bytes);
    expectRefused(withId3, WriteError::Kind::unsupportedFormat, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(withId3));
    });

    const QString cut = path("cut.flac");
    TestAudioFiles::writeAll(cut, bytes.left(40)); // STREAMINFO runs past the end
    expectRefused(cut, WriteError::Kind::corruptFile, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(cut));
    });

    // A Vorbis comment whose field count promises more than the block holds.
    MetadataWriter::writeNow(fullTags(), false, url(file));
    bytes = TestAudioFiles::readAll(file);
    const qsizetype vendor = bytes.indexOf("Brivello");
    bytes[vendor + 8] = '\xFF';
    bytes[vendor + 9] = '\xFF';
    TestAudioFiles::writeAll(file, bytes);
    expectRefused(file, WriteError::Kind::corruptFile, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(file));
    });
    EXPECT_EQ(
        attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(withId3)); })->payload(),
        "flac");
}
