#include "BrivelloApp.h"

#include "BrivelloSymbols.h"
#include "BrivelloTheme.h"
#include "MainWindow.h"
#include "OpenPanels.h"
#include "QtDialogTranslation.h"
#include "ShellEvents.h"
#include "WindowPlacementKeeper.h"
#include "analysis/AnalysisScheduler.h"
#include "analysis/ThreadedAnalysisJobs.h"
#include "library/LibraryStore.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "platform/TerminationSignals.h"
#include "playback/AudioPlaybackEngine.h"
#include "playback/EngineAudioPlayer.h"
#include "playback/WaveformPreloadQueue.h"
#include "settings/ShellSettings.h"
#include "settings/UpdateManager.h"
#include "settings/ui/SettingsSheet.h"
#include "settings/ui/UpdateAvailableSheet.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyleFactory>

namespace brivello {

namespace {

// Every text lookup from here on uses the language the settings hold.
std::unique_ptr<QtDialogTranslation> translationFollowingSettings()
{
    ShellSettings::standard();
    return std::make_unique<QtDialogTranslation>();
}

// The application icon when the icon theme has none: a note on the dark canvas.
QIcon drawnIcon()
{
    QIcon icon;
    for (int side : {32, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF square(side * 0.06, side * 0.06, side * 0.88, side * 0.88);
        QLinearGradient gradient(square.topLeft(), square.bottomRight());
        const QList<QColor> stops = BrivelloTheme::canvasGradient(ColorScheme::dark);
        gradient.setColorAt(0, stops[1].lighter(160));
        gradient.setColorAt(1, stops[0]);
        painter.setPen(QPen(whiteA(0.2), qMax(1.0, side / 64.0)));
        painter.setBrush(gradient);
        painter.drawRoundedRect(square, side * 0.2, side * 0.2);
        BrivelloSymbols::paint(painter,
                               square,
                               QStringLiteral("music.note"),
                               side * 0.5,
                               whiteA(0.92),
                               ColorScheme::dark);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The sound card's player; without an audio device the engine plays on a silent clocked sink.
std::unique_ptr<EngineAudioPlayer>
makePlayer(LibraryStore &store, AudioPlaybackEngine::SinkFactory sinkFactory, Scheduler &scheduler)
{
    auto engine = sinkFactory ? std::make_unique<AudioPlaybackEngine>(std::move(sinkFactory))
                              : std::make_unique<AudioPlaybackEngine>();
    auto player = std::make_unique<EngineAudioPlayer>(
        std::move(engine), Defaults::standard(), WaveformPreloadQueue::shared(), scheduler);
    player->setLibraryStore(&store);
    return player;
}

// The store's services: the shared ones on `scheduler`, and the waveform preloading of the
// shared queue.
LibraryStoreServices storeServices(Scheduler &scheduler)
{
    LibraryStoreServices services;
    services.scheduler = &scheduler;
    services.waveformPreloads = [queue = &WaveformPreloadQueue::shared()](const QList<QUrl> &urls) {
        queue->enqueue(urls);
    };
    return services;
}

} // namespace

void BrivelloApp::configureApplication()
{
    QApplication::setOrganizationName(QStringLiteral("Brivello"));
    QApplication::setApplicationName(QStringLiteral("Brivello"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brivello"));
    QApplication::setDesktopFileName(QStringLiteral("brivello"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QIcon icon = QIcon::fromTheme(QStringLiteral("brivello"));
    if (icon.isNull())
        icon = drawnIcon();
    QApplication::setWindowIcon(icon);
    applyPalette();
}

void BrivelloApp::applyPalette()
{
    QApplication::setPalette(BrivelloTheme::palette(ShellEvents::instance().scheme()));
}

BrivelloApp::BrivelloApp()
    : BrivelloApp(Services{})
{}

// The window's parts, the analysis and the workspace runs take the scheduler from the store.
BrivelloApp::BrivelloApp(Services services)
    : m_scheduler(services.scheduler ? *services.scheduler : Scheduler::shared())
    , m_qtTranslation(translationFollowingSettings())
    , m_store(std::make_unique<LibraryStore>(Defaults::standard(), storeServices(m_scheduler)))
    , m_player(makePlayer(*m_store, std::move(services.sinkFactory), m_scheduler))
    , m_updates(std::make_unique<UpdateManager>(m_scheduler))
    , m_window(std::make_unique<MainWindow>(*m_store, *m_player, *m_updates))
{
    m_placement =
        new WindowPlacementKeeper(*m_window,
                                  Defaults::standard(),
                                  QSize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight),
                                  QSize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight));
    // A child of the store: the store owns its background analysis.
    new AnalysisScheduler(*m_store, std::make_unique<ThreadedAnalysisJobs>());
    m_addFiles = addWindowAction(QKeySequence(Qt::CTRL | Qt::Key_O), Qt::WindowShortcut);
    connect(m_addFiles, &QAction::triggered, this, [this] {
        OpenPanels::openForSection(*m_store, LibraryStore::LibraryTab::playlist, m_window.get());
    });
    m_window->setSettingsPresenter([this] {
        auto *sheet = new SettingsSheet(*m_store, *m_updates, m_window.get());
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->open();
    });
    m_window->setUpdatePresenter([this](const UpdateManager::Release &release) {
        auto *sheet = new UpdateAvailableSheet(
            release,
            m_updates->currentVersion(),
            [this] { m_updates->downloadAvailableRelease(); },
            m_window.get());
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->open();
    });
    // Quitting closes every window first, so the main window's close writes the snapshot
    // before the event loop ends.
    m_quit = addWindowAction(QKeySequence(Qt::CTRL | Qt::Key_Q), Qt::ApplicationShortcut);
    connect(m_quit, &QAction::triggered, this, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    // The desktop's applications share Ctrl+, for their settings.
    m_openSettings = addWindowAction(QKeySequence(Qt::CTRL | Qt::Key_Comma), Qt::WindowShortcut);
    connect(m_openSettings, &QAction::triggered, m_window.get(), &MainWindow::presentSettings);
    m_closeWindow = addWindowAction(QKeySequence(Qt::CTRL | Qt::Key_W), Qt::WindowShortcut);
    connect(m_closeWindow, &QAction::triggered, m_window.get(), &QWidget::close);
    retranslate();
    connect(
        &ShellEvents::instance(), &ShellEvents::languageChanged, this, &BrivelloApp::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &BrivelloApp::applyPalette);

    // Leaving the application starts the snapshot at once, not after the debounce; it encodes
    // in the background so switching windows never stalls. Quitting writes it synchronously.
    connect(
        qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                m_store->session().saveWorkspaceSessionInBackground();
        });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_store->session().saveWorkspaceSessionNow();
    });
    TerminationSignals::quitApplicationOnTermination();
}

BrivelloApp::~BrivelloApp()
{
    m_window.reset();
}

QAction *BrivelloApp::addWindowAction(const QKeySequence &keys, Qt::ShortcutContext context)
{
    auto *action = new QAction(m_window.get());
    action->setShortcut(keys);
    action->setShortcutContext(context);
    m_window->addAction(action);
    return action;
}

void BrivelloApp::retranslate()
{
    m_addFiles->setText(BrivelloLocalization::string(QStringLiteral("Добавить файлы…")));
    m_quit->setText(BrivelloLocalization::string(QStringLiteral("Выйти из Brivello")));
    m_closeWindow->setText(BrivelloLocalization::string(QStringLiteral("Закрыть окно")));
    m_openSettings->setText(BrivelloLocalization::string(QStringLiteral("Настройки")));
}

void BrivelloApp::show()
{
    m_placement->show();
}

} // namespace brivello
