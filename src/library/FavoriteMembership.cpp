#include "FavoriteMembership.h"

#include "library/FavoriteMembershipCommand.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "library/TrackRemoval.h"
#include "platform/BrivelloLocalization.h"
#include "platform/FileReveal.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QUndoStack>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

void showCount(LibraryStore &store, const char *text, qsizetype count, const char *icon, Tone tone)
{
    store.showStatus(BrivelloLocalization::format(QString::fromUtf8(text), static_cast<int>(count)),
                     QString::fromLatin1(icon),
                     tone);
}

} // namespace

FavoriteMembership::FavoriteMembership(LibraryStore &store)
    : m_store(store)
{}

void FavoriteMembership::setWindowUndoStack(QUndoStack *stack)
{
    m_windowUndoStack = stack;
}

FavoriteMembershipStates FavoriteMembership::favoriteMembershipStates(const QSet<QUuid> &ids) const
{
    FavoriteMembershipStates states;
    for (const Track &track : m_store.m_tracks) {
        if (ids.contains(track.id))
            states.insert(track.id, {track.isFavorite, track.isInCoverWorkspace});
    }
    return states;
}

void FavoriteMembership::applyFavoriteMembershipStates(const FavoriteMembershipStates &states)
{
    if (states.isEmpty())
        return;
    QList<Track> updated = m_store.m_tracks;
    bool changed = false;
    for (Track &track : updated) {
        const auto entry = states.constFind(track.id);
        if (entry == states.cend())
            continue;
        if (track.isFavorite != entry->isFavorite ||
            track.isInCoverWorkspace != entry->isInCoverWorkspace) {
            track.isFavorite = entry->isFavorite;
            track.isInCoverWorkspace = entry->isInCoverWorkspace;
            changed = true;
        }
    }
    if (changed)
        m_store.setTracks(std::move(updated));

    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (m_store.m_activeTab != LibraryTab::favorites) {
        center.post(brivelloFavoriteMembershipDidChange);
        return;
    }
    // In the favourites section the selection follows the change.
    QSet<QUuid> removed;
    QSet<QUuid> added;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        (it->isFavorite ? added : removed).insert(it.key());
    m_store.setSelectedIDs(m_store.m_selectedIDs - removed);
    if (m_store.m_selectedID && removed.contains(*m_store.m_selectedID))
        m_store.setSelectedID(std::nullopt);
    if (!added.isEmpty()) {
        m_store.setSelectedIDs(added);
        std::optional<QUuid> focus;
        for (const Track &track : std::as_const(m_store.m_tracks)) {
            if (added.contains(track.id)) {
                focus = track.id;
                break;
            }
        }
        m_store.setSelectedID(focus);
    }
    center.post(brivelloFavoriteMembershipDidChange);
    if (m_store.m_selectedID) {
        center.post(brivelloFocusFavoriteTrack,
                    nullptr,
                    {{kUserInfoTrackID, QVariant::fromValue(*m_store.m_selectedID)}});
    }
}

void FavoriteMembership::registerFavoriteMembershipUndo(const FavoriteMembershipStates &previous,
                                                        const FavoriteMembershipStates &replacement,
                                                        QUndoStack *undoStack)
{
    QUndoStack *stack = undoStack ? undoStack : m_windowUndoStack.data();
    if (!stack)
        return;
    QPointer<LibraryStore> self(&m_store);
    stack->push(new FavoriteMembershipCommand(
        previous, replacement, [self](const FavoriteMembershipStates &states) {
            if (self)
                self->favorites().applyFavoriteMembershipStates(states);
        }));
}

void FavoriteMembership::toggleFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack)
{
    const FavoriteMembershipStates previous = favoriteMembershipStates(ids);
    if (previous.isEmpty())
        return;
    FavoriteMembershipStates replacement;
    qsizetype favourites = 0;
    for (auto it = previous.cbegin(); it != previous.cend(); ++it) {
        const bool favourite = !it->isFavorite;
        replacement.insert(it.key(), {favourite, favourite});
        favourites += favourite ? 1 : 0;
    }
    applyFavoriteMembershipStates(replacement);
    registerFavoriteMembershipUndo(previous, replacement, undoStack);

    const qsizetype total = replacement.size();
    if (favourites == total)
        showCount(m_store, "Добавлено в избранное: %d", favourites, "heart.fill", Tone::success);
    else if (favourites > 0)
        showCount(m_store, "Избранное обновлено: %d", total, "heart.fill", Tone::success);
    else
        showCount(m_store, "Убрано из избранного: %d", total, "heart", Tone::neutral);
}

void FavoriteMembership::addToFavorites(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    FavoriteMembershipStates states = favoriteMembershipStates(ids);
    for (FavoriteMembershipState &state : states)
        state = {true, true};
    applyFavoriteMembershipStates(states);
}

void FavoriteMembership::removeFromFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = m_store.sections().favoriteTracks();
    FavoriteMembershipStates previous = favoriteMembershipStates(ids);
    previous.removeIf([](const auto &entry) { return !entry.value().isFavorite; });
    if (previous.isEmpty())
        return;
    FavoriteMembershipStates replacement;
    QSet<QUuid> removed;
    for (auto it = previous.cbegin(); it != previous.cend(); ++it) {
        replacement.insert(it.key(), {false, false});
        removed.insert(it.key());
    }
    applyFavoriteMembershipStates(replacement);
    registerFavoriteMembershipUndo(previous, replacement, undoStack);
    m_store.removal().continuePlaybackAfterRemoving(removed, seen);
    showCount(m_store, "Убрано из избранного: %d", removed.size(), "heart.slash", Tone::neutral);
}

void FavoriteMembership::addTracksToAnalysis(const QSet<QUuid> &ids)
{
    QSet<QUrl> present;
    for (const Track &track : std::as_const(m_store.m_analysisTracks))
        present.insert(track.url);
    QList<Track> copies;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (ids.contains(track.id) && !present.contains(track.url))
            copies.append(track);
    }
    if (copies.isEmpty())
        return;
    m_store.setAnalysisTracks(m_store.m_analysisTracks + copies);
    QSet<QUuid> copied;
    for (const Track &copy : std::as_const(copies)) {
        m_store.importer().preloadWaveform(copy.url);
        copied.insert(copy.id);
    }
    m_store.analyzeQuality(copied);
    showCount(
        m_store, "Отправлено в анализ: %d", copies.size(), "waveform.path.ecg", Tone::success);
}

int FavoriteMembership::addTracksToConversion(const QSet<QUuid> &ids)
{
    QSet<QUrl> queued;
    for (const ConversionItem &item : std::as_const(m_store.m_conversionItems))
        queued.insert(item.url);
    QList<ConversionItem> items = m_store.m_conversionItems;
    int added = 0;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (!ids.contains(track.id) || queued.contains(track.url))
            continue;
        // The same file twice in the selection is queued once.
        queued.insert(track.url);
        items.append({QUuid::createUuid(), track.url, {}, std::nullopt});
        ++added;
    }
    m_store.setConversionItems(std::move(items));
    if (added == 0)
        return 0;
    showCount(
        m_store, "Добавлено в конвертер: %d", added, "arrow.triangle.2.circlepath", Tone::success);
    return added;
}

void FavoriteMembership::openInFinder(const QSet<QUuid> &ids)
{
    QList<QUrl> urls;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (ids.contains(track.id))
            urls.append(track.url);
    }
    if (!urls.isEmpty())
        m_store.m_services.revealService().reveal(urls);
}

} // namespace brivello
