#pragma once

#include <QImage>
#include <QString>
#include <gtest/gtest.h>

namespace brivello {

// Clean settings, the dark look and Russian texts for each test; helpers to switch the
// language or the look the way the application does, and to keep screenshots.
class SettingsViewFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    static void setLanguage(const QString &language);
    static void setAppearance(const QString &appearance);
    // Writes the image under $BRIVELLO_SCREENSHOT_DIR when that is set.
    static void saveScreenshot(const QString &name, const QImage &image);
};

} // namespace brivello
