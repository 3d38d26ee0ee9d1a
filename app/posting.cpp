// The game-over panel's posting of the final score, its waiting message and time-out, and
// the commands that show the online high-score list.
#include "app/main.h"

#include "highscore/highscore.h"
#include "widgets/dialogs.h"
#include "widgets/flatpanel.h"

#include <QLineEdit>

namespace {

// Seconds the server has to answer a post.
constexpr int postTicks = 40;
constexpr int maxDots = 5;

} // namespace

void Tmain::button_sendscoreClick(QObject *)
{
    if (edit_name->text().isEmpty())
        edit_name->setText("Guest");
    try {
        if (highscore)
            highscore->sendscore(edit_name->text(),
                                 postingDateText(m_setup.clock().toLocalTime().date()),
                                 QString::number(m_table.score()));
    } catch (const std::exception &) {
        // A post that cannot be made fails as an unanswered one does: by its time-out.
    }
    postcountdown = postTicks;
    postdots = 0;
    Timer1->start();
    panel_wait->showInFront();
}

void Tmain::Timer1Timer(QObject *)
{
    --postcountdown;
    if (++postdots > maxDots)
        postdots = 1;
    panel_wait->setCaption("Posting Score, Please Wait" + QString(postdots, '.'));
    if (postcountdown != 0)
        return;
    // Ticks while the message is up only advance the dots: the count is below zero then.
    if (m_setup.dialogs)
        m_setup.dialogs->information(this, "Posting Failed.");
    Timer1->stop();
}

void Tmain::scorePosted()
{
    panel_cleared->hide();
    Timer1->stop();
}

void Tmain::button_highscoresClick(QObject *)
{
    if (!highscore)
        return;
    highscore->loadit();
    highscore->showCentred();
}

void Tmain::ViewHighScoreList1Click(QObject *Sender)
{
    button_highscoresClick(Sender);
}
