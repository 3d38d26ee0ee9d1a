// The real program on a free loopback port, as the game and a browser meet it.

#include "tests/server/serverprocess.h"
#include "tests/support/tempfolder.h"

#include <arpa/inet.h>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string postPath = "/cgi-bin/quellan.cgi";
const std::string pagePath = "/counter/quellan.shtml";

// Sends a request as written and reads the answer until the server closes the connection.
std::string exchange(int port, const std::string &request)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
        char buffer[65536];
        ssize_t got = 0;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return answer;
}

class WebServerTest : public ::testing::Test {
protected:
    std::unique_ptr<ServerProcess> start(std::vector<std::string> args = {})
    {
        args.insert(args.end(), {"--db", folder.file("scores.db")});
        return std::make_unique<ServerProcess>(args, folder.file("server.log"));
    }

    static httplib::Result post(httplib::Client &client, const std::string &name,
                                const std::string &score, const std::string &date = "3/7/05")
    {
        return client.Get(postPath + "?name=" + name + "&date=" + date + "&score=" + score);
    }

    static std::string page(httplib::Client &client)
    {
        const auto result = client.Get(pagePath);
        return result && result->status == 200 ? result->body : std::string();
    }

    // The number of scores the page says were posted; -1 when it says none.
    static long postedTotal(const std::string &page)
    {
        static const std::regex total(R"((\d+) scores? posted)");
        std::smatch match;
        return std::regex_search(page, match, total) ? std::stol(match[1]) : -1;
    }

    std::string log() const
    {
        std::ifstream file(folder.file("server.log"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TempFolder folder;
};

TEST_F(WebServerTest, ServesTheVersionTextExactly)
{
    auto server = start({"--version-text", "1.0.1"});
    const auto result = server->client()->Get("/quellan/quellanversion.txt");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body, "1.0.1");
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/plain");

    auto plain = start();
    EXPECT_EQ(plain->client()->Get("/quellan/quellanversion.txt")->body, "1.0.0");
}

TEST_F(WebServerTest, StreamsTheInstallerWithItsLengthOrSaysThereIsNone)
{
    std::string installer;
    for (int i = 0; i < 300000; ++i)
        installer += static_cast<char>(i * 7 % 256);
    std::ofstream(folder.file("setup.exe"), std::ios::binary) << installer;
    auto server = start({"--installer", folder.file("setup.exe")});
    auto client = server->client();
    const auto result = client->Get("/quellan/qlnsetup.exe");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(installer.size()));
    EXPECT_TRUE(result->body == installer);
    const auto head = client->Head("/quellan/qlnsetup.exe");
    EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(installer.size()));
    // The game's own download: HTTP/1.0, the body read until the connection closes.
    const std::string answer =
        exchange(server->port(), "GET /quellan/qlnsetup.exe HTTP/1.0\r\nAccept: */*\r\n"
                                 "User-Agent: Mozilla/3.0 (compatible)\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    const auto bodyStart = answer.find("\r\n\r\n");
    ASSERT_NE(bodyStart, std::string::npos);
    EXPECT_TRUE(answer.substr(bodyStart + 4) == installer);

    auto bare = start();
    const auto missing = bare->client()->Get("/quellan/qlnsetup.exe");
    EXPECT_EQ(missing->status, 404);
    EXPECT_NE(missing->body.find("<html>"), std::string::npos);
    EXPECT_NE(runServerToExit({"--installer", folder.file("nothing.exe")}), 0);
}

TEST_F(WebServerTest, StoresAPostAndShowsItDecodedOnThePage)
{
    auto server = start();
    auto client = server->client();
    EXPECT_EQ(postedTotal(page(*client)), 0);
    const auto result = post(*client, "Zo%C3%AB%20A%2Bb+c", "-15", "12.25.09");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_FALSE(result->body.empty());

    const std::string shown = page(*client);
    EXPECT_EQ(postedTotal(shown), 1);
    EXPECT_NE(shown.find(">Zo\xC3\xAB A+b+c<"), std::string::npos);
    EXPECT_NE(shown.find(">-15<"), std::string::npos);
    EXPECT_NE(shown.find(">12.25.09<"), std::string::npos);
}

TEST_F(WebServerTest, RefusesInvalidPostsAndStoresNothing)
{
    auto server = start();
    auto client = server->client();
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
    };
    for (const auto &query : badQueries) {
        const auto result = client->Get(postPath + query);
        ASSERT_TRUE(result) << query;
        EXPECT_EQ(result->status, 400) << query;
        EXPECT_FALSE(result->body.empty()) << query;
    }
    EXPECT_EQ(client->Head(postPath + "?name=Ann&date=3/7/05&score=1")->status, 405);
    EXPECT_EQ(postedTotal(page(*client)), 0);
}

TEST_F(WebServerTest, ShowsMarkupAndSqlInNamesLiterally)
{
    auto server = start();
    auto client = server->client();
    ASSERT_EQ(post(*client, "%3Cscript%3Ealert(1)%3C/script%3E", "10")->status, 200);
    ASSERT_EQ(post(*client, "x%27)%3B%20DROP%20TABLE%20scores%3B--", "20")->status, 200);
    ASSERT_EQ(post(*client, "after", "5")->status, 200);

    const std::string shown = page(*client);
    EXPECT_EQ(postedTotal(shown), 3);
    EXPECT_EQ(shown.find("<script"), std::string::npos);
    EXPECT_NE(shown.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(shown.find("x&#39;); DROP TABLE scores;--"), std::string::npos);
}

TEST_F(WebServerTest, RanksBestFirstAndEqualScoresEarliestFirst)
{
    auto server = start();
    auto client = server->client();
    for (const auto &[name, score] :
         {std::pair{"Ann", "50"}, {"Bob", "70"}, {"Cid", "50"}, {"Dee", "70"}, {"Eve", "-3"}})
        ASSERT_EQ(post(*client, name, score)->status, 200);
    const std::string shown = page(*client);
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
    ASSERT_EQ(post(*server->client(), "Stopped", "30")->status, 200);
    EXPECT_EQ(server->stop(SIGTERM), 0);

    server = start();
    ASSERT_EQ(post(*server->client(), "Killed", "40")->status, 200);
    server->stop(SIGKILL);

    server = start();
    const std::string shown = page(*server->client());
    EXPECT_EQ(postedTotal(shown), 2);
    EXPECT_NE(shown.find(">Stopped<"), std::string::npos);
    EXPECT_NE(shown.find(">Killed<"), std::string::npos);
}

TEST_F(WebServerTest, StoresEveryPostFromManyClientsAtOnce)
{
    constexpr int clients = 8;
    constexpr int postsEach = 200;
    auto server = start();
    std::vector<int> acknowledged(clients, 0);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            auto client = server->client();
            client->set_keep_alive(true);
            for (int i = 0; i < postsEach; ++i) {
                const auto name = "c" + std::to_string(c) + "p" + std::to_string(i);
                const auto result = post(*client, name, std::to_string(i));
                acknowledged[c] += result && result->status == 200;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (int c = 0; c < clients; ++c)
        EXPECT_EQ(acknowledged[c], postsEach) << "client " << c;
    EXPECT_EQ(postedTotal(page(*server->client())), clients * postsEach);
}

TEST_F(WebServerTest, AnswersOtherAddressesAndMethodsWithShortPages)
{
    auto server = start();
    auto client = server->client();
    for (const char *path : {"/", "/quellan/", "/counter/quellan.html", "/cgi-bin/other.cgi"}) {
        const auto result = client->Get(path);
        EXPECT_EQ(result->status, 404) << path;
        EXPECT_NE(result->body.find("404"), std::string::npos) << path;
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/html") << path;
    }
    const auto posted =
        client->Post(postPath, "name=a&date=1&score=1", "application/x-www-form-urlencoded");
    EXPECT_EQ(posted->status, 405);
    EXPECT_EQ(posted->get_header_value("Allow"), "GET, HEAD");
    EXPECT_EQ(client->Put(pagePath, "x", "text/plain")->status, 405);
    EXPECT_EQ(client->Delete(pagePath)->status, 405);
    const auto tooLong = client->Get(pagePath + "?" + std::string(10000, 'x'));
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(tooLong->status, 414);
    EXPECT_FALSE(tooLong->body.empty());
    EXPECT_EQ(postedTotal(page(*client)), 0);
}

TEST_F(WebServerTest, LogsOneLinePerRequestAndRefusesATakenPort)
{
    auto server = start();
    auto client = server->client();
    client->Get("/quellan/quellanversion.txt");
    client->Get("/missing");
    const int port = server->port();
    EXPECT_EQ(runServerToExit({"--listen", "127.0.0.1:" + std::to_string(port), "--db",
                               folder.file("other.db")}),
              1);
    server->stop(SIGTERM);

    const std::string text = log();
    EXPECT_TRUE(std::regex_search(
        text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z 127\.0\.0\.1 )"
                         R"("GET /quellan/quellanversion\.txt HTTP/1\.1" 200 5\n)")))
        << text;
    EXPECT_NE(text.find("\"GET /missing HTTP/1.1\" 404 "), std::string::npos) << text;
}

} // namespace
