#include "shell/BrivelloApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    brivello::BrivelloApp::configureApplication();
    brivello::BrivelloApp brivelloApp;
    brivelloApp.show();
    return app.exec();
}
