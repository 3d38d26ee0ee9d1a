#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace server {

// Complaints about the score store, at most one line a second: a store that is down fails
// every batch, thousands a second under load, and a line each would bury the log. The lines
// held back are counted in the next one written, and in the line saying the store works again.
class ComplaintThrottle {
public:
    using Clock = std::chrono::steady_clock;
    using Write = std::function<void(const std::string &line)>;

    explicit ComplaintThrottle(Write write) : m_write(std::move(write)) {}

    void complain(const std::string &line, Clock::time_point now = Clock::now());
    // The store did its work: says so once after complaints.
    void recovered();

private:
    std::string held() const;

    const Write m_write;
    std::optional<Clock::time_point> m_lastWritten;
    std::int64_t m_held = 0;
    bool m_failing = false;
};

} // namespace server
