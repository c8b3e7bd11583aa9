#include "ConverterView.h"

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

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace brivello {

namespace {

constexpr int kBitrates[] = {192, 256, 320};

} // namespace

ConverterView::ConverterView(LibraryStore &store,
                             AudioPlayer &player,
                             WorkspaceActions actions,
                             QWidget *parent)
    : WorkspaceSectionView(store, player, std::move(actions), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 16);
    layout->setSpacing(14);
    auto *header = new QWidget(this);
    buildHeader(header);
    layout->addWidget(header);

    m_content = new QStackedLayout;
    m_dropZone = new WorkspaceEmptyState(
        QStringLiteral("arrow.triangle.2.circlepath"),
        QStringLiteral("Добавьте аудиофайлы или папки"),
        QStringLiteral("Поддерживаются MP3, FLAC, WAV, AIFF/AIF, M4A и AAC."),
        this);
    m_list = new FileRowList(*this, this);
    m_list->setMargins(8, 4);
    m_list->setSpacing(3);
    m_list->onBackgroundDrop = [this](const QList<QUrl> &urls) { importDropped(urls); };
    m_list->viewport()->installEventFilter(this);
    m_content->addWidget(m_dropZone);
    m_content->addWidget(m_list);
    layout->addLayout(m_content, 1);

    m_lastIDs = itemIDs();
    connect(&m_store, &LibraryStore::conversionItemsChanged, this, &ConverterView::queueChanged);
    for (auto signal : {&LibraryStore::converterSelectedItemIDsChanged,
                        &LibraryStore::converterFocusedItemIDChanged,
                        &LibraryStore::tracksChanged})
        connect(&m_store, signal, this, &ConverterView::refresh);
    refreshOnChanges({kConverterBitrateKey});
    observeNotifications();
    refresh();
    if (const std::optional<QUuid> focus = m_store.converterFocusedItemID())
        scrollToRowSoon(m_list, [this, id = *focus] { return int(itemIDs().indexOf(id)); });
}

void ConverterView::buildHeader(QWidget *header)
{
    QHBoxLayout *row = titleRow(header, m_title, m_subtitle, 0);
    row->addStretch(1);
    m_count = new QLabel(header);
    row->addWidget(m_count);
    m_bitrate = new QComboBox(header);
    m_bitrate->setFixedWidth(120);
    for (int rate : kBitrates)
        m_bitrate->addItem(QStringLiteral("%1 kbps").arg(rate), rate);
    connect(m_bitrate, &QComboBox::activated, this, [this](int index) {
        m_store.settings().setConverterBitrate(m_bitrate->itemData(index).toInt());
    });
    row->addWidget(m_bitrate);
    m_convert = new ActionButton(
        QStringLiteral("Конвертировать"), QStringLiteral("arrow.right.circle.fill"), header);
    connect(m_convert, &QAbstractButton::clicked, this, [this] {
        if (m_actions.convertQueuedItems)
            m_actions.convertQueuedItems();
    });
    row->addWidget(m_convert);
}

void ConverterView::observeNotifications()
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.observe(brivelloSelectAllConversionItems, nullptr, this, [this](const Notification &) {
        const QList<QUuid> ids = itemIDs();
        setSelection({QSet<QUuid>(ids.cbegin(), ids.cend()),
                      ids.isEmpty() ? std::nullopt : std::optional<QUuid>(ids.first())});
    });
    center.observe(brivelloRemoveConversionItems, nullptr, this, [this](const Notification &) {
        removeSelectedItems();
    });
    center.observe(brivelloNavigateConversionItems, nullptr, this, [this](const Notification &n) {
        const QVariant offset = n.userInfo.value(QStringLiteral("offset"));
        navigateConversionQueue(offset.typeId() == QMetaType::Int ? offset.toInt() : 0);
    });
    center.observe(brivelloPlaybackDidFinish, nullptr, this, [this](const Notification &) {
        if (m_store.activeTab() == LibraryStore::LibraryTab::converter)
            navigateConversionQueue(1, true);
    });
}

bool ConverterView::isShowingDropZone() const
{
    return m_content->currentWidget() == m_dropZone;
}

QList<QUuid> ConverterView::itemIDs() const
{
    QList<QUuid> ids;
    for (const ConversionItem &item : m_store.conversionItems())
        ids.append(item.id);
    return ids;
}

SectionListRules::Selection ConverterView::selection() const
{
    return {m_store.converterSelectedItemIDs(), m_store.converterFocusedItemID()};
}

void ConverterView::setSelection(const SectionListRules::Selection &selection)
{
    m_store.setConverterSelectedItemIDs(selection.ids);
    m_store.setConverterFocusedItemID(selection.anchor);
}

void ConverterView::selectConversionItem(const QUuid &id, Qt::KeyboardModifiers modifiers)
{
    setSelection(SectionListRules::converterClick(
        itemIDs(), selection(), id, SectionRowStyle::modifiers(modifiers)));
}

void ConverterView::navigateConversionQueue(int offset, bool afterFinish)
{
    const QList<QUuid> ids = itemIDs();
    std::optional<int> target = SectionListRules::converterMoveTarget(ids, selection(), offset);
    if (afterFinish) {
        // A file outside the library plays as a new track each time: match by focus instead.
        target = SectionListRules::nextAfterFinish(ids, target, m_store.converterFocusedItemID());
    }
    if (!target)
        return;
    const ConversionItem &item = m_store.conversionItems().at(*target);
    setSelection({{item.id}, item.id});
    play(item.url);
    m_list->scrollToRow(*target, true, !ShellEvents::instance().reduceMotion());
}

void ConverterView::removeSelectedItems()
{
    const QSet<QUuid> ids = m_store.converterSelectedItemIDs();
    if (ids.isEmpty())
        return;
    setSelection({});
    for (const QUuid &id : ids) {
        if (m_actions.removeConversionItem)
            m_actions.removeConversionItem(id);
    }
}

void ConverterView::remove(const QUuid &id)
{
    QSet<QUuid> ids = m_store.converterSelectedItemIDs();
    ids.remove(id);
    std::optional<QUuid> focus = m_store.converterFocusedItemID();
    if (focus == id)
        focus = SectionListRules::anyMember(ids);
    setSelection({ids, focus});
    if (m_actions.removeConversionItem)
        m_actions.removeConversionItem(id);
}

void ConverterView::play(const QUrl &url)
{
    if (!m_player)
        return;
    for (const Track &track : m_store.tracks()) {
        if (track.url == url) {
            m_player->play(track);
            return;
        }
    }
    Track transient = Track::make(url);
    transient.isInPlaylist = true;
    transient.isInCoverWorkspace = false;
    m_player->play(transient);
}

void ConverterView::queueChanged()
{
    const QList<QUuid> ids = itemIDs();
    if (ids != m_lastIDs) {
        m_lastIDs = ids;
        const SectionListRules::Selection pruned =
            SectionListRules::prune(selection(), QSet<QUuid>(ids.cbegin(), ids.cend()));
        if (pruned != selection())
            setSelection(pruned);
    }
    refresh();
}

void ConverterView::refresh()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Конвертация в MP3")));
    m_title->setFont(BrivelloTheme::font(TextStyle::title3, QFont::DemiBold));
    m_subtitle->setText(BrivelloLocalization::string(
        QStringLiteral("Оригинальные файлы сохраняются. MP3 появится рядом с исходником.")));
    SectionRowStyle::styleSecondary(m_subtitle, TextStyle::caption, scheme);
    const qsizetype selected = m_store.converterSelectedItemIDs().size();
    m_count->setVisible(selected > 0);
    m_count->setText(BrivelloLocalization::format(QStringLiteral("Выбрано: %d"), int(selected)));
    SectionRowStyle::styleSecondary(m_count, TextStyle::caption, scheme);
    const int bitrateIndex = m_bitrate->findData(int(m_store.settings().converterBitrate()));
    m_bitrate->setCurrentIndex(bitrateIndex);
    m_convert->setEnabled(SectionListRules::canConvert(m_store.conversionItems()));
    m_content->setCurrentWidget(
        m_store.conversionItems().isEmpty() ? m_dropZone : static_cast<QWidget *>(m_list));
    m_list->reload();
}

void ConverterView::importDropped(const QList<QUrl> &urls)
{
    SectionRowStyle::importDropped(
        urls, [this](const QList<QUrl> &files) { m_store.importer().importForConversion(files); });
}

void ConverterView::dragEnterEvent(QDragEnterEvent *event)
{
    if (isShowingDropZone() &&
        !PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ConverterView::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData());
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    importDropped(urls);
}

bool ConverterView::isCurrent(const ConversionItem &item) const
{
    const std::optional<Track> current = m_player ? m_player->currentTrack() : std::nullopt;
    return current && current->url.adjusted(QUrl::NormalizePathSegments) ==
                          item.url.adjusted(QUrl::NormalizePathSegments);
}

QList<QUrl> ConverterView::selectedFiles() const
{
    QList<QUrl> files;
    const QSet<QUuid> &selected = m_store.converterSelectedItemIDs();
    for (const ConversionItem &item : m_store.conversionItems()) {
        if (selected.contains(item.id))
            files.append(item.outputURL.value_or(item.url));
    }
    return files;
}

} // namespace brivello
