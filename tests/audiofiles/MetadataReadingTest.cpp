#include "audiofiles/AVFormatInput.h"
#include "audiofiles/AudioMetadataLoader.h"
#include "audiofiles/AudioTechnicalInfo.h"
#include "audiofiles/MetadataInput.h"
#include "support/MetadataSummary.h"
#include "support/TestAudioFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::test::MetadataSummary;
using brivello::test::TestAudioFiles;

namespace {

struct StreamValues
{
    double duration = 0;
    std::optional<AudioTechnicalInfo::Details> details;
    bool operator==(const StreamValues &other) const
    {
        return duration == other.duration && details.has_value() == other.details.has_value() &&
               (!details || (details->bitRate == other.details->bitRate &&
                             details->bitDepth == other.details->bitDepth &&
                             details->audioDataByteCount == other.details->audioDataByteCount));
    }
};

StreamValues streamValues(std::unique_ptr<AVFormatInput> input, const QString &path)
{
    StreamValues values;
    if (input) {
        values.duration = input->duration();
        values.details = AudioTechnicalInfo::read(*input, path);
    }
    return values;
}

} // namespace

// The values every corpus file gave before files were opened by their extension's demuxer and
// plain MP3 tags were read without TagLib.
TEST(MetadataReadingTest, CorpusFilesReadAsBefore)
{
    const QDir corpus(TestAudioFiles::corpusFolder());
    if (TestAudioFiles::corpusFiles().isEmpty())
        GTEST_SKIP() << "tag robustness corpus not found at " << corpus.path().toStdString();
    QFile expected(QStringLiteral(QT_TESTCASE_SOURCEDIR "/audiofiles/corpus-metadata.tsv"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    int checked = 0;
    for (const QByteArray &line : expected.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QString want = QString::fromUtf8(line);
        const QString name = want.section(QLatin1Char('\t'), 0, 0);
        SCOPED_TRACE(name.toStdString());
        const LoadedTrackMetadata loaded =
            AudioMetadataLoader::read(QUrl::fromLocalFile(corpus.filePath(name)), {});
        EXPECT_EQ((name + QLatin1Char('\t') + MetadataSummary::line(loaded)).toStdString(),
                  want.toStdString());
        ++checked;
    }
    EXPECT_EQ(checked, TestAudioFiles::corpusFiles().size());
}

// Duration, bit rate and bit depth from the header-only open equal those of the full stream
// analysis, for the files the header settles and for those it leaves to the analysis
// (including misnamed ones).
TEST(MetadataReadingTest, HeaderOpenGivesTheAnalysedStreamValues)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QList<std::pair<QString, QStringList>> made = {
        {"cbr.mp3", {"-b:a", "192k"}},
        {"vbr.mp3", {"-q:a", "4"}},
        {"noinfo.mp3", {"-write_xing", "0"}},
        {"mono.mp3", {"-ac", "1", "-ar", "22050", "-b:a", "64k"}},
        {"s16.flac", {}},
        {"s24.flac", {"-sample_fmt", "s32"}},
        {"s16.wav", {}},
        {"s24.wav", {"-c:a", "pcm_s24le"}},
        {"f32.wav", {"-c:a", "pcm_f32le"}},
        {"u8.wav", {"-c:a", "pcm_u8"}},
        {"s16.aiff", {}},
        {"s24.aif", {"-c:a", "pcm_s24be"}},
        {"aac.m4a", {}},
        {"alac.m4a", {"-c:a", "alac"}},
        {"adts.aac", {}},
    };
    QStringList paths;
    for (const auto &[name, extra] : made) {
        const QString path = TestAudioFiles::make(folder, name, 2.5, extra);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        paths << path;
    }
    // Misnamed: each container under another container's extension.
    for (const auto &[from, to] : {std::pair{"s16.wav", "wav.mp3"},
                                   {"cbr.mp3", "mp3.flac"},
                                   {"s16.flac", "flac.wav"},
                                   {"aac.m4a", "m4a.aac"},
                                   {"adts.aac", "adts.m4a"}}) {
        ASSERT_TRUE(QFile::copy(dir.filePath(from), dir.filePath(to)));
        paths << dir.filePath(to);
    }
    for (const QString &path : std::as_const(paths)) {
        SCOPED_TRACE(path.toStdString());
        const StreamValues analysed = streamValues(AVFormatInput::open(path), path);
        const StreamValues header = streamValues(MetadataInput::open(path), path);
        ASSERT_TRUE(analysed.details.has_value());
        EXPECT_GT(analysed.duration, 0);
        EXPECT_EQ(header, analysed) << header.duration << " " << analysed.duration;
    }
}
