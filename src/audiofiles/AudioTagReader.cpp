#include "AudioTagReader.h"

#include "ByteSourceIOStream.h"
#include "FileByteSource.h"
#include "Mp4TagWriter.h"
#include "NativeTagReader.h"
#include "TagValueList.h"
#include "WriteError.h"
#include "platform/LocalFile.h"

#include <QFileInfo>
#include <taglib/aifffile.h>
#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace brivello {

namespace {

// Through UTF-8: TagLib's wide strings hold UTF-16 units, which would break surrogate pairs.
QString qString(const TagLib::String &text)
{
    return QString::fromUtf8(text.toCString(true));
}

// Property names per field, in field order; the first name with a non-empty value is taken.
const std::vector<std::vector<const char *>> kPropertyNames = {{"TITLE"},
                                                               {"ARTIST"},
                                                               {"ALBUM"},
                                                               {"ALBUMARTIST"},
                                                               {"GENRE"},
                                                               {"DATE", "YEAR"},
                                                               {"TRACKNUMBER"},
                                                               {"COMMENT", "DESCRIPTION"},
                                                               {"BPM"},
                                                               {"INITIALKEY", "KEY"}};

constexpr int kTrackField = 6;
constexpr int kTempoField = 8;
constexpr int kMusicalKeyField = 9;

// RIFF INFO ids per field, as the WAV writer stores them (no album artist); ITRK wins over
// the older IPRT.
const std::pair<const char *, int> kInfoFields[] = {{"INAM", 0},
                                                    {"IART", 1},
                                                    {"IPRD", 2},
                                                    {"IGNR", 4},
                                                    {"ICRD", 5},
                                                    {"IPRT", 6},
                                                    {"ITRK", 6},
                                                    {"ICMT", 7},
                                                    {"IBPM", 8},
                                                    {"IKEY", 9}};

void putIfNonEmpty(AudioTags &tags, int field, const TagLib::String &value)
{
    if (!value.isEmpty())
        tags.field(field) = qString(value);
}

void applyMap(AudioTags &tags, const TagLib::PropertyMap &map)
{
    for (int field = 0; field < AudioTags::kFieldCount; ++field) {
        for (const char *name : kPropertyNames[field]) {
            const auto found = map.find(name);
            if (found == map.end())
                continue;
            QStringList values;
            for (const TagLib::String &value : found->second)
                values << qString(value);
            const QString joined = TagValueList::joined(values);
            if (!joined.isEmpty()) {
                tags.field(field) = joined;
                break;
            }
        }
    }
}

// Called with the concrete tag type: each format's own property mapping is not virtual.
template <typename TagType> void applyProperties(AudioTags &tags, TagType *tag)
{
    if (tag)
        applyMap(tags, tag->properties());
}

void applyInfo(AudioTags &tags, const TagLib::RIFF::Info::Tag *info)
{
    if (!info)
        return;
    const TagLib::RIFF::Info::FieldListMap fields = info->fieldListMap();
    for (const auto &[id, field] : kInfoFields) {
        const auto found = fields.find(id);
        if (found != fields.end())
            putIfNonEmpty(tags, field, found->second);
    }
}

QByteArray bytes(const TagLib::ByteVector &data)
{
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}

// The front cover when there is one, else the first picture.
void applyID3v2Picture(std::optional<QByteArray> &picture, TagLib::ID3v2::Tag *tag)
{
    if (!tag)
        return;
    const TagLib::ID3v2::FrameList frames = tag->frameList("APIC");
    const TagLib::ID3v2::AttachedPictureFrame *chosen = nullptr;
    for (auto *frame : frames) {
        auto *apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frame);
        if (apic && (!chosen || (apic->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover &&
                                 chosen->type() != apic->type())))
            chosen = apic;
    }
    if (chosen)
        picture = bytes(chosen->picture());
}

void applyFLACPictures(std::optional<QByteArray> &picture,
                       const TagLib::List<TagLib::FLAC::Picture *> &pictures)
{
    const TagLib::FLAC::Picture *chosen = nullptr;
    for (const auto *candidate : pictures) {
        if (!chosen || (candidate->type() == TagLib::FLAC::Picture::FrontCover &&
                        chosen->type() != candidate->type()))
            chosen = candidate;
    }
    if (chosen)
        picture = bytes(chosen->data());
}

void readMP4(AudioTagReader::Result &result, TagLib::MP4::File *file)
{
    TagLib::MP4::Tag *tag = file->tag();
    applyProperties(result.tags, tag);
    // TagLib's property names leave out the key's freeform item, and the exact track and tempo
    // texts the writer keeps beside trkn and tmpo come before those.
    const std::pair<const char *, int> freeform[] = {
        {"----:com.apple.iTunes:initialkey", kMusicalKeyField},
        {"----:com.apple.iTunes:INITIALKEY", kMusicalKeyField},
        {Mp4TagWriter::kTrackItem, kTrackField},
        {Mp4TagWriter::kTempoItem, kTempoField}};
    for (const auto &[name, field] : freeform) {
        if (tag && tag->contains(name)) {
            const TagLib::StringList values = tag->item(name).toStringList();
            if (!values.isEmpty())
                putIfNonEmpty(result.tags, field, values.front());
        }
    }
    if (tag && tag->contains("covr")) {
        const TagLib::MP4::CoverArtList covers = tag->item("covr").toCoverArtList();
        if (!covers.isEmpty())
            result.picture = bytes(covers.front().data());
    }
}

// The ID3v2 tag through the writers' parser, so the reader sees every frame a rewrite keeps;
// TagLib's reading when that parser finds no tag it can take.
void applyID3v2(AudioTagReader::Result &result,
                TagLib::ID3v2::Tag *tag,
                const ByteSource *source,
                NativeTagReader::Container container)
{
    const auto frames = source ? NativeTagReader::id3Frames(*source, container) : std::nullopt;
    if (frames) {
        NativeTagReader::applyId3(*frames, result.tags, result.picture);
        return;
    }
    applyProperties(result.tags, tag);
    applyID3v2Picture(result.picture, tag);
}

void readTags(AudioTagReader::Result &result,
              TagLib::File *file,
              TagLib::Tag *generic,
              const ByteSource *source)
{
    using Container = NativeTagReader::Container;
    AudioTags &tags = result.tags;
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        applyProperties(tags, mpeg->hasID3v1Tag() ? mpeg->ID3v1Tag() : nullptr);
        applyProperties(tags, mpeg->hasAPETag() ? mpeg->APETag() : nullptr);
        applyID3v2(
            result, mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr, source, Container::mp3);
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        applyProperties(tags, flac->hasID3v1Tag() ? flac->ID3v1Tag() : nullptr);
        auto *id3 = flac->hasID3v2Tag() ? flac->ID3v2Tag() : nullptr;
        applyProperties(tags, id3);
        applyID3v2Picture(result.picture, id3);
        applyProperties(tags, flac->hasXiphComment() ? flac->xiphComment() : nullptr);
        applyFLACPictures(result.picture, flac->pictureList());
    } else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        applyInfo(tags, wav->hasInfoTag() ? wav->InfoTag() : nullptr);
        applyID3v2(result, wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr, source, Container::wav);
    } else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        if (source)
            NativeTagReader::applyAiffText(*source, tags);
        applyID3v2(result, aiff->hasID3v2Tag() ? aiff->tag() : nullptr, source, Container::aiff);
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
        readMP4(result, mp4);
    } else if (auto *xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(generic)) {
        applyProperties(tags, xiph);
        applyFLACPictures(result.picture, xiph->pictureList());
    } else {
        applyProperties(tags, generic);
    }
}

// An ID3v1, APE or Lyrics3 block at the end: TagLib's reading is needed for it.
bool hasTrailingTags(const ByteSource &source)
{
    const qint64 tail = std::min<qint64>(source.size(), 160);
    const QByteArray end = source.read(source.size() - tail, tail);
    auto at = [&end](qsizetype fromEnd, const char *marker) {
        return end.size() >= fromEnd &&
               QByteArrayView(end).sliced(end.size() - fromEnd).startsWith(marker);
    };
    return at(128, "TAG") || at(32, "APETAGEX") || at(160, "APETAGEX") || at(9, "LYRICS200") ||
           at(137, "LYRICS200") || at(9, "LYRICSEND") || at(137, "LYRICSEND");
}

// An MP3 file with only an ID3v2 tag is read by the writers' parser alone; TagLib would only
// parse the same tag again.
std::optional<AudioTagReader::Result>
readPlainMP3(const ByteSource &file, const QString &path, const AudioTags &fallbackTags)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    try {
        const auto frames = NativeTagReader::id3Frames(file, NativeTagReader::Container::mp3);
        if (!frames || hasTrailingTags(file))
            return std::nullopt;
        AudioTagReader::Result result;
        result.tags = fallbackTags;
        NativeTagReader::applyId3(*frames, result.tags, result.picture);
        return result;
    } catch (const WriteError &) {
        return std::nullopt;
    }
}

} // namespace

AudioTagReader::Result AudioTagReader::read(const QString &path, const AudioTags &fallbackTags)
{
    try {
        return read(FileByteSource(path), path, fallbackTags);
    } catch (const WriteError &) {
        Result result;
        result.tags = fallbackTags;
        return result;
    }
}

AudioTagReader::Result
AudioTagReader::read(const ByteSource &file, const QString &path, const AudioTags &fallbackTags)
{
    if (std::optional<Result> plain = readPlainMP3(file, path, fallbackTags))
        return std::move(*plain);
    Result result;
    result.tags = fallbackTags;
    // No audio properties: on a large file that is not really MPEG, TagLib would scan all of it
    // for a frame. The stream details come from libavformat.
    ByteSourceIOStream stream(file, LocalFile::encodeName(path));
    TagLib::FileRef ref(&stream, false);
    if (ref.isNull())
        return result;
    readTags(result, ref.file(), ref.tag(), &file);
    return result;
}

} // namespace brivello
