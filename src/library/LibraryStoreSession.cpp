#include "LibraryStore.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySettingsKeys.h"
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

void LibraryStore::scheduleWorkspaceSave()
{
    if (m_isRestoringWorkspaceSession || m_isApplyingMetadataBatch)
        return;
    // While files load, their results and the imports feeding them keep changing the lists, and
    // on a big library each debounced save rewrote megabytes; the last load to end saves once.
    if (m_metadataLoads.isLoading())
        return;
    m_sessionSaveWorkItem.cancel();
    QPointer<LibraryStore> self(this);
    m_sessionSaveWorkItem = m_services.schedulerService().after(kWorkspaceSaveDelay, [self] {
        if (self)
            self->saveWorkspaceSessionInBackground();
    });
}

WorkspaceSession LibraryStore::makeWorkspaceSession()
{
    rememberSelection(m_activeTab);
    WorkspaceSession session;
    session.tracks.reserve(m_tracks.size());
    for (const Track &track : std::as_const(m_tracks))
        session.tracks.append(WorkspaceSession::SessionTrack::from(track));
    session.selectedID = m_selectedID;
    session.selectedIDs = m_selectedIDs.values();
    session.activeTab = rawValue(m_activeTab);
    QHash<QString, QList<QUuid>> selections;
    QHash<QString, QUuid> focused;
    for (auto it = m_selectionStatesByTab.cbegin(); it != m_selectionStatesByTab.cend(); ++it) {
        selections.insert(it.key(), it.value().ids.values());
        if (it.value().focusedID)
            focused.insert(it.key(), *it.value().focusedID);
    }
    session.tabSelectionIDs = selections;
    session.tabFocusedIDs = focused;
    const std::optional<QUuid> playing = m_audioPlayer ? m_audioPlayer->currentID() : std::nullopt;
    session.resumeTrackID = playing ? playing : m_selectedID;
    for (const ConversionItem &item : std::as_const(m_conversionItems))
        session.conversionURLs.append(item.url);
    QList<WorkspaceSession::SessionTrack> analysis;
    for (const Track &track : std::as_const(m_analysisTracks))
        analysis.append(WorkspaceSession::SessionTrack::from(track));
    session.analysisTracks = analysis;
    session.duplicateRoots = m_duplicateSearch.roots;
    for (const Track &track : std::as_const(m_duplicateTracks))
        session.duplicateTracks.append(WorkspaceSession::SessionTrack::from(track));
    session.estimatedBPMByTrackID = m_analysis.estimatedBPMByTrackID();
    session.estimatedBPMConfidenceByTrackID = m_analysis.estimatedBPMConfidenceByTrackID();
    return session;
}

void LibraryStore::saveWorkspaceSessionNow()
{
    m_sessionSaveWorkItem.cancel();
    if (m_isRestoringWorkspaceSession)
        return;
    const WorkspaceSession session = makeWorkspaceSession();
    // A newer snapshot: any background encoding still running will be dropped.
    ++m_workspaceSaveRevision;
    if (m_settings.defaults().setData(kWorkspaceSessionKey, session.encode()))
        emit workspaceSessionSaved();
}

QCoro::Task<> LibraryStore::saveWorkspaceSessionInBackground()
{
    m_sessionSaveWorkItem.cancel();
    if (m_isRestoringWorkspaceSession)
        co_return;
    // Held by a shared pointer: the pool thread reads it, and no temporary with a destructor
    // sits inside the awaited expression (GCC 12 mishandles those in coroutines).
    const auto snapshot = std::make_shared<const WorkspaceSession>(makeWorkspaceSession());
    const qint64 revision = ++m_workspaceSaveRevision;
    const StoreLifetimeGuard guard = lifetimeGuard();
    QFuture<QByteArray> encoding = QtConcurrent::run([snapshot] { return snapshot->encode(); });
    const QByteArray bytes = co_await encoding;
    // Stored from the event loop even when the encoding was already done: never inside the
    // caller, whose next change would otherwise be saved by a second, overlapping request.
    co_await Scheduler::yield();
    if (!guard.alive() || m_workspaceSaveRevision != revision || bytes.isEmpty())
        co_return;
    if (m_settings.defaults().setData(kWorkspaceSessionKey, bytes))
        emit workspaceSessionSaved();
}

void LibraryStore::preserveUnreadableSnapshot()
{
    // Keep the user's data for inspection before the first save of this run replaces it.
    const QString path = m_settings.defaults().dataPath(kWorkspaceSessionKey);
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

void LibraryStore::restoreWorkspaceSession()
{
    const QByteArray bytes = m_settings.defaults().data(kWorkspaceSessionKey);
    if (bytes.isEmpty()) {
        // A snapshot that is there but cannot be read would be replaced by the first save.
        if (QFileInfo(m_settings.defaults().dataPath(kWorkspaceSessionKey)).size() > 0)
            preserveUnreadableSnapshot();
        return;
    }
    const std::optional<WorkspaceSession> session = WorkspaceSession::decode(bytes);
    if (!session) {
        preserveUnreadableSnapshot();
        return;
    }
    m_isRestoringWorkspaceSession = true;

    setTracks(existingTracks(session->tracks));
    const QSet<QUuid> libraryIDs = idSetOf(m_tracks);
    m_analysis.setEstimatedBPMByTrackID(
        keepKnown(session->estimatedBPMByTrackID.value_or(QHash<QUuid, QString>{}), libraryIDs));
    m_analysis.setEstimatedBPMConfidenceByTrackID(keepKnown(
        session->estimatedBPMConfidenceByTrackID.value_or(QHash<QUuid, double>{}), libraryIDs));

    QList<ConversionItem> items;
    for (const QUrl &url : session->conversionURLs) {
        if (exists(url))
            items.append(ConversionItem{QUuid::createUuid(), url, {}, std::nullopt});
    }
    setConversionItems(items);
    setAnalysisTracks(
        existingTracks(session->analysisTracks.value_or(QList<WorkspaceSession::SessionTrack>{})));
    QList<QUrl> roots;
    for (const QUrl &url : session->duplicateRoots) {
        if (exists(url))
            roots.append(url);
    }
    DuplicateSearchState search = m_duplicateSearch;
    search.roots = roots;
    setDuplicateSearch(std::move(search));
    setDuplicateTracks(existingTracks(session->duplicateTracks));
    setActiveTab(libraryTab(session->activeTab).value_or(LibraryTab::playlist));

    QSet<QUuid> known = libraryIDs;
    for (const Track &track : std::as_const(m_analysisTracks))
        known.insert(track.id);
    for (const Track &track : std::as_const(m_duplicateTracks))
        known.insert(track.id);
    const auto knownState = [&known](const QList<QUuid> &ids, std::optional<QUuid> focus) {
        SelectionState state;
        for (const QUuid &id : ids) {
            if (known.contains(id))
                state.ids.insert(id);
        }
        if (focus && known.contains(*focus))
            state.focusedID = focus;
        return state;
    };
    m_selectionStatesByTab.clear();
    const QHash<QString, QUuid> focusedByTab =
        session->tabFocusedIDs.value_or(QHash<QString, QUuid>{});
    const auto storedSelections = session->tabSelectionIDs.value_or(QHash<QString, QList<QUuid>>{});
    for (auto it = storedSelections.cbegin(); it != storedSelections.cend(); ++it) {
        const auto focus = focusedByTab.contains(it.key())
                               ? std::optional<QUuid>(focusedByTab.value(it.key()))
                               : std::nullopt;
        m_selectionStatesByTab.insert(it.key(), knownState(it.value(), focus));
    }
    const QString activeKey = rawValue(m_activeTab);
    if (!m_selectionStatesByTab.contains(activeKey))
        m_selectionStatesByTab.insert(activeKey,
                                      knownState(session->selectedIDs, session->selectedID));

    const SelectionState entered = selectionState(m_activeTab);
    const QSet<QUuid> selectable = idSetOf(tracksForSelection(m_activeTab));
    if (session->resumeTrackID && selectable.contains(*session->resumeTrackID)) {
        const QUuid resume = *session->resumeTrackID;
        setSelectedIDs({resume});
        setSelectedID(resume);
        m_selectionStatesByTab.insert(activeKey, SelectionState{{resume}, resume});
    } else {
        setSelectedIDs(entered.ids);
        setSelectedID(entered.focusedID);
    }

    startMetadataLoads(m_tracks, MetadataDestination::library);
    preloadWaveforms(urlsOf(m_tracks));
    startMetadataLoads(m_analysisTracks, MetadataDestination::analysis);
    preloadWaveforms(urlsOf(m_analysisTracks));
    startMetadataLoads(m_duplicateTracks, MetadataDestination::duplicates);
    m_isRestoringWorkspaceSession = false;
}

} // namespace brivello
