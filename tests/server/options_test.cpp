#include "server/options.h"

#include <gtest/gtest.h>
#include <sstream>

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

    const auto limits = parseOptions({"--db", "s.db", "--create", "--post-rate=0", "--post-burst",
                                      "2.5", "--per-address", "64", "--max-connections", "20",
                                      "--purge-address", "::1", "--backup", "copy.db"});
    ASSERT_TRUE(limits.error.empty()) << limits.error;
    EXPECT_TRUE(limits.options.create);
    EXPECT_EQ(limits.options.postRate, 0);
    EXPECT_EQ(limits.options.postBurst, 2.5);
    EXPECT_EQ(limits.options.limits.perAddress, 64u);
    EXPECT_EQ(limits.options.limits.connections, 20u);
    EXPECT_EQ(limits.options.purgeAddress, "::1");
    EXPECT_EQ(limits.options.backupTo, "copy.db");

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

TEST(Options, HelpNamesEveryOptionAndTheDefaultsTheServerRunsWith)
{
    const std::string help = usageText();
    for (const char *option :
         {"--db PATH", "--create", "--listen HOST:PORT", "--version-text TEXT", "--installer PATH",
          "--post-rate N", "--post-burst N", "--per-address N", "--max-connections N",
          "--write-time SECONDS", "--trust-proxy ADDRESS", "--purge-address ADDRESS",
          "--migrate FROM TO", "--help"})
        EXPECT_NE(help.find("  " + std::string(option) + " "), std::string::npos) << option;
    const server::Options defaults = parseOptions({"--db", "s.db"}).options;
    // "(default VALUE)" or "(default VALUE; ..."
    const auto stated = [&](const auto &value) {
        std::ostringstream text;
        text << "(default " << value;
        for (auto at = help.find(text.str()); at != std::string::npos;
             at = help.find(text.str(), at + 1))
            if (std::string_view(");").find(help[at + text.str().size()]) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(stated(server::addressText(defaults.host, defaults.port)));
    EXPECT_TRUE(stated(defaults.versionText));
    EXPECT_TRUE(stated(defaults.postRate));
    EXPECT_TRUE(stated(defaults.postBurst));
    EXPECT_TRUE(stated(defaults.limits.perAddress));
    EXPECT_TRUE(stated(defaults.limits.connections));
    EXPECT_TRUE(stated(defaults.limits.writeTime.count()));
}
