// Shared test main: one application object on the offscreen platform for the whole run,
// with private XDG folders so no test touches the user's settings, Trash or caches.
#include "settings/ShellSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef BRIVELLO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    QTemporaryDir home;
    // A screen with room for the window at its default size and its frame, as on a desktop
    // (the offscreen platform's own screen is 800 × 600).
    QFile screens(home.filePath(QStringLiteral("offscreen.json")));
    if (screens.open(QIODevice::WriteOnly)) {
        screens.write(R"({"screens": [{"name": "Offscreen", "x": 0, "y": 0, "width": 1920,
                          "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.close();
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toUtf8());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString dir = home.path() + QLatin1Char('/') + QString::fromLatin1(name).toLower();
        QDir().mkpath(dir);
        qputenv(name, dir.toUtf8());
    }
    TestApplication app(argc, argv);
    TestApplication::setOrganizationName(QStringLiteral("Brivello"));
    TestApplication::setApplicationName(QStringLiteral("Brivello"));
    // Text lookups follow the stored language, as in the application.
    brivello::ShellSettings::standard();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
