#include "app/main.h"

#include "app/scoreposter.h"
#include "app/solverworker.h"
#include "app/soundplayer.h"
#include "app/tabletexts.h"
#include "app/updatechecker.h"
#include "app/windowplacement.h"
#include "highscore/highscore.h"
#include "widgets/dialogs.h"
#include "widgets/flatpanel.h"
#include "widgets/image.h"
#include "widgets/secondarywindow.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <utility>

Tmain::Tmain(MainSetup setup, QWidget *parent)
    : QMainWindow(parent), m_setup(std::move(setup)), m_settings(m_setup.settingsFolder),
      m_placement(new WindowPlacement(this))
{
    buildMenus();
    buildBoard();
    buildNamePanel();
    buildAcePanel();
    buildUpdatePanel();
    buildClearedPanel();
    buildDealPanel();
    buildInstructions();
    describeButtons();
    describeTable();
    guarded([this] { FormCreate(); });
}

void Tmain::FormCreate()
{
    // Held for the life of the process; nothing ever tests it.
    m_mutex.emplace(quellan::shortName, 1, QSystemSemaphore::Open);
    const QTime utc = m_setup.clock().toUTC().time();
    m_table.random().seed(Random::seedFromTime(utc.hour(), utc.minute(), utc.second(), utc.msec()));
    loadinifile();
    playsounds("entered");
    ChangeName1Click();
    // On the first run the instructions lie over the name entry: they have the keyboard first.
    if (panel_instructions->isVisibleTo(this))
        QuickInstructions1Click();
}

bool Tmain::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Show && !std::exchange(m_shown, true))
        guarded([this] { FormShow(); });
    return handled;
}

void Tmain::FormShow()
{
    if (m_setup.selfUpdate && updatecheck->isChecked())
        m_updates->check();
}

void Tmain::loadinifile()
{
    const StoredSettings stored = m_settings.read();
    m_placement->setLast(stored.placement);
    m_placement->setOuterGeometry(WindowPlacement::capped(stored.placement));
    PlaySounds1->setChecked(stored.sounds);
    updatecheck->setChecked(stored.update);
    edit_name->setText(stored.name);
    edit_aname->setText(edit_name->text());
    if (stored.firstRun) {
        panel_instructions->showInFront();
        m_settings.markFirstRunDone();
    }
}

void Tmain::saveinifile()
{
    m_settings.write({m_placement->outerGeometry(), PlaySounds1->isChecked(),
                      updatecheck->isChecked(), edit_name->text()});
}

void Tmain::ResetScreenLocation1Click()
{
    m_placement->setOuterGeometry(StoredSettings::defaultPlacement);
}

void Tmain::PlaySounds1Click()
{
    // The action has already inverted its mark.
    saveinifile();
}

void Tmain::closeEvent(QCloseEvent *event)
{
    event->accept();
    guarded([this] { FormClose(); });
    emit closed();
}

void Tmain::FormClose()
{
    m_placement->fitForClosing(QGuiApplication::primaryScreen()->availableGeometry());
    saveinifile();
}

void Tmain::Exit1Click()
{
    close();
}

void Tmain::inform(const QString &text)
{
    if (m_setup.dialogs)
        m_setup.dialogs->information(this, text);
}

void Tmain::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        if (m_setup.dialogs)
            m_setup.dialogs->error(this, QString::fromUtf8(error.what()));
    }
}

void Tmain::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked() && m_setup.sounds)
        m_setup.sounds->play(name);
}

TImage *Tmain::columnImage(int column) const
{
    TImage *const columns[] = {image_col1, image_col2, image_col3, image_col4};
    return columns[column - 1];
}

void Tmain::placecard(int c, int count)
{
    TImage *image = columnImage(c);
    image->resize(CardImages::Width, TablePictures::columnHeight(count));
    image->setPicture([this, column = m_table.column(c), count](qreal ratio) {
        return m_pictures.column(column, count, ratio);
    });
}

void Tmain::showPile(TImage *pile, int index)
{
    pile->setPicture([this, index](qreal ratio) { return m_pictures.pile(index, ratio); });
}

void Tmain::showTable()
{
    for (int c = 1; c <= GameTable::columnCount; ++c)
        placecard(c, m_table.column(c).count);
    showPile(image_deal, m_table.deckOnPile() ? CardImages::BackIndex : CardImages::EmptyMarkIndex);
    showPile(image_played,
             m_table.played().isCard() ? m_table.played().number() : CardImages::EmptyMarkIndex);
    label_score->setText(QString("Score: %1").arg(m_table.score()));
    label_cardsleft->setText(QString("Cards Left: %1").arg(m_table.cardsLeft()));
    label_cardsleft->adjustSize();
    showThisTurn();
    describeTable();
}

void Tmain::button_startClick()
{
    beginGame(std::nullopt);
}

void Tmain::beginGame(std::optional<std::uint32_t> deal)
{
    for (QWidget *panel :
         {panel_instructions, panel_wait, panel_name, panel_cleared, panel_deal, panel_removeace})
        panel->hide();
    panel_board1->setFocus(); // keys play on the table
    m_record->addtomineincrease(1);
    if (deal)
        m_table.startDeal(*deal);
    else
        m_table.start();
    ++m_games;
    tableChanged();
    m_startPosition = m_table.position();
    label_deal->setText(QString("Deal %1").arg(m_table.dealNumber()));
    RestartDeal1->setEnabled(true);
    playsounds("startgame");
    label_name->setText("Good Luck " + edit_name->text());
    label_name->adjustSize();
    showTable();
    playsounds("deal");
}

void Tmain::StartGame1Click()
{
    button_startClick();
    panel_cleared->hide();
}

void Tmain::image_dealClick()
{
    if (!m_table.gameactive())
        return;
    const DealResult result = m_table.dealClick();
    tableChanged();
    showTable();
    if (result.dealt)
        playsounds("deal");
    finishGame(result.ending);
}

void Tmain::image_col4Click(QObject *Sender)
{
    const auto *image = qobject_cast<TImage *>(Sender);
    const ClickResult result = m_table.clickColumn(image ? image->Tag() : 0);
    if (result.play == Play::Ignored)
        return;
    tableChanged();
    showTable();
    if (result.play == Play::AceQuestion)
        showAceQuestion();
    if (result.play == Play::Removed || result.play == Play::AceQuestion)
        playsounds("click");
    finishGame(result.ending);
    if (result.play == Play::Invalid)
        playsounds("invalid");
}

void Tmain::button_removeyesClick()
{
    const Ending ending = m_table.removeAce();
    tableChanged();
    panel_removeace->hide();
    showTable();
    finishGame(ending);
}

void Tmain::button_removenoClick()
{
    m_table.keepAce();
    tableChanged();
    panel_removeace->hide();
}

void Tmain::QuickInstructions1Click()
{
    panel_instructions->showInFront();
    button_letsplay->setFocus();
}

// The name entry, with the name as it stands selected so that typing replaces it.
void Tmain::ChangeName1Click()
{
    panel_name->showInFront();
    edit_aname->setFocus();
    edit_aname->selectAll();
}

void Tmain::showAceQuestion()
{
    label_removeace->setText(tabletexts::aceQuestion(m_table.questionedAce()));
    if (m_table.aceQuestionOpen())
        panel_removeace->showInFront();
    else
        panel_removeace->hide();
}

void Tmain::finishGame(Ending ending)
{
    if (ending == Ending::None)
        return;
    const int score = m_table.score();
    const bool won = ending == Ending::Won;
    const bool assisted = m_table.assisted();
    if (won)
        m_record->addtomineincrease(2);
    // A game with help is counted, but its score is not ranked and cannot be posted.
    if (!assisted)
        m_record->checkscore(score, edit_name->text());
    button_sendscore->setVisible(!assisted && (won || score > 0));
    label_assisted->setVisible(assisted);
    label_score1->setText(QString("Your Score: %1").arg(score));
    label_cleared->setText(won ? "Game Won!" : "Game Over!");
    panel_removeace->hide(); // a question left open has no game to act on
    label_best->clear();
    m_solver->solve(m_startPosition, [this, game = m_games](const Solution &solution) {
        if (game == m_games)
            label_best->setText(bestPossibleText(solution));
    });
    panel_cleared->showInFront();
    playsounds(won ? "winner" : "gameover");
}

// Each of these only shows or hides a window or a panel.
// clang-format off
void Tmain::button_cancelClick() { panel_cleared->hide(); }
void Tmain::button_namecancelClick() { panel_name->hide(); }
void Tmain::button_updatecancelClick() { panel_update->hide(); }
void Tmain::TallyList1Click() { showWindow(tallylist); }
void Tmain::Help2Click() { showWindow(help); }
void Tmain::About1Click() { showWindow(about); }
void Tmain::ViewHighScoreList1Click() { button_highscoresClick(); }
void Tmain::image_logoClick() { URL1->OpenURL(); }
// clang-format on

void Tmain::showWindow(SecondaryWindow *window)
{
    if (window)
        window->showCentredOver(this);
}

void Tmain::button_namedoneClick()
{
    edit_name->setText(edit_aname->text());
    panel_name->hide();
}

void Tmain::button_updateyesClick()
{
    button_updateyes->hide();
    button_updatecancel->hide();
    m_updates->install();
}

void Tmain::button_sendscoreClick()
{
    if (edit_name->text().isEmpty())
        edit_name->setText("Guest");
    // With the deal and the game's line, so that the server can play the game again.
    m_poster->post(
        {edit_name->text().toStdString(),
         postingDateText(m_setup.clock().toLocalTime().date(), m_setup.locale).toStdString(),
         m_table.score(), m_table.dealNumber(), m_table.line()});
    panel_wait->showInFront();
}

void Tmain::button_highscoresClick()
{
    if (!highscore)
        return;
    highscore->loadit();
    highscore->showCentred();
}
