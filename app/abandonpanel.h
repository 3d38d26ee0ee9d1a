#pragma once

#include "app/popuppanel.h"

#include <functional>

// The question before a running game is thrown away for another: YES (Y, Enter) goes on to
// what was asked for, NO (N, Escape) keeps playing.
class AbandonPanel : public PopupPanel {
    Q_OBJECT
public:
    explicit AbandonPanel(QWidget *parent);

    // Shows the question in front; `abandon` runs on YES.
    void ask(std::function<void()> abandon);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void answer(bool yes);

    std::function<void()> m_abandon;
};
