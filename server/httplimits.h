#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace server {

// What one client may take of the server.
struct HttpLimits {
    std::size_t headerBytes = 8192; // request line and header fields together
    std::size_t headerLines = 64;
    std::chrono::seconds requestTime{10}; // from a request's first byte to its last
    std::chrono::seconds idleTime{5};     // waiting for a request's first byte
    // An answer must be taken within writeTime plus a second for each minimumRate bytes of
    // it, or the connection closes: a client that never reads holds nothing for long.
    std::chrono::seconds writeTime{10};
    std::size_t minimumRate = 8192;
    // What the kernel queues for one connection's answers; its default grows to megabytes,
    // which thousands of clients that never read would hold.
    int sendBuffer = 32 * 1024;
    std::size_t perAddress = 16;     // connections open at once from one address
    std::size_t connections = 10000; // connections open at once in all
    std::size_t requestsPerConnection = 100;
    // The address of a load balancer in front (empty: none). Its connections are not limited
    // per address, and the last address its X-Forwarded-For field names is the client's.
    std::string trustedProxy;
};

} // namespace server
