#include "ShellEvents.h"

#include "DesktopMotionPreference.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "settings/ShellSettings.h"

#include <QFutureWatcher>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

namespace brivello {

const QString ShellEvents::kReduceMotionKey = brivello::kReduceMotionKey;

ShellEvents &ShellEvents::instance()
{
    static ShellEvents *events = new ShellEvents;
    return *events;
}

ShellEvents::ShellEvents()
{
    m_scheme = BrivelloTheme::currentScheme();
    m_environmentReduceMotion = qEnvironmentVariableIntValue("BRIVELLO_REDUCE_MOTION") != 0;
    connect(&ShellSettings::standard(),
            &ShellSettings::appAppearanceChanged,
            this,
            &ShellEvents::refresh);
    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) {
            emit languageChanged();
        });
    // The desktop setting may have changed while another application was in front.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(
            app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
                if (s == Qt::ApplicationActive)
                    refreshDesktopMotion();
            });
    }
    refreshDesktopMotion();
}

bool ShellEvents::reduceMotion() const
{
    if (m_override)
        return *m_override;
    if (m_environmentReduceMotion || ShellSettings::standard().reduceMotion())
        return true;
    return m_desktopReduceMotion;
}

void ShellEvents::refreshDesktopMotion()
{
    // The desktop is asked through child processes, which must never stall the window.
    if (std::exchange(m_readingDesktop, true)) {
        m_readDesktopAgain = true;
        return;
    }
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        m_desktopReduceMotion = watcher->result();
        watcher->deleteLater();
        m_readingDesktop = false;
        if (std::exchange(m_readDesktopAgain, false))
            refreshDesktopMotion();
    });
    watcher->setFuture(QtConcurrent::run(&DesktopMotionPreference::asksToReduceMotion));
}

void ShellEvents::refresh()
{
    const ColorScheme scheme = BrivelloTheme::currentScheme();
    if (scheme == m_scheme)
        return;
    emit appearanceAboutToChange();
    m_scheme = scheme;
    emit appearanceChanged();
}

} // namespace brivello
