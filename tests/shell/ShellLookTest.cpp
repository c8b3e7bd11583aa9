// The shared look: scheme choice, symbols onto Breeze, drawn fallbacks, artwork, buttons.
#include "shell/ActionButton.h"
#include "shell/Artwork.h"
#include "shell/BrivelloSymbols.h"
#include "shell/BrivelloTheme.h"
#include "shell/SymbolPainter.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace brivello {
namespace {

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

TEST(BrivelloThemeTest, AppearanceTextSelectsTheSchemeExactly)
{
    EXPECT_EQ(BrivelloTheme::schemeFor("light"), ColorScheme::light);
    EXPECT_EQ(BrivelloTheme::schemeFor("Light"), ColorScheme::dark);
    EXPECT_EQ(BrivelloTheme::schemeFor(""), ColorScheme::dark);
}

TEST(BrivelloSymbolsTest, EveryMappedSymbolHasABreezeFileInBothThemes)
{
    for (auto it = BrivelloSymbols::table().cbegin(); it != BrivelloSymbols::table().cend(); ++it) {
        EXPECT_FALSE(BrivelloSymbols::breezeFile(it.key(), ColorScheme::light).isEmpty())
            << it.key().toStdString();
        const QString dark = BrivelloSymbols::breezeFile(it.key(), ColorScheme::dark);
        EXPECT_TRUE(dark.contains("breeze-dark")) << it.key().toStdString();
    }
}

TEST(BrivelloSymbolsTest, SymbolsAreTintedToOneColourAndUnknownNamesAreDrawn)
{
    const QColor red(255, 0, 0);
    const QImage mapped = BrivelloSymbols::pixmap("plus", 22, red, ColorScheme::dark).toImage();
    ASSERT_GT(opaquePixels(mapped), 10);
    for (int y = 0; y < mapped.height(); ++y) {
        for (int x = 0; x < mapped.width(); ++x) {
            if (qAlpha(mapped.pixel(x, y)) == 255) {
                EXPECT_EQ(QColor(mapped.pixel(x, y)).rgb(), red.rgb());
            }
        }
    }
    EXPECT_TRUE(BrivelloSymbols::breezeName("sun.max.fill").isEmpty());
    EXPECT_TRUE(SymbolPainter::hasDrawing("sun.max.fill"));
    for (const char *name : {"sun.max.fill", "moon.stars.fill", "heart.fill", "no.such.symbol"})
        EXPECT_GT(
            opaquePixels(BrivelloSymbols::pixmap(name, 18, red, ColorScheme::light).toImage()), 20)
            << name;
}

TEST(ArtworkTest, PlaceholderAndCoversAreClippedToAFifthOfTheSide)
{
    QImage canvas(40, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        Artwork::paint(painter, QRectF(0, 0, 40, 40), QImage());
    }
    EXPECT_EQ(Artwork::cornerRadius(40), 8);
    EXPECT_EQ(qAlpha(canvas.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(canvas.pixel(2, 20)), 0);

    // A wide cover fills the square: no letterbox bands at the top or bottom.
    QImage wide(200, 50, QImage::Format_ARGB32);
    wide.fill(QColor(0, 200, 0));
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        Artwork::paint(painter, QRectF(0, 0, 40, 40), wide);
    }
    EXPECT_EQ(QColor(canvas.pixel(20, 1)).green(), 200);
    EXPECT_EQ(QColor(canvas.pixel(20, 38)).green(), 200);
}

TEST(ActionButtonTest, DisabledButtonNeverHovers)
{
    ActionButton button(QStringLiteral("Добавить"), QStringLiteral("plus"));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovering());
    button.setEnabled(false);
    EXPECT_FALSE(button.isHovering());
    EXPECT_EQ(button.text(), "Добавить");
}

} // namespace
} // namespace brivello
