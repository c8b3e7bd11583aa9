#include "WriterTestSupport.h"

#include <QJsonArray>
#include <QRegularExpression>

using namespace brivello;
using namespace brivello::test;

namespace {

// Block types in file order, as metaflac lists them.
QStringList blockTypes(const QString &file)
{
    const auto result =
        TestAudioFiles::run(QStringLiteral("metaflac"), {QStringLiteral("--list"), file});
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    QStringList types;
    static const QRegularExpression type(QStringLiteral("^  type: \\d+ \\((\\w+)\\)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = type.globalMatch(QString::fromUtf8(result.out)); it.hasNext();)
        types << it.next().captured(1);
    return types;
}

bool flacTestPasses(const QString &file)
{
    return TestAudioFiles::run(QStringLiteral("flac"),
                               {QStringLiteral("-t"), QStringLiteral("-s"), file})
        .ok();
}

} // namespace

class MetadataWriterFlacTest : public WriterTest
{
protected:
    QString makeTagged()
    {
        const QString file = make(QStringLiteral("a.flac"));
        const QString cover = path(QStringLiteral("cover.png"));
        TestAudioFiles::writeAll(cover, TestAudioFiles::pngPicture());
        const auto result =
            TestAudioFiles::run(QStringLiteral("metaflac"),
                                {QStringLiteral("--set-tag=title=old"),
                                 QStringLiteral("--set-tag=Comment=old"),
                                 QStringLiteral("--set-tag=REPLAYGAIN_TRACK_GAIN=-6.20 dB"),
                                 QStringLiteral("--set-tag=ISRC=USRC17607839"),
                                 QStringLiteral("--set-tag=MY_KEY=keep me"),
                                 QStringLiteral("--import-picture-from=") + cover,
                                 QStringLiteral("--add-padding=512"),
                                 file});
        EXPECT_TRUE(result.ok()) << result.err.toStdString();
        return file;
    }
};

TEST_F(MetadataWriterFlacTest, TagsReadBackAndUnmanagedFieldsAndPictureSurvive)
{
    const QString file = makeTagged();
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));

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
    EXPECT_EQ(values("albumartist"), QStringList{fullTags().albumArtist});
    EXPECT_EQ(values("date"), QStringList{fullTags().year});
    EXPECT_EQ(values("initialkey"), QStringList{fullTags().musicalKey});
    EXPECT_EQ(values("replaygain_track_gain"), QStringList{QStringLiteral("-6.20 dB")});
    EXPECT_EQ(values("isrc"), QStringList{QStringLiteral("USRC17607839")});
    EXPECT_EQ(values("my_key"), QStringList{QStringLiteral("keep me")});
    EXPECT_EQ(values("PICTURE").size(), 1);
    EXPECT_EQ(
        TestAudioFiles::run(QStringLiteral("metaflac"), {QStringLiteral("--show-vendor-tag"), file})
            .out.trimmed(),
        "Brivello");
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("artist")).toString(),
              fullTags().artist);

    const QByteArray written = TestAudioFiles::readAll(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), written);
}

TEST_F(MetadataWriterFlacTest, NewBlocksFollowTheKeptOnesWithTheLastFlagMoved)
{
    const QString file = make(QStringLiteral("b.flac"));
    TestAudioFiles::run(
        QStringLiteral("metaflac"),
        {QStringLiteral("--remove-all"), QStringLiteral("--dont-use-padding"), file});
    TestAudioFiles::run(QStringLiteral("metaflac"), {QStringLiteral("--add-padding=100"), file});
    ASSERT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING"}));

    AudioTags title;
    title.title = QStringLiteral("t");
    MetadataWriter::writeNow(title, false, url(file));
    EXPECT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING", "VORBIS_COMMENT"}));

    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    EXPECT_EQ(blockTypes(file), (QStringList{"STREAMINFO", "PADDING"}));
    EXPECT_TRUE(flacTestPasses(file));
}

TEST_F(MetadataWriterFlacTest, ANewCoverReplacesEveryOldPicture)
{
    const QString file = makeTagged();
    const QString second = path(QStringLiteral("back.png"));
    TestAudioFiles::writeAll(second, TestAudioFiles::pngPicture(8));
    TestAudioFiles::run(QStringLiteral("metaflac"),
                        {QStringLiteral("--import-picture-from=4||||") + second, file});
    ASSERT_EQ(blockTypes(file).count(QStringLiteral("PICTURE")), 2);

    const QByteArray jpeg = TestAudioFiles::jpegPicture(24);
    MetadataWriter::assignArtworkNow(jpeg, fullTags(), url(file));
    const QStringList types = blockTypes(file);
    EXPECT_EQ(types.count(QStringLiteral("PICTURE")), 1);
    EXPECT_EQ(types.last(), QStringLiteral("PICTURE"));
    EXPECT_EQ(TestAudioFiles::mutagenTags(file)
                  .value(QStringLiteral("PICTURE"))
                  .toArray()
                  .first()
                  .toString(),
              QStringLiteral("image/jpeg %1").arg(jpeg.size()));
    EXPECT_TRUE(flacTestPasses(file));
}

TEST_F(MetadataWriterFlacTest, RefusesWhatIsNotAFlacStreamOrIsCutShort)
{
    const QString file = make(QStringLiteral("c.flac"));
    QByteArray bytes = TestAudioFiles::readAll(file);

    const QString withId3 = path(QStringLiteral("id3.flac"));
    TestAudioFiles::writeAll(withId3, QByteArray("ID3\x03\0\0\0\0\0\0", 10) + bytes);
    expectRefused(withId3, WriteError::Kind::unsupportedFormat, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(withId3));
    });

    const QString cut = path(QStringLiteral("cut.flac"));
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
    try {
        MetadataWriter::writeNow(fullTags(), false, url(withId3));
    } catch (const WriteError &error) {
        EXPECT_EQ(error.payload(), QStringLiteral("flac"));
    }
}
