#include "ShellEvents.h"

#include "DesktopMotionPreference.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "settings/ShellSettings.h"

#include <QGuiApplication>

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
                if (s == Qt::ApplicationActive && m_desktopReduceMotion)
                    refreshDesktopMotion();
            });
    }
}

bool ShellEvents::reduceMotion() const
{
    if (m_override)
        return *m_override;
    if (m_environmentReduceMotion || ShellSettings::standard().reduceMotion())
        return true;
    if (!m_desktopReduceMotion)
        m_desktopReduceMotion = DesktopMotionPreference::asksToReduceMotion();
    return *m_desktopReduceMotion;
}

void ShellEvents::refreshDesktopMotion()
{
    m_desktopReduceMotion = DesktopMotionPreference::asksToReduceMotion();
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
