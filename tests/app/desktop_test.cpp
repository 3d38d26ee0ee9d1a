// The real game program on an X server, with and without a window manager, as a player
// sees it.
#include "tests/support/gameprocess.h"
#include "tests/support/xserver.h"
#include "tests/support/xwindow.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

constexpr char settled[] = "[quellan]\r\nFirsttime=no\r\nUpdate=false\r\n";
// What the minimum-size rule keeps of the client area below the menu bar.
const QSize smallestTable(492, 535);

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(x->failure(), ""); }

    // Starts the game in `folder` and waits for its main window.
    QString start(const QString &folder)
    {
        game = std::make_unique<GameProcess>(*x, QUELLAN_GAME_PROGRAM, folder);
        const QString window = game->waitForWindow("Quellan");
        EXPECT_FALSE(window.isEmpty()) << "the main window did not show";
        return window;
    }

    // The window's outer frame once it equals `expected`, or as it is when a few seconds
    // have passed: the window manager frames a window some time after it is mapped.
    QRect outerOnceAt(const QString &window, const QRect &expected) const
    {
        QRect outer;
        if (QTest::qWaitFor(
                [&] { return (outer = readWindowGeometry(*x, window).outer()) == expected; }, 5000))
            return expected;
        return outer;
    }

    // A server without a window manager for this test.
    void withoutManager()
    {
        x = std::make_unique<XServer>(XServer::Manager::None);
        ASSERT_EQ(x->failure(), "");
    }

    // The placement the settings file holds.
    static QRect storedPlacement(const QString &folder)
    {
        const QString ini = QString::fromUtf8(readSettings(folder));
        auto key = [&](const char *name) {
            return QRegularExpression(QString("\\b%1=(-?\\d+)").arg(name))
                .match(ini)
                .captured(1)
                .toInt();
        };
        return {key("Left"), key("Top"), key("Width"), key("Height")};
    }

    std::unique_ptr<XServer> x = std::make_unique<XServer>();
    std::unique_ptr<GameProcess> game;
};

} // namespace

TEST_F(DesktopTest, EveryWindowShowsExactlyItsOwnCaption)
{
    QTemporaryDir folder;
    writeSettings(folder.path(), settled);
    const QString main = start(folder.path());
    // View › Tally List, View › View High Score List, Help › Help, Help › About.
    game->choose(main, "alt+v", "t");
    game->choose(main, "alt+v", "v");
    game->choose(main, "alt+h", "h");
    game->choose(main, "alt+h", "a");
    for (const char *caption : {"Quellan - Tally List", "Quellan - High Scores",
                                "Quellan - Help File", "Quellan - About"})
        EXPECT_FALSE(game->waitForWindow(caption).isEmpty())
            << caption << " not among: " << game->windowTitles().join(", ").toStdString();
    EXPECT_TRUE(game->exit(main));
}

TEST_F(DesktopTest, EveryFirstRunPutsTheFrameAtThreeThreeAndStoresTheSamePlacement)
{
    QRect first;
    for (int run = 1; run <= 20; ++run) {
        QTemporaryDir folder;
        const QString main = start(folder.path());
        const QRect outer = outerOnceAt(main, QRect(3, 3, 495, 578));
        EXPECT_EQ(outer.topLeft(), QPoint(3, 3)) << "run " << run;
        const XWindowGeometry geometry = readWindowGeometry(*x, main);
        EXPECT_GE(geometry.client.width(), smallestTable.width()) << "run " << run;
        EXPECT_GE(geometry.client.height(), smallestTable.height()) << "run " << run;
        ASSERT_TRUE(game->exit(main));
        const QRect stored = storedPlacement(folder.path());
        EXPECT_EQ(stored, outer) << "run " << run;
        if (run == 1)
            first = stored;
        EXPECT_EQ(stored, first) << "run " << run;
    }
}

TEST_F(DesktopTest, RunAfterRunTheWindowNeitherMovesNorGrows)
{
    QTemporaryDir folder;
    writeSettings(folder.path(),
                  QByteArray(settled) + "Top=40\r\nLeft=50\r\nWidth=700\r\nHeight=650\r\n");
    for (int run = 1; run <= 5; ++run) {
        const QString main = start(folder.path());
        EXPECT_EQ(outerOnceAt(main, QRect(50, 40, 700, 650)), QRect(50, 40, 700, 650))
            << "run " << run;
        ASSERT_TRUE(game->exit(main));
        EXPECT_EQ(storedPlacement(folder.path()), QRect(50, 40, 700, 650)) << "run " << run;
    }
}

TEST_F(DesktopTest, AStoredPlacementIsAppliedAsItIsAndResetBringsTheWindowBack)
{
    // A window manager may pull a window it finds off the screen back onto it; the program
    // itself tests nothing, as seen without one.
    withoutManager();
    QTemporaryDir folder;
    // Far off the screen and smaller than the table: placed there, enlarged to the table.
    writeSettings(folder.path(),
                  QByteArray(settled) + "Top=-3000\r\nLeft=5000\r\nWidth=100\r\nHeight=100\r\n");
    const QString main = start(folder.path());
    const QRect placed = readWindowGeometry(*x, main).outer();
    EXPECT_EQ(placed.topLeft(), QPoint(5000, -3000));
    EXPECT_EQ(placed.width(), smallestTable.width());
    EXPECT_GE(placed.height(), smallestTable.height());

    // Options › Reset Screen Location.
    game->choose(main, "alt+o", "r");
    const QRect reset = outerOnceAt(main, QRect(3, 3, 495, placed.height()));
    EXPECT_EQ(reset, QRect(3, 3, 495, placed.height()));
    ASSERT_TRUE(game->exit(main));
    EXPECT_EQ(storedPlacement(folder.path()), reset);
}

TEST_F(DesktopTest, WithoutAWindowManagerTheOuterFrameIsTheWindowItself)
{
    withoutManager();
    QTemporaryDir folder;
    writeSettings(folder.path(), settled);
    const QString main = start(folder.path());
    const XWindowGeometry geometry = readWindowGeometry(*x, main);
    EXPECT_TRUE(geometry.frame.isNull());
    EXPECT_EQ(geometry.client.topLeft(), QPoint(3, 3));
    EXPECT_EQ(geometry.client.width(), 495);
    EXPECT_GE(geometry.client.height(), smallestTable.height());
    ASSERT_TRUE(game->exit(main));
    EXPECT_EQ(storedPlacement(folder.path()), geometry.client);
}

TEST_F(DesktopTest, AWindowManagerThatComesLateFramesTheWindowWhereItWas)
{
    withoutManager();
    QTemporaryDir folder;
    writeSettings(folder.path(),
                  QByteArray(settled) + "Top=40\r\nLeft=50\r\nWidth=700\r\nHeight=650\r\n");
    const QString main = start(folder.path());
    ASSERT_TRUE(x->startManager()) << x->failure().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !readWindowGeometry(*x, main).frame.isNull(); }));
    EXPECT_EQ(outerOnceAt(main, QRect(50, 40, 700, 650)), QRect(50, 40, 700, 650));
    ASSERT_TRUE(game->exit(main));
    EXPECT_EQ(storedPlacement(folder.path()), QRect(50, 40, 700, 650));
}

TEST_F(DesktopTest, AWindowThePlayerEnlargesKeepsTheTableInItsMiddle)
{
    QTemporaryDir folder;
    writeSettings(folder.path(), settled);
    const QString main = start(folder.path());
    ASSERT_EQ(outerOnceAt(main, QRect(3, 3, 495, 578)), QRect(3, 3, 495, 578));
    x->run("xdotool", {"windowsize", "--sync", main, "900", "800"});
    ASSERT_EQ(readWindowGeometry(*x, main).client.size(), QSize(900, 800));
    // The margins left and right of the table's cream border, on the row through the window's
    // middle, once the program has drawn the window at its new size.
    auto margins = [&] {
        const QImage shown = grabWindow(*x, main);
        const int row = shown.height() / 2;
        int left = -1, right = -1;
        for (int column = 0; column < shown.width(); ++column) {
            if (shown.pixelColor(column, row) == QColor(249, 247, 219)) {
                if (left < 0)
                    left = column;
                right = column;
            }
        }
        return std::pair(left, shown.width() - 1 - right);
    };
    std::pair<int, int> seen;
    // The border itself sits a pixel off the middle of the board it lies on.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return std::abs((seen = margins()).first - seen.second) <= 2; }, 5000))
        << seen.first << " " << seen.second;
    EXPECT_GT(seen.first, 0);
    const XWindowGeometry drawn = readWindowGeometry(*x, main);
    EXPECT_EQ(drawn.client.size(), QSize(900, 800));
    const QRect outer = drawn.outer();
    ASSERT_TRUE(game->exit(main));
    EXPECT_EQ(storedPlacement(folder.path()), outer);
}

TEST_F(DesktopTest, AnInstalledCopyKeepsItsFilesInTheUsersFoldersAndAPortableOneBesideItself)
{
    // No settings beside the program: the user's folders (inside the test's folder here).
    QTemporaryDir installed;
    QString main = start(installed.path());
    game->choose(main, "alt+f", "s"); // File › Start Game: the tally counts it
    ASSERT_TRUE(game->exit(main));
    const QDir home(installed.path());
    EXPECT_TRUE(home.exists("config/quellan/quellan.ini"));
    EXPECT_TRUE(home.exists("data/quellan/quellantally.tld"));
    EXPECT_EQ(home.entryList(QDir::Files), QStringList{"quellan"});

    // Settings beside the program: everything stays there.
    QTemporaryDir portable;
    writeSettings(portable.path(), settled);
    main = start(portable.path());
    game->choose(main, "alt+f", "s");
    ASSERT_TRUE(game->exit(main));
    const QDir beside(portable.path());
    EXPECT_EQ(beside.entryList(QDir::Files),
              (QStringList{"quellan", "quellan.ini", "quellangame.txt", "quellantally.tld"}));
    EXPECT_FALSE(beside.exists("config") || beside.exists("data"));
}
