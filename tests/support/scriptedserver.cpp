#include "tests/support/scriptedserver.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

ScriptedServer::ScriptedServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

ScriptedServer::~ScriptedServer()
{
    for (Connection &connection : m_connections)
        delete connection.socket;
}

QString ScriptedServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

ScriptedServer &ScriptedServer::send(const QByteArray &bytes)
{
    m_steps.append({Step::Kind::Send, bytes});
    return *this;
}

ScriptedServer &ScriptedServer::delay(int ms)
{
    m_steps.append({Step::Kind::Delay, {}, ms});
    return *this;
}

ScriptedServer &ScriptedServer::stall()
{
    m_steps.append({Step::Kind::Stall, {}});
    return *this;
}

QByteArray ScriptedServer::head(int status, const QByteArray &reason,
                                std::optional<qint64> contentLength)
{
    QByteArray bytes = "HTTP/1.0 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    bytes += "Content-Type: text/html\r\n";
    if (contentLength)
        bytes += "Content-Length: " + QByteArray::number(*contentLength) + "\r\n";
    return bytes + "\r\n";
}

QByteArray ScriptedServer::reply(int status, const QByteArray &reason, const QByteArray &body)
{
    return head(status, reason, body.size()) + body;
}

QByteArray ScriptedServer::request(int connection) const
{
    if (connection < 0 || connection >= connectionCount())
        return {};
    return m_connections[connection].received;
}

bool ScriptedServer::waitForRequests(int count, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            return std::count_if(m_connections.begin(), m_connections.end(),
                                 [](const Connection &c) { return c.answered; }) >= count;
        },
        timeoutMs);
}

bool ScriptedServer::waitForClientsGone(int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            return std::all_of(m_connections.begin(), m_connections.end(),
                               [](const Connection &c) { return c.gone; });
        },
        timeoutMs);
}

quint16 ScriptedServer::refusingPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void ScriptedServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const int index = connectionCount();
        m_connections.push_back({socket, {}, false, false});
        connect(socket, &QTcpSocket::readyRead, this, [this, index] { receive(index); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, index] { m_connections[index].gone = true; });
    }
}

void ScriptedServer::receive(int index)
{
    Connection &connection = m_connections[index];
    connection.received += connection.socket->readAll();
    if (connection.answered || !requestComplete(connection.received))
        return;
    connection.answered = true;
    runSteps(index, 0);
}

void ScriptedServer::runSteps(int index, qsizetype from)
{
    QTcpSocket *socket = m_connections[index].socket;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    for (qsizetype i = from; i < m_steps.size(); ++i) {
        const Step &step = m_steps[i];
        switch (step.kind) {
        case Step::Kind::Send:
            socket->write(step.bytes);
            break;
        case Step::Kind::Delay:
            QTimer::singleShot(step.ms, this, [this, index, i] { runSteps(index, i + 1); });
            return;
        case Step::Kind::Stall:
            return;
        }
    }
    socket->disconnectFromHost();
}

// A request has arrived once its head and as much body as it announces are there.
bool ScriptedServer::requestComplete(const QByteArray &received)
{
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    static const QRegularExpression lengthHeader("\r\ncontent-length: *(\\d+)",
                                                 QRegularExpression::CaseInsensitiveOption);
    const auto match = lengthHeader.match(QString::fromLatin1(received.left(headEnd)));
    const qsizetype bodyLength = match.hasMatch() ? match.captured(1).toLongLong() : 0;
    return received.size() >= headEnd + 4 + bodyLength;
}

// Listens with the shortest queue the system allows and fills it with connections that
// are never accepted; the system then leaves further connection attempts unanswered.
StalledListener::StalledListener()
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(m_fd, 0) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return;
    m_port = ntohs(address.sin_port);
    constexpr int maxFillers = 8;
    for (int i = 0; i < maxFillers; ++i) {
        auto *filler = new QTcpSocket;
        m_fillers.push_back(filler);
        filler->connectToHost(QHostAddress::LocalHost, m_port);
        if (!filler->waitForConnected(50))
            break;
    }
}

StalledListener::~StalledListener()
{
    qDeleteAll(m_fillers);
    if (m_fd >= 0)
        ::close(m_fd);
}
