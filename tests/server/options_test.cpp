#include "server/options.h"

#include <gtest/gtest.h>

using server::parseOptions;
using server::usageText;

TEST(Options, NeedADatabaseAndDefaultToLoopbackAndTheLimits)
{
    EXPECT_EQ(parseOptions({}).error, "--db is required");
    const auto parsed = parseOptions({"--db", "s.db"});
    EXPECT_TRUE(parsed.error.empty());
    EXPECT_FALSE(parsed.help);
    EXPECT_FALSE(parsed.options.create);
    EXPECT_EQ(parsed.options.host, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 8080);
    EXPECT_EQ(parsed.options.versionText, "1.0.0");
    EXPECT_EQ(parsed.options.installerPath, "");
    EXPECT_EQ(parsed.options.postRate, 0.5);
    EXPECT_EQ(parsed.options.postBurst, 5);
    EXPECT_EQ(parsed.options.limits.perAddress, 16u);
    EXPECT_EQ(parsed.options.limits.connections, 10000u);
}

TEST(Options, ReadsEveryOptionWithOrWithoutAnEqualsSign)
{
    const auto parsed = parseOptions({"--listen", "0.0.0.0:0", "--db=/tmp/s.db", "--version-text",
                                      "", "--installer", "setup.exe", "--help"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_TRUE(parsed.help);
    EXPECT_EQ(parsed.options.host, "0.0.0.0");
    EXPECT_EQ(parsed.options.port, 0);
    EXPECT_EQ(parsed.options.dbPath, "/tmp/s.db");
    EXPECT_EQ(parsed.options.versionText, "");
    EXPECT_EQ(parsed.options.installerPath, "setup.exe");

    const auto limits =
        parseOptions({"--db", "s.db", "--create", "--post-rate=0", "--post-burst", "2.5",
                      "--per-address", "64", "--max-connections", "20", "--purge-address", "::1"});
    ASSERT_TRUE(limits.error.empty()) << limits.error;
    EXPECT_TRUE(limits.options.create);
    EXPECT_EQ(limits.options.postRate, 0);
    EXPECT_EQ(limits.options.postBurst, 2.5);
    EXPECT_EQ(limits.options.limits.perAddress, 64u);
    EXPECT_EQ(limits.options.limits.connections, 20u);
    EXPECT_EQ(limits.options.purgeAddress, "::1");

    const auto ipv6 = parseOptions({"--listen=[::1]:9000"});
    EXPECT_EQ(ipv6.options.host, "::1");
    EXPECT_EQ(ipv6.options.port, 9000);
    EXPECT_EQ(server::addressText("::1", 9000), "[::1]:9000");
}

TEST(Options, RefuseWhatTheyCannotUse)
{
    const std::vector<std::vector<std::string>> bad{
        {"--port", "80"},
        {"--db"},
        {"--db="},
        {"--listen", "8080"},
        {"--listen", ":8080"},
        {"--listen", "localhost:65536"},
        {"--listen", "host:-1"},
        {"--listen", "host:80x"},
        {"--installer="},
        {"--post-rate", "-1"},
        {"--post-burst", "0"},
        {"--per-address", "0"},
        {"--max-connections", "many"},
        {"--purge-address="},
        {"extra"},
    };
    for (auto args : bad) {
        args.insert(args.begin(), {"--db", "s.db"});
        EXPECT_FALSE(parseOptions(args).error.empty()) << args[2];
    }
}

TEST(Options, HelpNamesTheDefaults)
{
    EXPECT_EQ(usageText(),
              "Usage: quellan-server --db PATH [options]\n"
              "       quellan-server --db PATH --purge-address ADDRESS\n"
              "       quellan-server --migrate FROM TO\n"
              "Serves the game's version file, installer, score posting and high-score page.\n"
              "\n"
              "  --db PATH               score database: an SQLite file, or a PostgreSQL address\n"
              "                          (postgresql://...) that several servers may share; it\n"
              "                          must exist unless --create is given\n"
              "  --create                make the score database when it does not exist\n"
              "  --listen HOST:PORT      address to listen on (default 127.0.0.1:8080;\n"
              "                          port 0 picks a free one)\n"
              "  --version-text TEXT     content of the version file (default 1.0.0)\n"
              "  --installer PATH        file served as the installer (default: none)\n"
              "  --post-rate N           score posts a second from one address (default 0.5;\n"
              "                          0: no limit)\n"
              "  --post-burst N          posts one address may send at once (default 5)\n"
              "  --per-address N         connections open at once from one address (default 16)\n"
              "  --max-connections N     connections open at once in all (default 10000)\n"
              "  --trust-proxy ADDRESS   a load balancer in front: its connections are not\n"
              "                          limited per address, and its X-Forwarded-For names\n"
              "                          the client\n"
              "  --purge-address ADDRESS remove every score posted from ADDRESS, then exit\n"
              "  --migrate FROM TO       copy every score of one database (file or address)\n"
              "                          into another, in order, leaving out those already\n"
              "                          there; then exit\n"
              "  --help                  show this text\n"
              "\n"
              "The first line of output names the address listened on; each request is\n"
              "logged on standard error. GET /health answers \"ok\" while scores can be\n"
              "stored. SIGINT or SIGTERM stops the server.\n");
}
