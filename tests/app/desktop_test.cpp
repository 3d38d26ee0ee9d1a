// The real game program on an X server with a window manager, as a player sees it.
#include "tests/support/gameprocess.h"
#include "tests/support/xserver.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(Desktop, EveryWindowShowsExactlyItsOwnCaption)
{
    XServer x;
    ASSERT_EQ(x.failure(), "");
    GameProcess game(x, QUELLAN_GAME_PROGRAM, "[quellan]\r\nFirsttime=no\r\nUpdate=false\r\n");
    const QString main = game.waitForWindow("Quellan");
    ASSERT_FALSE(main.isEmpty()) << game.windowTitles().join(", ").toStdString();
    // View › Tally List, View › View High Score List, Help › Help, Help › About.
    game.type(main, {"Escape", "alt+v", "t"});
    game.type(main, {"alt+v", "v"});
    game.type(main, {"alt+h", "h"});
    game.type(main, {"alt+h", "a"});
    for (const char *caption : {"Quellan - Tally List", "Quellan - High Scores",
                                "Quellan - Help File", "Quellan - About"})
        EXPECT_FALSE(game.waitForWindow(caption).isEmpty())
            << caption << " not among: " << game.windowTitles().join(", ").toStdString();
    game.type(main, {"alt+f", "e"});
    EXPECT_TRUE(game.waitForExit());
}
