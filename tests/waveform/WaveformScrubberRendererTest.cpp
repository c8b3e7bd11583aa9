#include "waveform/WaveformScrubberRenderer.h"

#include "waveform/BezierCurveDrawer.h"
#include "waveform/DefaultWaveformScrubberStyle.h"
#include "waveform/StrokeWaveformScrubberStyle.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

// A full-height waveform 200×40 painted at a progress; returns the image.
QImage
render(const WaveformScrubberStyle &style, double progress, WaveformScrubberRenderer &renderer)
{
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.paint(painter,
                   QSizeF(200, 40),
                   std::vector<float>(20, 0.5f),
                   std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 10}),
                   progress,
                   ScrubberConfig{Qt::red, Qt::blue},
                   style);
    return image;
}

TEST(WaveformScrubberRendererTest, StylesLayOutlineAndFilledPartsWithTheTintsOnTop)
{
    WaveformScrubberRenderer renderer;
    const DefaultWaveformScrubberStyle filled(Qt::green, Qt::green);
    // The tints win over the style's own colours.
    QImage image = render(filled, 0.25, renderer);
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(150, 20), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(150, 2).alpha(), 0); // above the waveform
    // Moving the split repaints from the same rasterised waveform.
    image = render(filled, 0.9, renderer);
    EXPECT_EQ(image.pixelColor(150, 20), QColor(Qt::red));
    // Out-of-range progress puts the split at an edge.
    image = render(filled, -3.0, renderer);
    EXPECT_EQ(image.pixelColor(2, 20), QColor(Qt::blue));

    const StrokeWaveformScrubberStyle outline(Qt::green, Qt::black, 2);
    image = render(outline, 0.0, renderer);
    EXPECT_EQ(image.pixelColor(100, 20).alpha(), 0); // only the outline at progress 0
    EXPECT_EQ(image.pixelColor(100, 10), QColor(Qt::black));
    image = render(outline, 1.0, renderer);
    EXPECT_EQ(image.pixelColor(100, 20), QColor(Qt::red));
}

} // namespace
