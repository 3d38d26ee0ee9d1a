// The main window's component tree: places, sizes, colours and fonts of everything on it.
#include "app/image.h"
#include "app/main.h"
#include "resources/pictures/cardimages.h"
#include "resources/pictures/pictures.h"
#include "widgets/formkit.h"
#include "widgets/lbbackground.h"

#include "quellanconfig.h"

#include <QAction>
#include <QMenuBar>

using form::button;
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

} // namespace

void Tmain::buildMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    auto item = [this](QMenu *menu, const QString &name, const QString &caption,
                       const QKeySequence &shortcut, void (Tmain::*handler)(QObject *)) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        if (handler)
            connect(action, &QAction::triggered, this,
                    [this, handler] { guarded([&] { (this->*handler)(this); }); });
        return action;
    };
    auto separator = [](QMenu *menu, const QString &name) {
        QAction *action = menu->addSeparator();
        action->setObjectName(name);
        return action;
    };

    file1 = MainMenu1->addMenu("&File");
    file1->setObjectName("file1");
    StartGame1 =
        item(file1, "StartGame1", "&Start Game", QKeySequence("Ctrl+S"), &Tmain::StartGame1Click);
    N1 = separator(file1, "N1");
    Exit1 = item(file1, "Exit1", "E&xit", {}, &Tmain::Exit1Click);

    Options1 = MainMenu1->addMenu("&Options");
    Options1->setObjectName("Options1");
    PlaySounds1 = item(Options1, "PlaySounds1", "&Play Sounds", {}, &Tmain::PlaySounds1Click);
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    ResetScreenLocation1 = item(Options1, "ResetScreenLocation1", "&Reset Screen Location", {},
                                &Tmain::ResetScreenLocation1Click);
    ChangeName1 = item(Options1, "ChangeName1", "Change  &Name", {}, &Tmain::ChangeName1Click);
    updatecheck = item(Options1, "updatecheck", "&Automatically Check for Updates", {},
                       &Tmain::updatecheckClick);
    updatecheck->setCheckable(true);
    updatecheck->setChecked(true);

    View1 = MainMenu1->addMenu("&View");
    View1->setObjectName("View1");
    TallyList1 = item(View1, "TallyList1", "&Tally List", {}, &Tmain::TallyList1Click);
    ViewHighScoreList1 = item(View1, "ViewHighScoreList1", "View &High Score List", {},
                              &Tmain::ViewHighScoreList1Click);

    Help1 = MainMenu1->addMenu("&Help");
    Help1->setObjectName("Help1");
    Help2 = item(Help1, "Help2", "&Help", QKeySequence(Qt::Key_F1), &Tmain::Help2Click);
    QuickInstructions1 = item(Help1, "QuickInstructions1", "&Quick Instructions",
                              QKeySequence("Ctrl+I"), &Tmain::QuickInstructions1Click);
    N2 = separator(Help1, "N2");
    About1 = item(Help1, "About1", "&About", {}, &Tmain::About1Click);
}

void Tmain::buildBoard()
{
    auto *client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    // Below this the table would be cut off; the board keeps its size and stays centred.
    client->setMinimumSize(487 + 5, 530 + 5);

    panel_board = panel(client, "panel_board", {-2, 1, 487, 530}, darkRed, true);
    client->installEventFilter(this);
    label_name = label(panel_board, "label_name",
                       "Welcome to " + QString::fromUtf8(quellan::displayName) + "!", {11, 5, 0, 0},
                       fonts::sansPx(13), cream);
    panel_board1 = panel(panel_board, "panel_board1", {8, 26, 470, 496}, cream, true);

    image_logo = image(panel_board1, "image_logo", {6, 449, 205, 37});
    image_logo->setCursor(Qt::PointingHandCursor);
    label_score = label(panel_board1, "label_score", "Score:0", {334, 72, 99, 20},
                        fonts::sansPx(16, true, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    button_start =
        button(panel_board1, "button_start", "START GAME", {285, 454, 172, 27}, darkGrey);
    image_deal = image(panel_board1, "image_deal", {345, 104, 71, 96});
    const int columnLefts[] = {18, 98, 178, 258};
    TImage **columns[] = {&image_col1, &image_col2, &image_col3, &image_col4};
    for (int c = 1; c <= GameTable::columnCount; ++c) {
        TImage *column =
            image(panel_board1, QString("image_col%1").arg(c), {columnLefts[c - 1], 16, 71, 96});
        column->setTag(c);
        *columns[c - 1] = column;
    }
    label_cardsleft = label(panel_board1, "label_cardsleft", "Cards Left: 0", {346, 208, 0, 0},
                            fonts::sansPx(11, true), cream);
    image_played = image(panel_board1, "image_played", {345, 240, 71, 96});
    label_thisturn = label(panel_board1, "label_thisturn", "", {422, 176, 60, 20},
                           fonts::sansPx(16, true), cream);
}

void Tmain::buildNamePanel()
{
    panel_name = panel(panel_board1, "panel_name", {69, 96, 330, 161}, cream, false);
    Label5 = label(panel_name, "Label5", "ENTER YOUR NAME", {-1, 10, 327, 24},
                   fonts::sansPx(19, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    edit_aname = form::edit(panel_name, "edit_aname", {83, 52, 161, 32}, 19);
    button_namedone = button(panel_name, "button_namedone", "DONE", {43, 101, 111, 36}, grey);
    button_namecancel =
        button(panel_name, "button_namecancel", "CANCEL", {171, 101, 111, 36}, grey);
    panel_name->hide();
}

void Tmain::buildAcePanel()
{
    panel_removeace = panel(panel_board1, "panel_removeace", {10, 120, 329, 121}, cream, false);
    label_removeace = label(panel_removeace, "label_removeace",
                            "Are you sure you want to remove the ACE?", {4, 10, 321, 52},
                            fonts::sansPx(19, true), cream, Qt::AlignHCenter | Qt::AlignTop, true);
    button_removeno = button(panel_removeace, "button_removeno", "NO", {32, 69, 130, 36}, grey);
    button_removeyes = button(panel_removeace, "button_removeyes", "YES", {171, 69, 134, 36}, grey);
    panel_removeace->hide();
}

void Tmain::buildUpdatePanel()
{
    panel_update = panel(panel_board1, "panel_update", {69, 160, 329, 161}, cream, false);
    Label15 = label(panel_update, "Label15", "Update Available", {-1, 10, 327, 24},
                    fonts::sansPx(19, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    Label17 = label(panel_update, "Label17", "Would you like to update now?", {2, 47, 327, 24},
                    fonts::sansPx(16, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    button_updateyes = button(panel_update, "button_updateyes", "UPDATE", {43, 93, 111, 36}, grey);
    button_updatecancel =
        button(panel_update, "button_updatecancel", "CANCEL", {171, 93, 111, 36}, grey);
    label_update = label(panel_update, "label_update", "", {1, 161 - 21, 327, 20},
                         fonts::sansPx(16), Qt::black, Qt::AlignHCenter | Qt::AlignVCenter);
    panel_update->hide();
}

void Tmain::buildClearedPanel()
{
    panel_cleared = panel(panel_board1, "panel_cleared", {70, 49, 329, 277}, cream, false);
    const auto centred = Qt::AlignHCenter | Qt::AlignTop;
    label_cleared = label(panel_cleared, "label_cleared", "Game Over!!", {-1, 10, 327, 24},
                          fonts::sansPx(19, true), cream, centred);
    label_score1 = label(panel_cleared, "label_score1", "", {2, 41, 327, 24},
                         fonts::sansPx(19, true), Qt::white, centred);
    Label3 = label(panel_cleared, "Label3", "Enter Your Name", {2, 69, 327, 24},
                   fonts::sansPx(19, true), cream, centred);
    edit_name = form::edit(panel_cleared, "edit_name", {83, 91, 161, 32}, 19);
    button_sendscore =
        button(panel_cleared, "button_sendscore", "SEND SCORE", {78, 135, 172, 36}, grey);
    button_highscore =
        button(panel_cleared, "button_highscore", "VIEW HIGH SCORES", {78, 180, 172, 38}, grey);
    button_done = button(panel_cleared, "button_done", "DONE", {109, 227, 111, 36}, grey);
    panel_wait = panel(panel_cleared, "panel_wait", {9, 129, 313, 48}, darkRed, false);
    panel_wait->setCaption("Posting Score, Please Wait......");
    panel_wait->setFont(fonts::sansPx(19));
    panel_wait->setFontColor(cream);
    panel_wait->hide();
    panel_cleared->hide();
}

void Tmain::buildInstructions()
{
    panel_instructions = panel(panel_board, "panel_instructions", {9, 27, 468, 494}, cream, false);
    const QFont text = fonts::sansPx(16);
    const auto wrapped = Qt::AlignLeft | Qt::AlignTop;
    Label1 = label(panel_instructions, "Label1",
                   QString::fromUtf8(quellan::displayName) + " Instructions", {71, 10, 327, 24},
                   fonts::sansPx(19, true, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    Label6 = label(panel_instructions, "Label6",
                   "A card that is on the top of the colum and the same suit and of a lower "
                   "rank of another card on the top, can be remove. In the example at the top, "
                   "the Heart Queen can be removed because of the Heart King.",
                   {16, 88, 193, 185}, text, cream, wrapped, true);
    Image1 = image(panel_instructions, "Image1", {256, 48, 196, 80});
    Label2 = label(panel_instructions, "Label2", "Click the Heart Queen to remove it.",
                   {260, 128, 183, 42}, text, cream, wrapped, true);
    Image2 = image(panel_instructions, "Image2", {259, 171, 197, 86});
    Label8 = label(panel_instructions, "Label8", "Click any card to move it to the empty space.",
                   {260, 251, 183, 48}, text, cream, wrapped, true);
    Image3 = image(panel_instructions, "Image3", {24, 328, 248, 134});
    Label7 = label(panel_instructions, "Label7",
                   "Since all cards are dealt, you can remove one of the Aces if you wish.",
                   {280, 336, 171, 89}, text, cream, wrapped, true);
    button_letsplay =
        button(panel_instructions, "button_letsplay", "Let's Play!", {285, 458, 172, 27}, darkGrey);

    const qreal dpr = pixelRatio();
    Image1->setPicture(instructionPicture1(dpr));
    Image2->setPicture(instructionPicture2(dpr));
    Image3->setPicture(instructionPicture3(dpr));
    image_logo->setPicture(logoPicture({205, 37}, dpr));
    panel_instructions->hide();
}
