#pragma once

#include "app/popuppanel.h"

// The quick instructions: the rules shown on the table with pictures of example plays. They
// lie over the whole table, pop-up panels included.
class InstructionsPanel : public PopupPanel {
    Q_OBJECT
public:
    explicit InstructionsPanel(QWidget *parent);

    // Shows the instructions in front, with the keyboard on "Let's Play!".
    void present();

signals:
    // "Let's Play!": a game starts, as START GAME starts one.
    void playAsked();

private:
    TSelButton *button_letsplay;
};
