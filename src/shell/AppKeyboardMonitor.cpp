#include "AppKeyboardMonitor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace brivello {

AppKeyboardMonitor::AppKeyboardMonitor(QObject *parent)
    : QObject(parent)
{}

AppKeyboardMonitor::~AppKeyboardMonitor()
{
    stop();
}

void AppKeyboardMonitor::start(Handler handler)
{
    stop();
    m_handler = std::move(handler);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

void AppKeyboardMonitor::stop()
{
    if (!m_handler)
        return;
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    m_handler = nullptr;
    m_decidedKey = 0;
}

bool AppKeyboardMonitor::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!m_handler || (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
        !watched->isWidgetType())
        return QObject::eventFilter(watched, event);

    // A press that nobody took travels on to the parent widgets; decide only at its first
    // receiver.
    auto *receiver = static_cast<QWidget *>(watched);
    QWidget *focus = QApplication::focusWidget();
    if (focus ? receiver != focus : !receiver->isWindow())
        return false;

    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyPress && m_decidedKey != 0 && key->key() == m_decidedKey &&
        int(key->modifiers()) == m_decidedModifiers) {
        m_decidedKey = 0;
        return m_decidedTaken;
    }
    m_decidedKey = 0;

    const bool taken = m_handler(*key, receiver);
    if (type == QEvent::ShortcutOverride) {
        m_decidedKey = key->key();
        m_decidedModifiers = int(key->modifiers());
        m_decidedTaken = taken;
        // Accepting the override keeps shortcuts out; the key press then arrives and is eaten.
        if (taken)
            key->accept();
    }
    return taken;
}

} // namespace brivello
