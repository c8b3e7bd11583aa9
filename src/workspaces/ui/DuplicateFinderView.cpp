#include "DuplicateFinderView.h"

#include "MiddleElidedLabel.h"
#include "ScanProgressBar.h"
#include "SectionRowStyle.h"
#include "WorkspaceEmptyState.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ActionButton.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"
#include "workspaces/SectionListRules.h"

#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace brivello {

namespace {

// The dashed frame over the whole section while files hover; it lets every event through.
class DropFrame : public QWidget
{
public:
    DropFrame(std::function<void(QWidget *)> paint, QWidget *parent)
        : QWidget(parent)
        , m_paint(std::move(paint))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override { m_paint(this); }

private:
    std::function<void(QWidget *)> m_paint;
};

} // namespace

DuplicateFinderView::DuplicateFinderView(LibraryStore &store,
                                         AudioPlayer &player,
                                         WorkspaceActions actions,
                                         QWidget *parent)
    : WorkspaceSectionView(store, player, std::move(actions), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 16);
    layout->setSpacing(14);
    layout->addWidget(buildHeader());
    m_scopeLine = new QWidget(this);
    auto *scopeRow = new QHBoxLayout(m_scopeLine);
    scopeRow->setContentsMargins(22, 0, 22, 0);
    scopeRow->setSpacing(10);
    auto *folder = new QLabel(m_scopeLine);
    folder->setPixmap(
        BrivelloSymbols::pixmap(QStringLiteral("folder"),
                                13,
                                SectionRowStyle::secondary(ShellEvents::instance().scheme()),
                                ShellEvents::instance().scheme(),
                                devicePixelRatioF()));
    scopeRow->addWidget(folder);
    m_scope = new MiddleElidedLabel(m_scopeLine);
    scopeRow->addWidget(m_scope, 1);
    layout->addWidget(m_scopeLine);
    layout->addWidget(buildProgress());

    m_content = new QStackedLayout;
    m_dropZone =
        new WorkspaceEmptyState(QStringLiteral("doc.on.doc"),
                                QStringLiteral("Добавьте папку или аудиофайлы"),
                                QStringLiteral("Файлы останутся только в разделе «Дубликаты». "
                                               "Папки обходятся вместе со всеми подпапками."),
                                this);
    m_list = new FileRowList(*this, this);
    m_list->setMargins(18, 4);
    m_list->setSpacing(0);
    m_list->onBackgroundDrop = [this](const QList<QUrl> &urls) { importDroppedURLs(urls); };
    m_content->addWidget(m_dropZone);
    m_content->addWidget(buildScanning());
    m_content->addWidget(buildEmptyResult());
    m_content->addWidget(m_list);
    layout->addLayout(m_content, 1);
    m_dropFrame = new DropFrame(&DuplicateFinderView::paintDropFrame, this);

    m_lastNavigableIDs.clear();
    for (const Track &track : navigableTracks())
        m_lastNavigableIDs.append(track.id);
    m_lastFocus = m_store.duplicateSearch().focusedTrackID;
    connect(
        &m_store, &LibraryStore::duplicateSearchChanged, this, &DuplicateFinderView::searchChanged);
    connect(
        &m_store, &LibraryStore::duplicateTracksChanged, this, &DuplicateFinderView::tracksChanged);
    refreshOnChanges();

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.observe(brivelloNavigateDuplicateItems, nullptr, this, [this](const Notification &n) {
        const QVariant offset = n.userInfo.value(QStringLiteral("offset"));
        if (offset.typeId() == QMetaType::Int)
            navigateDuplicates(offset.toInt());
    });
    center.observe(brivelloPlaybackDidFinish, nullptr, this, [this](const Notification &) {
        if (m_store.activeTab() == LibraryStore::LibraryTab::duplicates)
            navigateDuplicates(1, true);
    });
    refresh();
    revealFocus();
}

QWidget *DuplicateFinderView::buildHeader()
{
    auto *header = new QWidget(this);
    QHBoxLayout *row = titleRow(header, m_title, m_subtitle, 1);
    m_subtitle->setWordWrap(true);
    m_clear = new ActionButton(QStringLiteral("Очистить список"), QStringLiteral("trash"), header);
    connect(m_clear, &QAbstractButton::clicked, this, [this] {
        if (m_actions.clearDuplicateWorkspace)
            m_actions.clearDuplicateWorkspace();
    });
    row->addWidget(m_clear);
    m_find = new ActionButton(
        QStringLiteral("Найти дубликаты"), QStringLiteral("magnifyingglass"), header);
    connect(m_find, &QAbstractButton::clicked, this, &DuplicateFinderView::find);
    row->addWidget(m_find);
    return header;
}

QWidget *DuplicateFinderView::buildProgress()
{
    m_progress = new QWidget(this);
    auto *column = new QVBoxLayout(m_progress);
    column->setContentsMargins(22, 0, 22, 0);
    column->setSpacing(7);
    auto *top = new QHBoxLayout;
    m_phase = new QLabel(m_progress);
    m_percent = new QLabel(m_progress);
    top->addWidget(m_phase);
    top->addStretch(1);
    top->addWidget(m_percent);
    column->addLayout(top);
    m_bar = new ScanProgressBar(m_progress);
    column->addWidget(m_bar);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    m_detail = new MiddleElidedLabel(m_progress);
    m_counter = new QLabel(m_progress);
    bottom->addWidget(m_detail, 1);
    bottom->addWidget(m_counter);
    column->addLayout(bottom);
    return m_progress;
}

QWidget *DuplicateFinderView::buildScanning()
{
    m_scanning = new WorkspaceEmptyState(
        QStringLiteral("doc.on.doc"),
        QStringLiteral("Сравниваем аудиофайлы…"),
        QStringLiteral(
            "Сначала ищем точные копии, затем сверяем название, исполнителя и длительность."),
        this);
    return m_scanning;
}

QWidget *DuplicateFinderView::buildEmptyResult()
{
    m_emptyResult = new QWidget(this);
    auto *column = new QVBoxLayout(m_emptyResult);
    column->setSpacing(12);
    column->addStretch(1);
    m_notSearched = new WorkspaceEmptyState(
        QStringLiteral("square.on.square"),
        QStringLiteral("Дубликаты ещё не искали"),
        QStringLiteral("Нажмите «Найти дубликаты». Сравнивается содержимое файлов, а не их имена."),
        m_emptyResult);
    m_foundNone = new WorkspaceEmptyState(
        QStringLiteral("checkmark.seal"),
        QStringLiteral("Дубликаты не найдены"),
        QStringLiteral("В «%@» нет ни точных копий, ни версий одного трека."),
        m_emptyResult);
    column->addWidget(m_notSearched);
    column->addWidget(m_foundNone);
    auto *again = new ActionButton(
        QStringLiteral("Найти дубликаты"), QStringLiteral("magnifyingglass"), m_emptyResult);
    connect(again, &QAbstractButton::clicked, this, &DuplicateFinderView::find);
    column->addWidget(again, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_emptyResult;
}

void DuplicateFinderView::find()
{
    // A second press while the store starts its search must not start another.
    if (m_store.duplicateSearch().isSearching || !m_actions.findDuplicates)
        return;
    m_actions.findDuplicates();
}

DuplicateFinderView::Content DuplicateFinderView::content() const
{
    if (m_store.duplicateTracks().isEmpty())
        return Content::dropZone;
    if (m_store.duplicateSearch().isSearching)
        return Content::scanning;
    if (m_store.duplicateSearch().groups.isEmpty())
        return Content::emptyResult;
    return Content::groups;
}

QList<Track> DuplicateFinderView::navigableTracks() const
{
    return DuplicateGroupRows::navigableTracks(m_store.duplicateSearch().groups,
                                               m_store.duplicateTracks());
}

void DuplicateFinderView::setSelection(const QSet<QUuid> &ids, const std::optional<QUuid> &focus)
{
    DuplicateSearchState state = m_store.duplicateSearch();
    state.selectedTrackIDs = ids;
    state.focusedTrackID = focus;
    m_store.setDuplicateSearch(std::move(state));
}

void DuplicateFinderView::navigateDuplicates(int offset, bool afterFinish)
{
    const QList<Track> tracks = navigableTracks();
    QList<QUuid> ids;
    for (const Track &track : tracks)
        ids.append(track.id);
    const std::optional<QUuid> focus = m_store.duplicateSearch().focusedTrackID;
    std::optional<int> target = SectionListRules::duplicateMoveTarget(ids, focus, offset);
    if (afterFinish)
        target = SectionListRules::nextAfterFinish(ids, target, focus);
    if (!target)
        return;
    const Track track = tracks.at(*target);
    setSelection({track.id}, track.id);
    if (m_player)
        m_player->play(track);
}

void DuplicateFinderView::searchChanged()
{
    QList<QUuid> ids;
    for (const Track &track : navigableTracks())
        ids.append(track.id);
    if (ids != m_lastNavigableIDs) {
        m_lastNavigableIDs = ids;
        const DuplicateSearchState &state = m_store.duplicateSearch();
        const SectionListRules::Selection pruned = SectionListRules::prune(
            {state.selectedTrackIDs, state.focusedTrackID}, QSet<QUuid>(ids.cbegin(), ids.cend()));
        if (pruned.ids != state.selectedTrackIDs || pruned.anchor != state.focusedTrackID)
            setSelection(pruned.ids, pruned.anchor);
    }
    refresh();
    if (m_store.duplicateSearch().focusedTrackID != m_lastFocus) {
        m_lastFocus = m_store.duplicateSearch().focusedTrackID;
        revealFocus();
    }
}

// While no card shows, a new file list alone changes at most the buttons and the page: the
// search's metadata phase rewrites the records with every step, and the step's own state
// update redraws the rest once.
void DuplicateFinderView::tracksChanged()
{
    const DuplicateSearchState &state = m_store.duplicateSearch();
    const qsizetype files = m_store.duplicateTracks().size();
    if (state.groups.isEmpty() && m_rows.isEmpty() &&
        m_content->currentWidget() == page(content()) &&
        m_clear->isEnabledTo(this) ==
            SectionListRules::canClearDuplicates(files, state.roots.size()) &&
        m_find->isEnabledTo(this) == SectionListRules::canFindDuplicates(files, state.isSearching))
        return;
    searchChanged();
}

void DuplicateFinderView::revealFocus()
{
    const std::optional<QUuid> focus = m_store.duplicateSearch().focusedTrackID;
    if (!focus)
        return;
    QTimer::singleShot(0, this, [this, id = *focus] {
        for (int row = 0; row < m_rows.size(); ++row) {
            if (!m_rows.at(row).isHeading && m_rows.at(row).track.id == id) {
                m_list->scrollToRow(row, true, !ShellEvents::instance().reduceMotion());
                return;
            }
        }
    });
}

void DuplicateFinderView::importDroppedURLs(const QList<QUrl> &urls)
{
    SectionRowStyle::importDropped(urls, [this](const QList<QUrl> &files) {
        m_store.importer().importDuplicateSearchURLs(files);
    });
}

} // namespace brivello
