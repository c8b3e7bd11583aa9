#include "audiofiles/AudioPCMDecoder.h"
#include "audiofiles/MP3ConversionService.h"
#include "audiofiles/MetadataWriteCoordinator.h"
#include "favorites/FavoritesExport.h"
#include "library/LibraryCleaner.h"
#include "library/MetadataLoading.h"
#include "library/TagWriting.h"
#include "library/TrackRemoval.h"
#include "platform/LocalFile.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <sys/stat.h>

using namespace brivello;
using namespace brivello::testing;
using brivello::test::TestAudioFiles;

namespace {

// "Песня" in CP1251, as names copied from old Windows drives hold it: not valid UTF-8.
const QByteArray kSong = "\xcf\xe5\xf1\xed\xff";

bool present(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

bool unlocked(const QUrl &url)
{
    return !MetadataWriteCoordinator::shared().isLocked(MetadataWriteCoordinator::lockKey(url));
}

QCoro::Task<> convert(QUrl source, std::optional<QUrl> *result, bool *done)
{
    try {
        *result = co_await MP3ConversionService::convert(source, 128);
    } catch (...) {
    }
    *done = true;
}

} // namespace

class NonUtf8FileNameTest : public LibraryStoreFixture
{
protected:
    void TearDown() override
    {
        LibraryStoreFixture::TearDown();
        // QTemporaryDir cannot remove names that are not UTF-8.
        TestAudioFiles::run(QStringLiteral("rm"), {QStringLiteral("-rf"), m_dir.path()});
    }
    QByteArray folder() const { return QFile::encodeName(m_dir.path()); }

    // A tone made under an ASCII name, then renamed to the raw bytes.
    QUrl makeFile(const QByteArray &name, const QStringList &extra = {})
    {
        const QString made =
            TestAudioFiles::make(m_dir.path(), QStringLiteral("made.flac"), 1.0, extra);
        EXPECT_FALSE(made.isEmpty());
        EXPECT_EQ(
            ::rename(QFile::encodeName(made).constData(), (folder() + '/' + name).constData()), 0);
        return LocalFile::url(folder() + '/' + name);
    }

    // mutagen's FLAC tags; the path travels as hex, since a process argument is text.
    static QJsonObject mutagenTags(const QUrl &url)
    {
        const auto result = TestAudioFiles::python(
            QStringLiteral("import json, os, sys, mutagen\n"
                           "f = mutagen.File(os.fsdecode(bytes.fromhex(sys.argv[1])))\n"
                           "print(json.dumps(f.tags.as_dict() if f and f.tags else {}))\n"),
            {QString::fromLatin1(LocalFile::nativePath(url).toHex())});
        return QJsonDocument::fromJson(result.out).object();
    }
    static QString mutagenText(const QUrl &url, const char *key)
    {
        return mutagenTags(url).value(QLatin1String(key)).toArray().at(0).toString();
    }
};

TEST_F(NonUtf8FileNameTest, TheStoreReadsWritesRenamesTrashesAndRestoresTheFile)
{
    const QUrl url = makeFile("128 - Artist - " + kSong + ".flac",
                              {QStringLiteral("-metadata"), QStringLiteral("album=Real Album")});
    LibraryStore &s = makeStore();
    ASSERT_EQ(importAndWait({url}).size(), 1);
    const QUuid id = s.tracks().first().id;
    EXPECT_EQ(LocalFile::nativePath(s.tracks().first().url), LocalFile::nativePath(url));

    s.metadataLoading().scheduleMetadataLoads(s.tracks(), MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return s.tracks().first().tags.album == "Real Album"; }));
    EXPECT_GT(s.tracks().first().duration, 0.5);

    AudioTags edited = s.tracks().first().tags;
    edited.genre = QStringLiteral("House");
    s.tagWriting().save(edited, id);
    ASSERT_TRUE(spinUntil([&] { return mutagenText(url, "genre") == "House"; }));
    EXPECT_EQ(mutagenText(url, "album"), "Real Album");
    EXPECT_FALSE(s.lastError()) << s.lastError()->toStdString();

    ASSERT_TRUE(spinUntil([&] { return unlocked(url); }));
    QSignalSpy cleaned(&s, &LibraryStore::filenameCleaningFinished);
    auto cleaning = s.cleaner().cleanFilenames({id}, true);
    ASSERT_TRUE(spinUntil([&] { return cleaned.count() > 0; }));
    const QByteArray renamed = folder() + "/Artist - " + kSong + ".flac";
    EXPECT_EQ(LocalFile::nativePath(s.tracks().first().url), renamed)
        << s.lastError().value_or(QString()).toStdString();
    EXPECT_TRUE(present(renamed));
    EXPECT_FALSE(present(LocalFile::nativePath(url)));

    // The renamed file's title follows its name: that write ends before the file can go.
    ASSERT_TRUE(spinUntil([&] { return unlocked(LocalFile::url(renamed)); }));
    s.removal().trashTracks({id});
    EXPECT_FALSE(s.lastError()) << s.lastError()->toStdString();
    EXPECT_FALSE(present(renamed));
    s.removal().undoLastRemoval();
    EXPECT_FALSE(s.lastError()) << s.lastError()->toStdString();
    EXPECT_TRUE(present(renamed));
    EXPECT_EQ(mutagenText(LocalFile::url(renamed), "genre"), "House");
}

TEST_F(NonUtf8FileNameTest, ExportConversionAndDecodingKeepTheBytes)
{
    const QUrl url = makeFile(kSong + ".flac");
    const QString exportFolder = path(QStringLiteral("export"));
    EXPECT_EQ(FavoritesExport::copy({{url, QStringLiteral("House")}}, exportFolder), QStringList());
    EXPECT_TRUE(present(QFile::encodeName(exportFolder) + "/House/" + kSong + ".flac"));

    std::optional<QUrl> converted;
    bool done = false;
    auto converting = convert(url, &converted, &done);
    ASSERT_TRUE(spinUntil([&] { return done; }));
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(LocalFile::nativePath(*converted), folder() + '/' + kSong + ".mp3");

    EXPECT_GT(AudioPCMDecoder::monoSamples(url, 8000, std::nullopt, false).size(), 7000u);
    EXPECT_GT(AudioPCMDecoder::monoSamplesInProcess(url, 8000, std::nullopt).size(), 7000u);
    EXPECT_GT(AudioPCMDecoder::monoSamples(*converted, 8000, std::nullopt, false).size(), 7000u);
}
