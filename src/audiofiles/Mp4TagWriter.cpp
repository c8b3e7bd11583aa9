#include "Mp4TagWriter.h"

#include "FileByteSource.h"
#include "MetadataWriter.h"
#include "TagValueList.h"
#include "WriteError.h"
#include "platform/LocalFile.h"
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
constexpr int kMaxInteger = 65535; // trkn and tmpo hold 16-bit numbers
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

// "3" or "3/12", blanks and leading zeros allowed; nothing for a text trkn cannot hold.
std::optional<std::pair<int, int>> trackNumbers(const QString &track)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+)\\s*(?:/\\s*(\\d+))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(track);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 number = match.captured(1).toLongLong();
    const qint64 total = match.captured(2).toLongLong();
    if (number > kMaxInteger || total > kMaxInteger)
        return std::nullopt;
    return std::make_pair(int(number), int(total));
}

// tmpo holds a whole number of beats per minute; a fraction is rounded for other programs.
std::optional<int> tempo(const QString &bpm)
{
    bool ok = false;
    const double value = bpm.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > kMaxInteger)
        return std::nullopt;
    return int(std::lround(value));
}

// The texts the integer items read back as.
QString trackText(const std::pair<int, int> &numbers)
{
    return numbers.second > 0 ? QStringLiteral("%1/%2").arg(numbers.first).arg(numbers.second)
                              : QString::number(numbers.first);
}

// An integer item, and beside it a freeform item with the exact text whenever the integer
// does not read back as that text ("128.5", "A1", "03"); the reader takes the freeform first.
struct NumberItem
{
    const char *key;
    const char *freeform;
    QString AudioTags::*field;
    std::optional<TagLib::MP4::Item> (*item)(const QString &);
    QString (*text)(const TagLib::MP4::Item &);
};
const NumberItem kNumberItems[] = {
    {"trkn",
     Mp4TagWriter::kTrackItem,
     &AudioTags::track,
     [](const QString &value) -> std::optional<TagLib::MP4::Item> {
         const auto numbers = trackNumbers(value);
         return numbers ? std::optional(TagLib::MP4::Item(numbers->first, numbers->second))
                        : std::nullopt;
     },
     [](const TagLib::MP4::Item &item) {
         return trackText({item.toIntPair().first, item.toIntPair().second});
     }},
    {"tmpo",
     Mp4TagWriter::kTempoItem,
     &AudioTags::bpm,
     [](const QString &value) -> std::optional<TagLib::MP4::Item> {
         const auto bpm = tempo(value);
         return bpm ? std::optional(TagLib::MP4::Item(*bpm)) : std::nullopt;
     },
     [](const TagLib::MP4::Item &item) { return QString::number(item.toInt()); }},
};

// What a reader of `tag` shows for the item's field: the freeform text, else the integer's.
QString shownNumber(const TagLib::MP4::Tag &tag, const NumberItem &number)
{
    const QString exact = TagValueList::joined(texts(tag, number.freeform));
    if (!exact.isEmpty() || !tag.contains(key(number.key)))
        return exact;
    return number.text(tag.item(key(number.key)));
}

void setNumber(TagLib::MP4::Tag &tag, const NumberItem &number, const QString &value)
{
    const auto item = value.isEmpty() ? std::nullopt : number.item(value);
    if (item)
        tag.setItem(key(number.key), *item);
    else
        tag.removeItem(key(number.key));
    tag.removeItem(key(number.freeform));
    if (!value.isEmpty() && (!item || number.text(*item) != value))
        tag.setItem(
            key(number.freeform),
            TagLib::StringList(TagLib::String(value.toUtf8().constData(), TagLib::String::UTF8)));
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
    for (const NumberItem &number : kNumberItems)
        if (!canonicallyEqual(shownNumber(tag, number), tags.*number.field))
            setNumber(tag, number, tags.*number.field);
    if (removeArtwork)
        tag.removeItem(key("covr"));
}

// Reads the saved copy back: every managed item must show what was asked.
bool holdsTags(const QString &path, const AudioTags &tags, bool removeArtwork)
{
    const QByteArray name = LocalFile::encodeName(path);
    TagLib::MP4::File file(name.constData(), false);
    if (!file.isValid() || !file.tag())
        return false;
    const TagLib::MP4::Tag &tag = *file.tag();
    for (const TextItem &item : kTextItems)
        if (!canonicallyEqual(TagValueList::joined(texts(tag, item.key)), tags.*item.field))
            return false;
    for (const NumberItem &number : kNumberItems)
        if (!canonicallyEqual(shownNumber(tag, number), tags.*number.field))
            return false;
    return !(removeArtwork && tag.contains(key("covr")));
}

} // namespace

bool Mp4TagWriter::write(const AudioTags &tags, bool removeArtwork, const QString &path)
{
    const QFileInfo info(path);
    const FileByteSource source(path);
    SafeFileReplace output(path, info.suffix());
    output.copyFrom(source.fileDescriptor(), 0, source.size());
    {
        const QByteArray name = LocalFile::encodeName(output.tempPath());
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
