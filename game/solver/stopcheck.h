#pragma once

#include <atomic>
#include <cstdint>

namespace solver {

// Thrown out of the search when it was asked to stop.
struct Stopped {};

// Reads the flag that asks a search to stop, once every 4,096 boards: often enough to stop
// within a moment, seldom enough to cost nothing.
class StopCheck {
public:
    explicit StopCheck(const std::atomic<bool> *stop) : m_stop(stop) {}

    // Throws Stopped once the flag is up.
    void operator()()
    {
        if (m_stop && (++m_visits & 0xFFF) == 0 && m_stop->load(std::memory_order_relaxed))
            throw Stopped();
    }

private:
    const std::atomic<bool> *m_stop = nullptr;
    std::uint32_t m_visits = 0;
};

} // namespace solver
