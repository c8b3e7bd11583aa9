#pragma once

#include "library/LibraryStore.h"
#include "records/AudioDuplicateGroup.h"

#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace brivello {

class AudioPlayer;
class SectionCounts;

// What the status block reads of the store and the player, gathered into plain values so the
// summaries can be worked out without either object.
struct WorkspaceStatusInputs
{
    LibraryStore::LibraryTab tab = LibraryStore::LibraryTab::playlist;
    std::optional<LibraryStore::WorkspaceStatus> transient;
    int selectionCount = 0;
    QList<QUuid> visibleIDs;
    int playlistCount = 0;
    int favoriteCount = 0;
    int coverCount = 0;
    QString favoriteGenreFilter;
    int conversionCount = 0;
    int conversionCompleted = 0;
    QList<AudioDuplicateGroup> duplicateGroups;
    int analysisCount = 0;
    int analysisTrackCount = 0;
    bool isPlaying = false;
    std::optional<QUuid> currentID;
    bool hasCurrentTrack = false;

    // `counts` are kept for `store`.
    static WorkspaceStatusInputs
    read(const LibraryStore &store, const SectionCounts &counts, const AudioPlayer *player);
};

// The status block's texts: the transient message when the store shows one, otherwise the
// active section's summary, split into a primary line and an optional detail line.
class WorkspaceStatusSummary
{
public:
    struct Position
    {
        int position = 0;
        int total = 0;
    };
    struct Lines
    {
        QString primary;
        std::optional<QString> detail;
    };

    explicit WorkspaceStatusSummary(WorkspaceStatusInputs inputs);

    std::optional<Position> activePlaybackPosition() const;
    QString listStatus(const QString &title, int total) const;
    QString automaticMessage() const;
    QString automaticIcon() const;
    // The one message the block stands for (also its accessible label) and its icon.
    QString message() const;
    QString icon() const;
    Lines sidebarText() const;
    bool showsPlayingDot() const;
    bool hasTransient() const { return m_in.transient.has_value(); }
    LibraryStore::WorkspaceStatus::Tone tone() const;

    static Lines splitSidebarMessage(const QString &message);
    static QString iconFor(LibraryStore::LibraryTab tab);

private:
    QString genrePart() const;
    std::optional<QString> selectionLine() const;

    WorkspaceStatusInputs m_in;
};

} // namespace brivello
