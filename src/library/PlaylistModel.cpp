#include "PlaylistModel.h"

#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace brivello {

PlaylistModel::PlaylistModel(LibraryStore *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
{
    m_tracks = m_store->sections().playlistTracks();
    for (const Track &track : std::as_const(m_tracks))
        m_folders.append(standardizedFolderPath(track.url));
    m_startsFolder.resize(m_tracks.size());
    refreshFolderStarts(false);
    rebuildIndex();
    m_selectedIDs = m_store->selectedIDs();
    m_focusID = m_store->selectedID();
    m_analyzingBPMIDs = m_store->analysis().analyzingBPMIDs();
    m_estimates = m_store->analysis().estimatedBPMByTrackID();

    connect(m_store, &LibraryStore::tracksChanged, this, &PlaylistModel::reloadTracks);
    connect(m_store, &LibraryStore::selectedIDsChanged, this, &PlaylistModel::refreshSelection);
    connect(m_store, &LibraryStore::selectedIDChanged, this, &PlaylistModel::refreshSelection);
    connect(&m_store->analysis(),
            &AnalysisQueues::analyzingBPMIDsChanged,
            this,
            &PlaylistModel::refreshTempo);
    connect(&m_store->analysis(),
            &AnalysisQueues::estimatedBPMByTrackIDChanged,
            this,
            &PlaylistModel::refreshTempo);
    connect(&m_store->settings(),
            &LibrarySettings::tableDensityChanged,
            this,
            &PlaylistModel::rowGeometryChanged);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_tracks.size());
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_tracks.size())
        return {};
    const int row = index.row();
    const Track &track = m_tracks.at(row);
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return displayTitle(track);
    case Qt::ToolTipRole:
        return track.url.toLocalFile();
    case Qt::AccessibleTextRole:
        return displayTitle(track) + QStringLiteral(", ") + displayArtist(track);
    case Qt::AccessibleDescriptionRole:
        // The folder heading above the row, read out as one element.
        if (!startsFolder(row))
            return {};
        return BrivelloLocalization::format(QStringLiteral("Папка: %@"),
                                            abbreviatedFolderPath(folderURL(track.url)));
    case TrackIDRole:
        return track.id;
    case FileURLRole:
        return track.url;
    case StartsFolderRole:
        return startsFolder(row);
    case FolderURLRole:
        return folderURL(track.url);
    case IsSelectedRole:
        return isSelected(row);
    case IsCurrentRole:
        return isCurrent(row);
    case IsPlayingRole:
        return isPlaying(row);
    case ArtistRole:
        return displayArtist(track);
    case TempoRole:
        return tempo(row).text;
    case DurationTextRole:
        return clockText(track.duration);
    default:
        return {};
    }
}

QHash<int, QByteArray> PlaylistModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert({{TrackIDRole, "trackID"},
                  {FileURLRole, "fileURL"},
                  {StartsFolderRole, "startsFolder"},
                  {FolderURLRole, "folderURL"},
                  {IsSelectedRole, "isSelected"},
                  {IsCurrentRole, "isCurrent"},
                  {IsPlayingRole, "isPlaying"},
                  {TitleRole, "title"},
                  {ArtistRole, "artist"},
                  {TempoRole, "tempo"},
                  {DurationTextRole, "durationText"}});
    return names;
}

QList<QUuid> PlaylistModel::ids() const
{
    return idsOf(m_tracks);
}

bool PlaylistModel::isSelected(int row) const
{
    return m_selectedIDs.contains(m_tracks.at(row).id);
}

bool PlaylistModel::isInSelection(int row) const
{
    return isSelected(row) || m_focusID == m_tracks.at(row).id;
}

bool PlaylistModel::isCurrent(int row) const
{
    return m_currentID && *m_currentID == m_tracks.at(row).id;
}

PlaylistModel::Tempo PlaylistModel::tempo(int row) const
{
    const Track &track = m_tracks.at(row);
    const auto estimate = m_estimates.constFind(track.id);
    return tempoFor(track,
                    m_analyzingBPMIDs.contains(track.id),
                    estimate == m_estimates.cend() ? std::nullopt
                                                   : std::optional<QString>(*estimate));
}

QList<QUrl> PlaylistModel::dragURLs(int row) const
{
    if (!isSelected(row))
        return {m_tracks.at(row).url};
    QList<QUrl> urls;
    for (const Track &track : m_tracks) {
        if (m_selectedIDs.contains(track.id))
            urls.append(track.url);
    }
    return urls;
}

bool PlaylistModel::isDragEnabled(int row) const
{
    const QSet<QUuid> &writing = m_store->artworkWritingIDs();
    if (!isSelected(row))
        return !writing.contains(m_tracks.at(row).id);
    for (const QUuid &id : m_selectedIDs) {
        if (writing.contains(id))
            return false;
    }
    return true;
}

bool PlaylistModel::isWholeListSelected() const
{
    return !m_tracks.isEmpty() && m_selectedIDs.size() == m_tracks.size();
}

void PlaylistModel::setPlaybackState(std::optional<QUuid> currentID, bool isPlaying)
{
    if (currentID == m_currentID && isPlaying == m_isPlaying)
        return;
    QList<int> rows;
    if (m_currentID)
        rows.append(rowOf(*m_currentID));
    if (currentID)
        rows.append(rowOf(*currentID));
    m_currentID = currentID;
    m_isPlaying = isPlaying;
    emitRowsChanged(rows, {IsCurrentRole, IsPlayingRole});
}

QString PlaylistModel::displayTitle(const Track &track)
{
    if (!track.tags.title.isEmpty())
        return track.tags.title;
    return QFileInfo(track.url.toLocalFile()).completeBaseName();
}

QString PlaylistModel::displayArtist(const Track &track)
{
    if (!track.tags.artist.isEmpty())
        return track.tags.artist;
    return BrivelloLocalization::string(QStringLiteral("Неизвестный исполнитель"));
}

PlaylistModel::Tempo
PlaylistModel::tempoFor(const Track &track, bool analyzing, const std::optional<QString> &estimate)
{
    if (analyzing)
        return {TempoKind::analyzing, {}};
    if (estimate)
        return {TempoKind::estimate, QStringLiteral("≈ ") + *estimate + QStringLiteral(" BPM")};
    if (!track.tags.bpm.trimmed().isEmpty())
        return {TempoKind::tag, track.tags.bpm + QStringLiteral(" BPM")};
    return {TempoKind::none, QStringLiteral("— BPM")};
}

QUrl PlaylistModel::folderURL(const QUrl &fileURL)
{
    return fileURL.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
}

QString PlaylistModel::standardizedFolderPath(const QUrl &fileURL)
{
    const QString path = QDir::cleanPath(fileURL.toLocalFile());
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return slash == 0 ? QStringLiteral("/") : QString();
    return path.left(slash);
}

bool PlaylistModel::startsPlaylistFolder(int index, const QList<Track> &rows)
{
    if (index < 1)
        return true;
    return standardizedFolderPath(rows.at(index).url) !=
           standardizedFolderPath(rows.at(index - 1).url);
}

QString PlaylistModel::abbreviatedFolderPath(const QUrl &folder)
{
    const QString path = QDir::cleanPath(folder.toLocalFile());
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home != QLatin1String("/") && (path == home || path.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

} // namespace brivello
