// Files shaped the way other software leaves them, checked afterwards by outside readers.
#include "WriterTestSupport.h"
#include "audiofiles/AudioTagReader.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace brivello;
using namespace brivello::test;

namespace {

// A v2.4 tag built by hand: extended header, a compressed PRIV with its data length, a
// grouped TXXX, a UTF-8 POPM-neighbour GEOB, tag-level padding.
const char *kHandMadeV24 = R"(
import sys, zlib, struct
def ss(n): return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
def frame(fid, payload, fmt=0):
    return fid + ss(len(payload)) + bytes([0, fmt]) + payload
priv_data = b'rekordbox\x00' + b'\x00\x01grid' * 50
comp = zlib.compress(priv_data)
frames = frame(b'TIT2', b'\x03old\x00second')
frames += frame(b'PRIV', ss(len(priv_data)) + comp, 0x09)
frames += frame(b'TXXX', b'\x07' + b'\x03SERATO_CUE\x00cue \xce\xa9', 0x40)
frames += frame(b'GEOB', b'\x03application/x\x00f.bin\x00Serato Markers2\x00\x01\x02markers')
frames += frame(b'POPM', b'dj@example.org\x00\xc4\x00\x00\x00\x07')
frames += frame(b'TDRC', b'\x032019')
ext = ss(6) + b'\x01\x00'
body = ext + frames + b'\x00' * 64
tag = b'ID3\x04\x00\x40' + ss(len(body)) + body
audio = open(sys.argv[1], 'rb').read()
open(sys.argv[1], 'wb').write(tag + audio)
)";

const char *kDescribeV24Result = R"(
import sys, json
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
priv = [f for f in t.getall('PRIV') if f.owner == 'rekordbox']
print(json.dumps({'version': t.version[1],
  'priv': priv[0].data.hex() if priv else None,
  'txxx': str(t['TXXX:SERATO_CUE']) if 'TXXX:SERATO_CUE' in t else None,
  'geob': t['GEOB:Serato Markers2'].data.hex() if 'GEOB:Serato Markers2' in t else None,
  'popm': t['POPM:dj@example.org'].count if 'POPM:dj@example.org' in t else None,
  'year': str(t['TYER']) if 'TYER' in t else None,
  'tdrc': 'TDRC' in t}))
)";

// A v2.3 tag with an extended header (its size counts the six bytes after the size field) and
// padding: a cover, Serato's cue points, a rating and a private frame beside the title.
const char *kHandMadeV23 = R"(
import sys, struct
def frame(fid, payload):
    return fid + struct.pack('>I', len(payload)) + b'\x00\x00' + payload
data = open(sys.argv[1], 'rb').read()
if data[:3] == b'ID3':
    size = 0
    for b in data[6:10]:
        size = (size << 7) | (b & 0x7F)
    data = data[10 + size + (10 if data[5] & 0x10 else 0):]
picture = open(sys.argv[2], 'rb').read()
frames = frame(b'TIT2', b'\x00old')
frames += frame(b'APIC', b'\x00image/png\x00\x03\x00' + picture)
frames += frame(b'GEOB', b'\x00application/octet-stream\x00\x00Serato Markers2\x00\x01\x02cues')
frames += frame(b'POPM', b'dj@example.org\x00\xc4\x00\x00\x00\x07')
frames += frame(b'PRIV', b'rekordbox\x00grid')
padding = 32
ext = struct.pack('>IHI', 6, 0, padding)
body = ext + frames + b'\x00' * padding
def ss(n): return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
open(sys.argv[1], 'wb').write(b'ID3\x03\x00\x40' + ss(len(body)) + body + data)
)";

const char *kDescribeV23Result = R"(
import sys, json
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
apic = t.getall('APIC')
print(json.dumps({'version': t.version[1], 'title': str(t['TIT2']) if 'TIT2' in t else None,
  'covers': len(apic), 'cover': apic[0].data.hex() if apic else None,
  'geob': t['GEOB:Serato Markers2'].data.hex() if 'GEOB:Serato Markers2' in t else None,
  'popm': t['POPM:dj@example.org'].count if 'POPM:dj@example.org' in t else None,
  'priv': t['PRIV:rekordbox:grid'].data.hex() if 'PRIV:rekordbox:grid' in t else None}))
)";

QJsonObject json(const TestAudioFiles::Result &result)
{
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

} // namespace

class MetadataWriterHostileFilesTest : public WriterTest
{
};

TEST_F(MetadataWriterHostileFilesTest, HandMadeV24TagKeepsEveryForeignFrameReadable)
{
    const QString file = make("v24.mp3");
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    ASSERT_TRUE(TestAudioFiles::python(kHandMadeV24, {file}).ok());
    ASSERT_EQ(TestAudioFiles::audioMd5(file), md5);

    AudioTags tags = fullTags();
    MetadataWriter::writeNow(tags, false, url(file));
    const QJsonObject after = json(TestAudioFiles::python(kDescribeV24Result, {file}));
    EXPECT_EQ(after.value(QStringLiteral("version")).toInt(), 3);
    EXPECT_EQ(after.value(QStringLiteral("priv")).toString().toLatin1(),
              QByteArray(QByteArray("\x00\x01grid", 6).repeated(50)).toHex());
    EXPECT_EQ(after.value(QStringLiteral("txxx")).toString(), "cue Ω");
    EXPECT_EQ(after.value(QStringLiteral("geob")).toString(), "01026d61726b657273");
    EXPECT_EQ(after.value(QStringLiteral("popm")).toInt(), 7);
    EXPECT_EQ(after.value(QStringLiteral("year")).toString(), tags.year);
    EXPECT_FALSE(after.value(QStringLiteral("tdrc")).toBool());
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
}

TEST_F(MetadataWriterHostileFilesTest, V23TagWithAnExtendedHeaderKeepsItsCoverAndForeignFrames)
{
    const QString file = make("v23.mp3");
    const QString cover = path("cover.png");
    const QByteArray picture = TestAudioFiles::pngPicture();
    ASSERT_TRUE(TestAudioFiles::writeAll(cover, picture));
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    ASSERT_TRUE(TestAudioFiles::python(kHandMadeV23, {file, cover}).ok());
    ASSERT_EQ(TestAudioFiles::audioMd5(file), md5);
    const QJsonObject before = json(TestAudioFiles::python(kDescribeV23Result, {file}));
    ASSERT_EQ(before.value(QStringLiteral("title")).toString(), "old");
    ASSERT_EQ(before.value(QStringLiteral("covers")).toInt(), 1);
    EXPECT_EQ(AudioTagReader::read(file, {}).tags.title, "old");

    MetadataWriter::writeNow(fullTags(), false, url(file));
    const QJsonObject after = json(TestAudioFiles::python(kDescribeV23Result, {file}));
    EXPECT_EQ(after.value(QStringLiteral("title")).toString(), fullTags().title);
    EXPECT_EQ(after.value(QStringLiteral("covers")).toInt(), 1);
    EXPECT_EQ(after.value(QStringLiteral("cover")).toString().toLatin1(), picture.toHex());
    EXPECT_EQ(after.value(QStringLiteral("geob")).toString(), "010263756573");
    EXPECT_EQ(after.value(QStringLiteral("popm")).toInt(), 7);
    EXPECT_EQ(after.value(QStringLiteral("priv")).toString().toLatin1(),
              QByteArray("grid").toHex());
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
}

TEST_F(MetadataWriterHostileFilesTest, AWriteThroughASymlinkUpdatesTheLinkedFile)
{
    const QString file = make("real.mp3");
    const QString link = path("link.mp3");
    ASSERT_TRUE(QFile::link(file, link));
    MetadataWriter::writeNow(fullTags(), false, url(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(firstTag(file, "TIT2"), fullTags().title);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterHostileFilesTest, M4aItemsAreWrittenInPlaceAndEverythingElseKept)
{
    const QString subtitles = path("s.srt");
    TestAudioFiles::writeAll(subtitles, "1\n00:00:00,000 --> 00:00:00,500\nhello\n");
    const QString cover = path("c.png");
    TestAudioFiles::writeAll(cover, TestAudioFiles::pngPicture());
    const char *tag = R"(
import sys
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
m = MP4(sys.argv[1])
m['tmpo'] = [100]
m['----:com.apple.iTunes:initialkey'] = [MP4FreeForm(b'1A')]
m['----:com.apple.iTunes:SERATO_MARKERS'] = [MP4FreeForm(b'\x01\x02cue')]
m['covr'] = [MP4Cover(open(sys.argv[2], 'rb').read(), MP4Cover.FORMAT_PNG)]
m['\xa9nam'] = ['old']
m['\xa9ART'] = ['old artist']
m['\xa9too'] = ['Some Encoder']
m.save()
)";
    const char *describe = R"(
import sys, json
from mutagen.mp4 import MP4
m = MP4(sys.argv[1])
free = lambda k: bytes(m[k][0]).decode('latin-1') if k in m else None
print(json.dumps({'title': m.get('\xa9nam', [None])[0], 'artist': m.get('\xa9ART', [None])[0],
  'albumartist': m.get('aART', [None])[0], 'year': m.get('\xa9day', [None])[0],
  'track': list(m['trkn'][0]) if 'trkn' in m else None, 'bpm': m.get('tmpo', [None])[0],
  'key': free('----:com.apple.iTunes:initialkey'), 'cues': free('----:com.apple.iTunes:SERATO_MARKERS'),
  'tool': m.get('\xa9too', [None])[0], 'covers': len(m.get('covr', []))}))
)";
    // AAC with a text track beside it, ALAC, and FLAC in MP4.
    const std::pair<const char *, QStringList> files[] = {
        {"aac.m4a", {"-i", subtitles, "-map", "0", "-map", "1", "-c:a", "aac", "-c:s", "mov_text"}},
        {"alac.m4a", {"-c:a", "alac"}},
        {"flac.mp4", {"-c:a", "flac", "-strict", "-2", "-f", "mp4"}}};
    for (const auto &[name, options] : files) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        ASSERT_TRUE(toolAccepts("ffmpeg",
                                TestAudioFiles::lavfiArguments("sine=duration=1") + options +
                                    QStringList{file}));
        ASSERT_TRUE(TestAudioFiles::python(tag, {file, cover}).ok());
        const QByteArray md5 = TestAudioFiles::audioMd5(file);
        const auto streams = [&] {
            return TestAudioFiles::run(
                       "ffprobe",
                       {"-v", "error", "-show_entries", "stream=codec_name", "-of", "csv", file})
                .out;
        };
        const QByteArray streamsBefore = streams();

        AudioTags tags = fullTags();
        tags.artist.clear();
        const auto error = attempt([&] { MetadataWriter::writeNow(tags, false, url(file)); });
        ASSERT_FALSE(error) << error->errorDescription().toStdString();
        QJsonObject after = json(TestAudioFiles::python(describe, {file}));
        EXPECT_EQ(after.value("title").toString(), tags.title);
        EXPECT_TRUE(after.value("artist").isNull()); // a cleared field is removed
        EXPECT_EQ(after.value("albumartist").toString(), tags.albumArtist);
        EXPECT_EQ(after.value("year").toString(), tags.year);
        EXPECT_EQ(after.value("track").toArray(), (QJsonArray{3, 12}));
        EXPECT_EQ(after.value("bpm").toInt(), 124);
        EXPECT_EQ(after.value("key").toString(), tags.musicalKey);
        EXPECT_EQ(after.value("cues").toString(),
                  QString::fromLatin1("\x01\x02"
                                      "cue"));
        EXPECT_EQ(after.value("tool").toString(), "Some Encoder");
        EXPECT_EQ(after.value("covers").toInt(), 1);
        EXPECT_TRUE(AudioTagReader::read(file, {}).tags == tags); // the emoji's pair included
        EXPECT_EQ(streams(), streamsBefore);
        EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);

        MetadataWriter::writeNow(AudioTags{}, true, url(file));
        after = json(TestAudioFiles::python(describe, {file}));
        for (const char *cleared : {"title", "albumartist", "year", "track", "bpm", "key"})
            EXPECT_TRUE(after.value(cleared).isNull()) << cleared;
        EXPECT_EQ(after.value("covers").toInt(), 0);
        EXPECT_FALSE(after.value("cues").isNull());
        EXPECT_EQ(streams(), QByteArray(streamsBefore).replace("stream,png\n", "")); // the cover
        EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    }
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterHostileFilesTest, AiffWithALowerCaseId3ChunkShowsTheNewTags)
{
    const QString file = make("lower.aiff");
    ASSERT_TRUE(TestAudioFiles::python(R"(
import sys
from mutagen.aiff import AIFF
from mutagen.id3 import TIT2, TXXX
a = AIFF(sys.argv[1])
a.add_tags()
a.tags.add(TIT2(encoding=3, text='old'))
a.tags.add(TXXX(encoding=3, desc='SERATO_CUE', text='cue'))
a.save()
data = bytearray(open(sys.argv[1], 'rb').read())
at = data.index(b'ID3 ')
data[at:at + 4] = b'id3 '
open(sys.argv[1], 'wb').write(bytes(data))
)",
                                       {file})
                    .ok());
    ASSERT_EQ(AudioTagReader::read(file, {}).tags.title, "old");

    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(AudioTagReader::read(file, {}).tags.title, fullTags().title);
    const QByteArray bytes = TestAudioFiles::readAll(file);
    EXPECT_FALSE(bytes.contains("id3 "));
    const QString kept = "SERATO_CUE"; // now in UTF-16, as v2.3 has no UTF-8
    EXPECT_TRUE(
        bytes.contains(QByteArray(reinterpret_cast<const char *>(kept.utf16()), kept.size() * 2)));
}
