// The favourites model's edits, genre filter, drag-out and selection helpers.
#include "FavoriteTableColumns.h"
#include "FavoriteTagEditCommand.h"
#include "FavoritesSettingsKeys.h"
#include "FavoritesTableModel.h"
#include "audiofiles/WriteError.h"
#include "library/GenreEditing.h"
#include "library/LibraryStore.h"
#include "platform/LocalFile.h"

#include <QMimeData>
#include <QUndoStack>
#include <algorithm>
#include <unistd.h>

namespace brivello {

using Columns = FavoriteTableColumns;

void FavoritesTableModel::beginEditing()
{
    m_editing = true;
    m_store.setIsEditingMetadata(true);
}

void FavoritesTableModel::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    m_store.setIsEditingMetadata(false);
    if (m_pendingWhileEditing) {
        m_pendingWhileEditing = false;
        scheduleReconciliation();
    }
}

QString FavoritesTableModel::singleLine(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (const QChar breakChar : {QChar(u'\n'), QChar(u'\r'), QChar(0x2028), QChar(0x2029)})
        line.replace(breakChar, QChar(u' '));
    return line;
}

bool FavoritesTableModel::canWrite(const Track &track) const
{
    // By the path's bytes: a name that is not UTF-8 does not survive QUrl::toLocalFile.
    std::optional<WriteError::Kind> failure;
    if (!LocalFile::exists(track.url))
        failure = WriteError::Kind::fileNotFound;
    else if (::access(LocalFile::nativePath(track.url).constData(), W_OK) != 0)
        failure = WriteError::Kind::permissionDenied;
    if (!failure)
        return true;
    m_store.setLastError(WriteError(*failure).errorDescription());
    return false;
}

bool FavoritesTableModel::commitEdit(const QUuid &trackID,
                                     const QString &column,
                                     const QString &text,
                                     QUndoStack *undoStack)
{
    const int field = Columns::tagField(column);
    if (field < 0)
        return false;
    const QString value = singleLine(text);
    if (column == Columns::kGenre) {
        dropGenreDraft(trackID);
        applyGenre(value, trackID, undoStack);
        return true;
    }
    // The store's tags now, not the row copy: a metadata load may have landed meanwhile.
    const auto &tracks = m_store.tracks();
    const auto found = std::find_if(
        tracks.cbegin(), tracks.cend(), [&](const Track &track) { return track.id == trackID; });
    if (found == tracks.cend() || found->tags.field(field) == value)
        return false;
    if (!canWrite(*found))
        return false;
    const QString previous = found->tags.field(field);
    if (!FavoriteTagEditCommand::apply(m_store, trackID, field, value))
        return false;
    if (undoStack)
        undoStack->push(new FavoriteTagEditCommand(m_store, trackID, field, previous, value));
    showCommitted({trackID}, field, value);
    return true;
}

void FavoritesTableModel::showCommitted(const QSet<QUuid> &ids, int field, const QString &value)
{
    // While a Tab has opened the next editor, passes wait; the cells just committed show their
    // new text meanwhile, in place (the order follows with the pass after the last editor).
    for (const QUuid &id : ids) {
        const int row = rowOf(id);
        if (row < 0 || m_rows.at(row).tags.field(field) == value)
            continue;
        m_rows[row].tags.field(field) = value;
        for (int column = 0; column < Columns::kCount; ++column) {
            if (Columns::tagField(columnID(column)) == field)
                touchCell(row, column);
        }
    }
}

void FavoritesTableModel::applyGenre(const QString &genre,
                                     const QUuid &trackID,
                                     QUndoStack *undoStack)
{
    const QSet<QUuid> &selection = m_store.selectedIDs();
    const QSet<QUuid> targets = selection.contains(trackID) ? selection : QSet<QUuid>{trackID};
    const QString value = singleLine(genre);
    // A blank genre clears: its status names what happened instead of an empty genre.
    if (value.trimmed().isEmpty())
        m_store.genreEditing().clearGenres(targets, undoStack);
    else
        m_store.genreEditing().assignGenre(value, targets, undoStack);
    if (m_editing)
        showCommitted(targets, Columns::tagField(Columns::kGenre), value.trimmed());
}

void FavoritesTableModel::genreMenuSelected(const QUuid &trackID,
                                            const QString &genre,
                                            QUndoStack *undoStack)
{
    if (rowOf(trackID) < 0)
        return;
    dropGenreDraft(trackID);
    applyGenre(genre, trackID, undoStack);
    markRowsDirty();
}

void FavoritesTableModel::setGenreDraft(const QUuid &trackID, const QString &text)
{
    // No cell is announced: the open field shows the text, and an announcement would make the
    // view write the cell's value back into that field.
    m_genreDrafts.insert(trackID, text);
}

void FavoritesTableModel::dropGenreDraft(const QUuid &trackID)
{
    if (m_genreDrafts.remove(trackID) == 0)
        return;
    const int row = rowOf(trackID);
    if (row >= 0 && !m_editing)
        touchCell(row, columnOf(Columns::kGenre));
}

std::optional<QString> FavoritesTableModel::genreDraft(const QUuid &trackID) const
{
    const auto found = m_genreDrafts.constFind(trackID);
    return found == m_genreDrafts.cend() ? std::nullopt : std::optional<QString>(*found);
}

void FavoritesTableModel::selectGenreFilter(const QString &choice)
{
    const bool untagged = choice == kUntaggedGenreFilterSentinel;
    // Each setter persists and prunes the selection: call only those that change something.
    if (m_store.favoriteOnlyUntagged() != untagged)
        m_store.setFavoriteOnlyUntagged(untagged);
    if (!untagged && m_store.favoriteGenreFilter() != choice)
        m_store.setFavoriteGenreFilter(choice);
    m_rowsDirty = true;
    reconcile();
    emit headerDataChanged(Qt::Horizontal, columnOf(Columns::kGenre), columnOf(Columns::kGenre));
}

QString FavoritesTableModel::currentGenreFilterChoice() const
{
    return m_store.favoriteOnlyUntagged() ? kUntaggedGenreFilterSentinel
                                          : m_store.favoriteGenreFilter();
}

QStringList FavoritesTableModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *FavoritesTableModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.row() < m_rows.size() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QList<QUrl> urls;
    for (int row : std::as_const(rows)) {
        const Track &track = m_rows.at(row);
        if (!m_store.artworkWritingIDs().contains(track.id)) // its file is being rewritten
            urls.append(track.url);
    }
    if (urls.isEmpty()) {
        if (!rows.isEmpty())
            m_store.showStatus(QStringLiteral("Подождите: обложка ещё сохраняется в файл"),
                               QStringLiteral("photo.badge.plus"),
                               WorkspaceStatus::Tone::warning,
                               3.6);
        return nullptr;
    }
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

QList<QUuid> FavoritesTableModel::idsOfRows(QList<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    QList<QUuid> ids;
    for (int row : std::as_const(rows)) {
        if (row >= 0 && row < m_rows.size())
            ids.append(m_rows.at(row).id);
    }
    return ids;
}

QList<int> FavoritesTableModel::rowsOfIDs(const QSet<QUuid> &ids) const
{
    QList<int> rows;
    for (const QUuid &id : ids) {
        const int row = rowOf(id);
        if (row >= 0)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int FavoritesTableModel::navigationTarget(const std::optional<QUuid> &focusedID, int delta) const
{
    const int count = int(m_rows.size());
    if (count == 0)
        return -1;
    const int focused = focusedID ? rowOf(*focusedID) : -1;
    int target = 0;
    if (focused >= 0)
        target = focused + delta;
    else
        target = delta <= 0 ? count + delta : delta - 1; // -1 reaches the last row, +1 the first
    return std::clamp(target, 0, count - 1);
}

} // namespace brivello
