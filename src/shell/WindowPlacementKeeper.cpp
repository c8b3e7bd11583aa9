#include "WindowPlacementKeeper.h"

#include "platform/Defaults.h"
#include "platform/WindowPlacement.h"
#include "settings/ShellSettingsKeys.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace brivello {

namespace {

constexpr Qt::WindowStates kFilledStates = Qt::WindowMaximized | Qt::WindowFullScreen;

// The screens' free areas, the primary screen's first.
QList<QRect> availableAreas()
{
    QList<QRect> areas;
    QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.append(screen->availableGeometry());
    }
    return areas;
}

QMargins frameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(),
                    client.top() - frame.top(),
                    frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

} // namespace

WindowPlacementKeeper::WindowPlacementKeeper(QWidget &window,
                                             Defaults &defaults,
                                             QSize defaultSize,
                                             QSize minimumSize)
    : QObject(&window)
    , m_window(window)
    , m_defaults(defaults)
    , m_defaultSize(defaultSize)
    , m_minimumSize(minimumSize)
{
    window.installEventFilter(this);
    // A quit by signal ends the event loop without closing the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &WindowPlacementKeeper::save);
}

void WindowPlacementKeeper::show()
{
    // The window manager's frame is known only once the window is shown (fitShownFrame).
    const QMargins unknownFrame;
    const QList<QRect> areas = availableAreas();
    const QRect saved = m_defaults.value(kWindowGeometryKey).toRect();
    WindowPlacement placement{QRect(QPoint(), m_defaultSize), m_minimumSize};
    if (saved.isValid())
        placement = WindowPlacement::restored(saved, m_minimumSize, areas, unknownFrame);
    else if (!areas.isEmpty())
        placement =
            WindowPlacement::centered(m_defaultSize, m_minimumSize, areas.first(), unknownFrame);
    m_window.setMinimumSize(placement.minimumSize);
    m_window.setGeometry(placement.geometry);
    m_shown = true;
    m_awaitingFrame = true;
    if (m_defaults.boolean(kWindowMaximizedKey))
        m_window.showMaximized();
    else
        m_window.show();
}

void WindowPlacementKeeper::save()
{
    if (!m_shown)
        return;
    m_defaults.set(kWindowGeometryKey, m_window.normalGeometry());
    m_defaults.set(kWindowMaximizedKey, bool(m_window.windowState() & Qt::WindowMaximized));
}

bool WindowPlacementKeeper::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_window && event->type() == QEvent::PlatformSurface) {
        if (QWindow *handle = m_window.windowHandle())
            handle->installEventFilter(this);
    } else if (watched == &m_window && event->type() == QEvent::Close) {
        save();
    } else if (m_awaitingFrame && event->type() == QEvent::Expose &&
               watched == m_window.windowHandle() && m_window.windowHandle()->isExposed()) {
        m_awaitingFrame = false;
        fitShownFrame();
    }
    return QObject::eventFilter(watched, event);
}

// A window placed without its frame may have its title bar or bottom edge off the screen now
// that the window manager has framed it.
void WindowPlacementKeeper::fitShownFrame()
{
    if (m_window.windowState() & kFilledStates)
        return;
    const WindowPlacement placement = WindowPlacement::restored(
        m_window.geometry(), m_minimumSize, availableAreas(), frameMargins(m_window));
    m_window.setMinimumSize(placement.minimumSize);
    if (placement.geometry != m_window.geometry())
        m_window.setGeometry(placement.geometry);
}

} // namespace brivello
