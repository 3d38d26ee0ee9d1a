#include "net/httpcli.h"

#include "net/httprequest.h"
#include "net/socketerror.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <utility>

namespace {

// The status that failures on this side of the connection carry.
constexpr int localFailureCode = 404;

const QString lookupFailed = QStringLiteral("can't resolve hostname to IP address");
const QString aborted = QStringLiteral("Connection aborted on request");
const QString busyText = QStringLiteral("HTTP component is busy");

QString connectFailed(const QTcpSocket &socket)
{
    return QStringLiteral("can't connect: %1 (Error #%2)")
        .arg(socket.errorString())
        .arg(http::socketErrorNumber(socket.error()));
}

} // namespace

EHttpException::EHttpException(const QString &message, int code)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code)
{
}

THttpCli::THttpCli(QObject *parent) : QObject(parent)
{
    m_connectTimer.setSingleShot(true);
    m_idleTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &THttpCli::Abort);
    connect(&m_idleTimer, &QTimer::timeout, this, &THttpCli::Abort);
}

THttpCli::~THttpCli() = default;

void THttpCli::Get()
{
    if (busy())
        throw EHttpException(busyText, localFailureCode);
    resetTransfer();
    QEventLoop loop;
    m_loop = &loop;
    startConnection();
    if (!m_finished)
        loop.exec();
    m_loop = nullptr;
    // The loop also ends when the application is told to quit, which ends every loop.
    if (!m_finished)
        fail(aborted, localFailureCode);
    m_socket.reset();
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void THttpCli::Abort()
{
    if (busy())
        fail(aborted, localFailureCode);
}

void THttpCli::resetTransfer()
{
    m_received.clear();
    m_head = http::ReplyHead();
    m_chunks = http::ChunkedDecoder();
    m_connected = false;
    m_headDone = false;
    m_bodyReceived = 0;
    m_finished = false;
    m_failure = nullptr;
}

void THttpCli::startConnection()
{
    const auto address = http::splitAddress(m_url);
    if (!address) {
        fail(lookupFailed, localFailureCode);
        return;
    }
    m_request = buildRequest(*address);

    m_socket = std::make_unique<QTcpSocket>();
    // Only the game's own server is ever asked; no proxy settings of the system apply.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket.get(), &QTcpSocket::connected, this, &THttpCli::onConnected);
    connect(m_socket.get(), &QTcpSocket::bytesWritten, this,
            [this] { m_idleTimer.start(m_idleTimeout); });
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &THttpCli::onReadyRead);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, &THttpCli::onErrorOccurred);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &THttpCli::onEnded);
    m_connectTimer.start(m_connectTimeout);
    m_socket->connectToHost(address->host, address->port);
}

QByteArray THttpCli::buildRequest(const http::Address &address) const
{
    const QByteArray target = address.path.isEmpty() ? QByteArray("/") : address.target();
    http::Request request("GET", target, "1.0");
    request.addHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.addHeader("User-Agent", "Mozilla/3.0 (compatible)");
    request.addHeader("Host", QString::fromUtf8(address.hostHeader()));
    return request.toBytes();
}

void THttpCli::onConnected()
{
    m_connected = true;
    m_connectTimer.stop();
    m_idleTimer.start(m_idleTimeout);
    m_socket->write(m_request);
}

void THttpCli::onReadyRead()
{
    m_idleTimer.start(m_idleTimeout);
    const QByteArray data = m_socket->readAll();
    if (m_headDone) {
        receiveBody(data);
        return;
    }
    m_received += data;
    switch (m_head.take(m_received)) {
    case http::ReplyHead::Progress::Incomplete:
        return;
    case http::ReplyHead::Progress::Invalid:
        fail(aborted, localFailureCode);
        return;
    case http::ReplyHead::Progress::Complete:
        break;
    }
    m_headDone = true;
    if (m_head.status() >= 400)
        fail(m_head.reason(), m_head.status());
    else
        receiveBody(std::exchange(m_received, {}));
}

void THttpCli::onErrorOccurred(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        onEnded();
    else if (m_connected)
        fail(aborted, localFailureCode);
    else if (error == QAbstractSocket::HostNotFoundError)
        fail(lookupFailed, localFailureCode);
    else
        fail(connectFailed(*m_socket), localFailureCode);
}

// The server closed the connection: the end of the body unless it announced more.
void THttpCli::onEnded()
{
    if (!m_finished && m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (m_finished)
        return;
    if (m_headDone && (bodyComplete() || (!m_head.chunked() && !m_head.contentLength())))
        finish();
    else
        fail(aborted, localFailureCode);
}

void THttpCli::receiveBody(const QByteArray &data)
{
    QByteArray piece;
    if (m_head.chunked()) {
        if (m_chunks.feed(data, piece) == http::ChunkedDecoder::State::Invalid) {
            fail(aborted, localFailureCode);
            return;
        }
    } else {
        const auto length = m_head.contentLength();
        piece = length ? data.left(*length - m_bodyReceived) : data;
    }
    if (m_rcvdStream && m_rcvdStream->write(piece) != piece.size()) {
        const QString reason = "Can't write the received data: " + m_rcvdStream->errorString();
        finish(std::make_exception_ptr(std::runtime_error(reason.toStdString())));
        return;
    }
    m_bodyReceived += piece.size();
    if (bodyComplete())
        finish();
}

bool THttpCli::bodyComplete() const
{
    if (m_head.chunked())
        return m_headDone && m_chunks.finished();
    const auto length = m_head.contentLength();
    return m_headDone && length && m_bodyReceived >= *length;
}

void THttpCli::fail(const QString &message, int code)
{
    finish(std::make_exception_ptr(EHttpException(message, code)));
}

void THttpCli::finish(std::exception_ptr failure)
{
    if (m_finished)
        return;
    m_finished = true;
    m_failure = std::move(failure);
    m_connectTimer.stop();
    m_idleTimer.stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    if (m_loop)
        m_loop->quit();
}
