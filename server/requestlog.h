#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

// Writes lines to a file on a thread of its own, so a slow reader of the log never holds up
// the threads that serve requests. Lines beyond what the writer keeps up with are dropped
// and counted, never waited for.
class LogWriter {
public:
    explicit LogWriter(std::FILE *out, std::size_t maxWaiting = 100000);
    // Writes what is waiting, then stops.
    ~LogWriter();
    LogWriter(const LogWriter &) = delete;
    LogWriter &operator=(const LogWriter &) = delete;

    // Safe from any thread; a line ends with its line feed.
    void write(std::string line);

private:
    void writeLoop();

    std::FILE *const m_out;
    const std::size_t m_maxWaiting;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::string> m_waiting;
    std::size_t m_dropped = 0;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once everything above is ready
};

} // namespace server
