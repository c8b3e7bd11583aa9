#include "SettingsViewFixture.h"

#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ShellEvents.h"

#include <QCoreApplication>
#include <QDir>

namespace brivello {

void SettingsViewFixture::SetUp()
{
    Defaults::standard().resetForTesting();
    ShellEvents::instance().refresh();
}

void SettingsViewFixture::TearDown()
{
    QCoreApplication::processEvents();
    Defaults::standard().resetForTesting();
    ShellEvents::instance().refresh();
    NotificationCenter::defaultCenter().post(brivelloLanguageDidChange);
}

void SettingsViewFixture::setLanguage(const QString &language)
{
    Defaults::standard().set(QStringLiteral("appLanguage"), language);
    NotificationCenter::defaultCenter().post(brivelloLanguageDidChange);
}

void SettingsViewFixture::setAppearance(const QString &appearance)
{
    Defaults::standard().set(QStringLiteral("appAppearance"), appearance);
    ShellEvents::instance().refresh();
}

void SettingsViewFixture::saveScreenshot(const QString &name, const QImage &image)
{
    const QString dir = qEnvironmentVariable("BRIVELLO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name);
}

} // namespace brivello
