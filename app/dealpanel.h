#pragma once

#include "app/popuppanel.h"

#include <cstdint>

class QLabel;
class QLineEdit;

// The entry of a deal's number, for File › Select Deal...
class DealPanel : public PopupPanel {
    Q_OBJECT
public:
    explicit DealPanel(QWidget *parent);

    // Shows an empty entry in front, with the keyboard.
    void ask();

signals:
    // PLAY, or Return, with a number a deal can have.
    void dealChosen(std::uint32_t deal);

private:
    void button_dealplayClick();

    QLineEdit *edit_deal;
    QLabel *label_dealerror;
};
