#include "server/postratelimit.h"

#include <algorithm>

namespace server {

namespace {

// Beyond this many addresses the full buckets, which are the same as no bucket, are dropped,
// so clients from many addresses cannot grow the table without end.
constexpr std::size_t tidyAbove = 65536;

} // namespace

PostRateLimit::PostRateLimit(double perSecond, double burst)
    : m_perSecond(perSecond), m_burst(std::max(burst, 1.0))
{
}

bool PostRateLimit::allow(const std::string &address, Clock::time_point now)
{
    if (m_perSecond <= 0)
        return true;
    const std::lock_guard lock(m_mutex);
    if (m_buckets.size() > tidyAbove)
        forgetFullBuckets(now);
    const auto [found, added] = m_buckets.try_emplace(address, Bucket{m_burst, now});
    Bucket &bucket = found->second;
    bucket.tokens = refilled(bucket, now);
    bucket.at = now;
    if (bucket.tokens < 1)
        return false;
    bucket.tokens -= 1;
    return true;
}

std::size_t PostRateLimit::remembered() const
{
    const std::lock_guard lock(m_mutex);
    return m_buckets.size();
}

double PostRateLimit::refilled(const Bucket &bucket, Clock::time_point now) const
{
    const std::chrono::duration<double> elapsed = now - bucket.at;
    return std::min(m_burst, bucket.tokens + std::max(0.0, elapsed.count()) * m_perSecond);
}

void PostRateLimit::forgetFullBuckets(Clock::time_point now)
{
    std::erase_if(m_buckets,
                  [&](const auto &entry) { return refilled(entry.second, now) >= m_burst; });
}

} // namespace server
