// How PlaylistModel follows the store: every change becomes row insertions, removals or
// per-row updates, so views keep their scroll position and repaint only what changed.
#include "PlaylistModel.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/SharedValues.h"

#include <algorithm>

namespace brivello {

namespace {

// The fields a row shows; other changes of a track (bit rate, format, covers membership)
// leave the row alone.
bool sameRowContent(const Track &a, const Track &b)
{
    return a.duration == b.duration && a.isFavorite == b.isFavorite &&
           a.artwork.cacheKey() == b.artwork.cacheKey() && sameText(a.tags.title, b.tags.title) &&
           sameText(a.tags.artist, b.tags.artist) && sameText(a.tags.bpm, b.tags.bpm) &&
           sameURL(a.url, b.url);
}

} // namespace

bool PlaylistModel::applyContentChange()
{
    // A metadata batch names its tracks: rows stay, only theirs are compared.
    const std::optional<QList<qsizetype>> &positions = m_store->contentOnlyChange();
    if (!positions)
        return false;
    const QList<Track> &library = m_store->tracks();
    QList<int> rows;
    for (const qsizetype at : *positions) {
        const Track &track = library.at(at);
        const int row = m_rowByID.value(track.id, -1);
        if (row < 0 || sameRowContent(m_tracks.at(row), track))
            continue;
        m_tracks[row] = track;
        rows.append(row);
    }
    emitRowsChanged(rows);
    return true;
}

bool PlaylistModel::applyInPlace()
{
    // The playlist order depends only on the members and their addresses: while those stay,
    // rows keep their places and the library list can be compared row by row, without
    // building the ordered list.
    const QList<Track> &library = m_store->tracks();
    // A count first: an import's chunk adds members, and the row comparisons below would be
    // spent on every earlier track before the first new one shows.
    const qsizetype memberCount = std::count_if(
        library.cbegin(), library.cend(), [](const Track &track) { return track.isInPlaylist; });
    if (memberCount != m_tracks.size())
        return false;
    QList<std::pair<int, const Track *>> changed;
    qsizetype members = 0;
    for (const Track &track : library) {
        if (!track.isInPlaylist)
            continue;
        ++members;
        const int row = m_rowByID.value(track.id, -1);
        if (row < 0)
            return false;
        const Track &shown = m_tracks.at(row);
        if (sameRowContent(shown, track))
            continue;
        if (!sameURL(shown.url, track.url))
            return false;
        changed.append({row, &track});
    }
    if (members != m_tracks.size())
        return false;
    QList<int> rows;
    rows.reserve(changed.size());
    for (const auto &[row, track] : changed) {
        m_tracks[row] = *track;
        rows.append(row);
    }
    emitRowsChanged(rows);
    return true;
}

void PlaylistModel::reloadTracks()
{
    if (applyContentChange() || applyInPlace())
        return;
    const OrderedRows next{m_store->tracks(), m_store->sections().playlistPositions()};
    bool sameOrder = next.size() == m_tracks.size();
    for (qsizetype i = 0; sameOrder && i < next.size(); ++i)
        sameOrder = m_tracks.at(i).id == next.at(i).id;
    if (sameOrder)
        applySameOrder(next);
    else
        applyStructuralChange(next);
}

void PlaylistModel::applySameOrder(const OrderedRows &next)
{
    QList<int> changed;
    bool folderMoved = false;
    for (int row = 0; row < next.size(); ++row) {
        if (sameRowContent(m_tracks.at(row), next.at(row)))
            continue;
        changed.append(row);
        if (m_tracks.at(row).url != next.at(row).url) {
            m_folders[row] = standardizedFolderPath(next.at(row).url);
            folderMoved = true;
        }
        m_tracks[row] = next.at(row);
    }
    emitRowsChanged(changed);
    if (folderMoved)
        refreshFolderStarts(false);
}

void PlaylistModel::applyStructuralChange(const OrderedRows &next)
{
    // An import's chunk adds rows after the shown ones: nothing is removed or moved, and the
    // insertion settles the new rows' headings.
    bool appended = next.size() > m_tracks.size();
    for (qsizetype i = 0; appended && i < m_tracks.size(); ++i)
        appended = m_tracks.at(i).id == next.at(i).id;
    if (appended) {
        insertRowsNewIn(next);
        applySameOrder(next);
        return;
    }
    removeRowsMissingFrom(next);
    // The remaining rows keep their order in `next` unless tracks moved (a renamed file).
    qsizetype matched = 0;
    for (qsizetype i = 0; i < next.size(); ++i) {
        if (matched < m_tracks.size() && m_tracks.at(matched).id == next.at(i).id)
            ++matched;
    }
    if (matched == m_tracks.size()) {
        insertRowsNewIn(next);
        applySameOrder(next);
        refreshFolderStarts(true);
    } else {
        reorderTo(next);
    }
}

void PlaylistModel::removeRowsMissingFrom(const OrderedRows &next)
{
    QSet<QUuid> kept;
    kept.reserve(next.size());
    for (qsizetype i = 0; i < next.size(); ++i)
        kept.insert(next.at(i).id);
    for (int row = int(m_tracks.size()) - 1; row >= 0; --row) {
        if (kept.contains(m_tracks.at(row).id))
            continue;
        const int last = row;
        while (row > 0 && !kept.contains(m_tracks.at(row - 1).id))
            --row;
        const int count = last - row + 1;
        beginRemoveRows({}, row, last);
        m_tracks.remove(row, count);
        m_folders.remove(row, count);
        m_startsFolder.remove(row, count);
        endRemoveRows();
    }
    rebuildIndex();
}

void PlaylistModel::insertRowsNewIn(const OrderedRows &next)
{
    int row = 0;
    int i = 0;
    while (i < next.size()) {
        if (row < m_tracks.size() && m_tracks.at(row).id == next.at(i).id) {
            ++row;
            ++i;
            continue;
        }
        const int first = i;
        while (i < next.size() && !(row < m_tracks.size() && m_tracks.at(row).id == next.at(i).id))
            ++i;
        const int count = i - first;
        beginInsertRows({}, row, row + count - 1);
        m_tracks.insert(row, count, Track());
        m_folders.insert(row, count, QString());
        m_startsFolder.insert(row, count, false);
        for (int k = 0; k < count; ++k) {
            m_tracks[row + k] = next.at(first + k);
            m_folders[row + k] = standardizedFolderPath(next.at(first + k).url);
        }
        // Headings of the new rows are settled before views ask for their size.
        for (int k = std::max(row, 1); k < std::min<int>(row + count + 1, int(m_tracks.size()));
             ++k)
            m_startsFolder[k] = m_folders.at(k) != m_folders.at(k - 1);
        if (row == 0 && !m_tracks.isEmpty())
            m_startsFolder[0] = true;
        endInsertRows();
        row += count;
    }
    rebuildIndex();
}

void PlaylistModel::reorderTo(const OrderedRows &next)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QList<QUuid> beforeIDs;
    for (const QModelIndex &index : before)
        beforeIDs.append(m_tracks.at(index.row()).id);
    m_tracks.clear();
    m_tracks.reserve(next.size());
    for (qsizetype i = 0; i < next.size(); ++i)
        m_tracks.append(next.at(i));
    m_folders.clear();
    for (const Track &track : std::as_const(m_tracks))
        m_folders.append(standardizedFolderPath(track.url));
    m_startsFolder = QList<bool>(m_tracks.size(), false);
    rebuildIndex();
    refreshFolderStarts(false);
    QModelIndexList after;
    for (const QUuid &id : beforeIDs)
        after.append(index(rowOf(id)));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PlaylistModel::refreshFolderStarts(bool rowsMoved)
{
    QList<int> changed;
    for (int row = 0; row < m_tracks.size(); ++row) {
        const bool starts = row == 0 || m_folders.at(row) != m_folders.at(row - 1);
        if (m_startsFolder.at(row) != starts) {
            m_startsFolder[row] = starts;
            changed.append(row);
        }
    }
    if (changed.isEmpty())
        return;
    emitRowsChanged(changed, {StartsFolderRole});
    if (!rowsMoved)
        emit rowGeometryChanged();
}

void PlaylistModel::refreshSelection()
{
    const QSet<QUuid> &selected = m_store->selectedIDs();
    const std::optional<QUuid> focus = m_store->selectedID();
    QList<int> rows;
    for (const QUuid &id : std::as_const(m_selectedIDs)) {
        if (!selected.contains(id))
            rows.append(rowOf(id));
    }
    for (const QUuid &id : selected) {
        if (!m_selectedIDs.contains(id))
            rows.append(rowOf(id));
    }
    if (focus != m_focusID) {
        if (m_focusID)
            rows.append(rowOf(*m_focusID));
        if (focus)
            rows.append(rowOf(*focus));
    }
    m_selectedIDs = selected;
    m_focusID = focus;
    emitRowsChanged(rows, {IsSelectedRole});
}

void PlaylistModel::refreshTempo()
{
    const QSet<QUuid> &analyzing = m_store->analysis().analyzingBPMIDs();
    const QHash<QUuid, QString> &estimates = m_store->analysis().estimatedBPMByTrackID();
    QList<int> rows;
    // Tracks just queued: only their rows change, and the estimates stayed as they were.
    if (const auto &changed = m_store->analysis().changedAnalyzingBPMIDs();
        changed && estimates.size() == m_estimates.size()) {
        for (const QUuid &id : *changed)
            rows.append(rowOf(id));
        m_analyzingBPMIDs = analyzing;
        emitRowsChanged(rows, {TempoRole});
        return;
    }
    for (const QUuid &id : std::as_const(m_analyzingBPMIDs)) {
        if (!analyzing.contains(id))
            rows.append(rowOf(id));
    }
    for (const QUuid &id : analyzing) {
        if (!m_analyzingBPMIDs.contains(id))
            rows.append(rowOf(id));
    }
    for (auto it = m_estimates.cbegin(); it != m_estimates.cend(); ++it) {
        if (estimates.value(it.key()) != it.value() || !estimates.contains(it.key()))
            rows.append(rowOf(it.key()));
    }
    for (auto it = estimates.cbegin(); it != estimates.cend(); ++it) {
        if (!m_estimates.contains(it.key()))
            rows.append(rowOf(it.key()));
    }
    m_analyzingBPMIDs = analyzing;
    m_estimates = estimates;
    emitRowsChanged(rows, {TempoRole});
}

void PlaylistModel::rebuildIndex()
{
    m_rowByID.clear();
    m_rowByID.reserve(m_tracks.size());
    for (int row = 0; row < m_tracks.size(); ++row)
        m_rowByID.insert(m_tracks.at(row).id, row);
}

void PlaylistModel::emitRowsChanged(QList<int> rows, const QList<int> &roles)
{
    rows.removeAll(-1);
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    int first = rows.first();
    int last = first;
    for (qsizetype i = 1; i <= rows.size(); ++i) {
        if (i < rows.size() && rows.at(i) == last + 1) {
            last = rows.at(i);
            continue;
        }
        emit dataChanged(index(first), index(last), roles);
        if (i < rows.size())
            first = last = rows.at(i);
    }
}

} // namespace brivello
