// The yardstick for the game's start: a Qt Widgets program that shows one empty main window
// with a menu bar, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    window.menuBar()->addMenu("File")->addAction("Exit", &app, &QCoreApplication::quit);
    window.resize(495, 534);
    window.show();
    return app.exec();
}
