#include "LibraryStore.h"

#include "library/AudioPlayer.h"
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibraryCleaner.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/MetadataLoading.h"
#include "library/TagWriting.h"
#include "library/TrackImporter.h"
#include "library/TrackRemoval.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

namespace brivello {

LibraryStore::LibraryStore(Defaults &defaults, LibraryStoreServices services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_settings(defaults)
    , m_sections(std::make_unique<LibrarySections>(*this))
    , m_metadataLoading(std::make_unique<MetadataLoading>(*this))
    , m_session(std::make_unique<WorkspaceSessionKeeper>(*this))
    , m_importer(std::make_unique<TrackImporter>(*this))
    , m_tagWriting(std::make_unique<TagWriting>(*this))
    , m_removal(std::make_unique<TrackRemoval>(*this))
    , m_favorites(std::make_unique<FavoriteMembership>(*this))
    , m_genreEditing(std::make_unique<GenreEditing>(*this))
    , m_cleaner(std::make_unique<LibraryCleaner>(*this))
{
    if (m_services.waveformPreloads)
        connect(this, &LibraryStore::waveformPreloadRequested, this, m_services.waveformPreloads);
    m_favoriteGenreFilter = m_settings.favoriteGenreFilter();
    m_favoriteOnlyUntagged = m_settings.favoriteOnlyUntagged();
    m_quickGenreSlotsRaw = m_settings.quickGenreSlotsRaw();
    m_recentGenresRaw = m_settings.recentGenresRaw();
    m_session->restoreWorkspaceSession();
}

LibraryStore::~LibraryStore()
{
    // Every coroutine of the store sees it gone from now on; those waiting for a metadata
    // load resume and end instead of staying suspended for ever.
    m_lifetime.reset();
    m_metadataLoading->wakeWaiters();
    // Pending work holds the store weakly through these handles; make sure none runs.
    m_session->cancelPendingSave();
    m_statusClearWorkItem.cancel();
}

// --- Snapshot lists: each assignment requests a save. ---

void LibraryStore::setTracks(QList<Track> tracks)
{
    m_tracks = std::move(tracks);
    ++m_tracksRevision;
    ++m_tracksMembershipRevision;
    m_contentOnlyChange.reset();
    emit tracksChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setTrackContents(QList<Track> tracks, QList<qsizetype> changed)
{
    m_tracks = std::move(tracks);
    ++m_tracksRevision;
    m_contentOnlyChange = std::move(changed);
    emit tracksChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setSelectedID(std::optional<QUuid> id)
{
    m_selectedID = id;
    emit selectedIDChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setSelectedIDs(QSet<QUuid> ids)
{
    m_selectedIDs = std::move(ids);
    emit selectedIDsChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setActiveTab(LibraryTab tab)
{
    m_activeTab = tab;
    emit activeTabChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setConversionItems(QList<ConversionItem> items)
{
    m_conversionItems = std::move(items);
    emit conversionItemsChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setAnalysisTracks(QList<Track> tracks)
{
    m_analysisTracks = std::move(tracks);
    ++m_analysisTracksRevision;
    emit analysisTracksChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setDuplicateTracks(QList<Track> tracks)
{
    m_duplicateTracks = std::move(tracks);
    ++m_duplicateTracksRevision;
    emit duplicateTracksChanged();
    m_session->scheduleWorkspaceSave();
}

void LibraryStore::setDuplicateSearch(DuplicateSearchState state)
{
    const bool rootsChanged = state.roots != m_duplicateSearch.roots;
    m_duplicateSearch = std::move(state);
    if (rootsChanged)
        m_duplicateSearch.hasSearched = false;
    emit duplicateSearchChanged();
    if (rootsChanged)
        m_session->scheduleWorkspaceSave();
}

// --- Published state without a save. ---

void LibraryStore::setLastError(std::optional<QString> error, ErrorTopic topic)
{
    m_lastError = std::move(error);
    m_lastErrorTopic = topic;
    emit lastErrorChanged();
}

#define BRIVELLO_PUBLISHED_SETTER(Setter, Type, member, signal)                                    \
    void LibraryStore::Setter(Type value)                                                          \
    {                                                                                              \
        member = std::move(value);                                                                 \
        emit signal();                                                                             \
    }

BRIVELLO_PUBLISHED_SETTER(setConverterSelectedItemIDs,
                          QSet<QUuid>,
                          m_converterSelectedItemIDs,
                          converterSelectedItemIDsChanged)
BRIVELLO_PUBLISHED_SETTER(setConverterFocusedItemID,
                          std::optional<QUuid>,
                          m_converterFocusedItemID,
                          converterFocusedItemIDChanged)
BRIVELLO_PUBLISHED_SETTER(setIsSwitchingSections,
                          bool,
                          m_isSwitchingSections,
                          isSwitchingSectionsChanged)
BRIVELLO_PUBLISHED_SETTER(setNotice, std::optional<QString>, m_notice, noticeChanged)
BRIVELLO_PUBLISHED_SETTER(setWorkspaceStatus,
                          std::optional<WorkspaceStatus>,
                          m_workspaceStatus,
                          workspaceStatusChanged)
BRIVELLO_PUBLISHED_SETTER(setIsEditingMetadata, bool, m_isEditingMetadata, isEditingMetadataChanged)
BRIVELLO_PUBLISHED_SETTER(setArtworkWritingIDs,
                          QSet<QUuid>,
                          m_artworkWritingIDs,
                          artworkWritingIDsChanged)

#undef BRIVELLO_PUBLISHED_SETTER

void LibraryStore::setAudioPlayer(AudioPlayer *player)
{
    if (m_audioPlayer)
        disconnect(m_audioPlayer, &AudioPlayer::isPlayingChanged, this, nullptr);
    m_audioPlayer = player;
    if (player) {
        connect(player, &AudioPlayer::isPlayingChanged, this, [this] {
            playbackStateDidChange(m_audioPlayer && m_audioPlayer->isPlaying());
        });
    }
}

// --- Status line. ---

void LibraryStore::showStatus(const QString &message,
                              const QString &icon,
                              WorkspaceStatus::Tone tone,
                              double duration)
{
    m_statusClearWorkItem.cancel();
    const WorkspaceStatus status{
        QUuid::createUuid(), icon, BrivelloLocalization::string(message), tone};
    setWorkspaceStatus(status);
    QPointer<LibraryStore> self(this);
    m_statusClearWorkItem = m_services.schedulerService().after(duration, [self, id = status.id] {
        if (self && self->m_workspaceStatus && self->m_workspaceStatus->id == id)
            self->setWorkspaceStatus(std::nullopt);
    });
}

// --- Favourites filters. ---

void LibraryStore::setFavoriteGenreFilter(const QString &filter)
{
    m_favoriteGenreFilter = filter;
    emit favoriteGenreFilterChanged();
    m_settings.setFavoriteGenreFilter(filter);
    if (!filter.isEmpty() && m_favoriteOnlyUntagged)
        setFavoriteOnlyUntagged(false);
    m_sections->pruneSelectionToVisible();
    NotificationCenter::defaultCenter().post(brivelloFavoriteGenreFilterDidChange, this);
}

void LibraryStore::setFavoriteOnlyUntagged(bool value)
{
    m_favoriteOnlyUntagged = value;
    emit favoriteOnlyUntaggedChanged();
    m_settings.setFavoriteOnlyUntagged(value);
    if (value && !m_favoriteGenreFilter.isEmpty())
        setFavoriteGenreFilter(QString());
    m_sections->pruneSelectionToVisible();
    NotificationCenter::defaultCenter().post(brivelloFavoriteGenreFilterDidChange, this);
}

void LibraryStore::setQuickGenreSlotsRaw(const QString &raw)
{
    m_quickGenreSlotsRaw = raw;
    emit quickGenreSlotsRawChanged();
    m_settings.setQuickGenreSlotsRaw(raw);
}

void LibraryStore::setRecentGenresRaw(const QString &raw)
{
    m_recentGenresRaw = raw;
    emit recentGenresRawChanged();
    m_settings.setRecentGenresRaw(raw);
}

void LibraryStore::detectBPM(const QSet<QUuid> &ids)
{
    m_analysis.detectBPM(m_tracks, ids);
}

void LibraryStore::detectBPM(QList<qsizetype> positions)
{
    m_analysis.detectBPM(m_tracks, std::move(positions));
}

void LibraryStore::analyzeQuality(const QSet<QUuid> &ids, bool retryFailed)
{
    m_analysis.analyzeQuality(m_analysisTracks, ids, retryFailed);
}

void LibraryStore::playbackStateDidChange(bool isPlaying)
{
    if (m_audioIsPlaying == isPlaying)
        return;
    m_audioIsPlaying = isPlaying;
    emit playbackStateChanged(isPlaying);
}

} // namespace brivello
