#include "ContextualHint.h"

#include "HintOverlay.h"
#include "settings/ContextualHintState.h"

#include <QEvent>
#include <QWidget>

namespace brivello {

ContextualHint::ContextualHint(QWidget *control,
                               const QString &title,
                               const QString &detail,
                               ShortcutProvider shortcut)
    : QObject(control)
    , m_control(control)
    , m_title(title)
    , m_detail(detail)
    , m_shortcut(std::move(shortcut))
    , m_state(new ContextualHintState(this))
{
    setObjectName(QStringLiteral("contextualHint"));
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
    return new ContextualHint(control, title, detail, std::move(shortcut));
}

ContextualHint *ContextualHint::of(QWidget *control)
{
    return control ? control->findChild<ContextualHint *>(QStringLiteral("contextualHint"),
                                                          Qt::FindDirectChildrenOnly)
                   : nullptr;
}

bool ContextualHint::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Enter:
            m_state->hoverChanged(true);
            break;
        case QEvent::Leave:
            m_state->hoverChanged(false);
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
    HintOverlay *overlay = HintOverlay::forWindow(m_control->window());
    if (presented)
        overlay->present(this);
    else
        overlay->close(this);
}

} // namespace brivello
