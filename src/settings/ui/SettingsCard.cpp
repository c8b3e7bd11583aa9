#include "SettingsCard.h"

#include "SettingsLook.h"

#include <QPainter>

namespace brivello {

SettingsCard::SettingsCard(qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_radius(radius)
{}

void SettingsCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    SettingsLook::paintCard(painter, rect(), m_radius, SettingsLook::scheme());
}

} // namespace brivello
