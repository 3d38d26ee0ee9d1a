#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace http {

inline constexpr quint16 defaultPort = 80;

// Where an "http://" address leads: the host, its port and the object on it.
struct Address {
    QString host;
    quint16 port = defaultPort;
    // From the first "/" after the host to the end, query included; empty when there is none.
    QString path;

    // The Host header's value: the host, with ":port" when the port is not the default.
    QByteArray hostHeader() const;
    // The path as it goes on the request line: spaces, control characters and non-ASCII
    // bytes are percent-encoded so that they can neither split the line nor add a header.
    QByteArray target() const;
    // The whole address as a request through a proxy names it: "http://", the Host header's
    // value, then the target.
    QByteArray absoluteTarget() const;
};

// Splits an address: an optional "http://" in any letter case, the host up to the first "/",
// an optional ":port" on the host, and the path. No value when the host is empty or the
// port is not a number from 1 to 65535.
std::optional<Address> splitAddress(const QString &url);

// A path on the server at `base`, with exactly one "/" between them whether or not the base
// ends with one.
QString joinAddress(QString base, const QString &path);

} // namespace http
