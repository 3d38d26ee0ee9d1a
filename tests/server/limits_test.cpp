#include "server/admission.h"
#include "server/postratelimit.h"

#include <gtest/gtest.h>

using server::Admission;
using server::PostRateLimit;
using namespace std::chrono_literals;

TEST(PostRateLimit, AllowsABurstThenTheSustainedRatePerAddress)
{
    PostRateLimit limit(0.5, 5);
    const auto start = PostRateLimit::Clock::time_point{} + 1h;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(limit.allow("10.0.0.1", start)) << i;
    EXPECT_FALSE(limit.allow("10.0.0.1", start));
    EXPECT_TRUE(limit.allow("10.0.0.2", start)); // each address has its own
    EXPECT_FALSE(limit.allow("10.0.0.1", start + 1900ms));
    EXPECT_TRUE(limit.allow("10.0.0.1", start + 2s));
    EXPECT_FALSE(limit.allow("10.0.0.1", start + 2s));
    // A long pause refills no more than the burst.
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(limit.allow("10.0.0.1", start + 1h)) << i;
    EXPECT_FALSE(limit.allow("10.0.0.1", start + 1h));

    PostRateLimit none(0, 5);
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(none.allow("10.0.0.1", start));
}

TEST(PostRateLimit, PastSoManyAddressesForgetsTheRefilledOnesAndKeepsTheLimitedOnes)
{
    PostRateLimit limit(0.5, 5);
    const auto start = PostRateLimit::Clock::time_point{} + 1h;
    constexpr int crowd = 65535;
    for (int i = 0; i < crowd; ++i)
        ASSERT_TRUE(
            limit.allow("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256), start));
    // Two seconds on, the crowd's buckets are full again; the flooding address empties its own.
    const auto later = start + 2s;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(limit.allow("10.0.0.1", later)) << i;
    EXPECT_TRUE(limit.allow("10.0.0.2", later));
    EXPECT_EQ(limit.remembered(), crowd + 2u);
    // Past 65,536 addresses the next post tidies up: still refused, and only two remembered.
    EXPECT_FALSE(limit.allow("10.0.0.1", later));
    EXPECT_EQ(limit.remembered(), 2u);
    EXPECT_FALSE(limit.allow("10.0.0.1", later + 1s));
    EXPECT_TRUE(limit.allow("10.0.0.1", later + 2s));
}

TEST(Admission, CountsPerAddressAndInAllAndGivesPlacesBack)
{
    Admission admission(2, 3);
    Admission::Ticket a1, a2, a3, b1, c1;
    EXPECT_EQ(admission.admit("a", a1), Admission::Verdict::Admitted);
    EXPECT_EQ(admission.admit("a", a2), Admission::Verdict::Admitted);
    EXPECT_EQ(admission.admit("a", a3), Admission::Verdict::AddressFull);
    EXPECT_EQ(admission.admit("b", b1), Admission::Verdict::Admitted);
    EXPECT_EQ(admission.admit("c", c1), Admission::Verdict::ServerFull);
    EXPECT_EQ(admission.open(), 3u);

    a1 = Admission::Ticket(); // a place given back
    EXPECT_EQ(admission.admit("c", c1), Admission::Verdict::Admitted);
    {
        Admission::Ticket moved = std::move(c1);
        EXPECT_EQ(admission.open(), 3u);
    }
    EXPECT_EQ(admission.open(), 2u);
}
