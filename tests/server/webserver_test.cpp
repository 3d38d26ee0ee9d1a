// The real program on a free loopback port, as the game and a browser meet it.

#include "tests/server/serverfixture.h"

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using WebServerTest = ServerTest;

TEST_F(WebServerTest, ServesTheVersionTextExactly)
{
    auto server = start({"--version-text", "1.0.1"});
    const HttpAnswer version = server->get("/quellan/quellanversion.txt");
    EXPECT_EQ(version.status, 200);
    EXPECT_EQ(version.body, "1.0.1");
    EXPECT_EQ(version.field("Content-Type"), "text/plain");

    auto plain = start();
    EXPECT_EQ(plain->get("/quellan/quellanversion.txt").body, "1.0.0");
    // An HTTP/1.0 client asking to keep the connection is told it is kept.
    const int fd = connectFrom(plain->port());
    const std::string kept =
        "GET /quellan/quellanversion.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n";
    send(fd, kept.data(), kept.size(), MSG_NOSIGNAL);
    char answer[512] = {};
    pollfd readable{fd, POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 5000), 1);
    EXPECT_NE(std::string(answer, static_cast<std::size_t>(recv(fd, answer, sizeof answer, 0)))
                  .find("Connection: keep-alive\r\n"),
              std::string::npos);
    close(fd);
}

TEST_F(WebServerTest, StreamsTheInstallerWithItsLengthOrSaysThereIsNone)
{
    std::string installer;
    for (int i = 0; i < 300000; ++i)
        installer += static_cast<char>(i * 7 % 256);
    std::ofstream(folder.file("setup.exe"), std::ios::binary) << installer;
    auto server = start({"--installer", folder.file("setup.exe")});
    const HttpAnswer got = server->get("/quellan/qlnsetup.exe");
    EXPECT_EQ(got.status, 200);
    EXPECT_EQ(got.field("Content-Length"), std::to_string(installer.size()));
    EXPECT_TRUE(got.body == installer);
    const HttpAnswer head = server->get("/quellan/qlnsetup.exe", "HEAD");
    EXPECT_EQ(head.field("Content-Length"), std::to_string(installer.size()));
    EXPECT_TRUE(head.body.empty());
    // The game's own download: HTTP/1.0, the body read until the connection closes.
    const HttpAnswer game = parseAnswer(exchange(
        server->port(), "GET /quellan/qlnsetup.exe HTTP/1.0\r\nAccept: */*\r\n"
                        "User-Agent: Mozilla/3.0 (compatible)\r\nHost: 127.0.0.1\r\n\r\n"));
    EXPECT_EQ(game.status, 200);
    EXPECT_TRUE(game.body == installer);

    auto bare = start();
    const HttpAnswer missing = bare->get("/quellan/qlnsetup.exe");
    EXPECT_EQ(missing.status, 404);
    EXPECT_NE(missing.body.find("<html>"), std::string::npos);
    EXPECT_NE(runServerToExit({"--db", db(), "--installer", folder.file("nothing.exe")}).code, 0);
}

TEST_F(WebServerTest, StoresAPostAndShowsItDecodedOnThePage)
{
    auto server = start();
    EXPECT_EQ(postedTotal(page(*server)), 0);
    const HttpAnswer posted = server->get(postTarget("Zo%C3%AB%20A%2Bb+c", "-15", "12.25.09"));
    EXPECT_EQ(posted.status, 200);
    EXPECT_EQ(posted.body, "Score posted.\n");

    const std::string shown = page(*server);
    EXPECT_EQ(postedTotal(shown), 1);
    EXPECT_NE(shown.find(">Zo\xC3\xAB A+b+c<"), std::string::npos);
    EXPECT_NE(shown.find(">-15<"), std::string::npos);
    EXPECT_NE(shown.find(">12.25.09<"), std::string::npos);
}

TEST_F(WebServerTest, RefusesInvalidAndImpossiblePostsAndStoresNothing)
{
    auto server = start({"--post-rate", "0"});
    const std::string badQueries[] = {
        "",
        "?name=Ann&date=3/7/05",
        "?name=&date=3/7/05&score=1",
        "?name=" + std::string(33, 'a') + "&date=3/7/05&score=1",
        "?name=%FF%FE&date=3/7/05&score=1",
        "?name=a%0Db&date=3/7/05&score=1",
        "?name=a%zz&date=3/7/05&score=1",
        "?name=Ann&date=7%20March%202005&score=1",
        "?name=Ann&date=3/7/05&score=2147483648",
        "?name=Ann&date=3/7/05&score=ten",
        // One past the best a won game can score, and one below a lost game's worst.
        "?name=Ann&date=3/7/05&score=557",
        "?name=Ann&date=3/7/05&score=-417",
    };
    for (const auto &query : badQueries) {
        const HttpAnswer refused = server->get(postPath + query);
        EXPECT_EQ(refused.status, 400) << query;
        EXPECT_EQ(refused.body.rfind("Score not stored: ", 0), 0u) << query;
    }
    EXPECT_EQ(server->get(postTarget("Ann", "1"), "HEAD").status, 405);
    EXPECT_EQ(postedTotal(page(*server)), 0);
    EXPECT_EQ(post(*server, "Best", "556"), 200);
    EXPECT_EQ(post(*server, "Worst", "-416"), 200);
    EXPECT_EQ(postedTotal(page(*server)), 2);
}

TEST_F(WebServerTest, ShowsMarkupAndSqlInNamesLiterally)
{
    auto server = start();
    ASSERT_EQ(post(*server, "%3Cscript%3Ealert(1)%3C/script%3E", "10"), 200);
    ASSERT_EQ(post(*server, "x%27)%3B%20DROP%20TABLE%20scores%3B--", "20"), 200);
    ASSERT_EQ(post(*server, "after", "5"), 200);

    const std::string shown = page(*server);
    EXPECT_EQ(postedTotal(shown), 3);
    EXPECT_EQ(shown.find("<script"), std::string::npos);
    EXPECT_NE(shown.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(shown.find("x&#39;); DROP TABLE scores;--"), std::string::npos);
}

TEST_F(WebServerTest, RanksBestFirstAndEqualScoresEarliestFirstAcrossRestarts)
{
    auto server = start({"--post-rate", "0"});
    for (const auto &[name, score] : {std::pair{"Ann", "50"}, {"Bob", "70"}, {"Cid", "50"}})
        ASSERT_EQ(post(*server, name, score), 200);
    server = start({"--post-rate", "0"});
    for (const auto &[name, score] : {std::pair{"Dee", "70"}, {"Eve", "-3"}})
        ASSERT_EQ(post(*server, name, score), 200);
    const std::string shown = page(*server);
    std::size_t last = 0;
    for (const char *name : {">Bob<", ">Dee<", ">Ann<", ">Cid<", ">Eve<"}) {
        const auto at = shown.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
}

TEST_F(WebServerTest, KeepsAcknowledgedScoresThroughARestartAndAKill)
{
    auto server = start();
    ASSERT_EQ(post(*server, "Stopped", "30"), 200);
    EXPECT_EQ(server->stop(SIGTERM), 0);

    server = start();
    ASSERT_EQ(post(*server, "Killed", "40"), 200);
    server->stop(SIGKILL);

    server = start();
    const std::string shown = page(*server);
    EXPECT_EQ(postedTotal(shown), 2);
    EXPECT_NE(shown.find(">Stopped<"), std::string::npos);
    EXPECT_NE(shown.find(">Killed<"), std::string::npos);
}

TEST_F(WebServerTest, StoresEveryPostFromManyClientsAtOnce)
{
    constexpr int clients = 8;
    constexpr int postsEach = 100;
    auto server = start({"--post-rate", "0"});
    std::vector<int> acknowledged(clients, 0);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            for (int i = 0; i < postsEach; ++i) {
                const auto name = named("c", c, "p", i);
                acknowledged[c] += post(*server, name, std::to_string(i)) == 200;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (int c = 0; c < clients; ++c)
        EXPECT_EQ(acknowledged[c], postsEach) << "client " << c;
    EXPECT_EQ(postedTotal(page(*server)), clients * postsEach);
}

TEST_F(WebServerTest, AnswersOtherAddressesAndMethodsWithShortPages)
{
    auto server = start();
    for (const char *path : {"/", "/quellan/", "/counter/quellan.html", "/cgi-bin/other.cgi"}) {
        const HttpAnswer missing = server->get(path);
        EXPECT_EQ(missing.status, 404) << path;
        EXPECT_NE(missing.body.find("404"), std::string::npos) << path;
        EXPECT_EQ(missing.field("Content-Type"), "text/html") << path;
    }
    const HttpAnswer posted = parseAnswer(
        exchange(server->port(), "POST " + postPath +
                                     " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                     "Content-Type: application/x-www-form-urlencoded\r\n"
                                     "Content-Length: 21\r\n\r\nname=a&date=1&score=1"));
    EXPECT_EQ(posted.status, 405);
    EXPECT_EQ(posted.field("Allow"), "GET, HEAD");
    EXPECT_EQ(server->get(pagePath, "PUT").status, 405);
    EXPECT_EQ(server->get(pagePath, "DELETE").status, 405);
    const HttpAnswer tooLong = server->get(pagePath + "?" + std::string(10000, 'x'));
    EXPECT_EQ(tooLong.status, 414);
    EXPECT_FALSE(tooLong.body.empty());
    EXPECT_EQ(postedTotal(page(*server)), 0);
}

TEST_F(WebServerTest, LogsOneLinePerRequestAndRefusesATakenPort)
{
    auto server = start();
    server->get("/quellan/quellanversion.txt");
    server->get("/missing");
    const int port = server->port();
    const ServerRun taken =
        runServerToExit({"--listen", "127.0.0.1:" + std::to_string(port), "--db", db()});
    EXPECT_EQ(taken.code, 1);
    EXPECT_NE(taken.output.find("cannot listen"), std::string::npos) << taken.output;
    server->stop(SIGTERM);

    const std::string text = log();
    EXPECT_TRUE(std::regex_search(
        text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z 127\.0\.0\.1 )"
                         R"("GET /quellan/quellanversion\.txt HTTP/1\.1" 200 5\n)")))
        << text;
    EXPECT_NE(text.find("\"GET /missing HTTP/1.1\" 404 "), std::string::npos) << text;
}

} // namespace
