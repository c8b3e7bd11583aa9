#include "MainWindow.h"

#include "AppearanceCrossfade.h"
#include "BrivelloTheme.h"
#include "ContentArea.h"
#include "DashboardSidebar.h"
#include "OpenPanels.h"
#include "PixmapStrips.h"
#include "SectionToolbar.h"
#include "ShellEvents.h"
#include "library/LibrarySettingsKeys.h"
#include "library/MetadataLoading.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "playback/PlayerBlockSizing.h"
#include "playback/ui/PlayerBar.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "workspaces/MainWindowController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace brivello {

MainWindow::MainWindow(LibraryStore &store,
                       AudioPlayer &player,
                       UpdateManager &updates,
                       QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_controller(new MainWindowController(store, player, updates, this))
{
    setWindowTitle(QStringLiteral("Brivello"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sidebar = new DashboardSidebar(*m_controller, this);
    m_sidebar->installEventFilter(this);
    m_toolbar = new SectionToolbar(*m_controller, this);
    m_content = new ContentArea(store, this);
    m_player = new ResizablePlayerDashboardBlock(store, this);
    m_player->installEventFilter(this);

    // Until the drop handling of the sections is installed: import, then show the section.
    m_sidebar->setDropReceiver([this](const QList<QUrl> &urls, LibraryStore::LibraryTab tab) {
        OpenPanels::importIntoSection(m_store, tab, urls);
        m_controller->activateTab(tab);
    });
    installPlaylist(player);
    m_player->setPanel(new PlayerBar(store, player));
    installWorkspaces(player);
    connect(m_sidebar, &DashboardSidebar::settingsRequested, this, &MainWindow::presentSettings);
    connect(m_controller,
            &MainWindowController::updatePromptRequested,
            this,
            [this](const UpdateManager::Release &release) {
                if (m_presentUpdate)
                    m_presentUpdate(release);
            });
    connect(&store, &LibraryStore::lastErrorChanged, this, &MainWindow::showErrorAlert);
    connect(&store, &LibraryStore::noticeChanged, this, &MainWindow::showNoticeAlert);
    connect(&store.settings(),
            &LibrarySettings::dashboardPlayerOnTopChanged,
            this,
            &MainWindow::relayout);
    connect(
        &store.settings(), &LibrarySettings::waveformHeightChanged, this, &MainWindow::relayout);
    connect(&ShellEvents::instance(), &ShellEvents::appearanceAboutToChange, this, [this] {
        AppearanceCrossfade::start(this);
    });
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, [this] {
        showErrorAlert();
        showNoticeAlert();
    });
    relayout();
}

MainWindow::~MainWindow() = default;

void MainWindow::presentSettings()
{
    // The sheet is window-modal: while one is open the shortcut does not reach the window.
    if (m_presentSettings && !QApplication::activeModalWidget())
        m_presentSettings();
}

void MainWindow::relayout()
{
    const QRect area = rect();
    const PlayerBlockSizing sizing = PlayerBlockSizing::compute(
        area.width(), area.height(), m_store.settings().waveformHeight());
    m_player->setSizing(sizing);
    const int inner = area.height() - 2 * kMargin;
    m_sidebar->setGeometry(kMargin, kMargin, m_sidebar->width(), inner);
    const int columnX = kMargin + m_sidebar->width() + kMargin;
    const int columnWidth = area.width() - columnX - kMargin;
    const int gap = int(sizing.gap);
    m_toolbar->setGeometry(columnX, kMargin, columnWidth, SectionToolbar::kHeight);
    const int playerHeight = m_player->height();
    const int restTop = kMargin + SectionToolbar::kHeight + gap;
    const int contentHeight = qMax(0, inner - SectionToolbar::kHeight - 2 * gap - playerHeight);
    if (m_store.settings().dashboardPlayerOnTop()) {
        m_player->setGeometry(columnX, restTop, columnWidth, playerHeight);
        m_content->setGeometry(columnX, restTop + playerHeight + gap, columnWidth, contentHeight);
    } else {
        m_content->setGeometry(columnX, restTop, columnWidth, contentHeight);
        m_player->setGeometry(columnX, restTop + contentHeight + gap, columnWidth, playerHeight);
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The sidebar animates its width and the player block its height: follow both.
    if ((watched == m_sidebar || watched == m_player) && event->type() == QEvent::Resize)
        relayout();
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent *event)
{
    // Loads change rows many times a second: at 30 frames instead of 60 the painting leaves the
    // main thread to the loads. The deferred frame comes back as a new update request. Real
    // clock, not the scheduler: this paces frames, it delays no behaviour.
    if (event->type() == QEvent::UpdateRequest) {
        if (m_store.metadataLoading().isLoading() && m_lastFrame.isValid() &&
            !m_lastFrame.hasExpired(kLoadingFrameMs)) {
            if (!m_frameDeferred) {
                m_frameDeferred = true;
                QTimer::singleShot(
                    std::max(0, int(kLoadingFrameMs - m_lastFrame.elapsed())), this, [this] {
                        m_frameDeferred = false;
                        QCoreApplication::postEvent(
                            this, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
                    });
            }
            return true;
        }
        m_lastFrame.start();
    }
    return QWidget::event(event);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    // The canvas's gradient and glows change only with the size and the scheme.
    const ColorScheme scheme = ShellEvents::instance().scheme();
    m_canvas.paint(*this, event->region(), scheme, [&](QPainter &canvas) {
        canvas.setRenderHint(QPainter::Antialiasing);
        BrivelloTheme::paintCanvas(canvas, rect(), scheme);
    });
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_controller->windowAppeared();
    m_appeared = true;
    showErrorAlert();
    showNoticeAlert();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Nothing changed within the save debounce may be lost when the window goes.
    m_store.session().saveWorkspaceSessionNow();
    QWidget::closeEvent(event);
}

QMessageBox *MainWindow::makeAlert(std::function<void()> onClose)
{
    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setWindowModality(Qt::WindowModal);
    box->addButton(QString(), QMessageBox::RejectRole);
    connect(box, &QMessageBox::finished, this, [onClose] { onClose(); });
    return box;
}

void MainWindow::showErrorAlert()
{
    const std::optional<QString> error = m_store.lastError();
    if (!error) {
        if (m_errorAlert)
            m_errorAlert->close();
        return;
    }
    if (!m_appeared)
        return;
    if (!m_errorAlert)
        m_errorAlert = makeAlert([this] { m_store.setLastError(std::nullopt); });
    const QString title =
        BrivelloLocalization::string(m_store.lastErrorTopic() == LibraryStore::ErrorTopic::trash
                                         ? QStringLiteral("Не удалось переместить в Корзину")
                                         : QStringLiteral("Не удалось сохранить теги"));
    m_errorAlert->setWindowTitle(title);
    m_errorAlert->setText(title);
    m_errorAlert->setInformativeText(BrivelloLocalization::string(*error));
    m_errorAlert->buttons().first()->setText(
        BrivelloLocalization::string(QStringLiteral("Понятно")));
    m_errorAlert->open();
}

void MainWindow::showNoticeAlert()
{
    const std::optional<QString> notice = m_store.notice();
    if (!notice) {
        if (m_noticeAlert)
            m_noticeAlert->close();
        return;
    }
    if (!m_appeared)
        return;
    if (!m_noticeAlert)
        m_noticeAlert = makeAlert([this] { m_store.setNotice(std::nullopt); });
    const QString title =
        BrivelloLocalization::string(QStringLiteral("Трек находится в «Избранном»"));
    m_noticeAlert->setWindowTitle(title);
    m_noticeAlert->setText(title);
    m_noticeAlert->setInformativeText(BrivelloLocalization::string(*notice));
    m_noticeAlert->buttons().first()->setText(
        BrivelloLocalization::string(QStringLiteral("Понятно")));
    m_noticeAlert->open();
}

} // namespace brivello
