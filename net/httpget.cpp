#include "net/httpget.h"

#include "net/httpaddress.h"
#include "net/httpreply.h"
#include "net/httprequest.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaMethod>
#include <QNetworkProxy>
#include <QStringDecoder>
#include <QTcpSocket>

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

} // namespace

THTTPGetThread::THTTPGetThread(const HttpGetSettings &settings) : m_settings(settings) {}

void THTTPGetThread::run()
{
    try {
        m_success = fetch();
    } catch (...) {
        // A failure of any kind ends the request quietly as failed.
        m_success = false;
    }
    emit completed();
}

bool THTTPGetThread::fetch()
{
    const auto address = http::splitAddress(m_settings.URL);
    if (!address || address->path.isEmpty() || stopRequested())
        return false;
    QTcpSocket socket;
    if (!connectTo(socket, *address) || !send(socket, request(*address)) || stopRequested())
        return false;
    if (!receiveHead(socket))
        return false;
    return readBody(socket, m_head.contentLength());
}

// Asks every cache on the way for a fresh answer: the version file and the high-score page
// change without notice.
QByteArray THTTPGetThread::request(const http::Address &address) const
{
    http::Request request("GET", address.target(), "1.0");
    request.addHeader("Accept", "*/*");
    request.addHeader("User-Agent", "Dalvex HTTPGet");
    request.addHeader("Host", QString::fromUtf8(address.hostHeader()));
    request.addHeader("Pragma", "no-cache");
    request.addHeader("Cache-Control", "no-cache");
    return request.toBytes();
}

bool THTTPGetThread::connectTo(QTcpSocket &socket, const http::Address &address) const
{
    // Only the game's own server is ever asked; no proxy settings of the system apply.
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(address.host, address.port);
    const QDeadlineTimer deadline(m_settings.connectTimeout);
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

// The next piece of the body, at most chunkSize bytes: first what came with the head, then
// from the socket. Empty once the server has ended the transfer; no value when giving up.
std::optional<QByteArray> THTTPGetThread::nextChunk(QTcpSocket &socket)
{
    if (!m_pending.isEmpty()) {
        const QByteArray chunk = m_pending.left(chunkSize);
        m_pending.remove(0, chunk.size());
        return chunk;
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

// Reads up to the announced length, or to the end of the connection when none was given.
// A connection that breaks off still delivers what came before.
bool THTTPGetThread::readBody(QTcpSocket &socket, std::optional<qint64> contentLength)
{
    if (contentLength.value_or(0) > maxBodySize)
        return false;
    m_totalSize = int(contentLength.value_or(0));
    while (m_totalSize == 0 || m_received < m_totalSize) {
        if (stopRequested())
            return false;
        const auto chunk = nextChunk(socket);
        if (!chunk || m_received + chunk->size() > maxBodySize)
            return false;
        if (chunk->isEmpty())
            break;
        const QByteArray piece = m_totalSize > 0 ? chunk->left(m_totalSize - m_received) : *chunk;
        m_body += piece;
        m_received += int(piece.size());
        if (m_settings.reportProgress)
            emit progressed(m_totalSize, m_received);
    }
    return m_received > 0;
}

THTTPGet::THTTPGet(QObject *parent) : QObject(parent)
{
    m_settings.connectTimeout = defaultConnectTimeout;
    m_settings.idleTimeout = defaultIdleTimeout;
}

THTTPGet::~THTTPGet()
{
    THTTPGetThread *worker = m_worker;
    if (!worker)
        return;
    worker->requestStop();
    disconnect(worker, nullptr, this, nullptr);
    // Releases a worker that waits for this thread to run its progress or completion.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    if (worker->wait(shutdownWait))
        delete worker;
}

void THTTPGet::Fetch()
{
    if (busy())
        return;
    HttpGetSettings settings = m_settings;
    settings.reportProgress = isSignalConnected(QMetaMethod::fromSignal(&THTTPGet::OnProgress));
    auto *worker = new THTTPGetThread(settings);
    connect(
        worker, &THTTPGetThread::progressed, this,
        [this, worker](int totalSize, int readed) { emit OnProgress(worker, totalSize, readed); },
        Qt::BlockingQueuedConnection);
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
    if (worker->succeeded())
        emit OnDoneString(this, bodyText(worker->body()));
    else
        emit OnError(this);
    if (alive)
        m_worker = nullptr;
}
