#pragma once

#include "app/popuppanel.h"
#include "game/rules.h"

class QLabel;
class QLineEdit;

// The game-over panel: the result, the best the deal allowed, the player's name, and the
// buttons to post the score, to see the high-score list and to close it. The name box holds
// the player's name for the whole game, not only here.
class GameOverPanel : public PopupPanel {
    Q_OBJECT
public:
    explicit GameOverPanel(QWidget *parent);

    QString playerName() const;
    void setPlayerName(const QString &name);
    // Shows a finished game's result in front. An assisted game's score cannot be posted, nor
    // can a lost game's that is not above zero.
    void showResult(rules::Ending ending, int score, bool assisted);
    void setBestPossible(const QString &text);
    // The posting message over SEND SCORE, so that the score cannot be posted twice.
    void showWaiting();
    void setWaitingCaption(const QString &caption);
    void hideWaiting();

signals:
    void playerNameChanged(const QString &name);
    void sendAsked();
    void highScoresAsked();

private:
    QLabel *label_cleared, *label_score1, *label_best, *label_assisted;
    QLineEdit *edit_name;
    TSelButton *button_sendscore;
    TFlatPanel *panel_wait;
};
