#include "audiofiles/AVFormatInput.h"
#include "audiofiles/AudioMetadataLoader.h"
#include "audiofiles/ByteSourceIOStream.h"
#include "audiofiles/FileByteSource.h"
#include "platform/LocalFile.h"
#include "support/TestAudioFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <taglib/tfilestream.h>

extern "C" {
#include <libavformat/avformat.h>
}

using namespace brivello;
using brivello::test::TestAudioFiles;

namespace {

// TagLib's parsers lean on these stream rules (short reads at the end, refused seeks before
// the start); an open file must follow them as TagLib's own file stream does.
TEST(OneOpenFileTest, TagLibSeesTheOpenFileAsItSeesTheNamedFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bytes.bin");
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes.append(char(i * 7));
    ASSERT_TRUE(TestAudioFiles::writeAll(path, bytes));

    const QByteArray name = LocalFile::encodeName(path);
    TagLib::FileStream named(name.constData(), true);
    const FileByteSource file(path);
    ByteSourceIOStream open(file, name);
    using Position = TagLib::IOStream::Position;
    const std::pair<long, Position> seeks[] = {{0, Position::Beginning},
                                               {-4, Position::Current},
                                               {-1000, Position::Beginning},
                                               {-5, Position::End},
                                               {20, Position::End},
                                               {-330, Position::Current},
                                               {-10, Position::Current}};
    EXPECT_EQ(open.length(), named.length());
    for (const auto &[offset, whence] : seeks) {
        SCOPED_TRACE(offset);
        named.seek(offset, whence);
        open.seek(offset, whence);
        EXPECT_EQ(open.tell(), named.tell());
        for (unsigned long length : {10ul, 0ul, 400ul}) {
            EXPECT_EQ(open.readBlock(length), named.readBlock(length));
            EXPECT_EQ(open.tell(), named.tell());
        }
    }
}

// The input reads its own duplicate of the caller's descriptor at its own position: reads
// beside it and closing the caller's copy change nothing.
TEST(OneOpenFileTest, LibavformatReadsTheOpenFileAsItReadsTheNamedFile)
{
    QTemporaryDir dir;
    const QString path = TestAudioFiles::make(dir.path(), "tone.mp3", 20.0);
    ASSERT_FALSE(path.isEmpty());
    const auto named = AVFormatInput::open(path);
    std::unique_ptr<AVFormatInput> open;
    {
        const FileByteSource file(path);
        open = AVFormatInput::open(file.fileDescriptor(), path);
        ASSERT_TRUE(open);
        EXPECT_EQ(file.read(0, 16), TestAudioFiles::readAll(path).left(16));
    }
    ASSERT_TRUE(named);
    EXPECT_STREQ(open->context()->iformat->name, named->context()->iformat->name);
    EXPECT_EQ(open->duration(), named->duration());
    EXPECT_EQ(open->audioStream()->codecpar->bit_rate, named->audioStream()->codecpar->bit_rate);
    // To the end: far more than one read buffer.
    for (int i = 0; i < 2000; ++i) {
        const auto fromOpen = open->nextAudioPacket(16);
        const auto fromNamed = named->nextAudioPacket(16);
        ASSERT_EQ(fromOpen.has_value(), fromNamed.has_value()) << i;
        if (!fromOpen)
            break;
        EXPECT_EQ(fromOpen->position, fromNamed->position) << i;
        EXPECT_EQ(fromOpen->head, fromNamed->head) << i;
    }
    EXPECT_EQ(av_seek_frame(open->context(), -1, 0, AVSEEK_FLAG_BACKWARD), 0);
    EXPECT_EQ(av_seek_frame(named->context(), -1, 0, AVSEEK_FLAG_BACKWARD), 0);
    EXPECT_EQ(open->firstAudioPacketPosition(), named->firstAudioPacketPosition());
}

// A library of thousands of files is read one after another: no read leaves its descriptor open.
TEST(OneOpenFileTest, NoDescriptorOutlivesTheRead)
{
    QTemporaryDir dir;
    const QString path = TestAudioFiles::make(dir.path(), "tone.mp3", 2.0);
    ASSERT_FALSE(path.isEmpty());
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype before = openDescriptors();
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(AudioMetadataLoader::read(QUrl::fromLocalFile(path), AudioTags{}).duration, 1);
        const FileByteSource file(path);
        EXPECT_TRUE(AVFormatInput::open(file.fileDescriptor(), path));
    }
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
