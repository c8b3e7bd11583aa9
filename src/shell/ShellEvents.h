#pragma once

#include "BrivelloTheme.h"

#include <QObject>
#include <optional>

namespace brivello {

// Relays the two changes every shell widget redraws on: the appearance setting and the
// interface language (the notification brivelloLanguageDidChange), and answers whether motion
// is to be reduced. Main thread singleton.
class ShellEvents : public QObject
{
    Q_OBJECT
public:
    // Stored Bool, default false: the user's own request for reduced motion.
    static const QString kReduceMotionKey;

    static ShellEvents &instance();

    ColorScheme scheme() const { return m_scheme; }
    // Reduced motion turns the window's animations off: the stored setting, the desktop's
    // animation setting (GNOME, KDE) or BRIVELLO_REDUCE_MOTION ask for it; an override set with
    // setReduceMotion() wins over all of them.
    bool reduceMotion() const;
    void setReduceMotion(std::optional<bool> value) { m_override = value; }
    // Reads the desktop's animation setting again, off the main thread (it is read at start,
    // then whenever the application becomes active); until the first answer motion is allowed.
    void refreshDesktopMotion();
    bool isReadingDesktopMotion() const { return m_readingDesktop; }
    // Re-reads the appearance setting (after the settings were replaced wholesale).
    void refresh();

signals:
    // Just before the scheme changes: widgets still paint the old look.
    void appearanceAboutToChange();
    void appearanceChanged();
    void languageChanged();

private:
    ShellEvents();
    ColorScheme m_scheme = ColorScheme::dark;
    std::optional<bool> m_override;
    bool m_environmentReduceMotion = false;
    bool m_desktopReduceMotion = false;
    bool m_readingDesktop = false;
    bool m_readDesktopAgain = false;
};

} // namespace brivello
