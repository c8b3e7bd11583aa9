#pragma once

#include "platform/SettingsKeyTable.h"
#include "settings/ShellSettingsKeys.h"

#include <QObject>
#include <QString>

namespace brivello {

// The shell's settings, one row each: getter, Setter suffix, type, key, default, clamp. Read
// at every access and signalled per key for a write through any path, as LibrarySettings.
// clang-format off
#define BRIVELLO_SHELL_SETTINGS(X)                                                                 \
    X(appAppearance, AppAppearance, QString, kAppAppearanceKey, kAppAppearanceDefault,             \
      kUnclamped)                                                                                  \
    X(appLanguage, AppLanguage, QString, kAppLanguageKey, kAppLanguageDefault, kUnclamped)         \
    X(reduceMotion, ReduceMotion, bool, kReduceMotionKey, kReduceMotionDefault, kUnclamped)        \
    X(sidebarCollapsed, SidebarCollapsed, bool, kSidebarCollapsedKey, kSidebarCollapsedDefault,    \
      kUnclamped)                                                                                  \
    X(contextualHintsEnabled, ContextualHintsEnabled, bool, kContextualHintsEnabledKey,            \
      kContextualHintsEnabledDefault, kUnclamped)
// clang-format on

// The window's own settings over one user-defaults object. Main thread; standard() is the
// application's, over Defaults::standard(), lives as long as the process and sets the current
// AppLanguage from "appLanguage" from its creation on.
class ShellSettings : public QObject
{
    Q_OBJECT
public:
    explicit ShellSettings(Defaults &defaults, QObject *parent = nullptr);

    static ShellSettings &standard();

    BRIVELLO_SHELL_SETTINGS(BRIVELLO_SETTING_ACCESSORS)

    static bool contains(const QString &key);

signals:
    BRIVELLO_SHELL_SETTINGS(BRIVELLO_SETTING_SIGNAL)
    // Any key of the table, after its own signal.
    void changed(const QString &key);

private:
    Defaults &m_defaults;
};

} // namespace brivello
