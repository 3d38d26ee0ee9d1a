#include "app/gameoverpanel.h"

#include "app/playername.h"
#include "app/scoreposter.h"
#include "widgets/formkit.h"

namespace {

// One line more than the rest of the panel's text: the best a deal allowed.
constexpr int line = 16;

} // namespace

GameOverPanel::GameOverPanel(QWidget *parent)
    : PopupPanel("panel_cleared", {70, 49, 329, 277 + line}, parent)
{
    const auto centred = Qt::AlignHCenter | Qt::AlignTop;
    label_cleared = boldLine("label_cleared", "Game Over!!", {-1, 10, 327, 24});
    label_score1 = form::label(this, "label_score1", "", {2, 41, 327, 24}, fonts::sansPx(19, true),
                               Qt::white, centred);
    label_best = boldLine("label_best", "", {2, 65, 327, line}, 13);
    boldLine("Label3", "Enter Your Name", {2, 69 + line, 327, 24});
    edit_name = form::edit(this, "edit_name", {83, 91 + line, 161, 32}, 19, typedNameLength);
    connect(edit_name, &QLineEdit::textChanged, this, &GameOverPanel::playerNameChanged);
    button_sendscore = button("button_sendscore", "SEND SCORE", {78, 135 + line, 172, 36},
                              "Posts the score to the online high-score list");
    connect(button_sendscore, &TSelButton::OnClick, this, &GameOverPanel::sendAsked);
    label_assisted = boldLine("label_assisted", "Assisted game", {78, 143 + line, 172, 24});
    label_assisted->hide();
    connect(button("button_highscore", "VIEW HIGH SCORES", {78, 180 + line, 172, 38},
                   "Shows the online high-score list"),
            &TSelButton::OnClick, this, &GameOverPanel::highScoresAsked);
    connect(button("button_done", "DONE", {109, 227 + line, 111, 36}, "Closes the game's result"),
            &TSelButton::OnClick, this, &GameOverPanel::hide);
    panel_wait = form::panel(this, "panel_wait", {9, 129 + line, 313, 48}, palette::darkRed, false);
    // Until the first tick, the caption with one dot more than a tick ever shows.
    panel_wait->setCaption(ScorePoster::waitingCaption(6));
    panel_wait->setFont(fonts::sansPx(19));
    panel_wait->setFontColor(palette::cream);
    panel_wait->hide();
}

QString GameOverPanel::playerName() const
{
    return edit_name->text();
}

void GameOverPanel::setPlayerName(const QString &name)
{
    edit_name->setText(name);
}

void GameOverPanel::showResult(rules::Ending ending, int score, bool assisted)
{
    const bool won = ending == rules::Ending::Won;
    button_sendscore->setVisible(!assisted && (won || score > 0));
    label_assisted->setVisible(assisted);
    label_score1->setText(QString("Your Score: %1").arg(score));
    label_cleared->setText(won ? "Game Won!" : "Game Over!");
    label_best->clear();
    showInFront();
}

void GameOverPanel::setBestPossible(const QString &text)
{
    label_best->setText(text);
}

void GameOverPanel::showWaiting()
{
    panel_wait->showInFront();
}

void GameOverPanel::setWaitingCaption(const QString &caption)
{
    panel_wait->setCaption(caption);
}

void GameOverPanel::hideWaiting()
{
    panel_wait->hide();
}
