#include "app/main.h"
#include "highscore/highscore.h"
#include "htmlview/htmlview.h"
#include "net/httpget.h"
#include "tests/support/mainwindowtest.h"
#include "tests/support/scriptedserver.h"
#include "tests/support/webserverprocess.h"
#include "widgets/flatpanel.h"
#include "widgets/selbutton.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int answerMs = 10000;

class PostingTest : public MainWindowTest {
protected:
    // The game-over panel of a finished game with a score to post, the high-score window
    // behind it, and ticks left to the test.
    Tmain &finishAGame(const QString &name = "Ann")
    {
        // The clock seeds the shuffle: this deal ends with points to post.
        now = QDateTime(QDate(2026, 12, 7), QTime(10, 11, 12, 2), Qt::UTC);
        // No update check: its request would reach the same server.
        Tmain &main = open("[quellan]\r\nFirsttime=no\r\nUpdate=false\r\n");
        main.setGameRecord(&record);
        child<QTimer>("Timer1")->setInterval(24 * 3600 * 1000);
        child<QLineEdit>("edit_name")->setText(name);
        click(child<TSelButton>("button_start"));
        playToTheEnd();
        EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
        EXPECT_TRUE(child<TSelButton>("button_sendscore")->isVisible());
        return main;
    }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            QMetaObject::invokeMethod(child<QTimer>("Timer1"), "timeout");
    }

    QString waitCaption() const { return child<TFlatPanel>("panel_wait")->Caption(); }

    // Serves the event queue until the high-score window is up showing `text`.
    bool listShows(const QString &text) const
    {
        return QTest::qWaitFor(
            [&] {
                return child<Thighscore>("highscore")->isVisible() &&
                       child<Thighscore>("highscore")->displayhtml->toPlainText().contains(text);
            },
            answerMs);
    }
};

// Posting tests against the game's real web server.
class PostingServerTest : public PostingTest {
protected:
    void SetUp() override
    {
        server = startBuiltWebServer();
        if (!server)
            GTEST_SKIP() << "the web server is not built";
        ASSERT_TRUE(server->started());
        serverUrl = server->baseUrl();
    }

    std::unique_ptr<WebServerProcess> server;
};

TEST_F(PostingServerTest, SendScorePostsAsGuestAndOpensTheList)
{
    Tmain &main = finishAGame("");
    const int score = main.table().score();
    click(child<TSelButton>("button_sendscore"));
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Guest");
    EXPECT_TRUE(child<TFlatPanel>("panel_wait")->isVisible());
    EXPECT_EQ(waitCaption(), "Posting Score, Please Wait......");
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());

    const QString date = postingDateText(now.toLocalTime().date());
    ASSERT_TRUE(listShows("Guest"));
    const QString page = child<Thighscore>("highscore")->displayhtml->toPlainText();
    EXPECT_TRUE(page.contains(QString::number(score)));
    EXPECT_TRUE(page.contains(date));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(dialogs.informations.isEmpty());
    // With its deal and line, which the server played again: the list shows it as verified.
    EXPECT_TRUE(server->log().contains(
        QString("/cgi-bin/quellan.cgi?name=Guest&date=%1&score=%2&deal=%3&moves=%4")
            .arg(date)
            .arg(score)
            .arg(main.table().dealNumber())
            .arg(QString::fromStdString(main.table().line()))));
    EXPECT_TRUE(
        page.contains(QString("%1\n%2\n%3").arg(score).arg(main.table().dealNumber()).arg(date)));
}

TEST_F(PostingServerTest, ThePlayersOwnNameTravelsWhole)
{
    finishAGame("Zoë & #=1");
    click(child<TSelButton>("button_sendscore"));
    ASSERT_TRUE(listShows("Zoë & #=1"));
    EXPECT_EQ(child<QLineEdit>("edit_name")->text(), "Zoë & #=1");
}

TEST_F(PostingTest, TheWaitingMessageCountsDownToOneFailureMessage)
{
    ScriptedServer silent;
    silent.stall();
    serverUrl = silent.url("/");
    Tmain &main = finishAGame();
    click(child<TSelButton>("button_sendscore"));
    const QStringList dots{".", "..", "...", "....", "....."};
    for (int k = 1; k <= 39; ++k) {
        tick();
        EXPECT_EQ(waitCaption(), "Posting Score, Please Wait" + dots[(k - 1) % 5]) << k;
    }
    EXPECT_TRUE(dialogs.informations.isEmpty());
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());

    // The fortieth tick shows five dots and the message; ticks that come while it is up
    // only move the dots on.
    QStringList captionsWhileShown;
    dialogs.whileShown = [&] {
        captionsWhileShown << waitCaption();
        tick(3);
    };
    tick();
    EXPECT_EQ(captionsWhileShown, QStringList{"Posting Score, Please Wait....."});
    EXPECT_EQ(waitCaption(), "Posting Score, Please Wait...");
    EXPECT_EQ(dialogs.informations, QStringList{"Posting Failed."});
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(child<TFlatPanel>("panel_wait")->isVisible());
    EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(child<Thighscore>("highscore")->isVisible());

    // The game goes on: DONE and a new game.
    click(child<TSelButton>("button_done"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    click(child<TSelButton>("button_start"));
    EXPECT_TRUE(main.table().gameactive());
    EXPECT_FALSE(child<TFlatPanel>("panel_wait")->isVisibleTo(child<TFlatPanel>("panel_cleared")));
}

TEST_F(PostingTest, APostTheServerRefusesOrCannotReachFailsAtOnce)
{
    ScriptedServer refusing;
    refusing.send(ScriptedServer::reply(400, "Bad Request", "bad date"));
    for (const QString &url :
         {refusing.url("/"), QString("http://127.0.0.1:%1/").arg(ScriptedServer::refusingPort())}) {
        serverUrl = url;
        dialogs.informations.clear();
        finishAGame();
        click(child<TSelButton>("button_sendscore"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.informations.isEmpty(); }, answerMs));
        EXPECT_EQ(dialogs.informations, QStringList{"Posting Failed."}) << url.toStdString();
        EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
        EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
        EXPECT_FALSE(child<Thighscore>("highscore")->isVisible());
        window.reset();
    }
}

TEST_F(PostingServerTest, ADateInALocaleWithDirectionMarksReachesTheList)
{
    // Arabic short dates put an invisible right-to-left mark before each separator.
    adjustSetup = [](MainSetup &setup) { setup.locale = QLocale("ar_EG"); };
    finishAGame("Amal");
    click(child<TSelButton>("button_sendscore"));
    ASSERT_TRUE(listShows("Amal"));
    EXPECT_TRUE(dialogs.informations.isEmpty());
    EXPECT_TRUE(server->log().contains("&date=12/7/26&")) << server->log().toStdString();
}

TEST_F(PostingServerTest, AnAnswerAfterTheFailureMessageStillOpensTheList)
{
    finishAGame();
    click(child<TSelButton>("button_sendscore"));
    tick(40);
    EXPECT_EQ(dialogs.informations, QStringList{"Posting Failed."});
    ASSERT_TRUE(listShows("Ann"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_EQ(dialogs.informations.size(), 1);
}

TEST_F(PostingServerTest, DoneWhileWaitingHidesThePanelAndTheAnswerStillOpensTheList)
{
    finishAGame();
    click(child<TSelButton>("button_sendscore"));
    click(child<TSelButton>("button_done"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());
    ASSERT_TRUE(listShows("Ann"));
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(dialogs.informations.isEmpty());
}

TEST_F(PostingServerTest, ANewGameWhileWaitingLetsThePostRunOn)
{
    finishAGame();
    click(child<TSelButton>("button_sendscore"));
    click(child<TSelButton>("button_start"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(child<TFlatPanel>("panel_wait")->isVisibleTo(child<TFlatPanel>("panel_cleared")));
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());
    tick();
    EXPECT_EQ(waitCaption(), "Posting Score, Please Wait.");

    // The answer closes the game-over panel even of the game that ended meanwhile.
    playToTheEnd();
    ASSERT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    ASSERT_TRUE(listShows("Ann"));
    EXPECT_FALSE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
}

TEST_F(PostingTest, ViewHighScoresTwiceQuicklyFetchesTheListOnce)
{
    ScriptedServer scripted;
    scripted.send(ScriptedServer::reply(200, "OK", "<p>Best scores</p>"));
    serverUrl = QString("http://127.0.0.1:%1/").arg(scripted.port());
    finishAGame();
    click(child<TSelButton>("button_highscore"));
    click(child<TSelButton>("button_highscore"));
    action("ViewHighScoreList1")->trigger();
    EXPECT_TRUE(child<Thighscore>("highscore")->isVisible());
    ASSERT_TRUE(listShows("Best scores"));
    ASSERT_TRUE(scripted.waitForClientsGone());
    EXPECT_EQ(scripted.connectionCount(), 1);
    // Neither touches the game-over panel or the posting timer.
    EXPECT_TRUE(child<TFlatPanel>("panel_cleared")->isVisible());
    EXPECT_FALSE(child<TFlatPanel>("panel_wait")->isVisibleTo(child<TFlatPanel>("panel_cleared")));
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());

    // The menu item alone, with the list closed, fetches and shows it again.
    child<Thighscore>("highscore")->close();
    action("ViewHighScoreList1")->trigger();
    EXPECT_TRUE(child<Thighscore>("highscore")->isVisible());
    ASSERT_TRUE(scripted.waitForRequests(2));
}

} // namespace
