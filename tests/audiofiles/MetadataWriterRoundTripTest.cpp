// A file read, one field edited and written back: what the user did not touch stays in the file,
// as outside readers see it.
#include "WriterTestSupport.h"
#include "audiofiles/AudioMetadataLoader.h"
#include "audiofiles/FileByteSource.h"
#include "audiofiles/Id3v2Tag.h"
#include "audiofiles/NativeTagReader.h"

#include <QJsonArray>

using namespace brivello;
using namespace brivello::test;

namespace {

QStringList values(const QJsonObject &tags, const char *key)
{
    QStringList out;
    for (const auto &value : tags.value(QLatin1String(key)).toArray())
        out << value.toString();
    return out;
}

// Tags an MP3 (ID3 v2.`version`), WAV or AIFF with mutagen: the frames come from `frames`, a
// Python list expression; the MP3's tag may start with an empty TENC frame.
const char *kTagWithId3 = R"(
import sys
from mutagen.id3 import *
from mutagen.wave import WAVE
from mutagen.aiff import AIFF
path, version, empty_first = sys.argv[1], int(sys.argv[3]), sys.argv[4] == '1'
import mutagen.id3
frames = eval(sys.argv[2], vars(mutagen.id3))
if path.endswith('.mp3'):
    tags = ID3()
    for frame in frames: tags.add(frame)
    tags.save(path, v2_version=version)
    if empty_first:
        data = open(path, 'rb').read()
        size = sum((data[6 + i] & 0x7F) << (21 - 7 * i) for i in range(4)) + 10
        size_bytes = bytes(((size >> (21 - 7 * i)) & 0x7F) for i in range(4))
        open(path, 'wb').write(data[:6] + size_bytes + b'TENC' + bytes(6) + data[10:])
else:
    f = (WAVE if path.endswith('.wav') else AIFF)(path)
    f.add_tags()
    for frame in frames: f.tags.add(frame)
    f.save(v2_version=version)
)";

} // namespace

class MetadataWriterRoundTripTest : public WriterTest
{
protected:
    AudioTags read(const QString &file)
    {
        return AudioMetadataLoader::read(url(file), AudioTags{}).tags;
    }

    void
    tagWithId3(const QString &file, const QString &frames, int version, bool emptyFirst = false)
    {
        const auto result = TestAudioFiles::python(
            kTagWithId3, {file, frames, QString::number(version), emptyFirst ? "1" : "0"});
        ASSERT_TRUE(result.ok()) << result.err.toStdString();
    }

    // Reads the file, changes the title and writes what was read back.
    AudioTags editTitle(const QString &file)
    {
        AudioTags tags = read(file);
        tags.title = QStringLiteral("Edited");
        MetadataWriter::writeNow(tags, false, url(file));
        return tags;
    }
};

TEST_F(MetadataWriterRoundTripTest, AnEmptyFrameHidesNothingFromTheReaderOrTheNextWrite)
{
    const QString file = make("empty frame.mp3");
    tagWithId3(file,
               "[TIT2(encoding=3, text='Old'), TALB(encoding=3, text='Album'),"
               " TRCK(encoding=3, text='7'), TDRC(encoding=3, text='2020'),"
               " TCON(encoding=3, text='Techno'),"
               " COMM(encoding=3, lang='eng', desc='', text='Note')]",
               4,
               true);
    const AudioTags loaded = read(file);
    EXPECT_EQ(loaded.title, "Old");
    EXPECT_EQ(loaded.album, "Album");

    editTitle(file);
    const QJsonObject tags = TestAudioFiles::mutagenTags(file);
    EXPECT_EQ(values(tags, "TIT2"), QStringList{"Edited"});
    EXPECT_EQ(values(tags, "TALB"), QStringList{"Album"});
    EXPECT_EQ(values(tags, "TRCK"), QStringList{"7"});
    EXPECT_EQ(values(tags, "TDRC"), QStringList{"2020"});
    EXPECT_EQ(values(tags, "TCON"), QStringList{"Techno"});
    EXPECT_EQ(values(tags, "COMM::eng"), QStringList{"Note"});
}

// A date is written as TYER, TDAT and TIME; outside readers and the reader here see it whole.
TEST_F(MetadataWriterRoundTripTest, FullDatesSurviveInEveryId3Container)
{
    struct Case
    {
        const char *date;
        const char *mutagenDate;
        const char *ffprobeDate;
    };
    const Case dates[] = {{"2021-05-04", "2021-05-04", "2021-05-04"},
                          {"2021-05-04T13:45", "2021-05-04 13:45:00", "2021-05-04 13:45"}};
    for (const char *name : {"d.mp3", "d.wav", "d.aiff"}) {
        for (const Case &c : dates) {
            SCOPED_TRACE(std::string(name) + " " + c.date);
            const QString file = make(name);
            // v2.4 TDRC in the MP3, v2.3 TYER/TDAT/TIME as mutagen writes them in the chunks.
            tagWithId3(file,
                       QStringLiteral("[TDRC(encoding=3, text='%1'), TPE2(encoding=3, text='AA')]")
                           .arg(c.date),
                       QString(name).endsWith("mp3") ? 4 : 3);
            ASSERT_EQ(read(file).year, c.date);
            editTitle(file);
            EXPECT_EQ(values(TestAudioFiles::mutagenTags(file), "TDRC"),
                      QStringList{c.mutagenDate});
            EXPECT_EQ(read(file).year, c.date);
            // ffprobe shows a WAV's INFO date, which holds the text as it stands.
            EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value("date").toString(),
                      QString(name).endsWith("wav") ? c.date : c.ffprobeDate);
            QFile::remove(file);
        }
    }
}

TEST_F(MetadataWriterRoundTripTest, FieldsWithSeveralValuesKeepThemAllWhenLeftAsTheyWere)
{
    const QString mp3 = make("multi.mp3");
    tagWithId3(
        mp3,
        "[TCON(encoding=3, text=['House', 'Techno']), TPE2(encoding=3, text=['AA1', 'AA2'])]",
        4);
    const QString flac = make("multi.flac");
    ASSERT_TRUE(toolAccepts("metaflac",
                            {"--set-tag=GENRE=House",
                             "--set-tag=GENRE=Techno",
                             "--set-tag=ALBUMARTIST=AA1",
                             "--set-tag=ALBUMARTIST=AA2",
                             flac}));
    const std::pair<QString, std::pair<const char *, const char *>> files[] = {
        {mp3, {"TCON", "TPE2"}}, {flac, {"genre", "albumartist"}}};
    for (const auto &[file, keys] : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(read(file).genre, "House; Techno");
        AudioTags tags = editTitle(file);
        QJsonObject written = TestAudioFiles::mutagenTags(file);
        EXPECT_EQ(values(written, keys.first), (QStringList{"House", "Techno"}));
        EXPECT_EQ(values(written, keys.second), (QStringList{"AA1", "AA2"}));
        EXPECT_EQ(read(file).albumArtist, "AA1; AA2");

        // An edited field takes the text as the user gave it.
        tags.genre = QStringLiteral("House; Deep");
        MetadataWriter::writeNow(tags, false, url(file));
        written = TestAudioFiles::mutagenTags(file);
        EXPECT_EQ(values(written, keys.first), (QStringList{"House; Deep"}));
        EXPECT_EQ(values(written, keys.second), (QStringList{"AA1", "AA2"}));
    }
}

// Any date text reads back as written, here and in outside readers: TYER, TDAT and TIME where
// they hold it, the whole text in TDRC where they cannot (a month alone, seconds, no such day).
TEST_F(MetadataWriterRoundTripTest, EveryDateReadsBackAsWrittenInEveryId3Container)
{
    struct Case
    {
        const char *date;
        const char *mutagenDate; // a time with a blank, and always with seconds
        const char *ffprobeDate; // TYER, TDAT and TIME joined with a blank before the time
    };
    const Case dates[] = {{"2024", "2024", "2024"},
                          {"2024-05", "2024-05", "2024-05"},
                          {"2021-05-04", "2021-05-04", "2021-05-04"},
                          {"2021-05-04T13:45", "2021-05-04 13:45:00", "2021-05-04 13:45"},
                          {"2021-05-04T13:45:30", "2021-05-04 13:45:30", "2021-05-04T13:45:30"},
                          {"2021-13-40", "2021-13-40", "2021-13-40"}};
    for (const char *name : {"w.mp3", "w.wav", "w.aiff"}) {
        const QString file = make(name);
        for (const Case &c : dates) {
            SCOPED_TRACE(std::string(name) + " " + c.date);
            AudioTags tags = fullTags();
            tags.year = QString::fromLatin1(c.date);
            MetadataWriter::writeNow(tags, false, url(file));
            EXPECT_EQ(read(file).year, c.date);
            EXPECT_EQ(values(TestAudioFiles::mutagenTags(file), "TDRC"),
                      QStringList{c.mutagenDate});
            // ffprobe shows a WAV's INFO date, which holds the text as it stands.
            EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value("date").toString(),
                      QString(name).endsWith("wav") ? c.date : c.ffprobeDate);
        }
    }
}

// A year another program wrote in a form v2.3 has no place for stays as it was while other
// fields are edited.
TEST_F(MetadataWriterRoundTripTest, AnUntouchedYearKeepsItsFramesWhenTheTitleIsEdited)
{
    using Container = NativeTagReader::Container;
    const std::pair<const char *, Container> files[] = {
        {"y.mp3", Container::mp3}, {"y.wav", Container::wav}, {"y.aiff", Container::aiff}};
    for (const auto &[name, container] : files) {
        SCOPED_TRACE(name);
        const QString file = make(name);
        tagWithId3(file, "[TYER(encoding=3, text='2024-05'), TPE2(encoding=3, text='AA')]", 3);
        ASSERT_EQ(read(file).year, "2024-05");
        editTitle(file);
        EXPECT_EQ(read(file).title, "Edited");
        EXPECT_EQ(read(file).year, "2024-05");
        const auto frames = NativeTagReader::id3Frames(FileByteSource(file), container);
        ASSERT_TRUE(frames.has_value());
        QStringList dates;
        for (const Id3Frame &frame : *frames)
            if (frame.id.startsWith("TYER") || frame.id == "TDAT" || frame.id == "TDRC")
                dates << QString::fromLatin1(frame.id) + "=" +
                             Id3v2Tag::textValues(frame).join(',');
        EXPECT_EQ(dates, QStringList{"TYER=2024-05"});
    }
}

// Tempo and key that older tools left only in TXXX frames are read, whatever the case of their
// descriptions; TBPM and TKEY come first, and an edit of the field leaves no TXXX behind that
// would bring the old value back.
TEST_F(MetadataWriterRoundTripTest, TempoAndKeyKeptOnlyInUserTextFramesAreRead)
{
    for (const char *name : {"x.mp3", "x.wav", "x.aiff"}) {
        SCOPED_TRACE(name);
        const QString file = make(name);
        tagWithId3(file,
                   "[TXXX(encoding=3, desc='BPM', text='126'),"
                   " TXXX(encoding=3, desc='KEY', text='Am'), TIT2(encoding=3, text='T')]",
                   3);
        EXPECT_EQ(read(file).bpm, "126");
        EXPECT_EQ(read(file).musicalKey, "Am");

        editTitle(file); // unchanged fields keep their frames
        EXPECT_EQ(read(file).bpm, "126");
        EXPECT_EQ(read(file).musicalKey, "Am");

        const QString both = make(QStringLiteral("both.") + QFileInfo(name).suffix());
        tagWithId3(both,
                   "[TXXX(encoding=3, desc='INITIALKEY', text='8A'),"
                   " TXXX(encoding=3, desc='KEY', text='Am'), TBPM(encoding=3, text='128'),"
                   " TXXX(encoding=3, desc='BPM', text='126')]",
                   3);
        AudioTags tags = read(both);
        EXPECT_EQ(tags.bpm, "128");
        EXPECT_EQ(tags.musicalKey, "8A");

        tags.bpm.clear();
        tags.musicalKey = QStringLiteral("9A");
        MetadataWriter::writeNow(tags, false, url(both));
        EXPECT_EQ(read(both).bpm, "");
        EXPECT_EQ(read(both).musicalKey, "9A");

        // The descriptions in lower or mixed case, as other tools write them.
        const QString cased = make(QStringLiteral("cased.") + QFileInfo(name).suffix());
        tagWithId3(cased,
                   "[TXXX(encoding=3, desc='bpm', text='124'),"
                   " TXXX(encoding=3, desc='initialkey', text='5A'),"
                   " TXXX(encoding=3, desc='Key', text='Cm')]",
                   3);
        tags = read(cased);
        EXPECT_EQ(tags.bpm, "124");
        EXPECT_EQ(tags.musicalKey, "5A");
        tags.bpm.clear();
        tags.musicalKey = QStringLiteral("6A");
        MetadataWriter::writeNow(tags, false, url(cased));
        EXPECT_EQ(read(cased).bpm, "");
        EXPECT_EQ(read(cased).musicalKey, "6A");
    }
}
