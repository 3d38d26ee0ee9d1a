#include "server/requestlog.h"

#include <gtest/gtest.h>

using namespace std::chrono;
using server::formatLogLine;

TEST(RequestLog, WritesOneSafeLinePerRequest)
{
    const system_clock::time_point when{milliseconds(1'110'000'000'123)};
    EXPECT_EQ(
        formatLogLine({when, "127.0.0.1", "GET", "/counter/quellan.shtml", "HTTP/1.1", 200, 1772}),
        "2005-03-05T05:20:00.123Z 127.0.0.1 \"GET /counter/quellan.shtml HTTP/1.1\" 200 1772\n");
    EXPECT_EQ(formatLogLine({when, "", "", "", "", 414, 90}),
              "2005-03-05T05:20:00.123Z - \"-\" 414 90\n");
    EXPECT_EQ(formatLogLine({when, "::1", "GET", "/a\"b\n\xC3", "HTTP/1.0", 404, 0}),
              "2005-03-05T05:20:00.123Z ::1 \"GET /a\\x22b\\x0a\\xc3 HTTP/1.0\" 404 0\n");
    const std::string longTarget = "/" + std::string(600, 'x');
    std::string cut = "2005-03-05T05:20:00.123Z ::1 \"GET ";
    cut.append(longTarget, 0, 512).append("... HTTP/1.1\" 414 0\n");
    EXPECT_EQ(formatLogLine({when, "::1", "GET", longTarget, "HTTP/1.1", 414, 0}), cut);
}
