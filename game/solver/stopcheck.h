#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace solver {

// Thrown out of the search when it was asked to stop, or its time is up.
struct Stopped {};

// The processor time the calling thread has used so far.
inline std::chrono::nanoseconds threadProcessorTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Reads the flag that asks a search to stop, and the thread's processor time when it has a
// budget, once every 4,096 boards: often enough to stop within a moment, seldom enough to
// cost nothing.
class StopCheck {
public:
    explicit StopCheck(const std::atomic<bool> *stop,
                       std::chrono::nanoseconds budget = std::chrono::nanoseconds::max())
        : m_stop(stop),
          m_until(budget == std::chrono::nanoseconds::max() ? budget
                                                            : threadProcessorTime() + budget)
    {
    }

    // Throws Stopped once the flag is up or the budget spent.
    void operator()()
    {
        if ((++m_visits & 0xFFF) == 0 && due())
            throw Stopped();
    }

private:
    bool due() const
    {
        return (m_stop && m_stop->load(std::memory_order_relaxed)) ||
               (m_until != std::chrono::nanoseconds::max() && threadProcessorTime() >= m_until);
    }

    const std::atomic<bool> *m_stop = nullptr;
    std::chrono::nanoseconds m_until;
    std::uint32_t m_visits = 0;
};

} // namespace solver
