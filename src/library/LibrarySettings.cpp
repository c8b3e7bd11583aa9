#include "LibrarySettings.h"

#include "platform/Defaults.h"

namespace brivello {

namespace {

const SettingsKeyTable<LibrarySettings> &table()
{
#define BRIVELLO_LIBRARY_ROW(...) BRIVELLO_SETTING_TABLE_ROW(LibrarySettings, __VA_ARGS__)
    static const SettingsKeyTable<LibrarySettings> rows{
        BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_LIBRARY_ROW)};
#undef BRIVELLO_LIBRARY_ROW
    return rows;
}

} // namespace

LibrarySettings::LibrarySettings(Defaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    connect(&m_defaults, &Defaults::changed, this, &LibrarySettings::defaultsChanged);
}

#define BRIVELLO_LIBRARY_DEFINITIONS(...) BRIVELLO_SETTING_DEFINITIONS(LibrarySettings, __VA_ARGS__)
BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_LIBRARY_DEFINITIONS)
#undef BRIVELLO_LIBRARY_DEFINITIONS

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
