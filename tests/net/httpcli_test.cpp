#include "net/httpcli.h"
#include "tests/support/scriptedserver.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const QString aborted = "Connection aborted on request";

// Runs Get() and returns the failure it threw, if any.
std::optional<EHttpException> getFailure(THttpCli &client)
{
    try {
        client.Get();
    } catch (const EHttpException &e) {
        return e;
    }
    return std::nullopt;
}

// Calls `check` every few milliseconds while a Get() runs, until it returns true.
void pollDuringGet(QObject *context, std::function<bool()> check)
{
    auto *timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (check())
            timer->deleteLater();
    });
    timer->start(5);
}

// Fetches the address into a file, as the installer download does; returns what the file holds.
QByteArray fetchIntoFile(const QString &url)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("qlnsetup.exe"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    THttpCli client;
    client.setURL(url);
    client.setRcvdStream(&file);
    EXPECT_FALSE(getFailure(client));
    file.close();
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QByteArray body(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

} // namespace

TEST(HttpCli, DownloadRequestIsExactlyTheListedLines)
{
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "x"));
    THttpCli client;
    client.setURL(server.url("/quellan/qlnsetup.exe"));
    EXPECT_FALSE(getFailure(client));
    const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n";
    EXPECT_EQ(server.request(),
              "GET /quellan/qlnsetup.exe HTTP/1.0\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible)\r\n" +
                  host + "\r\n");

    // An address without a path asks for the server's root.
    client.setURL(QString("HTTP://127.0.0.1:%1").arg(server.port()));
    EXPECT_FALSE(getFailure(client));
    EXPECT_TRUE(server.request(1).startsWith("GET / HTTP/1.0\r\n"));
}

TEST(HttpCli, BodyIsStreamedToTheFileWithItsExactSize)
{
    const QByteArray content = body(300 * 1024 + 7);
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", content.size()))
        .send(content.left(1000))
        .delay(20)
        .send(content.mid(1000));
    const QByteArray received = fetchIntoFile(server.url("/quellan/qlnsetup.exe"));
    EXPECT_EQ(received.size(), content.size());
    EXPECT_EQ(received, content);
}

TEST(HttpCli, ReceivedBytesReachTheSinkBeforeTheTransferEnds)
{
    const QByteArray content = body(5000);
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", content.size())).send(content.left(2000)).stall();
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    THttpCli client;
    client.setURL(server.url("/big"));
    client.setRcvdStream(&sink);
    pollDuringGet(&client, [&] {
        if (sink.size() < 2000)
            return false;
        client.Abort();
        return true;
    });
    const auto failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);
    EXPECT_EQ(sink.data(), content.left(2000));
}

TEST(HttpCli, EventQueueIsServedDuringTheDownload)
{
    ScriptedServer server;
    server.delay(60).send(ScriptedServer::reply(200, "OK", "done"));
    THttpCli client;
    client.setURL(server.url("/slow"));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    EXPECT_FALSE(getFailure(client));
    EXPECT_GT(ticks, 0);
}

TEST(HttpCli, RequestWhileBusyFailsAndTheRunningOneGoesOn)
{
    ScriptedServer server;
    server.delay(30).send(ScriptedServer::reply(200, "OK", "done"));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    THttpCli client;
    client.setURL(server.url("/a"));
    client.setRcvdStream(&sink);
    std::optional<EHttpException> nested;
    pollDuringGet(&client, [&] {
        nested = getFailure(client);
        return true;
    });
    EXPECT_FALSE(getFailure(client));
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->ErrorMessage(), "HTTP component is busy");
    EXPECT_EQ(sink.data(), "done");
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST(HttpCli, ReplyStatusFrom400OnIsAFailureWithItsReasonText)
{
    ScriptedServer notFound;
    notFound.send(ScriptedServer::reply(404, "Not Found", "<html>missing</html>"));
    THttpCli client;
    client.setURL(notFound.url("/quellan/qlnsetup.exe"));
    auto failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), "Not Found");
    EXPECT_EQ(failure->ErrorCode(), 404);

    ScriptedServer broken;
    broken.send(ScriptedServer::reply(500, "Internal Server Error", ""));
    client.setURL(broken.url("/"));
    failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), "Internal Server Error");
    EXPECT_EQ(failure->ErrorCode(), 500);
    EXPECT_STREQ(failure->what(), "Internal Server Error");
}

TEST(HttpCli, ReplyStatusBelow400IsSuccessAndRedirectionsAreNotFollowed)
{
    ScriptedServer server;
    server.send("HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\n<html>moved</html>");
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    THttpCli client;
    client.setURL(server.url("/quellan/qlnsetup.exe"));
    client.setRcvdStream(&sink);
    EXPECT_FALSE(getFailure(client));
    EXPECT_EQ(sink.data(), "<html>moved</html>");
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST(HttpCli, LookupAndConnectionFailuresCarryTheirTexts)
{
    THttpCli client;
    client.setURL("http://nosuch.invalid/quellan/qlnsetup.exe");
    auto failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), "can't resolve hostname to IP address");
    EXPECT_EQ(failure->ErrorCode(), 404);

    client.setURL(QString("http://127.0.0.1:%1/x").arg(ScriptedServer::refusingPort()));
    failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), "can't connect: Connection refused (Error #111)");
    EXPECT_EQ(failure->ErrorCode(), 404);

    client.setURL("http://127.0.0.1:99999/x");
    failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), "can't resolve hostname to IP address");
}

TEST(HttpCli, SilentServerEndsTheDownloadAsAborted)
{
    THttpCli client;
    client.setConnectTimeout(100);
    StalledListener unanswered;
    client.setURL(QString("http://127.0.0.1:%1/x").arg(unanswered.port()));
    auto failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);

    client.setConnectTimeout(THttpCli::defaultConnectTimeout);
    client.setIdleTimeout(100);

    ScriptedServer silent;
    silent.stall();
    client.setURL(silent.url("/x"));
    failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);

    ScriptedServer stops;
    stops.send(ScriptedServer::head(200, "OK", 100)).send("half").stall();
    client.setURL(stops.url("/x"));
    failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);
}

TEST(HttpCli, BodyShorterThanAnnouncedIsAnAbort)
{
    ScriptedServer shortBody;
    shortBody.send(ScriptedServer::head(200, "OK", 1000)).send(body(100));
    THttpCli client;
    client.setURL(shortBody.url("/x"));
    const auto failure = getFailure(client);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);

    ScriptedServer unannounced;
    unannounced.send("HTTP/1.0 200 OK\r\n\r\n" + body(100));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    client.setURL(unannounced.url("/x"));
    client.setRcvdStream(&sink);
    EXPECT_FALSE(getFailure(client));
    EXPECT_EQ(sink.size(), 100);
}

TEST(HttpCli, QuittingTheApplicationAbortsTheDownload)
{
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", 100)).stall();
    THttpCli client;
    client.setURL(server.url("/quellan/qlnsetup.exe"));
    std::optional<EHttpException> failure;
    QTimer::singleShot(0, &client, [&] {
        pollDuringGet(&client, [&] {
            if (server.connectionCount() == 0 || server.request().isEmpty())
                return false;
            QCoreApplication::quit();
            return true;
        });
        failure = getFailure(client);
    });
    QCoreApplication::exec();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->ErrorMessage(), aborted);
}

TEST(HttpCli, ChunkedDownloadReachesTheFileWithoutItsFraming)
{
    const QByteArray content = body(200 * 1024 + 3);
    const auto hexSize = [](qsizetype size) { return QByteArray::number(size, 16); };
    // Chunks win over Content-Length; the framing may split anywhere between two sends.
    ScriptedServer server;
    server
        .send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 10\r\n\r\n" +
              hexSize(1000) + ";part=1\r\n" + content.left(1000) + "\r")
        .delay(20)
        .send("\n" + hexSize(content.size() - 1000) + "\r\n" + content.mid(1000) +
              "\r\n0\r\nX-Checksum: none\r\n\r\n");
    EXPECT_EQ(fetchIntoFile(server.url("/quellan/qlnsetup.exe")), content);
}

TEST(HttpCli, MalformedOrUnfinishedChunksAbortTheDownload)
{
    const QByteArray head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (const QByteArray &chunks :
         {QByteArray("4x\r\nQuel\r\n0\r\n\r\n"), QByteArray("4\r\nQuellan\r\n0\r\n\r\n"),
          QByteArray("4\r\nQuel\r\n3\r\nlan\r\n")}) {
        ScriptedServer server;
        server.send(head + chunks);
        THttpCli client;
        client.setURL(server.url("/quellan/qlnsetup.exe"));
        const auto failure = getFailure(client);
        ASSERT_TRUE(failure) << chunks.constData();
        EXPECT_EQ(failure->ErrorMessage(), aborted);
    }
}
