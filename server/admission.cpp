#include "server/admission.h"

#include <algorithm>
#include <utility>

namespace server {

Admission::Ticket::Ticket(Admission *admission, std::string address)
    : m_admission(admission), m_address(std::move(address))
{
}

Admission::Ticket::Ticket(Ticket &&other) noexcept
    : m_admission(std::exchange(other.m_admission, nullptr)), m_address(std::move(other.m_address))
{
}

Admission::Ticket &Admission::Ticket::operator=(Ticket &&other) noexcept
{
    if (this != &other) {
        if (m_admission)
            m_admission->release(m_address);
        m_admission = std::exchange(other.m_admission, nullptr);
        m_address = std::move(other.m_address);
    }
    return *this;
}

Admission::Ticket::~Ticket()
{
    if (m_admission)
        m_admission->release(m_address);
}

Admission::Admission(std::size_t perAddress, std::size_t total)
    : m_perAddress(perAddress), m_total(total)
{
}

Admission::Verdict Admission::admit(const std::string &address, Ticket &ticket, bool unlimited)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_open >= m_total)
            return Verdict::ServerFull;
        std::size_t &fromAddress = m_byAddress[address];
        if (fromAddress >= m_perAddress && !unlimited) {
            if (fromAddress == 0)
                m_byAddress.erase(address);
            return Verdict::AddressFull;
        }
        ++fromAddress;
        m_peak = std::max(m_peak, ++m_open);
    }
    ticket = Ticket(this, address);
    return Verdict::Admitted;
}

std::size_t Admission::open() const
{
    const std::lock_guard lock(m_mutex);
    return m_open;
}

std::size_t Admission::takePeak()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_peak, m_open);
}

void Admission::release(const std::string &address)
{
    const std::lock_guard lock(m_mutex);
    --m_open;
    const auto found = m_byAddress.find(address);
    if (--found->second == 0)
        m_byAddress.erase(found);
}

} // namespace server
