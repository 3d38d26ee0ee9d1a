#include "app/main.h"

#include "widgets/palette.h"

Tmain::Tmain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("main");
    setWindowTitle("Quellan");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::darkRed);
    setPalette(pal);
}
