#include "net/httpget.h"

#include "net/chunkeddecoder.h"
#include "net/httpaddress.h"
#include "net/httpreply.h"
#include "net/httprequest.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkProxyQuery>
#include <QStringDecoder>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// The game's server speaks UTF-8; an answer in a single-byte character set still reads, as
// Latin-1, instead of turning its accents into replacement marks.
QString bodyText(const QByteArray &body)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    return utf8.hasError() ? QString::fromLatin1(body) : text;
}

// The longest the worker blocks in one socket call before looking at its stop request.
constexpr qint64 sliceMs = 25;

int slice(const QDeadlineTimer &deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 0, sliceMs));
}

// A host given as an address needs no lookup; an IPv6 address may come in brackets.
std::optional<QHostAddress> literalAddress(QString host)
{
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    QHostAddress address;
    if (!address.setAddress(host))
        return std::nullopt;
    return address;
}

bool isLoopback(const QString &host)
{
    const auto address = literalAddress(host);
    return address ? address->isLoopback() : host.compare("localhost", Qt::CaseInsensitive) == 0;
}

// The proxy the desktop names for the address: an HTTP or SOCKS5 proxy, or none. The
// player's own machine is always reached directly.
QNetworkProxy systemProxyFor(const http::Address &address)
{
    if (isLoopback(address.host))
        return QNetworkProxy::NoProxy;
    QUrl url;
    url.setScheme("http");
    url.setHost(address.host);
    url.setPort(address.port);
    const auto proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    for (const QNetworkProxy &proxy : proxies) {
        switch (proxy.type()) {
        case QNetworkProxy::NoProxy:
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::HttpCachingProxy:
        case QNetworkProxy::Socks5Proxy:
            return proxy;
        default:
            break;
        }
    }
    return QNetworkProxy::NoProxy;
}

} // namespace

THTTPGetThread::THTTPGetThread(const HttpGetSettings &settings) : m_settings(settings) {}

void THTTPGetThread::run()
{
    try {
        m_answered = fetch();
    } catch (...) {
        // A failure of any kind ends the request quietly as failed.
        m_answered = false;
    }
    emit completed();
}

bool THTTPGetThread::fetch()
{
    const auto address = http::splitAddress(m_settings.URL);
    if (!address || address->path.isEmpty() || stopRequested())
        return false;
    // One limit for finding the way to the server, looking its name up and connecting to it.
    const QDeadlineTimer deadline(m_settings.connectTimeout);
    const QNetworkProxy proxy = systemProxyFor(*address);
    const bool viaProxy =
        proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy;
    QTcpSocket socket;
    if (!connectTo(socket, *address, proxy, deadline) ||
        !send(socket, request(*address, viaProxy)) || stopRequested())
        return false;
    if (!receiveHead(socket))
        return false;
    return readBody(socket);
}

// Asks every cache on the way for a fresh answer: the version file and the high-score page
// change without notice. A proxy is given the whole address.
QByteArray THTTPGetThread::request(const http::Address &address, bool viaProxy) const
{
    http::Request request("GET", viaProxy ? address.absoluteTarget() : address.target(), "1.0");
    request.addHeader("Accept", "*/*");
    request.addHeader("User-Agent", "Dalvex HTTPGet");
    request.addHeader("Host", QString::fromUtf8(address.hostHeader()));
    request.addHeader("Pragma", "no-cache");
    request.addHeader("Cache-Control", "no-cache");
    return request.toBytes();
}

bool THTTPGetThread::connectTo(QTcpSocket &socket, const http::Address &address,
                               QNetworkProxy proxy, const QDeadlineTimer &deadline) const
{
    // The way to the server is chosen here, never by the socket on its own.
    socket.setProxy(QNetworkProxy::NoProxy);
    switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        return connectToAny(socket, resolve(proxy.hostName(), deadline), proxy.port(), deadline);
    case QNetworkProxy::Socks5Proxy: {
        // The proxy's own name is looked up here, where the lookup can be given up; the
        // server's name is left to the proxy.
        const auto proxyAddresses = resolve(proxy.hostName(), deadline);
        if (!proxyAddresses || proxyAddresses->isEmpty())
            return false;
        proxy.setHostName(proxyAddresses->first().toString());
        socket.setProxy(proxy);
        socket.connectToHost(address.host, address.port);
        return awaitConnected(socket, deadline);
    }
    default:
        return connectToAny(socket, resolve(address.host, deadline), address.port, deadline);
    }
}

// The addresses of `host`; no value when the request gave up before the lookup ended.
std::optional<QList<QHostAddress>> THTTPGetThread::resolve(const QString &host,
                                                           const QDeadlineTimer &deadline) const
{
    if (const auto literal = literalAddress(host))
        return QList<QHostAddress>{*literal};
    std::optional<QList<QHostAddress>> found;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (stopRequested() || deadline.hasExpired())
            loop.quit();
    });
    check.start(int(sliceMs));
    const auto resolver = m_settings.resolver ? m_settings.resolver : http::systemHostResolver();
    resolver->lookup(host, &loop, [&](const QList<QHostAddress> &addresses) {
        found = addresses;
        loop.quit();
    });
    while (!found && !stopRequested() && !deadline.hasExpired())
        loop.exec();
    return found;
}

// Tries the addresses in turn, as long as the limit allows.
bool THTTPGetThread::connectToAny(QTcpSocket &socket,
                                  const std::optional<QList<QHostAddress>> &addresses, quint16 port,
                                  const QDeadlineTimer &deadline) const
{
    if (!addresses)
        return false;
    for (const QHostAddress &address : *addresses) {
        socket.connectToHost(address, port);
        if (awaitConnected(socket, deadline))
            return true;
        socket.abort();
        if (stopRequested() || deadline.hasExpired())
            return false;
    }
    return false;
}

bool THTTPGetThread::awaitConnected(QTcpSocket &socket, const QDeadlineTimer &deadline) const
{
    while (socket.state() != QAbstractSocket::ConnectedState) {
        if (stopRequested() || deadline.hasExpired())
            return false;
        if (!socket.waitForConnected(slice(deadline)) &&
            socket.state() == QAbstractSocket::UnconnectedState)
            return false;
    }
    return true;
}

bool THTTPGetThread::send(QTcpSocket &socket, const QByteArray &bytes) const
{
    socket.write(bytes);
    QDeadlineTimer silence(m_settings.idleTimeout);
    while (socket.bytesToWrite() > 0) {
        if (stopRequested() || silence.hasExpired() ||
            socket.state() != QAbstractSocket::ConnectedState)
            return false;
        if (socket.waitForBytesWritten(slice(silence)))
            silence.setRemainingTime(m_settings.idleTimeout);
    }
    return true;
}

// Waits until data can be read, the server has ended the connection, or the request must
// give up because it was asked to stop or the server stayed silent too long.
THTTPGetThread::Arrival THTTPGetThread::awaitData(QTcpSocket &socket) const
{
    const QDeadlineTimer silence(m_settings.idleTimeout);
    while (socket.bytesAvailable() == 0) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return Arrival::Ended;
        if (stopRequested() || silence.hasExpired())
            return Arrival::GaveUp;
        socket.waitForReadyRead(slice(silence));
    }
    return Arrival::Data;
}

bool THTTPGetThread::receiveHead(QTcpSocket &socket)
{
    for (;;) {
        if (awaitData(socket) != Arrival::Data)
            return false;
        m_pending += socket.readAll();
        switch (m_head.take(m_pending)) {
        case http::ReplyHead::Progress::Incomplete:
            break;
        case http::ReplyHead::Progress::Invalid:
            return false;
        case http::ReplyHead::Progress::Complete:
            return !stopRequested();
        }
    }
}

// The next piece of the body as sent, at most chunkSize bytes: first what came with the head,
// then from the socket. Empty once the server has ended the transfer; no value when giving up.
std::optional<QByteArray> THTTPGetThread::nextPiece(QTcpSocket &socket)
{
    if (!m_pending.isEmpty()) {
        const QByteArray piece = m_pending.left(chunkSize);
        m_pending.remove(0, piece.size());
        return piece;
    }
    switch (awaitData(socket)) {
    case Arrival::Data:
        return socket.read(chunkSize);
    case Arrival::Ended:
        return QByteArray();
    case Arrival::GaveUp:
        break;
    }
    return std::nullopt;
}

// Reads a chunked body to its last chunk, any other to the announced length or, when none
// was given, to the end of the connection. A connection that breaks off early ends a body of
// announced length with what came before; it leaves a chunked one unfinished, and failed.
bool THTTPGetThread::readBody(QTcpSocket &socket)
{
    const bool chunked = m_head.chunked();
    // The announced length, or -1 for none.
    const qint64 length = chunked ? -1 : m_head.contentLength().value_or(-1);
    if (length > maxBodySize)
        return false;
    http::ChunkedDecoder decoder;
    while (length < 0 || m_body.size() < length) {
        if (stopRequested())
            return false;
        const auto piece = nextPiece(socket);
        if (!piece)
            return false;
        if (piece->isEmpty())
            return !chunked;
        QByteArray data;
        if (!chunked)
            data = length < 0 ? *piece : piece->left(length - m_body.size());
        else if (decoder.feed(*piece, data) == http::ChunkedDecoder::State::Invalid)
            return false;
        if (m_body.size() + data.size() > maxBodySize)
            return false;
        m_body += data;
        if (decoder.finished())
            return true;
    }
    return true;
}

THTTPGet::THTTPGet(QObject *parent) : QObject(parent)
{
    m_settings.connectTimeout = defaultConnectTimeout;
    m_settings.idleTimeout = defaultIdleTimeout;
    m_settings.resolver = http::systemHostResolver();
}

THTTPGet::~THTTPGet()
{
    THTTPGetThread *worker = m_worker;
    if (!worker)
        return;
    worker->requestStop();
    disconnect(worker, nullptr, this, nullptr);
    // Releases a worker that waits for this thread to run its completion.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    if (worker->wait(shutdownWait))
        delete worker;
}

void THTTPGet::Fetch()
{
    if (busy())
        return;
    auto *worker = new THTTPGetThread(m_settings);
    connect(
        worker, &THTTPGetThread::completed, this, [this, worker] { complete(worker); },
        Qt::BlockingQueuedConnection);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_worker = worker;
    worker->start();
}

void THTTPGet::Cancel()
{
    if (m_worker)
        m_worker->requestStop();
}

// Runs on the fetcher's thread while the worker waits: the event first, and only when it has
// returned is the fetcher idle again, so a Fetch from the handler is ignored.
void THTTPGet::complete(THTTPGetThread *worker)
{
    const QPointer<THTTPGet> alive(this);
    if (worker->answered()) {
        const QByteArray body = worker->body();
        emit OnDone(this, worker->status(), body);
        if (alive && !body.isEmpty())
            emit OnDoneString(this, bodyText(body));
    } else {
        emit OnError(this);
    }
    if (alive)
        m_worker = nullptr;
}
