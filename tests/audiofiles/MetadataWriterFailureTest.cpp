#include "WriterTestSupport.h"
#include "platform/SafeFileReplace.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>

using namespace brivello;
using namespace brivello::test;

class MetadataWriterFailureTest : public WriterTest
{
};

TEST_F(MetadataWriterFailureTest, ReadOnlyFilesAndFoldersAreRefused)
{
    const QString file = make(QStringLiteral("a.mp3"));
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
    expectRefused(file, WriteError::Kind::permissionDenied, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(file));
    });
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

    QDir().mkpath(path(QStringLiteral("locked")));
    const QString inner =
        TestAudioFiles::make(path(QStringLiteral("locked")), QStringLiteral("b.flac"));
    const auto folderPermissions = QFile::permissions(path(QStringLiteral("locked")));
    QFile::setPermissions(path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
    expectRefused(inner, WriteError::Kind::permissionDenied, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(inner));
    });
    QFile::setPermissions(path(QStringLiteral("locked")), folderPermissions);
}

TEST_F(MetadataWriterFailureTest, KeepsPermissionsOfTheRewrittenFile)
{
    const QString file = make(QStringLiteral("c.wav"));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
    QFile::setPermissions(file, permissions);
    const auto before = QFile::permissions(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(QFile::permissions(file), before);
}

TEST_F(MetadataWriterFailureTest, AFullDiskLeavesTheFileAndNoTemporary)
{
    const QString file = make(QStringLiteral("d.wav"), 3.0);
    // The file-size limit makes the temporary's writes fail the way a full disk does.
    struct rlimit old
    {
    };
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    expectRefused(file, WriteError::Kind::noSpace, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(file));
    });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
}

TEST_F(MetadataWriterFailureTest, MissingFilesReportNotFound)
{
    for (const QString &name :
         {QStringLiteral("gone.mp3"), QStringLiteral("gone.flac"), QStringLiteral("gone.m4a")}) {
        const auto error =
            attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(path(name))); });
        ASSERT_TRUE(error) << name.toStdString();
        EXPECT_TRUE(error->isFileNotFound()) << error->errorDescription().toStdString();
        EXPECT_FALSE(QFile::exists(path(name)));
    }
}

TEST_F(MetadataWriterFailureTest, AFileReplacedMeanwhileIsNotOverwritten)
{
    const QString file = path(QStringLiteral("e.bin"));
    TestAudioFiles::writeAll(file, "original");
    SafeFileReplace replace(file, QStringLiteral(".brivello-test.bin"));
    replace.write(QByteArray("new"));
    // Trashed and another file put in its place while the rewrite ran.
    QFile::rename(file, path(QStringLiteral("trashed.bin")));
    EXPECT_THROW(replace.commit(), SafeFileReplace::Error);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(TestAudioFiles::readAll(path(QStringLiteral("trashed.bin"))), "original");
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterFailureTest, SizesPastTheirFieldsAreRefused)
{
    // A sparse WAV whose data chunk nearly fills the 32-bit RIFF size: tags would overflow it.
    const QString wav = path(QStringLiteral("huge.wav"));
    {
        QFile file(wav);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("RIFF\xF4\xFF\xFF\xFFWAVEdata\xF0\xFF\xFF\xFF", 20));
        ASSERT_TRUE(file.resize(20 + 0xFFFFFFF0LL));
    }
    const auto error = attempt([&] { MetadataWriter::writeNow(fullTags(), false, url(wav)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(int(error->kind()), int(WriteError::Kind::tooLarge));
    EXPECT_EQ(QFileInfo(wav).size(), 20 + 0xFFFFFFF0LL);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
    QFile::remove(wav);

    // A cover larger than a FLAC metadata block can describe.
    const QString flac = make(QStringLiteral("f.flac"));
    const QByteArray picture = TestAudioFiles::pngPicture() + QByteArray(1 << 24, 'x');
    expectRefused(flac, WriteError::Kind::tooLarge, [&] {
        MetadataWriter::assignArtworkNow(picture, fullTags(), url(flac));
    });
}

TEST_F(MetadataWriterFailureTest, ErrorTextsCarryTheirPayload)
{
    EXPECT_EQ(WriteError::unsupportedFormat(QStringLiteral("ogg")).errorDescription(),
              QStringLiteral("Linux не может безопасно перезаписать теги в формате .ogg."));
    EXPECT_EQ(WriteError::artworkVerificationFailed(QStringLiteral("a.mp3")).errorDescription(),
              QStringLiteral("Файл a.mp3 был перезаписан, но новая обложка не прошла проверку."));
    EXPECT_TRUE(WriteError::rewriteFailed(QStringLiteral("m4a"))
                    .errorDescription()
                    .contains(QStringLiteral("ID3\u2011сохранение")));
}
