#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace server {

// One request as the log records it.
struct LoggedRequest {
    std::chrono::system_clock::time_point when;
    std::string_view address; // the client's; empty when unknown
    std::string_view method;  // empty when the request line could not be read
    std::string_view target;
    std::string_view version;
    int status = 0;
    std::uint64_t bytes = 0; // length of the response body
};

// One log line, ended by a line feed: UTC time, client address, the quoted request line,
// status and body bytes. Bytes that could forge or garble a line are written as \xNN.
std::string formatLogLine(const LoggedRequest &request);

} // namespace server
