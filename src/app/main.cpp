#include "library/LibraryStore.h"

#include <QApplication>
#include <QMainWindow>

using namespace brivello;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brivello"));
    QApplication::setApplicationName(QStringLiteral("Brivello"));

    // One store per process; its construction restores the workspace snapshot.
    LibraryStore store;
    // A change made in the last moments before quitting is written before the process ends.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &store, [&store] {
        store.saveWorkspaceSessionNow();
    });
    QObject::connect(&app,
                     &QGuiApplication::applicationStateChanged,
                     &store,
                     [&store](Qt::ApplicationState state) {
                         if (state != Qt::ApplicationActive)
                             store.saveWorkspaceSessionNow();
                     });

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brivello"));
    window.resize(1440, 900);
    window.setMinimumSize(1280, 760);
    window.show();
    return app.exec();
}
