#include "audiofiles/MP3ConversionService.h"

#include "audiofiles/FFmpegExecutable.h"
#include "audiofiles/ProcessLaunchError.h"
#include "platform/HeldTemporaryFile.h"
#include "platform/LocalFile.h"
#include "support/AudioFixtures.h"
#include "support/TestAudioFiles.h"
#include "support/WaitForResult.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brivello;

namespace {

using ConversionError = MP3ConversionService::ConversionError;

struct Outcome
{
    std::optional<QUrl> output;
    std::exception_ptr error;
};

// The conversion is awaited inside a catching coroutine, so a test can look at its error.
QCoro::Task<Outcome> attempt(QUrl source, int bitrate)
{
    Outcome outcome;
    try {
        QCoro::Task<QUrl> converting = MP3ConversionService::convert(source, bitrate);
        outcome.output = co_await converting;
    } catch (...) {
        outcome.error = std::current_exception();
    }
    co_return outcome;
}

Outcome run(const QUrl &source, int bitrate)
{
    return test::waitForResult(attempt(source, bitrate));
}

Outcome run(const QString &source, int bitrate)
{
    return run(QUrl::fromLocalFile(source), bitrate);
}

bool present(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

class MP3ConversionServiceTest : public ::testing::Test
{
protected:
    void TearDown() override { FFmpegExecutable::setPlacesForTesting(std::nullopt); }

    // QTemporaryDir cannot remove names that are not UTF-8; tests remove theirs.
    QString touch(const QString &name, const QByteArray &data = "x")
    {
        test::TestAudioFiles::writeAll(m_dir.filePath(name), data);
        return m_dir.filePath(name);
    }
    QString destinationFor(const QString &name)
    {
        return MP3ConversionService::uniqueDestination(QUrl::fromLocalFile(m_dir.filePath(name)))
            .fileName();
    }
    void useStub(const QString &body)
    {
        test::writeScript(m_tools.filePath("MP3Converter/ffmpeg"), body);
        FFmpegExecutable::setPlacesForTesting(
            FFmpegExecutable::SearchPlaces{m_tools.path(), {}, {}});
    }
    // The thrown conversion error; fails the test when the conversion succeeds.
    ConversionError failure(const QString &source, int bitrate = 192)
    {
        return failure(QUrl::fromLocalFile(source), bitrate);
    }
    ConversionError failure(const QUrl &source, int bitrate = 192)
    {
        const Outcome outcome = run(source, bitrate);
        try {
            if (outcome.error)
                std::rethrow_exception(outcome.error);
        } catch (const ConversionError &error) {
            return error;
        } catch (...) {
        }
        ADD_FAILURE() << "no conversion error";
        return ConversionError::unavailable();
    }
    QStringList mp3Files() const { return QDir(m_dir.path()).entryList({"*.mp3"}, QDir::Files); }

    QTemporaryDir m_dir;
    QTemporaryDir m_tools;
};

TEST_F(MP3ConversionServiceTest, ChoosesAFreeNameBesideTheSource)
{
    touch("Mix.flac");
    EXPECT_EQ(destinationFor("Mix.flac"), "Mix.mp3");
    // Hidden temporaries of ours, running or left, never count as taken names.
    const HeldTemporaryFile running(m_dir.path(), "mp3");
    ASSERT_TRUE(running.isOpen());
    EXPECT_EQ(destinationFor("Mix.flac"), "Mix.mp3");
    touch("Mix.mp3");
    EXPECT_EQ(destinationFor("Mix.flac"), "Mix (MP3 1).mp3");
    touch("Mix (MP3 1).mp3");
    EXPECT_EQ(destinationFor("Mix.flac"), "Mix (MP3 2).mp3");
    EXPECT_EQ(destinationFor("Mix.mp3"), "Mix (MP3 2).mp3"); // never its own path
    EXPECT_EQ(destinationFor("a.b.wav"), "a.b.mp3");
    EXPECT_EQ(destinationFor("noext"), "noext.mp3");
}

TEST_F(MP3ConversionServiceTest, RunsTheExactCommandLine)
{
    const QString source = touch("Track.wav");
    const QString args = m_tools.filePath("args");
    useStub(
        QStringLiteral("printf '%s\\n' \"$@\" > '%1'\nfor last; do :; done\necho mp3 > \"$last\"\n")
            .arg(args));
    const Outcome outcome = run(source, 320);
    ASSERT_TRUE(outcome.output);
    EXPECT_EQ(outcome.output->toLocalFile(), m_dir.filePath("Track.mp3"));
    EXPECT_EQ(test::TestAudioFiles::readAll(m_dir.filePath("Track.mp3")), "mp3\n");
    QStringList passed =
        QString::fromUtf8(test::TestAudioFiles::readAll(args)).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(passed.isEmpty());
    // ffmpeg writes a hidden temporary file of ours beside it, renamed once finished.
    const QFileInfo written(passed.takeLast());
    EXPECT_EQ(written.absolutePath(), QFileInfo(m_dir.path()).absoluteFilePath());
    EXPECT_TRUE(HeldTemporaryFile::isOurName(written.fileName().toUtf8()));
    EXPECT_EQ(written.suffix(), "mp3");
    EXPECT_FALSE(written.exists());
    EXPECT_EQ(passed,
              QStringLiteral("-nostdin -y -i @ -vn -map_metadata 0 -c:a libmp3lame -b:a 320k")
                  .split(' ')
                  .replaceInStrings("@", source));
}

// The final name is taken only when nothing is there at the end: a file that appeared there
// while ffmpeg ran is kept and the result takes the next free name.
TEST_F(MP3ConversionServiceTest, AFileMadeAtTheDestinationMeanwhileIsNeverOverwritten)
{
    const QString source = touch("Track.wav");
    useStub("for last; do :; done\necho mp3 > \"$last\"\necho theirs > \"$(dirname "
            "\"$last\")/Track.mp3\"\n");
    const Outcome outcome = run(source, 192);
    ASSERT_TRUE(outcome.output);
    EXPECT_EQ(outcome.output->toLocalFile(), m_dir.filePath("Track (MP3 1).mp3"));
    EXPECT_EQ(test::TestAudioFiles::readAll(m_dir.filePath("Track (MP3 1).mp3")), "mp3\n");
    EXPECT_EQ(test::TestAudioFiles::readAll(m_dir.filePath("Track.mp3")), "theirs\n");
    EXPECT_TRUE(test::TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MP3ConversionServiceTest, ConvertsRealFilesAtTheChosenBitRate)
{
    const QString source = m_dir.filePath("Tone.flac");
    test::makeTone(source, 2.0, {"-c:a", "flac", "-metadata", "title=Kept Title"}, 2);
    const qint64 before = QFile(source).size();
    const Outcome outcome = run(source, 192);
    ASSERT_TRUE(outcome.output);
    const QJsonObject probe = test::ffprobe(outcome.output->toLocalFile());
    const QJsonObject stream = probe.value("streams").toArray().at(0).toObject();
    EXPECT_EQ(stream.value("codec_name").toString(), "mp3");
    EXPECT_EQ(stream.value("bit_rate").toString(), "192000");
    EXPECT_EQ(probe.value("format").toObject().value("tags").toObject().value("title").toString(),
              "Kept Title");
    EXPECT_EQ(QFile(source).size(), before);
}

TEST_F(MP3ConversionServiceTest, FailureCarriesFFmpegsOutputAndLeavesNoPartialFile)
{
    const QString text = touch("Words.wav", "this is no audio file\n");
    const ConversionError real = failure(text);
    EXPECT_EQ(real.kind(), ConversionError::conversionFailed);
    EXPECT_FALSE(real.errorDescription().isEmpty());
    EXPECT_EQ(real.errorDescription(), real.output());
    EXPECT_TRUE(mp3Files().isEmpty());

    useStub(
        "for last; do :; done\necho partial > \"$last\"\necho ' out' \necho 'err ' >&2\nexit 1\n");
    const ConversionError partial = failure(text);
    EXPECT_EQ(partial.output(), "out\nerr");
    EXPECT_TRUE(mp3Files().isEmpty());

    useStub("printf '  \\n\\t'\nexit 3\n");
    EXPECT_EQ(failure(text).errorDescription(), "Не удалось конвертировать файл в MP3.");

    useStub("exit 0\n"); // success status but no file
    EXPECT_EQ(failure(text).kind(), ConversionError::conversionFailed);

    useStub("printf '\\377\\376 bad utf8'\nexit 1\n");
    EXPECT_EQ(failure(text).output(), "");
}

TEST_F(MP3ConversionServiceTest, ReportsAMissingOrUnstartableProgram)
{
    const QString source = touch("Song.wav");
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{});
    const ConversionError missing = failure(source);
    EXPECT_TRUE(mp3Files().isEmpty());
    EXPECT_EQ(missing.kind(), ConversionError::converterUnavailable);
    EXPECT_TRUE(missing.errorDescription().contains("sudo apt install ffmpeg"));
    EXPECT_TRUE(mp3Files().isEmpty());

    useStub({});
    test::TestAudioFiles::writeAll(m_tools.filePath("MP3Converter/ffmpeg"),
                                   "#!/nonexistent/interpreter\n");
    const Outcome launch = run(source, 128);
    ASSERT_TRUE(launch.error);
    EXPECT_THROW(std::rethrow_exception(launch.error), ProcessLaunchError);
    EXPECT_TRUE(mp3Files().isEmpty());
}

// A destination named in CP1251 bytes is handed to ffmpeg as a descriptor created beforehand:
// only data ffmpeg wrote counts as a result, and every failure takes that file away again.
TEST_F(MP3ConversionServiceTest, ADestinationThatIsNotUtf8CountsOnlyWhatFFmpegWrote)
{
    const QByteArray song = "\xcf\xe5\xf1\xed\xff"; // "Песня" in CP1251
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QUrl source = LocalFile::url(folder + '/' + song + ".wav");
    ASSERT_TRUE(test::TestAudioFiles::writeAll(touch("made.wav"), "x"));
    ASSERT_EQ(::rename(QFile::encodeName(m_dir.filePath("made.wav")).constData(),
                       LocalFile::nativePath(source).constData()),
              0);
    const QByteArray output = folder + '/' + song + ".mp3";

    useStub("exit 0\n");
    EXPECT_EQ(failure(source).kind(), ConversionError::conversionFailed);
    EXPECT_FALSE(present(output));

    useStub("echo broken\nexit 1\n");
    EXPECT_EQ(failure(source).output(), "broken");
    EXPECT_FALSE(present(output));

    test::TestAudioFiles::writeAll(m_tools.filePath("MP3Converter/ffmpeg"),
                                   "#!/nonexistent/interpreter\n");
    const Outcome launch = run(source, 128);
    ASSERT_TRUE(launch.error);
    EXPECT_THROW(std::rethrow_exception(launch.error), ProcessLaunchError);
    EXPECT_FALSE(present(output));

    useStub("for last; do :; done\necho mp3 > \"$last\"\n");
    const Outcome written = run(source, 128);
    ASSERT_TRUE(written.output);
    EXPECT_EQ(LocalFile::nativePath(*written.output), output);
    QFile converted;
    ASSERT_TRUE(LocalFile::open(converted, LocalFile::path(*written.output), QIODevice::ReadOnly));
    EXPECT_EQ(converted.readAll(), "mp3\n");
    ::unlink(output.constData());
    ::unlink(LocalFile::nativePath(source).constData());
}

} // namespace
