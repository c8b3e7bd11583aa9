#pragma once

#include "audiofiles/LoadedTrackMetadata.h"
#include "library/AnalysisQueues.h"
#include "library/AudioPlayer.h"
#include "library/DuplicateSearchState.h"
#include "library/FavoriteMembershipCommand.h"
#include "library/FavoriteOrder.h"
#include "library/LibrarySettings.h"
#include "library/LibraryStoreServices.h"
#include "library/MetadataLoadLedger.h"
#include "library/RemovalHistory.h"
#include "library/StoreLifetimeGuard.h"
#include "platform/Scheduler.h"
#include "records/AudioDuplicateGroup.h"
#include "records/ConversionItem.h"
#include "records/LibraryTab.h"
#include "records/Track.h"
#include "records/WorkspaceStatus.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

QT_FORWARD_DECLARE_CLASS(QUndoStack)

namespace brivello {

struct AudioQualityAnalysis;
struct WorkspaceSession;
class WriteError;

// The one model of the application: every section's tracks, the selections, the status line
// and the store's settings. Main thread only; created once by the application and never torn
// down before the process ends. Its parts: settings() (LibrarySettings, the key table),
// analysis() (AnalysisQueues: analyses, tempo estimates, work queues), the metadata load
// ledger (MetadataLoadLedger), the removal history (RemovalHistory), the favourites order
// (FavoriteOrder) and the duplicate search state (DuplicateSearchState); its services come
// through the constructor (LibraryStoreServices). Imports, snapshot, sections, removal,
// favourites, genres and the cleaner are still the front's own, in LibraryStore*.cpp.
class LibraryStore : public QObject
{
    Q_OBJECT
public:
    using LibraryTab = brivello::LibraryTab;
    using WorkspaceStatus = brivello::WorkspaceStatus;

    struct SelectionState
    {
        QSet<QUuid> ids;
        std::optional<QUuid> focusedID;
    };

    struct PlaylistOrderSignature
    {
        QUuid id;
        QUrl url;
        bool operator==(const PlaylistOrderSignature &other) const = default;
    };

    // The list a metadata load writes its results into (MetadataDestination.h).
    using MetadataDestination = brivello::MetadataDestination;

    // One entry of a removal batch (RemovalHistory.h).
    using RemovedTrack = brivello::RemovedTrack;

    using ImportCompletion = std::function<void(const QList<QUuid> &)>;

    // Reads the settings from `defaults` and restores the workspace snapshot kept there.
    explicit LibraryStore(Defaults &defaults,
                          LibraryStoreServices services = {},
                          QObject *parent = nullptr);
    ~LibraryStore() override;

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
    quint64 duplicateTracksRevision() const { return m_duplicateTracksRevision; }
    // The duplicate search's state (DuplicateSearchState.h); a change of its roots requests a
    // workspace save.
    const DuplicateSearchState &duplicateSearch() const { return m_duplicateSearch; }
    void setDuplicateSearch(DuplicateSearchState state);

    const QSet<QUuid> &converterSelectedItemIDs() const { return m_converterSelectedItemIDs; }
    void setConverterSelectedItemIDs(QSet<QUuid> ids);
    std::optional<QUuid> converterFocusedItemID() const { return m_converterFocusedItemID; }
    void setConverterFocusedItemID(std::optional<QUuid> id);
    bool isSwitchingSections() const { return m_isSwitchingSections; }
    void setIsSwitchingSections(bool value);
    std::optional<QString> lastError() const { return m_lastError; }
    void setLastError(std::optional<QString> error);
    std::optional<QString> notice() const { return m_notice; }
    void setNotice(std::optional<QString> notice);
    std::optional<WorkspaceStatus> workspaceStatus() const { return m_workspaceStatus; }
    void setWorkspaceStatus(std::optional<WorkspaceStatus> status);
    bool isEditingMetadata() const { return m_isEditingMetadata; }
    void setIsEditingMetadata(bool value);

    // The analysis bookkeeping and its work queues (AnalysisQueues.h).
    using QualityAnalyses = AnalysisQueues::QualityAnalyses;
    using QualityFailures = AnalysisQueues::QualityFailures;
    AnalysisQueues &analysis() { return m_analysis; }
    const AnalysisQueues &analysis() const { return m_analysis; }
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

    // The settings table (LibrarySettings.h): every read goes to the user defaults.
    LibrarySettings &settings() { return m_settings; }
    const LibrarySettings &settings() const { return m_settings; }
    // The services the store was built with (LibraryStoreServices.h); its parts use them too.
    const LibraryStoreServices &services() const { return m_services; }

    // --- Status line: replaces the shown line and clears itself after `duration` seconds.
    void showStatus(const QString &message,
                    const QString &icon,
                    WorkspaceStatus::Tone tone,
                    double duration = 3.6);

    // --- Section lists and selection. ---
    QList<Track> playlistTracks() const;
    QList<Track> favoriteTracks() const;
    QList<Track> coverTracks() const;
    QList<Track> visibleTracks() const;
    QSet<QUuid> activeSelection() const;
    std::optional<Track> selectedTrack() const;
    QList<Track> tracksForSelection(LibraryTab tab) const;
    void rememberSelection(LibraryTab tab);
    SelectionState selectionState(LibraryTab tab);
    const QHash<QString, SelectionState> &selectionStatesByTab() const
    {
        return m_selectionStatesByTab;
    }
    // Folder path, then file name, natural order (case-insensitive, digits by value).
    static bool playlistFolderOrder(const Track &a, const Track &b);

    // --- Workspace snapshot. ---
    // Saves at once: the snapshot is encoded and stored before this returns. Called when
    // the window deactivates or closes and on quit, so no recent change is lost.
    void saveWorkspaceSessionNow();
    // Debounced request: a background save 0.35 s after the last request.
    void scheduleWorkspaceSave();
    // Takes the snapshot now, encodes it off the main thread and stores it unless a newer
    // snapshot was taken meanwhile.
    QCoro::Task<> saveWorkspaceSessionInBackground();
    bool isRestoringWorkspaceSession() const { return m_isRestoringWorkspaceSession; }
    bool hasPendingWorkspaceSave() const { return m_sessionSaveWorkItem.isPending(); }

    // --- Imports (addresses may mix files and folders). Results arrive on the main thread.
    // Sorted (natural path order), repeat-free list of files whose lower-cased extension is in
    // `types`. Pure; runs on any thread.
    static QList<QUrl> audioURLs(const QList<QUrl> &urls, const QSet<QString> &types);
    static const QSet<QString> &playlistExtensions();
    static const QSet<QString> &converterExtensions();
    static constexpr int kImportChunkSize = 200;

    // Completion gets the ids of known files (path order) followed by the new tracks' ids.
    QList<QUuid> importURLs(const QList<QUrl> &urls, ImportCompletion completion = {});
    QList<QUuid> importForCovers(const QList<QUrl> &urls, ImportCompletion completion = {});
    void importForAnalysis(const QList<QUrl> &urls);
    void importForConversion(const QList<QUrl> &urls);
    void importDuplicateSearchURLs(const QList<QUrl> &urls);
    // The awaitable forms of the imports above, for callers that sequence on them.
    QCoro::Task<QList<QUuid>> importURLsAsync(QList<QUrl> urls);
    QCoro::Task<QList<QUuid>> importForCoversAsync(QList<QUrl> urls);
    QCoro::Task<> importForAnalysisAsync(QList<QUrl> urls);
    QCoro::Task<> importForConversionAsync(QList<QUrl> urls);
    QCoro::Task<> importDuplicateSearchURLsAsync(QList<QUrl> urls);

    // --- Neighbour entry points. ---
    // Drops the ids, and the duplicate workspace's tracks of the given files, from the groups.
    void pruneDuplicateGroups(const QSet<QUuid> &removing, const QSet<QUrl> &removedFiles = {});
    // Plays on past a removed current track of `seen` (the list before the removal).
    void continuePlaybackAfterRemoving(const QSet<QUuid> &removed, const QList<Track> &seen);
    // Hands at most the first three addresses to the waveform preloader
    // (waveformPreloadRequested, on a later turn of the event loop).
    void preloadWaveforms(const QList<QUrl> &urls);
    void preloadWaveform(const QUrl &url);
    // Queues tempo estimation of library tracks and quality analysis of the analysis
    // section's tracks (analysis()); `retryFailed`: failed ones too, the user asked.
    void detectBPM(const QSet<QUuid> &ids);
    void analyzeQuality(const QSet<QUuid> &ids, bool retryFailed = false);
    // The player's report of every change of its playing state; pauses quality analysis and
    // slows tempo estimation (playbackStateChanged).
    void playbackStateDidChange(bool isPlaying);

    // Reads the files' metadata in the background and applies it to the destination list.
    void scheduleMetadataLoads(const QList<Track> &tracks, MetadataDestination destination);
    // Counts a metadata load the store does not run itself (the duplicate finder's) as one of
    // its load operations for as long as it lives, so snapshot saves wait for its end too.
    class MetadataLoadScope
    {
    public:
        explicit MetadataLoadScope(LibraryStore &store);
        ~MetadataLoadScope();
        MetadataLoadScope(const MetadataLoadScope &) = delete;
        MetadataLoadScope &operator=(const MetadataLoadScope &) = delete;

    private:
        QPointer<LibraryStore> m_store;
    };

    // --- Tag writes (LibraryStoreWriting.cpp). The store changes first; files are rewritten
    // later, each under its lock, and a failure becomes lastError (a missing file is silent).
    struct TagWriteItem
    {
        AudioTags tags;
        QUrl url;
    };
    void save(const AudioTags &tags, const QUuid &trackID);
    // One file after another; only the first failure is reported, after the last file.
    void writeBatch(QList<TagWriteItem> items, bool removeArtwork);
    QCoro::Task<> writeBatchAsync(QList<TagWriteItem> items, bool removeArtwork);
    // The task behind save(): once the track's pending metadata load is applied, writes the
    // tags and to the address the store holds for the track at that moment.
    QCoro::Task<> writeTrackTags(QUuid trackID, bool removeArtwork);

    // --- Removals, the Trash and their undo (LibraryStoreRemoval.cpp). Playlist removals and
    // moves to the Trash go into the removal history; undoLastRemoval() unwinds one batch.
    void removeTracksFromPlaylist(const QSet<QUuid> &ids);
    void trashTracks(const QSet<QUuid> &ids);
    void removeFromAnalysis(const QSet<QUuid> &ids);
    void removeFromCoverWorkspace(const QSet<QUuid> &ids);
    void undoLastRemoval();
    bool canUndoPhysicalTrash() const;

    // --- Favourites and section membership (LibraryStoreFavorites.cpp). A null undo stack
    // means the window's (setWindowUndoStack), when there is one.
    void toggleFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void addToFavorites(const QSet<QUuid> &ids);
    void removeFromFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void addTracksToAnalysis(const QSet<QUuid> &ids);
    int addTracksToConversion(const QSet<QUuid> &ids);
    void openInFinder(const QSet<QUuid> &ids);
    void setWindowUndoStack(QUndoStack *stack);

    // --- Genres (LibraryStoreGenres.cpp). Edits act on favourites only; the undo stack is
    // optional.
    QStringList genres() const;
    QStringList quickGenreSlots() const;
    void setQuickGenre(const QString &genre, int index);
    QStringList recentGenres() const;
    void recordRecentGenre(const QString &genre);
    QStringList favoriteGenreOptions() const;
    QStringList genreSuggestions(const QSet<QUuid> &ids) const;
    void assignGenre(const QString &genre, const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void clearGenres(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void normalizeGenreList();

    // --- Cleaner (LibraryStoreCleaner.cpp). An empty id set means the active selection.
    void runConfiguredCleaner();
    // The configured cleaner on `ids` (library tracks); nothing for an empty set.
    void runConfiguredCleaner(const QSet<QUuid> &ids);
    void clearTags(const QSet<QUuid> &ids, bool removeBPMAndKey);
    // Renames under each file's write lock, so it finishes after the pending writes.
    QCoro::Task<> cleanFilenames(QSet<QUuid> ids, bool removeBPMAndKey);

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
    // Every coroutine of the store takes one before its first suspension.
    StoreLifetimeGuard lifetimeGuard() { return StoreLifetimeGuard(this, m_lifetime); }
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);

    // Tag writes (LibraryStoreWriting.cpp).
    void reportWriteError(const WriteError &error);
    // The tags the store now holds for the library file at `url`, else `fallback`.
    AudioTags currentTags(const QUrl &url, const AudioTags &fallback) const;

    // Removals, favourites, genres and the cleaner (the LibraryStore*.cpp files of each).
    QUuid reinsertRemovedTrack(QList<Track> &tracks, const RemovedTrack &entry);
    FavoriteMembershipStates favoriteMembershipStates(const QSet<QUuid> &ids) const;
    void applyFavoriteMembershipStates(const FavoriteMembershipStates &states);
    void registerFavoriteMembershipUndo(const FavoriteMembershipStates &previous,
                                        const FavoriteMembershipStates &replacement,
                                        QUndoStack *undoStack);
    QList<Track> favouritesAmong(const QSet<QUuid> &ids) const;
    void showNoFavouriteSelected();
    void applyGenreValues(const QHash<QUuid, QString> &values);
    void registerGenreUndo(const QHash<QUuid, QString> &previous,
                           const QHash<QUuid, QString> &replacement,
                           const QString &actionName,
                           QUndoStack *undoStack);
    QCoro::Task<> renameCleanedFiles(QSet<QUuid> ids, bool removeBPMAndKey, bool tagsCleared);
    QPointer<QUndoStack> m_windowUndoStack;

    void pruneSelectionToVisible();
    WorkspaceSession makeWorkspaceSession();
    void restoreWorkspaceSession();
    void preserveUnreadableSnapshot();
    void startMetadataLoads(const QList<Track> &tracks, MetadataDestination destination);

    // A walk's result with each address's position in `tracks` (-1: new), found off the main
    // thread against a copy of the list; valid while `tracks` keeps that revision.
    struct ExpandedImport
    {
        QList<QUrl> urls;
        QList<qsizetype> positions;
        quint64 revision = 0;
    };
    QCoro::Task<ExpandedImport> expandForLibrary(QList<QUrl> urls);
    void locateInLibrary(ExpandedImport &expanded) const;
    // Raises `flag` on the tracks the library already holds; the other addresses are new.
    struct ImportSplit
    {
        QList<QUuid> knownIDs;
        QList<QUrl> newURLs;
    };
    ImportSplit flagKnownTracks(ExpandedImport &expanded, bool Track::*flag);
    QCoro::Task<QList<QUuid>> completePlaylistImport(ExpandedImport expanded);
    QCoro::Task<QList<QUuid>> finishImport(QList<QUrl> urls);
    QCoro::Task<QList<QUuid>> completeCoverImport(ExpandedImport expanded);
    QCoro::Task<> completeAnalysisImport(QList<QUrl> urls);
    QCoro::Task<> finishAnalysisImport(QList<QUrl> urls);
    void completeConversionImport(const QList<QUrl> &urls);
    enum class ChunkTarget { playlist, covers, analysis, duplicates };
    struct ChunkedAppend
    {
        QList<QUuid> ids;     // one per address, in order (a re-found track keeps its id)
        QList<Track> created; // the tracks actually made
    };
    QCoro::Task<ChunkedAppend> appendTracksInChunks(QList<QUrl> urls, ChunkTarget target);
    // Appends new library tracks and starts their metadata and waveform loads.
    QCoro::Task<ChunkedAppend> appendLibraryTracks(QList<QUrl> urls, ChunkTarget target);
    QList<Track> &listFor(ChunkTarget target);
    quint64 revisionOf(ChunkTarget target) const;
    void assignList(ChunkTarget target, QList<Track> list);

    // Snapshot saving.
    ScheduledWork m_sessionSaveWorkItem;
    qint64 m_workspaceSaveRevision = 0;
    ScheduledWork m_statusClearWorkItem;
    bool m_isRestoringWorkspaceSession = false;
    // Metadata loading (owned by the metadata load helper, LibraryStoreMetadata.cpp).
    bool m_isApplyingMetadataBatch = false;
    struct MetadataLoadEntry
    {
        QUuid id;
        QUrl url;
        AudioTags tags; // as scheduled: the fallback, and the base of the per-field merge
    };
    struct PendingMetadataResult
    {
        QUuid id;
        QUrl url;
        AudioTags scheduledTags;
        LoadedTrackMetadata metadata;
        QImage artwork; // decoded off the main thread
    };
    static constexpr int kMetadataBatchSize = 50;
    MetadataLoadLedger m_metadataLoads;
    // Ends once no library load of `url` is due (or the store is gone).
    QCoro::Task<> libraryLoadsSettled(QUrl url);
    // Ends one load operation; the last one to end requests the snapshot save.
    void finishMetadataLoadOperation();
    QCoro::Task<> runMetadataLoads(QList<MetadataLoadEntry> entries,
                                   MetadataDestination destination);
    void applyMetadataBatch(const QList<PendingMetadataResult> &batch,
                            MetadataDestination destination);

    LibraryStoreServices m_services;
    LibrarySettings m_settings;
    QHash<QString, SelectionState> m_selectionStatesByTab;
    QPointer<AudioPlayer> m_audioPlayer;
    bool m_audioIsPlaying = false;

    QList<Track> m_tracks;
    std::optional<QUuid> m_selectedID;
    QSet<QUuid> m_selectedIDs;
    LibraryTab m_activeTab = LibraryTab::playlist;
    QSet<QUuid> m_converterSelectedItemIDs;
    std::optional<QUuid> m_converterFocusedItemID;
    bool m_isSwitchingSections = false;
    std::optional<QString> m_lastError;
    std::optional<QString> m_notice;
    std::optional<WorkspaceStatus> m_workspaceStatus;
    bool m_isEditingMetadata = false;
    QList<ConversionItem> m_conversionItems;
    QList<Track> m_analysisTracks;

    // Background analysis bookkeeping (the workers belong to the analysis subsystem).
    AnalysisQueues m_analysis;
    QSet<QUuid> m_artworkWritingIDs;

    // Playlist order cache: valid while the members' ids, urls and library order are unchanged.
    mutable QList<PlaylistOrderSignature> m_cachedPlaylistOrderSignature;
    mutable QList<QUuid> m_cachedPlaylistOrderIDs;
    // The ordered list itself, valid while `tracks` was not assigned since.
    mutable QList<Track> m_cachedPlaylistTracks;
    mutable std::optional<quint64> m_cachedPlaylistTracksRevision;
    mutable FavoriteOrder m_favoriteOrder;

    // Duplicate finder.
    QList<Track> m_duplicateTracks;
    DuplicateSearchState m_duplicateSearch;

    // Read once at start, written back on change.
    QString m_favoriteGenreFilter;
    bool m_favoriteOnlyUntagged = false;
    QString m_quickGenreSlotsRaw;
    QString m_recentGenresRaw;

    // Removals and their undo (unbounded, not persisted).
    RemovalHistory m_removalHistory;

    // Bumped on every assignment of the list; a chunked import re-indexes a list only when
    // something else assigned it while the import waited.
    quint64 m_tracksRevision = 0;
    quint64 m_analysisTracksRevision = 0;
    quint64 m_duplicateTracksRevision = 0;
};

} // namespace brivello
