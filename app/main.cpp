#include "app/main.h"

#include "app/abandonpanel.h"
#include "app/about.h"
#include "app/accesskeys.h"
#include "app/acepanel.h"
#include "app/boardarea.h"
#include "app/dealpanel.h"
#include "app/gameoverpanel.h"
#include "app/gamesession.h"
#include "app/help.h"
#include "app/instructionspanel.h"
#include "app/namepanel.h"
#include "app/playername.h"
#include "app/scoreposter.h"
#include "app/soundplayer.h"
#include "app/tableview.h"
#include "app/updatechecker.h"
#include "app/updatepanel.h"
#include "app/windowplacement.h"
#include "game/random.h"
#include "highscore/highscore.h"
#include "tally/tallylist.h"
#include "widgets/dialogs.h"
#include "widgets/formkit.h"
#include "widgets/lbbackground.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>

#include <utility>

Tmain::Tmain(MainSetup setup, QWidget *parent)
    : QMainWindow(parent), m_setup(std::move(setup)), m_settings(m_setup.settingsFolder),
      m_placement(new WindowPlacement(this)), m_keeper(m_setup.dataFolder + "/quellangame.txt")
{
    buildMenus();
    buildBoard();
    buildHelpers();
    connectGame();
    connectPanels();
    guarded([this] { FormCreate(); });
    createWindows();
    guarded([this] { resumeKeptGame(); });
}

void Tmain::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName("MainMenu1");
    // Menus keep the desktop's colours, not the table's dark red.
    QPalette desktop = QApplication::palette(bar);
    desktop.setResolveMask(~QPalette::ResolveMask(0));
    bar->setPalette(desktop);
    auto menu = [bar](const QString &name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };

    QMenu *file = menu("file1", "File");
    item(file, "StartGame1", "Start Game", &Tmain::StartGame1Click, QKeySequence("Ctrl+S"));
    item(file, "SelectDeal1", "Select &Deal...", &Tmain::SelectDeal1Click);
    RestartDeal1 = item(file, "RestartDeal1", "&Restart Deal", &Tmain::RestartDeal1Click);
    RestartDeal1->setEnabled(false); // until a game has been started
    Undo1 = item(file, "Undo1", "&Undo", &Tmain::Undo1Click, QKeySequence::Undo);
    Undo1->setEnabled(false); // until a game has something to take back
    Redo1 = item(file, "Redo1", "Red&o", &Tmain::Redo1Click);
    Redo1->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    Redo1->setEnabled(false); // until Undo has taken something back
    file->addSeparator()->setObjectName("N1");
    item(file, "Exit1", "Exit", &Tmain::Exit1Click);

    QMenu *options = menu("Options1", "Options");
    PlaySounds1 = item(options, "PlaySounds1", "Play Sounds", &Tmain::PlaySounds1Click);
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    item(options, "ResetScreenLocation1", "Reset Screen Location",
         &Tmain::ResetScreenLocation1Click);
    item(options, "ChangeName1", "Change  Name", &Tmain::ChangeName1Click);
    updatecheck =
        item(options, "updatecheck", "Automatically Check for Updates", &Tmain::saveinifile);
    updatecheck->setCheckable(true);
    updatecheck->setChecked(true);
    // An installed copy leaves updates to its package manager; the setting is kept all the same.
    updatecheck->setVisible(m_setup.selfUpdate);

    QMenu *view = menu("View1", "View");
    item(view, "TallyList1", "Tally List", &Tmain::TallyList1Click);
    item(view, "ViewHighScoreList1", "View High Score List", &Tmain::ViewHighScoreList1Click);

    QMenu *help = menu("Help1", "Help");
    item(help, "Help2", "Help", &Tmain::Help2Click, QKeySequence(Qt::Key_F1));
    item(help, "QuickInstructions1", "Quick Instructions", &Tmain::QuickInstructions1Click,
         QKeySequence("Ctrl+I"));
    item(help, "Hint1", "Hint", &Tmain::Hint1Click, QKeySequence(Qt::Key_H));
    help->addSeparator()->setObjectName("N2");
    item(help, "About1", "About", &Tmain::About1Click);

    assignAccessKeys(bar);
    for (QMenu *each : {file, options, view, help})
        assignAccessKeys(each);
}

QAction *Tmain::item(QMenu *menu, const QString &name, const QString &caption,
                     void (Tmain::*handler)(), const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    bind(action, &QAction::triggered, handler);
    return action;
}

void Tmain::buildBoard()
{
    setObjectName("main");
    setWindowTitle(QString::fromUtf8(quellan::displayName));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::darkRed);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(fonts::sansPt(8));
    LbBackground1 = new TLbBackground(this);
    LbBackground1->setEnabled(true);

    auto *client = new BoardArea(this);
    setCentralWidget(client);
    panel_board = form::panel(client, "panel_board", {-2, 1, 487, 530}, palette::darkRed, true);
    client->setBoard(panel_board);
    label_name = form::label(panel_board, "label_name",
                             "Welcome to " + QString::fromUtf8(quellan::displayName) + "!",
                             {11, 5, 0, 0}, fonts::sansPx(13), palette::cream);
    panel_board1 = new TableView(panel_board);
    panel_name = new NamePanel(panel_board1);
    panel_removeace = new AcePanel(panel_board1);
    panel_abandon = new AbandonPanel(panel_board1);
    panel_update = new UpdatePanel(panel_board1);
    panel_cleared = new GameOverPanel(panel_board1);
    panel_deal = new DealPanel(panel_board1);
    panel_instructions = new InstructionsPanel(panel_board);
}

void Tmain::buildHelpers()
{
    URL1 = new TURL(this);
    URL1->setURL(QString::fromUtf8(quellan::webSite));
    URL1->setOpener(m_setup.opener);
    m_session = new GameSession(this);
    m_updates = new UpdateChecker(m_setup, this);
    m_poster = new ScorePoster([this](const QString &query) { highscore->sendscore(query); }, this);
}

template <class Sender, class Signal>
void Tmain::bind(Sender *sender, Signal signal, void (Tmain::*handler)())
{
    connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
}

template <class Sender, class Receiver, class... Args>
void Tmain::forward(Sender *sender, void (Sender::*signal)(Args...), Receiver *receiver,
                    void (Receiver::*slot)(Args...))
{
    connect(sender, signal, this,
            [this, receiver, slot](Args... args) { guarded([&] { (receiver->*slot)(args...); }); });
}

void Tmain::connectGame()
{
    GameSession *session = m_session;
    TableView *table = panel_board1;
    connect(session, &GameSession::started, this, &Tmain::gameStarted);
    connect(session, &GameSession::changed, table, &TableView::showTable);
    connect(session, &GameSession::aceAsked, panel_removeace, &AcePanel::ask);
    connect(session, &GameSession::aceClosed, panel_removeace, &AcePanel::hide);
    connect(session, &GameSession::ended, panel_cleared, &GameOverPanel::showResult);
    connect(session, &GameSession::bestPossible, panel_cleared, &GameOverPanel::setBestPossible);
    connect(session, &GameSession::hinted, table, &TableView::showHint);
    connect(session, &GameSession::hintMissing, table, &TableView::sayThisTurn);
    connect(session, &GameSession::hintWorking, table, &TableView::sayThisTurn);
    connect(session, &GameSession::undoAvailable, Undo1, &QAction::setEnabled);
    connect(session, &GameSession::redoAvailable, Redo1, &QAction::setEnabled);
    // Kept after every change, so that no way of leaving loses the game.
    connect(session, &GameSession::changed, this,
            [this](const GameTable &table) { m_keeper.keep(table); });
    connect(session, &GameSession::ended, this, [this] { m_keeper.forget(); });
    connect(session, &GameSession::cue, this, &Tmain::playsounds);

    forward(table, &TableView::columnClicked, session, &GameSession::playColumn);
    forward(table, &TableView::dealClicked, session, &GameSession::deal);
    forward(table, &TableView::aceAnswered, session, &GameSession::answerAce);
    bind(table, &TableView::startAsked, &Tmain::button_startClick);
    bind(table, &TableView::logoClicked, &Tmain::image_logoClick);
}

void Tmain::connectPanels()
{
    forward(panel_removeace, &AcePanel::answered, m_session, &GameSession::answerAce);
    connect(panel_deal, &DealPanel::dealChosen, this, [this](std::uint32_t deal) {
        unlessAbandoning([this, deal] { m_session->startDeal(deal); });
    });
    bind(panel_instructions, &InstructionsPanel::playAsked, &Tmain::button_startClick);
    connect(panel_name, &NamePanel::nameChosen, panel_cleared, &GameOverPanel::setPlayerName);
    connect(panel_cleared, &GameOverPanel::playerNameChanged, m_session,
            &GameSession::setPlayerName);
    bind(panel_cleared, &GameOverPanel::sendAsked, &Tmain::button_sendscoreClick);
    bind(panel_cleared, &GameOverPanel::highScoresAsked, &Tmain::button_highscoresClick);

    bind(panel_update, &UpdatePanel::updateAsked, &Tmain::installUpdate);
    connect(m_updates, &UpdateChecker::updateAvailable, panel_update, &UpdatePanel::showInFront);
    connect(m_updates, &UpdateChecker::statusChanged, panel_update, &UpdatePanel::setStatus);
    connect(m_updates, &UpdateChecker::installerFailed, this, &Tmain::inform);

    connect(m_poster, &ScorePoster::waiting, panel_cleared, &GameOverPanel::setWaitingCaption);
    connect(m_poster, &ScorePoster::failed, this, [this] { inform("Posting Failed."); });
}

void Tmain::createWindows()
{
    TallySetup setup;
    setup.folder = m_setup.dataFolder;
    setup.today = [clock = m_setup.clock] { return clock().date(); };
    setup.dialogs = m_setup.dialogs;
    setup.background = LbBackground1;
    auto *tally = new Ttallylist(setup, this);
    setGameRecord(tally);
    tallylist = tally;
    auto *aboutWindow = new Tabout(LbBackground1, m_setup.clock, m_setup.opener, this);
    about = aboutWindow;
    help = new Thelp(LbBackground1, m_setup.clock, aboutWindow, this);
    highscore = new Thighscore(LbBackground1, m_setup.serverUrl, m_setup.opener, this);
    connect(highscore, &Thighscore::postFailed, m_poster, &ScorePoster::refused);
    connect(highscore, &Thighscore::scorePosted, this, [this] {
        panel_cleared->hide();
        m_poster->answered();
    });
}

void Tmain::setGameRecord(GameRecord *record)
{
    m_session->setRecord(record);
}

const GameTable &Tmain::table() const
{
    return m_session->table();
}

void Tmain::FormCreate()
{
    // Held for the life of the process; nothing ever tests it.
    m_mutex.emplace(quellan::shortName, 1, QSystemSemaphore::Open);
    const QTime utc = m_setup.clock().toUTC().time();
    m_session->seed(Random::seedFromTime(utc.hour(), utc.minute(), utc.second(), utc.msec()));
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
    panel_cleared->setPlayerName(stored.name);
    panel_name->setName(panel_cleared->playerName());
    if (stored.firstRun) {
        panel_instructions->showInFront();
        m_settings.markFirstRunDone();
    }
}

void Tmain::saveinifile()
{
    m_settings.write({m_placement->outerGeometry(), PlaySounds1->isChecked(),
                      updatecheck->isChecked(), panel_cleared->playerName()});
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

void Tmain::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        if (m_setup.dialogs)
            m_setup.dialogs->error(this, QString::fromUtf8(error.what()));
    }
}

void Tmain::inform(const QString &text)
{
    if (m_setup.dialogs)
        m_setup.dialogs->information(this, text);
}

void Tmain::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked() && m_setup.sounds)
        m_setup.sounds->play(name);
}

void Tmain::gameStarted(std::uint32_t deal)
{
    for (QWidget *panel : std::initializer_list<QWidget *>{panel_instructions, panel_name,
                                                           panel_cleared, panel_deal})
        panel->hide();
    panel_cleared->hideWaiting();
    panel_board1->setFocus(); // keys play on the table
    panel_board1->showDealNumber(deal);
    RestartDeal1->setEnabled(true);
    label_name->setText("Good Luck " + panel_cleared->playerName());
    label_name->adjustSize();
}

void Tmain::StartGame1Click()
{
    button_startClick();
    panel_cleared->hide();
}

void Tmain::resumeKeptGame()
{
    const std::optional<GameTable> kept = m_keeper.resume();
    if (!kept)
        return;
    m_session->resume(*kept);
    label_name->setText("Welcome back, " + panel_cleared->playerName());
    label_name->adjustSize();
}

void Tmain::unlessAbandoning(const std::function<void()> &then)
{
    const GameTable &game = m_session->table();
    if (!game.gameactive() || (game.line().empty() && !game.canUndo()))
        return then();
    panel_abandon->ask([this, then] { guarded(then); });
}

void Tmain::button_sendscoreClick()
{
    if (panel_cleared->playerName().isEmpty())
        panel_cleared->setPlayerName(guestName());
    // With the deal and the game's line, so that the server can play the game again.
    const GameTable &game = m_session->table();
    m_poster->post(
        {panel_cleared->playerName().toStdString(),
         postingDateText(m_setup.clock().toLocalTime().date(), m_setup.locale).toStdString(),
         game.score(), game.dealNumber(), game.line()});
    panel_cleared->showWaiting();
}

void Tmain::button_highscoresClick()
{
    highscore->loadit();
    highscore->showCentred();
}

void Tmain::ResetScreenLocation1Click()
{
    m_placement->setOuterGeometry(StoredSettings::defaultPlacement);
}

// Each of these hands the command to the part that carries it out.
// clang-format off
void Tmain::showWindow(SecondaryWindow *window) { window->showCentredOver(this); }
void Tmain::PlaySounds1Click() { saveinifile(); } // the action has inverted its mark already
void Tmain::installUpdate() { m_updates->install(); }
void Tmain::button_startClick() { unlessAbandoning([this] { m_session->start(); }); }
void Tmain::SelectDeal1Click() { panel_deal->ask(); }
void Tmain::RestartDeal1Click() { unlessAbandoning([this] { m_session->restart(); }); }
void Tmain::Undo1Click() { m_session->undo(); }
void Tmain::Redo1Click() { m_session->redo(); }
void Tmain::Hint1Click() { m_session->hint(); }
void Tmain::QuickInstructions1Click() { panel_instructions->present(); }
void Tmain::ChangeName1Click() { panel_name->ask(); }
void Tmain::Exit1Click() { close(); }
void Tmain::image_logoClick() { URL1->OpenURL(); }
void Tmain::TallyList1Click() { showWindow(tallylist); }
void Tmain::Help2Click() { showWindow(help); }
void Tmain::About1Click() { showWindow(about); }
void Tmain::ViewHighScoreList1Click() { button_highscoresClick(); }
// clang-format on
