#include "server/clientaddress.h"

#include <algorithm>

namespace server {

namespace asio = boost::asio;

namespace {

std::string limitKey(const asio::ip::address &address)
{
    if (!address.is_v6())
        return address.to_string();
    auto bytes = address.to_v6().to_bytes();
    std::fill(bytes.begin() + 8, bytes.end(), 0);
    return asio::ip::make_address_v6(bytes).to_string() + "/64";
}

std::string_view withoutOuterSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool isPort(std::string_view text)
{
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The address of one entry: an address alone, an IPv4 address with its port
// (1.2.3.4:5678), or an IPv6 address in brackets, with or without its port.
std::string_view hostOf(std::string_view entry)
{
    if (entry.starts_with('[')) {
        const auto close = entry.find(']');
        if (close == std::string_view::npos)
            return {};
        const std::string_view rest = entry.substr(close + 1);
        if (!rest.empty() && !(rest.front() == ':' && isPort(rest.substr(1))))
            return {};
        return entry.substr(1, close - 1);
    }
    const auto colon = entry.find(':');
    if (colon == std::string_view::npos || entry.find(':', colon + 1) != std::string_view::npos)
        return entry; // IPv4, or IPv6 without brackets and so without a port
    return isPort(entry.substr(colon + 1)) ? entry.substr(0, colon) : std::string_view{};
}

} // namespace

Client clientAt(asio::ip::address address)
{
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
    return {address.to_string(), limitKey(address)};
}

std::optional<Client> forwardedClient(std::string_view forwardedFor)
{
    const auto comma = forwardedFor.rfind(',');
    const std::string_view last =
        withoutOuterSpaces(forwardedFor.substr(comma == std::string_view::npos ? 0 : comma + 1));
    const std::string_view host = hostOf(last);
    boost::system::error_code bad;
    const auto address = asio::ip::make_address(std::string(host), bad);
    if (bad)
        return std::nullopt;
    return clientAt(address);
}

} // namespace server
