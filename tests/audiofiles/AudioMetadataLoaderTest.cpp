#include "audiofiles/AudioMetadataLoader.h"

#include "support/AudioFixtures.h"
#include "support/TestAudioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace brivello;

namespace {

const char *kID3Script = R"PY(
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2, TCON, TDRC, TRCK, COMM, TBPM, TKEY, APIC
from mutagen.wave import WAVE
from mutagen.aiff import AIFF
if path.endswith(".wav") or path.endswith(".aiff"):
    f = (WAVE if path.endswith(".wav") else AIFF)(path)
    f.add_tags()
    tags = f.tags
else:
    tags = ID3()
for frame in [TIT2(encoding=1, text="Титул"), TPE1(encoding=1, text="Artist"),
              TALB(encoding=1, text="Album"), TPE2(encoding=1, text="Album Artist"),
              TCON(encoding=1, text="Techno"), TDRC(encoding=1, text="2021"),
              TRCK(encoding=1, text="3/12"), COMM(encoding=1, lang="eng", desc="", text="Note"),
              TBPM(encoding=1, text="128"), TKEY(encoding=1, text="8A"),
              APIC(encoding=0, mime="image/png", type=3, desc="", data=open(cover, "rb").read())]:
    tags.add(frame)
if path.endswith(".wav") or path.endswith(".aiff"):
    f.save(v2_version=version)
else:
    tags.save(path, v2_version=version)
)PY";

const char *kVorbisScript = R"PY(
from mutagen.flac import FLAC, Picture
f = FLAC(path)
for k, v in dict(title="Титул", artist="Artist", album="Album", albumartist="Album Artist",
                 genre="Techno", date="2021", tracknumber="3", comment="Note", bpm="128",
                 initialkey="8A").items():
    f[k] = v
p = Picture(); p.type = 3; p.mime = "image/png"; p.data = open(cover, "rb").read()
f.add_picture(p)
f.save()
)PY";

const char *kMP4Script = R"PY(
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
f = MP4(path)
f["\xa9nam"] = "Титул"; f["\xa9ART"] = "Artist"; f["\xa9alb"] = "Album"; f["aART"] = "Album Artist"
f["\xa9gen"] = "Techno"; f["\xa9day"] = "2021"; f["trkn"] = [(3, 12)]; f["\xa9cmt"] = "Note"
f["tmpo"] = [128]; f["----:com.apple.iTunes:initialkey"] = [MP4FreeForm(b"8A")]
f["covr"] = [MP4Cover(open(cover, "rb").read(), imageformat=MP4Cover.FORMAT_PNG)]
f.save()
)PY";

class AudioMetadataLoaderTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void tagWith(const QString &file, const char *script, int id3Version = 4)
    {
        test::runMutagen(
            file,
            QStringLiteral("cover = %1\nversion = %2\n").arg(quoted(m_cover)).arg(id3Version) +
                QString::fromUtf8(script));
    }

    // Appends a raw ID3v1 block (the last 128 bytes of the file).
    static void writeID3v1(const QString &file,
                           const char *title,
                           const char *artist,
                           const char *year,
                           const char *album = "")
    {
        test::runMutagen(file,
                         QStringLiteral(R"PY(
def field(text, size):
    return text.encode("latin-1").ljust(size, b"\0")
block = b"TAG" + field("%1", 30) + field("%2", 30) + field("%4", 30) + field("%3", 4)
block += field("", 30) + bytes([255])
open(path, "ab").write(block)
)PY")
                             .arg(title, artist, year, album));
    }

    static QString quoted(const QString &text)
    {
        return QLatin1Char('"') + text + QLatin1Char('"');
    }

    LoadedTrackMetadata load(const QString &file, const AudioTags &fallback = {})
    {
        return AudioMetadataLoader::read(QUrl::fromLocalFile(file), fallback);
    }

    // The loaded tags, picture, duration and bit depth agree with mutagen and ffprobe.
    void expectMatchesOutsideReaders(const QString &file, const LoadedTrackMetadata &loaded)
    {
        const QJsonObject tags = test::mutagenTags(file);
        for (int i = 0; i < AudioTags::kFieldCount; ++i) {
            const QString key = QString::fromLatin1(AudioTags::fieldKey(i));
            if (tags.contains(key)) {
                EXPECT_EQ(loaded.tags.field(i), tags.value(key).toString()) << key.toStdString();
            }
        }
        if (tags.contains("pictureSize")) {
            ASSERT_TRUE(loaded.artworkData.has_value());
            EXPECT_EQ(loaded.artworkData->size(), tags.value("pictureSize").toInt());
        }
        const QJsonObject probe = test::ffprobe(file);
        const double duration =
            probe.value("format").toObject().value("duration").toString().toDouble();
        EXPECT_NEAR(loaded.duration, duration, 1e-6);
        for (const QJsonValue &value : probe.value("streams").toArray()) {
            const QJsonObject stream = value.toObject();
            if (stream.value("codec_type") != "audio")
                continue;
            const QString raw = stream.value("bits_per_raw_sample").toString();
            const int bits = raw.isEmpty() ? stream.value("bits_per_sample").toInt() : raw.toInt();
            const bool lossy =
                QStringList{"mp3", "aac"}.contains(stream.value("codec_name").toString());
            EXPECT_EQ(loaded.bitDepth, lossy ? 0 : bits);
            const double rate = stream.value("bit_rate").toString().toDouble();
            if (rate > 0) {
                EXPECT_NEAR(loaded.bitRate, rate, rate * 0.02);
            }
            break;
        }
    }

    void SetUp() override
    {
        m_cover = path("cover.png");
        test::TestAudioFiles::writeAll(m_cover, test::TestAudioFiles::pngPicture());
    }

    QTemporaryDir m_dir;
    QString m_cover;
};

// Each container, tagged by mutagen, reads as mutagen and ffprobe see it; cut and damaged copies
// of it are read without crashing.
TEST_F(AudioMetadataLoaderTest, EveryContainerReadsAsOutsideReadersSeeItAndSurvivesDamage)
{
    struct Case
    {
        const char *name;
        QStringList options;
        const char *script;
        int id3Version;
        const char *format;
    };
    const QStringList mp3 = {"-c:a", "libmp3lame", "-b:a", "160k", "-id3v2_version", "0"};
    const Case cases[] = {
        {"v23.mp3", mp3, kID3Script, 3, "MP3"},
        {"v24.mp3", mp3, kID3Script, 4, "MP3"},
        {"vbr.mp3", {"-c:a", "libmp3lame", "-q:a", "2"}, nullptr, 0, "MP3"},
        {"s16.flac", {"-c:a", "flac", "-sample_fmt", "s16"}, kVorbisScript, 4, "FLAC"},
        {"s32.flac", {"-c:a", "flac", "-sample_fmt", "s32"}, kVorbisScript, 4, "FLAC"},
        {"id3.wav", {"-c:a", "pcm_s24le"}, kID3Script, 3, nullptr},
        {"t.aiff", {"-c:a", "pcm_s16be"}, kID3Script, 3, "AIFF"},
        {"t.m4a", {"-c:a", "aac", "-b:a", "128k"}, kMP4Script, 4, nullptr},
    };
    QRandomGenerator random(42);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(c.name);
        test::makeTone(file, 2.0, c.options, 2);
        if (c.script)
            tagWith(file, c.script, c.id3Version);
        const LoadedTrackMetadata loaded = load(file);
        if (c.script) {
            EXPECT_EQ(loaded.tags.title, "Титул");
            EXPECT_EQ(loaded.tags.albumArtist, "Album Artist");
            EXPECT_EQ(loaded.tags.musicalKey, "8A");
        }
        if (c.format) {
            EXPECT_EQ(loaded.format, c.format);
        }
        EXPECT_GT(loaded.bitRate, 0);
        expectMatchesOutsideReaders(file, loaded);

        const QByteArray original = test::TestAudioFiles::readAll(file);
        const QString damaged = path("damaged." + QFileInfo(file).suffix());
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes = original;
            if (round % 2 == 0)
                bytes.truncate(random.bounded(bytes.size()));
            for (int flips = 0; round % 2 && flips < 8; ++flips)
                bytes[random.bounded(bytes.size())] = char(random.bounded(256));
            test::TestAudioFiles::writeAll(damaged, bytes);
            const LoadedTrackMetadata read = load(damaged);
            EXPECT_GE(read.duration, 0);
            EXPECT_GE(read.bitRate, 0);
        }
    }
    EXPECT_EQ(load(path("v24.mp3")).bitRate, 160000.0);
    EXPECT_EQ(load(path("v24.mp3")).tags.track, "3/12");
}

TEST_F(AudioMetadataLoaderTest, ReadsID3v1OnlyAndKeepsFallbacksForUntaggedFiles)
{
    const QString v1 = path("v1.mp3");
    test::makeTone(v1, 1.0, {"-c:a", "libmp3lame", "-id3v2_version", "0"});
    writeID3v1(v1, "Old Title", "Old Artist", "1999");
    AudioTags fallback;
    fallback.title = "Fallback";
    fallback.bpm = "99";
    const LoadedTrackMetadata loaded = load(v1, fallback);
    EXPECT_EQ(loaded.tags.title, "Old Title");
    EXPECT_EQ(loaded.tags.artist, "Old Artist");
    EXPECT_EQ(loaded.tags.year, "1999");
    EXPECT_EQ(loaded.tags.bpm, "99");
    expectMatchesOutsideReaders(v1, loaded);

    const QString bare = path("bare.mp3");
    test::makeTone(bare, 1.0, {"-c:a", "libmp3lame", "-id3v2_version", "0"});
    const LoadedTrackMetadata untagged = load(bare, fallback);
    EXPECT_EQ(untagged.tags, fallback);
    EXPECT_FALSE(untagged.artworkData.has_value());
    expectMatchesOutsideReaders(bare, untagged);
}

TEST_F(AudioMetadataLoaderTest, AStreamWithoutAStatedRateIsMeasuredWithoutItsPicture)
{
    const QString file = path("big cover.flac");
    test::makeTone(file, 2.0, {"-c:a", "flac"});
    const double plain = load(file).bitRate;
    ASSERT_GT(plain, 0);
    test::runMutagen(file, QStringLiteral(R"PY(
from mutagen.flac import FLAC, Picture
f = FLAC(path)
p = Picture(); p.type = 3; p.mime = "image/png"; p.data = b"\x89PNG" + b"\1" * 400000
f.add_picture(p)
f.save()
)PY"));
    EXPECT_NEAR(load(file).bitRate, plain, plain * 0.01);
}

TEST_F(AudioMetadataLoaderTest, ReadsWAVInfoChunks)
{
    const QString info = path("info.wav");
    QStringList options = {"-c:a", "pcm_s16le"};
    for (const char *field :
         {"title=Info Title", "artist=Info Artist", "genre=House", "date=2020", "comment=Hi"})
        options << "-metadata" << field;
    test::makeTone(info, 1.0, options);
    const LoadedTrackMetadata fromInfo = load(info);
    const QJsonObject probeTags =
        test::ffprobe(info).value("format").toObject().value("tags").toObject();
    EXPECT_EQ(fromInfo.tags.title, probeTags.value("title").toString());
    EXPECT_EQ(fromInfo.tags.artist, probeTags.value("artist").toString());
    EXPECT_EQ(fromInfo.tags.genre, "House");
    EXPECT_EQ(fromInfo.tags.year, "2020");
    EXPECT_EQ(fromInfo.tags.comment, "Hi");
    EXPECT_EQ(fromInfo.bitDepth, 16);
    EXPECT_EQ(fromInfo.bitRate, 705600.0);
}

TEST_F(AudioMetadataLoaderTest, ReadsAIFFTextChunksBeneathItsID3Tag)
{
    const QString file = path("text.aiff");
    test::makeTone(file, 1.0, {"-c:a", "pcm_s16be"});
    test::runMutagen(file, QStringLiteral(R"PY(
import struct
def chunk(id, payload):
    return id + struct.pack(">I", len(payload)) + payload + (b"\0" if len(payload) % 2 else b"")
text = "Comment in COMT".encode()
comt = struct.pack(">HIhH", 1, 0, 0, len(text)) + text
data = open(path, "rb").read()
data += chunk(b"NAME", "Titel ü".encode()) + chunk(b"AUTH", b"Chunk Artist") + \
        chunk(b"ANNO", b"Annotation") + chunk(b"COMT", comt) + chunk(b"ANNO", b"")
open(path, "wb").write(data[:4] + struct.pack(">I", len(data) - 8) + data[8:])
)PY"));
    AudioTags fallback;
    fallback.title = "guess";
    LoadedTrackMetadata loaded = load(file, fallback);
    EXPECT_EQ(loaded.tags.title, "Titel ü");
    EXPECT_EQ(loaded.tags.artist, "Chunk Artist");
    EXPECT_EQ(loaded.tags.comment, "Comment in COMT"); // later and non-empty

    test::runMutagen(file, QStringLiteral(R"PY(
from mutagen.aiff import AIFF
from mutagen.id3 import TIT2
f = AIFF(path)
f.add_tags()
f.tags.add(TIT2(encoding=3, text="From ID3"))
f.save()
)PY"));
    loaded = load(file, fallback);
    EXPECT_EQ(loaded.tags.title, "From ID3");
    EXPECT_EQ(loaded.tags.artist, "Chunk Artist");
}

TEST_F(AudioMetadataLoaderTest, LaterNonEmptyFormatsWinAndEmptyValuesNeverReplace)
{
    const QString file = path("both.mp3");
    test::makeTone(file, 1.0, {"-c:a", "libmp3lame", "-id3v2_version", "0"});
    test::runMutagen(file, QStringLiteral(R"PY(
from mutagen.id3 import ID3, TIT2, TALB, TPE1
tags = ID3()
tags.add(TIT2(encoding=3, text="  "))
tags.add(TALB(encoding=3, text=""))
tags.add(TPE1(encoding=3, text="From V2"))
tags.save(path, v1=0)
)PY"));
    writeID3v1(file, "Version One", "", "", "Only In V1");
    AudioTags fallback;
    fallback.title = "Fallback";
    const LoadedTrackMetadata loaded = load(file, fallback);
    EXPECT_EQ(loaded.tags.title, "  ");
    EXPECT_EQ(loaded.tags.album, "Only In V1");
    EXPECT_EQ(loaded.tags.artist, "From V2");
}

TEST_F(AudioMetadataLoaderTest, BadFilesGiveTheFallbackWithoutCrashing)
{
    AudioTags fallback;
    fallback.title = "Kept";
    auto write = [&](const QString &name, const QByteArray &data) {
        test::TestAudioFiles::writeAll(path(name), data);
        return path(name);
    };
    const QString empty = write("empty.mp3", {});
    const QString text = write("text.mp3", "This is not audio, just words.\n");
    const QString mp3 = path("real.mp3");
    test::makeTone(mp3, 2.0, {"-c:a", "libmp3lame", "-b:a", "128k"});
    const QByteArray bytes = test::TestAudioFiles::readAll(mp3);
    const QString truncated = write("truncated.mp3", bytes.left(700));
    const QString misnamed = write("misnamed.flac", bytes);
    QDir().mkdir(path("folder.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.mp3")).constData(), 0600), 0);

    for (const QString &file :
         {empty, text, path("folder.mp3"), path("pipe.mp3"), path("gone.mp3")}) {
        const LoadedTrackMetadata loaded = load(file, fallback);
        EXPECT_EQ(loaded.tags, fallback) << file.toStdString();
        EXPECT_EQ(loaded.duration, 0) << file.toStdString();
        EXPECT_EQ(loaded.bitRate, 0) << file.toStdString();
        EXPECT_FALSE(loaded.artworkData.has_value());
        EXPECT_EQ(loaded.format, "MP3");
    }
    EXPECT_NEAR(load(truncated, fallback).bitRate, 128000.0, 128000.0 * 0.05);
    const LoadedTrackMetadata wrongName = load(misnamed, fallback);
    EXPECT_NEAR(wrongName.duration, 2.0, 0.1);
    EXPECT_EQ(wrongName.format, "FLAC");
}

TEST_F(AudioMetadataLoaderTest, HugeWAVIsReadFromItsHeaders)
{
    const QString file = path("huge.wav");
    test::makeTone(file, 0.1, {"-c:a", "pcm_s16le"}, 2);
    const qint64 dataBytes = qint64(1) << 30;
    {
        QFile wav(file);
        ASSERT_TRUE(wav.open(QIODevice::ReadWrite));
        QByteArray header = wav.read(512);
        const qsizetype data = header.indexOf("data");
        ASSERT_GT(data, 0);
        header.truncate(data + 8);
        qToLittleEndian<quint32>(quint32(dataBytes + header.size() - 8), header.data() + 4);
        qToLittleEndian<quint32>(quint32(dataBytes), header.data() + data + 4);
        wav.seek(0);
        wav.write(header);
        ASSERT_TRUE(wav.resize(header.size() + dataBytes)); // sparse
    }
    const LoadedTrackMetadata loaded = load(file);
    EXPECT_NEAR(loaded.duration, dataBytes / (44100.0 * 4), 0.01);
    EXPECT_EQ(loaded.bitDepth, 16);
}

} // namespace
