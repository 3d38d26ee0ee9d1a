#pragma once

#include <cstdint>

// The game's one pseudo-random source: a 32-bit linear congruential generator whose
// draws take the upper half of the product of the new state and the range.
class Random {
public:
    explicit Random(std::uint32_t seed = 0) : m_state(seed) {}

    void seed(std::uint32_t seed) { m_state = seed; }
    std::uint32_t state() const { return m_state; }

    // A draw in 0 … n − 1.
    std::uint32_t next(std::uint32_t n)
    {
        m_state = m_state * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t{m_state} * n) >> 32);
    }

    // The seed taken from a clock reading: milliseconds since midnight, UTC.
    static std::uint32_t seedFromTime(int hour, int minute, int second, int millisecond)
    {
        return static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 +
                                          millisecond);
    }

private:
    std::uint32_t m_state;
};
