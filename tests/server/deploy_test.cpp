// The deployment guide's sample files.

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

TEST(Deployment, TheSampleNginxConfigurationPassesNginxsOwnTest)
{
    // nginx is in the project's package list, so a missing one is a failure, not a skip.
    ASSERT_TRUE(std::filesystem::exists("/usr/sbin/nginx")) << "nginx is not installed";
    // Built by appending: GCC 12 warns falsely about "literal" + literal when optimising.
    std::string command = "/usr/sbin/nginx -q -t -c ";
    command += QUELLAN_NGINX_SAMPLE;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}
