#include "net/httpreply.h"

#include <gtest/gtest.h>

using Progress = http::ReplyHead::Progress;

TEST(HttpReply, HeadIsTakenOnceCompleteAndTheBodyStays)
{
    http::ReplyHead head;
    QByteArray received = "HTTP/1.0 404 Not Found\r\nContent-type: text/html\r\n";
    EXPECT_EQ(head.take(received), Progress::Incomplete);
    received += "content-LENGTH:  12 \r\n\r\n<html>";
    ASSERT_EQ(head.take(received), Progress::Complete);
    EXPECT_EQ(received, "<html>");
    EXPECT_EQ(head.status(), 404);
    EXPECT_EQ(head.reason(), "Not Found");
    EXPECT_EQ(head.header("Content-Type"), "text/html");
    EXPECT_EQ(head.contentLength(), 12);
    EXPECT_FALSE(head.header("Location"));
}

TEST(HttpReply, LinesEndedByLineFeedAloneAreRead)
{
    http::ReplyHead head;
    QByteArray received = "HTTP/1.1 200 OK\nServer: x\n\nbody\r\n\r\nmore";
    ASSERT_EQ(head.take(received), Progress::Complete);
    EXPECT_EQ(head.status(), 200);
    EXPECT_EQ(head.header("server"), "x");
    EXPECT_EQ(received, "body\r\n\r\nmore");
}

TEST(HttpReply, StatusWithoutReasonTextIsAccepted)
{
    http::ReplyHead head;
    QByteArray received = "HTTP/1.0 500\r\n\r\n";
    ASSERT_EQ(head.take(received), Progress::Complete);
    EXPECT_EQ(head.status(), 500);
    EXPECT_TRUE(head.reason().isEmpty());
    EXPECT_FALSE(head.contentLength());
}

TEST(HttpReply, SomethingElseThanAReplyIsInvalid)
{
    for (QByteArray received :
         {QByteArray("<html>hello</html>\r\n\r\n"), QByteArray("HTTP/1.0 2x0 OK\r\n\r\n"),
          QByteArray("HTTP/1.0 2000 OK\r\n\r\n"), QByteArray("HTTP/1.0\r\n\r\n"),
          QByteArray(http::ReplyHead::maxSize + 1, 'x')}) {
        http::ReplyHead head;
        EXPECT_EQ(head.take(received), Progress::Invalid) << received.left(40).toStdString();
    }
}

TEST(HttpReply, MalformedContentLengthCountsAsMissing)
{
    for (const QByteArray value : {"12abc", "-5", "", "99999999999999999999999"}) {
        http::ReplyHead head;
        QByteArray received = "HTTP/1.0 200 OK\r\nContent-Length: " + value + "\r\n\r\n";
        ASSERT_EQ(head.take(received), Progress::Complete);
        EXPECT_FALSE(head.contentLength()) << value.toStdString();
    }
}

TEST(HttpReply, BodyIsChunkedWhenThatIsTheLastTransferCoding)
{
    const auto chunked = [](const QByteArray &headers) {
        http::ReplyHead head;
        QByteArray received = "HTTP/1.1 200 OK\r\n" + headers + "\r\n";
        EXPECT_EQ(head.take(received), Progress::Complete);
        return head.chunked();
    };
    EXPECT_TRUE(chunked("transfer-encoding: Chunked\r\n"));
    EXPECT_TRUE(chunked("Transfer-Encoding: gzip, chunked\r\nContent-Length: 4\r\n"));
    EXPECT_FALSE(chunked("Transfer-Encoding: chunked, gzip\r\n"));
    EXPECT_FALSE(chunked("Content-Length: 4\r\n"));
}
