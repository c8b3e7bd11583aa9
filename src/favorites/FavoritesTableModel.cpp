#include "FavoritesTableModel.h"

#include "FavoriteTableColumns.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"

#include <QFileInfo>

namespace brivello {

using Columns = FavoriteTableColumns;

FavoritesTableModel::FavoritesTableModel(LibraryStore &store, AudioPlayer *player, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(store)
    , m_player(player)
    , m_rows(store.sections().visibleTracks())
{
    rebuildIndex();
    for (const Track &track : std::as_const(m_rows))
        m_bpmTexts.append(bpmDisplayText(track));
    if (m_player) {
        m_lastPlaybackID = m_player->currentID();
        m_lastPlaying = m_player->isPlaying();
        connect(
            m_player, &AudioPlayer::currentIDChanged, this, [this] { scheduleReconciliation(); });
        connect(
            m_player, &AudioPlayer::isPlayingChanged, this, [this] { scheduleReconciliation(); });
    }
    connect(&m_store, &LibraryStore::tracksChanged, this, [this] {
        scheduleMetadataRefresh(kMetadataDebounce);
    });
    connect(&m_store.analysis(), &AnalysisQueues::estimatedBPMByTrackIDChanged, this, [this] {
        scheduleReconciliation();
    });
    connect(&m_store.analysis(), &AnalysisQueues::analyzingBPMIDsChanged, this, [this] {
        scheduleReconciliation();
    });
    observeNotifications();
}

FavoritesTableModel::~FavoritesTableModel()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

void FavoritesTableModel::observeNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto rowsChanged = [this](const Notification &) { markRowsDirty(); };
    const auto cellsChanged = [this](const Notification &) { scheduleReconciliation(); };
    center.observe(brivelloTrackMetadataDidChange, nullptr, this, [this](const Notification &) {
        scheduleMetadataRefresh(kMetadataDebounce);
    });
    center.observe(brivelloFavoriteMembershipDidChange, nullptr, this, rowsChanged);
    center.observe(brivelloGenresDidChange, nullptr, this, rowsChanged);
    center.observe(brivelloFavoriteGenreFilterDidChange, &m_store, this, rowsChanged);
    center.observe(brivelloBPMDidChange, &m_store, this, cellsChanged);
    center.observe(brivelloPlaybackDidChange, nullptr, this, cellsChanged);
    center.observe(brivelloLanguageDidChange, nullptr, this, [this](const Notification &) {
        emit headerDataChanged(Qt::Horizontal, 0, Columns::kCount - 1);
        if (!m_rows.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, Columns::kCount - 1));
    });
}

int FavoritesTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FavoritesTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns::kCount;
}

int FavoritesTableModel::columnOf(const QString &id)
{
    return Columns::indexOf(id);
}

QString FavoritesTableModel::columnID(int column)
{
    return Columns::idAt(column);
}

QUuid FavoritesTableModel::idAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).id : QUuid();
}

QString FavoritesTableModel::cellText(const Track &track, const QString &column) const
{
    if (column == Columns::kTitle && track.tags.title.isEmpty())
        return QFileInfo(track.url.toLocalFile()).completeBaseName();
    const int field = Columns::tagField(column);
    if (field >= 0)
        return track.tags.field(field);
    if (column == Columns::kBPM)
        return bpmDisplayText(track);
    if (column == Columns::kFormat)
        return track.format;
    if (column == Columns::kKbps)
        return track.bitRateText();
    return {};
}

QString FavoritesTableModel::bpmDisplayText(const Track &track) const
{
    if (m_store.analysis().analyzingBPMIDs().contains(track.id))
        return QStringLiteral("\u2026");
    const QString estimate = m_store.analysis().estimatedBPMByTrackID().value(track.id);
    if (!estimate.trimmed().isEmpty())
        return QStringLiteral("\u2248 ") + estimate;
    const QString tag = track.tags.bpm.trimmed();
    return tag.isEmpty() ? QStringLiteral("\u2014") : tag;
}

FavoritesTableModel::PlaybackState FavoritesTableModel::playbackState(const QUuid &id) const
{
    if (!m_player || m_player->currentID() != id)
        return PlaybackState::none;
    return m_player->isPlaying() ? PlaybackState::playing : PlaybackState::paused;
}

QString FavoritesTableModel::genreHeaderTitle() const
{
    if (m_store.favoriteOnlyUntagged())
        return BrivelloLocalization::string(QStringLiteral("ЖАНР · БЕЗ ЖАНРА"));
    const QString genre = m_store.favoriteGenreFilter();
    if (!genre.isEmpty())
        return BrivelloLocalization::format(QStringLiteral("ЖАНР · %@"), genre);
    return Columns::title(Columns::kGenre);
}

QVariant FavoritesTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Track &track = m_rows.at(index.row());
    const QString column = columnID(index.column());
    if ((role == Qt::DisplayRole || role == Qt::EditRole) && column == Columns::kGenre) {
        if (const auto draft = genreDraft(track.id))
            return *draft;
    }
    switch (role) {
    case Qt::DisplayRole:
        return cellText(track, column);
    case Qt::EditRole: {
        const int field = Columns::tagField(column);
        return field >= 0 ? track.tags.field(field) : QVariant();
    }
    case Qt::ToolTipRole:
        if (column == Columns::kFavorite)
            return BrivelloLocalization::string(QStringLiteral("Убрать из избранного")) +
                   QStringLiteral(" · ") +
                   BrivelloLocalization::string(QStringLiteral("Горячая клавиша")) +
                   QStringLiteral(": ") + m_store.settings().hotkeyFavorite();
        if (column == Columns::kPlaying) {
            const PlaybackState state = playbackState(track.id);
            if (state == PlaybackState::none)
                return {};
            return BrivelloLocalization::string(state == PlaybackState::playing
                                                    ? QStringLiteral("Сейчас играет")
                                                    : QStringLiteral("Текущий трек на паузе"));
        }
        return Columns::isEditable(column) ? cellText(track, column) : QVariant();
    case Qt::AccessibleTextRole:
        // The heart and the pause symbol are painted, so their names come from here.
        if (column == Columns::kFavorite)
            return BrivelloLocalization::string(QStringLiteral("Убрать из избранного"));
        if (column == Columns::kPlaying && playbackState(track.id) == PlaybackState::paused)
            return BrivelloLocalization::string(QStringLiteral("На паузе"));
        return {};
    case Qt::TextAlignmentRole:
        if (Columns::isPinned(column))
            return int(Qt::AlignCenter);
        return int((column == Columns::kBPM ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case TrackIDRole:
        return QVariant::fromValue(track.id);
    case ColumnIDRole:
        return column;
    case PlaybackStateRole:
        return int(playbackState(track.id));
    case PlaceholderRole:
        return Columns::placeholder(column);
    case SecondaryTextRole:
        return column == Columns::kBPM || column == Columns::kFormat || column == Columns::kKbps;
    default:
        return {};
    }
}

QVariant FavoritesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    const QString column = columnID(section);
    if (role == Qt::DisplayRole)
        return column == Columns::kGenre ? genreHeaderTitle() : Columns::title(column);
    if (role == Qt::TextAlignmentRole)
        return int((Columns::isPinned(column) ? Qt::AlignHCenter : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    if (role == ColumnIDRole)
        return column;
    return {};
}

Qt::ItemFlags FavoritesTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (Columns::isEditable(columnID(index.column())))
        flags |= Qt::ItemIsEditable;
    return flags;
}

// --- Reconciliation ---------------------------------------------------------------------------

void FavoritesTableModel::scheduleReconciliation()
{
    if (m_scheduled)
        return; // the queued pass reads the newest state when it runs
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &FavoritesTableModel::runScheduledPass, Qt::QueuedConnection);
}

void FavoritesTableModel::runScheduledPass()
{
    if (m_scheduled)
        reconcile();
}

void FavoritesTableModel::reconcileNow()
{
    reconcile();
}

void FavoritesTableModel::markRowsDirty()
{
    m_rowsDirty = true;
    scheduleReconciliation();
}

void FavoritesTableModel::scheduleMetadataRefresh(double delay)
{
    if (m_metadataRefreshPending)
        return;
    m_metadataRefreshPending = true;
    QPointer<FavoritesTableModel> self(this);
    m_store.services().schedulerService().after(delay, [self] {
        if (!self)
            return;
        self->m_metadataRefreshPending = false;
        if (!self->m_store.artworkWritingIDs().isEmpty()) // a cover batch is still writing
            self->scheduleMetadataRefresh(kArtworkRetry);
        else
            self->markRowsDirty();
    });
}

void FavoritesTableModel::reconcile()
{
    m_scheduled = false;
    if (m_editing) {
        m_pendingWhileEditing = true; // applied when the editor closes
        return;
    }
    bool reset = false;
    if (m_rowsDirty) {
        m_rowsDirty = false;
        reset = reconcileRows(m_store.sections().visibleTracks());
    }
    refreshPlaybackCells();
    refreshBPMCells();
    emit reconciled(reset);
}

bool FavoritesTableModel::reconcileRows(QList<Track> fresh)
{
    bool sameIDs = fresh.size() == m_rows.size();
    for (qsizetype row = 0; sameIDs && row < fresh.size(); ++row)
        sameIDs = fresh.at(row).id == m_rows.at(row).id;
    if (!sameIDs) {
        beginResetModel();
        m_rows = std::move(fresh);
        rebuildIndex();
        m_bpmTexts.clear();
        for (const Track &track : std::as_const(m_rows))
            m_bpmTexts.append(bpmDisplayText(track));
        endResetModel();
        ++m_resetCount;
        return true;
    }
    for (int row = 0; row < m_rows.size(); ++row) {
        const Track &before = m_rows.at(row);
        const Track &after = fresh.at(row);
        if (before.tags == after.tags && before.format == after.format &&
            before.bitRate == after.bitRate && before.url == after.url)
            continue;
        for (int column = 0; column < Columns::kCount; ++column) {
            const QString id = columnID(column);
            if (id != Columns::kBPM && cellText(before, id) != cellText(after, id))
                touchCell(row, column);
        }
        m_rows[row] = after;
    }
    return false;
}

void FavoritesTableModel::refreshPlaybackCells()
{
    const std::optional<QUuid> current = m_player ? m_player->currentID() : std::nullopt;
    const bool playing = m_player && m_player->isPlaying();
    if (current == m_lastPlaybackID && playing == m_lastPlaying)
        return;
    const std::optional<QUuid> previous = m_lastPlaybackID;
    m_lastPlaybackID = current;
    m_lastPlaying = playing;
    const int column = columnOf(Columns::kPlaying);
    QList<int> rows;
    if (previous)
        rows.append(rowOf(*previous));
    if (current && current != previous)
        rows.append(rowOf(*current));
    for (int row : std::as_const(rows)) {
        if (row >= 0)
            touchCell(row, column);
    }
}

void FavoritesTableModel::refreshBPMCells()
{
    const int column = columnOf(Columns::kBPM);
    for (int row = 0; row < m_rows.size(); ++row) {
        QString text = bpmDisplayText(m_rows.at(row));
        if (text == m_bpmTexts.at(row))
            continue;
        m_bpmTexts[row] = std::move(text);
        touchCell(row, column);
    }
}

void FavoritesTableModel::touchCell(int row, int column)
{
    ++m_touchedCells;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

void FavoritesTableModel::rebuildIndex()
{
    m_rowByID.clear();
    m_rowByID.reserve(m_rows.size());
    for (int row = 0; row < m_rows.size(); ++row)
        m_rowByID.insert(m_rows.at(row).id, row);
}

} // namespace brivello
