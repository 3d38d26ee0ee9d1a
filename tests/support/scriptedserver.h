#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

#include <optional>
#include <vector>

class QTcpSocket;

// A web server for tests on 127.0.0.1 and a free port. It records the raw bytes of every
// request and answers each connection, once its request has fully arrived, with the steps
// the test has scripted; after the last step it closes the connection.
class ScriptedServer : public QObject {
    Q_OBJECT

public:
    explicit ScriptedServer(QObject *parent = nullptr);
    ~ScriptedServer() override;

    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port>" followed by `path`.
    QString url(const QString &path) const;

    // Script steps, shared by all connections.
    ScriptedServer &send(const QByteArray &bytes);
    ScriptedServer &delay(int ms);
    // Keeps the connection open and silent from here on.
    ScriptedServer &stall();

    // An HTTP/1.0 status line and headers, with a Content-Length header when one is given.
    static QByteArray head(int status, const QByteArray &reason,
                           std::optional<qint64> contentLength = std::nullopt);
    // A whole reply whose Content-Length matches its body.
    static QByteArray reply(int status, const QByteArray &reason, const QByteArray &body);

    int connectionCount() const { return int(m_connections.size()); }
    // The raw bytes received on a connection, in order of arrival.
    QByteArray request(int connection = 0) const;
    // Serves the event queue until `count` requests have fully arrived.
    bool waitForRequests(int count, int timeoutMs = 5000);
    // Serves the event queue until the clients have closed every connection.
    bool waitForClientsGone(int timeoutMs = 5000);

    // A port on 127.0.0.1 where nothing listens, so connections are refused.
    static quint16 refusingPort();

private:
    struct Step {
        enum class Kind { Send, Delay, Stall } kind;
        QByteArray bytes;
        int ms = 0;
    };
    struct Connection {
        QPointer<QTcpSocket> socket;
        QByteArray received;
        bool answered = false;
        bool gone = false;
    };

    void accept();
    void receive(int index);
    void runSteps(int index, qsizetype from);
    static bool requestComplete(const QByteArray &received);

    QTcpServer m_server;
    QList<Step> m_steps;
    std::vector<Connection> m_connections;
};

// A port on 127.0.0.1 whose listen queue is full, so connections to it are never established.
class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener &) = delete;
    StalledListener &operator=(const StalledListener &) = delete;

    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::vector<QTcpSocket *> m_fillers;
};
