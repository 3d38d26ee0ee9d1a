// Several servers on one PostgreSQL, against a real PostgreSQL 15 started for the tests.

#include "server/postgresscorestore.h"
#include "server/sqlitescorestore.h"
#include "tests/server/serverfixture.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <pwd.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const std::string pgBin = "/usr/lib/postgresql/15/bin/";

// A free TCP port number, for the name of PostgreSQL's socket.
int freePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

// A PostgreSQL cluster of its own in a temporary folder, listening on a socket there only.
// PostgreSQL refuses to run as root, so as root it runs as the "postgres" user.
class PostgresCluster {
public:
    PostgresCluster() : m_folder(std::filesystem::temp_directory_path() / makeName())
    {
        std::filesystem::create_directories(m_folder);
        if (geteuid() == 0) {
            const passwd *user = getpwnam("postgres");
            if (!user)
                throw std::runtime_error("no postgres user to run PostgreSQL as");
            if (chown(m_folder.c_str(), user->pw_uid, user->pw_gid) != 0)
                throw std::runtime_error("cannot give the cluster's folder to postgres");
            m_runAs = "runuser -u postgres -- ";
        }
        m_port = freePort();
        try {
            run(pgBin + "initdb -D " + data() + " -A trust -U quellan --no-sync >" +
                (m_folder / "initdb.log").string() + " 2>&1");
            start();
        } catch (...) {
            std::filesystem::remove_all(m_folder);
            throw;
        }
    }
    ~PostgresCluster()
    {
        std::system((m_runAs + pgBin + "pg_ctl -D " + data() + " -m immediate stop >/dev/null 2>&1")
                        .c_str());
        std::filesystem::remove_all(m_folder);
    }

    // The address servers are given.
    std::string address() const
    {
        return "postgresql:///postgres?host=" + m_folder.string() +
               "&port=" + std::to_string(m_port) + "&user=quellan";
    }
    void start()
    {
        run(m_runAs + pgBin + "pg_ctl -D " + data() + " -w -l " + logFile() + " -o \"-k " +
            m_folder.string() + " -p " + std::to_string(m_port) +
            " -c listen_addresses=''\" start >/dev/null");
    }
    // Stops PostgreSQL as a system shutdown does ("fast": open transactions are rolled back).
    void stop() { run(m_runAs + pgBin + "pg_ctl -D " + data() + " -m fast -w stop >/dev/null"); }
    void restart()
    {
        stop();
        start();
    }
    // Sends the signal to every process of the cluster, as a database that hangs (SIGSTOP)
    // and comes back (SIGCONT).
    void signalAll(int signal) const
    {
        std::ifstream pidFile(m_folder / "data" / "postmaster.pid");
        pid_t postmaster = 0;
        pidFile >> postmaster;
        kill(postmaster, signal);
        for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string pid, name, state;
            pid_t parent = 0;
            if (stat >> pid >> name >> state >> parent && parent == postmaster)
                kill(std::stoi(pid), signal);
        }
    }
    // What psql prints for the statements, unaligned.
    std::string sql(const std::string &statements) const
    {
        const std::string command = "psql -Atq '" + address() + "' -c \"" + statements + "\"";
        std::unique_ptr<FILE, int (*)(FILE *)> output(popen(command.c_str(), "r"), pclose);
        std::string text;
        char buffer[256];
        while (output && std::fgets(buffer, sizeof buffer, output.get()))
            text += buffer;
        return text;
    }

private:
    static std::string makeName() { return "quellan-pg-" + std::to_string(getpid()); }
    std::string data() const { return (m_folder / "data").string(); }
    // PostgreSQL's own log, which it makes itself.
    std::string logFile() const { return (m_folder / "server.log").string(); }
    void run(const std::string &command) const
    {
        const std::string line =
            m_runAs.empty() || command.starts_with(m_runAs) ? command : m_runAs + command;
        if (std::system(line.c_str()) == 0)
            return;
        std::string logs;
        for (const char *name : {"initdb.log", "server.log"}) {
            std::ifstream file(m_folder / name);
            logs += std::string(std::istreambuf_iterator<char>(file), {});
        }
        throw std::runtime_error("PostgreSQL did not start: " + line + "\n" + logs);
    }

    std::filesystem::path m_folder;
    std::string m_runAs;
    int m_port = 0;
};

class PostgresTest : public ServerTest {
protected:
    std::unique_ptr<ServerProcess> startOn(const std::string &log)
    {
        return std::make_unique<ServerProcess>(std::vector<std::string>{"--db", cluster.address(),
                                                                        "--create", "--post-rate",
                                                                        "0", "--per-address", "64"},
                                               folder.file(log));
    }

    std::set<std::string> storedNames()
    {
        server::PostgresScoreStore store(cluster.address(), server::ScoreStore::Open::Existing);
        std::set<std::string> names;
        for (const server::ReceivedScore &score : store.all())
            names.insert(score.entry.name);
        return names;
    }

    PostgresCluster cluster;
};

// How soon is the load benchmark's to measure: a busy machine may take longer, not forever.
TEST_F(PostgresTest, APostToOneServerIsOnTheOthersPage)
{
    auto first = startOn("first.log");
    auto second = startOn("second.log");
    page(*second); // the second server has its page before the post
    ASSERT_EQ(post(*first, "Ann", "120"), 200);
    ASSERT_TRUE(eventually([&] { return page(*second).find(">Ann<") != std::string::npos; }));
    EXPECT_EQ(postedTotal(page(*second)), 1);
}

// Each server keeps its lists from the notices of every commit: the best scores (read through
// the rank indexes) are read when a server starts, never again for each batch.
TEST_F(PostgresTest, PostsFromEightClientsAcrossTwoServersAreEachStoredOnceAndNotReadBack)
{
    auto first = startOn("first.log");
    auto second = startOn("second.log");
    std::vector<std::thread> clients;
    std::atomic<int> acknowledged = 0;
    for (int client = 0; client < 8; ++client) {
        clients.emplace_back([&, client] {
            for (int i = 0; i < 25; ++i) {
                const ServerProcess &server = (client + i) % 2 ? *first : *second;
                const std::string name = named("C", client, "-", i);
                acknowledged += post(server, name, std::to_string(i)) == 200;
            }
        });
    }
    for (std::thread &client : clients)
        client.join();
    EXPECT_EQ(acknowledged, 200);
    EXPECT_EQ(storedNames().size(), 200u);
    ASSERT_TRUE(eventually([&] { return postedTotal(page(*first)) == 200; }));
    ASSERT_TRUE(eventually([&] { return postedTotal(page(*second)) == 200; }));
    // Their statistics reach PostgreSQL's tables when their connections end.
    first->stop(SIGTERM);
    second->stop(SIGTERM);
    const std::string reads =
        "SELECT sum(idx_scan) FROM pg_stat_user_indexes WHERE indexrelname LIKE '%by_rank'";
    long readsSoFar = 0;
    ASSERT_TRUE(eventually([&] { return (readsSoFar = std::stol("0" + cluster.sql(reads))) > 0; }));
    EXPECT_LE(readsSoFar, 10); // 2 a server at its start, 2 a server for the other's start
}

// A notice missed (here a commit made behind the servers' backs, numbered as the first
// server's) or a connection dropped makes a server read its lists again, after which its page
// is right.
TEST_F(PostgresTest, AMissedNoticeOrADroppedConnectionIsMadeGoodByReadingAgain)
{
    auto first = startOn("first.log");
    auto second = startOn("second.log");
    const auto behindTheirBacks = [&](const std::string &name) {
        cluster.sql("INSERT INTO scores (name, date, score, received_ms) VALUES ('" + name +
                    "', '1/1/10', 300, 0); UPDATE score_counts SET sequence = sequence + 1, "
                    "unverified = unverified + 1 WHERE writer = (SELECT writer FROM "
                    "score_counts ORDER BY sequence DESC LIMIT 1)");
    };
    const auto bothShow = [&](const std::string &name, long total) {
        return eventually([&] {
            const std::string pages[] = {page(*first), page(*second)};
            for (const std::string &shown : pages) {
                if (shown.find(name) == std::string::npos || postedTotal(shown) != total)
                    return false;
            }
            return true;
        });
    };
    ASSERT_EQ(post(*first, "Q%22B%5CC", "120"), 200); // quote and backslash: Q"B\C
    EXPECT_TRUE(bothShow(">Q&quot;B\\C<", 1));
    behindTheirBacks("Hidden");
    ASSERT_EQ(post(*first, "Bob", "110"), 200);
    EXPECT_TRUE(bothShow(">Hidden<", 3));
    behindTheirBacks("Quiet");
    cluster.sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                "backend_type = 'client backend' AND pid <> pg_backend_pid()");
    EXPECT_TRUE(bothShow(">Quiet<", 4));
    EXPECT_TRUE(bothShow(">Bob<", 4));
}

// SIGCONT for the stopped database however the test ends, or it could not be stopped.
class Paused {
public:
    explicit Paused(const PostgresCluster &cluster) : m_cluster(cluster)
    {
        m_cluster.signalAll(SIGSTOP);
    }
    ~Paused() { m_cluster.signalAll(SIGCONT); }
    Paused(const Paused &) = delete;
    Paused &operator=(const Paused &) = delete;

private:
    const PostgresCluster &m_cluster;
};

// A database that hangs is answered 503 within a second or so (the client here waits ten),
// never acknowledged, and SIGTERM still ends the server; once it runs again, so do posts.
TEST_F(PostgresTest, AHungDatabaseCostsAnswersButNeverTheServer)
{
    auto server = startOn("server.log");
    ASSERT_EQ(post(*server, "Before", "10"), 200);
    {
        const Paused paused(cluster);
        EXPECT_EQ(post(*server, "During", "11"), 503);
        EXPECT_EQ(server->get("/health").status, 503);
    }
    EXPECT_TRUE(eventually([&] { return post(*server, "After", "12") == 200; }));
    EXPECT_EQ(server->get("/health").status, 200);
    const Paused paused(cluster);
    EXPECT_EQ(post(*server, "Again", "13"), 503);
    // Posts queued as it ends are never acknowledged, and hold nothing up.
    std::thread late([&] { EXPECT_NE(post(*server, "Late", "14"), 200); });
    EXPECT_EQ(server->stop(SIGTERM), 0); // -1 when it had not ended within ten seconds
    late.join();
}

// While the database is down every post fails at once, yet the log says so once a second.
TEST_F(PostgresTest, ADatabaseThatIsDownIsLoggedOnceASecond)
{
    auto server = startOn("server.log");
    cluster.stop();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(post(*server, named("Down", i), "5"), 503);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    cluster.start();
    EXPECT_TRUE(eventually([&] { return post(*server, "Up", "6") == 200; }));
    std::ifstream file(folder.file("server.log"));
    int complaints = 0;
    bool worksAgain = false;
    for (std::string line; std::getline(file, line);) {
        complaints += line.find("score database") != std::string::npos;
        worksAgain |= line.find("works again") != std::string::npos;
    }
    EXPECT_LE(complaints, seconds + 3);
    EXPECT_TRUE(worksAgain);
}

TEST_F(PostgresTest, NoAcknowledgedPostIsLostToAKilledServerOrARestartedDatabase)
{
    auto server = startOn("server.log");
    std::mutex mutex;
    std::set<std::string> acknowledged;
    std::atomic<bool> stop = false;
    std::thread client([&] {
        for (int i = 0; !stop; ++i) {
            const std::string name = named("K", i);
            if (post(*server, name, "7") == 200) {
                const std::lock_guard lock(mutex);
                acknowledged.insert(name);
            }
        }
    });
    ASSERT_TRUE(eventually([&] {
        const std::lock_guard lock(mutex);
        return acknowledged.size() >= 30;
    }));
    server->stop(SIGKILL);
    stop = true;
    client.join();
    cluster.restart();
    const std::set<std::string> stored = storedNames();
    for (const std::string &name : acknowledged)
        EXPECT_TRUE(stored.contains(name)) << name;

    // A server keeps serving through a restart of PostgreSQL.
    auto again = startOn("again.log");
    cluster.restart();
    EXPECT_TRUE(eventually([&] { return post(*again, "After", "9") == 200; }));
    EXPECT_TRUE(storedNames().contains("After"));
}

TEST_F(PostgresTest, MigratesBothWaysInOrderAndOnlyOnce)
{
    const std::string sqlite = folder.file("scores.db");
    {
        server::SqliteScoreStore store(sqlite, server::ScoreStore::Open::CreateIfMissing);
        store.add({{{"First", "1/1/10", 50}, 100, "10.0.0.1"},
                   {{"Verified", "1/1/10", 556, 2u, "dd1"}, 200, "10.0.0.2"},
                   {{"Last", "1/1/10", 50}, 300, ""}});
    }
    const ServerRun copied = runServerToExit({"--migrate", sqlite, cluster.address()});
    EXPECT_EQ(copied.code, 0) << copied.output;
    EXPECT_EQ(copied.output, "Copied 3 scores (0 there already)\n");
    const ServerRun again = runServerToExit({"--migrate", sqlite, cluster.address()});
    EXPECT_EQ(again.output, "Copied 0 scores (3 there already)\n");

    const std::string back = folder.file("back.db");
    EXPECT_EQ(runServerToExit({"--migrate", cluster.address(), back}).code, 0);
    server::SqliteScoreStore original(sqlite);
    server::SqliteScoreStore copy(back);
    EXPECT_EQ(copy.all(), original.all());
    EXPECT_EQ(copy.best(10, true).front().deal, 2u);
}

// A batch is stored in one statement of arrays: names that look like the arrays' own syntax
// come back as sent, and a game sent twice (in the batch or before) is stored once.
TEST_F(PostgresTest, ABatchKeepsEveryNameAsSentAndEachGameOnce)
{
    server::PostgresScoreStore store(cluster.address(), server::ScoreStore::Open::CreateIfMissing);
    const std::vector<server::ReceivedScore> before{{{"Twice", "1/1/10", 500, 7u, "d1"}, 1, "a"}};
    EXPECT_EQ(store.add(before), std::vector<bool>{true});
    const std::vector<server::ReceivedScore> batch{
        {{"Quote\"s, {and} \\back", "2/2/10", -3}, 2, "10.0.0.1"},
        {{"NULL", "3/3/10", 4}, 3, ""},
        {{"Ünïcødé 名前", "4/4/10", 5, 8u, "d2"}, 4, "2001:db8::1"},
        {{"Twice", "1/1/10", 500, 7u, "d1"}, 5, "b"},
        {{"Again", "5/5/10", 6, 9u, "d3"}, 6, "c"},
        {{"Again", "5/5/10", 6, 9u, "d3"}, 7, "c"}};
    EXPECT_EQ(store.add(batch), (std::vector<bool>{true, true, true, false, true, false}));
    std::vector<server::ReceivedScore> expected = before;
    expected.insert(expected.end(), {batch[0], batch[1], batch[2], batch[4]});
    EXPECT_EQ(store.all(), expected);
    EXPECT_EQ(store.count(false), 2);
    EXPECT_EQ(store.count(true), 3);
}

} // namespace
