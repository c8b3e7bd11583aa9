#include "ContextualHintState.h"

#include "settings/ShellSettings.h"

namespace brivello {

const QString ContextualHintState::kEnabledKey = kContextualHintsEnabledKey;

ContextualHintState::ContextualHintState(Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , m_scheduler(scheduler)
{
    connect(&ShellSettings::standard(),
            &ShellSettings::contextualHintsEnabledChanged,
            this,
            &ContextualHintState::enabledChanged);
}

ContextualHintState::~ContextualHintState()
{
    m_presentation.cancel();
}

bool ContextualHintState::hintsEnabled()
{
    return ShellSettings::standard().contextualHintsEnabled();
}

void ContextualHintState::setHintsEnabled(bool enabled)
{
    ShellSettings::standard().setContextualHintsEnabled(enabled);
}

void ContextualHintState::hoverChanged(bool hovering)
{
    m_isHovering = hovering;
    m_presentation.cancel();
    if (!hintsEnabled()) {
        setPresented(false);
        return;
    }
    if (!hovering)
        return;
    m_presentation = m_scheduler.after(kPresentationDelay, [this] {
        if (m_isHovering && hintsEnabled())
            setPresented(true);
    });
}

void ContextualHintState::controlDisappeared()
{
    m_presentation.cancel();
}

void ContextualHintState::dismiss()
{
    setPresented(false);
}

void ContextualHintState::disableHints()
{
    setHintsEnabled(false);
    setPresented(false);
}

void ContextualHintState::enabledChanged()
{
    if (hintsEnabled())
        return;
    m_presentation.cancel();
    setPresented(false);
}

void ContextualHintState::setPresented(bool presented)
{
    if (presented == m_isPresented)
        return;
    m_isPresented = presented;
    emit presentedChanged(presented);
}

} // namespace brivello
