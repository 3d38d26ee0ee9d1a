#pragma once

#include "app/mainsetup.h"
#include "game/gametable.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class CardImages;
class THTTPGet;
class THttpCli;
class Tabout;
class Thelp;
class Thighscore;
class Ttallylist;
class GameRecord;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSystemSemaphore;
class TFlatPanel;
class TImage;
class TLbBackground;
class TSelButton;
class TURL;

// The game's main window: the card table, the menu bar, the name entry and the panels that
// other parts of the game bring up over the table.
class Tmain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmain(MainSetup setup, QWidget *parent = nullptr);
    ~Tmain() override;

    // Creates the secondary windows in their order: the tally list, the About window, the
    // help window and the high-score window. Each lives as long as this window.
    void createWindows();
    // Where the game reports started and finished games (the tally list).
    void setGameRecord(GameRecord *record);
    // The web-site link the logo opens (the About window's); none until it is set.
    void setSiteLink(TURL *link);

    Ttallylist *tallylist = nullptr;
    Tabout *about = nullptr;
    Thelp *help = nullptr;

    const GameTable &table() const { return m_table; }
    // The client area: the part of the window below the menu bar.
    QSize clientSize() const;
    // Places the window's outer frame in one step.
    void setOuterGeometry(const QRect &outer);
    QRect outerGeometry() const;

    // Reads the settings file and applies it; writes the first-run flag.
    void loadinifile();
    // Writes placement, name and the two marks to the settings file.
    void saveinifile();
    QString iniFileName() const;

    // Plays a sound cue when Play Sounds is checked; returns at once.
    void playsounds(const QString &name);
    // Redraws column 1–4 showing its slots 1 to `count`.
    void placecard(int column, int count);

    // Menu bar and its items.
    QMenuBar *MainMenu1 = nullptr;
    QMenu *file1 = nullptr, *Options1 = nullptr, *View1 = nullptr, *Help1 = nullptr;
    QAction *StartGame1 = nullptr, *N1 = nullptr, *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr, *ResetScreenLocation1 = nullptr, *ChangeName1 = nullptr;
    QAction *updatecheck = nullptr;
    QAction *TallyList1 = nullptr, *ViewHighScoreList1 = nullptr;
    QAction *Help2 = nullptr, *QuickInstructions1 = nullptr, *N2 = nullptr, *About1 = nullptr;

    // The table.
    TFlatPanel *panel_board = nullptr, *panel_board1 = nullptr;
    QLabel *label_name = nullptr, *label_score = nullptr, *label_cardsleft = nullptr;
    QLabel *label_thisturn = nullptr;
    TImage *image_logo = nullptr, *image_deal = nullptr, *image_played = nullptr;
    TImage *image_col1 = nullptr, *image_col2 = nullptr, *image_col3 = nullptr,
           *image_col4 = nullptr;
    TSelButton *button_start = nullptr;

    // Name entry.
    TFlatPanel *panel_name = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *edit_aname = nullptr;
    TSelButton *button_namedone = nullptr, *button_namecancel = nullptr;

    // Ace question.
    TFlatPanel *panel_removeace = nullptr;
    QLabel *label_removeace = nullptr;
    TSelButton *button_removeno = nullptr, *button_removeyes = nullptr;

    // Update offer.
    TFlatPanel *panel_update = nullptr;
    QLabel *Label15 = nullptr, *Label17 = nullptr, *label_update = nullptr;
    TSelButton *button_updateyes = nullptr, *button_updatecancel = nullptr;

    // Game over.
    TFlatPanel *panel_cleared = nullptr, *panel_wait = nullptr;
    QLabel *label_cleared = nullptr, *label_score1 = nullptr, *Label3 = nullptr;
    QLineEdit *edit_name = nullptr;
    TSelButton *button_sendscore = nullptr, *button_highscore = nullptr, *button_done = nullptr;

    // Quick instructions.
    TFlatPanel *panel_instructions = nullptr;
    QLabel *Label1 = nullptr, *Label6 = nullptr, *Label2 = nullptr, *Label8 = nullptr,
           *Label7 = nullptr;
    TImage *Image1 = nullptr, *Image2 = nullptr, *Image3 = nullptr;
    TSelButton *button_letsplay = nullptr;

    TLbBackground *LbBackground1 = nullptr;
    QTimer *Timer1 = nullptr;
    THTTPGet *checkupdate = nullptr; // the version file, in the background
    THttpCli *getupdate = nullptr;   // the installer, while the window stays live

    // Handlers.
    void button_startClick(QObject *Sender);
    void StartGame1Click(QObject *Sender);
    void QuickInstructions1Click(QObject *Sender);
    void image_dealClick(QObject *Sender);
    void image_col4Click(QObject *Sender);
    void button_removeyesClick(QObject *Sender);
    void button_removenoClick(QObject *Sender);
    void button_cancelClick(QObject *Sender);
    void button_namedoneClick(QObject *Sender);
    void button_namecancelClick(QObject *Sender);
    void ChangeName1Click(QObject *Sender);
    void ResetScreenLocation1Click(QObject *Sender);
    void PlaySounds1Click(QObject *Sender);
    void Exit1Click(QObject *Sender);
    void updatecheckClick(QObject *Sender);
    void image_logoClick(QObject *Sender);
    void TallyList1Click(QObject *Sender);
    void FormShow();
    void checkupdateDoneString(QObject *Sender, const QString &Result);
    void button_updateyesClick(QObject *Sender);
    void button_updatecancelClick(QObject *Sender);
    void downloadit();
    // The program's own file with its extension replaced by ".BAK".
    QString backupFileName() const;
    void Help2Click(QObject *Sender);
    void About1Click(QObject *Sender);

    // Score posting and the high-score list (posting.cpp).
    Thighscore *highscore = nullptr;
    void button_sendscoreClick(QObject *Sender);
    void button_highscoresClick(QObject *Sender);
    void ViewHighScoreList1Click(QObject *Sender);
    void Timer1Timer(QObject *Sender);
    // Ticks left before a post counts as failed, and the dots behind the waiting message.
    int postcountdown = 0;
    int postdots = 0;

    // Placement as last read from the settings or recorded at closing.
    static constexpr int defwidth = 495, defheight = 534;
    int lastleft = 3, lasttop = 3, lastwidth = defwidth, lastheight = defheight;
    const QString shortname;
    const QString setupfile;

signals:
    // The closing sequence has finished; the application should terminate.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    void buildMenus();
    void buildBoard();
    void buildNamePanel();
    void buildAcePanel();
    void buildUpdatePanel();
    void buildClearedPanel();
    void buildInstructions();
    void buildUpdateTransfers();
    void restoreProgramFile();
    void showTable();
    void showPile(TImage *pile, int index);
    void finishGame(Ending ending);
    // The server answered a post: the game-over panel and the posting timer are done.
    void scorePosted();
    void applyOuterGeometry();
    TImage *columnImage(int column) const;
    qreal pixelRatio() const;
    void reportError(const QString &message);
    // Runs a handler; an error it raises is reported and the program goes on.
    void guarded(const std::function<void()> &handler);

    MainSetup m_setup;
    GameTable m_table;
    std::unique_ptr<CardImages> imagelist_cards;
    std::unique_ptr<QSystemSemaphore> m_mutex;
    std::unique_ptr<GameRecord> m_noRecord;
    GameRecord *m_record = nullptr;
    TURL *m_siteLink = nullptr;
    QRect m_wantedOuter;
    QMargins m_appliedMargins;
    bool m_placementSettled = false;
    bool m_shown = false;
};
