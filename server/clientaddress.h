#pragma once

#include <boost/asio/ip/address.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace server {

// Who is at the other end: the address as logged and stored, and what its limits count by.
struct Client {
    std::string address;
    std::string limitKey;
};

// The client at `address`. An IPv4 client reaching a dual-stack socket is counted and logged
// by its IPv4 address; an IPv6 one is counted by its /64, which one subscriber commonly holds
// whole.
Client clientAt(boost::asio::ip::address address);

// The client a trusted load balancer names: the last address of its X-Forwarded-For value
// (the one it saw; earlier ones the client may have made up), with or without a port
// (1.2.3.4:5678, [2001:db8::2]:443). None when that is no address.
std::optional<Client> forwardedClient(std::string_view forwardedFor);

} // namespace server
