#pragma once

#include "app/popuppanel.h"
#include "game/card.h"

class QLabel;

// The question before an ace is taken off the board, once all cards are dealt.
class AcePanel : public PopupPanel {
    Q_OBJECT
public:
    explicit AcePanel(QWidget *parent);

    // Shows the question about this ace in front.
    void ask(Card ace);

signals:
    void answered(bool yes);

private:
    QLabel *label_removeace;
};
