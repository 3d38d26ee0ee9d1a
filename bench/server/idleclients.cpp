// quellan-idle-clients PORT COUNT SECONDS [TARGET]: holds COUNT connections to
// 127.0.0.1:PORT open without sending a byte, spread over loopback source addresses 16 to an
// address, and opens a new one whenever the server closes one, for SECONDS. With TARGET, each
// connection sends 100 requests for it at once and never reads an answer. Prints how many it
// held at the end and how many times the server closed one.

#include "tests/support/loopback.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int perAddress = 16;
constexpr int pipelined = 100;

// 127.2.0.1 on: a source address of its own for every 16 connections.
std::string sourceAddress(int index)
{
    const int n = index / perAddress + 1;
    return "127.2." + std::to_string(n / 256) + "." + std::to_string(n % 256);
}

int connectAndSend(int port, int index, const std::string &requests)
{
    const int fd = connectFrom(port, sourceAddress(index));
    if (fd >= 0 && !requests.empty())
        send(fd, requests.data(), requests.size(), MSG_NOSIGNAL);
    return fd;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: quellan-idle-clients PORT COUNT SECONDS [TARGET]\n");
        return 2;
    }
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
    std::string requests;
    for (int i = 0; argc == 5 && i < pipelined; ++i)
        requests += std::string("GET ") + argv[4] + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    // Unread answers keep a socket readable; only the end of the connection is watched.
    std::vector<pollfd> held(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        held[i] = {connectAndSend(port, i, requests), POLLRDHUP, 0};
    long closedByServer = 0;
    while (std::chrono::steady_clock::now() < until) {
        if (poll(held.data(), held.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (held[i].revents == 0)
                continue;
            close(held[i].fd);
            held[i].fd = connectAndSend(port, static_cast<int>(i), requests);
            ++closedByServer;
        }
    }
    int open = 0;
    for (const pollfd &entry : held)
        open += entry.fd >= 0;
    std::printf("%d %ld\n", open, closedByServer);
    return 0;
}
