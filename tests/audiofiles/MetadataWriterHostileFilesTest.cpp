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

// A FLAC with every kind of block other software writes: SEEKTABLE, APPLICATION, CUESHEET,
// PADDING, foreign Vorbis fields.
const char *kAddApplicationBlock = R"(
import sys
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'fLaC'
length = int.from_bytes(data[5:8], 'big')
end = 8 + length
app = b'riff' + b'application bytes'
header = bytes([2]) + len(app).to_bytes(3, 'big')
first = bytes([data[4] & 0x7F])
open(sys.argv[1], 'wb').write(data[:4] + first + data[5:end] + header + app + data[end:])
)";

// RIFF chunks of the sort DAWs and recorders add: bext, an odd-sized private chunk, cue points
// with their adtl labels, an INFO list holding a field nobody here shows.
const char *kAddWavChunks = R"(
import sys, struct
data = open(sys.argv[1], 'rb').read()
assert data[:4] == b'RIFF' and data[8:12] == b'WAVE'
def chunk(cid, payload):
    return cid + struct.pack('<I', len(payload)) + payload + (b'\x00' if len(payload) % 2 else b'')
cue = chunk(b'cue ', struct.pack('<I', 1) + struct.pack('<II4sIII', 1, 0, b'data', 0, 0, 4410))
adtl = chunk(b'LIST', b'adtl' + chunk(b'labl', struct.pack('<I', 1) + b'Drop\x00'))
info = chunk(b'LIST', b'INFO' + chunk(b'INAM', b'old\x00') + chunk(b'IPRT', b'7\x00') +
    chunk(b'ISFT', b'Rec 1.0\x00'))
bext = chunk(b'bext', b'B' * 602)
odd = chunk(b'xtra', b'abc')
body = data[12:]
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', 4 + len(bext + odd + body + cue + adtl + info)) +
    b'WAVE' + bext + odd + body + cue + adtl + info)
)";

QJsonObject json(const TestAudioFiles::Result &result)
{
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

bool ok(const QString &program, const QStringList &arguments)
{
    const auto result = TestAudioFiles::run(program, arguments);
    EXPECT_TRUE(result.ok()) << program.toStdString() << ": " << result.err.toStdString();
    return result.ok();
}

QByteArray chunkBytes(const QByteArray &file, const QByteArray &id)
{
    const qsizetype at = file.indexOf(id);
    return at < 0 ? QByteArray()
                  : file.mid(at, 8 + quint8(file[at + 4]) + 256 * quint8(file[at + 5]));
}

} // namespace

class MetadataWriterHostileFilesTest : public WriterTest
{
};

TEST_F(MetadataWriterHostileFilesTest, HandMadeV24TagKeepsEveryForeignFrameReadable)
{
    const QString file = make(QStringLiteral("v24.mp3"));
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    ASSERT_TRUE(TestAudioFiles::python(kHandMadeV24, {file}).ok());
    ASSERT_EQ(TestAudioFiles::audioMd5(file), md5);

    AudioTags tags = fullTags();
    MetadataWriter::writeNow(tags, false, url(file));
    const QJsonObject after = json(TestAudioFiles::python(kDescribeV24Result, {file}));
    EXPECT_EQ(after.value(QStringLiteral("version")).toInt(), 3);
    EXPECT_EQ(after.value(QStringLiteral("priv")).toString().toLatin1(),
              QByteArray(QByteArray("\x00\x01grid", 6).repeated(50)).toHex());
    EXPECT_EQ(after.value(QStringLiteral("txxx")).toString(), QStringLiteral("cue Ω"));
    EXPECT_EQ(after.value(QStringLiteral("geob")).toString(), QStringLiteral("01026d61726b657273"));
    EXPECT_EQ(after.value(QStringLiteral("popm")).toInt(), 7);
    EXPECT_EQ(after.value(QStringLiteral("year")).toString(), tags.year);
    EXPECT_FALSE(after.value(QStringLiteral("tdrc")).toBool());
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("title")).toString(),
              tags.title);

    const QByteArray written = TestAudioFiles::readAll(file);
    MetadataWriter::writeNow(tags, false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), written);
}

TEST_F(MetadataWriterHostileFilesTest, FlacWithEveryBlockKindStaysValid)
{
    const QString file = make(QStringLiteral("blocks.flac"), 2.0);
    const QString cues = path(QStringLiteral("cues.txt"));
    TestAudioFiles::writeAll(cues,
                             "FILE \"x.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                             "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
    ASSERT_TRUE(ok(QStringLiteral("metaflac"),
                   {QStringLiteral("--add-seekpoint=10x"),
                    QStringLiteral("--set-tag=REPLAYGAIN_TRACK_GAIN=-1.00 dB"),
                    QStringLiteral("--set-tag=year=1999"),
                    QStringLiteral("--set-tag=Custom=x"),
                    QStringLiteral("--import-cuesheet-from=") + cues,
                    QStringLiteral("--add-padding=333"),
                    file}));
    ASSERT_TRUE(TestAudioFiles::python(kAddApplicationBlock, {file}).ok());
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    const auto list = [&] {
        return TestAudioFiles::run(QStringLiteral("metaflac"), {QStringLiteral("--list"), file})
            .out;
    };
    const QByteArray before = list();
    ASSERT_TRUE(before.contains("SEEKTABLE") && before.contains("APPLICATION") &&
                before.contains("CUESHEET"));

    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_TRUE(ok(QStringLiteral("flac"), {QStringLiteral("-t"), QStringLiteral("-s"), file}));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    const QByteArray after = list();
    for (const char *kept : {"SEEKTABLE", "APPLICATION", "CUESHEET", "PADDING", "72696666"})
        EXPECT_TRUE(after.contains(kept)) << kept;
    EXPECT_EQ(before.count("seek point"), after.count("seek point"));
    const QJsonObject tags = TestAudioFiles::mutagenTags(file);
    EXPECT_EQ(tags.value(QStringLiteral("custom")).toArray().first().toString(),
              QStringLiteral("x"));
    EXPECT_EQ(tags.value(QStringLiteral("title")).toArray().first().toString(), fullTags().title);

    // The cleaner empties the year: its older spelling must not bring it back.
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    const QJsonObject cleared = TestAudioFiles::mutagenTags(file);
    EXPECT_FALSE(cleared.contains(QStringLiteral("year")));
    EXPECT_FALSE(cleared.contains(QStringLiteral("date")));
    EXPECT_TRUE(cleared.contains(QStringLiteral("replaygain_track_gain")));
    EXPECT_TRUE(ok(QStringLiteral("flac"), {QStringLiteral("-t"), QStringLiteral("-s"), file}));
}

TEST_F(MetadataWriterHostileFilesTest, WavWithCuesAndOddChunksKeepsThemByteForByte)
{
    const QString file = make(QStringLiteral("cues.wav"), 1.0, {QStringLiteral("-ac"), "1"});
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    ASSERT_TRUE(TestAudioFiles::python(kAddWavChunks, {file}).ok());
    const QByteArray before = TestAudioFiles::readAll(file);

    MetadataWriter::assignArtworkNow(TestAudioFiles::pngPicture(), fullTags(), url(file));
    const QByteArray bytes = TestAudioFiles::readAll(file);
    for (const char *id : {"cue ", "bext", "xtra", "labl"})
        EXPECT_EQ(chunkBytes(bytes, id), chunkBytes(before, id)) << id;
    EXPECT_TRUE(bytes.contains("ISFT"));
    EXPECT_FALSE(bytes.contains("old"));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(ok(QStringLiteral("sox"), {QStringLiteral("--i"), file}));
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("title")).toString(),
              fullTags().title);
    EXPECT_EQ(TestAudioFiles::mutagenTags(file)
                  .value(QStringLiteral("TPE2"))
                  .toArray()
                  .first()
                  .toString(),
              fullTags().albumArtist);

    const QByteArray written = TestAudioFiles::readAll(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), written);
    EXPECT_TRUE(written.contains("IPRT")); // the track is written, the older field may stay

    // The cleaner empties the track: its older INFO field must not bring it back.
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    const QByteArray cleaned = TestAudioFiles::readAll(file);
    EXPECT_FALSE(cleaned.contains("IPRT"));
    EXPECT_TRUE(cleaned.contains("ISFT"));
    EXPECT_EQ(chunkBytes(cleaned, "cue "), chunkBytes(before, "cue "));
}

TEST_F(MetadataWriterHostileFilesTest, AWriteThroughASymlinkUpdatesTheLinkedFile)
{
    const QString file = make(QStringLiteral("real.mp3"));
    const QString link = path(QStringLiteral("link.mp3"));
    ASSERT_TRUE(QFile::link(file, link));
    MetadataWriter::writeNow(fullTags(), false, url(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(TestAudioFiles::mutagenTags(file)
                  .value(QStringLiteral("TIT2"))
                  .toArray()
                  .first()
                  .toString(),
              fullTags().title);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterHostileFilesTest, M4aKeepsTheItemsTheStreamCopyDoesNotKnow)
{
    const QString file = make(QStringLiteral("items.m4a"));
    const QString cover = path(QStringLiteral("c.png"));
    TestAudioFiles::writeAll(cover, TestAudioFiles::pngPicture());
    ASSERT_TRUE(TestAudioFiles::python(R"(
import sys
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
m = MP4(sys.argv[1])
m['tmpo'] = [124]
m['----:com.apple.iTunes:initialkey'] = [MP4FreeForm(b'8A')]
m['----:com.apple.iTunes:SERATO_MARKERS'] = [MP4FreeForm(b'\x01\x02cue')]
m['covr'] = [MP4Cover(open(sys.argv[2], 'rb').read(), MP4Cover.FORMAT_PNG)]
m['\xa9nam'] = ['old']
m.save()
)",
                                       {file, cover})
                    .ok());
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    const char *describe = R"(
import sys, json
from mutagen.mp4 import MP4
m = MP4(sys.argv[1])
print(json.dumps({'title': m.get('\xa9nam', [''])[0], 'bpm': m.get('tmpo', [0])[0],
  'key': bytes(m['----:com.apple.iTunes:initialkey'][0]).decode() if '----:com.apple.iTunes:initialkey' in m else None,
  'cues': bytes(m['----:com.apple.iTunes:SERATO_MARKERS'][0]).hex() if '----:com.apple.iTunes:SERATO_MARKERS' in m else None,
  'covers': len(m.get('covr', []))}))
)";

    MetadataWriter::writeNow(fullTags(), false, url(file));
    QJsonObject after = json(TestAudioFiles::python(describe, {file}));
    EXPECT_EQ(after.value(QStringLiteral("title")).toString(), fullTags().title);
    EXPECT_EQ(after.value(QStringLiteral("bpm")).toInt(), 124);
    EXPECT_EQ(after.value(QStringLiteral("key")).toString(), QStringLiteral("8A"));
    EXPECT_EQ(after.value(QStringLiteral("cues")).toString(), QStringLiteral("0102637565"));
    EXPECT_EQ(after.value(QStringLiteral("covers")).toInt(), 1);
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);

    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    after = json(TestAudioFiles::python(describe, {file}));
    EXPECT_EQ(after.value(QStringLiteral("covers")).toInt(), 0);
    EXPECT_EQ(after.value(QStringLiteral("title")).toString(), QString());
    EXPECT_FALSE(after.value(QStringLiteral("cues")).toString().isEmpty());
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}

TEST_F(MetadataWriterHostileFilesTest, AiffWithALowerCaseId3ChunkShowsTheNewTags)
{
    const QString file = make(QStringLiteral("lower.aiff"));
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
    ASSERT_EQ(AudioTagReader::read(file, {}).tags.title, QStringLiteral("old"));
    const QByteArray md5 = TestAudioFiles::audioMd5(file);

    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(AudioTagReader::read(file, {}).tags.title, fullTags().title);
    const QByteArray bytes = TestAudioFiles::readAll(file);
    EXPECT_FALSE(bytes.contains("id3 "));
    const QString kept = QStringLiteral("SERATO_CUE"); // now in UTF-16, as v2.3 has no UTF-8
    EXPECT_TRUE(
        bytes.contains(QByteArray(reinterpret_cast<const char *>(kept.utf16()), kept.size() * 2)));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    EXPECT_TRUE(ok(QStringLiteral("sox"), {QStringLiteral("--i"), file}));
}
