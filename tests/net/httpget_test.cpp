#include "net/httpget.h"
#include "tests/support/scriptedserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// What a fetcher reported, in order.
struct Events {
    QStringList log;
    QString result;
    bool allOnUiThread = true;

    void watch(THTTPGet &fetcher)
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
    }
    void noteThread() { allOnUiThread &= QThread::currentThread() == qApp->thread(); }

    // Also logs OnDone as "answer <status>", keeping its body.
    void watchAnswers(THTTPGet &fetcher)
    {
        QObject::connect(&fetcher, &THTTPGet::OnDone,
                         [this](QObject *, int status, const QByteArray &body) {
                             noteThread();
                             log << QString("answer %1").arg(status);
                             answer = body;
                         });
        watch(fetcher);
    }
    QByteArray answer;
};

// Answers only the names it knows, later, from the event queue of the asking thread.
class FixedResolver : public http::HostResolver {
public:
    explicit FixedResolver(QHash<QString, QHostAddress> known) : m_known(std::move(known)) {}

    void lookup(const QString &host, QObject *context, Done done) override
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_asked << host;
        }
        const QHostAddress address = m_known.value(host);
        QMetaObject::invokeMethod(
            context,
            [address, done] {
                done(address.isNull() ? QList<QHostAddress>() : QList<QHostAddress>{address});
            },
            Qt::QueuedConnection);
    }
    QStringList asked() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_asked;
    }

private:
    const QHash<QString, QHostAddress> m_known;
    mutable QMutex m_mutex;
    QStringList m_asked;
};

// A lookup that never ends, as with an unreachable name server.
class SilentResolver : public http::HostResolver {
public:
    void lookup(const QString &, QObject *, Done) override { asked = true; }
    std::atomic_bool asked = false;
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

// The system's proxy settings name `httpProxy` for plain HTTP and nothing else while this
// lives; they are read from the environment at every request.
class ProxyEnvironment {
public:
    explicit ProxyEnvironment(const QString &httpProxy)
    {
        for (const char *name :
             {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            m_saved.emplace_back(name, qEnvironmentVariableIsSet(name)
                                           ? std::optional(qgetenv(name))
                                           : std::nullopt);
            qunsetenv(name);
        }
        qputenv("http_proxy", httpProxy.toUtf8());
    }
    ~ProxyEnvironment()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }
    ProxyEnvironment(const ProxyEnvironment &) = delete;
    ProxyEnvironment &operator=(const ProxyEnvironment &) = delete;

private:
    std::vector<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

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

TEST(HttpGet, AnyNonEmptyBodyIsTextWhateverTheStatus)
{
    ScriptedServer notFound;
    notFound.send(ScriptedServer::reply(404, "Not Found", "<html><b>404</b></html>"));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    fetch(fetcher, notFound.url("/quellan/quellanversion.txt"));
    EXPECT_EQ(events.log, QStringList{"done"});
    EXPECT_EQ(events.result, "<html><b>404</b></html>");

    // An empty body is an answer without text.
    ScriptedServer empty;
    empty.send(ScriptedServer::reply(200, "OK", ""));
    fetch(fetcher, empty.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"done"}));

    ScriptedServer broken;
    broken.send(ScriptedServer::head(200, "OK", 5000)).send("first part");
    fetch(fetcher, broken.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"done", "done"}));
    EXPECT_EQ(events.result, "first part");
}

TEST(HttpGet, UnboundFailureRaisesNothingAndLeavesTheFetcherIdle)
{
    THTTPGet fetcher;
    bool done = false;
    QObject::connect(&fetcher, &THTTPGet::OnDoneString, [&] { done = true; });
    fetch(fetcher, QString("http://127.0.0.1:%1/x").arg(ScriptedServer::refusingPort()));
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

TEST(HttpGet, ABodyInSeveralPiecesArrivesWhole)
{
    QByteArray body;
    for (int line = 0; body.size() < 3 * THTTPGetThread::chunkSize; ++line)
        body += "line " + QByteArray::number(line) + "\n";
    ScriptedServer server;
    server.send(ScriptedServer::head(200, "OK", body.size()) + body.left(1500))
        .delay(20)
        .send(body.mid(1500));
    THTTPGet fetcher;
    Events events;
    events.watchAnswers(fetcher);
    fetch(fetcher, server.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"answer 200", "done"}));
    EXPECT_EQ(events.answer, body);
    EXPECT_EQ(events.result, QString::fromLatin1(body));
    EXPECT_TRUE(events.allOnUiThread);
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
    events.watch(*fetcher);
    fetcher->setURL(server.url("/x"));
    fetcher->Fetch();
    // Destroyed while its request runs.
    ASSERT_TRUE(server.waitForRequests(1));
    fetcher.reset();
    EXPECT_TRUE(server.waitForClientsGone());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(events.log.contains("done"));
    EXPECT_FALSE(events.log.contains("error"));
}

TEST(HttpGet, EveryAnswerReachesOnDoneWithItsStatusAndRawBytesBeforeTheText)
{
    THTTPGet fetcher;
    Events events;
    events.watchAnswers(fetcher);
    ScriptedServer notFound;
    notFound.send(ScriptedServer::reply(404, "Not Found", "<b>gone</b>"));
    fetch(fetcher, notFound.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"answer 404", "done"}));
    EXPECT_EQ(events.answer, "<b>gone</b>");

    // The version file's bytes as the server holds them, byte-order mark included.
    ScriptedServer marked;
    marked.send(ScriptedServer::reply(200, "OK",
                                      "\xEF\xBB\xBF"
                                      "1.0.0"));
    fetch(fetcher, marked.url("/quellan/quellanversion.txt"));
    EXPECT_EQ(events.answer, QByteArray("\xEF\xBB\xBF"
                                        "1.0.0"));

    ScriptedServer empty;
    empty.send(ScriptedServer::reply(204, "No Content", ""));
    fetch(fetcher, empty.url("/x"));
    EXPECT_EQ(events.answer, "");

    ScriptedServer malformed;
    malformed.send("hello\r\n\r\nworld");
    fetch(fetcher, malformed.url("/x"));
    fetch(fetcher, QString("http://127.0.0.1:%1/x").arg(ScriptedServer::refusingPort()));
    EXPECT_EQ(events.log, (QStringList{"answer 404", "done", "answer 200", "done", "answer 204",
                                       "error", "error"}));
    EXPECT_TRUE(events.allOnUiThread);
}

TEST(HttpGet, ChunkedAnswerArrivesWithoutItsFraming)
{
    // Chunks win over Content-Length; a size line split between two sends still reads.
    ScriptedServer server;
    server
        .send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
              "4;name=\"x y\"\r\nQuel\r\n0")
        .delay(20)
        .send("A\r\nlan 1.0.0\n\r\n0\r\nExpires: never\r\n\r\n");
    THTTPGet fetcher;
    Events events;
    events.watchAnswers(fetcher);
    fetch(fetcher, server.url("/x"));
    EXPECT_EQ(events.log, (QStringList{"answer 200", "done"}));
    EXPECT_EQ(events.answer, "Quellan 1.0.0\n");
    EXPECT_EQ(events.result, "Quellan 1.0.0\n");
}

TEST(HttpGet, MalformedOrUnfinishedChunksFail)
{
    const QByteArray head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    THTTPGet fetcher;
    Events events;
    events.watchAnswers(fetcher);
    for (const QByteArray &body :
         {QByteArray("zz\r\nQuellan\r\n0\r\n\r\n"), QByteArray("4\r\nQuellan\r\n0\r\n\r\n"),
          QByteArray("4\r\nQuel\r\n3\r\nlan\r\n")}) {
        ScriptedServer server;
        server.send(head + body);
        fetch(fetcher, server.url("/x"));
    }
    EXPECT_EQ(events.log, (QStringList{"error", "error", "error"}));
}

TEST(HttpGet, HostNamesAreLookedUpThroughTheResolverWithoutChangingTheRequest)
{
    ScriptedServer server;
    server.send(ScriptedServer::reply(200, "OK", "found"));
    const auto resolver = std::make_shared<FixedResolver>(
        QHash<QString, QHostAddress>{{"quellan.test", QHostAddress::LocalHost}});
    THTTPGet fetcher;
    fetcher.setHostResolver(resolver);
    Events events;
    events.watch(fetcher);
    fetch(fetcher, QString("http://quellan.test:%1/x").arg(server.port()));
    fetch(fetcher, "http://unknown.test/x");
    EXPECT_EQ(events.log, (QStringList{"done", "error"}));
    EXPECT_EQ(resolver->asked(), (QStringList{"quellan.test", "unknown.test"}));
    EXPECT_TRUE(server.request().contains(
        "\r\nHost: quellan.test:" + QByteArray::number(server.port()) + "\r\n"));
}

TEST(HttpGet, CancelAndTheConnectLimitEndALookupThatNeverAnswers)
{
    const auto resolver = std::make_shared<SilentResolver>();
    THTTPGet fetcher;
    fetcher.setHostResolver(resolver);
    QSignalSpy failed(&fetcher, &THTTPGet::OnError);
    fetcher.setURL("http://quellan.test/x");
    fetcher.Fetch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return resolver->asked.load(); }, 5000));
    QElapsedTimer clock;
    clock.start();
    fetcher.Cancel();
    ASSERT_TRUE(failed.wait(1000));
    EXPECT_LT(clock.elapsed(), 1000);

    fetcher.setConnectTimeout(100);
    clock.restart();
    fetcher.Fetch();
    ASSERT_TRUE(failed.wait(2000));
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(failed.count(), 2);
    EXPECT_TRUE(waitIdle(fetcher));
}

TEST(HttpGet, TheSystemProxyCarriesRequestsExceptToThisMachine)
{
    ScriptedServer proxy;
    proxy.send(ScriptedServer::reply(200, "OK", "by proxy"));
    ScriptedServer direct;
    direct.send(ScriptedServer::reply(200, "OK", "direct"));
    const ProxyEnvironment environment(QString("http://127.0.0.1:%1").arg(proxy.port()));
    THTTPGet fetcher;
    Events events;
    events.watch(fetcher);
    for (const QString &url : {QString("http://example.invalid/x"), direct.url("/y"),
                               QString("http://localhost:%1/z").arg(direct.port())})
        fetch(fetcher, url);
    EXPECT_EQ(events.log, (QStringList{"done", "done", "done"}));
    EXPECT_EQ(proxy.connectionCount(), 1);
    EXPECT_TRUE(proxy.request().startsWith("GET http://example.invalid/x HTTP/1.0\r\n"));
    EXPECT_TRUE(proxy.request().contains("\r\nHost: example.invalid\r\n"));
    EXPECT_EQ(direct.connectionCount(), 2);
    EXPECT_TRUE(direct.request(0).startsWith("GET /y HTTP/1.0\r\n"));
    EXPECT_TRUE(direct.request(1).startsWith("GET /z HTTP/1.0\r\n"));
}
