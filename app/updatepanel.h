#pragma once

#include "app/popuppanel.h"

class QLabel;

// The offer of a newer version, and the steps of its installation once accepted.
class UpdatePanel : public PopupPanel {
    Q_OBJECT
public:
    explicit UpdatePanel(QWidget *parent);

    // A step of the installation, on the panel's bottom line.
    void setStatus(const QString &text);

signals:
    // UPDATE: the player wants the new version now.
    void updateAsked();

private:
    void button_updateyesClick();

    TSelButton *button_updateyes, *button_updatecancel;
    QLabel *label_update;
};
