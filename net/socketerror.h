#pragma once

#include <QAbstractSocket>

namespace http {

// The system's error number (errno) that matches a socket error, as a user would look it
// up; EIO for an error without a closer match.
int socketErrorNumber(QAbstractSocket::SocketError error);

} // namespace http
