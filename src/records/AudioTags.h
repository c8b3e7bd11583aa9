#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

namespace brivello {

// The ten text tags of a track. Equality is Unicode canonical equivalence, case-sensitive.
struct AudioTags
{
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString genre;
    QString year;
    QString track;
    QString comment;
    QString bpm;
    QString musicalKey;

    bool operator==(const AudioTags &other) const;
    bool operator!=(const AudioTags &other) const { return !(*this == other); }

    // Coded form: exactly the ten keys, each a string. Decoding fails on a missing or
    // non-string key; extra keys are ignored.
    QJsonObject toJson() const;
    static std::optional<AudioTags> fromJson(const QJsonObject &object);

    // Field access by index, in field order (0 = title ... 9 = musicalKey).
    static constexpr int kFieldCount = 10;
    static const char *fieldKey(int index);
    QString &field(int index);
    const QString &field(int index) const;
};

// Text equality under canonical equivalence (NFC).
bool canonicallyEqual(const QString &a, const QString &b);

} // namespace brivello

Q_DECLARE_TYPEINFO(brivello::AudioTags, Q_RELOCATABLE_TYPE);
