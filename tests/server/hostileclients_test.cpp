// The real program facing clients that try to take more than their share, and a database
// that fails under it.

#include "tests/server/serverfixture.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <latch>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace {

using namespace std::chrono;
using HostileClientsTest = ServerTest;

// Holds connections open and sends one byte of a request on each every second, as slowly as
// a client can without being idle.
class SlowClients {
public:
    // count connections spread over loopback addresses from 127.0.1.1 on, perAddress each.
    // Returns once every connection has sent its first byte.
    SlowClients(int port, int count, int perAddress)
    {
        for (int i = 0; i < count; ++i)
            m_fds.push_back(connectFrom(port, "127.0.1." + std::to_string(1 + i / perAddress)));
        m_thread = std::thread([this] {
            const std::string request = "GET " + pagePath + " HTTP/1.1\r\nHost: x\r\n\r\n";
            bool first = true;
            for (std::size_t at = 0; !m_stop; at = (at + 1) % request.size()) {
                for (const int fd : m_fds)
                    send(fd, &request[at], 1, MSG_NOSIGNAL);
                if (std::exchange(first, false))
                    m_begun.count_down();
                for (int tick = 0; tick < 10 && !m_stop; ++tick)
                    std::this_thread::sleep_for(milliseconds(100));
            }
        });
        m_begun.wait();
    }
    ~SlowClients()
    {
        m_stop = true;
        m_thread.join();
        for (const int fd : m_fds)
            close(fd);
    }
    int connected() const
    {
        return static_cast<int>(
            std::count_if(m_fds.begin(), m_fds.end(), [](int fd) { return fd >= 0; }));
    }

private:
    std::vector<int> m_fds;
    std::atomic<bool> m_stop = false;
    std::latch m_begun{1};
    std::thread m_thread;
};

// Connections from loopback addresses from 127.0.3.1 on, perAddress each, that send many
// requests at once and never read an answer.
class NeverReaders {
public:
    NeverReaders(int port, int count, int perAddress, const std::string &target, int requests)
    {
        std::string pipelined;
        for (int i = 0; i < requests; ++i)
            pipelined += "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
        for (int i = 0; i < count; ++i) {
            m_fds.push_back(connectFrom(port, "127.0.3." + std::to_string(1 + i / perAddress)));
            send(m_fds.back(), pipelined.data(), pipelined.size(), MSG_NOSIGNAL);
        }
    }
    ~NeverReaders()
    {
        for (const int fd : m_fds)
            close(fd);
    }
    // How many the server still holds open.
    int open() const
    {
        return static_cast<int>(std::count_if(m_fds.begin(), m_fds.end(), [](int fd) {
            tcp_info info{};
            socklen_t size = sizeof info;
            return getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
                   info.tcpi_state == TCP_ESTABLISHED;
        }));
    }

private:
    std::vector<int> m_fds;
};

// Waits for the condition as long as a loaded machine may need for what takes seconds.
template <typename Condition> bool within(seconds limit, Condition condition)
{
    const auto until = steady_clock::now() + limit;
    while (!condition()) {
        if (steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(milliseconds(100));
    }
    return true;
}

// Sends the head, then body bytes until the server answers, stops taking them, or `limit`
// went out; returns the start of the server's answer.
std::string sendEndlessly(int port, const std::string &head, const std::string &piece,
                          std::size_t limit)
{
    const int fd = connectFrom(port);
    send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    pollfd answered{fd, POLLIN, 0};
    for (std::size_t sent = 0; sent < limit && poll(&answered, 1, 0) == 0;) {
        const ssize_t n =
            send(fd, piece.data(), std::min(piece.size(), limit - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    char buffer[4096];
    const ssize_t got = poll(&answered, 1, 5000) == 1 ? recv(fd, buffer, sizeof buffer, 0) : 0;
    close(fd);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

// 64 MiB of zeros as a gzip stream of some 64 KB.
std::string gzipBomb()
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> zeros(1 << 20, 0);
    std::string out;
    std::vector<unsigned char> buffer(1 << 16);
    for (int round = 0; round < 64; ++round) {
        stream.next_in = zeros.data();
        stream.avail_in = static_cast<uInt>(zeros.size());
        const int flush = round == 63 ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            out.append(reinterpret_cast<char *>(buffer.data()), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

TEST_F(HostileClientsTest, NeverSendsAByteOutsideThePage)
{
    auto server = start();
    const std::string whole = page(*server, pagePath);
    ASSERT_FALSE(whole.empty());
    for (const char *range :
         {"bytes=3000-400000", "bytes=0-0", "bytes=-500", "bytes=100-", "bytes=0-10,20-30",
          "bytes=999999999-", "bytes=5-2", "pages=1-2", "bytes=-99999999999999999999"}) {
        const HttpAnswer answer =
            request(server->port(), "GET", pagePath, "Range: " + std::string(range) + "\r\n");
        EXPECT_EQ(answer.status, 200) << range;
        EXPECT_TRUE(answer.body == whole) << range;
    }
}

TEST_F(HostileClientsTest, RefusesBodiesAndHugeHeadersWithoutGrowing)
{
    auto server = start();
    const long before = server->residentKb();
    const std::string chunked =
        "GET " + pagePath + " HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n";
    const std::string chunk = "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
    EXPECT_EQ(
        parseAnswer(sendEndlessly(server->port(), chunked, chunk, std::size_t(1) << 30)).status,
        501);

    const std::string bomb = gzipBomb();
    const std::string gzipped =
        "GET " + postTarget("Bomb", "1") +
        " HTTP/1.1\r\nHost: x\r\nContent-Encoding: gzip\r\nContent-Length: " +
        std::to_string(bomb.size()) + "\r\n\r\n";
    EXPECT_EQ(parseAnswer(sendEndlessly(server->port(), gzipped, bomb, bomb.size())).status, 413);

    const std::string manyHeaders = "GET " + pagePath + " HTTP/1.1\r\nHost: x\r\n";
    std::string lines;
    for (int i = 0; i < 100000; ++i)
        lines += "X-" + std::to_string(i) + ": y\r\n";
    EXPECT_EQ(parseAnswer(sendEndlessly(server->port(), manyHeaders, lines, lines.size())).status,
              431);
    std::string sixtyFive;
    for (int i = 0; i < 65; ++i)
        sixtyFive += "X-" + std::to_string(i) + ": y\r\n";
    EXPECT_EQ(request(server->port(), "GET", pagePath, sixtyFive).status, 431);

    EXPECT_LT(server->residentKb() - before, 20 * 1024);
    EXPECT_EQ(postedTotal(page(*server)), 0);
}

TEST_F(HostileClientsTest, RefusesEveryTransferCodingAndRunsNothingSentAfterIt)
{
    auto server = start({"--post-rate", "0"});
    const std::string smuggled =
        "GET " + postTarget("Smuggled", "5") + " HTTP/1.1\r\nHost: x\r\n\r\n";
    for (const char *coding : {"chunked", "xchunked", "gzip", "identity", "chunked, identity"}) {
        const std::string raw =
            exchange(server->port(), "GET " + pagePath + " HTTP/1.1\r\nHost: x\r\n" +
                                         "Transfer-Encoding: " + coding + "\r\n\r\n" + smuggled);
        const HttpAnswer answer = parseAnswer(raw);
        EXPECT_EQ(answer.status, 501) << coding;
        EXPECT_EQ(answer.field("Connection"), "close") << coding;
        EXPECT_EQ(raw.find("HTTP/1.1 ", 1), std::string::npos) << coding << ": a second answer";
    }
    EXPECT_EQ(postedTotal(page(*server)), 0);
}

TEST_F(HostileClientsTest, RefusesAnyAnnouncedBodyAndAnHttp11RequestWithoutOneHost)
{
    auto server = start();
    for (const char *length : {"1", "1048576", "1048577", "99999999999"}) {
        const HttpAnswer answer = request(server->port(), "GET", pagePath,
                                          "Content-Length: " + std::string(length) + "\r\n");
        EXPECT_EQ(answer.status, 413) << length;
    }
    EXPECT_EQ(request(server->port(), "GET", pagePath, "Content-Length: 0\r\n").status, 200);
    const auto statusOf = [&](const std::string &head) {
        return parseAnswer(exchange(server->port(), "GET " + pagePath + head + "\r\n")).status;
    };
    EXPECT_EQ(statusOf(" HTTP/1.1\r\nConnection: close\r\n"), 400);
    EXPECT_EQ(statusOf(" HTTP/1.1\r\nHost: a\r\nHost: b\r\nConnection: close\r\n"), 400);
    EXPECT_EQ(statusOf(" HTTP/1.0\r\n"), 200); // HTTP/1.0 has no Host to send
}

TEST_F(HostileClientsTest, ClientsThatNeverReadAreClosedAndGiveTheirMemoryBack)
{
    // A hundred answers of it are more than the system queues for a reader that takes nothing,
    // so that each one holds an answer unsent; its deadline, 2 s and 8 s for its size, is near.
    const std::string installer(64 * 1024, 'q');
    std::ofstream(folder.file("setup.exe"), std::ios::binary) << installer;
    auto server = start({"--installer", folder.file("setup.exe"), "--write-time", "2"});
    ASSERT_EQ(server->get("/quellan/qlnsetup.exe").body.size(), installer.size());
    const long before = server->residentKb();
    {
        NeverReaders attack(server->port(), 256, 16, "/quellan/qlnsetup.exe", 100);
        EXPECT_FALSE(page(*server, pagePath).empty());
        EXPECT_TRUE(server->get("/quellan/qlnsetup.exe").body == installer);
        EXPECT_TRUE(within(seconds(120), [&] { return attack.open() == 0; })) << attack.open();
    }
    EXPECT_TRUE(within(seconds(30), [&] { return server->residentKb() < before + before / 10; }))
        << before << " KB before, " << server->residentKb() << " KB after";
}

TEST_F(HostileClientsTest, SlowClientsLeaveOthersServedAndCannotHoldOffTheEnd)
{
    auto server = start({"--post-rate", "0"});
    SlowClients slow(server->port(), 200, 16);
    ASSERT_EQ(slow.connected(), 200);
    // Held off, the page and the end would wait out the slow clients' 10 s to send a request;
    // served beside them, they come long before that even on a busy machine.
    const auto asked = steady_clock::now();
    EXPECT_EQ(postedTotal(page(*server)), 0);
    EXPECT_LT(steady_clock::now() - asked, seconds(4));

    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(post(*server, named("P", i), std::to_string(i)), 200);
    const auto stopping = steady_clock::now();
    EXPECT_EQ(server->stop(SIGTERM), 0);
    EXPECT_LT(steady_clock::now() - stopping, seconds(4));
    server = start();
    EXPECT_EQ(postedTotal(page(*server)), 20);
}

TEST_F(HostileClientsTest, LimitsConnectionsFromOneAddress)
{
    auto server = start();
    std::vector<int> held;
    for (int i = 0; i < 16; ++i)
        held.push_back(connectFrom(server->port(), "127.0.0.9"));
    // The seventeenth is told so and closed; another address is served as ever.
    const HttpAnswer refused = parseAnswer(exchange(server->port(), "", "127.0.0.9", 5));
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(server->get(pagePath).status, 200);
    // A place that comes free is the address's again.
    close(held.back());
    held.pop_back();
    EXPECT_TRUE(eventually(
        [&] { return request(server->port(), "GET", pagePath, {}, "127.0.0.9").status == 200; }));
    for (const int fd : held)
        close(fd);
}

TEST_F(HostileClientsTest, LimitsPostsPerAddressAndPurgesAnAddressesScores)
{
    // A slow refill, so that the burst is all there is however slowly the posts go.
    auto server = start({"--post-rate", "0.001"});
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(post(*server, "Flood" + std::to_string(i), "556"), 200);
    const HttpAnswer limited = server->get(postTarget("Flood5", "556"));
    EXPECT_EQ(limited.status, 429);
    EXPECT_EQ(limited.body.rfind("Score not stored: ", 0), 0u);
    EXPECT_EQ(post(*server, "Honest", "200", "127.0.0.2"), 200);
    EXPECT_EQ(postedTotal(page(*server)), 6);

    // A purge while the server runs reaches its page too.
    const ServerRun purged = runServerToExit({"--purge-address", "127.0.0.1", "--db", db()});
    EXPECT_EQ(purged.code, 0);
    EXPECT_EQ(purged.output, "Removed 5 scores posted from 127.0.0.1\n");
    EXPECT_TRUE(eventually([&] { return postedTotal(page(*server)) == 1; }));
    EXPECT_NE(page(*server).find(">Honest<"), std::string::npos);
    EXPECT_NE(
        runServerToExit({"--purge-address", "127.0.0.1", "--db", folder.file("none.db")}).code, 0);
}

TEST_F(HostileClientsTest, StopsAcknowledgingOnceTheDatabaseIsGone)
{
    auto server = start();
    EXPECT_EQ(server->get("/health").body, "ok\n");
    ASSERT_EQ(post(*server, "Kept", "10"), 200);
    for (const char *suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(db() + suffix);
    const HttpAnswer lost = server->get(postTarget("Lost", "20"));
    EXPECT_EQ(lost.status, 503);
    EXPECT_EQ(lost.body.find("posted"), std::string::npos);
    EXPECT_EQ(server->get("/health").status, 503);
    EXPECT_TRUE(eventually([&] { return log().find("deleted or replaced") != std::string::npos; }));
}

TEST_F(HostileClientsTest, RefusesToStartOnAMissingDamagedOrReadOnlyDatabase)
{
    const ServerRun missing = runServerToExit({"--listen", "127.0.0.1:0", "--db", db()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.output.find("--create"), std::string::npos) << missing.output;
    EXPECT_FALSE(std::filesystem::exists(db()));

    {
        auto server = start({"--post-rate", "0"});
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(post(*server, "Name" + std::to_string(i), std::to_string(i % 500)), 200);
    }
    std::filesystem::permissions(db(), std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    std::filesystem::permissions(
        folder / "", std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                         std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                         std::filesystem::perms::others_exec);
    const ServerRun readOnly = runServerToExit({"--listen", "127.0.0.1:0", "--db", db()}, true);
    EXPECT_EQ(readOnly.code, 1);
    EXPECT_NE(readOnly.output.find("read-only"), std::string::npos) << readOnly.output;

    // Garbage over a page in the middle of the file.
    std::filesystem::permissions(db(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    const auto size = std::filesystem::file_size(db());
    ASSERT_GT(size, 3 * 4096u);
    std::fstream file(db(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size / 2 / 4096 * 4096));
    file << std::string(4096, '\x5a');
    file.close();
    const ServerRun damaged = runServerToExit({"--listen", "127.0.0.1:0", "--db", db()});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_NE(damaged.output.find("damaged"), std::string::npos) << damaged.output;
}

} // namespace

TEST_F(HostileClientsTest, BehindATrustedLoadBalancerTheForwardedClientCounts)
{
    auto server = start({"--trust-proxy", "127.0.0.1", "--post-burst", "2", "--post-rate", "0.01"});
    // The load balancer holds more connections than one client may.
    std::vector<int> held;
    for (int i = 0; i < 20; ++i)
        held.push_back(connectFrom(server->port()));
    EXPECT_EQ(request(server->port(), "GET", pagePath).status, 200);
    for (const int socket : held)
        close(socket);
    // Each client's own limit, by the last address forwarded; an earlier one is the client's
    // own claim and counts for nothing, and so does a whole field of its own before the one
    // the balancer appends.
    const auto postWith = [&](const std::string &fields, const std::string &name) {
        return request(server->port(), "GET", postTarget(name, "5"), fields).status;
    };
    const auto postFor = [&](const std::string &client, const std::string &name) {
        return postWith("X-Forwarded-For: 10.9.9.9, " + client + "\r\n", name);
    };
    EXPECT_EQ(postFor("10.0.0.1", "A1"), 200);
    EXPECT_EQ(postFor("10.0.0.1", "A2"), 200);
    EXPECT_EQ(postFor("10.0.0.1", "A3"), 429);
    EXPECT_EQ(postFor("10.0.0.2", "B1"), 200);
    EXPECT_EQ(postWith("X-Forwarded-For: 6.6.6.6\r\nX-Forwarded-For: 10.0.0.3\r\n", "C1"), 200);
    // Balancers that name the client's port: still one budget per client, not one for all.
    EXPECT_EQ(postFor("10.0.0.4:5678", "D1"), 200);
    EXPECT_EQ(postFor("10.0.0.4:6789", "D2"), 200);
    EXPECT_EQ(postFor("10.0.0.4:7890", "D3"), 429);
    EXPECT_EQ(postFor("[2001:db8::2]:443", "E1"), 200);
    EXPECT_EQ(postFor("::ffff:10.0.0.5", "F1"), 200);
    server->stop(SIGTERM);
    const auto purged = [&](const std::string &address) {
        return runServerToExit({"--purge-address", address, "--db", db()}).output;
    };
    EXPECT_EQ(purged("10.0.0.1"), "Removed 2 scores posted from 10.0.0.1\n");
    EXPECT_EQ(purged("6.6.6.6"), "Removed 0 scores posted from 6.6.6.6\n");
    EXPECT_EQ(purged("10.0.0.3"), "Removed 1 score posted from 10.0.0.3\n");
    EXPECT_EQ(purged("10.0.0.4"), "Removed 2 scores posted from 10.0.0.4\n");
    EXPECT_EQ(purged("2001:db8::2"), "Removed 1 score posted from 2001:db8::2\n");
    EXPECT_EQ(purged("10.0.0.5"), "Removed 1 score posted from 10.0.0.5\n");
}
