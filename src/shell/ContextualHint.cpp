#include "ContextualHint.h"

#include "HintOverlay.h"
#include "settings/ContextualHintState.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

namespace brivello {

namespace {

QList<ContextualHint *> &liveHints()
{
    static QList<ContextualHint *> hints;
    return hints;
}

// Watches the application for windows that cover the controls: a dialog (a file dialog, an
// alert, the settings) or a pop-up (a menu, a list) opening or closing quiets every hint.
class HintQuieter : public QObject
{
public:
    static void install()
    {
        static HintQuieter *quieter = nullptr;
        if (!quieter && qApp) {
            quieter = new HintQuieter(qApp);
            qApp->installEventFilter(quieter);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() &&
                (qobject_cast<QDialog *>(widget) || widget->windowType() == Qt::Popup))
                ContextualHint::quietAll(widget);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    using QObject::QObject;
};

} // namespace

ContextualHint::ContextualHint(QWidget *control,
                               Scheduler &scheduler,
                               const QString &title,
                               const QString &detail,
                               ShortcutProvider shortcut,
                               bool followsPointer)
    : QObject(control)
    , m_control(control)
    , m_title(title)
    , m_detail(detail)
    , m_shortcut(std::move(shortcut))
    , m_state(new ContextualHintState(scheduler, this))
    , m_followsPointer(followsPointer)
{
    setObjectName(followsPointer ? QStringLiteral("contextualHint")
                                 : QStringLiteral("contextualAreaHint"));
    control->installEventFilter(this);
    control->setAttribute(Qt::WA_Hover);
    connect(
        m_state, &ContextualHintState::presentedChanged, this, &ContextualHint::presentedChanged);
    liveHints().append(this);
    HintQuieter::install();
}

ContextualHint::~ContextualHint()
{
    liveHints().removeOne(this);
}

void ContextualHint::quietAll(const QWidget *coveringWindow)
{
    for (ContextualHint *hint : std::as_const(liveHints())) {
        if (coveringWindow && hint->m_control && hint->m_control->window() == coveringWindow)
            continue;
        hint->m_state->controlDisappeared();
        hint->m_state->dismiss();
        // Only a move on the control starts a wait again, not the Enter a closing dialog sends.
        hint->m_awaitingMove = true;
        hint->m_area = {};
    }
}

void ContextualHint::pointerLeft()
{
    if (!m_followsPointer) {
        hoverArea({});
        return;
    }
    m_state->hoverChanged(false);
    closeUnlessPointerOnHint();
}

void ContextualHint::closeUnlessPointerOnHint()
{
    // A hint stays while the pointer rests on it (its button switches hints off).
    if (!m_state->isPresented() || !m_control)
        return;
    if (!HintOverlay::forWindow(m_control->window())->isUnderPointer())
        m_state->dismiss();
}

ContextualHint *ContextualHint::attach(QWidget *control,
                                       Scheduler &scheduler,
                                       const QString &title,
                                       const QString &detail,
                                       ShortcutProvider shortcut)
{
    return new ContextualHint(control, scheduler, title, detail, std::move(shortcut), true);
}

ContextualHint *
ContextualHint::attachToAreas(QWidget *host, Scheduler &scheduler, ShortcutProvider shortcut)
{
    return new ContextualHint(host, scheduler, QString(), QString(), std::move(shortcut), false);
}

ContextualHint *ContextualHint::of(QWidget *control)
{
    return control ? control->findChild<ContextualHint *>(QStringLiteral("contextualHint"),
                                                          Qt::FindDirectChildrenOnly)
                   : nullptr;
}

void ContextualHint::hoverArea(const QRect &area)
{
    if (area == m_area)
        return;
    // Moving from one area straight to another is a leave and a new entry: the wait restarts.
    if (!m_area.isEmpty())
        m_state->hoverChanged(false);
    // Each area has a hint of its own: an open one belongs to the area it was opened on.
    if (!area.isEmpty() && m_state->isPresented() && area != m_anchor)
        m_state->dismiss();
    m_area = area;
    if (!area.isEmpty())
        m_state->hoverChanged(true);
    else
        closeUnlessPointerOnHint();
}

QRect ContextualHint::anchorRect() const
{
    if (!m_control)
        return {};
    return m_followsPointer ? m_control->rect() : m_anchor;
}

bool ContextualHint::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Enter:
            if (m_followsPointer && !m_awaitingMove)
                m_state->hoverChanged(true);
            break;
        case QEvent::HoverMove:
        case QEvent::MouseMove:
            if (m_followsPointer && m_awaitingMove) {
                m_awaitingMove = false;
                m_state->hoverChanged(true);
            }
            break;
        case QEvent::Leave:
            pointerLeft();
            break;
        case QEvent::Hide:
            m_state->controlDisappeared();
            m_state->dismiss();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ContextualHint::presentedChanged(bool presented)
{
    if (!m_control)
        return;
    if (presented && !m_followsPointer)
        m_anchor = m_area;
    HintOverlay *overlay = HintOverlay::forWindow(m_control->window());
    if (presented)
        overlay->present(this);
    else
        overlay->close(this);
}

} // namespace brivello
