#include "server/options.h"

#include <gtest/gtest.h>

using server::parseOptions;

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
