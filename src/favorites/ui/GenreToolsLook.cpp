#include "GenreToolsLook.h"

#include "shell/ShellEvents.h"

#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace brivello {

namespace {

// Turns the wheel's vertical turns into sideways scrolling of a row without scroll bars.
class SidewaysWheel : public QObject
{
public:
    SidewaysWheel(QScrollArea *area)
        : QObject(area)
        , m_area(area)
    {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        const auto *wheel = static_cast<QWheelEvent *>(event);
        const QPoint pixels = wheel->pixelDelta();
        const QPoint angle = wheel->angleDelta();
        int delta = pixels.isNull() ? (angle.y() != 0 ? angle.y() : angle.x()) / 2
                                    : (pixels.y() != 0 ? pixels.y() : pixels.x());
        QScrollBar *bar = m_area->horizontalScrollBar();
        if (delta == 0 || bar->maximum() == 0)
            return false;
        bar->setValue(bar->value() - delta);
        return true;
    }

private:
    QScrollArea *m_area;
};

} // namespace

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
    area->viewport()->installEventFilter(new SidewaysWheel(area));
    return area;
}

QMenu *GenreToolsLook::menu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QPalette palette = menu->palette();
    palette.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    menu->setPalette(palette);
    return menu;
}

QString GenreToolsLook::menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace brivello
