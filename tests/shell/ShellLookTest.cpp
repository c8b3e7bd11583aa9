// The shared look: scheme choice, symbols onto Breeze, motion, the content's rounded clip.
#include "shell/ActionButton.h"
#include "shell/BrivelloSymbols.h"
#include "shell/BrivelloTheme.h"
#include "shell/MotionValue.h"
#include "shell/RoundedClipEffect.h"
#include "shell/ShellEvents.h"

#include <QEnterEvent>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

namespace brivello {
namespace {

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

TEST(MotionValueTest, ButtonsEaseHoverAndPressWithTheSharedDurationsOrJumpWithReducedMotion)
{
    ActionButton button(QStringLiteral("Добавить"), QStringLiteral("plus"));
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&button, &enter);
    MotionValue *hover = button.hoverMotion();
    EXPECT_TRUE(hover->isRunning());
    EXPECT_EQ(hover->duration(), BrivelloTheme::kMotionFeedbackMs);
    EXPECT_EQ(button.pressMotion()->duration(), BrivelloTheme::kMotionPressMs);
    EXPECT_LT(hover->value(), 1);
    hover->finish();
    EXPECT_EQ(hover->value(), 1);

    button.setEnabled(false); // a disabled button shows no hover at once
    EXPECT_FALSE(hover->isRunning());
    EXPECT_EQ(hover->value(), 0);

    ShellEvents::instance().setReduceMotion(true);
    button.setEnabled(true);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_FALSE(hover->isRunning());
    EXPECT_EQ(hover->value(), 1);
    ShellEvents::instance().setReduceMotion(false);

    EXPECT_EQ(MotionValue::blend(blackA(0.2), blackA(0.6), 0.5).alphaF(), 0.4f);
}

TEST(RoundedClipEffectTest, CornersAreAntialiasedAlongTheCurve)
{
    QWidget host;
    host.resize(120, 120);
    auto *view = new QWidget(&host);
    view->setGeometry(host.rect());
    view->setAutoFillBackground(true);
    QPalette red = view->palette();
    red.setColor(QPalette::Window, Qt::red);
    view->setPalette(red);
    view->setGraphicsEffect(new RoundedClipEffect(26, view));
    QImage image(host.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    host.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(60, 60)), 255);
    EXPECT_EQ(qAlpha(image.pixel(60, 0)), 255); // straight edges stay whole
    int partial = 0;
    for (int y = 0; y < 26; ++y) {
        for (int x = 0; x < 26; ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            partial += alpha > 0 && alpha < 255;
        }
    }
    EXPECT_GE(partial, 20); // a mask would leave none
}

TEST(EnglishTableTest, SpellsFavouritesOneWay)
{
    QFile file(QStringLiteral(":/i18n/en.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    ASSERT_FALSE(table.isEmpty());
    for (auto it = table.begin(); it != table.end(); ++it)
        EXPECT_FALSE(it.value().toString().contains(QStringLiteral("avorite")))
            << it.value().toString().toStdString();
}

} // namespace
} // namespace brivello
