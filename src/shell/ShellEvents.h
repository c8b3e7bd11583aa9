#pragma once

#include "BrivelloTheme.h"

#include <QObject>

namespace brivello {

// Relays the two changes every shell widget redraws on: the appearance setting and the
// interface language (the notification brivelloLanguageDidChange). Main thread singleton.
class ShellEvents : public QObject
{
    Q_OBJECT
public:
    static ShellEvents &instance();

    ColorScheme scheme() const { return m_scheme; }
    // Accessibility: reduced motion turns the window's animations off.
    bool reduceMotion() const { return m_reduceMotion; }
    void setReduceMotion(bool value) { m_reduceMotion = value; }
    // Re-reads the appearance setting (after the settings were replaced wholesale).
    void refresh();

signals:
    void appearanceChanged();
    void languageChanged();

private:
    ShellEvents();
    ColorScheme m_scheme = ColorScheme::dark;
    bool m_reduceMotion = false;
};

} // namespace brivello
