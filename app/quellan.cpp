// Process entry: the application title, the windows in their creation order, the event loop.
#include "app/main.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quellan");
    QApplication::setApplicationDisplayName("Quellan");
    Tmain mainWindow;
    mainWindow.show();
    return app.exec();
}
