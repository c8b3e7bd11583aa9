// A tag write, a cover write and a conversion whose process is killed outright: the folder
// keeps the original and no file under a final name, nothing runs on, and the hidden temporary
// the killed process left goes with the next rewrite there; nothing else is ever removed.
#include "audiofiles/FFmpegExecutable.h"
#include "audiofiles/MP3ConversionService.h"
#include "audiofiles/MetadataWriter.h"
#include "platform/HeldTemporaryFile.h"
#include "platform/SafeFileReplace.h"
#include "support/AudioFixtures.h"
#include "support/ChildProcesses.h"
#include "support/TestAudioFiles.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using namespace brivello;
using test::ChildProcesses;
using test::TestAudioFiles;

namespace {

// The test program starts itself as the process to kill; these tell it what to do.
constexpr char kChildMode[] = "BRIVELLO_KILLED_CHILD";
constexpr char kChildFile[] = "BRIVELLO_KILLED_FILE";
constexpr char kChildTools[] = "BRIVELLO_KILLED_TOOLS";
constexpr char kHeldLine[] = "HELD ";

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

AudioTags tagsTitled(const QString &title)
{
    AudioTags tags;
    tags.title = title;
    return tags;
}

class KilledRewriteTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (const std::unique_ptr<QProcess> &child : m_children) {
            child->kill();
            child->waitForFinished();
        }
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QUrl url(const QString &file) { return QUrl::fromLocalFile(file); }

    // The test program once more, running only the child case below in `mode` on `file`.
    QProcess &startChild(const QByteArray &mode, const QString &file)
    {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kChildMode, QString::fromLatin1(mode));
        environment.insert(kChildFile, file);
        environment.insert(kChildTools, m_tools.path());
        child->setProcessEnvironment(environment);
        child->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_filter=KilledRewriteChild.DISABLED_Run"),
                      QStringLiteral("--gtest_also_run_disabled_tests")});
        EXPECT_TRUE(child->waitForStarted()) << child->errorString().toStdString();
        m_children.push_back(std::move(child));
        return *m_children.back();
    }
    static void killChild(QProcess &child)
    {
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000)) << "the killed child never ended";
    }
    // The real ffmpeg at the speed of playback, so that a conversion is still running when
    // the test kills it.
    void useRealTimeFFmpeg()
    {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        ASSERT_FALSE(ffmpeg.isEmpty());
        test::writeScript(m_tools.filePath("MP3Converter/ffmpeg"),
                          QStringLiteral("exec '%1' -re \"$@\"\n").arg(ffmpeg));
    }
    // Files named like our temporaries that we did not make: a sweep must leave them.
    QStringList makeLookalikes()
    {
        const QStringList names = {
            QStringLiteral(".brivello-0F6A3B52-9C1D-4E8F-A7B6-2D3C4E5F6071-000000000000.wav"),
            QStringLiteral(".brivello-0F6A3B52-9C1D-4E8F-A7B6-2D3C4E5F6071.wav")};
        for (const QString &name : names) {
            EXPECT_FALSE(HeldTemporaryFile::isOurName(name.toUtf8()));
            const int fd = ::open(
                QFile::encodeName(path(name)).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            EXPECT_GE(fd, 0);
            ::close(fd);
        }
        return names;
    }
    static std::string listed(const QStringList &names) { return names.join(", ").toStdString(); }
    QStringList ourTemporaries() const
    {
        QStringList ours = TestAudioFiles::leftoverTemporaries(m_dir.path());
        ours.removeIf([](const QString &name) {
            return !HeldTemporaryFile::isOurName(QFile::encodeName(name));
        });
        return ours;
    }
    // Files with a real, visible name in the folder.
    QStringList visibleFiles() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_tools;
    std::vector<std::unique_ptr<QProcess>> m_children;
};

// What the killed process runs: a rewrite that stops halfway and waits, or a conversion.
TEST(KilledRewriteChild, DISABLED_Run)
{
    const QByteArray mode = qgetenv(kChildMode);
    const QString file = qEnvironmentVariable(kChildFile);
    if (mode == "write") {
        SafeFileReplace output(file, QStringLiteral("wav"));
        const int source = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(source, 0);
        output.copyFrom(source, 0, QFileInfo(file).size() / 2);
        std::printf("%s%s\n", kHeldLine, QFile::encodeName(output.tempPath()).constData());
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    if (mode == "convert") {
        FFmpegExecutable::setPlacesForTesting(
            FFmpegExecutable::SearchPlaces{qEnvironmentVariable(kChildTools), {}, {}});
        QCoro::waitFor(MP3ConversionService::convert(QUrl::fromLocalFile(file), 128));
    }
}

TEST_F(KilledRewriteTest, AKilledRewriteKeepsTheOriginalAndTheNextRewriteClearsWhatItLeft)
{
    const QString big = TestAudioFiles::make(m_dir.path(), "Big.wav", 4.0);
    const QString other = TestAudioFiles::make(m_dir.path(), "Other.wav");
    const QByteArray original = TestAudioFiles::readAll(big);
    const QStringList lookalikes = makeLookalikes();

    QProcess &child = startChild("write", big);
    QString held;
    ASSERT_TRUE(waitUntil(
        [&] {
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                if (line.startsWith(kHeldLine))
                    held = QFile::decodeName(line.mid(qsizetype(sizeof(kHeldLine) - 1)));
            }
            return !held.isEmpty() || child.state() == QProcess::NotRunning;
        },
        30000))
        << "the child never reported its write";
    ASSERT_FALSE(held.isEmpty()) << child.readAllStandardError().toStdString();
    EXPECT_EQ(listed(ourTemporaries()), listed({QFileInfo(held).fileName()}));

    // A write still running in another process keeps its temporary file.
    MetadataWriter::writeNow(tagsTitled("First"), false, url(other));
    EXPECT_TRUE(QFileInfo::exists(held));

    killChild(child);
    EXPECT_EQ(TestAudioFiles::readAll(big), original);
    EXPECT_TRUE(QFileInfo::exists(held)); // what the killed write left

    // The next rewrite in the folder, a cover write, takes it away; the lookalikes stay.
    MetadataWriter::assignArtworkNow(
        TestAudioFiles::pngPicture(), tagsTitled("Second"), url(other));
    EXPECT_FALSE(QFileInfo::exists(held));
    EXPECT_EQ(listed(TestAudioFiles::leftoverTemporaries(m_dir.path())), listed(lookalikes));
    EXPECT_EQ(TestAudioFiles::readAll(big), original);
    EXPECT_EQ(listed(visibleFiles()), "Big.wav, Other.wav");
}

TEST_F(KilledRewriteTest, AKilledConversionLeavesNoFileUnderAFinalNameAndNoFFmpegRunning)
{
    useRealTimeFFmpeg();
    const QString source = path("Song.flac");
    test::makeTone(source, 60.0, {"-c:a", "flac"}, 1, 22050);
    const QString other = TestAudioFiles::make(m_dir.path(), "Other.wav");
    const QByteArray original = TestAudioFiles::readAll(source);
    const QStringList lookalikes = makeLookalikes();

    QProcess &child = startChild("convert", source);
    pid_t ffmpeg = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<pid_t> running =
                ChildProcesses::of(pid_t(child.processId()), QByteArrayLiteral("libmp3lame"));
            ffmpeg = running.isEmpty() ? 0 : running.first();
            const QStringList ours = ourTemporaries();
            return (ffmpeg != 0 && ours.size() == 1 &&
                    ChildProcesses::hasOpen(ffmpeg, path(ours.first()))) ||
                   child.state() == QProcess::NotRunning;
        },
        30000))
        << "ffmpeg never opened its output";
    ASSERT_NE(ffmpeg, 0) << child.readAllStandardOutput().toStdString();
    const QString held = path(ourTemporaries().value(0));

    // The running conversion keeps its temporary file through a rewrite in the folder.
    MetadataWriter::writeNow(tagsTitled("First"), false, url(other));
    EXPECT_TRUE(QFileInfo::exists(held));

    killChild(child);
    EXPECT_TRUE(waitUntil([&] { return ChildProcesses::hasEnded(ffmpeg); }, 10000))
        << "ffmpeg runs on after the application died";
    EXPECT_EQ(listed(visibleFiles()), "Other.wav, Song.flac");
    EXPECT_EQ(TestAudioFiles::readAll(source), original);

    MetadataWriter::writeNow(tagsTitled("Second"), false, url(other));
    EXPECT_EQ(listed(TestAudioFiles::leftoverTemporaries(m_dir.path())), listed(lookalikes));
    EXPECT_EQ(listed(visibleFiles()), "Other.wav, Song.flac");
}

} // namespace
