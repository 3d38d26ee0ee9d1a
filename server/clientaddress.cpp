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
    boost::system::error_code bad;
    const auto address = asio::ip::make_address(std::string(last), bad);
    if (bad)
        return std::nullopt;
    return clientAt(address);
}

} // namespace server
