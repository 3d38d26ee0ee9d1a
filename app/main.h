#pragma once

#include "app/mainsetup.h"
#include "app/tablepictures.h"
#include "app/windowsettings.h"
#include "game/gametable.h"
#include "game/solver.h"
#include "tally/gamerecord.h"

#include <QMainWindow>
#include <QSystemSemaphore>

#include <optional>

class QAction;
class QColor;
class QKeyEvent;
class QLabel;
class QLineEdit;
class ScorePoster;
class SolverWorker;
class SecondaryWindow;
class TFlatPanel;
class Thighscore;
class TImage;
class TLbBackground;
class TSelButton;
class TURL;
class UpdateChecker;
class WindowPlacement;

// The game's main window: the card table, the menu bar, the name entry and the panels that
// other parts of the game bring up over the table. It lays them out and wires them to the
// game table and to the helpers that keep the settings, the placement, the update and the
// score posting.
class Tmain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain(MainSetup setup, QWidget *parent = nullptr);

    // Creates the secondary windows in their order: the tally list, the About window, the
    // help window and the high-score window. Each lives as long as this window.
    void createWindows();
    // Where the game reports started and finished games (the tally list once it exists).
    void setGameRecord(GameRecord *record) { m_record = record ? record : &m_noRecord; }

    const GameTable &table() const { return m_table; }

signals:
    // The closing sequence has finished; the application should terminate.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Layout (mainlayout.cpp).
    void buildMenus();
    void buildBoard();
    void buildNamePanel();
    void buildAcePanel();
    void buildUpdatePanel();
    void buildClearedPanel();
    void buildDealPanel();
    void buildInstructions();
    template <class Source> Source *bound(Source *source, void (Tmain::*handler)());
    TSelButton *button(QWidget *parent, const QString &name, const QString &caption, QRect geometry,
                       const QColor &captionColour, void (Tmain::*handler)());

    void FormCreate();
    void FormShow();
    void FormClose();
    void loadinifile();
    void saveinifile();
    void playsounds(const QString &name);
    void placecard(int column, int count);
    void showTable();
    void showPile(TImage *pile, int index);
    void finishGame(Ending ending);
    // Starts a game as START GAME does; with a number, that deal's game (assisted).
    void beginGame(std::optional<std::uint32_t> deal);
    // Something changed on the table: a hint asked for or shown before no longer applies.
    void tableChanged();
    // Outlines a column or the deal pile for a moment.
    void outline(QWidget *target);
    // The ace question's panel as the table has it: shown with its text while it waits.
    void showAceQuestion();
    // Keyboard play on the table (mainaccess.cpp): true when the key was the table's.
    bool tableKey(const QKeyEvent *key);
    // Names and descriptions of the table's parts for assistive tools, from the table.
    void describeTable();
    void describeButtons();
    void sayThisTurn(const QString &text);
    void showThisTurn();
    TImage *columnImage(int column) const;
    void showWindow(SecondaryWindow *window);
    // A plain message box with one OK button.
    void inform(const QString &text);
    // Runs a handler; an error it raises is reported and the program goes on.
    void guarded(const std::function<void()> &handler);

    // Handlers.
    void button_startClick();
    void StartGame1Click();
    void QuickInstructions1Click();
    void image_dealClick();
    void image_col4Click(QObject *Sender);
    void button_removeyesClick();
    void button_removenoClick();
    void button_cancelClick();
    void button_namedoneClick();
    void button_namecancelClick();
    void ChangeName1Click();
    void ResetScreenLocation1Click();
    void PlaySounds1Click();
    void Exit1Click();
    void image_logoClick();
    void TallyList1Click();
    void Help2Click();
    void About1Click();
    void button_updateyesClick();
    void button_updatecancelClick();
    void button_sendscoreClick();
    void button_highscoresClick();
    void ViewHighScoreList1Click();
    // Chosen deals and hints (mainassist.cpp).
    void SelectDeal1Click();
    void RestartDeal1Click();
    void Hint1Click();
    void Undo1Click();
    void button_dealplayClick();
    void button_dealcancelClick();

    // Menu bar and its items.
    QAction *PlaySounds1 = nullptr, *updatecheck = nullptr, *RestartDeal1 = nullptr;
    QAction *Undo1 = nullptr;

    // The table.
    TFlatPanel *panel_board = nullptr, *panel_board1 = nullptr;
    QLabel *label_name = nullptr, *label_score = nullptr, *label_cardsleft = nullptr;
    QLabel *label_thisturn = nullptr, *label_deal = nullptr;
    TImage *image_deal = nullptr, *image_played = nullptr;
    TImage *image_col1 = nullptr, *image_col2 = nullptr, *image_col3 = nullptr,
           *image_col4 = nullptr;

    // The pop-up panels over the table.
    TFlatPanel *panel_name = nullptr, *panel_removeace = nullptr, *panel_update = nullptr;
    TFlatPanel *panel_cleared = nullptr, *panel_wait = nullptr, *panel_instructions = nullptr;
    QLineEdit *edit_aname = nullptr, *edit_name = nullptr;
    QLabel *label_removeace = nullptr, *label_cleared = nullptr, *label_score1 = nullptr;
    QLabel *label_best = nullptr, *label_assisted = nullptr, *label_dealerror = nullptr;
    TFlatPanel *panel_deal = nullptr;
    QLineEdit *edit_deal = nullptr;
    QWidget *m_outline = nullptr; // the hint's frame
    QRect m_thisturnPlace; // where label_thisturn stands, and its font, unless a message needs room
    QFont m_thisturnFont;
    TSelButton *button_updateyes = nullptr, *button_updatecancel = nullptr;
    TSelButton *button_sendscore = nullptr, *button_letsplay = nullptr;

    TLbBackground *LbBackground1 = nullptr;
    TURL *URL1 = nullptr; // the web site the logo opens

    // The secondary windows, owned by this one.
    SecondaryWindow *tallylist = nullptr, *about = nullptr, *help = nullptr;
    Thighscore *highscore = nullptr;

    MainSetup m_setup;
    GameTable m_table;
    TablePictures m_pictures; // the card image list and the columns drawn from it
    std::optional<QSystemSemaphore> m_mutex;
    NoGameRecord m_noRecord;
    GameRecord *m_record = &m_noRecord;
    WindowSettings m_settings;
    WindowPlacement *m_placement = nullptr;
    UpdateChecker *m_updates = nullptr;
    ScorePoster *m_poster = nullptr;
    SolverWorker *m_solver = nullptr;
    Position m_startPosition; // the running game's first deal, for its best possible line
    quint64 m_games = 0;      // games started: an answer for an earlier one is dropped
    quint64 m_moves = 0;      // changes on the table: a hint for an earlier one is dropped
    quint64 m_outlines = 0;   // hints shown: a later one keeps its own time on screen
    std::optional<quint64> m_hintAsked; // the table a hint is being worked out for
    bool m_shown = false;
};
