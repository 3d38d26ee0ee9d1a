#pragma once

#include "net/httpreply.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <optional>

class QTcpSocket;
namespace http {
struct Address;
}

// What one request needs, copied from the fetcher when it starts, so that changing the
// fetcher's address meanwhile has no effect on it.
struct HttpGetSettings {
    QString URL;
    bool reportProgress = false;
    int connectTimeout = 0;
    int idleTimeout = 0;
};

// The worker for one request of THTTPGet. It speaks HTTP/1.0 over a socket of its own
// thread, keeps the body in memory, and hands progress and completion to the fetcher's
// thread, waiting each time until that thread has run them.
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
    bool succeeded() const { return m_success && !m_stop; }
    QByteArray body() const { return m_body; }

signals:
    // Emitted after each received piece, when the fetcher has a progress receiver.
    void progressed(int totalSize, int readed);
    // Emitted once the request has ended.
    void completed();

protected:
    void run() override;

private:
    enum class Arrival { Data, Ended, GaveUp };

    bool fetch();
    QByteArray request(const http::Address &address) const;
    bool connectTo(QTcpSocket &socket, const http::Address &address) const;
    bool send(QTcpSocket &socket, const QByteArray &bytes) const;
    Arrival awaitData(QTcpSocket &socket) const;
    bool receiveHead(QTcpSocket &socket);
    std::optional<QByteArray> nextChunk(QTcpSocket &socket);
    bool readBody(QTcpSocket &socket, std::optional<qint64> contentLength);
    bool stopRequested() const { return m_stop; }

    const HttpGetSettings m_settings;
    std::atomic_bool m_stop = false;
    std::atomic_bool m_success = false;
    QByteArray m_pending;
    http::ReplyHead m_head;
    QByteArray m_body;
    int m_totalSize = 0;
    int m_received = 0;
};

// Runs one HTTP GET at a time on a worker thread and hands the whole body, as text, to
// OnDoneString on its own thread, so a slow server never blocks a window. Only a request that
// delivers at least one body byte succeeds, whatever the reply's status.
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
    // Milliseconds allowed for the connection to be established, and for silence after it.
    void setConnectTimeout(int ms) { m_settings.connectTimeout = ms; }
    void setIdleTimeout(int ms) { m_settings.idleTimeout = ms; }

    // Starts a request for URL and returns at once; does nothing while a request runs.
    void Fetch();
    // Makes the running request fail at its next check point; does not wait.
    void Cancel();
    bool busy() const { return m_worker != nullptr; }

signals:
    void OnDoneString(QObject *Sender, const QString &Result);
    void OnError(QObject *Sender);
    // Sender is the worker; runs while the worker waits for it.
    void OnProgress(QObject *Sender, int TotalSize, int Readed);

private:
    void complete(THTTPGetThread *worker);

    // How long destruction waits for a cancelled worker before leaving it to end alone.
    static constexpr unsigned long shutdownWait = 1000;

    HttpGetSettings m_settings;
    QPointer<THTTPGetThread> m_worker;
};
