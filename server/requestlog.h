#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
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
// status and body bytes. Bytes that could forge or garble a line are written as \xNN, and a
// long target is cut after 512 bytes, marked "...".
std::string formatLogLine(const LoggedRequest &request);

// Writes lines to a file on a thread of its own, so a slow reader of the log never holds up
// the threads that serve requests. What goes beyond `maxBytes` waiting is dropped and counted,
// never waited for.
class LogWriter {
public:
    // out: a file descriptor, such as standard error's.
    explicit LogWriter(int out, std::size_t maxBytes = 16 * 1024 * 1024);
    // Writes what is waiting, waiting a second at most.
    ~LogWriter();
    LogWriter(const LogWriter &) = delete;
    LogWriter &operator=(const LogWriter &) = delete;

    // Safe from any thread; a line ends with its line feed.
    void write(std::string_view line);

private:
    struct Shared;
    static void writeLoop(Shared &shared);

    std::shared_ptr<Shared> m_shared;
};

} // namespace server
