#include "CoverManager.h"

#include "SectionRowStyle.h"
#include "WorkspaceEmptyState.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"
#include "shell/ActionButton.h"
#include "shell/BrivelloSymbols.h"
#include "shell/GlassPanel.h"
#include "shell/ShellEvents.h"
#include "workspaces/CoverImageDecoder.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace brivello {

namespace {

const QString kLastCoverArtworkPathKey = QStringLiteral("lastCoverArtworkPath");
const QString kNoArtwork = QStringLiteral("Обложка не выбрана");

} // namespace

CoverManager::CoverManager(LibraryStore &store,
                           AudioPlayer &player,
                           WorkspaceActions actions,
                           QWidget *parent)
    : WorkspaceSectionView(store, player, std::move(actions), parent)
    , m_artworkName(kNoArtwork)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(18);
    layout->addWidget(buildListPanel(), 1);
    layout->addWidget(buildControlsPanel());

    connect(&m_store, &LibraryStore::tracksChanged, this, &CoverManager::refresh);
    connect(&m_store, &LibraryStore::artworkWritingIDsChanged, this, &CoverManager::refresh);
    connect(&m_store, &LibraryStore::selectedIDsChanged, this, [this] {
        repairSelection();
        refresh();
    });
    connect(&m_store, &LibraryStore::selectedIDChanged, this, &CoverManager::followAnchor);
    refreshOnChanges();
    restoreSavedArtwork();
    refresh();
    if (const std::optional<QUuid> anchor = m_store.selectedID()) {
        scrollToRowSoon(m_list, [this, id = *anchor] {
            for (int row = 0; row < m_rows.size(); ++row) {
                if (m_rows.at(row).id == id)
                    return row;
            }
            return -1;
        });
    }
}

QWidget *CoverManager::buildListPanel()
{
    auto *panel = new GlassPanel(18, this);
    panel->setMinimumWidth(340);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 18, 0, 0);
    column->setSpacing(12);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(18, 0, 18, 0);
    m_filesTitle = new QLabel(panel);
    m_count = new QLabel(panel);
    header->addWidget(m_filesTitle);
    header->addStretch(1);
    header->addWidget(m_count);
    column->addLayout(header);
    m_listStack = new QStackedLayout;
    m_empty = new WorkspaceEmptyState(
        QStringLiteral("photo.badge.plus"),
        QStringLiteral("В «Обложках» пока нет треков"),
        QStringLiteral("Добавьте трек в «Избранное» или перетащите сюда файлы либо папку."),
        panel);
    m_empty->setContentsMargins(18, 0, 18, 18);
    m_list = new FileRowList(*this, panel);
    m_list->setMargins(12, 6);
    m_list->onBackgroundDrop = [this](const QList<QUrl> &urls) { handleDroppedURLs(urls); };
    m_listStack->addWidget(m_empty);
    m_listStack->addWidget(m_list);
    column->addLayout(m_listStack, 1);
    return panel;
}

QWidget *CoverManager::buildControlsPanel()
{
    auto *panel = new GlassPanel(18, this);
    panel->setFixedWidth(300);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(16);
    column->addStretch(1);
    m_previewLabel = new QLabel(panel);
    m_previewLabel->setFixedSize(180, 180);
    m_previewLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(m_previewLabel, 0, Qt::AlignHCenter);
    m_nameLabel = new QLabel(panel);
    m_nameLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(m_nameLabel);
    m_choose =
        new ActionButton(QStringLiteral("Выбрать изображение"), QStringLiteral("folder"), panel);
    connect(m_choose, &QAbstractButton::clicked, this, &CoverManager::chooseArtwork);
    column->addWidget(m_choose, 0, Qt::AlignHCenter);
    m_assign = new ActionButton(
        QStringLiteral("Присвоить обложку"), QStringLiteral("photo.badge.plus"), panel);
    connect(m_assign, &QAbstractButton::clicked, this, &CoverManager::assign);
    column->addWidget(m_assign, 0, Qt::AlignHCenter);
    m_hint = new QLabel(panel);
    m_hint->setFixedWidth(230);
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignCenter);
    column->addWidget(m_hint, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return panel;
}

QSet<QUuid> CoverManager::selectedCoverIDs() const
{
    QSet<QUuid> ids;
    const QSet<QUuid> &selected = m_store.selectedIDs();
    for (const Track &track : m_rows) {
        if (selected.contains(track.id))
            ids.insert(track.id);
    }
    return ids;
}

bool CoverManager::isShowingEmptyState() const
{
    return m_listStack->currentWidget() == m_empty;
}

void CoverManager::refresh()
{
    m_rows = m_store.sections().coverTracks();
    const ColorScheme scheme = ShellEvents::instance().scheme();
    m_filesTitle->setText(BrivelloLocalization::string(QStringLiteral("Файлы")));
    m_filesTitle->setFont(BrivelloTheme::font(TextStyle::headline, QFont::DemiBold));
    QPalette titlePalette = m_filesTitle->palette();
    titlePalette.setColor(QPalette::WindowText, BrivelloTheme::primary(scheme));
    m_filesTitle->setPalette(titlePalette);
    const QSet<QUuid> selected = selectedCoverIDs();
    m_count->setText(
        BrivelloLocalization::format(QStringLiteral("Выбрано: %d"), int(selected.size())));
    SectionRowStyle::styleSecondary(m_count, TextStyle::caption, scheme);
    m_listStack->setCurrentWidget(m_rows.isEmpty() ? m_empty : static_cast<QWidget *>(m_list));
    m_assign->setEnabled(!m_artworkData.isEmpty() && !selected.isEmpty());
    m_hint->setText(BrivelloLocalization::string(QStringLiteral(
        "Выберите несколько строк через Ctrl или Shift. Поддерживаются PNG, JPEG, TIFF и HEIC.")));
    SectionRowStyle::styleSecondary(m_hint, TextStyle::caption, scheme);
    refreshPreview();
    m_list->reload();
}

void CoverManager::refreshPreview()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    m_previewLabel->setStyleSheet(QStringLiteral("background: rgba(0,0,0,%1); border-radius: 18px;")
                                      .arg(light ? 0.045 : 0.25));
    if (m_preview.isNull()) {
        m_previewLabel->setPixmap(BrivelloSymbols::pixmap(QStringLiteral("photo"),
                                                          50,
                                                          SectionRowStyle::secondary(scheme),
                                                          scheme,
                                                          devicePixelRatioF()));
    } else {
        QPixmap pixmap = QPixmap::fromImage(m_preview.scaled(
            QSize(180, 180) * devicePixelRatioF(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(devicePixelRatioF());
        m_previewLabel->setPixmap(pixmap);
    }
    // The placeholder is an interface text like any other; file names are shown as they are.
    m_nameLabel->setText(m_artworkData.isEmpty() ? BrivelloLocalization::string(kNoArtwork)
                                                 : m_artworkName);
    SectionRowStyle::styleSecondary(m_nameLabel, TextStyle::caption, scheme);
}

void CoverManager::chooseArtwork()
{
    auto *dialog =
        new QFileDialog(this, BrivelloLocalization::string(QStringLiteral("Выберите обложку")));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.jpe *.tif *.TIF "
                                         "*.tiff *.TIFF *.heic *.HEIC *.heif *.HEIF"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        acceptArtwork(path);
    });
    dialog->open();
}

bool CoverManager::acceptArtwork(const QString &path)
{
    // The path keeps the bytes of a name that is not UTF-8.
    QFile file;
    if (!LocalFile::fileSize(LocalFile::fromPath(path)) ||
        !LocalFile::open(file, path, QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const QImage image = CoverImageDecoder::decode(bytes);
    if (image.isNull())
        return false;
    m_artworkData = bytes;
    m_preview = image;
    m_artworkName = LocalFile::displayName(QFileInfo(path).fileName());
    // Settings hold UTF-8 text: a name that is not UTF-8 is kept as its percent-encoded URL.
    const bool text = LocalFile::displayName(path) == path;
    m_store.settings().defaults().set(
        kLastCoverArtworkPathKey,
        text ? path : QString::fromLatin1(LocalFile::fromPath(path).toEncoded()));
    refresh();
    return true;
}

void CoverManager::restoreSavedArtwork()
{
    const QString stored =
        m_store.settings().defaults().string(kLastCoverArtworkPathKey, QString());
    if (stored.isEmpty())
        return;
    const QString path = stored.startsWith(QLatin1String("file:"))
                             ? LocalFile::path(QUrl::fromEncoded(stored.toLatin1()))
                             : stored;
    if (!acceptArtwork(path))
        m_store.settings().defaults().set(kLastCoverArtworkPathKey, QString());
}

void CoverManager::assign()
{
    const QSet<QUuid> ids = selectedCoverIDs();
    if (m_artworkData.isEmpty() || ids.isEmpty() || !m_actions.assignArtwork)
        return;
    m_actions.assignArtwork(CoverImageDecoder::embeddable(m_artworkData, m_preview), ids);
}

} // namespace brivello
