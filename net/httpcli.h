#pragma once

#include "net/chunkeddecoder.h"
#include "net/httpaddress.h"
#include "net/httpreply.h"

#include <QAbstractSocket>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <exception>
#include <memory>
#include <stdexcept>

class QEventLoop;
class QIODevice;
class QTcpSocket;

// Every failed transfer of THttpCli: the text to show and the reply's status code, or 404
// when the failure happened on this side (lookup, connection, abort, busy).
class EHttpException : public std::runtime_error {
public:
    EHttpException(const QString &message, int code);

    QString ErrorMessage() const { return m_message; }
    int ErrorCode() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

// An HTTP client over its own socket for one download at a time: Get() blocks its caller
// but keeps serving the application's event queue, and writes the reply body to the
// receive stream as it arrives, chunk framing taken off. Redirections are not followed, and no
// proxy is used.
class THttpCli : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultConnectTimeout = 30000;
    static constexpr int defaultIdleTimeout = 60000;

    explicit THttpCli(QObject *parent = nullptr);
    ~THttpCli() override;

    // The "http://" address to fetch; port 80 unless it names another.
    QString URL() const { return m_url; }
    void setURL(const QString &url) { m_url = url; }
    // Where the reply body goes; none discards it. The client does not own it.
    void setRcvdStream(QIODevice *stream) { m_rcvdStream = stream; }

    // Milliseconds allowed for the connection to be established, and for silence after it.
    void setConnectTimeout(int ms) { m_connectTimeout = ms; }
    void setIdleTimeout(int ms) { m_idleTimeout = ms; }

    bool busy() const { return m_loop != nullptr; }

    // Fetches URL, writing the body to RcvdStream. Returns when the transfer has ended and
    // serves the event queue meanwhile. Throws EHttpException for a reply status of 400 or
    // above, a failed lookup or connection, an abort (Abort(), the application quitting, a
    // time-out, a broken transfer, malformed chunks) and a call while busy; std::runtime_error when
    // the receive stream refuses the data.
    void Get();

public slots:
    // Ends a running Get() with "Connection aborted on request".
    void Abort();

private:
    void resetTransfer();
    void startConnection();
    QByteArray buildRequest(const http::Address &address) const;
    void onConnected();
    void onReadyRead();
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void onEnded();
    void receiveBody(const QByteArray &data);
    bool bodyComplete() const;
    void fail(const QString &message, int code);
    void finish(std::exception_ptr failure = nullptr);

    QString m_url;
    QPointer<QIODevice> m_rcvdStream;
    int m_connectTimeout = defaultConnectTimeout;
    int m_idleTimeout = defaultIdleTimeout;

    // State of the running transfer.
    QEventLoop *m_loop = nullptr;
    std::unique_ptr<QTcpSocket> m_socket;
    QTimer m_connectTimer;
    QTimer m_idleTimer;
    QByteArray m_request;
    QByteArray m_received;
    http::ReplyHead m_head;
    http::ChunkedDecoder m_chunks;
    bool m_connected = false;
    bool m_headDone = false;
    qint64 m_bodyReceived = 0;
    bool m_finished = false;
    std::exception_ptr m_failure;
};
