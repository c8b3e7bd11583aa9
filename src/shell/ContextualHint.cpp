#include "ContextualHint.h"

#include "HintOverlay.h"
#include "settings/ContextualHintState.h"

#include <QEvent>
#include <QWidget>

namespace brivello {

ContextualHint::ContextualHint(QWidget *control,
                               const QString &title,
                               const QString &detail,
                               ShortcutProvider shortcut,
                               bool followsPointer)
    : QObject(control)
    , m_control(control)
    , m_title(title)
    , m_detail(detail)
    , m_shortcut(std::move(shortcut))
    , m_state(new ContextualHintState(this))
    , m_followsPointer(followsPointer)
{
    setObjectName(followsPointer ? QStringLiteral("contextualHint")
                                 : QStringLiteral("contextualAreaHint"));
    control->installEventFilter(this);
    control->setAttribute(Qt::WA_Hover);
    connect(
        m_state, &ContextualHintState::presentedChanged, this, &ContextualHint::presentedChanged);
}

ContextualHint *ContextualHint::attach(QWidget *control,
                                       const QString &title,
                                       const QString &detail,
                                       ShortcutProvider shortcut)
{
    return new ContextualHint(control, title, detail, std::move(shortcut), true);
}

ContextualHint *ContextualHint::attachToAreas(QWidget *host, ShortcutProvider shortcut)
{
    return new ContextualHint(host, QString(), QString(), std::move(shortcut), false);
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
            if (m_followsPointer)
                m_state->hoverChanged(true);
            break;
        case QEvent::Leave:
            if (m_followsPointer)
                m_state->hoverChanged(false);
            else
                hoverArea({});
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
