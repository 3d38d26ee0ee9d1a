#pragma once

#include "widgets/flatpanel.h"

class QLabel;
class TSelButton;

// A panel that comes up over the card table: cream edges, the window's colour, hidden until
// it is asked for. Its parts are built by the helpers below, in the table's look.
class PopupPanel : public TFlatPanel {
    Q_OBJECT
public:
    PopupPanel(const QString &name, QRect geometry, QWidget *parent);

protected:
    // A grey caption button that tells assistive tools what it does.
    TSelButton *button(const QString &name, const QString &caption, QRect geometry,
                       const QString &description);
    // A line of bold cream text, centred.
    QLabel *boldLine(const QString &name, const QString &text, QRect geometry, int pixelSize = 19);
};
