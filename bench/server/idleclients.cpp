// quellan-idle-clients PORT COUNT SECONDS: holds COUNT connections to 127.0.0.1:PORT open
// without sending a byte, spread over loopback source addresses 16 to an address, and opens
// a new one whenever the server closes one, for SECONDS. Prints how many it held at the end
// and how many times the server closed one.

#include "tests/support/loopback.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int perAddress = 16;

// 127.2.0.1 on: a source address of its own for every 16 connections.
std::string sourceAddress(int index)
{
    const int n = index / perAddress + 1;
    return "127.2." + std::to_string(n / 256) + "." + std::to_string(n % 256);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: quellan-idle-clients PORT COUNT SECONDS\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
    std::vector<pollfd> held(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        held[i] = {connectFrom(port, sourceAddress(i)), POLLIN, 0};
    long closedByServer = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (poll(held.data(), held.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (held[i].revents == 0)
                continue;
            char byte = 0;
            if (recv(held[i].fd, &byte, 1, MSG_DONTWAIT) <= 0) {
                close(held[i].fd);
                held[i].fd = connectFrom(port, sourceAddress(static_cast<int>(i)));
                ++closedByServer;
            }
        }
    }
    int open = 0;
    for (const pollfd &entry : held)
        open += entry.fd >= 0;
    std::printf("%d %ld\n", open, closedByServer);
    return 0;
}
