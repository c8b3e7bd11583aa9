#include "AudioTags.h"

#include <QJsonValue>

namespace brivello {

namespace {
constexpr const char *kKeys[AudioTags::kFieldCount] = {"title",
                                                       "artist",
                                                       "album",
                                                       "albumArtist",
                                                       "genre",
                                                       "year",
                                                       "track",
                                                       "comment",
                                                       "bpm",
                                                       "musicalKey"};
}

bool canonicallyEqual(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

bool AudioTags::operator==(const AudioTags &other) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (!canonicallyEqual(field(i), other.field(i)))
            return false;
    }
    return true;
}

const char *AudioTags::fieldKey(int index)
{
    return kKeys[index];
}

QString &AudioTags::field(int index)
{
    return const_cast<QString &>(std::as_const(*this).field(index));
}

const QString &AudioTags::field(int index) const
{
    switch (index) {
    case 0:
        return title;
    case 1:
        return artist;
    case 2:
        return album;
    case 3:
        return albumArtist;
    case 4:
        return genre;
    case 5:
        return year;
    case 6:
        return track;
    case 7:
        return comment;
    case 8:
        return bpm;
    default:
        return musicalKey;
    }
}

QJsonObject AudioTags::toJson() const
{
    QJsonObject object;
    for (int i = 0; i < kFieldCount; ++i)
        object.insert(QLatin1String(kKeys[i]), field(i));
    return object;
}

std::optional<AudioTags> AudioTags::fromJson(const QJsonObject &object)
{
    AudioTags tags;
    for (int i = 0; i < kFieldCount; ++i) {
        const QJsonValue value = object.value(QLatin1String(kKeys[i]));
        if (!value.isString())
            return std::nullopt;
        tags.field(i) = value.toString();
    }
    return tags;
}

} // namespace brivello
