#include "server/clientaddress.h"

#include <gtest/gtest.h>

using server::forwardedClient;

TEST(ForwardedClient, TakesTheLastEntryWithOrWithoutItsPort)
{
    const std::pair<const char *, const char *> named[] = {
        {"1.2.3.4", "1.2.3.4"},
        {"9.9.9.9, 1.2.3.4", "1.2.3.4"},
        {"9.9.9.9,1.2.3.4:5678", "1.2.3.4"},
        {"2001:db8::2", "2001:db8::2"},
        {"[2001:db8::2]", "2001:db8::2"},
        {"1.2.3.4, [2001:db8::2]:443 ", "2001:db8::2"},
        {"::ffff:10.0.0.5", "10.0.0.5"},
        {"[::ffff:10.0.0.5]:80", "10.0.0.5"},
    };
    for (const auto &[value, address] : named) {
        const auto client = forwardedClient(value);
        ASSERT_TRUE(client) << value;
        EXPECT_EQ(client->address, address) << value;
    }
    EXPECT_EQ(forwardedClient("[2001:db8::2]:443")->limitKey, "2001:db8::/64");
    EXPECT_EQ(forwardedClient("1.2.3.4:5678")->limitKey, "1.2.3.4");
}

TEST(ForwardedClient, NamesNobodyWhenTheLastEntryIsNoAddress)
{
    for (const char *value :
         {"", "1.2.3.4, ", "unknown", "1.2.3.4:", "1.2.3.4:http", "1.2.3.4:123456", "[2001:db8::2",
          "[2001:db8::2]443", "[2001:db8::2]:", "1.2.3.4, 5.6.7.8 9"})
        EXPECT_FALSE(forwardedClient(value)) << value;
}
