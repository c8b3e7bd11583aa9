#pragma once

#include "library/AnalysisQueues.h"
#include "library/AudioPlayer.h"
#include "library/DuplicateSearchState.h"
#include "library/LibrarySettings.h"
#include "library/LibraryStoreServices.h"
#include "library/StoreLifetimeGuard.h"
#include "platform/Scheduler.h"
#include "records/ConversionItem.h"
#include "records/LibraryTab.h"
#include "records/Track.h"
#include "records/WorkspaceStatus.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUuid>
#include <memory>
#include <optional>

namespace brivello {

class FavoriteMembership;
class GenreEditing;
class LibraryCleaner;
class LibrarySections;
class MetadataLoading;
class TagWriting;
class TrackImporter;
class TrackRemoval;
class WorkspaceSessionKeeper;

// The one model of the application: every section's tracks, the selections, the status line
// and the store's settings, published with a change signal each. Main thread only; created
// once by the application. Its parts, each its own class: sections() (lists in shown order,
// selections), importer() (imports), metadataLoading() (metadata loads), tagWriting() (tag
// writes), removal() (removals, Trash, undo), favorites() (favourites, section membership),
// genreEditing() (genres), cleaner() (tag and file-name cleaner), session() (the workspace
// snapshot), analysis() (analyses and tempo estimates), settings() (the key table); its
// collaborators come through the constructor (LibraryStoreServices).
class LibraryStore : public QObject
{
    Q_OBJECT
public:
    using LibraryTab = brivello::LibraryTab;
    using WorkspaceStatus = brivello::WorkspaceStatus;

    // Reads the settings from `defaults` and restores the workspace snapshot kept there.
    explicit LibraryStore(Defaults &defaults,
                          LibraryStoreServices services = {},
                          QObject *parent = nullptr);
    ~LibraryStore() override;

    LibrarySections &sections() const { return *m_sections; }
    TrackImporter &importer() const { return *m_importer; }
    MetadataLoading &metadataLoading() const { return *m_metadataLoading; }
    TagWriting &tagWriting() const { return *m_tagWriting; }
    TrackRemoval &removal() const { return *m_removal; }
    FavoriteMembership &favorites() const { return *m_favorites; }
    GenreEditing &genreEditing() const { return *m_genreEditing; }
    LibraryCleaner &cleaner() const { return *m_cleaner; }
    WorkspaceSessionKeeper &session() const { return *m_session; }
    AnalysisQueues &analysis() { return m_analysis; }
    const AnalysisQueues &analysis() const { return m_analysis; }
    LibrarySettings &settings() { return m_settings; }
    const LibrarySettings &settings() const { return m_settings; }
    const LibraryStoreServices &services() const { return m_services; }

    // --- Published state; setters of snapshot lists request a workspace save. ---
    const QList<Track> &tracks() const { return m_tracks; }
    void setTracks(QList<Track> tracks);
    std::optional<QUuid> selectedID() const { return m_selectedID; }
    void setSelectedID(std::optional<QUuid> id);
    const QSet<QUuid> &selectedIDs() const { return m_selectedIDs; }
    void setSelectedIDs(QSet<QUuid> ids);
    LibraryTab activeTab() const { return m_activeTab; }
    void setActiveTab(LibraryTab tab);
    const QList<ConversionItem> &conversionItems() const { return m_conversionItems; }
    void setConversionItems(QList<ConversionItem> items);
    const QList<Track> &analysisTracks() const { return m_analysisTracks; }
    void setAnalysisTracks(QList<Track> tracks);
    const QList<Track> &duplicateTracks() const { return m_duplicateTracks; }
    void setDuplicateTracks(QList<Track> tracks);
    // Bumped on every assignment of the list: caches keyed on them stay valid until then.
    quint64 tracksRevision() const { return m_tracksRevision; }
    // The positions of the tracks whose contents alone changed in the last assignment of
    // `tracks` (a metadata batch): ids, addresses, order and section flags stayed. Null after
    // any other assignment.
    const std::optional<QList<qsizetype>> &contentOnlyChange() const { return m_contentOnlyChange; }
    // Changes with every assignment of `tracks` but a content-only one: while it stands, the
    // list holds the same tracks in the same places with the same flags.
    quint64 tracksMembershipRevision() const { return m_tracksMembershipRevision; }
    quint64 analysisTracksRevision() const { return m_analysisTracksRevision; }
    quint64 duplicateTracksRevision() const { return m_duplicateTracksRevision; }
    // The duplicate search's state; a change of its roots requests a workspace save.
    const DuplicateSearchState &duplicateSearch() const { return m_duplicateSearch; }
    void setDuplicateSearch(DuplicateSearchState state);

    const QSet<QUuid> &converterSelectedItemIDs() const { return m_converterSelectedItemIDs; }
    void setConverterSelectedItemIDs(QSet<QUuid> ids);
    std::optional<QUuid> converterFocusedItemID() const { return m_converterFocusedItemID; }
    void setConverterFocusedItemID(std::optional<QUuid> id);
    bool isSwitchingSections() const { return m_isSwitchingSections; }
    void setIsSwitchingSections(bool value);
    // What a failure shown in the error alert was about; the alert's title says it.
    enum class ErrorTopic { general, trash };
    std::optional<QString> lastError() const { return m_lastError; }
    ErrorTopic lastErrorTopic() const { return m_lastErrorTopic; }
    void setLastError(std::optional<QString> error, ErrorTopic topic = ErrorTopic::general);
    std::optional<QString> notice() const { return m_notice; }
    void setNotice(std::optional<QString> notice);
    std::optional<WorkspaceStatus> workspaceStatus() const { return m_workspaceStatus; }
    void setWorkspaceStatus(std::optional<WorkspaceStatus> status);
    bool isEditingMetadata() const { return m_isEditingMetadata; }
    void setIsEditingMetadata(bool value);
    const QSet<QUuid> &artworkWritingIDs() const { return m_artworkWritingIDs; }
    void setArtworkWritingIDs(QSet<QUuid> ids);

    // Favourites filters: persisted on change, exclusive of each other, prune the selection.
    QString favoriteGenreFilter() const { return m_favoriteGenreFilter; }
    void setFavoriteGenreFilter(const QString &filter);
    bool favoriteOnlyUntagged() const { return m_favoriteOnlyUntagged; }
    void setFavoriteOnlyUntagged(bool value);
    QString quickGenreSlotsRaw() const { return m_quickGenreSlotsRaw; }
    void setQuickGenreSlotsRaw(const QString &raw);
    QString recentGenresRaw() const { return m_recentGenresRaw; }
    void setRecentGenresRaw(const QString &raw);

    // Replaces the shown status line; it clears itself after `duration` seconds.
    void showStatus(const QString &message,
                    const QString &icon,
                    WorkspaceStatus::Tone tone,
                    double duration = 3.6);

    // Queues tempo estimation of library tracks and quality analysis of the analysis
    // section's tracks (analysis()); `retryFailed`: failed ones too, the user asked.
    void detectBPM(const QSet<QUuid> &ids);
    // The same for the tracks at these positions of `tracks()`.
    void detectBPM(QList<qsizetype> positions);
    void analyzeQuality(const QSet<QUuid> &ids, bool retryFailed = false);
    // The player's report of every change of its playing state; pauses quality analysis and
    // slows tempo estimation (playbackStateChanged).
    void playbackStateDidChange(bool isPlaying);

    // The player link (weak); set by the main window.
    AudioPlayer *audioPlayer() const { return m_audioPlayer.data(); }
    void setAudioPlayer(AudioPlayer *player);
    bool isAudioPlaying() const { return m_audioIsPlaying; }

signals:
    void tracksChanged();
    void selectedIDChanged();
    void selectedIDsChanged();
    void activeTabChanged();
    void conversionItemsChanged();
    void analysisTracksChanged();
    void duplicateTracksChanged();
    void duplicateSearchChanged();
    void converterSelectedItemIDsChanged();
    void converterFocusedItemIDChanged();
    void isSwitchingSectionsChanged();
    void lastErrorChanged();
    void noticeChanged();
    void workspaceStatusChanged();
    void isEditingMetadataChanged();
    void artworkWritingIDsChanged();
    void favoriteGenreFilterChanged();
    void favoriteOnlyUntaggedChanged();
    void quickGenreSlotsRawChanged();
    void recentGenresRawChanged();
    void playbackStateChanged(bool isPlaying);
    // Files whose waveform envelopes the playback side computes ahead of playing them.
    void waveformPreloadRequested(const QList<QUrl> &urls);
    // A file-name cleaning run finished its renames.
    void filenameCleaningFinished();
    // A snapshot was written to the user defaults (after encoding, on the main thread).
    void workspaceSessionSaved();

private:
    // The parts work on the published state directly, as the front's own code did.
    // setTracks for a list whose tracks at `changed` differ only in contents.
    void setTrackContents(QList<Track> tracks, QList<qsizetype> changed);

    friend class FavoriteMembership;
    friend class GenreEditing;
    friend class LibraryCleaner;
    friend class LibrarySections;
    friend class MetadataLoading;
    friend class TagWriting;
    friend class TrackImporter;
    friend class TrackRemoval;
    friend class WorkspaceSessionKeeper;

    // Every coroutine of the store and its parts takes one before its first suspension.
    StoreLifetimeGuard lifetimeGuard() { return StoreLifetimeGuard(this, m_lifetime); }
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);

    LibraryStoreServices m_services;
    LibrarySettings m_settings;
    AnalysisQueues m_analysis;
    QPointer<AudioPlayer> m_audioPlayer;
    bool m_audioIsPlaying = false;
    ScheduledWork m_statusClearWorkItem;

    QList<Track> m_tracks;
    std::optional<QUuid> m_selectedID;
    QSet<QUuid> m_selectedIDs;
    LibraryTab m_activeTab = LibraryTab::playlist;
    QList<ConversionItem> m_conversionItems;
    QList<Track> m_analysisTracks;
    QList<Track> m_duplicateTracks;
    DuplicateSearchState m_duplicateSearch;
    QSet<QUuid> m_converterSelectedItemIDs;
    std::optional<QUuid> m_converterFocusedItemID;
    bool m_isSwitchingSections = false;
    std::optional<QString> m_lastError;
    ErrorTopic m_lastErrorTopic = ErrorTopic::general;
    std::optional<QString> m_notice;
    std::optional<WorkspaceStatus> m_workspaceStatus;
    bool m_isEditingMetadata = false;
    QSet<QUuid> m_artworkWritingIDs;
    // Read once at start, written back on change.
    QString m_favoriteGenreFilter;
    bool m_favoriteOnlyUntagged = false;
    QString m_quickGenreSlotsRaw;
    QString m_recentGenresRaw;
    // A chunked import re-indexes a list only when something else assigned it meanwhile.
    quint64 m_tracksRevision = 0;
    // Raised by every assignment of `tracks` except a content-only one.
    quint64 m_tracksMembershipRevision = 0;
    std::optional<QList<qsizetype>> m_contentOnlyChange;
    quint64 m_analysisTracksRevision = 0;
    quint64 m_duplicateTracksRevision = 0;

    // Declared last: built after the state they read, and gone before it.
    std::unique_ptr<LibrarySections> m_sections;
    std::unique_ptr<MetadataLoading> m_metadataLoading;
    std::unique_ptr<WorkspaceSessionKeeper> m_session;
    std::unique_ptr<TrackImporter> m_importer;
    std::unique_ptr<TagWriting> m_tagWriting;
    std::unique_ptr<TrackRemoval> m_removal;
    std::unique_ptr<FavoriteMembership> m_favorites;
    std::unique_ptr<GenreEditing> m_genreEditing;
    std::unique_ptr<LibraryCleaner> m_cleaner;
};

} // namespace brivello
