#include "ShellEvents.h"

#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

namespace brivello {

ShellEvents &ShellEvents::instance()
{
    static ShellEvents *events = new ShellEvents;
    return *events;
}

ShellEvents::ShellEvents()
{
    m_scheme = BrivelloTheme::currentScheme();
    m_reduceMotion = qEnvironmentVariableIntValue("BRIVELLO_REDUCE_MOTION") != 0;
    connect(&Defaults::standard(), &Defaults::changed, this, [this](const QString &key) {
        if (key == QLatin1String("appAppearance"))
            refresh();
    });
    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) {
            emit languageChanged();
        });
}

void ShellEvents::refresh()
{
    const ColorScheme scheme = BrivelloTheme::currentScheme();
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    emit appearanceChanged();
}

} // namespace brivello
