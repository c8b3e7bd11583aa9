#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace brivello {

// Sees every key press of the application before the widgets do, while started: the handler
// returns true to swallow the press. A handled press also wins over menu and action shortcuts
// of the same keys. Main thread; owned by the main window.
class AppKeyboardMonitor : public QObject
{
    Q_OBJECT
public:
    // Gets the press and the widget that receives it (the focus widget, else the window).
    using Handler = std::function<bool(const QKeyEvent &, QWidget *)>;

    explicit AppKeyboardMonitor(QObject *parent = nullptr);
    ~AppKeyboardMonitor() override;

    // Replaces any handler installed before.
    void start(Handler handler);
    void stop();
    bool isStarted() const { return static_cast<bool>(m_handler); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
    // The decision made at a press's shortcut-override stage, applied to the key press that
    // follows, so each press is decided once.
    int m_decidedKey = 0;
    int m_decidedModifiers = 0;
    bool m_decidedTaken = false;
};

} // namespace brivello
