#pragma once

#include <QObject>
#include <QSize>

class QWidget;

namespace brivello {

class Defaults;

// Puts the main window where it was left, as large as it was and maximized if it was, or at
// the first start at its default size centred on the primary screen; either way with its frame
// inside a screen. Remembers the place when the window closes and when the application quits.
// Main thread; a child of the window.
class WindowPlacementKeeper : public QObject
{
    Q_OBJECT
public:
    WindowPlacementKeeper(QWidget &window,
                          Defaults &defaults,
                          QSize defaultSize,
                          QSize minimumSize);

    // Places the window and shows it.
    void show();
    void save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitShownFrame();

    QWidget &m_window;
    Defaults &m_defaults;
    QSize m_defaultSize;
    QSize m_minimumSize;
    bool m_shown = false;
    // Until the window manager's frame around the shown window is known.
    bool m_awaitingFrame = false;
};

} // namespace brivello
