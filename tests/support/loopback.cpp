#include "tests/support/loopback.h"

#include <arpa/inet.h>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

int connectFrom(int port, const std::string &from)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
