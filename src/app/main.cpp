#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brivello"));
    QApplication::setApplicationName(QStringLiteral("Brivello"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brivello"));
    window.resize(1440, 900);
    window.show();
    return app.exec();
}
