#include "ShellSettings.h"

namespace brivello {

#define BRIVELLO_SETTINGS_OWNER ShellSettings
BRIVELLO_SETTINGS_DEFINE(BRIVELLO_SHELL_SETTINGS)
#undef BRIVELLO_SETTINGS_OWNER

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

} // namespace brivello
