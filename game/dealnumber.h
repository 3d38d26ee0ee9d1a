#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

// A deal's number as the player writes it: plain decimal digits, 0 to 4294967295.
inline std::optional<std::uint32_t> parseDealNumber(std::string_view text)
{
    std::uint32_t number = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}
