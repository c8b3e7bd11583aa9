#include "GenreToolsLook.h"

#include "shell/ShellEvents.h"

#include <QLabel>
#include <QScrollArea>

namespace brivello {

QLabel *GenreToolsLook::secondaryLabel(TextStyle style, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFont(BrivelloTheme::font(style));
    setSecondary(label);
    return label;
}

void GenreToolsLook::setSecondary(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     BrivelloTheme::secondary(ShellEvents::instance().scheme()));
    label->setPalette(palette);
}

void GenreToolsLook::clearBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    widget->setPalette(palette);
    widget->setAutoFillBackground(false);
}

QScrollArea *GenreToolsLook::sideways(QWidget *content, int height, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setFixedHeight(height);
    clearBackground(area);
    clearBackground(area->viewport());
    content->setFixedHeight(height);
    area->setWidget(content);
    content->setAutoFillBackground(false); // setWidget turns it on
    return area;
}

} // namespace brivello
