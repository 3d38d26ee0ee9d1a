// The main window's form: the component tree with places, sizes, colours and fonts, and the
// handler each component's click runs.
#include "app/about.h"
#include "app/help.h"
#include "app/main.h"
#include "app/scoreposter.h"
#include "app/solverworker.h"
#include "app/tablepictures.h"
#include "app/updatechecker.h"
#include "highscore/highscore.h"
#include "resources/pictures/pictures.h"
#include "tally/tallylist.h"
#include "widgets/dialogs.h"
#include "widgets/formkit.h"
#include "widgets/image.h"
#include "widgets/lbbackground.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

using form::label;
using form::panel;
using palette::cream;
using palette::darkGrey;
using palette::darkRed;
using palette::grey;

namespace {

TImage *image(QWidget *parent, const QString &name, QRect geometry)
{
    auto *image = new TImage(name, parent);
    image->setGeometry(geometry);
    return image;
}

const auto centred = Qt::AlignHCenter | Qt::AlignTop;

// Gives each caption of a menu, in order, the first letter or digit no caption before it
// took as its access key. Captions that name their key with "&" keep it, so that items added
// later leave the older items' keys as players know them.
void assignAccessKeys(QWidget *menu)
{
    QString taken;
    for (const QAction *action : menu->actions()) {
        if (const auto amp = action->text().indexOf(u'&');
            amp >= 0 && amp + 1 < action->text().size())
            taken += action->text()[amp + 1].toLower();
    }
    for (QAction *action : menu->actions()) {
        QString caption = action->text();
        if (caption.contains(u'&'))
            continue;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar key = caption[i].toLower();
            if (key.isLetterOrNumber() && !taken.contains(key)) {
                taken += key;
                action->setText(caption.insert(i, u'&'));
                break;
            }
        }
    }
}

} // namespace

// A clickable component whose click runs `handler`; an error the handler raises is reported.
template <class Source> Source *Tmain::bound(Source *source, void (Tmain::*handler)())
{
    connect(source, &Source::OnClick, this,
            [this, handler] { guarded([&] { (this->*handler)(); }); });
    return source;
}

TSelButton *Tmain::button(QWidget *parent, const QString &name, const QString &caption,
                          QRect geometry, const QColor &captionColour, void (Tmain::*handler)())
{
    return bound(form::button(parent, name, caption, geometry, captionColour), handler);
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
    auto item = [this](QMenu *menu, const QString &name, const QString &caption,
                       void (Tmain::*handler)(), const QKeySequence &shortcut = {}) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([&] { (this->*handler)(); }); });
        return action;
    };
    auto separator = [](QMenu *menu, const QString &name) {
        menu->addSeparator()->setObjectName(name);
    };

    QMenu *file = menu("file1", "File");
    item(file, "StartGame1", "Start Game", &Tmain::StartGame1Click, QKeySequence("Ctrl+S"));
    item(file, "SelectDeal1", "Select &Deal...", &Tmain::SelectDeal1Click);
    RestartDeal1 = item(file, "RestartDeal1", "&Restart Deal", &Tmain::RestartDeal1Click);
    RestartDeal1->setEnabled(false); // until a game has been started
    Undo1 = item(file, "Undo1", "&Undo", &Tmain::Undo1Click, QKeySequence::Undo);
    Undo1->setEnabled(false); // until a game has something to take back
    separator(file, "N1");
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
    separator(help, "N2");
    item(help, "About1", "About", &Tmain::About1Click);

    assignAccessKeys(bar);
    for (QMenu *each : {file, options, view, help})
        assignAccessKeys(each);
}

void Tmain::buildBoard()
{
    setObjectName("main");
    setWindowTitle(QString::fromUtf8(quellan::displayName));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, darkRed);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(fonts::sansPt(8));
    LbBackground1 = new TLbBackground(this);
    LbBackground1->setEnabled(true);

    auto *client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    // Below this the table would be cut off; the board keeps its size and stays centred.
    client->setMinimumSize(487 + 5, 530 + 5);
    client->installEventFilter(this);

    panel_board = panel(client, "panel_board", {-2, 1, 487, 530}, darkRed, true);
    label_name = label(panel_board, "label_name",
                       "Welcome to " + QString::fromUtf8(quellan::displayName) + "!", {11, 5, 0, 0},
                       fonts::sansPx(13), cream);
    panel_board1 = panel(panel_board, "panel_board1", {8, 26, 470, 496}, cream, true);
    // The table takes the keyboard for play by keys.
    panel_board1->setFocusPolicy(Qt::StrongFocus);
    panel_board1->setAccessibleName("Card table");
    panel_board1->installEventFilter(this);

    TImage *image_logo =
        bound(image(panel_board1, "image_logo", {6, 449, 205, 37}), &Tmain::image_logoClick);
    image_logo->setCursor(Qt::PointingHandCursor);
    image_logo->setPicture([](qreal ratio) { return logoPicture({205, 37}, ratio); });
    URL1 = new TURL(this);
    URL1->setURL(QString::fromUtf8(quellan::webSite));
    URL1->setOpener(m_setup.opener);

    label_score = label(panel_board1, "label_score", "Score:0", {334, 72, 99, 20},
                        fonts::sansPx(16, true, true), cream, centred);
    button(panel_board1, "button_start", "START GAME", {285, 454, 172, 27}, darkGrey,
           &Tmain::button_startClick);
    image_deal =
        bound(image(panel_board1, "image_deal", {345, 104, 71, 96}), &Tmain::image_dealClick);
    const int columnLefts[] = {18, 98, 178, 258};
    TImage **columns[] = {&image_col1, &image_col2, &image_col3, &image_col4};
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        TImage *column =
            image(panel_board1, QString("image_col%1").arg(c), {columnLefts[c - 1], 16, 71, 96});
        column->setTag(c);
        connect(column, &TImage::OnClick, this,
                [this](QObject *sender) { guarded([&] { image_col4Click(sender); }); });
        *columns[c - 1] = column;
    }
    label_cardsleft = label(panel_board1, "label_cardsleft", "Cards Left: 0", {346, 208, 0, 0},
                            fonts::sansPx(11, true), cream);
    image_played = image(panel_board1, "image_played", {345, 240, 71, 96});
    m_thisturnPlace = {422, 176, 60, 20};
    m_thisturnFont = fonts::sansPx(16, true);
    label_thisturn =
        label(panel_board1, "label_thisturn", "", m_thisturnPlace, m_thisturnFont, cream);
    // The deal's number, small, in the corner below START GAME.
    label_deal = label(panel_board1, "label_deal", "", {285, 482, 177, 13}, fonts::sansPx(11),
                       cream, Qt::AlignRight | Qt::AlignTop);
    m_outline = new QFrame(panel_board1);
    m_outline->setObjectName("hint_outline");
    m_outline->setStyleSheet("border: 4px solid white;");
    m_outline->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_outline->hide();
    showPile(image_deal, CardImages::EmptyMarkIndex);
    showPile(image_played, CardImages::EmptyMarkIndex);
}

void Tmain::buildNamePanel()
{
    panel_name = panel(panel_board1, "panel_name", {69, 96, 330, 161}, cream, false);
    label(panel_name, "Label5", "ENTER YOUR NAME", {-1, 10, 327, 24}, fonts::sansPx(19, true),
          cream, centred);
    edit_aname = form::edit(panel_name, "edit_aname", {83, 52, 161, 32}, 19);
    button(panel_name, "button_namedone", "DONE", {43, 101, 111, 36}, grey,
           &Tmain::button_namedoneClick);
    button(panel_name, "button_namecancel", "CANCEL", {171, 101, 111, 36}, grey,
           &Tmain::button_namecancelClick);
    panel_name->hide();
}

void Tmain::buildAcePanel()
{
    panel_removeace = panel(panel_board1, "panel_removeace", {10, 120, 329, 121}, cream, false);
    label_removeace =
        label(panel_removeace, "label_removeace", "Are you sure you want to remove the ACE?",
              {4, 10, 321, 52}, fonts::sansPx(19, true), cream, centred, true);
    button(panel_removeace, "button_removeno", "NO", {32, 69, 130, 36}, grey,
           &Tmain::button_removenoClick);
    button(panel_removeace, "button_removeyes", "YES", {171, 69, 134, 36}, grey,
           &Tmain::button_removeyesClick);
    panel_removeace->hide();
}

void Tmain::buildUpdatePanel()
{
    panel_update = panel(panel_board1, "panel_update", {69, 160, 329, 161}, cream, false);
    label(panel_update, "Label15", "Update Available", {-1, 10, 327, 24}, fonts::sansPx(19, true),
          cream, centred);
    label(panel_update, "Label17", "Would you like to update now?", {2, 47, 327, 24},
          fonts::sansPx(16, true), cream, centred);
    button_updateyes = button(panel_update, "button_updateyes", "UPDATE", {43, 93, 111, 36}, grey,
                              &Tmain::button_updateyesClick);
    button_updatecancel = button(panel_update, "button_updatecancel", "CANCEL", {171, 93, 111, 36},
                                 grey, &Tmain::button_updatecancelClick);
    QLabel *label_update = label(panel_update, "label_update", "", {1, 161 - 21, 327, 20},
                                 fonts::sansPx(16), Qt::black, Qt::AlignHCenter | Qt::AlignVCenter);
    panel_update->hide();

    m_updates = new UpdateChecker(m_setup, this);
    connect(m_updates, &UpdateChecker::updateAvailable, panel_update, &TFlatPanel::showInFront);
    connect(m_updates, &UpdateChecker::statusChanged, label_update, &QLabel::setText);
    connect(m_updates, &UpdateChecker::installerFailed, this, &Tmain::inform);
}

void Tmain::buildClearedPanel()
{
    // One line more than the rest of the panel's text: the best a deal allowed.
    constexpr int line = 16;
    panel_cleared = panel(panel_board1, "panel_cleared", {70, 49, 329, 277 + line}, cream, false);
    label_cleared = label(panel_cleared, "label_cleared", "Game Over!!", {-1, 10, 327, 24},
                          fonts::sansPx(19, true), cream, centred);
    label_score1 = label(panel_cleared, "label_score1", "", {2, 41, 327, 24},
                         fonts::sansPx(19, true), Qt::white, centred);
    label_best = label(panel_cleared, "label_best", "", {2, 65, 327, line}, fonts::sansPx(13, true),
                       cream, centred);
    label(panel_cleared, "Label3", "Enter Your Name", {2, 69 + line, 327, 24},
          fonts::sansPx(19, true), cream, centred);
    edit_name = form::edit(panel_cleared, "edit_name", {83, 91 + line, 161, 32}, 19);
    button_sendscore = button(panel_cleared, "button_sendscore", "SEND SCORE",
                              {78, 135 + line, 172, 36}, grey, &Tmain::button_sendscoreClick);
    label_assisted = label(panel_cleared, "label_assisted", "Assisted game",
                           {78, 143 + line, 172, 24}, fonts::sansPx(19, true), cream, centred);
    label_assisted->hide();
    button(panel_cleared, "button_highscore", "VIEW HIGH SCORES", {78, 180 + line, 172, 38}, grey,
           &Tmain::button_highscoresClick);
    button(panel_cleared, "button_done", "DONE", {109, 227 + line, 111, 36}, grey,
           &Tmain::button_cancelClick);
    panel_wait = panel(panel_cleared, "panel_wait", {9, 129 + line, 313, 48}, darkRed, false);
    panel_wait->setCaption(ScorePoster::waitingCaption(6));
    panel_wait->setFont(fonts::sansPx(19));
    panel_wait->setFontColor(cream);
    panel_wait->hide();
    panel_cleared->hide();

    m_poster = new ScorePoster(
        [this](const QString &query) {
            if (highscore)
                highscore->sendscore(query);
        },
        this);
    connect(m_poster, &ScorePoster::waiting, panel_wait, &TFlatPanel::setCaption);
    connect(m_poster, &ScorePoster::failed, this, [this] { inform("Posting Failed."); });
}

void Tmain::buildDealPanel()
{
    panel_deal = panel(panel_board1, "panel_deal", {69, 96, 330, 161}, cream, false);
    label(panel_deal, "Label9", "SELECT DEAL", {-1, 10, 327, 24}, fonts::sansPx(19, true), cream,
          centred);
    edit_deal = form::edit(panel_deal, "edit_deal", {83, 40, 161, 32}, 19);
    label_dealerror = label(panel_deal, "label_dealerror", "", {2, 76, 325, 18},
                            fonts::sansPx(12, true), cream, centred);
    button(panel_deal, "button_dealplay", "PLAY", {43, 101, 111, 36}, grey,
           &Tmain::button_dealplayClick);
    button(panel_deal, "button_dealcancel", "CANCEL", {171, 101, 111, 36}, grey,
           &Tmain::button_dealcancelClick);
    connect(edit_deal, &QLineEdit::returnPressed, this,
            [this] { guarded([this] { button_dealplayClick(); }); });
    panel_deal->hide();
    m_solver = new SolverWorker(this);
}

void Tmain::buildInstructions()
{
    panel_instructions = panel(panel_board, "panel_instructions", {9, 27, 468, 494}, cream, false);
    const QFont text = fonts::sansPx(16);
    const auto wrapped = Qt::AlignLeft | Qt::AlignTop;
    label(panel_instructions, "Label1", QString::fromUtf8(quellan::displayName) + " Instructions",
          {71, 10, 327, 24}, fonts::sansPx(19, true, true), cream, centred);
    label(panel_instructions, "Label6",
          "A card that is on the top of the colum and the same suit and of a lower "
          "rank of another card on the top, can be remove. In the example at the top, "
          "the Heart Queen can be removed because of the Heart King.",
          {16, 88, 193, 185}, text, cream, wrapped, true);
    image(panel_instructions, "Image1", {256, 48, 196, 80})->setPicture(&instructionPicture1);
    label(panel_instructions, "Label2", "Click the Heart Queen to remove it.", {260, 128, 183, 42},
          text, cream, wrapped, true);
    image(panel_instructions, "Image2", {259, 171, 197, 86})->setPicture(&instructionPicture2);
    label(panel_instructions, "Label8", "Click any card to move it to the empty space.",
          {260, 251, 183, 48}, text, cream, wrapped, true);
    image(panel_instructions, "Image3", {24, 328, 248, 134})->setPicture(&instructionPicture3);
    label(panel_instructions, "Label7",
          "Since all cards are dealt, you can remove one of the Aces if you wish.",
          {280, 336, 171, 89}, text, cream, wrapped, true);
    button_letsplay = button(panel_instructions, "button_letsplay", "Let's Play!",
                             {285, 458, 172, 27}, darkGrey, &Tmain::button_startClick);
    panel_instructions->hide();
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

bool Tmain::eventFilter(QObject *watched, QEvent *event)
{
    // Keys the table itself has, not those a box on it left unused.
    if (watched == panel_board1 && event->type() == QEvent::KeyPress && panel_board1->hasFocus()) {
        bool played = false;
        guarded([&] { played = tableKey(static_cast<QKeyEvent *>(event)); });
        if (played)
            return true;
    }
    // The table keeps its size; it stays centred in the client area as the window grows.
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        QRect board = panel_board->geometry();
        board.moveCenter(centralWidget()->rect().center());
        panel_board->move(board.topLeft());
    }
    return QMainWindow::eventFilter(watched, event);
}
