#include "audiofiles/FFmpegExecutable.h"

#include "support/AudioFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

class FFmpegExecutableTest : public ::testing::Test
{
protected:
    QString make(const QString &relative, bool executable = true)
    {
        const QString file = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(file).path());
        test::writeScript(file, "exit 0\n");
        if (!executable)
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        return file;
    }
    std::optional<QString> find(const FFmpegExecutable::SearchPlaces &places)
    {
        const auto url = FFmpegExecutable::url(places);
        return url ? std::optional(url->toLocalFile()) : std::nullopt;
    }
    QTemporaryDir m_dir;
};

TEST_F(FFmpegExecutableTest, ShippedCopyWinsThenFixedPlacesThenPath)
{
    const QString fixedA = make("opt/ffmpeg");
    const QString fixedB = make("usr/ffmpeg");
    const QString inPath = make("path/ffmpeg");
    FFmpegExecutable::SearchPlaces places{
        m_dir.filePath("app"), {fixedA, fixedB}, m_dir.filePath("path")};
    EXPECT_EQ(find(places), fixedA);

    const QString shipped = make("app/MP3Converter/ffmpeg");
    EXPECT_EQ(find(places), shipped);

    QFile::setPermissions(shipped, QFile::ReadOwner); // present but not executable
    EXPECT_EQ(find(places), fixedA);

    places.fixedPaths = {m_dir.filePath("missing/ffmpeg"), fixedB};
    EXPECT_EQ(find(places), fixedB);
    places.fixedPaths.clear();
    EXPECT_EQ(find(places), inPath);
}

TEST_F(FFmpegExecutableTest, OnlyRegularExecutableFilesAndAbsolutePathEntriesCount)
{
    QDir().mkpath(m_dir.filePath("dir/ffmpeg")); // a directory is not a program
    make("plain/ffmpeg", false);
    make("rel/ffmpeg");
    const QString later = make("later/ffmpeg");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const auto found = find({{},
                             {},
                             "::rel:" + m_dir.filePath("dir") + ":" + m_dir.filePath("plain") +
                                 ":" + m_dir.filePath("later") + ":"});
    QDir::setCurrent(previous);
    EXPECT_EQ(found, later);

    EXPECT_FALSE(find({{}, {}, {}}));
    EXPECT_FALSE(find({m_dir.filePath("nothing"), {m_dir.filePath("none")}, "rel"}));
}

} // namespace
