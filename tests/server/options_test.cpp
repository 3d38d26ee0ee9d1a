#include "server/options.h"

#include <gtest/gtest.h>

using server::parseOptions;
using server::usageText;

TEST(Options, DefaultToLoopbackAndTheProgramsVersion)
{
    const auto parsed = parseOptions({});
    EXPECT_TRUE(parsed.error.empty());
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.options.host, "127.0.0.1");
    EXPECT_EQ(parsed.options.port, 8080);
    EXPECT_EQ(parsed.options.dbPath, "quellan-scores.db");
    EXPECT_EQ(parsed.options.versionText, "1.0.0");
    EXPECT_EQ(parsed.options.installerPath, "");
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
        {"extra"},
    };
    for (const auto &args : bad)
        EXPECT_FALSE(parseOptions(args).error.empty()) << args.front();
}

TEST(Options, HelpNamesTheDefaults)
{
    EXPECT_EQ(usageText(),
              "Usage: quellan-server [options]\n"
              "Serves the game's version file, installer, score posting and high-score page.\n"
              "\n"
              "  --listen HOST:PORT    address to listen on (default 127.0.0.1:8080;\n"
              "                        port 0 picks a free one)\n"
              "  --db PATH             score database (default quellan-scores.db)\n"
              "  --version-text TEXT   content of the version file (default 1.0.0)\n"
              "  --installer PATH      file served as the installer (default: none)\n"
              "  --help                show this text\n"
              "\n"
              "The first line of output names the address listened on; each request is\n"
              "logged on standard error. SIGINT or SIGTERM stops the server.\n");
}
