#include "net/httprequest.h"

#include <gtest/gtest.h>

TEST(HttpRequest, LinesEndWithCrLfAndHeaderValuesStayOneLine)
{
    http::Request request("GET", "/cgi-bin/x.cgi", "1.0");
    request.addHeader("Accept", "*/*");
    request.addHeader("Host", "evil\r\nX-Injected: 1");
    EXPECT_EQ(request.toBytes(), "GET /cgi-bin/x.cgi HTTP/1.0\r\n"
                                 "Accept: */*\r\n"
                                 "Host: evilX-Injected: 1\r\n"
                                 "\r\n");
}
