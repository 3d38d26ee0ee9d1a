#pragma once

#include "net/hostresolver.h"
#include "net/httpreply.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>

class QTcpSocket;
namespace http {
struct Address;
}

// What one request needs, copied from the fetcher when it starts, so that changing the
// fetcher's address meanwhile has no effect on it.
struct HttpGetSettings {
    QString URL;
    int connectTimeout = 0;
    int idleTimeout = 0;
    std::shared_ptr<http::HostResolver> resolver;
};

// The worker for one request of THTTPGet. It speaks HTTP/1.0 over a socket of its own
// thread, through the system's proxy where one is set, keeps the decoded body in memory, and
// hands its completion to the fetcher's thread, waiting until that thread has run it.
class THTTPGetThread : public QThread {
    Q_OBJECT

public:
    // The most body the worker keeps; a larger answer fails.
    static constexpr qint64 maxBodySize = 16 * 1024 * 1024;
    // The largest piece read at once.
    static constexpr qint64 chunkSize = 1025;

    explicit THTTPGetThread(const HttpGetSettings &settings);

    // Asks the request to stop at its next check point; it then completes as failed.
    void requestStop() { m_stop = true; }
    // The server answered: a reply head, then a body read to its end.
    bool answered() const { return m_answered && !m_stop; }
    // Answered with at least one body byte.
    bool succeeded() const { return answered() && !m_body.isEmpty(); }
    int status() const { return m_head.status(); }
    QByteArray body() const { return m_body; }

signals:
    // Emitted once the request has ended.
    void completed();

protected:
    void run() override;

private:
    enum class Arrival { Data, Ended, GaveUp };

    bool fetch();
    QByteArray request(const http::Address &address, bool viaProxy) const;
    bool connectTo(QTcpSocket &socket, const http::Address &address, QNetworkProxy proxy,
                   const QDeadlineTimer &deadline) const;
    std::optional<QList<QHostAddress>> resolve(const QString &host,
                                               const QDeadlineTimer &deadline) const;
    bool connectToAny(QTcpSocket &socket, const std::optional<QList<QHostAddress>> &addresses,
                      quint16 port, const QDeadlineTimer &deadline) const;
    bool awaitConnected(QTcpSocket &socket, const QDeadlineTimer &deadline) const;
    bool send(QTcpSocket &socket, const QByteArray &bytes) const;
    Arrival awaitData(QTcpSocket &socket) const;
    bool receiveHead(QTcpSocket &socket);
    std::optional<QByteArray> nextPiece(QTcpSocket &socket);
    bool readBody(QTcpSocket &socket);
    bool stopRequested() const { return m_stop; }

    const HttpGetSettings m_settings;
    std::atomic_bool m_stop = false;
    std::atomic_bool m_answered = false;
    QByteArray m_pending;
    http::ReplyHead m_head;
    QByteArray m_body;
};

// Runs one HTTP GET at a time on a worker thread and hands the answer to its own thread, so a
// slow server never blocks a window. Every request ends with either OnDone, for an answer of
// any status, or OnError, for none; an answer with at least one body byte is then also handed
// to OnDoneString as text. The system's proxy settings apply, except to loopback addresses.
class THTTPGet : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultConnectTimeout = 30000;
    static constexpr int defaultIdleTimeout = 60000;

    explicit THTTPGet(QObject *parent = nullptr);
    // Cancels a running request and detaches it: no event reaches the destroyed fetcher.
    ~THTTPGet() override;

    // "http://", the host (with an optional ":port"), then the path with an optional query.
    QString URL() const { return m_settings.URL; }
    void setURL(const QString &url) { m_settings.URL = url; }
    // Milliseconds allowed for looking up the host and establishing the connection, and for
    // silence after it.
    void setConnectTimeout(int ms) { m_settings.connectTimeout = ms; }
    void setIdleTimeout(int ms) { m_settings.idleTimeout = ms; }
    // Where host names are looked up; the system's resolver unless set. The running request
    // keeps the one it started with.
    void setHostResolver(std::shared_ptr<http::HostResolver> resolver)
    {
        m_settings.resolver = std::move(resolver);
    }

    // Starts a request for URL and returns at once; does nothing while a request runs.
    void Fetch();
    // Makes the running request fail at its next check point; does not wait.
    void Cancel();
    bool busy() const { return m_worker != nullptr; }

signals:
    // The server answered: its status and the body as received, chunk framing taken off.
    // Emitted before OnDoneString.
    void OnDone(QObject *Sender, int Status, const QByteArray &Body);
    // The answer had a body; it reads as UTF-8, or as Latin-1 when it is no UTF-8.
    void OnDoneString(QObject *Sender, const QString &Result);
    // No answer: no connection, a time-out, Cancel, a malformed reply or one too large.
    void OnError(QObject *Sender);

private:
    void complete(THTTPGetThread *worker);

    // How long destruction waits for a cancelled worker before leaving it to end alone.
    static constexpr unsigned long shutdownWait = 1000;

    HttpGetSettings m_settings;
    QPointer<THTTPGetThread> m_worker;
};
