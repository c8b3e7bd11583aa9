#include "ShellSettings.h"

namespace brivello {

namespace {

const SettingsKeyTable<ShellSettings> &table()
{
#define BRIVELLO_SHELL_ROW(...) BRIVELLO_SETTING_TABLE_ROW(ShellSettings, __VA_ARGS__)
    static const SettingsKeyTable<ShellSettings> rows{BRIVELLO_SHELL_SETTINGS(BRIVELLO_SHELL_ROW)};
#undef BRIVELLO_SHELL_ROW
    return rows;
}

} // namespace

ShellSettings::ShellSettings(Defaults &defaults, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    connect(&m_defaults, &Defaults::changed, this, [this](const QString &key) {
        table().notify(*this, key);
    });
}

ShellSettings &ShellSettings::standard()
{
    static ShellSettings *settings = new ShellSettings(Defaults::standard());
    return *settings;
}

bool ShellSettings::contains(const QString &key)
{
    return table().contains(key);
}

#define BRIVELLO_SHELL_DEFINITIONS(...) BRIVELLO_SETTING_DEFINITIONS(ShellSettings, __VA_ARGS__)
BRIVELLO_SHELL_SETTINGS(BRIVELLO_SHELL_DEFINITIONS)
#undef BRIVELLO_SHELL_DEFINITIONS

} // namespace brivello
