// DuplicateFinderView: the texts and states shown, the card rows and their clicks, the drop frame.
#include "DuplicateFinderView.h"
#include "DuplicateGroupCard.h"
#include "MiddleElidedLabel.h"
#include "ScanProgressBar.h"
#include "SectionRowStyle.h"
#include "WorkspaceEmptyState.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ActionButton.h"
#include "shell/ShellEvents.h"
#include "workspaces/SectionListRules.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <cmath>

namespace brivello {

namespace {

constexpr int kCardGap = 12;
constexpr int kScopeInMessageWidth = 300;

} // namespace

void DuplicateFinderView::refresh()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const DuplicateSearchState &state = m_store.duplicateSearch();
    const qsizetype files = m_store.duplicateTracks().size();
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Дубликаты")));
    m_title->setFont(BrivelloTheme::font(TextStyle::title3, QFont::DemiBold));
    m_subtitle->setText(BrivelloLocalization::string(
        QStringLiteral("Ищем точные копии и версии одного трека с разными тегами или форматом.")));
    SectionRowStyle::styleSecondary(m_subtitle, TextStyle::caption, scheme);
    m_clear->setEnabled(SectionListRules::canClearDuplicates(files, state.roots.size()));
    m_find->setEnabled(SectionListRules::canFindDuplicates(files, state.isSearching));
    m_find->setTitleKey(state.isSearching ? QStringLiteral("Ищем…")
                                          : QStringLiteral("Найти дубликаты"));

    m_scopeLine->setVisible(!state.roots.isEmpty());
    m_scope->setText(BrivelloLocalization::format(
        QStringLiteral("Поиск в: %@"),
        DuplicateGroupRows::scopeTitle(state.roots, AppLanguage::current())));
    m_scope->setFont(BrivelloTheme::font(TextStyle::caption));
    refreshProgress(state);
    refreshEmptyResult(state);

    m_content->setCurrentWidget(page(content()));
    m_rows = DuplicateGroupRows::rows(state.groups, m_store.duplicateTracks());
    m_list->reload();
}

QWidget *DuplicateFinderView::page(Content content) const
{
    switch (content) {
    case Content::dropZone:
        return m_dropZone;
    case Content::scanning:
        return m_scanning;
    case Content::emptyResult:
        return m_emptyResult;
    case Content::groups:
        break;
    }
    return m_list;
}

// The percent, the bar and the counter are drawn from one published state, so they agree.
void DuplicateFinderView::refreshProgress(const DuplicateSearchState &state)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    m_progress->setVisible(state.isSearching);
    m_phase->setText(BrivelloLocalization::string(DuplicateGroupRows::phaseTitle(state.phase)));
    m_phase->setFont(BrivelloTheme::font(TextStyle::caption, QFont::Medium));
    m_percent->setText(DuplicateGroupRows::percentText(state.progress));
    m_percent->setFont(
        SectionRowStyle::monospacedDigits(BrivelloTheme::font(TextStyle::caption, QFont::Medium)));
    m_bar->setValue(state.progress);
    m_detail->setText(!state.currentFile.isEmpty()
                          ? state.currentFile
                          : BrivelloLocalization::string(DuplicateGroupRows::phaseDetail(
                                state.phase, state.candidateCount)));
    m_counter->setVisible(state.totalCount >= 1);
    m_counter->setText(QStringLiteral("%1 / %2").arg(state.processedCount).arg(state.totalCount));
    SectionRowStyle::styleSecondary(m_detail, TextStyle::caption2, scheme);
    SectionRowStyle::styleSecondary(m_counter, TextStyle::caption2, scheme);
    m_counter->setFont(SectionRowStyle::monospacedDigits(m_counter->font()));
}

void DuplicateFinderView::refreshEmptyResult(const DuplicateSearchState &state)
{
    m_notSearched->setVisible(!state.hasSearched);
    m_foundNone->setVisible(state.hasSearched);
    // A long path would stretch the wrapped message: it is shortened in the middle.
    m_foundNone->setMessageArgument(
        QFontMetrics(BrivelloTheme::font(TextStyle::callout))
            .elidedText(DuplicateGroupRows::scopeTitle(state.roots, AppLanguage::current()),
                        Qt::ElideMiddle,
                        kScopeInMessageWidth));
}

WorkspaceEmptyState *DuplicateFinderView::emptyResultState() const
{
    return m_store.duplicateSearch().hasSearched ? m_foundNone : m_notSearched;
}

int DuplicateFinderView::fileRowCount() const
{
    return int(m_rows.size());
}

int DuplicateFinderView::fileRowHeight(int row) const
{
    const DuplicateGroupRows::Row &r = m_rows.at(row);
    const double d = density();
    const int height =
        r.isHeading ? DuplicateGroupCard::headingHeight(d) : DuplicateGroupCard::fileRowHeight(d);
    return height +
           (r.isLastOfGroup ? DuplicateGroupCard::padding(d) + int(std::lround(kCardGap * d)) : 0);
}

void DuplicateFinderView::paintFileRow(QPainter &painter,
                                       const QRect &rect,
                                       int row,
                                       bool hovered) const
{
    const DuplicateGroupRows::Row &r = m_rows.at(row);
    const DuplicateSearchState &state = m_store.duplicateSearch();
    DuplicateGroupCard::Look look;
    look.selectedIDs = state.selectedTrackIDs;
    look.currentID = m_player ? m_player->currentID() : std::nullopt;
    look.isPlaying = m_player && m_player->isPlaying();
    look.hovered = hovered;
    look.density = density();
    const QRect card =
        rect.adjusted(0, 0, 0, r.isLastOfGroup ? -int(std::lround(kCardGap * look.density)) : 0);
    if (r.isHeading) {
        const AudioDuplicateGroup &group = state.groups.at(r.group);
        DuplicateGroupCard::paintHeading(
            painter,
            card,
            group,
            DuplicateGroupRows::tracksIn(group, m_store.duplicateTracks()),
            look);
    } else {
        DuplicateGroupCard::paintFile(painter, card, r, look);
    }
}

bool DuplicateFinderView::bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay)
{
    const DuplicateGroupRows::Row &r = m_rows.at(row);
    if (r.isHeading)
        return false;
    const Track track = r.track;
    // Rows of this list are picked and played, not dragged: no Shift range, no toggling.
    overlay.trackURL = QUrl();
    overlay.selectedURLs = {};
    overlay.startedOnSelectedRow = false;
    overlay.isDragEnabled = false;
    overlay.onDragBlocked = {};
    overlay.onExternalDrop = [this](const QList<QUrl> &urls) { importDroppedURLs(urls); };
    overlay.select = [this, id = track.id] {
        const SectionListRules::Selection selection = SectionListRules::duplicateClick(id);
        setSelection(selection.ids, selection.anchor);
    };
    overlay.play = [this, track] {
        if (m_player)
            m_player->play(track);
    };
    return true;
}

// A double click on a mark toggles it twice; it never reaches the row to select or play it.
bool DuplicateFinderView::pressFileRowControl(int row, const QPoint &pointInRow, int clickCount)
{
    const DuplicateGroupRows::Row &r = m_rows.at(row);
    const QRect local(QPoint(0, 0), m_list->rowRect(row).size());
    if (r.isHeading) {
        if (clickCount == 1 &&
            DuplicateGroupCard::trashButtonRect(local, density()).contains(pointInRow))
            trashMarked(r.group);
        return true;
    }
    if (!DuplicateGroupCard::toggleRect(local, density()).contains(pointInRow))
        return false;
    DuplicateSearchState state = m_store.duplicateSearch();
    if (!state.selectedTrackIDs.remove(r.track.id))
        state.selectedTrackIDs.insert(r.track.id);
    m_store.setDuplicateSearch(std::move(state));
    return true;
}

QString DuplicateFinderView::fileRowToolTip(int row, const QPoint &pointInRow) const
{
    const DuplicateGroupRows::Row &r = m_rows.at(row);
    const QRect local(QPoint(0, 0), m_list->rowRect(row).size());
    if (r.isHeading || !DuplicateGroupCard::toggleRect(local, density()).contains(pointInRow))
        return {};
    const bool marked = m_store.duplicateSearch().selectedTrackIDs.contains(r.track.id);
    return BrivelloLocalization::string(marked ? QStringLiteral("Убрать из выбранных")
                                               : QStringLiteral("Выбрать для удаления"));
}

void DuplicateFinderView::trashMarked(int group)
{
    const QList<AudioDuplicateGroup> &groups = m_store.duplicateSearch().groups;
    if (group >= groups.size() || !m_actions.trashMarkedTracks)
        return;
    // A copy: the trash replaces the state the list lives in.
    const QString id = groups.at(group).id;
    m_actions.trashMarkedTracks(id);
}

void DuplicateFinderView::paintDropFrame(QWidget *frame)
{
    QPainter painter(frame);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    QPen pen(light ? rgbA(0.12, 0.2, 0.3, 0.55) : whiteA(0.82), 1.5);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setDashPattern({7 / 1.5, 5 / 1.5});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(frame->rect()).adjusted(12, 12, -12, -12), 18, 18);
}

void DuplicateFinderView::setDropTarget(bool target)
{
    m_isDropTarget = target;
    m_dropFrame->setGeometry(rect());
    m_dropFrame->setVisible(target);
    m_dropFrame->raise();
}

void DuplicateFinderView::dragEnterEvent(QDragEnterEvent *event)
{
    if (PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty())
        return;
    event->acceptProposedAction();
    setDropTarget(true);
}

void DuplicateFinderView::dragLeaveEvent(QDragLeaveEvent *)
{
    setDropTarget(false);
}

void DuplicateFinderView::dropEvent(QDropEvent *event)
{
    setDropTarget(false);
    const QList<QUrl> urls = PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData());
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    importDroppedURLs(urls);
}

} // namespace brivello
