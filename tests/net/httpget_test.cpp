#include "net/httpget.h"
#include "tests/support/scriptedserver.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What a fetcher reported, in order.
struct Events {
    QStringList log;
    QString result;
    QList<QObject *> progressSenders;
    bool allOnUiThread = true;

    void watch(THTTPGet &fetcher, bool withProgress = false)
    {
        QObject::connect(&fetcher, &THTTPGet::OnDoneString, [this](QObject *, const QString &r) {
            noteThread();
            log << "done";
            result = r;
        });
        QObject::connect(&fetcher, &THTTPGet::OnError, [this](QObject *) {
            noteThread();
            log << "error";
        });
        if (!withProgress)
            return;
        QObject::connect(&fetcher, &THTTPGet::OnProgress,
                         [this](QObject *sender, int total, int readed) {
                             noteThread();
                             progressSenders << sender;
                             log << QString("progress %1 %2").arg(total).arg(readed);
                         });
    }
    void noteThread() { allOnUiThread &= QThread::currentThread() == qApp->thread(); }
};

bool waitIdle(const THTTPGet &fetcher)
{
    return QTest::qWaitFor([&] { return !fetcher.busy(); }, 5000);
}

// Fetches `url` and waits until the fetcher is idle again.
void fetch(THTTPGet &fetcher, const QString &url)
{
    fetcher.setURL(url);
    fetcher.Fetch();
    ASSERT_TRUE(fetcher.busy());
    ASSERT_TRUE(waitIdle(fetcher));
}

QByteArray hostLine(const ScriptedServer &server)
{
    return "Host: 127.0.0.1:" + QByteArray::number(server.port()) + "\r\n";
}

} // namespace

TEST(HttpGet, GetRequestAsksForAFreshAnswerAndDeliversTheBodyAsText)
{
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "Grüße 1.0.0"));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, server.url("/quellan/quellanversion.txt"));
    EXPECT_EQ(server.request(), "GET /quellan/quellanversion.txt HTTP/1.0\r\n"
                                "Accept: */*\r\n"
                                "User-Agent: Dalvex HTTPGet\r\n" +
                                    hostLine(server) +
                                    "Pragma: no-cache\r\n"
                                    "Cache-Control: no-cache\r\n"
                                    "\r\n");
    EXPECT_EQ(events.log, QStringList{"done"});
    EXPECT_EQ(events.result, "Grüße 1.0.0");
    EXPECT_TRUE(events.allOnUiThread);
}

TEST(HttpGet, ABodyThatIsNoUtf8ReadsAsLatin1)
{
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "Zo\xEB"));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, server.url("/counter/quellan.shtml"));
    EXPECT_EQ(events.result, QString::fromUtf8("Zoë"));
}

TEST(HttpGet, AnyNonEmptyBodySucceedsWhateverTheStatus)
{
    ScriptedServer notFound;
    notFound.send(ScriptedServer::reply(404, "Not Found", "<html><b>404</b></html>"));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, notFound.url("/quellan/quellanversion.txt"));
    EXPECT_EQ(events.log, QStringList{"done"});
    EXPECT_EQ(events.result, "<html><b>404</b></html>");

    ScriptedServer empty;
    empty.send(ScriptedServer::reply(200, "OK", ""));
    fetch(fetcher, empty.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"done", "error"}));

    ScriptedServer broken;
    broken.send(ScriptedServer::head(200, "OK", 5000)).send("first part");
    fetch(fetcher, broken.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"done", "error", "done"}));
    EXPECT_EQ(events.result, "first part");
}

TEST(HttpGet, UnboundFailureRaisesNothingAndLeavesTheFetcherIdle)
{
    ScriptedServer empty;
    empty.send(ScriptedServer::reply(200, "OK", ""));
    THTTPGet fetcher;
    bool done = false;
    QObject::connect(&fetcher, &THTTPGet::OnDoneString, [&] { done = true; });
    fetch(fetcher, empty.url("/x"));
    EXPECT_FALSE(done);
    EXPECT_FALSE(fetcher.busy());
}

TEST(HttpGet, FetchWhileBusyIsIgnored)
{
    ScriptedServer first;
    first.delay(30).send(ScriptedServer::reply(200, "OK", "first"));
    ScriptedServer second;
    second.send(ScriptedServer::reply(200, "OK", "second"));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetcher.setURL(first.url("/a"));
    fetcher.Fetch();
    fetcher.setURL(second.url("/b"));
    fetcher.Fetch();
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_EQ(events.log, QStringList{"done"});
    EXPECT_EQ(events.result, "first");
    EXPECT_EQ(second.connectionCount(), 0);
}

TEST(HttpGet, FetchFromTheCompletionHandlerIsIgnored)
{
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "x"));
    THTTPGet fetcher;
    int calls = 0;
    bool busyInHandler = false;
    QObject::connect(&fetcher, &THTTPGet::OnDoneString, [&] {
        ++calls;
        busyInHandler = fetcher.busy();
        fetcher.Fetch();
    });
    fetch(fetcher, server.url("/x"));
    // An accepted second fetch would have left the fetcher busy.
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(busyInHandler);
    EXPECT_EQ(server.connectionCount(), 1);
    EXPECT_FALSE(fetcher.busy());
}

TEST(HttpGet, CancelGivesAnErrorAndNeverTheText)
{
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", 100)).send("partial").stall();
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetcher.setURL(server.url("/x"));
    fetcher.Fetch();
    ASSERT_TRUE(server.waitForRequests(1));
    fetcher.Cancel();
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_EQ(events.log, QStringList{"error"});
    EXPECT_TRUE(server.waitForClientsGone());
}

TEST(HttpGet, UnreachableServersAndPathlessAddressesFail)
{
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, "http://nosuch.invalid/quellan/quellanversion.txt");
    fetch(fetcher, QString("http://127.0.0.1:%1/x").arg(ScriptedServer::refusingPort()));
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "x"));
    fetch(fetcher, QString("http://127.0.0.1:%1").arg(server.port()));
    fetch(fetcher, "http://127.0.0.1:0/x");
    EXPECT_EQ(events.log, (QStringList{"error", "error", "error", "error"}));
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST(HttpGet, SilentServerEndsTheRequestAsFailed)
{
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetcher.setConnectTimeout(100);
    StalledListener unanswered;
    fetch(fetcher, QString("http://127.0.0.1:%1/x").arg(unanswered.port()));

    fetcher.setConnectTimeout(THTTPGet::defaultConnectTimeout);
    fetcher.setIdleTimeout(100);
    ScriptedServer silent;
    silent.stall();
    fetch(fetcher, silent.url("/x"));
    ScriptedServer stops;
    stops.send(ScriptedServer::head(200, "OK", 100)).send("half").stall();
    fetch(fetcher, stops.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"error", "error", "error"}));
}

TEST(HttpGet, ProgressRunsOnTheUiThreadInOrderBeforeTheText)
{
    const QByteArray body(3000, 'p');
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", body.size()) + body.left(1500))
        .delay(20)
        .send(body.mid(1500));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher, true);
    fetch(fetcher, server.url("/x"));
    ASSERT_GE(events.log.size(), 4);
    EXPECT_EQ(events.log.last(), "done");
    EXPECT_EQ(events.log[events.log.size() - 2], "progress 3000 3000");
    int previous = 0;
    for (const QString &entry : events.log.mid(0, events.log.size() - 1)) {
        const QStringList parts = entry.split(' ');
        ASSERT_EQ(parts.size(), 3);
        EXPECT_EQ(parts[1], "3000");
        const int readed = parts[2].toInt();
        EXPECT_GT(readed, previous);
        EXPECT_LE(readed - previous, 1025);
        previous = readed;
    }
    EXPECT_TRUE(events.allOnUiThread);
    ASSERT_FALSE(events.progressSenders.isEmpty());
    EXPECT_NE(events.progressSenders.first(), &fetcher);
}

TEST(HttpGet, AnswerBeyondSixteenMebibytesFails)
{
    const qint64 tooLarge = THTTPGetThread::maxBodySize + 1;
    ScriptedServer announced;
    announced.send(ScriptedServer::head(200, "OK", tooLarge)).stall();
    ScriptedServer unannounced;
    unannounced.send("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(tooLarge, 'x'));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, announced.url("/x"));
    fetch(fetcher, unannounced.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"error", "error"}));
}

TEST(HttpGet, DestroyedFetcherStopsItsRequestAndGetsNoEvent)
{
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", 100)).send("partial").stall();
    auto fetcher = std::make_unique<THTTPGet>();
    Events events;
    events.watch(*fetcher, true);
    fetcher->setURL(server.url("/x"));
    fetcher->Fetch();
    // Destroyed while the worker reads the body.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.log.isEmpty(); }, 5000));
    fetcher.reset();
    EXPECT_TRUE(server.waitForClientsGone());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(events.log.contains("done"));
    EXPECT_FALSE(events.log.contains("error"));
}
