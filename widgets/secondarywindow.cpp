#include "widgets/secondarywindow.h"

#include "widgets/fonts.h"
#include "widgets/lbbackground.h"
#include "widgets/palette.h"
#include "widgets/placement.h"

SecondaryWindow::SecondaryWindow(const QString &name, const QString &caption, Qt::WindowFlags flags,
                                 const TLbBackground *mainBackground, int fontPixels,
                                 QWidget *parent)
    : QWidget(parent, flags)
{
    setObjectName(name);
    setWindowTitle(caption);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::darkRed);
    pal.setColor(QPalette::WindowText, palette::cream);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(fonts::sansPx(fontPixels));
    LbBackground1 = new TLbBackground(this);
    if (mainBackground)
        LbBackground1->setImage(mainBackground->Image());
    LbBackground1->setEnabled(true);
}

void SecondaryWindow::showCentredOver(QWidget *owner)
{
    ::showCentredOver(this, owner);
}
