#include "LibrarySettings.h"

#include "platform/Defaults.h"

namespace brivello {

#define BRIVELLO_SETTINGS_OWNER LibrarySettings
BRIVELLO_SETTINGS_DEFINE(BRIVELLO_LIBRARY_SETTINGS)
#undef BRIVELLO_SETTINGS_OWNER

LibrarySettings::LibrarySettings(Defaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    connect(&m_defaults, &Defaults::changed, this, &LibrarySettings::defaultsChanged);
}

QString LibrarySettings::defaultHotkey(const QString &key)
{
    if (!key.startsWith(QLatin1String("hotkey")))
        return {};
    return table().fallback(key).toString();
}

QString LibrarySettings::hotkey(const QString &key) const
{
    return m_defaults.string(key, defaultHotkey(key));
}

void LibrarySettings::setHotkey(const QString &key, const QString &value)
{
    m_defaults.set(key, value);
}

bool LibrarySettings::contains(const QString &key)
{
    return table().contains(key);
}

QVariant LibrarySettings::fallback(const QString &key)
{
    return table().fallback(key);
}

std::optional<SettingRange> LibrarySettings::range(const QString &key)
{
    return table().range(key);
}

void LibrarySettings::defaultsChanged(const QString &key)
{
    table().notify(*this, key);
}

} // namespace brivello
