#include "net/httprequest.h"

#include <gtest/gtest.h>

TEST(HttpRequest, LinesEndWithCrLfAndHeaderValuesStayOneLine)
{
    http::Request request("POST", "/cgi-bin/x.cgi", "1.0");
    request.addHeader("Accept", "*/*");
    request.addHeader("Referer", "evil\r\nX-Injected: 1");
    request.setBody("a=1");
    EXPECT_EQ(request.toBytes(), "POST /cgi-bin/x.cgi HTTP/1.0\r\n"
                                 "Accept: */*\r\n"
                                 "Referer: evilX-Injected: 1\r\n"
                                 "\r\n"
                                 "a=1");
}
