#include "UpdateHeading.h"

#include "SettingsLook.h"
#include "shell/BrivelloSymbols.h"

#include <QBoxLayout>
#include <QLabel>

namespace brivello {

UpdateHeading UpdateHeading::build(QBoxLayout *row, QWidget *parent, const Look &look)
{
    UpdateHeading heading;
    heading.iconSize = look.iconSize;
    heading.icon = new QLabel(parent);
    heading.icon->setFixedSize(look.iconFrame, look.iconFrame);
    row->addWidget(heading.icon, 0, Qt::AlignVCenter);
    auto *lines = new QVBoxLayout;
    lines->setSpacing(look.lineSpacing);
    heading.title = SettingsLook::label(look.title, parent, look.titleWeight);
    heading.line = SettingsLook::label(look.line, parent);
    lines->addWidget(heading.title);
    lines->addWidget(heading.line);
    row->addLayout(lines, 1);
    return heading;
}

void UpdateHeading::applyLook(ColorScheme scheme) const
{
    icon->setPixmap(BrivelloSymbols::pixmap(QStringLiteral("arrow.down.circle.fill"),
                                            iconSize,
                                            SettingsLook::symbolTint(scheme),
                                            scheme,
                                            icon->devicePixelRatioF()));
    SettingsLook::setTextColor(title, BrivelloTheme::primary(scheme));
}

} // namespace brivello
