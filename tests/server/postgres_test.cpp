// Several servers on one PostgreSQL, against a real PostgreSQL 15 started for the tests.

#include "server/postgresscorestore.h"
#include "server/sqlitescorestore.h"
#include "tests/server/serverfixture.h"

#include <atomic>
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
    void restart()
    {
        run(m_runAs + pgBin + "pg_ctl -D " + data() + " -m fast -w stop >/dev/null");
        start();
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

TEST_F(PostgresTest, PostsFromEightClientsAcrossTwoServersAreEachStoredOnce)
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

} // namespace
