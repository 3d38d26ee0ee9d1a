#pragma once

#include "app/keptgame.h"
#include "app/mainsetup.h"
#include "app/windowsettings.h"

#include <QMainWindow>
#include <QSystemSemaphore>

#include <cstdint>
#include <functional>
#include <optional>

class AbandonPanel;
class AcePanel;
class DealPanel;
class GameOverPanel;
class GameRecord;
class GameSession;
class GameTable;
class InstructionsPanel;
class NamePanel;
class QAction;
class QLabel;
class QMenu;
class ScorePoster;
class SecondaryWindow;
class TableView;
class TFlatPanel;
class Thighscore;
class TLbBackground;
class TURL;
class UpdateChecker;
class UpdatePanel;
class WindowPlacement;

// The game's main window: the card table and the panels that come up over it, the menu bar,
// the settings and the closing sequence. The game session plays, the table shows, the
// panels ask; this window lays them out, connects them, and creates the secondary windows.
class Tmain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain(MainSetup setup, QWidget *parent = nullptr);

    // Where the game reports started and finished games: the tally list unless told otherwise.
    void setGameRecord(GameRecord *record);
    const GameTable &table() const;

signals:
    // The closing sequence has finished; the application should terminate.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildMenus();
    QAction *item(QMenu *menu, const QString &name, const QString &caption,
                  void (Tmain::*handler)(), const QKeySequence &shortcut = {});
    void buildBoard();
    void buildHelpers();
    void connectGame();
    void connectPanels();
    // Creates the secondary windows in their order: the tally list, the About window, the
    // help window and the high-score window. Each lives as long as this window.
    void createWindows();
    // Runs a handler of this window whenever `signal` comes; an error it raises is reported.
    template <class Sender, class Signal>
    void bind(Sender *sender, Signal signal, void (Tmain::*handler)());
    // Runs `slot` with the signal's arguments whenever `signal` comes, reporting its errors.
    template <class Sender, class Receiver, class... Args>
    void forward(Sender *sender, void (Sender::*signal)(Args...), Receiver *receiver,
                 void (Receiver::*slot)(Args...));
    // Runs a handler; an error it raises is reported and the program goes on.
    void guarded(const std::function<void()> &handler);

    void FormCreate();
    void FormShow();
    void FormClose();
    void loadinifile();
    void saveinifile();
    void playsounds(const QString &name);
    // A plain message box with one OK button.
    void inform(const QString &text);
    // Goes on with the game kept from the last run, if there is one.
    void resumeKeptGame();
    // Runs `then` at once, or once the player agrees to give up a game under way.
    void unlessAbandoning(const std::function<void()> &then);
    void showWindow(SecondaryWindow *window);
    // A game was dealt: the window's own panels over the table go, and the table has the
    // keyboard.
    void gameStarted(std::uint32_t deal);
    // UPDATE: the new version replaces this one, which ends once it has started.
    void installUpdate();

    // Handlers.
    void button_startClick();
    void StartGame1Click();
    void SelectDeal1Click();
    void RestartDeal1Click();
    void Undo1Click();
    void Redo1Click();
    void Hint1Click();
    void QuickInstructions1Click();
    void ChangeName1Click();
    void ResetScreenLocation1Click();
    void PlaySounds1Click();
    void Exit1Click();
    void image_logoClick();
    void TallyList1Click();
    void Help2Click();
    void About1Click();
    void button_sendscoreClick();
    void button_highscoresClick();
    void ViewHighScoreList1Click();

    // Menu items whose marks or states change.
    QAction *PlaySounds1 = nullptr, *updatecheck = nullptr, *RestartDeal1 = nullptr;
    QAction *Undo1 = nullptr, *Redo1 = nullptr;

    // The table and what comes up over it.
    TFlatPanel *panel_board = nullptr;
    QLabel *label_name = nullptr;
    TableView *panel_board1 = nullptr;
    NamePanel *panel_name = nullptr;
    AcePanel *panel_removeace = nullptr;
    AbandonPanel *panel_abandon = nullptr;
    UpdatePanel *panel_update = nullptr;
    GameOverPanel *panel_cleared = nullptr;
    DealPanel *panel_deal = nullptr;
    InstructionsPanel *panel_instructions = nullptr;
    TLbBackground *LbBackground1 = nullptr;
    TURL *URL1 = nullptr; // the web site the logo opens

    // The secondary windows, owned by this one.
    SecondaryWindow *tallylist = nullptr, *about = nullptr, *help = nullptr;
    Thighscore *highscore = nullptr;

    MainSetup m_setup;
    std::optional<QSystemSemaphore> m_mutex;
    WindowSettings m_settings;
    WindowPlacement *m_placement = nullptr;
    GameSession *m_session = nullptr;
    UpdateChecker *m_updates = nullptr;
    ScorePoster *m_poster = nullptr;
    GameKeeper m_keeper;
    bool m_shown = false;
};
