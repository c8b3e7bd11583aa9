#include "WriterTestSupport.h"
#include "platform/SafeFileReplace.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace brivello;
using namespace brivello::test;

class MetadataWriterFailureTest : public WriterTest
{
};

TEST_F(MetadataWriterFailureTest, ReadOnlyFilesAndFoldersAreRefusedAndPermissionsKept)
{
    const QString file = make("a.mp3");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
    expectRefused(file, WriteError::Kind::permissionDenied, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(file));
    });
    // A successful rewrite keeps the file's permissions.
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
    QFile::setPermissions(file, permissions);
    const auto before = QFile::permissions(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(QFile::permissions(file), before);

    QDir().mkpath(path("locked"));
    const QString inner = TestAudioFiles::make(path("locked"), "b.flac");
    const auto folderPermissions = QFile::permissions(path("locked"));
    QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    expectRefused(inner, WriteError::Kind::permissionDenied, [&] {
        MetadataWriter::writeNow(fullTags(), false, url(inner));
    });
    QFile::setPermissions(path("locked"), folderPermissions);
}

TEST_F(MetadataWriterFailureTest, AFullDiskLeavesTheFileAndNoTemporary)
{
    const QString file = make("d.wav", 3.0);
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

TEST_F(MetadataWriterFailureTest, AFileReplacedMeanwhileIsNotOverwritten)
{
    const QString file = path("e.bin");
    TestAudioFiles::writeAll(file, "original");
    SafeFileReplace replace(file, "bin");
    replace.write(QByteArray("new"));
    // Trashed and another file put in its place while the rewrite ran.
    ASSERT_TRUE(QFile::rename(file, path("trashed.bin")));
    ASSERT_TRUE(TestAudioFiles::writeAll(file, "another"));
    EXPECT_THROW(replace.commit(), SafeFileReplace::Error);
    EXPECT_EQ(TestAudioFiles::readAll(file), "another");
    EXPECT_EQ(TestAudioFiles::readAll(path("trashed.bin")), "original");
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterFailureTest, SizesPastTheirFieldsAreRefused)
{
    // A sparse WAV whose data chunk nearly fills the 32-bit RIFF size: tags would overflow it.
    const QString wav = path("huge.wav");
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
    const QString flac = make("f.flac");
    const QByteArray picture = TestAudioFiles::pngPicture() + QByteArray(1 << 24, 'x');
    expectRefused(flac, WriteError::Kind::tooLarge, [&] {
        MetadataWriter::assignArtworkNow(picture, fullTags(), url(flac));
    });
}

TEST_F(MetadataWriterFailureTest, CopiesFromFilesTheKernelCannotCopyAndStopsAtTheirEnd)
{
    // A memory file lies on another file system: the copy falls back to reading and writing.
    const int memory = memfd_create("source", MFD_CLOEXEC);
    ASSERT_GE(memory, 0);
    const QByteArray content = QByteArray("0123456789").repeated(300000);
    ASSERT_EQ(::write(memory, content.constData(), size_t(content.size())), content.size());
    const QString file = path("f.bin");
    TestAudioFiles::writeAll(file, "old");
    {
        SafeFileReplace replace(file, "bin");
        replace.write(QByteArray("head"));
        replace.copyFrom(memory, 5, content.size() - 5);
        replace.commit();
    }
    EXPECT_EQ(TestAudioFiles::readAll(file), "head" + content.mid(5));

    SafeFileReplace shortSource(file, "bin");
    EXPECT_THROW(shortSource.copyFrom(memory, content.size() - 2, 10), SafeFileReplace::Error);
    ::close(memory);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}
