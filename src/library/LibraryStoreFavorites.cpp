// LibraryStore: favourites and covers membership with undo, sending tracks to the analysis
// and converter sections, and revealing files.
#include "LibraryStore.h"
#include "library/FavoriteMembershipCommand.h"
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

void LibraryStore::setWindowUndoStack(QUndoStack *stack)
{
    m_windowUndoStack = stack;
}

FavoriteMembershipStates LibraryStore::favoriteMembershipStates(const QSet<QUuid> &ids) const
{
    FavoriteMembershipStates states;
    for (const Track &track : m_tracks) {
        if (ids.contains(track.id))
            states.insert(track.id, {track.isFavorite, track.isInCoverWorkspace});
    }
    return states;
}

void LibraryStore::applyFavoriteMembershipStates(const FavoriteMembershipStates &states)
{
    if (states.isEmpty())
        return;
    QList<Track> updated = m_tracks;
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
        setTracks(std::move(updated));

    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (m_activeTab != LibraryTab::favorites) {
        center.post(brivelloFavoriteMembershipDidChange);
        return;
    }
    // In the favourites section the selection follows the change.
    QSet<QUuid> removed;
    QSet<QUuid> added;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        (it->isFavorite ? added : removed).insert(it.key());
    setSelectedIDs(m_selectedIDs - removed);
    if (m_selectedID && removed.contains(*m_selectedID))
        setSelectedID(std::nullopt);
    if (!added.isEmpty()) {
        setSelectedIDs(added);
        std::optional<QUuid> focus;
        for (const Track &track : std::as_const(m_tracks)) {
            if (added.contains(track.id)) {
                focus = track.id;
                break;
            }
        }
        setSelectedID(focus);
    }
    center.post(brivelloFavoriteMembershipDidChange);
    if (m_selectedID) {
        center.post(brivelloFocusFavoriteTrack,
                    nullptr,
                    {{kUserInfoTrackID, QVariant::fromValue(*m_selectedID)}});
    }
}

void LibraryStore::registerFavoriteMembershipUndo(const FavoriteMembershipStates &previous,
                                                  const FavoriteMembershipStates &replacement,
                                                  QUndoStack *undoStack)
{
    QUndoStack *stack = undoStack ? undoStack : m_windowUndoStack.data();
    if (!stack)
        return;
    QPointer<LibraryStore> self(this);
    stack->push(new FavoriteMembershipCommand(
        previous, replacement, [self](const FavoriteMembershipStates &states) {
            if (self)
                self->applyFavoriteMembershipStates(states);
        }));
}

void LibraryStore::toggleFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack)
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
        showCount(*this, "Добавлено в избранное: %d", favourites, "heart.fill", Tone::success);
    else if (favourites > 0)
        showCount(*this, "Избранное обновлено: %d", total, "heart.fill", Tone::success);
    else
        showCount(*this, "Убрано из избранного: %d", total, "heart", Tone::neutral);
}

void LibraryStore::addToFavorites(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    FavoriteMembershipStates states = favoriteMembershipStates(ids);
    for (FavoriteMembershipState &state : states)
        state = {true, true};
    applyFavoriteMembershipStates(states);
}

void LibraryStore::removeFromFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = favoriteTracks();
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
    continuePlaybackAfterRemoving(removed, seen);
    showCount(*this, "Убрано из избранного: %d", removed.size(), "heart.slash", Tone::neutral);
}

void LibraryStore::addTracksToAnalysis(const QSet<QUuid> &ids)
{
    QSet<QUrl> present;
    for (const Track &track : std::as_const(m_analysisTracks))
        present.insert(track.url);
    QList<Track> copies;
    for (const Track &track : std::as_const(m_tracks)) {
        if (ids.contains(track.id) && !present.contains(track.url))
            copies.append(track);
    }
    if (copies.isEmpty())
        return;
    setAnalysisTracks(m_analysisTracks + copies);
    QSet<QUuid> copied;
    for (const Track &copy : std::as_const(copies)) {
        preloadWaveform(copy.url);
        copied.insert(copy.id);
    }
    analyzeQuality(copied);
    showCount(*this, "Отправлено в анализ: %d", copies.size(), "waveform.path.ecg", Tone::success);
}

int LibraryStore::addTracksToConversion(const QSet<QUuid> &ids)
{
    QSet<QUrl> queued;
    for (const ConversionItem &item : std::as_const(m_conversionItems))
        queued.insert(item.url);
    QList<ConversionItem> items = m_conversionItems;
    int added = 0;
    for (const Track &track : std::as_const(m_tracks)) {
        if (!ids.contains(track.id) || queued.contains(track.url))
            continue;
        // The same file twice in the selection is queued once.
        queued.insert(track.url);
        items.append({QUuid::createUuid(), track.url, {}, std::nullopt});
        ++added;
    }
    setConversionItems(std::move(items));
    if (added == 0)
        return 0;
    showCount(
        *this, "Добавлено в конвертер: %d", added, "arrow.triangle.2.circlepath", Tone::success);
    return added;
}

void LibraryStore::openInFinder(const QSet<QUuid> &ids)
{
    QList<QUrl> urls;
    for (const Track &track : std::as_const(m_tracks)) {
        if (ids.contains(track.id))
            urls.append(track.url);
    }
    if (!urls.isEmpty())
        m_services.revealService().reveal(urls);
}

} // namespace brivello
