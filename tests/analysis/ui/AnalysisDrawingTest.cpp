#include "analysis/ui/SpectrogramPreview.h"
#include "analysis/ui/SpekSpectrogram.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

TEST(SpectrogramPreviewTest, ColourMapBands)
{
    struct Case
    {
        uint8_t byte;
        QColor rgb;
        double opacity;
    };
    EXPECT_FALSE(SpectrogramPreview::cellColor(6));
    const Case cases[] = {
        {7, QColor::fromRgbF(0.025f, 0.035f, 0.16f), 5 * 7 / 255.0},
        {38, QColor::fromRgbF(0.025f, 0.035f, 0.16f), 5 * 38 / 255.0},
        {39, QColor::fromRgbF(0.1f, 0.1f, 0.72f), 39 / 255.0 + 0.38},
        {87, QColor::fromRgbF(0.54f, 0.08f, 0.8f), 1},
        {133, QColor::fromRgbF(0.94f, 0.04f, 0.34f), 1},
        {179, QColor::fromRgbF(1, 0.32f, 0.05f), 1},
        {220, QColor::fromRgbF(1, 0.85f, 0.1f), 1},
        {243, Qt::white, 1},
    };
    for (const Case &c : cases) {
        const std::optional<QColor> color = SpectrogramPreview::cellColor(c.byte);
        ASSERT_TRUE(color) << int(c.byte);
        EXPECT_EQ(color->rgb(), c.rgb.rgb()) << int(c.byte);
        EXPECT_NEAR(color->alphaF(), c.opacity, 0.01) << int(c.byte);
    }
}

// Light appearance: an opaque black plate, so every pixel away from the edges is known.
QImage render(const std::vector<uint8_t> &values, int width, int height)
{
    SpectrogramPreview preview;
    preview.setColorScheme(ColorScheme::light);
    preview.resize(200, 160);
    preview.setValues(values, width, height);
    return preview.grab().toImage();
}

TEST(SpectrogramPreviewTest, RowZeroIsDrawnAtTheBottomLeft)
{
    // Column 0: white low, nothing high. Column 1: nothing low, crimson high.
    const QImage image = render({255, 0, 0, 150}, 2, 2);
    EXPECT_EQ(image.pixelColor(25, 140).rgb(), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixelColor(25, 20).rgb(), QColor(Qt::black).rgb());
    EXPECT_EQ(image.pixelColor(175, 140).rgb(), QColor(Qt::black).rgb());
    const QColor crimson = image.pixelColor(175, 20);
    EXPECT_NEAR(crimson.redF(), 0.94, 0.01);
    EXPECT_NEAR(crimson.blueF(), 0.34, 0.01);
    // The grid lightens the black at the middle line.
    EXPECT_GT(image.pixelColor(100, 20).red(), 0);
}

TEST(SpectrogramPreviewTest, IncompleteDataDrawsNeitherCellsNorGrid)
{
    const QImage image = render({255, 255, 255}, 2, 2);
    for (const QPoint point : {QPoint(25, 140), QPoint(100, 20), QPoint(100, 80), QPoint(50, 80)})
        EXPECT_EQ(image.pixelColor(point).rgb(), QColor(Qt::black).rgb())
            << point.x() << "," << point.y();
}

TEST(SpekSpectrogramTest, AxesLabelTheQuarterLinesAndTheDuration)
{
    SpekSpectrogram view;
    AudioQualityAnalysis result;
    result.sampleRate = 44100;
    view.setResult(std::make_shared<const AudioQualityAnalysis>(result), 245);
    EXPECT_EQ(view.frequencyLabels(), QStringList({"22 kHz", "16 kHz", "11 kHz", "5 kHz", "0 Hz"}));
    EXPECT_EQ(view.timeLabels(), QStringList({"0:00", "2:02", "ВРЕМЯ", "4:05"}));
    result.sampleRate = 96000;
    view.setResult(std::make_shared<const AudioQualityAnalysis>(result), std::nan(""));
    EXPECT_EQ(view.frequencyLabels(),
              QStringList({"48 kHz", "36 kHz", "24 kHz", "12 kHz", "0 Hz"}));
    EXPECT_EQ(view.timeLabels(), QStringList({"0:00", "0:00", "ВРЕМЯ", "0:00"}));
}

} // namespace
