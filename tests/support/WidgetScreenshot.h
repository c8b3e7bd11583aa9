#pragma once

#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace brivello::testing {

// The widget drawn over the window canvas and, for a radius above 0, a glass panel, as it
// sits in the window.
// Widget tests only (header-only: the support library has no widgets).
inline QImage grabOnGlass(QWidget *widget, qreal radius)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    BrivelloTheme::paintCanvas(painter, image.rect(), scheme);
    if (radius > 0)
        BrivelloTheme::paintGlass(painter, image.rect(), radius, scheme);
    widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Writes the image under $BRIVELLO_SCREENSHOT_DIR when that is set.
inline void saveWidgetScreenshot(const QString &name, const QImage &image)
{
    const QString dir = qEnvironmentVariable("BRIVELLO_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(name));
}

} // namespace brivello::testing
