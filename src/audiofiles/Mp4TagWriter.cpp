#include "Mp4TagWriter.h"

#include "FileByteSource.h"
#include "MetadataWriter.h"
#include "TagValueList.h"
#include "WriteError.h"
#include "platform/SafeFileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

namespace brivello {

namespace {

struct TextItem
{
    const char *key; // Latin-1; "\251" is the copyright sign of the iTunes atom names
    QString AudioTags::*field;
};
constexpr TextItem kTextItems[] = {
    {"\251nam", &AudioTags::title},
    {"\251ART", &AudioTags::artist},
    {"\251alb", &AudioTags::album},
    {"aART", &AudioTags::albumArtist},
    {"\251gen", &AudioTags::genre},
    {"\251day", &AudioTags::year},
    {"\251cmt", &AudioTags::comment},
    {"----:com.apple.iTunes:initialkey", &AudioTags::musicalKey},
};
// Other items the reader takes the same fields from; a stale one would bring an old value back.
constexpr const char *kShadowItems[] = {"gnre", "----:com.apple.iTunes:INITIALKEY"};

TagLib::String key(const char *name)
{
    return TagLib::String(name, TagLib::String::Latin1);
}

QStringList texts(const TagLib::MP4::Tag &tag, const char *name)
{
    QStringList values;
    if (tag.contains(key(name)))
        for (const TagLib::String &value : tag.item(key(name)).toStringList())
            values << QString::fromUtf8(value.toCString(true));
    return values;
}

// "3" or "3/12"; nothing for a text trkn cannot hold.
std::optional<std::pair<int, int>> trackNumbers(const QString &track)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+)\\s*(?:/\\s*(\\d+))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(track);
    if (!match.hasMatch())
        return std::nullopt;
    return std::make_pair(match.captured(1).toInt(), match.captured(2).toInt());
}

// tmpo holds a whole number of beats per minute.
std::optional<int> tempo(const QString &bpm)
{
    bool ok = false;
    const double value = bpm.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 65535)
        return std::nullopt;
    return int(std::lround(value));
}

void setItems(TagLib::MP4::Tag &tag, const AudioTags &tags, bool removeArtwork)
{
    for (const TextItem &item : kTextItems) {
        const QString &value = tags.*item.field;
        if (value.isEmpty())
            tag.removeItem(key(item.key));
        else if (!canonicallyEqual(TagValueList::joined(texts(tag, item.key)), value))
            tag.setItem(key(item.key),
                        TagLib::StringList(
                            TagLib::String(value.toUtf8().constData(), TagLib::String::UTF8)));
    }
    for (const char *shadow : kShadowItems)
        tag.removeItem(key(shadow));
    if (const auto numbers = trackNumbers(tags.track))
        tag.setItem(key("trkn"), TagLib::MP4::Item(numbers->first, numbers->second));
    else
        tag.removeItem(key("trkn"));
    if (const auto bpm = tempo(tags.bpm))
        tag.setItem(key("tmpo"), TagLib::MP4::Item(*bpm));
    else
        tag.removeItem(key("tmpo"));
    if (removeArtwork)
        tag.removeItem(key("covr"));
}

// Reads the saved copy back: every managed item must hold what was asked.
bool holdsTags(const QString &path, const AudioTags &tags, bool removeArtwork)
{
    const QByteArray name = QFile::encodeName(path);
    TagLib::MP4::File file(name.constData(), false);
    if (!file.isValid() || !file.tag())
        return false;
    const TagLib::MP4::Tag &tag = *file.tag();
    for (const TextItem &item : kTextItems)
        if (!canonicallyEqual(TagValueList::joined(texts(tag, item.key)), tags.*item.field))
            return false;
    const auto numbers = trackNumbers(tags.track);
    const bool hasTrack = tag.contains(key("trkn"));
    if (hasTrack != numbers.has_value() ||
        (numbers && tag.item(key("trkn")).toIntPair().first != numbers->first))
        return false;
    const auto bpm = tempo(tags.bpm);
    const bool hasTempo = tag.contains(key("tmpo"));
    if (hasTempo != bpm.has_value() || (bpm && tag.item(key("tmpo")).toInt() != *bpm))
        return false;
    return !(removeArtwork && tag.contains(key("covr")));
}

} // namespace

bool Mp4TagWriter::write(const AudioTags &tags, bool removeArtwork, const QString &path)
{
    const QFileInfo info(path);
    const FileByteSource source(path);
    SafeFileReplace output(path, MetadataWriter::temporaryFileName(info.suffix()));
    output.copyFrom(source.fileDescriptor(), 0, source.size());
    {
        const QByteArray name = QFile::encodeName(output.tempPath());
        TagLib::MP4::File copy(name.constData(), false);
        if (!copy.isValid() || !copy.tag())
            return false; // the temporary file goes with `output`
        setItems(*copy.tag(), tags, removeArtwork);
        if (!copy.save())
            throw WriteError::rewriteFailed(info.suffix());
    }
    if (!holdsTags(output.tempPath(), tags, removeArtwork))
        throw WriteError::rewriteFailed(info.suffix());
    output.commit();
    return true;
}

} // namespace brivello
