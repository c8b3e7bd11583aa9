#pragma once

#include "AudioTags.h"

#include <QImage>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QUuid>

namespace brivello {

// One audio file known to the library. A plain value; identity is `id`.
struct Track
{
    QUuid id;
    QUrl url;
    AudioTags tags;
    double duration = 0;
    QImage artwork; // null when absent
    double bitRate = 0;
    qint64 bitDepth = 0;
    QString format;
    bool isFavorite = false;
    bool isInPlaylist = false;
    bool isInCoverWorkspace = false;

    // A new track for a file: fresh id, tags guessed from the name, upper-cased extension.
    static Track make(const QUrl &url);
    static AudioTags fallbackTags(const QUrl &url);
    // The leading tempo/key prefix of a file name ("128 - 8A - ").
    static const QRegularExpression &tempoKeyPrefix();
    static QString formatLabel(const QUrl &url);

    QString bitRateText() const;
};

// A duration in seconds as "m:ss"; "0:00" when not finite.
QString clockText(double seconds);

// The file's path extension as the platform reads it ("" when the name has none).
QString pathExtension(const QUrl &url);

// The addresses and the ids of `tracks`, in order; the ids also as a set.
QList<QUrl> urlsOf(const QList<Track> &tracks);
QList<QUuid> idsOf(const QList<Track> &tracks);
QSet<QUuid> idSetOf(const QList<Track> &tracks);

} // namespace brivello

// Every member is relocatable: lists of tracks grow by moving memory, not by copying.
Q_DECLARE_TYPEINFO(brivello::Track, Q_RELOCATABLE_TYPE);
