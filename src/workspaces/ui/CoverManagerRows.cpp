// CoverManager: the rows, their clicks and drags, drops on the section and selection upkeep.
#include "CoverManager.h"
#include "SectionRowStyle.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "shell/Artwork.h"
#include "shell/PlaylistMultiFileDragOverlay.h"
#include "shell/ShellEvents.h"
#include "workspaces/CoverImageDecoder.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace brivello {

int CoverManager::fileRowCount() const
{
    return int(m_rows.size());
}

int CoverManager::fileRowHeight(int) const
{
    const double d = density();
    return int(std::ceil(std::max(34 * d, 14 * d * 1.3 + 2 * d + 11 * d * 1.3) + 6 * d));
}

void CoverManager::paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const
{
    const Track &track = m_rows.at(row);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const double d = density();
    const bool selected = m_store.selectedIDs().contains(track.id);
    const bool current = m_player && m_player->currentID() == track.id;
    const bool playing = current && m_player->isPlaying();
    SectionRowStyle::paintRowBackground(painter, rect, selected, hovered && !selected, scheme);

    const qreal side = 34 * d;
    const QRectF thumb(rect.left() + 12 * d, rect.center().y() - side / 2, side, side);
    Artwork::paint(painter, thumb, track.artwork);
    if (current)
        SectionRowStyle::paintPlayingOverlay(painter, thumb, side * 0.2, playing, 12 * d);

    const QFont formatFont = SectionRowStyle::font(10 * d);
    const int formatWidth = QFontMetrics(formatFont).horizontalAdvance(track.format);
    const QRect formatRect(
        int(rect.right() - 16 * d - formatWidth), rect.top(), formatWidth + 1, rect.height());
    SectionRowStyle::drawLine(
        painter, formatRect, track.format, formatFont, SectionRowStyle::secondary(scheme));

    const int left = int(thumb.right() + 10);
    const int width = formatRect.left() - 10 - left;
    const QFont titleFont =
        SectionRowStyle::font(14 * d, current ? QFont::DemiBold : QFont::Normal);
    const QFont artistFont = SectionRowStyle::font(11 * d);
    const int titleHeight = QFontMetrics(titleFont).height();
    const int artistHeight = QFontMetrics(artistFont).height();
    const int top = rect.center().y() - (titleHeight + int(2 * d) + artistHeight) / 2;
    const QString title = track.tags.title.isEmpty()
                              ? QFileInfo(track.url.path()).completeBaseName()
                              : track.tags.title;
    const QString artist =
        track.tags.artist.isEmpty()
            ? BrivelloLocalization::string(QStringLiteral("Неизвестный исполнитель"))
            : track.tags.artist;
    SectionRowStyle::drawLine(painter,
                              QRect(left, top, width, titleHeight),
                              title,
                              titleFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(painter,
                              QRect(left, top + titleHeight + int(2 * d), width, artistHeight),
                              artist,
                              artistFont,
                              SectionRowStyle::secondary(scheme));
}

bool CoverManager::bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay)
{
    const Track track = m_rows.at(row);
    const QSet<QUuid> &selected = m_store.selectedIDs();
    const QSet<QUuid> &writing = m_store.artworkWritingIDs();
    const bool isSelected = selected.contains(track.id);
    QList<QUrl> selectedFiles;
    bool selectionBeingWritten = false;
    for (const Track &t : m_rows) {
        if (!selected.contains(t.id))
            continue;
        selectedFiles.append(t.url);
        selectionBeingWritten = selectionBeingWritten || writing.contains(t.id);
    }
    overlay.trackURL = track.url;
    overlay.selectedURLs = isSelected ? selectedFiles : QList<QUrl>{track.url};
    overlay.startedOnSelectedRow = isSelected;
    overlay.isDragEnabled = isSelected ? !selectionBeingWritten : !writing.contains(track.id);
    overlay.onDragBlocked = [this] {
        m_store.showStatus(QStringLiteral("Подождите: обложка ещё сохраняется в файл"),
                           QStringLiteral("photo.badge.plus"),
                           WorkspaceStatus::Tone::warning,
                           3.6);
    };
    QPointer<CoverManager> self(this);
    overlay.onExternalDrop = [this, self](const QList<QUrl> &urls) {
        m_store.importer().importForCovers(urls, [self](const QList<QUuid> &ids) {
            if (self)
                self->importCompleted(ids);
        });
    };
    overlay.select = [this, id = track.id] {
        selectTracks(id, SectionRowStyle::currentModifiers());
    };
    overlay.play = [this, track] {
        if (m_player)
            m_player->start(track);
    };
    return true;
}

void CoverManager::applySelection(const SectionListRules::Selection &selection)
{
    m_store.setSelectedIDs(selection.ids);
    m_store.session().scheduleWorkspaceSave();
    m_store.setSelectedID(selection.anchor);
    m_store.session().scheduleWorkspaceSave();
}

void CoverManager::selectTracks(const QUuid &id, SectionListRules::Modifiers modifiers)
{
    QList<QUuid> ids;
    for (const Track &track : m_rows)
        ids.append(track.id);
    applySelection(SectionListRules::coverClick(
        ids, {m_store.selectedIDs(), m_store.selectedID()}, id, modifiers));
}

void CoverManager::repairSelection()
{
    if (m_store.activeTab() != LibraryStore::LibraryTab::covers)
        return;
    const auto anchor =
        SectionListRules::coverAnchorRepair(m_store.selectedIDs(), m_store.selectedID());
    if (!anchor)
        return;
    m_store.setSelectedID(*anchor);
    m_store.session().scheduleWorkspaceSave();
}

void CoverManager::followAnchor()
{
    const std::optional<QUuid> anchor = m_store.selectedID();
    refresh();
    if (!anchor || m_store.activeTab() != LibraryStore::LibraryTab::covers)
        return;
    QTimer::singleShot(0, this, [this, id = *anchor] {
        for (int row = 0; row < m_rows.size(); ++row) {
            if (m_rows.at(row).id == id)
                m_list->scrollToRow(row, false, !ShellEvents::instance().reduceMotion());
        }
    });
}

void CoverManager::importCompleted(const QList<QUuid> &ids)
{
    m_store.setSelectedIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
    m_store.session().scheduleWorkspaceSave();
    m_store.setSelectedID(ids.isEmpty() ? std::nullopt : std::optional<QUuid>(ids.first()));
    m_store.session().scheduleWorkspaceSave();
}

void CoverManager::handleDroppedURLs(const QList<QUrl> &urls)
{
    QList<QUrl> files;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        if (CoverImageDecoder::hasImageExtension(url)) {
            const QString path = LocalFile::path(url);
            if (acceptArtwork(path))
                continue;
            m_store.showStatus(
                BrivelloLocalization::format(QStringLiteral("Не удалось открыть изображение: %@"),
                                             LocalFile::displayName(QFileInfo(path).fileName())),
                QStringLiteral("exclamationmark.triangle"),
                WorkspaceStatus::Tone::warning,
                3.6);
        }
        files.append(url);
    }
    if (files.isEmpty())
        return;
    // One import for the drop: one status with its whole count, and every file selected.
    QPointer<CoverManager> self(this);
    m_store.importer().importForCovers(files, [self](const QList<QUuid> &ids) {
        if (self)
            self->importCompleted(ids);
    });
}

void CoverManager::dragEnterEvent(QDragEnterEvent *event)
{
    if (!PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CoverManager::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData());
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    handleDroppedURLs(urls);
}

} // namespace brivello
