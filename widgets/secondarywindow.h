#pragma once

#include <QWidget>

class TLbBackground;

// What the game's secondary windows share: a top-level window on the game's dark red with
// cream texts, sized in pixels whatever the desktop's font size, carrying the main window's
// background picture, and shown in front of the main window.
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the window in front; one that is not up yet is first centred over `owner` (over
    // the screen when null).
    void showCentredOver(QWidget *owner);

    TLbBackground *LbBackground1 = nullptr;

protected:
    // `mainBackground` lends its picture (may be null); `fontPixels` sizes the window's font.
    SecondaryWindow(const QString &name, const QString &caption, Qt::WindowFlags flags,
                    const TLbBackground *mainBackground, int fontPixels, QWidget *parent);
};
