#include "BrivelloApp.h"

#include "BrivelloTheme.h"
#include "MainWindow.h"
#include "OpenPanels.h"
#include "ShellEvents.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "playback/AudioPlayer.h"
#include "settings/UpdateManager.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

namespace brivello {

void BrivelloApp::configureApplication()
{
    QApplication::setOrganizationName(QStringLiteral("Brivello"));
    QApplication::setApplicationName(QStringLiteral("Brivello"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brivello"));
    QApplication::setDesktopFileName(QStringLiteral("brivello"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QIcon icon = QIcon::fromTheme(QStringLiteral("brivello"));
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
    applyPalette();
}

void BrivelloApp::applyPalette()
{
    QApplication::setPalette(BrivelloTheme::palette(ShellEvents::instance().scheme()));
}

BrivelloApp::BrivelloApp()
    : m_store(std::make_unique<LibraryStore>())
    , m_player(std::make_unique<AudioPlayer>())
    , m_updates(std::make_unique<UpdateManager>())
    , m_window(std::make_unique<MainWindow>(*m_store, *m_player, *m_updates))
{
    m_addFiles = new QAction(m_window.get());
    m_addFiles->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_addFiles->setShortcutContext(Qt::WindowShortcut);
    connect(m_addFiles, &QAction::triggered, this, [this] {
        OpenPanels::openForSection(*m_store, LibraryStore::LibraryTab::playlist, m_window.get());
    });
    m_window->addAction(m_addFiles);
    retranslate();
    connect(
        &ShellEvents::instance(), &ShellEvents::languageChanged, this, &BrivelloApp::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &BrivelloApp::applyPalette);

    // Leaving the application or quitting writes the snapshot at once, not after the debounce.
    connect(
        qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                m_store->saveWorkspaceSessionNow();
        });
    connect(
        qApp, &QCoreApplication::aboutToQuit, this, [this] { m_store->saveWorkspaceSessionNow(); });
}

BrivelloApp::~BrivelloApp()
{
    m_window.reset();
}

void BrivelloApp::retranslate()
{
    m_addFiles->setText(BrivelloLocalization::string(QStringLiteral("Добавить файлы…")));
}

void BrivelloApp::show()
{
    m_window->show();
}

} // namespace brivello
