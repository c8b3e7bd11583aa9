#pragma once

#include "records/AudioDuplicateGroup.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>

namespace brivello {

// What the duplicate search shows: its phase and counters, the folders it searches, the groups
// it found and the selection among them. A value the store publishes with one signal.
struct DuplicateSearchState
{
    enum class Phase { idle, metadata, preparing, hashing, matching };

    bool isSearching = false;
    Phase phase = Phase::idle;
    double progress = 0;
    QString currentFile;
    qint64 candidateCount = 0;
    qint64 processedCount = 0;
    qint64 totalCount = 0;
    // A search ran to its end over these roots: no groups then means none were found.
    bool hasSearched = false;
    QList<QUrl> roots;
    QList<AudioDuplicateGroup> groups;
    QSet<QUuid> selectedTrackIDs;
    std::optional<QUuid> focusedTrackID;
};

} // namespace brivello
