#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace http {

// The bytes of one request without a body: the request line, the header lines and an empty
// line, each ended by CR LF.
class Request {
public:
    Request(const QByteArray &method, const QByteArray &target, const QString &version);

    // Adds "name: value"; line breaks in the value are dropped so that it stays one header.
    void addHeader(const QByteArray &name, const QString &value);
    QByteArray toBytes() const;

private:
    QByteArray m_head;
};

} // namespace http
