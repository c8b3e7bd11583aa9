#include "ShellSettings.h"

#include "platform/AppLanguage.h"

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
    static ShellSettings *settings = [] {
        auto *made = new ShellSettings(Defaults::standard());
        // Connected first, so every other receiver of the change already sees the new language.
        const auto follow = [made] {
            AppLanguage::setCurrent(
                AppLanguage::fromRawValue(made->appLanguage()).value_or(AppLanguage::russian));
        };
        follow();
        connect(made, &ShellSettings::appLanguageChanged, made, follow);
        return made;
    }();
    return *settings;
}

bool ShellSettings::contains(const QString &key)
{
    return table().contains(key);
}

} // namespace brivello
