#include "server/complaintthrottle.h"

namespace server {

namespace {

constexpr std::chrono::seconds interval{1};

} // namespace

void ComplaintThrottle::complain(const std::string &line, Clock::time_point now)
{
    m_failing = true;
    if (m_lastWritten && now - *m_lastWritten < interval) {
        ++m_held;
        return;
    }
    m_write(line + held());
    m_lastWritten = now;
    m_held = 0;
}

void ComplaintThrottle::recovered()
{
    if (!m_failing)
        return;
    m_write("the score database works again" + held());
    m_failing = false;
    m_held = 0;
}

std::string ComplaintThrottle::held() const
{
    return m_held == 0 ? std::string()
                       : " (" + std::to_string(m_held) + " more failures since the last line)";
}

} // namespace server
