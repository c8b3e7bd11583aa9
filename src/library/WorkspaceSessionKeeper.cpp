#include "WorkspaceSessionKeeper.h"

#include "library/AudioFileWalk.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"
#include "library/TrackImporter.h"
#include "library/WorkspaceSession.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"

#include <QCoroFuture>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent>

namespace brivello {

namespace {

constexpr double kWorkspaceSaveDelay = 0.35;

bool exists(const QUrl &url)
{
    return LocalFile::exists(url);
}

QList<Track> existingTracks(const QList<WorkspaceSession::SessionTrack> &stored)
{
    QList<Track> tracks;
    tracks.reserve(stored.size());
    for (const WorkspaceSession::SessionTrack &track : stored) {
        if (exists(track.url))
            tracks.append(track.toTrack());
    }
    return tracks;
}

template <typename Value>
QHash<QUuid, Value> keepKnown(const QHash<QUuid, Value> &map, const QSet<QUuid> &known)
{
    QHash<QUuid, Value> kept;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (known.contains(it.key()))
            kept.insert(it.key(), it.value());
    }
    return kept;
}

} // namespace

WorkspaceSessionKeeper::WorkspaceSessionKeeper(LibraryStore &store)
    : m_store(store)
{}

// The pending save holds the store weakly; make sure it never runs.
WorkspaceSessionKeeper::~WorkspaceSessionKeeper()
{
    m_sessionSaveWorkItem.cancel();
}

void WorkspaceSessionKeeper::scheduleWorkspaceSave()
{
    // Loaded metadata requests no save of its own (the last load to end asks for one), so a
    // long load writes nothing by itself while the user's changes made meanwhile still are.
    if (m_isRestoringWorkspaceSession || m_store.metadataLoading().isApplyingBatch())
        return;
    m_sessionSaveWorkItem.cancel();
    QPointer<LibraryStore> self(&m_store);
    m_sessionSaveWorkItem =
        m_store.m_services.schedulerService().after(kWorkspaceSaveDelay, [self] {
            if (self)
                self->session().saveWorkspaceSessionInBackground();
        });
}

WorkspaceSession WorkspaceSessionKeeper::makeWorkspaceSession()
{
    m_store.sections().rememberSelection(m_store.m_activeTab);
    WorkspaceSession session;
    session.tracks.reserve(m_store.m_tracks.size());
    for (const Track &track : std::as_const(m_store.m_tracks))
        session.tracks.append(WorkspaceSession::SessionTrack::from(track));
    session.selectedID = m_store.m_selectedID;
    session.selectedIDs = m_store.m_selectedIDs.values();
    session.activeTab = rawValue(m_store.m_activeTab);
    QHash<QString, QList<QUuid>> selections;
    QHash<QString, QUuid> focused;
    for (auto it = m_store.sections().selectionStatesByTab().cbegin();
         it != m_store.sections().selectionStatesByTab().cend();
         ++it) {
        selections.insert(it.key(), it.value().ids.values());
        if (it.value().focusedID)
            focused.insert(it.key(), *it.value().focusedID);
    }
    session.tabSelectionIDs = selections;
    session.tabFocusedIDs = focused;
    const std::optional<QUuid> playing =
        m_store.m_audioPlayer ? m_store.m_audioPlayer->currentID() : std::nullopt;
    session.resumeTrackID = playing ? playing : m_store.m_selectedID;
    for (const ConversionItem &item : std::as_const(m_store.m_conversionItems))
        session.conversionURLs.append(item.url);
    QList<WorkspaceSession::SessionTrack> analysis;
    for (const Track &track : std::as_const(m_store.m_analysisTracks))
        analysis.append(WorkspaceSession::SessionTrack::from(track));
    session.analysisTracks = analysis;
    session.duplicateRoots = m_store.m_duplicateSearch.roots;
    for (const Track &track : std::as_const(m_store.m_duplicateTracks))
        session.duplicateTracks.append(WorkspaceSession::SessionTrack::from(track));
    session.estimatedBPMByTrackID = m_store.m_analysis.estimatedBPMByTrackID();
    session.estimatedBPMConfidenceByTrackID = m_store.m_analysis.estimatedBPMConfidenceByTrackID();
    return session;
}

void WorkspaceSessionKeeper::saveWorkspaceSessionNow()
{
    m_sessionSaveWorkItem.cancel();
    if (m_isRestoringWorkspaceSession)
        return;
    const WorkspaceSession session = makeWorkspaceSession();
    // A newer snapshot: any background encoding still running will be dropped.
    ++m_workspaceSaveRevision;
    if (m_store.m_settings.defaults().setData(kWorkspaceSessionKey, session.encode()))
        emit m_store.workspaceSessionSaved();
}

QCoro::Task<> WorkspaceSessionKeeper::saveWorkspaceSessionInBackground()
{
    m_sessionSaveWorkItem.cancel();
    if (m_isRestoringWorkspaceSession)
        co_return;
    // Held by a shared pointer: the pool thread reads it, and no temporary with a destructor
    // sits inside the awaited expression (GCC 12 mishandles those in coroutines).
    const auto snapshot = std::make_shared<const WorkspaceSession>(makeWorkspaceSession());
    const qint64 revision = ++m_workspaceSaveRevision;
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    QFuture<QByteArray> encoding = QtConcurrent::run([snapshot] { return snapshot->encode(); });
    const QByteArray bytes = co_await encoding;
    // Stored from the event loop even when the encoding was already done: never inside the
    // caller, whose next change would otherwise be saved by a second, overlapping request.
    co_await Scheduler::yield();
    if (!guard.alive() || m_workspaceSaveRevision != revision || bytes.isEmpty())
        co_return;
    if (m_store.m_settings.defaults().setData(kWorkspaceSessionKey, bytes))
        emit m_store.workspaceSessionSaved();
}

void WorkspaceSessionKeeper::preserveUnreadableSnapshot()
{
    // Keep the user's data for inspection before the first save of this run replaces it.
    const QString path = m_store.m_settings.defaults().dataPath(kWorkspaceSessionKey);
    if (!QFileInfo::exists(path))
        return;
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    // A file that cannot even be opened cannot be copied: move it aside instead.
    if (!QFile::copy(path, target))
        QFile::rename(path, target);
}

void WorkspaceSessionKeeper::restoreWorkspaceSession()
{
    const QByteArray bytes = m_store.m_settings.defaults().data(kWorkspaceSessionKey);
    if (bytes.isEmpty()) {
        // A snapshot that is there but cannot be read would be replaced by the first save.
        if (QFileInfo(m_store.m_settings.defaults().dataPath(kWorkspaceSessionKey)).size() > 0)
            preserveUnreadableSnapshot();
        return;
    }
    const std::optional<WorkspaceSession> session = WorkspaceSession::decode(bytes);
    if (!session) {
        preserveUnreadableSnapshot();
        return;
    }
    m_isRestoringWorkspaceSession = true;

    m_store.setTracks(existingTracks(session->tracks));
    const QSet<QUuid> libraryIDs = idSetOf(m_store.m_tracks);
    m_store.m_analysis.setEstimatedBPMByTrackID(
        keepKnown(session->estimatedBPMByTrackID.value_or(QHash<QUuid, QString>{}), libraryIDs));
    m_store.m_analysis.setEstimatedBPMConfidenceByTrackID(keepKnown(
        session->estimatedBPMConfidenceByTrackID.value_or(QHash<QUuid, double>{}), libraryIDs));

    QList<ConversionItem> items;
    for (const QUrl &url : session->conversionURLs) {
        if (exists(url))
            items.append(ConversionItem{QUuid::createUuid(), url, {}, std::nullopt});
    }
    m_store.setConversionItems(items);
    m_store.setAnalysisTracks(
        existingTracks(session->analysisTracks.value_or(QList<WorkspaceSession::SessionTrack>{})));
    // Snapshots from before roots were standardised may hold "/a/b/" beside "/a/b".
    QList<QUrl> roots;
    for (const QUrl &stored : session->duplicateRoots) {
        const QUrl url = AudioFileWalk::standardized(stored);
        if (exists(url) && !roots.contains(url))
            roots.append(url);
    }
    DuplicateSearchState search = m_store.m_duplicateSearch;
    search.roots = roots;
    m_store.setDuplicateSearch(std::move(search));
    m_store.setDuplicateTracks(existingTracks(session->duplicateTracks));
    m_store.setActiveTab(libraryTab(session->activeTab).value_or(LibraryTab::playlist));

    QSet<QUuid> known = libraryIDs;
    for (const Track &track : std::as_const(m_store.m_analysisTracks))
        known.insert(track.id);
    for (const Track &track : std::as_const(m_store.m_duplicateTracks))
        known.insert(track.id);
    const auto knownState = [&known](const QList<QUuid> &ids, std::optional<QUuid> focus) {
        LibrarySections::SelectionState state;
        for (const QUuid &id : ids) {
            if (known.contains(id))
                state.ids.insert(id);
        }
        if (focus && known.contains(*focus))
            state.focusedID = focus;
        return state;
    };
    m_store.sections().selectionStatesByTab().clear();
    const QHash<QString, QUuid> focusedByTab =
        session->tabFocusedIDs.value_or(QHash<QString, QUuid>{});
    const auto storedSelections = session->tabSelectionIDs.value_or(QHash<QString, QList<QUuid>>{});
    for (auto it = storedSelections.cbegin(); it != storedSelections.cend(); ++it) {
        const auto focus = focusedByTab.contains(it.key())
                               ? std::optional<QUuid>(focusedByTab.value(it.key()))
                               : std::nullopt;
        m_store.sections().selectionStatesByTab().insert(it.key(), knownState(it.value(), focus));
    }
    const QString activeKey = rawValue(m_store.m_activeTab);
    if (!m_store.sections().selectionStatesByTab().contains(activeKey))
        m_store.sections().selectionStatesByTab().insert(
            activeKey, knownState(session->selectedIDs, session->selectedID));

    const LibrarySections::SelectionState entered =
        m_store.sections().selectionState(m_store.m_activeTab);
    const QSet<QUuid> selectable =
        idSetOf(m_store.sections().tracksForSelection(m_store.m_activeTab));
    if (session->resumeTrackID && selectable.contains(*session->resumeTrackID)) {
        const QUuid resume = *session->resumeTrackID;
        m_store.setSelectedIDs({resume});
        m_store.setSelectedID(resume);
        m_store.sections().selectionStatesByTab().insert(
            activeKey, LibrarySections::SelectionState{{resume}, resume});
    } else {
        m_store.setSelectedIDs(entered.ids);
        m_store.setSelectedID(entered.focusedID);
    }

    m_store.metadataLoading().startMetadataLoads(m_store.m_tracks, MetadataDestination::library);
    m_store.importer().preloadWaveforms(urlsOf(m_store.m_tracks));
    m_store.metadataLoading().startMetadataLoads(m_store.m_analysisTracks,
                                                 MetadataDestination::analysis);
    m_store.importer().preloadWaveforms(urlsOf(m_store.m_analysisTracks));
    m_store.metadataLoading().startMetadataLoads(m_store.m_duplicateTracks,
                                                 MetadataDestination::duplicates);
    m_isRestoringWorkspaceSession = false;
}

} // namespace brivello
