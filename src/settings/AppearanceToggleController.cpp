#include "AppearanceToggleController.h"

#include "settings/ShellSettings.h"

namespace brivello {

AppearanceToggleController::AppearanceToggleController(Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler)
{
    connect(&ShellSettings::standard(),
            &ShellSettings::appAppearanceChanged,
            this,
            &AppearanceToggleController::settingChanged);
}

AppearanceToggleController::~AppearanceToggleController()
{
    m_pendingWrite.cancel();
}

bool AppearanceToggleController::settingIsDark()
{
    return ShellSettings::standard().appAppearance() != QLatin1String("light");
}

void AppearanceToggleController::syncWithSetting()
{
    const bool dark = settingIsDark();
    if (dark == m_displayedDark)
        return;
    m_displayedDark = dark;
    emit displayedDarkAppearanceChanged(false);
}

void AppearanceToggleController::toggleAppearance()
{
    m_pendingWrite.cancel();
    m_displayedDark = !m_displayedDark;
    emit displayedDarkAppearanceChanged(!m_reduceMotion);
    const QString value = m_displayedDark ? QStringLiteral("dark") : QStringLiteral("light");
    const auto write = [value] { ShellSettings::standard().setAppAppearance(value); };
    if (m_reduceMotion)
        write();
    else
        m_pendingWrite = m_scheduler.after(kWriteDelay, write);
}

void AppearanceToggleController::cancelPendingWrite()
{
    m_pendingWrite.cancel();
}

void AppearanceToggleController::settingChanged()
{
    const bool dark = settingIsDark();
    if (dark == m_displayedDark)
        return;
    m_displayedDark = dark;
    emit displayedDarkAppearanceChanged(!m_reduceMotion);
}

} // namespace brivello
