// The main window without a mouse: Undo, play by keys, and what assistive tools are told.

#include "tests/support/knowngames.h"
#include "tests/support/mainwindowtest.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

class AccessTest : public MainWindowTest {
protected:
    // The window, active, with the keyboard wherever it puts it.
    Tmain &openActive(const QByteArray &ini = {})
    {
        Tmain &main = open(ini);
        main.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
        return main;
    }

    // A key pressed as the player presses it: to whatever has the keyboard.
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, static_cast<Qt::Key>(key), modifiers);
    }

    // The key for an action of a line.
    static int keyFor(char action)
    {
        return action == 'd' ? Qt::Key_D : action == 'y' ? Qt::Key_Y : Qt::Key_0 + (action - '0');
    }

    // File > Select Deal..., the number typed and Return: the deal's game starts.
    void selectDeal(const QString &number)
    {
        action("SelectDeal1")->trigger();
        QTest::keyClicks(QApplication::focusWidget(), number);
        press(Qt::Key_Return);
    }

    static QString name(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    }
    static QString description(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Description);
    }

    int cardsOnTable() const
    {
        int cards = 0;
        for (int c = 1; c <= GameTable::columnCount; ++c)
            cards += window->table().column(c).count;
        return cards;
    }
};

TEST_F(AccessTest, AWholeGameIsPlayedWithTheKeyboardAlone)
{
    Tmain &main = openActive("[quellan]\r\nFirsttime=no\r\n");
    // The name first: typed, then DONE reached by Tab and pressed by Space.
    ASSERT_EQ(QApplication::focusWidget(), child<QLineEdit>("edit_aname"));
    QTest::keyClicks(QApplication::focusWidget(), "Ada");
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), child<TSelButton>("button_namedone"));
    press(Qt::Key_Space);
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Ada");
    ASSERT_EQ(QApplication::focusWidget(), child<QWidget>("panel_board1"));

    press(Qt::Key_Return); // START GAME
    ASSERT_TRUE(main.table().gameactive());
    // Every column in turn, YES to every ace, and a deal when a round changed nothing.
    for (int guard = 0; guard < 500 && main.table().gameactive(); ++guard) {
        const int before = cardsOnTable() * 1000 + main.table().cardsLeft();
        for (const int key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4}) {
            if (!main.table().gameactive())
                break;
            press(key);
            if (child<TFlatPanel>("panel_removeace")->isVisible())
                press(Qt::Key_Y);
        }
        if (main.table().gameactive() && before == cardsOnTable() * 1000 + main.table().cardsLeft())
            press(guard % 2 ? Qt::Key_D : Qt::Key_Space);
    }
    ASSERT_FALSE(main.table().gameactive());
    ASSERT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(main.table().assisted());

    // DONE on the result by Tab and Enter; the table has the keyboard again.
    for (int tab = 0; tab < 10 && QApplication::focusWidget() != child<QWidget>("button_done");
         ++tab)
        press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), child<QWidget>("button_done"));
    press(Qt::Key_Return);
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>("panel_board1"));
    press(Qt::Key_Enter);
    EXPECT_TRUE(main.table().gameactive());
    EXPECT_EQ(record.calls.count("increase 1"), 2);
}

TEST_F(AccessTest, UndoTakesTheTableBackStepByStepAndTheGameIsAssisted)
{
    Tmain &main = openActive();
    // The first run shows the instructions over the name entry: they have the keyboard.
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>("button_letsplay"));
    EXPECT_FALSE(action("Undo1")->isEnabled());
    click(child<TSelButton>("button_start"));
    EXPECT_FALSE(action("Undo1")->isEnabled());
    const Position first = main.table().position();
    press(Qt::Key_D);
    press(Qt::Key_D);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 44");
    EXPECT_EQ(name(child<QWidget>("image_deal")), "Deal pile, 44 cards left");
    action("Undo1")->trigger();
    EXPECT_EQ(main.table().position().columns, first.columns);
    EXPECT_EQ(child<QLabel>("label_cardsleft")->text(), "Cards Left: 48");
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_TRUE(main.table().assisted());

    // Deal 2 won by its best line, with the first ace question taken back and forth.
    selectDeal("2");
    ASSERT_EQ(main.table().dealNumber(), 2u);
    const std::string line = deal2Won;
    const std::size_t firstYes = line.find('y');
    for (std::size_t i = 0; i < line.size(); ++i) {
        press(keyFor(line[i]));
        if (i != firstYes)
            continue;
        const int count = main.table().column(line[i - 1] - '0').count;
        press(Qt::Key_Z, Qt::ControlModifier); // the ace comes back, and its question
        EXPECT_EQ(main.table().column(line[i - 1] - '0').count, count + 1);
        EXPECT_TRUE(child<TFlatPanel>("panel_removeace")->isVisible());
        EXPECT_TRUE(child<QLabel>("label_removeace")->text().startsWith("Are you sure"));
        press(Qt::Key_N);
        EXPECT_FALSE(child<TFlatPanel>("panel_removeace")->isVisible());
        press(Qt::Key_Z, Qt::ControlModifier); // and NO is taken back too
        EXPECT_TRUE(child<TFlatPanel>("panel_removeace")->isVisible());
        press(Qt::Key_Y);
    }
    ASSERT_FALSE(main.table().gameactive());
    EXPECT_EQ(main.table().score(), 556);
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_TRUE(child<QLabel>("label_assisted")->isVisible());
    EXPECT_FALSE(child<TSelButton>("button_sendscore")->isVisible());
    EXPECT_FALSE(record.calls.join(' ').contains("checkscore"));
}

TEST_F(AccessTest, AnAceQuestionLeftOpenGoesWithItsGame)
{
    Tmain &main = openActive("[quellan]\r\nFirsttime=no\r\n");
    press(Qt::Key_Return);
    selectDeal("2");
    // Deal 2 up to its first ace question.
    const std::string won = deal2Won;
    const std::string line = won.substr(0, won.find('y'));
    for (const char step : line)
        press(keyFor(step));
    ASSERT_TRUE(child<TFlatPanel>("panel_removeace")->isVisible());
    // Held down, the key plays once: the repeat must not answer anything.
    QKeyEvent held(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d", true);
    QApplication::sendEvent(QApplication::focusWidget(), &held);
    EXPECT_EQ(main.table().line(), line);
    action("StartGame1")->trigger();
    ASSERT_TRUE(child<TFlatPanel>("panel_abandon")->isVisible());
    press(Qt::Key_Y); // the game under way is given up
    EXPECT_FALSE(child<TFlatPanel>("panel_removeace")->isVisible());
    EXPECT_TRUE(main.table().line().empty());
}

TEST_F(AccessTest, AssistiveToolsAreToldWhatEachPartOfTheTableIs)
{
    Tmain &main = openActive();
    TSelButton *start = child<TSelButton>("button_start");
    QAccessibleInterface *startButton = QAccessible::queryAccessibleInterface(start);
    EXPECT_EQ(startButton->role(), QAccessible::Button);
    EXPECT_EQ(startButton->text(QAccessible::Name), "START GAME");
    EXPECT_EQ(startButton->text(QAccessible::Description), "Deals a new game");
    EXPECT_EQ(name(child<QWidget>("image_deal")), "Deal pile, 52 cards left");
    EXPECT_EQ(name(child<QWidget>("image_col2")), "Column 2: empty");

    startButton->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(main.table().gameactive());

    // Deal 2: the 7 of diamonds first on column 2, then the 8 of hearts and the 3 of diamonds;
    // the queen of diamonds comes onto column 4 with the third deal.
    selectDeal("2");
    QWidget *column2 = child<QWidget>("image_col2");
    EXPECT_EQ(name(column2), "Column 2: 7 of diamonds, 1 card");
    EXPECT_EQ(description(column2), "From the top: 7 of diamonds");
    EXPECT_EQ(name(child<QWidget>("image_deal")), "Deal pile, 48 cards left");
    EXPECT_EQ(name(child<QWidget>("image_played")), "Discard pile, empty");
    EXPECT_EQ(name(child<QLabel>("label_score")), "Score: 0");
    press(Qt::Key_D);
    press(Qt::Key_D);
    EXPECT_EQ(name(column2), "Column 2: 3 of diamonds, 3 cards");
    EXPECT_EQ(description(column2), "From the top: 3 of diamonds, 8 of hearts, 7 of diamonds");
    EXPECT_EQ(name(child<QWidget>("image_col4")), "Column 4: queen of diamonds, 3 cards");
    EXPECT_EQ(name(child<QWidget>("image_col3")), "Column 3: king of spades, 3 cards");
    EXPECT_EQ(name(child<QWidget>("image_deal")), "Deal pile, 40 cards left");
    press(Qt::Key_2);
    EXPECT_EQ(name(column2), "Column 2: 8 of hearts, 2 cards");
    EXPECT_EQ(name(child<QWidget>("image_played")), "Discard pile: 3 of diamonds");
    EXPECT_EQ(name(child<QLabel>("label_score")), "Score: 2");
    EXPECT_EQ(description(child<QLabel>("label_score")), "Last points: +2");
}

} // namespace
