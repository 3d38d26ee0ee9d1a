#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// Counts the open connections, in all and from each client address, and admits a new one
// only while both counts are under their limits. Safe from any thread.
class Admission {
public:
    enum class Verdict { Admitted, AddressFull, ServerFull };

    // Held by an admitted connection for as long as it is open; gives its place back when it
    // ends. An empty ticket holds no place.
    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket &&other) noexcept;
        Ticket &operator=(Ticket &&other) noexcept;
        ~Ticket();

    private:
        friend class Admission;
        Ticket(Admission *admission, std::string address);

        Admission *m_admission = nullptr;
        std::string m_address;
    };

    Admission(std::size_t perAddress, std::size_t total);

    // On Admitted the ticket holds the connection's place; otherwise it is empty.
    // `unlimited`: the address may hold any number of connections (a load balancer's).
    Verdict admit(const std::string &address, Ticket &ticket, bool unlimited = false);
    std::size_t open() const;
    // The most connections open at once since the last call (or since the start).
    std::size_t takePeak();

private:
    void release(const std::string &address);

    const std::size_t m_perAddress;
    const std::size_t m_total;
    mutable std::mutex m_mutex;
    std::size_t m_open = 0;
    std::size_t m_peak = 0;
    std::unordered_map<std::string, std::size_t> m_byAddress;
};

} // namespace server
