#include "WriterTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <iostream>

using namespace brivello;
using namespace brivello::test;

namespace {

// Keys mutagen shows that the writer owns: they may change; every other key must survive.
bool isManagedKey(const QString &key)
{
    static const QStringList managed =
        QStringLiteral("TIT2 TPE1 TALB TPE2 TCON TYER TDRC TRCK TBPM TKEY title artist album "
                       "albumartist genre date tracknumber comment bpm initialkey")
            .split(' ');
    // "COMM:ID3v1 Comment" is mutagen's view of the ID3v1 block, which is dropped on purpose.
    return managed.contains(key) || key.startsWith(QStringLiteral("COMM::")) ||
           key.startsWith(QStringLiteral("COMM:ID3v1 Comment")) ||
           key.startsWith(QStringLiteral("\u00a9"));
}

} // namespace

// Every file of the shared corpus of broken and unusual tags: a write either succeeds with the
// audio unchanged and the new tags readable, or fails cleanly with the file as it was.
class TagRobustnessCorpusTest : public WriterTest
{
};

TEST_F(TagRobustnessCorpusTest, WritesSucceedCleanlyOrLeaveTheFileAsItWas)
{
    const QDir corpus(TestAudioFiles::corpusFolder());
    const QStringList files = TestAudioFiles::corpusFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "tag robustness corpus not found at " << corpus.path().toStdString();
    const QByteArray png = TestAudioFiles::pngPicture();
    for (const QString &name : files) {
        for (const bool cover : {false, true}) {
            SCOPED_TRACE(name.toStdString() + (cover ? " (cover)" : " (tags)"));
            const QString file = path(name);
            QFile::remove(file);
            ASSERT_TRUE(QFile::copy(corpus.filePath(name), file));
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
            const QByteArray before = TestAudioFiles::readAll(file);
            const QByteArray md5 = TestAudioFiles::audioMd5(file);
            const QJsonObject tagsBefore = TestAudioFiles::mutagenTags(file);

            const auto error = attempt([&] {
                if (cover)
                    MetadataWriter::assignArtworkNow(png, fullTags(), url(file));
                else
                    MetadataWriter::writeNow(fullTags(), false, url(file));
            });
            EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
            if (error) {
                EXPECT_FALSE(error->errorDescription().isEmpty());
                EXPECT_EQ(TestAudioFiles::readAll(file), before)
                    << "changed despite " << error->errorDescription().toStdString();
                std::cout << "  " << name.toStdString() << (cover ? " cover: " : " tags: ")
                          << error->errorDescription().toStdString() << "\n";
                continue;
            }
            EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
            const QJsonObject tagsAfter = TestAudioFiles::mutagenTags(file);
            for (const QString &key : tagsBefore.keys()) {
                const bool picture =
                    key.startsWith(QStringLiteral("APIC")) || key == QStringLiteral("PICTURE");
                // The M4A stream copy keeps only what ffmpeg's muxer knows (no freeform atoms).
                const bool exported = name.endsWith(QStringLiteral(".m4a"));
                if (!isManagedKey(key) && !(cover && picture) && !exported) {
                    EXPECT_TRUE(tagsAfter.contains(key)) << "lost " << key.toStdString();
                }
            }
            if (!md5.isEmpty()) {
                EXPECT_EQ(
                    TestAudioFiles::ffprobeTags(file).value(QStringLiteral("title")).toString(),
                    fullTags().title);
            }
            if (cover) {
                EXPECT_TRUE(MetadataWriter::containsArtworkBytes(png, file));
            }
        }
    }
}
