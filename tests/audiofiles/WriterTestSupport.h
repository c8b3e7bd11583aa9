#pragma once

#include "audiofiles/MetadataWriter.h"
#include "support/TestAudioFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace brivello::test {

// All ten fields set, with Cyrillic and a character outside the BMP.
inline AudioTags fullTags()
{
    AudioTags tags;
    tags.title = "Ночной трек 🎵";
    tags.artist = "Артист";
    tags.album = "Альбом";
    tags.albumArtist = "Various";
    tags.genre = "Deep House";
    tags.year = "2021";
    tags.track = "3/12";
    tags.comment = "Комментарий";
    tags.bpm = "124";
    tags.musicalKey = "8A";
    return tags;
}

// The first value mutagen reports for `key` in `file`.
inline QString firstTag(const QString &file, const QString &key)
{
    return TestAudioFiles::mutagenTags(file).value(key).toArray().first().toString();
}

// Runs an outside tool and fails the test with its errors when it fails.
inline bool toolAccepts(const QString &program, const QStringList &arguments)
{
    const auto result = TestAudioFiles::run(program, arguments);
    EXPECT_TRUE(result.ok()) << program.toStdString() << ": " << result.err.toStdString();
    return result.ok();
}

// A temporary folder with helpers to make fixtures and check rewrites.
class WriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString make(const QString &name, double seconds = 1.0, const QStringList &extra = {})
    {
        const QString path = TestAudioFiles::make(m_dir.path(), name, seconds, extra);
        EXPECT_FALSE(path.isEmpty()) << "ffmpeg could not make " << name.toStdString();
        return path;
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QUrl url(const QString &path) { return QUrl::fromLocalFile(path); }

    // Runs a writer; returns the error it threw, if any.
    template <typename Write> static std::optional<WriteError> attempt(Write write)
    {
        try {
            write();
            return std::nullopt;
        } catch (const WriteError &error) {
            return error;
        }
    }

    // The write must fail with `kind`, leave the file byte-for-byte and no temporary behind.
    template <typename Write>
    void expectRefused(const QString &file, WriteError::Kind kind, Write write)
    {
        const QByteArray before = TestAudioFiles::readAll(file);
        const auto error = attempt(write);
        ASSERT_TRUE(error.has_value()) << "write of " << file.toStdString() << " succeeded";
        EXPECT_EQ(int(error->kind()), int(kind)) << error->errorDescription().toStdString();
        EXPECT_EQ(TestAudioFiles::readAll(file), before);
        EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(QFileInfo(file).absolutePath()).isEmpty());
    }

    QTemporaryDir m_dir;
};

} // namespace brivello::test
