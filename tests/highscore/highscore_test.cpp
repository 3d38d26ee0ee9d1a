#include "highscore/highscore.h"
#include "widgets/image.h"

#include "htmlview/htmlview.h"
#include "net/httpget.h"
#include "tests/support/knowngames.h"
#include "tests/support/recordingopener.h"
#include "tests/support/scriptedserver.h"
#include "tests/support/webserverprocess.h"
#include "widgets/flatpanel.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int answerMs = 10000;

TEST(PostingDateTest, MonthDayAndTwoDigitYearJoinedByTheRegionalSeparator)
{
    const QLocale us("en_US");
    EXPECT_EQ(postingDateText(QDate(2009, 12, 25), us), "12/25/09");
    EXPECT_EQ(postingDateText(QDate(2010, 1, 1), us), "1/1/10");
    EXPECT_EQ(postingDateText(QDate(2005, 3, 7), us), "3/7/05");
    EXPECT_EQ(postingDateText(QDate(2000, 11, 30), us), "11/30/00");
    EXPECT_EQ(postingDateText(QDate(2005, 3, 7), QLocale("de_DE")), "3.7.05");
    EXPECT_EQ(postingDateText(QDate(2005, 3, 7), QLocale("nl_NL")), "3-7-05");
    EXPECT_EQ(dateSeparator(QLocale("de_DE")), ".");
    // The C locale writes its short dates with blanks: the separator falls back to "/".
    EXPECT_EQ(dateSeparator(QLocale::c()), "/");
    // A direction mark before the separator is not the separator.
    EXPECT_TRUE(QLocale("ar_EG").dateFormat(QLocale::ShortFormat).contains(QChar(0x200F)));
    EXPECT_EQ(dateSeparator(QLocale("ar_EG")), "/");
    EXPECT_EQ(postingDateText(QDate(2026, 12, 7), QLocale::c()), "12/7/26");
}

class HighScoreWindowTest : public ::testing::Test {
protected:
    Thighscore &open(const QString &serverUrl)
    {
        window = std::make_unique<Thighscore>(nullptr, serverUrl, &opener);
        return *window;
    }

    // Serves the event queue until the view's page mentions `text`.
    bool pageShows(const QString &text) const
    {
        return QTest::qWaitFor([&] { return window->displayhtml->toPlainText().contains(text); },
                               answerMs);
    }

    RecordingOpener opener;
    std::unique_ptr<Thighscore> window;
};

// Tests against the game's real web server, started for each test.
class HighScoreServerTest : public HighScoreWindowTest {
protected:
    void SetUp() override
    {
        server = startBuiltWebServer();
        if (!server)
            GTEST_SKIP() << "the web server is not built";
        ASSERT_TRUE(server->started());
        open(server->baseUrl());
    }

    std::unique_ptr<WebServerProcess> server;
};

TEST_F(HighScoreWindowTest, TheWindowHasItsTitleAndFixedSizeAndFetchesFromTheServer)
{
    Thighscore &w = open("http://127.0.0.1:8080/");
    EXPECT_EQ(w.objectName(), "highscore");
    EXPECT_EQ(w.windowTitle(), "Quellan - High Scores");
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.Label1->text(), "Quellan");
    EXPECT_EQ(w.button_done->Caption(), "DONE");
    EXPECT_EQ(w.pageAddress(), "http://127.0.0.1:8080/counter/quellan.shtml");
    EXPECT_EQ(open("http://example.org").pageAddress(), "http://example.org/counter/quellan.shtml");
}

TEST_F(HighScoreWindowTest, ThePageFillsItsFrameAndNothingIsCutOff)
{
    Thighscore &w = open("http://127.0.0.1:8080/");
    w.showCentred();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The page leaves a one-pixel edge of its frame showing all round.
    EXPECT_EQ(w.displayhtml->geometry(), w.panel_main->rect().adjusted(1, 1, -1, -1));
    const QRect window = w.rect();
    for (const QWidget *part :
         std::initializer_list<const QWidget *>{w.Image1, w.panel_main, w.button_done, w.Label1})
        EXPECT_TRUE(window.contains(part->geometry())) << part->objectName().toStdString();
    EXPECT_FALSE(w.panel_main->geometry().intersects(w.button_done->geometry()));
    EXPECT_FALSE(w.Image1->Picture().isNull());
    EXPECT_LE(w.Label1->sizeHint().width(), w.Label1->width());
    EXPECT_LT(QFontMetrics(w.button_done->font()).horizontalAdvance("DONE"),
              w.button_done->width());
    // The frame shows as a white edge around the page.
    const QImage shown = w.panel_main->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, shown.height() / 2), QColor(Qt::white));
}

TEST_F(HighScoreWindowTest, ShownCentredOnTheDesktopAndHiddenByDone)
{
    Thighscore &w = open("http://127.0.0.1:8080/");
    w.showCentred();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    // Within what the window frame may add on one side.
    EXPECT_LE((w.frameGeometry().center() - desktop.center()).manhattanLength(), 16);
    QTest::mouseClick(w.button_done, Qt::LeftButton, {}, w.button_done->rect().center());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(HighScoreServerTest, APostArrivesDecodedAndShowsOnTheList)
{
    QSignalSpy posted(window.get(), &Thighscore::scorePosted);
    // A won game of deal 2, which the server plays again.
    const QString line = deal2Won;
    window->sendscore("name=Zo%C3%AB%20%26%20Ann%3D%231&date=12/25/09&score=556&deal=2&moves=" +
                      line);
    ASSERT_TRUE(posted.wait(answerMs));
    EXPECT_TRUE(window->isVisible());
    // The list's row: name, score, deal, date.
    ASSERT_TRUE(pageShows("Zoë & Ann=#1\n556\n2\n12/25/09"));
    EXPECT_TRUE(server->log().contains("/cgi-bin/quellan.cgi?name=Zo%C3%AB%20%26%20Ann%3D%231&"));
}

TEST_F(HighScoreServerTest, APageFetchedWhileHiddenIsStillShownAndAFailedOneChangesNothing)
{
    window->loadit();
    ASSERT_TRUE(pageShows("Quellan High Scores"));
    EXPECT_FALSE(window->isVisible());
    const QString page = window->displayhtml->toPlainText();

    server->stop();
    QSignalSpy failed(window->getit, &THTTPGet::OnError);
    window->loadit();
    ASSERT_TRUE(failed.wait(answerMs));
    EXPECT_EQ(window->displayhtml->toPlainText(), page);
}

TEST_F(HighScoreWindowTest, TwoQuickLoadsMakeOneFetch)
{
    ScriptedServer scripted;
    scripted.send(ScriptedServer::reply(200, "OK", "<p>The list</p>"));
    Thighscore &w = open(QString("http://127.0.0.1:%1/").arg(scripted.port()));
    QSignalSpy loaded(w.getit, &THTTPGet::OnDoneString);
    w.loadit();
    w.loadit();
    ASSERT_TRUE(loaded.wait(answerMs));
    ASSERT_TRUE(scripted.waitForClientsGone());
    EXPECT_EQ(scripted.connectionCount(), 1);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_TRUE(scripted.request().startsWith("GET /counter/quellan.shtml HTTP/1.0\r\n"));
    EXPECT_EQ(w.displayhtml->toPlainText(), "The list");
}

TEST_F(HighScoreWindowTest, OnlyWebAndMailLinksReachTheDesktop)
{
    Thighscore &w = open("http://127.0.0.1:8080/");
    w.getitDoneString(w.getit, "<p><a href=\"mailto:scores@example.org\">Write to us</a></p>");
    w.showCentred();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTextCursor link = w.displayhtml->document()->find("Write");
    link.setPosition(link.selectionStart() + 1);
    QTest::mouseClick(w.displayhtml->viewport(), Qt::LeftButton, {},
                      w.displayhtml->cursorRect(link).center() - QPoint(2, 0));
    EXPECT_EQ(opener.addresses, QStringList{"mailto:scores@example.org"});

    opener.addresses.clear();
    const QStringList links{
        "http://example.org/Quellan?a=1&b=2", // absolute links go as written
        "HTTPS://Example.org/x",
        "mailto:a@example.org?subject=Hi",
        "scores.html", // relative ones from the page's address
        "../index.html",
        "//example.org/path",
        "#top", // stays in the view
        "javascript:alert(1)",
        "file:///etc/passwd",
        "ftp://example.org/file",
        "data:text/html,hello",
        "http://[broken",
    };
    for (const QString &src : links) {
        bool handled = false;
        w.displayhtmlHotSpotClick(w.displayhtml, src, handled);
        EXPECT_FALSE(handled);
    }
    EXPECT_EQ(
        opener.addresses,
        QStringList({"http://example.org/Quellan?a=1&b=2", "HTTPS://Example.org/x",
                     "mailto:a@example.org?subject=Hi", "http://127.0.0.1:8080/counter/scores.html",
                     "http://127.0.0.1:8080/index.html", "http://example.org/path"}));
}

} // namespace
