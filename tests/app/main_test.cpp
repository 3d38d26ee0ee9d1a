#include "app/about.h"
#include "app/help.h"
#include "app/main.h"
#include "app/profilefile.h"
#include "tally/tallylist.h"
#include "tests/support/mainwindowtest.h"
#include "tests/support/recordingdialogs.h"
#include "tests/support/recordinggamerecord.h"
#include "tests/support/recordingopener.h"
#include "tests/support/recordingsoundplayer.h"
#include "widgets/flatpanel.h"
#include "widgets/image.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>

namespace {

QString plain(const QAction *action)
{
    return action->text().remove('&');
}

} // namespace

TEST_F(MainWindowTest, MenusCarryTheirCaptionsShortcutsAndMarks)
{
    Tmain &main = open();
    EXPECT_EQ(plain(action("StartGame1")), "Start Game");
    EXPECT_EQ(action("StartGame1")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(plain(action("ChangeName1")), "Change  Name");
    EXPECT_EQ(plain(action("updatecheck")), "Automatically Check for Updates");
    EXPECT_EQ(plain(action("ViewHighScoreList1")), "View High Score List");
    EXPECT_EQ(action("Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(action("QuickInstructions1")->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(action("Undo1")->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_TRUE(action("N1")->isSeparator());
    EXPECT_TRUE(action("PlaySounds1")->isCheckable() && action("PlaySounds1")->isChecked());
    EXPECT_TRUE(action("updatecheck")->isCheckable() && action("updatecheck")->isChecked());
    EXPECT_EQ(main.windowTitle(), "Quellan");

    // Each caption's access key is the first letter no caption before it in its menu took.
    QStringList keys;
    const QList<QWidget *> menus{child<QMenuBar>("MainMenu1"), child<QMenu>("file1"),
                                 child<QMenu>("Options1"), child<QMenu>("View1"),
                                 child<QMenu>("Help1")};
    for (const QWidget *menuOrBar : menus) {
        QString menu;
        for (const QAction *item : menuOrBar->actions()) {
            if (!item->isSeparator())
                menu += item->text().at(item->text().indexOf('&') + 1);
        }
        keys << menu;
    }
    EXPECT_EQ(keys, (QStringList{"FOVH", "SDRUoE", "PRCA", "TV", "HQiA"}));

    // The menus keep the desktop's colours, whatever the window's own.
    for (const QWidget *menuOrBar : menus) {
        const QPalette desktop = QApplication::palette(menuOrBar);
        for (const auto role : {QPalette::Window, QPalette::WindowText, QPalette::Button,
                                QPalette::ButtonText, QPalette::Base, QPalette::Text})
            EXPECT_EQ(menuOrBar->palette().color(role), desktop.color(role))
                << menuOrBar->objectName().toStdString() << " " << role;
    }
}

TEST_F(MainWindowTest, FirstRunShowsInstructionsOverTheNamePanelAndWritesTheFlag)
{
    Tmain &main = open();
    EXPECT_TRUE(child<TFlatPanel>("panel_instructions")->isVisible());
    EXPECT_TRUE(child<TFlatPanel>("panel_name")->isVisible());
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Guest");
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "Guest");
    EXPECT_EQ(child<QLabel>("label_name")->text(), "Welcome to Quellan!");
    EXPECT_EQ(child<QLabel>("label_score")->text(), "Score:0");
    EXPECT_EQ(sounds.cues, QStringList{"entered"});
    EXPECT_EQ(iniText(), "[quellan]\r\nFirsttime=no\r\n");
    EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(3, 3));
    EXPECT_GE(clientSize().width(), 492);
    EXPECT_EQ(clientSize().height(), 535);
}

TEST_F(MainWindowTest, StoredSettingsAreApplied)
{
    Tmain &main = open("[quellan]\r\nTop=0x10\r\nLeft=abc\r\nWidth=700\r\nHeight=650\r\n"
                       "Sounds=No\r\nUpdate=false\r\nName=Abcdefghijklmnopqrstuvwxy\r\n"
                       "Firsttime=YES\r\n");
    EXPECT_EQ(main.frameGeometry(), QRect(3, 16, 700, 650));
    EXPECT_TRUE(action("PlaySounds1")->isChecked());
    EXPECT_FALSE(action("updatecheck")->isChecked());
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "Abcdefghijklmnopqrstuvwxy");
    EXPECT_FALSE(child<TFlatPanel>("panel_instructions")->isVisible());
    EXPECT_TRUE(iniText().contains("Firsttime=YES\r\n"));
}

TEST_F(MainWindowTest, SoundsOffSilencesTheGreetingAndAnEmptyNameStaysEmpty)
{
    open("[quellan]\r\nSounds=no\r\nName=\r\nFirsttime=no\r\n");
    EXPECT_FALSE(action("PlaySounds1")->isChecked());
    EXPECT_TRUE(sounds.cues.isEmpty());
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "");
    click(child<TSelButton>("button_start"));
    EXPECT_EQ(child<QLabel>("label_name")->text(), "Good Luck ");
    EXPECT_TRUE(sounds.cues.isEmpty());
}

TEST_F(MainWindowTest, StartGameDealsAndGreets)
{
    Tmain &main = open();
    click(child<TSelButton>("button_letsplay"));
    EXPECT_FALSE(child<TFlatPanel>("panel_instructions")->isVisible());
    EXPECT_FALSE(child<TFlatPanel>("panel_name")->isVisible());
    EXPECT_EQ(child<QLabel>("label_name")->text(), "Good Luck Guest");
    EXPECT_EQ(child<QLabel>("label_score")->text(), "Score: 0");
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 48");
    EXPECT_EQ(child<QLabel>("label_thisturn")->text(), "");
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(main.findChild<TImage *>(QString("image_col%1").arg(c))->height(), 96);
    EXPECT_EQ(sounds.cues, (QStringList{"entered", "startgame", "deal"}));
    EXPECT_EQ(record.calls, QStringList{"increase 1"});

    // Starting again abandons the game: a second game counted, nothing else reported.
    action("StartGame1")->trigger();
    EXPECT_EQ(record.calls, (QStringList{"increase 1", "increase 1"}));
}

TEST_F(MainWindowTest, DealingRunsTheDeckDown)
{
    open("[quellan]\r\nFirsttime=no\r\n");
    click(child<TImage>("image_deal")); // no game yet: nothing happens
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 0");
    EXPECT_EQ(sounds.cues, QStringList{"entered"});
    click(child<TSelButton>("button_start"));
    // Without a click on a column, twelve more deals put all 52 cards on the board, 13 a
    // column; only the last deal may end the game.
    for (int k = 2; k <= 13; ++k)
        click(child<TImage>("image_deal"));
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 0");
    EXPECT_EQ(child<TImage>("image_col1")->height(), 96 + 24 * 12);
    EXPECT_EQ(sounds.cues.count("deal"), 13);
    click(child<TImage>("image_deal"));
    EXPECT_EQ(sounds.cues.count("deal"), 13);
}

TEST_F(MainWindowTest, AGamePlayedToItsEndShowsTheGameOverPanel)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\nName=Ann\r\n");
    click(child<TSelButton>("button_start"));
    playToTheEnd();
    ASSERT_FALSE(main.table().gameactive());
    const int score = main.table().score();
    const bool won = main.table().lastPoints() == 100;
    EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_EQ(child<QLabel>("label_cleared")->text(), won ? "Game Won!" : "Game Over!");
    EXPECT_EQ(child<QLabel>("label_score1")->text(), QString("Your Score: %1").arg(score));
    EXPECT_EQ(child<QLabel>("label_score")->text(), QString("Score: %1").arg(score));
    EXPECT_EQ(
        child<TSelButton>("button_sendscore")->isVisibleTo(child<TFlatPanel>("panel_cleared")),
        won || score > 0);
    EXPECT_EQ(sounds.cues.last(), won ? "winner" : "gameover");
    QStringList expected{"increase 1"};
    if (won)
        expected << "increase 2";
    expected << QString("score %1 Ann").arg(score);
    EXPECT_EQ(record.calls, expected);
    // The sweep leaves the columns showing nothing.
    for (int c = 1; c <= 4; ++c) {
        const QPixmap picture = main.findChild<TImage *>(QString("image_col%1").arg(c))->Picture();
        EXPECT_TRUE(picture.isNull() || picture.toImage().pixelColor(35, 10).alpha() == 0) << c;
    }

    // The board no longer answers, and DONE only hides the panel.
    const QStringList cuesAtEnd = sounds.cues;
    click(child<TImage>("image_deal"));
    EXPECT_EQ(sounds.cues, cuesAtEnd);
    click(child<TSelButton>("button_done"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
}

TEST_F(MainWindowTest, TheMenuCommandStartsAndHidesTheGameOverPanel)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\n");
    click(child<TSelButton>("button_start"));
    playToTheEnd();
    ASSERT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    action("StartGame1")->trigger();
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_TRUE(main.table().gameactive());
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 48");
}

TEST_F(MainWindowTest, QuickInstructionsCoverTheTableUntilAStart)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\n");
    EXPECT_FALSE(child<TFlatPanel>("panel_instructions")->isVisible());
    action("QuickInstructions1")->trigger();
    EXPECT_TRUE(child<TFlatPanel>("panel_instructions")->isVisible());
    QWidget *onTop = child<TFlatPanel>("panel_board")
                         ->childAt(child<TFlatPanel>("panel_board")->rect().center());
    EXPECT_TRUE(onTop == child<TFlatPanel>("panel_instructions") ||
                child<TFlatPanel>("panel_instructions")->isAncestorOf(onTop));
    click(child<TSelButton>("button_letsplay"));
    EXPECT_FALSE(child<TFlatPanel>("panel_instructions")->isVisible());
    EXPECT_TRUE(main.table().gameactive());
}

TEST_F(MainWindowTest, NameEntryDoneCancelAndChangeName)
{
    open("[quellan]\r\nFirsttime=no\r\n");
    child<QLineEdit>("edit_aname")->setText("Zoe");
    click(child<TSelButton>("button_namecancel"));
    EXPECT_FALSE(child<TFlatPanel>("panel_name")->isVisible());
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Guest");
    action("ChangeName1")->trigger();
    EXPECT_TRUE(child<TFlatPanel>("panel_name")->isVisible());
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "Zoe"); // not refilled from the player name
    child<QLineEdit>("edit_aname")->clear();
    click(child<TSelButton>("button_namedone"));
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "");
    EXPECT_EQ(child<QLabel>("label_name")->text(), "Welcome to Quellan!");
}

TEST_F(MainWindowTest, TypingStopsAtTenCharacters)
{
    open("[quellan]\r\nFirsttime=no\r\n");
    child<QLineEdit>("edit_aname")->clear();
    child<QLineEdit>("edit_aname")->setFocus();
    QTest::keyClicks(child<QLineEdit>("edit_aname"), "abcdefghijklmnop");
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "abcdefghij");

    // A longer stored name stays whole; typing can shorten it but never lengthen it.
    child<QLineEdit>("edit_aname")->setText("Abcdefghijklmnopqrstuvwxy");
    child<QLineEdit>("edit_aname")->end(false);
    QTest::keyClicks(child<QLineEdit>("edit_aname"), "z");
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "Abcdefghijklmnopqrstuvwxy");
    QTest::keyClick(child<QLineEdit>("edit_aname"), Qt::Key_Backspace);
    QTest::keyClicks(child<QLineEdit>("edit_aname"), "z");
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text(), "Abcdefghijklmnopqrstuvwx");
}

TEST_F(MainWindowTest, TheWindowNeverShrinksBelowTheTable)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\nWidth=100\r\nHeight=100\r\n");
    EXPECT_GE(clientSize().width(), 492);
    EXPECT_GE(clientSize().height(), 535);
    main.move(500, 400);
    main.resize(900, 800);
    action("ResetScreenLocation1")->trigger();
    EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(3, 3));
    EXPECT_EQ(clientSize().height(), 535);
    // The table keeps its size and stays centred when the window grows.
    main.resize(900, 800);
    const QRect board = child<TFlatPanel>("panel_board")->geometry();
    EXPECT_EQ(board.size(), QSize(487, 530));
    EXPECT_LE((board.center() - main.centralWidget()->rect().center()).manhattanLength(), 1);
}

TEST_F(MainWindowTest, AStoredSizeIsAppliedUpToFourScreens)
{
    Tmain &main =
        open("[quellan]\r\nFirsttime=no\r\nTop=5\r\nLeft=6\r\nWidth=100000\r\nHeight=100000\r\n");
    EXPECT_EQ(main.frameGeometry(), QRect(QPoint(6, 5), main.screen()->size() * 4));
}

TEST_F(MainWindowTest, ClosingWritesEveryKeyInOrder)
{
    Tmain &main = open();
    QSignalSpy closed(&main, &Tmain::closed);
    action("PlaySounds1")->trigger();
    EXPECT_FALSE(action("PlaySounds1")->isChecked());
    action("Exit1")->trigger();
    EXPECT_EQ(closed.count(), 1);
    const QRect outer = main.frameGeometry();
    EXPECT_EQ(iniText(), QString("[quellan]\r\nFirsttime=no\r\nTop=%1\r\nLeft=%2\r\nWidth=%3\r\n"
                                 "Height=%4\r\nName=Guest\r\nSounds=no\r\nUpdate=true\r\n")
                             .arg(outer.top())
                             .arg(outer.left())
                             .arg(outer.width())
                             .arg(outer.height()));
}

TEST_F(MainWindowTest, AnUnchangedPlacementIsWrittenBackAsItWas)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\nTop=20\r\nLeft=30\r\nWidth=600\r\n"
                       "Height=640\r\n");
    main.close();
    EXPECT_TRUE(iniText().contains("Top=20\r\nLeft=30\r\nWidth=600\r\nHeight=640\r\n"));
}

TEST_F(MainWindowTest, AnUnwritableSettingsFileReportsTheErrorAndStillCloses)
{
    // A folder in the file's place cannot be written, whatever rights the test runs with.
    ASSERT_TRUE(QDir(folder.path()).mkdir("quellan.ini"));
    Tmain &main = open();
    const QString message = "Unable to write to " + folder.filePath("quellan.ini");
    EXPECT_EQ(dialogs.errors, QStringList{message});
    // The write of the first-run flag failed: the rest of start-up was skipped.
    EXPECT_TRUE(sounds.cues.isEmpty());
    EXPECT_FALSE(child<TFlatPanel>("panel_name")->isVisible());
    EXPECT_TRUE(child<TFlatPanel>("panel_instructions")->isVisible());

    action("PlaySounds1")->trigger();
    EXPECT_EQ(dialogs.errors.size(), 2);
    QSignalSpy closed(&main, &Tmain::closed);
    main.close();
    EXPECT_EQ(dialogs.errors.size(), 3);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindowTest, TheViewAndHelpCommandsShowTheSecondaryWindows)
{
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\n");
    main.setGameRecord(child<Ttallylist>("tallylist"));
    action("TallyList1")->trigger();
    EXPECT_TRUE(child<Ttallylist>("tallylist")->isVisible());
    action("Help2")->trigger();
    EXPECT_TRUE(child<Thelp>("help")->isVisible());
    action("About1")->trigger();
    EXPECT_TRUE(child<Tabout>("about")->isVisible());

    // A started game reaches the tally list; the logo opens the About window's link.
    click(child<TSelButton>("button_start"));
    EXPECT_EQ(child<Ttallylist>("tallylist")->mylabel_1->text(), "1");
    click(child<TImage>("image_logo"));
    EXPECT_EQ(opener.addresses.last(), "http://" + child<Tabout>("about")->URL1->URL());
}

TEST_F(MainWindowTest, ALongStoredNameIsReadUpToTheLimit)
{
    const QByteArray name(3120, 'n');
    Tmain &main = open("[quellan]\r\nFirsttime=no\r\nName=" + name + "\r\n");
    EXPECT_EQ(child<QLineEdit>("edit_name")->text().size(), 2047);
    EXPECT_EQ(child<QLineEdit>("edit_aname")->text().size(), 2047);
    main.close();
    EXPECT_TRUE(iniText().contains("Name=" + QString(2047, 'n') + "\r\n"));
}

// The main window on two screens side by side, the second with twice the pixels per point
// (tests/app/twoscreens.json). The offscreen platform reads its screens once, as the program
// starts: these tests run in a ctest entry of their own that names the file.
using MainWindowOnTwoScreens = MainWindowTest;

TEST_F(MainWindowOnTwoScreens, PicturesAreDrawnAgainWhenTheWindowMovesToASharperScreen)
{
    if (QGuiApplication::screens().size() != 2)
        GTEST_SKIP() << "needs the two screens its ctest entry gives the program";
    open("[quellan]\r\nFirsttime=no\r\n");
    click(child<TSelButton>("button_start"));
    const QStringList pictures{"image_logo", "image_deal", "image_col1", "Image1"};
    for (const qreal ratio : {1.0, 2.0, 1.0}) {
        window->windowHandle()->setScreen(QGuiApplication::screens().at(ratio > 1 ? 1 : 0));
        ASSERT_EQ(window->devicePixelRatioF(), ratio);
        for (const QString &name : pictures)
            EXPECT_EQ(child<TImage>(name)->Picture().devicePixelRatio(), ratio)
                << name.toStdString();
    }
}
