#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// Score posts allowed per client address: a token bucket for each address, refilled at
// `perSecond` up to `burst` posts. Safe from any thread.
class PostRateLimit {
public:
    using Clock = std::chrono::steady_clock;

    // perSecond 0: no limit.
    PostRateLimit(double perSecond, double burst);

    // Takes one post from the address's bucket; false when it is empty.
    bool allow(const std::string &address, Clock::time_point now);
    // How many addresses it keeps a bucket for.
    std::size_t remembered() const;

private:
    struct Bucket {
        double tokens;
        Clock::time_point at;
    };

    double refilled(const Bucket &bucket, Clock::time_point now) const;
    void forgetFullBuckets(Clock::time_point now);

    const double m_perSecond;
    const double m_burst;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Bucket> m_buckets;
};

} // namespace server
