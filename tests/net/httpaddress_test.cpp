#include "net/httpaddress.h"

#include <gtest/gtest.h>

using http::splitAddress;

TEST(HttpAddress, SplitsHostPortAndPathWhateverThePrefixLooksLike)
{
    for (const QString url : {"HTTP://Example.com/a/b?x=1&y=/2", "http://Example.com/a/b?x=1&y=/2",
                              "Example.com/a/b?x=1&y=/2"}) {
        const auto address = splitAddress(url);
        ASSERT_TRUE(address) << url.toStdString();
        EXPECT_EQ(address->host, "Example.com");
        EXPECT_EQ(address->port, 80);
        EXPECT_EQ(address->path, "/a/b?x=1&y=/2");
        EXPECT_EQ(address->hostHeader(), "Example.com");
    }
}

TEST(HttpAddress, NamedPortIsUsedAndShownInTheHostHeader)
{
    const auto address = splitAddress("http://host:8080/path");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->host, "host");
    EXPECT_EQ(address->port, 8080);
    EXPECT_EQ(address->path, "/path");
    EXPECT_EQ(address->hostHeader(), "host:8080");
    EXPECT_EQ(splitAddress("http://host:80/")->hostHeader(), "host");
}

TEST(HttpAddress, AddressWithoutPathHasAnEmptyPath)
{
    const auto address = splitAddress("http://host");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->host, "host");
    EXPECT_TRUE(address->path.isEmpty());
}

TEST(HttpAddress, EmptyHostOrBadPortIsNoAddress)
{
    for (const QString url :
         {"", "http://", "http:///x", "http://:80/x", "http://host:/x", "http://host:abc/x",
          "http://host:0/x", "host:70000/x", "http://host:-1/x"})
        EXPECT_FALSE(splitAddress(url)) << url.toStdString();
}

TEST(HttpAddress, TargetCannotBreakTheRequestLine)
{
    const auto address = splitAddress("http://host/a b\r\nX: y?n=Jürgen%21");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->target(), "/a%20b%0D%0AX:%20y?n=J%C3%BCrgen%21");
}

TEST(HttpAddress, JoinedAddressesHaveOneSlashBetweenBaseAndPath)
{
    EXPECT_EQ(http::joinAddress("http://h:8080/", "/counter/q.shtml"),
              "http://h:8080/counter/q.shtml");
    EXPECT_EQ(http::joinAddress("http://h:8080", "quellan/v.txt"), "http://h:8080/quellan/v.txt");
    EXPECT_EQ(http::joinAddress("http://h//", "x"), "http://h/x");
}
