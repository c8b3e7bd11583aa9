#include "settings/ui/WaveformColorPreview.h"

#include "SettingsViewFixture.h"

#include <QTest>
#include <cmath>

namespace brivello {
namespace {

using WaveformColorPreviewTest = SettingsViewFixture;

TEST_F(WaveformColorPreviewTest, BarsRunFromAShortestBarAtTheLeftToATallestAtTheRight)
{
    const QSizeF size(510, 100);
    const QLineF first = WaveformColorPreview::bar(0, size);
    const QLineF last = WaveformColorPreview::bar(WaveformColorPreview::kBarCount - 1, size);
    EXPECT_DOUBLE_EQ(first.x1(), 0);
    EXPECT_NEAR(std::fabs(first.dy()), 18.4, 1e-9);
    EXPECT_DOUBLE_EQ(last.x1(), 510);
    EXPECT_NEAR(std::fabs(last.dy()), 78.2, 1e-9);
    for (int i = 0; i < WaveformColorPreview::kBarCount; ++i) {
        const QLineF bar = WaveformColorPreview::bar(i, size);
        EXPECT_DOUBLE_EQ((bar.y1() + bar.y2()) / 2, 50) << i;
        EXPECT_GE(std::fabs(bar.dy()), 18.4 - 1e-9) << i;
        EXPECT_LE(std::fabs(bar.dy()), 78.2 + 1e-9) << i;
    }
}

TEST_F(WaveformColorPreviewTest, ColourTableFollowsPresetAndAppearance)
{
    const auto dark = ColorScheme::dark;
    const auto light = ColorScheme::light;
    const struct
    {
        const char *preset;
        double r, g, b;
        ColorScheme scheme;
        QColor expected;
    } cases[] = {
        {"white", 1, 1, 1, dark, Qt::white},
        {"white", 1, 1, 1, light, rgbA(0.16, 0.22, 0.29)},
        {"sepia", 1, 1, 1, light, rgbA(0.16, 0.22, 0.29)},
        {"cyan", 1, 1, 1, light, rgbA(0.00, 0.37, 0.48)},
        {"violet", 1, 1, 1, light, rgbA(0.31, 0.20, 0.64)},
        {"lime", 1, 1, 1, light, rgbA(0.10, 0.38, 0.22)},
        {"custom", 1, 1, 1, light, rgbA(0.52, 0.52, 0.52)},
        {"custom", 0.5, 0.25, 0, dark, rgbA(0.5, 0.25, 0)},
        {"custom", NAN, 7, -1, dark, rgbA(1, 1, 0)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WaveformColorPreview::waveformColor(
                      QString::fromLatin1(c.preset), c.r, c.g, c.b, c.scheme),
                  c.expected)
            << c.preset << " " << c.r;
}

TEST_F(WaveformColorPreviewTest, CanvasShowsBarsInTheGivenColour)
{
    WaveformColorPreview preview;
    preview.resize(400, preview.sizeHint().height());
    preview.setColor(Qt::red);
    const QImage image = preview.grab().toImage();
    const QRect canvas = preview.canvasRect();
    // The rightmost bar is a tallest one: red in the middle of the canvas's right end.
    const QColor right = image.pixelColor(canvas.right() - 10, canvas.center().y());
    EXPECT_GT(right.red(), 200);
    EXPECT_LT(right.green(), 80);
    // Above the tallest bars the canvas stays empty.
    const QColor above = image.pixelColor(canvas.right() - 10, canvas.top() + 2);
    EXPECT_LT(above.red(), 200);
}

} // namespace
} // namespace brivello
