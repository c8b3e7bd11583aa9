#pragma once

#include "platform/AppLanguage.h"

#include <QString>

namespace brivello {

// Settings the shell owns: user-defaults keys and their defaults. "appLanguage" is declared
// with AppLanguage, which the platform layer reads.

inline const QString kAppAppearanceKey = QStringLiteral("appAppearance");
inline const QString kReduceMotionKey = QStringLiteral("reduceMotion");
inline const QString kSidebarCollapsedKey = QStringLiteral("sidebarCollapsed");
inline const QString kContextualHintsEnabledKey = QStringLiteral("contextualHintsEnabled");
// The main window's client area when it is not maximized, and whether it is maximized.
inline const QString kWindowGeometryKey = QStringLiteral("windowGeometry");
inline const QString kWindowMaximizedKey = QStringLiteral("windowMaximized");

inline const QString kAppAppearanceDefault = QStringLiteral("dark");
inline const QString kAppLanguageDefault = QStringLiteral("ru");
inline constexpr bool kReduceMotionDefault = false;
inline constexpr bool kSidebarCollapsedDefault = false;
inline constexpr bool kContextualHintsEnabledDefault = true;

} // namespace brivello
