#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace http {

// The bytes of one request: the request line, the header lines and an empty line, each
// ended by CR LF, then the body.
class Request {
public:
    Request(const QByteArray &method, const QByteArray &target, const QString &version);

    // Adds "name: value"; line breaks in the value are dropped so that it stays one header.
    void addHeader(const QByteArray &name, const QString &value);
    void setBody(const QByteArray &body) { m_body = body; }
    QByteArray toBytes() const;

private:
    QByteArray m_head;
    QByteArray m_body;
};

} // namespace http
