#include "WriterTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace brivello;
using namespace brivello::test;

namespace {

// Adds a v2.4 tag (mutagen's default) with frames this system never shows, a cover and an
// ID3v1 block.
const char *kAddForeignFrames = R"(
import sys
from mutagen.id3 import ID3, TXXX, GEOB, PRIV, UFID, USLT, POPM, RVA2, APIC, TIT2, COMM
t = ID3()
t.add(TIT2(encoding=3, text='old title'))
t.add(COMM(encoding=3, lang='eng', desc='', text='old comment'))
t.add(COMM(encoding=3, lang='eng', desc='iTunNORM', text='0000'))
t.add(TXXX(encoding=3, desc='SERATO_CUE', text='cue Ω'))
t.add(GEOB(encoding=3, mime='application/octet-stream', filename='', desc='Serato Markers2', data=b'\x01\x02markers'))
t.add(PRIV(owner='rekordbox', data=b'\x00\x01grid'))
t.add(UFID(owner='http://musicbrainz.org', data=b'abc-123'))
t.add(USLT(encoding=3, lang='eng', desc='', text='la la'))
t.add(POPM(email='dj@example.org', rating=196, count=7))
t.add(RVA2(desc='track', channel=1, gain=-3.5, peak=0.9))
t.add(APIC(encoding=3, mime='image/png', type=3, desc='Cover', data=open(sys.argv[2],'rb').read()))
t.save(sys.argv[1], v2_version=4, v1=2)
)";

const char *kDescribeId3 = R"(
import sys, json
from mutagen.id3 import ID3
t = ID3(sys.argv[1])
print(json.dumps({'version': list(t.version), 'keys': sorted(t.keys()),
  'TXXX': str(t['TXXX:SERATO_CUE']) if 'TXXX:SERATO_CUE' in t else None,
  'GEOB': t['GEOB:Serato Markers2'].data.hex() if 'GEOB:Serato Markers2' in t else None,
  'POPM': [t['POPM:dj@example.org'].rating, t['POPM:dj@example.org'].count] if 'POPM:dj@example.org' in t else None,
  'RVA2': t['RVA2:track'].gain if 'RVA2:track' in t else None}))
)";

QJsonObject describe(const QString &file)
{
    return QJsonDocument::fromJson(TestAudioFiles::python(kDescribeId3, {file}).out).object();
}

QStringList keys(const QJsonObject &description)
{
    QStringList out;
    for (const auto &key : description.value(QStringLiteral("keys")).toArray())
        out << key.toString();
    return out;
}

} // namespace

class MetadataWriterMp3Test : public WriterTest
{
};

TEST_F(MetadataWriterMp3Test, OutsideReadersSeeTheTagsAndTheAudioIsUntouched)
{
    const QString file = make("a.MP3", 1.0, {"-f", "mp3"}); // dispatched by suffix, any case
    const QByteArray md5 = TestAudioFiles::audioMd5(file);
    MetadataWriter::writeNow(fullTags(), false, url(file));

    EXPECT_EQ(firstTag(file, "COMM::eng"), fullTags().comment); // empty description read as such
    EXPECT_EQ(describe(file).value(QStringLiteral("version")).toArray().at(1).toInt(), 3);
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("date")).toString(),
              fullTags().year);
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);

    // The tag leads the file exactly as built, and a second write changes nothing.
    const QByteArray written = TestAudioFiles::readAll(file);
    EXPECT_TRUE(written.startsWith(MetadataWriter::id3Tag(fullTags(), std::nullopt)));
    MetadataWriter::writeNow(fullTags(), false, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), written);
}

TEST_F(MetadataWriterMp3Test, KeepsFramesItDoesNotManageAndDropsId3v1)
{
    const QString file = make("b.mp3");
    const QString cover = path("cover.png");
    ASSERT_TRUE(TestAudioFiles::writeAll(cover, TestAudioFiles::pngPicture()));
    ASSERT_TRUE(TestAudioFiles::python(kAddForeignFrames, {file, cover}).ok());
    ASSERT_TRUE(TestAudioFiles::readAll(file).right(128).startsWith("TAG"));
    const QByteArray md5 = TestAudioFiles::audioMd5(file);

    AudioTags tags;
    tags.title = "new title";
    MetadataWriter::writeNow(tags, false, url(file));

    EXPECT_FALSE(TestAudioFiles::readAll(file).right(128).startsWith("TAG"));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
    const QJsonObject d = describe(file);
    const QStringList present = keys(d);
    for (const char *key : {"TXXX:SERATO_CUE",
                            "GEOB:Serato Markers2",
                            "UFID:http://musicbrainz.org",
                            "USLT::eng",
                            "POPM:dj@example.org",
                            "RVA2:track",
                            "APIC:Cover",
                            "COMM:iTunNORM:eng",
                            "TIT2"})
        EXPECT_TRUE(present.contains(QLatin1String(key)))
            << key << " missing from " << present.join(' ').toStdString();
    EXPECT_FALSE(present.contains("COMM::eng")); // the old managed comment
    EXPECT_EQ(present.filter(QStringLiteral("PRIV:rekordbox")).size(), 1);
    EXPECT_DOUBLE_EQ(d.value(QStringLiteral("RVA2")).toDouble(), -3.5);

    // The cleaner's write removes the picture and leaves the rest.
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    const QStringList cleaned = keys(describe(file));
    EXPECT_FALSE(cleaned.contains("APIC:Cover"));
    EXPECT_FALSE(cleaned.contains("TIT2"));
    EXPECT_TRUE(cleaned.contains("GEOB:Serato Markers2"));
    EXPECT_EQ(TestAudioFiles::audioMd5(file), md5);
}

TEST_F(MetadataWriterMp3Test, EmptyTagsLeaveNoTagAtAll)
{
    const QString file = make("c.mp3");
    const QByteArray audio = TestAudioFiles::readAll(file);
    ASSERT_TRUE(
        TestAudioFiles::python("import sys\nfrom mutagen.id3 import ID3, TIT2\nt=ID3()\n"
                               "t.add(TIT2(encoding=3,text='x'))\nt.save(sys.argv[1], v1=2)",
                               {file})
            .ok());
    MetadataWriter::writeNow(AudioTags{}, true, url(file));
    EXPECT_EQ(TestAudioFiles::readAll(file), audio);
}
