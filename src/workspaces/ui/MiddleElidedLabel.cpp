#include "MiddleElidedLabel.h"

#include <QPainter>

namespace brivello {

MiddleElidedLabel::MiddleElidedLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString MiddleElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

QSize MiddleElidedLabel::minimumSizeHint() const
{
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3,
                 QLabel::minimumSizeHint().height());
}

void MiddleElidedLabel::paintEvent(QPaintEvent *)
{
    updateToolTip();
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(Qt::AlignLeft | Qt::AlignVCenter), shownText());
}

void MiddleElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void MiddleElidedLabel::updateToolTip()
{
    const QString tip = shownText() == text() ? QString() : text();
    if (toolTip() != tip)
        setToolTip(tip);
}

} // namespace brivello
